// The raise script for an arbitrary window title (titles come from the remote side). Read back
// under AppleScript's string-literal rules, the script still consists of exactly its own code
// and four literals, the third of which is the title itself: no title can end its literal early
// or add code. The core passes the title's bytes through as they are (it does not repair bad
// UTF-8; the detection pass has already done that for every name it shows), so the literal must
// give back those same bytes. The simulated "System Events" must read the same name back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/config.h"
#include "fuzz/fuzz_check.h"
#include "platform/sim/desktop/sim_desktop.h"
#include "platform/sim/desktop/sim_running_apps.h"
#include "platform/sim/desktop/sim_script_runner.h"
#include "ui/client_control.h"

namespace {

// The script as code and literals: code[0], literal[0], code[1], ..., code[n]. The code pieces
// are the script's text outside double quotes; the literals are decoded.
struct Tokens {
  std::vector<std::string> code;
  std::vector<std::string> literals;
};

// Reads an AppleScript string literal whose opening quote has been consumed: backslash escapes
// \\ \" \n \r \t, every other character as itself (line ends included). Returns the text and
// moves `at` past the closing quote; nothing when the literal is malformed or never closes.
std::optional<std::string> readLiteral(std::string_view source, size_t& at) {
  std::string text;
  while (at < source.size()) {
    const char c = source[at++];
    if (c == '"') return text;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (at == source.size()) return std::nullopt;
    switch (source[at++]) {
      case '\\':
        text += '\\';
        break;
      case '"':
        text += '"';
        break;
      case 'n':
        text += '\n';
        break;
      case 'r':
        text += '\r';
        break;
      case 't':
        text += '\t';
        break;
      default:
        return std::nullopt;  // AppleScript would refuse to compile the script
    }
  }
  return std::nullopt;
}

std::optional<Tokens> tokenize(std::string_view source) {
  Tokens tokens;
  tokens.code.emplace_back();
  size_t at = 0;
  while (at < source.size()) {
    const char c = source[at++];
    if (c != '"') {
      tokens.code.back() += c;
      continue;
    }
    std::optional<std::string> literal = readLiteral(source, at);
    if (!literal) return std::nullopt;
    tokens.literals.push_back(std::move(*literal));
    tokens.code.emplace_back();
  }
  return tokens;
}

// The raise script's own code, written out here rather than taken from the core.
// Inside an Apple-event time-out, so that a hung client cannot hold the tracker.
const std::vector<std::string> kCode = {
    "with timeout of 1 seconds\ntell application ",
    "\n    tell process ",
    "\n        set frontmost to true\n        repeat with w in (every window whose name is ",
    ")\n            perform action ",
    " of w\n        end repeat\n    end tell\nend tell\nend timeout",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);

  velmora::sim::SimScriptRunner scripts;
  velmora::SimRunningApps apps;
  apps.instances = {{4242}};
  velmora::focusWindow(name, scripts, apps);
  FUZZ_CHECK(scripts.sources.size() == 1);
  FUZZ_CHECK(apps.activations.size() == 1);
  const std::string& script = scripts.sources.front();
  FUZZ_CHECK(script == velmora::raiseScript(velmora::kAppName, name));

  const std::optional<Tokens> tokens = tokenize(script);
  FUZZ_CHECK(tokens.has_value());
  FUZZ_CHECK(tokens->code == kCode);
  FUZZ_CHECK(tokens->literals.size() == 4);
  FUZZ_CHECK(tokens->literals[0] == "System Events");
  FUZZ_CHECK(tokens->literals[1] == velmora::kAppName);
  FUZZ_CHECK(tokens->literals[2] == name);
  FUZZ_CHECK(tokens->literals[3] == "AXRaise");

  // The simulated System Events raises the windows of that same name.
  FUZZ_CHECK(velmora::sim::raisedName(script, velmora::kAppName) == name);
  return 0;
}
