// soak_scenario: writes a long, churning velmora-sim scenario (tools/churn.h) to stdout, the
// same for the same arguments on every machine.
//
//   soak_scenario [--seed S] [--stop-after M] REFRESHES
//
// REFRESHES timer refreshes: the launch's at time 0 and one every 5 s after it. --stop-after M
// writes the same events but ends the run ("until") at refresh M: runs that stop at different
// refreshes then hold the same scenario, so a difference in their memory is owed to the
// refreshes alone, not to the scenario's size. M = 1 holds the scenario and refreshes once.
//
// The last line on stderr is "reports N": the number of detection reports the run prints
// (one per refresh, Refresh, Copy Debug Info and Quit Windows App, and one for each quit the
// client does not refuse: the workspace announces it).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/churn.h"

namespace {

using velmora::churn::ClientState;
using velmora::churn::Window;

constexpr int64_t kPoll = 5;

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string windowJson(const Window& w) {
  std::string out = "{";
  if (w.titleWrongType) {
    out += "\"title\": 7, ";
  } else if (w.hasTitle) {
    out += "\"title\": " + quoted(w.title) + ", ";
  }
  out += "\"subrole\": " + quoted(w.subrole);
  if (w.hasSize) {
    out += ", \"size\": [" + std::to_string(w.width) + ", " + std::to_string(w.height) + "]";
  }
  out += std::string(", \"minimized\": ") + (w.minimized ? "true" : "false") + "}";
  return out;
}

std::string axJson(const ClientState& c) {
  switch (c.ax) {
    case ClientState::Ax::kError:
      return "{\"error\": " + std::to_string(c.axError) + "}";
    case ClientState::Ax::kNotAList:
      return "{\"value\": \"not-a-list\"}";
    case ClientState::Ax::kWindows:
      break;
  }
  std::string out = "{\"windows\": [";
  for (std::size_t i = 0; i < c.windows.size(); ++i) {
    out += (i ? ", " : "") + windowJson(c.windows[i]);
  }
  return out + "]}";
}

std::string scriptJson(const ClientState& c) {
  switch (c.script) {
    case ClientState::Script::kError:
      return ", \"script\": {\"error\": " + quoted(c.scriptText) + "}";
    case ClientState::Script::kNoText:
      return ", \"script\": {\"no_text\": true}";
    case ClientState::Script::kNoObject:
      return ", \"script\": {\"no_object\": true}";
    case ClientState::Script::kText:
      return ", \"script\": {\"text\": " + quoted(c.scriptText) + "}";
    case ClientState::Script::kFromWindows:
      break;
  }
  return "";
}

std::string clientJson(const ClientState& c) {
  if (!c.running) return "{\"instances\": 0}";
  std::string out = "{\"pid\": " + std::to_string(c.pid);
  if (c.instances != 1) out += ", \"instances\": " + std::to_string(c.instances);
  if (c.refusesQuit) out += ", \"refuses_quit\": true";
  return out + ", \"ax\": " + axJson(c) + scriptJson(c) + "}";
}

int usage() {
  std::fprintf(stderr, "usage: soak_scenario [--seed S] [--stop-after M] REFRESHES\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t seed = 1;
  long long stopAfter = 0;
  long long refreshes = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--stop-after") == 0 && i + 1 < argc) {
      stopAfter = std::atoll(argv[++i]);
    } else if (refreshes == 0 && argv[i][0] >= '1' && argv[i][0] <= '9') {
      refreshes = std::atoll(argv[i]);
    } else {
      return usage();
    }
  }
  if (refreshes < 1) return usage();
  if (stopAfter < 1 || stopAfter > refreshes) stopAfter = refreshes;

  velmora::churn::Churn churn(seed);
  long long changes = 0, copies = 0, refreshKeys = 0, quits = 0, quitsHeard = 0;
  ClientState client;  // the client as the last change left it
  const char* separator = "";
  auto emit = [&separator](int64_t at, const std::string& body) {
    std::printf("%s{\"at\": %lld, %s}", separator, static_cast<long long>(at), body.c_str());
    separator = ",\n";
  };

  std::printf("{\"start\": 1765000000, \"until\": %lld, \"events\": [\n", kPoll * (stopAfter - 1));
  for (int64_t k = 0; k < refreshes; ++k) {
    const int64_t t = kPoll * k;
    const velmora::churn::Step s = churn.step(k, k + 1 == refreshes);
    // Inputs after the run's last refresh are in the file but never played.
    const int counted = k + 1 < stopAfter ? 1 : 0;
    if (s.clientChanges) {
      emit(t, "\"client\": " + clientJson(s.client));
      ++changes;
      client = s.client;
    }
    if (s.quitClient) {
      emit(t + 1, "\"click\": \"Quit Windows App\"");
      quits += counted;
      if (!client.refusesQuit) quitsHeard += counted;
    }
    if (s.copyDebug) {
      emit(t + 3, "\"key\": \"d\"");
      copies += counted;
    }
    if (s.refreshKey) {
      emit(t + 4, "\"key\": \"r\"");
      refreshKeys += counted;
    }
  }
  std::printf("\n]}\n");
  std::fprintf(stderr, "client-changes %lld copies %lld refresh-keys %lld quits %lld\n", changes,
               copies, refreshKeys, quits);
  // A quit's refresh comes one second after it. Every client change comes at a refresh moment,
  // whose timer pass covers the change's notification; only a quit that the client does not
  // refuse, between refreshes, is announced (by the workspace) and refreshed 0.25 s later.
  std::fprintf(stderr, "reports %lld\n", stopAfter + copies + refreshKeys + quits + quitsHeard);
  return std::ferror(stdout) ? 1 : 0;
}
