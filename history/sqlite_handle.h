// Sole owners of a SQLite connection and of a prepared statement, and the few calls the history
// makes through them. Every function returns SQLite's result code; nothing throws.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>

namespace velmora {

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteFinalizer>;

// `sql` prepared on `db`; null when it cannot be (the connection's error says why).
[[nodiscard]] SqliteStatement prepare(sqlite3* db, const char* sql);
// Runs `sql`, which returns no rows (several statements allowed); SQLite's result code.
[[nodiscard]] int execute(sqlite3* db, const char* sql);
// The one integer the query `sql` returns, or nothing when it fails (`code` says why).
[[nodiscard]] std::optional<long long> queryInteger(sqlite3* db, const char* sql, int& code);
// The one text the query `sql` returns, or nothing when it fails (`code` says why).
[[nodiscard]] std::optional<std::string> queryText(sqlite3* db, const char* sql, int& code);

}  // namespace velmora
