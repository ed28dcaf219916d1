#include "detect/ax_scan.h"

#include <cmath>
#include <utility>

#include "app/config.h"
#include "detect/classify.h"
#include "text/decimal.h"
#include "text/text.h"

namespace velmora {
namespace {

// Titles and subroles come from another process; the report must stay valid UTF-8.
std::string textOf(const AxRead& read) {
  const auto* s = std::get_if<std::string>(&read.value);
  return s == nullptr ? std::string() : text::sanitizeUtf8(*s);
}

// Reads the four attributes in their fixed order. The title and the size count only on a
// successful read; the subrole and the minimised flag only by the type of the value.
WinInfo readWindow(Accessibility& ax, const AxElement& window) {
  WinInfo info;
  const AxRead title = ax.copyAttribute(window, kAxTitle);
  if (title.error == kAxSuccess) info.title = textOf(title);
  info.subRole = textOf(ax.copyAttribute(window, kAxSubrole));
  const AxRead size = ax.copyAttribute(window, kAxSize);
  if (size.error == kAxSuccess) {
    if (const auto* s = std::get_if<WinSize>(&size.value)) info.size = *s;
  }
  const AxRead minimized = ax.copyAttribute(window, kAxMinimized);
  if (const bool* m = std::get_if<bool>(&minimized.value)) info.minimized = *m;
  return info;
}

std::string windowLine(std::size_t index, const WinInfo& w) {
  return "  AX[" + std::to_string(index) + "]: \"" + w.title + "\" subrole=" + w.subRole + " " +
         truncatedPoints(w.size.width) + "x" + truncatedPoints(w.size.height) + "\n";
}

}  // namespace

std::string truncatedPoints(double points) {
  if (std::isnan(points)) return "nan";
  if (std::isinf(points)) return points < 0 ? "-inf" : "inf";
  const double whole = std::trunc(points);
  // 2^63 is exact as a double; the int64 range is [-2^63, 2^63).
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (whole >= -kTwoTo63 && whole < kTwoTo63) {
    return std::to_string(static_cast<int64_t>(whole));
  }
  return text::wholeDecimal(whole);
}

AxScan detectViaAccessibility(RunningApps& apps, Accessibility& ax, SessionNameCache& cache) {
  AxScan scan;
  scan.debugInfo = "--- AX Detection ---\n";
  const std::vector<RunningInstance> instances = apps.runningInstances(kBundleID);
  if (instances.empty()) {
    scan.debugInfo += "  App not running\n";
    return scan;
  }
  const AxElement application = ax.applicationElement(instances.front().processIdentifier);
  AxRead list = ax.copyAttribute(application, kAxWindows);
  auto* elements = std::get_if<std::vector<AxElement>>(&list.value);
  if (list.error != kAxSuccess || elements == nullptr) {
    scan.debugInfo += "  Could not get AX windows (result: " + std::to_string(list.error) + ")\n";
    scan.windowListRefused = list.error != kAxSuccess;
    return scan;
  }
  scan.debugInfo += "  AX windows found: " + std::to_string(elements->size()) + "\n";
  std::vector<WinInfo> windows;
  windows.reserve(elements->size());
  for (std::size_t i = 0; i < elements->size(); ++i) {
    // Taken out of the list so that each window is released once its attributes are read.
    const AxElement window = std::move((*elements)[i]);
    windows.push_back(readWindow(ax, window));
    scan.debugInfo += windowLine(i, windows.back());
  }
  Classification found = classifyWindows(windows, scan.debugInfo, cache);
  scan.debugInfo += "  AX final: " + std::to_string(found.names.size()) + " named, " +
                    std::to_string(found.unnamedCount) + " unnamed\n";
  scan.names = std::move(found.names);
  scan.unnamedCount = found.unnamedCount;
  scan.idlePanels = std::move(found.idlePanels);
  scan.verdicts = std::move(found.verdicts);
  return scan;
}

}  // namespace velmora
