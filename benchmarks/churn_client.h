// The churning story's client (tools/churn.h) as the simulated desktop's client state.
#pragma once

#include "platform/sim/desktop/sim_client.h"
#include "tools/churn.h"

namespace velmora::sim {

inline SimAttribute textOrMissing(const churn::Window& w) {
  if (w.titleWrongType) return SimAttribute::other();
  return w.hasTitle ? SimAttribute::ofText(w.title) : SimAttribute::missing();
}

inline SimClientState toSim(const churn::ClientState& c) {
  if (!c.running) return notRunning();
  SimClientState s;
  s.instances = c.instances;
  s.pid = c.pid;
  s.refusesQuit = c.refusesQuit;
  switch (c.ax) {
    case churn::ClientState::Ax::kError:
      s.ax.kind = SimWindowList::Kind::kError;
      s.ax.error = c.axError;
      break;
    case churn::ClientState::Ax::kNotAList:
      s.ax.kind = SimWindowList::Kind::kNotAList;
      break;
    case churn::ClientState::Ax::kWindows:
      for (const churn::Window& w : c.windows) {
        s.ax.windows.push_back(
            {textOrMissing(w), SimAttribute::ofText(w.subrole),
             w.hasSize ? SimAttribute::ofSize(w.width, w.height) : SimAttribute::missing(),
             SimAttribute::ofBool(w.minimized)});
      }
      break;
  }
  using Script = churn::ClientState::Script;
  switch (c.script) {
    case Script::kError:
      s.script = {SimListingAnswer::Kind::kError, c.scriptText};
      break;
    case Script::kNoText:
      s.script = {SimListingAnswer::Kind::kNoText, {}};
      break;
    case Script::kNoObject:
      s.script = {SimListingAnswer::Kind::kNoScriptObject, {}};
      break;
    case Script::kText:
      s.script = {SimListingAnswer::Kind::kText, c.scriptText};
      break;
    case Script::kFromWindows:
      break;
  }
  return s;
}

}  // namespace velmora::sim
