// The multi-line editor control: a window over a TEditorModel.  The model keeps the
// text, caret, selection and scroll arithmetic; the control measures its font, paints
// the lines asked for, places the system caret, drives the scroll bars and turns keys
// (through the controller's command tables), characters and the mouse into model calls.
#pragma once

#include <memory>

#include "components/editing/carets.h"
#include "components/editing/colors.h"
#include "components/editing/controller.h"
#include "components/editing/editormodel.h"
#include "components/editing/fixedfont.h"
#include "components/editing/textfile.h"

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

 private:
  TOvcEditBase* owner_;
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
  TColor HighlightColor() const { return highlight_color_; }
  TColor HighlightTextColor() const { return highlight_text_color_; }
  int32_t CharWidth() const { return char_width_; }
  int32_t RowHeight() const { return row_height_; }

  // Paints the rows crossing Area onto DC (WM_PAINT and WM_PRINTCLIENT).
  void PaintLines(HDc DC, const TRect& Area);
  void Dispatch(TMessage& Message) override;
  void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;

  // Called by the model's hooks.
  void InvalidateModelLines(int32_t FromLine, int32_t ToLine);
  void ResetScrollBars();
  void PlaceCaretFromModel();

 protected:
  // Derived editors pass a model of their own kind.
  TOvcEditBase(TComponent* AOwner, std::unique_ptr<TEditorModel> AModel);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Font metrics and client size into the model.
  void Measure();

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
  // Sets the look's defaults and ties the font and colours to the control.
  void InitInput();

 private:
  void MouseDownAt(int32_t X, int32_t Y, bool Shift);
  void DragTo(int32_t X, int32_t Y);
  void DoubleClickAt(int32_t X, int32_t Y, bool Shift);
  void AutoScrollTick();
  void StopDrag();
  void Wheel(int16_t Delta);
  bool InMargin(int32_t X) const { return X < left_margin_; }
  bool SetCursorFor(TMessage& M);
  void RunCommand(uint16_t Command, char Ch);
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
  // Cleared when the control is destroyed: a handler that ran an event checks its copy
  // before touching the control again (an event may destroy it).
  struct TLifeToken {
    std::shared_ptr<bool> Alive = std::make_shared<bool>(true);
    ~TLifeToken() { *Alive = false; }
  } life_;
  // --- end of input, focus and look -----------------------------------------------------

  std::unique_ptr<TEditorModel> model_;
  std::unique_ptr<TEditorClipboard> clipboard_;
  std::unique_ptr<TOvcCaretPair> caret_;
  int32_t left_margin_ = 4;
  int32_t right_margin_ = 4;
  int32_t char_width_ = 8;
  int32_t row_height_ = 16;
  TColor highlight_color_ = clHighlight;
  TColor highlight_text_color_ = clHighlightText;
  bool dragging_ = false;
  int32_t anchor_line_ = 1, anchor_col_ = 1;
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

// An editor over a text file.
class TyTextFileEditor : public TyCustomEditor {
 public:
  explicit TyTextFileEditor(TComponent* AOwner);
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

  void PublishProperties(TPropertyList& Props) override;
  void Loaded() override;
  // --- end of the file's properties ----------------------------------------------------------
};

// Lets the component stream create the editor (and the controller) by class name.
void RegisterEditorClasses();

}  // namespace tess
