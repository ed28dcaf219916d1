// Text attributes shared by the status-bar title and the menu: the presenter maps them to the
// platform's system font and colours.
#pragma once

#include <optional>

#include "app/config.h"

namespace velmora {

enum class FontWeight { kRegular, kMedium, kSemibold };

// Font size in points and weight of the system font, and a foreground colour; no colour means
// the platform's default for that place.
struct TextStyle {
  double fontSize = 13.0;
  FontWeight weight = FontWeight::kRegular;
  std::optional<Color> color;

  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

}  // namespace velmora
