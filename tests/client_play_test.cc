// Play keys change the simulated client: each change undoes itself, the first takes over from
// the story, and the tracker sees every change at its next refresh.
#include "platform/sim/simulation/client_play.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/simulation/simulation.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

using A = PlayAction;

SimClientState storyClient() {
  SimClientState c;
  c.pid = 4242;
  c.ax.windows = {simWindow("Connection Center", 820, 560), simWindow("Office PC", 1280, 800),
                  simWindow("MSCTFIME UI", 1, 1, "AXUnknown")};
  return c;
}

TEST(ClientPlayTest, EveryChangeIsUndoneByItsCounterpart) {
  for (const A first : {A::kFullScreen, A::kIdlePanel, A::kAccessibility, A::kAutomation, A::kHang,
                        A::kOpenSession}) {
    SimClientState client = storyClient();
    ClientPlay play(client);
    (void)play.apply(first, client);
    EXPECT_NE(client, storyClient()) << static_cast<int>(first);
    (void)play.apply(first == A::kOpenSession ? A::kCloseSession : first, client);
    EXPECT_EQ(client, storyClient()) << static_cast<int>(first);
  }
  // The story's session window goes full screen, and is the one closed.
  SimClientState client = storyClient();
  ClientPlay play(client);
  EXPECT_EQ(play.apply(A::kFullScreen, client),
            "\"Office PC\" went full screen: now titled \"Devices\", 1440 wide");
  EXPECT_EQ(client.ax.windows[1], simWindow("Devices", 1440, 800));
  EXPECT_EQ(play.apply(A::kCloseSession, client), "closed the session window \"Devices\"");
  EXPECT_EQ(play.apply(A::kCloseSession, client), "no session window to close");
  EXPECT_EQ(client.ax.windows.size(), 2u);
}

struct Recorder : SimObserver {
  std::vector<std::string> titles, reports, notices;
  int clients = 0;
  void onTitle(const std::vector<TitleRun>& runs) override {
    titles.emplace_back();
    for (const TitleRun& r : runs) titles.back() += r.text;
  }
  void onReport(const std::string& r, PassCause /*cause*/) override { reports.push_back(r); }
  void onNotice(const std::string& n) override { notices.push_back(n); }
  void onClient(const SimClientState& /*client*/) override { ++clients; }
};

TEST(ClientPlayTest, TheFirstChangeTakesOverAndTheTrackerSeesEachAtRefresh) {
  Scenario story;
  story.until = 100;
  ScenarioEvent start, stop;
  start.client = std::make_shared<const SimClientState>(storyClient());
  stop.at = 10;
  stop.client = std::make_shared<const SimClientState>(notRunning());
  story.events = {start, stop};
  testing::TempHome home;
  Recorder seen;
  Simulation sim(story, home.paths(), 1765000000.0, seen);
  sim.loop().runUntil(1.0);
  ASSERT_EQ(seen.titles.back(), "RDP 1\u25cf Office PC");

  sim.play(A::kOpenSession);
  EXPECT_EQ(seen.notices.front(),
            "you took over from the story (1 event dropped); r refreshes now");
  EXPECT_EQ(seen.titles.back(), "RDP 1\u25cf Office PC");  // until the next refresh
  sim.key("r");
  EXPECT_EQ(seen.titles.back(), "RDP 2\u25cf Office PC");

  const struct {
    A action;
    const char* inReport;
  } refusals[] = {
      {A::kAccessibility, "\n  Could not get AX windows (result: -25211)\n"},
      {A::kAutomation,
       "\n  Error: Not authorized to send Apple events to System Events. (-1743)\n"},
      {A::kHang, "\n  Could not get AX windows (result: -25204)\n"},
  };
  for (const auto& r : refusals) {
    sim.play(r.action);
    sim.key("r");
    EXPECT_NE(seen.reports.back().find(r.inReport), std::string::npos) << seen.reports.back();
    sim.play(r.action);
  }
  sim.loop().runUntil(20.0);  // the story's stop at 10 s was dropped
  EXPECT_EQ(seen.titles.back(), "RDP 2\u25cf Office PC");
  sim.play(A::kStartStop);
  sim.key("r");
  EXPECT_EQ(seen.titles.back(), "RDP \u25cb");

  // The login item's key goes round what System Settings can show: approval wanted, on, off.
  for (const LoginServiceStatus next :
       {LoginServiceStatus::kRequiresApproval, LoginServiceStatus::kEnabled,
        LoginServiceStatus::kNotRegistered}) {
    sim.play(A::kLoginItem);
    EXPECT_EQ(sim.loginItems().current(), next);
  }
  EXPECT_EQ(seen.notices.back(), "set the tracker's login item in System Settings: off");

  // Keys typed ahead change one copy of the client, set once; each says what it did.
  const int clients = seen.clients;
  const std::size_t notices = seen.notices.size();
  sim.play({A::kStartStop, A::kBackground, A::kBackground});
  EXPECT_EQ(seen.clients, clients + 1);
  EXPECT_EQ(seen.notices.size(), notices + 3);
  EXPECT_EQ(sim.desktop().client().ax.windows.size(), 3u);  // the Connection Center and two
}

}  // namespace
}  // namespace velmora::sim
