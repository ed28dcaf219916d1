// Where velmora-sim keeps the tracker's state files unless --home names a home: a folder of its
// own, so that a simulated run never touches the real tracker's ~/.cache/velmora_session_tracker
// (quitting the simulation removes the start file of the home it uses); for --headless, a fresh
// temporary one, so that no run finds what another left.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/config.h"
#include "platform/sim/scenario/sim_error.h"

namespace velmora::sim {

// The home velmora-sim uses by default: `xdgStateHome` + "/velmora-sim" when it is an absolute
// path (the XDG base directory rule: a relative one is ignored), else `home` +
// "/.local/state/velmora-sim"; nothing when `home` is empty too.
[[nodiscard]] std::optional<std::string> defaultSimHome(std::string_view xdgStateHome,
                                                        std::string_view home);

// The folder, or why there is none or why the run could not write there: an error's message
// names the part that failed ("/x/not-a-dir/velmora-sim: Not a directory"), its `where` is empty.
using HomeResult = std::variant<std::string, SimError>;

// Creates the directory `path` with every missing parent, each new one with mode 0700, as the
// XDG rule asks for state folders. An existing directory (or a link to one) is taken as it
// is. `path` when it is a directory afterwards, else why not.
[[nodiscard]] HomeResult makePrivateDirectories(const std::string& path);

// Makes `paths.kStateDir` (makePrivateDirectories) and checks, before the run, the writes the
// tracker will make there: a probe file of a start file's size is written through the same
// atomic write (a temporary file renamed into place) and removed again, so a folder the user
// cannot write, a read-only or a full file system fail here; and neither the start file nor
// the debug report may be a directory, which no rename replaces. The folder when all is well,
// else a message saying what cannot be made or written and why.
[[nodiscard]] HomeResult prepareStateFolder(const StatePaths& paths);

// A fresh folder for one run's state files, removed with everything in it when this object
// goes. One at a time in a process.
class TemporaryHome {
 public:
  // A new folder (mkdtemp, mode 0700) in `tmpdir` when it is an absolute path, else in /tmp.
  [[nodiscard]] static std::variant<std::unique_ptr<TemporaryHome>, SimError> make(
      std::string_view tmpdir);
  ~TemporaryHome();
  TemporaryHome(const TemporaryHome&) = delete;
  TemporaryHome& operator=(const TemporaryHome&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }

  // From now until this object goes, an end signal (any a handler can catch whose default
  // ends the process: SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, SIGXCPU, ...) first
  // removes the tracker's files in `paths` (which must be under this home: the state files and
  // the session history) and the folders up to the home, then ends the process by that signal as it
  // would have (SIGQUIT and SIGXCPU, which would leave a core file: exit status 128 + the signal).
  // Only those names are removed, with calls safe in a signal handler: a signal that comes in the
  // middle of a write leaves the temporary file of that write, and so the folder.
  void removeOnEndSignals(const StatePaths& paths);

 private:
  explicit TemporaryHome(std::string path) : path_(std::move(path)) {}

  std::string path_;
  std::vector<std::string> removals_;  // what an end signal removes, in order
};

}  // namespace velmora::sim
