// The multi-line editor control: a window over a TEditorModel.  The model keeps the
// text, caret, selection and scroll arithmetic; the control measures its font, paints
// the lines asked for, places the system caret, drives the scroll bars and turns keys
// (through the controller's command tables), characters and the mouse into model calls.
#pragma once

#include <memory>

#include "components/editing/carets.h"
#include "components/editing/controller.h"
#include "components/editing/editormodel.h"
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
  explicit TyCustomEditor(TComponent* AOwner) : TOvcEditBase(AOwner) {}

 protected:
  using TOvcEditBase::TOvcEditBase;
};

// An editor over a text file.
class TyTextFileEditor : public TyCustomEditor {
 public:
  explicit TyTextFileEditor(TComponent* AOwner);
  TTextFileModel& File() { return static_cast<TTextFileModel&>(Model()); }
};

}  // namespace tess
