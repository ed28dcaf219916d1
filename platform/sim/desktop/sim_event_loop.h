// The simulated main thread: tasks ordered by due time, then by kind (client changes before user
// input before refreshes), then by the order they were scheduled. Time is seconds since the
// simulation started; it only moves when the driver runs tasks, so it can be virtual (as fast
// as possible) or follow a real clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <queue>
#include <vector>

#include "app/event_loop.h"
#include "clock/wall_clock.h"

namespace velmora::sim {

enum class TaskKind { kClient = 0, kLaunch = 1, kInput = 2, kRefresh = 3 };

class SimEventLoop final : public EventLoop {
 public:
  std::unique_ptr<Timer> scheduleRepeating(double interval, std::function<void()> fire) override;
  // Fires on the refresh timer's schedule, each whole interval after it was made.
  std::unique_ptr<Timer> scheduleMenuTimer(double interval, std::function<void()> fire) override;
  void runAfter(double delay, std::function<void()> task) override;
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

  std::priority_queue<Task, std::vector<Task>, Later> tasks_;
  double now_ = 0.0;
  uint64_t sequence_ = 0;
  bool terminated_ = false;
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
