#include "history/sqlite_handle.h"

namespace velmora {

SqliteStatement prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    return nullptr;
  }
  return SqliteStatement(statement);
}

int execute(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

namespace {

// Steps `sql` to its first row; null with `code` set when it has none or fails.
SqliteStatement firstRow(sqlite3* db, const char* sql, int& code) {
  SqliteStatement statement = prepare(db, sql);
  if (!statement) {
    code = sqlite3_errcode(db);
    return nullptr;
  }
  code = sqlite3_step(statement.get());
  if (code != SQLITE_ROW) return nullptr;
  code = SQLITE_OK;
  return statement;
}

}  // namespace

std::optional<long long> queryInteger(sqlite3* db, const char* sql, int& code) {
  const SqliteStatement row = firstRow(db, sql, code);
  if (!row) return std::nullopt;
  return sqlite3_column_int64(row.get(), 0);
}

std::optional<std::string> queryText(sqlite3* db, const char* sql, int& code) {
  const SqliteStatement row = firstRow(db, sql, code);
  if (!row) return std::nullopt;
  const unsigned char* text = sqlite3_column_text(row.get(), 0);
  return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace velmora
