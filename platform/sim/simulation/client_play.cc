#include "platform/sim/simulation/client_play.h"

#include <algorithm>
#include <array>

#include "app/config.h"
#include "detect/title_rules.h"
#include "platform/sim/desktop/sim_accessibility.h"

namespace velmora::sim {
namespace {

constexpr std::string_view kStandard = "AXStandardWindow";
constexpr std::string_view kConnectionCenter = "Connection Center";
constexpr std::string_view kIdlePanelTitle = "Devices";
constexpr std::array<std::string_view, 5> kSessionNames = {
    "Office PC", "Test Lab", "Design Workstation", "Home Desktop", "Finance VM"};
// The width of a session window the play key f makes full screen (a Mac's 1440 x 900).
constexpr double kPlayedFullScreenWidth = 1440.0;
constexpr std::string_view kNotRunning = "Windows App is not running (s starts it)";

SimWindow window(std::string title, std::string_view subrole, double width, double height) {
  return SimWindow{SimAttribute::ofText(std::move(title)),
                   SimAttribute::ofText(std::string(subrole)), SimAttribute::ofSize(width, height),
                   SimAttribute::ofBool(false)};
}

bool isStorySession(const SimWindow& w) {
  return w.subrole == SimAttribute::ofText(std::string(kStandard)) &&
         w.title.kind == SimAttribute::Kind::kText && w.title.text != kConnectionCenter &&
         !placeholderName(w.title.text);
}

std::string quotedTitle(const SimWindow& w) {
  return "\"" + (w.title.kind == SimAttribute::Kind::kText ? w.title.text : std::string()) + "\"";
}

}  // namespace

std::optional<PlayAction> playActionForKey(char key) {
  const std::size_t at = kPlayKeys.find(key);
  if (key == '\0' || at == std::string_view::npos) return std::nullopt;
  return static_cast<PlayAction>(at);
}

ClientPlay::ClientPlay(const SimClientState& client)
    : storyList_(client.ax.kind), storyError_(client.ax.error), storyScript_(client.script) {
  for (const SimWindow& w : client.ax.windows) {
    roles_.push_back(isStorySession(w) ? Role::kSession : Role::kOther);
  }
  if (storyList_ == SimWindowList::Kind::kError) {
    accessibilityRefused_ = storyError_ == kAxErrorApiDisabled;
    if (accessibilityRefused_) storyList_ = SimWindowList::Kind::kWindows;
  }
  hung_ = client.hangs;
  if (storyScript_.kind == SimListingAnswer::Kind::kError &&
      storyScript_.text.find("-1743") != std::string::npos) {
    automationRefused_ = true;
    storyScript_ = SimListingAnswer{};
  }
}

std::string ClientPlay::apply(PlayAction action, SimClientState& client) {
  // The tracker's Quit Windows App changes the instances only; the windows stay as they were.
  roles_.resize(client.ax.windows.size(), Role::kOther);
  const bool running = client.instances > 0;
  std::string said;
  switch (action) {
    case PlayAction::kStartStop:
      said = startStop(client);
      break;
    case PlayAction::kOpenSession:
      said = running ? openSession(client) : std::string(kNotRunning);
      break;
    case PlayAction::kCloseSession:
      said = running ? closeSession(client) : std::string(kNotRunning);
      break;
    case PlayAction::kFullScreen:
      said = running ? toggleFullScreen(client) : std::string(kNotRunning);
      break;
    case PlayAction::kIdlePanel:
      said = running ? toggleIdlePanel(client) : std::string(kNotRunning);
      break;
    case PlayAction::kBackground:
      said = running ? addBackground(client) : std::string(kNotRunning);
      break;
    case PlayAction::kAccessibility:
      accessibilityRefused_ = !accessibilityRefused_;
      said = accessibilityRefused_ ? "refused Accessibility: reading the window list fails with "
                                     "-25211"
                                   : "allowed Accessibility";
      break;
    case PlayAction::kAutomation:
      automationRefused_ = !automationRefused_;
      said = automationRefused_ ? "refused Automation: the listing script fails with -1743"
                                : "allowed Automation";
      break;
    case PlayAction::kHang:
      if (!running) return std::string(kNotRunning);
      hung_ = !hung_;
      said = hung_ ? "Windows App hangs: every read of it waits for its time-out"
                   : "Windows App answers again";
      break;
    case PlayAction::kLoginItem:
    case PlayAction::kNotifications:
      return {};  // not the client's: the simulation switches them
  }
  applySwitches(client);
  return said;
}

std::string ClientPlay::startStop(SimClientState& client) {
  client.ax.windows.clear();
  roles_.clear();
  windowed_.reset();
  hung_ = false;
  if (client.instances > 0) {
    client.instances = 0;
    return "stopped Windows App";
  }
  client.instances = 1;
  ++client.pid;
  add(client, window(std::string(kConnectionCenter), kStandard, 820, 560), Role::kOther);
  return "started Windows App (pid " + std::to_string(client.pid) + ") with its Connection Center";
}

void ClientPlay::add(SimClientState& client, SimWindow w, Role role) {
  client.ax.windows.push_back(std::move(w));
  roles_.push_back(role);
}

// The next name of the list that no window has, so that every new window is a new session.
std::string ClientPlay::openSession(SimClientState& client) {
  std::string name;
  do {
    name = kSessionNames[opened_ % kSessionNames.size()];
    if (opened_ >= kSessionNames.size()) {
      name += " " + std::to_string(opened_ / kSessionNames.size() + 1);
    }
    ++opened_;
  } while (std::any_of(client.ax.windows.begin(), client.ax.windows.end(),
                       [&](const SimWindow& w) { return w.title == SimAttribute::ofText(name); }));
  add(client, window(name, kStandard, 1440, 900), Role::kSession);
  return "opened the session window \"" + name + "\"";
}

std::string ClientPlay::closeSession(SimClientState& client) {
  for (std::size_t i = roles_.size(); i-- > 0;) {
    if (roles_[i] != Role::kSession && roles_[i] != Role::kFullScreen) continue;
    if (roles_[i] == Role::kFullScreen) windowed_.reset();
    const std::string title = quotedTitle(client.ax.windows[i]);
    client.ax.windows.erase(client.ax.windows.begin() + static_cast<std::ptrdiff_t>(i));
    roles_.erase(roles_.begin() + static_cast<std::ptrdiff_t>(i));
    return "closed the session window " + title;
  }
  return "no session window to close";
}

std::string ClientPlay::toggleFullScreen(SimClientState& client) {
  for (std::size_t i = 0; i < roles_.size(); ++i) {
    SimWindow& w = client.ax.windows[i];
    if (roles_[i] == Role::kFullScreen && windowed_) {
      w.title = windowed_->title;
      w.size = windowed_->size;
      windowed_.reset();
      roles_[i] = Role::kSession;
      return quotedTitle(w) + " left full screen";
    }
    if (roles_[i] != Role::kSession) continue;
    windowed_ = Windowed{w.title, w.size};
    const std::string title = quotedTitle(w);
    const double height = w.size.kind == SimAttribute::Kind::kSize ? w.size.size.height : 900.0;
    w.title = SimAttribute::ofText(std::string(kIdlePanelTitle));
    w.size = SimAttribute::ofSize(kPlayedFullScreenWidth, height);
    roles_[i] = Role::kFullScreen;
    return title + " went full screen: now titled \"Devices\", 1440 wide";
  }
  return "no session window to make full screen";
}

std::string ClientPlay::toggleIdlePanel(SimClientState& client) {
  bool hid = false;
  for (std::size_t i = roles_.size(); i-- > 0;) {
    if (roles_[i] != Role::kIdlePanel) continue;
    client.ax.windows.erase(client.ax.windows.begin() + static_cast<std::ptrdiff_t>(i));
    roles_.erase(roles_.begin() + static_cast<std::ptrdiff_t>(i));
    hid = true;
  }
  if (hid) return "hid the idle connection panel";
  add(client, window(std::string(kIdlePanelTitle), kStandard, 900, 640), Role::kIdlePanel);
  return "showed the idle connection panel \"Devices\" (900 wide)";
}

std::string ClientPlay::addBackground(SimClientState& client) {
  add(client, window("", "AXUnknown", 1024, 640), Role::kOther);
  return "added an untitled background window (AXUnknown)";
}

// A refusal answers before the client is asked, so it shows over a hang.
void ClientPlay::applySwitches(SimClientState& client) const {
  client.ax.kind = storyList_;
  client.ax.error = storyError_;
  client.hangs = hung_;
  if (accessibilityRefused_) {
    client.ax.kind = SimWindowList::Kind::kError;
    client.ax.error = kAxErrorApiDisabled;
  }
  client.script = storyScript_;
  if (automationRefused_) {
    client.script =
        SimListingAnswer{SimListingAnswer::Kind::kError, std::string(kAutomationRefusedError)};
  }
}

}  // namespace velmora::sim
