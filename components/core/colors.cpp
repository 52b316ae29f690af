// See colors.h.
#include "components/core/colors.h"

namespace tess {

TOvcColors::TOvcColors(TColor TextColor, TColor BackColor)
    : def_back_color_(BackColor), def_text_color_(TextColor) {
  ResetToDefaults();
}

void TOvcColors::SetBackColor(TColor Value) {
  if (Value == back_color_) return;
  if (Value != def_back_color_) use_default_ = false;
  back_color_ = Value;
  DoColorChange();
}

void TOvcColors::SetTextColor(TColor Value) {
  if (Value == text_color_) return;
  if (Value != def_text_color_) use_default_ = false;
  text_color_ = Value;
  DoColorChange();
}

void TOvcColors::SetUseDefault(bool Value) {
  use_default_ = Value;
  if (Value) {
    ResetToDefaults();
    DoColorChange();
  }
}

void TOvcColors::DoColorChange() {
  if (OnColorChange) OnColorChange(this);
}

void TOvcColors::ResetToDefaults() {
  back_color_ = def_back_color_;
  text_color_ = def_text_color_;
}

void TOvcColors::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TOvcColors*>(Source)) {
    SetBackColor(src->BackColor());
    SetTextColor(src->TextColor());
    return;
  }
  TPersistent::Assign(Source);
}

void TOvcColors::PublishProperties(TPropertyList& Props) {
  TPersistent::PublishProperties(Props);
  Props.Integer("BackColor", [this] { return back_color_; }, [this](int32_t v) { SetBackColor(v); });
  Props.Integer("TextColor", [this] { return text_color_; }, [this](int32_t v) { SetTextColor(v); });
  Props.Boolean("UseDefault", [this] { return use_default_; }, [](bool) {}).Stored(false);
}

}  // namespace tess
