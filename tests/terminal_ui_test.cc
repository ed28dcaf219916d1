// The terminal status bar of velmora-sim without a terminal: keys in, choices and screens out.
#include "platform/sim/tui/terminal_ui.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/sim/terminal/keys.h"
#include "platform/sim/terminal/shown_frame.h"
#include "tests/sim_windows.h"
#include "text/text.h"
#include "ui/menu_model.h"
#include "ui/title_model.h"

namespace velmora::sim {
namespace {

const SessionInfo kTwoSessions{2, {"Office PC", "Lab"}, true};

// The screen on a simulation that is never launched (it writes nothing), whose status bar
// shows the title and menu a test gives it.
struct OnScreen {
  explicit OnScreen(ColorDepth depth = ColorDepth::k256) : ui(sim, depth) { observers.add(ui); }

  void show(const SessionInfo& info) {
    item->setTitle(titleRuns(info));
    item->setMenu(menuEntries({.info = info}));
  }

  // Feeds `keys` and returns the title of the chosen entry, or "" when none was chosen.
  std::string press(std::string keys) {
    const TerminalUi::Outcome outcome = ui.onKeys(keys);
    return outcome.chosen ? outcome.chosen->title : "";
  }

  // The client with these windows, a pass that read them as sessions, and its report.
  void showClient(const std::vector<std::string>& titles) {
    sim.desktop().setClient(runningWith(titles));
    sim.lastPass().record(sim.desktop().sharedClient(),
                          std::vector<WindowVerdict>(titles.size(), WindowVerdict::kSession));
    std::string report = "=== Detection @ 2026-12-05 06:27:49 +0000 ===\n";
    for (const std::string& t : titles) report += "  AX[0]: \"" + t + "\" 1440x900\n";
    ui.onReport(report, PassCause::kTimer);
  }

  ObserverList observers;
  Simulation sim{Scenario{}, StatePaths::forHome("/nonexistent"), 0.0, observers};
  std::unique_ptr<StatusItem> item = sim.statusBar().createStatusItem(nullptr, nullptr);
  TerminalUi ui;
};

// The text of each screen row as a terminal would show it: the rows are addressed with CUP
// and every other escape sequence is dropped.
std::vector<std::string> shownRows(const std::string& screen, int rows) {
  std::vector<std::string> shown(static_cast<std::size_t>(rows));
  std::size_t row = 0;
  for (std::size_t i = 0; i < screen.size(); ++i) {
    if (screen[i] != '\x1b') {
      if (row < shown.size()) shown[row] += screen[i];
      continue;
    }
    std::size_t end = i + 2;
    while (end < screen.size() && (screen[end] < 0x40 || screen[end] > 0x7E)) ++end;
    if (end < screen.size() && screen[end] == 'H') row = std::stoul(screen.substr(i + 2)) - 1;
    i = end;
  }
  return shown;
}

// Starts with the menu of two sessions.
class TerminalUiTest : public ::testing::Test, protected OnScreen {
 protected:
  void SetUp() override { show(kTwoSessions); }
};

// Each row starts with the menu of two sessions closed. Keys after a choice or a play key wait
// for the next call.
TEST(TerminalUiKeysTest, KeysOpenMoveAndChoose) {
  const std::string down = "\x1b[B";
  const std::string up = "\x1b[A";
  const struct {
    std::string keys;
    std::string chosen;  // "" when nothing was chosen
    bool open;           // the menu after the keys
    std::string left = "";
  } cases[] = {
      {"\r", "", true},  // opens on the first enabled row
      {"\r\r", "\u25b6  Office PC", false},
      {" " + down + "\r", "\u25b6  Lab", false},
      {"\r" + down + down + "\r", "Bring Windows App to Focus", false},  // past separators
      {"\r" + up + "\r", "Quit Velmora Session Tracker", false},         // past the disabled header
      {"\r" + up + down + "\r", "\u25b6  Office PC", false},
      {"  ", "", true},  // Space opens but never chooses
      {"rrq", "Refresh", false, "rq"},
      {"or", "", false, "r"},  // a play key: the caller plays before the next key
      {"\rd", "\U0001f4cb Copy Debug Info", false},
      {"x", "", false},
      {"q", "Quit Velmora Session Tracker", false},
  };
  for (const auto& c : cases) {
    OnScreen screen;
    screen.item->setMenu(menuEntries({.info = kTwoSessions}));
    std::string keys = c.keys;
    const TerminalUi::Outcome outcome = screen.ui.onKeys(keys);
    EXPECT_EQ(outcome.chosen ? outcome.chosen->title : "", c.chosen) << c.keys;
    EXPECT_EQ(screen.ui.menuOpen(), c.open) << c.keys;
    EXPECT_EQ(keys, c.left) << c.keys;
  }
}

TEST(KeysTest, EscapeSequencesAreReadWholeAndUnknownOnesDropped) {
  using Kind = KeyPress::Kind;
  const struct {
    std::string input;
    std::vector<Kind> keys;
    std::string left;  // an unfinished sequence
  } cases[] = {
      {"\x1b[A\x1bOB", {Kind::kUp, Kind::kDown}, ""},  // CSI and SS3 arrows
      {"\x1b[1;5A", {Kind::kUp}, ""},                  // with parameters
      {"\x1b[5~\x1b[6~\x1b[3~", {Kind::kPageUp, Kind::kPageDown, Kind::kNone}, ""},
      {"\x1b[200~r", {Kind::kNone, Kind::kCharacter}, ""},
      {"\x1b[?25$xq", {Kind::kNone, Kind::kCharacter}, ""},  // intermediates
      {"\x1bxq", {Kind::kNone, Kind::kCharacter}, ""},       // Alt-x
      {"\x1b\x1b[B", {Kind::kEscape, Kind::kDown}, ""},
      {"\x1b[\rq", {Kind::kNone, Kind::kEnter, Kind::kCharacter}, ""},  // torn off
      {"r\x1b[1;", {Kind::kCharacter}, "\x1b[1;"},
      {"\x1bO", {}, "\x1bO"},
      {"\x1b", {}, "\x1b"},
  };
  for (const auto& c : cases) {
    std::vector<Kind> keys;
    std::string_view rest = c.input;
    while (const auto key = nextKey(rest)) {
      keys.push_back(key->kind);
      rest.remove_prefix(key->length);
    }
    EXPECT_EQ(keys, c.keys) << c.input;
    EXPECT_EQ(rest, c.left) << c.input;
  }
  EXPECT_EQ(unfinishedKey("\x1b").kind, Kind::kEscape);
  EXPECT_EQ(unfinishedKey("\x1b[").kind, Kind::kNone);  // Alt-[
}

// The strings a terminal sends (a DECRQSS reply that holds "q", a colour reply that holds "b")
// never reach the keys, however the reads split them; one that never ends only up to its cap.
TEST(KeysTest, TerminalStringsAreDroppedWholeAcrossReads) {
  const std::string endless = "\x1b]" + std::string(kMaxControlString, 'q');
  const struct {
    std::vector<std::string> reads;
    std::string keys;
  } cases[] = {
      {{"\x1bP1$r2 q\x1b\\r"}, "r"},
      {{"a\x1b", "]11;rgb:00", "00/0000/0000\x1b", "\\b"}, "ab"},
      {{"\x1b_s\a\x1b^o\x18\x1bXc\x1a\x1b]p\x1b[A"}, "\x1b[A"},  // BEL, CAN, SUB, ESC end one
      {{"\x1b\x1b]l\a", "\x1b"}, "\x1b\x1b"},  // Escape, a string, ESC (a sequence begins)
      {{endless, "r"}, "r"},
      {{"\x1b", "", "]q"}, "]q"},  // an ESC taken as Escape (no more came in time) begins none
  };
  for (const auto& c : cases) {
    ControlStrings strings;
    std::string input;
    for (const std::string& read : c.reads) {
      if (read.empty()) input.clear();  // "": the keys so far were taken
      if (!read.empty()) strings.append(input, read);
    }
    EXPECT_EQ(input, c.keys) << c.reads.front().substr(0, 20);
  }
}

TEST_F(TerminalUiTest, AnUnfinishedSequenceIsResolvedWithoutTheNextKey) {
  EXPECT_EQ(press("\r"), "");
  std::string partial = "\x1b[";
  (void)ui.onKeys(partial);
  EXPECT_EQ(partial, "\x1b[");  // kept until the rest arrives
  partial += "B\r";
  EXPECT_EQ(ui.onKeys(partial).chosen->title, "\u25b6  Lab");
  // With nothing after it, Alt-[ (ESC [) is dropped and the menu stays open; a lone Escape
  // closes it. The next key counts.
  for (const bool escape : {false, true}) {
    std::string rest = escape ? "\r\x1b" : "\r\x1b[";  // the menu opened first
    (void)ui.onKeys(rest);
    EXPECT_EQ(ui.onUnfinishedKey(rest).redraw, escape);
    EXPECT_TRUE(rest.empty());
    EXPECT_EQ(ui.menuOpen(), !escape);
    EXPECT_EQ(press("r"), "Refresh");
  }
}

TEST_F(TerminalUiTest, ARebuiltMenuKeepsTheHighlightOnTheSameItem) {
  EXPECT_EQ(press("\r\x1b[A"), "");  // on "Quit Velmora Session Tracker", the last row
  item->setMenu(menuEntries({.info = SessionInfo{}}));
  EXPECT_EQ(press("\r"), "Quit Velmora Session Tracker");

  // An item that is gone: back to the first enabled row.
  item->setMenu(menuEntries({.info = kTwoSessions}));
  EXPECT_EQ(press("\r\x1b[B"), "");  // on "Lab"
  item->setMenu(menuEntries({.info = SessionInfo{1, {"Office PC"}, true}}));
  EXPECT_EQ(press("\r"), "\u25b6  Office PC");

  // A checked row shows its check mark.
  item->setMenu(menuEntries({.info = SessionInfo{}, .loginItem = {LoginItemStatus::State::kOn}}));
  (void)press("\r");
  EXPECT_NE(ui.render(80, 24).find("\u2713 Open at Login"), std::string::npos);
}

// As on a Mac, a menu replaced while open closes under the pointer, and the drop-down with it.
TEST_F(TerminalUiTest, AMenuReplacedWhileOpenCloses) {
  (void)press("\r");
  sim.setMenuOpen(true);
  item->setMenu(menuEntries({.info = SessionInfo{}}));
  EXPECT_FALSE(ui.menuOpen());
  EXPECT_FALSE(sim.statusBar().menuOpen());
}

TEST(TerminalUiColourTest, TitleInTheTerminalsColourDepthWithMediumAsBold) {
  const struct {
    ColorDepth depth;
    const char* blue;  // kBlue is (0.29, 0.62, 1.0)
  } cases[] = {{ColorDepth::kTrue, "\x1b[38;2;73;158;255m"}, {ColorDepth::k256, "\x1b[38;5;75m"}};
  for (const auto& c : cases) {
    OnScreen shown(c.depth);
    shown.item->setTitle(titleRuns(kTwoSessions));
    const std::string screen = shown.ui.render(100, 20);
    EXPECT_NE(screen.find(std::string(c.blue) + "\x1b[1m"), std::string::npos) << c.blue;
    EXPECT_NE(screen.find(std::string(c.blue) + "\x1b[48;"), std::string::npos) << c.blue;
  }
}

// Every row within the screen, the bottom one short of its last column (where writing makes
// some terminals scroll); the title on the top row; the drop-down's rows all as wide as its
// borders.
TEST_F(TerminalUiTest, EveryRowFitsAndTheBarKeepsTheTitle) {
  const std::string wide = "\u6771\u4eac \U0001F469\u200D\U0001F4BB \u30aa\u30d5\u30a3\u30b9 PC";
  const struct {
    int columns, rows;
    SessionInfo info;
    std::string onBar;
  } cases[] = {
      {80, 24, kTwoSessions, "RDP 2\u25cf Office PC"},
      {30, 24, SessionInfo{1, {wide}, true}, "RDP 1\u25cf \u6771\u4eac"},
      {20, 4, SessionInfo{1, {std::string(300, 'x')}, true}, "RDP 1\u25cf xxxxxxxxxxxx\u2026"},
  };
  for (const auto& c : cases) {
    show(c.info);
    showClient(c.info.names);
    ui.logEvent("raised the windows named \"" + c.info.names[0] + "\"");
    for (const bool open : {false, true}) {
      if (open) (void)press("\r");
      const auto rows = shownRows(ui.render(c.columns, c.rows), c.rows);
      EXPECT_NE(rows[0].find(c.onBar), std::string::npos) << c.columns << ": " << rows[0];
      std::size_t boxWidth = 0;
      for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::size_t width = text::displayWidth(rows[r]);
        EXPECT_LE(width, static_cast<std::size_t>(c.columns - (r + 1 == rows.size())))
            << c.columns << "x" << c.rows << " row " << r << ": " << rows[r];
        std::size_t box = std::string::npos;  // the drop-down's left border, over the panels
        for (const char* border : {"\u2502", "\u250c", "\u2514", "\u251c"}) {
          box = std::min(box, rows[r].find(border));
        }
        if (!open || box == std::string::npos || r == 0) continue;
        const std::string inBox = rows[r].substr(box);
        if (boxWidth == 0) boxWidth = text::displayWidth(inBox);
        EXPECT_EQ(text::displayWidth(inBox), boxWidth)
            << c.columns << " row " << r << ": " << inBox;
      }
      EXPECT_TRUE(!open || c.rows < 5 || boxWidth > 0) << c.columns << "x" << c.rows;
    }
    (void)press("\x1b\x1b");
  }
}

// Every help line that fits says how to quit, from 20 columns up; two lines from 79 columns and
// 12 rows.
TEST_F(TerminalUiTest, TheHelpAlwaysSaysHowToQuit) {
  for (const int rows : {5, 12, 24}) {
    for (int columns = 20; columns <= 200; ++columns) {
      const std::vector<std::string> shownNow = shownRows(ui.render(columns, rows), rows);
      const std::string& last = shownNow.back();
      EXPECT_TRUE(last.find("q: quit") != std::string::npos ||
                  last.find("q quit") != std::string::npos)
          << columns << "x" << rows << ": " << last;
      const bool twoLines = shownNow[rows - 2].rfind(" Play: ", 0) == 0;
      EXPECT_EQ(twoLines, rows >= 12 && columns >= 79) << columns << "x" << rows;
    }
  }
}

// At 80x24 the tracker's settings read whole and the help names every play key.
TEST_F(TerminalUiTest, At80By24TheSettingsAndEveryPlayKeyShow) {
  showClient({"Office PC"});
  const std::vector<std::string> rows = shownRows(ui.render(80, 24), 24);
  EXPECT_NE(rows[2].find("login item: off \u00b7 notifications: not asked"), std::string::npos)
      << rows[2];
  const std::string help = rows[22] + rows[23];
  for (const char* key : {" s ", " o/c ", " f ", " p ", " b ", " a/u ", " h ", " l ", " n "}) {
    EXPECT_NE(help.find(key), std::string::npos) << key;
  }
}

// The status bar owns whether the menu is open: a story's open and close are the drop-down's.
TEST_F(TerminalUiTest, TheStorysMenuOpenAndCloseAreTheDropDowns) {
  ui.setMenuTracking([this](bool open) { sim.setMenuOpen(open); });
  (void)press("\r");
  EXPECT_TRUE(sim.statusBar().menuOpen());
  sim.setMenuOpen(false);
  EXPECT_FALSE(ui.menuOpen());
  sim.setMenuOpen(true);
  EXPECT_TRUE(ui.menuOpen());
  (void)press("\x1b\x1b");
  EXPECT_FALSE(sim.statusBar().menuOpen());
}

TEST_F(TerminalUiTest, ATallMenuScrollsWithItsHighlight) {
  SessionInfo many{40, {}, true};
  for (int i = 0; i < 40; ++i) many.names.push_back("Session " + std::to_string(i));
  show(many);
  (void)press("\r");
  for (int i = 0; i < 30; ++i) (void)press("\x1b[B");
  const std::string screen = ui.render(60, 12);
  const std::size_t highlight = screen.find("\x1b[7m");
  ASSERT_NE(highlight, std::string::npos);
  EXPECT_EQ(screen.find("Session", highlight), screen.find("Session 30"));  // the highlighted row
  EXPECT_EQ(screen.find("Session 0 "), std::string::npos);                  // scrolled away
}

TEST_F(TerminalUiTest, PanelKeysHideThePanelsAndPageKeysScrollTheReport) {
  std::string report;
  for (int i = 1; i <= 60; ++i) report += "report line " + std::to_string(i) + "\n";
  ui.onReport(report, PassCause::kTimer);
  const auto shows = [&](const std::string& text) {
    return ui.render(80, 24).find(text) != std::string::npos;
  };
  EXPECT_TRUE(shows("report line 1\x1b"));
  sim.loginItems().setStatus(LoginServiceStatus::kRequiresApproval);
  EXPECT_TRUE(shows("login item: needs approval"));
  (void)press("\x1b[6~");
  EXPECT_FALSE(shows("report line 1\x1b"));
  EXPECT_TRUE(shows("report line 30\x1b"));
  for (int i = 0; i < 10; ++i) (void)press("\x1b[6~");
  EXPECT_TRUE(shows("report line 60\x1b"));  // stops at the end
  (void)press("\x1b[5~");
  EXPECT_FALSE(shows("report line 60\x1b"));
  (void)press("21");
  EXPECT_FALSE(shows("report line"));
  EXPECT_FALSE(shows("Windows App: not running"));
  (void)press("2");
  EXPECT_TRUE(shows("report line"));
}

// Drawn again with nothing changed, the screen writes nothing; the bar's clock moves once a
// second, and then only the bar's row is written again; a resized screen is written whole.
TEST_F(TerminalUiTest, AnIdleScreenWritesOnlyTheClockOnceASecond) {
  sim.loop().drop(TaskKind::kLaunch);  // nothing happens but the time
  ShownFrame frame;
  const auto draw = [&] { return frame.update(80, ui.renderRows(80, 24)); };
  EXPECT_EQ(draw(), ui.render(80, 24));
  EXPECT_EQ(draw(), "");
  sim.loop().runUntil(0.9);
  EXPECT_EQ(draw(), "");
  sim.loop().runUntil(1.0);
  const std::vector<std::string> rows = ui.renderRows(80, 24);
  EXPECT_NE(rows[0].find("      1s "), std::string::npos) << rows[0];
  EXPECT_EQ(draw(), rows[0] + "\x1b[24;1H");
  frame.forget();
  EXPECT_EQ(draw(), ui.render(80, 24));
  EXPECT_EQ(frame.update(100, ui.renderRows(100, 24)), ui.render(100, 24));  // a new width
}

TEST(ClipboardSequenceTest, TheCopiedReportGoesOutOnceInBase64WithControlsShown) {
  EXPECT_EQ(clipboardSequence("\xff\xfe\xfd"), "\x1b]52;c;//79\x07");
  OnScreen screen;
  screen.ui.onPasteboard("a\x1b\u202e\n");  // "a\u{1B}\u{202E}\n"
  EXPECT_EQ(screen.ui.takePendingOutput(), "\x1b]52;c;YVx1ezFCfVx1ezIwMkV9Cg==\x07");
  EXPECT_EQ(screen.ui.takePendingOutput(), "");
}

}  // namespace
}  // namespace velmora::sim
