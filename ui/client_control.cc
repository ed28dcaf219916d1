#include "ui/client_control.h"

#include "app/config.h"
#include "detect/script_listing.h"

namespace velmora {
namespace {

// Bounded as the listing is: "System Events" asks the client, which may not answer, and an Apple
// event waits 120 s by default.
static_assert(kListingTimeout == 1, "kRaisePiece1 names the listing's time-out");
constexpr std::string_view kRaisePiece1 =
    "with timeout of 1 seconds\ntell application \"System Events\"\n    tell process \"";
constexpr std::string_view kRaisePiece2 =
    "\"\n        set frontmost to true\n        repeat with w in (every window whose name is \"";
constexpr std::string_view kRaisePiece3 =
    "\")\n            perform action \"AXRaise\" of w\n        end repeat\n    end tell\n"
    "end tell\nend timeout";

std::string replaceAll(std::string_view s, char from, std::string_view to) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == from) {
      out += to;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string escapeForAppleScript(std::string_view name) {
  // Two passes, backslashes first, so the backslashes added before quotes stay single.
  return replaceAll(replaceAll(name, '\\', "\\\\"), '"', "\\\"");
}

std::string raiseScript(std::string_view appName, std::string_view name) {
  std::string script;
  script += kRaisePiece1;
  script += appName;
  script += kRaisePiece2;
  script += escapeForAppleScript(name);
  script += kRaisePiece3;
  return script;
}

void activateClient(RunningApps& apps) {
  const auto instances = apps.runningInstances(kBundleID);
  if (!instances.empty()) apps.activate(instances.front(), kActivateIgnoringOtherApps);
}

void focusWindow(std::string_view name, ScriptRunner& scripts, RunningApps& apps) {
  (void)scripts.run(raiseScript(kAppName, name));
  activateClient(apps);
}

void quitApp(RunningApps& apps) {
  const auto instances = apps.runningInstances(kBundleID);
  if (!instances.empty()) apps.terminate(instances.front());
}

}  // namespace velmora
