// The table's option rules.
#include "components/table/tableoptions.h"

namespace tess {

uint16_t AdjustedTableOptions(uint16_t O) {
  using enum TOvcTblOption;
  auto Has = [&O](TOvcTblOption X) { return (O & TableOptionBit(X)) != 0; };
  const uint16_t NoSelecting =
      TableOptionBit(otoMouseDragSelect) | TableOptionBit(otoRowSelection) |
      TableOptionBit(otoColSelection);
  const uint16_t Fixed = TableOptionBit(otoNoRowResizing) | TableOptionBit(otoNoColResizing) |
                         TableOptionBit(otoNoSelection);
  if (Has(otoBrowseRow) || Has(otoAlwaysEditing))
    O = static_cast<uint16_t>((O | Fixed) & ~NoSelecting);
  else if (Has(otoNoSelection))
    O = static_cast<uint16_t>(O & ~NoSelecting);
  if (Has(otoRowSelection)) O = static_cast<uint16_t>(O & ~TableOptionBit(otoAllowRowMoves));
  if (Has(otoColSelection)) O = static_cast<uint16_t>(O & ~TableOptionBit(otoAllowColMoves));
  return O;
}

}  // namespace tess
