// The Accessibility port on the platform's AXUIElement interface.
#pragma once

#include "detect/accessibility.h"

namespace velmora::mac {

// Each read is one AXUIElementCopyAttributeValue whose copied value is converted to an AxValue
// and released at once. The tracker never tests for Accessibility access: a refusal arrives as
// the error code of the first read (kAXErrorAPIDisabled, -25211). It asks for access only when
// the user leads it to the setting (requestTrust).
class MacAccessibility final : public Accessibility {
 public:
  AxElement applicationElement(int32_t processIdentifier) override;
  AxRead copyAttribute(const AxElement& element, std::string_view attribute) override;
  // AXIsProcessTrustedWithOptions with kAXTrustedCheckOptionPrompt set to true: macOS lists an
  // app under Privacy & Security → Accessibility only once it has asked so.
  void requestTrust() override;
};

}  // namespace velmora::mac
