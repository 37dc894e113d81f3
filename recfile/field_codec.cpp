// The primitive encodings of record fields: see field_codec.h.
#include "recfile/field_codec.h"

#include <algorithm>
#include <cstdio>

namespace recfile {

char UpperChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void UpperInPlace(std::string& s) {
  for (char& c : s) {
    c = UpperChar(c);
  }
}

std::string ReadText(const uint8_t* p, size_t width) {
  const uint8_t* end = static_cast<const uint8_t*>(std::memchr(p, 0, width));
  return std::string(reinterpret_cast<const char*>(p), end != nullptr ? end - p : width);
}

void WriteText(uint8_t* p, size_t width, const std::string& value, char fill) {
  const size_t n = std::min(width, value.size());
  std::memcpy(p, value.data(), n);
  std::memset(p + n, static_cast<unsigned char>(fill), width - n);
}

namespace {

// Characters of `s` other than those in `drop`, filled up with spaces to `width` and cut there.
std::string Squeeze(const std::string& s, const char* drop, size_t width) {
  std::string out;
  for (char c : s) {
    if (std::strchr(drop, c) == nullptr) {
      out.push_back(c);
    }
  }
  out.resize(width, ' ');
  return out;
}

// Up to `n` characters from p, ending early at a NUL.
std::string Part(const uint8_t* p, size_t n) {
  return ReadText(p, n);
}

}  // namespace

std::string ReadZip(const uint8_t* p) {
  return Part(p, 5) + "-" + Part(p + 5, 4);
}

void WriteZip(uint8_t* p, const std::string& value) {
  std::memcpy(p, Squeeze(value, " -", 9).data(), 9);
}

std::string ReadPhone(const uint8_t* p) {
  return "(" + Part(p, 3) + ") " + Part(p + 3, 3) + "-" + Part(p + 6, 4);
}

void WritePhone(uint8_t* p, const std::string& value) {
  std::memcpy(p, Squeeze(value, " -()", 10).data(), 10);
}

int32_t ReadInt32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

void WriteInt32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

int16_t ReadInt16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
}

void WriteInt16(uint8_t* p, int16_t v) {
  const uint16_t u = static_cast<uint16_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
}

float ReadFloat32(const uint8_t* p) {
  const uint32_t u = static_cast<uint32_t>(ReadInt32(p));
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

void WriteFloat32(uint8_t* p, float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  WriteInt32(p, static_cast<int32_t>(u));
}

double ReadDouble(const uint8_t* p) {
  uint64_t u = static_cast<uint32_t>(ReadInt32(p)) |
               static_cast<uint64_t>(static_cast<uint32_t>(ReadInt32(p + 4))) << 32;
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}

void WriteDouble(uint8_t* p, double v) {
  uint64_t u;
  std::memcpy(&u, &v, 8);
  WriteInt32(p, static_cast<int32_t>(static_cast<uint32_t>(u)));
  WriteInt32(p + 4, static_cast<int32_t>(static_cast<uint32_t>(u >> 32)));
}

int64_t ReadTime32(const uint8_t* p) {
  return ReadInt32(p);
}

void WriteTime32(uint8_t* p, int64_t t) {
  WriteInt32(p, static_cast<int32_t>(static_cast<uint32_t>(t)));
}

void WriteBtrDate(uint8_t* p, int64_t t) {
  std::memset(p, 0, 4);
  constexpr int64_t kNoTime = -1;
  if (t == kNoTime) {
    return;
  }
  const time_t tt = static_cast<time_t>(t);
  struct tm parts;
  if (localtime_r(&tt, &parts) == nullptr) {
    return;
  }
  p[0] = static_cast<uint8_t>(parts.tm_mday);
  p[1] = static_cast<uint8_t>(parts.tm_mon + 1);
  WriteInt16(p + 2, static_cast<int16_t>(parts.tm_year + 1900));
}

std::string DateTimeStamp(int64_t t) {
  const time_t tt = static_cast<time_t>(t);
  struct tm parts;
  if (localtime_r(&tt, &parts) == nullptr) {
    return {};
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return buf;
}

namespace detail {

void ParseString(Enc enc, const uint8_t* p, size_t width, size_t available, std::string& out) {
  switch (enc) {
    case Enc::Zip:
      out = ReadZip(p);
      return;
    case Enc::Phone:
      out = ReadPhone(p);
      return;
    case Enc::Note:
      out = ReadText(p, available);
      return;
    default:
      out = ReadText(p, width);
      if (enc == Enc::UpperText || enc == Enc::UpperOnRead) {
        UpperInPlace(out);
      }
      return;
  }
}

void FormatString(Enc enc, uint8_t* p, size_t width, std::string& value) {
  switch (enc) {
    case Enc::Zip:
      WriteZip(p, value);
      return;
    case Enc::Phone:
      WritePhone(p, value);
      return;
    case Enc::Note: {
      const size_t n = std::min(value.size(), kMaxNote);
      std::memcpy(p, value.data(), n);
      p[n] = 0;
      return;
    }
    case Enc::SpaceText:
      UpperInPlace(value);
      WriteText(p, width, value, ' ');
      return;
    case Enc::UpperText:
      UpperInPlace(value);
      WriteText(p, width, value);
      return;
    default:
      WriteText(p, width, value);
      return;
  }
}

bool ParseBool(Enc enc, uint8_t b) {
  return enc == Enc::YesNoLenient ? UpperChar(static_cast<char>(b)) == 'Y' : b == 'Y';
}

char ParseChar(Enc enc, uint8_t b) {
  const char c = static_cast<char>(b);
  return enc == Enc::RawChar ? c : UpperChar(c);
}

uint8_t FormatChar(Enc enc, char c) {
  return static_cast<uint8_t>(enc == Enc::Char ? UpperChar(c) : c);
}

int64_t ParseTime(Enc enc, const uint8_t* p) {
  return enc == Enc::Time32 ? ReadTime32(p) : 0;
}

void FormatTime(Enc enc, uint8_t* p, int64_t t) {
  if (enc == Enc::BtrDate) {
    WriteBtrDate(p, t);
  } else {
    WriteTime32(p, t);
  }
}

}  // namespace detail
}  // namespace recfile
