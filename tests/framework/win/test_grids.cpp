// The string grid through its window: rows and columns moved and deleted against a
// model, the can-select hook, coordinates, scrolling, moving and sizing by mouse, and
// default drawing against the owner's drawing.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "framework/win/grids.h"
#include "framework/win/outline.h"
#include "framework/win/recordcanvas.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::PressKey;
using testing::Pump;

class GridTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 380, 260);
    ShowForm();
  }
  void Mouse(UINT Msg, int X, int Y, WPARAM Keys = 0) {
    SendMessageA(grid->Handle(), Msg, Keys, MakeLParam(X, Y));
    Pump();
  }
  TStringGrid* grid = nullptr;
};

TEST_F(GridTest, RowAndColumnChangesKeepCellsAndSizesTogether) {
  std::mt19937 rng(8);
  std::vector<std::vector<std::string>> model(5, std::vector<std::string>(5));
  std::vector<int32_t> heights(5, grid->DefaultRowHeight());
  auto move = [](auto& v, int from, int to) {
    auto x = v[static_cast<size_t>(from)];
    v.erase(v.begin() + from);
    v.insert(v.begin() + to, x);
  };
  int stamp = 0;
  for (int step = 0; step < 400; ++step) {
    int nr = grid->RowCount(), nc = grid->ColCount();
    int a = static_cast<int>(rng() % nr), b = static_cast<int>(rng() % nr);
    int ca = static_cast<int>(rng() % nc), cb = static_cast<int>(rng() % nc);
    switch (rng() % 6) {
      case 0: {
        std::string v = std::to_string(++stamp);
        grid->SetCells(ca, a, v);
        model[static_cast<size_t>(a)][static_cast<size_t>(ca)] = v;
        int h = 10 + static_cast<int>(rng() % 20);
        grid->SetRowHeights(a, h);
        heights[static_cast<size_t>(a)] = h;
        break;
      }
      case 1:
        grid->MoveRow(a, b);
        move(model, a, b);
        move(heights, a, b);
        break;
      case 2:
        grid->MoveColumn(ca, cb);
        for (auto& r : model) move(r, ca, cb);
        break;
      case 3:
        if (nr > 3) {
          grid->DeleteRow(a);
          model.erase(model.begin() + a);
          heights.erase(heights.begin() + a);
        }
        break;
      case 4:
        if (nc > 3) {
          grid->DeleteColumn(ca);
          for (auto& r : model) r.erase(r.begin() + ca);
        }
        break;
      case 5:
        if (nr < 12) {
          grid->SetRowCount(nr + 1);
          model.emplace_back(static_cast<size_t>(nc));
          heights.push_back(grid->DefaultRowHeight());
        } else {
          grid->SetColCount(nc + (nc < 8 ? 1 : 0));
          if (nc < 8)
            for (auto& r : model) r.emplace_back();
        }
        break;
    }
    ASSERT_EQ(grid->RowCount(), static_cast<int32_t>(model.size()));
    for (int r = 0; r < grid->RowCount(); ++r) {
      ASSERT_EQ(grid->RowHeights(r), heights[static_cast<size_t>(r)]) << step;
      for (int c = 0; c < grid->ColCount(); ++c)
        ASSERT_EQ(grid->Cells(c, r), model[static_cast<size_t>(r)][static_cast<size_t>(c)]) << step;
    }
    ASSERT_GE(grid->Row(), grid->FixedRows());
    ASSERT_LT(grid->Row(), grid->RowCount());
  }
}

TEST_F(GridTest, CurrentCellHonoursTheCanSelectHookAndCoordinatesAgree) {
  grid->SetRowCount(40);
  grid->SetColCount(12);
  grid->OnSelectCell = [](TObject*, int32_t c, int32_t, bool& ok) { ok = c != 2; };
  int clicks = 0;
  grid->OnClick = [&](TObject*) { ++clicks; };
  grid->SetFocus();
  Pump();
  grid->SetCol(2);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(clicks, 0);
  grid->SetRow(30);  // scrolled into view
  EXPECT_EQ(clicks, 1);
  EXPECT_LE(grid->TopRow(), 30);
  EXPECT_FALSE(grid->CellRect(1, 30).IsEmpty());
  EXPECT_TRUE(grid->CellRect(1, grid->TopRow() - 1).IsEmpty());
  for (int r = 0; r < grid->RowCount(); ++r)
    for (int c = 0; c < grid->ColCount(); ++c) {
      TRect cell = grid->CellRect(c, r);
      if (cell.IsEmpty()) continue;
      int32_t mc, mr;
      grid->MouseToCell(cell.Left + cell.Width() / 2, cell.Top + cell.Height() / 2, mc, mr);
      EXPECT_EQ(mc, c);
      EXPECT_EQ(mr, r);
    }
  // The scroll bar has one position per scrollable row.
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(grid->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 38);
  EXPECT_EQ(si.nPos, grid->TopRow() - 1);
  int top = grid->TopRow();
  SendMessageA(grid->Handle(), WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(grid->TopRow(), top - 1);
  SendMessageA(grid->Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(grid->TopRow(), 1);
  PressKey(VK_RIGHT);  // column 2 refuses: the current cell stays
  EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, MouseMovesColumnsAndSizesRows) {
  grid->SetOptions(grid->Options() + TGridOption::goColMoving + TGridOption::goRowSizing);
  for (int c = 0; c < 5; ++c) grid->SetCells(c, 0, Format("h%d", c));
  int from = -1, to = -1;
  grid->OnColumnMoved = [&](TObject*, int32_t f, int32_t t) { from = f, to = t; };
  TRect src = grid->CellRect(1, 0), dst = grid->CellRect(3, 0);
  Mouse(WM_LBUTTONDOWN, src.Left + 10, src.Top + 5, MK_LBUTTON);
  EXPECT_EQ(grid->GridState(), TGridState::gsColMoving);
  Mouse(WM_MOUSEMOVE, dst.Left + 10, dst.Top + 5, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, dst.Left + 10, dst.Top + 5);
  EXPECT_EQ(from, 1);
  EXPECT_EQ(to, 3);
  EXPECT_EQ(grid->Cells(3, 0), "h1");
  EXPECT_EQ(grid->Cells(1, 0), "h2");

  int line = grid->CellRect(0, 2).Bottom;
  int before = grid->RowHeights(2);
  Mouse(WM_LBUTTONDOWN, 5, line, MK_LBUTTON);
  EXPECT_EQ(grid->GridState(), TGridState::gsRowSizing);
  Mouse(WM_MOUSEMOVE, 5, line + 7, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 5, line + 7);
  EXPECT_EQ(grid->RowHeights(2), before + 7);
  EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
}

TEST_F(GridTest, DefaultDrawingWritesTheTextAndOwnerDrawingReplacesIt) {
  grid->SetCells(1, 1, "cell text");
  int drawn = 0;
  grid->OnDrawCell = [&](TObject*, int32_t, int32_t, const TRect&, TGridDrawState) { ++drawn; };
  TRecordingCanvas canvas(400, 300);
  grid->PaintTo(&canvas);
  auto texts = canvas.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "cell text"), texts.end());
  EXPECT_EQ(drawn, 25);
  grid->SetDefaultDrawing(false);
  canvas.Clear();
  drawn = 0;
  grid->PaintTo(&canvas);
  EXPECT_TRUE(canvas.Texts().empty());
  EXPECT_EQ(drawn, 25);
}

// The current cell is scrolled into view however many rows come before it, with the
// sizes summed past what 32 bits hold.
class TAxisGrid : public TDrawGrid {
 public:
  using TDrawGrid::RowAxis;
  using TDrawGrid::TDrawGrid;
};

TEST_F(FormTest, AFarCurrentRowIsScrolledIntoView) {
  auto* grid = new TAxisGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 300, 200);
  ShowForm();
  const TRect client = grid->ClientRect();
  for (int32_t rows : {100000, 100000000}) {
    for (bool custom : {false, true}) {
      grid->SetRow(1);
      grid->SetTopRow(1);
      grid->SetRowCount(rows);
      grid->SetDefaultRowHeight(24);
      if (custom) grid->SetRowHeights(rows / 2, 60);
      for (int32_t target : {rows - 1, rows / 2, rows / 2 + 3, 2}) {
        grid->SetRow(target);
        TRect cell = grid->CellRect(1, target);
        EXPECT_FALSE(cell.IsEmpty()) << rows << " rows, row " << target;
        EXPECT_GE(cell.Top, grid->RowAxis().FixedExtent(1)) << rows << " rows, row " << target;
        EXPECT_LE(cell.Bottom, client.Bottom) << rows << " rows, row " << target;
      }
      EXPECT_EQ(grid->RowAxis().Extent(0, rows, 1), int64_t{rows - 1} * 25 + (custom ? 61 : 25));
    }
  }
  grid->SetRowCount(5);
}

// Freeing the in-place editor (the grid's own child) leaves the grid without one, not
// with a pointer to it.
TEST_F(GridTest, AFreedInplaceEditorIsForgotten) {
  grid->SetOptions(grid->Options() + TGridOption::goEditing);
  grid->SetFocus();
  grid->SetCells(1, 1, "before");
  grid->SetRow(1);
  grid->SetCol(1);
  grid->SetEditorMode(true);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  delete grid->InplaceEditor();
  EXPECT_EQ(grid->InplaceEditor(), nullptr);
  EXPECT_FALSE(grid->EditorMode());
  grid->SetRow(2);
  Pump();
  grid->SetRow(1);
  grid->SetEditorMode(true);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_EQ(grid->InplaceEditor()->Text(), "before");
}

// The outline's selection stays on its node while the tree changes around it.
TEST_F(FormTest, TheOutlineSelectionFollowsItsNode) {
  auto* outline = new TOutline(form);
  outline->SetParent(form);
  outline->SetBounds(0, 0, 200, 200);
  outline->Lines()->SetText("A\n\tA1\n\tA2\nB\nC\nD\n");
  ShowForm();
  int clicks = 0;
  outline->OnClick = [&](TObject*) { ++clicks; };
  auto selected = [&] {
    int32_t i = outline->SelectedItem();
    return i ? outline->Tree().Item(i).Text : std::string("-");
  };
  outline->SetSelectedItem(outline->GetTextItem("B"));
  clicks = 0;
  outline->SetExpanded(1, true);
  EXPECT_EQ(selected(), "B");
  EXPECT_EQ(outline->VisibleItemAt(outline->Row()), outline->SelectedItem());
  outline->SetSelectedItem(outline->GetTextItem("C"));
  clicks = 0;
  outline->Delete(1);
  EXPECT_EQ(selected(), "C");
  outline->SetSelectedItem(outline->GetTextItem("D"));
  clicks = 0;
  outline->Insert(outline->GetTextItem("D"), "X");
  EXPECT_EQ(selected(), "D");
  outline->Lines()->Move(0, 3);  // B to the end
  EXPECT_EQ(selected(), "D");
  EXPECT_EQ(clicks, 0) << "the selected node did not change";
  EXPECT_EQ(outline->VisibleItemAt(outline->Row()), outline->SelectedItem());
  // The selected node goes: its next sibling takes the selection, and that is told.
  outline->Delete(outline->GetTextItem("D"));
  EXPECT_EQ(selected(), "B");
  EXPECT_EQ(clicks, 1);
  // Hidden under a collapsed parent: the parent takes it.
  outline->AddChild(outline->GetTextItem("B"), "B1");
  outline->SetExpanded(outline->GetTextItem("B"), true);
  outline->SetSelectedItem(outline->GetTextItem("B1"));
  clicks = 0;
  outline->SetExpanded(outline->GetTextItem("B"), false);
  EXPECT_EQ(selected(), "B");
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace tess
