// Names of the record manager's statuses, for tools and messages.
#include "platform/btrieve/btrcall.h"

namespace btr {

const char* StatusName(int status) {
  switch (status) {
    case kOk:
      return "success";
    case kInvalidOperation:
      return "invalid operation";
    case kIoError:
      return "I/O error";
    case kFileNotOpen:
      return "file not open";
    case kKeyNotFound:
      return "key value not found";
    case kDuplicateKey:
      return "duplicate key value";
    case kInvalidKeyNumber:
      return "invalid key number";
    case kDifferentKeyNumber:
      return "different key number";
    case kInvalidPositioning:
      return "invalid positioning";
    case kEndOfFile:
      return "end of file";
    case kKeyNotModifiable:
      return "modifiable key value error";
    case kInvalidFileName:
      return "invalid file name";
    case kFileNotFound:
      return "file not found";
    case kDiskFull:
      return "disk full";
    case kKeyBufferTooShort:
      return "key buffer too short";
    case kDataBufferLength:
      return "data buffer length";
    case kPageSize:
      return "page size error";
    case kCreateIo:
      return "create I/O error";
    case kNumberOfKeys:
      return "number of keys";
    case kKeyPosition:
      return "invalid key position";
    case kRecordLength:
      return "invalid record length";
    case kKeyLength:
      return "invalid key length";
    case kNotBtrieveFile:
      return "not a record file";
    case kDirectoryError:
      return "directory error";
    case kTransactionActive:
      return "transaction is active";
    case kNoTransaction:
      return "no transaction is active";
    case kInvalidRecordAddress:
      return "invalid record address";
    case kInvalidKeyFlags:
      return "invalid key flags";
    case kAccessDenied:
      return "access denied";
    case kInvalidExtendedType:
      return "invalid extended key type";
    case kFileExists:
      return "file already exists";
    case kFileInUse:
      return "file in use";
    default:
      return "unknown status";
  }
}

}  // namespace btr
