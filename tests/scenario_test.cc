#include "platform/sim/scenario/scenario_reader.h"

#include <gtest/gtest.h>

#include "platform/sim/scenario/scenario_writer.h"

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

TEST(ScenarioTest, DefaultsApplyToAbsentKeys) {
  const Scenario s = parsed(R"({"events": [{"at": 3, "client": {}}, {"at": 1, "key": "d"}]})");
  EXPECT_FALSE(s.start.has_value());
  EXPECT_EQ(s.until, 8.0);  // the last event's time plus 5
  ASSERT_EQ(s.events.size(), 2u);
  // Running (1 instance, pid 1000), no windows, the listing from their titles.
  EXPECT_EQ(*s.events[0].client, SimClientState{});
  EXPECT_EQ(s.events[1].kind, ScenarioEvent::Kind::kKey);
  EXPECT_EQ(s.events[1].choice, "d");
  EXPECT_EQ(parsed("{}").until, 5.0);
  EXPECT_EQ(parsed(R"({"start": 253402300799.5})").start, 253402300799.5);  // 9999's last second
  EXPECT_EQ(s.loginItem, SimLoginItem::kOff);
  EXPECT_FALSE(s.otherTracker);
}

// The login item at the start and as the user changes it, and another tracker: read, and written
// back only where they differ from the defaults, so that reading the text again gives the same.
TEST(ScenarioTest, LoginItemAndOtherTrackerReadAndWriteBack) {
  const Scenario s = parsed(R"({"until": 9, "login_item": "needs-approval", "other_tracker": true,
      "events": [{"at": 2, "login_item": "on"}, {"at": 3, "login_item": "unavailable"},
                 {"at": 4, "login_item": "off"}]})");
  EXPECT_EQ(s.loginItem, SimLoginItem::kNeedsApproval);
  EXPECT_TRUE(s.otherTracker);
  ASSERT_EQ(s.events.size(), 3u);
  EXPECT_EQ(s.events[0].kind, ScenarioEvent::Kind::kLoginItem);
  EXPECT_EQ(s.events[0].loginItem, SimLoginItem::kOn);
  EXPECT_EQ(s.events[1].loginItem, SimLoginItem::kUnavailable);
  EXPECT_EQ(s.events[2].loginItem, SimLoginItem::kOff);
  const std::string written = scenarioJson(s);
  EXPECT_EQ(written.rfind(R"({"until": 9, "login_item": "needs-approval", "other_tracker": true, )"
                          R"("events": [)"
                          "\n"
                          R"(  {"at": 2, "login_item": "on"},)",
                          0),
            0u)
      << written;
  const Scenario back = parsed(written);
  EXPECT_EQ(back.loginItem, s.loginItem);
  EXPECT_EQ(back.otherTracker, s.otherTracker);
  ASSERT_EQ(back.events.size(), 3u);
  EXPECT_EQ(back.events[1].loginItem, s.events[1].loginItem);
  EXPECT_EQ(scenarioJson(parsed("{}")), "{\"until\": 5, \"events\": []}\n");
}

// Every key of a client state; attributes can be missing or of another type.
TEST(ScenarioTest, ReadsEveryClientKey) {
  const Scenario s = parsed(R"({"start": 1700000000.5, "until": 60, "events": [
      {"at": 0, "client": {"instances": 2, "pid": 42, "refuses_quit": true, "notifies": false,
        "ax": {"windows": [
        {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440.5, 900],
         "minimized": false},
        {},
        {"title": 7, "subrole": null, "size": "big", "minimized": "no"}]},
        "script": {"text": "A\nB\n"}}},
      {"at": 1, "client": {"ax": {"error": -25211}, "script": {"error": "Not authorised"}}},
      {"at": 2, "client": {"ax": {"value": "not-a-list"}, "script": {"no_text": true}}},
      {"at": 3, "client": {"script": {"no_object": true}}},
      {"at": 4, "click": "Refresh"}]})");
  EXPECT_EQ(s.start, 1700000000.5);
  EXPECT_EQ(s.until, 60.0);
  const SimClientState& c = *s.events[0].client;
  EXPECT_EQ(c.instances, 2);
  EXPECT_EQ(c.pid, 42);
  EXPECT_TRUE(c.refusesQuit);
  EXPECT_FALSE(c.notifies);
  ASSERT_EQ(c.ax.windows.size(), 3u);
  EXPECT_EQ(c.ax.windows[0],
            (SimWindow{SimAttribute::ofText("Office PC"), SimAttribute::ofText("AXStandardWindow"),
                       SimAttribute::ofSize(1440.5, 900), SimAttribute::ofBool(false)}));
  EXPECT_EQ(c.ax.windows[1], SimWindow{});
  const SimAttribute other = SimAttribute::other();
  EXPECT_EQ(c.ax.windows[2], (SimWindow{other, other, other, other}));
  EXPECT_EQ(c.script, (SimListingAnswer{SimListingAnswer::Kind::kText, "A\nB\n"}));
  EXPECT_EQ(s.events[1].client->ax, (SimWindowList{SimWindowList::Kind::kError, -25211, {}}));
  EXPECT_EQ(s.events[1].client->script,
            (SimListingAnswer{SimListingAnswer::Kind::kError, "Not authorised"}));
  EXPECT_EQ(s.events[2].client->ax.kind, SimWindowList::Kind::kNotAList);
  EXPECT_EQ(s.events[2].client->script.kind, SimListingAnswer::Kind::kNoText);
  EXPECT_EQ(s.events[3].client->script.kind, SimListingAnswer::Kind::kNoScriptObject);
  EXPECT_EQ(s.events[4].kind, ScenarioEvent::Kind::kClick);
  EXPECT_EQ(s.events[4].choice, "Refresh");
  // The writer gives every key back as the reader takes it (--from-report relies on it).
  const Scenario again = parsed(scenarioJson(s));
  ASSERT_EQ(again.events.size(), s.events.size());
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(*again.events[i].client, *s.events[i].client);
}

// A scenario of one window.
std::string withWindow(const std::string& window) {
  return R"({"events": [{"at": 0, "client": {"ax": {"windows": [)" + window + "]}}}]}";
}

TEST(ScenarioTest, ABadScenarioNamesThePositionAndWhatIsWrong) {
  // 7 levels down to the window, then 58 arrays: the 65th level opens at column 120.
  const std::string deep =
      withWindow(R"({"title": )" + std::string(58, '[') + std::string(58, ']') + "}");
  std::string wide = "{";  // more keys than any object of the format: the smallest is refused
  for (char c = 'z'; c >= 'a'; --c) wide += std::string("\"") + c + "\": 1, ";
  wide += R"("title": "x"})";
  const struct {
    std::string json;
    const char* position;
    const char* message;
  } cases[] = {
      {"{\n  \"events\": [tru]\n}", "line 2, column 17", "invalid literal"},
      {"", "line 1, column 1", "unexpected end of input"},
      {"[]", "/", "expected an object, found array"},
      {R"({"evnts": []})", "/evnts", "unknown key \"evnts\""},
      {R"({"events": [{"client": {}}]})", "/events/0", "missing \"at\""},
      {R"({"events": [{"at": -1, "key": "d"}]})", "/events/0/at", "from 0 to 1e9"},
      {R"({"events": [{"at": 1}]})", "/events/0", "exactly one of"},
      {R"({"events": [{"at": 1, "key": "d", "click": "x"}]})", "/events/0", "exactly one of"},
      {R"({"events": [{"at": 1, "client": {"instances": -1}}]})", "/events/0/client/instances",
       "from 0 to 64"},
      {R"({"events": [{"at": 1, "client": {"instances": 1.5}}]})", "/events/0/client/instances",
       "expected an integer from 0 to 64, found 1.5"},
      {R"({"events": [{"at": 1, "client": {"pid": 1e300}}]})", "/events/0/client/pid",
       "expected an integer from 1 to 2147483583, found 1e+300"},
      {R"({"events": [{"at": 1, "client": {"ax": {"error": "x"}}}]})", "/events/0/client/ax/error",
       "expected an integer from -2147483648 to 2147483647, found string"},
      {R"({"start": 1e300})", "/start",
       "expected seconds since 1970 from 0 to below 253402300800 (the years 1970 to 9999), found "
       "1e+300"},
      {R"({"start": -1})", "/start", "found -1"},
      {R"({"start": 253402300800})", "/start", "found 253402300800"},
      // Keys given twice, at every level: the root's, then each event's first in file order.
      {R"({"until": 1, "events": [], "until": 2})", "/until", "key \"until\" given twice"},
      {R"({"events": [{"at": 1, "at": 2, "key": "d"}]})", "/events/0/at", "given twice"},
      {R"({"events": [{"at": 1, "client": {"pid": 2, "pid": 2}}]})", "/events/0/client/pid",
       "given twice"},
      {R"({"events": [{"at": 1, "client": {"script": {"text": "", "text": ""}}}]})",
       "/events/0/client/script/text", "given twice"},
      {withWindow(R"({"title": "a", "title": "b"})"), "/events/0/client/ax/windows/0/title",
       "given twice"},
      // ... and inside values of another type, to the full pointer of the second one.
      {withWindow(R"({"size": [1, 2]}, {"size": {"w": 1, "w": 2}})"),
       "/events/0/client/ax/windows/1/size/w", "key \"w\" given twice"},
      {withWindow(R"({"title": [0, {"a/~": 1, "a/~": 2}]})"),
       "/events/0/client/ax/windows/0/title/1/a~1~0", "given twice"},
      {withWindow(R"({"subrole": {"x": {}, "x": 1}, "minimized": {"y": 1, "y": 1}})"),
       "/events/0/client/ax/windows/0/subrole/x", "given twice"},
      {R"({"events": [{"at": 1, "client": {"ax": {"value": {"k": 1, "k": 1}}}}]})",
       "/events/0/client/ax/value/k", "given twice"},
      {deep, "line 1, column 120", "arrays and objects nested more than 64 deep"},
      {withWindow(R"({"subrole": ")" + std::string(kMaxWindowText + 1, 'x') + R"("})"),
       "/events/0/client/ax/windows/0/subrole", "(65536 bytes)"},
      {withWindow(wide), "/events/0/client/ax/windows/0/a", "unknown key \"a\""},
      {R"({"events": [{"at": 1, "client": {"ax": {"windows": {}}}}]})",
       "/events/0/client/ax/windows", "expected an array"},
      {R"({"events": [{"at": 1, "client": {"ax": {"windows": [{"titel": "x"}]}}}]})",
       "/events/0/client/ax/windows/0/titel", "unknown key"},
      {R"({"events": [{"at": 1, "client": {"script": {"text": 5}}}]})",
       "/events/0/client/script/text", "expected a string"},
      {R"({"events": [{"at": 1, "client": {"script": {"no_text": false}}}]})",
       "/events/0/client/script/no_text", "must be true"},
      {R"({"until": 1e12})", "/until", "from 0 to 1e9"},
      {R"({"login_item": "maybe"})", "/login_item", "expected \"off\", \"on\""},
      {R"({"other_tracker": 1})", "/other_tracker", "expected true or false"},
      {R"({"events": [{"at": 1, "login_item": true}]})", "/events/0/login_item",
       "expected a string"},
      {R"({"events": [{"at": 1, "login_item": "on", "key": "d"}]})", "/events/0", "exactly one of"},
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
