#include "app/config.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmora {
namespace {

TEST(ConfigTest, ClientIdentity) {
  EXPECT_EQ(kBundleID, "com.microsoft.rdc.macos");
  EXPECT_EQ(kBundleID.size(), 23u);
  EXPECT_EQ(kAppName, "Windows App");
  EXPECT_EQ(kPoll, 5.0);
}

TEST(ConfigTest, Colours) {
  EXPECT_EQ(kBlue, (Color{Color::Kind::kRgb, 0.29, 0.62, 1.0, 1.0}));
  EXPECT_EQ(kGray.kind, Color::Kind::kGray);
}

TEST(ConfigTest, TablesHoldExactlyTheirEntries) {
  EXPECT_EQ(kDesktopPlaceholderNames, (std::array<std::string_view, 2>{"Devices", "RemoteApps"}));
  const std::array<std::string_view, 7> names = {
      "Connection Center", "Options", "Preferences", "About", "-", "", "Velmora Session Tracker"};
  EXPECT_EQ(kExcludedNames, names);
  const std::array<std::string_view, 11> fragments = {
      "Cicero",      "CiceroUIWndFrame", "MSCTFIME", "FloatingLangBar", "TF_FloatingLangBar",
      "Default IME", "MSCTFIME UI",      "IME_",     "UIWndFrame",      "CTF",
      "TSF_"};
  EXPECT_EQ(kExcludedSubstrings, fragments);
}

TEST(ConfigTest, PathsAreUnderTheGivenHome) {
  const StatePaths p = StatePaths::forHome("/home/ada");
  EXPECT_EQ(p.kStateDir, "/home/ada/.cache/velmora_session_tracker");
  EXPECT_EQ(p.kStateFile, "/home/ada/.cache/velmora_session_tracker/session_start");
  EXPECT_EQ(p.kDebugFile, "/home/ada/.cache/velmora_session_tracker/debug.log");
  EXPECT_EQ(StatePaths::forHome("/home/ada/").kStateDir, p.kStateDir);
  EXPECT_EQ(StatePaths::forHome("/").kStateDir, "/.cache/velmora_session_tracker");
}

TEST(ConfigTest, TildeExpansionTouchesOnlyALeadingTilde) {
  EXPECT_EQ(expandTilde("~", "/h"), "/h");
  EXPECT_EQ(expandTilde("~/x", "/h"), "/h/x");
  EXPECT_EQ(expandTilde("/a/~/x", "/h"), "/a/~/x");
  EXPECT_EQ(expandTilde("~other/x", "/h"), "~other/x");
  EXPECT_EQ(expandTilde("", "/h"), "");
}

}  // namespace
}  // namespace velmora
