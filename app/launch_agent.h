// The tracker's LaunchAgent: the property list that has launchd start the app at login, as the
// login item of macOS 11 and 12 and as a user may have copied it by hand before. Its text is
// built here; the file is written, read and removed on the real file system.
//
// Nothing throws; failures are results, the file writes' saying why.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "files/atomic_file.h"

namespace velmora {

// A LaunchAgent file larger than this is not the tracker's (its own text is under 1 KiB) and is
// not read past this size.
inline constexpr std::size_t kMaxLaunchAgentBytes = std::size_t{64} << 10;

// The LaunchAgent that starts `executable` at login: Label and AssociatedBundleIdentifiers (an
// array, so that System Settings lists the agent under the app's name) the tracker's bundle
// identifier, ProgramArguments the executable alone, RunAtLoad, ProcessType Interactive. The
// path is escaped as XML character data. Nothing when launchd could not be given the path
// (empty, relative, not UTF-8, or holding a character XML 1.0 cannot carry, such as most C0
// controls).
[[nodiscard]] std::optional<std::string> launchAgentPlist(std::string_view executable);

// The Label of an XML property list, read strictly: the text must be one plist whose root is a
// dict, well nested, without comments, with one "Label" key directly in the root dict whose value
// is a plain <string>. Nothing for anything else (a binary plist, another shape, garbage).
[[nodiscard]] std::optional<std::string> launchAgentLabel(std::string_view text);

// What stands at a LaunchAgent path.
enum class LaunchAgentFile {
  kAbsent,  // nothing (the directory may be missing too)
  kOurs,    // a regular file, not a link, whose Label is the tracker's bundle identifier
  kOther,   // anything else: another Label, a link, a directory, an unreadable or huge file
};

// Looks at `path` without following a link and without blocking on a FIFO: one lstat when
// nothing is there, else also a read of at most kMaxLaunchAgentBytes + 1 bytes.
[[nodiscard]] LaunchAgentFile readLaunchAgentFile(const std::string& path);

// Writes launchAgentPlist(executable) to `path` atomically with mode 0644 (launchd skips files
// others may write), creating the directory when it is missing. A link at `path` is replaced,
// never written through. On failure `path` is left as it was and the outcome says why (EINVAL
// when the text cannot be made from `executable`).
Outcome writeLaunchAgent(const std::string& path, std::string_view executable);

// Removes the file at `path` only while it is the tracker's own (kOurs) and still the file that
// was read. Done when it was removed; else why not (EEXIST when what stands there is not the
// tracker's own file).
Outcome removeLaunchAgent(const std::string& path);

}  // namespace velmora
