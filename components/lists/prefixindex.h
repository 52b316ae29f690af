// The type-ahead lookup of the list and combo boxes: the first item, in list order,
// whose beginning equals the typed text ignoring case.  The items are folded once into
// an index sorted by key, so a lookup is a binary search plus a walk over the items
// that share the prefix, whatever order the list itself has.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tess {

// The item without its spaces (the list box compares items this way).
std::string StripSpaces(const std::string& S);
// The case fold of the comparison: ASCII and Latin-1 letters upper-cased.
std::string FoldCase(const std::string& S);

class TPrefixIndex {
 public:
  // Keys[i] is item i as compared (before folding).
  void Build(const std::vector<std::string>& Keys);
  bool Valid() const { return valid_; }
  void Invalidate() { valid_ = false; }
  int32_t Count() const { return static_cast<int32_t>(keys_.size()); }
  // -1 for an empty Text or when no item starts with it.
  int32_t Find(const std::string& Text) const;

 private:
  std::vector<std::string> keys_;  // folded, in list order
  std::vector<int32_t> order_;     // item indexes sorted by key, then by index
  bool valid_ = false;
};

}  // namespace tess
