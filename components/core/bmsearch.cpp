// See bmsearch.h.
#include "components/core/bmsearch.h"

#include <cstring>

#include "platform/charclass.h"

namespace tess {

namespace {

struct UpperTable {
  uint8_t map[256];
  UpperTable() {
    for (int c = 0; c < 256; ++c) map[c] = platform::UpperChar(static_cast<uint8_t>(c));
  }
};

const uint8_t* Upper() {
  static const UpperTable table;
  return table.map;
}

struct Identity {
  uint8_t operator()(uint8_t c) const { return c; }
};

struct Folded {
  const uint8_t* map;
  uint8_t operator()(uint8_t c) const { return map[c]; }
};

template <class Fold>
bool Search(const uint8_t* buf, uint32_t n, const TBMTable& bt, const uint8_t* pat, uint32_t m,
            Fold fold, uint32_t& pos) {
  if (m == 0 || m > n) return false;
  if (m == 1) {
    for (uint32_t i = 0; i < n; ++i) {
      if (fold(buf[i]) == pat[0]) {
        pos = i;
        return true;
      }
    }
    return false;
  }
  const uint8_t last = pat[m - 1];
  // i is the offset of the buffer byte under the window's last character.
  for (uint32_t i = m - 1; i < n;) {
    uint8_t c = fold(buf[i]);
    if (c == last) {
      const uint8_t* start = buf + (i - (m - 1));
      uint32_t k = m - 1;
      while (k > 0 && fold(start[k - 1]) == pat[k - 1]) --k;
      if (k == 0) {
        pos = i - (m - 1);
        return true;
      }
    }
    i += bt[c];
  }
  return false;
}

}  // namespace

void BMMakeTable(const char* MatchString, TBMTable& BT) {
  size_t l = std::strlen(MatchString);
  BT.fill(static_cast<uint8_t>(l < 255 ? l : 255));
  for (size_t i = 0; i + 1 < l; ++i) {
    size_t skip = l - 1 - i;
    BT[static_cast<uint8_t>(MatchString[i])] = static_cast<uint8_t>(skip < 255 ? skip : 255);
  }
}

bool BMSearch(const void* Buffer, uint32_t BufLength, const TBMTable& BT,
              const char* MatchString, uint32_t& Pos) {
  const auto* pat = reinterpret_cast<const uint8_t*>(MatchString);
  uint32_t m = static_cast<uint32_t>(std::strlen(MatchString));
  return Search(static_cast<const uint8_t*>(Buffer), BufLength, BT, pat, m, Identity{}, Pos);
}

bool BMSearchUC(const void* Buffer, uint32_t BufLength, const TBMTable& BT,
                const char* MatchString, uint32_t& Pos) {
  const auto* pat = reinterpret_cast<const uint8_t*>(MatchString);
  uint32_t m = static_cast<uint32_t>(std::strlen(MatchString));
  return Search(static_cast<const uint8_t*>(Buffer), BufLength, BT, pat, m, Folded{Upper()},
                Pos);
}

}  // namespace tess
