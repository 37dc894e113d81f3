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

int Pick(std::mt19937& rng, int below) {
  return static_cast<int>(rng() % static_cast<unsigned>(below));
}

std::string Serial(char lead, int n, size_t width) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string digits(width - 1, '0');
  for (size_t i = digits.size(); i-- > 0 && n > 0; n /= 36) {
    digits[i] = kDigits[n % 36];
  }
  return lead + digits;
}

std::string Word(std::mt19937& rng, size_t width) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const size_t n = Pick(rng, 4) == 0 ? width : 1 + rng() % width;
  std::string w;
  for (size_t i = 0; i < n; ++i) {
    w.push_back(kChars[Pick(rng, 36)]);
  }
  return w;
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return s;
}

void LowerField(uint8_t* raw, size_t offset, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    uint8_t& c = raw[offset + i];
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<uint8_t>(c - 'A' + 'a');
    }
  }
}

float Amount(std::mt19937& rng) {
  const float v = static_cast<float>(Pick(rng, 2000000)) / 100.0f;
  return Pick(rng, 5) == 0 ? -v : v;
}

uint8_t FlagByte(std::mt19937& rng) {
  static const uint8_t kBytes[] = {'Y', 'N', 'Y', 'N', 'y', ' ', 0};
  return kBytes[Pick(rng, 7)];
}

}  // namespace demo
