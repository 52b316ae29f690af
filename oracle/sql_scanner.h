// TyParserA: a word scanner over SQL and PL/SQL text.
//
// Hands back one word at a time, skipping block and line comments and single-quoted
// strings, and tells the line and columns at which each word stands.  A double-quoted
// identifier is one word, quotes included ("Name:Full", "it's"), that ends at its line's
// end at the latest; with "." among the extra characters a dotted name with quoted parts
// (DEMO."E.F") is one word too.  The editors use
// it to find a statement's first word, its FROM clause, and names in headers.
//
// Invariants: Position() is the index of the last character read (-1 before the first);
// Line() is 1-based; Column() is the column of the last character read (0 at a line
// start).  The text is not owned and must outlive the scanner.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>

namespace tess {

using TCharSet = std::bitset<256>;

// Builds a character set from the characters of a string.
TCharSet CharSetOf(const std::string& chars);

class TyParserA {
 public:
  // Scanner states.
  static constexpr uint8_t stBlockComment = 0;
  static constexpr uint8_t stLineComment = 1;
  static constexpr uint8_t stNormal = 2;
  static constexpr uint8_t stString = 3;
  static constexpr uint8_t stWord = 4;
  static constexpr uint8_t stQuotedName = 5;

  explicit TyParserA(const char* Text = nullptr);

  // Starts again on a new text (null-terminated; nullptr means an empty text).
  void SetText(const char* Text);

  // Reads the next word into Word.  ExtraChars may continue a word begun with a word
  // character (such as "." for qualified names) but never start one.  A word that runs
  // to the very end of the text comes back with the result false: callers take a
  // non-empty Word after false as the last word.
  bool GetNextWord(std::string& Word, const TCharSet& ExtraChars = TCharSet());

  const char* Text() const { return text_; }
  int32_t Position() const { return position_; }
  int32_t LastIndex() const { return lastIndex_; }
  uint8_t State() const { return state_; }
  int32_t Line() const { return line_; }
  int32_t Column() const { return column_; }
  int32_t WordStart() const { return wordStart_; }
  int32_t WordEnd() const { return wordEnd_; }

  // For callers (and tests) that drive the state machine directly.
  void SetState(uint8_t state) { state_ = state; }

  const TCharSet& WordChars() const { return wordChars_; }
  const TCharSet& Delimiters() const { return delimiters_; }
  const TCharSet& Blanks() const { return blanks_; }
  const TCharSet& LineEnds() const { return lineEnds_; }

 private:
  TCharSet wordChars_, delimiters_, blanks_, lineEnds_;
  const char* text_ = nullptr;
  int32_t position_ = -1;
  int32_t lastIndex_ = -1;
  uint8_t state_ = stNormal;
  int32_t line_ = 1;
  int32_t column_ = 0;
  int32_t wordStart_ = 0;
  int32_t wordEnd_ = 0;
};

}  // namespace tess
