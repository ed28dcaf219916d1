#include "ui/title_model.h"

#include "text/text.h"

namespace velmora {
namespace {

TitleRun stateRun(std::string text, const Color& color) {
  return TitleRun{std::move(text), 13.0, FontWeight::kMedium, color};
}

TitleRun nameRun(const std::string& name) {
  return TitleRun{titleName(name), 12.0, FontWeight::kRegular, kBlue};
}

}  // namespace

std::string titleName(const std::string& name) {
  // A text has at least as many bytes as user-perceived characters: a short one is not
  // counted.
  if (name.size() < kTitleNameLimit || text::graphemeCount(name) < kTitleNameLimit) return name;
  return text::takeGraphemes(name, kTitleNameKept) + "\u2026";
}

std::vector<TitleRun> titleRuns(const SessionInfo& info) {
  if (!info.running) return {stateRun("RDP \u25CB", kGray)};
  if (info.count < 1) return {stateRun("RDP \u25CF", kBlue)};
  std::vector<TitleRun> runs;
  runs.reserve(2);
  runs.push_back(stateRun("RDP " + std::to_string(info.count) + "\u25CF ", kBlue));
  if (!info.names.empty() && !info.names.front().empty()) runs.push_back(nameRun(info.names[0]));
  return runs;
}

std::string titleAccessibilityLabel(const SessionInfo& info) {
  if (!info.running) return std::string(kAppName) + " not running";
  if (info.count < 1) return std::string(kAppName) + " running, no sessions";
  std::string label =
      std::to_string(info.count) + (info.count == 1 ? " remote session" : " remote sessions");
  if (!info.names.empty() && !info.names.front().empty()) label += ", first: " + info.names[0];
  return label;
}

}  // namespace velmora
