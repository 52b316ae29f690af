// Types shared by the table grid and its cells: placement, access and look of a cell,
// the display arrays of visible rows and columns, the row and column change events, and
// small helpers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tess {

class TObject;

// Where content sits in a cell; otaDefault takes the table's.
enum class TOvcTblAdjust {
  otaDefault, otaTopLeft, otaTopCenter, otaTopRight, otaCenterLeft, otaCenter,
  otaCenterRight, otaBottomLeft, otaBottomCenter, otaBottomRight
};
// otxDefault takes the table's.
enum class TOvcTblAccess { otxDefault, otxNormal, otxReadOnly, otxInvisible };
enum class TOvcTblOption {
  otoBrowseRow, otoNoRowResizing, otoNoColResizing, otoTabToArrow, otoEnterToArrow,
  otoAlwaysEditing, otoNoSelection, otoMouseDragSelect, otoRowSelection, otoColSelection,
  otoThumbTrack, otoAllowColMoves, otoAllowRowMoves
};
enum class TOvcTextStyle { tsFlat, tsRaised, tsLowered };

// Defined with the grid and its cells.
enum class TOvcCellDataPurpose;
enum class TOvcTblActions;
enum class TOvcTblEditorStyle;
struct TOvcCellAttributes;

// A change to the table's rows or columns: which ones, and how.
using TRowChangeNotifyEvent =
    std::function<void(TObject* Sender, int32_t RowNum1, int32_t RowNum2, TOvcTblActions Action)>;
using TColChangeNotifyEvent =
    std::function<void(TObject* Sender, int ColNum1, int ColNum2, TOvcTblActions Action)>;

// One visible row or column: its number and its pixel offset.
struct TOvcTblDisplayEntry {
  int32_t Number = 0;
  int32_t Offset = 0;
};

// The visible rows (or columns) of a table: AllocNm entries, of which Count are in use.
struct TOvcTblDisplayArray {
  uint16_t AllocNm = 0;
  uint16_t Count = 0;
  std::vector<TOvcTblDisplayEntry> Ay;  // AllocNm entries
};

// NewAlloc 0 frees the array (A becomes null); otherwise A gets a new array of
// NewAlloc entries holding the first min(NewAlloc, old Count) of the old ones.
void ResizeDisplayArray(std::unique_ptr<TOvcTblDisplayArray>& A, uint16_t NewAlloc);

inline int32_t MinL(int32_t A, int32_t B) { return A < B ? A : B; }
inline int32_t MaxL(int32_t A, int32_t B) { return A > B ? A : B; }
inline int MinI(int A, int B) { return A < B ? A : B; }
inline int MaxI(int A, int B) { return A > B ? A : B; }

}  // namespace tess
