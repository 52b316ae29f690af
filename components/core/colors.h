// A text and background colour pair with its defaults: the entry fields' and the
// editor's highlighted, disabled and error colours.  UseDefault stays true while the
// pair holds its defaults as set through the defaults; it is never stored in a stream
// (a stream that still holds it is read and the value ignored).
#pragma once

#include <cstdint>

#include "framework/core/classes.h"

namespace tess {

// A colour as the framework keeps it: an RGB value, or a system colour code.
using TColor = int32_t;

class TOvcColors : public TPersistent {
 public:
  TOvcColors(TColor TextColor, TColor BackColor);

  TColor BackColor() const { return back_color_; }
  void SetBackColor(TColor Value);
  TColor TextColor() const { return text_color_; }
  void SetTextColor(TColor Value);
  bool UseDefault() const { return use_default_; }
  void SetUseDefault(bool Value);

  TColor DefBackColor() const { return def_back_color_; }
  TColor DefTextColor() const { return def_text_color_; }

  // Called after any change (the owning control repaints).
  TNotifyEvent OnColorChange;

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  virtual void DoColorChange();
  virtual void ResetToDefaults();

 private:
  TColor back_color_ = 0;
  TColor text_color_ = 0;
  bool use_default_ = true;
  TColor def_back_color_;
  TColor def_text_color_;
};

}  // namespace tess
