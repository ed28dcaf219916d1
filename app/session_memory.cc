#include "app/session_memory.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "app/config.h"
#include "detect/name_list.h"

namespace velmora {
namespace {

template <typename Open>
EndedSession endOf(Open&& o, double end) {
  return {std::move(o.name), o.time.since, end, o.time.atLeast};
}

// Whether the user's Quit Windows App closed a session that ended at `end`.
template <typename Open>
bool closedByQuit(const Open& o, double end) {
  return o.quitAt && end >= *o.quitAt && end <= *o.quitAt + SessionMemory::kQuitAnswerWait;
}

}  // namespace

bool SessionMemory::unchanged(const std::vector<std::string>& names) const {
  if (listed_ != open_.size() || names.size() != listed_) return false;
  for (std::size_t i = 0; i < listed_; ++i) {
    if (open_[i].name != names[i]) return false;
  }
  return true;
}

void SessionMemory::endAll(double moment) {
  std::vector<EndedSession> ended;
  ended.reserve(open_.size());
  // One already missed ended at the pass that first missed it, not at the client's stop.
  for (Open& o : open_) ended.push_back(endOf(std::move(o), o.missedOnce ? o.missedAt : moment));
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
  if (cause == PassCause::kCopy || pass.windowsUnreadable) return {};
  const bool firstLook = !std::exchange(looked_, true);
  if (!pass.info.running) {
    endAll(moment);
    return {};
  }
  // The usual pass lists what the last one did: nothing to look up.
  if (unchanged(pass.info.names)) return {};
  const bool unseenStart = firstLook && clientStart && *clientStart < moment - kPoll;
  return relist(pass.info.names, moment, unseenStart);
}

std::vector<EndedSession> SessionMemory::relist(const std::vector<std::string>& names,
                                                double moment, bool unseenStart) {
  std::unordered_map<std::string_view, std::size_t> index;
  index.reserve(open_.size());
  for (std::size_t i = 0; i < open_.size(); ++i) index.emplace(open_[i].key, i);
  std::vector<bool> listed(open_.size(), false);
  std::vector<Open> next;
  next.reserve(names.size() + open_.size());
  for (const std::string& name : names) {
    std::string key = nameKey(name);
    if (const auto found = index.find(key); found != index.end()) {
      listed[found->second] = true;
      Open o = open_[found->second];
      o.name = name;
      o.missedOnce = false;
      next.push_back(std::move(o));
    } else {
      next.push_back(Open{name, std::move(key), SessionTime{moment, unseenStart}, std::nullopt});
    }
  }
  listed_ = next.size();
  std::vector<EndedSession> noted = endMissed(listed, moment, next);
  open_ = std::move(next);
  times_.clear();
  times_.reserve(listed_);
  for (std::size_t i = 0; i < listed_; ++i) times_.push_back(open_[i].time);
  return noted;
}

std::vector<EndedSession> SessionMemory::endMissed(const std::vector<bool>& listed, double moment,
                                                   std::vector<Open>& next) {
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
    const bool quiet = closedByQuit(o, o.missedAt);
    ended.push_back(endOf(std::move(o), o.missedAt));
    if (!quiet) noted.push_back(ended.back());
  }
  remember(std::move(ended));
  return noted;
}

void SessionMemory::quitRequested(double moment) {
  for (Open& o : open_) o.quitAt = moment;
}

}  // namespace velmora
