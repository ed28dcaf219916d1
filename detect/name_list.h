// An ordered list of names without two canonically equivalent entries. The membership test uses
// a set of comparison keys, so building a list of n names costs O(n), not O(n^2).
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velmora {

class NameList {
 public:
  NameList() = default;
  // Takes over names that are already free of duplicates.
  explicit NameList(std::vector<std::string> names);

  // Appends `name` unless an equivalent name is present; returns whether it was appended.
  bool add(std::string_view name);
  [[nodiscard]] bool holds(std::string_view name) const;

  [[nodiscard]] const std::vector<std::string>& names() const { return names_; }
  [[nodiscard]] std::vector<std::string> release() { return std::move(names_); }
  [[nodiscard]] std::size_t size() const { return names_.size(); }
  [[nodiscard]] bool empty() const { return names_.empty(); }

 private:
  std::vector<std::string> names_;
  std::unordered_set<std::string> keys_;
};

}  // namespace velmora
