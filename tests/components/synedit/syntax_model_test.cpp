// The comment cache kept in step with an editor model's own edits, without a window:
// random insertions, deletions, undo and redo, word wrap switched on and off, and a new
// text, each time against a cache made afresh; and the values of marked paragraphs
// following the edits.
#include "components/synedit/syntax_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tess {
namespace {

TEST(SyntaxModel, CommentCacheFollowsEveryKindOfEdit) {
  std::mt19937 rng(99);
  const char* pieces[] = {"/*", "*/", "--", "'", "word", " ", "\r\n", "/", "*", "-", "a\r\n/*b"};
  TSynTextFileModel m;
  m.SetMetrics(8, 16, 15, 5, 15 + 5 + 8 * 30, 16 * 20);
  std::string text;
  for (int i = 0; i < 300; ++i) text += pieces[rng() % std::size(pieces)];
  m.SetText(text.c_str());
  m.SetWrapColumn(12);  // short, so that word wrap splits many paragraphs
  int wrapped = 0;
  for (int round = 0; round < 400; ++round) {
    const int32_t n = m.GetLineCount();
    for (int k = 0; k < 4; ++k) m.Comments.IsLineInBlockComment(1 + static_cast<int32_t>(rng() % n));
    const int32_t line = 1 + static_cast<int32_t>(rng() % n);
    const int32_t col = 1 + static_cast<int32_t>(rng() % (m.GetLineLength(line) + 1));
    switch (rng() % 7) {
      case 0:
      case 1:
        m.SetCaretPosition(line, col);
        m.InsertString(pieces[rng() % std::size(pieces)]);
        break;
      case 2:
        m.SetSelection(line, col, std::min(n, line + static_cast<int32_t>(rng() % 3)),
                       1 + static_cast<int32_t>(rng() % 5), true);
        m.ClearSelection();
        break;
      case 3:
        m.Undo();
        break;
      case 4:
        m.Redo();
        break;
      case 5:
        // Wrapped display lines move when a paragraph's text changes its length.
        m.SetWordWrap(!m.WordWrap());
        break;
      default:
        m.SetCaretPosition(line, col);
        m.ProcessCommand(kCmdChar, "/*-x'"[rng() % 5]);
        break;
    }
    wrapped += m.GetLineCount() > m.GetParaCount();
    TSynCommentCache fresh(m.Comments.Lines());
    for (int32_t l = 1; l <= m.GetLineCount(); ++l)
      ASSERT_EQ(m.Comments.IsLineInBlockComment(l), fresh.IsLineInBlockComment(l))
          << "round " << round << " line " << l;
  }
  EXPECT_GT(wrapped, 50) << "rounds with wrapped paragraphs";
  m.SetText("/*\r\nx\r\ny");
  EXPECT_TRUE(m.Comments.IsLineInBlockComment(3));
  m.SetText("x\r\ny\r\nz");
  EXPECT_FALSE(m.Comments.IsLineInBlockComment(3));
}

TEST(SyntaxModel, MarkedParagraphValuesFollowTheirParagraphs) {
  TSynTextFileModel m;
  m.SetText("a\r\nb\r\nc\r\nd\r\ne");
  m.MarkedParas() = {2, 4, 5};
  m.MarkedValues() = {1, 2, 3};
  m.SetCaretPosition(3, 1);
  m.InsertString("x\r\ny\r\n");  // two paragraphs before c
  EXPECT_EQ(m.MarkedParas(), (std::vector<int32_t>{2, 6, 7}));
  EXPECT_EQ(m.MarkedValues(), (std::vector<int32_t>{1, 2, 3}));
  m.SetSelection(6, 1, 7, 1, true);  // join d and e: e's mark goes with its paragraph
  m.ClearSelection();
  ASSERT_EQ(m.MarkedParas().size(), m.MarkedValues().size());
  EXPECT_EQ(m.MarkedValues().front(), 1);
  m.Clear();
  EXPECT_TRUE(m.MarkedParas().empty());
  EXPECT_TRUE(m.MarkedValues().empty());
}

}  // namespace
}  // namespace tess
