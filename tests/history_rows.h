// The session history's file read straight through SQLite, a second opinion on what the tracker
// wrote, and a CSV reader for its exports.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

// One row of the sessions table, every column as text ("" for NULL).
using Row = std::vector<std::string>;

// The rows of `sql` in the database at `path`, opened read-only; empty when it cannot be read.
inline std::vector<Row> queryRows(const std::string& path, const std::string& sql) {
  std::vector<Row> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    while (s != nullptr && sqlite3_step(s) == SQLITE_ROW) {
      Row row;
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const unsigned char* text = sqlite3_column_text(s, i);
        row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return rows;
}

// The records of an RFC 4180 text (CR LF between records, quoted fields with doubled quotes).
inline std::vector<Row> parseCsv(const std::string& text) {
  std::vector<Row> records(1, Row(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = records.back().back();
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      field += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == ',') {
      records.back().emplace_back();
    } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      records.emplace_back(1);
      ++i;
    } else {
      field += c;
    }
  }
  if (records.back() == Row(1)) records.pop_back();
  return records;
}

}  // namespace velmora::testing
