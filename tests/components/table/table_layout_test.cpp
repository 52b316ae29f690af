// The row and column lists and the table's layout, behind a fake host: what is on screen,
// the limits, hit testing, the thumb mapping and fast scrolling against a full repaint.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>

#include "components/core/exceptions.h"
#include "components/table/tablelayout.h"

using namespace tess;

namespace {

class FakeHost : public TOvcTableHost {
 public:
  bool Window = true;
  int32_t W = 400, H = 300;
  int Scrolls = 0;
  int32_t VMin = 0, VMax = 0, VPos = 0, HMin = 0, HMax = 0, HPos = 0;
  std::vector<TOvcCellAddress> Painted;
  int PaintCalls = 0;

  bool HasWindow() const override { return Window; }
  int32_t ViewWidth() const override { return W; }
  int32_t ViewHeight() const override { return H; }
  void ScrollRect(int32_t, int32_t, const TOvcTableRect&) override { ++Scrolls; }
  bool HasScrollBar(bool) const override { return true; }
  void SetScrollRange(bool V, int32_t Min, int32_t Max) override {
    (V ? VMin : HMin) = Min;
    (V ? VMax : HMax) = Max;
  }
  void SetScrollPos(bool V, int32_t Pos) override { (V ? VPos : HPos) = Pos; }
  void PaintInvalidCells(const TOvcCellArray& Cells) override {
    ++PaintCalls;
    Painted = Cells.Cells();
  }
};

struct Table {
  FakeHost Host;
  TOvcTableRows Rows;
  TOvcTableColumns Cols{10};
  TOvcTableLayout L{Host, Rows, Cols};
  Table(int32_t RowCount, int32_t W = 400, int32_t H = 300) {
    Host.W = W;
    Host.H = H;
    Rows.SetCount(RowCount);
    L.WindowCreated();
  }
  std::vector<int32_t> RowsShown() const {
    std::vector<int32_t> V;
    for (int I = 0; I < L.RowAxis().Entries(); ++I) V.push_back(L.RowAxis().Number(I));
    return V;
  }
};

}  // namespace

TEST(TableRows, RecordsAndBounds) {
  TOvcTableRows R;
  R.SetCount(400000);
  int Changes = 0;
  R.OnRowChanged = [&](TObject*, int32_t, int32_t, TOvcTblActions) { ++Changes; };
  R.SetRow(3, {30, false});  // the default height on a visible row: no record
  EXPECT_FALSE(R.HasRecord(3));
  R.SetRow(3, {50, false});
  R.SetDefaultHeight(50);
  EXPECT_EQ(R.GetHeight(3), 50);
  R.SetHidden(4, true);
  R.SetHeight(4, 0);  // stays hidden with the default height
  EXPECT_TRUE(R.GetHidden(4));
  EXPECT_EQ(R.GetHeight(4), 50);
  // Rows from 320000 on are accepted silently and stay default rows: nothing changed.
  const int Before = Changes;
  R.SetRow(320100, {80, true});
  EXPECT_FALSE(R.HasRecord(320100));
  EXPECT_EQ(R.GetHeight(320100), 50);
  R.SetHeight(320000, 90);
  R.SetHidden(320001, true);
  EXPECT_EQ(R.GetHeight(320000), 50);
  EXPECT_EQ(Changes, Before);
  EXPECT_THROW(R.GetHeight(400000), EOvcTableError);
  EXPECT_THROW(R.Delete(-1), EOvcTableError);
  EXPECT_GT(Changes, 0);

  // Deleting moves records down; exchanging with an unstorable row gives a default row.
  R.SetHeight(10, 70);
  R.Delete(5);
  EXPECT_EQ(R.GetHeight(9), 70);
  EXPECT_EQ(R.Count(), 399999);
  R.Exchange(9, 350000);
  EXPECT_FALSE(R.HasRecord(9));
  // A smaller count drops the records beyond it.
  R.SetHeight(200, 60);
  R.SetCount(100);
  R.SetCount(300);
  EXPECT_EQ(R.GetHeight(200), 50);
  EXPECT_EQ(R.StoredCount(), 2);  // rows 3 and 4
}

TEST(TableColumns, WidthsCountsAndNumbers) {
  TOvcTableColumns C(3);
  std::vector<TOvcTblActions> Seen;
  C.SetOnColumnChanged([&](TObject*, int, int, TOvcTblActions A) { Seen.push_back(A); });
  C.SetWidth(1, -5);
  EXPECT_EQ(C.GetWidth(1), 150);
  C.SetWidth(1, 40);
  C.SetCount(5);
  C.Exchange(1, 4);
  EXPECT_EQ(C.GetWidth(4), 40);
  EXPECT_EQ(C.GetColumn(4)->Number(), 4);
  C.Delete(0);
  EXPECT_EQ(C.GetWidth(3), 40);
  EXPECT_EQ(C.GetWidth(9), 0);
  C.SetCount(0);
  EXPECT_EQ(C.Count(), 4);
  EXPECT_FALSE(Seen.empty());
}

TEST(TableLayout, LockedHiddenAndLimits) {
  Table T(100);  // rows of 30 in 300 pixels: 10 rows on screen
  EXPECT_EQ(T.L.LockedRows(), 1);
  EXPECT_EQ(T.RowsShown(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  // MaxTopRow: rows 91..99 fit below the locked row (9 x 30 + 30 = 300).
  EXPECT_EQ(T.L.MaxTopRow(), 91);
  T.L.SetTopRow(500);
  EXPECT_EQ(T.L.TopRow(), 91);

  // A hidden run is skipped by IncRow in both directions and has no layout entry.
  T.L.SetTopRow(1);
  for (int R = 3; R <= 6; ++R) T.Rows.SetHidden(R, true);
  T.L.ExtentsChanged();
  EXPECT_EQ(T.RowsShown(), (std::vector<int32_t>{0, 1, 2, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(T.L.IncRow(2, 1), 7);
  EXPECT_EQ(T.L.IncRow(7, -1), 2);
  EXPECT_EQ(T.L.IncRow(4, 0), 7);
  EXPECT_EQ(T.L.FindRow(4), -1);

  // Locked counts are checked against the row and column counts at every set.
  T.L.SetLockedRows(100);
  EXPECT_EQ(T.L.LockedRows(), 1);
  T.L.SetLockedCols(10);
  EXPECT_EQ(T.L.LockedCols(), 1);
  T.L.SetLockedCols(2);
  EXPECT_EQ(T.L.LeftCol(), 2);

  // Columns: 150 wide in 400 pixels; a last column wider than the client is MaxLeftCol.
  T.Cols.SetWidth(9, 1000);
  T.L.ExtentsChanged();
  EXPECT_EQ(T.L.MaxLeftCol(), 9);
  int32_t Min, Max;
  T.L.HorzScrollRange(Min, Max);
  EXPECT_EQ(Max, 7);  // columns 2..9
  // Mixed widths: 2 locked (300) leave 100 for columns 7 (60) and 8 (40).
  T.Cols.SetWidth(9, 100);
  T.Cols.SetWidth(8, 40);
  T.Cols.SetWidth(7, 60);
  T.L.ExtentsChanged();
  EXPECT_EQ(T.L.MaxLeftCol(), 9);
  T.Cols.SetWidth(9, 60);
  T.L.ExtentsChanged();
  EXPECT_EQ(T.L.MaxLeftCol(), 8);
}

TEST(TableLayout, LockedCountSetBeforeWindowIsRevalidated) {
  FakeHost Host;
  Host.Window = false;
  TOvcTableRows Rows;
  TOvcTableColumns Cols(10);
  TOvcTableLayout L(Host, Rows, Cols);
  L.SetLockedRows(8);
  EXPECT_EQ(L.LockedRows(), 8);
  L.SetLockedRows(10);  // not below RowLimit: refused even without a window
  EXPECT_EQ(L.LockedRows(), 8);
  Rows.SetCount(5);  // behind the layout's back the rows still keep a scrolling one
  EXPECT_EQ(Rows.Count(), 9);
  Host.Window = true;
  L.WindowCreated();
  EXPECT_EQ(L.LockedRows(), 8);
  EXPECT_GE(L.TopRow(), 8);
  EXPECT_EQ(L.ActiveRow(), 8);
}

// However rows and columns go (deleted, counted down, through the lists or the
// layout), at least one scrolling row and column stay, so the active cell never sits on
// a locked line.
TEST(TableLayout, RowsAndColumnsNeverShrinkIntoTheLockedOnes) {
  Table T(4);
  T.L.SetLockedRows(2);
  T.L.SetLockedCols(2);
  T.Cols.SetCount(3);
  T.L.ExtentsChanged();
  T.L.SetActiveCell(3, 2);
  const std::vector<std::function<void()>> shrinks = {
      [&] { T.Rows.Delete(3); },   [&] { T.Rows.Delete(2); },   [&] { T.Rows.SetCount(1); },
      [&] { T.L.SetRowLimit(2); }, [&] { T.Cols.Delete(2); },   [&] { T.Cols.Delete(0); },
      [&] { T.Cols.SetCount(2); }, [&] { T.L.SetColCount(1); },
  };
  for (size_t I = 0; I < shrinks.size(); ++I) {
    shrinks[I]();
    T.L.ExtentsChanged();
    EXPECT_GE(T.Rows.Count(), 3) << I;
    EXPECT_GE(T.Cols.Count(), 3) << I;
    EXPECT_GE(T.L.ActiveRow(), T.L.LockedRows()) << I;
    EXPECT_LT(T.L.ActiveRow(), T.L.RowLimit()) << I;
    EXPECT_GE(T.L.ActiveCol(), T.L.LockedCols()) << I;
    EXPECT_LT(T.L.ActiveCol(), T.L.ColCount()) << I;
  }
  // At the least count a deleted row's record still goes; a default row takes its place.
  T.Rows.SetHeight(2, 44);
  T.Rows.Delete(2);
  EXPECT_EQ(T.Rows.Count(), 3);
  EXPECT_EQ(T.Rows.GetHeight(2), 30);
  // Unlocked, they shrink again, as far as one row and one column past the locked ones.
  T.L.SetLockedRows(0);
  T.Rows.SetCount(1);
  EXPECT_EQ(T.Rows.Count(), 1);
  T.Rows.Delete(0);
  EXPECT_EQ(T.Rows.Count(), 1);
  T.L.SetLockedCols(1);
  T.Cols.Delete(2);
  T.Cols.Delete(1);
  EXPECT_EQ(T.Cols.Count(), 2);
}

TEST(TableLayout, HitTestAtBorders) {
  Table T(100);
  int32_t R, C;
  EXPECT_EQ(T.L.HitTest(0, 0, R, C), 1);
  EXPECT_EQ(R, 0);
  EXPECT_EQ(T.L.HitTest(149, 29, R, C), 1);
  EXPECT_EQ(C, 0);
  EXPECT_EQ(T.L.HitTest(150, 30, R, C), 0);
  EXPECT_EQ(R, 1);
  EXPECT_EQ(C, 1);
  EXPECT_EQ(T.L.HitTest(-1, 5, R, C), 3);
  EXPECT_EQ(C, -2);
  EXPECT_EQ(T.L.HitTest(400, 5, R, C), 3);
  T.Rows.SetCount(3);
  T.L.ExtentsChanged();
  EXPECT_EQ(T.L.HitTest(10, 95, R, C), 2);  // below the last row
  EXPECT_EQ(R, -1);
}

// The thumb mapping: thumb -> row -> thumb is stable, the ends reach the ends.
TEST(TableLayout, ThumbMappingRoundTrips) {
  for (int32_t Count : {100, 65536, 1000000}) {
    Table T(Count);
    int32_t Min, Max;
    T.L.VertScrollRange(Min, Max);
    EXPECT_EQ(Min, 1);
    EXPECT_LE(Max, Count < 16384 ? Count : 1024) << Count;
    EXPECT_EQ(T.L.RowForThumb(Max), T.L.MaxTopRow()) << Count;
    for (int32_t P = Min; P <= Max; P += std::max(1, (Max - Min) / 97)) {
      const int32_t Row = T.L.RowForThumb(P);
      ASSERT_GE(Row, 1);
      ASSERT_LE(Row, T.L.MaxTopRow());
      T.L.SetTopRow(Row);
      ASSERT_EQ(T.L.VertThumbPos(), P) << Count << " pos " << P;
      ASSERT_EQ(T.Host.VPos, P);
    }
  }
}

// A host that keeps the screen as pixels: scrolling moves them and leaves garbage (0) in
// the uncovered strip, painting writes each cell's id (unused area -1).
class PixelHost : public FakeHost {
 public:
  const TOvcTableLayout* L = nullptr;
  std::vector<int64_t> Px;
  int64_t& At(int32_t X, int32_t Y) { return Px[static_cast<size_t>(Y * W + X)]; }
  void ScrollRect(int32_t DX, int32_t DY, const TOvcTableRect& C) override {
    ++Scrolls;
    std::vector<int64_t> Old = Px;
    for (int32_t Y = C.Top; Y < C.Bottom; ++Y)
      for (int32_t X = C.Left; X < C.Right; ++X) {
        const int32_t SX = X - DX, SY = Y - DY;
        const bool Inside = SX >= C.Left && SX < C.Right && SY >= C.Top && SY < C.Bottom;
        At(X, Y) = Inside ? Old[static_cast<size_t>(SY * W + SX)] : 0;
      }
  }
  void Fill(const TOvcTableRect& R, int64_t V) {
    for (int32_t Y = std::max(0, R.Top); Y < std::min(H, R.Bottom); ++Y)
      for (int32_t X = std::max(0, R.Left); X < std::min(W, R.Right); ++X) At(X, Y) = V;
  }
  void PaintInvalidCells(const TOvcCellArray& Cells) override {
    FakeHost::PaintInvalidCells(Cells);
    for (auto& A : Cells.Cells()) {
      TOvcTableRect R;
      if (L->GetCellRect(A.Row, A.Col, R)) Fill(R, A.Row * 1000 + A.Col + 1);
    }
    if (Cells.ExtraAreaMarked()) {
      Fill({L->ColAxis().TotalExtent(), 0, W, H}, -1);
      Fill({0, L->RowAxis().TotalExtent(), W, H}, -1);
    }
  }
};

// Scrolling by steps that keep part of the view moves pixels and paints only what came
// into view: the screen must equal a full repaint after every step.
TEST(TableLayout, FastScrollMatchesFullRepaint) {
  PixelHost Host;
  Host.W = 320;
  Host.H = 230;
  Host.Px.assign(320 * 230, 0);
  TOvcTableRows Rows;
  TOvcTableColumns Cols(12);
  TOvcTableLayout L(Host, Rows, Cols);
  Host.L = &L;
  Rows.SetCount(60);
  Rows.SetHeight(5, 45);
  Rows.SetHeight(58, 12);
  Rows.SetHidden(9, true);
  Cols.SetWidth(3, 70);
  Cols.SetWidth(11, 20);
  L.WindowCreated();
  L.SetAllowRedraw(false);
  L.InvalidateTable();
  L.SetAllowRedraw(true);
  std::mt19937 Rng(5);
  int Fast = 0;
  for (int Step = 0; Step < 200; ++Step) {
    const int32_t DR = static_cast<int32_t>(Rng() % 9) - 4,
                  DC = static_cast<int32_t>(Rng() % 3) - 1;
    const int Before = Host.Scrolls;
    L.SetTopLeftCell(std::max(1, L.TopRow() + DR), std::max(1, L.LeftCol() + DC));
    Fast += Host.Scrolls > Before;
    for (int32_t Y = 0; Y < Host.H; ++Y)
      for (int32_t X = 0; X < Host.W; ++X) {
        int32_t R, C;
        const uint8_t Hit = L.HitTest(X, Y, R, C);
        const int64_t Want = Hit <= 1 ? R * 1000 + C + 1 : -1;
        ASSERT_EQ(Host.At(X, Y), Want) << "step " << Step << " at " << X << "," << Y;
      }
  }
  EXPECT_GT(Fast, 40);
}

TEST(TableLayout, NestedRedrawLockPaintsOnce) {
  Table T(50);
  T.Host.PaintCalls = 0;
  T.L.SetAllowRedraw(false);
  T.L.SetAllowRedraw(false);
  T.L.InvalidateRow(2);
  T.L.SetActiveCell(3, 2);
  T.L.SetAllowRedraw(true);
  EXPECT_EQ(T.Host.PaintCalls, 0);
  T.L.SetAllowRedraw(true);
  EXPECT_EQ(T.Host.PaintCalls, 1);
  EXPECT_TRUE(T.L.InvalidCells().IsEmpty());
}

// The paint at the end of the outermost redraw lock runs the table's handlers, and one of
// them may free the table: the release passes on what ends the table's work, and locks of
// the freed layout still on the stack are left alone (the sanitizers see any touch).
TEST(TableRedrawLock, AFreedLayoutIsLeftAlone) {
  // Freed while locks of it are held: none of them touches it when it ends.
  auto* T = new Table(40);
  EXPECT_THROW(
      {
        TOvcTableRedrawLock Outer(T->L);
        TOvcTableRedrawLock Inner(T->L);
        T->L.InvalidateCell(2, 2);
        delete T;
        throw EFreedByHandler();
      },
      EFreedByHandler);

  // Freed by the paint the outermost release runs, as the table's handler frees it.
  struct SelfFreeing {
    struct Host : FakeHost {
      SelfFreeing* Owner = nullptr;
      void PaintInvalidCells(const TOvcCellArray&) override {
        delete Owner;
        throw EFreedByHandler();
      }
    } H;
    TOvcTableRows Rows;
    TOvcTableColumns Cols{10};
    TOvcTableLayout L{H, Rows, Cols};
    SelfFreeing() {
      H.Owner = this;
      Rows.SetCount(40);
      L.WindowCreated();
    }
  };
  TOvcTableLayout& L = (new SelfFreeing)->L;
  EXPECT_THROW(
      {
        TOvcTableRedrawLock Outer(L);
        TOvcTableRedrawLock Inner(L);
        L.InvalidateCell(2, 2);
      },
      EFreedByHandler);
}
