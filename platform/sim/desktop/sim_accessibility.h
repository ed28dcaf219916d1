// The simulated Accessibility interface: one client process whose window list and window
// attributes are plain data (SimWindowList, sim_client.h), so every answer the real interface
// can give, failures included, can be scripted. For the tests, it records which processes were
// asked for and counts the elements still held, so they can see that the scan releases what it
// reads (velmora-sim's desktop records nothing). A request for trust only tells the observer:
// the simulated grant is the scenario's to give. Once it runs on a loop (chargeTo), each round
// trip costs the loop's main thread its time (mac_costs.h) and is counted.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "detect/accessibility.h"
#include "platform/sim/desktop/sim_client.h"
#include "platform/sim/desktop/sim_event_loop.h"
#include "platform/sim/desktop/sim_observer.h"

namespace velmora::sim {

// Codes the simulation answers with, the platform's own values.
inline constexpr int32_t kAxErrorIllegalArgument = -25201;  // a null element
inline constexpr int32_t kAxErrorInvalidElement = -25202;   // a window that no longer exists
inline constexpr int32_t kAxErrorCannotComplete = -25204;   // no such process
inline constexpr int32_t kAxErrorApiDisabled = -25211;      // Accessibility access not granted
inline constexpr int32_t kAxErrorNoValue = -25212;          // an unreadable attribute

class SimAccessibility final : public Accessibility {
 public:
  SimAccessibility();
  // Tells `observer` of every requestTrust().
  explicit SimAccessibility(SimObserver& observer);

  // The process the client runs as; elements of any other process fail every read with
  // kAxErrorCannotComplete.
  int32_t pid = 0;
  // How the client answers "AXWindows": the windows, an error code (0 gives no value at all),
  // or a value that is not a list. Window attributes: kMissing reads as kAxErrorNoValue;
  // kOther as a value of another type. Window elements refer to windows by position, so a
  // list changed under them answers for the window now at that position.
  SimWindowList windows;
  // The client answers nothing: each read of it waits for the element's messaging time-out
  // (kAxDefaultMessagingTimeout until one is set) and fails with kAxErrorCannotComplete.
  bool hangs = false;

  // Every process id applicationElement() was given, in order, while `recording`.
  std::vector<int32_t> requestedPids;
  bool recording = true;

  // Elements handed out and not yet released, application elements included.
  [[nodiscard]] int64_t liveElements() const { return *live_; }

  AxElement applicationElement(int32_t processIdentifier) override;
  AxRead copyAttribute(const AxElement& element, std::string_view attribute) override;
  void copyAttributes(const AxElement& element, std::span<const std::string_view> attributes,
                      std::vector<AxRead>& reads) override;
  int32_t setMessagingTimeout(const AxElement& element, double seconds) override;
  void requestTrust() override;

  // From now on every round trip costs `loop`'s running task its time, and is counted there.
  void chargeTo(SimEventLoop& loop) { loop_ = &loop; }

 private:
  struct Ref;
  AxElement makeElement(int32_t processIdentifier, int64_t window);
  [[nodiscard]] AxRead readWindowList() const;
  [[nodiscard]] AxRead readWindowAttribute(int64_t window, std::string_view attribute) const;
  // One round trip to the element's process: false (after the wait) when it does not answer.
  bool roundTrip(const Ref& ref);
  // What an answering client gives for `attribute` of `ref` (none: a null element).
  AxRead answer(const Ref* ref, std::string_view attribute);

  std::shared_ptr<int64_t> live_;
  SimObserver* observer_ = nullptr;
  SimEventLoop* loop_ = nullptr;
};

}  // namespace velmora::sim
