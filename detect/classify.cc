#include "detect/classify.h"

#include "app/config.h"
#include "detect/name_list.h"
#include "text/text.h"

#include <utility>

namespace velmora {
namespace {

bool isSmall(const WinInfo& w) {
  return w.size.width < kMinimumSide || w.size.height < kMinimumSide;
}

bool isLargeSession(const WinInfo& w) {
  return w.size.width >= kLargeSessionWidth && w.size.height >= kLargeSessionHeight;
}

std::string quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

std::string withDesktopSuffix(std::string_view title) {
  return std::string(title) + std::string(kDesktopSuffix);
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

using Verdicts = std::vector<WindowVerdict>;

// Why a titled window is no session in the first pass; kPassedOver for a placeholder-titled
// window of at least the minimum size, which the second pass decides.
WindowVerdict titledOutcome(const WinInfo& w) {
  switch (titleExclusion(w.title)) {
    case TitleExclusion::kName:
      return WindowVerdict::kExcludedName;
    case TitleExclusion::kFragment:
      return WindowVerdict::kInputMethod;
    case TitleExclusion::kNone:
      break;
  }
  if (isSmall(w)) return WindowVerdict::kTooSmall;
  return placeholderName(w.title) ? WindowVerdict::kPassedOver : WindowVerdict::kSession;
}

WindowVerdict untitledOutcome(const WinInfo& w) {
  if (w.subRole != kBackgroundSubrole) return WindowVerdict::kPassedOver;
  if (isSmall(w)) return WindowVerdict::kTooSmall;
  return w.minimized ? WindowVerdict::kPassedOver : WindowVerdict::kUnnamedBackground;
}

// First pass: titled session windows and untitled background sessions.
void findSessions(const std::vector<WinInfo>& windows, std::string& report, NameList& names,
                  int64_t& unnamed, SessionNameCache& cache, Verdicts& verdicts) {
  for (const WinInfo& w : windows) {
    if (w.title.empty()) {
      verdicts.push_back(untitledOutcome(w));
      if (verdicts.back() == WindowVerdict::kUnnamedBackground) {
        ++unnamed;
        report += "    -> unnamed background session\n";
      }
      continue;
    }
    verdicts.push_back(titledOutcome(w));
    if (verdicts.back() != WindowVerdict::kSession) continue;
    names.add(w.title);
    report += "    -> session: " + quoted(w.title) + "\n";
    if (isLargeSession(w)) rememberLargeSession(w.title, cache);
  }
}

// Second pass when nothing was found: a wide placeholder window is a full-screen desktop, a
// narrower one the idle connection panel, which forgets every remembered name.
void findFullScreenDesktops(const std::vector<WinInfo>& windows, std::string& report,
                            NameList& names, std::vector<std::string>& idlePanels,
                            SessionNameCache& cache, Verdicts& verdicts) {
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const WinInfo& w = windows[i];
    const auto placeholder = placeholderName(w.title);
    if (!placeholder || isSmall(w)) continue;
    if (w.size.width >= kFullScreenWidth) {
      if (const std::string* c = cachedName(cache, *placeholder)) {
        const std::string name = *c;
        names.add(name);
        report += "    -> full-screen desktop (cached): " + quoted(name) + "\n";
        verdicts[i] = WindowVerdict::kFullScreenDesktopCached;
      } else {
        const std::string name = withDesktopSuffix(w.title);
        names.add(name);
        report += "    -> full-screen desktop (placeholder): " + quoted(name) + "\n";
        verdicts[i] = WindowVerdict::kFullScreenDesktopPlaceholder;
      }
    } else {
      report += "    -> " + quoted(w.title) + " is idle connection panel (skipped)\n";
      rememberIdlePanel(*placeholder, idlePanels);
      cache.clear();
      report += "    -> cache cleared\n";
      verdicts[i] = WindowVerdict::kIdlePanel;
    }
  }
}

// Second pass beside sessions: every placeholder window of at least the minimum size is a
// desktop, named from the cache when it can be.
void findDesktopsBesideSessions(const std::vector<WinInfo>& windows, std::string& report,
                                NameList& names, const SessionNameCache& cache,
                                Verdicts& verdicts) {
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const WinInfo& w = windows[i];
    const auto placeholder = placeholderName(w.title);
    if (!placeholder || isSmall(w)) continue;
    if (const std::string* c = cachedName(cache, *placeholder)) {
      names.add(*c);
      report += "    -> desktop (cached): " + quoted(*c) + "\n";
      verdicts[i] = WindowVerdict::kDesktopCached;
    } else {
      const std::string name = withDesktopSuffix(w.title);
      names.add(name);
      report += "    -> desktop (placeholder): " + quoted(name) + "\n";
      verdicts[i] = WindowVerdict::kDesktopPlaceholder;
    }
  }
}

std::vector<std::string> upperCasedFragments() {
  std::vector<std::string> fragments;
  for (std::string_view f : kExcludedSubstrings) {
    fragments.push_back(text::comparisonKey(text::upper(f)));
  }
  return fragments;
}

}  // namespace

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

TitleExclusion titleExclusion(std::string_view title) {
  const std::string key = text::comparisonKey(text::trim(title));
  for (std::string_view name : kExcludedNames) {
    if (key == name) return TitleExclusion::kName;
  }
  static const std::vector<std::string> fragments = upperCasedFragments();
  const std::string upper = text::comparisonKey(text::upper(key));
  for (const std::string& fragment : fragments) {
    if (upper.find(fragment) != std::string::npos) return TitleExclusion::kFragment;
  }
  return TitleExclusion::kNone;
}

bool isExcludedTitle(std::string_view title) {
  return titleExclusion(title) != TitleExclusion::kNone;
}

std::optional<std::string_view> placeholderName(std::string_view title) {
  for (std::string_view p : kDesktopPlaceholderNames) {
    if (text::equivalent(title, p)) return p;
  }
  return std::nullopt;
}

Classification classifyWindows(const std::vector<WinInfo>& windows, std::string& report,
                               SessionNameCache& cache) {
  NameList names;
  int64_t unnamed = 0;
  std::vector<std::string> idlePanels;
  Verdicts verdicts;
  verdicts.reserve(windows.size());
  findSessions(windows, report, names, unnamed, cache, verdicts);
  if (names.empty() && unnamed == 0) {
    findFullScreenDesktops(windows, report, names, idlePanels, cache, verdicts);
  } else {
    findDesktopsBesideSessions(windows, report, names, cache, verdicts);
  }
  return Classification{names.release(), unnamed, std::move(idlePanels), std::move(verdicts)};
}

}  // namespace velmora
