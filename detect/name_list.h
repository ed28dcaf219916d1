// An ordered list of names without two equivalent entries: names are equivalent when their
// trimmed forms are canonically equivalent, so that a window title read with white space around
// it and the same title listed trimmed are one session. Each name's comparison key is worked out
// once, when it is added; a name in NFC with nothing to trim (every plain ASCII name) is its own
// key and is not copied for it. Membership goes through a hash index of the keys, so building
// a list of n names costs O(n), not O(n^2), and adds allocate only as the list grows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// The key two names are compared by: the name without white space around it (whole when it is
// nothing but white space), in NFC. The one comparison of session names, for the merge and for
// the sessions remembered alike.
[[nodiscard]] std::string nameKey(std::string_view name);

class NameList {
 public:
  NameList() = default;
  // Takes over `names`, dropping any that is equivalent to an earlier one, with room for
  // `more` names to come.
  explicit NameList(std::vector<std::string> names, std::size_t more = 0);

  // Makes room for `count` names in all, so that adding them allocates only for the names.
  void reserve(std::size_t count);

  // Appends `name` unless an equivalent name is present; returns whether it was appended.
  bool add(std::string_view name);
  // The same for a name whose canonical key the caller has worked out: `separateKey` is its
  // comparisonKey, or "" when the name is in NFC. A name with white space around it gets its
  // key worked out again from its trimmed form.
  bool add(std::string_view name, std::string separateKey);
  [[nodiscard]] bool holds(std::string_view name) const;

  [[nodiscard]] const std::vector<std::string>& names() const { return names_; }
  // Leaves the list empty, its index too, so that a later look-up finds nothing.
  [[nodiscard]] std::vector<std::string> release() {
    keys_.clear();
    slots_.clear();
    return std::exchange(names_, {});
  }
  [[nodiscard]] std::size_t size() const { return names_.size(); }
  [[nodiscard]] bool empty() const { return names_.empty(); }

 private:
  [[nodiscard]] std::string_view keyOf(std::size_t index) const;
  // The slot that holds `key`, or the free slot where it would go.
  [[nodiscard]] std::size_t slotFor(std::string_view key) const;
  // slotFor(key), with room made first for one more name.
  [[nodiscard]] std::size_t slotForOneMore(std::string_view key);
  // Appends `name` under `key` ("" when the name is its own key) at the free `slot`.
  void place(std::size_t slot, std::string&& name, std::string&& key);
  // Rebuilds the index with `size` slots, a power of two.
  void rebuildIndex(std::size_t size);

  std::vector<std::string> names_;
  std::vector<std::string> keys_;  // per name: its key, or "" where the name is its own key
  // Open addressing over names_: 0 is a free slot, i + 1 stands for names_[i]. A power of two
  // in size, at most half full.
  std::vector<uint32_t> slots_;
};

}  // namespace velmora
