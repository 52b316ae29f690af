// Picture and repeat buttons (see picturebutton.h).
#include "components/decoration/picturebutton.h"

#include <algorithm>

#include "components/decoration/auto_style.h"
#include "components/decoration/effect_geometry.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

// The checkered face of a latched, dithered button, shared by all buttons and freed
// with the last.
int g_button_count = 0;
std::unique_ptr<TBitmap>& CheckerSlot() {
  static auto* slot = new std::unique_ptr<TBitmap>;
  return *slot;
}
TBitmap* Checker() {
  auto& slot = CheckerSlot();
  if (!slot) {
    slot = std::make_unique<TBitmap>(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        slot->Canvas()->SetPixel(x, y, (x % 2) == (y % 2) ? clWhite : ColorToRGB(clBtnFace));
  }
  return slot.get();
}

struct KindInfo {
  const char* Caption;
  TModalResult Result;
};
const KindInfo kKinds[] = {{"", mrNone},      {"OK", mrOk},  {"&Cancel", mrCancel},
                           {"&Help", mrNone}, {"&Yes", mrYes}, {"&No", mrNo},
                           {"&Close", mrNone}};

}  // namespace

// ---------------------------------------------------------------------------------------
// ToxCustomButton
// ---------------------------------------------------------------------------------------

ToxCustomButton::ToxCustomButton(TComponent* AOwner)
    : TButton(AOwner),
      picture_up_(std::make_unique<TPicture>()),
      picture_down_(std::make_unique<TPicture>()),
      picture_disabled_(std::make_unique<TPicture>()) {
  ++g_button_count;
  SetOwnerDraw(true);
  SetBounds(Left(), Top(), 65, 40);
  for (TPicture* p : {picture_up_.get(), picture_down_.get(), picture_disabled_.get()})
    p->OnChange = [this](TObject*) { Invalidate(); };
  static bool registered = false;
  if (!registered) {
    registered = true;
    RegisterPictureButtonClasses();
  }
}

ToxCustomButton::~ToxCustomButton() {
  if (--g_button_count == 0) CheckerSlot().reset();
}

void ToxCustomButton::CreateWnd() {
  TButton::CreateWnd();
  for (auto& c : cache_) c.reset();
}

int32_t ToxCustomButton::PlaceOffset(int32_t Pos, int32_t Extent, int32_t Size) {
  if (Pos == 0) return (Extent - Size) / 2;
  if (Pos > 0) return Pos;
  return Extent - Size + Pos;
}

void ToxCustomButton::Invalidate() {
  for (auto& c : cache_) c.reset();
  TButton::Invalidate();
}

#define TESS_BUTTON_SETTER(Name, Type, field) \
  void ToxCustomButton::Set##Name(Type Value) { \
    if (field == Value) return;                 \
    field = Value;                              \
    Invalidate();                               \
  }
TESS_BUTTON_SETTER(Style, ToxBtnStyle, style_)
TESS_BUTTON_SETTER(ShadowColor, TColor, shadow_color_)
TESS_BUTTON_SETTER(TransparentColor, TColor, transparent_color_)
TESS_BUTTON_SETTER(TextAngle, uint16_t, text_angle_)
TESS_BUTTON_SETTER(PictureX, int32_t, picture_x_)
TESS_BUTTON_SETTER(PictureY, int32_t, picture_y_)
TESS_BUTTON_SETTER(TextX, int32_t, text_x_)
TESS_BUTTON_SETTER(TextY, int32_t, text_y_)
TESS_BUTTON_SETTER(Font3D, TFont3D, font3d_)
TESS_BUTTON_SETTER(MultiLine, bool, multi_line_)
TESS_BUTTON_SETTER(FocusStyle, TFocusStyle, focus_style_)
TESS_BUTTON_SETTER(Options, ToxBtnOptions, options_)
TESS_BUTTON_SETTER(LatchedDown, bool, latched_down_)
TESS_BUTTON_SETTER(Dither, bool, dither_)
#undef TESS_BUTTON_SETTER

void ToxCustomButton::SetPictureUp(TGraphic* Value) {
  picture_up_->SetGraphic(Value);
  if (auto* b = dynamic_cast<TBitmap*>(Value); b && !b->Empty())
    transparent_color_ = b->TransparentColor();
  Invalidate();
}

void ToxCustomButton::SetPictureDown(TGraphic* Value) {
  picture_down_->SetGraphic(Value);
  Invalidate();
}

void ToxCustomButton::SetPictureDisabled(TGraphic* Value) {
  picture_disabled_->SetGraphic(Value);
  Invalidate();
}

ToxBtnKind ToxCustomButton::Kind() {
  if (kind_ == ToxBtnKind::bkCustom) return kind_;
  const KindInfo& k = kKinds[static_cast<int>(kind_)];
  bool role = true;
  if (kind_ == ToxBtnKind::bkOK || kind_ == ToxBtnKind::bkYes) role = Default();
  if (kind_ == ToxBtnKind::bkCancel || kind_ == ToxBtnKind::bkNo) role = Cancel();
  if (!role || Caption() != k.Caption || ModalResult() != k.Result) kind_ = ToxBtnKind::bkCustom;
  return kind_;
}

void ToxCustomButton::SetKind(ToxBtnKind Value) {
  if (Value == kind_) return;
  if (Value != ToxBtnKind::bkCustom) {
    SetDefault(Value == ToxBtnKind::bkOK || Value == ToxBtnKind::bkYes);
    SetCancel(Value == ToxBtnKind::bkCancel || Value == ToxBtnKind::bkNo);
    const KindInfo& k = kKinds[static_cast<int>(Value)];
    SetCaption(k.Caption);
    SetModalResult(k.Result);
  }
  kind_ = Value;
  Invalidate();
}

void ToxCustomButton::SwapPictures() {
  if (picture_up_->Empty() || picture_down_->Empty()) return;
  std::swap(picture_up_, picture_down_);
  Invalidate();
}

ToxBtnStyle ToxCustomButton::EffectiveStyle() const {
  return ResolveAutoStyle(style_, ToxBtnStyle::bsAuto, ToxBtnStyle::bsWin31, ToxBtnStyle::bsWin95,
                          NewStyleControls);
}

void ToxCustomButton::DrawFrame(TCanvas* C, TRect& R, bool Down) {
  const ToxBtnStyle s = EffectiveStyle();
  const bool def = IsDefaultLook();
  C->Pen()->SetColor(clWindowFrame);
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  auto frame = [&](TColor Color) {
    C->Brush()->SetColor(Color);
    C->FrameRect(R);
    R = InflateRect(R, -1, -1);
  };
  auto ell = [&](int Times) {  // an L of shadow lines along the top and left
    for (int i = 0; i < Times; ++i) {
      C->Pen()->SetColor(clBtnShadow);
      C->MoveTo(R.Left, R.Bottom - 1);
      C->LineTo(R.Left, R.Top);
      C->LineTo(R.Right, R.Top);
      R.Left++;
      R.Top++;
    }
  };
  switch (s) {
    case ToxBtnStyle::bsWin31:
      frame(clWindowFrame);
      if (def) frame(clWindowFrame);
      if (Down)
        ell(latched_down_ ? 1 : 2);
      else
        Frame3D(C, R, clBtnHighlight, clBtnShadow, 2);
      break;
    case ToxBtnStyle::bsWin95:
      if (Down) {
        frame(clWindowFrame);
        frame(clBtnShadow);
      } else {
        if (def) frame(clWindowFrame);
        Frame3D(C, R, clBtnHighlight, clWindowFrame, 1);
        Frame3D(C, R, clBtnFace, clBtnShadow, 1);
      }
      break;
    case ToxBtnStyle::bsInset:
      Frame3D(C, R, clBtnShadow, clBtnHighlight, 1);
      frame(clWindowFrame);
      if (Down)
        ell(1);
      else
        Frame3D(C, R, clBtnHighlight, def ? clWindowFrame : clBtnShadow, 1);
      break;
    case ToxBtnStyle::bsThick:
      if (Down) {
        Frame3D(C, R, clBtnShadow, clBtnHighlight, 1);
        Frame3D(C, R, clWindowFrame, clBtnShadow, 1);
      } else {
        Frame3D(C, R, clBtnShadow, clWindowFrame, 1);
        Frame3D(C, R, clBtnHighlight, def ? clWindowFrame : clBtnShadow, 1);
      }
      break;
    case ToxBtnStyle::bsSpeed:
      if (Down) {
        Frame3D(C, R, clWindowFrame, clBtnHighlight, 1);
        Frame3D(C, R, clBtnShadow, clBtnFace, 1);
      } else {
        Frame3D(C, R, clBtnHighlight, clWindowFrame, 1);
        Frame3D(C, R, clBtnFace, clBtnShadow, 1);
      }
      break;
    default:
      break;
  }
}

void ToxCustomButton::DrawPicture(TCanvas* C, const TRect& Face, bool Pressed, int32_t Shift) {
  TPicture* pic = picture_up_.get();
  if (Pressed && !picture_down_->Empty()) pic = picture_down_.get();
  const bool disabled = !Enabled();
  if (disabled && !picture_disabled_->Empty()) pic = picture_disabled_.get();
  picture_rect_ = {};
  if (pic->Empty()) return;
  TGraphic* g = pic->Graphic();
  int32_t x = Face.Left + PlaceOffset(picture_x_, Face.Width(), g->Width()) + Shift;
  int32_t y = Face.Top + PlaceOffset(picture_y_, Face.Height(), g->Height()) + Shift;
  picture_rect_ = Bounds(x, y, g->Width(), g->Height());
  auto* bmp = dynamic_cast<TBitmap*>(g);
  if (!bmp) {
    C->Draw(x, y, g);  // an icon draws its own transparency
    return;
  }
  TBitmap work;
  work.Assign(bmp);
  work.SetTransparentColor(transparent_color_);
  work.SetTransparent(true);
  HBitmap mask = work.MaskHandle();
  if (disabled && pic != picture_disabled_.get()) {
    PaintMask(C, mask, x + 1, y + 1, g->Width(), g->Height(), clBtnHighlight);
    PaintMask(C, mask, x - 1, y - 1, g->Width(), g->Height(), clBtnShadow);
    PaintMask(C, mask, x, y, g->Width(), g->Height(), Color());
    return;
  }
  if (!disabled && ColorToRGB(shadow_color_) != ColorToRGB(Color())) {
    int32_t d = Pressed ? 4 : latched_down_ ? 3 : 2;
    PaintMask(C, mask, x + d - Shift, y + d - Shift, g->Width(), g->Height(), shadow_color_);
  }
  C->Draw(x, y, &work);
}

void ToxCustomButton::DrawCaption(TCanvas* C, const TRect& Face, TPaintState State,
                                  int32_t Shift) {
  std::string text = Caption();
  caption_rect_ = {};
  C->Font()->Assign(Font());
  if (focus_style_.Contains(TFocusStyleFlag::fsBoldFont) &&
      (State == TPaintState::Focused || State == TPaintState::DefaultLook))
    C->Font()->SetStyle(C->Font()->Style() + TFontStyle::fsBold);
  if (text_angle_ != 0) {
    C->Font()->SetEscapement(text_angle_ * 10);
    C->Font()->SetOutPrecision(OUT_TT_ONLY_PRECIS);
    C->Font()->SetQuality(PROOF_QUALITY);
  }
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  uint32_t flags = 0;
  if (text_angle_ == 0) {
    if (multi_line_)
      flags = DT_WORDBREAK | (text_x_ >= 1 ? DT_LEFT : text_x_ == 0 ? DT_CENTER : DT_RIGHT);
    else
      flags = DT_SINGLELINE | DT_CENTER;
  }
  TRect m = Rect(0, 0, Face.Width(), Face.Height());
  if (!text.empty()) C->DrawText(text, m, flags | DT_CALCRECT);
  int32_t w = m.Width() + 4, h = m.Height() + 2;
  TRect box = Rect(0, 0, w, h);  // the turned text's box relative to its origin
  if (text_angle_ != 0) {
    TBox b = RotatedTextBox({0, 0}, m.Width(), m.Height(), text_angle_);
    box = Rect(b.Left, b.Top, b.Right, b.Bottom);
  }
  int32_t x = Face.Left + PlaceOffset(text_x_, Face.Width(), box.Width()) + Shift;
  int32_t y = Face.Top + PlaceOffset(text_y_, Face.Height(), box.Height()) + Shift;
  caption_rect_ = Bounds(x, y, box.Width(), box.Height());
  if (text.empty()) return;
  auto draw = [&](int dx, int dy, TColor Color) {
    C->Font()->SetColor(Color);
    if (text_angle_ != 0) {
      C->TextOut(x - box.Left + dx, y - box.Top + dy, text);
    } else {
      TRect r = OffsetRect(caption_rect_, dx, dy);
      C->DrawText(text, r, flags | (multi_line_ ? 0 : DT_VCENTER));
    }
  };
  if (!Enabled()) {
    draw(1, 1, clBtnHighlight);
    draw(0, 0, clBtnShadow);
    return;
  }
  if (font3d_ == TFont3D::fsRaised) draw(-1, -1, clBtnHighlight);
  if (font3d_ == TFont3D::fsInset) draw(1, 1, clBtnHighlight);
  draw(0, 0, Font()->Color());
}

void ToxCustomButton::PaintImage(TCanvas* C, TPaintState State, bool Pressed) {
  TRect r = Rect(0, 0, Width(), Height());
  bool down = Pressed || latched_down_;
  DrawFrame(C, r, down);
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  if (latched_down_ && dither_)
    C->Brush()->SetBitmap(Checker());
  else
    C->Brush()->SetColor(Color());
  C->FillRect(r);
  C->Brush()->SetBitmap(nullptr);
  int32_t shift = Pressed ? 2 : latched_down_ ? 1 : 0;
  DrawPicture(C, r, Pressed, shift);
  DrawCaption(C, r, State, shift);
  if (State == TPaintState::Focused || (State == TPaintState::Pressed && Focused())) {
    C->Brush()->SetStyle(TBrushStyle::bsSolid);
    C->Brush()->SetColor(clWhite);
    C->Font()->SetColor(clBlack);
    bool rotated = text_angle_ != 0;
    if (focus_style_.Contains(TFocusStyleFlag::fsText) && !rotated && !Caption().empty()) {
      C->DrawFocusRect(caption_rect_);
    } else if (focus_style_.Contains(TFocusStyleFlag::fsOutline) ||
               (focus_style_.Contains(TFocusStyleFlag::fsText) && rotated)) {
      // The focus rectangle sits inside the frame that DrawFrame drew.
      const ToxBtnStyle s = EffectiveStyle();
      int32_t inset = 4;
      if (s == ToxBtnStyle::bsWin95) inset = 3;
      if (s == ToxBtnStyle::bsWin31 && focus_style_.Contains(TFocusStyleFlag::fsDefault))
        inset = 5;
      TRect f = InflateRect(Rect(0, 0, Width(), Height()), -inset, -inset);
      if (Pressed) f = OffsetRect(f, 1, 1);
      C->DrawFocusRect(f);
    }
  }
}

void ToxCustomButton::DrawItem(HDc DC, bool Pressed, bool Focused) {
  TPaintState state = !Enabled()       ? TPaintState::Disabled
                      : Pressed        ? TPaintState::Pressed
                      : Focused        ? TPaintState::Focused
                      : IsDefaultLook() ? TPaintState::DefaultLook
                                       : TPaintState::Normal;
  auto& slot = cache_[static_cast<size_t>(state)];
  TBitmap* image = slot.get();
  std::unique_ptr<TBitmap> once;
  if (!image || image->Width() != Width() || image->Height() != Height()) {
    once = std::make_unique<TBitmap>(Width(), Height());
    PaintImage(once->Canvas(), state, Pressed);
    image = once.get();
    if (options_.Contains(ToxBtnOption::oxbCacheImages)) slot = std::move(once);
  }
  BitBlt(DC, 0, 0, Width(), Height(), image->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void ToxCustomButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
      DrawItem(d->hDC, (d->itemState & ODS_SELECTED) != 0, (d->itemState & ODS_FOCUS) != 0);
      M.Result = 1;
      return;
    }
    case WM_ERASEBKGND:
      M.Result = 1;  // the owner draw paints every pixel
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      TControlWatch watch(this);
      TButton::Dispatch(M);
      if (watch.Alive())
        FireEvent(this, M.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave, this);
      return;
    }
    case WM_SIZE:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_CTL3DCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED: {
      TControlWatch watch(this);
      TButton::Dispatch(M);  // OnResize may free the button
      if (watch.Alive()) Invalidate();
      return;
    }
    default:
      break;
  }
  TButton::Dispatch(M);
}

void ToxCustomButton::PublishProperties(TPropertyList& P) {
  TButton::PublishProperties(P);
  // A kind's own caption comes with the kind.
  if (TPropInfo* caption = P.Find("Caption"))
    caption->Stored([this] { return Kind() == ToxBtnKind::bkCustom; });
  P.Enum<ToxBtnStyle>(
       "Style", {"bsAuto", "bsWin31", "bsWin95", "bsInset", "bsThick", "bsSpeed"},
       [this] { return style_; }, [this](ToxBtnStyle v) { SetStyle(v); })
      .Default(0);
  P.Enum<ToxBtnKind>(
       "Kind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose"},
       [this] { return Kind(); }, [this](ToxBtnKind v) { SetKind(v); })
      .Default(0);
  P.Integer(
       "ShadowColor", [this] { return shadow_color_; }, [this](int32_t v) { SetShadowColor(v); })
      .Default(clGray);
  P.Integer(
       "TransparentColor", [this] { return transparent_color_; },
       [this](int32_t v) { SetTransparentColor(v); })
      .Default(clSilver);
  P.Integer(
       "TextAngle", [this] { return text_angle_; },
       [this](int32_t v) { SetTextAngle(static_cast<uint16_t>(std::clamp(v, 0, 360))); })
      .Default(0);
  P.Integer(
       "PictureX", [this] { return picture_x_; }, [this](int32_t v) { SetPictureX(v); })
      .Default(1);
  P.Integer(
       "PictureY", [this] { return picture_y_; }, [this](int32_t v) { SetPictureY(v); })
      .Default(1);
  P.Integer(
       "TextX", [this] { return text_x_; }, [this](int32_t v) { SetTextX(v); })
      .Default(-5);
  P.Integer(
       "TextY", [this] { return text_y_; }, [this](int32_t v) { SetTextY(v); })
      .Default(-5);
  P.Enum<TFont3D>(
       "Font3D", {"fsNone", "fsNormal", "fsRaised", "fsInset"}, [this] { return font3d_; },
       [this](TFont3D v) { SetFont3D(v); })
      .Default(1);
  P.Boolean(
       "MultiLine", [this] { return multi_line_; }, [this](bool v) { SetMultiLine(v); })
      .Default(0);
  P.Set(
       "FocusStyle", {"fsDefault", "fsText", "fsOutline", "fsBoldFont"},
       [this] { return static_cast<uint32_t>(focus_style_.Bits()); },
       [this](uint32_t v) { SetFocusStyle(TFocusStyle::FromBits(v)); })
      .DefaultOrdinal(TFocusStyle{TFocusStyleFlag::fsDefault, TFocusStyleFlag::fsText}.Bits());
  P.Set(
       "Options", {"oxbCacheImages", "oxbUsePalette"},
       [this] { return static_cast<uint32_t>(options_.Bits()); },
       [this](uint32_t v) { SetOptions(ToxBtnOptions::FromBits(v)); })
      .DefaultOrdinal(ToxBtnOptions{ToxBtnOption::oxbCacheImages}.Bits());
  P.Object("PictureUp", [this] { return picture_up_.get(); });
  P.Object("PictureDown", [this] { return picture_down_.get(); });
  P.Object("PictureDisabled", [this] { return picture_disabled_.get(); });
}

// ---------------------------------------------------------------------------------------
// ToxRepeat
// ---------------------------------------------------------------------------------------

ToxRepeat::ToxRepeat(TComponent* AOwner) : ToxCustomButton(AOwner) {}

ToxRepeat::~ToxRepeat() {
  if (HandleAllocated()) KillTimer(Handle(), kTimerId);
}

void ToxRepeat::Swap() {
  if (PictureUp()->Empty() || PictureDown()->Empty()) return;
  SwapPictures();
  swapped_ = !swapped_;
}

void ToxRepeat::Stop() {
  repeating_ = false;
  if (HandleAllocated()) KillTimer(Handle(), kTimerId);
  if (swapped_) Swap();
}

void ToxRepeat::Tick() {
  // A click that opened a modal box must not be re-entered by the ticks its loop runs.
  if (!repeating_ || in_click_) return;
  Swap();
  // OnClick may free the button: the flag is then left alone.
  TScopedValue<bool> clicking(in_click_, true, LifeMark());
  Click();
}

void ToxRepeat::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Enabled()) {
        SetTimer(Handle(), kTimerId, static_cast<UINT>(delay_), nullptr);
        repeating_ = true;
      }
      break;
    case WM_LBUTTONUP:
      Stop();
      break;
    case WM_TIMER:
      if (M.WParam == kTimerId) {
        Tick();
        M.Result = 0;
        return;
      }
      break;
    case WM_CAPTURECHANGED:
      // The system button takes the capture on a press; anyone else taking it ends the
      // hold (a message box opened from a click, a window grabbing the mouse).
      if (repeating_ && reinterpret_cast<HWND>(M.LParam) != Handle()) Stop();
      break;
    case WM_CANCELMODE:
      if (repeating_) Stop();
      break;
    case WM_KEYDOWN: {
      TControlWatch watch(this);  // OnClick and OnKeyDown may free the button
      if (M.WParam == VK_SPACE && repeating_) {
        Swap();
        Click();
        if (!watch.Alive()) return;
      }
      ToxCustomButton::Dispatch(M);
      // Any key held down: the keyboard's own repeat of Space then clicks each time.
      if (watch.Alive()) repeating_ = true;
      return;
    }
    case WM_KEYUP:
      if (swapped_) Swap();
      repeating_ = false;
      break;
    case WM_KILLFOCUS:
    case WM_DESTROY:
      Stop();
      break;
    default:
      break;
  }
  ToxCustomButton::Dispatch(M);
}

void ToxRepeat::PublishProperties(TPropertyList& P) {
  ToxCustomButton::PublishProperties(P);
  P.Integer(
       "Delay", [this] { return delay_; }, [this](int32_t v) { SetDelay(v); })
      .Default(200);
}

void RegisterPictureButtonClasses() {
  RegisterComponentClass<ToxCustomButton>("ToxCustomButton");
  RegisterComponentClass<ToxRepeat>("ToxRepeat");
}

}  // namespace tess
