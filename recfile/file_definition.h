// The file specification with which a table class creates its record file, and the CreateFile
// algorithm that every table class shares.
//
// The block handed to the record manager's Create is a 16-byte file header (record length, page
// size 1024, number of keys, file flags: 1 for variable-length records) followed by one 16-byte
// entry per key segment (1-based position, length, flags, extended type at byte 10), keys in
// key-number order and the segments of one key consecutive. Every other byte is zero. The
// builder sets the segmented flag 0x10 on every segment of a key but its last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recfile/btrieve_db.h"

namespace recfile {

struct KeySegment {
  uint16_t position;  // 1-based byte position in the record
  uint16_t length;
  uint16_t flags;    // 0x01 duplicates, 0x02 modifiable, 0x100 extended type applies
  uint8_t type = 0;  // extended type: 0 string, 1 integer, 3 date
};

struct FileSpec {
  uint16_t recordLength;  // the fixed part for variable-length files
  bool variable;
  std::vector<std::vector<KeySegment>> keys;  // keys in key-number order, each its segments
};

constexpr uint16_t kPageSize = 1024;

std::vector<uint8_t> BuildSpecBlock(const FileSpec& spec);

// Creates `fileName` with the specification (create mode 0: an existing file is replaced), then
// opens it. A failing Create is returned without opening anything.
int CreateTableFile(CBtrieveDB& table, const FileSpec& spec, const char* fileName);

// The specification that a table class creates its files with, learnt without creating
// anything: the class's CreateFile runs while CreateTableFile only records what it was given.
// False when the class's CreateFile does not go through CreateTableFile.
bool DescribeTable(CBtrieveDB& table, FileSpec* spec);

// Whether the file open in `table` is in the layout `expected` describes: the same record length,
// the same fixed or variable records and the same number of keys (page size and key flags may
// differ: the record manager's own rebuild keeps the records). When it is not, *found says what
// the file holds and what was expected, for a message.
bool FileMatchesLayout(CBtrieveDB& table, const FileSpec& expected, std::string* found);

}  // namespace recfile
