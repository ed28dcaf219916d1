#include "detect/classify.h"

#include "app/config.h"
#include "detect/name_list.h"
#include "detect/report_format.h"

#include <utility>

namespace velmora {
namespace {

bool isLargeSession(const WinInfo& w) {
  return w.size.width >= kLargeSessionWidth && w.size.height >= kLargeSessionHeight;
}

// Appends `lead`, `name` in double quotes, `tail` and a line feed.
void appendLine(std::string& report, std::string_view lead, std::string_view name,
                std::string_view tail = {}) {
  report += lead;
  report += report::kQuote;
  report += name;
  report += report::kQuote;
  report += tail;
  report += '\n';
}

std::string withDesktopSuffix(std::string_view title) {
  std::string name;
  name.reserve(title.size() + kDesktopSuffix.size());
  name += title;
  name += kDesktopSuffix;
  return name;
}

const std::string* cachedName(const SessionNameCache& cache, std::string_view placeholder) {
  auto it = cache.find(std::string(placeholder));
  return it == cache.end() ? nullptr : &it->second;
}

void rememberLargeSession(const std::string& title, SessionNameCache& cache) {
  for (std::string_view p : kDesktopPlaceholderNames) cache.try_emplace(std::string(p), title);
}

void rememberIdlePanel(std::string_view placeholder, std::vector<std::string>& idlePanels) {
  for (const std::string& p : idlePanels) {
    if (p == placeholder) return;
  }
  idlePanels.emplace_back(placeholder);
}

// A placeholder-titled window of at least the minimum size, which the second pass decides.
struct DesktopCandidate {
  std::size_t window;            // its index in the window list
  std::string_view placeholder;  // its kDesktopPlaceholderNames entry
};

// What the two passes build up.
struct Passes {
  NameList names;
  int64_t unnamed = 0;
  std::vector<std::string> idlePanels;
  std::vector<WindowVerdict> verdicts;
  std::vector<DesktopCandidate> desktops;  // in window order
};

// Why a titled window is no session in the first pass; kPassedOver for a placeholder-titled
// window of at least the minimum size, which the second pass decides.
WindowVerdict titledOutcome(const WinInfo& w, const TitleFacts& facts) {
  switch (facts.exclusion) {
    case TitleExclusion::kName:
      return WindowVerdict::kExcludedName;
    case TitleExclusion::kFragment:
      return WindowVerdict::kInputMethod;
    case TitleExclusion::kNone:
      break;
  }
  if (isSmallWindow(w)) return WindowVerdict::kTooSmall;
  return facts.key.placeholder ? WindowVerdict::kPassedOver : WindowVerdict::kSession;
}

WindowVerdict untitledOutcome(const WinInfo& w) {
  if (w.subRole != kBackgroundSubrole) return WindowVerdict::kPassedOver;
  if (isSmallWindow(w)) return WindowVerdict::kTooSmall;
  return w.minimized ? WindowVerdict::kPassedOver : WindowVerdict::kUnnamedBackground;
}

// First pass: titled session windows and untitled background sessions. It also finds the
// desktop candidates, so that the second pass tests no title again.
void findSessions(const std::vector<WinInfo>& windows, std::string& report, SessionNameCache& cache,
                  Passes& passes) {
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const WinInfo& w = windows[i];
    if (w.title.empty()) {
      passes.verdicts.push_back(untitledOutcome(w));
      if (passes.verdicts.back() == WindowVerdict::kUnnamedBackground) {
        ++passes.unnamed;
        report += report::kUnnamedBackground;
      }
      continue;
    }
    TitleFacts facts = titleFacts(w.title);
    if (facts.key.placeholder && !isSmallWindow(w))
      passes.desktops.push_back({i, *facts.key.placeholder});
    passes.verdicts.push_back(titledOutcome(w, facts));
    if (passes.verdicts.back() != WindowVerdict::kSession) continue;
    passes.names.add(w.title, std::move(facts.key.separate));
    appendLine(report, report::kSession, w.title);
    if (isLargeSession(w)) rememberLargeSession(w.title, cache);
  }
}

// Second pass when nothing was found: a wide placeholder window is a full-screen desktop, a
// narrower one the idle connection panel, which forgets every remembered name.
void findFullScreenDesktops(const std::vector<WinInfo>& windows, std::string& report,
                            SessionNameCache& cache, Passes& passes) {
  for (const DesktopCandidate& d : passes.desktops) {
    const WinInfo& w = windows[d.window];
    if (w.size.width >= kFullScreenMinWidth) {
      if (const std::string* c = cachedName(cache, d.placeholder)) {
        passes.names.add(*c);
        appendLine(report, report::kFullScreenCached, *c);
        passes.verdicts[d.window] = WindowVerdict::kFullScreenDesktopCached;
      } else {
        const std::string name = withDesktopSuffix(w.title);
        passes.names.add(name);
        appendLine(report, report::kFullScreenPlaceholder, name);
        passes.verdicts[d.window] = WindowVerdict::kFullScreenDesktopPlaceholder;
      }
    } else {
      appendLine(report, report::kIdlePanel, w.title, report::kIdlePanelEnd);
      rememberIdlePanel(d.placeholder, passes.idlePanels);
      cache.clear();
      report += report::kCacheCleared;
      passes.verdicts[d.window] = WindowVerdict::kIdlePanel;
    }
  }
}

// Second pass beside sessions: every placeholder window of at least the minimum size is a
// desktop, named from the cache when it can be.
void findDesktopsBesideSessions(const std::vector<WinInfo>& windows, std::string& report,
                                const SessionNameCache& cache, Passes& passes) {
  for (const DesktopCandidate& d : passes.desktops) {
    if (const std::string* c = cachedName(cache, d.placeholder)) {
      passes.names.add(*c);
      appendLine(report, report::kDesktopCached, *c);
      passes.verdicts[d.window] = WindowVerdict::kDesktopCached;
    } else {
      const std::string name = withDesktopSuffix(windows[d.window].title);
      passes.names.add(name);
      appendLine(report, report::kDesktopPlaceholder, name);
      passes.verdicts[d.window] = WindowVerdict::kDesktopPlaceholder;
    }
  }
}

}  // namespace

WindowVerdict firstPassVerdict(const WinInfo& w) {
  return w.title.empty() ? untitledOutcome(w) : titledOutcome(w, titleFacts(w.title));
}

std::string_view verdictName(WindowVerdict verdict) {
  switch (verdict) {
    case WindowVerdict::kPassedOver:
      return "passed over";
    case WindowVerdict::kSession:
      return "session";
    case WindowVerdict::kUnnamedBackground:
      return "unnamed background session";
    case WindowVerdict::kExcludedName:
      return "excluded by name";
    case WindowVerdict::kInputMethod:
      return "input-method window";
    case WindowVerdict::kTooSmall:
      return "too small";
    case WindowVerdict::kFullScreenDesktopCached:
      return "full-screen desktop (cached)";
    case WindowVerdict::kFullScreenDesktopPlaceholder:
      return "full-screen desktop (placeholder)";
    case WindowVerdict::kDesktopCached:
      return "desktop (cached)";
    case WindowVerdict::kDesktopPlaceholder:
      return "desktop (placeholder)";
    case WindowVerdict::kIdlePanel:
      return "idle connection panel";
  }
  return "passed over";
}

Classification classifyWindows(const std::vector<WinInfo>& windows, std::string& report,
                               SessionNameCache& cache) {
  Passes passes;
  passes.names.reserve(windows.size());
  passes.verdicts.reserve(windows.size());
  findSessions(windows, report, cache, passes);
  if (passes.names.empty() && passes.unnamed == 0) {
    findFullScreenDesktops(windows, report, cache, passes);
  } else {
    findDesktopsBesideSessions(windows, report, cache, passes);
  }
  return Classification{passes.names.release(), passes.unnamed, std::move(passes.idlePanels),
                        std::move(passes.verdicts)};
}

}  // namespace velmora
