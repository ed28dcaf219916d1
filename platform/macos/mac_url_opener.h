// The URL port on NSWorkspace.
#pragma once

#include "ui/url_opener.h"

namespace velmora::mac {

class MacUrlOpener final : public UrlOpener {
 public:
  void openUrl(const std::string& url) override;
};

}  // namespace velmora::mac
