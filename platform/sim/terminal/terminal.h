// The controlling terminal in raw mode on the alternate screen, given back as it was found on
// every way out: destruction, the end signals (SIGINT, SIGTERM, SIGHUP, SIGQUIT) and a stop
// (SIGTSTP: restored, stopped, then raw again on SIGCONT). Signals become readable events on
// a pipe, so the main loop handles them. Output never blocks the process for good: it waits
// for the terminal to take more with the signal pipe in view, and is dropped once an end or
// stop signal comes, so a terminal that stops reading cannot keep the process from ending.
//
// Only the foreground job may change the terminal. Taken after every continue (fg, bg, a
// continue after SIGSTOP), the terminal is taken from the foreground only: a process in the
// background, started there (`velmora-sim &`) or sent there (Ctrl-Z, bg), stops as job control
// stops a job that would change its terminal ("Stopped (tty output)"), and takes the terminal
// when fg continues it. One that cannot be stopped (SIGTTOU ignored, an orphaned job) runs on
// without the terminal, neither reading nor drawing, and takes it once in the foreground.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/sim/terminal/keys.h"

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

  // Writes all of `bytes`, waiting while the terminal takes no more; false when it gave up: an
  // end or stop signal came (the rest is dropped), the terminal failed, or it is not taken
  // (nothing is written in the background).
  bool write(std::string_view bytes);

  enum class Wake {
    kTimeout,
    kInput,    // bytes were appended to the input
    kResize,   // SIGWINCH: draw the whole screen anew
    kSuspend,  // SIGTSTP: call suspend()
    kResume,   // the terminal was taken again (after a continue, or once in the foreground):
               // draw the whole screen anew
    kEnd,      // an end signal (see endSignal()) or the terminal went away
  };
  // Waits up to `seconds` for input or a signal; input bytes are appended to `input`, without
  // the strings the terminal sends (ControlStrings: always the same `input`). Signals
  // that came during write() are reported first. Without the terminal (in the background) it
  // reads nothing and tries to take the terminal again at least every quarter second.
  [[nodiscard]] Wake wait(double seconds, std::string& input);

  // Gives the terminal back (cooked mode, main screen, cursor shown), stops the process as
  // SIGTSTP would have, and once continued takes the terminal again (raw, alternate screen)
  // when in the foreground; otherwise wait() takes it once it can.
  void suspend();

  // Text for the normal screen once the terminal is given back for good (a summary of the
  // run): written within a short time, and dropped when the terminal stopped reading.
  void setFarewell(std::string text) { farewell_ = std::move(text); }

  // The end signal that arrived, or 0.
  [[nodiscard]] int endSignal() const { return endSignal_; }
  // True when the terminal went away (hung up, or failed a read or write).
  [[nodiscard]] bool lost() const { return gone_; }

 private:
  RawTerminal() = default;
  bool enter();
  bool takeTerminal();
  void giveBackTerminal();
  Wake retake();
  Wake awaitForeground(double seconds);
  void restore();
  void drainSignals();
  [[nodiscard]] bool mustStopWriting() const { return endSignal_ != 0 || suspendPending_ || gone_; }
  bool writeWithin(std::string_view bytes, int milliseconds);

  struct Saved;
  std::unique_ptr<Saved> saved_;
  int out_ = -1;
  bool ownsOut_ = false;     // out_ is our own open file description of the terminal
  bool taken_ = false;       // raw mode and the alternate screen are set
  bool rereadMode_ = false;  // the settings to give back are read again at the next take
  bool stalled_ = false;     // output was dropped because the terminal did not take it
  int endSignal_ = 0;
  bool gone_ = false;
  bool suspendPending_ = false;
  bool resumePending_ = false;
  bool resizePending_ = false;
  std::string farewell_;
  ControlStrings strings_;
};

// Ends the process as `signo` would have had it not been caught, so that the shell sees how
// it ended: SIGINT, SIGTERM, SIGHUP are raised again with their default action; SIGQUIT, whose
// default would leave a core file, exits with status 128 + SIGQUIT instead.
[[noreturn]] void dieOf(int signo);

}  // namespace velmora::sim
