// The caption-bar decoration: a component on a form that, while Active, takes over the
// form's window frame.  It gives the window a caption-less pop-up style, puts its own
// procedure in the window's chain of procedures (other subclassers that only unhook
// while on top of the chain may come and go before or after it, in any order), and
// paints and hit-tests its own frame, caption
// bar, caption, system-menu box and up to six caption buttons; it also keeps the track
// size, the stay-on-top position and the roll-up to the caption bar.
//
// Invariants: while Active, the decoration is attached to the form's current window; a
// window the form remakes is taken over again (at once on the next use, or by a posted
// notice).  A caption button's tracking loop ends on release or on any loss of the
// capture, and never runs twice at once.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "components/decoration/caption_geometry.h"
#include "framework/win/forms.h"

namespace tess {

class TKSTransForm;
class TWindowCanvas;

enum class TFrameButtonStyle { fbsToggle, fbsNormal };
enum class TBarStyles { bsStandard, bsNone };
enum class TCaptionLayout { clBitmapLeft, clBitmapRight };
enum class THorzPosition { hLeft, hCenter, hRight };
enum class TCaptionStyle { csText, csBitmap, csBoth };
enum class TPositionStyle { psNormal, psTopMost, psBottom };
enum class TSysMenuStyle { smStandard, smWin95UseIcon, smWin95UseBitmap };
using TButtonClickEvent = std::function<void(TObject* Sender, int32_t Button)>;

class TKSFrameButton : public TPersistent {
 public:
  explicit TKSFrameButton(TKSTransForm* Owner);
  ~TKSFrameButton() override;

  TBitmap* GlyphUp() const { return glyph_up_.get(); }
  void SetGlyphUp(TBitmap* Value);
  TBitmap* GlyphDown() const { return glyph_down_.get(); }
  void SetGlyphDown(TBitmap* Value);
  TFrameButtonStyle Style() const { return style_; }
  void SetStyle(TFrameButtonStyle Value) { style_ = Value; }
  bool Down() const { return down_; }
  void SetDown(bool Value);
  TKSTransForm* Owner() const { return owner_; }

  void PublishProperties(TPropertyList& Props) override;

 private:
  friend class TKSTransForm;
  TKSTransForm* owner_;
  std::unique_ptr<TBitmap> glyph_up_, glyph_down_;
  TFrameButtonStyle style_ = TFrameButtonStyle::fbsNormal;
  bool down_ = false;
};

class TKSTransForm : public TComponent {
 public:
  explicit TKSTransForm(TComponent* AOwner);
  ~TKSTransForm() override;

  bool Active() const { return active_; }
  void SetActive(bool Value);
  // Makes the system recompute and repaint the frame (nothing else moves).
  void RedrawFrame();

  TColor BarColor() const { return bar_color_; }
  void SetBarColor(TColor Value);
  TColor BarColorInactive() const { return bar_color_inactive_; }
  void SetBarColorInactive(TColor Value);
  uint8_t BarHeight() const { return bar_height_; }
  void SetBarHeight(uint8_t Value);
  TBarStyles BarStyle() const { return bar_style_; }
  void SetBarStyle(TBarStyles Value);
  TKSFrameButton* Button(int Index) const { return buttons_.at(static_cast<size_t>(Index)).get(); }
  TKSFrameButton* Button1() const { return Button(1); }
  TKSFrameButton* Button2() const { return Button(2); }
  TKSFrameButton* Button3() const { return Button(3); }
  TKSFrameButton* Button4() const { return Button(4); }
  TKSFrameButton* Button5() const { return Button(5); }
  TKSFrameButton* Button6() const { return Button(6); }
  uint8_t ButtonsLeft() const { return buttons_left_; }
  void SetButtonsLeft(uint8_t Value);
  uint8_t ButtonsRight() const { return buttons_right_; }
  void SetButtonsRight(uint8_t Value);
  uint8_t ButtonLeftBevel() const { return button_left_bevel_; }
  void SetButtonLeftBevel(uint8_t Value);
  uint8_t ButtonRightBevel() const { return button_right_bevel_; }
  void SetButtonRightBevel(uint8_t Value);
  bool ButtonRightGap() const { return button_right_gap_; }
  void SetButtonRightGap(bool Value);
  int32_t ButtonLeftWidth() const { return button_left_width_; }
  void SetButtonLeftWidth(int32_t Value);
  int32_t ButtonRightWidth() const { return button_right_width_; }
  void SetButtonRightWidth(int32_t Value);
  TBitmap* CaptionBitmap() const { return caption_bitmap_.get(); }
  void SetCaptionBitmap(TBitmap* Value);
  TCaptionLayout CaptionLayout() const { return caption_layout_; }
  void SetCaptionLayout(TCaptionLayout Value);
  TFont* CaptionFont() const { return caption_font_.get(); }
  void SetCaptionFont(TFont* Value);
  TFont* CaptionFontInactive() const { return caption_font_inactive_.get(); }
  void SetCaptionFontInactive(TFont* Value);
  THorzPosition CaptionHorzPos() const { return caption_horz_pos_; }
  void SetCaptionHorzPos(THorzPosition Value);
  uint8_t CaptionMargin() const { return caption_margin_; }
  void SetCaptionMargin(uint8_t Value);
  TCaptionStyle CaptionStyle() const { return caption_style_; }
  void SetCaptionStyle(TCaptionStyle Value);
  bool CustomFrame() const { return custom_frame_; }
  void SetCustomFrame(bool Value);
  TColor FaceColor() const { return face_color_; }
  void SetFaceColor(TColor Value);
  TColor FrameColor() const { return frame_color_; }
  void SetFrameColor(TColor Value);
  TColor FrameColorInactive() const { return frame_color_inactive_; }
  void SetFrameColorInactive(TColor Value);
  bool FrameCorners() const { return frame_corners_; }
  void SetFrameCorners(bool Value);
  int32_t FrameCornerSize() const { return frame_corner_size_; }
  void SetFrameCornerSize(int32_t Value);
  TFrameStyles FrameStyle() const { return frame_style_; }
  void SetFrameStyle(TFrameStyles Value);
  uint8_t FrameWidth() const { return frame_width_; }
  void SetFrameWidth(uint8_t Value);
  // Kept for stored forms; fixed values.
  int32_t FreeMemory() const { return 1048576; }
  int32_t FreeGDI() const { return 0; }
  int32_t FreeSystem() const { return 0; }
  int32_t FreeUser() const { return 0; }
  bool Grabbing() const { return grabbing_; }
  void SetGrabbing(bool Value) { grabbing_ = Value; }
  int32_t MaxHeight() const { return max_height_; }
  void SetMaxHeight(int32_t Value) { max_height_ = Value; }
  int32_t MinHeight() const { return min_height_; }
  void SetMinHeight(int32_t Value) { min_height_ = Value; }
  int32_t MaxWidth() const { return max_width_; }
  void SetMaxWidth(int32_t Value) { max_width_ = Value; }
  int32_t MinWidth() const { return min_width_; }
  void SetMinWidth(int32_t Value) { min_width_ = Value; }
  TPositionStyle Position() const { return position_; }
  void SetPosition(TPositionStyle Value);
  bool RolledUp() const { return rolled_up_; }
  void SetRolledUp(bool Value);
  TSizeStyle RolledUpSizeStyle() const { return rolled_up_size_style_; }
  void SetRolledUpSizeStyle(TSizeStyle Value) { rolled_up_size_style_ = Value; }
  TSizeStyle SizeStyle() const { return size_style_; }
  void SetSizeStyle(TSizeStyle Value) { size_style_ = Value; }
  bool SizeControl() const { return size_control_; }
  void SetSizeControl(bool Value) { size_control_ = Value; }
  bool SystemMenu() const { return system_menu_; }
  void SetSystemMenu(bool Value);
  TBitmap* SystemMenuBitmap() const { return system_menu_bitmap_.get(); }
  void SetSystemMenuBitmap(TBitmap* Value);
  TSysMenuStyle SystemMenuStyle() const { return system_menu_style_; }
  void SetSystemMenuStyle(TSysMenuStyle Value);
  TColor ThreeDLightColor() const { return light_color_; }
  void SetThreeDLightColor(TColor Value);
  TColor ThreeDShadowColor() const { return shadow_color_; }
  void SetThreeDShadowColor(TColor Value);

  TButtonClickEvent OnButtonClick;

  // The window the decoration is attached to now (null while inactive).
  HWnd AttachedWindow() const { return attached_; }
  // The button under the mouse at the last hit test (1..6, 0 none).
  int32_t ButtonIndex() const { return button_index_; }
  // A caption button is being tracked.
  bool Tracking() const { return tracking_; }
  // The window's bounds before it was rolled up.
  TRect NormalBounds() const { return normal_bounds_; }
  // What the point (screen coordinates) is to the frame.
  int32_t HitTest(TPoint Screen);
  // Paints the whole frame of the window as it is now into C (window coordinates); what
  // WM_NCPAINT paints on the window itself.
  void PaintFrameTo(TCanvas* C, bool ActiveLook);
  // The frame offset in force (the frame width, 1 for the thin look).
  int32_t FrameOffset() const { return frame_offset_; }
  void ShowSystemMenu();

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void PublishProperties(TPropertyList& Props) override;

 private:
  friend class TKSFrameButton;
  struct Layout;
  static intptr_t __stdcall HookProc(HWnd Wnd, uint32_t Msg, uintptr_t WParam, intptr_t LParam);
  intptr_t WndProc(uint32_t Msg, uintptr_t WParam, intptr_t LParam);
  intptr_t Default(uint32_t Msg, uintptr_t WParam, intptr_t LParam);
  HWnd Window();
  void Sync();
  void Attach();
  void Detach(bool RestoreStyle);
  void RemoveCaptionStyle();
  void RestoreStyle();
  Layout ComputeLayout(int32_t Width, int32_t Height) const;
  TSizeStyle SizingNow() const { return rolled_up_ ? rolled_up_size_style_ : size_style_; }
  void PaintNonClient();
  void DrawButton(TCanvas* C, const TRect& R, int Index, bool Down);
  void DrawSysMenuBox(TCanvas* C, const TRect& R, bool Pressed);
  bool TrackButton(int Index);
  int32_t RolledHeight() const;
  void Changed();
  void Notice(TMessage& M);

  TCustomForm* form_ = nullptr;
  HWnd attached_ = nullptr;
  HWnd notice_window_ = nullptr;
  uint32_t saved_style_ = 0;
  bool active_ = false;
  bool is_active_look_ = true;
  bool tracking_ = false;
  bool track_cancelled_ = false;
  bool sizing_to_screen_ = false;
  bool menu_shown_ = false;
  bool sysmenu_pressed_ = false;
  int32_t pressed_button_ = 0;
  int32_t button_index_ = 0;
  int32_t frame_offset_ = 4;
  int32_t caption_top_fix_ = 0;
  TRect normal_bounds_;
  bool saved_corners_ = true;

  std::array<std::unique_ptr<TKSFrameButton>, 7> buttons_;
  TColor bar_color_ = clActiveCaption, bar_color_inactive_ = clInactiveCaption;
  uint8_t bar_height_ = 18;
  TBarStyles bar_style_ = TBarStyles::bsStandard;
  uint8_t buttons_left_ = 1, buttons_right_ = 2;
  uint8_t button_left_bevel_ = 1, button_right_bevel_ = 1;
  bool button_right_gap_ = false;
  int32_t button_left_width_ = 16, button_right_width_ = 16;
  std::unique_ptr<TBitmap> caption_bitmap_, system_menu_bitmap_;
  TCaptionLayout caption_layout_ = TCaptionLayout::clBitmapLeft;
  std::unique_ptr<TFont> caption_font_, caption_font_inactive_;
  THorzPosition caption_horz_pos_ = THorzPosition::hCenter;
  uint8_t caption_margin_ = 1;
  TCaptionStyle caption_style_ = TCaptionStyle::csText;
  bool custom_frame_ = true;
  TColor face_color_ = clBtnFace;
  TColor frame_color_ = clActiveBorder, frame_color_inactive_ = clInactiveBorder;
  bool frame_corners_ = true;
  int32_t frame_corner_size_ = 30;
  TFrameStyles frame_style_ = TFrameStyles::fsStandard;
  uint8_t frame_width_ = 4;
  bool grabbing_ = false;
  int32_t max_height_ = 480, min_height_ = 240, max_width_ = 640, min_width_ = 320;
  TPositionStyle position_ = TPositionStyle::psNormal;
  bool rolled_up_ = false;
  bool rolled_up_pending_ = false;  // read from a stream, applied once loaded
  TSizeStyle rolled_up_size_style_ = TSizeStyle::szNone, size_style_ = TSizeStyle::szBoth;
  bool size_control_ = false;
  bool system_menu_ = true;
  TSysMenuStyle system_menu_style_ = TSysMenuStyle::smStandard;
  TColor light_color_ = clBtnHighlight, shadow_color_ = clBtnShadow;
};

void RegisterCaptionBarClasses();

}  // namespace tess
