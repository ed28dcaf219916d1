// What the terminal shows, row by row, as velmora-sim last wrote it. A new frame is written as
// the rows that differ from it: a screen where only the clock moved costs one row, and one
// where nothing moved costs nothing, so an idle program writes next to nothing.
#pragma once

#include <string>
#include <vector>

namespace velmora::sim {

class ShownFrame {
 public:
  // The bytes that turn what the terminal shows into `rows` (each row's bytes as
  // Screen::renderRows makes them, for a screen `columns` wide): the rows that differ, then the
  // cursor parked; empty when none differs. What the terminal shows is then `rows`.
  [[nodiscard]] std::string update(int columns, std::vector<std::string> rows);

  // What the terminal shows is unknown (its screen was cleared or given back, or output was
  // dropped): the next update writes every row.
  void forget();

 private:
  int columns_ = 0;
  std::vector<std::string> rows_;
};

}  // namespace velmora::sim
