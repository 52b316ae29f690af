// A real table on a form: keys through real key messages and the controller's "Grid" key
// table, selection by mouse and its painting, resizing and moving columns by mouse with
// the capture lost midway, scroll-bar messages and the dialog code.
#include <gtest/gtest.h>

#include <vector>

#include "components/table/celltext.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/win/recordcanvas.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using O = TOvcTblOption;

class NavTest : public FormTest {
 protected:
  void Build(int32_t Rows, int32_t Cols) {
    form->SetBounds(0, 0, 640, 400);
    new TOvcController(form);
    table = new TOvcTable(form);
    table->SetParent(form);
    table->SetBounds(0, 0, 600, 330);
    table->SetRowLimit(Rows);
    table->SetColCount(Cols);
    for (int C = 0; C < Cols; ++C) table->Columns().SetWidth(C, 80 + C);
    text = new TOvcTCBaseString(form);
    for (int C = 1; C < Cols; ++C) table->SetColumnCell(C, text);
    table->OnGetCellData = [this](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose) {
      StoreShortString(value, std::to_string(R) + ":" + std::to_string(C), 0);
      Data = value;
    };
    ShowForm();
    testing::Pump();
    table->SetFocus();
    testing::Pump();
  }
  HWND H() const { return static_cast<HWND>(table->Handle()); }
  // The middle of a cell on screen, and of the right edge of a heading.
  POINT Mid(int32_t Row, int Col) const {
    TOvcTableRect R;
    EXPECT_TRUE(table->Layout().GetCellRect(Row, Col, R)) << Row << "," << Col;
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
  }
  void Mouse(UINT Msg, POINT P, WPARAM Keys = 0) {
    SendMessageA(H(), Msg, Keys | (Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON), MAKELPARAM(P.x, P.y));
  }
  void CtrlKey(int VKey) {
    testing::SetKeyDown(VK_CONTROL, true);
    testing::PressKey(VKey);
    testing::SetKeyDown(VK_CONTROL, false);
  }
  uint16_t Mode() const { return table->Navigator().State() & TOvcTableNavigator::ModeMask; }
  uint16_t ZoneBits() const { return table->Navigator().State() & TOvcTableNavigator::ZoneMask; }

  TOvcTable* table = nullptr;
  TOvcTCBaseString* text = nullptr;
  uint8_t value[256] = {};
};

TEST_F(NavTest, KeysThroughTheGridKeyTable) {
  Build(1000, 10);
  ASSERT_EQ(GetFocus(), H());
  EXPECT_TRUE(table->Navigator().State() & tsFocused);
  for (int I = 0; I < 3; ++I) testing::PressKey(VK_DOWN);
  testing::PressKey(VK_RIGHT);
  EXPECT_EQ(table->ActiveRow(), 4);
  EXPECT_EQ(table->ActiveCol(), 2);
  testing::PressShiftKey(VK_DOWN);
  testing::PressShiftKey(VK_DOWN);
  EXPECT_TRUE(table->HaveSelection());
  EXPECT_TRUE(table->IsCellSelected(5, 2));
  EXPECT_TRUE(table->IsCellSelected(6, 2));
  EXPECT_FALSE(table->IsCellSelected(6, 3));
  // Ctrl+End and Ctrl+Home keep the column; a plain move drops the selection.
  CtrlKey(VK_END);
  EXPECT_EQ(table->ActiveRow(), 999);
  EXPECT_EQ(table->ActiveCol(), 2);
  EXPECT_EQ(table->TopRow(), table->Layout().MaxTopRow());
  EXPECT_FALSE(table->HaveSelection());
  CtrlKey(VK_HOME);
  EXPECT_EQ(table->ActiveRow(), 1);
  EXPECT_EQ(table->ActiveCol(), 2);
  EXPECT_EQ(table->TopRow(), 1);
  // Ctrl+Down and Ctrl+Up: the last and the first cell.
  CtrlKey(VK_DOWN);
  EXPECT_EQ(table->ActiveRow(), 999);
  EXPECT_EQ(table->ActiveCol(), 9);
  CtrlKey(VK_UP);
  EXPECT_EQ(table->ActiveRow(), 1);
  EXPECT_EQ(table->ActiveCol(), 1);
  EXPECT_EQ(table->LeftCol(), 1);
  // Page down keeps the active row's place on screen.
  testing::PressKey(VK_NEXT);
  EXPECT_GT(table->TopRow(), 1);
  EXPECT_EQ(table->ActiveRow(), table->TopRow());
  // A key the OnKeyDown event takes goes no further.
  table->OnKeyDown = [](TObject*, uint16_t& Key, TShiftState) {
    if (Key == VK_DOWN) Key = 0;
  };
  const int32_t Row = table->ActiveRow();
  testing::PressKey(VK_DOWN);
  EXPECT_EQ(table->ActiveRow(), Row);
  // The dialog code asks for Tab only when Tab moves.
  EXPECT_EQ(SendMessageA(H(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
  table->SetOptions({O::otoTabToArrow});
  EXPECT_EQ(SendMessageA(H(), WM_GETDLGCODE, 0, 0),
            DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB);
  testing::PressKey(VK_TAB);
  EXPECT_EQ(table->ActiveCol(), 2);
}

TEST_F(NavTest, TypedKeysAndF2OpenTheEditorThroughTheHook) {
  Build(100, 8);
  std::vector<std::pair<uint16_t, POINT>> Starts;
  auto& N = table->Navigator();
  N.OnStartEditing = [&](uint16_t Key, int32_t X, int32_t Y) {
    Starts.push_back({Key, POINT{X, Y}});
  };
  testing::PressKey('Q');
  testing::PressKey(VK_F2);
  testing::PressKey(VK_DOWN);  // a key with a command of its own only moves
  ASSERT_EQ(Starts.size(), 2u);
  EXPECT_EQ(Starts[0].first, 'Q');
  EXPECT_EQ(Starts[1].first, 0);
  EXPECT_EQ(table->ActiveRow(), 2);
  // A click on the active cell hands the click to the editor.
  Mouse(WM_LBUTTONDOWN, Mid(2, 1));
  Mouse(WM_LBUTTONUP, Mid(2, 1));
  ASSERT_EQ(Starts.size(), 3u);
  EXPECT_EQ(Starts[2].second.x, Mid(2, 1).x);
}

TEST_F(NavTest, ActiveCellPaintedByTheFocus) {
  Build(100, 8);
  const TColor Focused = static_cast<TColor>(0x00123456),
               Unfocused = static_cast<TColor>(0x00654321);
  table->Colors().Set(&TOvcTableColors::ActiveFocused, Focused);
  table->Colors().Set(&TOvcTableColors::ActiveUnfocused, Unfocused);
  auto Active = [&] {
    TRecordingCanvas P(table->ClientWidth(), table->ClientHeight());
    table->PaintTo(&P);
    TOvcTableRect Rc;
    table->Layout().GetCellRect(table->ActiveRow(), table->ActiveCol(), Rc);
    return P.Pixel(Rc.Right - 6, Rc.Top + 4);
  };
  EXPECT_EQ(Active(), Focused);
  // The focus handlers see the state that the focus change made.
  std::vector<bool> Seen;
  table->OnExit = [&](TObject*) { Seen.push_back(table->Navigator().State() & tsFocused); };
  table->OnEnter = [&](TObject*) { Seen.push_back(table->Navigator().State() & tsFocused); };
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(0, 340, 100, 24);
  other->SetFocus();
  testing::Pump();
  EXPECT_EQ(Active(), Unfocused);
  table->SetFocus();
  testing::Pump();
  EXPECT_EQ(Active(), Focused);
  EXPECT_EQ(Seen, (std::vector<bool>{false, true}));
}

// With the whole active row browsed, a move repaints both rows whole (locked cells
// too), so the old row loses the browse colour on screen, not only in a fresh paint.
TEST_F(NavTest, BrowsedRowMovesWholeOnScreen) {
  Build(100, 6);
  const TColor Browse = static_cast<TColor>(0x000000C0);
  for (auto C : {&TOvcTableColors::ActiveFocused, &TOvcTableColors::ActiveUnfocused})
    table->Colors().Set(C, Browse);
  table->SetOptions({O::otoBrowseRow});
  table->SetColumnCell(0, text);
  testing::Pump();
  auto OnScreen = [&](int32_t R, int C) {
    TOvcTableRect Rc;
    EXPECT_TRUE(table->Layout().GetCellRect(R, C, Rc));
    HDC DC = GetDC(H());
    const COLORREF P = GetPixel(DC, Rc.Right - 8, Rc.Top + 3);
    ReleaseDC(H(), DC);
    return static_cast<TColor>(P);
  };
  EXPECT_EQ(OnScreen(1, 4), Browse);
  EXPECT_EQ(OnScreen(1, 0), Browse);  // the locked cell of the browsed row
  EXPECT_NE(OnScreen(2, 4), Browse);
  testing::PressKey(VK_DOWN);
  ASSERT_EQ(table->ActiveRow(), 2);
  for (int C : {0, 2, 4}) {
    EXPECT_NE(OnScreen(1, C), Browse) << C;
    EXPECT_EQ(OnScreen(2, C), Browse) << C;
  }
}

// What OnTopLeftCellChanging answers is kept within the table, as the setters' own
// arguments are.
TEST_F(NavTest, TopLeftHookAnswersAreClamped) {
  Build(100, 8);
  table->OnTopLeftCellChanging = [](TObject*, int32_t& R, int& C) {
    R = -5;
    C = 1000;
  };
  table->SetTopRow(5);
  EXPECT_GE(table->TopRow(), table->LockedRows());
  EXPECT_LE(table->LeftCol(), table->Layout().MaxLeftCol());
  EXPECT_GE(table->LeftCol(), table->LockedCols());
  table->OnTopLeftCellChanging = nullptr;
  testing::PressKey(VK_NEXT);  // the next step moves from a valid place
  EXPECT_GE(table->TopRow(), table->LockedRows());
}

TEST_F(NavTest, MouseSelectsByDragAndSelectedCellsArePainted) {
  Build(100, 8);
  table->SetOptions({O::otoMouseDragSelect});
  // Unfocused, the first click only takes the focus.
  SetFocus(nullptr);
  testing::Pump();
  EXPECT_TRUE(table->Navigator().State() & tsUnfocused);
  Mouse(WM_LBUTTONDOWN, Mid(3, 2));
  Mouse(WM_LBUTTONUP, Mid(3, 2));
  EXPECT_EQ(GetFocus(), H());
  EXPECT_EQ(table->ActiveRow(), 1);
  // Now a drag from (3, 2) to (6, 4) selects the rectangle.
  Mouse(WM_LBUTTONDOWN, Mid(3, 2));
  EXPECT_EQ(GetCapture(), H());
  Mouse(WM_MOUSEMOVE, Mid(5, 3));
  Mouse(WM_MOUSEMOVE, Mid(6, 4));
  Mouse(WM_LBUTTONUP, Mid(6, 4));
  EXPECT_NE(GetCapture(), H());
  EXPECT_EQ(Mode(), tsIdle);
  EXPECT_EQ(table->ActiveRow(), 6);
  EXPECT_EQ(table->ActiveCol(), 4);
  for (int32_t R = 1; R < 10; ++R)
    for (int C = 1; C < 8; ++C)
      EXPECT_EQ(table->IsCellSelected(R, C), R >= 3 && R <= 6 && C >= 2 && C <= 4) << R << "," << C;

  const TColor Sel = static_cast<TColor>(0x0000AA00);
  table->Colors().Set(&TOvcTableColors::Selected, Sel);
  TRecordingCanvas P(table->ClientWidth(), table->ClientHeight());
  table->PaintTo(&P);
  auto Probe = [&](int32_t R, int C) {
    TOvcTableRect Rc;
    table->Layout().GetCellRect(R, C, Rc);
    return P.Pixel(Rc.Right - 6, Rc.Top + 4);
  };
  EXPECT_EQ(Probe(4, 3), Sel);
  EXPECT_EQ(Probe(3, 2), Sel);
  EXPECT_NE(Probe(6, 4), Sel);  // the active cell shows as active
  EXPECT_NE(Probe(7, 3), Sel);
  EXPECT_NE(Probe(4, 5), Sel);

  // Shift+click moves the rectangle's far corner; Ctrl+drag from a selected cell
  // deselects and keeps the rest.
  Mouse(WM_LBUTTONDOWN, Mid(8, 2), MK_SHIFT);
  Mouse(WM_LBUTTONUP, Mid(8, 2));
  EXPECT_TRUE(table->IsCellSelected(7, 2));
  EXPECT_FALSE(table->IsCellSelected(6, 4));
  Mouse(WM_LBUTTONDOWN, Mid(4, 2), MK_CONTROL);
  Mouse(WM_MOUSEMOVE, Mid(5, 2), MK_CONTROL);
  Mouse(WM_LBUTTONUP, Mid(5, 2));
  EXPECT_FALSE(table->IsCellSelected(4, 2));
  EXPECT_FALSE(table->IsCellSelected(5, 2));
  EXPECT_TRUE(table->IsCellSelected(3, 2));
  EXPECT_TRUE(table->IsCellSelected(6, 2));
  // WM_CANCELMODE ends a drag: later moves select nothing more.
  Mouse(WM_LBUTTONDOWN, Mid(2, 2));
  SendMessageA(H(), WM_CANCELMODE, 0, 0);
  EXPECT_EQ(Mode(), tsIdle);
  EXPECT_NE(GetCapture(), H());
  Mouse(WM_MOUSEMOVE, Mid(5, 5));
  EXPECT_EQ(table->ActiveRow(), 2);
  EXPECT_FALSE(table->HaveSelection());
}

TEST_F(NavTest, ColumnResizeByMouseWithTheCaptureLostMidway) {
  Build(50, 8);
  const auto& CA = table->Layout().ColAxis();
  const POINT Edge{CA.Offset(2) + 1, 10};  // the right edge of column 1, in the headings
  ASSERT_EQ(table->Columns().GetWidth(1), 81);
  Mouse(WM_LBUTTONDOWN, Edge);
  EXPECT_TRUE(table->Navigator().State() & tsResizing);
  EXPECT_EQ(GetCapture(), H());
  Mouse(WM_MOUSEMOVE, {Edge.x + 40, 10});
  ReleaseCapture();  // another window takes the mouse: the resize ends, applying nothing
  testing::Pump();
  EXPECT_EQ(Mode(), tsIdle);
  EXPECT_EQ(ZoneBits(), 0);
  Mouse(WM_LBUTTONUP, {Edge.x + 40, 10});
  EXPECT_EQ(table->Columns().GetWidth(1), 81);

  Mouse(WM_LBUTTONDOWN, Edge);
  Mouse(WM_MOUSEMOVE, {Edge.x + 40, 10});
  Mouse(WM_LBUTTONUP, {Edge.x + 40, 10});
  EXPECT_EQ(table->Columns().GetWidth(1), Edge.x + 40 - 80);
  EXPECT_EQ(Mode(), tsIdle);
  EXPECT_EQ(ZoneBits(), 0);  // no resize bit left behind
  EXPECT_NE(GetCapture(), H());
  EXPECT_EQ(CA.Offset(2), Edge.x + 40);

  // A row, through WM_CANCELMODE midway, then for real.
  const auto& RA = table->Layout().RowAxis();
  const POINT Bottom{20, RA.Offset(2)};
  const int32_t H0 = table->Rows().GetHeight(1);
  Mouse(WM_LBUTTONDOWN, Bottom);
  Mouse(WM_MOUSEMOVE, {20, Bottom.y + 25});
  SendMessageA(H(), WM_CANCELMODE, 0, 0);
  Mouse(WM_LBUTTONUP, {20, Bottom.y + 25});
  EXPECT_EQ(table->Rows().GetHeight(1), H0);
  Mouse(WM_LBUTTONDOWN, Bottom);
  Mouse(WM_MOUSEMOVE, {20, Bottom.y + 25});
  Mouse(WM_LBUTTONUP, {20, Bottom.y + 25});
  EXPECT_EQ(table->Rows().GetHeight(1), H0 + 25);
}

// The resize line shows on screen: drawn in xor with white it inverts what it crosses,
// dotted (every other pixel) across the client area, and drawing it again as it moves on
// gives the pixels back.  Rows and columns alike.
TEST_F(NavTest, ResizeLinesInvertWhatTheyCross) {
  Build(50, 8);
  RECT Client;
  GetClientRect(H(), &Client);
  for (bool Rows : {false, true}) {
    SCOPED_TRACE(Rows ? "a row" : "a column");
    const auto& A = Rows ? table->Layout().RowAxis() : table->Layout().ColAxis();
    const int32_t Edge = A.Offset(2) + 1;  // after line 1, in the locked headings
    auto At = [&](int32_t Along, int32_t Across) {
      return Rows ? POINT{Across, Along} : POINT{Along, Across};
    };
    const int32_t Length = Rows ? Client.right : Client.bottom;
    auto Pixels = [&](int32_t Along) {
      std::vector<COLORREF> V;
      HDC DC = GetDC(H());
      for (int32_t I = 0; I < Length; ++I) {
        const POINT P = At(Along, I);
        V.push_back(GetPixel(DC, P.x, P.y));
      }
      ReleaseDC(H(), DC);
      return V;
    };
    const int32_t Line = Edge + 30;
    const auto Before = Pixels(Line);
    Mouse(WM_LBUTTONDOWN, At(Edge, 5));
    ASSERT_TRUE(table->Navigator().State() & tsResizing);
    Mouse(WM_MOUSEMOVE, At(Line, 5));
    ASSERT_EQ(table->Navigator().LinePos(), Line);
    const auto During = Pixels(Line);
    int Inverted = 0, Otherwise = 0;
    for (size_t I = 0; I < During.size(); ++I) {
      if (During[I] == (Before[I] ^ 0xFFFFFFu))
        ++Inverted;
      else if (During[I] != Before[I])
        ++Otherwise;
    }
    EXPECT_GE(Inverted, Length / 3);
    EXPECT_LE(Inverted, Length * 2 / 3);  // dotted, not solid
    EXPECT_EQ(Otherwise, 0);
    Mouse(WM_MOUSEMOVE, At(Line + 20, 5));
    EXPECT_EQ(Pixels(Line), Before);
    Mouse(WM_LBUTTONUP, At(Line + 20, 5));
    testing::Pump();
  }
}

TEST_F(NavTest, ColumnMoveByMouseFollowsTheActiveColumn) {
  Build(50, 8);
  table->SetOptions({O::otoAllowColMoves});
  table->SetActiveCell(2, 3);
  // Column 2 goes to column 5's place: 3, 4, 5 shift left; the active column 3 is now 2.
  POINT From = Mid(0, 2), To = Mid(0, 5);
  Mouse(WM_LBUTTONDOWN, From);
  EXPECT_TRUE(table->Navigator().State() & tsMoving);
  Mouse(WM_MOUSEMOVE, To);
  SendMessageA(H(), WM_CANCELMODE, 0, 0);  // cancelled: nothing moves
  Mouse(WM_LBUTTONUP, To);
  EXPECT_EQ(table->Columns().GetWidth(2), 82);
  EXPECT_EQ(Mode(), tsIdle);
  EXPECT_EQ(ZoneBits(), 0);

  Mouse(WM_LBUTTONDOWN, From);
  Mouse(WM_MOUSEMOVE, Mid(0, 4));
  Mouse(WM_MOUSEMOVE, To);
  Mouse(WM_LBUTTONUP, To);
  const int Want[] = {80, 81, 83, 84, 85, 82, 86, 87};
  for (int C = 0; C < 8; ++C) EXPECT_EQ(table->Columns().GetWidth(C), Want[C]) << C;
  EXPECT_EQ(table->ActiveCol(), 2);
  EXPECT_EQ(ZoneBits(), 0);
  EXPECT_NE(GetCapture(), H());
}

TEST_F(NavTest, ScrollBarMessages) {
  Build(1000, 20);
  const auto& RA = table->Layout().RowAxis();
  SendMessageA(H(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(table->TopRow(), 2);
  const int32_t Last = RA.Number(RA.Entries() - 1);
  SendMessageA(H(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(table->TopRow(), Last);
  SendMessageA(H(), WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(table->TopRow(), 2);
  SendMessageA(H(), WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(table->TopRow(), 1);
  SendMessageA(H(), WM_HSCROLL, SB_PAGEDOWN, 0);
  EXPECT_GT(table->LeftCol(), 1);
  SendMessageA(H(), WM_HSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(table->LeftCol(), 1);
  // Thumb tracking scrolls only with its option; the active cell stays where it was.
  SendMessageA(H(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0);
  EXPECT_EQ(table->TopRow(), 1);
  EXPECT_EQ(table->ActiveRow(), 1);
  // An unfocused table takes the focus when scrolled.
  SetFocus(nullptr);
  testing::Pump();
  SendMessageA(H(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(GetFocus(), H());
  EXPECT_EQ(table->TopRow(), 2);
}

}  // namespace
}  // namespace tess
