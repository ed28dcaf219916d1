// The "Open at Login" row's state, as the menu draws it. What decides it lives with the login
// item (app/login_item.h); the menu only reads it.
#pragma once

namespace velmora {

struct LoginItemStatus {
  enum class State { kOff, kOn, kNeedsApproval, kUnavailable };
  // Why the row is unavailable.
  enum class Why {
    kNone,
    kNotFound,           // the service does not know the app
    kTemporaryLocation,  // the app runs from a place that will vanish
    kFileInTheWay,       // something other than the tracker's LaunchAgent is at its path
  };
  State state = State::kOff;
  Why why = Why::kNone;  // kNone unless kUnavailable

  friend bool operator==(const LoginItemStatus&, const LoginItemStatus&) = default;
};

}  // namespace velmora
