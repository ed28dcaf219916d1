// Where velmora-sim keeps the tracker's state files unless --home names a home: a folder of its
// own, so that a simulated run never touches the real tracker's ~/.cache/velmora_session_tracker
// (quitting the simulation removes the start file of the home it uses).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmora::sim {

// The home velmora-sim uses by default: `xdgStateHome` + "/velmora-sim" when it is an absolute
// path (the XDG base directory rule: a relative one is ignored), else `home` +
// "/.local/state/velmora-sim"; nothing when `home` is empty too.
[[nodiscard]] std::optional<std::string> defaultSimHome(std::string_view xdgStateHome,
                                                        std::string_view home);

// Why there is no state folder.
struct HomeError {
  std::string message;  // naming the part that failed: "/x/not-a-dir/velmora-sim: Not a directory"
};

using HomeResult = std::variant<std::string, HomeError>;

// Creates the directory `path` with every missing parent, each new one with mode 0700, as the
// XDG rule asks for state folders. An existing directory (or a link to one) is taken as it
// is. `path` when it is a directory afterwards, else why not.
[[nodiscard]] HomeResult makePrivateDirectories(const std::string& path);

}  // namespace velmora::sim
