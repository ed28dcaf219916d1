#include "platform/sim/terminal/screen.h"

#include <algorithm>
#include <utility>

#include "platform/sim/output/visible_text.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

constexpr std::string_view kReset = "\x1b[0m";
constexpr std::string_view kEraseToEnd = "\x1b[K";
constexpr std::string_view kEllipsis = "\u2026";

// The spans' texts while they fit into `columns`; false when one had to be cut.
bool takeWhileFits(const Spans& spans, std::size_t columns, FittedSpans& out,
                   std::string& cutStyle) {
  for (const Span& s : spans) {
    std::string kept = text::cutToWidth(s.text, columns - out.width);
    const bool whole = kept.size() == s.text.size();
    out.width += text::displayWidth(kept);
    if (!kept.empty()) out.spans.push_back({std::move(kept), s.style});
    if (!whole) {
      cutStyle = s.style;
      return false;
    }
  }
  return true;
}

}  // namespace

int widthOf(std::string_view visible) {
  return static_cast<int>(text::displayWidth(visible));
}

std::string repeat(std::string_view s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

std::string cursorTo(int row, int column) {
  return "\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) + "H";
}

std::string parkCursor(int rows) {
  return cursorTo(std::max(rows, 1) - 1, 0);
}

FittedSpans fitSpans(const Spans& spans, std::size_t columns) {
  FittedSpans whole;
  std::string cutStyle;
  if (takeWhileFits(spans, columns, whole, cutStyle) || columns == 0) return whole;
  FittedSpans cut;
  (void)takeWhileFits(spans, columns - 1, cut, cutStyle);
  cut.spans.push_back({std::string(kEllipsis), cutStyle});
  cut.width += 1;
  return cut;
}

Screen::Screen(int columns, int rows)
    : columns_(std::max(columns, 1)),
      rows_(std::max(rows, 1)),
      blocks_(static_cast<std::size_t>(rows_)) {}

void Screen::put(int row, int column, int width, const Spans& spans, std::string_view fill) {
  if (row < 0 || row >= rows_ || column >= columns_ || width <= 0) return;
  Block block{std::max(column, 0), width, {}, std::string(fill)};
  for (const Span& s : spans) block.spans.push_back({visibleText(s.text), s.style});
  blocks_[static_cast<std::size_t>(row)].push_back(std::move(block));
}

std::vector<std::string> Screen::renderRows() const {
  std::vector<std::string> rendered;
  rendered.reserve(static_cast<std::size_t>(rows_));
  for (int row = 0; row < rows_; ++row) {
    std::string out = cursorTo(row, 0);
    // Writing the bottom right cell would make some terminals scroll.
    const int limit = row == rows_ - 1 ? columns_ - 1 : columns_;
    std::vector<Block> blocks = blocks_[static_cast<std::size_t>(row)];
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const Block& a, const Block& b) { return a.column < b.column; });
    int at = 0;
    for (const Block& b : blocks) {
      const int start = std::max(b.column, at);
      if (start >= limit) break;
      out += kReset;
      out.append(static_cast<std::size_t>(start - at), ' ');
      const int width = std::min(b.width, limit - start);
      const FittedSpans fitted = fitSpans(b.spans, static_cast<std::size_t>(width));
      for (const Span& s : fitted.spans) {
        out += kReset;
        out += s.style;
        out += s.text;
      }
      int end = start + static_cast<int>(fitted.width);
      if (!b.fill.empty() && end < start + width) {
        out += kReset;
        out += b.fill;
        out.append(static_cast<std::size_t>(start + width - end), ' ');
        end = start + width;
      }
      at = end;
    }
    out += kReset;
    if (at < columns_) out += kEraseToEnd;
    rendered.push_back(std::move(out));
  }
  return rendered;
}

std::string Screen::render() const {
  std::string out;
  for (const std::string& row : renderRows()) out += row;
  return out + parkCursor(rows_);
}

}  // namespace velmora::sim
