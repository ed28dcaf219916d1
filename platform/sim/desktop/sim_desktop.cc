#include "platform/sim/desktop/sim_desktop.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "app/config.h"
#include "detect/script_listing.h"
#include "platform/sim/desktop/mac_costs.h"
#include "ui/client_control.h"

namespace velmora::sim {
namespace {

std::string unescape(std::string_view escaped) {
  std::string out;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] == '\\' && i + 1 < escaped.size()) ++i;
    out += escaped[i];
  }
  return out;
}

}  // namespace

struct SimDesktop::Watches {
  struct Entry {
    uint64_t id;
    std::optional<int32_t> pid;  // a process's watch; none: a watch of launches
    std::function<void()> changed;
  };
  uint64_t nextId = 0;
  std::vector<Entry> entries;

  // Calls every watch of `pid` (or of launches), each once; a watch may end another.
  void call(std::optional<int32_t> pid) const {
    std::vector<std::function<void()>> due;
    for (const Entry& e : entries) {
      if (e.pid == pid) due.push_back(e.changed);
    }
    for (const auto& changed : due) changed();
  }
};

namespace {

class SimWatching final : public Watching {
 public:
  SimWatching(std::weak_ptr<SimDesktop::Watches> watches, uint64_t id)
      : watches_(std::move(watches)), id_(id) {}
  ~SimWatching() override {
    if (const auto watches = watches_.lock()) {
      std::erase_if(watches->entries, [this](const auto& e) { return e.id == id_; });
    }
  }
  SimWatching(const SimWatching&) = delete;
  SimWatching& operator=(const SimWatching&) = delete;

 private:
  std::weak_ptr<SimDesktop::Watches> watches_;
  uint64_t id_;
};

}  // namespace

std::optional<std::string> raisedName(std::string_view source, std::string_view appName) {
  // The raise script for an empty name splits into the text before and after the name.
  const std::string frame = raiseScript(appName, "");
  const std::string_view suffix = "\")\n            perform action \"AXRaise\" of w";
  const std::size_t split = frame.find(suffix);
  if (split == std::string::npos) return std::nullopt;
  const std::string_view head = std::string_view(frame).substr(0, split);
  const std::string_view tail = std::string_view(frame).substr(split);
  if (source.size() < head.size() + tail.size() || source.substr(0, head.size()) != head ||
      source.substr(source.size() - tail.size()) != tail) {
    return std::nullopt;
  }
  return unescape(source.substr(head.size(), source.size() - head.size() - tail.size()));
}

SimDesktop::SimDesktop(SimObserver& observer)
    : observer_(observer), accessibility_(observer), watches_(std::make_shared<Watches>()) {
  scripts_.responder = [this](std::string_view source) { return answer(source); };
  // The observer hears of every script; per-request histories would grow for as long as the
  // desktop runs.
  scripts_.recording = false;
  accessibility_.recording = false;
  setClient(notRunning());
}

void SimDesktop::setClient(SimClientState client) {
  setClient(std::make_shared<const SimClientState>(std::move(client)));
}

void SimDesktop::setClient(std::shared_ptr<const SimClientState> client) {
  std::shared_ptr<const SimClientState> before = std::exchange(client_, std::move(client));
  accessibility_.pid = client_->instances > 0 ? client_->pid : 0;
  accessibility_.windows = client_->ax;
  accessibility_.hangs = client_->hangs;
  observer_.onClient(*client_);
  if (before) announce(*before);
}

void SimDesktop::announce(const SimClientState& before) const {
  if (silent) return;
  const SimClientState& now = *client_;
  const bool wasRunning = before.instances > 0;
  const bool running = now.instances > 0;
  const bool samePid = now.pid == before.pid;
  const bool quit = wasRunning && (!running || !samePid || now.instances < before.instances);
  const bool launched = running && (!wasRunning || !samePid || now.instances > before.instances);
  if (quit || launched) watches_->call(std::nullopt);
  if (running && wasRunning && samePid && now.notifies &&
      (now.ax != before.ax || now.script != before.script)) {
    watches_->call(now.pid);
  }
}

WatchResult SimDesktop::watchProcess(int32_t processIdentifier, std::function<void()> changed) {
  const SimClientState& now = *client_;
  if (silent || now.instances == 0 || processIdentifier != now.pid) return {};
  if (now.ax.kind == SimWindowList::Kind::kError) {
    if (now.ax.error == kAxErrorCannotComplete) return {WatchStart::kNotYet, nullptr};
    if (now.ax.error == kAxErrorApiDisabled) return {};
  }
  const uint64_t id = watches_->nextId++;
  watches_->entries.push_back({id, processIdentifier, std::move(changed)});
  return {WatchStart::kStarted, std::make_unique<SimWatching>(watches_, id)};
}

std::unique_ptr<Watching> SimDesktop::watchLaunches(std::string_view bundleId,
                                                    std::function<void()> changed) {
  if (silent) return nullptr;
  const uint64_t id = watches_->nextId++;
  // A watch of another application never hears anything here.
  if (bundleId == kBundleID) watches_->entries.push_back({id, std::nullopt, std::move(changed)});
  return std::make_unique<SimWatching>(watches_, id);
}

bool SimDesktop::isRunning(int32_t pid) const {
  return client_->instances > 0 && pid >= client_->pid && pid - client_->pid < client_->instances;
}

std::vector<RunningInstance> SimDesktop::runningInstances(std::string_view bundleId) {
  std::vector<RunningInstance> instances;
  if (bundleId == kTrackerBundleID) {
    instances.push_back({kSimTrackerPid});
    if (otherTracker_) instances.push_back({*otherTracker_});
    return instances;
  }
  if (bundleId != kBundleID) return instances;
  for (int64_t i = 0; i < client_->instances; ++i) {
    instances.push_back({client_->pid + static_cast<int32_t>(i)});
  }
  return instances;
}

void SimDesktop::activate(RunningInstance instance, unsigned options) {
  observer_.onActivate(instance.processIdentifier, options);
}

void SimDesktop::terminate(RunningInstance instance) {
  observer_.onTerminate(instance.processIdentifier);
  if (client_->refusesQuit || !isRunning(instance.processIdentifier)) return;
  SimClientState next = *client_;
  --next.instances;
  if (instance.processIdentifier == client_->pid) ++next.pid;
  setClient(std::move(next));
}

ScriptResult SimDesktop::answerListing() const {
  const SimListingAnswer& a = client_->script;
  switch (a.kind) {
    case SimListingAnswer::Kind::kText:
      return {ScriptResult::Kind::kText, a.text};
    case SimListingAnswer::Kind::kNoText:
      return {ScriptResult::Kind::kNoText, {}};
    case SimListingAnswer::Kind::kError:
      return {ScriptResult::Kind::kError, a.text};
    case SimListingAnswer::Kind::kNoScriptObject:
      return {ScriptResult::Kind::kNoScriptObject, {}};
    case SimListingAnswer::Kind::kFromWindows:
      break;
  }
  // No process of that name: the script's "if exists" fails and it returns nothing.
  if (client_->instances == 0) return {ScriptResult::Kind::kNoText, {}};
  std::string names;
  for (const SimWindow& w : client_->ax.windows) {
    if (w.title.kind == SimAttribute::Kind::kText) names += w.title.text;
    names += '\n';
  }
  return {ScriptResult::Kind::kText, names};
}

double scriptTimeout(std::string_view source) {
  constexpr std::string_view kWith = "with timeout of ";
  const std::size_t at = source.find(kWith);
  if (at == std::string_view::npos) return kAppleEventDefaultTimeout;
  const std::string_view rest = source.substr(at + kWith.size());
  int seconds = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), seconds);
  if (error != std::errc() || seconds < 0) return kAppleEventDefaultTimeout;
  return seconds;
}

void SimDesktop::chargeTo(SimEventLoop& loop) {
  loop_ = &loop;
  accessibility_.chargeTo(loop);
}

bool SimDesktop::charge(std::string_view source) {
  if (loop_ == nullptr) return true;
  // The Mac's runner keeps its last four compiled scripts.
  constexpr std::size_t kKept = 4;
  MacCounts& counts = loop_->counts();
  if (std::find(compiled_.begin(), compiled_.end(), source) == compiled_.end()) {
    if (compiled_.size() == kKept) compiled_.erase(compiled_.begin());
    compiled_.emplace_back(source);
    ++counts.compiles;
    loop_->spend(kScriptCompileCost);
  }
  ++counts.appleEvents;
  // Both scripts ask the client, through "System Events".
  const bool answers = !client_->hangs || client_->instances == 0;
  loop_->spend(answers ? kAppleEventCost : scriptTimeout(source));
  return answers;
}

ScriptResult SimDesktop::answer(std::string_view source) {
  observer_.onScript(std::string(source));
  if (!charge(source)) {
    return {ScriptResult::Kind::kError, std::string(kTimedOutError), kAppleEventTimedOut};
  }
  if (source == listingScript(kAppName)) {
    // A scripted failure to make the object applies to the listing only.
    return answerListing();
  }
  if (auto name = raisedName(source, kAppName)) {
    if (client_->instances == 0) {
      return {ScriptResult::Kind::kError,
              "System Events got an error: Can\u2019t get process \"Windows App\"."};
    }
    lastRaised_ = std::move(name);
    observer_.onRaise(*lastRaised_);
    return {ScriptResult::Kind::kNoText, {}};
  }
  return {ScriptResult::Kind::kError, "A identifier can\u2019t go after this identifier."};
}

}  // namespace velmora::sim
