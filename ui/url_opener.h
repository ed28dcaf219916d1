// Port to the system's handler of URLs (NSWorkspace on macOS).
#pragma once

#include <string>

namespace velmora {

// Main thread only; nothing throws.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  // Asks the system to open `url` with the application that handles its scheme, and returns
  // without waiting. A URL that cannot be parsed or has no handler is dropped silently.
  virtual void openUrl(const std::string& url) = 0;
};

}  // namespace velmora
