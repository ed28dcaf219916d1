#include "app/launch_agent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/config.h"
#include "files/atomic_file.h"
#include "files/capped_read.h"
#include "files/unique_fd.h"
#include "text/text.h"

namespace velmora {
namespace {

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n"
    "\t<key>Label</key>\n"
    "\t<string>com.velmora.session-tracker</string>\n"
    "\t<key>AssociatedBundleIdentifiers</key>\n"
    "\t<array>\n"
    "\t\t<string>com.velmora.session-tracker</string>\n"
    "\t</array>\n"
    "\t<key>ProgramArguments</key>\n"
    "\t<array>\n"
    "\t\t<string>";
constexpr std::string_view kTail =
    "</string>\n"
    "\t</array>\n"
    "\t<key>RunAtLoad</key>\n"
    "\t<true/>\n"
    "\t<key>ProcessType</key>\n"
    "\t<string>Interactive</string>\n"
    "</dict>\n"
    "</plist>\n";

// What stands for `c` in XML character data, or nothing when it stands for itself. A carriage
// return is a character reference, as a parser would turn a literal one into a line feed.
std::string_view xmlEscape(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&apos;";
    case '\r':
      return "&#13;";
    default:
      return {};
  }
}

// `text` as XML character data; nothing for text that XML 1.0 cannot carry at all: ill-formed
// UTF-8, C0 controls but tab, line feed and carriage return, and the noncharacters U+FFFE and
// U+FFFF.
std::optional<std::string> xmlText(std::string_view text) {
  if (!text::isValidUtf8(text)) return std::nullopt;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = [&](std::size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    if (byte == 0xEF && next(1) == 0xBF && (next(2) & 0xFEu) == 0xBE) return std::nullopt;
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') return std::nullopt;
    const std::string_view escaped = xmlEscape(text[i]);
    if (escaped.empty()) {
      out += text[i];
    } else {
      out += escaped;
    }
  }
  return out;
}

// A strict walk over the markup of an XML property list: tags and the text between them.
class PlistScanner {
 public:
  explicit PlistScanner(std::string_view text) : rest_(text) {}

  void skipSpace() {
    while (!rest_.empty() &&
           (rest_[0] == ' ' || rest_[0] == '\t' || rest_[0] == '\n' || rest_[0] == '\r')) {
      rest_.remove_prefix(1);
    }
  }
  [[nodiscard]] bool atEnd() const { return rest_.empty(); }
  [[nodiscard]] bool startsWith(std::string_view s) const { return rest_.substr(0, s.size()) == s; }

  // The text before `end`, skipping both; nothing when `end` never comes.
  std::optional<std::string_view> upTo(std::string_view end) {
    const std::size_t at = rest_.find(end);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view before = rest_.substr(0, at);
    rest_.remove_prefix(at + end.size());
    return before;
  }

  // The inside of the next tag ("key", "/key", "true/"), after optional white space; nothing
  // when the next thing is not a tag or is a comment, declaration or instruction.
  std::optional<std::string_view> tag() {
    skipSpace();
    if (rest_.empty() || rest_[0] != '<') return std::nullopt;
    const std::size_t close = rest_.find('>');
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view inside = rest_.substr(1, close - 1);
    if (inside.empty() || inside[0] == '!' || inside[0] == '?') return std::nullopt;
    rest_.remove_prefix(close + 1);
    return inside;
  }

  // The text up to the next '<', as it is.
  std::string_view text() {
    const std::size_t open = std::min(rest_.find('<'), rest_.size());
    const std::string_view t = rest_.substr(0, open);
    rest_.remove_prefix(open);
    return t;
  }

  // `<name>text</name>`, the text as it is; nothing for any other shape.
  std::optional<std::string_view> simpleElement(std::string_view name) {
    if (tag() != name) return std::nullopt;
    const std::string_view t = text();
    if (rest_.substr(0, 2) != "</" || tag() != "/" + std::string(name)) return std::nullopt;
    return t;
  }

  // Skips one whole value element, its nesting checked; false when it is not well formed.
  bool skipValue() {
    std::vector<std::string_view> open;
    do {
      const std::optional<std::string_view> t = tag();
      if (!t) return false;
      if (t->back() == '/') {
        // An empty element such as <true/>: nothing opens.
      } else if ((*t)[0] == '/') {
        if (open.empty() || open.back() != t->substr(1)) return false;
        open.pop_back();
      } else {
        open.push_back(*t);
      }
      if (!open.empty()) (void)text();
    } while (!open.empty());
    return true;
  }

 private:
  std::string_view rest_;
};

// The prolog a plist file may start with: the XML declaration and the DOCTYPE, without an
// internal subset (which could declare entities).
bool skipProlog(PlistScanner& scan) {
  scan.skipSpace();
  if (scan.startsWith("<?xml") && !scan.upTo("?>")) return false;
  scan.skipSpace();
  if (scan.startsWith("<!DOCTYPE")) {
    const std::optional<std::string_view> doctype = scan.upTo(">");
    if (!doctype || doctype->find('[') != std::string_view::npos) return false;
  }
  return true;
}

bool isPlistTag(std::string_view t) {
  return t == "plist" || t.substr(0, 6) == "plist ";
}

}  // namespace

std::optional<std::string> launchAgentPlist(std::string_view executable) {
  if (executable.empty() || executable[0] != '/') return std::nullopt;
  const std::optional<std::string> path = xmlText(executable);
  if (!path) return std::nullopt;
  std::string out;
  out.reserve(kHead.size() + path->size() + kTail.size());
  out += kHead;
  out += *path;
  out += kTail;
  return out;
}

std::optional<std::string> launchAgentLabel(std::string_view text) {
  PlistScanner scan(text);
  if (!skipProlog(scan)) return std::nullopt;
  const std::optional<std::string_view> root = scan.tag();
  if (!root || !isPlistTag(*root) || scan.tag() != "dict") return std::nullopt;
  std::optional<std::string> label;
  for (;;) {
    scan.skipSpace();
    if (scan.startsWith("</dict>")) break;
    const std::optional<std::string_view> key = scan.simpleElement("key");
    if (!key) return std::nullopt;
    scan.skipSpace();
    if (*key != "Label") {
      if (!scan.skipValue()) return std::nullopt;
      continue;
    }
    const std::optional<std::string_view> value = scan.simpleElement("string");
    if (!value || label) return std::nullopt;  // not a string, or a second Label
    label = std::string(*value);
  }
  if (scan.tag() != "/dict" || scan.tag() != "/plist") return std::nullopt;
  scan.skipSpace();
  if (!scan.atEnd()) return std::nullopt;
  return label;
}

LaunchAgentFile readLaunchAgentFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    return errno == ENOENT ? LaunchAgentFile::kAbsent : LaunchAgentFile::kOther;
  }
  if (!S_ISREG(info.st_mode)) return LaunchAgentFile::kOther;
  // A link planted between the lstat and the open is not followed; a FIFO does not block.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.valid()) return LaunchAgentFile::kOther;
  const std::optional<std::string> bytes = readCapped(fd.get(), kMaxLaunchAgentBytes);
  if (!bytes || bytes->size() > kMaxLaunchAgentBytes) return LaunchAgentFile::kOther;
  return launchAgentLabel(*bytes) == kTrackerBundleID ? LaunchAgentFile::kOurs
                                                      : LaunchAgentFile::kOther;
}

Outcome writeLaunchAgent(const std::string& path, std::string_view executable) {
  const std::optional<std::string> text = launchAgentPlist(executable);
  if (!text) return Outcome{EINVAL};
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::path(path).parent_path();
  // A folder that cannot be made fails the write below, which says why.
  if (!dir.empty()) std::filesystem::create_directories(dir, ec);
  return writeFileAtomically(path, *text, 0644);
}

Outcome removeLaunchAgent(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  struct stat read {};
  if (!fd.valid() || ::fstat(fd.get(), &read) != 0) return Outcome{errno};
  const std::optional<std::string> bytes = readCapped(fd.get(), kMaxLaunchAgentBytes);
  if (!bytes || bytes->size() > kMaxLaunchAgentBytes) return Outcome{EEXIST};
  if (launchAgentLabel(*bytes) != kTrackerBundleID) return Outcome{EEXIST};
  // The name must still lead to the file that was read, not to one put there meanwhile.
  struct stat now {};
  if (::lstat(path.c_str(), &now) != 0) return Outcome{errno};
  if (now.st_dev != read.st_dev || now.st_ino != read.st_ino) return Outcome{EEXIST};
  if (::unlink(path.c_str()) != 0) return Outcome{errno};
  return {};
}

}  // namespace velmora
