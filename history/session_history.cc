#include "history/session_history.h"

#include <algorithm>
#include <utility>

#include "clock/local_time.h"
#include "clock/state_dir.h"

namespace velmora {
namespace {

constexpr const char* kInsert =
    "INSERT INTO sessions(name, started, ended, last_seen, start_is_lower_bound, end_reason)"
    " VALUES(?1, ?2, ?3, ?4, ?5, ?6)";
constexpr const char* kEnd =
    "UPDATE sessions SET ended = ?1, last_seen = ?1, end_reason = ?2 WHERE id = ?3";
constexpr const char* kBeat = "UPDATE sessions SET last_seen = ?1 WHERE id = ?2";
constexpr const char* kLeftOpen =
    "SELECT name, started, last_seen FROM sessions WHERE ended IS NULL ORDER BY id";
constexpr const char* kCloseLeftOpen =
    "UPDATE sessions SET ended = last_seen, end_reason = 'unknown-after-crash'"
    " WHERE ended IS NULL";
constexpr const char* kReadSwitch = "SELECT value FROM settings WHERE name = 'keep'";
constexpr const char* kWriteSwitch =
    "INSERT OR REPLACE INTO settings(name, value) VALUES('keep', ?1)";
// Every row is found through the index on last_seen: an open one was seen within two heartbeats,
// an ended one last at its end. ?1 the period's start, ?2 that less two heartbeats, ?3 now.
constexpr const char* kTotals =
    "SELECT name, SUM(MIN(COALESCE(ended, ?3), ?3) - MAX(started, ?1)),"
    " MAX(COALESCE(ended, ?3)) AS latest FROM sessions"
    " WHERE last_seen > ?2 AND started < ?3 AND COALESCE(ended, ?3) > ?1"
    " GROUP BY name ORDER BY latest DESC, name";
constexpr const char* kRows =
    "SELECT name, started, ended, start_is_lower_bound, end_reason FROM sessions"
    " ORDER BY started, id";

void bindText(sqlite3_stmt* s, int index, const std::string& text) {
  sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void bindOptional(sqlite3_stmt* s, int index, std::optional<double> value) {
  value ? sqlite3_bind_double(s, index, *value) : sqlite3_bind_null(s, index);
}

std::string columnText(sqlite3_stmt* s, int column) {
  const unsigned char* text = sqlite3_column_text(s, column);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
              : std::string();
}

// Steps a statement that returns no rows: SQLITE_OK or SQLite's error.
int run(sqlite3_stmt* s) {
  const int code = sqlite3_step(s);
  return code == SQLITE_DONE ? SQLITE_OK : code;
}

int insertRow(sqlite3* db, const HistoryRow& row, double lastSeen, long long& id) {
  const SqliteStatement s = prepare(db, kInsert);
  if (!s) return sqlite3_errcode(db);
  bindText(s.get(), 1, row.name);
  sqlite3_bind_double(s.get(), 2, row.started);
  bindOptional(s.get(), 3, row.ended);
  sqlite3_bind_double(s.get(), 4, lastSeen);
  sqlite3_bind_int(s.get(), 5, row.startIsLowerBound ? 1 : 0);
  if (row.reason) bindText(s.get(), 6, std::string(endReasonName(*row.reason)));
  const int code = run(s.get());
  id = sqlite3_last_insert_rowid(db);
  return code;
}

int endRow(sqlite3* db, long long id, double ended, EndReason reason) {
  const SqliteStatement s = prepare(db, kEnd);
  if (!s) return sqlite3_errcode(db);
  sqlite3_bind_double(s.get(), 1, ended);
  bindText(s.get(), 2, std::string(endReasonName(reason)));
  sqlite3_bind_int64(s.get(), 3, id);
  return run(s.get());
}

int beatRow(sqlite3* db, long long id, double now) {
  const SqliteStatement s = prepare(db, kBeat);
  if (!s) return sqlite3_errcode(db);
  sqlite3_bind_double(s.get(), 1, now);
  sqlite3_bind_int64(s.get(), 2, id);
  return run(s.get());
}

HistoryWrite writeOf(HistoryWrite::Kind kind, const HistoryRow& row, double at) {
  return HistoryWrite{kind, row.name, row.started, at, row.reason};
}

}  // namespace

SessionHistory::SessionHistory(std::string dir, std::string file)
    : dir_(std::move(dir)), file_(std::move(file)) {}

void SessionHistory::pause(int error) {
  db_.reset();
  notice_ = "History paused: " + historyErrorText(error) + " (tried again at the next change)";
}

bool SessionHistory::open(bool create, double now) {
  if (create) ensurePrivateDir(dir_);
  HistoryFile f = openHistoryFile(file_, create, now);
  switch (f.fault) {
    case HistoryFile::Fault::kMovedAside:
      movedNotice_ = "Damaged history file moved aside; a new one was started";
      [[fallthrough]];
    case HistoryFile::Fault::kNone:
      db_ = std::move(f.db);
      notice_.clear();
      return true;
    case HistoryFile::Fault::kNoFile:
      return false;
    case HistoryFile::Fault::kNewerSchema:
      notice_ = "History off: its file is from a newer version of the tracker";
      break;
    case HistoryFile::Fault::kNotAFile:
      notice_ = "History off: history.sqlite3 is a link or not a file";
      break;
    case HistoryFile::Fault::kUnwritable:
      pause(f.error);
      return false;
  }
  refused_ = true;
  keep_ = false;
  return false;
}

std::vector<HistoryWrite> SessionHistory::launch(std::optional<bool> keep, double now) {
  lastHeartbeat_ = now;
  if (keep && !*keep) return {};
  if (!open(keep.value_or(false), now)) {
    // A file that is there but cannot be opened now is tried again at the next change.
    keep_ = !refused_ && !notice_.empty();
    return {};
  }
  if (keep) {
    keep_ = true;
    if (!writeSwitch(true)) return {};
    return closeLeftOpen();
  }
  int code = SQLITE_OK;
  keep_ = queryInteger(db_.get(), kReadSwitch, code).value_or(0) == 1;
  if (!keep_) {
    db_.reset();
    return {};
  }
  return closeLeftOpen();
}

bool SessionHistory::writeSwitch(bool keep) {
  const SqliteStatement s = prepare(db_.get(), kWriteSwitch);
  int code = s ? SQLITE_OK : sqlite3_errcode(db_.get());
  if (s) {
    sqlite3_bind_int(s.get(), 1, keep ? 1 : 0);
    code = run(s.get());
  }
  if (code != SQLITE_OK) pause(historyError(db_.get(), code));
  return code == SQLITE_OK;
}

std::vector<HistoryWrite> SessionHistory::closeLeftOpen() {
  std::vector<HistoryWrite> writes;
  const SqliteStatement s = prepare(db_.get(), kLeftOpen);
  while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
    HistoryRow row;
    row.name = columnText(s.get(), 0);
    row.started = sqlite3_column_double(s.get(), 1);
    row.reason = EndReason::kUnknownAfterCrash;
    writes.push_back(
        writeOf(HistoryWrite::Kind::kClosedAfterCrash, row, sqlite3_column_double(s.get(), 2)));
  }
  if (writes.empty()) return writes;
  if (const int code = execute(db_.get(), kCloseLeftOpen); code != SQLITE_OK) {
    pause(historyError(db_.get(), code));
    return {};
  }
  return writes;
}

std::vector<HistoryWrite> SessionHistory::setKeeping(bool keep, double now) {
  if (refused_ || keep == keep_) return {};
  if (keep) {
    keep_ = true;
    // Sessions open across the time it was off are counted from now, as lower bounds.
    for (Tracked& t : open_) {
      if (!std::exchange(t.resumed, false)) continue;
      t.row.started = now;
      t.row.startIsLowerBound = true;
    }
    if (!db_ && !open(true, now)) return {};
    if (!writeSwitch(true)) return {};
    return flush(now, false);
  }
  for (const Tracked& t : open_) {
    if (!t.id) continue;
    Tracked ended = t;
    ended.row.ended = now;
    ended.row.reason = EndReason::kTrackerQuit;
    ends_.push_back(std::move(ended));
  }
  // Only the ends are written; the sessions stay open in memory, without rows.
  std::vector<Tracked> stillOpen = std::exchange(open_, {});
  std::vector<HistoryWrite> writes = flush(now, false);
  open_ = std::move(stillOpen);
  for (Tracked& t : open_) {
    t.id.reset();
    t.resumed = true;
  }
  if (db_) (void)writeSwitch(false);
  keep_ = false;
  ends_.clear();
  db_.reset();
  notice_.clear();
  return writes;
}

std::vector<HistoryWrite> SessionHistory::record(const std::vector<SessionChange>& changes,
                                                 double now) {
  for (const SessionChange& c : changes) {
    if (!c.ended) {
      Tracked t;
      t.row.name = c.name;
      t.row.started = c.started;
      t.row.startIsLowerBound = c.startIsLowerBound;
      open_.push_back(std::move(t));
      continue;
    }
    const auto found = std::find_if(open_.begin(), open_.end(),
                                    [&c](const Tracked& t) { return t.row.name == c.name; });
    if (found == open_.end()) continue;
    Tracked ended = std::move(*found);
    open_.erase(found);
    ended.row.ended = c.ended;
    ended.row.reason = c.reason;
    if (keep_) ends_.push_back(std::move(ended));
  }
  const bool beat = !open_.empty() && now - lastHeartbeat_ >= kHeartbeat;
  if (!keep_ || (changes.empty() && !beat)) return {};
  return flush(now, beat);
}

std::vector<HistoryWrite> SessionHistory::trackerQuits(double now) {
  endAllOpen(now, EndReason::kTrackerQuit);
  return flush(now, false);
}

void SessionHistory::endAllOpen(double now, EndReason reason) {
  for (Tracked& t : open_) {
    t.row.ended = now;
    t.row.reason = reason;
    if (keep_) ends_.push_back(std::move(t));
  }
  open_.clear();
}

std::vector<HistoryWrite> SessionHistory::flush(double now, bool heartbeat) {
  if (!keep_ || refused_ || (!db_ && !open(true, now))) return {};
  sqlite3* db = db_.get();
  std::vector<HistoryWrite> writes;
  std::vector<std::pair<Tracked*, long long>> made;
  int code = execute(db, "BEGIN IMMEDIATE");
  for (Tracked& t : open_) {
    if (code != SQLITE_OK) break;
    if (t.id) {
      if (heartbeat) code = beatRow(db, *t.id, now);
      if (heartbeat) writes.push_back(writeOf(HistoryWrite::Kind::kHeartbeat, t.row, now));
      continue;
    }
    long long id = 0;
    code = insertRow(db, t.row, now, id);
    made.emplace_back(&t, id);
    writes.push_back(writeOf(HistoryWrite::Kind::kStart, t.row, t.row.started));
  }
  for (const Tracked& e : ends_) {
    if (code != SQLITE_OK) break;
    long long id = 0;
    code = e.id ? endRow(db, *e.id, *e.row.ended, *e.row.reason)
                : insertRow(db, e.row, *e.row.ended, id);
    writes.push_back(writeOf(HistoryWrite::Kind::kEnd, e.row, *e.row.ended));
  }
  if (code == SQLITE_OK) code = execute(db, "COMMIT");
  if (code != SQLITE_OK) {
    const int error = historyError(db, code);
    (void)execute(db, "ROLLBACK");
    pause(error);
    return {};
  }
  for (auto& [t, id] : made) t->id = id;
  ends_.clear();
  if (heartbeat) lastHeartbeat_ = now;
  notice_.clear();
  return writes;
}

PeriodTotals SessionHistory::totals(double from, double now) const {
  PeriodTotals totals;
  const SqliteStatement s = prepare(db_.get(), kTotals);
  if (!s) return totals;
  sqlite3_bind_double(s.get(), 1, from);
  sqlite3_bind_double(s.get(), 2, from - 2 * kHeartbeat);
  sqlite3_bind_double(s.get(), 3, now);
  while (sqlite3_step(s.get()) == SQLITE_ROW) {
    const double seconds = sqlite3_column_double(s.get(), 1);
    totals.seconds += seconds;
    if (totals.names.size() < PeriodTotals::kListed) {
      totals.names.push_back({columnText(s.get(), 0), seconds});
    } else {
      ++totals.more;
    }
  }
  return totals;
}

HistoryView SessionHistory::view(double now) const {
  HistoryView v;
  v.keeping = keep_;
  v.notice = notice_.empty() ? movedNotice_ : notice_;
  if (!keep_ || !db_) return v;
  const std::optional<double> day = localDayStart(now);
  const std::optional<double> week = localWeekStart(now);
  if (day) v.today = totals(*day, now);
  if (week) v.week = totals(*week, now);
  return v;
}

std::vector<HistoryRow> SessionHistory::rows() const {
  std::vector<HistoryRow> rows;
  const SqliteStatement s = db_ ? prepare(db_.get(), kRows) : nullptr;
  while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
    HistoryRow row;
    row.name = columnText(s.get(), 0);
    row.started = sqlite3_column_double(s.get(), 1);
    if (sqlite3_column_type(s.get(), 2) != SQLITE_NULL)
      row.ended = sqlite3_column_double(s.get(), 2);
    row.startIsLowerBound = sqlite3_column_int(s.get(), 3) != 0;
    row.reason = endReasonNamed(columnText(s.get(), 4));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace velmora
