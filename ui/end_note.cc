#include "ui/end_note.h"

#include <algorithm>
#include <utility>

#include "ui/menu_model.h"

namespace velmora {
namespace {

EndNote countedNote(std::span<const EndedSession> ended) {
  std::string body = std::to_string(ended.size()) + " sessions ended: ";
  const std::size_t named = std::min(ended.size(), kNamesInCountedNote);
  for (std::size_t i = 0; i < named; ++i) body += menuName(ended[i].name) + ", ";
  body += "\u2026";
  return {"Sessions ended", std::move(body)};
}

EndNote endNote(const EndedSession& ended) {
  return {ended.name,
          "Session ended after " + sessionDetail({ended.first, ended.atLeast}, ended.end)};
}

}  // namespace

std::vector<EndNote> endNotes(std::span<const EndedSession> ended) {
  if (ended.size() > kNotesPerPass) return {countedNote(ended)};
  std::vector<EndNote> notes;
  notes.reserve(ended.size());
  for (const EndedSession& e : ended) notes.push_back(endNote(e));
  return notes;
}

}  // namespace velmora
