#include "platform/sim/output/plain_lines.h"

#include <cstdio>

#include "detect/report_rendering.h"
#include "platform/sim/output/visible_text.h"

namespace velmora::sim {

std::string PlainLinesWriter::stamp() const {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%7.1fs] ", loop_.now());
  return stamp;
}

void PlainLinesWriter::onPass(const DetectionResult& pass) {
  lastPass_ = pass.info;
}

// A refresh that changes the title writes it right after its pass.
void PlainLinesWriter::onTitle(const std::vector<TitleRun>& runs) {
  std::string line = stamp();
  for (const TitleRun& r : runs) line += r.text;
  if (lastPass_.running) {
    line += "  sessions: " + renderList(lastPass_.names);
    const auto unnamed = lastPass_.count - static_cast<int64_t>(lastPass_.names.size());
    if (unnamed > 0) line += " + " + std::to_string(unnamed) + " unnamed";
  }
  out_.writeLine(visibleText(line));
}

void PlainLinesWriter::event(const std::string& text) {
  out_.writeLine(visibleText(stamp() + text));
}

}  // namespace velmora::sim
