#include "platform/sim/plain_lines.h"

#include <cstdio>

namespace velmora::sim {

void PlainLinesWriter::onTitle(const std::vector<TitleRun>& runs) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%7.1fs] ", now_());
  out_ << stamp;
  for (const TitleRun& r : runs) out_ << r.text;
  out_ << '\n';
  out_.flush();
}

}  // namespace velmora::sim
