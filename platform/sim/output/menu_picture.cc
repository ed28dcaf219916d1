#include "platform/sim/output/menu_picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

#include "platform/sim/output/visible_text.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

// A Mac's menu metrics (macOS 11 and later), in points.
constexpr double kBarHeight = 24.0;
constexpr double kItemX = 12.0;   // where the status item starts in the strip
constexpr double kItemPad = 8.0;  // the item's text inside its highlight
constexpr double kRowHeight = 22.0;
constexpr double kSeparatorHeight = 11.0;
constexpr double kMenuPad = 5.0;     // above the first row and below the last
constexpr double kTextInset = 22.0;  // a title's start: the check-mark column is left of it
constexpr double kRightInset = 14.0;
constexpr double kMinMenuWidth = 180.0;
constexpr double kMargin = 16.0;  // around the menus, for their shadow

constexpr const char* kLabel = "rgba(0,0,0,0.85)";
constexpr const char* kSecondary = "rgba(0,0,0,0.5)";
constexpr const char* kDisabled = "rgba(0,0,0,0.25)";
constexpr const char* kAccent = "rgb(0,100,225)";

// Points, to a tenth, the same on every machine and in every locale.
std::string pt(double v) {
  const long tenths = std::lround(v * 10.0);
  std::string s = std::to_string(tenths / 10);
  if (tenths % 10 != 0) s += "." + std::to_string(std::labs(tenths % 10));
  return s;
}

// No font metrics here: the system font's average advance is about 0.55 em a column.
double textWidth(const std::string& s, double size) {
  return static_cast<double>(text::displayWidth(visibleText(s))) * size * 0.55;
}

std::string colorOf(const Color& c) {
  if (c.kind == Color::Kind::kSecondaryLabel) return kSecondary;
  const auto byte = [](double v) {
    return std::to_string(std::lround(std::clamp(v, 0.0, 1.0) * 255));
  };
  return "rgb(" + byte(c.red) + "," + byte(c.green) + "," + byte(c.blue) + ")";
}

std::string weightOf(FontWeight w) {
  switch (w) {
    case FontWeight::kRegular:
      return "400";
    case FontWeight::kMedium:
      return "500";
    case FontWeight::kSemibold:
      return "600";
  }
  return "400";
}

std::string textElement(double x, double y, const std::string& content, const std::string& attrs) {
  return "<text x=\"" + pt(x) + "\" y=\"" + pt(y) + "\" " + attrs + ">" + xmlText(content) +
         "</text>\n";
}

double rowHeight(const MenuEntry& e) {
  return e.separator ? kSeparatorHeight : kRowHeight;
}

double menuHeight(const std::vector<MenuEntry>& menu) {
  double h = 2 * kMenuPad;
  for (const MenuEntry& e : menu) h += rowHeight(e);
  return h;
}

// What a row needs right of its title: the time column, a key equivalent or a submenu arrow.
double rightWidth(const MenuEntry& e) {
  if (!e.detail.empty()) return 24.0 + textWidth(e.detail, 13.0);
  if (!e.keyEquivalent.empty()) return 40.0;
  return e.submenu.empty() ? 0.0 : 28.0;
}

double menuWidth(const std::vector<MenuEntry>& menu) {
  double w = kMinMenuWidth;
  for (const MenuEntry& e : menu) {
    if (e.separator) continue;
    const double size = menuTextStyle(e.style).value_or(TextStyle{}).fontSize;
    w = std::max(w, kTextInset + textWidth(e.title, size) + rightWidth(e) + kRightInset);
  }
  return std::ceil(w);
}

// The title's font and colour attributes; white on the highlighted row.
std::string titleAttrs(const MenuEntry& e, bool highlighted) {
  const std::optional<TextStyle> style = menuTextStyle(e.style);
  const TextStyle font = style.value_or(TextStyle{});
  std::string fill = kLabel;
  if (highlighted) {
    fill = "#fff";
  } else if (style && style->color) {
    fill = colorOf(*style->color);
  } else if (!style && !e.enabled) {
    fill = kDisabled;  // a plain title is dimmed; an attributed one keeps its colours
  }
  return "font-size=\"" + pt(font.fontSize) + "\" font-weight=\"" + weightOf(font.weight) +
         "\" fill=\"" + fill + "\"";
}

// The right-hand part of a row whose top is `y` in a menu from `x` to `right`.
std::string rowRight(const MenuEntry& e, double right, double y, bool highlighted) {
  const std::string fill = highlighted ? "#fff" : kSecondary;
  const std::string attrs = "text-anchor=\"end\" font-size=\"13\" fill=\"" + fill + "\"";
  if (!e.detail.empty()) return textElement(right - kRightInset, y + 15, e.detail, attrs);
  if (!e.keyEquivalent.empty()) {
    std::string key = e.keyEquivalent;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
    return textElement(right - kRightInset, y + 15, "\u2318" + key, attrs);
  }
  if (e.submenu.empty()) return "";
  return "<path d=\"M" + pt(right - 17) + " " + pt(y + 7) + "l4 4-4 4\" fill=\"none\" stroke=\"" +
         (highlighted ? "#fff" : kLabel) + "\" stroke-width=\"1.5\"/>\n";
}

std::string row(const MenuEntry& e, double x, double width, double y, bool highlighted) {
  if (e.separator) {
    return "<path d=\"M" + pt(x + 10) + " " + pt(y + 5.5) + "h" + pt(width - 20) +
           "\" stroke=\"rgba(0,0,0,0.1)\"/>\n";
  }
  std::string out;
  if (highlighted) {
    out += "<rect x=\"" + pt(x + kMenuPad) + "\" y=\"" + pt(y) + "\" width=\"" +
           pt(width - 2 * kMenuPad) + "\" height=\"" + pt(kRowHeight) + "\" rx=\"4\" fill=\"" +
           kAccent + "\"/>\n";
  }
  const std::string fill = highlighted ? "#fff" : kLabel;
  if (e.checked) {
    out += textElement(x + 8, y + 15, "\u2713", "font-size=\"13\" fill=\"" + fill + "\"");
  }
  out += textElement(x + kTextInset, y + 15, e.title, titleAttrs(e, highlighted));
  return out + rowRight(e, x + width, y, highlighted);
}

// The first row with a submenu: the picture shows it open, as while the pointer rests on it.
std::optional<std::size_t> openRow(const std::vector<MenuEntry>& menu) {
  for (std::size_t i = 0; i < menu.size(); ++i) {
    if (!menu[i].separator && !menu[i].submenu.empty()) return i;
  }
  return std::nullopt;
}

// A menu whose top left corner is (x, y), with row `open` highlighted; the top of that row is
// put in `openTop`.
std::string menuBox(const std::vector<MenuEntry>& menu, double x, double y,
                    std::optional<std::size_t> open, double& openTop) {
  const double width = menuWidth(menu);
  std::string out = "<rect x=\"" + pt(x) + "\" y=\"" + pt(y) + "\" width=\"" + pt(width) +
                    "\" height=\"" + pt(menuHeight(menu)) +
                    "\" rx=\"6\" fill=\"#f6f6f6\" stroke=\"rgba(0,0,0,0.18)\" "
                    "stroke-width=\"0.5\" filter=\"url(#shadow)\"/>\n";
  double top = y + kMenuPad;
  for (std::size_t i = 0; i < menu.size(); ++i) {
    if (open == i) openTop = top;
    out += row(menu[i], x, width, top, open == i);
    top += rowHeight(menu[i]);
  }
  return out;
}

double itemWidth(const std::vector<TitleRun>& title) {
  double w = 2 * kItemPad;
  for (const TitleRun& run : title) w += textWidth(run.text, run.fontSize);
  return std::ceil(w);
}

// The strip across the top with the status item, highlighted while its menu is open.
std::string menuBar(const std::vector<TitleRun>& title, double width, bool open) {
  std::string out = "<rect width=\"" + pt(width) + "\" height=\"" + pt(kBarHeight) +
                    "\" fill=\"rgba(246,246,246,0.9)\"/>\n<path d=\"M0 " + pt(kBarHeight - 0.5) +
                    "h" + pt(width) + "\" stroke=\"rgba(0,0,0,0.12)\"/>\n";
  if (open) {
    out += "<rect x=\"" + pt(kItemX) + "\" y=\"2\" width=\"" + pt(itemWidth(title)) +
           "\" height=\"20\" rx=\"4\" fill=\"rgba(0,0,0,0.1)\"/>\n";
  }
  out += "<text x=\"" + pt(kItemX + kItemPad) + "\" y=\"16.5\">";
  for (const TitleRun& run : title) {
    out += "<tspan font-size=\"" + pt(run.fontSize) + "\" font-weight=\"" + weightOf(run.weight) +
           "\" fill=\"" + colorOf(run.color) + "\">" + xmlText(run.text) + "</tspan>";
  }
  return out + "</text>\n";
}

}  // namespace

std::string xmlText(const std::string& s) {
  std::string out;
  for (const char c : visibleText(s)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string menuPictureSvg(const std::vector<TitleRun>& title, const std::vector<MenuEntry>& menu) {
  const double menuTop = kBarHeight + 1;
  const std::optional<std::size_t> open = openRow(menu);
  double openTop = 0.0;
  std::string body = menu.empty() ? "" : menuBox(menu, kItemX, menuTop, open, openTop);
  double right = kItemX + (menu.empty() ? itemWidth(title) : menuWidth(menu));
  double bottom = menu.empty() ? kBarHeight : menuTop + menuHeight(menu);
  if (open) {
    const std::vector<MenuEntry>& sub = menu[*open].submenu;
    double unused = 0.0;
    body += menuBox(sub, right - 3, openTop - kMenuPad, std::nullopt, unused);
    bottom = std::max(bottom, openTop - kMenuPad + menuHeight(sub));
    right += menuWidth(sub) - 3;
  }
  const double width = std::ceil(right + kMargin);
  const double height = std::ceil(bottom + kMargin);
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + pt(width) + "\" height=\"" +
         pt(height) + "\" viewBox=\"0 0 " + pt(width) + " " + pt(height) +
         "\" xml:space=\"preserve\" style=\"white-space:pre\" font-family='-apple-system, \"SF Pro "
         "Text\", \"Helvetica Neue\", sans-serif'>\n"
         "<defs><filter id=\"shadow\" x=\"-20%\" y=\"-20%\" width=\"140%\" height=\"140%\">"
         "<feGaussianBlur in=\"SourceAlpha\" stdDeviation=\"6\"/><feOffset dy=\"4\"/>"
         "<feComponentTransfer><feFuncA type=\"linear\" slope=\"0.2\"/></feComponentTransfer>"
         "<feMerge><feMergeNode/><feMergeNode in=\"SourceGraphic\"/></feMerge></filter>"
         "</defs>\n<rect width=\"100%\" height=\"100%\" fill=\"#e9edf2\"/>\n" +
         menuBar(title, width, !menu.empty()) + body + "</svg>\n";
}

}  // namespace velmora::sim
