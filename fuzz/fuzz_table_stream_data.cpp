// The table grid's "RowData" and "ColData" over any bytes: reading ends in data or in the
// stream's EReadError; what was read writes back to bytes that read the same, and row
// data applied to a table's rows leaves them within their bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "components/table/tablestreamdata.h"
#include "framework/core/sysutils.h"
#include "fuzz/fuzz_check.h"

using namespace tess;

namespace {

template <class T>
bool TryRead(const std::string& Bytes, T (*Read)(TReader&), T& Out) {
  TMemoryStream S;
  S.SetDataString(Bytes);
  TReader R(&S);
  try {
    Out = Read(R);
    return true;
  } catch (const EReadError&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  TTableRowData Rows;
  if (TryRead(input, &ReadRowData, Rows)) {
    TMemoryStream S;
    TWriter W(&S);
    WriteRowData(W, Rows);
    TTableRowData Again;
    FUZZ_CHECK(TryRead(S.DataString(), &ReadRowData, Again) && Again == Rows);
    TOvcTableRows Table;
    Table.SetCount(1000);
    ApplyRowData(Table, Rows);
    FUZZ_CHECK(Table.DefaultHeight() >= 1 && Table.Count() == 1000);
    for (const TTableRowEntry& E : RowDataOf(Table).Rows)
      FUZZ_CHECK(E.RowNum >= 0 && E.RowNum < 1000);
  }

  std::vector<TTableColEntry> Cols;
  if (TryRead(input, &ReadColData, Cols)) {
    TMemoryStream S;
    TWriter W(&S);
    WriteColData(W, Cols);
    std::vector<TTableColEntry> Again;
    FUZZ_CHECK(TryRead(S.DataString(), &ReadColData, Again) && Again == Cols);
  }
  return 0;
}
