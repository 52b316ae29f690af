// The editor's font property: a font whose family is always one of the fixed-pitch
// families installed, so that text can be laid out in columns of equal width.  The
// families are collected once, from the screen, the first time they are needed.
#pragma once

#include <memory>
#include <string>

#include "framework/core/component.h"
#include "framework/win/graphics.h"

namespace tess {

class TStringList;

// The face names of the fixed-pitch families, in the order the screen reports them.
TStringList* FixedFontList();
bool IsFixedFont(const std::string& Name);

class TOvcFixedFont : public TPersistent {
 public:
  TOvcFixedFont();
  ~TOvcFixedFont() override;

  TNotifyEvent OnChange;

  TFont* Font() const { return font_.get(); }
  TColor Color() const { return font_->Color(); }
  void SetColor(TColor Value);
  const std::string& Name() const { return font_->Name(); }
  // Only a fixed-pitch family's exact name is taken; any other is ignored.
  void SetName(const std::string& Value);
  int32_t Size() const { return font_->Size(); }
  void SetSize(int32_t Value);
  TFontStyles Style() const { return font_->Style(); }
  void SetStyle(TFontStyles Value);

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;

 private:
  void Changed();
  std::unique_ptr<TFont> font_;
};

}  // namespace tess
