// See componentstrings.h.
#include "components/core/componentstrings.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace tess {

namespace {

struct Entry {
  uint16_t id;
  const char* text;
};

constexpr Entry kStrings[] = {
#define COMPONENT_STRING(id, text) {id, text},
#include "components/core/componentstrings.def"
#undef COMPONENT_STRING
};

constexpr bool Sorted() {
  for (size_t i = 1; i < std::size(kStrings); ++i)
    if (kStrings[i - 1].id >= kStrings[i].id) return false;
  return true;
}
static_assert(Sorted(), "componentstrings.def must list identifiers in ascending order");

}  // namespace

const std::string& ComponentString(uint16_t Ident) {
  // Made once; references into it stay valid for the program's life.
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> v;
    for (const Entry& e : kStrings) v.emplace_back(e.text);
    return v;
  }();
  static const std::string empty;
  auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), Ident,
                             [](const Entry& e, uint16_t id) { return e.id < id; });
  if (it == std::end(kStrings) || it->id != Ident) return empty;
  return texts[static_cast<size_t>(it - std::begin(kStrings))];
}

}  // namespace tess
