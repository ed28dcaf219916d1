// The Accessibility port on the platform's AXUIElement interface.
#pragma once

#include "detect/accessibility.h"

namespace velmora::mac {

// Each read is one AXUIElementCopyAttributeValue whose copied value is converted to an AxValue
// and released at once. The tracker neither asks for Accessibility access nor tests for it: a
// refusal arrives as the error code of the first read (kAXErrorAPIDisabled, -25211).
class MacAccessibility final : public Accessibility {
 public:
  AxElement applicationElement(int32_t processIdentifier) override;
  AxRead copyAttribute(const AxElement& element, std::string_view attribute) override;
};

}  // namespace velmora::mac
