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

int CreateTableFile(CBtrieveDB& table, const FileSpec& spec, const char* fileName) {
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
  if (status == 4) {
    return 0;
  }
  if (status != 0) {
    return status;
  }
  return table.Delete();
}

}  // namespace recfile
