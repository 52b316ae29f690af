// See editor_prefs.h.
#include "components/synedit/editor_prefs.h"

#include "components/synedit/synedit.h"

namespace tess {

void ApplyEditorPrefs(const TEditorPrefs& Prefs, TySynEdit* Editor) {
  if (Editor == nullptr) return;
  TOvcFixedFont* font = Editor->FixedFont();
  if (Prefs.UseSyntaxHighlighting) {
    Editor->SetUseSyntaxHighlighting(true);
    Editor->SetScanForComments(Prefs.ScanForComments);
    Editor->SetColor(Prefs.BackgroundColor);
    Editor->SetCommentTextColor(Prefs.CommentTextColor);
    Editor->SetPLSQLTextColor(Prefs.PLSQLTextColor);
    Editor->SetSQLTextColor(Prefs.SQLTextColor);
    Editor->SetStringTextColor(Prefs.StringTextColor);
    Editor->SetSymbolTextColor(Prefs.SymbolTextColor);
    Editor->SetNormalTextColor(Prefs.NormalTextColor);
    font->SetName(Prefs.FontName);
    font->SetSize(Prefs.FontSize);
    font->SetColor(Prefs.NormalTextColor);
  } else {
    Editor->SetUseSyntaxHighlighting(false);
    Editor->SetColor(Prefs.PlainBackgroundColor);
    font->SetName(Prefs.FontName);
    font->SetSize(Prefs.FontSize);
    font->SetColor(Prefs.PlainTextColor);
  }
  TEditorModel& m = Editor->Model();
  m.TabType = gPrefs->TabType <= ttSmart ? static_cast<TTabType>(gPrefs->TabType) : ttReal;
  if (gPrefs->TabSize > 0) m.SetTabSize(gPrefs->TabSize);
  m.SetScrollPastEnd(gPrefs->ScrollPastEnd);
  Editor->InvalidateAllRows();
}

}  // namespace tess
