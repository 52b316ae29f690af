// A canvas that records what is drawn on it, for tests that check a control's painting
// by its operations rather than by pixels.  It also draws into a memory bitmap of its
// own (Bitmap()), so text measures are real and pixels can still be probed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/win/graphics.h"

namespace tess {

// One drawing operation with the canvas state it was drawn in.
struct TCanvasRecord {
  std::string Op;  // "FillRect", "TextOut", "LineTo", ...
  TRect Rect;      // the rectangle of the operation (or of Dest)
  std::vector<TPoint> Points;
  std::string Text;
  int32_t X = 0;
  int32_t Y = 0;
  uint32_t Flags = 0;  // DrawText flags
  TColor PenColor = clBlack;
  int32_t PenWidth = 1;
  TPenStyle PenStyle = TPenStyle::psSolid;
  TPenMode PenMode = TPenMode::pmCopy;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = TBrushStyle::bsSolid;
  TColor FontColor = clBlack;
  std::string FontName;
  int32_t FontSize = 0;
  TFontStyles FontStyle;
  int32_t FontEscapement = 0;
};

class TRecordingCanvas : public TCanvas {
 public:
  explicit TRecordingCanvas(int32_t Width = 1, int32_t Height = 1);
  ~TRecordingCanvas() override;

  const std::vector<TCanvasRecord>& Records() const { return records_; }
  void Clear() { records_.clear(); }
  int Count(const std::string& Op) const;
  // The Index-th record of Op, or null.
  const TCanvasRecord* Find(const std::string& Op, int Index = 0) const;
  // The texts drawn by TextOut, TextRect and DrawText, in order.
  std::vector<std::string> Texts() const;
  TBitmap* Bitmap() const { return bitmap_.get(); }

  void MoveTo(int32_t X, int32_t Y) override;
  void LineTo(int32_t X, int32_t Y) override;
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void RoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3) override;
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void Polygon(const std::vector<TPoint>& Points) override;
  void Polyline(const std::vector<TPoint>& Points) override;
  void FillRect(const TRect& R) override;
  void FrameRect(const TRect& R) override;
  void DrawFocusRect(const TRect& R) override;
  void TextOut(int32_t X, int32_t Y, const std::string& Text) override;
  void TextRect(const TRect& R, int32_t X, int32_t Y, const std::string& Text) override;
  int32_t DrawText(const std::string& Text, TRect& R, uint32_t Flags) override;
  void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect) override;
  void StretchDraw(const TRect& R, TGraphic* Graphic) override;
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source,
                 TColor TransparentColor) override;
  void SetPixel(int32_t X, int32_t Y, TColor Color) override;

 private:
  TCanvasRecord& Record(const char* Op);
  std::unique_ptr<TBitmap> bitmap_;
  std::vector<TCanvasRecord> records_;
};

}  // namespace tess
