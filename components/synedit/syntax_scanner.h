// The syntax-colouring editor's scanner: it cuts a line of SQL or PL/SQL into tokens
// (block and line comments, quoted strings, words, single other characters, each with the
// blanks before it), colours a token by its kind and three sorted keyword lists, and
// decides whether a line starts inside a block comment by looking backwards from it.
//
// Only a block comment carries from one line to the next; line comments, strings and
// words end with their line.  The backward decision is cached per line: the answer for
// line N depends only on the lines above N, so an edit of line L keeps the answers of
// lines 1..L and a repaint costs the lines it paints, not the text above them.
//
// Portable: the editor control paints with it, tests run it natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/strings.h"

namespace tess {

enum TSynScanState : uint8_t {
  scBlockComment = 0,
  scLineComment = 1,
  scNormal = 2,
  scString = 3,
  scWord = 4,
};

// Codes 0 to 32.
inline bool IsSynBlank(unsigned char C) {
  return C <= 32;
}
// Letters, digits, "_", "#" and "$".
bool IsSynWordChar(unsigned char C);

// Scans one token of Text from Start with the state carried in State.  Kind is the
// token's kind, Length its length and TokenEnd its last position (not beyond the line);
// State becomes scNormal, or stays scBlockComment while the comment is open.  False when
// nothing was left to scan.
bool NextSyntaxToken(std::string_view Text, int32_t Start, TSynScanState& State,
                     TSynScanState& Kind, int32_t& Length, int32_t& TokenEnd);

// What colour a token takes; the editor maps these to its colour properties.
enum TSynTokenColor : uint8_t {
  tcNormal,
  tcString,
  tcSQL,
  tcPLSQL,
  tcComment,
  tcSymbol,
};

// A comparison of two texts ignoring case: <0, 0, >0.
using TSynCompareText = int (*)(const std::string& S1, const std::string& S2);

// The symbol, SQL and PL/SQL words: sorted, case-insensitive, without duplicates.  One
// comparison both sorts and searches the lists (the framework's compare-text unless
// another is given, e.g. the platform's locale-aware one).
class TSynKeywords {
 public:
  explicit TSynKeywords(TSynCompareText Compare = nullptr);
  TSynKeywords(const TSynKeywords&) = delete;
  TSynKeywords& operator=(const TSynKeywords&) = delete;

  // Copies each list (null: empty) into its own, replacing what was there.
  void SetKeywordLists(const TStrings* Symbols, const TStrings* SqlWords,
                       const TStrings* PlsqlWords);
  TStringList& SymbolWords() { return symbols_; }
  TStringList& SqlWords() { return sql_; }
  TStringList& PlsqlWords() { return plsql_; }
  const TStringList& SymbolWords() const { return symbols_; }
  const TStringList& SqlWords() const { return sql_; }
  const TStringList& PlsqlWords() const { return plsql_; }

  // The colour of a token of this kind and text (blanks around it ignored).  A word is
  // looked up in the symbol, SQL and PL/SQL lists in that order; another character is a
  // symbol only when it stands alone and the symbol list holds it.
  TSynTokenColor GetTokenColor(TSynScanState Kind, std::string_view Token) const;

 private:
  class TWordList : public TStringList {
   public:
    explicit TWordList(TSynCompareText Compare) : compare_(Compare) {}

   protected:
    int CompareStrings(const std::string& S1, const std::string& S2) const override;

   private:
    TSynCompareText compare_;
  };
  TWordList symbols_, sql_, plsql_;
};

// One coloured run of a line: positions First..Last (0-based, inclusive).
struct TSynRun {
  int32_t First;
  int32_t Last;
  TSynScanState Kind;
  TSynTokenColor Color;
};

// The runs of a whole line, scanned from position 0 with the state carried in State
// (left as the next line's state).
std::vector<TSynRun> SyntaxRuns(std::string_view Text, TSynScanState& State,
                                const TSynKeywords& Keywords);

// The lines the backward comment scan reads, 1-based.  The view must stay valid until
// the next call.
class TSynLineSource {
 public:
  virtual ~TSynLineSource() = default;
  virtual int32_t LineCount() const = 0;
  virtual std::string_view Line(int32_t Index) const = 0;
};

// What one line, read from its end to its start, says about the lines below it.
enum class TSynLineVerdict : uint8_t { Undecided, Opens, Closes };
TSynLineVerdict BackwardCommentVerdict(std::string_view Line);

// Whether Line starts inside a block comment: the nearest line above it that decides
// (an open "/*" or a "*/"), else false.  False for Line < 2 and beyond the text.
class TSynCommentCache {
 public:
  explicit TSynCommentCache(const TSynLineSource& Source) : source_(Source) {}

  bool IsLineInBlockComment(int32_t Line);
  // Line Line changed, or lines were inserted or deleted there: the answers of the lines
  // below it are forgotten.
  void Invalidate(int32_t Line);
  void Clear() { known_.clear(); }

  // Lines whose verdict was computed since the cache was made (for benchmarks).
  int64_t LinesScanned() const { return scanned_; }

 private:
  enum : int8_t { kUnknown = -1 };
  const TSynLineSource& source_;
  // known_[L - 1]: the answer for line L (0, 1) or kUnknown.
  std::vector<int8_t> known_;
  int64_t scanned_ = 0;
};

}  // namespace tess
