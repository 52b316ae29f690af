// See editor_control_access.h.
#include "components/synedit/editor_control_access.h"

#include "components/editor/editor.h"
#include "platform/win32.h"

namespace tess {

TyEditorControlAccess::~TyEditorControlAccess() {
  // An update left open would keep the window from drawing.
  if (update_count_ > 0) {
    update_count_ = 1;
    EndUpdate();
  }
}

int32_t TyEditorControlAccess::ParaCount() const { return editor_.Model().GetParaCount(); }

std::string TyEditorControlAccess::GetPara(int32_t Index) const {
  return editor_.Model().GetPara(Index);
}

void TyEditorControlAccess::AppendPara(const std::string& S) {
  editor_.Model().AppendPara(S.c_str());
}

int32_t TyEditorControlAccess::LineCount() const { return editor_.Model().GetLineCount(); }

std::string TyEditorControlAccess::GetLine(int32_t Index) const {
  const char* t = nullptr;
  int32_t len = 0;
  TEditorModel& m = editor_.Model();
  if (Index < 1 || Index > m.GetLineCount()) return {};
  m.Paragraphs().GetLineText(Index, t, len);
  return std::string(t, static_cast<size_t>(len));
}

int32_t TyEditorControlAccess::TextLength() const { return editor_.Model().GetTextLength(); }

void TyEditorControlAccess::GetCaretPosition(int32_t& Line, int32_t& Col) const {
  Line = editor_.Model().GetCaretPosition(Col);
}

void TyEditorControlAccess::SetCaretPosition(int32_t Line, int32_t Col) {
  editor_.Model().SetCaretPosition(Line, Col);
}

void TyEditorControlAccess::SetSelection(int32_t Line1, int32_t Col1, int32_t Line2,
                                         int32_t Col2) {
  editor_.Model().SetSelection(Line1, Col1, Line2, Col2, true);
}

void TyEditorControlAccess::BeginUpdate() {
  if (update_count_++ == 0 && editor_.HandleAllocated())
    SendMessageA(static_cast<HWND>(editor_.Handle()), WM_SETREDRAW, FALSE, 0);
}

void TyEditorControlAccess::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0) return;
  if (!editor_.HandleAllocated()) return;
  SendMessageA(static_cast<HWND>(editor_.Handle()), WM_SETREDRAW, TRUE, 0);
  editor_.ResetScrollBars();
  editor_.InvalidateAllRows();
}

}  // namespace tess
