#include "platform/sim/sim_home.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/atomic_file.h"

namespace velmora::sim {
namespace {

// A start file's size: the probe takes the room the tracker's first write will need.
constexpr std::string_view kProbeContent = "1765000000.123456";

// Every signal a handler can catch whose default action ends the process. SIGPIPE and SIGXFSZ
// are ignored (a write fails instead); SIGKILL cannot be caught, and a crash is left as it is.
constexpr int kEndSignals[] = {
    SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU, SIGVTALRM, SIGPROF,
#ifdef __linux__
    SIGPOLL, SIGPWR,  SIGSTKFLT,
#endif
};

// What the signal handler removes: set before it is installed, cleared after it is gone.
constexpr std::size_t kMaxRemovals = 16;
std::array<const char*, kMaxRemovals> gRemovals{};
std::size_t gRemovalCount = 0;

// Async-signal-safe: unlink, rmdir, _exit and raise only. A signal whose default would leave a
// core file exits with status 128 + its number instead, as the interactive mode does.
void removeThenDie(int signo) {
  for (std::size_t i = 0; i < gRemovalCount; ++i) {
    if (::unlink(gRemovals[i]) != 0) ::rmdir(gRemovals[i]);
  }
  if (signo == SIGQUIT || signo == SIGXCPU) ::_exit(128 + signo);
  ::raise(signo);  // the handler was reset (SA_RESETHAND): this one ends the process
}

void setEndSignalHandler(void (*handler)(int), int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  for (const int signo : kEndSignals) ::sigaction(signo, &action, nullptr);
#ifdef __linux__
  for (int signo = SIGRTMIN; signo <= SIGRTMAX; ++signo) ::sigaction(signo, &action, nullptr);
#endif
}

SimError errorAt(const std::string& what, const std::string& path, int error) {
  return SimError{"", what + path + ": " + std::strerror(error)};
}

}  // namespace

std::optional<std::string> defaultSimHome(std::string_view xdgStateHome, std::string_view home) {
  if (!xdgStateHome.empty() && xdgStateHome.front() == '/') {
    return std::string(xdgStateHome) + "/velmora-sim";
  }
  if (home.empty()) return std::nullopt;
  return std::string(home) + "/.local/state/velmora-sim";
}

HomeResult makePrivateDirectories(const std::string& path) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string part = path.substr(0, end);
    if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0700) != 0 &&
        errno != EEXIST) {
      return SimError{"", part + ": " + std::strerror(errno)};
    }
    if (end == std::string::npos) break;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return SimError{"", path + ": " + std::strerror(errno)};
  if (!S_ISDIR(info.st_mode)) return SimError{"", path + ": not a directory"};
  return path;
}

HomeResult prepareStateFolder(const StatePaths& paths) {
  HomeResult made = makePrivateDirectories(paths.kStateDir);
  if (auto* e = std::get_if<SimError>(&made)) {
    e->message = "cannot make the state folder: " + e->message;
    return made;
  }
  for (const std::string& file : {paths.kStateFile, paths.kDebugFile}) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      return errorAt("cannot write the state file ", file, EISDIR);
    }
  }
  const std::string probe = paths.kStateDir + "/.velmora-sim-probe-" + std::to_string(::getpid());
  if (const Outcome written = writeFileAtomically(probe, kProbeContent); !written) {
    return errorAt("cannot write in the state folder ", paths.kStateDir, written.error);
  }
  if (::unlink(probe.c_str()) != 0) {
    return errorAt("cannot remove files in the state folder ", paths.kStateDir, errno);
  }
  return paths.kStateDir;
}

std::variant<std::unique_ptr<TemporaryHome>, SimError> TemporaryHome::make(
    std::string_view tmpdir) {
  std::string pattern = !tmpdir.empty() && tmpdir.front() == '/' ? std::string(tmpdir) : "/tmp";
  if (pattern.back() != '/') pattern += '/';
  pattern += "velmora-sim-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    return errorAt("cannot make a temporary state folder: ", pattern, errno);
  }
  return std::unique_ptr<TemporaryHome>(new TemporaryHome(std::move(pattern)));
}

TemporaryHome::~TemporaryHome() {
  if (!removals_.empty()) {
    setEndSignalHandler(SIG_DFL, 0);
    gRemovalCount = 0;
  }
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TemporaryHome::removeOnEndSignals(const StatePaths& paths) {
  // The files first (the history's with SQLite's journals), then the folders deepest first,
  // the home last.
  removals_ = {paths.kStateFile,
               paths.kDebugFile,
               paths.kHistoryFile,
               paths.kHistoryFile + "-wal",
               paths.kHistoryFile + "-shm",
               paths.kHistoryFile + "-journal"};
  for (const std::string& folder : {paths.kStateDir, paths.kHistoryDir}) {
    for (std::filesystem::path dir = folder;
         dir.string().size() > path_.size() && removals_.size() < kMaxRemovals - 1;
         dir = dir.parent_path()) {
      removals_.push_back(dir.string());
    }
  }
  removals_.push_back(path_);
  for (std::size_t i = 0; i < removals_.size(); ++i) gRemovals[i] = removals_[i].c_str();
  gRemovalCount = removals_.size();
  setEndSignalHandler(removeThenDie, SA_RESETHAND);
}

}  // namespace velmora::sim
