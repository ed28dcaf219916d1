#include "platform/sim/output/json_lines.h"

#include <cstring>

#include "platform/sim/output/json_text.h"

namespace velmora::sim {
namespace {

const char* weightName(FontWeight weight) {
  switch (weight) {
    case FontWeight::kMedium:
      return "medium";
    case FontWeight::kSemibold:
      return "semibold";
    case FontWeight::kRegular:
      break;
  }
  return "regular";
}

const char* colorName(const Color& color) {
  if (color == kGray) return "gray";
  if (color == kBlue) return "blue";
  return "other";
}

void appendRun(std::string& line, const TitleRun& r) {
  line += "{\"color\":\"";
  line += colorName(r.color);
  line += "\",\"size\":";
  appendJsonNumber(line, r.fontSize);
  line += ",\"text\":";
  appendJsonString(line, r.text);
  line += ",\"weight\":\"";
  line += weightName(r.weight);
  line += "\"}";
}

void appendEntry(std::string& line, const MenuEntry& e) {
  if (e.separator) {
    line += "{\"separator\":true}";
    return;
  }
  line += "{\"action\":";
  const std::string_view selector = selectorName(e.action);
  if (selector.empty()) {
    line += "null";
  } else {
    appendJsonString(line, selector);
  }
  // Only a checked row says so, so that every other row keeps its bytes; so with a detail and a
  // submenu.
  if (e.checked) line += ",\"checked\":true";
  if (!e.detail.empty()) {
    line += ",\"detail\":";
    appendJsonString(line, e.detail);
  }
  line += e.enabled ? ",\"enabled\":true,\"key\":" : ",\"enabled\":false,\"key\":";
  appendJsonString(line, e.keyEquivalent);
  if (e.representedObject) {
    line += ",\"object\":";
    appendJsonString(line, *e.representedObject);
  }
  line += ",\"style\":";
  appendJsonString(line, styleName(e.style));
  if (!e.submenu.empty()) {
    line += ",\"submenu\":[";
    for (std::size_t i = 0; i < e.submenu.size(); ++i) {
      if (i > 0) line += ',';
      appendEntry(line, e.submenu[i]);
    }
    line += ']';
  }
  line += ",\"title\":";
  appendJsonString(line, e.title);
  line += '}';
}

// `,"key":"text"`.
void appendField(std::string& line, std::string_view key, std::string_view text) {
  line += ",\"";
  line += key;
  line += "\":";
  appendJsonString(line, text);
}

}  // namespace

void JsonLinesWriter::appendTime(std::string& line) {
  line += "\"t\":";
  appendJsonNumber(line, loop_.now());
}

// Every line's keys are in byte order, as the JSON objects that once built them kept them.
void JsonLinesWriter::writeText(std::string_view event, std::string_view key,
                                const std::string& text) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"";
  line += event;
  line += '"';
  if (key < "t") appendField(line, key, text);
  line += ',';
  appendTime(line);
  if (key > "t") appendField(line, key, text);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onTitle(const std::vector<TitleRun>& runs) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"title\",\"runs\":[";
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i > 0) line += ',';
    appendRun(line, runs[i]);
  }
  line += "],";
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onMenu(const std::vector<MenuEntry>& entries) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"menu\",\"items\":[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) line += ',';
    appendEntry(line, entries[i]);
  }
  line += "],";
  appendTime(line);
  line += '}';
  out_.endLine();
}

// "busy": the seconds the pass held the main thread on platform calls.
void JsonLinesWriter::onReport(const std::string& report, PassCause cause) {
  std::string& line = out_.buffer();
  line += "{\"busy\":";
  appendJsonNumber(line, loop_.busyInTask());
  line += ",\"cause\":\"";
  line += passCauseName(cause);
  line += "\",\"event\":\"report\",";
  appendTime(line);
  appendField(line, "text", report);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onScript(const std::string& source) {
  writeText("script", "source", source);
}

void JsonLinesWriter::onActivate(int32_t pid, unsigned options) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"activate\",\"options\":";
  appendJsonInteger(line, options);
  line += ",\"pid\":";
  appendJsonInteger(line, pid);
  line += ',';
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onTerminate(int32_t pid) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"terminate\",\"pid\":";
  appendJsonInteger(line, pid);
  line += ',';
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onPasteboard(const std::string& text) {
  writeText("pasteboard", "text", text);
}

void JsonLinesWriter::onOpenUrl(const std::string& url) {
  writeText("open-url", "url", url);
}

void JsonLinesWriter::onTrustPrompt() {
  std::string& line = out_.buffer();
  line += "{\"event\":\"trust-prompt\",";
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onWriteFailure(StateFile file, int error) {
  std::string& line = out_.buffer();
  line += "{\"error\":";
  appendJsonString(line, std::strerror(error));
  line += file == StateFile::kSessionStart
              ? ",\"event\":\"write-failed\",\"file\":\"session_start\","
              : ",\"event\":\"write-failed\",\"file\":\"debug.log\",";
  appendTime(line);
  line += '}';
  out_.endLine();
}

// A choice that waited for the main thread (a pass held it) says how long, in "waited".
void JsonLinesWriter::onChoice(const std::string& kind, const std::string& choice,
                               const std::string& error) {
  if (error.empty() && loop_.waited() == 0.0) {
    writeText(kind == "key" ? "key" : "click", kind == "key" ? "key" : "title", choice);
    return;
  }
  std::string& line = out_.buffer();
  line += '{';
  if (!error.empty()) {
    line += "\"error\":";
    appendJsonString(line, error);
    line += ',';
  }
  line += kind == "key" ? "\"event\":\"key\"" : "\"event\":\"click\"";
  if (kind == "key") appendField(line, "key", choice);
  line += ',';
  appendTime(line);
  if (kind != "key") appendField(line, "title", choice);
  if (loop_.waited() > 0.0) {
    line += ",\"waited\":";
    appendJsonNumber(line, loop_.waited());
  }
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onLoginItem(const LoginItemChange& change) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"login-item\",";
  if (!change.outcome) line += "\"failed\":true,";
  line += "\"request\":\"";
  line += requestName(change.request);
  line += "\",\"status\":\"";
  line += stateName(change.after.state);
  line += "\",";
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onNotifications(const NotificationsChange& change) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"notifications\",\"request\":\"";
  line += requestName(change.request);
  line += "\",\"status\":\"";
  line += notificationStatusName(change.after);
  line += "\",";
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onNotification(const std::string& title, const std::string& body) {
  std::string& line = out_.buffer();
  line += "{\"body\":";
  appendJsonString(line, body);
  line += ",\"event\":\"notification\",";
  appendTime(line);
  appendField(line, "title", title);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onMenuTick(const std::vector<MenuEntry>& menu) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"menu-tick\",\"sessions\":[";
  const MenuEntry* uptime = nullptr;
  bool first = true;
  for (const MenuEntry& e : menu) {
    if (e.style == MenuStyle::kUptime) uptime = &e;
    if (e.action != MenuAction::kSessionClicked) continue;
    line += first ? "{\"detail\":" : ",{\"detail\":";
    first = false;
    appendJsonString(line, e.detail);
    line += ",\"title\":";
    appendJsonString(line, e.title);
    line += '}';
  }
  line += "],";
  appendTime(line);
  if (uptime != nullptr) appendField(line, "uptime", uptime->title);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onHistory(const HistoryWrite& write) {
  std::string& line = out_.buffer();
  line += "{\"at\":";
  appendJsonNumber(line, write.at);
  line += ",\"event\":\"history\",\"kind\":";
  appendJsonString(line, historyWriteName(write.kind));
  appendField(line, "name", write.name);
  if (write.reason) appendField(line, "reason", endReasonName(*write.reason));
  line += ",\"started\":";
  appendJsonNumber(line, write.started);
  line += ',';
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onExport(const std::string& path, std::size_t rows) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"export\"";
  appendField(line, "path", path);
  line += ",\"rows\":";
  appendJsonInteger(line, static_cast<int64_t>(rows));
  line += ',';
  appendTime(line);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onReveal(const std::string& path) {
  writeText("reveal", "path", path);
}

void JsonLinesWriter::onMenuClosed(const std::string& why) {
  std::string& line = out_.buffer();
  line += "{\"event\":\"menu-closed\",";
  appendTime(line);
  appendField(line, "why", why);
  line += '}';
  out_.endLine();
}

void JsonLinesWriter::onExit(const std::string& reason) {
  writeText("exit", "reason", reason);
  out_.flush();  // nothing follows
}

}  // namespace velmora::sim
