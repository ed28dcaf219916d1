#include "detect/script_listing.h"

#include <gtest/gtest.h>

#include "app/config.h"
#include "platform/sim/sim_script_runner.h"

namespace velmora {
namespace {

using Names = std::vector<std::string>;

TEST(ListingScriptTest, IsTheNineLineScriptByteForByte) {
  const std::string script = listingScript(kAppName);
  EXPECT_EQ(script,
            "tell application \"System Events\"\n"
            "    if exists (process \"Windows App\") then\n"
            "        set output to \"\"\n"
            "        repeat with w in (name of every window of process \"Windows App\")\n"
            "            set output to output & w & linefeed\n"
            "        end repeat\n"
            "        return output\n"
            "    end if\n"
            "end tell");
  EXPECT_EQ(script.size(), 282u);
}

TEST(ListingScriptTest, InsertsTheNameWithoutEscaping) {
  const std::string script = listingScript("A \"B\"");
  EXPECT_NE(script.find("(process \"A \"B\"\") then"), std::string::npos);
  EXPECT_NE(script.find("window of process \"A \"B\"\")\n"), std::string::npos);
}

ScriptResult text(std::string t) {
  return {ScriptResult::Kind::kText, std::move(t)};
}

struct ListingCase {
  const char* name;
  const char* returned;
  Names names;
  const char* reportLine;
};

class ListingTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ListingTest, SplitsTrimsAndFilters) {
  sim::SimScriptRunner runner;
  runner.answer = text(GetParam().returned);
  const ScriptListing r = detectViaAppleScript(runner);
  EXPECT_EQ(r.names, GetParam().names);
  EXPECT_EQ(r.debugInfo, std::string("--- AS Detection ---\n") + GetParam().reportLine);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListingTest,
    ::testing::Values(
        ListingCase{"TwoNames",
                    "Office PC\nBuild Server\n",
                    {"Office PC", "Build Server"},
                    "  Raw: [\"Office PC\", \"Build Server\"] -> Filtered: [\"Office PC\", "
                    "\"Build Server\"]\n"},
        ListingCase{"Trimmed",
                    "  Office PC \t\n",
                    {"Office PC"},
                    "  Raw: [\"Office PC\"] -> Filtered: [\"Office PC\"]\n"},
        ListingCase{"ExcludedByName",
                    "Connection Center\nconnection center\n",
                    {"connection center"},
                    "  Raw: [\"Connection Center\", \"connection center\"] -> Filtered: "
                    "[\"connection center\"]\n"},
        ListingCase{"ExcludedByFragment",
                    "x dEfAuLt iMe y\nOffice PC\n",
                    {"Office PC"},
                    "  Raw: [\"x dEfAuLt iMe y\", \"Office PC\"] -> Filtered: [\"Office PC\"]\n"},
        ListingCase{"DuplicatesStay",
                    "A\nA\n",
                    {"A", "A"},
                    "  Raw: [\"A\", \"A\"] -> Filtered: [\"A\", \"A\"]\n"},
        ListingCase{"LineFeedInsideAName",
                    "Two\nParts\n",
                    {"Two", "Parts"},
                    "  Raw: [\"Two\", \"Parts\"] -> Filtered: [\"Two\", \"Parts\"]\n"},
        ListingCase{"BlankPiecesDropped",
                    "\n   \n\r\nA\r\nB",
                    {"A", "B"},
                    "  Raw: [\"A\", \"B\"] -> Filtered: [\"A\", \"B\"]\n"},
        ListingCase{"Empty", "", {}, "  Raw: [] -> Filtered: []\n"},
        ListingCase{"InvalidUtf8Repaired",
                    "Caf\xc3\n",
                    {"Caf\uFFFD"},
                    "  Raw: [\"Caf\uFFFD\"] -> Filtered: [\"Caf\uFFFD\"]\n"},
        ListingCase{"QuotesEscapedInReport",
                    "It's \"PC\"\n",
                    {"It's \"PC\""},
                    "  Raw: [\"It\\'s \\\"PC\\\"\"] -> Filtered: [\"It\\'s \\\"PC\\\"\"]\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ListingTest, RunsTheListingScriptOnce) {
  sim::SimScriptRunner runner;
  (void)detectViaAppleScript(runner);
  EXPECT_EQ(runner.sources, std::vector<std::string>{listingScript(kAppName)});
}

TEST(ListingTest, NoTextIsTheEmptyText) {
  sim::SimScriptRunner runner;
  runner.answer = {ScriptResult::Kind::kNoText, "ignored"};
  const ScriptListing r = detectViaAppleScript(runner);
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(r.debugInfo, "--- AS Detection ---\n  Raw: [] -> Filtered: []\n");
}

TEST(ListingTest, FailedRunReportsTheErrorOnly) {
  sim::SimScriptRunner runner;
  runner.answer = {ScriptResult::Kind::kError, "{NSAppleScriptErrorNumber = -1743; \xff}"};
  const ScriptListing r = detectViaAppleScript(runner);
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(r.debugInfo,
            "--- AS Detection ---\n  Error: {NSAppleScriptErrorNumber = -1743; \uFFFD}\n");
}

TEST(ListingTest, NoScriptObjectLeavesTheHeadingOnly) {
  sim::SimScriptRunner runner;
  runner.answer = {ScriptResult::Kind::kNoScriptObject, "Office PC\n"};
  const ScriptListing r = detectViaAppleScript(runner);
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(r.debugInfo, "--- AS Detection ---\n");
}

}  // namespace
}  // namespace velmora
