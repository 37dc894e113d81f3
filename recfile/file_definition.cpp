// File specification blocks: see file_definition.h.
#include "recfile/file_definition.h"

#include "recfile/field_codec.h"

namespace recfile {

std::vector<uint8_t> BuildSpecBlock(const FileSpec& spec) {
  size_t segments = 0;
  for (const auto& key : spec.keys) {
    segments += key.size();
  }
  std::vector<uint8_t> block(16 + 16 * segments, 0);
  WriteInt16(&block[0], static_cast<int16_t>(spec.recordLength));
  WriteInt16(&block[2], static_cast<int16_t>(kPageSize));
  WriteInt16(&block[4], static_cast<int16_t>(spec.keys.size()));
  WriteInt16(&block[10], spec.variable ? 1 : 0);
  size_t at = 16;
  for (const auto& key : spec.keys) {
    for (size_t i = 0; i < key.size(); ++i) {
      const KeySegment& s = key[i];
      const bool last = i + 1 == key.size();
      const uint16_t flags = last ? (s.flags & ~0x10) : (s.flags | 0x10);
      WriteInt16(&block[at], static_cast<int16_t>(s.position));
      WriteInt16(&block[at + 2], static_cast<int16_t>(s.length));
      WriteInt16(&block[at + 4], static_cast<int16_t>(flags));
      block[at + 10] = s.type;
      at += 16;
    }
  }
  return block;
}

namespace {

// Set while DescribeTable runs a class's CreateFile.
thread_local FileSpec* t_described = nullptr;

// What CreateTableFile answers while it only describes; no table passes it on as success.
constexpr int kDescribedOnly = -1;

std::string Describe(uint16_t recordLength, bool variable, size_t keys) {
  return std::to_string(recordLength) + "-byte " + (variable ? "variable" : "fixed") +
         "-length records with " + std::to_string(keys) + (keys == 1 ? " key" : " keys");
}

}  // namespace

bool DescribeTable(CBtrieveDB& table, FileSpec* spec) {
  FileSpec described{};
  t_described = &described;
  const int status = table.CreateFile("");
  t_described = nullptr;
  if (status != kDescribedOnly) {
    return false;
  }
  *spec = described;
  return true;
}

bool FileMatchesLayout(CBtrieveDB& table, const FileSpec& expected, std::string* found) {
  // A header and up to 119 key segments of 16 bytes; the key buffer receives the file's name.
  uint8_t block[2048] = {};
  uint8_t name[256] = {};
  uint16_t length = sizeof block;
  const int status = table.Stat(block, &length, name);
  if (status != 0) {
    *found = "its file specification cannot be read (status " + std::to_string(status) + ")";
    return false;
  }
  const uint16_t recordLength = static_cast<uint16_t>(ReadInt16(&block[0]));
  const size_t keys = static_cast<uint16_t>(ReadInt16(&block[4]));
  const bool variable = (ReadInt16(&block[10]) & 1) != 0;
  if (recordLength == expected.recordLength && variable == expected.variable &&
      keys == expected.keys.size()) {
    return true;
  }
  *found = "it holds " + Describe(recordLength, variable, keys) + ", this step reads " +
           Describe(expected.recordLength, expected.variable, expected.keys.size());
  return false;
}

int CreateTableFile(CBtrieveDB& table, const FileSpec& spec, const char* fileName) {
  if (t_described != nullptr) {
    *t_described = spec;
    return kDescribedOnly;
  }
  std::vector<uint8_t> block = BuildSpecBlock(spec);
  uint16_t length = static_cast<uint16_t>(block.size());
  const int status = table.Create(block.data(), &length, fileName, 0);
  if (status != 0) {
    return status;
  }
  return table.Open(fileName);
}

}  // namespace recfile

#include "recfile/table_ops.h"

namespace recfile {

int DeleteByKey(CBtrieveDB& table, void* keyBuf, int8_t keyNum) {
  uint8_t buffer[kMaxRecord];
  uint16_t length = sizeof buffer;
  int status = table.GetEqual(buffer, &length, keyBuf, keyNum);
  if (status == btr::kKeyNotFound) {
    return 0;
  }
  if (status != 0) {
    return status;
  }
  return table.Delete();
}

}  // namespace recfile
