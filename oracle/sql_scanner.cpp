// See sql_scanner.h.
#include "oracle/sql_scanner.h"

#include <cstring>

#include "services/services.h"

namespace tess {

TCharSet CharSetOf(const std::string& chars) {
  TCharSet set;
  for (unsigned char c : chars) set.set(c);
  return set;
}

TyParserA::TyParserA(const char* Text) {
  wordChars_ = CharSetOf("#$0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
  for (int c = 0; c <= 33; ++c) delimiters_.set(c);
  for (int c = '\''; c <= '/'; ++c) delimiters_.set(c);
  for (char c : std::string(":;=\\^")) delimiters_.set(static_cast<unsigned char>(c));
  for (int c = 0; c <= 32; ++c) blanks_.set(c);
  lineEnds_.set(10);
  lineEnds_.set(13);
  if (Text) SetText(Text);
}

void TyParserA::SetText(const char* Text) {
  text_ = Text ? Text : "";
  position_ = -1;
  lastIndex_ = static_cast<int32_t>(std::strlen(text_)) - 1;
  state_ = stNormal;
  line_ = 1;
  column_ = 0;
}

bool TyParserA::GetNextWord(std::string& Word, const TCharSet& ExtraChars) {
  Word.clear();
  if (!text_ || position_ >= lastIndex_) return false;

  for (;;) {
    if (position_ >= lastIndex_) {
      // The text ended inside a word: Word holds it, and the caller takes it as the last.
      if (!Word.empty()) wordEnd_ = column_;
      return false;
    }
    // Where we stand before this character, so that a word's ending character can be
    // given back exactly: stepping back over a bare line feed must not leave the line
    // counted twice.
    const int32_t lineBefore = line_, columnBefore = column_;
    ++position_;
    const unsigned char c = static_cast<unsigned char>(text_[position_]);
    if (c == 0) {
      position_ = lastIndex_;
      wordEnd_ = column_;
      column_ = 0;
      return false;
    }
    if (c == 10) {
      ++line_;
      column_ = 0;
    } else if (c != 13) {
      ++column_;
    }
    const unsigned char next =
        position_ < lastIndex_ ? static_cast<unsigned char>(text_[position_ + 1]) : 0;
    // Ends the word before this character, which the next call reads again.
    auto endBefore = [&] {
      state_ = stNormal;
      --position_;
      line_ = lineBefore;
      column_ = columnBefore;
      wordEnd_ = column_;
      return true;
    };

    switch (state_) {
      case stNormal:
        if (c == '/' && next == '*') {
          state_ = stBlockComment;
          ++position_;
          ++column_;
        } else if (c == '-' && next == '-') {
          state_ = stLineComment;
          ++position_;
          ++column_;
        } else if (c == '\'') {
          state_ = stString;
        } else if (c == '"') {
          // A quoted name is a word of its own, quotes included, so that it is never
          // taken for a keyword and nothing inside it is taken for a comment or a string.
          state_ = stQuotedName;
          wordStart_ = column_;
          wordEnd_ = 0;
          Word += static_cast<char>(c);
        } else if (wordChars_.test(c)) {
          state_ = stWord;
          wordStart_ = column_;
          wordEnd_ = 0;
          Word += static_cast<char>(c);
        }
        break;
      case stBlockComment:
        if (c == '*' && next == '/') {
          state_ = stNormal;
          ++position_;
          ++column_;
        }
        break;
      case stLineComment:
        if (lineEnds_.test(c)) state_ = stNormal;
        break;
      case stString:
        if (c == '\'') state_ = stNormal;
        break;
      case stWord:
        if (c == '"' && !Word.empty() && ExtraChars.test(static_cast<unsigned char>(Word.back()))) {
          // owner."Name": a quoted part after an extra character goes on with the word.
          state_ = stQuotedName;
          Word += static_cast<char>(c);
        } else if (wordChars_.test(c) || ExtraChars.test(c)) {
          Word += static_cast<char>(c);
        } else {
          return endBefore();
        }
        break;
      case stQuotedName:
        // A name never runs past its line: one left open ends there, as a word that ends
        // at a line end does, and hides nothing of the lines after it.
        if (lineEnds_.test(c)) return endBefore();
        Word += static_cast<char>(c);
        if (c == '"') {
          // "Owner".name: an extra character after the closing quote goes on with the word.
          if (position_ < lastIndex_ && ExtraChars.test(next)) {
            state_ = stWord;
            break;
          }
          state_ = stNormal;
          wordEnd_ = column_;
          return position_ < lastIndex_;
        }
        break;
      default:
        ShowDiagnosticMsg("Parser Error:Invalid Current Status");
        break;
    }
  }
}

}  // namespace tess
