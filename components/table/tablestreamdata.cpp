// See tablestreamdata.h.
#include "components/table/tablestreamdata.h"

namespace tess {

void WriteRowData(TWriter& W, const TTableRowData& Data) {
  W.WriteListBegin();
  W.WriteInteger(Data.DefaultHeight);
  for (const TTableRowEntry& R : Data.Rows) {
    W.WriteInteger(R.RowNum);
    W.WriteBoolean(R.Hidden);
    W.WriteInteger(R.Height);
  }
  W.WriteListEnd();
}

TTableRowData ReadRowData(TReader& R) {
  TTableRowData Data;
  R.ReadListBegin();
  if (!R.EndOfList()) Data.DefaultHeight = R.ReadInteger();
  while (!R.EndOfList()) {
    TTableRowEntry E;
    E.RowNum = R.ReadInteger();
    E.Hidden = R.ReadBoolean();
    E.Height = R.ReadInteger();
    Data.Rows.push_back(E);
  }
  R.ReadListEnd();
  return Data;
}

void WriteColData(TWriter& W, const std::vector<TTableColEntry>& Columns) {
  W.WriteListBegin();
  for (const TTableColEntry& C : Columns) {
    W.WriteInteger(C.Width);
    W.WriteBoolean(C.Hidden);
    W.WriteBoolean(!C.CellName.empty());
    if (!C.CellName.empty()) W.WriteString(C.CellName);
  }
  W.WriteListEnd();
}

std::vector<TTableColEntry> ReadColData(TReader& R) {
  std::vector<TTableColEntry> Columns;
  R.ReadListBegin();
  while (!R.EndOfList()) {
    TTableColEntry C;
    C.Width = R.ReadInteger();
    C.Hidden = R.ReadBoolean();
    if (R.ReadBoolean()) C.CellName = R.ReadString();
    Columns.push_back(std::move(C));
  }
  R.ReadListEnd();
  return Columns;
}

TTableRowData RowDataOf(const TOvcTableRows& Rows) {
  TTableRowData Data;
  Data.DefaultHeight = Rows.DefaultHeight();
  Rows.IterateRecords([&Data](int32_t RowNum, const TRowStyle& S) {
    Data.Rows.push_back({RowNum, S.Hidden, S.Height});
  });
  return Data;
}

void ApplyRowData(TOvcTableRows& Rows, const TTableRowData& Data) {
  Rows.Clear();
  Rows.SetDefaultHeight(Data.DefaultHeight);
  for (const TTableRowEntry& E : Data.Rows)
    if (E.RowNum >= 0 && E.RowNum < Rows.Count()) Rows.SetRow(E.RowNum, {E.Height, E.Hidden});
}

}  // namespace tess
