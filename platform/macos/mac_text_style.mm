#include "platform/macos/mac_text_style.h"

#include "platform/macos/cf_string.h"

namespace velmora::mac {

NSFont* systemFont(double size, FontWeight weight) {
  switch (weight) {
    case FontWeight::kMedium:
      return [NSFont systemFontOfSize:size weight:NSFontWeightMedium];
    case FontWeight::kSemibold:
      return [NSFont systemFontOfSize:size weight:NSFontWeightSemibold];
    case FontWeight::kRegular:
      break;
  }
  return [NSFont systemFontOfSize:size];
}

NSColor* platformColor(const Color& color) {
  switch (color.kind) {
    case Color::Kind::kGray:
      return [NSColor grayColor];
    case Color::Kind::kSecondaryLabel:
      return [NSColor secondaryLabelColor];
    case Color::Kind::kSystemRed:
      return [NSColor systemRedColor];
    case Color::Kind::kRgb:
      break;
  }
  return [NSColor colorWithRed:color.red green:color.green blue:color.blue alpha:color.alpha];
}

NSAttributedString* attributedText(std::string_view text, const TextStyle& style) {
  NSMutableDictionary<NSAttributedStringKey, id>* attributes = [NSMutableDictionary dictionary];
  attributes[NSFontAttributeName] = systemFont(style.fontSize, style.weight);
  if (style.color) attributes[NSForegroundColorAttributeName] = platformColor(*style.color);
  return [[NSAttributedString alloc] initWithString:nsString(text) attributes:attributes];
}

NSAttributedString* attributedText(const TitleRun& run) {
  return attributedText(run.text, TextStyle{run.fontSize, run.weight, run.color});
}

}  // namespace velmora::mac
