// Helpers shared by the demo writers.
#include "tools/mkdemo/demo.h"

namespace demo {

std::string RandomWord(std::mt19937& rng, size_t width, bool lowerCase) {
  std::uniform_int_distribution<size_t> length(1, width == 0 ? 1 : width);
  std::uniform_int_distribution<int> letter(0, 25);
  std::string word(length(rng), 'A');
  for (char& c : word) {
    c = static_cast<char>((lowerCase ? 'a' : 'A') + letter(rng));
  }
  return word;
}

}  // namespace demo
