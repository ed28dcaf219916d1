#include "app/client_watcher.h"

#include <utility>

#include "app/config.h"

namespace velmora {
namespace {

// The retries one wait may take even when the clock stands still or goes back.
constexpr int kMaxRetries =
    static_cast<int>(ClientWatcher::kRetryFor / ClientWatcher::kRetryInterval);

}  // namespace

ClientWatcher::ClientWatcher(ClientWatch& port, EventLoop& loop, WallClock& clock,
                             std::function<void()> changed)
    : port_(port), loop_(loop), clock_(clock), changed_(std::move(changed)) {}

void ClientWatcher::start() {
  launches_ = port_.watchLaunches(kBundleID, changed_);
}

void ClientWatcher::follow(std::optional<int32_t> processIdentifier) {
  State& s = *state_;
  if (processIdentifier == s.pid) {
    // The user may have granted access since.
    if (s.pid && s.status == Status::kRefused) begin();
    return;
  }
  s.watch.reset();  // before anything else: no word of the old process after this
  s.pid = processIdentifier;
  s.status = Status::kIdle;
  ++s.generation;  // drops a retry meant for the old process
  if (s.pid) begin();
}

void ClientWatcher::begin() {
  state_->retries = 0;
  state_->deadline = clock_.now() + kRetryFor;
  attempt(false);
}

void ClientWatcher::attempt(bool late) {
  State& s = *state_;
  WatchResult result = port_.watchProcess(*s.pid, changed_);
  switch (result.start) {
    case WatchStart::kStarted:
      s.watch = std::move(result.watching);
      s.status = s.watch ? Status::kWatching : Status::kRefused;
      if (s.watch && late) changed_();
      return;
    case WatchStart::kNotYet:
      retryLater();
      return;
    case WatchStart::kFailed:
      s.status = Status::kRefused;
      return;
  }
}

void ClientWatcher::retryLater() {
  State& s = *state_;
  if (s.retries >= kMaxRetries || clock_.now() + kRetryInterval > s.deadline) {
    s.status = Status::kGaveUp;
    return;
  }
  ++s.retries;
  s.status = Status::kWaiting;
  loop_.runAfter(
      kRetryInterval, kRetryTolerance,
      [this, weak = std::weak_ptr(state_), generation = s.generation] {
        const std::shared_ptr<State> state = weak.lock();
        if (!state || state->generation != generation || state->status != Status::kWaiting) return;
        attempt(true);
      });
}

}  // namespace velmora
