#include "platform/sim/tui/interactive_loop.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "platform/sim/terminal/keys.h"

namespace velmora::sim {
namespace {

// How long the rest of an escape sequence may take to come before the bytes are taken as they
// are (a lone Escape closes the menu).
constexpr double kEscapeWait = 0.05;
// The longest a slice of keys takes before the screen and the signals get their turn.
constexpr double kKeySlice = 0.05;

constexpr const char* kStoryOver =
    "the story is over: play with s o c f p b a u h l n, or quit with q";

}  // namespace

void InteractiveLoop::run() {
  while (!sim_.finished()) {
    const double t = clock_.elapsed();
    sim_.loop().catchUp(t);
    if (sim_.loop().terminated()) break;
    if (!storyOverSaid_ && t >= sim_.until()) {
      storyOverSaid_ = true;
      if (!sim_.tookOver()) sim_.notice(kStoryOver);
    }
    if (!actOnKeys()) break;
    if (!nextKey(input_)) draw();  // keys left: the screen can wait for them
    if (!await(t)) break;
  }
  sim_.finish();
}

// Writes what is not part of the screen, then the rows of the screen that changed.
void InteractiveLoop::draw() {
  const std::string pending = ui_.takePendingOutput();
  const auto size = terminal_.size();
  const std::string rows = shown_.update(size.columns, ui_.renderRows(size.columns, size.rows));
  // Output dropped leaves the screen unknown.
  if (!terminal_.write(pending) || !terminal_.write(rows)) shown_.forget();
}

// Acts on the keys that came, for one slice at most. Any choice but Refresh acts before the
// next key is read, as it may change the menu. False once the tracker has quit.
bool InteractiveLoop::actOnKeys() {
  std::size_t used = 0;
  const bool on = actOnSlice(used);
  input_.erase(0, used);
  return on && (nextKey(input_) || flush());
}

bool InteractiveLoop::actOnSlice(std::size_t& used) {
  const double end = clock_.elapsed() + kKeySlice;
  while (clock_.elapsed() < end) {
    if (refresh_ && !joinsPendingRefresh(used) && !flush()) return false;
    const TerminalUi::Outcome o = ui_.onKeys(input_, used);
    if (o.play) {
      plays_.push_back(*o.play);
    } else if (o.chosen && o.chosen->action == MenuAction::kRefresh) {
      refresh_ = o.chosen;
    } else if (o.chosen) {
      if (!flush()) return false;
      sim_.loop().runNow([&] { sim_.choose(*o.chosen); });
      if (sim_.loop().terminated()) return false;
    } else {
      break;
    }
  }
  return true;
}

// Whether the key at `at` leaves the pending refresh for later: another Refresh adds nothing
// to it, and a play key only changes the client, which that refresh then sees. Any other key
// may read the menu the refresh rebuilds.
bool InteractiveLoop::joinsPendingRefresh(std::size_t at) const {
  const std::optional<KeyPress> key = nextKey(std::string_view(input_).substr(at));
  if (!key || key->kind != KeyPress::Kind::kCharacter) return false;
  if (playActionForKey(key->character)) return true;
  const MenuEntry* entry = ui_.entryWithKey(key->character);
  return entry != nullptr && entry->action == MenuAction::kRefresh;
}

// Sets the played changes on the client, then refreshes when a refresh is pending. False once
// the tracker has quit.
bool InteractiveLoop::flush() {
  sim_.loop().catchUp(clock_.elapsed());
  sim_.play(plays_);
  plays_.clear();
  if (const std::optional<MenuEntry> entry = std::exchange(refresh_, std::nullopt)) {
    sim_.loop().runNow([&] { sim_.choose(*entry); });
  }
  return !sim_.loop().terminated();
}

// Waits for input, a signal, the next task due after `t` or the bar clock's next second, and
// not at all while whole keys are left; false once the run must end.
bool InteractiveLoop::await(double t) {
  double next = std::min(sim_.loop().nextDue().value_or(t + 1.0), std::floor(t) + 1.0);
  if (!storyOverSaid_) next = std::min(next, sim_.until());
  double wait = std::clamp(next - clock_.elapsed(), 0.0, 1.0);
  if (nextKey(input_)) {
    wait = 0.0;
  } else if (!input_.empty()) {
    wait = std::clamp(inputAt_ + kEscapeWait - clock_.elapsed(), 0.0, wait);
  }
  const RawTerminal::Wake wake = terminal_.wait(wait, input_);
  if (wake == RawTerminal::Wake::kEnd) return false;
  onWake(wake);
  return true;
}

void InteractiveLoop::onWake(RawTerminal::Wake wake) {
  switch (wake) {
    case RawTerminal::Wake::kSuspend:
      terminal_.suspend();
      shown_.forget();
      break;
    case RawTerminal::Wake::kResume:
    case RawTerminal::Wake::kResize:  // the terminal may have moved what it showed
      shown_.forget();
      break;
    case RawTerminal::Wake::kInput:
      inputAt_ = clock_.elapsed();
      break;
    case RawTerminal::Wake::kTimeout:
      // Only the start of an escape sequence is left, and nothing more came for it.
      if (!input_.empty() && !nextKey(input_) && clock_.elapsed() >= inputAt_ + kEscapeWait) {
        (void)ui_.onUnfinishedKey(input_);
      }
      break;
    case RawTerminal::Wake::kEnd:
      break;
  }
}

}  // namespace velmora::sim
