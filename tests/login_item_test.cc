// "Open at Login" on the simulated desktop, with the LaunchAgent on the real file system of a
// temporary home.
#include "app/login_item.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/sim_tracker.h"

namespace velmora::sim {
namespace {

using State = LoginItemStatus::State;

enum class Agent { kNone, kOurs, kOther };

const std::string kOurs = launchAgentPlist("/Applications/V.app/Contents/MacOS/V").value_or("");
const std::string kOther =
    "<plist><dict><key>Label</key><string>com.example.other</string>"
    "</dict></plist>";

class LoginItemTest : public SimTrackerTest {
 protected:
  // A fresh tracker and no LaunchAgents folder, for the next row of a table.
  void restart() {
    fs::remove_all(home_.path() + "/Library");
    recorder_ = Recorder{};
    SetUp();
  }
  void plantAgent(Agent agent) {
    if (agent == Agent::kNone) return;
    fs::create_directories(fs::path(paths().kLaunchAgentFile).parent_path());
    ASSERT_TRUE(testing::plant(paths().kLaunchAgentFile, agent == Agent::kOurs ? kOurs : kOther));
  }
  [[nodiscard]] Agent agent() const {
    const std::optional<std::string> text = testing::contentOf(paths().kLaunchAgentFile);
    if (!text) return Agent::kNone;
    return *text == kOther ? Agent::kOther : Agent::kOurs;
  }
  [[nodiscard]] const MenuEntry& row() const {
    const std::vector<MenuEntry>& menu = sim_->statusBar().menu();
    return menu[menu.size() - 4];
  }
};

// Choosing the row acts on the status as it is: on turns off everything that would open the
// tracker at login, the service's registration and a LaunchAgent of its Label alike; off turns
// on the service, or on macOS 11 and 12 writes the LaunchAgent; approval wanted opens System
// Settings. An app the service does not know yet is off. A LaunchAgent of another Label is never
// touched. The menu is rebuilt at once.
TEST_F(LoginItemTest, ChoosingTheRowTogglesWhatIsThereAndNeverAnotherLabel) {
  using S = LoginServiceStatus;
  const char* const kApprove = "Open at Login (approve in System Settings\u2026)";
  const struct {
    bool hasService;
    S service;
    Agent agent;
    const char* row;  // before
    bool checked;
    LoginItemRequest request;
    S serviceAfter;
    Agent agentAfter;
    State after;
  } cases[] = {
      {true, S::kEnabled, Agent::kOurs, "Open at Login", true, LoginItemRequest::kOff,
       S::kNotRegistered, Agent::kNone, State::kOff},
      {true, S::kRequiresApproval, Agent::kOurs, "Open at Login", true, LoginItemRequest::kOff,
       S::kNotRegistered, Agent::kNone, State::kOff},
      {true, S::kNotRegistered, Agent::kOurs, "Open at Login", true, LoginItemRequest::kOff,
       S::kNotRegistered, Agent::kNone, State::kOff},
      {true, S::kNotRegistered, Agent::kOther, "Open at Login", false, LoginItemRequest::kOn,
       S::kEnabled, Agent::kOther, State::kOn},
      {true, S::kEnabled, Agent::kOther, "Open at Login", true, LoginItemRequest::kOff,
       S::kNotRegistered, Agent::kOther, State::kOff},
      {true, S::kRequiresApproval, Agent::kNone, kApprove, false, LoginItemRequest::kOpenSettings,
       S::kRequiresApproval, Agent::kNone, State::kNeedsApproval},
      {true, S::kNotFound, Agent::kNone, "Open at Login", false, LoginItemRequest::kOn, S::kEnabled,
       Agent::kNone, State::kOn},  // what a fresh install reports
      {false, S::kNotRegistered, Agent::kNone, "Open at Login", false, LoginItemRequest::kOn,
       S::kNotRegistered, Agent::kOurs, State::kOn},
      {false, S::kNotRegistered, Agent::kOurs, "Open at Login", true, LoginItemRequest::kOff,
       S::kNotRegistered, Agent::kNone, State::kOff},
  };
  for (const auto& c : cases) {
    restart();
    sim_->loginItems().setHasService(c.hasService);
    sim_->loginItems().setStatus(c.service);
    plantAgent(c.agent);
    refreshUntil(0.0);
    EXPECT_EQ(row().title, c.row);
    EXPECT_EQ(row().checked, c.checked);
    sim_->click(c.row);
    ASSERT_EQ(recorder_.loginItems.size(), 1u) << c.row;
    EXPECT_EQ(recorder_.loginItems[0].request, c.request);
    EXPECT_TRUE(recorder_.loginItems[0].outcome);
    EXPECT_EQ(recorder_.loginItems[0].after.state, c.after);
    EXPECT_EQ(sim_->loginItems().current(), c.serviceAfter);
    EXPECT_EQ(agent(), c.agentAfter);
    EXPECT_EQ(row().checked, c.after == State::kOn);  // the menu built again
    EXPECT_EQ(sim_->loginItems().settingsOpened(),
              c.request == LoginItemRequest::kOpenSettings ? 1 : 0);
  }
}

// Unavailable rows are disabled and say why; one that is on can still be turned off.
TEST_F(LoginItemTest, RowsThatCannotBeOfferedSayWhy) {
  const struct {
    bool hasService;
    LoginServiceStatus service;
    Agent agent;
    const char* bundle;
    const char* row;
  } cases[] = {
      {false, LoginServiceStatus::kNotRegistered, Agent::kOther, "/Applications/V.app",
       "Open at Login (not available: LaunchAgent file in the way)"},
      {true, LoginServiceStatus::kNotRegistered, Agent::kNone,
       "/private/var/folders/x/AppTranslocation/1A2B/d/V.app",
       "Open at Login (not available: move the app to Applications)"},
      {true, LoginServiceStatus::kNotRegistered, Agent::kOurs, "/Volumes/Velmora/V.app",
       "Open at Login"},
  };
  for (const auto& c : cases) {
    restart();
    sim_->loginItems().setHasService(c.hasService);
    sim_->loginItems().setStatus(c.service);
    sim_->loginItems().setLocation({c.bundle, std::string(c.bundle) + "/Contents/MacOS/V", "/t/"});
    plantAgent(c.agent);
    refreshUntil(0.0);
    EXPECT_EQ(row().title, c.row);
    EXPECT_EQ(row().enabled, c.agent == Agent::kOurs);
    sim_->click(c.row);
    EXPECT_EQ(agent(), c.agent == Agent::kOurs ? Agent::kNone : c.agent);
  }
}

TEST(TemporaryLocationTest, PathsThatWillVanish) {
  const struct {
    const char* bundle;
    const char* temporary;
    bool vanishes;
  } cases[] = {
      {"/Applications/Velmora Session Tracker.app", "/var/folders/ab/cd/T/", false},
      {"/Users/ada/Downloads/V.app", "/Users/ada/tmp", false},
      {"/private/var/folders/ab/cd/X/AppTranslocation/5F2A/d/V.app", "", true},
      {"/Volumes/Velmora Session Tracker 0.1.0/V.app", "", true},
      {"/volumes/Velmora/V.app", "", true},  // the file system ignores case
      {"/tmp/V.app", "", true},
      {"/private/tmp/x/V.app", "", true},
      {"/var/folders/ab/cd/T/V.app", "", true},
      {"/Users/ada/tmp/V.app", "/Users/ada/tmp", true},
      {"/Users/ada/tmpx/V.app", "/Users/ada/tmp", false},  // whole components only
      {"/Applications/../tmp/V.app", "", true},            // compared after "." and ".."
      {"/Applications/V.app", "/", false},
      {"Applications/V.app", "", true},
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isTemporaryLocation(c.bundle, c.temporary), c.vanishes) << c.bundle;
  }
}

}  // namespace
}  // namespace velmora::sim
