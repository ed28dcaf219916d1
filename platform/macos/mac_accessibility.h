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
  // AXUIElementCopyMultipleAttributeValues with options 0: an attribute that fails comes back
  // as an AXValue of type kAXValueAXErrorType holding its error, which becomes that read's code.
  void copyAttributes(const AxElement& element, std::span<const std::string_view> attributes,
                      std::vector<AxRead>& reads) override;
  // AXUIElementSetMessagingTimeout on this element only (the platform does not pass it on).
  int32_t setMessagingTimeout(const AxElement& element, double seconds) override;
  // AXIsProcessTrustedWithOptions with kAXTrustedCheckOptionPrompt set to true: macOS lists an
  // app under Privacy & Security → Accessibility only once it has asked so.
  void requestTrust() override;
};

}  // namespace velmora::mac
