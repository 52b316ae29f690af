// The grid's cells and sizes under random inserts, deletes and moves, against a
// vector of vectors; the axis geometry; the outline tree against its invariants.
#include "framework/core/gridmodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "framework/core/localeconv.h"
#include "framework/core/outlinemodel.h"

namespace tess {
namespace {

template <class T>
void ModelMove(std::vector<T>& V, int From, int To) {
  T x = V[static_cast<size_t>(From)];
  V.erase(V.begin() + From);
  V.insert(V.begin() + To, x);
}

TEST(GridModel, CellsAndSizesFollowAVectorOfVectors) {
  std::mt19937 rng(1);
  TGridCells cells(4, 4);
  TGridAxis cols(4, 1, 64), rows(4, 1, 24);
  std::vector<std::vector<std::string>> model(4, std::vector<std::string>(4));
  std::vector<int32_t> widths(4, 64), heights(4, 24);
  int stamp = 0;
  for (int step = 0; step < 3000; ++step) {
    int nr = static_cast<int>(model.size()), nc = static_cast<int>(model[0].size());
    switch (rng() % 8) {
      case 0: {  // set a cell (sometimes to empty)
        int c = static_cast<int>(rng() % nc), r = static_cast<int>(rng() % nr);
        std::string v = rng() % 4 ? std::to_string(++stamp) : "";
        cells.SetCell(c, r, v);
        model[static_cast<size_t>(r)][static_cast<size_t>(c)] = v;
        break;
      }
      case 1: {  // insert a row as the sortable grid does: grow, then move the last up
        int at = static_cast<int>(rng() % (nr + 1));
        cells.SetSize(nc, nr + 1);
        rows.SetCount(nr + 1);
        cells.MoveRow(nr, at);
        rows.Move(nr, at);
        model.insert(model.begin() + at, std::vector<std::string>(static_cast<size_t>(nc)));
        heights.insert(heights.begin() + at, 24);
        break;
      }
      case 2: {
        int at = static_cast<int>(rng() % (nc + 1));
        cells.SetSize(nc + 1, nr);
        cols.SetCount(nc + 1);
        cells.MoveColumn(nc, at);
        cols.Move(nc, at);
        for (auto& row : model) row.insert(row.begin() + at, "");
        widths.insert(widths.begin() + at, 64);
        break;
      }
      case 3:
        if (nr > 1) {
          int at = static_cast<int>(rng() % nr);
          cells.DeleteRow(at);
          rows.Delete(at);
          model.erase(model.begin() + at);
          heights.erase(heights.begin() + at);
        }
        break;
      case 4:
        if (nc > 1) {
          int at = static_cast<int>(rng() % nc);
          cells.DeleteColumn(at);
          cols.Delete(at);
          for (auto& row : model) row.erase(row.begin() + at);
          widths.erase(widths.begin() + at);
        }
        break;
      case 5: {
        int a = static_cast<int>(rng() % nr), b = static_cast<int>(rng() % nr);
        cells.MoveRow(a, b);
        rows.Move(a, b);
        ModelMove(model, a, b);
        ModelMove(heights, a, b);
        break;
      }
      case 6: {
        int a = static_cast<int>(rng() % nc), b = static_cast<int>(rng() % nc);
        cells.MoveColumn(a, b);
        cols.Move(a, b);
        for (auto& row : model) ModelMove(row, a, b);
        ModelMove(widths, a, b);
        break;
      }
      case 7: {
        int c = static_cast<int>(rng() % nc);
        int w = static_cast<int>(rng() % 100);
        cols.SetSize(c, w);
        widths[static_cast<size_t>(c)] = w;
        break;
      }
    }
    ASSERT_EQ(cells.RowCount(), static_cast<int32_t>(model.size()));
    ASSERT_EQ(cells.ColCount(), static_cast<int32_t>(model[0].size()));
    ASSERT_EQ(cols.Count(), cells.ColCount());
    for (int r = 0; r < cells.RowCount(); ++r) {
      ASSERT_LE(cells.Row(r).size(), static_cast<size_t>(cells.ColCount()));
      ASSERT_EQ(rows.Size(r), heights[static_cast<size_t>(r)]);
      for (int c = 0; c < cells.ColCount(); ++c)
        ASSERT_EQ(cells.Cell(c, r), model[static_cast<size_t>(r)][static_cast<size_t>(c)]) << step;
    }
    for (int c = 0; c < cols.Count(); ++c) ASSERT_EQ(cols.Size(c), widths[static_cast<size_t>(c)]);
  }
  EXPECT_EQ(cells.Cell(-1, 0), "");
  EXPECT_THROW(cells.SetCell(cells.ColCount(), 0, "x"), EListError);
  std::vector<int32_t> bad = {0, 0};
  EXPECT_THROW(cells.PermuteRows(0, bad), EListError);
}

TEST(GridModel, AxisGeometryAgreesWithASumOfSizes) {
  std::mt19937 rng(2);
  for (int round = 0; round < 200; ++round) {
    int n = 2 + static_cast<int>(rng() % 30);
    TGridAxis a(n, static_cast<int>(rng() % 2), 10 + static_cast<int>(rng() % 10));
    for (int i = 0; i < n; ++i)
      if (rng() % 3 == 0) a.SetSize(i, static_cast<int>(rng() % 40));
    int client = 20 + static_cast<int>(rng() % 300), lw = static_cast<int>(rng() % 2);
    a.SetFirst(a.Fixed() + static_cast<int>(rng() % static_cast<unsigned>(n - a.Fixed())));
    // Brute force: the pixel column of every visible cell.
    std::vector<int> owner(static_cast<size_t>(client), -1);
    int x = 0;
    auto place = [&](int i) {
      if (a.Start(i, lw) != x) ADD_FAILURE() << "start of " << i;
      for (int p = x; p < x + a.Size(i) + lw && p < client; ++p) owner[static_cast<size_t>(p)] = i;
      x += a.Size(i) + lw;
    };
    for (int i = 0; i < a.Fixed(); ++i) place(i);
    for (int i = a.First(); i < n && x < client; ++i) place(i);
    for (int p = 0; p < client; ++p) ASSERT_EQ(a.IndexAt(p, lw, client), owner[static_cast<size_t>(p)]);
    int mf = a.MaxFirst(lw, client);
    // From MaxFirst the rest fits; from one earlier it would not.
    EXPECT_LE(a.FixedExtent(lw) + a.Extent(mf, n, lw), std::max(client, a.FixedExtent(lw) + a.Size(n - 1) + lw));
    if (mf > a.Fixed()) {
      EXPECT_GT(a.FixedExtent(lw) + a.Extent(mf - 1, n, lw), client);
    }
  }
}

// Sizes are summed in 64 bits: a hundred million rows take more pixels than 32 bits hold.
TEST(GridModel, ExtentsOfManyRowsDoNotOverflow) {
  for (int32_t rows : {100000, 100000000}) {
    TGridAxis a(rows, 1, 24);
    EXPECT_EQ(a.Extent(0, rows, 1), int64_t{rows} * 25);
    a.SetSize(rows / 2, 100);
    EXPECT_EQ(a.Extent(0, rows, 1), int64_t{rows} * 25 + 76);
    EXPECT_EQ(a.Extent(rows / 2, rows / 2 + 1, 0), 100);
    a.SetFirst(1);
    EXPECT_GE(a.Start(rows - 1, 1), 0) << "far below the client area, not before it";
  }
}

TEST(OutlineModel, LinesBuildATreeThatKeepsItsInvariant) {
  std::mt19937 rng(4);
  TOutlineTree t;
  TOutlineStrings lines(&t);
  lines.SetText("A\n\t\t\tdeep\n\tB\nC\n");
  ASSERT_EQ(t.ItemCount(), 4);
  EXPECT_EQ(t.Item(2).Level, 2);  // three tabs under a level-1 node: one level deeper
  EXPECT_EQ(lines.Text(), "A\r\n\tdeep\r\n\tB\r\nC\r\n");
  for (int step = 0; step < 2000; ++step) {
    int n = t.ItemCount();
    switch (rng() % 5) {
      case 0:
        lines.Insert(static_cast<int>(rng() % (n + 1)), std::string(rng() % 4, '\t') + "x");
        break;
      case 1:
        if (n) t.Delete(1 + static_cast<int>(rng() % n));
        break;
      case 2:
        t.AddChild(n ? static_cast<int>(rng() % (n + 1)) : 0, "c");
        break;
      case 3:
        if (n) t.SetExpanded(1 + static_cast<int>(rng() % n), rng() % 2);
        break;
      case 4:
        t.Add(n ? static_cast<int>(rng() % (n + 1)) : 0, "s");
        break;
    }
    for (int i = 1; i <= t.ItemCount(); ++i) {
      int prev = i == 1 ? 0 : t.Item(i - 1).Level;
      ASSERT_GE(t.Item(i).Level, 1);
      ASSERT_LE(t.Item(i).Level, prev + 1);
    }
    // Visible: every ancestor expanded.
    for (int i = 1; i <= t.ItemCount(); ++i) {
      bool vis = true;
      for (int p = t.Parent(i); p; p = t.Parent(p)) vis = vis && t.Expanded(p);
      ASSERT_EQ(t.IsVisible(i), vis);
    }
  }
  EXPECT_THROW(t.Item(0), EOutlineError);
}

// Moving a line of the outline moves its node with all of its descendants.
TEST(OutlineModel, MovingALineTakesItsSubtree) {
  TOutlineTree t;
  TOutlineStrings lines(&t);
  lines.SetText("A\n\tA1\n\t\tA11\n\tA2\nB\nC\n\tC1\n");
  lines.Move(0, 1);  // A after B
  EXPECT_EQ(lines.Text(), "B\r\nA\r\n\tA1\r\n\t\tA11\r\n\tA2\r\nC\r\n\tC1\r\n");
  lines.Move(5, 0);  // C to the top
  EXPECT_EQ(lines.Text(), "C\r\n\tC1\r\nB\r\nA\r\n\tA1\r\n\t\tA11\r\n\tA2\r\n");
  lines.Move(4, 2);  // A1 (with A11) before B: its level is kept where that fits
  EXPECT_EQ(lines.Text(), "C\r\n\tC1\r\n\tA1\r\n\t\tA11\r\nB\r\nA\r\n\tA2\r\n");
  EXPECT_THROW(lines.Move(2, 6), EStringListError) << "past the end once its subtree is out";
  EXPECT_EQ(t.ItemCount(), 7);
}

// The selection stays on its node through random changes of the tree; when its node
// goes, its next sibling, else its previous one, else its parent takes it.
TEST(OutlineModel, TheSelectionFollowsItsNode) {
  std::mt19937 rng(11);
  TOutlineTree t;
  intptr_t next = 1;
  auto id = [&](int32_t i) { return i ? reinterpret_cast<intptr_t>(t.Item(i).Data) : 0; };
  auto fresh = [&] { return reinterpret_cast<void*>(next++); };
  for (int step = 0; step < 3000; ++step) {
    const int32_t n = t.ItemCount();
    if (n && (t.Selected() == 0 || rng() % 10 == 0))
      t.SetSelected(1 + static_cast<int32_t>(rng() % n));
    const intptr_t selected = id(t.Selected());
    intptr_t expected = selected;
    switch (rng() % 4) {
      case 0:
        t.AddChild(n ? static_cast<int32_t>(rng() % (n + 1)) : 0, "c", fresh());
        break;
      case 1:
        t.Insert(n ? 1 + static_cast<int32_t>(rng() % n) : 0, "i", fresh());
        break;
      case 2:
        if (n) {
          int32_t i = 1 + static_cast<int32_t>(rng() % n);
          int32_t last = t.LastDescendant(i);
          if (t.Selected() >= i && t.Selected() <= last) {
            std::vector<int32_t> siblings = t.Children(t.Parent(i));
            auto at = std::find(siblings.begin(), siblings.end(), i) - siblings.begin();
            if (static_cast<size_t>(at) + 1 < siblings.size())
              expected = id(siblings[static_cast<size_t>(at) + 1]);
            else if (at > 0)
              expected = id(siblings[static_cast<size_t>(at) - 1]);
            else
              expected = id(t.Parent(i));
          }
          t.Delete(i);
          EXPECT_EQ(t.TakeSelectionMoved(), expected != selected) << step;
        }
        break;
      case 3:
        if (n) {
          int32_t i = 1 + static_cast<int32_t>(rng() % n);
          int32_t size = t.LastDescendant(i) - i + 1;
          t.Move(i, 1 + static_cast<int32_t>(rng() % (n - size + 1)));
        }
        break;
    }
    ASSERT_EQ(id(t.Selected()), expected) << "step " << step;
    for (int32_t i = 2; i <= t.ItemCount(); ++i)
      ASSERT_LE(t.Item(i).Level, t.Item(i - 1).Level + 1);
  }
}

TEST(LocaleConversions, DatesTimesAndNumbersByTheSettings) {
  TFormatSettings us;
  TDateTime d;
  ASSERT_TRUE(TryStrToDate("12/31/1999", d, us));
  EXPECT_EQ(d, 36525);
  ASSERT_TRUE(TryStrToDateTime("1/1/1900 6:00 PM", d, us));
  EXPECT_DOUBLE_EQ(d, 2.75);
  EXPECT_FALSE(TryStrToDate("2/30/2001", d, us));
  EXPECT_FALSE(TryStrToDate("", d, us));
  EXPECT_FALSE(TryStrToDate("1/1/2000 10:00", d, us));
  TFormatSettings de = us;
  de.DateSeparator = '.';
  de.ShortDateFormat = "dd.MM.yyyy";
  de.DecimalSeparator = ',';
  ASSERT_TRUE(TryStrToDate("31.12.1999", d, de));
  EXPECT_EQ(d, 36525);
  double v;
  ASSERT_TRUE(TryStrToFloat(" 2,5 ", v, de));
  EXPECT_EQ(v, 2.5);
  EXPECT_FALSE(TryStrToFloat("2.5", v, de));
}

}  // namespace
}  // namespace tess
