#include "platform/sim/desktop/sim_event_loop.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora::sim {
namespace {

// Its firings go on while `alive` holds; the handle's end takes it away.
class SimTimer final : public Timer {
 public:
  explicit SimTimer(std::shared_ptr<bool> alive) : alive_(std::move(alive)) {}
  ~SimTimer() override { *alive_ = false; }
  SimTimer(const SimTimer&) = delete;
  SimTimer& operator=(const SimTimer&) = delete;

 private:
  std::shared_ptr<bool> alive_;
};

// Whole microseconds, so that the times a run prints stay short and exact.
double inMicroseconds(double seconds) {
  constexpr double kMicro = 1e6;
  return std::round(seconds * kMicro) / kMicro;
}

}  // namespace

bool SimEventLoop::Later::operator()(const Task& a, const Task& b) const {
  if (a.due != b.due) return a.due > b.due;
  if (a.kind != b.kind) return a.kind > b.kind;
  return a.sequence > b.sequence;
}

void SimEventLoop::at(double time, TaskKind kind, std::function<void()> task) {
  tasks_.push(Task{std::max(time, now_), kind, sequence_++, std::move(task)});
}

std::unique_ptr<Timer> SimEventLoop::scheduleRepeating(double interval, double tolerance,
                                                       std::function<void()> fire) {
  record(interval, tolerance);
  // Each firing schedules the next one while the handle lives. A firing that comes late skips
  // the missed intervals instead of catching up on them.
  auto alive = std::make_shared<bool>(true);
  auto step = std::make_shared<std::function<void(double)>>();
  *step = [this, interval, alive, fire = std::move(fire),
           weakStep = std::weak_ptr(step)](double due) {
    if (!*alive) return;
    double next = due + interval;
    while (next <= now_) next += interval;
    if (auto self = weakStep.lock()) at(next, TaskKind::kRefresh, [self, next] { (*self)(next); });
    ++counts_.timerFirings;
    fire();
  };
  const double first = now_ + interval;
  at(first, TaskKind::kRefresh, [step, first] { (*step)(first); });
  return std::make_unique<SimTimer>(std::move(alive));
}

std::unique_ptr<Timer> SimEventLoop::scheduleMenuTimer(double interval, double tolerance,
                                                       std::function<void()> fire) {
  return scheduleRepeating(interval, tolerance, std::move(fire));
}

void SimEventLoop::runAfter(double delay, double tolerance, std::function<void()> task) {
  record(delay, tolerance);
  at(now_ + delay, TaskKind::kRefresh, [this, task = std::move(task)] {
    ++counts_.timerFirings;
    task();
  });
}

void SimEventLoop::spend(double seconds) {
  now_ = inMicroseconds(now_ + seconds);
  busyInTask_ = inMicroseconds(busyInTask_ + seconds);
  counts_.busy += seconds;
}

void SimEventLoop::runNow(const std::function<void()>& task) {
  runTask(Task{now_, TaskKind::kInput, sequence_++, task}, true);
}

std::size_t SimEventLoop::drop(TaskKind kind) {
  std::vector<Task> kept;
  std::size_t dropped = 0;
  for (; !tasks_.empty(); tasks_.pop()) {
    if (tasks_.top().kind == kind) {
      ++dropped;
    } else {
      kept.push_back(tasks_.top());
    }
  }
  for (Task& t : kept) tasks_.push(std::move(t));
  return dropped;
}

// A task that falls due while an earlier one holds the main thread starts when it ends.
void SimEventLoop::runTask(const Task& task, bool late) {
  if (!late) now_ = std::max(now_, task.due);
  waited_ = std::max(0.0, inMicroseconds(now_ - task.due));
  busyInTask_ = 0.0;
  const double start = now_;
  task.run();
  counts_.longestBlock = std::max(counts_.longestBlock, now_ - start);
  waited_ = 0.0;
}

bool SimEventLoop::runNext() {
  if (terminated_ || tasks_.empty()) return false;
  Task task = tasks_.top();
  tasks_.pop();
  runTask(task, false);
  return true;
}

void SimEventLoop::catchUp(double time) {
  now_ = std::max(now_, time);
  while (!terminated_ && !tasks_.empty() && tasks_.top().due <= now_) {
    Task task = tasks_.top();
    tasks_.pop();
    runTask(task, true);
  }
}

void SimEventLoop::runUntil(double time) {
  while (!terminated_ && !tasks_.empty() && tasks_.top().due <= time) runNext();
  if (!terminated_) now_ = std::max(now_, time);
}

std::optional<double> SimEventLoop::nextDue() const {
  if (tasks_.empty()) return std::nullopt;
  return tasks_.top().due;
}

}  // namespace velmora::sim
