#include "app/config.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(ConfigTest, PathsAreUnderTheGivenHome) {
  const StatePaths p = StatePaths::forHome("/home/ada");
  EXPECT_EQ(p.kStateDir, "/home/ada/.cache/velmora_session_tracker");
  EXPECT_EQ(p.kStateFile, "/home/ada/.cache/velmora_session_tracker/session_start");
  EXPECT_EQ(p.kDebugFile, "/home/ada/.cache/velmora_session_tracker/debug.log");
  EXPECT_EQ(p.kLaunchAgentFile, "/home/ada/Library/LaunchAgents/com.velmora.session-tracker.plist");
  EXPECT_EQ(StatePaths::forHome("/home/ada/").kStateDir, p.kStateDir);
  EXPECT_EQ(StatePaths::forHome("/").kStateDir, "/.cache/velmora_session_tracker");
}

TEST(ConfigTest, TildeExpansionTouchesOnlyALeadingTilde) {
  EXPECT_EQ(expandTilde("~", "/h"), "/h");
  EXPECT_EQ(expandTilde("~/x", "/h"), "/h/x");
  EXPECT_EQ(expandTilde("/a/~/x", "/h"), "/a/~/x");
  EXPECT_EQ(expandTilde("~other/x", "/h"), "~other/x");
}

}  // namespace
}  // namespace velmora
