// Whole-file replacement that a concurrent reader can never catch half done.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "files/outcome.h"

namespace velmora {

// Replaces the file at `path` by one holding exactly `content`, with permission bits `mode`
// exactly (the umask does not apply): 0600 for the tracker's own state, which may name hosts.
//
// The content goes to a freshly created temporary file (unpredictable name, created
// exclusively) in the same directory, which is then renamed over `path`. A reader in another
// process therefore sees either the old file or the new one, never a part. A symbolic link at
// `path` is itself replaced; its target is not touched. On any failure (directory missing or not
// writable, short write, `path` is a directory) the temporary file is removed, `path` is left as
// it was, and the outcome says why.
//
// The data is not synced to disk: a crash may lose the new content, never mix it with the old.
Outcome writeFileAtomically(const std::string& path, std::string_view content, mode_t mode = 0600);

// As writeFileAtomically, but never replaces anything: when anything (a link included) is at
// `path`, nothing is written and the outcome is EEXIST. For the user's own documents.
Outcome writeNewFileAtomically(const std::string& path, std::string_view content,
                               mode_t mode = 0600);

}  // namespace velmora
