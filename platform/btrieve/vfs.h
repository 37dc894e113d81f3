// The SQLite file system under every record file: the default "unix" file system with each read,
// write, truncate, sync and delete first passed through the fault layer (platform/sysio), so that
// tests can fail the Nth write of a whole run inside SQLite as they fail the program's own calls.
// Unarmed, the shim costs one relaxed load per call.
//
// Besides, it holds the kill point "btr:commit-journaled": passed at every write to a database
// file while a rollback journal of this process is open, that is, after the journal has been
// written (and synced, but for a fresh file: store.cpp) and before the commit that needed it has
// completed.
#pragma once

namespace btr {

// The name to pass to sqlite3_open_v2; registers the shim on first use. Null only when SQLite has
// no default file system, in which case opening fails as it would without the shim.
const char* RecordFileVfs();

}  // namespace btr
