// The editing commands of a simple entry field, apart from its window: what each command
// number of the key tables does to the edit text, caret and selection, typed characters
// tested against the picture, pasting, word moves, auto-advance and stepping values.
// The window turns messages into these calls and repaints when asked to; tests drive the
// same calls with a recording host.
//
// Invariants kept by every command: the text never grows past MaxLength; the selection
// start never lies after its end; the caret stays within the text.
#pragma once

#include <cstdint>
#include <string>

#include "components/entry/entryfield_model.h"

namespace tess {

// Command numbers the field makes itself, besides those of the key tables.
enum : uint16_t {
  ccChar = 249,       // a typed character
  ccMouse = 250,      // left button pressed in the focused field
  ccMouseMove = 251,  // mouse moved with the button held
  ccDblClk = 253,     // left double click
};

// What the editor needs from the window.
class TEntryEditHost {
 public:
  virtual ~TEntryEditHost() = default;
  // A refused key (the window beeps when BeepOnError is set).
  virtual void Beep() = 0;
  // Auto-advance: the focus moves to the next or previous control.
  virtual void MoveToNextField() = 0;
  virtual void MoveToPrevField() = 0;
};

// One command with what it carries.
struct TEntryEdit {
  TEntryEdit(uint16_t ACmd, char ACh = '\0') : Cmd(ACmd), Ch(ACh) {}
  uint16_t Cmd = 0;
  char Ch = '\0';        // ccChar
  std::string Paste;     // ccPaste
  int32_t MousePos = 0;  // ccMouse, ccMouseMove, ccDblClk: the text index under it
  bool Shift = false;    // ccMouse: extend the selection
};

// Commands refused in a read-only field.
bool CommandChangesText(uint16_t Cmd);

class TSimpleFieldEditor {
 public:
  TSimpleFieldEditor(TEntryFieldModel& Model, TEntryEditHost& Host) : m_(Model), host_(Host) {}

  bool AutoAdvanceChar = false;
  bool AutoAdvanceLeftRight = false;
  bool AutoAdvanceUpDown = false;
  bool ArrowIncDec = false;

  // Insert (true) or overtype mode.
  bool InsertMode = true;
  // The next WM_CHAR is taken (set by a key no table binds).
  bool AcceptChars = true;
  // The character test lets characters through (set with AcceptChars).
  bool CharsAllowed = false;
  // The next typed character may be a control character.
  bool ControlCharNext = false;

  // Carries out one command; true when the field must be repainted.
  bool PerformEdit(const TEntryEdit& E);

  // Word boundaries in the text from Pos.
  int32_t WordLeft(int32_t Pos) const;
  int32_t WordRight(int32_t Pos) const;

 private:
  bool EditText(const TEntryEdit& E);
  bool EditOneChar(const TEntryEdit& E);
  // Auto-advance at position P; true when the focus moves.
  bool AutoAdvance(int32_t P, bool Typed);
  bool TypeChar(char Ch, int& Changed);
  bool PasteText(const std::string& S);
  // Ch at the caret; a full field drops its last character first with InsertPushes
  // (Pushed is then set).  False when there was no room.
  bool InsertChar(char Ch, bool& Pushed);
  bool DeleteSelection();
  void DeleteRange(int32_t From, int32_t To);
  // Moves the caret to Pos, extending the selection from the old caret.
  void ExtendTo(int32_t Pos);
  void Step(bool Increase);
  char PictureAt(int32_t Pos) const;
  int32_t Length() const { return static_cast<int32_t>(m_.text_.size()); }

  TEntryFieldModel& m_;
  TEntryEditHost& host_;
};

}  // namespace tess
