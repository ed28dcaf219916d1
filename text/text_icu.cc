// ICU implementation of the text layer, used on every platform but Apple's. Text stays UTF-8
// throughout: ASCII takes the fast paths of text/ascii.h, and ICU normalises, upper-cases and
// finds character breaks on the UTF-8 itself. Only ill-formed input is first repaired.
#include "text/text.h"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "text/ascii.h"
#include "text/control_escape.h"
#include "text/width_table.h"

namespace velmora::text {
namespace {

icu::StringPiece piece(std::string_view s) {
  return icu::StringPiece(s.data(), static_cast<int32_t>(s.size()));
}

icu::UnicodeString fromUtf8(std::string_view s) {
  // fromUTF8 maps each ill-formed sequence to U+FFFD.
  return icu::UnicodeString::fromUTF8(piece(s));
}

std::string toUtf8(const icu::UnicodeString& u) {
  std::string out;
  u.toUTF8String(out);
  return out;
}

// `s` when it is valid UTF-8; otherwise its repair, kept in `repaired`.
std::string_view validUtf8(std::string_view s, std::string& repaired) {
  if (isValidUtf8(s)) return s;
  repaired = toUtf8(fromUtf8(s));
  return repaired;
}

bool isTrimmed(UChar32 c) {
  if (c == 0x09 || (c >= 0x0A && c <= 0x0D) || c == 0x85) return true;
  const int8_t type = u_charType(c);
  return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

const icu::Normalizer2* nfc() {
  static const icu::Normalizer2* instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
  }();
  return instance;
}

// One character break iterator for the process; the core runs on one thread.
icu::BreakIterator* characterBreaks() {
  static std::unique_ptr<icu::BreakIterator> instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) it.reset();
    return it;
  }();
  return instance.get();
}

// The character break iterator walking UTF-8 in place, for one walk. Offsets are bytes into
// the text (at most INT32_MAX of it); an ill-formed sequence reads as U+FFFD.
class Utf8Graphemes {
 public:
  static constexpr std::size_t kDone = SIZE_MAX;

  explicit Utf8Graphemes(std::string_view s) : breaks_(characterBreaks()) {
    UErrorCode status = U_ZERO_ERROR;
    const auto length = static_cast<int64_t>(std::min<std::size_t>(s.size(), INT32_MAX));
    text_ = utext_openUTF8(nullptr, s.data(), length, &status);
    if (U_SUCCESS(status) && breaks_ != nullptr) breaks_->setText(text_, status);
    if (U_FAILURE(status)) breaks_ = nullptr;  // cannot happen short of running out of memory
  }
  ~Utf8Graphemes() {
    static const icu::UnicodeString kNothing;
    if (breaks_ != nullptr) breaks_->setText(kNothing);  // it must not keep a view of the text
    utext_close(text_);
  }
  Utf8Graphemes(const Utf8Graphemes&) = delete;
  Utf8Graphemes& operator=(const Utf8Graphemes&) = delete;

  [[nodiscard]] bool ok() const { return breaks_ != nullptr; }
  [[nodiscard]] UText* text() const { return text_; }
  // The offset after the next user-perceived character, or kDone at the end.
  std::size_t next() {
    const int32_t to = breaks_->next();
    return to == icu::BreakIterator::DONE ? kDone : static_cast<std::size_t>(to);
  }

 private:
  icu::BreakIterator* breaks_;
  UText* text_ = nullptr;
};

// ASCII text splits into one user-perceived character per byte, but for CR LF.
bool isAsciiOneBytePerCharacter(std::string_view s) {
  return ascii::isAscii(s) && s.find('\r') == std::string_view::npos;
}

constexpr UChar32 kEmojiPresentationSelector = 0xFE0F;

bool isPrintableAscii(unsigned char c) {
  return c >= 0x20 && c < 0x7F;
}

// Columns of the user-perceived character at native indexes [from, to) of `text`.
std::size_t clusterColumns(UText* text, int64_t from, int64_t to) {
  const UChar32 base = utext_char32At(text, from);
  bool selector = false;
  utext_setNativeIndex(text, from);
  while (utext_getNativeIndex(text) < to) {
    selector |= utext_next32(text) == kEmojiPresentationSelector;
  }
  return columnsOf(static_cast<char32_t>(base), selector);
}

struct ColumnCut {
  std::size_t bytes = 0;    // the kept start of the text
  std::size_t columns = 0;  // what it takes
};

// The longest start of `s` in whole user-perceived characters within `limit` columns. The
// break iterator walks the UTF-8 in place, so a cut of a huge text only reads what it keeps.
ColumnCut cutByColumns(std::string_view s, std::size_t limit) {
  ColumnCut cut;
  // ASCII needs no tables: one column per printable character, none per control.
  for (; cut.bytes < s.size() && static_cast<unsigned char>(s[cut.bytes]) < 0x80; ++cut.bytes) {
    const std::size_t width = isPrintableAscii(static_cast<unsigned char>(s[cut.bytes])) ? 1 : 0;
    if (cut.columns + width > limit) return cut;
    cut.columns += width;
  }
  if (cut.bytes == s.size()) return cut;
  // A printable ASCII character may carry the combining marks that follow it: start there.
  if (cut.bytes > 0 && isPrintableAscii(static_cast<unsigned char>(s[cut.bytes - 1]))) {
    --cut.bytes;
    --cut.columns;
  }
  const std::size_t start = cut.bytes;
  Utf8Graphemes graphemes(s.substr(start));
  if (!graphemes.ok()) return cut;
  std::size_t from = 0;
  for (std::size_t to = graphemes.next(); to != Utf8Graphemes::kDone;
       from = to, to = graphemes.next()) {
    const std::size_t width =
        clusterColumns(graphemes.text(), static_cast<int64_t>(from), static_cast<int64_t>(to));
    if (cut.columns + width > limit) break;
    cut.columns += width;
    cut.bytes = start + to;
  }
  return cut;
}

}  // namespace

bool isValidUtf8(std::string_view s) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  for (std::size_t i = 0; i < s.size();) {
    i += ascii::prefixLength(s.substr(i));
    if (i == s.size()) break;
    UChar32 c = 0;
    U8_NEXT(bytes, i, s.size(), c);
    if (c < 0) return false;
  }
  return true;
}

std::string sanitizeUtf8(std::string_view s) {
  if (isValidUtf8(s)) return std::string(s);
  return toUtf8(fromUtf8(s));
}

std::string_view trimmedView(std::string_view s) {
  if (ascii::isAscii(s)) return ascii::trimmed(s);
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  std::size_t begin = 0;
  while (begin < s.size()) {
    std::size_t next = begin;
    UChar32 c = 0;
    U8_NEXT(bytes, next, s.size(), c);
    if (c < 0 || !isTrimmed(c)) break;
    begin = next;
  }
  std::size_t end = s.size();
  while (end > begin) {
    // A code point takes at most four bytes: look back from a base that int32_t offsets reach.
    const std::size_t base = end - std::min<std::size_t>(end - begin, 4);
    auto offset = static_cast<int32_t>(end - base);
    UChar32 c = 0;
    U8_PREV(bytes + base, 0, offset, c);
    if (c < 0 || !isTrimmed(c)) break;
    end = base + static_cast<std::size_t>(offset);
  }
  return s.substr(begin, end - begin);
}

std::string upper(std::string_view s) {
  if (ascii::isAscii(s)) {
    std::string out(s);
    for (char& c : out) c = ascii::upper(c);
    return out;
  }
  std::string repaired;
  const std::string_view valid = validUtf8(s, repaired);
  std::string out;
  out.reserve(valid.size());
  icu::StringByteSink<std::string> sink(&out);
  UErrorCode status = U_ZERO_ERROR;
  // "" is the root locale: the language-independent mapping.
  icu::CaseMap::utf8ToUpper("", 0, piece(valid), sink, nullptr, status);
  return U_SUCCESS(status) ? out : std::string(valid);
}

std::string comparisonKey(std::string_view s) {
  if (ascii::isAscii(s)) return std::string(s);
  std::string repaired;
  const std::string_view valid = validUtf8(s, repaired);
  const icu::Normalizer2* n = nfc();
  if (n == nullptr) return std::string(valid);
  std::string key;
  key.reserve(valid.size());
  icu::StringByteSink<std::string> sink(&key);
  UErrorCode status = U_ZERO_ERROR;
  n->normalizeUTF8(0, piece(valid), sink, nullptr, status);
  return U_SUCCESS(status) ? key : std::string(valid);
}

bool isNfc(std::string_view s) {
  if (ascii::isAscii(s)) return true;
  if (!isValidUtf8(s)) return false;
  const icu::Normalizer2* n = nfc();
  if (n == nullptr) return true;  // comparisonKey then keeps every valid text as it is
  UErrorCode status = U_ZERO_ERROR;
  const bool normalized = n->isNormalizedUTF8(piece(s), status);
  return U_FAILURE(status) || normalized;
}

std::size_t graphemeCount(std::string_view s) {
  if (isAsciiOneBytePerCharacter(s)) return s.size();
  std::string repaired;
  const std::string_view valid = validUtf8(s, repaired);
  Utf8Graphemes graphemes(valid);
  if (!graphemes.ok()) return static_cast<std::size_t>(fromUtf8(valid).countChar32());
  std::size_t count = 0;
  while (graphemes.next() != Utf8Graphemes::kDone) ++count;
  return count;
}

std::string takeGraphemes(std::string_view s, std::size_t n) {
  if (isAsciiOneBytePerCharacter(s)) return std::string(s.substr(0, n));
  std::string repaired;
  const std::string_view valid = validUtf8(s, repaired);
  Utf8Graphemes graphemes(valid);
  if (!graphemes.ok()) {
    const icu::UnicodeString u = fromUtf8(valid);
    return toUtf8(icu::UnicodeString(u, 0, u.moveIndex32(0, static_cast<int32_t>(n))));
  }
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < n; ++taken) {
    const std::size_t next = graphemes.next();
    if (next == Utf8Graphemes::kDone) break;
    end = next;
  }
  return std::string(valid.substr(0, end));
}

std::size_t displayWidth(std::string_view s) {
  return cutByColumns(s, SIZE_MAX).columns;
}

std::string cutToWidth(std::string_view s, std::size_t columns) {
  return sanitizeUtf8(s.substr(0, cutByColumns(s, columns).bytes));
}

namespace {

// Controls and format characters, line and paragraph separators (which terminals draw in no
// column, or as a line break), and code points with no character: unassigned ones and
// noncharacters (general category Cn).
bool isShownEscaped(UChar32 c) {
  switch (u_charType(c)) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
    case U_UNASSIGNED:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string showControls(std::string_view s) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t ascii = ascii::prefixLength(s.substr(i));
    appendAsciiShowingControls(s.substr(i, ascii), out);
    i += ascii;
    if (i == s.size()) break;
    const std::size_t start = i;
    UChar32 c = 0;
    U8_NEXT_OR_FFFD(bytes, i, s.size(), c);
    if (isShownEscaped(c)) {
      appendControlEscape(static_cast<unsigned>(c), out);
    } else if (c == 0xFFFD) {
      out += "\uFFFD";
    } else {
      out.append(s.substr(start, i - start));
    }
  }
  return out;
}

}  // namespace velmora::text
