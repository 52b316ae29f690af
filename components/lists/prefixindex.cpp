// Type-ahead lookup (see prefixindex.h).
#include "components/lists/prefixindex.h"

#include <algorithm>

#include "framework/core/sysutils.h"

namespace tess {

std::string StripSpaces(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (char c : S)
    if (c != ' ') out += c;
  return out;
}

std::string FoldCase(const std::string& S) {
  return AnsiUpperCase(S);
}

void TPrefixIndex::Build(const std::vector<std::string>& Keys) {
  keys_.resize(Keys.size());
  for (size_t i = 0; i < Keys.size(); ++i) keys_[i] = FoldCase(Keys[i]);
  order_.resize(Keys.size());
  for (size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int32_t>(i);
  std::stable_sort(order_.begin(), order_.end(), [this](int32_t a, int32_t b) {
    return keys_[static_cast<size_t>(a)] < keys_[static_cast<size_t>(b)];
  });
  valid_ = true;
}

int32_t TPrefixIndex::Find(const std::string& Text) const {
  if (Text.empty()) return -1;
  std::string key = FoldCase(Text);
  auto it = std::lower_bound(order_.begin(), order_.end(), key, [this](int32_t i, const std::string& k) {
    return keys_[static_cast<size_t>(i)] < k;
  });
  int32_t best = -1;
  for (; it != order_.end(); ++it) {
    const std::string& k = keys_[static_cast<size_t>(*it)];
    if (k.compare(0, key.size(), key) != 0) break;
    if (best < 0 || *it < best) best = *it;
  }
  return best;
}

}  // namespace tess
