// The simulated pasteboard: keeps the text last copied and tells the observer of every copy.
#pragma once

#include <string>

#include "platform/sim/desktop/sim_observer.h"
#include "ui/pasteboard.h"

namespace velmora::sim {

class SimPasteboard final : public Pasteboard {
 public:
  explicit SimPasteboard(SimObserver& observer) : observer_(observer) {}

  void clearContents() override { text_.clear(); }
  void setString(const std::string& text) override {
    text_ = text;
    observer_.onPasteboard(text);
  }
  [[nodiscard]] const std::string& text() const { return text_; }

 private:
  SimObserver& observer_;
  std::string text_;
};

}  // namespace velmora::sim
