#include "platform/sim/json_lines.h"

#include <nlohmann/json.hpp>

namespace velmora::sim {
namespace {

using nlohmann::json;

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

json entryJson(const MenuEntry& e) {
  if (e.separator) return json{{"separator", true}};
  json item{{"title", e.title}, {"style", std::string(styleName(e.style))}, {"enabled", e.enabled}};
  const std::string_view selector = selectorName(e.action);
  item["action"] = selector.empty() ? json(nullptr) : json(std::string(selector));
  item["key"] = e.keyEquivalent;
  if (e.representedObject) item["object"] = *e.representedObject;
  return item;
}

}  // namespace

void JsonLinesWriter::write(const char* event, json fields) {
  json line{{"t", now_()}, {"event", event}};
  line.update(fields);
  // Texts from the simulated client may hold anything; never let a bad byte stop the output.
  out_.writeLine(line.dump(-1, ' ', false, json::error_handler_t::replace));
}

void JsonLinesWriter::onTitle(const std::vector<TitleRun>& runs) {
  json list = json::array();
  for (const TitleRun& r : runs) {
    list.push_back({{"text", r.text},
                    {"size", r.fontSize},
                    {"weight", weightName(r.weight)},
                    {"color", colorName(r.color)}});
  }
  write("title", {{"runs", list}});
}

void JsonLinesWriter::onMenu(const std::vector<MenuEntry>& entries) {
  json items = json::array();
  for (const MenuEntry& e : entries) items.push_back(entryJson(e));
  write("menu", {{"items", items}});
}

void JsonLinesWriter::onReport(const std::string& report) {
  write("report", {{"text", report}});
}

void JsonLinesWriter::onScript(const std::string& source) {
  write("script", {{"source", source}});
}

void JsonLinesWriter::onActivate(int32_t pid, unsigned options) {
  write("activate", {{"pid", pid}, {"options", options}});
}

void JsonLinesWriter::onTerminate(int32_t pid) {
  write("terminate", {{"pid", pid}});
}

void JsonLinesWriter::onPasteboard(const std::string& text) {
  write("pasteboard", {{"text", text}});
}

void JsonLinesWriter::onOpenUrl(const std::string& url) {
  write("open-url", {{"url", url}});
}

void JsonLinesWriter::onChoice(const std::string& kind, const std::string& choice,
                               const std::string& error) {
  json fields{{kind == "key" ? "key" : "title", choice}};
  if (!error.empty()) fields["error"] = error;
  write(kind == "key" ? "key" : "click", fields);
}

void JsonLinesWriter::onExit(const std::string& reason) {
  write("exit", {{"reason", reason}});
}

}  // namespace velmora::sim
