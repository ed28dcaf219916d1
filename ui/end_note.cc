#include "ui/end_note.h"

#include "ui/menu_model.h"

namespace velmora {

EndNote endNote(const EndedSession& ended) {
  return {ended.name,
          "Session ended after " + sessionDetail({ended.first, ended.atLeast}, ended.end)};
}

}  // namespace velmora
