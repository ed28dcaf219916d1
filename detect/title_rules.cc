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
  const auto upper = [](char c) { return text::ascii::upper(c); };
  return fragments().foundIn(trimmed, upper) ? TitleExclusion::kFragment : TitleExclusion::kNone;
}

// The same tests on the trimmed title's key, and on that upper-cased, again in NFC.
TitleExclusion unicodeExclusion(std::string_view trimmedKey) {
  if (isExcludedName(trimmedKey)) return TitleExclusion::kName;
  std::string upper = text::upper(trimmedKey);
  if (!text::isNfc(upper)) upper = text::comparisonKey(upper);
  return fragments().foundIn(upper, [](char c) { return c; }) ? TitleExclusion::kFragment
                                                              : TitleExclusion::kNone;
}

// The comparison key of `title` as a view: the title itself, or its separate key.
std::string_view keyView(std::string_view title, const TitleKey& key) {
  return key.separate.empty() ? title : std::string_view(key.separate);
}

TitleExclusion exclusionOf(std::string_view title, std::string_view key) {
  const std::string_view trimmed = text::trimmedView(title);
  if (text::ascii::isAscii(trimmed)) return asciiExclusion(trimmed);
  // Mostly there is nothing to trim, and the title's key serves.
  if (trimmed.size() == title.size()) return unicodeExclusion(key);
  const TitleKey trimmedKey = titleKey(trimmed);
  return unicodeExclusion(keyView(trimmed, trimmedKey));
}

}  // namespace

TitleKey titleKey(std::string_view title) {
  TitleKey key;
  if (!text::isNfc(title)) key.separate = text::comparisonKey(title);
  const std::string_view view = keyView(title, key);
  for (std::string_view p : kDesktopPlaceholderNames) {
    if (view == p) {
      key.placeholder = p;
      break;
    }
  }
  return key;
}

TitleFacts titleFacts(std::string_view title) {
  TitleFacts facts{titleKey(title)};
  facts.exclusion = exclusionOf(title, keyView(title, facts.key));
  return facts;
}

TitleExclusion titleExclusion(std::string_view title) {
  return titleFacts(title).exclusion;
}

bool isExcludedTitle(std::string_view title) {
  return titleExclusion(title) != TitleExclusion::kNone;
}

std::optional<std::string_view> placeholderName(std::string_view title) {
  return titleKey(title).placeholder;
}

}  // namespace velmora
