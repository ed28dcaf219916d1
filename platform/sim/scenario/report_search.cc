#include "platform/sim/scenario/report_search.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app/config.h"
#include "clock/wall_clock.h"
#include "detect/ax_scan.h"
#include "detect/classify.h"
#include "detect/detection.h"
#include "detect/report_format.h"
#include "detect/utc_timestamp.h"
#include "platform/sim/desktop/sim_desktop.h"
#include "platform/sim/scenario/report_reader.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

using Lines = std::vector<std::string_view>;

// The report's lines as splitLines() gives them, without their line feeds.
constexpr std::string_view kHeadingEnd = report::lineText(report::kHeadingEnd);
constexpr std::string_view kNotRunning = report::lineText(report::kNotRunning);
constexpr std::string_view kAxHeading = report::lineText(report::kAxHeading);
constexpr std::string_view kQuitInScan = report::lineText(report::kQuitInScan);
constexpr std::string_view kAsHeading = report::lineText(report::kAsHeading);
constexpr std::string_view kListFailedEnd = report::lineText(report::kListFailedEnd);

// The window that a first pass shows so that the tracker remembers a title.
constexpr std::string_view kPrimingSubrole = "AXStandardWindow";
constexpr WinSize kPrimingSize{1440.0, 900.0};

// Raw titles can mimic the report's own lines; every reading is tried up to these caps: whole
// readings, windows replayed over all replays, and search steps beyond a straight reading.
constexpr int kMaxReadings = 256;
constexpr std::size_t kMaxReplayCost = 4000000;
constexpr std::size_t kMaxExtraSteps = 100000;
// Readings of window lines held at once by the search, over all its depth: a line that mimics
// the report's own lines may be read in as many ways as the square of its length.
constexpr std::size_t kMaxHeldReadings = 20000;

// Why a report gives no scenario, as the search weighs it: the refusal furthest down the report
// wins. The message quotes report text raw.
struct Refusal {
  std::size_t line = 1;  // 1-based
  std::string message;
};

// A scenario, or why there is none.
using Found = std::variant<Scenario, Refusal>;

Refusal refusal(std::size_t line, std::string message) {
  return Refusal{line, std::move(message)};
}

// `s` in double quotes for a message, cut short on a character boundary.
std::string excerpt(std::string_view s) {
  constexpr std::size_t kLongest = 72;
  if (s.size() <= kLongest) return "\"" + std::string(s) + "\"";
  std::size_t cut = kLongest;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return "\"" + std::string(s.substr(0, cut)) + "\"...";
}

std::size_t lineOfOffset(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) line += text[i] == '\n' ? 1 : 0;
  return line;
}

// The report's lines without their line feeds; `report` ends in one.
Lines splitLines(std::string_view report) {
  Lines lines;
  for (std::size_t from = 0; from < report.size();) {
    const std::size_t end = report.find('\n', from);
    lines.push_back(report.substr(from, end - from));
    from = end + 1;
  }
  return lines;
}

// Lines `first` to `last` (0-based, both included) as one text, without the last line feed.
std::string_view span(const Lines& lines, std::size_t first, std::size_t last) {
  const char* begin = lines[first].data();
  return std::string_view(
      begin, static_cast<std::size_t>(lines[last].data() - begin) + lines[last].size());
}

std::optional<Refusal> checkText(std::string_view report) {
  if (report.empty()) return refusal(1, "the report is empty");
  if (!text::isValidUtf8(report)) {
    // A line feed never falls inside a character, so some line is ill-formed on its own.
    std::size_t from = 0;
    std::size_t end = report.find('\n');
    while (end != std::string_view::npos && text::isValidUtf8(report.substr(from, end - from))) {
      from = end + 1;
      end = report.find('\n', from);
    }
    return refusal(lineOfOffset(report, from),
                   "is not UTF-8 text, and the tracker writes nothing else (was the report "
                   "re-encoded?)");
  }
  if (report.back() != '\n') {
    return refusal(lineOfOffset(report, report.size()),
                   "has no line feed at its end: the report is cut off");
  }
  return std::nullopt;
}

// A window side as the window lines write it; nothing for a form truncatedPoints() never writes.
std::optional<double> sideValue(std::string_view token) {
  const std::optional<double> value = readWholeNumber(token);
  if (!value || truncatedPoints(*value) != token) return std::nullopt;
  return value;
}

// The " WxH" that ends a window line: where its space stands, and the two sides.
struct SizeSuffix {
  std::size_t at = 0;
  WinSize size;
};

std::optional<SizeSuffix> sizeSuffix(std::string_view line) {
  const std::size_t x = line.rfind('x');
  if (x == std::string_view::npos || x == 0) return std::nullopt;
  const std::size_t space = line.rfind(' ', x - 1);
  if (space == std::string_view::npos) return std::nullopt;
  const auto width = sideValue(line.substr(space + 1, x - space - 1));
  const auto height = sideValue(line.substr(x + 1));
  if (!width || !height) return std::nullopt;
  return SizeSuffix{space, {*width, *height}};
}

// `i` when `line` starts window line i ("  AX[i]: \""), with the length of that start.
struct WindowStart {
  std::size_t index = 0;
  std::size_t length = 0;
};

std::optional<WindowStart> windowStart(std::string_view line) {
  if (!line.starts_with(report::kWindowStart)) return std::nullopt;
  const std::size_t close = line.find(report::kWindowTitle, report::kWindowStart.size());
  if (close == std::string_view::npos) return std::nullopt;
  const std::string_view digits =
      line.substr(report::kWindowStart.size(), close - report::kWindowStart.size());
  std::size_t index = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
  if (error != std::errc() || end != digits.data() + digits.size() ||
      std::to_string(index) != digits) {
    return std::nullopt;
  }
  return WindowStart{index, close + report::kWindowTitle.size()};
}

// A whole decimal number as std::to_string writes it, within [low, high].
template <typename Number>
std::optional<Number> decimal(std::string_view text, Number low, Number high) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || std::to_string(value) != text ||
      value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

// The first pass of the classification, walked along the report's lines: which untitled
// background windows the report counts (the others were minimised, which no line shows),
// whether the pass found anything, and where a session line that the windows call for is
// missing (then the reading is wrong, or the report edited).
struct FirstPass {
  bool found = false;
  std::optional<std::size_t> missingAt;  // offset into the classification lines
  std::string missingLine;
};

FirstPass markMinimised(std::vector<WinInfo>& windows, std::string_view classification) {
  FirstPass pass;
  std::size_t at = 0;
  for (WinInfo& w : windows) {
    const WindowVerdict verdict = firstPassVerdict(w);
    if (verdict == WindowVerdict::kUnnamedBackground) {
      if (classification.substr(at).starts_with(report::kUnnamedBackground)) {
        at += report::kUnnamedBackground.size();
        pass.found = true;
      } else {
        w.minimized = true;
      }
      continue;
    }
    if (verdict != WindowVerdict::kSession) continue;
    pass.found = true;
    const std::string line =
        std::string(report::kSession) + report::kQuote + w.title + report::kQuote + '\n';
    if (classification.substr(at).starts_with(line)) {
      at += line.size();
    } else if (!pass.missingAt) {
      pass.missingAt = at;
      pass.missingLine = line.substr(0, line.size() - 1);
    }
  }
  return pass;
}

// The titles the tracker may have remembered before the pass, when the report shows them only
// in "full-screen desktop (cached)" lines that an idle panel's "cache cleared" then wiped out:
// `wide` such lines, all naming the same title, up to the idle panel's lines.
std::vector<std::string> titlesBeforeIdlePanel(std::size_t wide, std::string_view idleTitle,
                                               std::string_view classification) {
  const std::string idle =
      std::string(report::kIdlePanel) + report::kQuote + std::string(idleTitle) + report::kQuote +
      std::string(report::kIdlePanelEnd) + '\n' + std::string(report::kCacheCleared);
  const std::string cached = std::string(report::kFullScreenCached) + report::kQuote;
  std::vector<std::string> titles;
  if (!classification.starts_with(cached)) return titles;
  for (std::size_t q = classification.find(idle); q != std::string_view::npos && titles.size() < 8;
       q = classification.find(idle, q + 1)) {
    const std::size_t each = q / wide;
    if (q % wide != 0 || each <= cached.size() + 2) continue;
    const std::string_view line = classification.substr(0, each);
    if (!line.ends_with("\"\n")) continue;
    bool repeated = true;
    for (std::size_t k = 1; k < wide && repeated; ++k) {
      repeated = classification.substr(k * each, each) == line;
    }
    if (!repeated) continue;
    titles.emplace_back(line.substr(cached.size(), each - cached.size() - 2));
  }
  return titles;
}

// Candidates for the cache before the pass. A title that "(cached)" lines show before an idle
// panel cleared the cache; otherwise the cache the report prints after the pass, which the
// pass cannot have changed but by filling an empty cache with that same title (then the user's
// tracker most likely remembered it already: the session has been open). Last, nothing.
std::vector<std::optional<std::string>> cachesBefore(const std::vector<WinInfo>& windows,
                                                     bool firstPassFound,
                                                     std::string_view classification,
                                                     const std::optional<std::string>& after) {
  std::vector<std::optional<std::string>> caches;
  if (!firstPassFound) {
    std::size_t wide = 0;
    for (const WinInfo& w : windows) {
      if (!placeholderName(w.title) || isSmallWindow(w)) continue;
      if (w.size.width >= kFullScreenMinWidth) {
        ++wide;
        continue;
      }
      if (wide > 0) {
        for (std::string& t : titlesBeforeIdlePanel(wide, w.title, classification)) {
          caches.emplace_back(std::move(t));
        }
      }
      break;
    }
  }
  if (after) caches.push_back(after);
  caches.emplace_back(std::nullopt);
  return caches;
}

double startFor(double moment, double passTime) {
  double start = moment - passTime;
  // Far from 1970 a double has no room for single seconds; step to a start that lands on them.
  for (int step = 0; step < 16 && std::isfinite(start); ++step) {
    const double reached = std::floor(start + passTime);
    if (reached == moment) break;
    start = std::nextafter(
        start, (reached < moment ? 1.0 : -1.0) * std::numeric_limits<double>::infinity());
  }
  return start;
}

SimClientState primingClient(const std::string& title) {
  SimClientState client;
  client.ax.windows.push_back(SimWindow{
      SimAttribute::ofText(title), SimAttribute::ofText(std::string(kPrimingSubrole)),
      SimAttribute::ofSize(kPrimingSize.width, kPrimingSize.height), SimAttribute::ofBool(false)});
  return client;
}

Scenario scenarioFor(double moment, std::shared_ptr<const SimClientState> client,
                     const std::optional<std::string>& remembered) {
  Scenario scenario;
  const double passTime = remembered ? kPoll : 0.0;
  scenario.start = startFor(moment, passTime);
  scenario.until = passTime;
  if (remembered) {
    ScenarioEvent priming;
    priming.client = std::make_shared<const SimClientState>(primingClient(*remembered));
    scenario.events.push_back(std::move(priming));
  }
  ScenarioEvent reported;
  reported.at = passTime;
  reported.client = std::move(client);
  scenario.events.push_back(std::move(reported));
  return scenario;
}

SimClientState windowsClient(const std::vector<WinInfo>& windows, SimListingAnswer listing) {
  SimClientState client;
  client.ax.windows.reserve(windows.size());
  for (const WinInfo& w : windows) {
    client.ax.windows.push_back(SimWindow{
        SimAttribute::ofText(w.title), SimAttribute::ofText(w.subRole),
        SimAttribute::ofSize(w.size.width, w.size.height), SimAttribute::ofBool(w.minimized)});
  }
  client.script = std::move(listing);
  return client;
}

// The first line (0-based) where `replayed` differs from `report`, with the message for it.
Refusal mismatch(std::string_view report, std::string_view replayed) {
  std::size_t at = 0;
  while (at < report.size() && at < replayed.size() && report[at] == replayed[at]) ++at;
  const std::size_t lineStart = report.rfind('\n', at == 0 ? 0 : at - 1);
  const std::size_t from = lineStart == std::string_view::npos || at == 0 ? 0 : lineStart + 1;
  const std::size_t line = lineOfOffset(report, from);
  if (from >= replayed.size()) {
    return refusal(line,
                   "does not follow from the rest of the report: the tracker's report ends "
                   "before this line");
  }
  const std::string_view written = replayed.substr(from, replayed.find('\n', from) - from);
  return refusal(line, "does not follow from the rest of the report: the tracker writes " +
                           excerpt(written) + " here");
}

// The search over the readings of one report: each complete reading becomes a scenario that
// is replayed; the first that reproduces the report wins. Otherwise the refusal that got
// furthest into the report is kept.
class Search {
 public:
  Search(std::string_view report, const Lines& lines, double moment)
      : report_(report), lines_(lines), moment_(moment) {}

  void setCacheAfter(std::optional<std::string> cache) { cacheAfter_ = std::move(cache); }
  [[nodiscard]] const std::optional<std::string>& cacheAfter() const { return cacheAfter_; }
  // The first place where the report can be read in more than one way.
  void noteBranch(std::size_t index) {
    if (!branchLine_) branchLine_ = index;
  }

  // Replays `client` after each candidate cache; true once one reproduces the report.
  bool tryClient(SimClientState client, const std::vector<WinInfo>& windows,
                 const std::vector<std::size_t>& sizeLines,
                 const std::vector<std::optional<std::string>>& caches) {
    // One copy, shared by every replay and by the scenario found.
    const auto shared = std::make_shared<const SimClientState>(std::move(client));
    for (const std::optional<std::string>& cache : caches) {
      if (outcome_ || exhausted()) return outcome_.has_value();
      replayCost_ += 1 + windows.size();
      Scenario scenario = scenarioFor(moment_, shared, cache);
      const std::string replayed = lastPassReport(scenario);
      if (replayed != report_) {
        refuse(mismatch(report_, replayed));
        continue;
      }
      // A reading with a size JSON cannot carry may have a twin that reads the same lines
      // with finite sizes (a title holding " nanx1" and a line feed); keep looking for it.
      Found found = carried(std::move(scenario), windows, sizeLines);
      const auto* e = std::get_if<Refusal>(&found);
      if (e != nullptr && e->line != 1) {
        if (!notFinite_) notFinite_ = *e;
        continue;
      }
      outcome_ = std::move(found);
    }
    return outcome_.has_value();
  }

  void readWindows(std::size_t count, std::size_t first, std::size_t finalLine,
                   const SimListingAnswer& listing);

  // Keeps the refusal that lies furthest into the report.
  void refuse(Refusal e) {
    if (!best_ || e.line > best_->line) best_ = std::move(e);
  }
  void refuseAt(std::size_t index, std::string message) {
    refuse(refusal(index + 1, std::move(message)));
  }

  [[nodiscard]] bool exhausted() const {
    return readings_ > kMaxReadings || replayCost_ > kMaxReplayCost || steps_ > maxSteps_ ||
           held_ > kMaxHeldReadings;
  }
  [[nodiscard]] bool done() const { return outcome_.has_value() || exhausted(); }

  Found result() const {
    if (outcome_) return *outcome_;
    if (notFinite_) return *notFinite_;
    if (exhausted()) {
      return refusal(branchLine_.value_or(0) + 1,
                     "from here on the report can be read in too many ways (raw titles, "
                     "subroles or texts hold line feeds or \" subrole= and mimic the report's "
                     "own lines), and none of the readings tried reproduces the report");
    }
    if (best_) return *best_;
    return refusal(1, "cannot be read as a detection report");
  }

 private:
  // A reading of one window line, its texts in the report: a line may be read in a great many
  // ways, and only the readings tried are copied out.
  struct Candidate {
    std::size_t last = 0;  // the window line's last report line
    std::string_view title;
    std::string_view subrole;
    WinSize size;
  };

  std::vector<Candidate> candidates(std::size_t index, std::size_t start);
  void leaf(std::vector<WinInfo> windows, const std::vector<std::size_t>& sizeLines,
            std::size_t classificationStart, const SimListingAnswer& listing);

  // A reproducing scenario, unless JSON cannot carry one of its numbers.
  Found carried(Scenario scenario, const std::vector<WinInfo>& windows,
                const std::vector<std::size_t>& sizeLines) const {
    if (!std::isfinite(moment_)) {
      return refusal(1,
                     "the moment is not a finite number, and a scenario's \"start\" (JSON) "
                     "cannot be NaN or infinite");
    }
    if (!(*scenario.start >= kEarliestStart) && moment_ >= kEarliestStart) {
      return refusal(1,
                     "the tracker remembered a title, which the scenario shows in an extra first "
                     "pass 5 s before the reported one, and that pass would start before 1970, "
                     "where a scenario's \"start\" cannot lie");
    }
    if (!(*scenario.start >= kEarliestStart && *scenario.start < kStartLimit)) {
      return refusal(1,
                     "the moment is outside the years 1970 to 9999, where a scenario's \"start\" "
                     "must lie");
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
      if (std::max(windows[i].title.size(), windows[i].subRole.size()) > kMaxWindowText) {
        return refusal(sizeLines[i] + 1, "window " + std::to_string(i) +
                                             " has a title or subrole longer than " +
                                             std::to_string(kMaxWindowText) +
                                             " bytes, the most a scenario's window may hold");
      }
      if (!std::isfinite(windows[i].size.width) || !std::isfinite(windows[i].size.height)) {
        return refusal(sizeLines[i] + 1,
                       "window " + std::to_string(i) +
                           " has a size of nan or infinity, which a scenario (JSON) cannot "
                           "carry");
      }
    }
    return scenario;
  }

  std::string_view report_;
  const Lines& lines_;
  double moment_;
  std::optional<std::string> cacheAfter_;
  std::optional<Found> outcome_;
  std::optional<Refusal> notFinite_;
  std::optional<Refusal> best_;
  int readings_ = 0;
  std::size_t replayCost_ = 0;
  std::size_t steps_ = 0;
  std::size_t maxSteps_ = kMaxExtraSteps;
  std::size_t held_ = 0;  // readings in the search's frames
  std::optional<std::size_t> branchLine_;

  // For readWindows: where window lines may start and where the last one may end.
  std::size_t count_ = 0;
  std::size_t finalLine_ = 0;
  std::vector<std::vector<std::size_t>> startsOf_;
  std::vector<std::size_t> lastEnds_;
};

// Every way to read window `index` from line `start`: where it ends (titles and subroles may
// hold line feeds) and where its title ends (titles may hold "\" subrole=").
std::vector<Search::Candidate> Search::candidates(std::size_t index, std::size_t start) {
  std::vector<Candidate> found;
  const auto opening = start < finalLine_ ? windowStart(lines_[start]) : std::nullopt;
  if (!opening || opening->index != index) {
    refuseAt(start, "expected the line of window " + std::to_string(index) + ", \"  AX[" +
                        std::to_string(index) + "]: \"TITLE\" subrole=SUBROLE WxH\" (the report " +
                        "announces " + std::to_string(count_) + " windows on line 3)");
    return found;
  }
  std::vector<std::size_t> ends;
  if (index + 1 < count_) {
    for (std::size_t next : startsOf_[index + 1]) {
      if (next > start) ends.push_back(next - 1);
    }
    if (ends.empty() && !startsOf_[index + 1].empty()) {
      refuseAt(startsOf_[index + 1].front(),
               "the line of window " + std::to_string(index + 1) + " stands above the line of " +
                   "window " + std::to_string(index) + ": the window lines are out of order");
      return found;
    }
    if (ends.empty()) {
      refuseAt(start + 1, "expected the line of window " + std::to_string(index + 1) +
                              " after window " + std::to_string(index) + " (the report announces " +
                              std::to_string(count_) + " windows on line 3)");
      return found;
    }
  } else {
    for (std::size_t last : lastEnds_) {
      if (last >= start) ends.push_back(last);
    }
  }
  // Where "\" subrole=" stands after the opening, up to the furthest end, found once (one more
  // than can be held is enough to know there are too many).
  const std::string_view longest =
      ends.empty() ? std::string_view() : span(lines_, start, ends.back()).substr(opening->length);
  std::vector<std::size_t> marks;
  for (std::size_t at = longest.find(report::kWindowSubrole);
       at != std::string_view::npos && marks.size() <= kMaxHeldReadings;
       at = longest.find(report::kWindowSubrole, at + 1)) {
    marks.push_back(at);
  }
  for (std::size_t last : ends) {
    const auto suffix = sizeSuffix(lines_[last]);
    if (!suffix) continue;
    const std::size_t bodyEnd =
        static_cast<std::size_t>(lines_[last].data() - lines_[start].data()) + suffix->at;
    if (bodyEnd < opening->length) continue;
    const std::string_view body = longest.substr(0, bodyEnd - opening->length);
    // The last "\" subrole=" first: subroles are the client's own names, titles the remote's.
    auto mark = std::partition_point(marks.begin(), marks.end(), [&](std::size_t at) {
      return at + report::kWindowSubrole.size() <= body.size();
    });
    while (mark != marks.begin()) {
      const std::size_t at = *--mark;
      if (held_ + found.size() == kMaxHeldReadings) {
        held_ = kMaxHeldReadings + 1;  // too many to try: the search ends
        noteBranch(start);
        return found;
      }
      found.push_back(Candidate{last, body.substr(0, at),
                                body.substr(at + report::kWindowSubrole.size()), suffix->size});
    }
  }
  if (found.empty()) {
    refuseAt(start, "cannot read the line of window " + std::to_string(index) +
                        ": it must read \"  AX[" + std::to_string(index) +
                        "]: \"TITLE\" subrole=SUBROLE WxH\" with whole numbers " + "W and H");
  } else if (found.size() > 1) {
    noteBranch(start);
  }
  return found;
}

void Search::leaf(std::vector<WinInfo> windows, const std::vector<std::size_t>& sizeLines,
                  std::size_t classificationStart, const SimListingAnswer& listing) {
  std::string classification;
  if (classificationStart < finalLine_) {
    classification = std::string(span(lines_, classificationStart, finalLine_ - 1)) + "\n";
  }
  ++readings_;
  const FirstPass first = markMinimised(windows, classification);
  if (first.missingAt) {
    // No client state writes these lines; spare the replay (mimicking titles make many such
    // readings).
    const std::size_t line = classificationStart + lineOfOffset(classification, *first.missingAt);
    refuse(refusal(line, "does not follow from the rest of the report: the tracker writes " +
                             excerpt(first.missingLine) + " here"));
    return;
  }
  const auto caches = cachesBefore(windows, first.found, classification, cacheAfter_);
  (void)tryClient(windowsClient(windows, listing), windows, sizeLines, caches);
}

// Depth first over the readings of the window lines, on an explicit stack: a report may hold
// a great many windows.
void Search::readWindows(std::size_t count, std::size_t first, std::size_t finalLine,
                         const SimListingAnswer& listing) {
  if (count > finalLine - first) {
    refuseAt(2, "announces " + std::to_string(count) + " windows, but the AX section holds only " +
                    std::to_string(finalLine - first) + " lines for them");
    return;
  }
  count_ = count;
  finalLine_ = finalLine;
  // A straight reading takes two steps a window; the rest is for the mimics.
  maxSteps_ = kMaxExtraSteps + 4 * count;
  startsOf_.assign(count, {});
  lastEnds_.clear();
  for (std::size_t i = first; i < finalLine; ++i) {
    if (const auto s = windowStart(lines_[i]); s && s->index < count)
      startsOf_[s->index].push_back(i);
    const bool beforeDecisions = i + 1 == finalLine || lines_[i + 1].starts_with(report::kDecision);
    if (beforeDecisions && sizeSuffix(lines_[i])) lastEnds_.push_back(i);
  }
  if (count == 0) {
    leaf({}, {}, first, listing);
    return;
  }
  struct Frame {
    std::vector<Candidate> options;
    std::size_t next = 0;
  };
  std::vector<Frame> stack;
  std::vector<WinInfo> windows;
  std::vector<std::size_t> sizeLines;
  const auto push = [&](std::size_t index, std::size_t start) {
    stack.push_back(Frame{candidates(index, start)});
    held_ += stack.back().options.size();
  };
  push(0, first);
  while (!stack.empty() && !done()) {
    ++steps_;
    Frame& frame = stack.back();
    if (frame.next == frame.options.size()) {
      held_ -= frame.options.size();
      stack.pop_back();
      windows.resize(stack.size());
      sizeLines.resize(stack.size());
      continue;
    }
    const Candidate& chosen = frame.options[frame.next++];
    windows.resize(stack.size());
    sizeLines.resize(stack.size());
    windows.back() = WinInfo{std::string(chosen.title), std::string(chosen.subrole), chosen.size};
    sizeLines.back() = chosen.last;
    const std::size_t after = chosen.last + 1;
    if (stack.size() == count) {
      leaf(windows, sizeLines, after, listing);
    } else {
      push(stack.size(), after);
    }
  }
}

// The listing's answer from the AS section's lines after its heading, [first, end).
std::variant<SimListingAnswer, Refusal> readListing(const Lines& lines, std::size_t first,
                                                    std::size_t end) {
  if (first == end) return SimListingAnswer{SimListingAnswer::Kind::kNoScriptObject, {}};
  const std::string_view line = lines[first];
  if (line.starts_with(report::kScriptError)) {
    // The description runs to the section's end: it may hold line feeds of its own.
    return SimListingAnswer{
        SimListingAnswer::Kind::kError,
        std::string(span(lines, first, end - 1).substr(report::kScriptError.size()))};
  }
  if (!line.starts_with(report::kRaw)) {
    return refusal(first + 1,
                   "expected \"  Error: ...\" or \"  Raw: [...] -> Filtered: [...]\" after \"" +
                       std::string(kAsHeading) + "\"");
  }
  std::string_view rest = line.substr(report::kRaw.size());
  const auto raw = readRenderedList(rest);
  if (!raw || !rest.starts_with(report::kFiltered)) {
    return refusal(first + 1,
                   "cannot read the raw list: it must read \"  Raw: [\"...\", ...] -> Filtered: "
                   "[...]\" with the tracker's escapes");
  }
  if (first + 1 != end) {
    return refusal(first + 2, "nothing follows the \"  Raw: \" line in the AS section");
  }
  std::string text;
  for (const std::string& name : *raw) text += name + "\n";
  return SimListingAnswer{SimListingAnswer::Kind::kText, std::move(text)};
}

// The last two lines, "Final: ..." and "Names: ... | Cache: ...", and the empty line above
// them; gives the cache after the pass: nothing, or the one title of both placeholders.
std::variant<std::optional<std::string>, Refusal> readTail(const Lines& lines) {
  const std::size_t n = lines.size();
  const std::string_view names = lines[n - 1];
  if (!names.starts_with(report::kNames)) {
    return refusal(n,
                   "the report ends here without its \"Final: \" and \"Names: \" lines (cut off, "
                   "or lines out of order?)");
  }
  if (n < 6 || !lines[n - 2].starts_with(report::kFinal)) {
    return refusal(n - 1, "expected the \"Final: \" line above \"Names: \"");
  }
  if (!lines[n - 3].empty()) {
    return refusal(n - 2, "expected the empty line that ends the AS section above \"Final: \"");
  }
  std::string_view rest = names.substr(report::kNames.size());
  const auto list = readRenderedList(rest);
  std::optional<std::vector<std::pair<std::string, std::string>>> cache;
  if (list && rest.starts_with(report::kCache)) {
    rest.remove_prefix(report::kCache.size());
    cache = readRenderedMap(rest);
  }
  if (!cache || !rest.empty()) {
    return refusal(n,
                   "cannot read the \"Names: [...] | Cache: [...]\" line with the tracker's "
                   "escapes");
  }
  if (cache->empty()) return std::optional<std::string>();
  const bool oneTitle = cache->size() == kDesktopPlaceholderNames.size() &&
                        (*cache)[0].first == kDesktopPlaceholderNames[0] &&
                        (*cache)[1].first == kDesktopPlaceholderNames[1] &&
                        (*cache)[0].second == (*cache)[1].second;
  if (!oneTitle) {
    return refusal(n,
                   "the tracker never keeps this cache: it is empty, or it names one title for "
                   "both \"Devices\" and \"RemoteApps\"");
  }
  return std::optional<std::string>((*cache)[0].second);
}

std::variant<double, Refusal> readHeading(std::string_view line) {
  if (line.ends_with('\r')) {
    return refusal(1,
                   "ends in a carriage return: the report's line feeds were turned into CR LF "
                   "(undo that, for example with dos2unix)");
  }
  if (!line.starts_with(report::kHeadingStart) || !line.ends_with(kHeadingEnd) ||
      line.size() < report::kHeadingStart.size() + kHeadingEnd.size()) {
    return refusal(1, "expected the heading \"=== Detection @ YYYY-MM-DD HH:MM:SS +0000 ===\"");
  }
  const std::string_view stamp =
      line.substr(report::kHeadingStart.size(),
                  line.size() - report::kHeadingStart.size() - kHeadingEnd.size());
  const auto moment = readUtcTimestamp(stamp);
  if (!moment) {
    return refusal(1, "the tracker writes no moment as " + excerpt(stamp) +
                          " (UTC, \"YYYY-MM-DD HH:MM:SS +0000\")");
  }
  return *moment;
}

// A client with an AX section of one failure line (line 3), then an empty line, the AS section.
void readListFailure(Search& search, const Lines& lines) {
  const std::string_view line = lines[2];
  std::optional<int32_t> error;
  if (line.ends_with(kListFailedEnd)) {
    const std::string_view code =
        line.substr(report::kListFailed.size(),
                    line.size() - report::kListFailed.size() - kListFailedEnd.size());
    error = decimal<int32_t>(code, INT32_MIN, INT32_MAX);
  }
  if (!error) {
    search.refuseAt(2, "expected \"  Could not get AX windows (result: N)\"");
    return;
  }
  const std::size_t emptyLine = lines.size() - 3;
  if (emptyLine < 5 || !lines[3].empty() || lines[4] != kAsHeading) {
    search.refuseAt(
        3, "expected an empty line and \"" + std::string(kAsHeading) + "\" after the AX section");
    return;
  }
  auto listing = readListing(lines, 5, emptyLine);
  if (auto* e = std::get_if<Refusal>(&listing)) {
    search.refuse(std::move(*e));
    return;
  }
  SimClientState client;
  client.ax.kind = *error == 0 ? SimWindowList::Kind::kNotAList : SimWindowList::Kind::kError;
  client.ax.error = *error;
  client.script = std::get<SimListingAnswer>(std::move(listing));
  // Without a window list the pass leaves the cache as it found it.
  (void)search.tryClient(client, {}, {}, {search.cacheAfter()});
}

// A client whose window list was read: the AX section ends at an "  AX final: " line followed
// by an empty line and the AS section's heading. Titles may hold such lines too, so each place
// where they stand is tried.
void readWindowList(Search& search, const Lines& lines, std::size_t count) {
  const std::size_t emptyLine = lines.size() - 3;
  bool sectionFound = false;
  for (std::size_t as = 5; as < emptyLine && !search.done(); ++as) {
    if (lines[as] != kAsHeading || !lines[as - 1].empty() ||
        !lines[as - 2].starts_with(report::kAxFinal)) {
      continue;
    }
    if (sectionFound) search.noteBranch(as);
    sectionFound = true;
    auto listing = readListing(lines, as + 1, emptyLine);
    if (auto* e = std::get_if<Refusal>(&listing)) {
      search.refuse(std::move(*e));
      continue;
    }
    search.readWindows(count, 3, as - 2, std::get<SimListingAnswer>(listing));
  }
  if (!sectionFound) {
    search.refuseAt(emptyLine,
                    "expected the AX section to end with \"  AX final: N named, U unnamed\", an "
                    "empty line and \"" +
                        std::string(kAsHeading) + "\" above this line");
  }
}

Found findScenario(std::string_view report) {
  if (report.size() > kMaxReportBytes) {
    return refusal(lineOfOffset(report, kMaxReportBytes),
                   "the report goes on past " + std::to_string(kMaxReportBytes) +
                       " bytes (512 KiB) here, and velmora-sim reproduces reports of at most "
                       "512 KiB (a client's report holds a few KB)");
  }
  if (auto e = checkText(report)) return *e;
  if (static_cast<std::size_t>(std::count(report.begin(), report.end(), '\n')) > kMaxReportLines) {
    return refusal(kMaxReportLines + 1, "the report goes on past line " +
                                            std::to_string(kMaxReportLines) +
                                            ", and velmora-sim reproduces reports of at most " +
                                            std::to_string(kMaxReportLines) +
                                            " lines (a client's report holds a " + "few dozen)");
  }
  const Lines lines = splitLines(report);
  const auto heading = readHeading(lines[0]);
  if (const auto* e = std::get_if<Refusal>(&heading)) return *e;
  Search search(report, lines, std::get<double>(heading));

  if (lines.size() >= 2 && lines[1] == kNotRunning) {
    if (lines.size() > 2) {
      return refusal(3, "nothing follows \"Windows App not running\" in a report");
    }
    (void)search.tryClient(notRunning(), {}, {}, {std::nullopt});
    return search.result();
  }
  if (lines.size() < 3 || lines[1] != kAxHeading) {
    return refusal(2, "expected \"" + std::string(kAxHeading) +
                          "\" or \"Windows App not running\"" +
                          (lines.size() < 3 ? " and the lines after it (cut off?)" : ""));
  }
  if (lines[2] == kQuitInScan) {
    return refusal(3,
                   "the client quit during the pass (it ran when the pass began, and no longer "
                   "when the scan looked); a scenario changes the client only between passes");
  }
  const bool listFailed = lines[2].starts_with(report::kListFailed);
  if (!listFailed && !lines[2].starts_with(report::kWindowsFound)) {
    return refusal(3,
                   "expected \"  AX windows found: N\" or \"  Could not get AX windows (result: "
                   "N)\"");
  }
  auto tail = readTail(lines);
  if (const auto* e = std::get_if<Refusal>(&tail)) return *e;
  search.setCacheAfter(std::get<std::optional<std::string>>(std::move(tail)));

  if (listFailed) {
    readListFailure(search, lines);
    return search.result();
  }
  const auto count = decimal<std::size_t>(lines[2].substr(report::kWindowsFound.size()), 0,
                                          std::numeric_limits<std::size_t>::max());
  if (!count) return refusal(3, "expected \"  AX windows found: N\"");
  if (*count > kMaxReportWindows) {
    return refusal(3, "announces " + std::to_string(*count) +
                          " windows, and velmora-sim reproduces reports of at most " +
                          std::to_string(kMaxReportWindows) +
                          " windows (a client has a few dozen)");
  }
  readWindowList(search, lines, *count);
  return search.result();
}

}  // namespace

ReportScenarioResult scenarioFromReport(std::string_view report) {
  Found found = findScenario(report);
  if (auto* r = std::get_if<Refusal>(&found)) {
    return SimError{"line " + std::to_string(r->line), std::move(r->message)};
  }
  return std::move(std::get<Scenario>(found));
}

std::string lastPassReport(const Scenario& scenario) {
  SimObserver quiet;
  SimDesktop desktop(quiet);
  FixedClock clock;
  TrackerState state;
  const DetectionPorts ports{desktop.apps(), desktop.accessibility(), desktop.scripts(), clock};
  const double start = scenario.start.value_or(0.0);
  std::size_t next = 0;
  // The launch's pass at 0, then the timer's every kPoll seconds; client changes come first.
  for (double t = 0.0; t <= scenario.until; t += kPoll) {
    for (; next < scenario.events.size() && scenario.events[next].at <= t; ++next) {
      if (scenario.events[next].kind == ScenarioEvent::Kind::kClient) {
        desktop.setClient(scenario.events[next].client);
      }
    }
    clock.set(start + t);
    (void)detectSessions(state, ports);
  }
  return state.debugLog;
}

}  // namespace velmora::sim
