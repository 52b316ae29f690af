// Painting: fonts, pens and brushes whose system objects are made on first use, the
// canvas that draws with them on a device context, and the graphics (bitmaps, icons,
// pictures) that a canvas can draw.
//
// Invariants: a graphics object owns its system object and makes it lazily; any change
// of an attribute first tells its canvas (OnChanging, so the canvas deselects the old
// object), then deletes the old object, then fires OnChange.  A canvas selects its pen,
// brush and font into the device context only before an operation that uses them and
// gives the context back with its original objects selected.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/win/wintypes.h"

namespace tess {

class TCanvas;
class TBitmap;
class TFiler;
class TStream;

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TEnumSet<TFontStyle>;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// The binary raster operations the pen draws with (the canvas maps each to the system's
// R2_ code).
enum class TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
enum class TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

// ---------------------------------------------------------------------------------------

class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;
  // Fired before the system object is deleted after a change (a canvas that has it
  // selected deselects it).
  TNotifyEvent OnChanging;

 protected:
  // Runs OnChanging, DestroyHandle, OnChange.
  void Changed();
  virtual void DestroyHandle() = 0;
};

// A font.  Size is in points, Height in pixels (negative: the character height, as
// the system understands it).  Escapement turns the text (tenths of a degree,
// counter-clockwise); the characters turn with it.
class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;

  HFont Handle();
  // Takes over the attributes of Value; Value itself stays the caller's.
  void SetHandle(HFont Value);

  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value);
  int32_t Size() const;
  void SetSize(int32_t Value);
  int32_t Height() const { return height_; }
  void SetHeight(int32_t Value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch Value);
  uint8_t CharSet() const { return charset_; }
  void SetCharSet(uint8_t Value);
  int32_t Escapement() const { return escapement_; }
  void SetEscapement(int32_t Value);
  // OUT_..._PRECIS and ..._QUALITY values of the system (0: default).
  uint8_t OutPrecision() const { return out_precision_; }
  void SetOutPrecision(uint8_t Value);
  uint8_t Quality() const { return quality_; }
  void SetQuality(uint8_t Value);
  // The resolution Size is converted with (the screen's, unless set).
  int32_t PixelsPerInch() const { return ppi_; }
  void SetPixelsPerInch(int32_t Value);

 protected:
  void DestroyHandle() override;

 private:
  HFont handle_ = nullptr;
  TColor color_ = clWindowText;
  std::string name_;
  int32_t height_ = 0;
  TFontStyles style_;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  uint8_t charset_ = 1;  // DEFAULT_CHARSET
  int32_t escapement_ = 0;
  uint8_t out_precision_ = 0;
  uint8_t quality_ = 0;
  int32_t ppi_ = 96;
};

// The height of a character cell of Font on the screen (its text metrics' height).
int32_t FontHeight(HFont Font);

class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  ~TPen() override;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;
  HPen Handle();

  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  int32_t Width() const { return width_; }
  void SetWidth(int32_t Value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle Value);
  // The mode is not part of the system pen; the canvas applies it when drawing.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode Value);

 protected:
  void DestroyHandle() override;

 private:
  HPen handle_ = nullptr;
  TColor color_ = clBlack;
  int32_t width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
  TPenMode mode_ = TPenMode::pmCopy;
};

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  ~TBrush() override;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;
  // Null for bsClear.
  HBrush Handle();

  TColor Color() const { return color_; }
  // Setting a colour while the style is bsClear makes the brush solid again.
  void SetColor(TColor Value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle Value);
  // A pattern brush from a copy of Value (null: back to a solid brush).
  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(TBitmap* Value);

 protected:
  void DestroyHandle() override;

 private:
  HBrush handle_ = nullptr;
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  std::unique_ptr<TBitmap> bitmap_;
};

// ---------------------------------------------------------------------------------------
// Graphics that a canvas can draw
// ---------------------------------------------------------------------------------------

class TGraphic : public TPersistent {
 public:
  virtual bool Empty() const = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual void SetWidth(int32_t Value) = 0;
  virtual void SetHeight(int32_t Value) = 0;
  virtual void LoadFromFile(const std::string& FileName) = 0;
  // Transparent graphics leave their transparent parts of the canvas untouched.
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  void Changed();

 private:
  bool transparent_ = false;
};

// Device-dependent (compatible with the screen) or a DIB section of a fixed depth.
enum class TPixelFormat { pfDevice, pf1bit, pf24bit, pf32bit };
// tmAuto: the transparent colour is the colour of the bottom-left pixel.
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int32_t Width, int32_t Height, TPixelFormat Format = TPixelFormat::pfDevice);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  // A deep copy of another bitmap's image, size, format and transparency.
  void Assign(TPersistent* Source) override;

  // The canvas drawing on the image (the image is selected into a memory context).
  TCanvas* Canvas();
  // The image; it is first taken out of the canvas's context, so the caller may select
  // it elsewhere.  Null while empty.
  HBitmap Handle();
  // Takes ownership of Value (null empties the bitmap).
  void SetHandle(HBitmap Value);
  // Gives up ownership of the image.
  HBitmap ReleaseHandle();
  // A monochrome mask, 1 where the image has the transparent colour; owned by the
  // bitmap and remade after any change.
  HBitmap MaskHandle();

  bool Empty() const override { return handle_ == nullptr; }
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void SetWidth(int32_t Value) override { SetSize(Value, height_); }
  void SetHeight(int32_t Value) override { SetSize(width_, Value); }
  // Keeps the part of the old image that fits; new parts are white.
  void SetSize(int32_t NewWidth, int32_t NewHeight);

  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() const { return format_ == TPixelFormat::pf1bit; }
  void SetMonochrome(bool Value);

  TColor TransparentColor();
  // Also switches the mode to tmFixed.
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return transparent_mode_; }
  void SetTransparentMode(TTransparentMode Value);

  // First byte of a row of a 24- or 32-bit bitmap (rows top-down, BGR(A) bytes); null
  // for other formats.
  uint8_t* ScanLine(int32_t Row);

  // Raise EResNotFound (an Exception) when the resource is missing.
  void LoadFromResourceName(HInst Instance, const std::string& Name);
  void LoadFromResourceID(HInst Instance, int32_t Id);
  // A .bmp file; raises EInOutError when it cannot be read.
  void LoadFromFile(const std::string& FileName) override;
  // Writes a 24-bit .bmp file.
  void SaveToFile(const std::string& FileName);
  // A .bmp image from Stream's position to its end: 1-bit images stay monochrome, the
  // others become 24-bit.  Raises EReadError when the bytes are no such image.
  void LoadFromStream(TStream* Stream);
  // Writes the image as SaveToFile does, at Stream's position.
  void SaveToStream(TStream* Stream);

  // Streams the image as its "Data" property, so that a component publishing a bitmap
  // as a sub-object stores it as "Name.Data".
  void DefineProperties(TFiler* Filer) override;

  // Called by the canvas before it draws on the image.
  void ImageChanging();

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  friend class TBitmapCanvas;
  void NewImage(int32_t W, int32_t H, TPixelFormat F);
  void FreeImage();
  void FreeMask();
  void DetachFromCanvas();
  void AdoptImage(HBitmap Image);
  // The image as a bottom-up 24-bit .bmp.
  std::vector<uint8_t> DibBytes();

  HBitmap handle_ = nullptr;
  HBitmap mask_ = nullptr;
  uint8_t* bits_ = nullptr;
  int32_t stride_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  TPixelFormat format_ = TPixelFormat::pfDevice;
  TColor transparent_color_ = clDefault;
  TTransparentMode transparent_mode_ = TTransparentMode::tmAuto;
  std::unique_ptr<TCanvas> canvas_;
};

// Stores a bitmap in a component stream as one binary property holding a .bmp image;
// nothing is written while the bitmap is empty, and reading replaces its image.  For a
// component's DefineProperties, and used by TBitmap itself.
void DefineBitmapProperty(TFiler* Filer, const std::string& Name, TBitmap* Bitmap);

class TIcon : public TGraphic {
 public:
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  void Assign(TPersistent* Source) override;
  HIcon Handle() const { return handle_; }
  // Takes ownership of Value.
  void SetHandle(HIcon Value);
  HIcon ReleaseHandle();

  bool Empty() const override { return handle_ == nullptr; }
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  // An icon's size comes from its image; setting it is ignored.
  void SetWidth(int32_t) override {}
  void SetHeight(int32_t) override {}

  void LoadFromResourceName(HInst Instance, const std::string& Name);
  void LoadFromResourceID(HInst Instance, int32_t Id);
  void LoadFromFile(const std::string& FileName) override;

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  HIcon handle_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// A bitmap or an icon, whichever was last given.
class TPicture : public TPersistent {
 public:
  TPicture() = default;
  ~TPicture() override;

  void Assign(TPersistent* Source) override;
  TGraphic* Graphic() const { return graphic_.get(); }
  // Copies Value (null clears the picture).
  void SetGraphic(TGraphic* Value);
  // The picture as a bitmap; a picture holding something else is replaced by an empty
  // bitmap.
  TBitmap* Bitmap();
  TIcon* Icon();
  int32_t Width() const { return graphic_ ? graphic_->Width() : 0; }
  int32_t Height() const { return graphic_ ? graphic_->Height() : 0; }
  bool Empty() const { return !graphic_ || graphic_->Empty(); }

  // A bitmap is stored as the picture's "Data", in the bitmap's own form; reading it
  // makes the picture a bitmap.  Icons come from resources and are not stored.
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnChange;

 private:
  void Attach(std::unique_ptr<TGraphic> G);
  std::unique_ptr<TGraphic> graphic_;
};

class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};

class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// ---------------------------------------------------------------------------------------
// The canvas
// ---------------------------------------------------------------------------------------

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The device context; a canvas that can make one (a control's, a bitmap's) makes it
  // here when it has none.
  HDc Handle();
  // Draws on a context the caller owns; null detaches (the context gets its original
  // objects back).
  void SetHandle(HDc Value);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont* Font() const { return font_.get(); }
  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  void SetPen(TPen* Value) { pen_->Assign(Value); }
  void SetBrush(TBrush* Value) { brush_->Assign(Value); }

  // The raster operation of CopyRect and Draw (SRCCOPY by default).
  uint32_t CopyMode() const { return copy_mode_; }
  void SetCopyMode(uint32_t Value) { copy_mode_ = Value; }
  TPoint PenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  // The clipping box of the context (what needs painting).
  TRect ClipRect();

  virtual void MoveTo(int32_t X, int32_t Y);
  virtual void LineTo(int32_t X, int32_t Y);
  // Outlined with the pen, filled with the brush.
  virtual void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  virtual void RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3);
  virtual void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  virtual void Polygon(const std::vector<TPoint>& Points);
  virtual void Polyline(const std::vector<TPoint>& Points);
  // With the brush only; the pen is not used.
  virtual void FillRect(const TRect& R);
  // A one-pixel frame in the brush's colour.
  virtual void FrameRect(const TRect& R);
  // The dotted focus frame (drawn by XOR: a second call removes it).
  virtual void DrawFocusRect(const TRect& R);
  // Paints R with the brush through a raster operation of the system (PATCOPY,
  // PATINVERT, DSTINVERT...); PATINVERT twice leaves the pixels as they were.
  virtual void PatBlt(const TRect& R, uint32_t Rop);
  // Text in the font's colour; on the brush's colour when the brush is solid.
  virtual void TextOut(int32_t X, int32_t Y, const std::string& Text);
  // Text clipped to R, the background of R filled unless the brush is bsClear.
  virtual void TextRect(const TRect& R, int32_t X, int32_t Y, const std::string& Text);
  // The system's formatted text drawing; Flags are its DT_ flags.  With DT_CALCRECT, R
  // receives the size the text needs.  Returns the height of the text.
  virtual int32_t DrawText(const std::string& Text, TRect& R, uint32_t Flags);
  virtual TSize TextExtent(const std::string& Text);
  int32_t TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int32_t TextHeight(const std::string& Text) { return TextExtent(Text).cy; }
  // Copies SourceRect of Source into Dest (stretching when the sizes differ) with
  // CopyMode.
  virtual void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect);
  // Draws a graphic at its own size; transparent graphics keep the canvas where they
  // are transparent.
  virtual void Draw(int32_t X, int32_t Y, TGraphic* Graphic);
  virtual void StretchDraw(const TRect& R, TGraphic* Graphic);
  // Copies Source of Bitmap into Dest, the pixels of TransparentColor replaced by the
  // brush.
  virtual void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source,
                         TColor TransparentColor);
  virtual TColor Pixel(int32_t X, int32_t Y);
  virtual void SetPixel(int32_t X, int32_t Y, TColor Color);

  // Deselects the canvas's objects; the next operation selects them again.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Makes a context when the canvas has none (the base makes none: drawing without a
  // context raises EInvalidOperation "Canvas does not allow drawing").
  virtual void CreateHandle() {}
  // Gives the context up: the canvas's objects are deselected first.
  void FreeContext();
  // Selects what the next operation needs.
  void NeedPen();
  void NeedBrush();
  void NeedFont();
  HDc CheckedHandle();
  virtual void Changing();
  virtual void Changed();

 private:
  void DeselectAll();

  HDc dc_ = nullptr;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  uint32_t copy_mode_;
  bool pen_selected_ = false;
  bool brush_selected_ = false;
  bool font_selected_ = false;
  void* old_pen_ = nullptr;
  void* old_brush_ = nullptr;
  void* old_font_ = nullptr;
};

// Draws a bevel of Width rings inside R: TopColor on the top and left edges,
// BottomColor on the bottom and right.  R shrinks by Width on every side.
void Frame3D(TCanvas* Canvas, TRect& R, TColor TopColor, TColor BottomColor, int32_t Width);

// Paints Color wherever the monochrome Mask is 0 (the opaque pixels of the image the
// mask was made from) with the mask's top-left at (X, Y), leaving the rest: shadows and
// embossed looks of glyphs.
void PaintMask(TCanvas* Canvas, HBitmap Mask, int32_t X, int32_t Y, int32_t W, int32_t H,
               TColor Color);

// The screen's pixels per logical inch (vertical).
int32_t ScreenPixelsPerInch();

}  // namespace tess
