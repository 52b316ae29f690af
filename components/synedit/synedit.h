// The syntax-colouring editor: a text-file editor that paints each line as tokens
// (comments, quoted strings, words, other characters) in colours chosen by the token's
// kind and three keyword lists.  Only painting differs from the text-file editor.
//
// A paint pass starts in a block comment when the first row it paints lies inside one
// (decided by the backward scan, whose answers are cached per display line and forgotten
// from a changed line down) and carries the scanner's state from row to row; rows
// outside the clip box are neither painted nor scanned.
#pragma once

#include "components/editor/editor.h"
#include "components/synedit/syntax_lines.h"
#include "components/synedit/syntax_scanner.h"

namespace tess {

class TSynEdit : public TyTextFileEditor {
 public:
  explicit TSynEdit(TComponent* AOwner);
  ~TSynEdit() override;

  TStringList* SymbolWords() { return &keywords_.SymbolWords(); }
  TStringList* SqlWords() { return &keywords_.SqlWords(); }
  TStringList* PlsqlWords() { return &keywords_.PlsqlWords(); }
  const TSynKeywords& Keywords() const { return keywords_; }
  // Copies the three lists (in this order) into the editor's own sorted lists.
  void SetKeywordLists(const TStrings* Symbols, const TStrings* SqlWords,
                       const TStrings* PlsqlWords);

  bool UseSyntaxHighlighting() const { return use_highlighting_; }
  void SetUseSyntaxHighlighting(bool Value);
  bool ScanForComments() const { return scan_for_comments_; }
  void SetScanForComments(bool Value);

  // Setting a colour takes effect at the next repaint.
  TColor NormalTextColor() const { return colors_[0]; }
  void SetNormalTextColor(TColor V) { colors_[0] = V; }
  TColor SelectedTextColor() const { return colors_[1]; }
  void SetSelectedTextColor(TColor V) { colors_[1] = V; }
  TColor SelectedTextBackColor() const { return colors_[2]; }
  void SetSelectedTextBackColor(TColor V) { colors_[2] = V; }
  TColor StringTextColor() const { return colors_[3]; }
  void SetStringTextColor(TColor V) { colors_[3] = V; }
  TColor SQLTextColor() const { return colors_[4]; }
  void SetSQLTextColor(TColor V) { colors_[4] = V; }
  TColor PLSQLTextColor() const { return colors_[5]; }
  void SetPLSQLTextColor(TColor V) { colors_[5] = V; }
  TColor CommentTextColor() const { return colors_[6]; }
  void SetCommentTextColor(TColor V) { colors_[6] = V; }
  TColor SymbolTextColor() const { return colors_[7]; }
  void SetSymbolTextColor(TColor V) { colors_[7] = V; }

  // Whether display line Line starts inside a block comment (the backward scan).
  bool IsLineInBlockComment(int32_t Line) { return comments_.IsLineInBlockComment(Line); }
  // Lines the backward scan has read so far (for benchmarks).
  int64_t CommentLinesScanned() const { return comments_.LinesScanned(); }
  // The colour property a token's colour class stands for.
  TColor TokenColor(TSynTokenColor C) const;

  void InvalidateLines(int32_t FromLine, int32_t ToLine) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void BeginRows(int32_t FirstLine) override;
  void DrawRow(TEditorRow& Row) override;
  void TextChangedFrom(int32_t FirstLine) override;
  TColor colors_[8];

 private:
  void PaintHighlightedLine(const TEditorRow& Row);
  void RepaintNow();

  TSynKeywords keywords_;
  TSynModelComments comments_;
  // The scanner's state during one paint pass.
  TSynScanState state_ = scNormal;
  bool use_highlighting_ = false;
  bool scan_for_comments_ = true;
};

// The form editor's class: publishes the eight colours, always stored.
class TySynEdit : public TSynEdit {
 public:
  explicit TySynEdit(TComponent* AOwner) : TSynEdit(AOwner) {}
  void PublishProperties(TPropertyList& Props) override;
};

void RegisterSynEditClasses();

}  // namespace tess
