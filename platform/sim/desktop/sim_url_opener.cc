#include "platform/sim/desktop/sim_url_opener.h"

namespace velmora::sim {

void SimUrlOpener::openUrl(const std::string& url) {
  observer_.onOpenUrl(url);
}

}  // namespace velmora::sim
