// Painting: canvas operations drawn into memory bitmaps and read back by pixel, fonts
// (turned text among them), bitmaps and their transparency, the program's bitmaps from
// its resources, and controls painted into a recording canvas.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "framework/core/filer.h"
#include "framework/win/extctrls.h"
#include "framework/win/recordcanvas.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

// The bounding box of the pixels of one colour (empty when there are none).
TRect BoxOf(TCanvas* C, int W, int H, TColor Color) {
  TRect box{W, H, 0, 0};
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (C->Pixel(x, y) == Color) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box.IsEmpty() ? TRect{} : box;
}

int CountOf(TCanvas* C, const TRect& R, TColor Color) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      if (C->Pixel(x, y) == Color) ++n;
  return n;
}

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bmp = std::make_unique<TBitmap>(100, 60, TPixelFormat::pf24bit);
    c = bmp->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 100, 60));
  }
  std::unique_ptr<TBitmap> bmp;
  TCanvas* c = nullptr;
};

TEST_F(CanvasTest, ShapesUseThePenForOutlinesAndTheBrushForInsides) {
  c->Pen()->SetColor(clBlue);
  c->Brush()->SetColor(clRed);
  c->Rectangle(10, 10, 30, 30);
  EXPECT_EQ(c->Pixel(10, 10), clBlue);
  EXPECT_EQ(c->Pixel(29, 20), clBlue);
  EXPECT_EQ(c->Pixel(20, 20), clRed);
  EXPECT_EQ(c->Pixel(30, 30), clWhite) << "the right and bottom edges are outside";

  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Rectangle(40, 10, 60, 30);
  EXPECT_EQ(c->Pixel(50, 20), clWhite) << "a clear brush leaves the inside alone";
  EXPECT_EQ(c->Pixel(40, 20), clBlue);

  c->Brush()->SetColor(clLime);
  c->Polygon({{70, 10}, {90, 10}, {80, 30}});
  EXPECT_EQ(c->Pixel(80, 14), clLime);
  EXPECT_EQ(c->Pixel(71, 28), clWhite);

  c->Pen()->SetColor(clBlack);
  c->MoveTo(0, 50);
  c->LineTo(99, 50);
  EXPECT_EQ(c->PenPos(), Point(99, 50));
  EXPECT_EQ(c->Pixel(50, 50), clBlack);
  EXPECT_EQ(c->Pixel(99, 50), clWhite) << "a line stops before its end point";

  c->Brush()->SetColor(clNavy);
  c->FrameRect(Rect(0, 35, 20, 45));
  EXPECT_EQ(c->Pixel(0, 40), clNavy);
  EXPECT_EQ(c->Pixel(10, 40), clWhite);
}

TEST_F(CanvasTest, XorDrawingTwiceRestoresThePicture) {
  c->Brush()->SetColor(clTeal);
  c->FillRect(Rect(0, 0, 50, 60));
  c->Pen()->SetMode(TPenMode::pmXor);
  c->Pen()->SetColor(clWhite);
  c->Pen()->SetStyle(TPenStyle::psDot);
  c->MoveTo(0, 20);
  c->LineTo(100, 20);
  EXPECT_NE(c->Pixel(10, 20), clTeal);
  c->MoveTo(0, 20);
  c->LineTo(100, 20);
  EXPECT_EQ(c->Pixel(10, 20), clTeal);
  EXPECT_EQ(c->Pixel(60, 20), clWhite);

  c->DrawFocusRect(Rect(5, 5, 45, 45));
  int changed = CountOf(c, Rect(0, 0, 50, 60), clTeal);
  c->DrawFocusRect(Rect(5, 5, 45, 45));
  EXPECT_LT(changed, 50 * 60);
  EXPECT_EQ(CountOf(c, Rect(0, 0, 50, 60), clTeal), 50 * 60);
}

TEST_F(CanvasTest, TextIsDrawnInTheFontColourInsideItsExtent) {
  c->Font()->SetName("Courier New");
  c->Font()->SetSize(14);
  c->Font()->SetColor(clRed);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  TSize size = c->TextExtent("WM");
  EXPECT_GT(size.cx, 10);
  EXPECT_GT(size.cy, 10);
  EXPECT_EQ(c->TextWidth("WMWM"), 2 * size.cx) << "a fixed-pitch font";
  c->TextOut(5, 5, "WM");
  TRect box = BoxOf(c, 100, 60, clRed);
  ASSERT_FALSE(box.IsEmpty());
  EXPECT_GE(box.Left, 5);
  EXPECT_LE(box.Right, 5 + size.cx + 1);
  EXPECT_LE(box.Bottom, 5 + size.cy);
  EXPECT_EQ(c->Pixel(3, 3), clWhite) << "a clear brush leaves the background";

  // An opaque brush paints the text's cell.
  c->Brush()->SetColor(clYellow);
  c->TextOut(5, 35, "i");
  EXPECT_GT(CountOf(c, Bounds(5, 35, c->TextWidth("i"), c->TextHeight("i")), clYellow), 0);

  // TextRect clips to its rectangle.
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetColor(clBlue);
  c->TextRect(Rect(60, 5, 70, 40), 60, 5, "WWWWWW");
  TRect clipped = BoxOf(c, 100, 60, clBlue);
  EXPECT_GE(clipped.Left, 60);
  EXPECT_LE(clipped.Right, 70);
}

TEST_F(CanvasTest, DrawTextMeasuresAndAligns) {
  c->Font()->SetName("Arial");
  c->Font()->SetSize(10);
  TRect calc{0, 0, 0, 0};
  int h = c->DrawText("Hello", calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.Width(), c->TextWidth("Hello"));
  EXPECT_EQ(h, calc.Height());
  c->Font()->SetColor(clRed);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  TRect r = Rect(0, 0, 100, 30);
  c->DrawText("Hi", r, DT_SINGLELINE | DT_RIGHT | DT_VCENTER);
  TRect box = BoxOf(c, 100, 60, clRed);
  EXPECT_GT(box.Left, 80) << "right-aligned";
  EXPECT_GT(box.Top, 5);
}

TEST_F(CanvasTest, ATurnedFontWritesUpwards) {
  c->Font()->SetName("Arial");
  c->Font()->SetSize(12);
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextOut(5, 5, "TTTT");
  TRect flat = BoxOf(c, 100, 60, clBlack);
  ASSERT_FALSE(flat.IsEmpty());
  EXPECT_GT(flat.Width(), flat.Height());

  TBitmap tall(60, 100, TPixelFormat::pf24bit);
  TCanvas* t = tall.Canvas();
  t->Brush()->SetColor(clWhite);
  t->FillRect(Rect(0, 0, 60, 100));
  t->Font()->Assign(c->Font());
  t->Font()->SetEscapement(900);
  t->Brush()->SetStyle(TBrushStyle::bsClear);
  // Turned by 90 degrees the text runs up from its origin.
  t->TextOut(10, 90, "TTTT");
  TRect up = BoxOf(t, 60, 100, clBlack);
  ASSERT_FALSE(up.IsEmpty());
  EXPECT_GT(up.Height(), up.Width());
  EXPECT_LE(up.Bottom, 91);
  EXPECT_NEAR(up.Height(), flat.Width(), 3);
}

TEST_F(CanvasTest, ClipRectHatchesAndWidePens) {
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 100, 60));
  IntersectClipRect(c->Handle(), 10, 10, 20, 20);
  EXPECT_EQ(c->ClipRect(), Rect(10, 10, 20, 20));
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(0, 0, 100, 60));
  EXPECT_EQ(c->Pixel(15, 15), clRed);
  EXPECT_EQ(c->Pixel(5, 5), clWhite) << "clipped";
  SelectClipRgn(c->Handle(), nullptr);

  // A hatched brush leaves the background colour between its lines.
  c->Brush()->SetColor(clBlack);
  c->Brush()->SetStyle(TBrushStyle::bsCross);
  c->FillRect(Rect(30, 0, 60, 30));
  int black = CountOf(c, Rect(30, 0, 60, 30), clBlack);
  EXPECT_GT(black, 0);
  EXPECT_EQ(black + CountOf(c, Rect(30, 0, 60, 30), clWhite), 30 * 30);
  EXPECT_GT(CountOf(c, Rect(30, 0, 60, 30), clWhite), 0);

  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Brush()->SetColor(clWhite);  // a colour makes a clear brush solid again
  EXPECT_EQ(c->Brush()->Style(), TBrushStyle::bsSolid);
  c->Pen()->SetColor(clBlue);
  c->Pen()->SetWidth(5);
  c->MoveTo(70, 30);
  c->LineTo(95, 30);
  EXPECT_EQ(c->Pixel(80, 28), clBlue);
  EXPECT_EQ(c->Pixel(80, 32), clBlue);
  c->Pen()->SetStyle(TPenStyle::psClear);
  c->MoveTo(70, 45);
  c->LineTo(95, 45);
  EXPECT_EQ(c->Pixel(80, 45), clWhite);
}

TEST(Screen, FontsAreTheInstalledFamiliesSorted) {
  TStrings* fonts = Screen->Fonts();
  ASSERT_GT(fonts->Count(), 0);
  for (int i = 1; i < fonts->Count(); ++i)
    EXPECT_LE(CompareText(fonts->Get(i - 1), fonts->Get(i)), 0);
  for (int i = 0; i < fonts->Count(); ++i) EXPECT_NE(fonts->Get(i)[0], '@');
  EXPECT_GE(Screen->Width(), 640);
  EXPECT_GT(Screen->PixelsPerInch(), 0);
}

TEST(Picture, HoldsABitmapOrAnIconAndCopiesWhatItIsGiven) {
  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(pic.Empty());
  TBitmap b(6, 3);
  pic.SetGraphic(&b);
  EXPECT_EQ(pic.Width(), 6);
  EXPECT_NE(static_cast<TGraphic*>(pic.Bitmap()), static_cast<TGraphic*>(&b)) << "a copy";
  pic.Bitmap()->SetSize(8, 8);
  EXPECT_EQ(pic.Width(), 8);
  EXPECT_EQ(b.Width(), 6);
  TIcon icon;
  icon.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
  pic.Assign(&icon);
  EXPECT_NE(dynamic_cast<TIcon*>(pic.Graphic()), nullptr);
  EXPECT_GT(pic.Width(), 0);
  EXPECT_GE(changes, 3);
  pic.Assign(nullptr);
  EXPECT_TRUE(pic.Empty());
}

TEST(Font, SizeHeightAndHandleFollowEachOther) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetPixelsPerInch(96);
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(f.Size(), 12);
  f.SetHeight(-13);
  EXPECT_EQ(f.Size(), 10);
  HFONT h1 = f.Handle();
  EXPECT_EQ(f.Handle(), h1) << "made once";
  f.SetStyle({TFontStyle::fsBold, TFontStyle::fsItalic});
  f.SetSize(12);
  changes = 0;
  f.SetSize(12);
  EXPECT_EQ(changes, 0) << "setting the same value changes nothing";
  LOGFONTA lf{};
  ASSERT_NE(GetObjectA(f.Handle(), sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_EQ(lf.lfHeight, -16);

  // A font made from another font's handle has its attributes.
  TFont g;
  g.SetPixelsPerInch(96);
  g.SetHandle(f.Handle());
  EXPECT_EQ(g.Height(), -16);
  EXPECT_EQ(g.Style(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
  TFont copy;
  copy.Assign(&f);
  EXPECT_EQ(copy.Name(), f.Name());
  EXPECT_EQ(copy.Size(), 12);
  EXPECT_THROW(copy.Assign(nullptr), EConvertError);
}

TEST(Colors, SystemColoursFollowTheSchemeAndPlainOnesStay) {
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clWindowText), static_cast<TColor>(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(RGBColor(1, 2, 3), 0x030201);
  TBitmap b(4, 4);
  b.Canvas()->Brush()->SetColor(clBtnFace);
  b.Canvas()->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(b.Canvas()->Pixel(1, 1), ColorToRGB(clBtnFace));
}

TEST(Bitmap, DibRowsPixelsAndResizing) {
  TBitmap b(8, 4, TPixelFormat::pf24bit);
  uint8_t* row = b.ScanLine(2);
  ASSERT_NE(row, nullptr);
  row[3 * 5 + 2] = 255;  // pixel (5, 2): red (BGR)
  row[3 * 5 + 1] = 0;
  row[3 * 5 + 0] = 0;
  EXPECT_EQ(b.Canvas()->Pixel(5, 2), clRed);
  EXPECT_EQ(b.ScanLine(4), nullptr);
  EXPECT_EQ(b.ScanLine(-1), nullptr);

  b.SetSize(10, 6);
  EXPECT_EQ(b.Canvas()->Pixel(5, 2), clRed) << "resizing keeps the old picture";
  EXPECT_EQ(b.Canvas()->Pixel(9, 5), clWhite);
  b.SetPixelFormat(TPixelFormat::pfDevice);
  EXPECT_EQ(b.Canvas()->Pixel(5, 2), clRed);
  EXPECT_EQ(b.ScanLine(0), nullptr);

  TBitmap copy;
  copy.Assign(&b);
  copy.Canvas()->SetPixel(5, 2, clBlue);
  EXPECT_EQ(b.Canvas()->Pixel(5, 2), clRed) << "a copy has its own image";
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());

  // The handle may be selected elsewhere while the canvas is idle.
  HBITMAP h = copy.Handle();
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_NE(SelectObject(dc, h), nullptr);
  EXPECT_EQ(GetPixel(dc, 5, 2), static_cast<COLORREF>(clBlue));
  DeleteDC(dc);
  EXPECT_EQ(copy.Canvas()->Pixel(5, 2), clBlue);
}

TEST(Bitmap, MonochromeImagesDrawInTheCanvasColours) {
  TBitmap mono(8, 8, TPixelFormat::pf1bit);
  EXPECT_TRUE(mono.Monochrome());
  mono.Canvas()->Brush()->SetColor(clBlack);
  mono.Canvas()->FillRect(Rect(0, 0, 4, 8));
  EXPECT_EQ(mono.Canvas()->Pixel(1, 1), clBlack);
  EXPECT_EQ(mono.Canvas()->Pixel(6, 1), clWhite);
  TBitmap colour(8, 8, TPixelFormat::pf24bit);
  colour.Canvas()->Draw(0, 0, &mono);
  EXPECT_EQ(colour.Canvas()->Pixel(1, 1), clBlack);
  EXPECT_EQ(colour.Canvas()->Pixel(6, 1), clWhite);
  mono.SetMonochrome(false);
  EXPECT_EQ(mono.PixelFormat(), TPixelFormat::pfDevice);
  EXPECT_EQ(mono.Canvas()->Pixel(1, 1), clBlack) << "converting keeps the picture";
}

TEST(Bitmap, Frame3DDrawsBevelsInward) {
  TBitmap b(10, 10, TPixelFormat::pf24bit);
  TRect r = Rect(0, 0, 10, 10);
  Frame3D(b.Canvas(), r, clWhite, clBlack, 2);
  EXPECT_EQ(r, Rect(2, 2, 8, 8));
  EXPECT_EQ(b.Canvas()->Pixel(0, 5), clWhite);
  EXPECT_EQ(b.Canvas()->Pixel(1, 1), clWhite);
  EXPECT_EQ(b.Canvas()->Pixel(9, 5), clBlack);
  EXPECT_EQ(b.Canvas()->Pixel(5, 8), clBlack);
  EXPECT_EQ(b.Canvas()->Pixel(0, 9), clBlack) << "the bottom line runs to the corner";
}

TEST(Bitmap, TransparentPixelsLeaveTheCanvasAlone) {
  TBitmap glyph(4, 4, TPixelFormat::pf24bit);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(Rect(0, 0, 4, 4));
  glyph.Canvas()->Brush()->SetColor(clNavy);
  glyph.Canvas()->FillRect(Rect(1, 1, 3, 3));
  EXPECT_EQ(glyph.TransparentColor(), clFuchsia) << "the bottom-left pixel's colour";
  glyph.SetTransparent(true);

  TBitmap dest(10, 10, TPixelFormat::pf24bit);
  dest.Canvas()->Brush()->SetColor(clYellow);
  dest.Canvas()->FillRect(Rect(0, 0, 10, 10));
  dest.Canvas()->Draw(2, 2, &glyph);
  EXPECT_EQ(dest.Canvas()->Pixel(2, 2), clYellow);
  EXPECT_EQ(dest.Canvas()->Pixel(3, 3), clNavy);
  EXPECT_EQ(dest.Canvas()->Pixel(5, 5), clYellow);

  // The mask marks the transparent pixels.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, glyph.MaskHandle());
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);

  // A fixed transparent colour; drawing on the picture remakes the mask.
  glyph.SetTransparentColor(clNavy);
  dest.Canvas()->Brush()->SetColor(clLime);
  dest.Canvas()->FillRect(Rect(0, 0, 10, 10));
  dest.Canvas()->Draw(0, 0, &glyph);
  EXPECT_EQ(dest.Canvas()->Pixel(0, 0), clFuchsia);
  EXPECT_EQ(dest.Canvas()->Pixel(1, 1), clLime);
  glyph.Canvas()->SetPixel(1, 1, clRed);
  dest.Canvas()->Draw(0, 0, &glyph);
  EXPECT_EQ(dest.Canvas()->Pixel(1, 1), clRed);

  // BrushCopy puts the brush where the picture has the given colour.
  dest.Canvas()->Brush()->SetColor(clAqua);
  dest.Canvas()->BrushCopy(Rect(4, 4, 8, 8), &glyph, Rect(0, 0, 4, 4), clFuchsia);
  EXPECT_EQ(dest.Canvas()->Pixel(4, 4), clAqua);
  EXPECT_EQ(dest.Canvas()->Pixel(6, 6), clNavy);
}

TEST(Bitmap, CopyRectStretchesAndFilesRoundTrip) {
  TBitmap src(2, 2, TPixelFormat::pf24bit);
  src.Canvas()->SetPixel(0, 0, clRed);
  src.Canvas()->SetPixel(1, 0, clLime);
  src.Canvas()->SetPixel(0, 1, clBlue);
  src.Canvas()->SetPixel(1, 1, clBlack);
  TBitmap dst(4, 4);
  dst.Canvas()->CopyRect(Rect(0, 0, 4, 4), src.Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(dst.Canvas()->Pixel(1, 1), clRed);
  EXPECT_EQ(dst.Canvas()->Pixel(3, 0), clLime);
  EXPECT_EQ(dst.Canvas()->Pixel(0, 3), clBlue);

  std::string file = (std::filesystem::temp_directory_path() / "tess_canvas_test.bmp").string();
  src.SaveToFile(file);
  TBitmap back;
  back.LoadFromFile(file);
  EXPECT_EQ(back.Width(), 2);
  EXPECT_EQ(back.Height(), 2);
  EXPECT_EQ(back.Canvas()->Pixel(1, 0), clLime);
  EXPECT_EQ(back.Canvas()->Pixel(0, 1), clBlue);
  std::remove(file.c_str());
  EXPECT_THROW(back.LoadFromFile(file), EInOutError);
}

// A component that publishes a picture, as buttons and glyph strips do.
class TPictureHolder : public TComponent {
 public:
  using TComponent::TComponent;
  TBitmap* Picture() { return &picture_; }
  void PublishProperties(TPropertyList& P) override {
    TComponent::PublishProperties(P);
    P.Object("Picture", [this] { return &picture_; });
  }

 private:
  TBitmap picture_;
};

TEST(Bitmap, StreamsAsBinaryDataInsideAComponent) {
  TPictureHolder out(nullptr);
  out.SetName("Holder");
  TMemoryStream empty;
  WriteComponent(&empty, &out);
  empty.SetPosition(0);
  EXPECT_EQ(ObjectBinaryToText(&empty).find("Picture.Data"), std::string::npos);

  // An odd width pads its rows.
  out.Picture()->SetPixelFormat(TPixelFormat::pf24bit);
  out.Picture()->SetSize(5, 3);
  out.Picture()->Canvas()->SetPixel(0, 0, clRed);
  out.Picture()->Canvas()->SetPixel(4, 2, clBlue);
  TMemoryStream s;
  WriteComponent(&s, &out);
  s.SetPosition(0);
  EXPECT_NE(ObjectBinaryToText(&s).find("Picture.Data"), std::string::npos);
  s.SetPosition(0);
  TPictureHolder in(nullptr);
  ReadComponent(&s, &in);
  ASSERT_EQ(in.Picture()->Width(), 5);
  ASSERT_EQ(in.Picture()->Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(in.Picture()->Canvas()->Pixel(x, y), out.Picture()->Canvas()->Pixel(x, y));

  TBitmap mono(9, 2, TPixelFormat::pf1bit);
  mono.Canvas()->SetPixel(8, 1, clBlack);
  TMemoryStream m;
  mono.SaveToStream(&m);
  m.SetPosition(0);
  TBitmap back;
  back.LoadFromStream(&m);
  EXPECT_EQ(back.Width(), 9);
  EXPECT_EQ(back.Canvas()->Pixel(8, 1), clBlack);
  EXPECT_EQ(back.Canvas()->Pixel(0, 0), clWhite);

  // Bytes that are no picture raise, and the stream's reader reports them.
  TMemoryStream junk;
  junk.WriteBuffer("BMxx", 4);
  junk.SetPosition(0);
  EXPECT_THROW(back.LoadFromStream(&junk), EReadError);
}

TEST(Resources, TheProgramsBitmapsAndCursorsLoad) {
  TBitmap markers;
  markers.LoadFromResourceName(HInstance(), "MARKERS");
  EXPECT_EQ(markers.Width() % 10, 0) << "ten glyphs side by side";
  EXPECT_GT(markers.Height(), 0);
  TBitmap check;
  check.LoadFromResourceName(HInstance(), "OVCTCCHECKGLYPHS");
  EXPECT_EQ(check.Width(), 3 * check.Height()) << "three square glyphs";
  TBitmap arrow;
  arrow.LoadFromResourceName(HInstance(), "OVCTCCOMBOARROW");
  EXPECT_FALSE(arrow.Empty());
  EXPECT_THROW(arrow.LoadFromResourceName(HInstance(), "NO_SUCH_BITMAP"), EResNotFound);
  for (int id : {32662, 32663, 32668})
    EXPECT_NE(LoadCursorA(HInstance(), MAKEINTRESOURCEA(id)), nullptr) << id;
  EXPECT_EQ(Screen->Cursors(32668), LoadCursorA(HInstance(), MAKEINTRESOURCEA(32668)));
  EXPECT_NE(Screen->Cursors(crHSplit), nullptr);
  TIcon icon;
  icon.LoadFromResourceName(HInstance(), "MAINICON");
  EXPECT_EQ(icon.Width(), 32);
  TBitmap canvas(32, 32);
  canvas.Canvas()->Brush()->SetColor(clWhite);
  canvas.Canvas()->FillRect(Rect(0, 0, 32, 32));
  canvas.Canvas()->Draw(0, 0, &icon);
  EXPECT_NE(canvas.Canvas()->Pixel(8, 8), clWhite);
  EXPECT_EQ(canvas.Canvas()->Pixel(0, 0), clWhite) << "the icon's edge is transparent";
}

// ---------------------------------------------------------------------------------------
// Controls painted into a recording canvas and into bitmaps
// ---------------------------------------------------------------------------------------

TEST(RecordingCanvas, RecordsOperationsWithTheirStateAndStillDraws) {
  TRecordingCanvas r(20, 20);
  r.Brush()->SetColor(clRed);
  r.FillRect(Rect(0, 0, 10, 10));
  r.Font()->SetColor(clBlue);
  r.TextOut(1, 2, "abc");
  TRect calc{};
  r.DrawText("measure", calc, DT_CALCRECT);
  ASSERT_EQ(r.Count("FillRect"), 1);
  EXPECT_EQ(r.Find("FillRect")->BrushColor, clRed);
  EXPECT_EQ(r.Find("TextOut")->FontColor, clBlue);
  EXPECT_EQ(r.Texts(), (std::vector<std::string>{"abc"})) << "measuring is not drawing";
  EXPECT_EQ(r.Find("FillRect", 1), nullptr);
  EXPECT_EQ(r.Bitmap()->Canvas()->Pixel(15, 15), clWhite);
  EXPECT_EQ(r.Pixel(5, 5), clRed);
}

TEST(RecordingCanvas, APanelPaintsItsBevelsBackgroundAndCaption) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 120, 40);
  panel.SetCaption("Panel caption");
  panel.SetBevelInner(TBevelCut::bvLowered);
  TRecordingCanvas r(120, 40);
  panel.PaintTo(&r);
  const TCanvasRecord* text = r.Find("DrawText");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Text, "Panel caption");
  EXPECT_TRUE(text->Flags & DT_CENTER);
  EXPECT_EQ(text->Rect, Rect(2, 2, 118, 38)) << "inside both bevels";
  EXPECT_EQ(r.Find("FillRect")->BrushColor, clBtnFace);
  // Outer raised bevel: the light colour at the top left, the shadow at the bottom right.
  EXPECT_EQ(r.Pixel(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(r.Pixel(119, 39), ColorToRGB(clBtnShadow));
  EXPECT_EQ(r.Pixel(1, 1), ColorToRGB(clBtnShadow)) << "the inner bevel is lowered";
}

TEST(RecordingCanvas, ALabelDrawsItsCaptionAlignedAndEmbossedWhenDisabled) {
  TLabel label(nullptr);
  label.SetAutoSize(false);
  label.SetBounds(0, 0, 100, 20);
  label.SetCaption("&Name");
  label.SetAlignment(TAlignment::taRightJustify);
  TRecordingCanvas r(100, 20);
  label.PaintTo(&r);
  ASSERT_EQ(r.Count("DrawText"), 1);
  EXPECT_TRUE(r.Find("DrawText")->Flags & DT_RIGHT);
  EXPECT_FALSE(r.Find("DrawText")->Flags & DT_NOPREFIX);
  label.SetEnabled(false);
  r.Clear();
  label.PaintTo(&r);
  ASSERT_EQ(r.Count("DrawText"), 2);
  EXPECT_EQ(r.Find("DrawText", 0)->FontColor, clBtnHighlight);
  EXPECT_EQ(r.Find("DrawText", 1)->FontColor, clBtnShadow);
  // AutoSize makes the label as big as its caption.
  label.SetAutoSize(true);
  label.SetCaption("A much longer caption");
  EXPECT_GT(label.Width(), 100);
}

TEST(SpeedButton, DrawsItsGlyphTransparentlyAndEmbossedWhenDisabled) {
  TSpeedButton b(nullptr);
  b.SetBounds(0, 0, 24, 24);
  TBitmap glyph(8, 8, TPixelFormat::pf24bit);
  glyph.Canvas()->Brush()->SetColor(clOlive);  // the transparent colour (bottom left)
  glyph.Canvas()->FillRect(Rect(0, 0, 8, 8));
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(Rect(2, 2, 6, 6));
  b.SetGlyph(&glyph);
  TRecordingCanvas r(24, 24);
  b.PaintTo(&r);
  EXPECT_EQ(r.Pixel(12, 12), clRed);
  EXPECT_EQ(r.Pixel(9, 9), ColorToRGB(clBtnFace)) << "the glyph's background is transparent";
  b.SetEnabled(false);
  r.Clear();
  b.PaintTo(&r);
  EXPECT_NE(r.Pixel(12, 12), clRed);
  EXPECT_EQ(r.Pixel(11, 11), ColorToRGB(clBtnShadow));
}

TEST(ControlPainting, AFormPaintsItsControlsIntoABitmap) {
  TForm form(nullptr);
  form.SetClientWidth(120);
  form.SetClientHeight(80);
  form.SetColor(clGreen);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(10, 10, 50, 30);
  panel->SetColor(clBlue);
  panel->SetBevelOuter(TBevelCut::bvNone);
  auto* box = new TPaintBox(&form);
  box->SetParent(&form);
  box->SetBounds(70, 10, 20, 20);
  box->OnPaint = [box](TObject*) {
    box->Canvas()->Brush()->SetColor(clRed);
    box->Canvas()->FillRect(Rect(0, 0, 20, 20));
  };
  form.Show();
  testing::Pump();
  TBitmap shot(form.Width(), form.Height(), TPixelFormat::pf24bit);
  POINT origin{0, 0};
  ClientToScreen(form.Handle(), &origin);
  RECT wr{};
  GetWindowRect(form.Handle(), &wr);
  form.PaintTo(shot.Canvas()->Handle(), 0, 0);
  int cx = origin.x - wr.left, cy = origin.y - wr.top;
  EXPECT_EQ(shot.Canvas()->Pixel(cx + 5, cy + 5), clGreen);
  EXPECT_EQ(shot.Canvas()->Pixel(cx + 30, cy + 20), clBlue);
  EXPECT_EQ(shot.Canvas()->Pixel(cx + 80, cy + 20), clRed) << "a windowless control";
  EXPECT_EQ(shot.Canvas()->Pixel(cx + 95, cy + 20), clGreen);
}

}  // namespace
}  // namespace tess
