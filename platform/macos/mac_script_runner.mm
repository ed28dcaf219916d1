#include "platform/macos/mac_script_runner.h"

#include <algorithm>
#include <iterator>

#include "platform/macos/cf_string.h"

namespace velmora::mac {
namespace {

// The listing and a raise or two between passes.
constexpr std::size_t kKeptScripts = 4;

// The error's number rides along, so that the listing can tell a time-out (-1712).
ScriptResult failure(NSDictionary<NSString*, id>* errorInfo) {
  id number = errorInfo[NSAppleScriptErrorNumber];
  const int32_t code =
      [number isKindOfClass:[NSNumber class]] ? static_cast<int32_t>([number intValue]) : 0;
  return ScriptResult{ScriptResult::Kind::kError, utf8(errorInfo.description), code};
}

ScriptResult executed(NSAppleScript* script) {
  NSDictionary<NSString*, id>* errorInfo = nil;
  NSAppleEventDescriptor* result = [script executeAndReturnError:&errorInfo];
  if (errorInfo != nil) return failure(errorInfo);
  NSString* text = result.stringValue;  // nil for a result without text, or no result at all
  if (text == nil) return ScriptResult{ScriptResult::Kind::kNoText, {}};
  return ScriptResult{ScriptResult::Kind::kText, utf8(text)};
}

}  // namespace

NSAppleScript* MacScriptRunner::kept(std::string_view source) {
  const auto found = std::find_if(kept_.begin(), kept_.end(),
                                  [source](const Compiled& c) { return c.source == source; });
  if (found == kept_.end()) return nil;
  std::rotate(found, std::next(found), kept_.end());
  return kept_.back().script;
}

void MacScriptRunner::keep(std::string_view source, NSAppleScript* script) {
  if (kept_.size() == kKeptScripts) kept_.erase(kept_.begin());
  kept_.push_back(Compiled{std::string(source), script});
}

ScriptResult MacScriptRunner::run(std::string_view source) {
  ScriptResult outcome{ScriptResult::Kind::kNoScriptObject, {}};
  @autoreleasepool {
    // NSAppleScript is not documented to raise, but it runs foreign code through the Apple
    // event machinery; no exception may unwind into the core, so one counts as an error.
    @try {
      NSAppleScript* script = kept(source);
      if (script == nil) {
        script = [[NSAppleScript alloc] initWithSource:nsString(source)];
        NSDictionary<NSString*, id>* errorInfo = nil;
        if (script != nil && ![script compileAndReturnError:&errorInfo]) {
          outcome = failure(errorInfo);
          script = nil;
        } else if (script != nil) {
          keep(source, script);
        }
      }
      if (script != nil) outcome = executed(script);
    } @catch (NSException* exception) {
      outcome = ScriptResult{ScriptResult::Kind::kError, utf8(exception.description)};
    }
  }
  return outcome;
}

}  // namespace velmora::mac
