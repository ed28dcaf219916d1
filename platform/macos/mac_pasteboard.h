// The pasteboard port on the general NSPasteboard.
#pragma once

#include "ui/pasteboard.h"

namespace velmora::mac {

class MacPasteboard final : public Pasteboard {
 public:
  void clearContents() override;
  void setString(const std::string& text) override;
};

}  // namespace velmora::mac
