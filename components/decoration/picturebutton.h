// Picture buttons: an owner-drawn push button with a frame in one of several styles, up
// to three pictures (up, down, disabled) and a caption that may be turned, raised or
// inset, each placed anywhere on the face; and the repeat button, which clicks again and
// again while it is held.
//
// Placement rule (pictures and caption alike): 0 centres the item, a positive value is
// its distance from the left (top) edge, a negative value n puts it at extent - item
// size + n.
//
// The repeat button's timer runs only while the button is held: release, a lost capture
// (a message box opened from its click, another window taking the mouse) and the
// window's end all stop it and put its pictures back.
#pragma once

#include <array>
#include <memory>

#include "framework/win/stdctrls.h"

namespace tess {

enum class ToxBtnStyle { bsAuto, bsWin31, bsWin95, bsInset, bsThick, bsSpeed };
enum class ToxBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose };
enum class TFont3D { fsNone, fsNormal, fsRaised, fsInset };
enum class TFocusStyleFlag { fsDefault, fsText, fsOutline, fsBoldFont };
using TFocusStyle = TEnumSet<TFocusStyleFlag>;
enum class ToxBtnOption { oxbCacheImages, oxbUsePalette };
using ToxBtnOptions = TEnumSet<ToxBtnOption>;

class ToxCustomButton : public TButton {
 public:
  explicit ToxCustomButton(TComponent* AOwner);
  ~ToxCustomButton() override;

  ToxBtnStyle Style() const { return style_; }
  void SetStyle(ToxBtnStyle Value);
  // The style in force: bsAuto resolved.
  ToxBtnStyle EffectiveStyle() const;
  ToxBtnKind Kind();
  void SetKind(ToxBtnKind Value);
  TPicture* PictureUp() const { return picture_up_.get(); }
  void SetPictureUp(TGraphic* Value);
  TPicture* PictureDown() const { return picture_down_.get(); }
  void SetPictureDown(TGraphic* Value);
  TPicture* PictureDisabled() const { return picture_disabled_.get(); }
  void SetPictureDisabled(TGraphic* Value);
  TColor ShadowColor() const { return shadow_color_; }
  void SetShadowColor(TColor Value);
  TColor TransparentColor() const { return transparent_color_; }
  void SetTransparentColor(TColor Value);
  uint16_t TextAngle() const { return text_angle_; }
  void SetTextAngle(uint16_t Value);
  int32_t PictureX() const { return picture_x_; }
  void SetPictureX(int32_t Value);
  int32_t PictureY() const { return picture_y_; }
  void SetPictureY(int32_t Value);
  int32_t TextX() const { return text_x_; }
  void SetTextX(int32_t Value);
  int32_t TextY() const { return text_y_; }
  void SetTextY(int32_t Value);
  TFont3D Font3D() const { return font3d_; }
  void SetFont3D(TFont3D Value);
  bool MultiLine() const { return multi_line_; }
  void SetMultiLine(bool Value);
  TFocusStyle FocusStyle() const { return focus_style_; }
  void SetFocusStyle(TFocusStyle Value);
  ToxBtnOptions Options() const { return options_; }
  void SetOptions(ToxBtnOptions Value);
  // Drawn pressed with the down picture and 1-pixel offsets; with Dither as well, the
  // face is a checkered pattern (a button that stays down).
  bool LatchedDown() const { return latched_down_; }
  void SetLatchedDown(bool Value);
  bool Dither() const { return dither_; }
  void SetDither(bool Value);

  // Where an item of Size goes on an Extent by the placement rule.
  static int32_t PlaceOffset(int32_t Pos, int32_t Extent, int32_t Size);
  // The rectangles of the last paint (client coordinates).
  TRect PictureRect() const { return picture_rect_; }
  TRect CaptionRect() const { return caption_rect_; }
  // Drops the cached images and repaints.
  void Invalidate() override;

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  enum class TPaintState { Disabled, Pressed, Focused, DefaultLook, Normal };
  void CreateWnd() override;
  void DrawItem(HDc DC, bool Pressed, bool Focused);
  void PaintImage(TCanvas* C, TPaintState State, bool Pressed);
  void DrawFrame(TCanvas* C, TRect& R, bool Down);
  void DrawPicture(TCanvas* C, const TRect& Face, bool Pressed, int32_t Shift);
  void DrawCaption(TCanvas* C, const TRect& Face, TPaintState State, int32_t Shift);
  // Swaps the up and down pictures (the repeat button's blink).
  void SwapPictures();
  bool repeating_ = false;

 private:
  std::unique_ptr<TPicture> picture_up_, picture_down_, picture_disabled_;
  std::array<std::unique_ptr<TBitmap>, 5> cache_;
  TRect picture_rect_, caption_rect_;
  ToxBtnStyle style_ = ToxBtnStyle::bsAuto;
  ToxBtnKind kind_ = ToxBtnKind::bkCustom;
  TColor shadow_color_ = clGray;
  TColor transparent_color_ = clSilver;
  uint16_t text_angle_ = 0;
  int32_t picture_x_ = 1, picture_y_ = 1;
  int32_t text_x_ = -5, text_y_ = -5;
  TFont3D font3d_ = TFont3D::fsNormal;
  bool multi_line_ = false;
  TFocusStyle focus_style_{TFocusStyleFlag::fsDefault, TFocusStyleFlag::fsText};
  ToxBtnOptions options_{ToxBtnOption::oxbCacheImages};
  bool latched_down_ = false;
  bool dither_ = false;
};

class ToxRepeat : public ToxCustomButton {
 public:
  explicit ToxRepeat(TComponent* AOwner);
  ~ToxRepeat() override;

  int32_t Delay() const { return delay_; }
  void SetDelay(int32_t Value) { delay_ = Value > 0 ? Value : 1; }
  bool Repeating() const { return repeating_; }
  // This button's pictures are swapped now.
  bool PicturesSwapped() const { return swapped_; }

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

  static constexpr uintptr_t kTimerId = 1274;

 private:
  void Tick();
  void Stop();
  void Swap();
  int32_t delay_ = 200;
  bool swapped_ = false;
  bool in_click_ = false;
};

void RegisterPictureButtonClasses();

}  // namespace tess
