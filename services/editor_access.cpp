// See editor_access.h.
#include "services/editor_access.h"

#include <cctype>

namespace tess {

namespace {

bool IsWordChar(char C) {
  unsigned char c = static_cast<unsigned char>(C);
  return std::isalnum(c) || c == '_' || c == '#' || c == '$';
}

}  // namespace

void SelectWordFromCaret(TyEditorAccess* Editor) {
  if (Editor == nullptr) return;
  int32_t line = 0, col = 0;
  Editor->GetCaretPosition(line, col);
  if (line < 1 || line > Editor->LineCount() || col < 1) return;
  std::string text = Editor->GetLine(line);
  int32_t end = col;  // 1-based column after the word
  while (end <= static_cast<int32_t>(text.size()) && IsWordChar(text[end - 1])) ++end;
  if (end > col) Editor->SetSelection(line, col, line, end);
}

}  // namespace tess
