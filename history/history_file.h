// Opening the history database safely: never through a link, created with mode 0600, in WAL
// mode with a schema version, a damaged file moved aside and a newer one left alone.
#pragma once

#include <string>

#include "history/sqlite_handle.h"

namespace velmora {

// The schema this tracker writes (PRAGMA user_version).
inline constexpr long long kHistorySchemaVersion = 1;

// The main thread waits at most this long for another connection's lock.
inline constexpr int kHistoryBusyMs = 100;

struct HistoryFile {
  enum class Fault {
    kNone,
    kNoFile,       // none there, and none was to be made
    kMovedAside,   // damaged or not a database: moved to `movedTo`, a new one made
    kNewerSchema,  // a later version's file: left untouched
    kNotAFile,     // a link or something else than a regular file: refused, untouched
    kUnwritable,   // could not be made or opened (`error`: errno, or SQLite's code above 0x10000)
  };
  SqliteDb db;  // open, with the schema in place, unless the fault says otherwise
  Fault fault = Fault::kNone;
  int error = 0;
  std::string movedTo;
};

// Opens the history at `path` (its folder must exist), making a new file when there is none and
// `create` holds. `now` names a damaged file moved aside: "<path>.damaged-<UTC time>".
[[nodiscard]] HistoryFile openHistoryFile(const std::string& path, bool create, double now);

// A SQLite result code as an error for HistoryFile::error and historyErrorText: the system's
// errno where SQLite knows one, else 0x10000 + the code.
[[nodiscard]] int historyError(sqlite3* db, int code);
// The error in words: "No space left on device", "read-only file system", ...
[[nodiscard]] std::string historyErrorText(int error);

}  // namespace velmora
