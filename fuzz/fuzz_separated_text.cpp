// Separated text read into a grid's cells and the rows sorted by each column, over any
// bytes: reading ends in cells or in the reader's error, what was read writes back to text
// that reads back the same cells, and every sort and its undo keep the rows a permutation
// of the rows read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "components/lists/gridsort.h"
#include "components/lists/separatedtext.h"
#include "framework/core/sysutils.h"
#include "fuzz/fuzz_check.h"

using namespace tess;

namespace {

std::vector<std::string> Rows(const TGridCells& Cells) {
  std::vector<std::string> rows;
  for (int32_t r = 0; r < Cells.RowCount(); ++r) {
    std::string row;
    for (int32_t c = 0; c < Cells.ColCount(); ++c) row += Cells.Cell(c, r) + '\x1f';
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const char separator = static_cast<char>(Data[0]);
  if (separator == '\n' || separator == '\r') return 0;
  const std::string text(reinterpret_cast<const char*>(Data) + 1, Size - 1);
  TGridCells cells(1, 1);
  try {
    ReadSeparatedText(text, separator, 1, cells);
  } catch (const Exception&) {
    return 0;
  }
  // What was read writes back to text that reads back the same cells.
  TGridCells again(1, 1);
  ReadSeparatedText(WriteSeparatedText(cells, separator), separator, 1, again);
  FUZZ_CHECK(Rows(again) == Rows(cells));

  TFormatSettings fs;
  std::vector<std::string> before = Rows(cells);
  std::sort(before.begin(), before.end());
  for (int32_t col = 0; col < std::min<int32_t>(cells.ColCount(), 4); ++col) {
    for (TSortStyle style : {ssAutomatic, ssAlphabetic, ssNumeric, ssDateTime}) {
      TSortOptions options;
      options.SortStyle = style;
      options.SortDirection = col % 2 ? sdDescending : sdAscending;
      std::vector<std::string> original = Rows(cells);
      TSortedList record;
      SortRows(cells, col, 0, options, fs, record);
      std::vector<std::string> after = Rows(cells);
      std::sort(after.begin(), after.end());
      FUZZ_CHECK(after == before);
      FUZZ_CHECK(UndoSortRows(cells, 0, record));
      FUZZ_CHECK(Rows(cells) == original);
    }
  }
  return 0;
}
