// Record file verification; see check.h.
#include "platform/btrieve/check.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/keydef.h"
#include "platform/btrieve/store.h"
#include "platform/btrieve/vfs.h"
#include "platform/files/winpath.h"

namespace btr {
namespace {

struct Checker {
  sqlite3* db = nullptr;
  CheckReport* report;

  explicit Checker(CheckReport* r) : report(r) {}
  ~Checker() { sqlite3_close(db); }

  // The file cannot be checked at all.
  int Refuse(int status, std::string why) {
    report->summary = std::move(why);
    return status;
  }

  void Problem(std::string line) {
    if (report->problems.size() < kMaxProblems) {
      report->problems.push_back(std::move(line));
    } else {
      ++report->unlisted;
    }
  }

  bool Sound() const { return report->problems.empty(); }

  // SQLite's integrity check answers one text per fault it finds, some spanning several lines
  // under a heading that names the database; each line becomes a problem of its own.
  void Integrity() {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK) {
      Problem(std::string("storage cannot be checked: ") + sqlite3_errmsg(db));
      return;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      std::string result = text != nullptr ? text : "";
      if (result == "ok") {
        break;
      }
      size_t start = 0;
      while (start <= result.size()) {
        size_t end = result.find('\n', start);
        std::string line = result.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.rfind("*** in database", 0) != 0) {
          Problem("damaged storage: " + line);
        }
        if (end == std::string::npos) {
          break;
        }
        start = end + 1;
      }
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
      Problem(std::string("storage cannot be checked: ") + sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
  }

  bool LoadSpec(FileSpec* spec, int64_t* count) {
    sqlite3_stmt* stmt = nullptr;
    bool ok = sqlite3_prepare_v2(db, "SELECT block, count FROM spec WHERE id = 1", -1, &stmt,
                                 nullptr) == SQLITE_OK &&
              sqlite3_step(stmt) == SQLITE_ROW &&
              ParseSpec(static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 0)),
                        static_cast<uint32_t>(sqlite3_column_bytes(stmt, 0)), spec) == kOk;
    if (ok) {
      *count = sqlite3_column_int64(stmt, 1);
    }
    sqlite3_finalize(stmt);
    return ok;
  }

  void CheckRow(sqlite3_stmt* stmt, const FileSpec& spec, std::string* stored) {
    int64_t pos = sqlite3_column_int64(stmt, 0);
    auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 1));
    auto length = static_cast<uint32_t>(sqlite3_column_bytes(stmt, 1));
    std::string where = "record at position " + std::to_string(pos);
    bool length_ok = spec.variable()
                         ? length >= spec.record_length && length <= spec.max_record_length()
                         : length == spec.record_length;
    if (!length_ok) {
      Problem(where + " has length " + std::to_string(length));
      if (length < spec.record_length) {
        return;  // its keys cannot be read from it
      }
    }
    for (size_t k = 0; k < spec.keys.size(); ++k) {
      int col = static_cast<int>(k) + 2;
      EncodeKeyFromRecord(spec.keys[k], data, stored);
      auto* column = static_cast<const char*>(sqlite3_column_blob(stmt, col));
      if (static_cast<size_t>(sqlite3_column_bytes(stmt, col)) != stored->size() ||
          stored->compare(0, stored->size(), column, stored->size()) != 0) {
        Problem(where + ": key " + std::to_string(k) + " does not match the record");
      }
    }
  }

  // The indexes of the keys: any may be missing while a writer fills the file from empty
  // (store.h, deferred indexes), and then the engine builds it at the next open; a unique key
  // without its index must still hold every value once. Returns the keys whose index is
  // deferred.
  std::vector<int> Indexes(const FileSpec& spec) {
    std::vector<int> deferred;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1", -1,
                           &stmt, nullptr) != SQLITE_OK) {
      Problem(std::string("the indexes cannot be listed: ") + sqlite3_errmsg(db));
      return deferred;
    }
    for (size_t k = 0; k < spec.keys.size(); ++k) {
      std::string name = "rec_k" + std::to_string(k);
      sqlite3_reset(stmt);
      sqlite3_bind_text(stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(stmt) == SQLITE_ROW) {
        continue;
      }
      if (!spec.keys[k].duplicates) {
        UniqueWithoutIndex(static_cast<int>(k));
      }
      deferred.push_back(static_cast<int>(k));
    }
    sqlite3_finalize(stmt);
    return deferred;
  }

  void UniqueWithoutIndex(int key) {
    std::string col = "k" + std::to_string(key);
    std::string sql = "SELECT 1 FROM rec GROUP BY " + col + " HAVING count(*) > 1 LIMIT 1";
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
      rc = sqlite3_step(stmt);
    }
    if (rc == SQLITE_ROW) {
      Problem("key " + std::to_string(key) + " is unique but holds a value twice");
    } else if (rc != SQLITE_DONE) {
      Problem("key " + std::to_string(key) + " cannot be checked: " + sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
  }

  // Returns the number of records read.
  int64_t Records(const FileSpec& spec) {
    std::string sql = "SELECT pos, data";
    for (size_t k = 0; k < spec.keys.size(); ++k) {
      sql += ", k" + std::to_string(k);
    }
    sql += " FROM rec ORDER BY pos";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      Problem("the record table does not match the file specification");
      return 0;
    }
    int64_t found = 0;
    std::string stored;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      CheckRow(stmt, spec, &stored);
      ++found;
    }
    if (rc != SQLITE_DONE) {
      Problem("reading the records stopped after " + std::to_string(found) +
              " of them: " + sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    return found;
  }

  bool Open(const std::string& path) {
    // Read-write when possible, so that a journal left by a killed writer is rolled back.
    for (int flags : {SQLITE_OPEN_READWRITE, SQLITE_OPEN_READONLY}) {
      sqlite3_close(db);
      db = nullptr;
      if (sqlite3_open_v2(path.c_str(), &db, flags, RecordFileVfs()) == SQLITE_OK) {
        return true;
      }
    }
    return false;
  }

  int Run(const std::string& name) {
    std::string path = files::Resolve(name);
    struct stat st;
    if (name.empty() || stat(path.c_str(), &st) != 0) {
      return Refuse(kFileNotFound, "file not found");
    }
    if (!Open(path)) {
      return Refuse(kIoError, std::string("cannot be opened: ") + sqlite3_errmsg(db));
    }
    sqlite3_busy_timeout(db, 5000);
    if (int status = RecordFile::Probe(db); status != kOk) {
      return Refuse(status, status == kNotBtrieveFile
                                ? "not a record file"
                                : std::string("cannot be read: ") + sqlite3_errmsg(db));
    }
    Integrity();
    FileSpec spec;
    int64_t kept = 0;
    if (!LoadSpec(&spec, &kept)) {
      Problem("no readable file specification");
      return kIoError;
    }
    std::vector<int> deferred = Indexes(spec);
    int64_t found = Records(spec);
    if (found != kept) {
      Problem("record count " + std::to_string(kept) + " kept, " + std::to_string(found) +
              " found");
    }
    if (!Sound()) {
      return kIoError;
    }
    report->summary =
        std::to_string(found) + " records, " + std::to_string(spec.keys.size()) + " keys";
    if (!deferred.empty()) {
      std::string keys;
      for (int k : deferred) {
        keys += (keys.empty() ? "" : ", ") + std::to_string(k);
      }
      report->summary += " (the index of key" + std::string(deferred.size() > 1 ? "s " : " ") +
                         keys + " is built at the next open)";
    }
    return kOk;
  }
};

}  // namespace

int InspectRecordFile(const std::string& name, CheckReport* report) {
  *report = CheckReport();
  Checker checker(report);
  return checker.Run(name);
}

int CheckRecordFile(const std::string& name, std::string* report) {
  CheckReport full;
  int status = InspectRecordFile(name, &full);
  if (report != nullptr) {
    *report = full.problems.empty() ? full.summary : full.problems.front();
  }
  return status;
}

}  // namespace btr
