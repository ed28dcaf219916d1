// The terminal status bar of velmora-sim without a terminal: keys in, choices and screens out.
#include "platform/sim/terminal_ui.h"

#include <string>

#include "gtest/gtest.h"
#include "ui/menu_model.h"
#include "ui/title_model.h"

namespace velmora::sim {
namespace {

SessionInfo twoSessions() {
  return SessionInfo{2, {"Office PC", "Lab"}, true};
}

class TerminalUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui.onTitle(titleRuns(twoSessions()));
    ui.onMenu(menuEntries(twoSessions(), std::nullopt));
  }

  // Feeds `keys` and returns the title of the chosen entry, or "" when none was chosen.
  std::string press(std::string keys) {
    const TerminalUi::Outcome outcome = ui.onKeys(keys);
    return outcome.chosen ? outcome.chosen->title : "";
  }

  TerminalUi ui;
};

TEST_F(TerminalUiTest, ArrowsSkipSeparatorsAndDisabledRowsAndWrap) {
  const char* down = "\x1b[B";
  const char* up = "\x1b[A";
  EXPECT_EQ(press("\r"), "");  // opens on the first enabled row
  EXPECT_TRUE(ui.menuOpen());
  EXPECT_EQ(press("\r"), "\u25b6  Office PC");
  EXPECT_FALSE(ui.menuOpen());

  EXPECT_EQ(press(std::string(" ") + down + "\r"), "\u25b6  Lab");
  EXPECT_EQ(press(std::string("\r") + down + down + "\r"), "Bring Windows App to Focus");
  // Up from the first row wraps past the disabled header to the last item.
  EXPECT_EQ(press(std::string("\r") + up + "\r"), "Quit Velmora Session Tracker");
  // Down from the last item wraps to the first session.
  EXPECT_EQ(press(std::string("\r") + up + down + "\r"), "\u25b6  Office PC");
}

TEST_F(TerminalUiTest, SpaceOpensButNeverChooses) {
  EXPECT_EQ(press("  "), "");
  EXPECT_TRUE(ui.menuOpen());
}

TEST_F(TerminalUiTest, KeyEquivalentsChooseWithTheMenuOpenOrClosed) {
  EXPECT_EQ(press("r"), "Refresh");
  EXPECT_EQ(press("\rd"), "\U0001f4cb Copy Debug Info");
  EXPECT_FALSE(ui.menuOpen());
  EXPECT_EQ(press("x"), "");
  EXPECT_EQ(press("q"), "Quit Velmora Session Tracker");
}

TEST_F(TerminalUiTest, EscapeClosesAndPartialSequencesWait) {
  EXPECT_EQ(press("\r"), "");
  std::string partial = "\x1b[";
  (void)ui.onKeys(partial);
  EXPECT_EQ(partial, "\x1b[");  // kept until the rest arrives
  EXPECT_TRUE(ui.menuOpen());
  partial += "B\r";
  const TerminalUi::Outcome outcome = ui.onKeys(partial);
  ASSERT_TRUE(outcome.chosen);
  EXPECT_EQ(outcome.chosen->title, "\u25b6  Lab");

  EXPECT_EQ(press("\r"), "");
  EXPECT_TRUE(ui.onEscape().redraw);
  EXPECT_FALSE(ui.menuOpen());
  EXPECT_EQ(press("\r\x1bx"), "");  // Escape followed by an ordinary key closes too
  EXPECT_FALSE(ui.menuOpen());
}

TEST_F(TerminalUiTest, ARebuiltMenuKeepsTheHighlightOnTheSameItem) {
  EXPECT_EQ(press("\r\x1b[A"), "");  // on "Quit Velmora Session Tracker", the last row
  ui.onMenu(menuEntries(SessionInfo{}, std::nullopt));
  EXPECT_EQ(press("\r"), "Quit Velmora Session Tracker");

  // An item that is gone: back to the first enabled row.
  ui.onMenu(menuEntries(twoSessions(), std::nullopt));
  EXPECT_EQ(press("\r\x1b[B\r"), "\u25b6  Lab");
  EXPECT_EQ(press("\r\x1b[B"), "");
  ui.onMenu(menuEntries(SessionInfo{1, {"Office PC"}, true}, std::nullopt));
  EXPECT_EQ(press("\r"), "\u25b6  Office PC");
}

TEST_F(TerminalUiTest, RendersTheTitleInTruecolourWithMediumAsBold) {
  const std::string screen = ui.render(100, 20);
  // kBlue is (0.29, 0.62, 1.0).
  EXPECT_NE(screen.find("\x1b[38;2;73;158;255m\x1b[1mRDP 2\u25cf "), std::string::npos);
  EXPECT_NE(screen.find("\x1b[38;2;73;158;255mOffice PC"), std::string::npos);
  EXPECT_EQ(screen.find("Active Sessions"), std::string::npos);
  (void)press("\r");
  EXPECT_NE(ui.render(100, 20).find("Active Sessions (2)"), std::string::npos);
}

TEST(ClipboardSequenceTest, EncodesBase64WithPadding) {
  EXPECT_EQ(clipboardSequence(""), "\x1b]52;c;\x07");
  EXPECT_EQ(clipboardSequence("h"), "\x1b]52;c;aA==\x07");
  EXPECT_EQ(clipboardSequence("hi"), "\x1b]52;c;aGk=\x07");
  EXPECT_EQ(clipboardSequence("hello"), "\x1b]52;c;aGVsbG8=\x07");
  EXPECT_EQ(clipboardSequence("\xff\xfe\xfd"), "\x1b]52;c;//79\x07");
}

TEST(ClipboardSequenceTest, PendingOutputCarriesTheCopiedReportOnce) {
  TerminalUi ui;
  ui.onPasteboard("hello");
  EXPECT_EQ(ui.takePendingOutput(), "\x1b]52;c;aGVsbG8=\x07");
  EXPECT_EQ(ui.takePendingOutput(), "");
}

}  // namespace
}  // namespace velmora::sim
