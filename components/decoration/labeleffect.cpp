// The effect label (see labeleffect.h).
#include "components/decoration/labeleffect.h"

#include <algorithm>
#include <cmath>

#include "platform/win32.h"

namespace tess {

namespace {

// Red 241, green 9, blue 254: a colour no face is drawn in, marking the face's pixels.
constexpr TColor kKeyColour = RGBColor(241, 9, 254);

TRgb RgbOf(TColor C) {
  TColor c = ColorToRGB(C);  // a system colour becomes its RGB value first
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

TColor ColorOf(TRgb C) {
  return RGBColor(C.R, C.G, C.B);
}

// The pixel (X, Y) of a 24-bit DIB section.
uint8_t* PixelAt(TBitmap& B, int32_t X, int32_t Y) {
  return B.ScanLine(Y) + static_cast<size_t>(X) * 3;
}

bool IsColour(const uint8_t* P, TColor C) {
  return P[2] == GetRValue(C) && P[1] == GetGValue(C) && P[0] == GetBValue(C);
}

}  // namespace

TLabelEffect::TLabelEffect(TComponent* AOwner) : TCustomLabel(AOwner) {
  schemes_ = {{{clWhite, clBlack, clGray},
               {clWhite, clGray, clBlack},
               {clWhite, clBlack, clGray},
               {clWhite, clBlack, clSilver},
               {clYellow, clBlack, clOlive},
               {clAqua, clNavy, clTeal}}};
  SetAutoSize(false);
  SetBounds(Left(), Top(), 142, 33);
  SetTransparent(true);
  SetParentFont(false);
  Font()->SetColor(schemes_[static_cast<size_t>(colour_scheme_)].Font);
  Font()->SetName("Times New Roman");
  Font()->SetSize(20);
  graduate_from_ = Font()->Color();
  static bool registered = false;
  if (!registered) {
    registered = true;
    RegisterLabelEffectClasses();
  }
}

// --- properties --------------------------------------------------------------------------

void TLabelEffect::SetDepthHighlight(int32_t Value) {
  Value = std::clamp(Value, 0, 10);
  if (Value == depth_highlight_) return;
  depth_highlight_ = Value;
  if (!setting_style_ && !Reading()) effect_style_ = TEffectStyle::esCustom;
  Invalidate();
}

void TLabelEffect::SetDepthShadow(int32_t Value) {
  Value = std::clamp(Value, 0, 10);
  if (Value == depth_shadow_) return;
  depth_shadow_ = Value;
  if (!setting_style_ && !Reading()) effect_style_ = TEffectStyle::esCustom;
  Invalidate();
}

void TLabelEffect::SetDirectionHighlight(TEffectDirection Value) {
  if (Value == direction_highlight_) return;
  direction_highlight_ = Value;
  if (!setting_style_ && !Reading()) effect_style_ = TEffectStyle::esCustom;
  Invalidate();
}

void TLabelEffect::SetDirectionShadow(TEffectDirection Value) {
  if (Value == direction_shadow_) return;
  direction_shadow_ = Value;
  if (!setting_style_ && !Reading()) effect_style_ = TEffectStyle::esCustom;
  Invalidate();
}

void TLabelEffect::SetColourHighlight(TColor Value) {
  if (Value == colour_highlight_) return;
  colour_highlight_ = Value;
  schemes_[0].Highlight = Value;
  if (!setting_scheme_ && !Reading()) colour_scheme_ = TColourScheme::csCustom;
  Invalidate();
}

void TLabelEffect::SetColourShadow(TColor Value) {
  if (Value == colour_shadow_) return;
  colour_shadow_ = Value;
  schemes_[0].Shadow = Value;
  if (!setting_scheme_ && !Reading()) colour_scheme_ = TColourScheme::csCustom;
  Invalidate();
}

void TLabelEffect::SetColourScheme(TColourScheme Value) {
  colour_scheme_ = Value;
  const Scheme s = schemes_[static_cast<size_t>(Value)];
  if (Reading()) {
    if (Value != TColourScheme::csCustom) schemes_[0] = s;
    return;
  }
  setting_scheme_ = true;
  SetColourHighlight(s.Highlight);
  Font()->SetColor(s.Font);
  SetColourShadow(s.Shadow);
  setting_scheme_ = false;
  if (Value != TColourScheme::csCustom) schemes_[0] = s;
  Invalidate();
}

void TLabelEffect::SetEffectStyle(TEffectStyle Value) {
  effect_style_ = Value;
  if (Reading()) return;
  setting_style_ = true;
  const Scheme s = schemes_[static_cast<size_t>(colour_scheme_)];
  setting_scheme_ = true;
  SetColourHighlight(s.Highlight);
  setting_scheme_ = false;
  switch (Value) {
    case TEffectStyle::esNone:
      SetDirectionHighlight(TEffectDirection::edNone);
      SetDirectionShadow(TEffectDirection::edNone);
      SetDepthHighlight(0);
      SetDepthShadow(0);
      as_button_ = false;
      break;
    case TEffectStyle::esCustom:
      as_button_ = false;
      break;
    case TEffectStyle::esRaised:
      SetDirectionHighlight(TEffectDirection::edUpLeft);
      SetDirectionShadow(TEffectDirection::edDownRight);
      SetDepthHighlight(1);
      SetDepthShadow(1);
      break;
    case TEffectStyle::esSunken:
      SetDirectionHighlight(TEffectDirection::edDownRight);
      SetDirectionShadow(TEffectDirection::edUpLeft);
      SetDepthHighlight(1);
      SetDepthShadow(1);
      break;
    case TEffectStyle::esShadow:
      SetDirectionHighlight(TEffectDirection::edNone);
      SetDepthHighlight(0);
      SetDirectionShadow(TEffectDirection::edDownRight);
      SetDepthShadow(2);
      as_button_ = false;
      break;
    case TEffectStyle::esFlying:
      SetDirectionHighlight(TEffectDirection::edDownRight);
      SetDepthHighlight(1);
      SetDirectionShadow(TEffectDirection::edDownRight);
      SetDepthShadow(5);
      setting_scheme_ = true;
      SetColourHighlight(s.Shadow);
      setting_scheme_ = false;
      as_button_ = false;
      break;
  }
  setting_style_ = false;
  Invalidate();
}

void TLabelEffect::SetAsButton(bool Value) {
  if (Value == as_button_) return;
  as_button_ = Value;
  if (Value && !Reading()) SetEffectStyle(TEffectStyle::esRaised);
}

void TLabelEffect::SetAngle(uint16_t Value) {
  Value = std::min<uint16_t>(Value, 360);
  if (Value == angle_) return;
  angle_ = Value;
  double a = Value * (3.14159265358979323846 / 180.0);
  cos_ = std::cos(a);
  sin_ = std::sin(a);
  if (Value != 0 && !Reading()) SetAlignment(TAlignment::taLeftJustify);
  Invalidate();
}

void TLabelEffect::SetKeepLettersVertical(bool Value) {
  if (Value == keep_letters_vertical_) return;
  keep_letters_vertical_ = Value;
  if (angle_ != 0) Invalidate();
}

void TLabelEffect::SetGraduateFace(TGraduateOption Value) {
  if (Value == graduate_face_) return;
  graduate_face_ = Value;
  Invalidate();
}

void TLabelEffect::SetGraduateFrom(TColor Value) {
  if (Value == graduate_from_) return;
  graduate_from_ = Value;
  if (graduate_face_ != TGraduateOption::goNone) Invalidate();
}

void TLabelEffect::SetStyleHighlight(TEffectOption Value) {
  if (Value == style_highlight_) return;
  style_highlight_ = Value;
  Invalidate();
}

void TLabelEffect::SetStyleShadow(TEffectOption Value) {
  if (Value == style_shadow_) return;
  style_shadow_ = Value;
  Invalidate();
}

// --- the push-button mode ------------------------------------------------------------

void TLabelEffect::Dispatch(TMessage& M) {
  if (as_button_) {
    switch (M.Msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (Enabled() && effect_style_ != TEffectStyle::esSunken)
          SetEffectStyle(TEffectStyle::esSunken);
        return;
      case WM_MOUSEMOVE:
        if ((M.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == MK_LBUTTON) {
          int32_t x = M.XPos(), y = M.YPos();
          bool inside = x >= 0 && x <= Width() && y >= 0 && y <= Height();
          TEffectStyle want = inside ? TEffectStyle::esSunken : TEffectStyle::esRaised;
          if (want != effect_style_) SetEffectStyle(want);
        }
        return;
      case WM_LBUTTONUP: {
        int32_t x = M.XPos(), y = M.YPos();
        if (x >= 0 && x <= Width() && y >= 0 && y <= Height())
          SetEffectStyle(TEffectStyle::esRaised);
        // A click still counts: the button's purpose.
        if (ControlState().Contains(TControlStateFlag::csClicked)) {
          ExcludeControlState(TControlStateFlag::csClicked);
          if (ClientRect().Contains({x, y})) Click();
        }
        return;
      }
      default:
        break;
    }
  }
  TCustomLabel::Dispatch(M);
}

// --- painting --------------------------------------------------------------------------

TLabelEffect::TUprightLetters TLabelEffect::UprightLetters(TCanvas* C, const std::string& Text,
                                                           int32_t H) const {
  TUprightLetters out;
  out.Advances.reserve(Text.size());
  for (char ch : Text) out.Advances.push_back(C->TextWidth(std::string(1, ch)));
  out.Positions = UprightLetterPositions(out.Advances, H, angle_);
  return out;
}

void TLabelEffect::DrawStep(TCanvas* C, int32_t DX, int32_t DY, TColor Color) {
  C->Font()->SetColor(Color);
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  std::string text = Caption().substr(0, 255);
  if (angle_ == 0) {
    uint32_t flags = DT_EXPANDTABS | DT_WORDBREAK;
    if (!ShowAccelChar()) flags |= DT_NOPREFIX;
    flags |= Alignment() == TAlignment::taRightJustify ? DT_RIGHT
             : Alignment() == TAlignment::taCenter     ? DT_CENTER
                                                       : DT_LEFT;
    TRect r = OffsetRect(ClientRect(), DX - extent_.MinOff - xadj_, DY - extent_.MinOff);
    C->DrawText(text, r, flags);
    return;
  }
  const int32_t ox = DX - extent_.MinOff, oy = DY - extent_.MinOff;
  if (!keep_letters_vertical_) {
    C->TextOut(origin_.X + ox, origin_.Y + oy, text);
    return;
  }
  TUprightLetters letters = UprightLetters(C, text, C->TextHeight("Wg"));
  for (size_t i = 0; i < text.size(); ++i)
    C->TextOut(letters.Positions[i].X + ox, letters.Positions[i].Y + oy, std::string(1, text[i]));
}

void TLabelEffect::DrawLayer(TBitmap& B, TBitmap& M, TEffectDirection Dir, int32_t Depth,
                             TColor Color, TEffectOption Style) {
  if (Depth <= 0 || Dir == TEffectDirection::edNone) return;
  TEffectOffset o = DirectionOffset(Dir);
  switch (Style) {
    case TEffectOption::eoNormal:
      DrawStep(B.Canvas(), o.dx * Depth, o.dy * Depth, Color);
      break;
    case TEffectOption::eoExtrude:
      for (int32_t i = Depth; i >= 1; --i) DrawStep(B.Canvas(), o.dx * i, o.dy * i, Color);
      break;
    case TEffectOption::eoGraduated:
      for (int32_t i = Depth; i >= 1; --i)
        DrawStep(B.Canvas(), o.dx * i, o.dy * i,
                 ColorOf(GraduatedStepColor(RgbOf(Color), RgbOf(Font()->Color()), Depth, i)));
      break;
    case TEffectOption::eoReal: {
      // A translucent shadow: the pixels under the layer's shape are halved.
      TCanvas* m = M.Canvas();
      m->Brush()->SetStyle(TBrushStyle::bsSolid);
      m->Brush()->SetColor(clWhite);
      m->FillRect(Rect(0, 0, M.Width(), M.Height()));
      DrawStep(m, o.dx * Depth, o.dy * Depth, clBlack);
      for (int32_t y = 0; y < B.Height(); ++y) {
        uint8_t* mb = M.ScanLine(y);
        uint8_t* bb = B.ScanLine(y);
        for (int32_t x = 0; x < B.Width(); ++x, mb += 3, bb += 3)
          if (mb[0] == 0 && mb[1] == 0 && mb[2] == 0) {
            bb[0] /= 2;
            bb[1] /= 2;
            bb[2] /= 2;
          }
      }
      break;
    }
  }
}

TBox TLabelEffect::FaceBox(TCanvas* C) {
  std::string text = Caption().substr(0, 255);
  TSize ext = C->TextExtent(text);
  const int32_t fx = -extent_.MinOff, fy = -extent_.MinOff;
  if (angle_ == 0) {
    int32_t left = fx;
    if (Alignment() == TAlignment::taCenter) left = (Width() - ext.cx) / 2 - extent_.MinOff - xadj_;
    if (Alignment() == TAlignment::taRightJustify) left = Width() - extent_.MaxOff - ext.cx;
    return {left, fy, left + ext.cx, fy + ext.cy};
  }
  if (!keep_letters_vertical_)
    return RotatedTextBox({origin_.X + fx, origin_.Y + fy}, ext.cx, ext.cy, angle_);
  TUprightLetters letters = UprightLetters(C, text, ext.cy);
  TBox b{Width(), Height(), 0, 0};
  for (size_t i = 0; i < letters.Positions.size(); ++i) {
    const TRotatedOrigin& p = letters.Positions[i];
    b.Left = std::min(b.Left, p.X + fx);
    b.Top = std::min(b.Top, p.Y + fy);
    b.Right = std::max(b.Right, p.X + fx + letters.Advances[i]);
    b.Bottom = std::max(b.Bottom, p.Y + fy + ext.cy);
  }
  return b;
}

std::array<TPointF, 4> TLabelEffect::FaceCorners(TCanvas* C) {
  if (angle_ != 0 && !keep_letters_vertical_) {
    TSize ext = C->TextExtent(Caption().substr(0, 255));
    return RotatedTextCorners({origin_.X - extent_.MinOff, origin_.Y - extent_.MinOff}, ext.cx,
                              ext.cy, angle_);
  }
  TBox b = FaceBox(C);
  return {TPointF{double(b.Left), double(b.Top)}, TPointF{double(b.Right), double(b.Top)},
          TPointF{double(b.Right), double(b.Bottom)}, TPointF{double(b.Left), double(b.Bottom)}};
}

void TLabelEffect::GradientFace(TBitmap& B, TBitmap& M) {
  // M: the picture with the face drawn in the key colour, so the face's pixels are known.
  M.Canvas()->CopyRect(Rect(0, 0, M.Width(), M.Height()), B.Canvas(),
                       Rect(0, 0, B.Width(), B.Height()));
  DrawStep(M.Canvas(), 0, 0, kKeyColour);
  TBox box = FaceBox(M.Canvas());
  const bool vertical = graduate_face_ == TGraduateOption::goVertical;
  const int32_t size = vertical ? box.Bottom - box.Top - 1 : box.Right - box.Left - 1;
  TGradientSteps steps(RgbOf(graduate_from_), RgbOf(Font()->Color()), size);
  const int32_t W = B.Width(), H = B.Height();
  for (int32_t k = 0; k < steps.Lines(); ++k) {
    TRgb c = steps.Line(k);
    if (vertical) {
      int32_t y = box.Top + k;
      if (y < 0 || y >= H) continue;
      for (int32_t x = 0; x < W; ++x)
        if (IsColour(PixelAt(M, x, y), kKeyColour)) {
          uint8_t* p = PixelAt(B, x, y);
          p[0] = c.B, p[1] = c.G, p[2] = c.R;
        }
    } else {
      int32_t x = box.Left + k;
      if (x < 0 || x >= W) continue;
      for (int32_t y = 0; y < H; ++y)
        if (IsColour(PixelAt(M, x, y), kKeyColour)) {
          uint8_t* p = PixelAt(B, x, y);
          p[0] = c.B, p[1] = c.G, p[2] = c.R;
        }
    }
  }
}

void TLabelEffect::Paint() {
  const int32_t W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  TCanvas* target = Canvas();
  extent_ = EffectExtent(direction_highlight_, depth_highlight_, direction_shadow_, depth_shadow_);
  const int32_t span = extent_.MaxOff - extent_.MinOff;
  xadj_ = Alignment() == TAlignment::taRightJustify ? span
          : Alignment() == TAlignment::taCenter    ? span / 2
                                                   : 0;
  TBitmap B(W, H, TPixelFormat::pf24bit), M(W, H, TPixelFormat::pf24bit);
  // What lies under the label shows through.
  B.Canvas()->CopyRect(Rect(0, 0, W, H), target, Rect(0, 0, W, H));
  for (TBitmap* b : {&B, &M}) {
    b->Canvas()->Font()->Assign(Font());
    if (angle_ != 0 && !keep_letters_vertical_) {
      b->Canvas()->Font()->SetEscapement(angle_ * 10);
      b->Canvas()->Font()->SetOutPrecision(OUT_TT_ONLY_PRECIS);
    }
  }
  {
    TCanvas* c = M.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, W, H));
  }
  if (angle_ != 0 && !keep_letters_vertical_) {
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(Font());
    std::string text = Caption().substr(0, 255);
    TSize ext = probe.Canvas()->TextExtent(text);
    int32_t c = probe.Canvas()->TextWidth(text + "   ") / 2;
    origin_ = RotatedTextOrigin(c, ext.cx, ext.cy, angle_);
  }
  if (!Transparent()) {
    TCanvas* c = B.Canvas();
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(Color());
    if (angle_ == 0) {
      c->FillRect(Rect(0, 0, W, H));
    } else {
      // Around the turned text and the reach of its layers only.
      c->Pen()->SetColor(Color());
      std::vector<TPoint> outline;
      for (const TRotatedOrigin& p : SweptOutline(FaceCorners(B.Canvas()), extent_.MinOff, extent_.MaxOff))
        outline.push_back({p.X, p.Y});
      c->Polygon(outline);
    }
  }
  DrawLayer(B, M, direction_shadow_, depth_shadow_, colour_shadow_, style_shadow_);
  DrawLayer(B, M, direction_highlight_, depth_highlight_, colour_highlight_, style_highlight_);
  if (graduate_face_ == TGraduateOption::goNone)
    DrawStep(B.Canvas(), 0, 0, Font()->Color());
  else
    GradientFace(B, M);
  target->CopyRect(Rect(0, 0, W, H), B.Canvas(), Rect(0, 0, W, H));
}

void TLabelEffect::PublishProperties(TPropertyList& P) {
  TCustomLabel::PublishProperties(P);
  // What a new effect label starts with.
  P.Find("AutoSize")->Default(false);
  P.Find("Transparent")->Default(true);
  P.Integer(
       "DepthHighlight", [this] { return depth_highlight_; },
       [this](int32_t v) { SetDepthHighlight(v); })
      .Default(1);
  P.Integer(
       "DepthShadow", [this] { return depth_shadow_; }, [this](int32_t v) { SetDepthShadow(v); })
      .Default(1);
  const std::vector<std::string> directions{"edNone",     "edUp",   "edUpRight",
                                            "edRight",    "edDownRight", "edDown",
                                            "edDownLeft", "edLeft", "edUpLeft"};
  P.Enum<TEffectDirection>(
       "DirectionHighlight", directions, [this] { return direction_highlight_; },
       [this](TEffectDirection v) { SetDirectionHighlight(v); })
      .Default(TEffectDirection::edUpLeft);
  P.Enum<TEffectDirection>(
       "DirectionShadow", directions, [this] { return direction_shadow_; },
       [this](TEffectDirection v) { SetDirectionShadow(v); })
      .Default(TEffectDirection::edDownRight);
  P.Integer(
       "ColourHighlight", [this] { return colour_highlight_; },
       [this](int32_t v) { SetColourHighlight(v); })
      .Default(clWhite);
  P.Integer(
       "ColourShadow", [this] { return colour_shadow_; }, [this](int32_t v) { SetColourShadow(v); })
      .Default(clBlack);
  P.Enum<TGraduateOption>(
       "GraduateFace", {"goNone", "goVertical", "goHorizontal"}, [this] { return graduate_face_; },
       [this](TGraduateOption v) { SetGraduateFace(v); })
      .Default(TGraduateOption::goNone);
  P.Integer(
       "GraduateFrom", [this] { return graduate_from_; }, [this](int32_t v) { SetGraduateFrom(v); })
      .Default(clGray);
  const std::vector<std::string> layer_styles{"eoNormal", "eoReal", "eoExtrude", "eoGraduated"};
  P.Enum<TEffectOption>(
       "StyleHighlight", layer_styles, [this] { return style_highlight_; },
       [this](TEffectOption v) { SetStyleHighlight(v); })
      .Default(TEffectOption::eoNormal);
  P.Enum<TEffectOption>(
       "StyleShadow", layer_styles, [this] { return style_shadow_; },
       [this](TEffectOption v) { SetStyleShadow(v); })
      .Default(TEffectOption::eoNormal);
  P.Enum<TEffectStyle>(
       "EffectStyle", {"esNone", "esCustom", "esRaised", "esSunken", "esShadow", "esFlying"},
       [this] { return effect_style_; }, [this](TEffectStyle v) { SetEffectStyle(v); })
      .Default(2);
  P.Enum<TColourScheme>(
       "ColourScheme", {"csCustom", "csText", "csWindows", "csEmbossed", "csGold", "csSteel"},
       [this] { return colour_scheme_; }, [this](TColourScheme v) { SetColourScheme(v); })
      .Default(2);
  P.Boolean(
       "AsButton", [this] { return as_button_; }, [this](bool v) { SetAsButton(v); })
      .Default(0);
  P.Integer(
       "Angle", [this] { return angle_; },
       [this](int32_t v) { SetAngle(static_cast<uint16_t>(std::clamp(v, 0, 360))); })
      .Default(0);
  P.Boolean(
       "KeepLettersVertical", [this] { return keep_letters_vertical_; },
       [this](bool v) { SetKeepLettersVertical(v); })
      .Default(0);
}

void RegisterLabelEffectClasses() {
  RegisterComponentClass<TLabelEffect>("TLabelEffect");
}

}  // namespace tess
