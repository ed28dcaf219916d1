#include "platform/sim/tui/client_panel.h"

#include <algorithm>

#include "detect/ax_scan.h"
#include "platform/sim/desktop/sim_accessibility.h"
#include "platform/sim/output/visible_text.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

constexpr const char* kBold = "\x1b[1m";
constexpr const char* kDim = "\x1b[2m";
constexpr const char* kSeparator = " \u00b7 ";
constexpr std::string_view kNotSeen = "not seen yet";  // new or changed since the last pass
constexpr std::string_view kNotRead = "not read";      // that pass could not read the windows
// Below this the subrole and size columns go, so that the title keeps some room.
constexpr int kShortestTitle = 12;

bool contains(const std::string& s, std::string_view part) {
  return s.find(part) != std::string::npos;
}

std::string listState(const SimWindowList& list) {
  switch (list.kind) {
    case SimWindowList::Kind::kError:
      if (list.error == kAxErrorApiDisabled) return "Accessibility refused (-25211)";
      if (list.error == kAxErrorCannotComplete) return "not answering (-25204)";
      return "window list fails (" + std::to_string(list.error) + ")";
    case SimWindowList::Kind::kNotAList:
      return "window list is not a list";
    case SimWindowList::Kind::kWindows:
      break;
  }
  return "";
}

std::string scriptState(const SimListingAnswer& script) {
  switch (script.kind) {
    case SimListingAnswer::Kind::kError:
      if (contains(script.text, "-1743")) return "Automation refused (-1743)";
      if (contains(script.text, "-1712")) return "listing timed out (-1712)";
      return "listing fails: " + script.text;
    case SimListingAnswer::Kind::kText:
      return "listing answers its own text";
    case SimListingAnswer::Kind::kNoText:
      return "listing answers nothing";
    case SimListingAnswer::Kind::kNoScriptObject:
      return "no listing script object";
    case SimListingAnswer::Kind::kFromWindows:
      break;
  }
  return "";
}

std::string titleCell(const SimAttribute& a) {
  switch (a.kind) {
    case SimAttribute::Kind::kText:
      return "\"" + visibleText(a.text) + "\"";
    case SimAttribute::Kind::kMissing:
      return "(no title)";
    default:
      return "(title not text)";
  }
}

std::string subroleCell(const SimAttribute& a) {
  switch (a.kind) {
    case SimAttribute::Kind::kText:
      return visibleText(a.text);
    case SimAttribute::Kind::kMissing:
      return "(no subrole)";
    default:
      return "(not text)";
  }
}

std::string sizeCell(const SimAttribute& a) {
  switch (a.kind) {
    case SimAttribute::Kind::kSize:
      return truncatedPoints(a.size.width) + "x" + truncatedPoints(a.size.height);
    case SimAttribute::Kind::kMissing:
      return "(no size)";
    default:
      return "(not a size)";
  }
}

bool minimised(const SimAttribute& a) {
  return a.kind == SimAttribute::Kind::kBool && a.flag;
}

// Verdicts that name a session stand out.
std::string verdictStyle(WindowVerdict v) {
  switch (v) {
    case WindowVerdict::kSession:
    case WindowVerdict::kUnnamedBackground:
    case WindowVerdict::kFullScreenDesktopCached:
    case WindowVerdict::kFullScreenDesktopPlaceholder:
    case WindowVerdict::kDesktopCached:
    case WindowVerdict::kDesktopPlaceholder:
      return kBold;
    default:
      return "";
  }
}

Span padded(std::string s, int width, std::string style = "") {
  const int pad = std::max(0, width - widthOf(s));
  return {std::move(s) + std::string(static_cast<std::size_t>(pad), ' '), std::move(style)};
}

// A window's cells but its title, which only a line shown needs.
struct Row {
  std::string subrole, size, verdict, style;
  bool minimised = false;
};

Row rowOf(const SimWindow& w, SeenWindow seen) {
  Row row{subroleCell(w.subrole), sizeCell(w.size), std::string(kNotSeen), kDim,
          minimised(w.minimized)};
  if (seen.kind == SeenWindow::Kind::kVerdict) {
    row.verdict = verdictName(seen.verdict);
    row.style = verdictStyle(seen.verdict);
  } else if (seen.kind == SeenWindow::Kind::kNotRead) {
    row.verdict = kNotRead;
  }
  return row;
}

}  // namespace

std::string clientHeading(const SimClientState& client) {
  std::string heading = "Windows App: ";
  if (client.instances <= 0) return heading + "not running";
  heading += "running (pid " + std::to_string(client.pid);
  if (client.instances > 1) heading += ", " + std::to_string(client.instances) + " instances";
  heading += ")";
  for (const std::string& part : {listState(client.ax), scriptState(client.script)}) {
    if (!part.empty()) heading += kSeparator + part;
  }
  if (client.refusesQuit) heading += std::string(kSeparator) + "refuses to quit";
  const std::size_t n = client.ax.windows.size();
  return heading + kSeparator + std::to_string(n) + (n == 1 ? " window" : " windows");
}

std::vector<Spans> windowLines(const SimClientState& client, const std::vector<SeenWindow>& seen,
                               int columns, std::size_t limit) {
  if (client.instances <= 0) return {};
  const std::vector<SimWindow>& windows = client.ax.windows;
  const auto seenAt = [&](std::size_t i) { return i < seen.size() ? seen[i] : SeenWindow{}; };
  // Every window sets the columns' widths; only the shown ones are kept.
  std::vector<Row> rows;
  int subroleWidth = 0, sizeWidth = 0, verdictWidth = 0;
  bool anyMinimised = false;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    Row row = rowOf(windows[i], seenAt(i));
    subroleWidth = std::max(subroleWidth, widthOf(row.subrole));
    sizeWidth = std::max(sizeWidth, widthOf(row.size));
    verdictWidth = std::max(verdictWidth, widthOf(row.verdict));
    anyMinimised |= row.minimised;
    if (i < limit) rows.push_back(std::move(row));
  }
  // The subrole goes first, then the size, so that the title keeps some room.
  bool withSubrole = true, withSize = true;
  const auto titleWidth = [&] {
    return columns - 2 - (withSubrole ? subroleWidth + 2 : 0) -
           (withSize ? sizeWidth + 2 + (anyMinimised ? 11 : 0) : 0) - verdictWidth - 2;
  };
  if (titleWidth() < kShortestTitle) withSubrole = false;
  if (titleWidth() < kShortestTitle) withSize = false;
  const int title = std::max(1, titleWidth());

  std::vector<Spans> lines;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    const FittedSpans fitted =
        fitSpans({{titleCell(windows[i].title), ""}}, static_cast<std::size_t>(title));
    Spans line{{"  ", ""}};
    line.insert(line.end(), fitted.spans.begin(), fitted.spans.end());
    line.push_back(padded("", title - static_cast<int>(fitted.width) + 2));
    if (withSubrole) line.push_back(padded(r.subrole, subroleWidth + 2, kDim));
    if (withSize) {
      line.push_back(padded(r.size, sizeWidth + 2));
      if (anyMinimised) line.push_back({r.minimised ? "minimised  " : "           ", kDim});
    }
    line.push_back({r.verdict, r.style});
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace velmora::sim
