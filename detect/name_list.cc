#include "detect/name_list.h"

#include "text/text.h"

namespace velmora {

NameList::NameList(std::vector<std::string> names) {
  for (auto& name : names) add(name);
}

bool NameList::add(std::string_view name) {
  if (!keys_.insert(text::comparisonKey(name)).second) return false;
  names_.emplace_back(name);
  return true;
}

bool NameList::holds(std::string_view name) const {
  return keys_.count(text::comparisonKey(name)) != 0;
}

}  // namespace velmora
