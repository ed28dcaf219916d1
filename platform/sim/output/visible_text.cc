#include "platform/sim/output/visible_text.h"

#include "text/text.h"

namespace velmora::sim {

std::string visibleText(std::string_view s) {
  return text::showControls(s);
}

}  // namespace velmora::sim
