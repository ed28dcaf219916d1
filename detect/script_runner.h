// Port to the scripting service that runs AppleScript source (NSAppleScript on macOS).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// errAETimeout: the Apple event got no answer within the script's time-out.
inline constexpr int32_t kAppleEventTimedOut = -1712;

// How one run ended. The macOS adapter maps initWithSource: yielding no object to
// kNoScriptObject, error information from compileAndReturnError: or executeAndReturnError: to
// kError (with its description), a result whose stringValue is absent to kNoText, and otherwise
// to kText.
struct ScriptResult {
  enum class Kind { kText, kNoText, kError, kNoScriptObject };
  Kind kind = Kind::kNoText;
  std::string text;  // the returned text (kText) or the error description (kError)
  // The error's number (NSAppleScriptErrorNumber) for kError when the platform gives one, else 0.
  int32_t errorNumber = 0;

  friend bool operator==(const ScriptResult&, const ScriptResult&) = default;
};

// Main thread only. A run compiles and runs `source` and blocks until it ends; nothing throws.
class ScriptRunner {
 public:
  virtual ~ScriptRunner() = default;
  [[nodiscard]] virtual ScriptResult run(std::string_view source) = 0;
};

}  // namespace velmora
