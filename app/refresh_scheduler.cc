#include "app/refresh_scheduler.h"

#include <utility>

namespace velmora {

RefreshScheduler::RefreshScheduler(EventLoop& loop, std::function<void()> refresh)
    : loop_(loop), refresh_(std::move(refresh)) {}

void RefreshScheduler::changed() {
  if (state_->stale) return;
  state_->stale = true;
  loop_.runAfter(kChangeDelay, kChangeTolerance,
                 [this, weak = std::weak_ptr(state_), generation = state_->generation] {
                   const std::shared_ptr<State> state = weak.lock();
                   if (!state || state->generation != generation) return;  // gone or covered
                   state->stale = false;
                   refresh_();
                 });
}

void RefreshScheduler::covered() {
  state_->stale = false;
  ++state_->generation;
}

}  // namespace velmora
