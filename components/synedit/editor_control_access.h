// The editor control as the access layer's stored-program routines see it (the
// TyEditorAccess interface): paragraphs, display lines, caret and selection of a real
// editor, and updates that repaint once after the outermost one ends.
#pragma once

#include "services/editor_access.h"

namespace tess {

class TyCustomEditor;

class TyEditorControlAccess : public TyEditorAccess {
 public:
  explicit TyEditorControlAccess(TyCustomEditor& Editor) : editor_(Editor) {}
  ~TyEditorControlAccess() override;

  int32_t ParaCount() const override;
  std::string GetPara(int32_t Index) const override;
  void AppendPara(const std::string& S) override;
  int32_t LineCount() const override;
  // The line's own characters (tabs kept), so columns are character columns.
  std::string GetLine(int32_t Index) const override;
  int32_t TextLength() const override;
  void GetCaretPosition(int32_t& Line, int32_t& Col) const override;
  void SetCaretPosition(int32_t Line, int32_t Col) override;
  void SetSelection(int32_t Line1, int32_t Col1, int32_t Line2, int32_t Col2) override;
  void BeginUpdate() override;
  void EndUpdate() override;

 private:
  TyCustomEditor& editor_;
  int update_count_ = 0;
};

}  // namespace tess
