// Carets: the description of a caret's look (TOvcCaret, shared by several owners), the
// object that drives the one system caret of a control (TOvcSingleCaret) and the
// insert/overwrite pair built on it (TOvcCaretPair).
//
// The system caret exists only while the single caret is linked, which its owner does
// while it has the focus.  Linked, a caret with its own BlinkTime sets the system blink
// time; unlinking gives the user's blink time back.  Every change of the look destroys
// and makes the system caret again.  A position coordinate of kCaretOutside (any
// negative one set) keeps the caret outside the window.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/win/controls.h"
#include "framework/win/graphics.h"

namespace tess {

enum class TOvcCaretAlign { caLeft, caTop, caRight, caBottom, caCenter };
enum class TOvcCaretShape { csBlock, csHalfBlock, csVertLine, csHorzLine, csCustom, csBitmap };

constexpr int32_t kCaretOutside = 2147483647;

class TOvcCaret : public TPersistent {
 public:
  TOvcCaret();
  ~TOvcCaret() override;

  TOvcCaretAlign Align() const { return align_; }
  void SetAlign(TOvcCaretAlign Value);
  TBitmap* Bitmap() const { return bitmap_.get(); }
  // Copies the image (null is ignored).
  void SetBitmap(TBitmap* Value);
  int32_t BitmapHotSpotX() const { return hot_x_; }
  void SetBitmapHotSpotX(int32_t Value);
  int32_t BitmapHotSpotY() const { return hot_y_; }
  void SetBitmapHotSpotY(int32_t Value);
  // Milliseconds; 0 keeps the system's.
  uint16_t BlinkTime() const { return blink_time_; }
  void SetBlinkTime(uint16_t Value);
  // Pixels, at least 1 (smaller values are ignored).
  int32_t CaretHeight() const { return caret_height_; }
  void SetCaretHeight(int32_t Value);
  int32_t CaretWidth() const { return caret_width_; }
  void SetCaretWidth(int32_t Value);
  bool IsGray() const { return is_gray_; }
  void SetIsGray(bool Value);
  TOvcCaretShape Shape() const { return shape_; }
  // Also places the caret in the cell and sizes the line shapes.
  void SetShape(TOvcCaretShape Value);

  // Set by the single caret that uses this one.
  TNotifyEvent OnChange;

  void PublishProperties(TPropertyList& Props) override;

 private:
  friend class TOvcSingleCaret;
  void Changed();

  const void* listener_ = nullptr;  // the single caret OnChange calls back

  TOvcCaretAlign align_ = TOvcCaretAlign::caLeft;
  std::unique_ptr<TBitmap> bitmap_;
  int32_t hot_x_ = 0;
  int32_t hot_y_ = 0;
  uint16_t blink_time_ = 0;
  int32_t caret_height_ = 10;
  int32_t caret_width_ = 2;
  bool is_gray_ = false;
  TOvcCaretShape shape_ = TOvcCaretShape::csVertLine;
};

class TOvcSingleCaret : public TPersistent {
 public:
  explicit TOvcSingleCaret(TWinControl* Owner);
  ~TOvcSingleCaret() override;

  TOvcCaret* Caret() const { return caret_.get(); }
  std::shared_ptr<TOvcCaret> SharedCaret() const { return caret_; }
  void SetCaret(std::shared_ptr<TOvcCaret> Value);
  int32_t CellHeight() const { return cell_height_; }
  void SetCellHeight(int32_t Value);
  int32_t CellWidth() const { return cell_width_; }
  void SetCellWidth(int32_t Value);
  bool Linked() const { return linked_; }
  void SetLinked(bool Value);
  TPoint Position() const { return {x_, y_}; }
  void SetPosition(TPoint Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  TWinControl* Owner() const { return owner_; }
  // Where the caret sits inside the cell.
  TPoint Offset() const { return {offset_x_, offset_y_}; }

 protected:
  // Unlinks, recomputes and links again: after any change of the look.
  void Redo();

 private:
  void Detach();
  void ComputeMetrics();
  void MakeSystemCaret();
  void MoveSystemCaret();

  std::shared_ptr<TOvcCaret> caret_;
  int32_t cell_height_ = 10;
  bool linked_ = false;
  int32_t x_ = 0;
  int32_t y_ = 0;
  bool visible_ = false;
  int32_t cell_width_ = 10;
  uint32_t saved_blink_time_ = 0;
  TWinControl* owner_;
  int32_t offset_x_ = 0;
  int32_t offset_y_ = 0;
};

class TOvcCaretPair : public TOvcSingleCaret {
 public:
  explicit TOvcCaretPair(TWinControl* Owner);
  ~TOvcCaretPair() override;

  bool InsertMode() const { return insert_mode_; }
  void SetInsertMode(bool Value);
  TOvcCaret* InsCaret() const { return ins_caret_.get(); }
  void SetInsCaret(std::shared_ptr<TOvcCaret> Value);
  TOvcCaret* OvrCaret() const { return ovr_caret_.get(); }
  void SetOvrCaret(std::shared_ptr<TOvcCaret> Value);

 private:
  bool insert_mode_ = true;
  std::shared_ptr<TOvcCaret> ins_caret_;
  std::shared_ptr<TOvcCaret> ovr_caret_;
};

}  // namespace tess
