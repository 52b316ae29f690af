// Panel, speed button, paint box and timer.
#include "framework/win/extctrls.h"

#include <algorithm>

#include "framework/win/forms.h"
#include "framework/win/dc_guards.h"
#include "platform/win32.h"

namespace tess {

namespace {

const std::vector<std::string> kBevelIdents = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};

}  // namespace

// ---------------------------------------------------------------------------------------
// TCustomPanel
// ---------------------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle({TControlStyleFlag::csAcceptsControls, TControlStyleFlag::csCaptureMouse,
                   TControlStyleFlag::csClickEvents, TControlStyleFlag::csSetCaption,
                   TControlStyleFlag::csOpaque, TControlStyleFlag::csDoubleClicks});
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  if (border_style_ == TBorderStyle::bsSingle) {
    if (Ctl3D())
      P.ExStyle |= WS_EX_CLIENTEDGE;
    else
      P.Style |= WS_BORDER;
  }
}

void TCustomPanel::AdjustClientRect(TRect& R) {
  TCustomControl::AdjustClientRect(R);
  int32_t inset = border_width_;
  if (bevel_outer_ != TBevelCut::bvNone) inset += bevel_width_;
  if (bevel_inner_ != TBevelCut::bvNone) inset += bevel_width_;
  R = InflateRect(R, -inset, -inset);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    TColor top = clBtnHighlight, bottom = clBtnShadow;
    if (cut == TBevelCut::bvLowered) std::swap(top, bottom);
    if (cut == TBevelCut::bvSpace) top = bottom = Color();
    Frame3D(c, r, top, bottom, bevel_width_);
  };
  bevel(bevel_outer_);
  if (border_width_ > 0) Frame3D(c, r, Color(), Color(), border_width_);
  bevel(bevel_inner_);
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->FillRect(r);
  std::string caption = Caption();
  if (caption.empty()) return;
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->Assign(Font());
  uint32_t flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  switch (alignment_) {
    case TAlignment::taLeftJustify:
      flags |= DT_LEFT;
      break;
    case TAlignment::taRightJustify:
      flags |= DT_RIGHT;
      break;
    default:
      flags |= DT_CENTER;
      break;
  }
  c->DrawText(caption, r, flags);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (bevel_inner_ == Value) return;
  bevel_inner_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (bevel_outer_ == Value) return;
  bevel_outer_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int32_t Value) {
  if (Value < 1 || bevel_width_ == Value) return;
  bevel_width_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(int32_t Value) {
  if (Value < 0 || border_width_ == Value) return;
  border_width_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
}

void TCustomPanel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case CM_CTL3DCHANGED:
      TCustomControl::Dispatch(M);
      if (border_style_ == TBorderStyle::bsSingle) RecreateWnd();
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(M);
}

void TCustomPanel::PublishProperties(TPropertyList& P) {
  TCustomControl::PublishProperties(P);
  P.String(
      "Caption", [this] { return Caption(); }, [this](const std::string& v) { SetCaption(v); });
  P.Enum<TAlignment>(
       "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, [this] { return alignment_; },
       [this](TAlignment v) { SetAlignment(v); })
      .Default(static_cast<int>(TAlignment::taCenter));
  P.Enum<TBevelCut>(
       "BevelInner", kBevelIdents, [this] { return bevel_inner_; },
       [this](TBevelCut v) { SetBevelInner(v); })
      .Default(0);
  P.Enum<TBevelCut>(
       "BevelOuter", kBevelIdents, [this] { return bevel_outer_; },
       [this](TBevelCut v) { SetBevelOuter(v); })
      .Default(static_cast<int>(TBevelCut::bvRaised));
  P.Integer(
       "BevelWidth", [this] { return bevel_width_; }, [this](int32_t v) { SetBevelWidth(v); })
      .Default(1);
  P.Integer(
       "BorderWidth", [this] { return border_width_; }, [this](int32_t v) { SetBorderWidth(v); })
      .Default(0);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(0);
  P.Boolean(
       "Locked", [this] { return locked_; }, [this](bool v) { SetLocked(v); })
      .Default(0);
}

// ---------------------------------------------------------------------------------------
// TSpeedButton
// ---------------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
  SetControlStyle({TControlStyleFlag::csCaptureMouse, TControlStyleFlag::csDoubleClicks,
                   TControlStyleFlag::csOpaque});
  SetBounds(0, 0, 23, 22);
  SetColor(clBtnFace);
  glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(TBitmap* Value) {
  glyph_->Assign(Value);
  if (Value && !Value->Empty() && Value->Height() > 0) {
    // A strip several glyphs wide says how many glyphs it holds.
    int32_t n = Value->Width() / Value->Height();
    if (n >= 1 && n <= 4 && Value->Width() % Value->Height() == 0) num_glyphs_ = n;
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int32_t Value) {
  Value = std::clamp(Value, 1, 4);
  if (num_glyphs_ == Value) return;
  num_glyphs_ = Value;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int32_t Value) {
  if (group_index_ == Value) return;
  group_index_ = Value;
  if (Value == 0 && down_) {
    down_ = false;
    Invalidate();
  }
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  // Only a grouped button stays down.
  if (group_index_ == 0) Value = false;
  if (down_ == Value) return;
  // The last down button of a group without AllowAllUp cannot come up by itself.
  if (down_ && !Value && !allow_all_up_) return;
  down_ = Value;
  Invalidate();
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (allow_all_up_ == Value) return;
  allow_all_up_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int32_t Value) {
  if (margin_ == Value || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int32_t Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (group_index_ == 0 || !Parent()) return;
  // WParam: the group; LParam: this button.  The others of the group come up (when this
  // one is down) and share its AllowAllUp.
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (!b || b == this || b->group_index_ != group_index_) continue;
    b->allow_all_up_ = allow_all_up_;
    if (down_ && b->down_) {
      b->down_ = false;
      b->Invalidate();
    }
  }
}

void TSpeedButton::Click() {
  TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (!watch.Alive() || Button != TMouseButton::mbLeft || !Enabled()) return;
  pressed_ = true;
  dragging_ = true;
  Invalidate();
}

void TSpeedButton::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!watch.Alive() || !dragging_) return;
  bool inside = ClientRect().Contains({X, Y});
  if (inside != pressed_) {
    pressed_ = inside;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!watch.Alive() || !dragging_ || Button != TMouseButton::mbLeft) return;
  dragging_ = false;
  pressed_ = false;
  bool inside = ClientRect().Contains({X, Y});
  if (inside) {
    if (group_index_ != 0) SetDown(!(down_ && allow_all_up_));
    Invalidate();
    Click();
  } else {
    Invalidate();
  }
}

void TSpeedButton::DrawGlyph(TCanvas* C, int32_t X, int32_t Y) {
  if (glyph_->Empty()) return;
  int32_t w = glyph_->Width() / num_glyphs_, h = glyph_->Height();
  int32_t index = 0;
  if (!Enabled() && num_glyphs_ > 1)
    index = 1;
  else if (pressed_ && num_glyphs_ > 2)
    index = 2;
  else if (down_ && num_glyphs_ > 3)
    index = 3;
  TBitmap part(w, h);
  part.Canvas()->CopyRect(Bounds(0, 0, w, h), glyph_->Canvas(), Bounds(index * w, 0, w, h));
  part.SetTransparentColor(glyph_->Canvas()->Pixel(0, h - 1));
  if (!Enabled() && num_glyphs_ == 1) {
    // No disabled image: the shape embossed in the system's colours.
    HBITMAP mask = part.MaskHandle();
    PaintMask(C, mask, X + 1, Y + 1, w, h, clBtnHighlight);
    PaintMask(C, mask, X, Y, w, h, clBtnShadow);
    return;
  }
  part.SetTransparent(true);
  C->Draw(X, Y, &part);
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool sunk = pressed_ || down_;
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->FillRect(r);
  TRect frame = r;
  if (!flat_) {
    if (sunk) {
      Frame3D(c, frame, clWindowFrame, clBtnHighlight, 1);
      Frame3D(c, frame, clBtnShadow, clBtnFace, 1);
    } else {
      Frame3D(c, frame, clBtnHighlight, clWindowFrame, 1);
      Frame3D(c, frame, clBtnFace, clBtnShadow, 1);
    }
  } else if (sunk || (mouse_in_ && Enabled())) {
    Frame3D(c, frame, sunk ? clBtnShadow : clBtnHighlight, sunk ? clBtnHighlight : clBtnShadow, 1);
  }
  // Glyph and caption laid out together inside the frame.
  std::string caption = Caption();
  c->Font()->Assign(Font());
  TSize text = caption.empty() ? TSize{} : c->TextExtent(caption);
  int32_t gw = glyph_->Empty() ? 0 : glyph_->Width() / num_glyphs_;
  int32_t gh = glyph_->Empty() ? 0 : glyph_->Height();
  bool horizontal = layout_ == TButtonLayout::blGlyphLeft || layout_ == TButtonLayout::blGlyphRight;
  int32_t spacing = (gw > 0 && !caption.empty()) ? spacing_ : 0;
  int32_t total = horizontal ? gw + spacing + text.cx : gh + spacing + text.cy;
  int32_t extent = horizontal ? r.Width() : r.Height();
  int32_t start = margin_ < 0 ? (extent - total) / 2 : margin_;
  TPoint gp, tp;
  switch (layout_) {
    case TButtonLayout::blGlyphLeft:
      gp = {start, (r.Height() - gh) / 2};
      tp = {start + gw + spacing, (r.Height() - text.cy) / 2};
      break;
    case TButtonLayout::blGlyphRight:
      tp = {start, (r.Height() - text.cy) / 2};
      gp = {start + text.cx + spacing, (r.Height() - gh) / 2};
      break;
    case TButtonLayout::blGlyphTop:
      gp = {(r.Width() - gw) / 2, start};
      tp = {(r.Width() - text.cx) / 2, start + gh + spacing};
      break;
    case TButtonLayout::blGlyphBottom:
      tp = {(r.Width() - text.cx) / 2, start};
      gp = {(r.Width() - gw) / 2, start + text.cy + spacing};
      break;
  }
  int32_t shift = sunk ? 1 : 0;
  DrawGlyph(c, gp.X + shift, gp.Y + shift);
  if (!caption.empty()) {
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect tr = Bounds(tp.X + shift, tp.Y + shift, text.cx, text.cy);
    if (!Enabled()) {
      TRect hr = OffsetRect(tr, 1, 1);
      c->Font()->SetColor(clBtnHighlight);
      c->DrawText(caption, hr, DT_SINGLELINE | DT_NOCLIP);
      c->Font()->SetColor(clBtnShadow);
    }
    c->DrawText(caption, tr, DT_SINGLELINE | DT_NOCLIP);
  }
}

void TSpeedButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_MOUSEENTER:
      mouse_in_ = true;
      if (flat_) Invalidate();
      break;
    case CM_MOUSELEAVE:
      mouse_in_ = false;
      if (flat_) Invalidate();
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (dragging_) {
        dragging_ = false;
        pressed_ = false;
        Invalidate();
      }
      break;
    default:
      break;
  }
  TGraphicControl::Dispatch(M);
}

void TSpeedButton::PublishProperties(TPropertyList& P) {
  TGraphicControl::PublishProperties(P);
  P.String(
      "Caption", [this] { return Caption(); }, [this](const std::string& v) { SetCaption(v); });
  P.Integer(
       "NumGlyphs", [this] { return num_glyphs_; }, [this](int32_t v) { SetNumGlyphs(v); })
      .Default(1);
  P.Integer(
       "GroupIndex", [this] { return group_index_; }, [this](int32_t v) { SetGroupIndex(v); })
      .Default(0);
  P.Boolean(
       "Down", [this] { return down_; }, [this](bool v) { SetDown(v); })
      .Default(0);
  P.Boolean(
       "AllowAllUp", [this] { return allow_all_up_; }, [this](bool v) { SetAllowAllUp(v); })
      .Default(0);
  P.Boolean(
       "Flat", [this] { return flat_; }, [this](bool v) { SetFlat(v); })
      .Default(0);
  P.Enum<TButtonLayout>(
       "Layout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"},
       [this] { return layout_; }, [this](TButtonLayout v) { SetLayout(v); })
      .Default(0);
  P.Integer(
       "Margin", [this] { return margin_; }, [this](int32_t v) { SetMargin(v); })
      .Default(-1);
  P.Integer(
       "Spacing", [this] { return spacing_; }, [this](int32_t v) { SetSpacing(v); })
      .Default(4);
}

// ---------------------------------------------------------------------------------------
// TPaintBox, TTimer
// ---------------------------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint() {
  RaiseEvent(this, OnPaint, this);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  window_ = AllocateHWnd([this](TMessage& M) {
    if (M.Msg == WM_TIMER) {
      Timer();
      M.Result = 0;
    } else {
      M.Result = DefaultWindowProc(window_, M);
    }
  });
  UpdateTimer();
}

TTimer::~TTimer() {
  KillTimer(window_, 1);
  DeallocateHWnd(window_);
}

void TTimer::UpdateTimer() {
  KillTimer(window_, 1);
  if (enabled_ && interval_ > 0 && !SetTimer(window_, 1, interval_, nullptr))
    throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t Value) {
  if (interval_ == Value) return;
  interval_ = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  FireEvent(this, OnTimer, this);
}

void TTimer::PublishProperties(TPropertyList& P) {
  TComponent::PublishProperties(P);
  P.Boolean(
       "Enabled", [this] { return enabled_; }, [this](bool v) { SetEnabled(v); })
      .Default(1);
  P.Integer(
       "Interval", [this] { return int32_t(interval_); },
       [this](int32_t v) { SetInterval(static_cast<uint32_t>(std::max(v, 0))); })
      .Default(1000);
}

}  // namespace tess
