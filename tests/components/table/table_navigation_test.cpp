// Moving the table's active cell, its commands, keys, mouse operations and selection,
// behind a fake host: targets against a brute-force walk over hidden and locked lines,
// the selection against a set of cells, row and column moves against a permutation.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "components/core/commands.h"
#include "components/table/tablenavigation.h"
#include "components/table/tableoptions.h"

using namespace tess;

namespace {

class FakeHost : public TOvcTableHost {
 public:
  int32_t W = 400, H = 300;
  bool HasWindow() const override { return true; }
  int32_t ViewWidth() const override { return W; }
  int32_t ViewHeight() const override { return H; }
  void ScrollRect(int32_t, int32_t, const TOvcTableRect&) override {}
  bool HasScrollBar(bool) const override { return true; }
  void SetScrollRange(bool, int32_t, int32_t) override {}
  void SetScrollPos(bool, int32_t) override {}
  void PaintInvalidCells(const TOvcCellArray&) override {}
};

using O = TOvcTblOption;

struct Table {
  FakeHost Host;
  TOvcTableRows Rows;
  TOvcTableColumns Cols{10};
  TOvcTableLayout L{Host, Rows, Cols};
  TOvcTableNavigator N{Host, L, Rows, Cols};

  // Rows 30 high by default, columns 80 wide; the table has the focus.
  Table(int32_t RowCount, int32_t ColCount, int32_t W = 400, int32_t H = 300) {
    Host.W = W;
    Host.H = H;
    Rows.SetCount(RowCount);
    Cols.SetCount(ColCount);
    for (int C = 0; C < ColCount; ++C) Cols.SetWidth(C, 80);
    Rows.OnRowChanged = [this](TObject*, int32_t, int32_t, TOvcTblActions) { L.ExtentsChanged(); };
    Cols.SetOnColumnChanged([this](TObject*, int, int, TOvcTblActions) { L.ExtentsChanged(); });
    L.WindowCreated();
    N.FocusGained();
  }
  void Options(std::initializer_list<O> Os) {
    TOvcTblOptionBits B = 0;
    for (O X : Os) B |= TableOptionBit(X);
    N.SetOptions(B);
  }
  std::pair<int32_t, int32_t> Active() const { return {L.ActiveRow(), L.ActiveCol()}; }
  // The active cell is fully on screen unless it is larger than the client area.
  bool ActiveShown() const {
    TOvcTableRect R;
    if (!L.GetCellRect(L.ActiveRow(), L.ActiveCol(), R)) return false;
    const bool FitsW = R.Right <= Host.W || R.Left == L.ColAxis().ScrollingStart();
    const bool FitsH = R.Bottom <= Host.H || R.Top == L.RowAxis().ScrollingStart();
    return FitsW && FitsH;
  }
};

// The nearest visible line after (Dir 1) or before (Dir -1) N, never a locked one; N
// itself when there is none.
int32_t Walk(const TOvcTableExtents& E, int32_t Locked, int32_t N, int Dir) {
  for (int32_t I = N + Dir; I >= Locked && I < E.ExtentCount(); I += Dir)
    if (!E.ExtentHidden(I)) return I;
  return N;
}
int32_t FirstVisible(const TOvcTableExtents& E, int32_t Locked) {
  for (int32_t I = Locked; I < E.ExtentCount(); ++I)
    if (!E.ExtentHidden(I)) return I;
  return Locked;
}
int32_t LastVisible(const TOvcTableExtents& E, int32_t Locked) {
  for (int32_t I = E.ExtentCount() - 1; I >= Locked; --I)
    if (!E.ExtentHidden(I)) return I;
  return Locked;
}

}  // namespace

TEST(TableNavigation, CommandsOverHiddenAndLockedLinesAgainstAWalk) {
  std::mt19937 Rng(7);
  for (int Round = 0; Round < 6; ++Round) {
    Table T(200, 30, 400 + Round * 37, 300 + Round * 23);
    for (int32_t R = 2; R < 200; ++R)
      if (Rng() % 3 == 0) T.Rows.SetHidden(R, true);
    for (int32_t C = 2; C < 30; ++C) {
      if (Rng() % 4 == 0) T.Cols.GetColumn(C)->SetHidden(true);
      T.Cols.SetWidth(C, 20 + static_cast<int32_t>(Rng() % 150));
    }
    T.Rows.SetHeight(5, 70);
    T.L.SetLockedRows(1 + Round % 3);
    T.L.SetLockedCols(1 + Round % 2);
    const int32_t LR = T.L.LockedRows(), LC = T.L.LockedCols();
    T.N.SetActiveCell(LR, LC);
    const uint16_t Cmds[] = {ccDown,        ccUp,           ccLeft,      ccRight,
                             ccHome,        ccEnd,          ccFirstPage, ccLastPage,
                             ccTopLeftCell, ccBotRightCell, ccNextPage,  ccPrevPage,
                             ccPageLeft,    ccPageRight,    ccTopOfPage, ccBotOfPage};
    for (int Step = 0; Step < 600; ++Step) {
      const uint16_t Cmd = Cmds[Rng() % std::size(Cmds)];
      const auto [R0, C0] = T.Active();
      T.N.ProcessCommand(Cmd);
      const auto [R1, C1] = T.Active();
      switch (Cmd) {
        case ccDown:
          EXPECT_EQ(R1, Walk(T.Rows, LR, R0, 1));
          EXPECT_EQ(C1, C0);
          break;
        case ccUp:
          EXPECT_EQ(R1, Walk(T.Rows, LR, R0, -1));
          EXPECT_EQ(C1, C0);
          break;
        case ccRight:
          EXPECT_EQ(C1, Walk(T.Cols, LC, C0, 1));
          EXPECT_EQ(R1, R0);
          break;
        case ccLeft:
          EXPECT_EQ(C1, Walk(T.Cols, LC, C0, -1));
          EXPECT_EQ(R1, R0);
          break;
        case ccHome:
          EXPECT_EQ(C1, FirstVisible(T.Cols, LC));
          break;
        case ccEnd:
          EXPECT_EQ(C1, LastVisible(T.Cols, LC));
          break;
        case ccFirstPage:
          EXPECT_EQ(R1, FirstVisible(T.Rows, LR));
          break;
        case ccLastPage:
          EXPECT_EQ(R1, LastVisible(T.Rows, LR));
          break;
        case ccTopLeftCell:
          EXPECT_EQ(std::make_pair(R1, C1),
                    std::make_pair(FirstVisible(T.Rows, LR), FirstVisible(T.Cols, LC)));
          break;
        case ccBotRightCell:
          EXPECT_EQ(std::make_pair(R1, C1),
                    std::make_pair(LastVisible(T.Rows, LR), LastVisible(T.Cols, LC)));
          break;
        case ccNextPage:
          EXPECT_GE(R1, R0);
          break;
        case ccPrevPage:
          EXPECT_LE(R1, R0);
          break;
        case ccPageRight:
          EXPECT_GE(C1, C0);
          break;
        case ccPageLeft:
          EXPECT_LE(C1, C0);
          break;
        case ccTopOfPage:
          EXPECT_EQ(R1, T.L.TopRow());
          break;
        default:
          break;
      }
      // Wherever it went, the active cell is a visible scrolling cell on screen.
      ASSERT_GE(R1, LR);
      ASSERT_GE(C1, LC);
      ASSERT_FALSE(T.Rows.GetHidden(R1));
      ASSERT_FALSE(T.Cols.GetColumn(C1)->Hidden());
      ASSERT_TRUE(T.ActiveShown()) << "command " << Cmd << " to " << R1 << "," << C1;
    }
  }
}

TEST(TableNavigation, EdgesOfTheView) {
  // 300 pixels hold exactly ten rows of 30: the last one shown is fully visible.
  Table T(50, 10);
  T.N.SetActiveCell(1, 1);
  T.N.ProcessCommand(ccLeft);  // the first scrolling column: stays
  EXPECT_EQ(T.Active(), std::make_pair(1, 1));
  T.N.ProcessCommand(ccUp);
  EXPECT_EQ(T.Active(), std::make_pair(1, 1));
  T.N.SetActiveCell(9, 1);
  ASSERT_EQ(T.L.RowAxis().TotalExtent(), 300);
  T.N.ProcessCommand(ccDown);
  EXPECT_EQ(T.Active(), std::make_pair(10, 1));
  EXPECT_EQ(T.L.TopRow(), 2);  // scrolled by one row, not a page
  // Bottom and top of the page.
  T.N.ProcessCommand(ccTopOfPage);
  EXPECT_EQ(T.L.ActiveRow(), 2);
  T.N.ProcessCommand(ccBotOfPage);
  EXPECT_EQ(T.L.ActiveRow(), 10);
  // Page down keeps the active row's place on screen; page up brings it back.
  T.N.SetActiveCell(4, 1);
  const int32_t Top = T.L.TopRow();
  T.N.ProcessCommand(ccNextPage);
  EXPECT_EQ(T.L.TopRow(), 10);
  EXPECT_EQ(T.L.ActiveRow(), 4 - Top + 10);
  T.N.ProcessCommand(ccPrevPage);
  EXPECT_EQ(T.L.TopRow(), Top);
  EXPECT_EQ(T.L.ActiveRow(), 4);
  // Ctrl+End and Ctrl+Home.
  T.N.ProcessCommand(ccBotRightCell);
  EXPECT_EQ(T.Active(), std::make_pair(49, 9));
  EXPECT_EQ(T.L.TopRow(), T.L.MaxTopRow());
  T.N.ProcessCommand(ccTopLeftCell);
  EXPECT_EQ(T.Active(), std::make_pair(1, 1));
  EXPECT_EQ(T.L.TopRow(), 1);
  EXPECT_EQ(T.L.LeftCol(), 1);
}

TEST(TableNavigation, PageDownWalksTheWholeTableWithHiddenRows) {
  Table T(5000, 10);
  for (int32_t R = 1; R < 3000; R += 2) T.Rows.SetHidden(R, true);
  T.N.SetActiveCell(1, 1);
  EXPECT_EQ(T.L.ActiveRow(), 2);  // row 1 is hidden: the next visible one
  int32_t Last = -1, Steps = 0;
  while (T.L.ActiveRow() != Last && Steps < 10000) {
    Last = T.L.ActiveRow();
    T.N.ProcessCommand(ccNextPage);
    ++Steps;
    ASSERT_FALSE(T.Rows.GetHidden(T.L.ActiveRow()));
    ASSERT_TRUE(T.ActiveShown());
  }
  EXPECT_EQ(T.L.TopRow(), T.L.MaxTopRow());
  T.N.ProcessCommand(ccBotOfPage);
  EXPECT_EQ(T.L.ActiveRow(), 4999);
  // Page up keeps the active row's place until the top, then goes to the top row.
  for (Last = -1; T.L.ActiveRow() != Last;) {
    Last = T.L.ActiveRow();
    T.N.ProcessCommand(ccPrevPage);
  }
  EXPECT_EQ(T.L.TopRow(), 2);
  EXPECT_EQ(T.L.ActiveRow(), 2);
}

TEST(TableSelection, KeyboardExtensionAgainstASetOfCells) {
  Table T(40, 12);
  std::mt19937 Rng(3);
  const uint16_t Moves[] = {ccExtendDown,   ccExtendUp,    ccExtendLeft, ccExtendRight,
                            ccExtendHome,   ccExtendEnd,   ccExtendPgDn, ccExtendPgUp,
                            ccExtFirstPage, ccExtLastPage, ccDown,       ccRight};
  T.N.SetActiveCell(5, 3);
  int32_t AR = 5, AC = 3;
  for (int Step = 0; Step < 300; ++Step) {
    const uint16_t Cmd = Moves[Rng() % std::size(Moves)];
    T.N.ProcessCommand(Cmd);
    if (Cmd == ccDown || Cmd == ccRight) {
      AR = T.L.ActiveRow();
      AC = T.L.ActiveCol();
    }
    EXPECT_EQ(T.N.AnchorRow(), AR);
    EXPECT_EQ(T.N.AnchorCol(), AC);
    const int32_t R1 = std::min(AR, T.L.ActiveRow()), R2 = std::max(AR, T.L.ActiveRow());
    const int32_t C1 = std::min(AC, T.L.ActiveCol()), C2 = std::max(AC, T.L.ActiveCol());
    const bool Any = R1 != R2 || C1 != C2;
    EXPECT_EQ(T.N.HaveSelection(), Any);
    for (int32_t R = 0; R < 40; ++R)
      for (int32_t C = 0; C < 12; ++C)
        ASSERT_EQ(T.N.IsCellSelected(R, C), Any && R >= R1 && R <= R2 && C >= C1 && C <= C2)
            << R << "," << C << " after " << Cmd;
  }
}

TEST(TableSelection, SetterMovesTheAnchorAndKeepsTheSelection) {
  Table T(40, 12);
  T.N.SelectRow(10);
  T.N.SetActiveCell(3, 2);
  T.N.ProcessCommand(ccExtendDown);
  T.N.ProcessCommand(ccExtendDown);
  T.N.ProcessCommand(ccExtendRight);
  for (int32_t R = 0; R < 40; ++R)
    for (int32_t C = 0; C < 12; ++C)
      ASSERT_EQ(T.N.IsCellSelected(R, C),
                (R >= 3 && R <= 5 && C >= 2 && C <= 3) || (R == 10 && C >= 1))
          << R << "," << C;
  T.N.ProcessCommand(ccDown);  // a plain move starts afresh
  EXPECT_FALSE(T.N.HaveSelection());
}

TEST(TableSelection, NoSelectionOptionMovesWithoutSelecting) {
  Table T(40, 12);
  T.Options({O::otoNoSelection, O::otoMouseDragSelect});
  EXPECT_EQ(T.N.Options(), TableOptionBit(O::otoNoSelection));  // drag select removed
  T.N.ProcessCommand(ccExtendDown);
  T.N.ProcessCommand(ccExtendRight);
  EXPECT_EQ(T.Active(), std::make_pair(2, 2));
  EXPECT_FALSE(T.N.HaveSelection());
  EXPECT_FALSE(T.N.ExtendSelection());
}

TEST(TableSelection, SelectAllRowsColumnsAndIterate) {
  Table T(1000, 8);
  T.N.ProcessCommand(ccExtendDown);
  T.N.SelectAll();
  int Ranges = 0;
  T.N.IterateSelections([&](int32_t R1, int32_t C1, int32_t R2, int32_t C2) {
    EXPECT_EQ(C1, Ranges);
    EXPECT_EQ(C1, C2);
    EXPECT_EQ(R1, 0);
    EXPECT_EQ(R2, 999);
    ++Ranges;
    return true;
  });
  EXPECT_EQ(Ranges, 8);
  T.N.ClearSelection();
  EXPECT_FALSE(T.N.HaveSelection());
  T.N.SelectRow(7);
  T.N.SelectColumn(3);
  std::set<std::tuple<int32_t, int32_t, int32_t>> Got;
  T.N.IterateSelections([&](int32_t R1, int32_t C, int32_t R2, int32_t) {
    Got.insert({C, R1, R2});
    return true;
  });
  std::set<std::tuple<int32_t, int32_t, int32_t>> Want;
  for (int32_t C = 1; C < 8; ++C)
    if (C != 3) Want.insert({C, 7, 7});
  Want.insert({3, 1, 999});
  EXPECT_EQ(Got, Want);
  // A stop from the action ends the walk.
  int Calls = 0;
  T.N.IterateSelections([&](int32_t, int32_t, int32_t, int32_t) { return ++Calls < 2; });
  EXPECT_EQ(Calls, 2);
  // The selection follows the table's size.
  T.L.SetRowLimit(500);
  EXPECT_EQ(T.N.Selection().RowCount(), 500);
  EXPECT_FALSE(T.N.IsCellSelected(700, 3));
}

TEST(TableOptions, AdjustedAsTheyExcludeEachOther) {
  auto A = [](std::initializer_list<O> Os) {
    TOvcTblOptionBits B = 0;
    for (O X : Os) B |= TableOptionBit(X);
    return TOvcTblOptionBits{AdjustedTableOptions(static_cast<uint16_t>(B))};
  };
  auto B = [](std::initializer_list<O> Os) {
    TOvcTblOptionBits V = 0;
    for (O X : Os) V |= TableOptionBit(X);
    return V;
  };
  EXPECT_EQ(A({O::otoBrowseRow, O::otoMouseDragSelect, O::otoRowSelection}),
            B({O::otoBrowseRow, O::otoNoRowResizing, O::otoNoColResizing, O::otoNoSelection}));
  EXPECT_EQ(A({O::otoAlwaysEditing, O::otoColSelection}),
            B({O::otoAlwaysEditing, O::otoNoRowResizing, O::otoNoColResizing, O::otoNoSelection}));
  EXPECT_EQ(A({O::otoRowSelection, O::otoAllowRowMoves, O::otoColSelection, O::otoAllowColMoves}),
            B({O::otoRowSelection, O::otoColSelection}));
  EXPECT_EQ(A({O::otoAllowRowMoves, O::otoTabToArrow}), B({O::otoAllowRowMoves, O::otoTabToArrow}));
}

TEST(TableKeys, ThroughTheGridTableAndTheOptions) {
  Table T(40, 12);
  TOvcCommandProcessor P;
  EXPECT_EQ(T.N.KeyToCommand(40, 0, &P), ccDown);
  EXPECT_EQ(T.N.KeyToCommand(40, kShiftFlagShift, &P), ccExtendDown);
  EXPECT_EQ(T.N.KeyToCommand(36, kShiftFlagCtrl, &P), ccFirstPage);
  EXPECT_EQ(T.N.KeyToCommand(40, kShiftFlagCtrl, &P), ccBotRightCell);
  EXPECT_EQ(T.N.KeyToCommand(113, 0, &P), ccTableEdit);
  // The "Grid" table is used although it is not active; Tab is no command of it.
  EXPECT_EQ(T.N.KeyToCommand(9, 0, &P), ccUnmatched);
  T.Options({O::otoTabToArrow, O::otoEnterToArrow});
  EXPECT_EQ(T.N.KeyToCommand(9, 0, &P), ccRight);
  EXPECT_EQ(T.N.KeyToCommand(9, kShiftFlagShift, &P), ccLeft);
  EXPECT_EQ(T.N.KeyToCommand(9, kShiftFlagCtrl, &P), ccNone);
  EXPECT_EQ(T.N.KeyToCommand(13, 0, &P), ccRight);
  EXPECT_EQ(T.N.KeyToCommand(13, kShiftFlagShift, &P), ccNone);

  // A typed letter opens the editor with it; F2 opens it without a key; Escape while
  // editing discards, F2 saves; a refusing editor keeps the key.
  std::vector<uint16_t> Started;
  std::vector<bool> Stops;
  bool Refuse = false;
  T.N.OnStartEditing = [&](uint16_t Key, int32_t, int32_t) {
    Started.push_back(Key);
    T.N.SetMode(tsEditing);
  };
  T.N.OnStopEditing = [&](bool Save) {
    Stops.push_back(Save);
    if (Refuse) return false;
    T.N.SetMode(tsIdle);
    return true;
  };
  EXPECT_TRUE(T.N.KeyDown('A', T.N.KeyToCommand('A', 0, &P)));
  EXPECT_EQ(Started, std::vector<uint16_t>{'A'});
  EXPECT_TRUE(T.N.KeyDown(27, T.N.KeyToCommand(27, 0, &P)));
  EXPECT_EQ(Stops, std::vector<bool>{false});
  EXPECT_TRUE(T.N.KeyDown(113, ccTableEdit));
  EXPECT_EQ(Started.back(), 0);
  Refuse = true;
  EXPECT_FALSE(T.N.KeyDown(113, ccTableEdit));
  EXPECT_TRUE(T.N.Editing());
  Refuse = false;
  EXPECT_TRUE(T.N.KeyDown(113, ccTableEdit));
  EXPECT_EQ(Stops, (std::vector<bool>{false, true, true}));
  // A key with a command of its own moves and opens nothing.
  Started.clear();
  EXPECT_TRUE(T.N.KeyDown(40, ccDown));
  EXPECT_TRUE(Started.empty());
  EXPECT_EQ(T.L.ActiveRow(), 2);
  // With the editor always open, neither Escape nor F2 ends editing.
  T.N.SetOptions(TableOptionBit(O::otoAlwaysEditing));
  T.N.SetMode(tsEditing);
  Stops.clear();
  T.N.KeyDown(27, ccUnmatched);
  T.N.KeyDown(113, ccTableEdit);
  EXPECT_TRUE(Stops.empty());
}

TEST(TableMoving, HookMayChangeTheTarget) {
  Table T(40, 12);
  std::vector<uint16_t> Commands;
  T.N.OnMoving = [&](uint16_t Cmd, int32_t& R, int32_t&) {
    Commands.push_back(Cmd);
    if (R == 3) R = 4;
  };
  std::vector<std::pair<int32_t, int32_t>> Changed;
  T.N.OnActiveCellChanged = [&](int32_t R, int32_t C) { Changed.push_back({R, C}); };
  std::vector<int32_t> LeftRows;
  T.N.OnLeavingRow = [&](int32_t R) { LeftRows.push_back(R); };
  T.N.SetActiveCell(2, 2);
  T.N.ProcessCommand(ccDown);  // to 3, turned into 4
  EXPECT_EQ(T.L.ActiveRow(), 4);
  EXPECT_EQ(Commands, (std::vector<uint16_t>{0, ccDown}));
  EXPECT_EQ(Changed, (std::vector<std::pair<int32_t, int32_t>>{{2, 2}, {4, 2}}));
  EXPECT_EQ(LeftRows, (std::vector<int32_t>{1, 2}));
}

// More locked lines than the active cell's place: it moves out as a move does, hooks and
// all; the column to the first scrolling one, the row applied again.
TEST(TableMoving, LockingOverTheActiveCellMovesIt) {
  Table T(40, 12);
  T.N.SetActiveCell(2, 1);
  std::vector<std::pair<int32_t, int32_t>> Moves, Changed;
  T.N.OnMoving = [&](uint16_t, int32_t& R, int32_t& C) { Moves.push_back({R, C}); };
  T.N.OnActiveCellChanged = [&](int32_t R, int32_t C) { Changed.push_back({R, C}); };
  std::vector<int32_t> LeftCols;
  T.N.OnLeavingColumn = [&](int32_t C) { LeftCols.push_back(C); };
  T.N.SetLockedCols(3);
  EXPECT_EQ(T.Active(), (std::pair<int32_t, int32_t>{2, 3}));
  EXPECT_EQ(Moves, (std::vector<std::pair<int32_t, int32_t>>{{2, 3}}));
  EXPECT_EQ(LeftCols, (std::vector<int32_t>{1}));
  T.N.SetLockedRows(4);
  EXPECT_EQ(T.Active(), (std::pair<int32_t, int32_t>{4, 3}));
  EXPECT_EQ(Changed, (std::vector<std::pair<int32_t, int32_t>>{{2, 3}, {4, 3}}));
  // A hook that sends it back still cannot leave it among the locked lines.
  T.N.OnMoving = [](uint16_t, int32_t&, int32_t& C) { C = 0; };
  T.N.SetLockedCols(5);
  EXPECT_GE(T.L.ActiveCol(), 5);
}

// ---- the mouse ----------------------------------------------------------------------------

TEST(TableMouse, FirstClickFocusesThenClicksSelect) {
  Table T(40, 10);
  T.N.FocusLost();
  int Focus = 0;
  T.N.OnTakeFocus = [&] {
    ++Focus;
    T.N.FocusGained();
  };
  T.N.MouseDown(100, 100, false, false);  // row 3, column 1: only focuses
  EXPECT_EQ(Focus, 1);
  EXPECT_EQ(T.Active(), std::make_pair(1, 1));
  T.N.MouseDown(100, 100, false, false);
  T.N.MouseUp(100, 100);
  EXPECT_EQ(T.Active(), std::make_pair(3, 1));
  // Shift+click extends from the anchor.
  T.N.MouseDown(260, 160, true, false);
  EXPECT_EQ(T.Active(), std::make_pair(5, 3));
  EXPECT_TRUE(T.N.IsCellSelected(4, 2));
  EXPECT_FALSE(T.N.IsCellSelected(6, 2));
  // A click in the empty area below the rows goes to the last row.
  Table S(5, 3);
  S.N.MouseDown(100, 250, false, false);
  EXPECT_EQ(S.Active(), std::make_pair(4, 1));
}

TEST(TableMouse, LockedCellClicksSelectRowsColumnsOrAll) {
  Table T(40, 10);
  T.Options({O::otoRowSelection, O::otoColSelection});
  T.N.MouseDown(40, 100, false, false);  // locked column, row 3
  EXPECT_TRUE(T.N.IsCellSelected(3, 5));
  EXPECT_FALSE(T.N.IsCellSelected(4, 5));
  T.N.MouseDown(200, 10, false, false);  // heading of column 2
  EXPECT_TRUE(T.N.IsCellSelected(39, 2));
  T.N.MouseDown(10, 10, false, false);  // the top-left corner
  EXPECT_TRUE(T.N.IsCellSelected(20, 7));
  EXPECT_TRUE(T.N.IsCellSelected(0, 0));
  // Without the options a locked cell is handed to the hook when nothing selects.
  Table U(40, 10);
  U.Options({O::otoNoSelection});
  std::pair<int32_t, int32_t> Clicked{-1, -1};
  U.N.OnLockedCellClick = [&](int32_t R, int32_t C) { Clicked = {R, C}; };
  U.N.MouseDown(200, 10, false, false);
  EXPECT_EQ(Clicked, std::make_pair(0, 2));
}

TEST(TableMouse, DragSelectsAndScrollsOneLinePerMessagePastTheEdge) {
  Table T(100, 10);
  T.Options({O::otoMouseDragSelect});
  T.N.MouseDown(100, 40, false, false);  // row 1, column 1
  EXPECT_TRUE(T.N.State() & tsDragSelecting);
  T.N.MouseMove(100, 160, false);
  EXPECT_EQ(T.L.ActiveRow(), 5);
  // Below the window: first the row after the last one shown (9), then one a message.
  for (int I = 0; I < 20; ++I) {
    T.N.MouseMove(100, 400, false);
    ASSERT_EQ(T.L.ActiveRow(), 10 + I);
    ASSERT_TRUE(T.ActiveShown());
  }
  T.N.MouseMove(-5, 400, false);  // and left of it: the first column stays
  EXPECT_EQ(T.Active(), std::make_pair(30, 1));
  for (int32_t R = 1; R <= 30; ++R) ASSERT_TRUE(T.N.IsCellSelected(R, 1));
  EXPECT_FALSE(T.N.IsCellSelected(31, 1));
  T.N.MouseUp(0, 0);
  EXPECT_EQ(T.N.State() & TOvcTableNavigator::ModeMask, tsIdle);
  // Cancel mode ends a drag too.
  T.N.MouseDown(100, 40, false, false);
  T.N.CancelMode();
  EXPECT_EQ(T.N.State() & TOvcTableNavigator::ModeMask, tsIdle);
  T.N.MouseMove(100, 200, false);
  EXPECT_EQ(T.L.ActiveRow(), T.L.TopRow());
}

TEST(TableMouse, ResizeColumnsAndRowsLeavingNoStateBehind) {
  Table T(40, 10);
  std::vector<std::pair<TOvcTableCursor, int32_t>> Lines;
  T.N.OnInvertLine = [&](TOvcTableCursor K, int32_t P) { Lines.push_back({K, P}); };
  // The boundary between columns 1 and 2 is at x = 160, in the heading row.
  EXPECT_EQ(T.N.CursorAt(161, 10), TOvcTableCursor::ResizeCol);
  EXPECT_EQ(T.N.CursorAt(150, 10), TOvcTableCursor::Default);
  EXPECT_EQ(T.N.CursorAt(161, 100), TOvcTableCursor::Default);  // not in the headings
  EXPECT_EQ(T.N.CursorAt(40, 61), TOvcTableCursor::ResizeRow);
  T.N.MouseDown(161, 10, false, false);
  EXPECT_TRUE(T.N.State() & tsResizing);
  T.N.MouseMove(200, 10, false);
  T.N.MouseMove(82, 10, false);  // too narrow: the line stays
  EXPECT_EQ(T.N.LinePos(), 200);
  T.N.MouseUp(200, 10);
  EXPECT_EQ(T.Cols.GetWidth(1), 120);
  EXPECT_EQ(T.N.State(), tsIdle | tsFocused);  // no zone, row or column bits left
  ASSERT_EQ(Lines.size() % 2, 0u);             // every line drawn was erased
  // The line never goes nearer than 6 pixels to the column's left edge.
  T.N.MouseDown(200, 10, false, false);
  T.N.MouseMove(90, 10, false);
  T.N.MouseMove(83, 10, false);
  T.N.MouseUp(83, 10);
  EXPECT_EQ(T.Cols.GetWidth(1), 10);
  T.Cols.SetWidth(1, 3);
  T.N.MouseDown(83, 10, false, false);
  T.N.MouseUp(83, 10);
  EXPECT_EQ(T.Cols.GetWidth(1), 6);
  // A row, then a resize cancelled midway: nothing changes, nothing is left.
  T.N.MouseDown(40, 60, false, false);
  T.N.MouseMove(40, 90, false);
  T.N.MouseUp(40, 90);
  EXPECT_EQ(T.Rows.GetHeight(1), 60);
  T.N.MouseDown(40, 90, false, false);
  T.N.MouseMove(40, 150, false);
  T.N.CancelMode();
  T.N.MouseUp(40, 150);
  EXPECT_EQ(T.Rows.GetHeight(1), 60);
  EXPECT_EQ(T.N.State(), tsIdle | tsFocused);
  EXPECT_EQ(Lines.size() % 2, 0u);
  // The options forbid it.
  T.Options({O::otoNoColResizing, O::otoNoRowResizing});
  EXPECT_EQ(T.N.CursorAt(86, 10), TOvcTableCursor::Default);
  EXPECT_EQ(T.N.CursorAt(40, 91), TOvcTableCursor::Default);
}

TEST(TableMouse, MovesFollowThePermutation) {
  std::mt19937 Rng(11);
  for (int Round = 0; Round < 40; ++Round) {
    Table T(40, 9, 800, 300);
    T.Options({O::otoAllowColMoves, O::otoAllowRowMoves});
    // Each column's width names it: 81 + number.
    for (int C = 0; C < 9; ++C) T.Cols.SetWidth(C, 81 + C);
    std::vector<int> Model(9);
    for (int C = 0; C < 9; ++C) Model[static_cast<size_t>(C)] = C;
    const int32_t Active = 1 + static_cast<int32_t>(Rng() % 8);
    T.N.SetActiveCell(3, Active);
    const int From = 1 + static_cast<int>(Rng() % 7), To = 1 + static_cast<int>(Rng() % 7);
    auto Mid = [&](int I) { return T.L.ColAxis().Offset(I) + T.L.ColAxis().Size(I) / 2; };
    ASSERT_EQ(T.N.CursorAt(Mid(From), 10), TOvcTableCursor::MoveCol);
    T.N.MouseDown(Mid(From), 10, false, false);
    T.N.MouseMove(Mid(To), 10, false);
    T.N.MouseUp(Mid(To), 10);
    const int Moved = Model[static_cast<size_t>(From)];
    Model.erase(Model.begin() + From);
    Model.insert(Model.begin() + To, Moved);
    for (int C = 0; C < 9; ++C) ASSERT_EQ(T.Cols.GetWidth(C), 81 + Model[static_cast<size_t>(C)]);
    // The active cell stays on the column it was on.
    EXPECT_EQ(Model[static_cast<size_t>(T.L.ActiveCol())], Active)
        << "from " << From << " to " << To << " active " << Active;
    EXPECT_EQ(T.N.State(), tsIdle | tsFocused);
  }
  // Rows, with the capture lost in the middle.
  Table T(40, 9);
  T.Options({O::otoAllowRowMoves});
  T.Rows.SetHeight(2, 31);
  T.N.SetActiveCell(2, 1);
  ASSERT_EQ(T.N.CursorAt(40, 75), TOvcTableCursor::MoveRow);
  T.N.MouseDown(40, 75, false, false);
  T.N.MouseMove(40, 165, false);
  T.N.CancelMode();
  T.N.MouseUp(40, 165);
  EXPECT_EQ(T.Rows.GetHeight(2), 31);
  EXPECT_EQ(T.N.State(), tsIdle | tsFocused);
  T.N.MouseDown(40, 75, false, false);
  T.N.MouseMove(40, 165, false);
  T.N.MouseUp(40, 165);
  EXPECT_EQ(T.Rows.GetHeight(5), 31);
  EXPECT_EQ(T.L.ActiveRow(), 5);
}

TEST(TableScroll, LinesPagesAndThumb) {
  Table T(1000, 30);
  T.N.Scroll(1, false);
  EXPECT_EQ(T.L.TopRow(), 2);
  T.N.Scroll(3, false);  // the last row listed (2 .. 10) comes to the top
  EXPECT_EQ(T.L.TopRow(), 10);
  T.N.Scroll(2, false);
  EXPECT_EQ(T.L.TopRow(), 2);
  T.N.Scroll(0, false);
  T.N.Scroll(0, false);
  EXPECT_EQ(T.L.TopRow(), 1);
  T.N.Scroll(3, true);
  EXPECT_EQ(T.L.LeftCol(), 4);
  T.N.Scroll(2, true);
  EXPECT_EQ(T.L.LeftCol(), 1);
  T.N.ScrollToThumb(7, true);
  EXPECT_EQ(T.L.LeftCol(), 8);
  T.N.ScrollToThumb(500, false);
  EXPECT_EQ(T.L.TopRow(), 500);
  EXPECT_EQ(T.Active(), std::make_pair(1, 1));  // scrolling leaves the active cell
  // An editor that will not give up its value stops the scroll.
  T.N.SetMode(tsEditing);
  T.N.OnEditorCanSave = [] { return false; };
  T.N.Scroll(1, false);
  EXPECT_EQ(T.L.TopRow(), 500);
}
