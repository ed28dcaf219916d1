#include "detect/title_rules.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/config.h"
#include "text/ascii.h"
#include "text/text.h"

namespace velmora {
namespace {

template <std::size_t N>
constexpr bool allAscii(const std::array<std::string_view, N>& table) {
  return std::all_of(table.begin(), table.end(), text::ascii::isAscii);
}

template <std::size_t N>
constexpr bool noneEmpty(const std::array<std::string_view, N>& table) {
  return std::none_of(table.begin(), table.end(), [](std::string_view s) { return s.empty(); });
}

// ASCII is in NFC, so these entries are their own comparison keys and compare bytewise.
static_assert(allAscii(kExcludedNames));
static_assert(allAscii(kDesktopPlaceholderNames));
// The fragment index files each fragment under its first byte.
static_assert(noneEmpty(kExcludedSubstrings));

bool isExcludedName(std::string_view key) {
  return std::find(kExcludedNames.begin(), kExcludedNames.end(), key) != kExcludedNames.end();
}

// kExcludedSubstrings as the fragment test looks for them, upper-cased and in NFC, filed by
// their first byte: one walk over a title tries at each position only the fragments that can
// start there.
class FragmentIndex {
 public:
  FragmentIndex() {
    for (std::string_view f : kExcludedSubstrings) {
      std::string upper = text::comparisonKey(text::upper(f));
      byFirstByte_[static_cast<unsigned char>(upper.front())].push_back(std::move(upper));
    }
  }

  // True when a fragment occurs in `text` once each of its bytes is mapped through `fold`.
  template <typename Fold>
  [[nodiscard]] bool foundIn(std::string_view text, Fold fold) const {
    for (std::size_t i = 0; i < text.size(); ++i) {
      for (const std::string& fragment : byFirstByte_[static_cast<unsigned char>(fold(text[i]))]) {
        if (fragment.size() <= text.size() - i &&
            std::equal(fragment.begin(), fragment.end(), text.begin() + i,
                       [&](char f, char t) { return f == fold(t); })) {
          return true;
        }
      }
    }
    return false;
  }

 private:
  std::array<std::vector<std::string>, 256> byFirstByte_;
};

const FragmentIndex& fragments() {
  static const FragmentIndex index;
  return index;
}

// ASCII is its own comparison key and upper-cases byte by byte: no Unicode work, no copy.
TitleExclusion asciiExclusion(std::string_view trimmed) {
  if (isExcludedName(trimmed)) return TitleExclusion::kName;
  return fragments().foundIn(trimmed, text::ascii::upper) ? TitleExclusion::kFragment
                                                          : TitleExclusion::kNone;
}

// The same tests on the title's NFC form and on that upper-cased, again in NFC.
TitleExclusion unicodeExclusion(std::string_view trimmed) {
  std::string normalized;
  if (!text::isNfc(trimmed)) normalized = text::comparisonKey(trimmed);
  const std::string_view key = normalized.empty() ? trimmed : normalized;
  if (isExcludedName(key)) return TitleExclusion::kName;
  std::string upper = text::upper(key);
  if (!text::isNfc(upper)) upper = text::comparisonKey(upper);
  return fragments().foundIn(upper, [](char c) { return c; }) ? TitleExclusion::kFragment
                                                              : TitleExclusion::kNone;
}

}  // namespace

TitleExclusion titleExclusion(std::string_view title) {
  const std::string_view trimmed = text::trimmedView(title);
  return text::ascii::isAscii(trimmed) ? asciiExclusion(trimmed) : unicodeExclusion(trimmed);
}

bool isExcludedTitle(std::string_view title) {
  return titleExclusion(title) != TitleExclusion::kNone;
}

std::optional<std::string_view> placeholderName(std::string_view title) {
  for (std::string_view p : kDesktopPlaceholderNames) {
    if (title == p) return p;
  }
  // A title that is its own key and differs from every entry is none of them.
  if (text::isNfc(title)) return std::nullopt;
  const std::string key = text::comparisonKey(title);
  for (std::string_view p : kDesktopPlaceholderNames) {
    if (key == p) return p;
  }
  return std::nullopt;
}

}  // namespace velmora
