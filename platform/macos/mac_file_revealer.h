// The Finder port on NSWorkspace.
#pragma once

#include "ui/file_revealer.h"

namespace velmora::mac {

class MacFileRevealer final : public FileRevealer {
 public:
  void reveal(const std::string& path) override;
};

}  // namespace velmora::mac
