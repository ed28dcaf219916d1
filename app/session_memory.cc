#include "app/session_memory.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "app/config.h"

namespace velmora {

bool SessionMemory::unchanged(const std::vector<std::string>& names) const {
  if (listed_ != open_.size() || names.size() != listed_) return false;
  for (std::size_t i = 0; i < listed_; ++i) {
    if (open_[i].name != names[i]) return false;
  }
  return true;
}

void SessionMemory::noteStart(const std::string& name, const SessionTime& time) {
  changes_.push_back({name, time.since, time.atLeast, std::nullopt, EndReason::kGone});
}

void SessionMemory::noteEnd(const Open& o, double end, EndReason reason) {
  changes_.push_back({o.name, o.time.since, o.time.atLeast, end, reason});
}

void SessionMemory::endAll(double moment) {
  std::vector<EndedSession> ended;
  ended.reserve(open_.size());
  for (Open& o : open_) {
    noteEnd(o, moment, o.quiet ? EndReason::kQuitRequested : EndReason::kClientQuit);
    ended.push_back({std::move(o.name), o.time.since, moment, o.time.atLeast});
  }
  open_.clear();
  listed_ = 0;
  times_.clear();
  remember(std::move(ended));
}

void SessionMemory::remember(std::vector<EndedSession> ended) {
  // Those of one pass keep the order the menu listed them in, ahead of older ones.
  recent_.insert(recent_.begin(), std::make_move_iterator(ended.begin()),
                 std::make_move_iterator(ended.end()));
  if (recent_.size() > kRecentLimit) recent_.resize(kRecentLimit);
}

std::vector<EndedSession> SessionMemory::observe(const DetectionResult& pass, PassCause cause,
                                                 double moment, std::optional<double> clientStart) {
  if (cause == PassCause::kCopy) return {};
  const bool firstPass = !std::exchange(firstPassSeen_, true);
  if (!pass.info.running) {
    endAll(moment);
    return {};
  }
  const std::vector<std::string>& names = pass.info.names;
  if (pass.windowsUnreadable) return {};
  // The usual pass lists what the last one did: nothing to look up.
  if (unchanged(names)) return {};

  std::unordered_map<std::string_view, std::size_t> index;
  index.reserve(open_.size());
  for (std::size_t i = 0; i < open_.size(); ++i) index.emplace(open_[i].name, i);
  const bool unseenStart = firstPass && clientStart && *clientStart < moment - kPoll;
  std::vector<bool> listed(open_.size(), false);
  std::vector<Open> next;
  next.reserve(names.size() + open_.size());
  for (const std::string& name : names) {
    if (const auto found = index.find(name); found != index.end()) {
      listed[found->second] = true;
      Open o = open_[found->second];
      o.missedOnce = false;
      next.push_back(std::move(o));
    } else {
      next.push_back(Open{name, SessionTime{moment, unseenStart}});
      noteStart(name, next.back().time);
    }
  }
  const std::size_t listedNow = next.size();
  std::vector<EndedSession> ended;
  std::vector<EndedSession> noted;
  for (std::size_t i = 0; i < open_.size(); ++i) {
    if (listed[i]) continue;
    Open& o = open_[i];
    if (!o.missedOnce) {
      o.missedOnce = true;
      o.missedAt = moment;
      next.push_back(std::move(o));
      continue;
    }
    noteEnd(o, o.missedAt, o.quiet ? EndReason::kQuitRequested : EndReason::kGone);
    EndedSession e{std::move(o.name), o.time.since, o.missedAt, o.time.atLeast};
    if (!o.quiet) noted.push_back(e);
    ended.push_back(std::move(e));
  }
  open_ = std::move(next);
  listed_ = listedNow;
  times_.clear();
  times_.reserve(listed_);
  for (std::size_t i = 0; i < listed_; ++i) times_.push_back(open_[i].time);
  remember(std::move(ended));
  return noted;
}

void SessionMemory::quitRequested() {
  for (Open& o : open_) o.quiet = true;
}

}  // namespace velmora
