// A small compositor for velmora-sim's terminal screen: blocks of styled text placed at a row
// and column, each cut to its width in terminal columns, drawn row by row. Every text passes
// visibleText on its way in, so nothing a window title holds can reach the terminal as a
// control; and nothing is drawn past the screen's edge or into the bottom right corner, so the
// terminal never wraps or scrolls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sim {

// A piece of a line: text, and the SGR sequence it is drawn in (empty: the default style).
struct Span {
  std::string text;
  std::string style;
};
using Spans = std::vector<Span>;

struct FittedSpans {
  Spans spans;
  std::size_t width = 0;  // the columns they take
};

// `spans` within `columns`: whole when they fit, else cut a column short of it, whole
// characters only, and ended with "…" in the style of the span that was cut. Texts are taken
// as they are: give visible text.
[[nodiscard]] FittedSpans fitSpans(const Spans& spans, std::size_t columns);

// The columns `visible` takes on the terminal.
[[nodiscard]] int widthOf(std::string_view visible);
// `s` `times` times over (nothing for a count below 1): rules and borders.
[[nodiscard]] std::string repeat(std::string_view s, int times);

// The bytes that move the cursor to `row` and `column` (0 = the top left cell).
[[nodiscard]] std::string cursorTo(int row, int column);
// The bytes that leave the cursor where it does no harm on a screen of `rows` rows: the start of
// the bottom row.
[[nodiscard]] std::string parkCursor(int rows);

class Screen {
 public:
  // At least one column and one row.
  Screen(int columns, int rows);

  [[nodiscard]] int columns() const { return columns_; }
  [[nodiscard]] int rows() const { return rows_; }

  // Draws `spans` at `row` (0 = top) from `column`, fitted to `width` columns and the screen's
  // edge; with a `fill` style, the rest of `width` is spaces in that style. A block that starts
  // inside an earlier block of its row starts where that one ends. Rows outside the screen are
  // ignored.
  void put(int row, int column, int width, const Spans& spans, std::string_view fill = {});

  // The bytes that draw each row, from its first column to its end (an empty row is cleared):
  // each row on its own, so that a row that did not change need not be drawn again.
  [[nodiscard]] std::vector<std::string> renderRows() const;
  // The bytes that draw the whole screen, every row, with the cursor parked.
  [[nodiscard]] std::string render() const;

 private:
  struct Block {
    int column;
    int width;
    Spans spans;
    std::string fill;
  };

  int columns_;
  int rows_;
  std::vector<std::vector<Block>> blocks_;  // per row, in the order put
};

}  // namespace velmora::sim
