// What the lower layers need of an editor control and of a memo, as small interfaces:
// the stored-program routines of the access layer compile an editor's text, load stored
// source into it and place its caret on a compile error, and list the errors in a memo.
// The editor and memo controls implement these; tests use plain in-memory ones.
//
// Editor coordinates are 1-based: paragraphs, and display lines and columns after
// wrapping (without word wrap a display line is a paragraph).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/component.h"

namespace tess {

class TStrings;

class TyEditorAccess {
 public:
  virtual ~TyEditorAccess() = default;

  virtual int32_t ParaCount() const = 0;
  // Paragraph Index (1-based) without its line break.
  virtual std::string GetPara(int32_t Index) const = 0;
  virtual void AppendPara(const std::string& S) = 0;
  virtual int32_t LineCount() const = 0;
  // Display line Index (1-based) as shown, without its line break.
  virtual std::string GetLine(int32_t Index) const = 0;
  // The length of the whole text.
  virtual int32_t TextLength() const = 0;

  virtual void GetCaretPosition(int32_t& Line, int32_t& Col) const = 0;
  virtual void SetCaretPosition(int32_t Line, int32_t Col) = 0;
  // Selects from (Line1, Col1) to (Line2, Col2), leaving the caret at the end.
  virtual void SetSelection(int32_t Line1, int32_t Col1, int32_t Line2, int32_t Col2) = 0;

  // Nested; the control repaints once after the outermost EndUpdate.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

// EndUpdate on every way out of a scope that began an update.
class TyEditorUpdateScope {
 public:
  explicit TyEditorUpdateScope(TyEditorAccess& Editor) : editor_(Editor) { editor_.BeginUpdate(); }
  ~TyEditorUpdateScope() { editor_.EndUpdate(); }
  TyEditorUpdateScope(const TyEditorUpdateScope&) = delete;
  TyEditorUpdateScope& operator=(const TyEditorUpdateScope&) = delete;

 private:
  TyEditorAccess& editor_;
};

// A multi-line plain edit control: its lines, and a selection by character offset into
// its text, in which lines are separated by CR LF.
class TyMemoAccess {
 public:
  virtual ~TyMemoAccess() = default;
  virtual TStrings& Lines() = 0;
  virtual void SetSelection(int32_t Start, int32_t Length) = 0;
  // Scrolls the caret into view.
  virtual void ScrollCaret() = 0;
};

// One compile error of a stored program, as ALL_ERRORS gives its LINE and POSITION.
class TyStoredPgmError : public TObject {
 public:
  TyStoredPgmError(int32_t ALine, int32_t APosition) : Line(ALine), Position(APosition) {}
  int32_t Line;
  int32_t Position;
};

// The error list beside an error memo: entry i describes memo line i; an entry may be
// null (a memo line with no position).
using TyStoredPgmErrorList = std::vector<std::unique_ptr<TyStoredPgmError>>;

// Selects from the caret to the end of the word on the caret's line (nothing more when
// the caret is not on a word character).
void SelectWordFromCaret(TyEditorAccess* Editor);

}  // namespace tess
