// A simulated client's Accessibility window list drawn from fuzz input, shared by the targets
// that build client states: one draw in ten fails with any code, one in ten is not a list, and
// otherwise up to `maxWindows` windows, each attribute picked by the target's own `attribute`.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "platform/sim/scenario/scenario.h"

namespace velmora::fuzz {

// `attribute(in, kind the attribute usually holds, whether it is the title)`.
template <typename PickAttribute>
sim::SimWindowList windowList(FuzzedDataProvider& in, std::size_t maxWindows,
                              PickAttribute attribute) {
  using sim::SimAttribute;
  sim::SimWindowList list;
  const int shape = in.ConsumeIntegralInRange(0, 9);
  if (shape == 0) {
    list.kind = sim::SimWindowList::Kind::kError;
    list.error = in.ConsumeIntegral<int32_t>();
  } else if (shape == 1) {
    list.kind = sim::SimWindowList::Kind::kNotAList;
  }
  const std::size_t windows = in.ConsumeIntegralInRange<std::size_t>(0, maxWindows);
  for (std::size_t i = 0; i < windows; ++i) {
    // Braced initialisation keeps the order of the draws: title, subrole, size, minimised.
    list.windows.push_back(sim::SimWindow{attribute(in, SimAttribute::Kind::kText, true),
                                          attribute(in, SimAttribute::Kind::kText, false),
                                          attribute(in, SimAttribute::Kind::kSize, false),
                                          attribute(in, SimAttribute::Kind::kBool, false)});
  }
  return list;
}

}  // namespace velmora::fuzz
