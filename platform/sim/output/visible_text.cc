#include "platform/sim/output/visible_text.h"

#include "text/control_escape.h"
#include "text/text.h"

namespace velmora::sim {

std::string visibleText(std::string_view s) {
  const std::string valid = text::sanitizeUtf8(s);
  std::string out;
  out.reserve(valid.size());
  for (std::size_t i = 0; i < valid.size(); ++i) {
    const auto b = static_cast<unsigned char>(valid[i]);
    if (text::isC0ControlOrDelete(valid[i])) {
      text::appendControlEscape(b, out);
    } else if (text::isC1ControlAt(valid, i)) {
      text::appendControlEscape(static_cast<unsigned char>(valid[++i]), out);
    } else {
      out += valid[i];
    }
  }
  return out;
}

}  // namespace velmora::sim
