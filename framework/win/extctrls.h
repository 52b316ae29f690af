// More controls: the panel (a container with bevels and a caption), the speed button (a
// windowless tool button with a glyph, grouped like radio buttons when asked), the paint
// box, and the timer component.
#pragma once

#include <memory>
#include <string>

#include "framework/win/controls.h"

namespace tess {

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut Value);
  int32_t BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int32_t Value);
  int32_t BorderWidth() const { return border_width_; }
  void SetBorderWidth(int32_t Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  // Kept for the controls that use it; the panel itself does nothing with it.
  bool Locked() const { return locked_; }
  void SetLocked(bool Value) { locked_ = Value; }

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;

 private:
  TAlignment alignment_ = TAlignment::taCenter;
  TBevelCut bevel_inner_ = TBevelCut::bvNone;
  TBevelCut bevel_outer_ = TBevelCut::bvRaised;
  int32_t bevel_width_ = 1;
  int32_t border_width_ = 0;
  TBorderStyle border_style_ = TBorderStyle::bsNone;
  bool locked_ = false;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// ---------------------------------------------------------------------------------------

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A windowless button.  With a GroupIndex other than 0 it stays down when pressed and
// the other buttons of the group on the same parent come up; AllowAllUp lets a down
// button of the group come up by a second press.  The glyph strip holds NumGlyphs
// images side by side: up, disabled, pressed, down; its bottom-left pixel's colour is
// transparent.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value);
  int32_t NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int32_t Value);
  int32_t GroupIndex() const { return group_index_; }
  void SetGroupIndex(int32_t Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool Value);
  // Drawn without a frame until the mouse is over it.
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  // Pixels between the edge and the glyph (-1: centred) and between glyph and caption.
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t Value);
  int32_t Spacing() const { return spacing_; }
  void SetSpacing(int32_t Value);
  // The button is drawn pressed now (the mouse holds it down).
  bool Pressed() const { return pressed_; }
  bool MouseInControl() const { return mouse_in_; }

  void Click() override;
  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;

 private:
  void UpdateExclusive();
  void DrawGlyph(TCanvas* Canvas, int32_t X, int32_t Y);

  std::unique_ptr<TBitmap> glyph_;
  int32_t num_glyphs_ = 1;
  int32_t group_index_ = 0;
  bool down_ = false;
  bool allow_all_up_ = false;
  bool flat_ = false;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int32_t margin_ = -1;
  int32_t spacing_ = 4;
  bool pressed_ = false;
  bool dragging_ = false;
  bool mouse_in_ = false;
};

// ---------------------------------------------------------------------------------------

class TPaintBox : public TGraphicControl {
 public:
  explicit TPaintBox(TComponent* AOwner);
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
};

// ---------------------------------------------------------------------------------------

// Fires OnTimer every Interval milliseconds while Enabled, from a hidden window's
// WM_TIMER; an exception from OnTimer goes to Application->HandleException.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  // Raises EOutOfResources "Not enough timers available" when the system refuses.
  void SetEnabled(bool Value);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t Value);
  void PublishProperties(TPropertyList& Props) override;

  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  HWnd window_ = nullptr;
  bool enabled_ = true;
  uint32_t interval_ = 1000;
};

class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace tess
