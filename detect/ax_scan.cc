#include "detect/ax_scan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "app/config.h"
#include "detect/classify.h"
#include "detect/report_format.h"
#include "detect/report_rendering.h"
#include "text/decimal.h"
#include "text/text.h"

namespace velmora {
namespace {

// 2^63 is exact as a double; the int64 range is [-2^63, 2^63).
constexpr double kTwoTo63 = 9223372036854775808.0;

// Titles and subroles come from another process; the report must stay valid UTF-8. The text is
// taken out of the read, which the caller drops.
std::string textOf(AxRead& read) {
  auto* s = std::get_if<std::string>(&read.value);
  if (s == nullptr) return std::string();
  return text::isValidUtf8(*s) ? std::move(*s) : text::sanitizeUtf8(*s);
}

// The four attributes of a window, in the order the scan has always read them.
constexpr std::array<std::string_view, 4> kWindowAttributes = {kAxTitle, kAxSubrole, kAxSize,
                                                               kAxMinimized};

// The title and the size count only on a successful read; the subrole and the minimised flag
// only by the type of the value.
WinInfo windowOf(std::vector<AxRead>& reads) {
  WinInfo info;
  if (reads.size() != kWindowAttributes.size()) return info;
  if (reads[0].error == kAxSuccess) info.title = textOf(reads[0]);
  info.subRole = textOf(reads[1]);
  if (reads[2].error == kAxSuccess) {
    if (const auto* s = std::get_if<WinSize>(&reads[2].value)) info.size = *s;
  }
  if (const bool* m = std::get_if<bool>(&reads[3].value)) info.minimized = *m;
  return info;
}

bool anyUnanswered(const std::vector<AxRead>& reads) {
  return std::any_of(reads.begin(), reads.end(),
                     [](const AxRead& r) { return r.error == kAxCannotComplete; });
}

// One round trip per window. The time-out set on the application is not inherited, so each
// window gets its own.
// `reads` is the scan's one buffer for every window.
WinInfo readWindow(Accessibility& ax, const AxElement& window, std::vector<AxRead>& reads,
                   bool& notAnswering) {
  (void)ax.setMessagingTimeout(window, kAxMessagingTimeout);
  ax.copyAttributes(window, kWindowAttributes, reads);
  notAnswering = anyUnanswered(reads);
  return windowOf(reads);
}

void appendTruncatedPoints(std::string& out, double points) {
  if (std::isnan(points)) {
    out += "nan";
  } else if (std::isinf(points)) {
    out += points < 0 ? "-inf" : "inf";
  } else if (const double whole = std::trunc(points); whole >= -kTwoTo63 && whole < kTwoTo63) {
    appendDecimal(out, static_cast<int64_t>(whole));
  } else {
    out += text::wholeDecimal(whole);
  }
}

void appendWindowLine(std::string& out, std::size_t index, const WinInfo& w) {
  out += report::kWindowStart;
  appendDecimal(out, static_cast<int64_t>(index));
  out += report::kWindowTitle;
  out += w.title;
  out += report::kWindowSubrole;
  out += w.subRole;
  out += ' ';
  appendTruncatedPoints(out, w.size.width);
  out += 'x';
  appendTruncatedPoints(out, w.size.height);
  out += '\n';
}

// Room for a window's line and its classification line, so that the section grows at most
// once or twice.
constexpr std::size_t kReportBytesPerWindow = 96;

}  // namespace

std::string truncatedPoints(double points) {
  std::string out;
  appendTruncatedPoints(out, points);
  return out;
}

AxScan detectViaAccessibility(RunningApps& apps, Accessibility& ax, SessionNameCache& cache) {
  AxScan scan;
  scan.debugInfo = report::kAxHeading;
  const std::vector<RunningInstance> instances = apps.runningInstances(kBundleID);
  if (instances.empty()) {
    scan.debugInfo += report::kQuitInScan;
    return scan;
  }
  const AxElement application = ax.applicationElement(instances.front().processIdentifier);
  (void)ax.setMessagingTimeout(application, kAxMessagingTimeout);
  AxRead list = ax.copyAttribute(application, kAxWindows);
  scan.notAnswering = list.error == kAxCannotComplete;
  scan.answered = list.error == kAxSuccess;
  auto* elements = std::get_if<std::vector<AxElement>>(&list.value);
  if (list.error != kAxSuccess || elements == nullptr) {
    scan.debugInfo += report::kListFailed;
    appendDecimal(scan.debugInfo, list.error);
    scan.debugInfo += report::kListFailedEnd;
    scan.windowListRefused = list.error != kAxSuccess;
    return scan;
  }
  scan.debugInfo.reserve(scan.debugInfo.size() + kReportBytesPerWindow * (elements->size() + 1));
  scan.debugInfo += report::kWindowsFound;
  appendDecimal(scan.debugInfo, static_cast<int64_t>(elements->size()));
  scan.debugInfo += '\n';
  std::vector<WinInfo> windows;
  windows.reserve(elements->size());
  std::vector<AxRead> reads;
  reads.reserve(kWindowAttributes.size());
  for (std::size_t i = 0; i < elements->size(); ++i) {
    // Taken out of the list so that each window is released once its attributes are read.
    const AxElement window = std::move((*elements)[i]);
    // A client that stopped answering is asked nothing more: its windows keep the defaults,
    // as reads that failed would have given them.
    windows.push_back(scan.notAnswering ? WinInfo{}
                                        : readWindow(ax, window, reads, scan.notAnswering));
    appendWindowLine(scan.debugInfo, i, windows.back());
  }
  Classification found = classifyWindows(windows, scan.debugInfo, cache);
  scan.debugInfo += report::kAxFinal;
  appendDecimal(scan.debugInfo, static_cast<int64_t>(found.names.size()));
  scan.debugInfo += report::kAxFinalNamed;
  appendDecimal(scan.debugInfo, found.unnamedCount);
  scan.debugInfo += report::kAxFinalUnnamed;
  scan.names = std::move(found.names);
  scan.unnamedCount = found.unnamedCount;
  scan.idlePanels = std::move(found.idlePanels);
  scan.verdicts = std::move(found.verdicts);
  return scan;
}

}  // namespace velmora
