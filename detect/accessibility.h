// Port to the platform's Accessibility interface: the few reads the window scan makes, and the
// request for access that "Open Accessibility Settings…" makes first.
//
// The macOS adapter maps each call onto one platform call (AXUIElementCreateApplication,
// AXUIElementCopyAttributeValue, AXValueGetValue for sizes, AXIsProcessTrustedWithOptions) plus a
// conversion of the copied value; every decision about what a value means stays in the scan.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "detect/win_info.h"

namespace velmora {

inline constexpr std::string_view kAxWindows = "AXWindows";
inline constexpr std::string_view kAxTitle = "AXTitle";
inline constexpr std::string_view kAxSubrole = "AXSubrole";
inline constexpr std::string_view kAxSize = "AXSize";
inline constexpr std::string_view kAxMinimized = "AXMinimized";

// The code of a successful read (kAXErrorSuccess).
inline constexpr int32_t kAxSuccess = 0;
// kAXErrorCannotComplete: the client did not answer within the messaging time-out (or is still
// launching). Either way, asking it more in the same pass only waits longer.
inline constexpr int32_t kAxCannotComplete = -25204;

// The longest the tracker lets one read wait for the client. A healthy client answers in well
// under 0.1 s; a hung one would hold the main thread for the platform's default (6 s) per read.
// At one timed-out read per 5 s poll this keeps the main thread free 92 % of the time.
inline constexpr double kAxMessagingTimeout = 0.4;

// One Accessibility element. The adapter stores its platform reference in `handle` with a
// deleter that releases it, so the element is released when its last copy goes away; only the
// adapter that made an element looks inside it. A default-made element is null, and every
// read of it fails with a non-zero code.
struct AxElement {
  std::shared_ptr<const void> handle;
};

// A value of a type the scan never reads (a number, a URL, an AXValue that is not a size...).
struct AxOther {
  friend bool operator==(const AxOther&, const AxOther&) = default;
};

// What a successful read may give, already converted from the platform's type:
//   std::monostate           no value;
//   std::string              text, as UTF-8 (the adapter need not repair it; the scan does);
//   bool                     a Boolean;
//   WinSize                  an AXValue holding a size, as AXValueGetValue fills it (an
//                            AXValue that fills no size may come as 0 x 0 or as AxOther:
//                            the scan reads both as 0 x 0);
//   std::vector<AxElement>   an array of elements, in the platform's order;
//   AxOther                  anything else.
using AxValue =
    std::variant<std::monostate, std::string, bool, WinSize, std::vector<AxElement>, AxOther>;

struct AxRead {
  int32_t error = kAxSuccess;  // the platform's AXError; 0 is success
  AxValue value;               // meaningful only as far as the caller trusts `error`
};

// Main thread only. Reads block until the client answers or the element's messaging time-out
// passes (the platform's default, 6 s, until one is set). Nothing throws; every failure is a
// non-zero `error` of a read.
class Accessibility {
 public:
  virtual ~Accessibility() = default;

  // The element for the whole application with this process id. Never fails here: an element
  // for a process that is gone or unreachable shows up as an error code of its first read.
  [[nodiscard]] virtual AxElement applicationElement(int32_t processIdentifier) = 0;

  // Copies one attribute of `element`. The returned value owns whatever it holds.
  [[nodiscard]] virtual AxRead copyAttribute(const AxElement& element,
                                             std::string_view attribute) = 0;

  // Copies several attributes of `element` in one round trip into `reads` (what it held goes),
  // one read per attribute, in the order asked; the caller may reuse one vector for many
  // elements. An attribute that fails gets its own error; a call that fails as a whole gives
  // its error for every attribute.
  virtual void copyAttributes(const AxElement& element,
                              std::span<const std::string_view> attributes,
                              std::vector<AxRead>& reads) = 0;

  // How long each read of `element` may wait for the client, in seconds. Applies to this
  // element only: an element read from it (a window of the application) starts with the
  // default again. Returns the platform's AXError.
  virtual int32_t setMessagingTimeout(const AxElement& element, double seconds) = 0;

  // Asks the system to trust this process with Accessibility, with the system's own prompt:
  // the system lists the app in its Accessibility settings (switched off) and shows its dialog
  // leading there. Returns at once without waiting for the user, and tells nothing: whether
  // access is granted shows only in the reads.
  virtual void requestTrust() = 0;
};

}  // namespace velmora
