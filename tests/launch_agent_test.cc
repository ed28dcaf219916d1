#include "app/launch_agent.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/temp_home.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::contentOf;

const std::string kAppExecutable =
    "/Applications/Velmora Session Tracker.app/Contents/MacOS/Velmora Session Tracker";

std::string packagedPlist() {
  return contentOf(std::string(VELMORA_SOURCE_DIR) +
                   "/packaging/macos/com.velmora.session-tracker.plist")
      .value_or("");
}

TEST(LaunchAgentPlistTest, EscapesThePathOrRefusesWhatXmlCannotCarry) {
  const std::string installed = packagedPlist();
  const std::string before = "\t\t<string>";
  const std::size_t at = installed.find(before + kAppExecutable);
  ASSERT_NE(at, std::string::npos);
  const struct {
    std::string path;
    std::optional<std::string> shown;  // as it stands in ProgramArguments; nothing: refused
  } cases[] = {
      {"/Users/a&b/<x>/\"q\" 'y'/T\xc3\xa9st \xe6\x9d\xb1/run",
       "/Users/a&amp;b/&lt;x&gt;/&quot;q&quot; &apos;y&apos;/T\xc3\xa9st \xe6\x9d\xb1/run"},
      {"/a</string><string>--evil", "/a&lt;/string&gt;&lt;string&gt;--evil"},
      {"/tab\there\nand\rreturn", "/tab\there\nand&#13;return"},
      {"/bell\x07", std::nullopt},
      {"/nul" + std::string(1, '\0'), std::nullopt},
      {"/not-utf8\xff", std::nullopt},
      {"/nonchar\xef\xbf\xbe", std::nullopt},
      {"relative/path", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> text = launchAgentPlist(c.path);
    if (!c.shown) {
      EXPECT_FALSE(text) << c.path;
      continue;
    }
    std::string expected = installed;
    expected.replace(at + before.size(), kAppExecutable.size(), *c.shown);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(launchAgentLabel(text.value_or("")), "com.velmora.session-tracker");
  }
}

// Only a Label directly in the root dict, as a plain string, counts; anything odd reads as no
// Label at all, so that the file is never taken for the tracker's.
TEST(LaunchAgentLabelTest, ReadsTheRootLabelStrictly) {
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
      "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n";
  const auto plist = [&](const std::string& dict) {
    return head + "<dict>" + dict + "</dict>\n</plist>\n";
  };
  const std::string ours = "<key>Label</key><string>com.velmora.session-tracker</string>";
  const struct {
    std::string text;
    std::optional<std::string> label;
  } cases[] = {
      {"<plist><dict>" + ours + "</dict></plist>", "com.velmora.session-tracker"},
      {plist("<key>KeepAlive</key><dict><key>Label</key><string>x</string></dict>" + ours),
       "com.velmora.session-tracker"},
      {plist("<key>Label</key><string>com.example.other</string>"), "com.example.other"},
      {plist("<key>Program</key><string>/bin/x</string>"), std::nullopt},
      {plist("<key>KeepAlive</key><dict>" + ours + "</dict>"), std::nullopt},  // nested only
      {plist(ours + ours), std::nullopt},                                      // twice
      {plist("<key>Label</key><array><string>x</string></array>"), std::nullopt},
      {plist("<!-- x -->" + ours), std::nullopt},
      {plist("<key>A</key><array><string>x</array></string>" + ours),
       std::nullopt},  // badly nested
      {plist(ours) + "trailing", std::nullopt},
      {"<!DOCTYPE plist [<!ENTITY e \"x\">]>" + plist(ours).substr(head.size()), std::nullopt},
      {"bplist00\xd1\x01\x02ULabel", std::nullopt},
      {"<array>" + ours + "</array>", std::nullopt},
      {"", std::nullopt},
      {plist(ours).substr(0, plist(ours).size() - 10), std::nullopt},  // cut short
  };
  for (const auto& c : cases) EXPECT_EQ(launchAgentLabel(c.text), c.label) << c.text;
}

class LaunchAgentFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.valid()); }
  testing::TempHome home;
  const std::string agent = home.paths().kLaunchAgentFile;
};

// Written with mode 0644 as the LaunchAgent the package ships, byte for byte (the one golden of
// the text), its directory made, read back as the tracker's and removed; a file of another Label, a
// link, a directory, a FIFO or a huge file is someone else's and stays.
TEST_F(LaunchAgentFileTest, WritesReadsAndRemovesOnlyItsOwn) {
  EXPECT_EQ(readLaunchAgentFile(agent), LaunchAgentFile::kAbsent);
  ASSERT_TRUE(writeLaunchAgent(agent, kAppExecutable));
  EXPECT_EQ(contentOf(agent), packagedPlist());
  EXPECT_EQ(testing::modeOf(agent), 0644);
  EXPECT_EQ(readLaunchAgentFile(agent), LaunchAgentFile::kOurs);
  EXPECT_TRUE(removeLaunchAgent(agent));
  EXPECT_EQ(readLaunchAgentFile(agent), LaunchAgentFile::kAbsent);
  EXPECT_FALSE(removeLaunchAgent(agent));
  EXPECT_FALSE(writeLaunchAgent(agent, "relative"));
  EXPECT_FALSE(fs::exists(agent));

  const std::string elsewhere = home.path() + "/theirs.plist";
  ASSERT_TRUE(testing::plant(elsewhere, packagedPlist()));
  const std::string other =
      packagedPlist().replace(packagedPlist().find("<string>com.velmora"), 8, "<string>x");
  for (int kind = 0; kind < 5; ++kind) {
    fs::remove_all(agent);
    bool planted = true;
    if (kind == 0) planted = testing::plant(agent, other);
    if (kind == 1) fs::create_symlink(elsewhere, agent);  // to a file of our Label
    if (kind == 2) fs::create_directory(agent);
    if (kind == 3) planted = ::mkfifo(agent.c_str(), 0600) == 0;
    if (kind == 4) {
      planted = testing::plant(agent, packagedPlist());
      fs::resize_file(agent, kMaxLaunchAgentBytes + 1);  // our text, then zeros
    }
    ASSERT_TRUE(planted) << kind;
    EXPECT_EQ(readLaunchAgentFile(agent), LaunchAgentFile::kOther) << kind;
    EXPECT_FALSE(removeLaunchAgent(agent)) << kind;
    EXPECT_TRUE(fs::exists(fs::symlink_status(agent))) << kind;
  }
  EXPECT_EQ(contentOf(elsewhere), packagedPlist());
}

}  // namespace
}  // namespace velmora
