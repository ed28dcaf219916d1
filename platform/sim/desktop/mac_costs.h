// What the simulated Mac charges the tracker's main thread for each platform call, in seconds of
// virtual time. One place, so that every figure the hour table and the tests rest on can be read
// and changed together. The figures are a Mac's typical ones, not measured here: an
// Accessibility read and an Apple event are round trips served by another process.
#pragma once

namespace velmora::sim {

// One Accessibility round trip answered by a responsive client.
inline constexpr double kAxReadCost = 0.001;
// What a read of a client that does not answer waits when the tracker set no messaging
// time-out: the platform's default.
inline constexpr double kAxDefaultMessagingTimeout = 6.0;
// One Apple event to "System Events" answered at once (the listing or a raise).
inline constexpr double kAppleEventCost = 0.030;
// Compiling a script's source the first time it is run.
inline constexpr double kScriptCompileCost = 0.020;
// What an Apple event waits when the script sets no time-out of its own.
inline constexpr double kAppleEventDefaultTimeout = 120.0;

}  // namespace velmora::sim
