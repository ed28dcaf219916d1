// What the tracker remembers of its named sessions, in memory only, for as long as it runs:
// since when each has been listed, which ended, and which endings deserve a note. Fed every
// detection pass with why it ran and when; it makes no platform call.
//
// Names are told apart as the detection tells them apart (nameKey: trimmed, up to canonical
// equivalence), so a title that comes back in another form goes on as the same session. A
// session's first moment is the first title-redrawing pass that listed its name. It has ended
// once two such passes after the last one that listed it found the client running, could read
// its windows, and did not list it; it ended at the first of the two. A name that comes back
// before the second goes on with its first moment kept. A pass that could not read the windows
// neither ends sessions nor counts; a Copy Debug Info pass does not count at all. A pass that
// finds the client stopped ends every session at that pass, or at the first pass that missed
// it, if one had.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/pass_cause.h"
#include "detect/detection.h"
#include "ui/session_times.h"

namespace velmora {

class SessionMemory {
 public:
  // The Recently Ended list keeps this many, the newest.
  static constexpr std::size_t kRecentLimit = 10;

  // How long after Quit Windows App the sessions open then may end without a note: the
  // follow-up pass and the next timer pass. One still listed after that was not closed by the
  // quit (the client refused it, or is not done yet) and keeps its note.
  static constexpr double kQuitAnswerWait = 5.0;

  // Takes in one pass made at `moment`. `clientStart` is the start file's moment as the pass
  // read it: sessions listed by the first pass that could read the windows (or found the client
  // stopped), while the client had been running for more than one poll interval before it,
  // started unseen and are counted from that pass as a lower bound. Returns the sessions that
  // ended at this pass while the client keeps running, which call for a note; those the user's
  // Quit Windows App closed do not.
  std::vector<EndedSession> observe(const DetectionResult& pass, PassCause cause, double moment,
                                    std::optional<double> clientStart);

  // The user chose Quit Windows App at `moment`: the sessions open now that end within
  // kQuitAnswerWait of it end without a note.
  void quitRequested(double moment);

  // The first listing of each name that the last pass able to read the windows listed, in its
  // order.
  [[nodiscard]] const std::vector<SessionTime>& listedTimes() const { return times_; }
  // The sessions that ended, newest first, at most kRecentLimit.
  [[nodiscard]] const std::vector<EndedSession>& recent() const { return recent_; }

 private:
  struct Open {
    std::string name;  // as the last pass that listed it read it
    std::string key;   // nameKey(name)
    SessionTime time;
    std::optional<double> quitAt;  // when the user chose Quit Windows App while it was open
    bool missedOnce = false;       // the last counting pass did not list it
    double missedAt = 0.0;         // that pass's moment
  };

  // Whether `names` are exactly the sessions open, in order, none of them missed.
  [[nodiscard]] bool unchanged(const std::vector<std::string>& names) const;
  // Takes in the names of a counting pass that differ from the last; returns those to note.
  std::vector<EndedSession> relist(const std::vector<std::string>& names, double moment,
                                   bool unseenStart);
  // Ends those of open_ that `listed` does not mark and had been missed before; those missed
  // for the first time go on to `next`. Returns the ended ones that call for a note.
  std::vector<EndedSession> endMissed(const std::vector<bool>& listed, double moment,
                                      std::vector<Open>& next);
  void endAll(double moment);
  void remember(std::vector<EndedSession> ended);

  // Listed by the last counting pass, in its order, then those it missed once.
  std::vector<Open> open_;
  std::size_t listed_ = 0;
  std::vector<SessionTime> times_;
  std::vector<EndedSession> recent_;
  // A pass has read the windows, or found the client stopped.
  bool looked_ = false;
};

}  // namespace velmora
