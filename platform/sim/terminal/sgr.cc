#include "platform/sim/terminal/sgr.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace velmora::sim {
namespace {

struct Rgb {
  int red, green, blue;
};

Rgb rgbOf(const Color& c) {
  const auto channel = [](double v) { return static_cast<int>(std::clamp(v, 0.0, 1.0) * 255.0); };
  return {channel(c.red), channel(c.green), channel(c.blue)};
}

int distance(const Rgb& a, const Rgb& b) {
  return (a.red - b.red) * (a.red - b.red) + (a.green - b.green) * (a.green - b.green) +
         (a.blue - b.blue) * (a.blue - b.blue);
}

// xterm's 256 colours: a 6x6x6 cube from 16 (levels 0, 95, 135, ..., 255) and a grey ramp
// from 232 (8, 18, ..., 238).
int paletteIndex(const Rgb& rgb) {
  const auto level = [](int v) { return v < 48 ? 0 : v < 115 ? 1 : (v - 35) / 40; };
  const auto value = [](int l) { return l == 0 ? 0 : 55 + 40 * l; };
  const Rgb cube{value(level(rgb.red)), value(level(rgb.green)), value(level(rgb.blue))};
  const int cubeIndex = 16 + 36 * level(rgb.red) + 6 * level(rgb.green) + level(rgb.blue);
  const int grey = std::clamp(((rgb.red + rgb.green + rgb.blue) / 3 - 3) / 10, 0, 23);
  const Rgb ramp{8 + 10 * grey, 8 + 10 * grey, 8 + 10 * grey};
  return distance(ramp, rgb) < distance(cube, rgb) ? 232 + grey : cubeIndex;
}

std::string sgr(int ground, const Color& color, ColorDepth depth) {
  const Rgb rgb = rgbOf(color);
  char buffer[32];
  if (depth == ColorDepth::kTrue) {
    std::snprintf(buffer, sizeof buffer, "\x1b[%d;2;%d;%d;%dm", ground, rgb.red, rgb.green,
                  rgb.blue);
  } else {
    std::snprintf(buffer, sizeof buffer, "\x1b[%d;5;%dm", ground, paletteIndex(rgb));
  }
  return buffer;
}

}  // namespace

ColorDepth colorDepthFromEnvironment() {
  const char* value = std::getenv("COLORTERM");
  const std::string_view colorterm = value == nullptr ? "" : value;
  return colorterm == "truecolor" || colorterm == "24bit" ? ColorDepth::kTrue : ColorDepth::k256;
}

std::string foregroundSgr(const Color& color, ColorDepth depth) {
  return sgr(38, color, depth);
}

std::string backgroundSgr(const Color& color, ColorDepth depth) {
  return sgr(48, color, depth);
}

}  // namespace velmora::sim
