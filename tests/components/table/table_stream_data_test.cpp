// The table's rows and columns in the component stream, against a model: random row
// records written and read back into fresh rows read the same everywhere; column lists
// round-trip; any cut or mistyped stream raises EReadError; data for rows the table does
// not have is left out.  And the layout telling its host when the outermost redraw lock
// is taken and released.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "components/table/tablelayout.h"
#include "components/table/tablestreamdata.h"
#include "framework/core/sysutils.h"

namespace tess {
namespace {

std::string Bytes(const std::function<void(TWriter&)>& Write) {
  TMemoryStream S;
  TWriter W(&S);
  Write(W);
  return S.DataString();
}

template <class T>
T ReadBack(const std::string& Data, T (*Read)(TReader&)) {
  TMemoryStream S;
  S.SetDataString(Data);
  TReader R(&S);
  return Read(R);
}

TEST(TableStreamData, RandomRowRecordsRoundTrip) {
  std::mt19937 Rng(7);
  for (int32_t Count : {1, 1000, 400000}) {
    TOvcTableRows Rows;
    Rows.SetCount(Count);
    std::map<int32_t, TRowStyle> Model;  // what SetRow was last told, by row
    for (int I = 0; I < 300; ++I) {
      const int32_t Row = static_cast<int32_t>(Rng() % static_cast<uint32_t>(Count));
      TRowStyle S{static_cast<int32_t>(Rng() % 5) * 10 - 1, Rng() % 3 == 0};
      Rows.SetRow(Row, S);
      Model[Row] = S;
      if (I == 150) Rows.SetDefaultHeight(24);
    }
    const TTableRowData Data = RowDataOf(Rows);
    const std::string Stored = Bytes([&](TWriter& W) { WriteRowData(W, Data); });
    TOvcTableRows Copy;
    Copy.SetCount(Count);
    ApplyRowData(Copy, ReadBack(Stored, &ReadRowData));
    EXPECT_EQ(RowDataOf(Copy), Data);
    EXPECT_EQ(Copy.DefaultHeight(), 24);
    for (auto& [Row, S] : Model) {
      TRowStyle A, B;
      Rows.GetRow(Row, A);
      Copy.GetRow(Row, B);
      EXPECT_EQ(A.Height, B.Height) << Row;
      EXPECT_EQ(A.Hidden, B.Hidden) << Row;
      EXPECT_EQ(B.Hidden, Row < TOvcTableRows::StoredRowLimit && S.Hidden) << Row;
    }
    // The records come out in row order, each row once.
    for (size_t I = 1; I < Data.Rows.size(); ++I)
      EXPECT_LT(Data.Rows[I - 1].RowNum, Data.Rows[I].RowNum);
  }
}

TEST(TableStreamData, RowsTheTableDoesNotHaveAreLeftOut) {
  TTableRowData Data;
  Data.DefaultHeight = 0;  // refused: the rows keep theirs
  Data.Rows = {{-1, true, 5}, {3, true, -1}, {10, true, 8}, {1 << 30, false, 9}};
  TOvcTableRows Rows;
  Rows.SetCount(10);
  Rows.SetHidden(5, true);  // cleared by reading
  ApplyRowData(Rows, Data);
  EXPECT_EQ(Rows.DefaultHeight(), 30);
  EXPECT_EQ(RowDataOf(Rows).Rows, (std::vector<TTableRowEntry>{{3, true, -1}}));
}

TEST(TableStreamData, ColumnListsRoundTrip) {
  const std::vector<TTableColEntry> Cols = {
      {159, false, "frmTabEdit.edtColumnName"}, {0, true, ""}, {-3, false, "Cell"},
      {150, false, std::string(300, 'n')}};
  const std::string Stored = Bytes([&](TWriter& W) { WriteColData(W, Cols); });
  EXPECT_EQ(ReadBack(Stored, &ReadColData), Cols);
  EXPECT_TRUE(ReadBack(Bytes([](TWriter& W) { WriteColData(W, {}); }), &ReadColData).empty());
}

TEST(TableStreamData, CutOrMistypedStreamsRaiseReadErrors) {
  TTableRowData Rows{22, {{1, true, -1}, {4, false, 40}}};
  const std::string R = Bytes([&](TWriter& W) { WriteRowData(W, Rows); });
  const std::string C = Bytes([](TWriter& W) { WriteColData(W, {{80, false, "F.C"}, {90, false, ""}}); });
  for (size_t N = 0; N < R.size(); ++N)
    EXPECT_THROW(ReadBack(R.substr(0, N), &ReadRowData), EReadError) << N;
  for (size_t N = 0; N < C.size(); ++N)
    EXPECT_THROW(ReadBack(C.substr(0, N), &ReadColData), EReadError) << N;
  // A string where a number belongs, a number where a flag belongs.
  const std::string Bad1 = Bytes([](TWriter& W) {
    W.WriteListBegin();
    W.WriteString("22");
    W.WriteListEnd();
  });
  EXPECT_THROW(ReadBack(Bad1, &ReadRowData), EReadError);
  const std::string Bad2 = Bytes([](TWriter& W) {
    W.WriteListBegin();
    W.WriteInteger(80);
    W.WriteInteger(1);
    W.WriteListEnd();
  });
  EXPECT_THROW(ReadBack(Bad2, &ReadColData), EReadError);
}

// The layout's host learns of the outermost lock only.
class LockHost : public TOvcTableHost {
 public:
  bool HasWindow() const override { return true; }
  int32_t ViewWidth() const override { return 300; }
  int32_t ViewHeight() const override { return 200; }
  void ScrollRect(int32_t, int32_t, const TOvcTableRect&) override {}
  bool HasScrollBar(bool) const override { return true; }
  void SetScrollRange(bool, int32_t, int32_t) override {}
  void SetScrollPos(bool, int32_t) override {}
  void PaintInvalidCells(const TOvcCellArray& Cells) override {
    log.push_back("paint " + std::to_string(Cells.Cells().size()));
  }
  void RedrawLockTaken() override { log.push_back("taken"); }
  void RedrawLockReleased() override { log.push_back("released"); }
  std::vector<std::string> log;
};

TEST(TableStreamData, OutermostRedrawLockReachesTheHost) {
  LockHost Host;
  TOvcTableRows Rows;
  TOvcTableColumns Cols(4);
  TOvcTableLayout L(Host, Rows, Cols);
  L.WindowCreated();
  Host.log.clear();
  {
    TOvcTableRedrawLock A(L);
    TOvcTableRedrawLock B(L);
    L.InvalidateCell(1, 1);
  }
  // Released after the cells are painted (an editor is placed over painted cells).
  EXPECT_EQ(Host.log, (std::vector<std::string>{"taken", "paint 1", "released"}));
}

}  // namespace
}  // namespace tess
