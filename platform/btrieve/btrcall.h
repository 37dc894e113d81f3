// The record manager's single entry point, answering the published operation codes, buffers and
// status codes of the Btrieve interface. Each record file is one SQLite database; see
// shared/DESIGN.md ("Record manager") for the storage and sharing rules.
//
// BTRCALL(op, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum):
//   op       operation code, optionally plus a lock bias (+100 .. +400, accepted and ignored)
//   posBlock 128 bytes owned by the caller; holds only a handle into the engine's open files
//   dataBuf  data buffer; *dataLen is its size on entry and the length transferred on return
//   keyBuf   key buffer (file name for Open and Create), keyLen its size (255 = "enough")
//   keyNum   key path, or the open / create mode
// Returns the status (0 = success). Never throws, never prints. Thread-safe (one lock).
//
// Rules worth knowing beyond the published ones:
//   - Create accepts page sizes 512 to 4096 in steps of 512, 1 to 24 keys, a record length of at
//     least 4 that leaves 6 bytes of a page free, keys of at most 255 bytes, the key flags
//     duplicates, modifiable, segmented and extended type (others: 45), and the types string,
//     integer (1, 2, 4, 8 bytes) and date (4 bytes). The segments of one key share their
//     duplicates and modifiable flags. Create never opens the file, answers 85 for a file that
//     is open, and builds the file under a temporary name before moving it into place. A rollback
//     journal left under the name by a writer killed during a commit is never played into the
//     new file.
//   - Variable-length files (file flag 0x01) take records from the fixed length up to
//     kMaxRecordLength; fixed-length files exactly the record length (else 22).
//   - Gets copy what fits of a record and answer 22 when the data buffer is shorter; currency
//     still moves onto that record. A key buffer shorter than the key answers 21.
//   - Get Less or Equal and Get Last land on the last of a run of duplicates, Get Equal, Get
//     Greater or Equal and Get First on the first.
//   - After Get Next ran off the end Get Previous answers the last record (and the mirror).
//   - Step operations give physical currency only: Update, Delete, Get Position and further
//     Steps work from it, Get Next and Get Previous answer 8 until a keyed Get.
//   - Stop and Reset roll back an open transaction, then close every file (committing the
//     grouped writes). Files closed inside a transaction keep their writes until it ends.
//   - Insert and Update answer 46 through a position block opened read-only (-2).
//   - Insert and Update answer 5 only for a value that a unique key already holds; any other
//     refusal of the storage is 2 (18 when the disk is full).
//   - Writes are durable only once committed. When a commit fails (in the background too) or a
//     write failure takes the writes before it with it, every position block on the file answers
//     that failure (18 or 2) at its next operation, unless that very operation met it, and
//     again at its Close: an Insert that answered 0 is safe only when Close answers 0.
//   - Get Directory writes the current directory, NUL-terminated, into the key buffer when it
//     fits in the key length given, and answers 22 (writing nothing) when it does not.
//   - A file filled from empty builds the indexes of its keys with duplicates in one pass, before
//     the first ordered read on such a key or when it closes (store.h); an Open of a file whose
//     writer died before that builds them first, or answers the failure (18, 46, 2).
#pragma once

#include <cstdint>

int16_t BTRCALL(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen, void* keyBuf,
                uint8_t keyLen, int8_t keyNum);

namespace btr {

constexpr int kPositionBlockSize = 128;

// Operation codes.
enum Op : uint16_t {
  kOpen = 0,
  kClose = 1,
  kInsert = 2,
  kUpdate = 3,
  kDelete = 4,
  kGetEqual = 5,
  kGetNext = 6,
  kGetPrevious = 7,
  kGetGreater = 8,
  kGetGreaterOrEqual = 9,
  kGetLess = 10,
  kGetLessOrEqual = 11,
  kGetFirst = 12,
  kGetLast = 13,
  kCreate = 14,
  kStat = 15,
  kExtend = 16,  // not supported: status 1
  kSetDirectory = 17,
  kGetDirectory = 18,
  kBeginTransaction = 19,
  kEndTransaction = 20,
  kAbortTransaction = 21,
  kGetPosition = 22,
  kGetDirect = 23,
  kStepNext = 24,
  kStop = 25,
  kVersion = 26,
  kUnlock = 27,
  kReset = 28,
  kSetOwner = 29,                 // not supported: status 1
  kClearOwner = 30,               // not supported: status 1
  kCreateSupplementalIndex = 31,  // not supported: status 1
  kDropSupplementalIndex = 32,    // not supported: status 1
  kStepFirst = 33,
  kStepLast = 34,
  kStepPrevious = 35,
  kGetKeyBias = 50,  // Get operations + 50: position only, no data transferred
  kGetKeyEqual = 55,
};

// Status codes.
enum Status : int16_t {
  kOk = 0,
  kInvalidOperation = 1,
  kIoError = 2,
  kFileNotOpen = 3,
  kKeyNotFound = 4,
  kDuplicateKey = 5,
  kInvalidKeyNumber = 6,
  kDifferentKeyNumber = 7,
  kInvalidPositioning = 8,
  kEndOfFile = 9,
  kKeyNotModifiable = 10,
  kInvalidFileName = 11,
  kFileNotFound = 12,
  kDiskFull = 18,
  kKeyBufferTooShort = 21,
  kDataBufferLength = 22,
  kPageSize = 24,
  kCreateIo = 25,
  kNumberOfKeys = 26,
  kKeyPosition = 27,
  kRecordLength = 28,
  kKeyLength = 29,
  kNotBtrieveFile = 30,
  kDirectoryError = 35,
  kTransactionActive = 37,
  kNoTransaction = 39,
  kInvalidRecordAddress = 43,
  kInvalidKeyFlags = 45,
  kAccessDenied = 46,
  kInvalidExtendedType = 49,
  kFileExists = 59,
  kFileInUse = 85,
};

// Open modes (key number of Open).
enum OpenMode : int8_t {
  kNormal = 0,
  kAccelerated = -1,
  kReadOnly = -2,
  kVerify = -3,
  kExclusive = -4,
};

// Key flags of a key segment in the file specification block.
enum KeyFlag : uint16_t {
  kDuplicates = 0x01,
  kModifiable = 0x02,
  kBinary = 0x04,
  kNullKey = 0x08,
  kSegmented = 0x10,
  kAltCollating = 0x20,
  kDescending = 0x40,
  kSupplemental = 0x80,
  kExtendedType = 0x100,
  kManualKey = 0x200,
};

// Extended key types supported by the engine.
enum KeyType : uint8_t {
  kString = 0,
  kInteger = 1,
  kDate = 3,
};

// Longest record a variable-length file accepts; a fixed-length file takes exactly its record
// length.
constexpr uint32_t kMaxRecordLength = 65535;

// File flag bit 0 of the file specification block: variable-length records.
constexpr uint16_t kVariableLength = 0x01;

// What Version (26) answers: version, revision and a platform character ('L', Linux).
constexpr uint16_t kEngineVersion = 6;
constexpr uint16_t kEngineRevision = 15;
constexpr char kEnginePlatform = 'L';

// A short English name for a status, for tools ("duplicate key value").
const char* StatusName(int status);

}  // namespace btr
