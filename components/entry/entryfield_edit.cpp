// The editing commands of a simple entry field.
#include "components/entry/entryfield_edit.h"

#include <algorithm>
#include <cassert>

#include "components/core/commands.h"

namespace tess {

namespace {

// "Changed" levels: a selection to repaint away, and a change of the text.
constexpr int kRepaint = 1;
constexpr int kModified = 10;

}  // namespace

bool CommandChangesText(uint16_t Cmd) {
  switch (Cmd) {
    case ccBack:
    case ccCtrlChar:
    case ccCut:
    case ccDec:
    case ccDel:
    case ccDelBol:
    case ccDelEol:
    case ccDelLine:
    case ccDelWord:
    case ccInc:
    case ccIns:
    case ccPaste:
    case ccRestore:
    case ccChar:
      return true;
    default:
      return false;
  }
}

char TSimpleFieldEditor::PictureAt(int32_t Pos) const {
  const std::string Full = m_.Data.GetFullPicture();
  if (Full.empty()) return 'X';
  return Full[static_cast<size_t>(
      std::clamp<int32_t>(Pos, 0, static_cast<int32_t>(Full.size()) - 1))];
}

int32_t TSimpleFieldEditor::WordLeft(int32_t Pos) const {
  const std::string& T = m_.text_;
  int32_t P = std::min(Pos, Length()) - 1;
  while (P >= 0 && T[static_cast<size_t>(P)] == ' ') --P;
  while (P >= 0 && T[static_cast<size_t>(P)] != ' ') --P;
  return P + 1;
}

int32_t TSimpleFieldEditor::WordRight(int32_t Pos) const {
  const std::string& T = m_.text_;
  int32_t P = std::max(Pos, 0);
  while (P < Length() && T[static_cast<size_t>(P)] != ' ') ++P;
  while (P < Length() && T[static_cast<size_t>(P)] == ' ') ++P;
  return P;
}

void TSimpleFieldEditor::DeleteRange(int32_t From, int32_t To) {
  From = std::clamp(From, 0, Length());
  To = std::clamp(To, From, Length());
  m_.text_.erase(static_cast<size_t>(From), static_cast<size_t>(To - From));
  m_.caret_ = m_.sel_start_ = m_.sel_end_ = From;
}

bool TSimpleFieldEditor::DeleteSelection() {
  if (m_.sel_start_ >= m_.sel_end_) return false;
  DeleteRange(m_.sel_start_, m_.sel_end_);
  return true;
}

void TSimpleFieldEditor::ExtendTo(int32_t Pos) {
  const int32_t Old = m_.caret_;
  Pos = std::clamp(Pos, 0, Length());
  if (m_.sel_start_ == m_.sel_end_) {
    m_.sel_start_ = m_.sel_end_ = Old;
  }
  // The end at the old caret moves; the far end stays.
  if (m_.sel_start_ == Old)
    m_.sel_start_ = Pos;
  else if (m_.sel_end_ == Old)
    m_.sel_end_ = Pos;
  else
    m_.sel_start_ = Old, m_.sel_end_ = Pos;
  if (m_.sel_start_ > m_.sel_end_) std::swap(m_.sel_start_, m_.sel_end_);
  m_.caret_ = Pos;
}

bool TSimpleFieldEditor::AutoAdvance(int32_t P, bool Typed) {
  if (P < 0) {
    if (!AutoAdvanceLeftRight) return false;
    host_.MoveToPrevField();
    return true;
  }
  if (P < m_.Data.MaxLength()) return false;
  if (Typed ? AutoAdvanceChar : AutoAdvanceLeftRight) {
    host_.MoveToNextField();
    return true;
  }
  return false;
}

void TSimpleFieldEditor::Step(bool Increase) {
  m_.IncDecValue(false, Increase ? 1.0 : -1.0);
  m_.sel_start_ = m_.sel_end_ = 0;
}

bool TSimpleFieldEditor::TypeChar(char Ch, int& Changed) {
  if (!CharsAllowed) return false;
  const uint8_t Type = m_.Data.DataType() & 63;
  const char Decimal = m_.Data.Intl().DecimalChar();
  // A number is typed with the international decimal character, stored as itself.
  bool IsDecimal = false;
  if (IsNumericType(Type)) {
    if (Ch == Decimal) {
      Ch = '.';
      IsDecimal = true;
    } else if (Ch == '.') {
      host_.Beep();
      return false;
    }
  }
  if (static_cast<unsigned char>(Ch) < 32 && !ControlCharNext) {
    host_.Beep();
    return false;
  }
  const char Prev = m_.caret_ > 0 ? m_.text_[static_cast<size_t>(m_.caret_ - 1)] : ' ';
  if (!m_.Data.CharIsOK(PictureAt(m_.caret_), Ch, true, Prev)) {
    host_.Beep();
    return false;
  }
  if (IsDecimal || (IsNumericType(Type) && Ch == '.')) Ch = Decimal;
  if (DeleteSelection()) Changed = kModified;
  const int32_t Max = m_.Data.MaxLength();
  if (!InsertMode) {
    if (m_.caret_ + 1 > Max) {
      if (!AutoAdvance(m_.caret_ + 1, true)) host_.Beep();
      return Changed >= kModified;
    }
    if (m_.caret_ < Length())
      m_.text_[static_cast<size_t>(m_.caret_)] = Ch;
    else
      m_.text_.push_back(Ch);
    ++m_.caret_;
    Changed = kModified;
    AutoAdvance(m_.caret_, true);
    return true;
  }
  bool Pushed = false;
  const bool Inserted = InsertChar(Ch, Pushed);
  if (Inserted || Pushed) Changed = kModified;
  if (Inserted) {
    AutoAdvance(m_.caret_, true);
    return true;
  }
  if (!AutoAdvance(m_.caret_ + 1, true)) host_.Beep();
  return Changed >= kModified;
}

bool TSimpleFieldEditor::InsertChar(char Ch, bool& Pushed) {
  const int32_t Max = m_.Data.MaxLength();
  if (Length() >= Max && m_.caret_ < Length() && m_.InsertPushes) {
    m_.text_.pop_back();
    Pushed = true;
  }
  if (Length() >= Max) return false;
  m_.text_.insert(static_cast<size_t>(m_.caret_), 1, Ch);
  ++m_.caret_;
  return true;
}

bool TSimpleFieldEditor::PasteText(const std::string& S) {
  bool Changed = DeleteSelection();
  for (char Ch : S) {
    if (!m_.Data.CharIsOK(PictureAt(m_.caret_), Ch, true, '\0')) continue;
    if (InsertChar(Ch, Changed)) Changed = true;
  }
  return Changed;
}

bool TSimpleFieldEditor::PerformEdit(const TEntryEdit& E) {
  const uint8_t Type = m_.Data.DataType() & 63;
  const bool Repaint =
      (Type == sftChar || Type == sftBoolean || Type == sftYesNo) ? EditOneChar(E) : EditText(E);
  assert(m_.sel_start_ <= m_.sel_end_ && m_.sel_end_ <= Length());
  assert(Length() <= m_.Data.MaxLength());
  return Repaint;
}

bool TSimpleFieldEditor::EditText(const TEntryEdit& E) {
  const uint16_t Cmd = E.Cmd;
  AcceptChars = false;
  if (Cmd == ccCtrlChar)
    ControlCharNext = true;
  else if (Cmd != ccUnmatched && Cmd != ccChar)
    ControlCharNext = false;
  int Changed = m_.sel_start_ < m_.sel_end_ ? kRepaint : 0;
  bool KeepSelection = false;
  auto Delete = [&] {
    if (DeleteSelection()) Changed = kModified;
  };
  auto Move = [&](int32_t Pos) { m_.caret_ = std::clamp(Pos, 0, Length()); };
  auto Extend = [&](int32_t Pos) {
    KeepSelection = true;
    if (std::clamp(Pos, 0, Length()) == m_.caret_) return;
    ExtendTo(Pos);
    Changed = std::max(Changed, kRepaint);
  };
  auto Left = [&] {
    if (m_.caret_ > 0)
      Move(m_.caret_ - 1);
    else
      AutoAdvance(-1, false);
  };
  auto Right = [&] {
    if (m_.caret_ < Length())
      Move(m_.caret_ + 1);
    else
      AutoAdvance(Length() + 1, false);
  };
  switch (Cmd) {
    case ccBack:
      if (m_.sel_start_ < m_.sel_end_) {
        Delete();
      } else if (m_.caret_ > 0) {
        DeleteRange(m_.caret_ - 1, m_.caret_);
        Changed = kModified;
      }
      break;
    case ccCopy:
      break;
    case ccCtrlChar:
      break;
    case ccCut:
      Delete();
      break;
    case ccDec:
      Step(false);
      break;
    case ccInc:
      Step(true);
      break;
    case ccDel:
      if (m_.sel_start_ < m_.sel_end_) {
        Delete();
      } else if (m_.caret_ < Length()) {
        DeleteRange(m_.caret_, m_.caret_ + 1);
        Changed = kModified;
      }
      break;
    case ccDelBol:
      if (Length() > 0) {
        DeleteRange(0, m_.caret_);
        Changed = kModified;
      }
      break;
    case ccDelEol:
      if (m_.caret_ < Length()) {
        DeleteRange(m_.caret_, Length());
        Changed = kModified;
      }
      break;
    case ccDelLine:
      if (Length() > 0) {
        DeleteRange(0, Length());
        Changed = kModified;
      }
      break;
    case ccDelWord:
      if (m_.sel_start_ < m_.sel_end_) {
        Delete();
      } else if (m_.caret_ < Length()) {
        DeleteRange(m_.caret_, WordRight(m_.caret_));
        Changed = kModified;
      }
      break;
    case ccDown:
    case ccUp: {
      const bool Up = Cmd == ccUp;
      if (AutoAdvanceUpDown)
        Up ? host_.MoveToPrevField() : host_.MoveToNextField();
      else if (ArrowIncDec)
        Step(Up);
      else
        Up ? Left() : Right();
      break;
    }
    case ccEnd:
      Move(Length());
      break;
    case ccHome:
      Move(0);
      break;
    case ccExtendEnd:
      Extend(Length());
      break;
    case ccExtendHome:
      Extend(0);
      break;
    case ccExtendLeft:
      Extend(m_.caret_ - 1);
      break;
    case ccExtendRight:
      Extend(m_.caret_ + 1);
      break;
    case ccExtWordLeft:
      Extend(WordLeft(m_.caret_));
      break;
    case ccExtWordRight:
      Extend(WordRight(m_.caret_));
      break;
    case ccIns:
      InsertMode = !InsertMode;
      break;
    case ccLeft:
      Left();
      break;
    case ccRight:
      Right();
      break;
    case ccWordLeft:
      if (m_.caret_ > 0)
        Move(WordLeft(m_.caret_));
      else
        AutoAdvance(-1, false);
      break;
    case ccWordRight:
      if (m_.caret_ < Length())
        Move(WordRight(m_.caret_));
      else
        AutoAdvance(Length() + 1, false);
      break;
    case ccPaste:
      if (PasteText(E.Paste)) Changed = kModified;
      break;
    case ccRestore:
      m_.Restore();
      KeepSelection = true;
      Changed = std::max(Changed, kRepaint);
      break;
    case ccChar:
      TypeChar(E.Ch, Changed);
      CharsAllowed = false;
      ControlCharNext = false;
      break;
    case ccMouse:
      if (Length() > 0) {
        if (E.Shift) {
          ExtendTo(E.MousePos);
          KeepSelection = true;
          Changed = std::max(Changed, kRepaint);
        } else {
          Move(E.MousePos);
        }
      }
      break;
    case ccMouseMove:
      KeepSelection = true;
      if (Length() > 0) Extend(E.MousePos);
      break;
    case ccDblClk:
      KeepSelection = true;
      if (Length() > 0) {
        Move(E.MousePos);
        const int32_t Start = WordLeft(std::min(m_.caret_ + 1, Length()));
        m_.sel_start_ = Start;
        m_.sel_end_ = m_.caret_ = WordRight(Start);
        Changed = std::max(Changed, kRepaint);
      }
      break;
    case ccUnmatched:
      AcceptChars = CharsAllowed = true;
      return false;
    case ccSequenceBroken:
    case ccPartial:
      break;
    default:
      AcceptChars = true;
      break;
  }
  if (Cmd != ccChar) CharsAllowed = false;
  if (!KeepSelection) m_.sel_start_ = m_.sel_end_ = m_.caret_;
  if (Changed >= kModified) m_.FieldModified();
  return Changed > 0;
}

bool TSimpleFieldEditor::EditOneChar(const TEntryEdit& E) {
  const uint16_t Cmd = E.Cmd;
  const int32_t Max = m_.Data.MaxLength();
  AcceptChars = false;
  int Changed = m_.sel_start_ < m_.sel_end_ ? kRepaint : 0;
  bool KeepSelection = false;
  auto SelectChar = [&] {
    KeepSelection = true;
    m_.sel_start_ = 0;
    m_.sel_end_ = std::min<int32_t>(1, Length());
    Changed = std::max(Changed, kRepaint);
  };
  const char Pic = PictureAt(0);
  switch (Cmd) {
    case ccRestore:
      m_.Restore();
      KeepSelection = true;
      Changed = std::max(Changed, kRepaint);
      break;
    case ccExtendEnd:
    case ccExtendRight:
    case ccExtWordRight:
    case ccDblClk:
      SelectChar();
      break;
    case ccMouseMove:
      if (E.MousePos > 0) SelectChar();
      KeepSelection = true;
      break;
    case ccDec:
      Step(false);
      break;
    case ccInc:
      Step(true);
      break;
    case ccDown:
      if (AutoAdvanceUpDown)
        host_.MoveToNextField();
      else
        AutoAdvance(Max, false);
      break;
    case ccUp:
      if (AutoAdvanceUpDown)
        host_.MoveToPrevField();
      else
        AutoAdvance(-1, false);
      break;
    case ccLeft:
    case ccWordLeft:
      AutoAdvance(-1, false);
      break;
    case ccRight:
    case ccWordRight:
      AutoAdvance(Max, false);
      break;
    case ccPaste:
      for (char Ch : E.Paste) {
        if (m_.Data.CharIsOK(Pic, Ch, true, ' ')) {
          m_.text_.assign(1, Ch);
          Changed = kModified;
          break;
        }
      }
      break;
    case ccChar: {
      char Ch = E.Ch;
      if (CharsAllowed) {
        if (m_.Data.CharIsOK(Pic, Ch, true, ' ')) {
          m_.text_.assign(1, Ch);
          Changed = kModified;
          m_.caret_ = 0;
          AutoAdvance(1, true);
        } else {
          host_.Beep();
        }
      }
      CharsAllowed = false;
      break;
    }
    case ccUnmatched:
      AcceptChars = CharsAllowed = true;
      return false;
    case ccIns:
      InsertMode = !InsertMode;
      break;
    default:
      break;
  }
  if (Cmd != ccChar) CharsAllowed = false;
  m_.caret_ = 0;
  if (!KeepSelection) m_.sel_start_ = m_.sel_end_ = 0;
  if (Changed >= kModified) m_.FieldModified();
  return Changed > 0;
}

}  // namespace tess
