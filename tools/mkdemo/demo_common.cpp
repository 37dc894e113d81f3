// Helpers shared by the demo writers.
#include "tools/mkdemo/demo.h"

#include <algorithm>

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

namespace {

struct Share {
  const char* file;
  int weight;  // parts of the records that are not in the small tables
  long cap;    // at most this many records; 0 for no cap
};

// Weights in hundredths; lines (historical and open) 36, velocity 15, price contracts 10.
const Share kShares[] = {
    {"HORDRITM.DB", 30, 0},   {"ORDRITEM.DB", 6, 0}, {"HORDER.DB", 12, 0},  {"ORDER.DB", 3, 0},
    {"VELOCITY.DB", 15, 0},   {"PCONT.DB", 10, 0},   {"ITEM.DB", 4, 0},     {"ITEMUNIT.DB", 4, 0},
    {"CUST.DB", 3, 0},        {"MNPRICE.DB", 3, 0},  {"AR.DB", 3, 0},       {"GDEITEM.DB", 2, 0},
    {"SPECIAL.DB", 1, 0},     {"INVITEM.DB", 1, 0},  {"PRICESEQ.DB", 1, 0}, {"WHSMRKUP.DB", 1, 0},
    {"DEVCOST.DB", 1, 0},     {"MENUHDR.DB", 1, 0},  {"TERMS.DB", 1, 500},  {"MODEM.DB", 1, 100},
    {"CATEGORY.DB", 1, 2000},
};

const Share* ShareOf(const std::string& file) {
  std::string upper = file;
  for (char& c : upper) {
    c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  for (const Share& share : kShares) {
    if (upper == share.file) {
      return &share;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<int> SpreadRecords(const std::vector<std::string>& files, long total) {
  long weights = 0;
  for (const std::string& file : files) {
    const Share* share = ShareOf(file);
    weights += share != nullptr ? share->weight : 1;
  }
  std::vector<int> counts;
  long given = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const Share* share = ShareOf(files[i]);
    long count = weights == 0 ? 0 : total * (share != nullptr ? share->weight : 1) / weights;
    if (share != nullptr && share->cap > 0) {
      count = std::min(count, share->cap);
    }
    counts.push_back(static_cast<int>(count));
    given += count;
  }
  // What the rounding left goes to the largest uncapped file.
  size_t largest = counts.size();
  for (size_t i = 0; i < files.size(); ++i) {
    const Share* share = ShareOf(files[i]);
    if ((share == nullptr || share->cap == 0) &&
        (largest == counts.size() || counts[i] > counts[largest])) {
      largest = i;
    }
  }
  if (largest < counts.size()) {
    counts[largest] += static_cast<int>(total - given);
  }
  return counts;
}

}  // namespace demo
