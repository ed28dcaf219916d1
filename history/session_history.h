// The session history: every session's start and end kept in a SQLite file, the totals the menu
// shows and the rows an export writes. Off until the user turns it on; the switch is kept in the
// file itself, so that with history off and no file there, nothing is made. Main thread only.
//
// Writes happen only when something changed: a session started or ended, the switch was turned,
// or a minute has passed since the last heartbeat of the open sessions (a crash loses at most
// that minute). A write that fails (full or read-only disk) pauses the history: what is not yet
// written stays in memory and is tried again at the next change; the tracker goes on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/history_file.h"
#include "history/session_record.h"

namespace velmora {

class SessionHistory {
 public:
  // Open sessions' rows are touched this often, in seconds.
  static constexpr double kHeartbeat = 60.0;

  // `dir` is the history's folder (made private on the first write), `file` the database in it.
  SessionHistory(std::string dir, std::string file);

  // At launch: `keep` is the switch when the caller knows it, else the file's, and off without a
  // file. Rows a tracker left open (it did not quit cleanly) are closed at their last heartbeat.
  [[nodiscard]] std::vector<HistoryWrite> launch(std::optional<bool> keep, double now);
  // The user turned the switch. Off ends the open rows (reason tracker-quit) and keeps the file.
  [[nodiscard]] std::vector<HistoryWrite> setKeeping(bool keep, double now);
  // Sessions that started or ended (all of them, whether kept or not), and the heartbeat when due.
  [[nodiscard]] std::vector<HistoryWrite> record(const std::vector<SessionChange>& changes,
                                                 double now);
  // The tracker quits: the open rows end with reason tracker-quit.
  [[nodiscard]] std::vector<HistoryWrite> trackerQuits(double now);

  [[nodiscard]] bool keeping() const { return keep_; }
  // The submenu's content at `now`: the totals of today and of this week (local time).
  [[nodiscard]] HistoryView view(double now) const;
  // Every row, oldest first; the open ones without an end.
  [[nodiscard]] std::vector<HistoryRow> rows() const;
  [[nodiscard]] const std::string& file() const { return file_; }

 private:
  struct Tracked {
    HistoryRow row;
    std::optional<long long> id;  // its row in the file, once written
    bool resumed = false;         // open when the history was turned off: counted again from on
  };

  // Opens the file (making it when `create`); false with notice_ set when it cannot be used.
  bool open(bool create, double now);
  // Writes what is pending: new rows, ends, the heartbeat when due. On failure nothing is
  // written, all stays pending and the history is paused.
  std::vector<HistoryWrite> flush(double now, bool heartbeat);
  bool writeSwitch(bool keep);
  std::vector<HistoryWrite> closeLeftOpen();
  void endAllOpen(double now, EndReason reason);
  void pause(int error);
  [[nodiscard]] PeriodTotals totals(double from, double now) const;

  std::string dir_;
  std::string file_;
  SqliteDb db_;
  bool keep_ = false;
  bool refused_ = false;  // a file this tracker must not touch: off for this run
  std::string notice_;
  std::string movedNotice_;  // a damaged file was moved aside: said for this run
  std::vector<Tracked> open_;
  std::vector<Tracked> ends_;  // ended, not yet written
  double lastHeartbeat_ = 0.0;
};

}  // namespace velmora
