#include "platform/sim/scenario/scenario_writer.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/sim/desktop/sim_login_items.h"
#include "text/decimal.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

void appendCodeEscape(unsigned code, std::string& out) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04x", code);
  out += buffer;
}

std::string string(std::string_view s) {
  const std::string valid = text::sanitizeUtf8(s);
  std::string out = "\"";
  for (std::size_t i = 0; i < valid.size(); ++i) {
    const auto byte = static_cast<unsigned char>(valid[i]);
    const bool c1 =
        byte == 0xC2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) <= 0x9F;
    if (valid[i] == '"' || valid[i] == '\\') {
      out += '\\';
      out += valid[i];
    } else if (valid[i] == '\n') {
      out += "\\n";
    } else if (valid[i] == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      appendCodeEscape(byte, out);
    } else if (c1) {
      appendCodeEscape(static_cast<unsigned char>(valid[++i]), out);
    } else {
      out += valid[i];
    }
  }
  return out + "\"";
}

std::string number(double value) {
  if (!std::isfinite(value)) return "null";
  // Plain decimal digits read back as exactly this double; JSON needs no exponent.
  return text::shortestDecimal(value);
}

// `"key": value` pairs between braces.
std::string object(const std::vector<std::string>& fields) {
  std::string out = "{";
  for (std::size_t i = 0; i < fields.size(); ++i) out += (i == 0 ? "" : ", ") + fields[i];
  return out + "}";
}

// An absent attribute is an absent key; a value of a type it does not hold reads back as
// "another type", like null.
void addAttribute(std::vector<std::string>& fields, const char* key, const SimAttribute& a,
                  SimAttribute::Kind holds) {
  if (a.kind == SimAttribute::Kind::kMissing) return;
  std::string value = "null";
  if (a.kind == holds && holds == SimAttribute::Kind::kText) value = string(a.text);
  if (a.kind == holds && holds == SimAttribute::Kind::kBool) value = a.flag ? "true" : "false";
  if (a.kind == holds && holds == SimAttribute::Kind::kSize) {
    value = "[" + number(a.size.width) + ", " + number(a.size.height) + "]";
  }
  fields.push_back(std::string("\"") + key + "\": " + value);
}

std::string window(const SimWindow& w) {
  std::vector<std::string> fields;
  addAttribute(fields, "title", w.title, SimAttribute::Kind::kText);
  addAttribute(fields, "subrole", w.subrole, SimAttribute::Kind::kText);
  addAttribute(fields, "size", w.size, SimAttribute::Kind::kSize);
  addAttribute(fields, "minimized", w.minimized, SimAttribute::Kind::kBool);
  return object(fields);
}

std::string windowList(const SimWindowList& list) {
  switch (list.kind) {
    case SimWindowList::Kind::kError:
      return "{\"error\": " + std::to_string(list.error) + "}";
    case SimWindowList::Kind::kNotAList:
      return R"({"value": "not-a-list"})";
    case SimWindowList::Kind::kWindows:
      break;
  }
  if (list.windows.empty()) return R"({"windows": []})";
  std::string out = "{\"windows\": [\n";
  for (std::size_t i = 0; i < list.windows.size(); ++i) {
    out += "    " + window(list.windows[i]) + (i + 1 < list.windows.size() ? ",\n" : "\n");
  }
  return out + "  ]}";
}

std::string listingAnswer(const SimListingAnswer& answer) {
  switch (answer.kind) {
    case SimListingAnswer::Kind::kText:
      return "{\"text\": " + string(answer.text) + "}";
    case SimListingAnswer::Kind::kNoText:
      return R"({"no_text": true})";
    case SimListingAnswer::Kind::kError:
      return "{\"error\": " + string(answer.text) + "}";
    case SimListingAnswer::Kind::kNoScriptObject:
    case SimListingAnswer::Kind::kFromWindows:
      break;
  }
  return R"({"no_object": true})";
}

std::string client(const SimClientState& c) {
  const SimClientState defaults;
  std::vector<std::string> fields;
  if (c.instances != defaults.instances) {
    fields.push_back("\"instances\": " + std::to_string(c.instances));
  }
  if (c.pid != defaults.pid) fields.push_back("\"pid\": " + std::to_string(c.pid));
  if (c.refusesQuit) fields.emplace_back("\"refuses_quit\": true");
  if (!c.notifies) fields.emplace_back("\"notifies\": false");
  if (c.hangs) fields.emplace_back("\"hangs\": true");
  const bool noWindows = c.ax.kind == SimWindowList::Kind::kWindows && c.ax.windows.empty();
  if (c.instances != 0 || !noWindows) fields.push_back("\"ax\": " + windowList(c.ax));
  if (c.script.kind != SimListingAnswer::Kind::kFromWindows) {
    fields.push_back("\"script\": " + listingAnswer(c.script));
  }
  return object(fields);
}

std::string event(const ScenarioEvent& e) {
  const std::string at = "{\"at\": " + number(e.at) + ", ";
  switch (e.kind) {
    case ScenarioEvent::Kind::kClick:
      return at + "\"click\": " + string(e.choice) + "}";
    case ScenarioEvent::Kind::kKey:
      return at + "\"key\": " + string(e.choice) + "}";
    case ScenarioEvent::Kind::kLoginItem:
      return at + "\"login_item\": " + string(loginItemName(e.loginItem)) + "}";
    case ScenarioEvent::Kind::kNotifications:
      return at + "\"notifications\": " + string(notificationStatusName(e.notifications)) + "}";
    case ScenarioEvent::Kind::kMenu:
      return at + "\"menu\": " + string(e.menuOpen ? "open" : "close") + "}";
    case ScenarioEvent::Kind::kClient:
      break;
  }
  return at + "\"client\": " + client(*e.client) + "}";
}

}  // namespace

std::string scenarioJson(const Scenario& scenario) {
  std::string out = "{";
  if (scenario.start) out += "\"start\": " + number(*scenario.start) + ", ";
  out += "\"until\": " + number(scenario.until) + ", ";
  if (scenario.loginItem != SimLoginItem::kOff) {
    out += "\"login_item\": " + string(loginItemName(scenario.loginItem)) + ", ";
  }
  if (scenario.otherTracker) out += "\"other_tracker\": true, ";
  if (scenario.notifications != NotificationStatus::kNotAsked) {
    out += "\"notifications\": " + string(notificationStatusName(scenario.notifications)) + ", ";
  }
  if (scenario.notificationsAnswer != PromptAnswer::kAllow) {
    out += "\"notifications_answer\": " + string(promptAnswerName(scenario.notificationsAnswer)) +
           ", ";
  }
  if (scenario.history) out += *scenario.history ? "\"history\": true, " : "\"history\": false, ";
  out += "\"events\": [";
  for (std::size_t i = 0; i < scenario.events.size(); ++i) {
    out += (i == 0 ? "\n  " : ",\n  ") + event(scenario.events[i]);
  }
  out += scenario.events.empty() ? "]}\n" : "\n]}\n";
  return out;
}

}  // namespace velmora::sim
