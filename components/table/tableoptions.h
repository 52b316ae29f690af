// The table's option set and the rules that keep it consistent: browsing by row or
// always editing leaves nothing to select or resize, no selection leaves nothing to drag
// out, and a click on a heading either selects or starts a move, never both.
#pragma once

#include <cstdint>

#include "components/core/tabletypes.h"

namespace tess {

// Bit n of the stored 16-bit set is the option of value n.
constexpr uint16_t TableOptionBit(TOvcTblOption O) {
  return static_cast<uint16_t>(1u << static_cast<unsigned>(O));
}
// The set after the setter's adjustments.
uint16_t AdjustedTableOptions(uint16_t Options);

}  // namespace tess
