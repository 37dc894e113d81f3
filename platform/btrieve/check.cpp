// Record file verification; see check.h.
#include "platform/btrieve/check.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/keydef.h"
#include "platform/btrieve/store.h"
#include "platform/files/winpath.h"

namespace btr {
namespace {

struct Checker {
  sqlite3* db = nullptr;
  std::string reason;

  ~Checker() { sqlite3_close(db); }

  int Fail(int status, std::string why) {
    reason = std::move(why);
    return status;
  }

  int Integrity() {
    sqlite3_stmt* stmt = nullptr;
    std::string result = "integrity check could not run";
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    return result == "ok" ? kOk : Fail(kIoError, "damaged: " + result);
  }

  int LoadSpec(FileSpec* spec, int64_t* count) {
    sqlite3_stmt* stmt = nullptr;
    int status = Fail(kNotBtrieveFile, "no readable file specification");
    if (sqlite3_prepare_v2(db, "SELECT block, count FROM spec WHERE id = 1", -1, &stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW &&
        ParseSpec(static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 0)),
                  static_cast<uint32_t>(sqlite3_column_bytes(stmt, 0)), spec) == kOk) {
      *count = sqlite3_column_int64(stmt, 1);
      status = kOk;
    }
    sqlite3_finalize(stmt);
    return status;
  }

  int CheckRow(sqlite3_stmt* stmt, const FileSpec& spec, std::string* stored) {
    int64_t pos = sqlite3_column_int64(stmt, 0);
    auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 1));
    auto length = static_cast<uint32_t>(sqlite3_column_bytes(stmt, 1));
    std::string where = "record at position " + std::to_string(pos);
    bool length_ok = spec.variable()
                         ? length >= spec.record_length && length <= spec.max_record_length()
                         : length == spec.record_length;
    if (!length_ok) {
      return Fail(kIoError, where + " has length " + std::to_string(length));
    }
    for (size_t k = 0; k < spec.keys.size(); ++k) {
      int col = static_cast<int>(k) + 2;
      EncodeKeyFromRecord(spec.keys[k], data, stored);
      auto* column = static_cast<const char*>(sqlite3_column_blob(stmt, col));
      if (static_cast<size_t>(sqlite3_column_bytes(stmt, col)) != stored->size() ||
          stored->compare(0, stored->size(), column, stored->size()) != 0) {
        return Fail(kIoError, where + ": key " + std::to_string(k) + " does not match the record");
      }
    }
    return kOk;
  }

  int Records(const FileSpec& spec, int64_t kept) {
    std::string sql = "SELECT pos, data";
    for (size_t k = 0; k < spec.keys.size(); ++k) {
      sql += ", k" + std::to_string(k);
    }
    sql += " FROM rec ORDER BY pos";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      return Fail(kNotBtrieveFile, "record table does not match the specification");
    }
    int64_t found = 0;
    int status = kOk;
    std::string stored;
    int rc;
    while (status == kOk && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      status = CheckRow(stmt, spec, &stored);
      ++found;
    }
    if (status == kOk && rc != SQLITE_DONE) {
      status = Fail(kIoError, std::string("reading records: ") + sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    if (status == kOk && found != kept) {
      status = Fail(kIoError, "record count " + std::to_string(kept) + " kept, " +
                                  std::to_string(found) + " found");
    }
    if (status == kOk) {
      reason = std::to_string(found) + " records, " + std::to_string(spec.keys.size()) + " keys";
    }
    return status;
  }

  int Run(const std::string& name) {
    std::string path = files::Resolve(name);
    struct stat st;
    if (name.empty() || stat(path.c_str(), &st) != 0) {
      return Fail(kFileNotFound, "file not found");
    }
    // Read-write when possible, so that a journal left by a killed writer is rolled back.
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      db = nullptr;
      if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        return Fail(kIoError, sqlite3_errmsg(db));
      }
    }
    sqlite3_busy_timeout(db, 5000);
    if (int status = RecordFile::Probe(db); status != kOk) {
      return Fail(status, status == kNotBtrieveFile ? "not a record file" : sqlite3_errmsg(db));
    }
    if (int status = Integrity(); status != kOk) {
      return status;
    }
    FileSpec spec;
    int64_t count = 0;
    if (int status = LoadSpec(&spec, &count); status != kOk) {
      return status;
    }
    return Records(spec, count);
  }
};

}  // namespace

int CheckRecordFile(const std::string& name, std::string* report) {
  Checker checker;
  int status = checker.Run(name);
  if (report != nullptr) {
    *report = checker.reason;
  }
  return status;
}

}  // namespace btr
