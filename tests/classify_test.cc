#include "detect/classify.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

using Names = std::vector<std::string>;
using Verdicts = std::vector<WindowVerdict>;
using V = WindowVerdict;

WinInfo titled(std::string title, double w, double h, bool minimized = false) {
  return WinInfo{std::move(title), "AXStandardWindow", {w, h}, minimized};
}

WinInfo untitled(std::string subRole, double w, double h, bool minimized = false) {
  return WinInfo{"", std::move(subRole), {w, h}, minimized};
}

// Runs one classification on a cache that outlives the call, as the scan does.
struct Classifier {
  SessionNameCache cache;
  std::string report;

  Classification run(const std::vector<WinInfo>& windows) {
    report.clear();
    return classifyWindows(windows, report, cache);
  }
};

const SessionNameCache kCacheT = {{"Devices", "T"}, {"RemoteApps", "T"}};

// Every name (trimmed, exact) and every fragment that no other fragment contains (in any case,
// also after full upper-casing: a dotless i becomes I) in a case of its own.
TEST(ExclusionTest, MatchesTrimmedNamesExactlyAndFragmentsInAnyCase) {
  for (const char* title :
       {"", "   ", "-", "Velmora Session Tracker", "About", "\tConnection Center\u2029", "Options",
        "Preferences", "my cicero", "x mSctFime y", "ctf", "FloatingLangBar", "DEFAULT ime",
        "\u0131me_", "uiwndframe", "my tsf_window"}) {
    EXPECT_TRUE(isExcludedTitle(title)) << title;
  }
  for (const char* title :
       {"About This Mac", "connection center", "Office PC", "ime", "Stra\u00dfe", "Cafe\u0301"}) {
    EXPECT_FALSE(isExcludedTitle(title)) << title;
  }
}

TEST(ClassifyTest, FirstPassFindsSessionsAndBackgroundSessions) {
  const struct {
    WinInfo window;
    WindowVerdict verdict;
  } cases[] = {
      {titled("Office PC", 900, 700), V::kSession},
      {titled("   ", 900, 700), V::kExcludedName},  // trims to "": excluded, and not untitled
      {titled("Connection Center", 900, 700), V::kExcludedName},
      {titled("MSCTFIME UI", 1, 1), V::kInputMethod},  // the fragment tells more than the size
      {titled("Devices", 900, 700), V::kDesktopPlaceholder},  // decided in the second pass
      {titled("Devices", 900, 199), V::kTooSmall},
      {titled("devices", 900, 700), V::kSession},  // placeholders are matched exactly
      {titled(" Devices", 900, 700), V::kSession},
      {untitled("AXUnknown", 800, 600), V::kUnnamedBackground},
      {untitled("AXUnknown", 800, 600, true), V::kPassedOver},  // minimised: not counted
      {untitled("", 800, 600), V::kPassedOver},                 // unreadable subrole
      {untitled("AXUnknown", 199, 600), V::kTooSmall},
      {titled("Minimised PC", 900, 700, true), V::kSession},  // minimised titled window
      {titled("Office PC", 1000, 700), V::kSession},          // duplicate: one name, two lines
      {titled("Cafe\u0301", 900, 700), V::kSession},
      {titled("Caf\u00e9", 900, 700), V::kSession},  // equivalent: the first spelling stays
  };
  std::vector<WinInfo> windows;
  Verdicts verdicts;
  for (const auto& c : cases) {
    windows.push_back(c.window);
    verdicts.push_back(c.verdict);
  }
  Classifier c;
  const Classification r = c.run(windows);
  EXPECT_EQ(r.verdicts, verdicts);
  EXPECT_EQ(r.names, (Names{"Office PC", "devices", " Devices", "Minimised PC", "Cafe\u0301",
                            "Devices (Desktop)"}));
  EXPECT_EQ(r.unnamedCount, 1);
  EXPECT_TRUE(c.cache.empty());  // no window was large enough
}

// Both sides of every size threshold: the minimum side, and the large session that fills the
// cache.
TEST(ClassifyTest, SessionAndCacheThresholdsAreInclusive) {
  const struct {
    double width, height;
    bool session, fillsCache;
  } cases[] = {
      {200.0, 200.0, true, false}, {199.5, 900.0, false, false},  {900.0, 199.99, false, false},
      {1100.0, 800.0, true, true}, {1099.0, 1200.0, true, false}, {1500.0, 799.9, true, false},
  };
  for (const auto& s : cases) {
    Classifier c;
    EXPECT_EQ(c.run({titled("T", s.width, s.height)}).names.size(), s.session ? 1u : 0u)
        << s.width << "x" << s.height;
    EXPECT_EQ(c.cache.size(), s.fillsCache ? 2u : 0u) << s.width << "x" << s.height;
  }
}

TEST(ClassifyTest, ExistingCacheEntriesAreNeverOverwritten) {
  Classifier c;
  (void)c.run({titled("First", 1440, 900), titled("Second", 1440, 900)});
  EXPECT_EQ(c.cache, (SessionNameCache{{"Devices", "First"}, {"RemoteApps", "First"}}));
  (void)c.run({titled("Second", 1440, 900)});
  EXPECT_EQ(c.cache, (SessionNameCache{{"Devices", "First"}, {"RemoteApps", "First"}}));
}

// The second pass's verdicts, which its table below shows through the report, and each idle
// panel's placeholder named once, for the merge to hold back.
TEST(ClassifyTest, SecondPassVerdictsAndIdlePanels) {
  Classifier c;
  c.cache = kCacheT;
  EXPECT_EQ(c.run({titled("Devices", 1440, 900)}).verdicts, Verdicts{V::kFullScreenDesktopCached});
  EXPECT_EQ(c.run({titled("T", 900, 700), titled("Devices", 800, 600)}).verdicts,
            (Verdicts{V::kSession, V::kDesktopCached}));
  const Classification r = c.run({titled("Devices", 1000, 700), titled("Devices", 900, 700)});
  EXPECT_EQ(r.verdicts, (Verdicts{V::kIdlePanel, V::kIdlePanel}));
  EXPECT_EQ(r.idlePanels, Names{"Devices"});
  EXPECT_EQ(c.run({titled("Devices", 1440, 900)}).verdicts,
            Verdicts{V::kFullScreenDesktopPlaceholder});
}

// The second pass over placeholder-titled windows, with the cache empty or holding "T"; the
// report shows the order in which the cache is used and cleared.
TEST(ClassifyTest, SecondPassNamesDesktopsAndSkipsIdlePanels) {
  const struct {
    bool primed;  // the cache holds "T" for both placeholders
    std::vector<WinInfo> windows;
    Names names;
    std::string report;
    bool cacheKept;
  } cases[] = {
      // A wide desktop before the idle panel uses the cache, which the panel then empties...
      {true,
       {titled("Devices", 1500, 900), titled("RemoteApps", 900, 700)},
       {"T"},
       "    -> full-screen desktop (cached): \"T\"\n"
       "    -> \"RemoteApps\" is idle connection panel (skipped)\n"
       "    -> cache cleared\n",
       false},
      // ...and after it finds the cache empty.
      {true,
       {titled("RemoteApps", 900, 700), titled("Devices", 1500, 900)},
       {"Devices (Desktop)"},
       "    -> \"RemoteApps\" is idle connection panel (skipped)\n"
       "    -> cache cleared\n"
       "    -> full-screen desktop (placeholder): \"Devices (Desktop)\"\n",
       false},
      // The full-screen width is inclusive; a small placeholder window is passed over.
      {false,
       {titled("Devices", 1400, 200), titled("RemoteApps", 1500, 199)},
       {"Devices (Desktop)"},
       "    -> full-screen desktop (placeholder): \"Devices (Desktop)\"\n",
       true},
      // Just short of full-screen width: the idle panel.
      {false,
       {titled("Devices", 1399.99, 900)},
       {},
       "    -> \"Devices\" is idle connection panel (skipped)\n"
       "    -> cache cleared\n",
       true},
      // Every idle panel clears, even an empty cache.
      {false,
       {titled("Devices", 900, 700), titled("RemoteApps", 1000, 700)},
       {},
       "    -> \"Devices\" is idle connection panel (skipped)\n"
       "    -> cache cleared\n"
       "    -> \"RemoteApps\" is idle connection panel (skipped)\n"
       "    -> cache cleared\n",
       true},
      // Beside a session, even a small one, or a background session: a desktop, no idle panel.
      {true,
       {titled("T", 900, 700), titled("Devices", 800, 600)},
       {"T"},
       "    -> session: \"T\"\n    -> desktop (cached): \"T\"\n",
       true},
      {true,
       {untitled("AXUnknown", 800, 600), titled("Devices", 900, 700)},
       {"T"},
       "    -> unnamed background session\n    -> desktop (cached): \"T\"\n",
       true},
  };
  for (const auto& c : cases) {
    Classifier classifier;
    if (c.primed) classifier.cache = kCacheT;
    const Classification r = classifier.run(c.windows);
    EXPECT_EQ(r.names, c.names) << c.report;
    EXPECT_EQ(classifier.report, c.report);
    EXPECT_EQ(classifier.cache, c.cacheKept && c.primed ? kCacheT : SessionNameCache{}) << c.report;
  }
}

}  // namespace
}  // namespace velmora
