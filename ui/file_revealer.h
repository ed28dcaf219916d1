// Port to the system's file browser (Finder on macOS).
#pragma once

#include <string>

namespace velmora {

// Main thread only; nothing throws.
class FileRevealer {
 public:
  virtual ~FileRevealer() = default;
  // Opens a Finder window on `path`'s folder with the file selected, and returns without
  // waiting. A path with nothing there shows nothing.
  virtual void reveal(const std::string& path) = 0;
};

}  // namespace velmora
