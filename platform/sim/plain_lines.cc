#include "platform/sim/plain_lines.h"

#include <cstdio>

#include "platform/sim/visible_text.h"

namespace velmora::sim {

void PlainLinesWriter::onTitle(const std::vector<TitleRun>& runs) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%7.1fs] ", now_());
  std::string line = stamp;
  for (const TitleRun& r : runs) line += r.text;
  out_.writeLine(visibleText(line));
}

}  // namespace velmora::sim
