// The splitter: a window divided into two scroll-box panes by a bar the user drags.
// Without AutoUpdate the drag shows an inverted line and moves the panes on release;
// with it the panes follow the mouse.  A drag ends on release, or when the capture is
// lost (another window takes it, a message box opens): the panes then stay where they
// were last put.
//
// Invariant: 0 <= BarPosition, and BarPosition <= the largest position whenever the
// control is large enough for its frames and bar.
#pragma once

#include <vector>

#include "components/decoration/split_geometry.h"
#include "framework/win/forms.h"

namespace tess {

enum class ToxsStyle { oxsAuto, oxsWin31, oxsWin95, oxsInset, oxsGroove };

class ToxCustomSplit;

// A pane: a scroll box that lives in a splitter.
class ToxScrollPane : public TScrollBox {
 public:
  explicit ToxScrollPane(TComponent* AOwner);
  void SetParentComponent(TComponent* Value) override;
  void Dispatch(TMessage& Message) override;

 private:
  ToxCustomSplit* Split() const;
};

class ToxCustomSplit : public TCustomControl {
 public:
  explicit ToxCustomSplit(TComponent* AOwner);
  ~ToxCustomSplit() override;

  bool AutoUpdate() const { return auto_update_; }
  void SetAutoUpdate(bool Value) { auto_update_ = Value; }
  int32_t BarWidth() const { return bar_width_; }
  void SetBarWidth(int32_t Value);
  TColor BarColor() const { return bar_color_; }
  void SetBarColor(TColor Value);
  ToxsStyle Style() const { return style_; }
  void SetStyle(ToxsStyle Value);
  // The style in force: oxsAuto resolved.
  ToxsStyle EffectiveStyle() const { return effective_style_; }
  bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool Value);
  bool SyncScroll() const { return sync_scroll_; }
  void SetSyncScroll(bool Value) { sync_scroll_ = Value; }
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  bool Locked() const { return locked_; }
  void SetLocked(bool Value) { locked_ = Value; }
  int32_t FrameWidth() const { return frame_width_; }

  int PaneCount() const { return static_cast<int>(panes_.size()); }
  ToxScrollPane* Panes(int Index) const { return panes_.at(static_cast<size_t>(Index)); }
  // A drag of the bar is running.
  bool Dragging() const { return dragging_; }

  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void PublishProperties(TPropertyList& Props) override;

  // Called by a pane read from a stream: the panes the constructor made give way to the
  // streamed ones.
  void AdoptStreamedPane(ToxScrollPane* Pane);
  // A pane scrolled: with SyncScroll the others follow.
  void PaneScrolled(ToxScrollPane* Pane, TScrollBarKind Kind);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  // The geometry and bar of the subclass (the base has no bar).
  virtual TSplitGeometry Geometry() { return {}; }
  virtual int32_t CurrentBarPosition() const { return 0; }
  virtual void DragTo(int32_t BarStart) { (void)BarStart; }
  virtual bool Horizontal() const { return true; }
  void ApplyStyle();
  ToxScrollPane* AddPane();
  bool IsLoaded() const { return loaded_; }
  std::vector<ToxScrollPane*> panes_;

 private:
  bool OnBar(int32_t X, int32_t Y);
  void ToggleDragLine();
  // Ends a drag; Apply: set the position where the line is.
  void EndDrag(bool Apply);

  int32_t frame_width_ = 0;
  bool auto_update_ = false;
  int32_t bar_width_ = 4;
  TColor bar_color_ = clBtnFace;
  ToxsStyle style_ = ToxsStyle::oxsAuto;
  bool auto_scroll_ = true;
  ToxsStyle effective_style_ = ToxsStyle::oxsWin95;
  bool sync_scroll_ = false;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  bool locked_ = false;
  uint8_t pane_order_ = 0;
  int32_t last_x_ = 0, last_y_ = 0;
  int32_t drag_offset_ = 0;
  int32_t drag_start_ = 0;  // the near edge of the bar as the line shows it
  bool dragging_ = false;
  bool line_shown_ = false;
  bool loaded_ = false;
  bool own_panes_ = true;  // the panes were made by the constructor
};

class ToxSplit : public ToxCustomSplit {
 public:
  explicit ToxSplit(TComponent* AOwner);

  int32_t BarPosition() const { return bar_position_; }
  void SetBarPosition(int32_t Value);
  ToxsOrientation Orientation() const { return orientation_; }
  void SetOrientation(ToxsOrientation Value);
  int32_t Percent();
  void SetPercent(int32_t Value);

  void Loaded() override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void AlignControls(TControl* AControl, TRect& Rect) override;
  TSplitGeometry Geometry() override;
  int32_t CurrentBarPosition() const override { return bar_position_; }
  void DragTo(int32_t BarStart) override;
  bool Horizontal() const override { return orientation_ == ToxsOrientation::oxsHorz; }

 private:
  int32_t bar_position_ = 50;
  ToxsOrientation orientation_ = ToxsOrientation::oxsVert;
};

void RegisterSplitterClasses();

}  // namespace tess
