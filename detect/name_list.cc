#include "detect/name_list.h"

#include <functional>
#include <utility>

#include "text/text.h"

namespace velmora {
namespace {

constexpr std::size_t kFirstIndexSize = 16;

// Whether trimming changes `name` (a name of white space only is compared whole).
bool hasSpaceAround(std::string_view name) {
  const std::size_t trimmed = text::trimmedView(name).size();
  return trimmed != 0 && trimmed != name.size();
}

// `name`'s comparison key, or "" when the name is its own key.
std::string separateKey(std::string_view name) {
  if (hasSpaceAround(name)) return nameKey(name);
  return text::isNfc(name) ? std::string() : text::comparisonKey(name);
}

}  // namespace

std::string nameKey(std::string_view name) {
  std::string_view trimmed = text::trimmedView(name);
  // Nothing but white space: trimming would make every such name one.
  if (trimmed.empty()) trimmed = name;
  return text::isNfc(trimmed) ? std::string(trimmed) : text::comparisonKey(trimmed);
}

NameList::NameList(std::vector<std::string> names, std::size_t more) {
  reserve(names.size() + more);
  for (std::string& name : names) {
    std::string key = separateKey(name);
    const std::size_t slot = slotForOneMore(key.empty() ? std::string_view(name) : key);
    if (slots_[slot] == 0) place(slot, std::move(name), std::move(key));
  }
}

void NameList::reserve(std::size_t count) {
  names_.reserve(count);
  keys_.reserve(count);
  std::size_t size = slots_.empty() ? kFirstIndexSize : slots_.size();
  while (size < 2 * count) size *= 2;
  if (size != slots_.size()) rebuildIndex(size);
}

bool NameList::add(std::string_view name) {
  return add(name, separateKey(name));
}

bool NameList::add(std::string_view name, std::string key) {
  if (hasSpaceAround(name)) key = nameKey(name);
  const std::size_t slot = slotForOneMore(key.empty() ? name : key);
  if (slots_[slot] != 0) return false;
  place(slot, std::string(name), std::move(key));
  return true;
}

bool NameList::holds(std::string_view name) const {
  if (slots_.empty()) return false;
  const std::string key = separateKey(name);
  return slots_[slotFor(key.empty() ? name : key)] != 0;
}

std::size_t NameList::slotForOneMore(std::string_view key) {
  if (2 * (names_.size() + 1) > slots_.size()) {
    rebuildIndex(slots_.empty() ? kFirstIndexSize : 2 * slots_.size());
  }
  return slotFor(key);
}

void NameList::place(std::size_t slot, std::string&& name, std::string&& key) {
  names_.push_back(std::move(name));
  keys_.push_back(std::move(key));
  slots_[slot] = static_cast<uint32_t>(names_.size());
}

std::string_view NameList::keyOf(std::size_t index) const {
  return keys_[index].empty() ? std::string_view(names_[index]) : keys_[index];
}

std::size_t NameList::slotFor(std::string_view key) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = std::hash<std::string_view>{}(key)&mask;; slot = (slot + 1) & mask) {
    if (slots_[slot] == 0 || keyOf(slots_[slot] - 1) == key) return slot;
  }
}

void NameList::rebuildIndex(std::size_t size) {
  slots_.assign(size, 0);
  for (std::size_t i = 0; i < names_.size(); ++i) {
    slots_[slotFor(keyOf(i))] = static_cast<uint32_t>(i + 1);
  }
}

}  // namespace velmora
