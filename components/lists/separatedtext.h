// Grid cells as separated text: one line per row, the cells joined by a separator
// character, no quoting (a cell holding the separator does not survive a round trip).
// Lines end with CR, LF or CR LF when read and with CR LF when written.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/gridmodel.h"

namespace tess {

// Fills Cells from Text: RowCount becomes the number of lines (at least 1, as a grid
// always has a row), ColCount the largest number of fields of a line and at least
// MinCols; n separators in a line give n + 1 fields, empty ones included.
void ReadSeparatedText(const std::string& Text, char Separator, int32_t MinCols, TGridCells& Cells);
// Every row, fixed cells included, as one line.
std::string WriteSeparatedText(const TGridCells& Cells, char Separator);

// The whole file as bytes; EFOpenError / EFCreateError (with the name) on failure.
std::string ReadFileBytes(const std::string& FileName);
void WriteFileBytes(const std::string& FileName, const std::string& Bytes);

}  // namespace tess
