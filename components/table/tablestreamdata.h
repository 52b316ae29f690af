// The table grid's rows and columns as the component stream stores them: "RowData" is a
// list of the default row height, then row number, hidden flag and height (-1 for the
// default) of every row with a record of its own; "ColData" a list of width, hidden
// flag, whether a cell name follows, and that name ("Form.Cell") for every column.
//
// Reading trusts nothing: a malformed list raises the stream's EReadError, and rows that
// the table does not have are left out when the data is applied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/table/tablerows.h"
#include "framework/core/filer.h"

namespace tess {

struct TTableRowEntry {
  int32_t RowNum = 0;
  bool Hidden = false;
  int32_t Height = -1;
  bool operator==(const TTableRowEntry&) const = default;
};

struct TTableRowData {
  int32_t DefaultHeight = 30;
  std::vector<TTableRowEntry> Rows;
  bool operator==(const TTableRowData&) const = default;
};

struct TTableColEntry {
  int32_t Width = 150;
  bool Hidden = false;
  std::string CellName;  // "" when the column names no cell
  bool operator==(const TTableColEntry&) const = default;
};

void WriteRowData(TWriter& Writer, const TTableRowData& Data);
TTableRowData ReadRowData(TReader& Reader);
void WriteColData(TWriter& Writer, const std::vector<TTableColEntry>& Columns);
std::vector<TTableColEntry> ReadColData(TReader& Reader);

// The rows' default height and records.
TTableRowData RowDataOf(const TOvcTableRows& Rows);
// Clears the rows' records, sets the default height and stores each record of a row the
// table has (0 .. Count-1).
void ApplyRowData(TOvcTableRows& Rows, const TTableRowData& Data);

}  // namespace tess
