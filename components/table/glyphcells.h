// The cells that show a picture: the bitmap cell draws one glyph of a strip that its data
// names; the glyph cell draws one of its own strip's glyphs and cycles through the active
// ones in its in-place editor; the check-box cell is a glyph cell on the three check-box
// glyphs (unchecked, checked, grayed) whose data is one byte.
//
// A glyph editor's value always names an active glyph: 0 .. ActiveGlyphCount-1.
#pragma once

#include <cstdint>
#include <memory>

#include "components/table/tablecells.h"
#include "components/table/tableglyphs.h"
#include "framework/win/controls.h"

namespace tess {

// The data of a bitmap cell.  Index -1 draws nothing; an index not below GlyphCount is
// written back as 0.
struct TOvcCellBitMapInfo {
  TBitmap* BM = nullptr;
  int32_t Count = 1;
  int32_t ActiveCount = 1;
  int32_t Index = -1;
};

class TOvcTCBaseBitMap : public TOvcBaseTableCell {
 public:
  using TOvcBaseTableCell::TOvcBaseTableCell;
  // Data: a TOvcCellBitMapInfo.
  void Paint(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
             const TOvcCellAttributes& CellAttr, void* Data) override;

 protected:
  // Glyph Index of a strip of Count glyphs, placed by the adjustment inside the margin,
  // the strip's transparent colour showing the cell's colour.
  void PaintGlyph(TCanvas* C, const TRect& CellRect, const TOvcCellAttributes& A, TBitmap* BM,
                  int32_t Count, int32_t Index);
};

class TOvcTCBitMap : public TOvcTCBaseBitMap {
 public:
  using TOvcTCBaseBitMap::TOvcTCBaseBitMap;
};

class TOvcTCCustomGlyph;

// The in-place editor of glyph and check-box cells: paints through its cell and steps its
// value by Space, Backspace and clicks.  No double clicks: a quick second click steps again.
class TOvcTCGlyphEdit : public TCustomControl {
 public:
  explicit TOvcTCGlyphEdit(TComponent* AOwner);
  ~TOvcTCGlyphEdit() override;
  int32_t Value() const { return value_; }
  // Kept to the cell's active glyphs; a change repaints.
  void SetValue(int32_t Value);
  TOvcTCCustomGlyph* CellOwner = nullptr;
  int32_t Row = 0;
  int ColNum = 0;
  TOvcCellAttributes CellAttr;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

 private:
  void Step(int Direction);
  int32_t value_ = 0;
};

class TOvcTCCustomGlyph : public TOvcTCBaseBitMap {
 public:
  explicit TOvcTCCustomGlyph(TComponent* AOwner);
  ~TOvcTCCustomGlyph() override;

  TOvcCellGlyphs* CellGlyphs() const { return glyphs_.get(); }
  // Taken only when AcceptGlyphs accepts the strip.
  void SetCellGlyphs(TOvcCellGlyphs* Value);
  virtual bool AcceptGlyphs(TOvcCellGlyphs* Glyphs) { return static_cast<void>(Glyphs), true; }
  void PublishProperties(TPropertyList& Props) override;

  // Data: a 32-bit glyph index.
  void Paint(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
             const TOvcCellAttributes& CellAttr, void* Data) override;
  TOvcTCGlyphEdit* EditControl() const override { return editor_; }
  // The editor was freed (a handler of an event handed to it may free it).
  void EditorFreed(const TOvcTCGlyphEdit* Editor) {
    if (editor_ == Editor) editor_ = nullptr;
  }
  void SaveEditedData(void* Data) override;
  void StartEditing(int32_t RowNum, int ColNum, const TRect& CellRect,
                    const TOvcCellAttributes& CellAttr, TOvcTblEditorStyle CellStyle,
                    void* Data) override;
  void StopEditing(bool SaveValue, void* Data) override;

 protected:
  virtual TOvcTCGlyphEdit* CreateEditControl(TComponent* AOwner);
  // The glyph a datum names (the check box reads one byte).
  virtual int32_t ReadValue(const void* Data) const;
  virtual void WriteValue(void* Data, int32_t Value) const;
  void PaintIndex(TCanvas* C, const TRect& CellRect, int32_t RowNum, const TOvcCellAttributes& A,
                  const void* Data);
  // The strip changed (the check box re-applies AllowGrayed).
  virtual void GlyphsChanged() {}

 private:
  std::unique_ptr<TOvcCellGlyphs> glyphs_;
  TOvcTCGlyphEdit* editor_ = nullptr;
};

class TOvcTCGlyph : public TOvcTCCustomGlyph {
 public:
  using TOvcTCCustomGlyph::TOvcTCCustomGlyph;
};

// Check states as stored in a check-box cell's byte.
enum : uint8_t { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

class TOvcTCCustomCheckBox : public TOvcTCCustomGlyph {
 public:
  explicit TOvcTCCustomCheckBox(TComponent* AOwner);
  // With grayed allowed, editing passes through the third glyph too.
  bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool Value);
  // Only a strip of exactly three glyphs.
  bool AcceptGlyphs(TOvcCellGlyphs* Glyphs) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  int32_t ReadValue(const void* Data) const override;
  void WriteValue(void* Data, int32_t Value) const override;
  void GlyphsChanged() override;

 private:
  bool allow_grayed_ = false;
};

class TOvcTCCheckBox : public TOvcTCCustomCheckBox {
 public:
  using TOvcTCCustomCheckBox::TOvcTCCustomCheckBox;
};

}  // namespace tess
