// See carets.h.
#include "components/core/carets.h"

namespace tess {

// ---------------------------------------------------------------------------------------
// TOvcCaret
// ---------------------------------------------------------------------------------------

TOvcCaret::TOvcCaret() : bitmap_(std::make_unique<TBitmap>()) {}

TOvcCaret::~TOvcCaret() = default;

void TOvcCaret::Changed() {
  if (OnChange) OnChange(this);
}

void TOvcCaret::SetAlign(TOvcCaretAlign Value) {
  if (Value == align_) return;
  align_ = Value;
  Changed();
}

void TOvcCaret::SetBitmap(TBitmap* Value) {
  if (!Value) return;
  bitmap_->Assign(Value);
  Changed();
}

void TOvcCaret::SetBitmapHotSpotX(int32_t Value) {
  if (Value == hot_x_) return;
  hot_x_ = Value;
  if (shape_ == TOvcCaretShape::csBitmap) Changed();
}

void TOvcCaret::SetBitmapHotSpotY(int32_t Value) {
  if (Value == hot_y_) return;
  hot_y_ = Value;
  if (shape_ == TOvcCaretShape::csBitmap) Changed();
}

void TOvcCaret::SetBlinkTime(uint16_t Value) {
  if (Value == blink_time_) return;
  blink_time_ = Value;
  Changed();
}

void TOvcCaret::SetCaretHeight(int32_t Value) {
  if (Value == caret_height_ || Value < 1) return;
  caret_height_ = Value;
  Changed();
}

void TOvcCaret::SetCaretWidth(int32_t Value) {
  if (Value == caret_width_ || Value < 1) return;
  caret_width_ = Value;
  Changed();
}

void TOvcCaret::SetIsGray(bool Value) {
  if (Value == is_gray_) return;
  is_gray_ = Value;
  Changed();
}

void TOvcCaret::SetShape(TOvcCaretShape Value) {
  if (Value == shape_) return;
  shape_ = Value;
  switch (Value) {
    case TOvcCaretShape::csBlock: align_ = TOvcCaretAlign::caLeft; break;
    case TOvcCaretShape::csHalfBlock: align_ = TOvcCaretAlign::caBottom; break;
    case TOvcCaretShape::csVertLine:
      align_ = TOvcCaretAlign::caLeft;
      caret_width_ = 2;
      break;
    case TOvcCaretShape::csHorzLine:
      align_ = TOvcCaretAlign::caBottom;
      caret_height_ = 2;
      break;
    case TOvcCaretShape::csBitmap:
      if (bitmap_->Height() >= 1) caret_height_ = bitmap_->Height();
      if (bitmap_->Width() >= 1) caret_width_ = bitmap_->Width();
      break;
    case TOvcCaretShape::csCustom: break;
  }
  Changed();
}

void TOvcCaret::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  // The shape comes first and, with the alignment and the sizes it sets, is always
  // stored: an overwrite caret starts as a block, the sizes follow the owner's font, and
  // read after the shape each keeps the value it was stored with.
  P.Enum<TOvcCaretShape>(
       "Shape", {"csBlock", "csHalfBlock", "csVertLine", "csHorzLine", "csCustom", "csBitmap"},
       [this] { return shape_; }, [this](TOvcCaretShape v) { SetShape(v); })
      .NoDefault();
  P.Enum<TOvcCaretAlign>(
       "Align", {"caLeft", "caTop", "caRight", "caBottom", "caCenter"}, [this] { return align_; },
       [this](TOvcCaretAlign v) { SetAlign(v); })
      .NoDefault();
  P.Integer("BitmapHotSpotX", [this] { return hot_x_; }, [this](int32_t v) { SetBitmapHotSpotX(v); })
      .Default(0);
  P.Integer("BitmapHotSpotY", [this] { return hot_y_; }, [this](int32_t v) { SetBitmapHotSpotY(v); })
      .Default(0);
  P.Integer("BlinkTime", [this] { return blink_time_; },
            [this](int32_t v) { SetBlinkTime(static_cast<uint16_t>(v)); })
      .Default(0);
  P.Integer(
       "CaretHeight", [this] { return caret_height_; }, [this](int32_t v) { SetCaretHeight(v); })
      .NoDefault();
  P.Integer(
       "CaretWidth", [this] { return caret_width_; }, [this](int32_t v) { SetCaretWidth(v); })
      .NoDefault();
  P.Boolean(
       "IsGray", [this] { return is_gray_; }, [this](bool v) { SetIsGray(v); })
      .Default(false);
}

// ---------------------------------------------------------------------------------------
// TOvcSingleCaret
// ---------------------------------------------------------------------------------------

TOvcSingleCaret::TOvcSingleCaret(TWinControl* Owner) : owner_(Owner) {
  SetCaret(std::make_shared<TOvcCaret>());
}

TOvcSingleCaret::~TOvcSingleCaret() {
  SetVisible(false);
  SetLinked(false);
  Detach();
}

void TOvcSingleCaret::Detach() {
  // A caret shared with another single caret may be listened to by that one now.
  if (caret_ && caret_->listener_ == this) {
    caret_->OnChange = nullptr;
    caret_->listener_ = nullptr;
  }
}

void TOvcSingleCaret::SetCaret(std::shared_ptr<TOvcCaret> Value) {
  if (!Value || Value == caret_) return;
  Detach();
  caret_ = std::move(Value);
  caret_->OnChange = [this](TObject*) { Redo(); };
  caret_->listener_ = this;
  Redo();
}

void TOvcSingleCaret::SetCellHeight(int32_t Value) {
  if (Value == cell_height_ || Value < 1) return;
  cell_height_ = Value;
  Redo();
}

void TOvcSingleCaret::SetCellWidth(int32_t Value) {
  if (Value == cell_width_ || Value < 1) return;
  cell_width_ = Value;
  Redo();
}

void TOvcSingleCaret::Redo() {
  bool was = linked_;
  SetLinked(false);
  ComputeMetrics();
  if (was) SetLinked(true);
}

void TOvcSingleCaret::ComputeMetrics() {
  TOvcCaret& c = *caret_;
  // Adjusting the sizes must not call back into Redo.
  TNotifyEvent saved = std::move(c.OnChange);
  c.OnChange = nullptr;
  switch (c.Shape()) {
    case TOvcCaretShape::csBlock:
      c.SetCaretHeight(cell_height_);
      c.SetCaretWidth(cell_width_);
      break;
    case TOvcCaretShape::csHalfBlock:
      c.SetCaretHeight(cell_height_ / 2);
      c.SetCaretWidth(cell_width_);
      break;
    case TOvcCaretShape::csVertLine: c.SetCaretHeight(cell_height_); break;
    case TOvcCaretShape::csHorzLine: c.SetCaretWidth(cell_width_); break;
    case TOvcCaretShape::csCustom:
    case TOvcCaretShape::csBitmap: break;
  }
  c.OnChange = std::move(saved);

  const int32_t h = c.CaretHeight(), w = c.CaretWidth();
  int32_t ox = 0, oy = 0;
  switch (c.Align()) {
    case TOvcCaretAlign::caLeft: oy = (cell_height_ - h) / 2; break;
    case TOvcCaretAlign::caTop: ox = (cell_width_ - w) / 2; break;
    case TOvcCaretAlign::caRight:
      ox = cell_width_ - w;
      oy = (cell_height_ - h) / 2;
      break;
    case TOvcCaretAlign::caBottom:
      ox = (cell_width_ - w) / 2;
      oy = cell_height_ - h;
      break;
    case TOvcCaretAlign::caCenter:
      ox = (cell_width_ - w) / 2;
      oy = (cell_height_ - h) / 2;
      break;
  }
  if (c.Shape() == TOvcCaretShape::csBitmap) {
    ox -= c.BitmapHotSpotX();
    oy -= c.BitmapHotSpotY();
  }
  if (ox != offset_x_ || oy != offset_y_) {
    offset_x_ = ox;
    offset_y_ = oy;
    if (linked_) MoveSystemCaret();
  }
}

void TOvcSingleCaret::SetLinked(bool Value) {
  if (Value == linked_) return;
  if (Value) {
    if (!owner_ || !owner_->HandleAllocated()) return;
    saved_blink_time_ = CaretBlinkTime();
    linked_ = true;
    MakeSystemCaret();
    MoveSystemCaret();
    uint16_t blink = caret_->BlinkTime();
    if (blink != 0 && blink != saved_blink_time_) SetCaretBlinkTime(blink);
  } else {
    linked_ = false;
    if (saved_blink_time_ != 0 && CaretBlinkTime() != saved_blink_time_)
      SetCaretBlinkTime(saved_blink_time_);
    if (owner_ && owner_->HandleAllocated()) owner_->DestroyCaret();
  }
}

void TOvcSingleCaret::MakeSystemCaret() {
  const TOvcCaret& c = *caret_;
  if (c.Shape() == TOvcCaretShape::csBitmap && c.Bitmap()->Handle()) {
    owner_->CreateCaret(c.Bitmap()->Handle(), 0, 0);
  } else {
    owner_->CreateCaret(nullptr, c.CaretWidth(), c.CaretHeight(), c.IsGray());
  }
  if (visible_) owner_->ShowCaret();
}

void TOvcSingleCaret::MoveSystemCaret() {
  int32_t x = x_ == kCaretOutside ? x_ : x_ + offset_x_;
  int32_t y = y_ == kCaretOutside ? y_ : y_ + offset_y_;
  owner_->SetCaretPos(x, y);
}

void TOvcSingleCaret::SetPosition(TPoint Value) {
  if (Value.X < 0) Value.X = kCaretOutside;
  if (Value.Y < 0) Value.Y = kCaretOutside;
  if (Value.X == x_ && Value.Y == y_) return;
  x_ = Value.X;
  y_ = Value.Y;
  if (linked_) MoveSystemCaret();
}

void TOvcSingleCaret::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  if (!linked_) return;
  if (Value) {
    owner_->ShowCaret();
  } else {
    owner_->HideCaret();
  }
}

// ---------------------------------------------------------------------------------------
// TOvcCaretPair
// ---------------------------------------------------------------------------------------

TOvcCaretPair::TOvcCaretPair(TWinControl* Owner)
    : TOvcSingleCaret(Owner),
      ins_caret_(std::make_shared<TOvcCaret>()),
      ovr_caret_(std::make_shared<TOvcCaret>()) {
  ovr_caret_->SetShape(TOvcCaretShape::csBlock);
  SetCaret(ins_caret_);
}

TOvcCaretPair::~TOvcCaretPair() {
  SetVisible(false);
  SetLinked(false);
}

void TOvcCaretPair::SetInsertMode(bool Value) {
  if (Value == insert_mode_) return;
  insert_mode_ = Value;
  SetCaret(Value ? ins_caret_ : ovr_caret_);
}

void TOvcCaretPair::SetInsCaret(std::shared_ptr<TOvcCaret> Value) {
  if (!Value || Value == ins_caret_) return;
  ins_caret_ = std::move(Value);
  if (insert_mode_) SetCaret(ins_caret_);
}

void TOvcCaretPair::SetOvrCaret(std::shared_ptr<TOvcCaret> Value) {
  if (!Value || Value == ovr_caret_) return;
  ovr_caret_ = std::move(Value);
  if (!insert_mode_) SetCaret(ovr_caret_);
}

}  // namespace tess
