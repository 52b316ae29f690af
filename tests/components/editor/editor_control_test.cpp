// The editor control under Wine: keys and characters as real messages, the mouse, the
// scroll bars, painting and the clipboard.
#include <gtest/gtest.h>

#include <string>

#include "components/editor/editor.h"
#include "framework/win/dc_guards.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

class EditorTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    new TOvcController(form);
    ed = new TyCustomEditor(form);
    ed->SetParent(form);
    ed->SetBounds(0, 0, 300, 160);
    ShowForm();
    ed->SetFocus();
    Pump();
  }
  HWND Wnd() { return static_cast<HWND>(ed->Handle()); }
  void Key(WPARAM VKey) { SendMessageA(Wnd(), WM_KEYDOWN, VKey, 1); }
  void Type(const std::string& S) {
    for (char c : S) {
      if (c == '\n') {
        Key(VK_RETURN);
        SendMessageA(Wnd(), WM_CHAR, '\r', 1);
      } else {
        SendMessageA(Wnd(), WM_CHAR, static_cast<unsigned char>(c), 1);
      }
    }
  }
  LPARAM At(int X, int Y) { return MAKELPARAM(X, Y); }
  TEditorModel& M() { return ed->Model(); }
  TyCustomEditor* ed = nullptr;
};

TEST_F(EditorTest, TypingAndCommandKeysEditTheModel) {
  Type("select 1\nfrom dual");
  EXPECT_EQ(M().GetTextString(), "select 1\r\nfrom dual\r\n");
  EXPECT_EQ(M().CaretLine(), 2);
  EXPECT_EQ(M().CaretCol(), 10);
  // Backspace through the command table; its WM_CHAR must not type a character.
  Key(VK_BACK);
  SendMessageA(Wnd(), WM_CHAR, 8, 1);
  Key(VK_HOME);
  Key(VK_UP);
  Type("x");
  EXPECT_EQ(M().GetTextString(), "xselect 1\r\nfrom dua\r\n");
  // Ctrl+Z undoes; the control character its key makes is dropped.
  testing::SetKeyDown(VK_CONTROL, true);
  Key('Z');
  SendMessageA(Wnd(), WM_CHAR, 26, 1);
  testing::SetKeyDown(VK_CONTROL, false);
  EXPECT_EQ(M().GetTextString(), "select 1\r\nfrom dua\r\n");
  EXPECT_EQ(SendMessageA(Wnd(), WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTARROWS),
            DLGC_WANTCHARS | DLGC_WANTARROWS);
}

TEST_F(EditorTest, MousePlacesCaretAndDragSelects) {
  M().SetText("alpha beta\r\ngamma delta\r\nepsilon");
  const int cw = ed->CharWidth(), rh = ed->RowHeight(), lm = ed->LeftMargin();
  // A click inside the 4th character of line 2 puts the caret before it.
  SendMessageA(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(lm + 3 * cw + 1, rh + rh / 2));
  SendMessageA(Wnd(), WM_LBUTTONUP, 0, At(lm + 3 * cw + 1, rh + rh / 2));
  EXPECT_EQ(M().CaretLine(), 2);
  EXPECT_EQ(M().CaretCol(), 4);
  EXPECT_EQ(GetCapture(), nullptr);
  // Drag from line 1 column 1 to line 3 column 3.
  SendMessageA(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(lm + 1, 2));
  EXPECT_EQ(GetCapture(), Wnd());
  SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, At(lm + 2 * cw + 1, 2 * rh + 2));
  EXPECT_EQ(M().GetSelText(), "alpha beta\r\ngamma delta\r\nep");
  // Losing the capture ends the drag: later moves change nothing.
  ReleaseCapture();
  SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, At(lm + 1, 2 * rh + 2));
  EXPECT_EQ(M().GetSelText(), "alpha beta\r\ngamma delta\r\nep");
}

TEST_F(EditorTest, ScrollBarsFollowTheModel) {
  std::string text;
  for (int i = 1; i <= 100; ++i) text += "line " + std::to_string(i) + "\r\n";
  M().SetText(text.c_str());
  SendMessageA(Wnd(), WM_VSCROLL, SB_LINEDOWN, 0);
  SendMessageA(Wnd(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(M().GetTopLine(), 3);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Wnd(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, M().VertScrollRange().Pos);
  EXPECT_GT(si.nMax, 50);
  // A click in the track pages by the visible rows, as the horizontal bar pages by its
  // visible columns.
  SendMessageA(Wnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(M().GetTopLine(), 3 + M().GetVisibleRows());
  SendMessageA(Wnd(), WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(M().GetTopLine(), 3);
  M().SetWordWrap(false);
  SendMessageA(Wnd(), WM_HSCROLL, SB_PAGERIGHT, 0);
  EXPECT_EQ(M().LeftColumn(), M().GetVisibleColumns());
  SendMessageA(Wnd(), WM_HSCROLL, SB_PAGELEFT, 0);
  EXPECT_EQ(M().LeftColumn(), 0);
  SendMessageA(Wnd(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(M().GetTopLine(), M().GetLineCount() - M().GetVisibleRows() + 1);
  SendMessageA(Wnd(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(M().GetTopLine(), 1);
  // The caret scrolled out of sight goes outside the window, not onto another row.
  M().SetCaretPosition(1, 1);
  SendMessageA(Wnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(ed->Caret().Position().Y, TOvcEditBase::kCaretOffWindow);
}

TEST_F(EditorTest, PaintsTextOverTheBackground) {
  M().SetText("WWWW\r\n\r\nWWWW");
  M().SetSelection(3, 1, 3, 5, true);
  TRect c = ed->ClientRect();
  TScreenDC screen;
  TMemoryDC mem;
  HBITMAP bmp = CreateCompatibleBitmap(static_cast<HDC>(screen.Handle()), c.Width(), c.Height());
  {
    TSelectedObject sel(mem.Handle(), bmp);
    HDC dc = static_cast<HDC>(mem.Handle());
    SendMessageA(Wnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const int cw = ed->CharWidth(), rh = ed->RowHeight(), lm = ed->LeftMargin();
    const COLORREF bg = ColorToRGB(ed->Color()), hl = ColorToRGB(ed->HighlightColor());
    // Somewhere inside the first W there is ink; the empty line is all background.
    int ink = 0;
    for (int x = lm; x < lm + cw; ++x)
      for (int y = 0; y < rh; ++y) ink += GetPixel(dc, x, y) != bg;
    EXPECT_GT(ink, 3);
    EXPECT_EQ(GetPixel(dc, lm + cw, rh + rh / 2), bg);
    // The selected line sits on the highlight.
    int lit = 0;
    for (int x = lm; x < lm + 4 * cw; ++x) lit += GetPixel(dc, x, 2 * rh + 1) == hl;
    EXPECT_GT(lit, 2 * cw);
  }
  DeleteObject(bmp);
  EXPECT_EQ(SendMessageA(Wnd(), WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(EditorTest, ClipboardRoundTripAndTextFileEditor) {
  M().SetText("select *\r\nfrom t");
  M().SelectAll(true);
  testing::SetKeyDown(VK_CONTROL, true);
  Key('C');
  testing::SetKeyDown(VK_CONTROL, false);
  Key(VK_END);
  Type("\n");
  testing::SetKeyDown(VK_CONTROL, true);
  Key('V');
  testing::SetKeyDown(VK_CONTROL, false);
  EXPECT_EQ(M().GetTextString(), "select *\r\nfrom t\r\nselect *\r\nfrom t\r\n");

  auto* tf = new TyTextFileEditor(form);
  tf->SetParent(form);
  tf->File().SetText("x");
  EXPECT_EQ(&tf->File(), &tf->Model());
  EXPECT_EQ(tf->File().GetTextString(), "x\r\n");
}

}  // namespace
}  // namespace tess
