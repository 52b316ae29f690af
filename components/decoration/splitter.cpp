// The splitter and its panes (see splitter.h).
#include "components/decoration/splitter.h"

#include <algorithm>

#include "components/decoration/auto_style.h"
#include "platform/win32.h"

namespace tess {

// ---------------------------------------------------------------------------------------
// ToxScrollPane
// ---------------------------------------------------------------------------------------

ToxScrollPane::ToxScrollPane(TComponent* AOwner) : TScrollBox(AOwner) {}

ToxCustomSplit* ToxScrollPane::Split() const {
  return dynamic_cast<ToxCustomSplit*>(Parent());
}

void ToxScrollPane::SetParentComponent(TComponent* Value) {
  if (auto* split = dynamic_cast<ToxCustomSplit*>(Value)) {
    split->AdoptStreamedPane(this);
    return;
  }
  TScrollBox::SetParentComponent(Value);
}

void ToxScrollPane::Dispatch(TMessage& M) {
  TControlWatch watch(this);
  TScrollBox::Dispatch(M);
  if (watch.Alive() && (M.Msg == WM_HSCROLL || M.Msg == WM_VSCROLL) && !M.LParam)
    if (ToxCustomSplit* split = Split())
      split->PaneScrolled(this, M.Msg == WM_HSCROLL ? TScrollBarKind::sbHorizontal
                                                    : TScrollBarKind::sbVertical);
}

// ---------------------------------------------------------------------------------------
// ToxCustomSplit
// ---------------------------------------------------------------------------------------

ToxCustomSplit::ToxCustomSplit(TComponent* AOwner) : TCustomControl(AOwner) {
  // The drag takes and gives back the capture itself: a capture released by anyone
  // else ends the drag without applying it.
  SetControlStyle(ControlStyle() + TControlStyleFlag::csAcceptsControls -
                  TControlStyleFlag::csCaptureMouse);
  SetBounds(0, 0, 185, 41);
  bar_width_ = GetSystemMetrics(SM_CXFRAME);
  static bool registered = false;
  if (!registered) {
    registered = true;
    RegisterSplitterClasses();
  }
}

ToxCustomSplit::~ToxCustomSplit() {
  if (line_shown_) ToggleDragLine();
}

void ToxCustomSplit::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  P.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
  P.Style |= WS_CLIPCHILDREN;
}

ToxScrollPane* ToxCustomSplit::AddPane() {
  auto* pane = new ToxScrollPane(this);
  pane->SetParent(this);
  pane->SetAutoScroll(auto_scroll_);
  panes_.push_back(pane);
  return pane;
}

void ToxCustomSplit::AdoptStreamedPane(ToxScrollPane* Pane) {
  if (own_panes_) {
    // The stream brings the panes: the constructor's go.
    own_panes_ = false;
    std::vector<ToxScrollPane*> old;
    old.swap(panes_);
    for (ToxScrollPane* p : old) delete p;
  }
  Pane->SetParent(this);
  panes_.push_back(Pane);
}

void ToxCustomSplit::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (ToxScrollPane* p : panes_) Proc(p);
}

void ToxCustomSplit::Loaded() {
  TCustomControl::Loaded();
  loaded_ = true;
  if (!(ComponentState() & (csLoading | csReading))) {
    panes_.clear();
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* p = dynamic_cast<ToxScrollPane*>(Controls(i))) panes_.push_back(p);
  }
  for (ToxScrollPane* p : panes_) {
    p->SetColor(Color());
    p->SetFont(Font());
    p->SetCtl3D(Ctl3D());
    p->SetShowHint(ShowHint());
    // The panes cover the splitter: its events come from them.
    p->OnClick = OnClick;
    p->OnMouseDown = OnMouseDown;
    p->OnMouseMove = OnMouseMove;
    p->OnMouseUp = OnMouseUp;
    p->OnKeyDown = OnKeyDown;
    p->OnKeyUp = OnKeyUp;
    p->OnKeyPress = OnKeyPress;
    p->OnDragDrop = OnDragDrop;
    p->OnDragOver = OnDragOver;
    p->OnEndDrag = OnEndDrag;
  }
  // With two panes the order is always the panes' own order.
  for (size_t i = 0; i < panes_.size(); ++i) panes_[i]->SetTabOrder(static_cast<int>(i));
  SetAutoScroll(auto_scroll_);
  ApplyStyle();
}

void ToxCustomSplit::SetBarWidth(int32_t Value) {
  bar_width_ = std::max(0, Value);
  Realign();
  Invalidate();
}

void ToxCustomSplit::SetBarColor(TColor Value) {
  if (bar_color_ == Value) return;
  bar_color_ = Value;
  Invalidate();
}

void ToxCustomSplit::SetStyle(ToxsStyle Value) {
  style_ = Value;
  ApplyStyle();
}

void ToxCustomSplit::SetAutoScroll(bool Value) {
  auto_scroll_ = Value;
  for (ToxScrollPane* p : panes_) p->SetAutoScroll(Value);
}

void ToxCustomSplit::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  ApplyStyle();
}

void ToxCustomSplit::ApplyStyle() {
  effective_style_ = ResolveAutoStyle(style_, ToxsStyle::oxsAuto, ToxsStyle::oxsWin31,
                                      ToxsStyle::oxsWin95, NewStyleControls);
  switch (effective_style_) {
    case ToxsStyle::oxsWin31:
      frame_width_ = 0;
      break;
    case ToxsStyle::oxsWin95:
      frame_width_ = 2;
      break;
    case ToxsStyle::oxsInset:
      frame_width_ = 1;
      break;
    default:
      break;  // the groove keeps its width
  }
  TBorderStyle pane_border = TBorderStyle::bsNone;
  if (border_style_ == TBorderStyle::bsNone)
    frame_width_ = 0;
  else if (effective_style_ == ToxsStyle::oxsWin31)
    pane_border = TBorderStyle::bsSingle;
  for (ToxScrollPane* p : panes_) p->SetBorderStyle(pane_border);
  Invalidate();
  Realign();
}

void ToxCustomSplit::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(bar_color_);
  c->FillRect(ClientRect());
  for (ToxScrollPane* p : panes_) {
    if (!p->Visible()) continue;
    TRect pane = p->BoundsRect();
    switch (effective_style_) {
      case ToxsStyle::oxsWin31:
        if (Ctl3D()) {
          TRect r = InflateRect(pane, 1, 1);
          Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
        }
        break;
      case ToxsStyle::oxsWin95: {
        TRect r = InflateRect(pane, 2, 2);
        Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
        Frame3D(c, r, clWindowFrame, clBtnFace, 1);
        break;
      }
      case ToxsStyle::oxsInset: {
        TRect r = InflateRect(pane, 1, 1);
        Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
        break;
      }
      case ToxsStyle::oxsGroove: {
        // Each pane's frame reaches half-way into the bar: the two meet as a groove.
        TRect r = InflateRect(OffsetRect(pane, 1, 1), bar_width_ / 2, bar_width_ / 2);
        Frame3D(c, r, clBtnHighlight, clWindowFrame, 1);
        Frame3D(c, r, clBtnFace, clBtnShadow, 1);
        break;
      }
      default:
        break;
    }
  }
  if (effective_style_ == ToxsStyle::oxsWin31) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(ClientRect());
  }
}

bool ToxCustomSplit::OnBar(int32_t X, int32_t Y) {
  TSplitRect b = Geometry().Bar(CurrentBarPosition());
  return X >= b.Left && X < b.Right && Y >= b.Top && Y < b.Bottom;
}

void ToxCustomSplit::ToggleDragLine() {
  if (!HandleAllocated()) return;
  TSplitGeometry g = Geometry();
  // The bar's size less the frame at both ends, at the dragged place, on the screen.
  TRect r = Horizontal() ? Rect(g.FrameWidth, drag_start_, g.Width - g.FrameWidth,
                                drag_start_ + g.BarWidth)
                         : Rect(drag_start_, g.FrameWidth, drag_start_ + g.BarWidth,
                                g.Height - g.FrameWidth);
  TPoint o = ClientOrigin();
  r = OffsetRect(r, o.X, o.Y);
  HDC dc = GetDC(nullptr);
  if (!dc) return;
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.Brush()->SetColor(clGray);
  canvas.PatBlt(r, PATINVERT);
  canvas.SetHandle(nullptr);
  ReleaseDC(nullptr, dc);
  line_shown_ = !line_shown_;
}

void ToxCustomSplit::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);  // the mouse events may free the splitter
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (!watch.Alive()) return;
  if (Button != TMouseButton::mbLeft || locked_ || dragging_ || !OnBar(X, Y)) return;
  int32_t along = Horizontal() ? Y : X;
  last_x_ = X;
  last_y_ = Y;
  drag_start_ = CurrentBarPosition() + frame_width_;
  drag_offset_ = along - drag_start_;
  dragging_ = true;
  SetMouseCapture(true);
  if (!auto_update_) ToggleDragLine();
}

void ToxCustomSplit::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  TCustomControl::MouseMove(Shift, X, Y);
  if (!watch.Alive() || !dragging_ || !Shift.Contains(TShiftFlag::ssLeft)) return;
  last_x_ = X;
  last_y_ = Y;
  int32_t start = Geometry().ClampDrag((Horizontal() ? Y : X) - drag_offset_);
  if (start == drag_start_) return;
  if (line_shown_) ToggleDragLine();
  drag_start_ = start;
  if (auto_update_)
    DragTo(start);
  else
    ToggleDragLine();
}

void ToxCustomSplit::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (watch.Alive() && Button == TMouseButton::mbLeft && dragging_) EndDrag(true);
}

void ToxCustomSplit::EndDrag(bool Apply) {
  if (!dragging_) return;
  // Cleared first: releasing the capture comes back here as WM_CAPTURECHANGED.
  dragging_ = false;
  if (line_shown_) ToggleDragLine();
  if (MouseCapture()) SetMouseCapture(false);
  if (Apply) DragTo(drag_start_);
}

void ToxCustomSplit::PaneScrolled(ToxScrollPane* Pane, TScrollBarKind Kind) {
  if (!sync_scroll_) return;
  bool horz = Kind == TScrollBarKind::sbHorizontal;
  int32_t pos = horz ? Pane->HorzScrollBar()->Position() : Pane->VertScrollBar()->Position();
  for (ToxScrollPane* p : panes_)
    if (p != Pane) (horz ? p->HorzScrollBar() : p->VertScrollBar())->SetPosition(pos);
}

void ToxCustomSplit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SETCURSOR:
      if (M.LParamLo() == HTCLIENT && !locked_ && reinterpret_cast<HWND>(M.WParam) == Handle()) {
        POINT p{};
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        if (dragging_ || OnBar(p.x, p.y)) {
          ::SetCursor(Screen->Cursors(Horizontal() ? crVSplit : crHSplit));
          M.Result = 1;
          return;
        }
      }
      break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE: {
      TControlWatch watch(this);
      TCustomControl::Dispatch(M);
      // Capture taken away mid-drag: the drag ends where it stands, without a jump.
      if (watch.Alive() && dragging_ &&
          (M.Msg == WM_CANCELMODE || reinterpret_cast<HWND>(M.LParam) != Handle()))
        EndDrag(auto_update_);
      return;
    }
    case WM_SIZE: {
      TControlWatch watch(this);
      TCustomControl::Dispatch(M);  // OnResize may free the splitter
      if (watch.Alive()) Invalidate();
      return;
    }
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(M);
      for (ToxScrollPane* p : panes_) p->SetFont(Font());
      return;
    case CM_CTL3DCHANGED:
      TCustomControl::Dispatch(M);
      for (ToxScrollPane* p : panes_) p->SetCtl3D(Ctl3D());
      return;
    case CM_CONTROLLISTCHANGE:
      // A pane that goes (freed, say, by a handler of an event handed to it) is forgotten.
      if (M.WParam == 0) {
        auto* gone = reinterpret_cast<TControl*>(M.LParam);
        std::erase_if(panes_, [gone](ToxScrollPane* P) { return P == gone; });
      }
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(M);
}

void ToxCustomSplit::PublishProperties(TPropertyList& P) {
  TCustomControl::PublishProperties(P);
  P.Boolean(
       "AutoUpdate", [this] { return auto_update_; }, [this](bool v) { SetAutoUpdate(v); })
      .Default(0);
  P.Integer(
      "BarWidth", [this] { return bar_width_; }, [this](int32_t v) { SetBarWidth(v); });
  P.Integer(
       "BarColor", [this] { return bar_color_; }, [this](int32_t v) { SetBarColor(v); })
      .Default(clBtnFace);
  P.Enum<ToxsStyle>(
       "Style", {"oxsAuto", "oxsWin31", "oxsWin95", "oxsInset", "oxsGroove"},
       [this] { return style_; }, [this](ToxsStyle v) { SetStyle(v); })
      .Default(0);
  P.Boolean(
       "AutoScroll", [this] { return auto_scroll_; }, [this](bool v) { SetAutoScroll(v); })
      .Default(1);
  P.Boolean(
       "SyncScroll", [this] { return sync_scroll_; }, [this](bool v) { SetSyncScroll(v); })
      .Default(0);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(1);
  P.Boolean(
       "Locked", [this] { return locked_; }, [this](bool v) { SetLocked(v); })
      .Default(0);
}

// ---------------------------------------------------------------------------------------
// ToxSplit
// ---------------------------------------------------------------------------------------

ToxSplit::ToxSplit(TComponent* AOwner) : ToxCustomSplit(AOwner) {
  AddPane();
  AddPane();
  ApplyStyle();
}

TSplitGeometry ToxSplit::Geometry() {
  TSplitGeometry g;
  g.Orientation = orientation_;
  TRect c = ClientRect();
  g.Width = c.Width();
  g.Height = c.Height();
  g.FrameWidth = FrameWidth();
  g.BarWidth = BarWidth();
  return g;
}

void ToxSplit::AlignControls(TControl* AControl, TRect& Rect) {
  if (ComponentState() & (csLoading | csReading)) return;
  TSplitGeometry g = Geometry();
  auto place = [](TControl* c, TSplitRect r) {
    c->SetBounds(r.Left, r.Top, std::max(0, r.Right - r.Left), std::max(0, r.Bottom - r.Top));
  };
  if (panes_.size() >= 1) place(panes_[0], g.FirstPane(bar_position_));
  if (panes_.size() >= 2) place(panes_[1], g.SecondPane(bar_position_));
  (void)AControl;
  (void)Rect;
}

void ToxSplit::SetBarPosition(int32_t Value) {
  if (ComponentState() & csLoading) {
    // The size is not final yet: Loaded clamps.
    bar_position_ = std::max(0, Value);
    return;
  }
  bar_position_ = Geometry().ClampBarPosition(Value);
  Realign();
  Invalidate();
  Resize();
}

void ToxSplit::DragTo(int32_t BarStart) {
  SetBarPosition(Geometry().PositionOfDrag(BarStart));
}

void ToxSplit::SetOrientation(ToxsOrientation Value) {
  orientation_ = Value;
  if (ComponentState() & csLoading) return;
  Realign();
  SetBarPosition(bar_position_);
}

int32_t ToxSplit::Percent() {
  return Geometry().PercentOf(bar_position_);
}

void ToxSplit::SetPercent(int32_t Value) {
  SetBarPosition(Geometry().PositionOfPercent(Value));
}

void ToxSplit::Loaded() {
  ToxCustomSplit::Loaded();
  SetOrientation(orientation_);
  Realign();
}

void ToxSplit::PublishProperties(TPropertyList& P) {
  ToxCustomSplit::PublishProperties(P);
  P.Integer(
       "BarPosition", [this] { return bar_position_; }, [this](int32_t v) { SetBarPosition(v); })
      .Default(50);
  P.Enum<ToxsOrientation>(
      "Orientation", {"oxsVert", "oxsHorz"}, [this] { return orientation_; },
      [this](ToxsOrientation v) { SetOrientation(v); });
}

void RegisterSplitterClasses() {
  RegisterComponentClass<ToxScrollPane>("ToxScrollPane");
  RegisterComponentClass<ToxSplit>("ToxSplit");
}

}  // namespace tess
