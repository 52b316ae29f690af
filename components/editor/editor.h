// The multi-line editor control: a window over a TEditorModel.  The model keeps the
// text, caret, selection and scroll arithmetic; the control measures its font, paints
// the lines asked for, places the system caret, drives the scroll bars and turns keys
// (through the controller's command tables), characters and the mouse into model calls.
#pragma once

#include <functional>
#include <memory>

#include "components/core/carets.h"
#include "components/core/colors.h"
#include "components/core/controller.h"
#include "components/editor/editormodel.h"
#include "components/editor/fixedfont.h"
#include "components/editor/textfile.h"

namespace tess {

class TOvcEditBase;

// The model's view hooks reach the window through this adapter; M is TEditorModel or a
// class derived from it.
template <class M>
class TEditorView : public M {
 public:
  explicit TEditorView(TOvcEditBase* Owner) : owner_(Owner) {}

 protected:
  void InvalidateLines(int32_t FromLine, int32_t ToLine) override;
  void InvalidateAll() override;
  void ScrollBarsChanged() override;
  void ScrollWindowBy(int32_t DCols, int32_t DRows) override;
  void PlaceCaret() override;
  void MessageBeep() override;
  void TextChanged(TParaListEditor* Editor) override;
  void TextRewrapped() override;
  void TextReplaced() override;
  // The caret report reaches the owner through its private message (see editor_paint.cpp).
  void DoOnShowStatus(int32_t, int32_t) override {}
  void DoOnTopLineChanged(int32_t Line) override;

 private:
  TOvcEditBase* owner_;
  // Scroll-bar updates asked for while following another editor's change wait for the
  // next paint.
  bool defer_scroll_bars_ = false;
};

class TOvcEditBase : public TOvcBase {
 public:
  explicit TOvcEditBase(TComponent* AOwner);
  ~TOvcEditBase() override;

  TEditorModel& Model() { return *model_; }
  TOvcCaretPair& Caret() { return *caret_; }
  // Pixels kept blank left and right of the text.
  int32_t LeftMargin() const { return left_margin_; }
  void SetLeftMargin(int32_t V);
  int32_t RightMargin() const { return right_margin_; }
  void SetRightMargin(int32_t V);
  TColor HighlightColor() const { return highlight_colors_->BackColor(); }
  TColor HighlightTextColor() const { return highlight_colors_->TextColor(); }
  int32_t CharWidth() const { return char_width_; }
  int32_t RowHeight() const { return row_height_; }

  void Dispatch(TMessage& Message) override;
  void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;

  // Called by the model's hooks.
  void InvalidateModelLines(int32_t FromLine, int32_t ToLine) { InvalidateLines(FromLine, ToLine); }
  void ResetScrollBars();
  void PlaceCaretFromModel();

  // --- the view: painting, caret report, marked paragraphs (editor_paint.cpp) ---------
  // Off-window caret coordinate.
  static constexpr int32_t kCaretOffWindow = 32767;
  // The private message the control posts itself after placing the caret (line, column).
  static constexpr uint32_t kMsgShowStatus = 32514;

  using TEditorDrawLineEvent = std::function<void(
      TObject* Sender, TCanvas* EditorCanvas, const TRect& Rect, const char* S, int32_t Len,
      int32_t Line, int32_t Pos, int32_t Count, int32_t HBLine, int32_t HBCol, int32_t HELine,
      int32_t HECol, bool& WasDrawn)>;
  TEditorDrawLineEvent OnDrawLine;
  std::function<void(TObject* Sender, int32_t LineNum, int32_t ColNum)> OnShowStatus;
  std::function<void(TObject* Sender, int32_t Line)> OnTopLineChanged;

  // The marked paragraphs (the model's list) are drawn only while this is on, on the
  // first mark colour when the entry's value is 1, else on the second.
  bool MarkParagraphs() const { return mark_paragraphs_; }
  void SetMarkParagraphs(bool V);
  TColor MarkColor1() const { return mark_color1_; }
  void SetMarkColor1(TColor V) { mark_color1_ = V; }
  TColor MarkColor2() const { return mark_color2_; }
  void SetMarkColor2(TColor V) { mark_color2_ = V; }
  bool FullRepaintPending() const { return full_repaint_pending_; }

  // Repaints the visible rows of the display lines FromLine..ToLine (either order),
  // without erasing; nothing while the whole window waits for a repaint.
  virtual void InvalidateLines(int32_t FromLine, int32_t ToLine);
  // Invalidates the whole window; rows asked for until it is painted are ignored.
  void InvalidateAllRows();
  virtual bool DoOnDrawLine(TCanvas* EditorCanvas, const TRect& Rect, const char* S, int32_t Len,
                            int32_t Line, int32_t Pos, int32_t Count, int32_t HBLine,
                            int32_t HBCol, int32_t HELine, int32_t HECol);
  virtual void DoOnShowStatus(int32_t Line, int32_t Col);
  virtual void DoOnTopLineChanged(int32_t Line);
  // The text changed from display line FirstLine down (every editor sharing it is told);
  // 0: the whole text was replaced.
  virtual void TextChangedFrom(int32_t /*FirstLine*/) {}
  void DeferScrollBars() { scroll_bars_deferred_ = true; }
  // The view moved by DCols columns and DRows rows: a small move in one direction shifts
  // the window's pixels and repaints the uncovered part, anything else repaints all.
  void ScrollRows(int32_t DCols, int32_t DRows);

 protected:
  // Derived editors pass a model of their own kind.
  TOvcEditBase(TComponent* AOwner, std::unique_ptr<TEditorModel> AModel);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Font metrics and client size into the model.
  void Measure();

  // One display row as the painting hands it to DrawRow.
  struct TEditorRow {
    HDc DC = nullptr;
    TRect Rect;            // the row, from the left margin to the client's right edge
    int32_t Line = 0;      // display line shown
    bool InText = false;   // false for rows past the end of the text
    std::string Text;      // the whole line, tabs expanded
    int32_t FirstCol = 0;  // first visible column (0-based, expanded)
    int32_t Count = 0;     // visible columns
    int32_t SelFrom = 0, SelTo = 0;  // selected expanded columns [SelFrom, SelTo)
    TColor TextColor = 0, BackColor = 0, SelTextColor = 0, SelBackColor = 0;
  };
  void Paint() override;
  // Draws one row that no OnDrawLine handler drew; derived editors colour text here.
  virtual void DrawRow(TEditorRow& Row);
  // Before the rows of one paint pass, the first being display line FirstLine.
  virtual void BeginRows(int32_t /*FirstLine*/) {}
  // Draws Len characters of S at column Col of the row in the given colours (opaque);
  // returns the x after them.
  int32_t DrawRun(const TEditorRow& Row, int32_t Col, const char* S, int32_t Len, TColor Fore,
                  TColor Back);
  // Blanks the row from x to its right end.
  void FillRowFrom(const TEditorRow& Row, int32_t X, TColor Back);
  // The mark colour of a marked line, or Color().
  TColor LineBackground(int32_t Line);
  // Whether the rows' invalidation runs to the client's bottom when it reaches the last
  // visible row.
  bool invalidate_to_bottom_ = false;

 private:
  void KeyDown(TMessage& M);
  void DropQueuedChar();
  void MouseAt(int32_t X, int32_t Y, bool Extend);
  void ScrollMessage(bool Vertical, uint16_t Code);

  // --- input, focus and the control's look (editor_input.cpp, editor_props.cpp) -----------
 public:
  // The fixed-pitch font the text is shown in; the control's Font follows it.
  TOvcFixedFont* FixedFont() const { return fixed_font_.get(); }
  void SetFixedFont(TOvcFixedFont* Value);
  // Text and background colour of the selection.
  TOvcColors* HighlightColors() const { return highlight_colors_.get(); }
  void SetHighlightColors(TOvcColors* Value) { highlight_colors_->Assign(Value); }
  // The selection is not shown while the control lacks the focus.
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool Value);
  // The marker glyphs are drawn in the left margin.
  bool ShowBookmarks() const { return show_bookmarks_; }
  void SetShowBookmarks(bool Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  // Typing inserts (true) or overwrites; the caret shows which.
  bool InsertMode() const { return model_->InsertMode; }
  void SetInsertMode(bool Value);
  bool ReadOnly() const { return GetReadOnly(); }
  void SetReadOnly(bool Value) { model_->ReadOnly = Value; }
  virtual bool GetReadOnly() const { return model_->ReadOnly; }
  // Whether a left-button drag is following the mouse, and whether the auto-scroll timer
  // of a drag outside the rows runs.
  bool Dragging() const { return dragging_; }
  bool AutoScrolling() const { return auto_scroll_; }
  // The timer that scrolls while a drag is outside the window (WM_TIMER's id).
  static constexpr uintptr_t kAutoScrollTimer = 0x4544;

 protected:
  // The keyboard, mouse, focus and scroll-bar messages; false for the others.
  bool DispatchInput(TMessage& M);

 private:
  void MouseDownAt(int32_t X, int32_t Y, bool Shift);
  void DragTo(int32_t X, int32_t Y);
  void DoubleClickAt(int32_t X, int32_t Y, bool Shift);
  void AutoScrollTick();
  void StopDrag();
  void Wheel(int16_t Delta);
  bool InMargin(int32_t X) const { return X < left_margin_; }
  bool SetCursorFor(TMessage& M);
  // The model's answer: whether it carried the command out.
  bool RunCommand(uint16_t Command, char Ch);
  void FontFollowsFixedFont();
  void HighlightChanged();

  std::unique_ptr<TOvcFixedFont> fixed_font_ = std::make_unique<TOvcFixedFont>();
  std::unique_ptr<TOvcColors> highlight_colors_ =
      std::make_unique<TOvcColors>(clHighlightText, clHighlight);
  bool hide_selection_ = true;
  bool show_bookmarks_ = true;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  bool margin_drag_ = false;  // the drag selects whole lines
  bool auto_scroll_ = false;
  int32_t mouse_x_ = 0, mouse_y_ = 0;  // where the drag last saw the mouse
  int32_t wheel_rest_ = 0;             // wheel movement not yet worth a line
  HCursor margin_cursor_ = nullptr;
  // --- end of input, focus and look -----------------------------------------------------

  std::unique_ptr<TEditorModel> model_;
  std::unique_ptr<TEditorClipboard> clipboard_;
  std::unique_ptr<TOvcCaretPair> caret_;
  int32_t left_margin_ = 15;
  int32_t right_margin_ = 5;
  int32_t char_width_ = 8;
  int32_t row_height_ = 16;
  bool dragging_ = false;
  int32_t anchor_line_ = 1, anchor_col_ = 1;

  // --- the view's state (editor_paint.cpp) ------------------------------------------
  void PaintMargin(HDc DC, int32_t FirstRow, int32_t LastRow, TColor Back);
  std::unique_ptr<TBitmap> markers_;
  bool markers_missing_ = false;
  bool mark_paragraphs_ = false;
  TColor mark_color1_ = clYellow;
  TColor mark_color2_ = clSilver;
  bool full_repaint_pending_ = false;
  bool scroll_bars_deferred_ = false;
};

class TyCustomEditor : public TOvcEditBase {
 public:
  explicit TyCustomEditor(TComponent* AOwner);

  // --- published properties and events (editor_props.cpp) --------------------------------
  bool AutoIndent() { return Model().AutoIndent; }
  void SetAutoIndent(bool V) { Model().AutoIndent = V; }
  int32_t ByteLimit() { return Model().ByteLimit(); }
  virtual void SetByteLimit(int32_t V) { Model().SetByteLimit(V); }
  int32_t ParaLengthLimit() { return Model().ParaLengthLimit(); }
  void SetParaLengthLimit(int32_t V) { Model().SetParaLengthLimit(V); }
  int32_t ParaLimit() { return Model().ParaLimit(); }
  void SetParaLimit(int32_t V) { Model().SetParaLimit(V); }
  TScrollStyle ScrollBars() { return Model().ScrollBars; }
  void SetScrollBars(TScrollStyle V);
  bool ScrollBarsAlways() { return Model().ScrollBarsAlways; }
  void SetScrollBarsAlways(bool V);
  bool ScrollPastEnd() { return Model().ScrollPastEnd(); }
  void SetScrollPastEnd(bool V) { Model().SetScrollPastEnd(V); }
  uint8_t TabSize() { return Model().TabSize(); }
  void SetTabSize(uint8_t V) { Model().SetTabSize(V); }
  TTabType TabType() { return Model().TabType; }
  void SetTabType(TTabType V) { Model().TabType = V; }
  bool TrimWhiteSpace() { return Model().TrimWhiteSpace; }
  void SetTrimWhiteSpace(bool V) { Model().TrimWhiteSpace = V; }
  uint16_t UndoBufferSize() { return Model().UndoBufferSize(); }
  void SetUndoBufferSize(uint16_t V) { Model().SetUndoBufferSize(V); }
  bool WantEnter() { return Model().WantEnter; }
  void SetWantEnter(bool V) { Model().WantEnter = V; }
  bool WantTab() { return Model().WantTab; }
  void SetWantTab(bool V) { Model().WantTab = V; }
  bool WordWrap() { return Model().WordWrap(); }
  void SetWordWrap(bool V) { Model().SetWordWrap(V); }
  bool WrapAtLeft() { return Model().WrapAtLeft(); }
  void SetWrapAtLeft(bool V) { Model().SetWrapAtLeft(V); }
  int32_t WrapColumn() { return Model().WrapColumn(); }
  void SetWrapColumn(int32_t V) { Model().SetWrapColumn(V); }
  bool WrapToWindow() { return Model().WrapToWindow; }
  void SetWrapToWindow(bool V);
  TOvcCaret* CaretIns() { return Caret().InsCaret(); }
  TOvcCaret* CaretOvr() { return Caret().OvrCaret(); }

  // After every command that changes the text.
  TNotifyEvent OnChange;
  // A limit or memory error (263 to 268); the handler may clear the code.  Without a
  // handler the controller reports it.
  std::function<void(TObject* Sender, uint16_t& ErrorCode)> OnError;
  // Commands numbered 256 and above.
  std::function<void(TObject* Sender, uint16_t Command)> OnUserCommand;

  void PublishProperties(TPropertyList& Props) override;
  void DefineProperties(TFiler* Filer) override;

 protected:
  TyCustomEditor(TComponent* AOwner, std::unique_ptr<TEditorModel> AModel);
  virtual void DoOnChange();
  virtual void DoOnUserCommand(uint16_t Command);
  // OnError; without a handler the controller's error report, and without a controller
  // EEditorError.
  virtual void DoError(uint16_t Code);
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  void WireModel();
  // --- end of published properties and events ----------------------------------------------
};

// An editor over a text file: its name, loading, saving and the backup copy.
class TyCustomTextFileEditor : public TyCustomEditor {
 public:
  explicit TyCustomTextFileEditor(TComponent* AOwner);
  TTextFileModel& File() { return static_cast<TTextFileModel&>(Model()); }

  // --- the file's published properties (editor_props.cpp) ----------------------------------
  const std::string& FileName() { return File().FileName(); }
  void SetFileName(const std::string& V) { File().SetFileName(V); }
  bool IsOpen() { return File().IsOpen(); }
  // True loads the file, false clears the text; while the form is read only stored.
  void SetIsOpen(bool V);
  bool MakeBackup() { return File().MakeBackup; }
  void SetMakeBackup(bool V) { File().MakeBackup = V; }
  const std::string& BackupExt() { return File().BackupExt(); }
  void SetBackupExt(const std::string& V) { File().SetBackupExt(V); }
  void LoadFromFile(const std::string& FileName) { File().LoadFromFile(FileName); }
  void SaveToFile(const std::string& FileName) { File().SaveToFile(FileName); }

  void Loaded() override;
  // --- end of the file's properties ----------------------------------------------------------
};

// The text-file editor that forms place: publishes the file's properties.
class TyTextFileEditor : public TyCustomTextFileEditor {
 public:
  explicit TyTextFileEditor(TComponent* AOwner) : TyCustomTextFileEditor(AOwner) {}
  void PublishProperties(TPropertyList& Props) override;
};

// Lets the component stream create the editor (and the controller) by class name.
void RegisterEditorClasses();

}  // namespace tess
