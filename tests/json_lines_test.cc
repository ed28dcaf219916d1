// The JSON Lines writer against nlohmann's JSON: every line parses back to the values written,
// and is byte for byte what nlohmann prints for those values (keys in byte order, its escapes,
// its numbers), over random strings (controls, quotes, backslashes, non-ASCII, bytes that are
// not UTF-8) and random doubles.
#include "platform/sim/output/json_lines.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

#include "gtest/gtest.h"
#include "platform/sim/output/json_text.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

using nlohmann::json;

std::string nlohmannDump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Bytes drawn mostly from where escaping and UTF-8 checking can go wrong.
std::string randomText(std::mt19937_64& random) {
  static const std::string kPieces[] = {"\"",
                                        "\\",
                                        "/",
                                        "\x7f",
                                        "\xc2\x85",
                                        "\xc2\xa0",
                                        "\xe2\x80\xa8",
                                        "\xed\x9f\xbf",
                                        "\xf0\x9f\x9a\x80",
                                        "\xf4\x8f\xbf\xbf",
                                        "\xc0\x80",
                                        "\xe0\x80\xaf",
                                        "\xed\xa0\x80",
                                        "\xf4\x90\x80\x80",
                                        "\xf8\x88\x80\x80\x80",
                                        "\xe2\x82",
                                        "\xf0\x9f\x9a",
                                        "Office PC"};
  std::string text;
  const int length = static_cast<int>(random() % 40);
  for (int i = 0; i < length; ++i) {
    const uint64_t pick = random() % 8;
    if (pick == 0) text += kPieces[random() % std::size(kPieces)];
    if (pick == 1) text += static_cast<char>(random() % 0x20);  // every C0 control
    if (pick == 2) text += static_cast<char>(random() % 0x100);
    if (pick >= 3) text += static_cast<char>(0x20 + random() % 0x5F);  // long plain runs
  }
  return text;
}

double randomDouble(std::mt19937_64& random) {
  switch (random() % 4) {
    case 0: {  // any bit pattern: subnormals, huge values, NaN and the infinities too
      const uint64_t bits = random();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    case 1:  // whole numbers around the end of the fixed form, 1e15
      return static_cast<double>(static_cast<int64_t>(random() % 4000000000000000) -
                                 2000000000000000);
    case 2:  // times as a scenario gives them
      return static_cast<double>(random() % 100000000) / 1000.0;
    default:
      return std::ldexp(static_cast<double>(random() % 1000), static_cast<int>(random() % 80) - 40);
  }
}

TEST(JsonLinesTest, StringsAndNumbersAreWhatNlohmannPrintsAndParseBack) {
  std::mt19937_64 random(16);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = randomText(random);
    std::string written;
    appendJsonString(written, text);
    ASSERT_EQ(written, nlohmannDump(json(text)))
        << json(text).dump(-1, ' ', true, json::error_handler_t::replace);
    const json parsed = json::parse(written);  // throws on anything that is not JSON
    if (parsed.get<std::string>() != text) {
      // Only bytes that were not UTF-8 may differ: they were replaced.
      EXPECT_THROW((void)json(text).dump(), json::type_error) << written;
    }

    const double value = randomDouble(random);
    std::string number;
    appendJsonNumber(number, value);
    ASSERT_EQ(number, nlohmannDump(json(value))) << value;
    if (std::isfinite(value)) {
      EXPECT_EQ(json::parse(number).get<double>(), value) << number;
    }
  }
  for (const double value :
       {0.0, -0.0, 1e15, -1e15, 999999999999999.0, 1e-4, 1e-5, 0.1,
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    std::string number;
    appendJsonNumber(number, value);
    EXPECT_EQ(number, nlohmannDump(json(value))) << value;
  }
}

// Each kind of line, with hostile texts and a time that is no whole number, byte for byte as
// nlohmann printed the same values (the golden).
TEST(JsonLinesTest, EveryKindOfLineIsTheGolden) {
  std::ostringstream out;
  SimEventLoop loop;
  loop.runUntil(12.25);
  JsonLinesWriter writer(out, loop);
  const std::string hostile = "Lab \"A\" \\ B\x1b]2;x\x07\n\xc3\xa9\xff";
  MenuEntry session = MenuEntry::actionEntry("\xe2\x96\xb6  " + hostile,
                                             MenuAction::kSessionClicked, "", MenuStyle::kSession);
  session.representedObject = hostile;
  MenuEntry openAtLogin = MenuEntry::actionEntry("Open at Login", MenuAction::kToggleOpenAtLogin);
  openAtLogin.checked = true;
  writer.onTitle({TitleRun{hostile, 12.5, FontWeight::kMedium, kBlue}});
  writer.onMenu({MenuEntry::infoEntry("Windows App not running"), MenuEntry::separatorEntry(),
                 session, openAtLogin});
  writer.onReport(hostile, PassCause::kQuitFollowUp);
  writer.onScript(hostile);
  writer.onActivate(-2147483647 - 1, 4294967295u);
  writer.onTerminate(4242);
  writer.onPasteboard(hostile);
  writer.onOpenUrl(hostile);
  writer.onTrustPrompt();
  writer.onWriteFailure(StateFile::kSessionStart, ENOSPC);
  writer.onWriteFailure(StateFile::kDebugReport, EROFS);
  writer.onChoice("click", hostile, "");
  writer.onChoice("click", hostile, "no enabled menu item has this title");
  writer.onChoice("key", "x", "");
  writer.onChoice("key", "x", "no enabled menu item has this key equivalent");
  writer.onLoginItem({LoginItemRequest::kOn, {}, {LoginItemStatus::State::kNeedsApproval}});
  writer.onLoginItem({LoginItemRequest::kOpenSettings, {}, {}});
  writer.onLoginItem({LoginItemRequest::kOff, {EPERM}, {LoginItemStatus::State::kOn}});
  writer.onHistory({HistoryWrite::Kind::kStart, hostile, 1765000000.5, 1765000000.5, {}});
  writer.onHistory(
      {HistoryWrite::Kind::kEnd, hostile, 1765000000.5, 1765000040.25, EndReason::kQuitRequested});
  writer.onExport(hostile, 3);
  writer.onReveal(hostile);
  writer.onMenuClosed("replaced");
  writer.onExit("already-running");  // writes the batch

  EXPECT_EQ(out.str(),
            testing::contentOf(std::string(VELMORA_TEST_DATA) + "/json_lines_every_event.jsonl"));
  EXPECT_FALSE(writer.output().failed());
}

}  // namespace
}  // namespace velmora::sim
