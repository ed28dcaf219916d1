#include "platform/macos/mac_accessibility.h"

#import <ApplicationServices/ApplicationServices.h>
#import <Foundation/Foundation.h>

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "platform/macos/cf_ref.h"
#include "platform/macos/cf_string.h"

namespace velmora::mac {
namespace {

// Takes over one reference to `element`; the last copy of the AxElement releases it.
AxElement owningElement(AXUIElementRef element) {
  if (element == nullptr) return AxElement{};
  return AxElement{std::shared_ptr<const void>(element, [](const void* ref) { CFRelease(ref); })};
}

// Only an array whose every entry is an element is a window list; the scan reports anything
// else as unreadable.
AxValue elementsOf(CFArrayRef array) {
  const CFIndex count = CFArrayGetCount(array);
  for (CFIndex i = 0; i < count; ++i) {
    const CFTypeRef entry = CFArrayGetValueAtIndex(array, i);
    if (entry == nullptr || CFGetTypeID(entry) != AXUIElementGetTypeID()) return AxOther{};
  }
  std::vector<AxElement> elements;
  elements.reserve(static_cast<std::size_t>(count));
  for (CFIndex i = 0; i < count; ++i) {
    // The array only lends its entries (Get rule); each element takes a reference of its own.
    const auto entry = static_cast<AXUIElementRef>(CFArrayGetValueAtIndex(array, i));
    CFRetain(entry);
    elements.push_back(owningElement(entry));
  }
  return elements;
}

// The AXValue kinds that hold no size (a point, a rect, a range) the scan reads as 0 x 0.
// kAXValueTypeCGSize is the current name of kAXValueCGSizeType (2).
AxValue sizeOf(AXValueRef value) {
  if (AXValueGetType(value) != kAXValueTypeCGSize) return AxOther{};
  CGSize size = CGSizeZero;
  (void)AXValueGetValue(value, kAXValueTypeCGSize, &size);
  return WinSize{static_cast<double>(size.width), static_cast<double>(size.height)};
}

AxValue convert(CFTypeRef value) {
  if (value == nullptr || value == kCFNull) return std::monostate{};
  const CFTypeID type = CFGetTypeID(value);
  if (type == CFStringGetTypeID()) {
    return AxValue(std::in_place_type<std::string>, utf8(static_cast<CFStringRef>(value)));
  }
  if (type == CFBooleanGetTypeID()) {
    return AxValue(std::in_place_type<bool>,
                   CFBooleanGetValue(static_cast<CFBooleanRef>(value)) != 0);
  }
  if (type == AXValueGetTypeID()) return sizeOf(static_cast<AXValueRef>(value));
  if (type == CFArrayGetTypeID()) return elementsOf(static_cast<CFArrayRef>(value));
  return AxOther{};
}

// An entry of a multiple-attribute read: a failed attribute is an AXValue holding its AXError.
AxRead readOf(CFTypeRef value) {
  if (value != nullptr && CFGetTypeID(value) == AXValueGetTypeID() &&
      AXValueGetType(static_cast<AXValueRef>(value)) == kAXValueTypeAXError) {
    AXError error = kAXErrorFailure;
    (void)AXValueGetValue(static_cast<AXValueRef>(value), kAXValueTypeAXError, &error);
    return AxRead{static_cast<int32_t>(error), std::monostate{}};
  }
  return AxRead{kAXErrorSuccess, convert(value)};
}

// The attribute names as one array, which ARC owns; nil when a name cannot be made.
NSArray<NSString*>* namesOf(std::span<const std::string_view> attributes) {
  NSMutableArray<NSString*>* names = [NSMutableArray arrayWithCapacity:attributes.size()];
  for (const std::string_view attribute : attributes) {
    NSString* name = nsString(attribute);
    if (name == nil) return nil;
    [names addObject:name];
  }
  return names;
}

}  // namespace

AxElement MacAccessibility::applicationElement(int32_t processIdentifier) {
  // Create rule: the element arrives with one reference, which the AxElement takes over.
  return owningElement(AXUIElementCreateApplication(static_cast<pid_t>(processIdentifier)));
}

AxRead MacAccessibility::copyAttribute(const AxElement& element, std::string_view attribute) {
  // The platform would dereference a null element; a null one fails as an invalid element.
  if (!element.handle) return AxRead{kAXErrorInvalidUIElement, std::monostate{}};
  const CFRef<CFStringRef> name = cfString(attribute);
  if (!name) return AxRead{kAXErrorIllegalArgument, std::monostate{}};
  CFRef<CFTypeRef> value;  // empty before the call: an empty place afterwards means no value
  const AXError error = AXUIElementCopyAttributeValue(
      static_cast<AXUIElementRef>(element.handle.get()), name.get(), value.out());
  return AxRead{static_cast<int32_t>(error), convert(value.get())};
}

void MacAccessibility::copyAttributes(const AxElement& element,
                                      std::span<const std::string_view> attributes,
                                      std::vector<AxRead>& reads) {
  reads.assign(attributes.size(), AxRead{kAXErrorInvalidUIElement, {}});
  if (!element.handle) return;
  NSArray<NSString*>* names = namesOf(attributes);
  if (names == nil) {
    reads.assign(attributes.size(), AxRead{kAXErrorIllegalArgument, {}});
    return;
  }
  CFRef<CFArrayRef> values;
  const AXError error =
      AXUIElementCopyMultipleAttributeValues(static_cast<AXUIElementRef>(element.handle.get()),
                                             (__bridge CFArrayRef)names, 0, values.out());
  if (error != kAXErrorSuccess || !values) {
    reads.assign(attributes.size(), AxRead{static_cast<int32_t>(error), {}});
    return;
  }
  const CFIndex count = CFArrayGetCount(values.get());
  for (std::size_t i = 0; i < reads.size(); ++i) {
    const auto at = static_cast<CFIndex>(i);
    // A short answer leaves the rest without a value, as a read that gave none.
    reads[i] = at < count ? readOf(CFArrayGetValueAtIndex(values.get(), at))
                          : AxRead{kAXErrorNoValue, std::monostate{}};
  }
}

int32_t MacAccessibility::setMessagingTimeout(const AxElement& element, double seconds) {
  if (!element.handle) return kAXErrorInvalidUIElement;
  return static_cast<int32_t>(AXUIElementSetMessagingTimeout(
      static_cast<AXUIElementRef>(element.handle.get()), static_cast<float>(seconds)));
}

void MacAccessibility::requestTrust() {
  // ARC owns the dictionary; the bridge lends it to the call.
  NSDictionary* options = @{(__bridge NSString*)kAXTrustedCheckOptionPrompt : @YES};
  // The answer is whether access is granted at this moment; the reads tell that anyway.
  (void)AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options);
}

}  // namespace velmora::mac
