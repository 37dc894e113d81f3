// Fixtures for upgrade tests: see upgrade_test_support.h.
#include "upgrade_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/btrieve/btrcall.h"
#include "platform/files/files.h"
#include "recfile/field_codec.h"
#include "tests/support/record_bytes.h"

namespace testing_support {

ScratchDir::~ScratchDir() {
  BTRCALL(btr::kReset, nullptr, nullptr, nullptr, nullptr, 0, 0);
}

namespace {
std::string Key(const CString& section, const CString& name) {
  return section + "|" + name;
}
}  // namespace

int32_t MemoryProfile::GetInt(const CString& section, const CString& name, int32_t def) {
  auto it = values.find(Key(section, name));
  return it == values.end() ? def : std::stoi(it->second);
}

CString MemoryProfile::GetString(const CString& section, const CString& name, const CString& def) {
  auto it = values.find(Key(section, name));
  return it == values.end() ? def : it->second;
}

bool MemoryProfile::WriteInt(const CString& section, const CString& name, int32_t value) {
  values[Key(section, name)] = std::to_string(value);
  return true;
}

bool MemoryProfile::WriteString(const CString& section, const CString& name, const CString& value) {
  values[Key(section, name)] = value;
  return true;
}

bool MemoryProfile::WriteValues(const std::vector<registry::Setting>& settings) {
  for (const registry::Setting& s : settings) {
    values[Key(s.section, s.name)] = s.is_int ? std::to_string(s.number) : s.text;
  }
  return true;
}

namespace {

// A record file open at a position block of its own; closed when it goes out of scope.
struct OpenFile {
  explicit OpenFile(const std::string& name) : name(name) {
    uint32_t len = 0;
    opened = BTRCALL(btr::kOpen, pos, nullptr, &len, this->name.data(), 255, 0) == 0;
    EXPECT_TRUE(opened) << "cannot open " << name;
  }
  ~OpenFile() {
    uint32_t len = 0;
    EXPECT_TRUE(!opened || BTRCALL(btr::kClose, pos, nullptr, &len, nullptr, 0, 0) == 0) << name;
  }
  std::string name;
  uint8_t pos[128] = {};
  uint8_t keyBuf[255] = {};
  bool opened = false;
};

}  // namespace

void MakeFile(const std::string& name, const Bytes& spec, const std::vector<Bytes>& records) {
  Bytes block = spec;
  uint32_t len = static_cast<uint32_t>(block.size());
  std::string key = name;
  uint8_t pos[128] = {};
  ASSERT_EQ(0, BTRCALL(btr::kCreate, pos, block.data(), &len, key.data(), 255, 0)) << name;
  OpenFile file(name);
  for (Bytes data : records) {
    len = static_cast<uint32_t>(data.size());
    ASSERT_EQ(0, BTRCALL(btr::kInsert, file.pos, data.data(), &len, file.keyBuf, 255, 0)) << name;
  }
}

std::vector<Bytes> ReadAll(const std::string& name, int key) {
  std::vector<Bytes> out;
  OpenFile file(name);
  Bytes buffer(8192);
  uint32_t len = static_cast<uint32_t>(buffer.size());
  int status = file.opened ? BTRCALL(btr::kGetFirst, file.pos, buffer.data(), &len, file.keyBuf,
                                     255, static_cast<int8_t>(key))
                           : static_cast<int>(btr::kEndOfFile);
  while (status == 0) {
    out.emplace_back(buffer.begin(), buffer.begin() + len);
    len = static_cast<uint32_t>(buffer.size());
    status = BTRCALL(btr::kGetNext, file.pos, buffer.data(), &len, file.keyBuf, 255,
                     static_cast<int8_t>(key));
  }
  EXPECT_EQ(btr::kEndOfFile, status) << name;
  return out;
}

Bytes StatBlock(const std::string& name) {
  OpenFile file(name);
  Bytes block(1024, 0);
  uint32_t len = static_cast<uint32_t>(block.size());
  EXPECT_EQ(0, BTRCALL(btr::kStat, file.pos, block.data(), &len, file.keyBuf, 255, 0)) << name;
  block.resize(len);
  std::memset(block.data() + 6, 0, 4);
  return block;
}

Bytes Spec(uint16_t recordLength, bool variable,
           const std::vector<std::vector<uint16_t>>& segments) {
  std::vector<rectest::Seg> segs;
  for (const auto& s : segments) {
    segs.push_back({s[0], s[1], s[2], static_cast<uint8_t>(s[3])});
  }
  return rectest::SpecBlock(recordLength, variable, static_cast<uint16_t>(segments.size()), segs);
}

bool FileExists(const std::string& name) {
  return files::Exists(name);
}

Bytes Record(size_t length, const std::vector<std::pair<size_t, Bytes>>& pieces) {
  Bytes r(length, 0);
  for (const auto& [offset, bytes] : pieces) {
    std::copy(bytes.begin(), bytes.end(), r.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return r;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes Int32(int32_t v) {
  Bytes b(4);
  recfile::WriteInt32(b.data(), v);
  return b;
}

Bytes Float32(float f) {
  Bytes b(4);
  recfile::WriteFloat32(b.data(), f);
  return b;
}

Bytes Terms0204(const std::string& code, const std::string& description) {
  return Record(22, {{0, Text(code)}, {2, Text(description)}});
}

std::vector<Bytes> MakeTerms0204(int count) {
  std::vector<Bytes> records;
  for (int i = 0; i < count; ++i) {
    const std::string code = {static_cast<char>('A' + i % 26), static_cast<char>('a' + i / 26)};
    records.push_back(Terms0204(code, "Terms " + std::to_string(i)));
  }
  MakeFile("TERMS.DB", kTerms0204Spec, records);
  return ReadAll("TERMS.DB");
}

}  // namespace testing_support
