// Fixtures for upgrade tests: see upgrade_test_support.h.
#include "upgrade_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

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

void RecordingHost::UpdateProgress() {
  ++updates;
  if (cancelAfterUpdates >= 0 && updates >= cancelAfterUpdates) {
    cancel = true;
  }
}

void MakeFile(const std::string& name, const Bytes& spec, const std::vector<Bytes>& records) {
  uint8_t pos[128] = {};
  Bytes block = spec;
  uint32_t len = static_cast<uint32_t>(block.size());
  std::string key = name;
  ASSERT_EQ(0, BTRCALL(btr::kCreate, pos, block.data(), &len, key.data(), 255, 0)) << name;
  ASSERT_EQ(0, BTRCALL(btr::kOpen, pos, nullptr, &len, key.data(), 255, 0)) << name;
  for (const Bytes& r : records) {
    Bytes data = r;
    uint8_t keyBuf[255] = {};
    uint32_t dl = static_cast<uint32_t>(data.size());
    ASSERT_EQ(0, BTRCALL(btr::kInsert, pos, data.data(), &dl, keyBuf, 255, 0)) << name;
  }
  len = 0;
  ASSERT_EQ(0, BTRCALL(btr::kClose, pos, nullptr, &len, nullptr, 0, 0));
}

std::vector<Bytes> ReadAll(const std::string& name, int key) {
  std::vector<Bytes> out;
  uint8_t pos[128] = {};
  std::string fileName = name;
  uint32_t len = 0;
  if (BTRCALL(btr::kOpen, pos, nullptr, &len, fileName.data(), 255, 0) != 0) {
    ADD_FAILURE() << "cannot open " << name;
    return out;
  }
  uint8_t buffer[8192];
  uint8_t keyBuf[255];
  len = sizeof buffer;
  int status = BTRCALL(btr::kGetFirst, pos, buffer, &len, keyBuf, 255, static_cast<int8_t>(key));
  while (status == 0) {
    out.emplace_back(buffer, buffer + len);
    len = sizeof buffer;
    status = BTRCALL(btr::kGetNext, pos, buffer, &len, keyBuf, 255, static_cast<int8_t>(key));
  }
  EXPECT_EQ(btr::kEndOfFile, status) << name;
  len = 0;
  BTRCALL(btr::kClose, pos, nullptr, &len, nullptr, 0, 0);
  return out;
}

Bytes StatBlock(const std::string& name) {
  uint8_t pos[128] = {};
  std::string fileName = name;
  uint32_t len = 0;
  if (BTRCALL(btr::kOpen, pos, nullptr, &len, fileName.data(), 255, 0) != 0) {
    ADD_FAILURE() << "cannot open " << name;
    return {};
  }
  Bytes block(1024, 0);
  uint8_t keyBuf[255];
  len = static_cast<uint32_t>(block.size());
  EXPECT_EQ(0, BTRCALL(btr::kStat, pos, block.data(), &len, keyBuf, 255, 0));
  block.resize(len);
  std::memset(block.data() + 6, 0, 4);
  len = 0;
  BTRCALL(btr::kClose, pos, nullptr, &len, nullptr, 0, 0);
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

}  // namespace testing_support

#include "platform/registry/registry.h"

namespace testing_support {

struct FileProfile::Impl {
  explicit Impl(const std::string& path) : store(path) {}
  registry::Store store;
};

FileProfile::FileProfile(const std::string& path) : impl_(new Impl(path)) {
  EXPECT_TRUE(impl_->store.Load()) << impl_->store.error();
}

FileProfile::~FileProfile() {
  delete impl_;
}

int32_t FileProfile::GetInt(const CString& section, const CString& name, int32_t def) {
  impl_->store.Load();
  return impl_->store.GetInt("P\\" + section, name, def);
}

CString FileProfile::GetString(const CString& section, const CString& name, const CString& def) {
  impl_->store.Load();
  return impl_->store.GetString("P\\" + section, name, def);
}

bool FileProfile::WriteInt(const CString& section, const CString& name, int32_t value) {
  return impl_->store.WriteInt("P\\" + section, name, value);
}

bool FileProfile::WriteString(const CString& section, const CString& name, const CString& value) {
  return impl_->store.WriteString("P\\" + section, name, value);
}

bool FileProfile::WriteValues(const std::vector<registry::Setting>& settings) {
  std::vector<registry::Setting> prefixed = settings;
  for (registry::Setting& s : prefixed) {
    s.section = "P\\" + s.section;
  }
  return impl_->store.WriteValues(prefixed);
}

}  // namespace testing_support
