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

// The text of each line, styles dropped, trailing blanks trimmed.
std::vector<std::string> texts(const std::vector<Spans>& lines) {
  std::vector<std::string> out;
  for (const Spans& line : lines) {
    std::string text;
    for (const Span& s : line) text += s.text;
    out.push_back(text.substr(0, text.find_last_not_of(' ') + 1));
  }
  return out;
}

TEST(ClientPanelTest, AVerdictStaysWithTheWindowThePassRead) {
  const std::vector<SimWindow> read = {simWindow("Office PC"), simWindow("Devices", 900)};
  const struct {
    const char* label;
    std::vector<SimWindow> now;
    std::vector<WindowVerdict> verdicts;
    std::vector<std::string> ends;  // how each line ends
  } cases[] = {
      {"as read",
       read,
       {V::kSession, V::kDesktopPlaceholder},
       {"session", "desktop (placeholder)"}},
      {"one added",
       {read[0], read[1], simWindow("Lab")},
       {V::kSession, V::kDesktopPlaceholder},
       {"session", "desktop (placeholder)", "not seen yet"}},
      {"first changed",
       {simWindow("Devices"), read[1]},
       {V::kSession, V::kDesktopPlaceholder},
       {"not seen yet", "desktop (placeholder)"}},
      {"first closed", {read[1]}, {V::kSession, V::kDesktopPlaceholder}, {"not seen yet"}},
      {"list not read", read, {}, {"not read", "not read"}},
  };
  SimClientState pass;
  pass.ax.windows = read;
  const auto shared = std::make_shared<const SimClientState>(pass);
  for (const auto& c : cases) {
    SimClientState client;
    client.ax.windows = c.now;
    LastPass last;
    last.record(shared, c.verdicts);
    const auto lines = texts(windowLines(client, last.seen(client.ax.windows), 100));
    ASSERT_EQ(lines.size(), c.ends.size()) << c.label;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_TRUE(lines[i].ends_with("  " + c.ends[i])) << c.label << ": " << lines[i];
    }
  }
  SimClientState stopped = notRunning();
  stopped.ax.windows = read;  // a quit client keeps its list; it shows none
  LastPass last;
  last.record(shared, {V::kSession, V::kIdlePanel});
  EXPECT_TRUE(windowLines(stopped, last.seen(stopped.ax.windows), 100).empty());
}

}  // namespace
}  // namespace velmora::sim
