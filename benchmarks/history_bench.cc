// The session history at scale: 100,000 sessions over two years in one file. Opening the menu
// runs the totals query of today and this week; a session's end is one small transaction. The
// file's size is reported as a counter.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "benchmarks/temp_dir.h"
#include "history/session_history.h"

namespace velmora {
namespace {

constexpr int kSessions = 100000;
constexpr double kTwoYears = 2 * 365 * 86400.0;
constexpr double kNow = 1765000000.0;

// A history file holding kSessions ended sessions spread evenly over the two years before kNow,
// among 300 names; made once for all the benchmarks.
struct Filled {
  sim::TempDir dir;
  std::string file = dir.path() + "/history.sqlite3";
  SessionHistory history{dir.path(), file};

  Filled() {
    (void)history.launch(true, kNow);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO sessions(name, started, ended, last_seen,"
                       " start_is_lower_bound, end_reason) VALUES(?1, ?2, ?3, ?3, 0, 'gone')",
                       -1, &s, nullptr);
    for (int i = 0; i < kSessions; ++i) {
      const std::string name = "Customer " + std::to_string(i % 300) + " (Desktop)";
      const double start = kNow - kTwoYears + i * (kTwoYears / kSessions);
      sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(s, 2, start);
      sqlite3_bind_double(s, 3, start + 1800);
      sqlite3_step(s);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
};

Filled& filled() {
  static Filled f;
  return f;
}

void BM_HistoryMenuTotals(benchmark::State& state) {
  Filled& f = filled();
  for (auto _ : state) benchmark::DoNotOptimize(f.history.view(kNow));
  const HistoryView v = f.history.view(kNow);
  state.counters["names_today"] = static_cast<double>(v.today.names.size() + v.today.more);
  state.counters["names_week"] = static_cast<double>(v.week.names.size() + v.week.more);
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(f.file)) / 1e6;
}
BENCHMARK(BM_HistoryMenuTotals)->Unit(benchmark::kMillisecond);

// One session's end: its row updated in a transaction of its own. Its start, before, is not
// timed.
void BM_HistoryEndOfSession(benchmark::State& state) {
  Filled& f = filled();
  double now = kNow;
  for (auto _ : state) {
    now += 10;
    SessionChange change{"Customer 7 (Desktop)", now, false, std::nullopt, EndReason::kGone};
    (void)f.history.record({change}, now);
    change.ended = now + 5;
    const auto begin = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(f.history.record({change}, now + 5));
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
  }
}
BENCHMARK(BM_HistoryEndOfSession)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora
