// Sorting the rows of a string grid by one column: the sort options, the record of a
// sort (which row went where, so that it can be undone), the comparison of two cells
// by text, number, date or a caller's function, and the detection of a column's style.
//
// The comparison treats a pair whose text cannot be converted as equal, so it is not a
// consistent order on mixed data; the sort is a stable merge sort that moves each entry
// exactly once per pass whatever the comparison answers, so no row is lost or doubled.
// Ties (and such pairs) keep the order the rows had before the sort.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/gridmodel.h"
#include "framework/core/localeconv.h"

namespace tess {

enum TSortStyle : uint8_t { ssAutomatic, ssAlphabetic, ssNumeric, ssDateTime, ssCustom };
enum TSortDirection : uint8_t { sdAscending, sdDescending };

using TSortCompare = std::function<int(const std::string& Str1, const std::string& Str2)>;

struct TSortOptions {
  TSortStyle SortStyle = ssAutomatic;
  TSortDirection SortDirection = sdAscending;
  bool SortCaseSensitive = false;
  TSortCompare SortCompare;  // used only with ssCustom
};

// One data row taking part in a sort: the text of its sort cell and its index before.
struct TSortedListEntry {
  std::string Str;
  int32_t Row = 0;
};
using TSortedList = std::vector<TSortedListEntry>;

// Sorts Entries (their Row fields ascending on entry, as the grid fills them) by the
// options.  Numbers and dates are read with FS.  Exceptions of SortCompare pass to the
// caller and leave Entries as they were.
void SortEntries(TSortedList& Entries, const TSortOptions& Options, const TFormatSettings& FS);

// The style a column's cells allow: numeric when every cell reads as a number, else
// date when every cell reads as a date (without a time), else alphabetic.  Rows First
// to Last - 1 of column Col.
TSortStyle DetectSortStyle(const TGridCells& Cells, int32_t Col, int32_t First, int32_t Last,
                           const TFormatSettings& FS);

// Sorts data rows First .. RowCount - 1 of Cells by column Col and fills Record with the
// entries in their new order (entry i: the row now at First + i came from Row).
void SortRows(TGridCells& Cells, int32_t Col, int32_t First, const TSortOptions& Options,
              const TFormatSettings& FS, TSortedList& Record);

// Puts the rows back where Record says they were.  False (nothing done) when Record
// does not describe the data rows First .. RowCount - 1.
bool UndoSortRows(TGridCells& Cells, int32_t First, const TSortedList& Record);

// A merge sort of the indexes 0 .. N - 1 by Compare (negative: the first goes before),
// stable, and safe for any answers of Compare.
std::vector<int32_t> StableSortIndexes(int32_t N, const std::function<int(int32_t, int32_t)>& Compare);

}  // namespace tess
