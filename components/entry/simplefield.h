// The simple entry field: one picture character for every position and one data type
// (TSimpleDataType), over the entry field's window.  TOvcCustomSimpleField holds the
// behaviour; TOvcSimpleField publishes it.  Setting the data type gives the type's
// range, length and picture defaults; the length defaults let every value of the type
// fit ("-2147483648" in 11 characters, "-32768" in 6, a Comp in 20, a Double's shortest
// exact text in 23).
#pragma once

#include "components/entry/entryfield.h"

namespace tess {

class TOvcCustomSimpleField : public TOvcBaseEntryField {
 public:
  explicit TOvcCustomSimpleField(TComponent* AOwner);
  ~TOvcCustomSimpleField() override;

  TSimpleDataType DataType() const {
    return static_cast<TSimpleDataType>(model_.Data.DataType() & 63);
  }
  // A value outside sftString..sftComp raises EOvcException "Parameter value is invalid".
  virtual void SetDataType(TSimpleDataType Value);
  char PictureMask() const { return picture_mask_; }
  // A character that is no picture character raises EInvalidPictureMask and keeps the
  // old mask; the value survives the change.
  virtual void SetPictureMask(char Value);

  void Assign(TPersistent* Source) override;
  // Blanks while uninitialized and unfocused; password and pad characters.
  std::string GetDisplayString() override;

 protected:
  void CreateWnd() override;
  void PerformEdit(const TEntryEdit& E) override;

 private:
  char picture_mask_ = 'X';
};

class TOvcSimpleField : public TOvcCustomSimpleField {
 public:
  explicit TOvcSimpleField(TComponent* AOwner) : TOvcCustomSimpleField(AOwner) {}
  void PublishProperties(TPropertyList& Props) override;
};

// Makes TOvcSimpleField known to the component stream.
void RegisterEntryFieldClasses();

}  // namespace tess
