// Port to the general pasteboard.
#pragma once

#include <string>

namespace velmora {

class Pasteboard {
 public:
  virtual ~Pasteboard() = default;
  virtual void clearContents() = 0;
  // Puts `text` on the pasteboard as plain text.
  virtual void setString(const std::string& text) = 0;
};

}  // namespace velmora
