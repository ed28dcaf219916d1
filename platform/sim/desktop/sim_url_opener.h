// The simulated URL handler: opens nothing and tells the observer which URL it was asked for.
#pragma once

#include <string>

#include "platform/sim/desktop/sim_observer.h"
#include "ui/url_opener.h"

namespace velmora::sim {

class SimUrlOpener final : public UrlOpener {
 public:
  explicit SimUrlOpener(SimObserver& observer) : observer_(observer) {}
  void openUrl(const std::string& url) override { observer_.onOpenUrl(url); }

 private:
  SimObserver& observer_;
};

}  // namespace velmora::sim
