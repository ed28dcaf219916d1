#include "platform/sim/scenario/scenario_reader.h"

#include <gtest/gtest.h>

#include "platform/sim/scenario/scenario_writer.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

Scenario parsed(std::string_view json) {
  ScenarioResult r = parseScenario(json);
  if (auto* e = std::get_if<SimError>(&r)) {
    ADD_FAILURE() << e->where << ": " << e->message;
    return {};
  }
  return std::get<Scenario>(r);
}

SimError failed(std::string_view json) {
  ScenarioResult r = parseScenario(json);
  if (auto* e = std::get_if<SimError>(&r)) return *e;
  ADD_FAILURE() << "accepted: " << json;
  return {};
}

// Keys left out take their defaults (running, one instance, pid 1000, no windows, the listing
// from their titles) and are not written; "until" is the last event's time plus 5.
TEST(ScenarioTest, DefaultsApplyToAbsentKeys) {
  const Scenario s = parsed(R"({"events": [{"at": 3, "client": {}}, {"at": 1, "key": "d"}]})");
  EXPECT_EQ(s.until, 8.0);
  EXPECT_EQ(*s.events[0].client, SimClientState{});
  const Scenario none = parsed("{}");
  EXPECT_FALSE(none.start.has_value());
  EXPECT_EQ(scenarioJson(none), "{\"until\": 5, \"events\": []}\n");
  EXPECT_EQ(parsed(R"({"start": 253402300799.5})").start, 253402300799.5);  // 9999's last second
}

// Every key of the format (tests/data/every_key.json) read and written back byte for byte, as
// --from-report relies on. The program tests play most keys; here the ones they do not: window
// attributes missing or of another type, and the listing's answers without text.
TEST(ScenarioTest, ReadsEveryKeyAndWritesItBackTheSame) {
  const std::string text =
      testing::contentOf(std::string(VELMORA_TEST_DATA) + "/every_key.json").value_or("");
  const Scenario s = parsed(text);
  EXPECT_EQ(scenarioJson(s), text);
  EXPECT_EQ(s.start, 1700000000.5);
  EXPECT_EQ(s.loginItem, SimLoginItem::kNeedsApproval);
  EXPECT_TRUE(s.otherTracker);
  EXPECT_EQ(s.notificationsAnswer, PromptAnswer::kIgnore);
  ASSERT_EQ(s.events.size(), 11u);
  const SimClientState& c = *s.events[0].client;
  EXPECT_EQ(c.instances, 2);
  ASSERT_EQ(c.ax.windows.size(), 3u);
  EXPECT_EQ(c.ax.windows[1], SimWindow{});
  const SimAttribute other = SimAttribute::other();
  EXPECT_EQ(c.ax.windows[2], (SimWindow{other, other, other, other}));
  EXPECT_EQ(s.events[2].client->ax.kind, SimWindowList::Kind::kNotAList);
  EXPECT_EQ(s.events[2].client->script.kind, SimListingAnswer::Kind::kNoText);
  EXPECT_EQ(s.events[3].client->script.kind, SimListingAnswer::Kind::kNoScriptObject);
  EXPECT_EQ(s.events[10].kind, ScenarioEvent::Kind::kMenu);
}

// A scenario of one client state, and of one with `window` (its list's items).
std::string withClient(const std::string& client) {
  return R"({"events": [{"at": 0, "client": )" + client + "}]}";
}
std::string withWindow(const std::string& window) {
  return withClient(R"({"ax": {"windows": [)" + window + "]}}");
}

TEST(ScenarioTest, ABadScenarioNamesThePositionAndWhatIsWrong) {
  // 7 levels down to the window, then 58 arrays: the 65th level opens at column 120.
  const std::string kClient = "/events/0/client/", kWindow = kClient + "ax/windows/";
  const std::string deep =
      withWindow(R"({"title": )" + std::string(58, '[') + std::string(58, ']') + "}");
  std::string wide = "{";  // more keys than any object of the format: the smallest is refused
  for (char c = 'z'; c >= 'a'; --c) wide += std::string("\"") + c + "\": 1, ";
  wide += R"("title": "x"})";
  const struct {
    std::string json;
    std::string position;
    const char* message;
  } cases[] = {
      {"{\n  \"events\": [tru]\n}", "line 2, column 17", "invalid literal"},
      {"[]", "/", "expected an object, found array"},
      {R"({"evnts": []})", "/evnts", "unknown key \"evnts\""},
      {R"({"events": [{"client": {}}]})", "/events/0", "missing \"at\""},
      {R"({"events": [{"at": -1, "key": "d"}]})", "/events/0/at", "from 0 to 1e9"},
      {R"({"events": [{"at": 1}]})", "/events/0", "exactly one of"},
      {R"({"events": [{"at": 1, "key": "d", "click": "x"}]})", "/events/0", "exactly one of"},
      {withClient(R"({"instances": 1.5})"), kClient + "instances", "from 0 to 64, found 1.5"},
      {withClient(R"({"pid": 1e300})"), kClient + "pid", "from 1 to 2147483583, found 1e+300"},
      {withClient(R"({"ax": {"error": "x"}})"), kClient + "ax/error", "2147483647, found string"},
      {R"({"start": 1e300})", "/start",
       "below 253402300800 (the years 1970 to 9999), found 1e+300"},
      {R"({"start": -1})", "/start", "found -1"},
      {R"({"start": 253402300800})", "/start", "found 253402300800"},
      // Keys given twice, at every level: the root's, then each event's first in file order.
      {R"({"until": 1, "events": [], "until": 2})", "/until", "key \"until\" given twice"},
      {R"({"events": [{"at": 1, "at": 2, "key": "d"}]})", "/events/0/at", "given twice"},
      {withClient(R"({"pid": 2, "pid": 2})"), kClient + "pid", "given twice"},
      {withClient(R"({"script": {"text": "", "text": ""}})"), kClient + "script/text", "twice"},
      {withWindow(R"({"title": "a", "title": "b"})"), kWindow + "0/title", "given twice"},
      // ... and inside values of another type, to the full pointer of the second one.
      {withWindow(R"({"size": [1, 2]}, {"size": {"w": 1, "w": 2}})"), kWindow + "1/size/w",
       "key \"w\" given twice"},
      {withWindow(R"({"title": [0, {"a/~": 1, "a/~": 2}]})"), kWindow + "0/title/1/a~1~0", "twice"},
      {withWindow(R"({"subrole": {"x": {}, "x": 1}, "minimized": {"y": 1, "y": 1}})"),
       kWindow + "0/subrole/x", "given twice"},
      {withClient(R"({"ax": {"value": {"k": 1, "k": 1}}})"), kClient + "ax/value/k", "twice"},
      {deep, "line 1, column 120", "arrays and objects nested more than 64 deep"},
      {withWindow(R"({"subrole": ")" + std::string(kMaxWindowText + 1, 'x') + R"("})"),
       kWindow + "0/subrole", "(65536 bytes)"},
      {withWindow(wide), kWindow + "0/a", "unknown key \"a\""},
      {withClient(R"({"ax": {"windows": {}}})"), kClient + "ax/windows", "expected an array"},
      {withClient(R"({"script": {"text": 5}})"), kClient + "script/text", "expected a string"},
      {withClient(R"({"script": {"no_text": false}})"), kClient + "script/no_text", "be true"},
      {R"({"until": 1e12})", "/until", "from 0 to 1e9"},
      {R"({"login_item": "maybe"})", "/login_item", "expected \"off\", \"on\""},
      {R"({"other_tracker": 1})", "/other_tracker", "expected true or false"},
      // Too large for a double: refused like any other bad number, not thrown out.
      {"{\"events\": [],\n \"until\": 1e400}", "line 2, column 11",
       "number overflow parsing '1e400'"},
      {"{\"events\": [{\"at\": 1, \"click\": \"\xff\"}]}", "line 1, column 33", "ill-formed UTF-8"},
  };
  for (const auto& c : cases) {
    const SimError e = failed(c.json);
    EXPECT_EQ(e.where, c.position) << c.json;
    EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
  }
}

}  // namespace
}  // namespace velmora::sim
