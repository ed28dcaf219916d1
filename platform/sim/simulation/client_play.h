// Play: the changes a newcomer makes to the simulated Windows App with one key each while
// velmora-sim runs. Each action changes a copy of the client's state, which the caller sets on
// the desktop, so the tracker sees it at its next refresh like any change of the story.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/scenario/scenario.h"

namespace velmora::sim {

enum class PlayAction : uint8_t {
  kStartStop,
  kOpenSession,
  kCloseSession,
  kFullScreen,  // the first session window full-screen and back
  kIdlePanel,   // show or hide the idle connection panel
  kBackground,  // add an untitled background window
  kAccessibility,
  kAutomation,
  kHang,
  kLoginItem,      // the tracker's login item in System Settings: off, needs approval, on
  kNotifications,  // the tracker's notifications there: not asked, allowed, denied, unavailable
};

// The play keys, in PlayAction order. None is a key equivalent of the menu (d, r, q).
inline constexpr std::string_view kPlayKeys = "socfpbauhln";

[[nodiscard]] std::optional<PlayAction> playActionForKey(char key);

// The text the listing script fails with when Automation is refused.
inline constexpr std::string_view kAutomationRefusedError =
    "Not authorized to send Apple events to System Events. (-1743)";

// The client under play. It knows which of the client's windows are its session windows: the
// ones it opened, and those of the story's standard windows whose title is neither the
// client's "Connection Center" nor a placeholder name. The refusals and the hang are switches
// over the story's own answers, which come back when they are switched off.
class ClientPlay {
 public:
  // Takes over `client` as the story left it; refusals and a hang it holds (-25211, `hangs`,
  // a listing error with -1743) become the switches' state.
  explicit ClientPlay(const SimClientState& client);

  // Changes `client`, the desktop's current state, as `action` asks; returns what changed, in
  // words (texts from the client as they are).
  [[nodiscard]] std::string apply(PlayAction action, SimClientState& client);

 private:
  enum class Role : uint8_t { kOther, kSession, kFullScreen, kIdlePanel };
  struct Windowed {
    SimAttribute title;
    SimAttribute size;
  };

  std::string startStop(SimClientState& client);
  std::string openSession(SimClientState& client);
  std::string closeSession(SimClientState& client);
  std::string toggleFullScreen(SimClientState& client);
  std::string toggleIdlePanel(SimClientState& client);
  std::string addBackground(SimClientState& client);
  void add(SimClientState& client, SimWindow window, Role role);
  void applySwitches(SimClientState& client) const;

  std::vector<Role> roles_;           // one per window of the client
  std::optional<Windowed> windowed_;  // the full-screen session as it was
  std::size_t opened_ = 0;
  SimWindowList::Kind storyList_ = SimWindowList::Kind::kWindows;
  int32_t storyError_ = 0;
  SimListingAnswer storyScript_;
  bool accessibilityRefused_ = false;
  bool automationRefused_ = false;
  bool hung_ = false;
};

}  // namespace velmora::sim
