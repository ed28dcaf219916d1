#include "platform/sim/desktop/sim_accessibility.h"

#include "platform/sim/desktop/mac_costs.h"

namespace velmora::sim {

// What an element of the simulation stands for: the application of a process, or the window
// at a position of its list (kApplication).
struct SimAccessibility::Ref {
  static constexpr int64_t kApplication = -1;
  int32_t pid = 0;
  int64_t window = kApplication;
  // Set on this element alone, as the platform's is: the elements read from it start afresh.
  mutable double messagingTimeout = kAxDefaultMessagingTimeout;
};

namespace {

AxRead fromAttribute(const SimAttribute& a) {
  switch (a.kind) {
    case SimAttribute::Kind::kMissing:
      return {kAxErrorNoValue, std::monostate{}};
    case SimAttribute::Kind::kText:
      return {kAxSuccess, a.text};
    case SimAttribute::Kind::kBool:
      return {kAxSuccess, a.flag};
    case SimAttribute::Kind::kSize:
      return {kAxSuccess, a.size};
    case SimAttribute::Kind::kOther:
      break;
  }
  return {kAxSuccess, AxOther{}};
}

const SimAttribute* attributeOf(const SimWindow& w, std::string_view attribute) {
  if (attribute == kAxTitle) return &w.title;
  if (attribute == kAxSubrole) return &w.subrole;
  if (attribute == kAxSize) return &w.size;
  if (attribute == kAxMinimized) return &w.minimized;
  return nullptr;
}

}  // namespace

SimAccessibility::SimAccessibility() : live_(std::make_shared<int64_t>(0)) {}

SimAccessibility::SimAccessibility(SimObserver& observer) : SimAccessibility() {
  observer_ = &observer;
}

void SimAccessibility::requestTrust() {
  if (observer_ != nullptr) observer_->onTrustPrompt();
}

AxElement SimAccessibility::makeElement(int32_t processIdentifier, int64_t window) {
  ++*live_;
  // The counter is shared so that an element outliving the simulation stays safe to drop.
  std::shared_ptr<int64_t> live = live_;
  auto release = [live](const Ref* ref) {
    --*live;
    delete ref;
  };
  return AxElement{std::shared_ptr<const Ref>(new Ref{processIdentifier, window}, release)};
}

AxElement SimAccessibility::applicationElement(int32_t processIdentifier) {
  if (recording) requestedPids.push_back(processIdentifier);
  return makeElement(processIdentifier, Ref::kApplication);
}

int32_t SimAccessibility::setMessagingTimeout(const AxElement& element, double seconds) {
  const auto* ref = static_cast<const Ref*>(element.handle.get());
  if (ref == nullptr || !(seconds >= 0)) return kAxErrorIllegalArgument;
  ref->messagingTimeout = seconds;
  return kAxSuccess;
}

bool SimAccessibility::roundTrip(const Ref& ref) {
  const bool answers = !hangs || ref.pid != pid;
  if (loop_ != nullptr) {
    ++loop_->counts().axRoundTrips;
    loop_->spend(answers ? kAxReadCost : ref.messagingTimeout);
  }
  return answers;
}

void SimAccessibility::copyAttributes(const AxElement& element,
                                      std::span<const std::string_view> attributes,
                                      std::vector<AxRead>& reads) {
  const auto* ref = static_cast<const Ref*>(element.handle.get());
  reads.clear();
  if (ref != nullptr && !roundTrip(*ref)) {
    reads.assign(attributes.size(), AxRead{kAxErrorCannotComplete, std::monostate{}});
    return;
  }
  for (const std::string_view attribute : attributes) reads.push_back(answer(ref, attribute));
}

AxRead SimAccessibility::copyAttribute(const AxElement& element, std::string_view attribute) {
  const auto* ref = static_cast<const Ref*>(element.handle.get());
  if (ref != nullptr && !roundTrip(*ref)) return {kAxErrorCannotComplete, std::monostate{}};
  return answer(ref, attribute);
}

AxRead SimAccessibility::answer(const Ref* ref, std::string_view attribute) {
  if (ref == nullptr) return {kAxErrorIllegalArgument, std::monostate{}};
  if (ref->pid != pid) return {kAxErrorCannotComplete, std::monostate{}};
  if (ref->window != Ref::kApplication) return readWindowAttribute(ref->window, attribute);
  if (attribute != kAxWindows) return {kAxErrorNoValue, std::monostate{}};
  AxRead read = readWindowList();
  if (auto* list = std::get_if<std::vector<AxElement>>(&read.value)) {
    for (std::size_t i = 0; i < windows.windows.size(); ++i) {
      list->push_back(makeElement(pid, static_cast<int64_t>(i)));
    }
  }
  return read;
}

AxRead SimAccessibility::readWindowList() const {
  switch (windows.kind) {
    case SimWindowList::Kind::kError:
      return {windows.error, std::monostate{}};
    case SimWindowList::Kind::kNotAList:
      return {kAxSuccess, AxOther{}};
    case SimWindowList::Kind::kWindows:
      break;
  }
  return {kAxSuccess, std::vector<AxElement>{}};
}

AxRead SimAccessibility::readWindowAttribute(int64_t window, std::string_view attribute) const {
  if (windows.kind != SimWindowList::Kind::kWindows ||
      static_cast<uint64_t>(window) >= windows.windows.size()) {
    return {kAxErrorInvalidElement, std::monostate{}};
  }
  const SimAttribute* a = attributeOf(windows.windows[static_cast<std::size_t>(window)], attribute);
  if (a == nullptr) return {kAxErrorNoValue, std::monostate{}};
  return fromAttribute(*a);
}

}  // namespace velmora::sim
