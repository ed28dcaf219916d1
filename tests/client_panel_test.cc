// The client panel shows the last pass's verdict only on the window that pass read.
#include "platform/sim/tui/client_panel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/sim_windows.h"

namespace velmora::sim {
namespace {

using V = WindowVerdict;

// How each line ends (the verdict after the last two spaces), joined with "; ".
std::string verdicts(const std::vector<Spans>& lines) {
  std::string out;
  for (const Spans& line : lines) {
    std::string text;
    for (const Span& s : line) text += s.text;
    text.erase(text.find_last_not_of(' ') + 1);
    out += (out.empty() ? "" : "; ") + text.substr(text.rfind("  ") + 2);
  }
  return out;
}

TEST(ClientPanelTest, AVerdictStaysWithTheWindowThePassRead) {
  const std::vector<SimWindow> read = {simWindow("Office PC"), simWindow("Devices", 900)};
  const std::vector<WindowVerdict> verdictsRead = {V::kSession, V::kDesktopPlaceholder};
  const struct {
    std::vector<SimWindow> now;
    std::vector<WindowVerdict> verdicts;
    std::string shown;
  } cases[] = {
      {read, verdictsRead, "session; desktop (placeholder)"},
      {{read[0], read[1], simWindow("Lab")},
       verdictsRead,
       "session; desktop (placeholder); not seen yet"},
      {{simWindow("Devices"), read[1]}, verdictsRead, "not seen yet; desktop (placeholder)"},
      {{read[1]}, verdictsRead, "not seen yet"},  // the first closed
      {read, {}, "not read; not read"},           // the list not read
  };
  SimClientState pass;
  pass.ax.windows = read;
  const auto shared = std::make_shared<const SimClientState>(pass);
  for (const auto& c : cases) {
    SimClientState client;
    client.ax.windows = c.now;
    LastPass last;
    last.record(shared, c.verdicts);
    EXPECT_EQ(verdicts(windowLines(client, last.seen(client.ax.windows), 100)), c.shown);
  }
  SimClientState stopped = notRunning();
  stopped.ax.windows = read;  // a quit client keeps its list; it shows none
  LastPass last;
  last.record(shared, {V::kSession, V::kIdlePanel});
  EXPECT_TRUE(windowLines(stopped, last.seen(stopped.ax.windows), 100).empty());
}

}  // namespace
}  // namespace velmora::sim
