// A long, churning life of the Windows App client and its user, one refresh at a time, the
// same for the same seed on every machine: sessions opening and closing, full-screen and
// idle-panel flips, client restarts under a new process id, a second instance now and then,
// Accessibility and script failures, and the user pressing d (Copy Debug Info) every few
// refreshes, r (Refresh) and "Quit Windows App" now and then.
//
// Standard C++ only: tools/soak_scenario writes it as a velmora-sim scenario, the headless
// benchmark plays it in process. Both see exactly the same states.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::churn {

// SplitMix64: tiny, and its sequence is fixed by its definition, unlike the distributions of
// <random>, whose output differs between standard libraries.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // 0 .. n-1; the modulo bias does not matter here.
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  // True with probability 1/n.
  bool oneIn(int n) { return below(n) == 0; }

 private:
  uint64_t state_;
};

// Session names: plain, long (cut in the title and the menu), with quotes and backslashes
// (escaped for the raise script), non-ASCII, and one canonically equal to another.
inline const char* const kNames[] = {
    "Office PC",
    "Build Server \u2014 Ubuntu 24.04 (jump host via bastion)",
    "Lab \"A\" \\ B",
    "Caf\u00e9 Jump Host",
    "Cafe\u0301 Jump Host",
    "\u5317\u4eac Desktop",
    "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac VM",
    "\U0001F680 Deploy",
    "db-01.internal.example",
    "Finance Terminal Server 2019",
};
inline constexpr int kNameCount = sizeof kNames / sizeof kNames[0];

// One window as the client reports it through Accessibility.
struct Window {
  std::string title;
  bool hasTitle = true;  // false: the title is unreadable
  bool titleWrongType = false;
  std::string subrole = "AXStandardWindow";
  int width = 1440;
  int height = 900;
  bool hasSize = true;
  bool minimized = false;
};

// The client's whole state, as a scenario's "client" event gives it.
struct ClientState {
  enum class Ax { kWindows, kError, kNotAList };
  enum class Script { kFromWindows, kError, kNoText, kNoObject, kText };

  bool running = false;
  int instances = 1;
  int32_t pid = 1000;
  bool refusesQuit = false;
  Ax ax = Ax::kWindows;
  int32_t axError = 0;
  std::vector<Window> windows;
  Script script = Script::kFromWindows;
  std::string scriptText;  // the listing's text, or the error's description
};

// What happens at one refresh moment t = 5 s × k, and shortly after it.
struct Step {
  bool clientChanges = false;  // at t, before the refresh
  ClientState client;          // the new state when clientChanges
  bool quitClient = false;     // "Quit Windows App" at t + 1 (its refresh follows at t + 2)
  bool copyDebug = false;      // key d at t + 3
  bool refreshKey = false;     // key r at t + 4
};

class Churn {
 public:
  explicit Churn(uint64_t seed) : random_(seed) {}

  // The step of refresh k; call with k = 0, 1, 2, ... `last` is true for the final refresh,
  // after which nothing more happens.
  Step step(int64_t k, bool last) {
    Step s;
    if (k == 0 || stale_ || random_.oneIn(3)) {
      mutate();
      stale_ = false;
      s.clientChanges = true;
      s.client = resolve();
    }
    if (last) return s;
    // The menu at t + 1 is the one the refresh at t built from the state above.
    if (model_.running && random_.oneIn(150)) {
      s.quitClient = true;
      stale_ = true;  // the client may be gone; the next refresh moment describes it again
    }
    s.copyDebug = random_.oneIn(4);
    s.refreshKey = random_.oneIn(25);
    return s;
  }

 private:
  // The client as the story thinks of it; resolve() turns it into windows and answers.
  struct Model {
    bool running = false;
    int instances = 1;
    int32_t pid = 1000;
    bool refusesQuit = false;
    std::vector<int> sessions;  // indexes into kNames, at most four
    bool fullScreen = false;    // the first session shows as a placeholder-titled desktop
    bool idlePanel = false;     // the idle connection panel: the name cache empties
    bool connectionCenter = false;
    int background = 0;  // untitled background sessions
    bool ime = false;
    int axFault = 0;      // for one state: 1 error code, 2 not a list, 3 odd attributes
    int scriptFault = 0;  // for one state: 1 error, 2 no text, 3 no script object, 4 other text
  };

  void mutate() {
    Model& m = model_;
    m.axFault = 0;
    m.scriptFault = 0;
    if (!m.running) {
      m = Model{};
      m.running = true;
      m.pid = static_cast<int32_t>(4000 + random_.below(60000));  // a restart: a new pid
      m.connectionCenter = random_.oneIn(2);
      return;
    }
    switch (random_.below(12)) {
      case 0:
      case 1:
      case 2:  // a session opens
        if (m.sessions.size() < 4) m.sessions.push_back(random_.below(kNameCount));
        m.idlePanel = false;
        break;
      case 3:
      case 4:  // a session closes
        if (!m.sessions.empty()) {
          m.sessions.erase(m.sessions.begin() + random_.below(static_cast<int>(m.sessions.size())));
        }
        if (m.sessions.empty()) m.fullScreen = false;
        break;
      case 5:  // full screen and back
        m.fullScreen = !m.fullScreen && m.sessions.size() == 1;
        break;
      case 6:  // the idle panel, alone
        m.sessions.clear();
        m.fullScreen = false;
        m.background = 0;
        m.idlePanel = !m.idlePanel;
        break;
      case 7:
        m.background = (m.background + 1) % 3;
        m.ime = !m.ime;
        m.connectionCenter = !m.connectionCenter;
        break;
      case 8:  // the client quits; the next change starts it again
        m.running = false;
        break;
      case 9:
        m.instances = m.instances == 1 ? 2 : 1;
        m.refusesQuit = random_.oneIn(4);
        break;
      case 10:
        m.axFault = 1 + random_.below(3);
        break;
      default:
        m.scriptFault = 1 + random_.below(4);
        break;
    }
  }

  ClientState resolve() {
    const Model& m = model_;
    ClientState c;
    c.running = m.running;
    if (!m.running) return c;
    c.instances = m.instances;
    c.pid = m.pid;
    c.refusesQuit = m.refusesQuit;
    c.windows = windowsOf(m);
    static constexpr int32_t kAxErrors[] = {-25204, -25211, -25202, -25212, 0};
    if (m.axFault == 1) {
      c.ax = ClientState::Ax::kError;
      c.axError = kAxErrors[random_.below(5)];
    } else if (m.axFault == 2) {
      c.ax = ClientState::Ax::kNotAList;
    } else if (m.axFault == 3 && !c.windows.empty()) {
      Window& w =
          c.windows[static_cast<std::size_t>(random_.below(static_cast<int>(c.windows.size())))];
      switch (random_.below(3)) {
        case 0:
          w.titleWrongType = true;
          break;
        case 1:
          w.hasSize = false;
          break;
        default:
          w.hasTitle = false;
          break;
      }
    }
    switch (m.scriptFault) {
      case 1:
        c.script = ClientState::Script::kError;
        c.scriptText = "System Events got an error: Can\u2019t get process \"Windows App\".";
        break;
      case 2:
        c.script = ClientState::Script::kNoText;
        break;
      case 3:
        c.script = ClientState::Script::kNoObject;
        break;
      case 4:  // a placeholder and a session the scan did not see, in another order
        c.script = ClientState::Script::kText;
        c.scriptText = "Devices, " + std::string(kNames[random_.below(kNameCount)]) +
                       ",  Connection Center ,RemoteApps";
        break;
      default:
        break;
    }
    return c;
  }

  std::vector<Window> windowsOf(const Model& m) {
    std::vector<Window> ws;
    auto add = [&ws](std::string title, std::string subrole, int w, int h, bool minimized) {
      Window win;
      win.title = std::move(title);
      win.subrole = std::move(subrole);
      win.width = w;
      win.height = h;
      win.minimized = minimized;
      ws.push_back(std::move(win));
    };
    if (m.connectionCenter) add("Connection Center", "AXStandardWindow", 820, 560, false);
    if (m.idlePanel) add("Devices", "AXStandardWindow", 1000, 700, false);
    for (std::size_t i = 0; i < m.sessions.size(); ++i) {
      if (m.fullScreen && i == 0) {
        add(random_.oneIn(2) ? "Devices" : "RemoteApps", "AXStandardWindow", 1512, 982, false);
        continue;
      }
      // Two of three sessions are large enough to be remembered for a later full screen.
      const bool large = (m.sessions[i] + static_cast<int>(i)) % 3 != 0;
      add(kNames[m.sessions[i]], "AXStandardWindow", large ? 1440 : 1024, large ? 900 : 768,
          random_.oneIn(8));
    }
    for (int i = 0; i < m.background; ++i) {
      add("", "AXUnknown", 800, 600, false);
    }
    if (m.ime) {
      add("MSCTFIME UI", "AXUnknown", 1, 1, false);
      add("Default IME", "AXUnknown", 1, 1, false);
    }
    return ws;
  }

  Random random_;
  Model model_;
  bool stale_ = false;
};

}  // namespace velmora::churn
