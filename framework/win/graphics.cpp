// Fonts, pens, brushes, the canvas and the graphics it draws.
#include "framework/win/graphics.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>

#include "framework/core/dibdata.h"
#include "framework/core/filer.h"
#include "framework/win/dc_guards.h"
#include "platform/win32.h"

namespace tess {

namespace {

const char kDefaultFontName[] = "MS Sans Serif";

int MulDivRound(int a, int b, int c) {
  return c == 0 ? 0 : MulDiv(a, b, c);
}

int RopOf(TPenMode Mode) {
  static const int kRop[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                             R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                             R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                             R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return kRop[static_cast<int>(Mode)];
}

const std::vector<std::string> kPenStyleIdents = {
    "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
const std::vector<std::string> kPenModeIdents = {
    "pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
    "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
    "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
const std::vector<std::string> kBrushStyleIdents = {"bsSolid",    "bsClear",     "bsHorizontal",
                                                    "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                                    "bsCross",    "bsDiagCross"};
const std::vector<std::string> kFontStyleIdents = {"fsBold", "fsItalic", "fsUnderline",
                                                   "fsStrikeOut"};
const std::vector<std::string> kFontPitchIdents = {"fpDefault", "fpVariable", "fpFixed"};

}  // namespace

int32_t ScreenPixelsPerInch() {
  static int32_t ppi = [] {
    TScreenDC screen;
    int v = GetDeviceCaps(screen.Handle(), LOGPIXELSY);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

// ---------------------------------------------------------------------------------------
// TGraphicsObject, TFont, TPen, TBrush
// ---------------------------------------------------------------------------------------

void TGraphicsObject::Changed() {
  if (OnChanging) OnChanging(this);
  DestroyHandle();
  if (OnChange) OnChange(this);
}

TFont::TFont() : name_(kDefaultFontName), ppi_(ScreenPixelsPerInch()) {
  height_ = -MulDivRound(8, ppi_, 72);
}

TFont::~TFont() {
  DestroyHandle();
}

void TFont::DestroyHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (f == this) return;
    int32_t height = f->ppi_ == ppi_ ? f->height_ : MulDivRound(f->height_, ppi_, f->ppi_);
    // Telling of a change that is none would send notices round a tree for nothing.
    if (color_ == f->color_ && name_ == f->name_ && height_ == height && style_ == f->style_ &&
        pitch_ == f->pitch_ && charset_ == f->charset_ && escapement_ == f->escapement_ &&
        out_precision_ == f->out_precision_ && quality_ == f->quality_)
      return;
    color_ = f->color_;
    name_ = f->name_;
    height_ = height;
    style_ = f->style_;
    pitch_ = f->pitch_;
    charset_ = f->charset_;
    escapement_ = f->escapement_;
    out_precision_ = f->out_precision_;
    quality_ = f->quality_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TFont::PublishProperties(TPropertyList& P) {
  TGraphicsObject::PublishProperties(P);
  P.Integer(
       "CharSet", [this] { return int32_t(charset_); },
       [this](int32_t v) { SetCharSet(static_cast<uint8_t>(v)); })
      .Default(1);
  // Colour, height, name and style are always stored: a component's own font may start
  // at any of them (a bold white caption font in Arial), and a value equal to a declared
  // default would be lost on reading.
  P.Integer(
      "Color", [this] { return color_; }, [this](int32_t v) { SetColor(v); });
  P.Integer(
      "Height", [this] { return height_; }, [this](int32_t v) { SetHeight(v); });
  P.String(
       "Name", [this] { return name_; }, [this](const std::string& v) { SetName(v); })
      .NoDefault();
  P.Enum<TFontPitch>(
       "Pitch", kFontPitchIdents, [this] { return pitch_; }, [this](TFontPitch v) { SetPitch(v); })
      .Default(0);
  P.Set(
       "Style", kFontStyleIdents, [this] { return uint32_t(style_.Bits()); },
       [this](uint32_t v) { SetStyle(TFontStyles::FromBits(v)); });
  P.Integer(
       "Escapement", [this] { return escapement_; }, [this](int32_t v) { SetEscapement(v); })
      .Default(0);
}

HFont TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfEscapement = escapement_;
    lf.lfOrientation = escapement_;
    lf.lfWeight = style_.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(TFontStyle::fsItalic);
    lf.lfUnderline = style_.Contains(TFontStyle::fsUnderline);
    lf.lfStrikeOut = style_.Contains(TFontStyle::fsStrikeOut);
    lf.lfCharSet = charset_;
    // Only outline fonts turn; ask for one when the text is turned.
    lf.lfOutPrecision =
        out_precision_ ? out_precision_ : (escapement_ != 0 ? OUT_TT_PRECIS : OUT_DEFAULT_PRECIS);
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = quality_;
    switch (pitch_) {
      case TFontPitch::fpFixed:
        lf.lfPitchAndFamily = FIXED_PITCH;
        break;
      case TFontPitch::fpVariable:
        lf.lfPitchAndFamily = VARIABLE_PITCH;
        break;
      default:
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        break;
    }
    std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    handle_ = CreateFontIndirectA(&lf);
  }
  return handle_;
}

void TFont::SetHandle(HFont Value) {
  LOGFONTA lf{};
  if (!Value || GetObjectA(Value, sizeof lf, &lf) == 0) return;
  height_ = lf.lfHeight;
  escapement_ = lf.lfEscapement;
  TFontStyles s;
  if (lf.lfWeight >= FW_BOLD) s += TFontStyle::fsBold;
  if (lf.lfItalic) s += TFontStyle::fsItalic;
  if (lf.lfUnderline) s += TFontStyle::fsUnderline;
  if (lf.lfStrikeOut) s += TFontStyle::fsStrikeOut;
  style_ = s;
  charset_ = lf.lfCharSet;
  out_precision_ = lf.lfOutPrecision;
  quality_ = lf.lfQuality;
  switch (lf.lfPitchAndFamily & 3) {
    case FIXED_PITCH:
      pitch_ = TFontPitch::fpFixed;
      break;
    case VARIABLE_PITCH:
      pitch_ = TFontPitch::fpVariable;
      break;
    default:
      pitch_ = TFontPitch::fpDefault;
      break;
  }
  name_ = lf.lfFaceName;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  Changed();
}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || name_ == Value) return;
  name_ = Value;
  Changed();
}

int32_t TFont::Size() const {
  return -MulDivRound(height_, 72, ppi_);
}

void TFont::SetSize(int32_t Value) {
  SetHeight(-MulDivRound(Value, ppi_, 72));
}

void TFont::SetHeight(int32_t Value) {
  if (height_ == Value) return;
  height_ = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (style_ == Value) return;
  style_ = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (pitch_ == Value) return;
  pitch_ = Value;
  Changed();
}

void TFont::SetCharSet(uint8_t Value) {
  if (charset_ == Value) return;
  charset_ = Value;
  Changed();
}

void TFont::SetEscapement(int32_t Value) {
  if (escapement_ == Value) return;
  escapement_ = Value;
  Changed();
}

void TFont::SetOutPrecision(uint8_t Value) {
  if (out_precision_ == Value) return;
  out_precision_ = Value;
  Changed();
}

void TFont::SetQuality(uint8_t Value) {
  if (quality_ == Value) return;
  quality_ = Value;
  Changed();
}

void TFont::SetPixelsPerInch(int32_t Value) {
  if (Value <= 0 || ppi_ == Value) return;
  int32_t size = Size();
  ppi_ = Value;
  height_ = -MulDivRound(size, ppi_, 72);
  Changed();
}

TPen::~TPen() {
  DestroyHandle();
}

void TPen::DestroyHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    if (p == this) return;
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TPen::PublishProperties(TPropertyList& P) {
  TGraphicsObject::PublishProperties(P);
  P.Integer(
       "Color", [this] { return color_; }, [this](int32_t v) { SetColor(v); })
      .Default(clBlack);
  P.Enum<TPenMode>(
       "Mode", kPenModeIdents, [this] { return mode_; }, [this](TPenMode v) { SetMode(v); })
      .Default(static_cast<int>(TPenMode::pmCopy));
  P.Enum<TPenStyle>(
       "Style", kPenStyleIdents, [this] { return style_; }, [this](TPenStyle v) { SetStyle(v); })
      .Default(0);
  P.Integer(
       "Width", [this] { return width_; }, [this](int32_t v) { SetWidth(v); })
      .Default(1);
}

HPen TPen::Handle() {
  if (!handle_) {
    static const int kStyle[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                 PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    handle_ = CreatePen(kStyle[static_cast<int>(style_)], width_, ColorToRGB(color_));
  }
  return handle_;
}

void TPen::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  Changed();
}

void TPen::SetWidth(int32_t Value) {
  if (Value < 0 || width_ == Value) return;
  width_ = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (mode_ == Value) return;
  mode_ = Value;
  Changed();
}

TBrush::~TBrush() {
  DestroyHandle();
}

void TBrush::DestroyHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    if (b == this) return;
    color_ = b->color_;
    style_ = b->style_;
    if (b->bitmap_) {
      bitmap_ = std::make_unique<TBitmap>();
      bitmap_->Assign(b->bitmap_.get());
    } else {
      bitmap_.reset();
    }
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::PublishProperties(TPropertyList& P) {
  TGraphicsObject::PublishProperties(P);
  P.Integer(
       "Color", [this] { return color_; }, [this](int32_t v) { SetColor(v); })
      .Default(clWhite);
  P.Enum<TBrushStyle>(
       "Style", kBrushStyleIdents, [this] { return style_; },
       [this](TBrushStyle v) { SetStyle(v); })
      .Default(0);
}

HBrush TBrush::Handle() {
  if (!handle_) {
    if (bitmap_ && !bitmap_->Empty()) {
      handle_ = CreatePatternBrush(bitmap_->Handle());
    } else {
      switch (style_) {
        case TBrushStyle::bsClear:
          return nullptr;
        case TBrushStyle::bsSolid:
          handle_ = CreateSolidBrush(ColorToRGB(color_));
          break;
        default: {
          static const int kHatch[] = {
              0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
          handle_ = CreateHatchBrush(kHatch[static_cast<int>(style_)], ColorToRGB(color_));
          break;
        }
      }
    }
  }
  return handle_;
}

void TBrush::SetColor(TColor Value) {
  if (color_ == Value && style_ != TBrushStyle::bsClear) return;
  color_ = Value;
  if (style_ == TBrushStyle::bsClear) style_ = TBrushStyle::bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (style_ == Value && !bitmap_) return;
  style_ = Value;
  bitmap_.reset();
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
  if (Value) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(Value);
    bitmap_ = std::move(copy);
  } else {
    bitmap_.reset();
  }
  Changed();
}

// ---------------------------------------------------------------------------------------
// TCanvas
// ---------------------------------------------------------------------------------------

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()),
      pen_(std::make_unique<TPen>()),
      brush_(std::make_unique<TBrush>()),
      copy_mode_(SRCCOPY) {
  font_->OnChanging = [this](TObject*) {
    if (font_selected_ && dc_) SelectObject(dc_, static_cast<HGDIOBJ>(old_font_));
    font_selected_ = false;
  };
  pen_->OnChanging = [this](TObject*) {
    if (pen_selected_ && dc_) SelectObject(dc_, static_cast<HGDIOBJ>(old_pen_));
    pen_selected_ = false;
  };
  brush_->OnChanging = [this](TObject*) {
    if (brush_selected_ && dc_) SelectObject(dc_, static_cast<HGDIOBJ>(old_brush_));
    brush_selected_ = false;
  };
}

TCanvas::~TCanvas() {
  DeselectAll();
}

HDc TCanvas::Handle() {
  if (!dc_) CreateHandle();
  return dc_;
}

HDc TCanvas::CheckedHandle() {
  HDc dc = Handle();
  if (!dc) throw EInvalidOperation("Canvas does not allow drawing");
  return dc;
}

void TCanvas::SetHandle(HDc Value) {
  if (dc_ == Value) return;
  DeselectAll();
  dc_ = Value;
  old_pen_ = old_brush_ = old_font_ = nullptr;
}

void TCanvas::FreeContext() {
  SetHandle(nullptr);
}

void TCanvas::DeselectAll() {
  if (!dc_) return;
  if (pen_selected_ && old_pen_) SelectObject(dc_, static_cast<HGDIOBJ>(old_pen_));
  if (brush_selected_ && old_brush_) SelectObject(dc_, static_cast<HGDIOBJ>(old_brush_));
  if (font_selected_ && old_font_) SelectObject(dc_, static_cast<HGDIOBJ>(old_font_));
  pen_selected_ = brush_selected_ = font_selected_ = false;
}

void TCanvas::Refresh() {
  DeselectAll();
}

void TCanvas::NeedPen() {
  HDc dc = CheckedHandle();
  if (!pen_selected_) {
    HGDIOBJ old = SelectObject(dc, pen_->Handle());
    if (!old_pen_) old_pen_ = old;
    pen_selected_ = true;
  }
  SetROP2(dc, RopOf(pen_->Mode()));
}

void TCanvas::NeedBrush() {
  HDc dc = CheckedHandle();
  if (!brush_selected_) {
    HBRUSH b = brush_->Handle();
    HGDIOBJ old = SelectObject(dc, b ? static_cast<HGDIOBJ>(b) : GetStockObject(NULL_BRUSH));
    if (!old_brush_) old_brush_ = old;
    brush_selected_ = true;
  }
  SetBkColor(dc, ColorToRGB(brush_->Color()));
  // Only a solid brush paints a background; hatches leave the gaps between their lines.
  SetBkMode(dc, brush_->Style() == TBrushStyle::bsSolid ? OPAQUE : TRANSPARENT);
}

void TCanvas::NeedFont() {
  HDc dc = CheckedHandle();
  if (!font_selected_) {
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    if (!old_font_) old_font_ = old;
    font_selected_ = true;
  }
  SetTextColor(dc, ColorToRGB(font_->Color()));
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
  POINT p{};
  GetCurrentPositionEx(CheckedHandle(), &p);
  return {p.x, p.y};
}

TRect TCanvas::ClipRect() {
  RECT r{};
  GetClipBox(CheckedHandle(), &r);
  return {r.left, r.top, r.right, r.bottom};
}

void TCanvas::MoveTo(int32_t X, int32_t Y) {
  MoveToEx(CheckedHandle(), X, Y, nullptr);
}

void TCanvas::LineTo(int32_t X, int32_t Y) {
  Changing();
  NeedPen();
  NeedBrush();
  ::LineTo(dc_, X, Y);
  Changed();
}

void TCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Changing();
  NeedPen();
  NeedBrush();
  ::Rectangle(dc_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3) {
  Changing();
  NeedPen();
  NeedBrush();
  ::RoundRect(dc_, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Changing();
  NeedPen();
  NeedBrush();
  ::Ellipse(dc_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  NeedPen();
  NeedBrush();
  ::Polygon(dc_, reinterpret_cast<const POINT*>(Points.data()), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  NeedPen();
  NeedBrush();
  ::Polyline(dc_, reinterpret_cast<const POINT*>(Points.data()), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  NeedBrush();
  if (HBRUSH b = brush_->Handle()) ::FillRect(dc_, reinterpret_cast<const RECT*>(&R), b);
  Changed();
}

void TCanvas::PatBlt(const TRect& R, uint32_t Rop) {
  Changing();
  NeedBrush();
  ::PatBlt(dc_, R.Left, R.Top, R.Width(), R.Height(), Rop);
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  NeedBrush();
  if (HBRUSH b = brush_->Handle()) ::FrameRect(dc_, reinterpret_cast<const RECT*>(&R), b);
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  NeedBrush();
  // The system draws the frame with the text and background colours.
  HDC dc = dc_;
  COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
  ::DrawFocusRect(dc, reinterpret_cast<const RECT*>(&R));
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  Changed();
}

void TCanvas::TextOut(int32_t X, int32_t Y, const std::string& Text) {
  Changing();
  NeedFont();
  NeedBrush();
  TextOutA(dc_, X, Y, Text.data(), static_cast<int>(Text.size()));
  MoveToEx(dc_, X + TextWidth(Text), Y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int32_t X, int32_t Y, const std::string& Text) {
  Changing();
  NeedFont();
  NeedBrush();
  UINT options = ETO_CLIPPED;
  if (brush_->Style() != TBrushStyle::bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(dc_, X, Y, options, reinterpret_cast<const RECT*>(&R), Text.data(),
              static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

int32_t TCanvas::DrawText(const std::string& Text, TRect& R, uint32_t Flags) {
  Changing();
  NeedFont();
  NeedBrush();
  int h = DrawTextA(dc_, Text.data(), static_cast<int>(Text.size()), reinterpret_cast<RECT*>(&R),
                    Flags);
  Changed();
  return h;
}

TSize TCanvas::TextExtent(const std::string& Text) {
  NeedFont();
  SIZE s{};
  GetTextExtentPoint32A(dc_, Text.data(), static_cast<int>(Text.size()), &s);
  return {s.cx, s.cy};
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect) {
  if (!Source) return;
  Changing();
  NeedBrush();
  HDC src = Source->CheckedHandle();
  int oldMode = SetStretchBltMode(dc_, COLORONCOLOR);
  StretchBlt(dc_, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, SourceRect.Left,
             SourceRect.Top, SourceRect.Width(), SourceRect.Height(), copy_mode_);
  SetStretchBltMode(dc_, oldMode);
  Changed();
}

void TCanvas::Draw(int32_t X, int32_t Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  CheckedHandle();
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source,
                        TColor TransparentColor) {
  if (!Bitmap || Bitmap->Empty()) return;
  Changing();
  NeedBrush();
  // The brush under the picture, then the picture with that colour left out.
  if (HBRUSH b = brush_->Handle()) ::FillRect(dc_, reinterpret_cast<const RECT*>(&Dest), b);
  TBitmap part(Source.Width(), Source.Height());
  part.Canvas()->CopyRect(Bounds(0, 0, Source.Width(), Source.Height()), Bitmap->Canvas(), Source);
  part.SetTransparentColor(TransparentColor);
  part.SetTransparent(true);
  static_cast<TGraphic&>(part).Draw(this, Dest);
  Changed();
}

TColor TCanvas::Pixel(int32_t X, int32_t Y) {
  COLORREF c = GetPixel(CheckedHandle(), X, Y);
  if (c == CLR_INVALID) return clNone;
  return static_cast<TColor>(c);
}

void TCanvas::SetPixel(int32_t X, int32_t Y, TColor Color) {
  Changing();
  ::SetPixel(CheckedHandle(), X, Y, ColorToRGB(Color));
  Changed();
}

void Frame3D(TCanvas* Canvas, TRect& R, TColor TopColor, TColor BottomColor, int32_t Width) {
  TPen* pen = Canvas->Pen();
  pen->SetWidth(1);
  pen->SetStyle(TPenStyle::psSolid);
  --R.Bottom;
  --R.Right;
  for (int32_t i = 0; i < Width; ++i) {
    pen->SetColor(TopColor);
    Canvas->Polyline({{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}});
    pen->SetColor(BottomColor);
    Canvas->Polyline({{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left - 1, R.Bottom}});
    R = InflateRect(R, -1, -1);
  }
  ++R.Bottom;
  ++R.Right;
}

void PaintMask(TCanvas* Canvas, HBitmap Mask, int32_t X, int32_t Y, int32_t W, int32_t H,
               TColor Color) {
  HDC dst = Canvas->Handle();
  TMemoryDC mdc;
  TSelectedObject mask(mdc.Handle(), Mask);
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
  {
    TSelectedObject selected(dst, brush);
    COLORREF text = SetTextColor(dst, RGB(0, 0, 0));
    COLORREF back = SetBkColor(dst, RGB(255, 255, 255));
    // ((D ^ P) & S) ^ P: the destination where the mask is white, the brush where black.
    BitBlt(dst, X, Y, W, H, mdc.Handle(), 0, 0, 0x00B8074A);
    SetTextColor(dst, text);
    SetBkColor(dst, back);
  }
  DeleteObject(brush);
}

// ---------------------------------------------------------------------------------------
// TGraphic, TBitmap
// ---------------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

// The canvas of a bitmap: a memory context with the image selected while it is in use.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* Owner) : owner_(Owner) {}
  ~TBitmapCanvas() override { Release(); }

  void Release() {
    if (!mem_dc_) return;
    FreeContext();
    image_.reset();
    mem_dc_.reset();
  }

 protected:
  void CreateHandle() override {
    mem_dc_.emplace();
    image_.emplace(mem_dc_->Handle(), owner_->handle_);
    SetHandle(mem_dc_->Handle());
  }
  void Changing() override {
    owner_->ImageChanging();
    TCanvas::Changing();
  }

 private:
  TBitmap* owner_;
  // The image is deselected before its context goes (the order of release).
  std::optional<TMemoryDC> mem_dc_;
  std::optional<TSelectedObject> image_;
};

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int32_t Width, int32_t Height, TPixelFormat Format) : format_(Format) {
  SetSize(Width, Height);
}

TBitmap::~TBitmap() {
  canvas_.reset();
  FreeImage();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(this);
  return canvas_.get();
}

void TBitmap::DetachFromCanvas() {
  if (canvas_) static_cast<TBitmapCanvas*>(canvas_.get())->Release();
}

void TBitmap::FreeMask() {
  if (mask_) DeleteObject(mask_);
  mask_ = nullptr;
}

void TBitmap::FreeImage() {
  DetachFromCanvas();
  FreeMask();
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
  bits_ = nullptr;
  stride_ = 0;
}

void TBitmap::ImageChanging() {
  FreeMask();
}

HBitmap TBitmap::Handle() {
  DetachFromCanvas();
  return handle_;
}

void TBitmap::AdoptImage(HBitmap Image) {
  FreeImage();
  handle_ = Image;
  width_ = height_ = 0;
  if (!Image) return;
  DIBSECTION ds{};
  int got = GetObjectA(Image, sizeof ds, &ds);
  if (got == sizeof(DIBSECTION) && ds.dsBm.bmBits) {
    width_ = ds.dsBm.bmWidth;
    height_ = ds.dsBm.bmHeight;
    switch (ds.dsBm.bmBitsPixel) {
      case 1:
        format_ = TPixelFormat::pf1bit;
        break;
      case 24:
        format_ = TPixelFormat::pf24bit;
        break;
      case 32:
        format_ = TPixelFormat::pf32bit;
        break;
      default:
        format_ = TPixelFormat::pfDevice;
        break;
    }
    // Only top-down sections of 24 or 32 bits give rows by ScanLine.
    if ((format_ == TPixelFormat::pf24bit || format_ == TPixelFormat::pf32bit) &&
        ds.dsBmih.biHeight < 0) {
      bits_ = static_cast<uint8_t*>(ds.dsBm.bmBits);
      stride_ = ds.dsBm.bmWidthBytes;
    } else if (format_ != TPixelFormat::pf1bit) {
      format_ = TPixelFormat::pfDevice;
    }
  } else {
    BITMAP bm{};
    GetObjectA(Image, sizeof bm, &bm);
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
    format_ = bm.bmBitsPixel == 1 ? TPixelFormat::pf1bit : TPixelFormat::pfDevice;
  }
}

void TBitmap::NewImage(int32_t W, int32_t H, TPixelFormat F) {
  FreeImage();
  width_ = std::max(W, 0);
  height_ = std::max(H, 0);
  format_ = F;
  if (width_ == 0 || height_ == 0) return;
  switch (F) {
    case TPixelFormat::pfDevice: {
      TScreenDC screen;
      handle_ = CreateCompatibleBitmap(screen.Handle(), width_, height_);
      break;
    }
    case TPixelFormat::pf1bit:
      handle_ = CreateBitmap(width_, height_, 1, 1, nullptr);
      break;
    case TPixelFormat::pf24bit:
    case TPixelFormat::pf32bit: {
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      bi.bmiHeader.biWidth = width_;
      bi.bmiHeader.biHeight = -height_;  // top-down rows
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = F == TPixelFormat::pf24bit ? 24 : 32;
      bi.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      handle_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      bits_ = static_cast<uint8_t*>(bits);
      stride_ = ((width_ * bi.bmiHeader.biBitCount + 31) / 32) * 4;
      break;
    }
  }
  if (!handle_) {
    width_ = height_ = 0;
    throw EOutOfMemory("Out of system resources");
  }
  TMemoryDC dc;
  TSelectedObject image(dc.Handle(), handle_);
  PatBlt(dc.Handle(), 0, 0, width_, height_, WHITENESS);
}

void TBitmap::SetSize(int32_t NewWidth, int32_t NewHeight) {
  NewWidth = std::max(NewWidth, 0);
  NewHeight = std::max(NewHeight, 0);
  if (NewWidth == width_ && NewHeight == height_ && (handle_ || NewWidth == 0 || NewHeight == 0))
    return;
  TBitmap old;
  old.width_ = width_;
  old.height_ = height_;
  old.handle_ = ReleaseHandle();
  NewImage(NewWidth, NewHeight, format_);
  if (old.handle_ && handle_) {
    Canvas()->CopyRect(Bounds(0, 0, std::min(width_, old.width_), std::min(height_, old.height_)),
                       old.Canvas(),
                       Bounds(0, 0, std::min(width_, old.width_), std::min(height_, old.height_)));
  }
  Changed();
}

void TBitmap::SetHandle(HBitmap Value) {
  AdoptImage(Value);
  Changed();
}

HBitmap TBitmap::ReleaseHandle() {
  DetachFromCanvas();
  FreeMask();
  HBitmap h = handle_;
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  return h;
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (format_ == Value) return;
  if (!handle_) {
    format_ = Value;
    return;
  }
  TBitmap copy;
  copy.Assign(this);
  NewImage(copy.width_, copy.height_, Value);
  Canvas()->CopyRect(Bounds(0, 0, width_, height_), copy.Canvas(), Bounds(0, 0, width_, height_));
  Changed();
}

void TBitmap::SetMonochrome(bool Value) {
  SetPixelFormat(Value ? TPixelFormat::pf1bit : TPixelFormat::pfDevice);
}

TColor TBitmap::TransparentColor() {
  if (transparent_mode_ == TTransparentMode::tmFixed) return transparent_color_;
  if (Empty()) return clDefault;
  return Canvas()->Pixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  transparent_color_ = Value;
  transparent_mode_ = Value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
  FreeMask();
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (transparent_mode_ == Value) return;
  transparent_mode_ = Value;
  FreeMask();
  Changed();
}

HBitmap TBitmap::MaskHandle() {
  if (!mask_ && handle_) {
    TColor t = ColorToRGB(TransparentColor());
    mask_ = CreateBitmap(width_, height_, 1, 1, nullptr);
    HDC src = Canvas()->Handle();
    TMemoryDC mdc;
    TSelectedObject mask(mdc.Handle(), mask_);
    // Colour to monochrome: the pixels of the source's background colour become 1.
    COLORREF back = SetBkColor(src, static_cast<COLORREF>(t));
    BitBlt(mdc.Handle(), 0, 0, width_, height_, src, 0, 0, SRCCOPY);
    SetBkColor(src, back);
  }
  return mask_;
}

uint8_t* TBitmap::ScanLine(int32_t Row) {
  if (!bits_ || Row < 0 || Row >= height_) return nullptr;
  GdiFlush();
  FreeMask();
  return bits_ + static_cast<size_t>(Row) * static_cast<size_t>(stride_);
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    FreeImage();
    width_ = height_ = 0;
    Changed();
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b == this) return;
    NewImage(b->width_, b->height_, b->format_);
    if (handle_ && b->handle_) {
      Canvas()->CopyRect(Bounds(0, 0, width_, height_), b->Canvas(), Bounds(0, 0, width_, height_));
    }
    transparent_color_ = b->transparent_color_;
    transparent_mode_ = b->transparent_mode_;
    TGraphic::SetTransparent(b->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::LoadFromResourceName(HInst Instance, const std::string& Name) {
  HANDLE h = LoadImageA(Instance, Name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!h) throw EResNotFound("Resource " + Name + " not found");
  SetHandle(static_cast<HBITMAP>(h));
}

void TBitmap::LoadFromResourceID(HInst Instance, int32_t Id) {
  HANDLE h = LoadImageA(Instance, MAKEINTRESOURCEA(Id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!h) throw EResNotFound("Resource " + std::to_string(Id) + " not found");
  SetHandle(static_cast<HBITMAP>(h));
}

void TBitmap::LoadFromFile(const std::string& FileName) {
  HANDLE h = LoadImageA(nullptr, FileName.c_str(), IMAGE_BITMAP, 0, 0,
                        LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (!h) throw EInOutError("Cannot read the bitmap " + FileName, static_cast<int>(GetLastError()));
  SetHandle(static_cast<HBITMAP>(h));
}

std::vector<uint8_t> TBitmap::DibBytes() {
  std::vector<uint8_t> out = NewDib24(width_, height_);
  if (handle_) {
    BITMAPINFO bi{};
    std::memcpy(&bi.bmiHeader, &out[kDibFileHeaderSize], kDibInfoHeaderSize);
    HBITMAP h = Handle();
    TMemoryDC dc;
    GetDIBits(dc.Handle(), h, 0, static_cast<UINT>(height_),
              &out[kDibFileHeaderSize + kDibInfoHeaderSize], &bi, DIB_RGB_COLORS);
  }
  return out;
}

void TBitmap::SaveToFile(const std::string& FileName) {
  const std::vector<uint8_t> bytes = DibBytes();
  std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw EInOutError("Cannot write the bitmap " + FileName);
}

void TBitmap::SaveToStream(TStream* Stream) {
  const std::vector<uint8_t> bytes = DibBytes();
  Stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TBitmap::LoadFromStream(TStream* Stream) {
  const int64_t left = Stream->Size() - Stream->Position();
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(left, 0)));
  Stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  const TDibLayout d = CheckDib(bytes.data(), bytes.size());
  NewImage(d.Width, d.Height, d.BitCount == 1 ? TPixelFormat::pf1bit : TPixelFormat::pf24bit);
  {
    HBITMAP h = Handle();
    TMemoryDC dc;
    SetDIBits(dc.Handle(), h, 0, static_cast<UINT>(d.Height), &bytes[d.BitsOffset],
              reinterpret_cast<const BITMAPINFO*>(&bytes[d.InfoOffset]), DIB_RGB_COLORS);
  }
  Changed();
}

void TBitmap::DefineProperties(TFiler* Filer) {
  TGraphic::DefineProperties(Filer);
  DefineBitmapProperty(Filer, "Data", this);
}

void DefineBitmapProperty(TFiler* Filer, const std::string& Name, TBitmap* Bitmap) {
  Filer->DefineBinaryProperty(
      Name, [Bitmap](TStream* Stream) { Bitmap->LoadFromStream(Stream); },
      [Bitmap](TStream* Stream) { Bitmap->SaveToStream(Stream); }, !Bitmap->Empty());
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!handle_) return;
  HDC src = Canvas()->Handle();
  HDC dst = ACanvas->Handle();
  int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
  COLORREF text = SetTextColor(dst, RGB(0, 0, 0));
  COLORREF back = SetBkColor(dst, RGB(255, 255, 255));
  if (Transparent()) {
    HBITMAP mask = MaskHandle();
    TMemoryDC mdc;
    TSelectedObject selected(mdc.Handle(), mask);
    // dest ^= image; dest &= mask (transparent pixels keep it, others go black);
    // dest ^= image: the transparent pixels get the old dest back, the others the image.
    StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_,
               SRCINVERT);
    StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), mdc.Handle(), 0, 0, width_,
               height_, SRCAND);
    StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_,
               SRCINVERT);
  } else {
    StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, width_, height_,
               ACanvas->CopyMode());
  }
  SetTextColor(dst, text);
  SetBkColor(dst, back);
  SetStretchBltMode(dst, oldMode);
}

// ---------------------------------------------------------------------------------------
// TIcon, TPicture
// ---------------------------------------------------------------------------------------

TIcon::~TIcon() {
  if (handle_) DestroyIcon(handle_);
}

void TIcon::SetHandle(HIcon Value) {
  if (handle_ && handle_ != Value) DestroyIcon(handle_);
  handle_ = Value;
  width_ = height_ = 0;
  if (handle_) {
    ICONINFO ii{};
    if (GetIconInfo(handle_, &ii)) {
      BITMAP bm{};
      if (ii.hbmColor) {
        GetObjectA(ii.hbmColor, sizeof bm, &bm);
        width_ = bm.bmWidth;
        height_ = bm.bmHeight;
      } else if (ii.hbmMask) {
        // A monochrome icon keeps its image and mask one above the other.
        GetObjectA(ii.hbmMask, sizeof bm, &bm);
        width_ = bm.bmWidth;
        height_ = bm.bmHeight / 2;
      }
      if (ii.hbmColor) DeleteObject(ii.hbmColor);
      if (ii.hbmMask) DeleteObject(ii.hbmMask);
    }
  }
  Changed();
}

HIcon TIcon::ReleaseHandle() {
  HIcon h = handle_;
  handle_ = nullptr;
  width_ = height_ = 0;
  return h;
}

void TIcon::Assign(TPersistent* Source) {
  if (auto* i = dynamic_cast<TIcon*>(Source)) {
    if (i == this) return;
    SetHandle(i->handle_ ? CopyIcon(i->handle_) : nullptr);
    return;
  }
  TGraphic::Assign(Source);
}

void TIcon::LoadFromResourceName(HInst Instance, const std::string& Name) {
  HANDLE h = LoadImageA(Instance, Name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
  if (!h) throw EResNotFound("Resource " + Name + " not found");
  SetHandle(static_cast<HICON>(h));
}

void TIcon::LoadFromResourceID(HInst Instance, int32_t Id) {
  HANDLE h = LoadImageA(Instance, MAKEINTRESOURCEA(Id), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
  if (!h) throw EResNotFound("Resource " + std::to_string(Id) + " not found");
  SetHandle(static_cast<HICON>(h));
}

void TIcon::LoadFromFile(const std::string& FileName) {
  HANDLE h =
      LoadImageA(nullptr, FileName.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
  if (!h) throw EInOutError("Cannot read the icon " + FileName, static_cast<int>(GetLastError()));
  SetHandle(static_cast<HICON>(h));
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!handle_) return;
  DrawIconEx(ACanvas->Handle(), Rect.Left, Rect.Top, handle_, Rect.Width(), Rect.Height(), 0,
             nullptr, DI_NORMAL);
}

TPicture::~TPicture() = default;

void TPicture::Attach(std::unique_ptr<TGraphic> G) {
  graphic_ = std::move(G);
  if (graphic_) {
    graphic_->OnChange = [this](TObject*) {
      if (OnChange) OnChange(this);
    };
  }
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (!Value) {
    Attach(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy;
  if (dynamic_cast<TIcon*>(Value))
    copy = std::make_unique<TIcon>();
  else
    copy = std::make_unique<TBitmap>();
  copy->Assign(Value);
  Attach(std::move(copy));
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    if (p != this) SetGraphic(p->Graphic());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(Source);
}

TBitmap* TPicture::Bitmap() {
  auto* b = dynamic_cast<TBitmap*>(graphic_.get());
  if (!b) {
    Attach(std::make_unique<TBitmap>());
    b = static_cast<TBitmap*>(graphic_.get());
  }
  return b;
}

void TPicture::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get());
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* Stream) { Bitmap()->LoadFromStream(Stream); },
      [bitmap](TStream* Stream) { bitmap->SaveToStream(Stream); }, bitmap && !bitmap->Empty());
}

TIcon* TPicture::Icon() {
  auto* i = dynamic_cast<TIcon*>(graphic_.get());
  if (!i) {
    Attach(std::make_unique<TIcon>());
    i = static_cast<TIcon*>(graphic_.get());
  }
  return i;
}

int32_t FontHeight(HFont Font) {
  TScreenDC screen;
  TSelectedObject sel(screen.Handle(), Font);
  TEXTMETRICA tm{};
  GetTextMetricsA(static_cast<HDC>(screen.Handle()), &tm);
  return tm.tmHeight;
}

}  // namespace tess
