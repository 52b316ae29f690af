// The table window's messages for navigation: keys through the controller's "Grid" key
// table, the mouse with its capture and cursors, the lines drawn while resizing or
// moving and the scroll bars.  What they do is decided by TOvcTableNavigator.  (The focus
// messages are handled with the editor they concern, in table_editing.cpp.)
#include "components/table/table.h"

#include <utility>

#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

// The window's device context for one drawing.
class WindowDC {
 public:
  explicit WindowDC(HWND W) : w_(W), dc_(GetDC(W)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(w_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HWND w_;
  HDC dc_;
};

// A GDI object selected into a context, and deleted, when the scope ends.
class OwnedSelection {
 public:
  OwnedSelection(HDC DC, HGDIOBJ Object) : dc_(DC), obj_(Object), old_(SelectObject(DC, Object)) {}
  ~OwnedSelection() {
    SelectObject(dc_, old_);
    DeleteObject(obj_);
  }
  OwnedSelection(const OwnedSelection&) = delete;
  OwnedSelection& operator=(const OwnedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ obj_;
  HGDIOBJ old_;
};

bool KeyHeld(int VKey) { return (GetKeyState(VKey) & 0x8000) != 0; }

uint8_t ShiftFlagsNow() {
  uint8_t F = 0;
  if (KeyHeld(VK_SHIFT)) F |= kShiftFlagShift;
  if (KeyHeld(VK_CONTROL)) F |= kShiftFlagCtrl;
  if (KeyHeld(VK_MENU)) F |= kShiftFlagAlt;
  return F;
}

// Cursors of the program's resources: moving a column and moving a row.
constexpr int kMoveColCursor = 32662, kMoveRowCursor = 32663;

HCURSOR CursorFor(TOvcTableCursor K) {
  switch (K) {
    case TOvcTableCursor::ResizeCol: return static_cast<HCURSOR>(Screen->Cursors(crHSplit));
    case TOvcTableCursor::ResizeRow: return static_cast<HCURSOR>(Screen->Cursors(crVSplit));
    case TOvcTableCursor::MoveCol:
      return LoadCursorA(static_cast<HINSTANCE>(HInstance()), MAKEINTRESOURCEA(kMoveColCursor));
    case TOvcTableCursor::MoveRow:
      return LoadCursorA(static_cast<HINSTANCE>(HInstance()), MAKEINTRESOURCEA(kMoveRowCursor));
    default: return nullptr;
  }
}

}  // namespace

void TOvcCustomTable::InitNavigation() {
  // The navigator takes the mouse only for its own operations, and lets it go after
  // finishing them; a capture lost in between ends them.
  SetControlStyle(ControlStyle() - TControlStyleFlag::csCaptureMouse);
  nav_.OnTakeFocus = [this] {
    // OnEnter runs there, and may free the table.
    if (CanFocus()) RunFor(this, [&] { SetFocus(); });
  };
  nav_.OnInvertLine = [this](TOvcTableCursor Kind, int32_t Pos) {
    if (!HandleAllocated()) return;
    HWND W = static_cast<HWND>(Handle());
    WindowDC DC(W);
    if (!DC.Handle()) return;
    const bool Resize = Kind == TOvcTableCursor::ResizeCol || Kind == TOvcTableCursor::ResizeRow;
    const bool Vertical = Kind == TOvcTableCursor::ResizeCol || Kind == TOvcTableCursor::MoveCol;
    // Drawn with xor in white, which inverts what it crosses (so it shows on any colour),
    // and drawing it again erases it; the resize line is dotted, its gaps left alone.
    OwnedSelection Pen(DC.Handle(), Resize ? CreatePen(PS_DOT, 1, RGB(255, 255, 255))
                                           : CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
    const int OldRop = SetROP2(DC.Handle(), R2_XORPEN);
    const int OldBk = SetBkMode(DC.Handle(), TRANSPARENT);
    RECT C;
    GetClientRect(W, &C);
    if (Vertical) {
      MoveToEx(DC.Handle(), Pos, 0, nullptr);
      LineTo(DC.Handle(), Pos, C.bottom);
    } else {
      MoveToEx(DC.Handle(), 0, Pos, nullptr);
      LineTo(DC.Handle(), C.right, Pos);
    }
    SetBkMode(DC.Handle(), OldBk);
    SetROP2(DC.Handle(), OldRop);
  };
}

bool TOvcCustomTable::NavigationMessage(TMessage& M) {
  // The table's events run on the way (keys, mouse, focus): a handler may free the table,
  // and then nothing more is done with it.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_KEYDOWN: {
      // The OnKeyDown event first; a key it takes goes no further.
      if (DoKeyDown(M)) {
        M.Result = 0;
        return true;
      }
      layout_.CheckSize();
      const uint16_t Key = M.WParamLo();
      TOvcCommandProcessor* P = Controller() ? Controller()->EntryCommands() : nullptr;
      const uint16_t Cmd = nav_.KeyToCommand(Key, ShiftFlagsNow(), P);
      bool Handled;
      {
        TScopedValue<const TMessage*> Input(input_message_, &M, LifeMark());
        Handled = nav_.KeyDown(Key, Cmd);
      }
      M.Result = 0;
      if (!watch.Alive()) return true;
      if (!Handled) DefaultHandler(M);
      M.Result = 0;
      return true;
    }
    case WM_LBUTTONDOWN:
      layout_.CheckSize();
      TOvcTableAncestor::Dispatch(M);  // OnMouseDown
      if (!watch.Alive()) return true;
      if (nav_.State() & tsUnfocused) {
        // The first click only takes the focus.  OnEnter may free the table there, so
        // the table takes it itself, outside the navigator's work.
        layout_.SetAllowRedraw(false);
        if (CanFocus()) SetFocus();
        if (watch.Alive()) layout_.SetAllowRedraw(true);
        return true;
      }
      {
        TScopedValue<const TMessage*> Input(input_message_, &M, LifeMark());
        nav_.MouseDown(M.XPos(), M.YPos(), (M.WParam & MK_SHIFT) != 0,
                       (M.WParam & MK_CONTROL) != 0);
      }
      if (!watch.Alive()) return true;
      if (nav_.MouseBusy() && HandleAllocated()) SetCapture(static_cast<HWND>(Handle()));
      return true;
    case WM_MOUSEMOVE:
      TOvcTableAncestor::Dispatch(M);  // OnMouseMove
      if (watch.Alive()) nav_.MouseMove(M.XPos(), M.YPos(), (M.WParam & MK_CONTROL) != 0);
      return true;
    case WM_LBUTTONUP:
      TOvcTableAncestor::Dispatch(M);  // OnClick, OnMouseUp
      if (!watch.Alive()) return true;
      nav_.MouseUp(M.XPos(), M.YPos());
      // Released after the operation is done, so the capture notice finds nothing to end.
      if (watch.Alive() && HandleAllocated() && GetCapture() == static_cast<HWND>(Handle()))
        ReleaseCapture();
      return true;
    case WM_CANCELMODE:
      nav_.CancelMode();
      if (HandleAllocated() && GetCapture() == static_cast<HWND>(Handle())) ReleaseCapture();
      return false;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(M.LParam) != static_cast<HWND>(Handle())) nav_.CancelMode();
      return false;
    case WM_SETCURSOR: {
      if (LOWORD(M.LParam) != HTCLIENT || reinterpret_cast<HWND>(M.WParam) != Handle())
        return false;
      POINT P;
      GetCursorPos(&P);
      ::ScreenToClient(static_cast<HWND>(Handle()), &P);
      if (HCURSOR C = CursorFor(nav_.CursorAt(P.x, P.y))) {
        ::SetCursor(C);
        M.Result = 1;
        return true;
      }
      return false;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      if (M.LParam) return false;  // a scroll-bar control's message, reflected to it
      const bool Horizontal = M.Msg == WM_HSCROLL;
      const uint16_t Code = M.WParamLo();
      const bool Thumb = Code == SB_THUMBPOSITION || Code == SB_THUMBTRACK;
      if (Code == SB_ENDSCROLL ||
          (Code == SB_THUMBTRACK && !nav_.Has(TOvcTblOption::otoThumbTrack)))
        return false;
      layout_.CheckSize();
      if ((nav_.State() & tsUnfocused) && CanFocus()) SetFocus();
      M.Result = 0;
      if (!watch.Alive()) return true;
      switch (Code) {
        case SB_LINEUP: ScrollTable(0, Horizontal); break;
        case SB_LINEDOWN: ScrollTable(1, Horizontal); break;
        case SB_PAGEUP: ScrollTable(2, Horizontal); break;
        case SB_PAGEDOWN: ScrollTable(3, Horizontal); break;
        case SB_TOP:
          Horizontal ? SetLeftCol(LockedCols()) : SetTopRow(LockedRows());
          break;
        case SB_BOTTOM:
          Horizontal ? SetLeftCol(layout_.MaxLeftCol()) : SetTopRow(layout_.MaxTopRow());
          break;
        default:
          if (Thumb) {
            // The track position is 32 bits wide, unlike the message's 16-bit one.
            SCROLLINFO SI{};
            SI.cbSize = sizeof SI;
            SI.fMask = SIF_TRACKPOS;
            GetScrollInfo(static_cast<HWND>(Handle()), Horizontal ? SB_HORZ : SB_VERT, &SI);
            nav_.ScrollToThumb(SI.nTrackPos, Horizontal);
          }
          break;
      }
      return true;
    }
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS |
                 (nav_.Has(TOvcTblOption::otoTabToArrow) ? DLGC_WANTTAB : 0);
      return true;
    default:
      return false;
  }
}

}  // namespace tess
