// The editor control's input: keys through the controller's command tables, typed
// characters, the scroll bars, the mouse (click, drag with auto-scroll, double click,
// the wheel, the margin cursor) and the focus (the insert mode the controller's controls
// share).
//
// A drag follows the mouse through the capture's messages rather than a loop of its
// own that pumps messages: nothing runs between two mouse messages, so the control
// being destroyed meanwhile needs no more than what its destruction does anyway (the
// window goes, and with it the capture and the timer).  Handlers that fire an event and
// then go on watch the control first (TControlWatch), since the event may have
// destroyed it.
#include <algorithm>

#include "components/editor/editor.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

bool KeyIsDown(int VKey) { return (GetKeyState(VKey) & 0x8000) != 0; }

// A translation that carries a command for the editor.
bool IsCommand(uint16_t Cmd) { return Cmd != ccNone && Cmd != ccUnmatched && Cmd != ccPartial; }

constexpr UINT kAutoScrollMs = 50;

}  // namespace

// A key that ran a command leaves no character behind: the WM_CHAR that
// TranslateMessage queued right after the key-down is taken out.
void TOvcEditBase::DropQueuedChar() {
  MSG m;
  PeekMessageA(&m, static_cast<HWND>(Handle()), WM_CHAR, WM_CHAR, PM_REMOVE);
}

bool TOvcEditBase::RunCommand(uint16_t Command, char Ch) {
  TControlWatch watch(this);
  const bool done = model_->ProcessCommand(Command, Ch);
  // Insert mode may have been switched: the caret shows it.
  if (watch.Alive()) caret_->SetInsertMode(model_->InsertMode);
  return done;
}

void TOvcEditBase::KeyDown(TMessage& M) {
  TControlWatch watch(this);
  if (DoKeyDown(M) || !watch.Alive()) {
    M.Result = 0;
    return;
  }
  uint16_t cmd = ccUnmatched;
  if (Controller()) cmd = Controller()->EntryCommands()->Translate(M);
  if (cmd == ccPartial) {
    DropQueuedChar();
    return;
  }
  if (IsCommand(cmd) && (cmd != ccNewLine || model_->WantEnter) &&
      (cmd != ccTab || model_->WantTab)) {
    const bool done = RunCommand(cmd, static_cast<char>(M.WParam));
    if (!watch.Alive()) return;
    // Only a command the editor carried out consumes the key.
    if (done) {
      DropQueuedChar();
      return;
    }
  }
  if (M.WParam == VK_RETURN && model_->WantEnter) {
    DropQueuedChar();
    RunCommand(ccNewLine, '\r');
  } else if (M.WParam == VK_TAB && model_->WantTab) {
    DropQueuedChar();
    RunCommand(ccTab, '\t');
  } else {
    DefaultHandler(M);
  }
}

void TOvcEditBase::ScrollMessage(bool Vertical, uint16_t Code) {
  const int bar = Vertical ? SB_VERT : SB_HORZ;
  const int32_t page =
      std::max(1, Vertical ? model_->GetVisibleRows() : model_->GetVisibleColumns());
  int32_t d = 0;
  switch (Code) {
    case SB_LINEUP: d = -1; break;
    case SB_LINEDOWN: d = 1; break;
    case SB_PAGEUP: d = -page; break;
    case SB_PAGEDOWN: d = page; break;
    case SB_TOP: d = -kMaxLongInt / 2; break;
    case SB_BOTTOM: d = kMaxLongInt / 2; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(static_cast<HWND>(Handle()), bar, &si);
      if (Vertical)
        model_->SetTopLine(model_->LineOfThumb(si.nTrackPos));
      else
        model_->Scroll(si.nTrackPos - model_->LeftColumn(), 0);
      return;
    }
    default: return;
  }
  if (Vertical)
    model_->Scroll(0, d);
  else
    model_->Scroll(d, 0);
}

// --- the mouse ---------------------------------------------------------------------------------

void TOvcEditBase::MouseAt(int32_t X, int32_t Y, bool Extend) {
  int32_t line = 1, col = 1;
  model_->GetMouseLineCol(X, Y, line, col);
  if (Extend)
    model_->SetSelection(anchor_line_, anchor_col_, line, col, true);
  else
    model_->SetCaretPosition(line, col);
}

// Whole lines from the anchor line to Line; the caret at the end the mouse is on.
static void SelectLines(TEditorModel& M, int32_t Anchor, int32_t Line) {
  if (Line >= Anchor)
    M.SetSelection(Anchor, 1, Line + 1, 1, true);
  else
    M.SetSelection(Line, 1, Anchor + 1, 1, false);
  // Past the last line the selection ends at the end of the text.
  if (Line >= Anchor && Line >= M.GetLineCount())
    M.SetSelection(Anchor, 1, M.GetLineCount(), M.GetLineLength(M.GetLineCount()) + 1, true);
}

void TOvcEditBase::MouseDownAt(int32_t X, int32_t Y, bool Shift) {
  TControlWatch watch(this);
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!watch.Alive()) return;
  }
  mouse_x_ = X;
  mouse_y_ = Y;
  int32_t line = 1, col = 1;
  model_->GetMouseLineCol(X, Y, line, col);
  // With Shift the anchor is the end of the selection the caret is not at.
  int32_t sl, sc, el, ec, cc;
  bool sel = model_->GetSelection(sl, sc, el, ec);
  int32_t cl = model_->GetCaretPosition(cc);
  bool caretAtEnd = cl == el && cc == ec;
  if (!Shift || !sel) {
    anchor_line_ = Shift ? cl : line;
    anchor_col_ = Shift ? cc : col;
  } else {
    anchor_line_ = caretAtEnd ? sl : el;
    anchor_col_ = caretAtEnd ? sc : ec;
  }
  margin_drag_ = InMargin(X);
  if (margin_drag_) {
    if (Shift && sel) anchor_line_ = line >= sl ? sl : el - (ec == 1 && el > sl ? 1 : 0);
    else anchor_line_ = line;
    SelectLines(*model_, anchor_line_, line);
  } else {
    MouseAt(X, Y, Shift);
  }
  if (model_->GetTextLength() == 0 && model_->GetParaCount() == 1) return;
  dragging_ = true;
  SetCapture(static_cast<HWND>(Handle()));
}

void TOvcEditBase::DragTo(int32_t X, int32_t Y) {
  mouse_x_ = X;
  mouse_y_ = Y;
  int32_t line = 1, col = 1;
  model_->GetMouseLineCol(X, Y, line, col);
  if (margin_drag_)
    SelectLines(*model_, anchor_line_, line);
  else
    MouseAt(X, Y, true);
  // Outside the rows (or the columns) the view keeps moving while the mouse stays.
  TRect c = ClientRect();
  bool outside = Y < 0 || Y >= model_->GetVisibleRows() * row_height_ ||
                 (!margin_drag_ && (X < 0 || X >= c.Right));
  if (outside && !auto_scroll_ && HandleAllocated()) {
    auto_scroll_ = SetTimer(static_cast<HWND>(Handle()), kAutoScrollTimer, kAutoScrollMs, nullptr) != 0;
  } else if (!outside && auto_scroll_) {
    KillTimer(static_cast<HWND>(Handle()), kAutoScrollTimer);
    auto_scroll_ = false;
  }
}

void TOvcEditBase::AutoScrollTick() {
  if (!dragging_) {
    StopDrag();
    return;
  }
  // Each step maps the mouse, above or below the rows, to the line beyond the view's
  // edge, and following the caret brings that line in.
  DragTo(mouse_x_, mouse_y_);
}

void TOvcEditBase::StopDrag() {
  dragging_ = false;
  margin_drag_ = false;
  if (auto_scroll_ && HandleAllocated()) KillTimer(static_cast<HWND>(Handle()), kAutoScrollTimer);
  auto_scroll_ = false;
}

void TOvcEditBase::DoubleClickAt(int32_t X, int32_t Y, bool Shift) {
  int32_t line = 1, col = 1;
  model_->GetMouseLineCol(X, Y, line, col);
  TParaList& list = model_->Paragraphs();
  int32_t off = 0;
  int32_t para = list.ParaPosOfLine(line, off);
  int32_t sl, sc, el, ec;
  bool sel = Shift && model_->GetSelection(sl, sc, el, ec);
  // The range as paragraph positions, [from, to).
  int32_t fromPara = para, fromPos = 1, toPara = para, toPos = 1;
  if (InMargin(X)) {
    if (para < model_->GetParaCount()) {
      toPara = para + 1;
    } else {
      toPos = list.GetParaLength(para) + 1;
    }
  } else {
    const char* t = list.GetParaNode(para)->GetText();
    int32_t len = list.GetParaLength(para);
    int32_t i = std::min(off + col - 1, len);
    int32_t b = i, e = i;
    while (b > 0 && !model_->IsDelimiter(t[b - 1])) --b;
    while (e < len && !model_->IsDelimiter(t[e])) ++e;
    fromPos = b + 1;
    toPos = e + 1;
  }
  int32_t c1, c2;
  int32_t l1 = list.LineOfParaPos(fromPara, fromPos, c1);
  int32_t l2 = list.LineOfParaPos(toPara, toPos, c2);
  if (sel) {
    // Extended to cover the new range as well.
    if (sl < l1 || (sl == l1 && sc < c1)) l1 = sl, c1 = sc;
    if (el > l2 || (el == l2 && ec > c2)) l2 = el, c2 = ec;
  }
  if (l1 == l2 && c1 == c2)
    model_->SetCaretPosition(l1, c1);
  else
    model_->SetSelection(l1, c1, l2, c2, true);
}

void TOvcEditBase::Wheel(int16_t Delta) {
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  int32_t step = lines == WHEEL_PAGESCROLL ? std::max(1, model_->GetVisibleRows())
                                           : static_cast<int32_t>(lines);
  // Fine-grained wheels send less than a notch at a time: the rest waits.
  wheel_rest_ += Delta;
  int32_t notches = wheel_rest_ / WHEEL_DELTA;
  wheel_rest_ -= notches * WHEEL_DELTA;
  if (notches != 0 && step > 0) model_->Scroll(0, -notches * step);
}

bool TOvcEditBase::SetCursorFor(TMessage& M) {
  if (M.LParamLo() != HTCLIENT || reinterpret_cast<HWND>(M.WParam) != Handle()) return false;
  if (Screen && Screen->Cursor() != crDefault) return false;
  POINT p{};
  GetCursorPos(&p);
  ::ScreenToClient(static_cast<HWND>(Handle()), &p);
  HCURSOR cur = nullptr;
  if (InMargin(p.x)) {
    if (!margin_cursor_) margin_cursor_ = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32668));
    cur = static_cast<HCURSOR>(margin_cursor_);
  } else if (Cursor() == crDefault) {
    cur = LoadCursorA(nullptr, IDC_IBEAM);
  }
  if (!cur) return false;
  ::SetCursor(cur);
  M.Result = 1;
  return true;
}

// --- messages --------------------------------------------------------------------------------------

bool TOvcEditBase::DispatchInput(TMessage& M) {
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_GETDLGCODE:
      // Every key but Tab (unless WantTab) and Enter (unless WantEnter).
      M.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
      if (model_->WantTab) M.Result |= DLGC_WANTTAB;
      if (M.WParam != VK_TAB && (M.WParam != VK_RETURN || model_->WantEnter))
        M.Result |= DLGC_WANTALLKEYS;
      return true;
    case WM_KEYDOWN:
      KeyDown(M);
      return true;
    case WM_SYSKEYDOWN: {
      if (DoKeyDown(M) || !watch.Alive()) return true;
      uint16_t cmd = ccNone;
      if (M.WParam != VK_TAB && M.WParam != VK_MENU && Controller())
        cmd = Controller()->EntryCommands()->Translate(M);
      // Alt+F4, the menu keys and commands the editor declines reach the system.
      if (!(IsCommand(cmd) && RunCommand(cmd, static_cast<char>(M.WParam))) && watch.Alive())
        DefaultHandler(M);
      return true;
    }
    case WM_CHAR: {
      if (DoKeyPress(M) || !watch.Alive()) return true;
      auto ch = static_cast<unsigned char>(M.WParam);
      if (ch >= 32) RunCommand(kCmdChar, static_cast<char>(ch));
      return true;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (M.LParam) return false;  // a scroll-bar control's, reflected to it
      ScrollMessage(M.Msg == WM_VSCROLL, M.WParamLo());
      return true;
    case WM_MOUSEWHEEL:
      Wheel(static_cast<int16_t>(HIWORD(M.WParam)));
      M.Result = 0;
      return true;
    case WM_LBUTTONDOWN:
      TOvcBase::Dispatch(M);  // OnMouseDown first
      if (watch.Alive())
        MouseDownAt(M.XPos(), M.YPos(), (M.WParam & MK_SHIFT) != 0 || KeyIsDown(VK_SHIFT));
      return true;
    case WM_LBUTTONDBLCLK:
      TOvcBase::Dispatch(M);  // OnDblClick and OnMouseDown first
      if (watch.Alive())
        DoubleClickAt(M.XPos(), M.YPos(), (M.WParam & MK_SHIFT) != 0 || KeyIsDown(VK_SHIFT));
      return true;
    case WM_MOUSEMOVE:
      TOvcBase::Dispatch(M);
      if (watch.Alive() && dragging_) DragTo(M.XPos(), M.YPos());
      return true;
    case WM_LBUTTONUP:
      TOvcBase::Dispatch(M);
      if (watch.Alive() && dragging_) {
        StopDrag();
        if (GetCapture() == Handle()) ReleaseCapture();
      }
      return true;
    case WM_CAPTURECHANGED:
      // However the capture went (another window, a message box, disabling), the drag
      // ends; taking it again ourselves is no loss.
      if (reinterpret_cast<HWND>(M.LParam) != Handle()) StopDrag();
      return false;
    case WM_CANCELMODE:
      StopDrag();
      return false;
    case WM_TIMER:
      if (M.WParam != kAutoScrollTimer) return false;
      AutoScrollTick();
      return true;
    case WM_SETCURSOR:
      return SetCursorFor(M);
    case WM_MOUSEACTIVATE:
      // While an entry field's error report is pending the click is neither taken nor
      // passed on.
      if (Controller() && Controller()->ErrorPending()) {
        M.Result = MA_NOACTIVATEANDEAT;
        return true;
      }
      return false;
    case WM_SETFOCUS:
      // The insert mode is the controller's, shared by its controls.
      if (Controller()) model_->InsertMode = Controller()->InsertMode();
      caret_->SetInsertMode(model_->InsertMode);
      if (hide_selection_) Invalidate();
      return false;
    case WM_KILLFOCUS:
      StopDrag();
      if (Controller()) Controller()->SetInsertMode(model_->InsertMode);
      if (hide_selection_) Invalidate();
      return false;
    default:
      return false;
  }
}

}  // namespace tess
