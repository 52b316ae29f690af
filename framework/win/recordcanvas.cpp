// The recording canvas.
#include "framework/win/recordcanvas.h"

#include "platform/win32.h"

namespace tess {

TRecordingCanvas::TRecordingCanvas(int32_t Width, int32_t Height)
    : bitmap_(std::make_unique<TBitmap>(std::max(Width, 1), std::max(Height, 1),
                                        TPixelFormat::pf24bit)) {
  SetHandle(bitmap_->Canvas()->Handle());
}

TRecordingCanvas::~TRecordingCanvas() {
  SetHandle(nullptr);
}

TCanvasRecord& TRecordingCanvas::Record(const char* Op) {
  TCanvasRecord r;
  r.Op = Op;
  r.PenColor = Pen()->Color();
  r.PenWidth = Pen()->Width();
  r.PenStyle = Pen()->Style();
  r.PenMode = Pen()->Mode();
  r.BrushColor = Brush()->Color();
  r.BrushStyle = Brush()->Style();
  r.FontColor = Font()->Color();
  r.FontName = Font()->Name();
  r.FontSize = Font()->Size();
  r.FontStyle = Font()->Style();
  r.FontEscapement = Font()->Escapement();
  records_.push_back(std::move(r));
  return records_.back();
}

int TRecordingCanvas::Count(const std::string& Op) const {
  int n = 0;
  for (const TCanvasRecord& r : records_)
    if (r.Op == Op) ++n;
  return n;
}

const TCanvasRecord* TRecordingCanvas::Find(const std::string& Op, int Index) const {
  for (const TCanvasRecord& r : records_)
    if (r.Op == Op && Index-- == 0) return &r;
  return nullptr;
}

std::vector<std::string> TRecordingCanvas::Texts() const {
  std::vector<std::string> texts;
  for (const TCanvasRecord& r : records_)
    if (r.Op == "TextOut" || r.Op == "TextRect" || r.Op == "DrawText") texts.push_back(r.Text);
  return texts;
}

void TRecordingCanvas::MoveTo(int32_t X, int32_t Y) {
  TCanvasRecord& r = Record("MoveTo");
  r.X = X;
  r.Y = Y;
  TCanvas::MoveTo(X, Y);
}

void TRecordingCanvas::LineTo(int32_t X, int32_t Y) {
  TPoint from = PenPos();
  TCanvasRecord& r = Record("LineTo");
  r.X = X;
  r.Y = Y;
  r.Points = {from, {X, Y}};
  TCanvas::LineTo(X, Y);
}

void TRecordingCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Record("Rectangle").Rect = {X1, Y1, X2, Y2};
  TCanvas::Rectangle(X1, Y1, X2, Y2);
}

void TRecordingCanvas::RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3,
                                 int32_t Y3) {
  TCanvasRecord& r = Record("RoundRect");
  r.Rect = {X1, Y1, X2, Y2};
  r.X = X3;
  r.Y = Y3;
  TCanvas::RoundRect(X1, Y1, X2, Y2, X3, Y3);
}

void TRecordingCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Record("Ellipse").Rect = {X1, Y1, X2, Y2};
  TCanvas::Ellipse(X1, Y1, X2, Y2);
}

void TRecordingCanvas::Polygon(const std::vector<TPoint>& Points) {
  Record("Polygon").Points = Points;
  TCanvas::Polygon(Points);
}

void TRecordingCanvas::Polyline(const std::vector<TPoint>& Points) {
  Record("Polyline").Points = Points;
  TCanvas::Polyline(Points);
}

void TRecordingCanvas::FillRect(const TRect& R) {
  Record("FillRect").Rect = R;
  TCanvas::FillRect(R);
}

void TRecordingCanvas::FrameRect(const TRect& R) {
  Record("FrameRect").Rect = R;
  TCanvas::FrameRect(R);
}

void TRecordingCanvas::DrawFocusRect(const TRect& R) {
  Record("DrawFocusRect").Rect = R;
  TCanvas::DrawFocusRect(R);
}

void TRecordingCanvas::TextOut(int32_t X, int32_t Y, const std::string& Text) {
  TCanvasRecord& r = Record("TextOut");
  r.X = X;
  r.Y = Y;
  r.Text = Text;
  TCanvas::TextOut(X, Y, Text);
}

void TRecordingCanvas::TextRect(const TRect& R, int32_t X, int32_t Y, const std::string& Text) {
  TCanvasRecord& r = Record("TextRect");
  r.Rect = R;
  r.X = X;
  r.Y = Y;
  r.Text = Text;
  TCanvas::TextRect(R, X, Y, Text);
}

int32_t TRecordingCanvas::DrawText(const std::string& Text, TRect& R, uint32_t Flags) {
  // Measuring is not drawing.
  if (!(Flags & DT_CALCRECT)) {
    TCanvasRecord& r = Record("DrawText");
    r.Rect = R;
    r.Text = Text;
    r.Flags = Flags;
  }
  return TCanvas::DrawText(Text, R, Flags);
}

void TRecordingCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect) {
  Record("CopyRect").Rect = Dest;
  TCanvas::CopyRect(Dest, Source, SourceRect);
}

void TRecordingCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  Record("Draw").Rect = R;
  TCanvas::StretchDraw(R, Graphic);
}

void TRecordingCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source,
                                 TColor TransparentColor) {
  Record("BrushCopy").Rect = Dest;
  TCanvas::BrushCopy(Dest, Bitmap, Source, TransparentColor);
}

void TRecordingCanvas::SetPixel(int32_t X, int32_t Y, TColor Color) {
  TCanvasRecord& r = Record("SetPixel");
  r.X = X;
  r.Y = Y;
  r.BrushColor = Color;
  TCanvas::SetPixel(X, Y, Color);
}

}  // namespace tess
