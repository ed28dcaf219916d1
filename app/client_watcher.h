// Keeps the tracker listening to the client: the workspace's word of its launches and quits
// from start() on, and the process of its first running instance as the passes find it.
//
// A process that cannot answer yet (a client still launching) is asked again every
// kRetryInterval for up to kRetryFor; once its watch starts after such a wait, a change is
// reported, because the windows that appeared meanwhile were announced to nobody. A process
// still not answering after that is left to the timer until the client's process changes:
// every further attempt on a hung client would block the main thread for the platform's
// messaging time-out. A refused watch (no Accessibility grant) is tried again at each pass,
// which costs little while it is refused and starts listening once the user grants access.
// Nothing here is ever shown: without a watch the repeating timer alone refreshes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/event_loop.h"
#include "clock/wall_clock.h"
#include "detect/client_watch.h"

namespace velmora {

class ClientWatcher {
 public:
  static constexpr double kRetryInterval = 0.1;
  static constexpr double kRetryTolerance = 0.01;
  static constexpr double kRetryFor = 5.0;

  // `changed` is called, on the main thread, for every notification and for a watch that
  // started late. The ports outlive the watcher. Main thread only.
  ClientWatcher(ClientWatch& port, EventLoop& loop, WallClock& clock,
                std::function<void()> changed);
  // Its retries and watches refer to it: it stays where it was made.
  ClientWatcher(const ClientWatcher&) = delete;
  ClientWatcher& operator=(const ClientWatcher&) = delete;

  // Listens for the client's launches and quits.
  void start();
  // After a pass: the client's first running instance as the pass found it, or none. A new
  // process gets a new watch; none ends the watch.
  void follow(std::optional<int32_t> processIdentifier);

 private:
  enum class Status : uint8_t { kIdle, kWatching, kWaiting, kRefused, kGaveUp };
  // Shared with the retry tasks, which the event loop cannot cancel: a retry runs only while
  // the watcher exists and still follows the process it was meant for.
  struct State {
    std::optional<int32_t> pid;
    std::unique_ptr<Watching> watch;
    Status status = Status::kIdle;
    uint64_t generation = 0;
    int retries = 0;
    double deadline = 0.0;
  };

  // The first attempt on the followed process, and its retries while it cannot answer yet.
  void begin();
  void attempt(bool late);
  void retryLater();

  ClientWatch& port_;
  EventLoop& loop_;
  WallClock& clock_;
  std::function<void()> changed_;
  std::unique_ptr<Watching> launches_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace velmora
