// The simulated main thread: tasks ordered by due time, then by kind (client changes before user
// input before refreshes), then by the order they were scheduled. Time is seconds since the
// simulation started; it only moves when the driver runs tasks, so it can be virtual (as fast
// as possible) or follow a real clock. A platform call costs the running task time (spend()),
// as a Mac's main thread waits on it: tasks that fall due meanwhile run late, when it is free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <queue>
#include <vector>

#include "app/event_loop.h"
#include "clock/wall_clock.h"
#include "platform/sim/desktop/mac_counts.h"

namespace velmora::sim {

enum class TaskKind { kClient = 0, kLaunch = 1, kInput = 2, kRefresh = 3 };

class SimEventLoop final : public EventLoop {
 public:
  // Timers fire when due (within any tolerance); the tolerance asked for is recorded.
  std::unique_ptr<Timer> scheduleRepeating(double interval, double tolerance,
                                           std::function<void()> fire) override;
  // Fires on the refresh timer's schedule, each whole interval after it was made.
  std::unique_ptr<Timer> scheduleMenuTimer(double interval, double tolerance,
                                           std::function<void()> fire) override;
  void runAfter(double delay, double tolerance, std::function<void()> task) override;
  void terminate() override { terminated_ = true; }

  // Schedules `task` at `time` (not before now).
  void at(double time, TaskKind kind, std::function<void()> task);

  // Drops every task of `kind` not yet run; returns how many.
  std::size_t drop(TaskKind kind);

  // Runs every task due at or before `time`, in order, then sets the time to `time`. Stops
  // early, with the time at the last task run, once the application has terminated.
  void runUntil(double time);
  // Real time: moves the time to `time` first, then runs every task due by then, late. A
  // repeating timer that missed intervals fires once and resumes on its schedule.
  void catchUp(double time);
  // Runs the next task, if any; returns false when there is none or the loop has terminated.
  bool runNext();
  // Runs `task` now as a task of its own (the user's choice in an interactive run).
  void runNow(const std::function<void()>& task);

  // The running task waits `seconds` on a platform call: the time moves on by that much.
  void spend(double seconds);
  // How long the running task waited for the main thread past its due time (0 outside tasks).
  [[nodiscard]] double waited() const { return waited_; }
  // The seconds the running task has spent on platform calls so far.
  [[nodiscard]] double busyInTask() const { return busyInTask_; }
  [[nodiscard]] MacCounts& counts() { return counts_; }
  [[nodiscard]] const MacCounts& counts() const { return counts_; }
  // The tolerance last asked for with each interval or delay.
  [[nodiscard]] const std::map<double, double>& tolerances() const { return tolerances_; }

  [[nodiscard]] double now() const { return now_; }
  [[nodiscard]] std::optional<double> nextDue() const;
  [[nodiscard]] bool terminated() const { return terminated_; }

 private:
  struct Task {
    double due;
    TaskKind kind;
    uint64_t sequence;
    std::function<void()> run;
  };
  struct Later {
    bool operator()(const Task& a, const Task& b) const;
  };
  void runTask(const Task& task, bool late);
  void record(double interval, double tolerance) { tolerances_[interval] = tolerance; }

  std::priority_queue<Task, std::vector<Task>, Later> tasks_;
  double now_ = 0.0;
  uint64_t sequence_ = 0;
  bool terminated_ = false;
  double waited_ = 0.0;
  double busyInTask_ = 0.0;
  MacCounts counts_;
  std::map<double, double> tolerances_;
};

// The current moment of a simulation: its start moment plus the loop's time.
class SimWallClock final : public WallClock {
 public:
  SimWallClock(const SimEventLoop& loop, double startMoment) : loop_(loop), start_(startMoment) {}
  double now() override { return start_ + loop_.now(); }

 private:
  const SimEventLoop& loop_;
  double start_;
};

}  // namespace velmora::sim
