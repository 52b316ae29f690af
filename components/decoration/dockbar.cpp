// Dock bars and their floating window (see dockbar.h).
#include "components/decoration/dockbar.h"

#include <algorithm>

#include "components/decoration/auto_style.h"
#include "framework/win/inifiles.h"
#include "framework/win/windowcanvas.h"
#include "platform/win32.h"

namespace tess {

namespace {

// Draws (or, drawn again, removes) a focus rectangle on the screen.
void ScreenFocusRect(const TRect& R) {
  HDC dc = GetDC(nullptr);
  if (!dc) return;
  ::DrawFocusRect(dc, reinterpret_cast<const RECT*>(&R));
  ReleaseDC(nullptr, dc);
}

TRect WindowRectOf(HWND H) {
  RECT r{};
  GetWindowRect(H, &r);
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

// The floating window's title strip: a press on it drags the bar, a double click
// switches it back.
class TDockTitle : public TCustomPanel {
 public:
  TDockTitle(TComponent* AOwner, ToxDockBar* Bar) : TCustomPanel(AOwner), bar_(Bar) {
    SetControlStyle(ControlStyle() - TControlStyleFlag::csCaptureMouse +
                    TControlStyleFlag::csDoubleClicks);
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_LBUTTONDOWN || M.Msg == WM_LBUTTONDBLCLK) {
      TPoint p = ClientToScreen({M.XPos(), M.YPos()});
      if (M.Msg == WM_LBUTTONDBLCLK)
        bar_->TitleDblClick();
      else
        bar_->BeginDrag(p);
      M.Result = 0;
      return;
    }
    TCustomPanel::Dispatch(M);
  }

 private:
  ToxDockBar* bar_;
};

// The close box in the title: a raised square with a cross; a click hides the bar.
class TDockCloseBox : public TGraphicControl {
 public:
  TDockCloseBox(TComponent* AOwner, ToxDockBar* Bar) : TGraphicControl(AOwner), bar_(Bar) {}

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    Frame3D(c, r, clBtnHighlight, clWindowFrame, 1);
    Frame3D(c, r, clBtnFace, clBtnShadow, 1);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    // A cross of two double lines.
    c->Pen()->SetColor(clWindowText);
    int32_t m = std::max(2, Width() / 4);
    int32_t x0 = m, y0 = m, x1 = Width() - m, y1 = Height() - m;
    for (int d = 0; d < 2; ++d) {
      c->MoveTo(x0 + d, y0);
      c->LineTo(x1 + d, y1);
      c->MoveTo(x1 - 1 + d, y0);
      c->LineTo(x0 - 1 + d, y1);
    }
  }
  void Click() override {
    TGraphicControl::Click();
    bar_->SetVisible(false);
  }

 private:
  ToxDockBar* bar_;
};

// ---------------------------------------------------------------------------------------
// TDockForm
// ---------------------------------------------------------------------------------------

TDockForm::TDockForm(TComponent* AOwner, ToxDockBar* Bar) : TCustomForm(AOwner), bar_(Bar) {
  SetBorderIcons({});
  SetBounds(0, 0, 0, 0);
  title_ = new TDockTitle(this, Bar);
  title_->SetParent(this);
  title_->SetAlign(TAlign::alTop);
  title_->SetBevelOuter(TBevelCut::bvNone);
  title_->SetColor(clActiveCaption);
  title_->SetAlignment(TAlignment::taLeftJustify);
  title_->SetHeight(12);
  close_box_ = new TDockCloseBox(this, Bar);
  close_box_->SetParent(title_);
}

TDockForm::~TDockForm() {
  if (rect_shown_) ToggleResizeRect();
}

TCustomPanel* TDockForm::Title() const {
  return title_;
}

TControl* TDockForm::CloseBox() const {
  return close_box_;
}

uint32_t TDockForm::WindowStyle() const {
  // A pop-up without a caption; the sizing frame only when the bar may be resized.
  uint32_t s = WS_POPUP | WS_CLIPCHILDREN;
  s |= bar_->Options().Contains(TOption::opSizeable) ? WS_THICKFRAME : WS_BORDER;
  return s;
}

uint32_t TDockForm::WindowExStyle() const {
  return WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void TDockForm::ShowNoActivate() {
  TControl::SetVisible(true);
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TDockForm::HideWindow() {
  TControl::SetVisible(false);
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void TDockForm::PlaceCloseBox() {
  int32_t h = title_->Height();
  close_box_->SetBounds(std::max(0, title_->Width() - h), 0, h, h);
}

void TDockForm::PaintFrame() {
  if (!HandleAllocated()) return;
  TWindowCanvas c(Handle());
  TRect r = WindowRectOf(Handle());
  r = OffsetRect(r, -r.Left, -r.Top);
  RECT client{};
  GetClientRect(Handle(), &client);
  POINT o{0, 0};
  ::ClientToScreen(Handle(), &o);
  TRect w = WindowRectOf(Handle());
  int32_t border = o.x - w.Left;
  if (bar_->EffectiveStyle() == TDockBarStyle::bsWin95) {
    Frame3D(&c, r, clBtnFace, clWindowFrame, 1);
    Frame3D(&c, r, clBtnHighlight, clBtnShadow, 1);
  } else {
    c.Brush()->SetColor(clWindowFrame);
    c.FrameRect(r);
    r = InflateRect(r, -1, -1);
  }
  // The rest of the frame in the face colour.
  c.Brush()->SetColor(clBtnFace);
  for (int32_t i = (bar_->EffectiveStyle() == TDockBarStyle::bsWin95 ? 2 : 1); i < border; ++i) {
    c.FrameRect(r);
    r = InflateRect(r, -1, -1);
  }
}

void TDockForm::ToggleResizeRect() {
  ScreenFocusRect(resize_rect_);
  rect_shown_ = !rect_shown_;
}

void TDockForm::BeginResize(int32_t HitCode, TPoint) {
  candidates_ = bar_->CandidateSizes();
  resize_edge_ = HitCode;
  start_rect_ = resize_rect_ = WindowRectOf(Handle());
  chosen_ = std::max(0, bar_->Rows() - 1);
  resizing_ = true;
  SetCapture(Handle());
  ToggleResizeRect();
}

void TDockForm::TrackResize(TPoint P) {
  if (!resizing_ || candidates_.empty()) return;
  const TRect& s = start_rect_;
  TDockEdge edge = resize_edge_ == HTLEFT    ? TDockEdge::Left
                   : resize_edge_ == HTRIGHT ? TDockEdge::Right
                   : resize_edge_ == HTTOP   ? TDockEdge::Top
                                             : TDockEdge::Bottom;
  chosen_ = ChooseCandidate(candidates_, edge, s.Left, s.Top, s.Right, s.Bottom, P.X, P.Y);
  TDockSize c = candidates_[static_cast<size_t>(chosen_)];
  TRect r;
  switch (edge) {
    case TDockEdge::Left:
      r = Rect(s.Right - c.Width, s.Top, s.Right, s.Top + c.Height);
      break;
    case TDockEdge::Right:
      r = Rect(s.Left, s.Top, s.Left + c.Width, s.Top + c.Height);
      break;
    case TDockEdge::Top:
      r = Rect(s.Left, s.Bottom - c.Height, s.Left + c.Width, s.Bottom);
      break;
    case TDockEdge::Bottom:
      r = Rect(s.Left, s.Top, s.Left + c.Width, s.Top + c.Height);
      break;
  }
  if (r == resize_rect_) return;
  if (rect_shown_) ToggleResizeRect();
  resize_rect_ = r;
  ToggleResizeRect();
}

void TDockForm::EndResize(bool Apply) {
  if (!resizing_) return;
  // Cleared first: releasing the capture comes back as WM_CAPTURECHANGED.
  resizing_ = false;
  if (rect_shown_) ToggleResizeRect();
  if (GetCapture() == Handle()) ReleaseCapture();
  if (Apply && chosen_ + 1 != bar_->Rows()) {
    SetBoundsRect(resize_rect_);
    bar_->WrapControls(chosen_ + 1);
    if (bar_->Options().Contains(TOption::opAutoSave)) bar_->SaveSettings();
  }
}

void TDockForm::Dispatch(TMessage& M) {
  const bool auto_size = bar_->Options().Contains(TOption::opAutoSize);
  switch (M.Msg) {
    case WM_NCHITTEST:
      TCustomForm::Dispatch(M);
      if (auto_size) {
        // Corners act as the sides: the window changes by whole rows.
        if (M.Result == HTTOPLEFT || M.Result == HTBOTTOMLEFT) M.Result = HTLEFT;
        if (M.Result == HTTOPRIGHT || M.Result == HTBOTTOMRIGHT) M.Result = HTRIGHT;
      }
      return;
    case WM_NCLBUTTONDOWN:
      if (auto_size && (M.WParam == HTLEFT || M.WParam == HTRIGHT || M.WParam == HTTOP ||
                        M.WParam == HTBOTTOM)) {
        BeginResize(static_cast<int32_t>(M.WParam), {M.XPos(), M.YPos()});
        M.Result = 0;
        return;
      }
      break;
    case WM_MOUSEMOVE:
      if (resizing_) {
        TrackResize(ClientToScreen({M.XPos(), M.YPos()}));
        return;
      }
      break;
    case WM_LBUTTONUP:
      if (resizing_) {
        TrackResize(ClientToScreen({M.XPos(), M.YPos()}));
        EndResize(true);
        return;
      }
      break;
    case WM_CAPTURECHANGED:
      TCustomForm::Dispatch(M);
      if (resizing_ && reinterpret_cast<HWND>(M.LParam) != Handle()) EndResize(false);
      return;
    case WM_CANCELMODE:
      TCustomForm::Dispatch(M);
      EndResize(false);
      return;
    case WM_GETMINMAXINFO:
      TCustomForm::Dispatch(M);
      if (auto* mmi = reinterpret_cast<MINMAXINFO*>(M.LParam)) {
        mmi->ptMinTrackSize.x = 10;
        mmi->ptMinTrackSize.y = 10;
      }
      M.Result = 0;
      return;
    case WM_NCACTIVATE:
      // The title is ours and never shows the activation.
      M.WParam = FALSE;
      TCustomForm::Dispatch(M);
      PaintFrame();
      M.Result = TRUE;
      return;
    case WM_NCPAINT:
      TCustomForm::Dispatch(M);
      PaintFrame();
      return;
    case WM_SIZE:
      TCustomForm::Dispatch(M);
      PlaceCloseBox();
      return;
    case WM_CLOSE:
      bar_->SetVisible(false);
      M.Result = 0;
      return;
    case WM_ACTIVATEAPP:
      TCustomForm::Dispatch(M);
      if (bar_->Options().Contains(TOption::opAutoHide)) {
        if (!M.WParam) {
          // Another program is active: hide what shows, and remember it.
          if (bar_->Dock() == TDockAlign::dkFloat && HandleAllocated() &&
              IsWindowVisible(Handle())) {
            HideWindow();
            auto_hidden_ = true;
          }
        } else if (auto_hidden_) {
          auto_hidden_ = false;
          // Only what was hidden here, and is still floating and wanted.
          if (bar_->Dock() == TDockAlign::dkFloat && bar_->Visible()) ShowNoActivate();
        }
      }
      return;
    default:
      break;
  }
  TCustomForm::Dispatch(M);
}

// ---------------------------------------------------------------------------------------
// ToxDockBar
// ---------------------------------------------------------------------------------------

ToxDockBar::ToxDockBar(TComponent* AOwner)
    : TCustomPanel(AOwner), title_font_(std::make_unique<TFont>()) {
  SetControlStyle(ControlStyle() - TControlStyleFlag::csCaptureMouse +
                  TControlStyleFlag::csDoubleClicks);
  title_font_->SetName("Small Fonts");
  title_font_->SetSize(7);
  title_font_->SetColor(clCaptionText);
  title_font_->OnChange = [this](TObject*) {
    if (!(ComponentState() & csLoading)) ApplyTitle();
  };
  SetAlign(TAlign::alTop);
  float_form_ = new TDockForm(this, this);
  static bool registered = false;
  if (!registered) {
    registered = true;
    RegisterDockBarClasses();
  }
}

ToxDockBar::~ToxDockBar() {
  if (rect_shown_) ToggleDragRect();
  // The floating window goes with the bar, but must not take the bar with it.
  if (Parent() == float_form_) SetParent(nullptr);
}

std::string ToxDockBar::IniFileName() const {
  std::string exe = Application ? Application->ExeName() : std::string();
  size_t slash = exe.find_last_of("\\/");
  size_t dot = exe.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) exe.resize(dot);
  return exe + ".ini";
}

TDockBarStyle ToxDockBar::EffectiveStyle() const {
  return ResolveAutoStyle(style_, TDockBarStyle::bsAuto, TDockBarStyle::bsWin31,
                          TDockBarStyle::bsWin95, NewStyleControls);
}

int32_t ToxDockBar::FloatLeft() const {
  return float_form_->Left();
}
void ToxDockBar::SetFloatLeft(int32_t Value) {
  float_form_->SetLeft(Value);
}
int32_t ToxDockBar::FloatTop() const {
  return float_form_->Top();
}
void ToxDockBar::SetFloatTop(int32_t Value) {
  float_form_->SetTop(Value);
}
int32_t ToxDockBar::FloatWidth() const {
  return float_form_->Width();
}
void ToxDockBar::SetFloatWidth(int32_t Value) {
  float_form_->SetWidth(Value);
}
int32_t ToxDockBar::FloatHeight() const {
  return float_form_->Height();
}
void ToxDockBar::SetFloatHeight(int32_t Value) {
  float_form_->SetHeight(Value);
}

void ToxDockBar::ApplyTitle() {
  TDockTitle* t = float_form_->title_;
  t->SetFont(title_font_.get());
  t->SetCaption(Caption());
  t->SetVisible(options_.Contains(TOption::opCaption));
  t->SetBevelOuter(EffectiveStyle() == TDockBarStyle::bsWin95 ? TBevelCut::bvNone
                                                              : TBevelCut::bvRaised);
  // As high as its font asks.
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(title_font_.get());
  t->SetHeight(std::max(8, probe.Canvas()->TextHeight("Wg") + 1));
  float_form_->close_box_->SetVisible(options_.Contains(TOption::opCloseBox));
  float_form_->PlaceCloseBox();
}

void ToxDockBar::SetOptions(TOptions Value) {
  bool sizeable_changed =
      Value.Contains(TOption::opSizeable) != options_.Contains(TOption::opSizeable);
  options_ = Value;
  ApplyTitle();
  if (sizeable_changed && float_form_->HandleAllocated()) {
    float_form_->ApplyStyle();
    float_form_->RecreateWnd();
  }
  if (dock_ == TDockAlign::dkFloat) SizeFloatForm();
  Invalidate();
}

void ToxDockBar::SetStyle(TDockBarStyle Value) {
  style_ = Value;
  ApplyTitle();
  Invalidate();
}

void ToxDockBar::Loaded() {
  TCustomPanel::Loaded();
  std::unique_ptr<THomeLayout> home = std::move(home_read_);
  const TDockAlign place = dock_;
  const bool away = place != TDockAlign::dkTop && place != TDockAlign::dkBottom;
  if (away) {
    // Stored side-docked or floating: home first, docked at the top as designed, and
    // from there to its place.
    dock_ = TDockAlign::dkTop;
    rows_ = 0;
    docked_height_ = -1;
    SetAlign(TAlign::alTop);
    if (home) {
      for (const THomeLayout::THome& h : home->Controls)
        for (int i = 0; i < ControlCount(); ++i)
          if (TControl* c = Controls(i); !h.Name.empty() && c->Name() == h.Name)
            c->SetBounds(h.Left, h.Top, c->Width(), c->Height());
      if (home->DockedHeight > 0) SetHeight(home->DockedHeight);
    }
  }
  InitDocking();
  if (away) {
    const TDockAlign from = home ? home->FloatedFrom : TDockAlign::dkTop;
    if (place == TDockAlign::dkFloat) Place(from);
    Place(place);
    if (place == TDockAlign::dkFloat && home && home->Rows > 0 && home->Rows != rows_ &&
        home->Rows <= static_cast<int32_t>(records_.size()))
      WrapControls(home->Rows);
  }
  if (options_.Contains(TOption::opAutoSave)) LoadSettings();
}

void ToxDockBar::DefineProperties(TFiler* Filer) {
  TCustomPanel::DefineProperties(Filer);
  Filer->DefineProperty(
      "HomeLayout", [this](TReader* R) { ReadHomeLayout(R); },
      [this](TWriter* W) { WriteHomeLayout(W); },
      dock_ != TDockAlign::dkTop && dock_ != TDockAlign::dkBottom);
}

void ToxDockBar::WriteHomeLayout(TWriter* W) {
  W->WriteListBegin();
  W->WriteInteger(docked_height_);
  W->WriteInteger(static_cast<int32_t>(prev_dock_));
  W->WriteInteger(rows_);
  for (const TControlRec& r : records_) {
    W->WriteString(r.Control->Name());
    W->WriteInteger(r.HomeLeft);
    W->WriteInteger(r.HomeTop);
  }
  W->WriteListEnd();
}

void ToxDockBar::ReadHomeLayout(TReader* R) {
  auto home = std::make_unique<THomeLayout>();
  R->ReadListBegin();
  home->DockedHeight = R->ReadInteger();
  int32_t from = R->ReadInteger();
  // A place no bar floats from is read as the top.
  if (from >= static_cast<int32_t>(TDockAlign::dkTop) &&
      from <= static_cast<int32_t>(TDockAlign::dkRight))
    home->FloatedFrom = static_cast<TDockAlign>(from);
  home->Rows = R->ReadInteger();
  while (!R->EndOfList()) {
    THomeLayout::THome h;
    h.Name = R->ReadString();
    h.Left = R->ReadInteger();
    h.Top = R->ReadInteger();
    home->Controls.push_back(std::move(h));
  }
  R->ReadListEnd();
  home_read_ = std::move(home);
}

TComponent* ToxDockBar::GetParentComponent() const {
  if (dock_site_ && Parent() == float_form_) return dock_site_;
  return TCustomPanel::GetParentComponent();
}

void ToxDockBar::EnsureInit() {
  if (!initialised_) InitDocking();
}

void ToxDockBar::InitDocking() {
  initialised_ = true;
  if (Parent() != float_form_) {
    dock_site_ = Parent();
    if (docked_height_ < 0 || dock_ == TDockAlign::dkTop || dock_ == TDockAlign::dkBottom)
      docked_height_ = Height();
  }
  records_.clear();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Align() != TAlign::alNone) continue;
    records_.push_back({c, c->Left(), c->Top()});
  }
  std::stable_sort(records_.begin(), records_.end(),
                   [](const TControlRec& a, const TControlRec& b) { return a.HomeLeft < b.HomeLeft; });
  std::vector<TDockItem> items = Items();
  margin_ = DockMargin(items);
  widest_ = DockWidest(items);
  ApplyTitle();
}

std::vector<TDockItem> ToxDockBar::Items() const {
  std::vector<TDockItem> v;
  v.reserve(records_.size());
  for (const TControlRec& r : records_)
    v.push_back({r.HomeLeft, r.HomeTop, r.Control->Width(), r.Control->Height(),
                 r.Control->Visible()});
  return v;
}

void ToxDockBar::PlaceControls(const std::vector<TDockPos>& Positions) {
  DisableAlign();
  for (size_t i = 0; i < records_.size() && i < Positions.size(); ++i) {
    TControl* c = records_[i].Control;
    c->SetBounds(Positions[i].Left, Positions[i].Top, c->Width(), c->Height());
  }
  EnableAlign();
}

TDockSize ToxDockBar::FloatFrameSize() {
  // The frame is what the window's outer size adds to its client area.
  float_form_->HandleNeeded();
  TRect w = WindowRectOf(float_form_->Handle());
  RECT c{};
  GetClientRect(float_form_->Handle(), &c);
  int32_t title = options_.Contains(TOption::opCaption) ? float_form_->title_->Height() : 0;
  return {w.Width() - c.right, w.Height() - c.bottom + title};
}

TDockSize ToxDockBar::FloatSizeFor(const std::vector<TDockPos>& Positions) {
  TDockSize client = DockClientSize(Items(), Positions, margin_);
  TDockSize frame = FloatFrameSize();
  return {client.Width + frame.Width, client.Height + frame.Height};
}

std::vector<TDockSize> ToxDockBar::CandidateSizes() {
  EnsureInit();
  return DockCandidates(Items(), margin_, docked_height_ > 0 ? docked_height_ : Height(),
                        FloatFrameSize());
}

void ToxDockBar::SizeFloatForm() {
  if (!options_.Contains(TOption::opAutoSize)) return;
  std::vector<TDockPos> pos;
  for (const TControlRec& r : records_) pos.push_back({r.Control->Left(), r.Control->Top()});
  TDockSize s = FloatSizeFor(pos);
  float_form_->SetBounds(float_form_->Left(), float_form_->Top(), s.Width, s.Height);
}

void ToxDockBar::WrapControls(int32_t Rows) {
  EnsureInit();
  TDockWrap w = WrapDockItems(Items(), Rows, margin_, docked_height_ > 0 ? docked_height_ : Height());
  PlaceControls(w.Positions);
  rows_ = Rows <= 0 ? 0 : Rows;
  if (dock_ == TDockAlign::dkFloat || Parent() == float_form_) SizeFloatForm();
}

void ToxDockBar::SetDock(TDockAlign Value) {
  if (Value == dock_) return;
  if (ComponentState() & csLoading) {
    dock_ = Value;
    return;
  }
  if (Value == TDockAlign::dkFloat && !options_.Contains(TOption::opAllowFloat)) return;
  if ((Value == TDockAlign::dkLeft || Value == TDockAlign::dkRight) &&
      !options_.Contains(TOption::opAllowSideDock))
    return;
  Place(Value);
}

void ToxDockBar::Place(TDockAlign Value) {
  if (Value == dock_) return;
  EnsureInit();
  const TDockAlign old = dock_;
  if (Value == TDockAlign::dkFloat) {
    prev_dock_ = old;
    std::vector<TDockSize> cands = CandidateSizes();
    int32_t rows = RowsForHeight(cands, FloatHeight());
    dock_ = Value;
    SetParent(float_form_);
    SetAlign(TAlign::alClient);
    WrapControls(rows);
    if (!options_.Contains(TOption::opAutoSize) && (FloatWidth() <= 0 || FloatHeight() <= 0)) {
      // Never floated and not sized by its controls: one row's size.
      TDockSize one = cands.front();
      float_form_->SetBounds(FloatLeft(), FloatTop(), one.Width, one.Height);
    }
    if (Visible()) float_form_->ShowNoActivate();
    return;
  }
  float_form_->HideWindow();
  dock_ = Value;
  if (old == TDockAlign::dkFloat && dock_site_) SetParent(dock_site_);
  if (Value == TDockAlign::dkTop || Value == TDockAlign::dkBottom) {
    WrapControls(0);
    SetAlign(Value == TDockAlign::dkTop ? TAlign::alTop : TAlign::alBottom);
    SetHeight(docked_height_ > 0 ? docked_height_ : Height());
  } else {
    SetAlign(Value == TDockAlign::dkLeft ? TAlign::alLeft : TAlign::alRight);
    PlaceControls(StackDockItems(Items(), margin_, widest_));
    SetWidth(2 * margin_ + widest_);
    rows_ = -1;
  }
}

void ToxDockBar::LoadSettings() {
  EnsureInit();
  TIniFile ini(IniFileName());
  const std::string& s = Name();
  TDockSettings read;
  read.FloatLeft = ini.ReadInteger(s, "FloatLeft", FloatLeft());
  read.FloatTop = ini.ReadInteger(s, "FloatTop", FloatTop());
  read.FloatWidth = ini.ReadInteger(s, "FloatWidth", FloatWidth());
  read.FloatHeight = ini.ReadInteger(s, "FloatHeight", FloatHeight());
  read.Dock = ini.ReadInteger(s, "Dock", static_cast<int32_t>(dock_));
  // Where the file gives no usable size, one row of the controls.
  TDockSize one = CandidateSizes().front();
  TDockSettings v = ValidateDockSettings(read, static_cast<int32_t>(dock_), one,
                                         Screen ? Screen->Width() : 1024,
                                         Screen ? Screen->Height() : 768);
  float_form_->SetBounds(v.FloatLeft, v.FloatTop, v.FloatWidth, v.FloatHeight);
  SetDock(static_cast<TDockAlign>(v.Dock));
}

void ToxDockBar::SaveSettings() {
  TIniFile ini(IniFileName());
  const std::string& s = Name();
  ini.WriteInteger(s, "FloatLeft", FloatLeft());
  ini.WriteInteger(s, "FloatTop", FloatTop());
  ini.WriteInteger(s, "FloatWidth", FloatWidth());
  ini.WriteInteger(s, "FloatHeight", FloatHeight());
  ini.WriteInteger(s, "Dock", static_cast<int32_t>(dock_));
}

// --- dragging ---------------------------------------------------------------------------

void ToxDockBar::ToggleDragRect() {
  ScreenFocusRect(drag_rect_);
  rect_shown_ = !rect_shown_;
}

TDockSize ToxDockBar::DockedDragSize(const TDockRect& Zone) const {
  return {Zone.Right - Zone.Left, docked_height_ > 0 ? docked_height_ : Height()};
}

void ToxDockBar::BeginDrag(TPoint P) {
  if (options_.Contains(TOption::opLock) || dragging_) return;
  EnsureInit();
  if (dock_ != TDockAlign::dkFloat && FloatWidth() + FloatHeight() == 0) {
    TDockSize one = CandidateSizes().front();
    SetFloatWidth(one.Width);
    SetFloatHeight(one.Height);
  }
  TWinControl* site = dock_site_ ? dock_site_ : Parent();
  TRect sr = site ? WindowRectOf(site->Handle()) : TRect{};
  zones_ = DockDropZones({sr.Left, sr.Top, sr.Right, sr.Bottom},
                         options_.Contains(TOption::opAllowSideDock));
  drag_rect_ = WindowRectOf(dock_ == TDockAlign::dkFloat ? float_form_->Handle() : Handle());
  int32_t cx = GetSystemMetrics(SM_CXDOUBLECLK), cy = GetSystemMetrics(SM_CYDOUBLECLK);
  start_rect_ = Bounds(P.X - cx / 2, P.Y - cy / 2, cx, cy);
  grab_ = {P.X - drag_rect_.Left, P.Y - drag_rect_.Top};
  dragging_ = true;
  moved_ = false;
  SetCaptureControl(this);
  ToggleDragRect();
}

void ToxDockBar::TrackDrag(TPoint P) {
  if (!dragging_) return;
  if (!moved_ && start_rect_.Contains(P)) return;
  moved_ = true;
  if (rect_shown_) ToggleDragRect();
  TDockSize size;
  TCursor cursor = crDrag;
  if (zones_.Top.Contains(P.X, P.Y))
    size = DockedDragSize(zones_.Top);
  else if (zones_.Bottom.Contains(P.X, P.Y))
    size = DockedDragSize(zones_.Bottom);
  else if (zones_.Left.Contains(P.X, P.Y) || zones_.Right.Contains(P.X, P.Y))
    size = {widest_ + margin_, zones_.Left.Bottom - zones_.Left.Top};
  else {
    cursor = crDefault;
    size = options_.Contains(TOption::opAllowFloat)
               ? TDockSize{FloatWidth(), FloatHeight()}
               : TDockSize{drag_rect_.Width(), drag_rect_.Height()};
  }
  if (Screen) ::SetCursor(Screen->Cursors(cursor == crDefault ? crArrow : cursor));
  drag_rect_ = Bounds(P.X - grab_.X, P.Y - grab_.Y, size.Width, size.Height);
  if (!drag_rect_.Contains(P)) {
    grab_ = {10, 10};
    drag_rect_ = Bounds(P.X - 10, P.Y - 10, size.Width, size.Height);
  }
  ToggleDragRect();
}

void ToxDockBar::EndDrag(bool Apply, TPoint P) {
  if (!dragging_) return;
  // Cleared first: giving back the capture comes back as WM_CAPTURECHANGED.
  dragging_ = false;
  if (rect_shown_) ToggleDragRect();
  if (GetCaptureControl() == this) SetCaptureControl(nullptr);
  if (!Apply || !moved_) return;
  TDockAlign place = DropPlace(zones_, P.X, P.Y);
  if (place == TDockAlign::dkFloat) {
    if (!options_.Contains(TOption::opAllowFloat)) return;
    float_form_->SetBounds(drag_rect_.Left, drag_rect_.Top, FloatWidth(), FloatHeight());
  }
  SetDock(place);
  if (options_.Contains(TOption::opAutoSave)) SaveSettings();
}

void ToxDockBar::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);  // OnMouseDown may free the bar
  TCustomPanel::MouseDown(Button, Shift, X, Y);
  if (watch.Alive() && Button == TMouseButton::mbLeft && !Shift.Contains(TShiftFlag::ssDouble))
    BeginDrag(ClientToScreen({X, Y}));
}

void ToxDockBar::DblClick() {
  TControlWatch watch(this);
  TCustomPanel::DblClick();
  if (watch.Alive()) TitleDblClick();
}

void ToxDockBar::TitleDblClick() {
  if (!options_.Contains(TOption::opAllowFloat) || !options_.Contains(TOption::opDblClkDock) ||
      options_.Contains(TOption::opLock))
    return;
  if (dragging_) EndDrag(false, {});
  SetDock(dock_ == TDockAlign::dkFloat ? prev_dock_ : TDockAlign::dkFloat);
  if (options_.Contains(TOption::opAutoSave)) SaveSettings();
}

void ToxDockBar::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  const bool win95 = EffectiveStyle() == TDockBarStyle::bsWin95;
  const bool floating = dock_ == TDockAlign::dkFloat;
  if (!floating || !win95 || !options_.Contains(TOption::opSizeable)) {
    if (win95) {
      Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    } else {
      c->Brush()->SetColor(clWindowFrame);
      c->FrameRect(r);
      r = InflateRect(r, -1, -1);
    }
  }
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  RaiseEvent(this, OnPaint, this);
}

void ToxDockBar::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_MOUSEMOVE:
      if (dragging_) {
        TrackDrag(ClientToScreen({M.XPos(), M.YPos()}));
        return;
      }
      break;
    case WM_LBUTTONUP:
      if (dragging_) {
        TPoint p = ClientToScreen({M.XPos(), M.YPos()});
        TrackDrag(p);
        EndDrag(true, p);
        return;
      }
      break;
    case WM_CAPTURECHANGED:
      TCustomPanel::Dispatch(M);
      if (dragging_ && reinterpret_cast<HWND>(M.LParam) != Handle()) EndDrag(false, {});
      return;
    case WM_CANCELMODE:
      TCustomPanel::Dispatch(M);
      EndDrag(false, {});
      return;
    case CM_VISIBLECHANGED:
      TCustomPanel::Dispatch(M);
      if (dock_ == TDockAlign::dkFloat) {
        if (Visible())
          float_form_->ShowNoActivate();
        else
          float_form_->HideWindow();
      }
      if (!(ComponentState() & csDestroying)) FireEvent(this, Visible() ? OnShow : OnHide, this);
      return;
    case CM_TEXTCHANGED:
      TCustomPanel::Dispatch(M);
      float_form_->title_->SetCaption(Caption());
      return;
    case CM_PARENTCOLORCHANGED:
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCTL3DCHANGED:
    case CM_PARENTSHOWHINTCHANGED:
      TCustomPanel::Dispatch(M);
      // The floating window looks like the form the bar follows while docked.
      if (dock_site_ && Parent() == dock_site_) {
        if (M.Msg == CM_PARENTCOLORCHANGED && ParentColor()) float_form_->SetColor(dock_site_->Color());
        if (M.Msg == CM_PARENTFONTCHANGED && ParentFont()) float_form_->SetFont(dock_site_->Font());
        if (M.Msg == CM_PARENTCTL3DCHANGED && ParentCtl3D()) float_form_->SetCtl3D(dock_site_->Ctl3D());
        if (M.Msg == CM_PARENTSHOWHINTCHANGED && ParentShowHint())
          float_form_->SetShowHint(dock_site_->ShowHint());
      }
      return;
    default:
      break;
  }
  TCustomPanel::Dispatch(M);
}

void ToxDockBar::PublishProperties(TPropertyList& P) {
  TCustomPanel::PublishProperties(P);
  // A new bar is docked at the top.
  P.Find("Align")->Default(TAlign::alTop);
  P.Enum<TDockAlign>(
       "Dock", {"dkFloat", "dkTop", "dkBottom", "dkLeft", "dkRight"}, [this] { return dock_; },
       [this](TDockAlign v) { SetDock(v); })
      .Default(TDockAlign::dkTop);
  P.Integer(
       "FloatLeft", [this] { return FloatLeft(); }, [this](int32_t v) { SetFloatLeft(v); })
      .Default(0);
  P.Integer(
       "FloatTop", [this] { return FloatTop(); }, [this](int32_t v) { SetFloatTop(v); })
      .Default(0);
  P.Integer(
       "FloatWidth", [this] { return FloatWidth(); }, [this](int32_t v) { SetFloatWidth(v); })
      .Default(0);
  P.Integer(
       "FloatHeight", [this] { return FloatHeight(); }, [this](int32_t v) { SetFloatHeight(v); })
      .Default(0);
  P.Set(
      "Options",
      {"opAllowFloat", "opAllowSideDock", "opAutoHide", "opAutoSave", "opAutoSize", "opCaption",
       "opCloseBox", "opLock", "opSizeable", "opDblClkDock"},
      [this] { return static_cast<uint32_t>(options_.Bits()); },
      [this](uint32_t v) { SetOptions(TOptions::FromBits(v)); })
      .DefaultOrdinal(kDefaultOptions.Bits());
  P.Enum<TDockBarStyle>(
       "Style", {"bsAuto", "bsWin31", "bsWin95"}, [this] { return style_; },
       [this](TDockBarStyle v) { SetStyle(v); })
      .Default(0);
  P.Object("TitleFont", [this] { return title_font_.get(); });
}

void RegisterDockBarClasses() {
  RegisterComponentClass<ToxDockBar>("ToxDockBar");
}

}  // namespace tess
