// Dock bars: a tool bar docked on an edge of its form or floating in a small pop-up
// tool window of its own (TDockForm).  The user drags it by its body (or by the floating
// window's title) between these places, double-clicks to switch, and resizes the
// floating window so that the controls wrap into rows.  The floating position and the
// place can be kept in the INI file named after the program, one section per bar.
//
// Invariants: while floating the bar's parent is its floating window and the dock site
// is remembered; while docked the floating window is hidden.  The control records hold
// every non-aligned control of the bar in the order of its home Left.  A drag or a
// floating-window resize in progress ends on release or on any loss of the capture.
//
// In a component stream a bar belongs to its dock site, floating or not, and a bar away
// from the top or bottom (side-docked or floating) also stores its home layout: the
// docked height, the controls' home positions, the place it floated from and its rows.
// Read back, it is put home and then moved to its place as the user would have moved it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "components/decoration/dock_layout.h"
#include "framework/win/extctrls.h"
#include "framework/win/forms.h"

namespace tess {

enum class TOption {
  opAllowFloat,
  opAllowSideDock,
  opAutoHide,
  opAutoSave,
  opAutoSize,
  opCaption,
  opCloseBox,
  opLock,
  opSizeable,
  opDblClkDock
};
using TOptions = TEnumSet<TOption>;
enum class TDockBarStyle { bsAuto, bsWin31, bsWin95 };

class ToxDockBar;
class TDockTitle;
class TDockCloseBox;

// A control of the bar and where it was designed to sit.
struct TControlRec {
  TControl* Control = nullptr;
  int32_t HomeLeft = 0;
  int32_t HomeTop = 0;
};

// The floating window of a dock bar: a caption-less pop-up tool window, topmost, with a
// title strip and a close box of its own.
class TDockForm : public TCustomForm {
 public:
  TDockForm(TComponent* AOwner, ToxDockBar* Bar);
  ~TDockForm() override;

  TCustomPanel* Title() const;
  TControl* CloseBox() const;
  // Hidden by the auto-hide and waiting for the program to be active again.
  bool AutoHidden() const { return auto_hidden_; }
  // An edge drag of the floating window is running.
  bool Resizing() const { return resizing_; }
  // Shows the window without taking the activation from the program's window.
  void ShowNoActivate();
  void HideWindow();

  void Dispatch(TMessage& Message) override;

 protected:
  uint32_t WindowStyle() const override;
  uint32_t WindowExStyle() const override;

 private:
  friend class ToxDockBar;
  void PaintFrame();
  void PlaceCloseBox();
  void BeginResize(int32_t HitCode, TPoint Screen);
  void TrackResize(TPoint Screen);
  void EndResize(bool Apply);
  void ToggleResizeRect();

  ToxDockBar* bar_;
  TDockTitle* title_ = nullptr;
  TDockCloseBox* close_box_ = nullptr;
  std::vector<TDockSize> candidates_;
  bool auto_hidden_ = false;
  bool resizing_ = false;
  bool rect_shown_ = false;
  int32_t resize_edge_ = 0;
  int32_t chosen_ = 0;
  TRect start_rect_, resize_rect_;
};

class ToxDockBar : public TCustomPanel {
 public:
  explicit ToxDockBar(TComponent* AOwner);
  ~ToxDockBar() override;

  TDockAlign Dock() const { return dock_; }
  void SetDock(TDockAlign Value);
  int32_t FloatLeft() const;
  void SetFloatLeft(int32_t Value);
  int32_t FloatTop() const;
  void SetFloatTop(int32_t Value);
  int32_t FloatWidth() const;
  void SetFloatWidth(int32_t Value);
  int32_t FloatHeight() const;
  void SetFloatHeight(int32_t Value);
  TOptions Options() const { return options_; }
  void SetOptions(TOptions Value);
  TDockBarStyle Style() const { return style_; }
  void SetStyle(TDockBarStyle Value);
  // The look in force: bsAuto resolved.
  TDockBarStyle EffectiveStyle() const;
  TFont* TitleFont() const { return title_font_.get(); }
  void SetTitleFont(TFont* Value) { title_font_->Assign(Value); }

  TDockForm* FloatForm() const { return float_form_; }
  TWinControl* DockSite() const { return dock_site_; }
  int32_t DockedHeight() const { return docked_height_; }
  // 0: home positions; -1: side-docked; otherwise the rows of a floating bar.
  int32_t Rows() const { return rows_; }
  const std::vector<TControlRec>& Records() const { return records_; }
  // A drag of the bar is running.
  bool Dragging() const { return dragging_; }

  // The settings file: the program's file name with ".ini".
  virtual std::string IniFileName() const;
  virtual void LoadSettings();
  virtual void SaveSettings();

  // The candidate outer sizes of the floating window (1, 2, ... rows).
  std::vector<TDockSize> CandidateSizes();
  // Wraps the controls into Rows rows (0: home positions) and, with opAutoSize, sizes
  // the floating window to them.
  void WrapControls(int32_t Rows);
  // Takes note of the dock site and the controls; done after loading, or by the first
  // use of a bar made in code.  Call again after adding controls in code.
  void InitDocking();

  // Drag and double click, also fed by the floating window's title (screen points).
  void BeginDrag(TPoint Screen);
  void TitleDblClick();

  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;
  void DefineProperties(TFiler* Filer) override;
  // The dock site while floating: the bar is written there, not in its floating window.
  TComponent* GetParentComponent() const override;

  TNotifyEvent OnHide;
  TNotifyEvent OnShow;
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void DblClick() override;

 private:
  friend class TDockForm;
  // The home layout read from a stream, until Loaded puts the bar back.
  struct THomeLayout {
    int32_t DockedHeight = -1;
    TDockAlign FloatedFrom = TDockAlign::dkTop;
    int32_t Rows = 0;
    struct THome {
      std::string Name;
      int32_t Left = 0, Top = 0;
    };
    std::vector<THome> Controls;
  };
  void WriteHomeLayout(TWriter* Writer);
  void ReadHomeLayout(TReader* Reader);
  // SetDock's move without its checks of the options.
  void Place(TDockAlign Value);
  std::vector<TDockItem> Items() const;
  // What the floating window's outer size adds to its client area: the frame and,
  // with opCaption, the title.
  TDockSize FloatFrameSize();
  TDockSize FloatSizeFor(const std::vector<TDockPos>& Positions);
  void SizeFloatForm();
  void PlaceControls(const std::vector<TDockPos>& Positions);
  void EnsureInit();
  void TrackDrag(TPoint Screen);
  void EndDrag(bool Apply, TPoint Screen);
  void ToggleDragRect();
  TDockSize DockedDragSize(const TDockRect& Zone) const;
  void ApplyTitle();

  TDockAlign dock_ = TDockAlign::dkTop;
  TDockAlign prev_dock_ = TDockAlign::dkTop;
  static constexpr TOptions kDefaultOptions{TOption::opAllowFloat, TOption::opAllowSideDock,
                                            TOption::opAutoSize,   TOption::opCaption,
                                            TOption::opCloseBox,   TOption::opSizeable,
                                            TOption::opDblClkDock};
  TOptions options_ = kDefaultOptions;
  TDockBarStyle style_ = TDockBarStyle::bsAuto;
  std::unique_ptr<TFont> title_font_;
  TWinControl* dock_site_ = nullptr;
  int32_t docked_height_ = -1;
  int32_t rows_ = 0;
  bool initialised_ = false;
  int32_t margin_ = 0;
  int32_t widest_ = 10;
  TDockForm* float_form_ = nullptr;
  std::vector<TControlRec> records_;
  std::unique_ptr<THomeLayout> home_read_;
  // The drag.
  bool dragging_ = false;
  bool moved_ = false;
  bool rect_shown_ = false;
  TRect drag_rect_, start_rect_;
  TPoint grab_;
  TDropZones zones_;
};

void RegisterDockBarClasses();

}  // namespace tess
