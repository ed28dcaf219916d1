#include "ui/menu_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

// One line per entry: the title, then in brackets the style, "disabled" when so, the action's
// selector, the key equivalent and the represented object.
std::string render(const std::vector<MenuEntry>& menu) {
  std::string out;
  for (const MenuEntry& entry : menu) {
    if (entry.separator) {
      out += entry == MenuEntry::separatorEntry() ? "---\n" : "--- with item fields\n";
      continue;
    }
    out += entry.title + " [" + std::string(styleName(entry.style));
    if (!entry.enabled) out += " disabled";
    if (entry.action != MenuAction::kNone) out += " " + std::string(selectorName(entry.action));
    if (!entry.keyEquivalent.empty()) out += " key:" + entry.keyEquivalent;
    if (entry.representedObject) out += " object:" + *entry.representedObject;
    out += "]\n";
  }
  return out;
}

SessionInfo running(int64_t count, std::vector<std::string> names = {}) {
  return SessionInfo{count, std::move(names), true};
}

std::string layout(const SessionInfo& info, std::optional<std::string> uptime = std::nullopt) {
  return render(menuEntries(info, uptime));
}

const char* const kClientCommands = R"(Bring Windows App to Focus [plain bringToFrontAction]
Quit Windows App [quit-client quitWindowsApp]
)";

const char* const kTrackerCommands = R"(---
📋 Copy Debug Info [plain copyDebug key:d]
Refresh [plain refresh key:r]
---
Quit Velmora Session Tracker [plain quitSelf key:q]
)";

TEST(MenuEntriesTest, NotRunningHasSixEntries) {
  std::vector<MenuEntry> menu = menuEntries(SessionInfo{}, std::nullopt);
  EXPECT_EQ(menu.size(), 6u);
  EXPECT_EQ(render(menu),
            std::string("Windows App not running [plain disabled]\n") + kTrackerCommands);
  // Nothing of a stale record or a stored moment shows while the client is not running.
  EXPECT_EQ(layout(SessionInfo{3, {"Office PC"}, false}, "5s"), render(menu));
}

TEST(MenuEntriesTest, RunningWithoutSessions) {
  EXPECT_EQ(layout(running(0)), std::string(R"(Active Sessions (0) [header disabled]
---
  No active sessions detected [plain disabled]
---
---
)") + kClientCommands + kTrackerCommands);
  EXPECT_EQ(layout(running(0, {"Office PC"})), layout(running(0)));
}

// A pass that could read no window claims no sessions; a stopped client shows as before.
TEST(MenuEntriesTest, UnreadableWindowsReplaceTheNoSessionsRow) {
  EXPECT_EQ(render(menuEntries(running(0), "2s", true)),
            std::string(R"(Active Sessions (0) [header disabled]
---
  Can't read Windows App's windows [plain disabled]
Open Accessibility Settings… [plain openAccessibilitySettings]
---
⏱ Uptime: 2s [uptime disabled]
---
)") + kClientCommands +
                kTrackerCommands);
  EXPECT_EQ(render(menuEntries(SessionInfo{}, std::nullopt, true)), layout(SessionInfo{}));
}

TEST(MenuEntriesTest, NamedAndBackgroundSessionsWithUptime) {
  EXPECT_EQ(layout(running(3, {"Office PC", "Lab"}), "1h 1m 1s"),
            std::string(R"(Active Sessions (3) [header disabled]
---
▶  Office PC [session sessionClicked: object:Office PC]
▶  Lab [session sessionClicked: object:Lab]
▶  +1 more (in background) [background bringToFrontAction]
---
⏱ Uptime: 1h 1m 1s [uptime disabled]
---
)") + kClientCommands +
                kTrackerCommands);
}

TEST(MenuEntriesTest, UnnamedSessionsAloneGetNoRow) {
  EXPECT_EQ(layout(running(2), "0s"), std::string(R"(Active Sessions (2) [header disabled]
---
---
⏱ Uptime: 0s [uptime disabled]
---
)") + kClientCommands + kTrackerCommands);
}

TEST(MenuEntriesTest, BackgroundRowOnlyForTheUnnamedRest) {
  EXPECT_EQ(layout(running(2, {"A", "B"})), std::string(R"(Active Sessions (2) [header disabled]
---
▶  A [session sessionClicked: object:A]
▶  B [session sessionClicked: object:B]
---
---
)") + kClientCommands + kTrackerCommands);
  std::string five = layout(running(5, {"A", "B", "C"}));
  EXPECT_NE(five.find("\n▶  C [session sessionClicked: object:C]\n"
                      "▶  +2 more (in background) [background bringToFrontAction]\n---\n"),
            std::string::npos)
      << five;
}

TEST(MenuEntriesTest, EqualNamesGiveEqualRows) {
  std::vector<MenuEntry> menu = menuEntries(running(2, {"Office PC", "Office PC"}), std::nullopt);
  ASSERT_GE(menu.size(), 4u);
  EXPECT_EQ(menu[2], menu[3]);
  EXPECT_EQ(render({menu[2]}), "▶  Office PC [session sessionClicked: object:Office PC]\n");
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct LongNameCase {
  std::string name;
  std::string shown;
};

class SessionRowNameTest : public ::testing::TestWithParam<LongNameCase> {};

TEST_P(SessionRowNameTest, CutsPast45CharactersAndKeepsTheWholeName) {
  std::vector<MenuEntry> menu = menuEntries(running(1, {GetParam().name}), std::nullopt);
  ASSERT_GE(menu.size(), 3u);
  EXPECT_EQ(menu[2].title, "\u25B6  " + GetParam().shown);
  EXPECT_EQ(menu[2].representedObject, GetParam().name);
}

const std::string kCoder = "\U0001F469\u200D\U0001F4BB";  // woman, ZWJ, laptop
const std::string kThumb = "\U0001F44D\U0001F3FD";        // thumbs up, skin tone
const std::string kAcute = "e\u0301";                     // e and a combining acute

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionRowNameTest,
    ::testing::Values(LongNameCase{std::string(45, 'n'), std::string(45, 'n')},
                      LongNameCase{std::string(46, 'n'), std::string(43, 'n') + "\u2026"},
                      LongNameCase{repeat(kAcute, 44) + kThumb, repeat(kAcute, 44) + kThumb},
                      LongNameCase{repeat(kAcute, 44) + kThumb + kCoder,
                                   repeat(kAcute, 43) + "\u2026"},
                      LongNameCase{std::string(42, 'n') + kCoder + "abc",
                                   std::string(42, 'n') + kCoder + "\u2026"},
                      LongNameCase{"", ""}));

TEST(MenuEntriesTest, LiteralsAreTheExactCodePoints) {
  std::string menu = layout(running(2, {"A"}), "1s");
  EXPECT_NE(menu.find("\xE2\x96\xB6  A ["), std::string::npos);            // U+25B6, no VS16
  EXPECT_NE(menu.find("\xE2\x96\xB6  +1 more ("), std::string::npos);      // U+25B6, no VS16
  EXPECT_NE(menu.find("\n\xE2\x8F\xB1 Uptime: 1s ["), std::string::npos);  // U+23F1, no VS16
  EXPECT_NE(menu.find("\n\xF0\x9F\x93\x8B Copy Debug Info ["), std::string::npos);  // U+1F4CB
  EXPECT_EQ(menu.find("\xEF\xB8\x8F"), std::string::npos);  // no variation selector anywhere
  EXPECT_EQ(menuName(std::string(46, 'a')), std::string(43, 'a') + "\xE2\x80\xA6");
}

TEST(MenuEntriesTest, SelectorsAreThePlatformNames) {
  EXPECT_EQ(selectorName(MenuAction::kNone), "");
  EXPECT_EQ(selectorName(MenuAction::kSessionClicked), "sessionClicked:");
  EXPECT_EQ(selectorName(MenuAction::kBringToFront), "bringToFrontAction");
  EXPECT_EQ(selectorName(MenuAction::kQuitWindowsApp), "quitWindowsApp");
  EXPECT_EQ(selectorName(MenuAction::kCopyDebug), "copyDebug");
  EXPECT_EQ(selectorName(MenuAction::kRefresh), "refresh");
  EXPECT_EQ(selectorName(MenuAction::kQuitSelf), "quitSelf");
  EXPECT_EQ(selectorName(MenuAction::kOpenAccessibilitySettings), "openAccessibilitySettings");
}

TEST(MenuTextStyleTest, FontsAndColoursOfEachStyle) {
  EXPECT_EQ(menuTextStyle(MenuStyle::kPlain), std::nullopt);
  EXPECT_EQ(menuTextStyle(MenuStyle::kHeader), (TextStyle{13.0, FontWeight::kSemibold, {}}));
  EXPECT_EQ(menuTextStyle(MenuStyle::kSession), (TextStyle{13.0, FontWeight::kRegular, {}}));
  EXPECT_EQ(menuTextStyle(MenuStyle::kBackground),
            (TextStyle{13.0, FontWeight::kRegular, kSecondaryLabel}));
  EXPECT_EQ(menuTextStyle(MenuStyle::kUptime),
            (TextStyle{12.0, FontWeight::kRegular, kSecondaryLabel}));
  EXPECT_EQ(menuTextStyle(MenuStyle::kQuitClient),
            (TextStyle{13.0, FontWeight::kRegular, kSystemRed}));
}

}  // namespace
}  // namespace velmora
