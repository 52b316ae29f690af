// The editor model's changes to the text (typing, deleting, inserting, replacing the
// whole text, tabs and new lines), the clipboard, undo and redo, and the command
// dispatcher that maps editor commands onto all of these.
#include "components/editor/editormodel.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>
#include <utility>

#include "components/core/commands.h"
#include "components/editor/paratext.h"

namespace tess {

namespace {
// Large insertions go in pieces of about this size.
constexpr int32_t kInsertPiece = 61440;

// Where the piece of Text that begins at Off ends.  A piece never ends on a CR: the
// paragraph list reads a text that ends in a CR as ending its paragraph, so a lone CR (a
// character of the text) would turn into a line break, and a CR LF cut in two into two of
// them.  The piece stops before its trailing CRs instead; only a run of CRs longer than a
// piece goes whole, with the character after it.
int32_t InsertPieceEnd(const char* Text, int32_t Off, int32_t Total) {
  int32_t end = std::min(Off + kInsertPiece, Total);
  if (end == Total) return end;
  int32_t e = end;
  while (e > Off && Text[e - 1] == '\r') --e;
  if (e > Off) return e;
  while (end < Total && Text[end] == '\r') ++end;
  return std::min(end + 1, Total);
}
}  // namespace

// --- changes ---------------------------------------------------------------------------------

void TEditorModel::Edited(int32_t OldLineCount) {
  if (GetLineCount() != OldLineCount || list_->LastChangedLine() == kMaxLongInt) {
    ScrollBarsChanged();
    InvalidateLines(list_->FirstChangedLine(), kMaxLongInt);
  } else {
    InvalidateLines(list_->FirstChangedLine(), list_->LastChangedLine());
  }
}

uint16_t TEditorModel::AppendPara(const char* Text) {
  auto len = static_cast<int32_t>(std::strlen(Text));
  if (uint16_t code = list_->CheckLimits(0, 1, len + 2)) return code;
  int32_t before = GetLineCount();
  uint16_t code = 0;
  CutLine(Text, len, ParaLengthLimit(), [&](const char* S, int32_t N, bool) {
    code = list_->AppendPara(S, N, TrimWhiteSpace);
    return code == 0;
  });
  if (before <= rows_ && GetLineCount() > rows_) {
    ScrollBarsChanged();
    InvalidateAll();
  }
  return code;
}

void TEditorModel::DeleteRange(TPos From, TPos To) {
  if (!(From < To)) return;
  int32_t lines = GetLineCount();
  if (From.Para == To.Para) {
    list_->DeleteText(this, From.Para, To.Pos - From.Pos, From.Pos);
  } else {
    uint16_t code = list_->DeleteBlock(this, From.Para, From.Pos, To.Para, To.Pos);
    if (code) {
      Report(code);
      return;
    }
  }
  SetSel(From, From);
  Edited(lines);
}

void TEditorModel::DeleteSelection() {
  if (!HasSelection() || ReadOnly) return;
  TPos a = sel_start_, b = sel_end_;
  DeleteRange(a, b);
}

void TEditorModel::ClearSelection() {
  if (ReadOnly || !HasSelection()) return;
  DeleteSelection();
  FollowCaret(-1);
}

uint16_t TEditorModel::Insert(const char* Text) {
  if (ReadOnly) return 0;
  TUndoGroup group(list_->UndoBuffer());
  DeleteSelection();
  int32_t para = caret_.Para, pos = caret_.Pos;
  auto total = static_cast<int32_t>(std::strlen(Text));
  uint16_t code = 0;
  // Large texts go in pieces that read as the whole text would.
  for (int32_t off = 0; off < total && code == 0;) {
    int32_t end = InsertPieceEnd(Text, off, total);
    std::string piece(Text + off, static_cast<size_t>(end - off));
    code = list_->InsertTextBlock(this, para, piece.c_str(), pos);
    off = end;
  }
  group.End();
  ScrollBarsChanged();
  InvalidateLines(list_->FirstChangedLine(), kMaxLongInt);
  MoveCaretTo({para, pos}, false);
  return code;
}

void TEditorModel::SetText(const char* Text) {
  DeleteAll(false);
  // Over-long lines are cut into further paragraphs, as loading does, rather than lost.
  std::string text;
  int32_t limit = ParaLengthLimit();
  for (const char* s = Text; *s;) {
    const char* e = s;
    while (*e && *e != '\n') ++e;
    const char* le = e;
    if (le > s && le[-1] == '\r') --le;
    CutLine(s, static_cast<int32_t>(le - s), limit, [&](const char* P, int32_t N, bool Continues) {
      if (Continues) text += "\r\n";
      text.append(P, static_cast<size_t>(N));
      return true;
    });
    text.append(le, static_cast<size_t>(e - le));
    if (*e == '\n') {
      text += '\n';
      ++e;
    }
    s = e;
  }
  bool ro = ReadOnly;
  ReadOnly = false;
  uint16_t code = Insert(text.c_str());
  ReadOnly = ro;
  MoveCaretTo({1, 1}, false);
  ScrollBarsChanged();
  InvalidateAll();
  if (code) Report(code);
}

void TEditorModel::Backspace() {
  if (ReadOnly) {
    CaretLeft(false);
    return;
  }
  if (HasSelection()) {
    DeleteSelection();
    FollowCaret(-1);
    return;
  }
  if (caret_.Para == 1 && caret_.Pos == 1) return;
  int32_t lines = GetLineCount();
  if (caret_.Pos == 1) {
    int32_t p = caret_.Para - 1;
    int32_t at = list_->GetParaLength(p) + 1;
    if (uint16_t code = list_->JoinPara(this, p, at)) {
      Report(code);
      return;
    }
    MoveCaretTo({p, at}, false);
  } else if (caret_.Pos - 1 > list_->GetParaLength(caret_.Para)) {
    MoveCaretTo({caret_.Para, caret_.Pos - 1}, false);  // beyond the end: only move
    return;
  } else {
    TPos p{caret_.Para, caret_.Pos - 1};
    list_->DeleteText(this, p.Para, 1, p.Pos);
    MoveCaretTo(p, false);
  }
  Edited(lines);
}

void TEditorModel::DeleteChar() {
  if (ReadOnly) return;
  if (HasSelection()) {
    DeleteSelection();
    FollowCaret(-1);
    return;
  }
  int32_t lines = GetLineCount();
  int32_t len = list_->GetParaLength(caret_.Para);
  char gone = 0;
  if (caret_.Pos > len) {
    if (caret_.Para < GetParaCount())
      if (uint16_t code = list_->JoinPara(this, caret_.Para, caret_.Pos)) Report(code);
  } else {
    gone = list_->GetParaNode(caret_.Para)->GetText()[caret_.Pos - 1];
    list_->DeleteText(this, caret_.Para, 1, caret_.Pos);
  }
  Edited(lines);
  // As when typing one: a comment may begin or end here, so everything below may change.
  if (gone == '/' || gone == '*') InvalidateAll();
  FollowCaret(-1);
}

void TEditorModel::TypeChar(char Ch) {
  if (ReadOnly) return;
  const bool replacing = HasSelection();
  std::optional<TUndoGroup> group;
  if (replacing) group.emplace(list_->UndoBuffer());
  DeleteSelection();
  int32_t lines = GetLineCount();
  uint16_t code;
  // The character takes the place of a selection; only without one does it overwrite.
  const bool overwrite =
      !InsertMode && !replacing && caret_.Pos <= list_->GetParaLength(caret_.Para);
  if (overwrite)
    code = list_->ReplaceText(this, caret_.Para, 1, &Ch, 1, caret_.Pos);
  else
    code = list_->InsertText(this, caret_.Para, 1, &Ch, caret_.Pos);
  group.reset();
  if (code) {
    Report(code);
    return;
  }
  if (Ch == '/' || Ch == '*') InvalidateAll();
  else Edited(lines);
  // An insertion at the caret already moved it (positions at the change move on).
  MoveCaretTo(overwrite ? TPos{caret_.Para, caret_.Pos + 1} : caret_, false);
}

uint16_t TEditorModel::InsertBlanks(int32_t N) {
  if (N <= 0) return 0;
  std::string b(static_cast<size_t>(N), ' ');
  TUndoGroup group(list_->UndoBuffer());
  if (!InsertMode) list_->DeleteText(this, caret_.Para, N, caret_.Pos);
  TPos at = caret_;
  return list_->InsertText(this, at.Para, N, b.c_str(), at.Pos);
}

int32_t TEditorModel::SmartTabColumn(int32_t Line, int32_t ScreenCol) {
  if (Line < 1 || Line > GetLineCount()) return 0;
  std::string s;
  GetStringLine(Line, s);
  auto i = static_cast<size_t>(ScreenCol - 1);
  if (i >= s.size()) return 0;
  while (i < s.size() && s[i] != ' ') ++i;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i >= s.size()) return 0;
  return static_cast<int32_t>(i) + 1;
}

void TEditorModel::Tab() {
  if (ReadOnly) return;
  std::optional<TUndoGroup> group;
  if (HasSelection()) group.emplace(list_->UndoBuffer());
  DeleteSelection();
  int32_t lines = GetLineCount();
  if (TabType == ttReal) {
    group.reset();
    TypeChar('\t');
    return;
  }
  int32_t e = CaretScreenColumn();
  int32_t n = TabSize() - (e - 1) % TabSize();
  if (TabType == ttSmart) {
    int32_t line = CaretLine();
    int32_t c = SmartTabColumn(line - 1, e);
    if (c == 0) c = SmartTabColumn(line + 1, e);
    if (c > e) n = c - e;
  }
  uint16_t code = InsertBlanks(n);
  group.reset();
  if (code) Report(code);
  Edited(lines);
  MoveCaretTo(caret_, false);
}

void TEditorModel::NewLine() {
  if (ReadOnly || !InsertMode) {
    if (caret_.Para < GetParaCount()) MoveCaretTo({caret_.Para + 1, 1}, false);
    else MoveCaretTo({caret_.Para, list_->GetParaLength(caret_.Para) + 1}, false);
    return;
  }
  TUndoGroup group(list_->UndoBuffer());
  DeleteSelection();
  int32_t lines = GetLineCount();
  int32_t indent = 0;
  if (AutoIndent) {
    const char* t = list_->GetParaNode(caret_.Para)->GetText();
    int32_t len = list_->GetParaLength(caret_.Para);
    int32_t i = 0;
    while (i < len && IsBlank(t[i])) ++i;
    int32_t first = ScreenColumnOfPos(t, len, i + 1, TabSize());
    int32_t caretCol = ScreenColumnOfPos(t, len, caret_.Pos, TabSize());
    indent = std::min(first, caretCol) - 1;
  }
  uint16_t code = list_->CheckLimits(0, 1, indent + 2);
  if (code == 0) {
    int32_t para = caret_.Para;
    code = list_->SplitPara(this, para, true, indent, TabType == ttReal ? TabSize() : 0, caret_.Pos);
    if (code == 0) caret_ = anchor_ = sel_start_ = sel_end_ = TPos{para + 1, indent + 1};
  }
  group.End();
  if (code) Report(code);
  Edited(lines);
  FollowCaret(-1);
}

void TEditorModel::KeyTab() { Tab(); }

void TEditorModel::KeyEnter() { NewLine(); }

// --- clipboard, undo ------------------------------------------------------------------------

bool TEditorModel::CopySelection() {
  if (!HasSelection() || !Clipboard) return false;
  if (Clipboard->SetText(GetSelText())) return true;
  Report(kEdErrNoMemory);
  return false;
}

void TEditorModel::CopyToClipboard() { CopySelection(); }

void TEditorModel::CutToClipboard() {
  if (!HasSelection()) return;
  // The text leaves the editor only once it is safely on the clipboard.
  if (!CopySelection() || ReadOnly) return;
  DeleteSelection();
  FollowCaret(-1);
}

void TEditorModel::PasteFromClipboard() {
  if (ReadOnly || !Clipboard || !Clipboard->HasText()) return;
  std::string t = Clipboard->GetText();
  uint16_t code = Insert(t.c_str());
  ScrollBarsChanged();
  InvalidateAll();
  if (code) Report(code);
}

void TEditorModel::Undo() {
  if (!GetCanUndo()) {
    MessageBeep();
    return;
  }
  int32_t p, pos;
  list_->Undo(this, p, pos);
  MoveCaretTo({p, pos}, false);
  ScrollBarsChanged();
  InvalidateAll();
}

void TEditorModel::Redo() {
  if (!GetCanRedo()) {
    MessageBeep();
    return;
  }
  int32_t p, pos;
  list_->Redo(this, p, pos);
  MoveCaretTo({p, pos}, false);
  ScrollBarsChanged();
  InvalidateAll();
}

// --- commands ---------------------------------------------------------------------------------

bool TEditorModel::ProcessCommand(uint16_t Command, char Ch) {
  if (Command >= ccUserFirst) {
    DoOnUserCommand(Command);
    return true;
  }
  int32_t page = std::max(1, rows_ - 1);
  auto lineRange = [&](bool ToCaret, bool FromCaret) {
    int32_t col;
    int32_t line = LineOf(caret_, col);
    TPos start = PosOfLineCol(line, 1);
    TPos end = PosOfLineCol(line, GetLineLength(line) + 1);
    if (ToCaret) end = caret_;
    if (FromCaret) start = caret_;
    return std::make_pair(start, end);
  };
  switch (Command) {
    case ccBack: Backspace(); break;
    case ccBotOfPage: TopOrBottomOfPage(true, false); break;
    case ccCopy: CopyToClipboard(); break;
    case ccCtrlChar: break;
    case ccCut: CutToClipboard(); break;
    case ccDel: DeleteChar(); break;
    case ccDelBol:
    case ccDelEol:
    case ccDelLine:
    case ccDelWord: {
      if (ReadOnly) break;
      TPos a, b;
      if (Command == ccDelBol) std::tie(a, b) = lineRange(true, false);
      else if (Command == ccDelEol) std::tie(a, b) = lineRange(false, true);
      else if (Command == ccDelLine) {
        int32_t line = CaretLine();
        a = PosOfLineCol(line, 1);
        if (line < GetLineCount()) b = PosOfLineCol(line + 1, 1);
        else b = PosOfLineCol(line, GetLineLength(line) + 1);
      } else {
        if (HasSelection()) {
          a = sel_start_;
          b = sel_end_;
        } else {
          const char* t = list_->GetParaNode(caret_.Para)->GetText();
          int32_t len = list_->GetParaLength(caret_.Para);
          int32_t i = caret_.Pos - 1;
          if (i < len && IsDelimiter(t[i]) && !IsBlank(t[i])) {
            ++i;
          } else {
            while (i < len && !IsDelimiter(t[i])) ++i;
            while (i < len && IsBlank(t[i])) ++i;
          }
          a = caret_;
          b = {caret_.Para, std::max(i + 1, caret_.Pos)};
        }
      }
      if (a < b) {
        TUndoGroup group(list_->UndoBuffer());
        SetSel(a, b);
        DeleteSelection();
      }
      FollowCaret(-1);
      break;
    }
    case ccDown: MoveCaret(0, 1, false, false, false); break;
    case ccEnd: CaretEnd(false); break;
    case ccExtendDown: MoveCaret(0, 1, false, true, false); break;
    case ccExtendEnd: CaretEnd(true); break;
    case ccExtendHome: MoveCaret(1 - CaretCol(), 0, true, true, false); break;
    case ccExtendLeft: CaretLeft(true); break;
    case ccExtendPgDn: MoveCaret(0, page, false, true, true); break;
    case ccExtendPgUp: MoveCaret(0, -page, false, true, true); break;
    case ccExtendRight: CaretRight(true); break;
    case ccExtendUp: MoveCaret(0, -1, false, true, false); break;
    case ccExtBotOfPage: TopOrBottomOfPage(true, true); break;
    case ccExtFirstPage: MoveCaretTo({1, 1}, true); break;
    case ccExtLastPage: MoveCaretTo({GetParaCount(), list_->GetParaLength(GetParaCount()) + 1}, true); break;
    case ccExtTopOfPage: TopOrBottomOfPage(false, true); break;
    case ccExtWordLeft: WordLeft(true); break;
    case ccExtWordRight: WordRight(true); break;
    case ccFirstPage: MoveCaretTo({1, 1}, false); break;
    case ccHome: MoveCaret(1 - CaretCol(), 0, true, false, false); break;
    case ccIns: InsertMode = !InsertMode; break;
    case ccLastPage: MoveCaretTo({GetParaCount(), list_->GetParaLength(GetParaCount()) + 1}, false); break;
    case ccLeft: CaretLeft(false); break;
    case ccNewLine: NewLine(); break;
    case ccNextPage: MoveCaret(0, page, false, false, true); break;
    case ccPaste: PasteFromClipboard(); break;
    case ccPrevPage: MoveCaret(0, -page, false, false, true); break;
    case ccRedo: Redo(); break;
    case ccRight: CaretRight(false); break;
    case ccScrollDown: Scroll(0, 1); break;
    case ccScrollUp: Scroll(0, -1); break;
    case ccTab: Tab(); break;
    case ccTopOfPage: TopOrBottomOfPage(false, false); break;
    case ccUndo: Undo(); break;
    case ccUp: MoveCaret(0, -1, false, false, false); break;
    case ccWordLeft: WordLeft(false); break;
    case ccWordRight: WordRight(false); break;
    case kCmdChar: TypeChar(Ch); break;
    default:
      if (Command >= ccGotoMarker0 && Command <= ccGotoMarker9) {
        if (Ch >= '0' && Ch <= '9') GotoMarker(Ch - '0');
        break;
      }
      if (Command >= ccSetMarker0 && Command <= ccSetMarker9) {
        if (Ch >= '0' && Ch <= '9') SetMarker(Ch - '0');
        break;
      }
      return false;
  }
  switch (Command) {
    case ccBack: case ccCut: case ccDel: case ccDelBol: case ccDelEol: case ccDelLine:
    case ccDelWord: case ccNewLine: case ccPaste: case ccRedo: case ccTab: case ccUndo:
    case kCmdChar:
      DoOnChange();
      break;
    default: break;
  }
  return true;
}

}  // namespace tess
