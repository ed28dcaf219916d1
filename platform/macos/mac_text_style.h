// The core's text attributes as AppKit attributed strings. Objective-C++ only.
#pragma once

#import <AppKit/AppKit.h>

#include <string_view>

#include "app/config.h"
#include "ui/style.h"
#include "ui/title_model.h"

namespace velmora::mac {

// The system font at `size` points: regular means no weight given (systemFontOfSize:).
[[nodiscard]] NSFont* systemFont(double size, FontWeight weight);

// RGB components as they are, the named kinds as the platform's own colours, which follow the
// appearance where AppKit defines them so.
[[nodiscard]] NSColor* platformColor(const Color& color);

// One run of text with the style's font and, when it has one, its foreground colour.
[[nodiscard]] NSAttributedString* attributedText(std::string_view text, const TextStyle& style);
[[nodiscard]] NSAttributedString* attributedText(const TitleRun& run);

}  // namespace velmora::mac
