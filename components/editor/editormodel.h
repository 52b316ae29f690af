// The editor control's model: everything of the multi-line editor that is arithmetic
// and text, with no window: caret and selection over the paragraph list, the editing
// commands, search and replace, text copies, the clipboard behind an interface, the
// view's scroll arithmetic and the mouse-to-text mapping.  The Win32 control owns one
// and overrides the view hooks (repaint, scroll bars, beep) to reach the window.
//
// Positions are kept as paragraph/position, the truth that edits adjust; display lines
// and columns are derived from them on demand, so a rewrap or an edit made through
// another editor sharing the text never leaves a stale line number behind.
// Editors sharing one text form a ring (each is its own neighbour when alone); the
// paragraph list is shared and freed with the last of them.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/editor/paralist.h"
#include "framework/core/component.h"

namespace tess {

enum TTabType : uint8_t { ttReal, ttFixed, ttSmart };

// The plain-text clipboard.
class TEditorClipboard {
 public:
  virtual ~TEditorClipboard() = default;
  virtual bool HasText() = 0;
  virtual std::string GetText() = 0;
  // False when the memory for the text cannot be had.
  virtual bool SetText(const std::string& Text) = 0;
};

// Search options.
enum : uint8_t {
  srBackward = 0x02,
  srMatchCase = 0x04,
  srGlobal = 0x08,
  srReplace = 0x10,
  srReplaceAll = 0x20,
  srWholeWord = 0x40,
  srSelectedOnly = 0x80,
};

constexpr uint16_t kCmdChar = 249;  // insert or overwrite the character

// The message of an editor error code (263 to 268; any other code is unknown).
std::string EditorErrorText(uint16_t Code);

struct TScrollRange {
  int32_t Min = 0, Max = 0, Pos = 0;
};

class TEditorModel : public TParaListEditor {
 public:
  TEditorModel();
  ~TEditorModel() override;
  TEditorModel(const TEditorModel&) = delete;
  TEditorModel& operator=(const TEditorModel&) = delete;

  // --- events (the control passes itself as Sender) --------------------------------
  std::function<void()> OnChange;
  std::function<void(uint16_t& ErrorCode)> OnError;
  std::function<void(int32_t LineNum, int32_t ColNum)> OnShowStatus;
  std::function<void(int32_t Line)> OnTopLineChanged;
  std::function<void(uint16_t Command)> OnUserCommand;
  TEditorClipboard* Clipboard = nullptr;

  // --- properties --------------------------------------------------------------------
  bool AutoIndent = false;
  bool InsertMode = true;
  bool ReadOnly = false;
  TTabType TabType = ttReal;
  bool TrimWhiteSpace = true;
  bool WantEnter = true;
  bool WantTab = false;
  bool ScrollBarsAlways = false;
  TScrollStyle ScrollBars = TScrollStyle::ssBoth;
  bool WrapToWindow = false;

  bool ScrollPastEnd() const { return scroll_past_end_; }
  void SetScrollPastEnd(bool V);
  bool WordWrap() const { return list_->WordWrap(); }
  void SetWordWrap(bool V);
  bool WrapAtLeft() const { return wrap_at_left_; }
  void SetWrapAtLeft(bool V);
  int32_t WrapColumn() const { return list_->WrapColumn(); }
  void SetWrapColumn(int32_t V);
  uint8_t TabSize() const { return list_->TabSize(); }
  void SetTabSize(uint8_t V);
  int32_t ParaLengthLimit() const { return list_->ParaLengthLimit(); }
  void SetParaLengthLimit(int32_t V);
  int32_t ParaLimit() const { return list_->ParaLimit(); }
  void SetParaLimit(int32_t V);
  int32_t ByteLimit() const { return list_->ByteLimit(); }
  virtual void SetByteLimit(int32_t V);
  uint16_t UndoBufferSize() const { return list_->UndoBufferSize(); }
  void SetUndoBufferSize(uint16_t V) { list_->SetUndoBufferSize(V); }
  void SetWordDelimiters(const std::string& S);
  const std::string& WordDelimiters() const { return delimiters_; }
  bool IsDelimiter(char C) const { return delim_set_[static_cast<uint8_t>(C)]; }

  // --- the view's size ---------------------------------------------------------------
  // Pixel metrics as the window measures them; visible rows and columns follow.
  void SetMetrics(int32_t CharWidth, int32_t RowHeight, int32_t LeftMargin,
                  int32_t RightMargin, int32_t ClientWidth, int32_t ClientHeight);
  int32_t GetVisibleRows() const { return rows_; }
  int32_t GetVisibleColumns() const { return cols_; }
  int32_t LeftColumn() const { return left_col_; }

  // --- the text ----------------------------------------------------------------------
  TParaList& Paragraphs() { return *list_; }
  uint16_t AppendPara(const char* Text);
  virtual void AttachTo(TEditorModel* Other);
  TEditorModel* NextInRing() const { return next_; }
  void Clear() { DeleteAll(true); }
  void ClearSelection();
  void DeleteAll(bool UpdateScreen);
  void Deselect(bool CaretAtEnd);
  bool GetCanUndo() const { return !ReadOnly && list_->UndoBuffer().CanUndo(); }
  bool GetCanRedo() const { return !ReadOnly && list_->UndoBuffer().CanRedo(); }
  int32_t GetCaretPosition(int32_t& Col);
  std::string GetCurrentWord();
  // At most DestLen - 1 characters and the NUL (DestLen is the room of Dest).
  char* GetLine(int32_t LineNum, char* Dest, int32_t DestLen);
  int32_t GetLineCount() const { return list_->LineCount(); }
  int32_t GetParaCount() const { return list_->ParaCount(); }
  int32_t GetTextLength() const { return list_->ByteCount(); }
  int32_t GetLineLength(int32_t LineNum);
  int32_t GetMarkerPosition(int32_t Index, int32_t& Col);
  bool GetModified() const { return list_->Modified(); }
  void SetModified(bool V);
  void GetMouseLineCol(int32_t X, int32_t Y, int32_t& Line, int32_t& Col);
  const char* GetPara(int32_t ParaNum);
  int32_t GetPrintableLine(int32_t LineNum, char* Dest, int32_t DestLen);
  void GetStringLine(int32_t LineNum, std::string& S);
  bool GetSelection(int32_t& StartLine, int32_t& StartCol, int32_t& EndLine, int32_t& EndCol);
  int32_t GetSelTextBuf(char* Dest, int32_t DestLen);
  int32_t GetSelTextLen();
  std::string GetSelText();
  int32_t GetText(char* Dest, int32_t DestLen);
  std::string GetTextString();
  int32_t GetTopLine();
  void SetTopLine(int32_t Line);
  void GotoMarker(int32_t Index);
  uint16_t Insert(const char* Text);
  uint16_t InsertString(const std::string& S) { return Insert(S.c_str()); }
  bool Search(const std::string& S, uint8_t Options);
  virtual int32_t SearchReplace(const std::string& Find, const std::string& Replace,
                                uint8_t Options);
  void SelectAll(bool CaretAtEnd) { SetSelection(1, 1, kMaxLongInt, 32767, CaretAtEnd); }
  void SetCaretPosition(int32_t Line, int32_t Col);
  virtual void SetMarker(int32_t Index);
  virtual void SetMarkerAt(int32_t Index, int32_t Line, int32_t Col);
  void SetSelection(int32_t StartLine, int32_t StartCol, int32_t EndLine, int32_t EndCol,
                    bool CaretAtEnd);
  void SetSelText(const char* Text) { Insert(Text); }
  void SetText(const char* Text);
  uint16_t EffectiveColumn(const char* Text, int32_t CharPos) const;

  // Marked paragraphs (kept in step with edits) and the value attached to each entry
  // (entry i of MarkedValues belongs to entry i of MarkedParas; a missing value is 0).
  std::vector<int32_t>& MarkedParas() { return marked_; }
  std::vector<int32_t>& MarkedValues() { return marked_values_; }

  // --- commands ----------------------------------------------------------------------
  virtual bool ProcessCommand(uint16_t Command, char Ch);
  virtual void CopyToClipboard();
  virtual void CutToClipboard();
  virtual void PasteFromClipboard();
  virtual void Undo();
  virtual void Redo();
  // The keys the command tables left alone.
  void KeyTab();
  void KeyEnter();

  // --- the caret in both coordinate systems -------------------------------------------
  int32_t CaretPara() const { return caret_.Para; }
  int32_t CaretPos() const { return caret_.Pos; }
  int32_t CaretLine();
  int32_t CaretCol();
  int32_t CaretScreenColumn();

  // --- scroll arithmetic ---------------------------------------------------------------
  TScrollRange VertScrollRange();
  TScrollRange HorzScrollRange() const;
  int32_t VertScale();
  // The top line that thumb position P shows.
  int32_t LineOfThumb(int32_t P);
  virtual void Scroll(int32_t DCols, int32_t DRows);

 protected:
  // --- hooks for the window (nothing in the model) --------------------------------------
  virtual void InvalidateLines(int32_t /*FromLine*/, int32_t /*ToLine*/) {}
  virtual void InvalidateAll() {}
  virtual void ScrollBarsChanged() {}
  virtual void ScrollWindowBy(int32_t /*DCols*/, int32_t /*DRows*/) {}
  virtual void PlaceCaret() {}
  virtual void MessageBeep() {}
  // The model took another paragraph list (a new text, or another editor's).
  virtual void TextReplaced() {}
  virtual void DoOnChange();
  virtual void DoError(uint16_t Code);
  virtual void DoOnShowStatus(int32_t Line, int32_t Col);
  virtual void DoOnTopLineChanged(int32_t Line);
  virtual void DoOnUserCommand(uint16_t Command);

  // TParaListEditor
  TParaListEditor* NextEditor() override { return next_; }
  void AdjustPositions(const TPosChange& C, TParaListEditor* Editor) override;
  void TextChanged(TParaListEditor* Editor) override;
  void TextRewrapped() override;

 private:
  struct TPos {
    int32_t Para = 1, Pos = 1;
    bool operator==(const TPos&) const = default;
    bool operator<(const TPos& O) const { return Para < O.Para || (Para == O.Para && Pos < O.Pos); }
  };

  void LeaveRing();
  void NewList(bool WordWrap, uint16_t UndoSize);
  TPos PosOfLineCol(int32_t Line, int32_t Col);
  int32_t LineOf(const TPos& P, int32_t& Col);
  // The common caret movement.
  void MoveCaret(int32_t DCol, int32_t DLine, bool ExplicitColumn, bool Extend, bool KeepScreenRow);
  void MoveCaretTo(TPos P, bool Extend);
  void MoveCaretToLineCol(int32_t Line, int32_t Col, bool Extend);
  void FollowCaret(int32_t ScreenRow);
  void SetSel(TPos Anchor, TPos Caret);
  bool HasSelection() const { return !(sel_start_ == sel_end_); }
  void DeleteSelection();
  // Puts the selection on the clipboard; false when there was nothing to copy or the
  // clipboard took nothing (the error is reported).
  bool CopySelection();
  void Edited(int32_t OldLineCount);
  int32_t LineMaxCol(int32_t Line);
  void WordLeft(bool Extend);
  void WordRight(bool Extend);
  void CaretLeft(bool Extend);
  void CaretRight(bool Extend);
  void CaretEnd(bool Extend);
  void Backspace();
  void DeleteChar();
  void DeleteRange(TPos From, TPos To);
  void NewLine();
  void Tab();
  void TypeChar(char Ch);
  uint16_t InsertBlanks(int32_t N);
  int32_t SmartTabColumn(int32_t Line, int32_t ScreenCol);
  void TopOrBottomOfPage(bool Bottom, bool Extend);
  void Report(uint16_t Code) { DoError(Code); }
  void SetTopLineRaw(int32_t Line);
  // The largest left column the horizontal scroll bar can bring back from.
  int32_t MaxLeftColumn() const;
  // Brings the top line and left column back within the scroll bars' ranges after the
  // text, its wrap or the window's size changed.
  void KeepViewInRange();
  bool MatchAt(const char* Text, int32_t Len, int32_t Off, const std::string& Pat,
               bool MatchCase, bool WholeWord) const;
  void MarkedAdjust(const TPosChange& C);

  std::shared_ptr<TParaList> list_;
  TEditorModel* prev_ = this;
  TEditorModel* next_ = this;
  TPos caret_, anchor_, sel_start_, sel_end_;
  TPos top_;  // the top line's paragraph and first position
  int32_t left_col_ = 0;
  int32_t rows_ = 1, cols_ = 1;
  int32_t char_width_ = 8, row_height_ = 16, left_margin_ = 15, right_margin_ = 5;
  int32_t client_width_ = 0, client_height_ = 0;
  bool scroll_past_end_ = false;
  bool wrap_at_left_ = true;
  std::string delimiters_;
  std::bitset<256> delim_set_;
  std::vector<int32_t> marked_;
  std::vector<int32_t> marked_values_;
};

}  // namespace tess
