#include "detect/script_listing.h"

#include <gtest/gtest.h>

#include "platform/sim/desktop/sim_script_runner.h"

namespace velmora {
namespace {

using Names = std::vector<std::string>;

// The script's bytes are golden in velmora-sim's headless story (tests/data/headless_story.jsonl);
// the report's lines in the reports recorded there.
TEST(ListingTest, SplitsTrimsAndFiltersTheAnswer) {
  using Kind = ScriptResult::Kind;
  const struct {
    ScriptResult answer;
    Names names;
    const char* lines;  // after the section's heading
  } cases[] = {
      {{Kind::kText, "Office PC\nBuild Server\n"},
       {"Office PC", "Build Server"},
       "  Raw: [\"Office PC\", \"Build Server\"] -> Filtered: [\"Office PC\", \"Build Server\"]\n"},
      {{Kind::kText, "  Office PC \t\n"},
       {"Office PC"},
       "  Raw: [\"Office PC\"] -> Filtered: [\"Office PC\"]\n"},
      {{Kind::kText, "Connection Center\nconnection center\n"},
       {"connection center"},
       "  Raw: [\"Connection Center\", \"connection center\"] -> Filtered: "
       "[\"connection center\"]\n"},
      {{Kind::kText, "x dEfAuLt iMe y\nA\nA\n"},
       {"A", "A"},  // duplicates stay
       "  Raw: [\"x dEfAuLt iMe y\", \"A\", \"A\"] -> Filtered: [\"A\", \"A\"]\n"},
      {{Kind::kText, "\n   \n\r\nA\r\nB"},
       {"A", "B"},
       "  Raw: [\"A\", \"B\"] -> Filtered: [\"A\", \"B\"]\n"},
      {{Kind::kText, "Caf\xc3\n"},
       {"Caf\uFFFD"},
       "  Raw: [\"Caf\uFFFD\"] -> Filtered: [\"Caf\uFFFD\"]\n"},
      {{Kind::kText, ""}, {}, "  Raw: [] -> Filtered: []\n"},
      {{Kind::kNoText, "ignored"}, {}, "  Raw: [] -> Filtered: []\n"},
      {{Kind::kError, "{NSAppleScriptErrorNumber = -1743; \xff}"},
       {},
       "  Error: {NSAppleScriptErrorNumber = -1743; \uFFFD}\n"},
      {{Kind::kNoScriptObject, "Office PC\n"}, {}, ""},
  };
  for (const auto& c : cases) {
    sim::SimScriptRunner runner;
    runner.answer = c.answer;
    const ScriptListing r = detectViaAppleScript(runner);
    EXPECT_EQ(r.names, c.names) << c.answer.text;
    EXPECT_EQ(r.debugInfo, std::string("--- AS Detection ---\n") + c.lines);
  }
}

}  // namespace
}  // namespace velmora
