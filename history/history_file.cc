#include "history/history_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "files/unique_fd.h"

namespace velmora {
namespace {

constexpr int kSqliteBase = 0x10000;

constexpr const char* kSchema =
    "BEGIN IMMEDIATE;"
    "CREATE TABLE IF NOT EXISTS sessions(id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
    " started REAL NOT NULL, ended REAL, last_seen REAL NOT NULL,"
    " start_is_lower_bound INTEGER NOT NULL, end_reason TEXT);"
    "CREATE INDEX IF NOT EXISTS sessions_last_seen ON sessions(last_seen);"
    "CREATE TABLE IF NOT EXISTS settings(name TEXT PRIMARY KEY, value INTEGER NOT NULL);"
    "PRAGMA user_version = 1;"
    "COMMIT;";

// "20261208T192313Z".
std::string utcStamp(double now) {
  const auto seconds = static_cast<std::time_t>(std::isfinite(now) ? now : 0.0);
  std::tm utc{};
  char text[32] = "unknown-time";
  if (::gmtime_r(&seconds, &utc) != nullptr)
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
  return text;
}

// A new, empty file with mode 0600, never through a link; 0 or errno.
int createPrivateFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.valid()) return errno;
  // The umask can only have removed bits.
  if (::fchmod(fd.get(), 0600) != 0) return errno;
  return fd.close().error;
}

// The file and its WAL companions moved to "<path>.damaged-<stamp>"; 0 or errno.
int moveAside(const std::string& path, const std::string& to) {
  if (::rename(path.c_str(), to.c_str()) != 0) return errno;
  for (const char* companion : {"-wal", "-shm"}) {
    const std::string from = path + companion;
    (void)::rename(from.c_str(), (to + companion).c_str());
  }
  return 0;
}

HistoryFile fault(HistoryFile::Fault why, int error = 0) {
  HistoryFile file;
  file.fault = why;
  file.error = error;
  return file;
}

// Whether `code` says the file is not a database or is damaged.
bool damaged(int code) {
  return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

// Opens an existing file at `path`. kMovedAside here means: damaged, not yet moved.
HistoryFile openExisting(const std::string& path) {
  sqlite3* raw = nullptr;
  const int opened =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
  SqliteDb db(raw);
  if (opened != SQLITE_OK) return fault(HistoryFile::Fault::kUnwritable, historyError(raw, opened));
  sqlite3_busy_timeout(db.get(), kHistoryBusyMs);
  int code = SQLITE_OK;
  const std::optional<long long> version = queryInteger(db.get(), "PRAGMA user_version", code);
  if (!version) {
    return fault(damaged(code) ? HistoryFile::Fault::kMovedAside : HistoryFile::Fault::kUnwritable,
                 historyError(db.get(), code));
  }
  if (*version > kHistorySchemaVersion) return fault(HistoryFile::Fault::kNewerSchema);
  const std::optional<std::string> check = queryText(db.get(), "PRAGMA quick_check", code);
  if (!check || *check != "ok") {
    if (check || damaged(code)) return fault(HistoryFile::Fault::kMovedAside);
    return fault(HistoryFile::Fault::kUnwritable, historyError(db.get(), code));
  }
  // A read-only file keeps its journal mode and schema; the first write says why it fails.
  (void)execute(db.get(), "PRAGMA journal_mode=WAL");
  // In WAL mode, NORMAL syncs at checkpoints, not at every commit: a session's end costs no
  // wait for the disk on the main thread, and a crash of the tracker loses nothing; only a
  // power cut may lose what the system had not yet written out.
  (void)execute(db.get(), "PRAGMA synchronous=NORMAL");
  if (*version < kHistorySchemaVersion) {
    if (const int made = execute(db.get(), kSchema); made != SQLITE_OK) {
      const int error = historyError(db.get(), made);
      (void)execute(db.get(), "ROLLBACK");
      return fault(HistoryFile::Fault::kUnwritable, error);
    }
  }
  HistoryFile file;
  file.db = std::move(db);
  return file;
}

}  // namespace

int historyError(sqlite3* db, int code) {
  const int system = db != nullptr ? sqlite3_system_errno(db) : 0;
  if (system != 0 && code != SQLITE_FULL && code != SQLITE_READONLY) return system;
  switch (code & 0xff) {
    case SQLITE_FULL:
      return ENOSPC;
    case SQLITE_READONLY:
      return EROFS;
    default:
      return kSqliteBase + code;
  }
}

std::string historyErrorText(int error) {
  if (error >= kSqliteBase) return sqlite3_errstr(error - kSqliteBase);
  return std::strerror(error);
}

HistoryFile openHistoryFile(const std::string& path, bool create, double now) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return fault(HistoryFile::Fault::kNotAFile);
  } else if (errno != ENOENT) {
    return fault(HistoryFile::Fault::kUnwritable, errno);
  } else if (!create) {
    return fault(HistoryFile::Fault::kNoFile);
  } else if (const int made = createPrivateFile(path); made != 0) {
    return fault(HistoryFile::Fault::kUnwritable, made);
  }
  HistoryFile file = openExisting(path);
  if (file.fault != HistoryFile::Fault::kMovedAside) return file;
  file.db.reset();
  const std::string aside = path + ".damaged-" + utcStamp(now);
  if (const int moved = moveAside(path, aside); moved != 0) {
    return fault(HistoryFile::Fault::kUnwritable, moved);
  }
  if (const int made = createPrivateFile(path); made != 0) {
    return fault(HistoryFile::Fault::kUnwritable, made);
  }
  HistoryFile fresh = openExisting(path);
  if (fresh.fault == HistoryFile::Fault::kNone) fresh.fault = HistoryFile::Fault::kMovedAside;
  fresh.movedTo = aside;
  return fresh;
}

}  // namespace velmora
