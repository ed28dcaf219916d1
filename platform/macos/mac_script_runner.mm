#include "platform/macos/mac_script_runner.h"

#import <Foundation/Foundation.h>

#include "platform/macos/cf_string.h"

namespace velmora::mac {
namespace {

ScriptResult executed(NSAppleScript* script) {
  NSDictionary<NSString*, id>* errorInfo = nil;
  NSAppleEventDescriptor* result = [script executeAndReturnError:&errorInfo];
  if (errorInfo != nil) {
    return ScriptResult{ScriptResult::Kind::kError, utf8(errorInfo.description)};
  }
  NSString* text = result.stringValue;  // nil for a result without text, or no result at all
  if (text == nil) return ScriptResult{ScriptResult::Kind::kNoText, {}};
  return ScriptResult{ScriptResult::Kind::kText, utf8(text)};
}

}  // namespace

ScriptResult MacScriptRunner::run(std::string_view source) {
  ScriptResult outcome{ScriptResult::Kind::kNoScriptObject, {}};
  @autoreleasepool {
    // NSAppleScript is not documented to raise, but it runs foreign code through the Apple
    // event machinery; no exception may unwind into the core, so one counts as an error.
    @try {
      NSAppleScript* script = [[NSAppleScript alloc] initWithSource:nsString(source)];
      if (script != nil) outcome = executed(script);
    } @catch (NSException* exception) {
      outcome = ScriptResult{ScriptResult::Kind::kError, utf8(exception.description)};
    }
  }
  return outcome;
}

}  // namespace velmora::mac
