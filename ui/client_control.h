// How the tracker acts on the client: raise one session's windows, bring it forward, quit it.
// Each call looks the client up afresh and acts on the first running instance only.
#pragma once

#include <string>
#include <string_view>

#include "detect/running_apps.h"
#include "detect/script_runner.h"

namespace velmora {

// `name` made safe inside a double-quoted AppleScript string: backslashes doubled first, then
// every double quote preceded by a backslash. Nothing else changes, line feeds included.
[[nodiscard]] std::string escapeForAppleScript(std::string_view name);

// The script that makes `appName` frontmost and raises every window named exactly `name`.
[[nodiscard]] std::string raiseScript(std::string_view appName, std::string_view name);

// Activates the first running instance of the client, ignoring other applications.
void activateClient(RunningApps& apps);

// Runs the raise script for `name` (its result and errors are dropped), then activates.
void focusWindow(std::string_view name, ScriptRunner& scripts, RunningApps& apps);

// Asks the first running instance to quit; others are left running.
void quitApp(RunningApps& apps);

}  // namespace velmora
