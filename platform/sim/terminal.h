// The controlling terminal in raw mode, restored on every way out: destruction, Ctrl-C and
// SIGTERM (turned into readable events on a pipe, so the main loop ends normally), SIGHUP.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velmora::sim {

class RawTerminal {
 public:
  // Null when standard input or output is not a terminal, or raw mode cannot be set.
  [[nodiscard]] static std::unique_ptr<RawTerminal> open();
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  struct Size {
    int columns = 80;
    int rows = 24;
  };
  [[nodiscard]] Size size() const;

  // Writes all of `bytes` to the terminal.
  void write(std::string_view bytes) const;

  enum class Wake { kTimeout, kInput, kResize, kStop };
  // Waits up to `seconds` for input or a signal; input bytes are appended to `input`.
  [[nodiscard]] Wake wait(double seconds, std::string& input);

 private:
  RawTerminal() = default;
  bool enter();
  void restore();

  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace velmora::sim
