// The editor model through its commands and public operations: caret movement over
// wrapped and tabbed lines, editing commands with undo, search and replace, text
// copies and the clipboard, shared texts, scroll arithmetic and the mouse mapping.
#include "components/editor/editormodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <set>
#include <string>

#include "components/core/commands.h"
#include "components/core/exceptions.h"

namespace tess {
namespace {

class MemClipboard : public TEditorClipboard {
 public:
  std::string Text;
  bool Has = false;
  bool HasText() override { return Has; }
  std::string GetText() override { return Text; }
  bool SetText(const std::string& T) override {
    Text = T;
    Has = true;
    return true;
  }
};

std::string Content(TEditorModel& E) {
  std::string s;
  for (int32_t p = 1; p <= E.GetParaCount(); ++p) {
    if (p > 1) s += '|';
    s += E.GetPara(p);
  }
  return s;
}

void Type(TEditorModel& E, const std::string& S) {
  for (char c : S) {
    if (c == '\n') E.ProcessCommand(ccNewLine, 0);
    else E.ProcessCommand(kCmdChar, c);
  }
}

struct Editor : ::testing::Test {
  TEditorModel E;
  MemClipboard Clip;
  void SetUp() override {
    E.Clipboard = &Clip;
    E.SetMetrics(8, 16, 15, 5, 15 + 5 + 8 * 40, 16 * 10);  // 40 columns, 10 rows
  }
};

TEST_F(Editor, TypingEnterBackspaceDeleteAndUndo) {
  Type(E, "abc");
  EXPECT_EQ(Content(E), "abc");
  EXPECT_EQ(E.Paragraphs().UndoBuffer().UndoCount(), 1);  // typing merged
  E.ProcessCommand(ccLeft, 0);
  E.ProcessCommand(ccNewLine, 0);
  EXPECT_EQ(Content(E), "ab|c");
  EXPECT_EQ(E.CaretPara(), 2);
  E.ProcessCommand(ccBack, 0);  // joins again
  EXPECT_EQ(Content(E), "abc");
  EXPECT_EQ(E.CaretPos(), 3);
  E.ProcessCommand(ccEnd, 0);
  E.ProcessCommand(ccNewLine, 0);
  Type(E, "de");
  E.ProcessCommand(ccFirstPage, 0);
  E.ProcessCommand(ccEnd, 0);
  E.ProcessCommand(ccDel, 0);  // Delete at the end joins the next paragraph
  EXPECT_EQ(Content(E), "abcde");
  E.ProcessCommand(ccUndo, 0);  // and undo splits them at the same place
  EXPECT_EQ(Content(E), "abc|de");
  EXPECT_EQ(E.CaretPara(), 1);
  EXPECT_EQ(E.CaretPos(), 4);
  E.ProcessCommand(ccFirstPage, 0);
  E.ProcessCommand(ccBack, 0);  // nothing at line 1 column 1
  EXPECT_EQ(Content(E), "abc|de");
  E.ReadOnly = true;
  E.ProcessCommand(ccEnd, 0);
  E.ProcessCommand(ccBack, 0);  // read-only: only moves
  EXPECT_EQ(Content(E), "abc|de");
  EXPECT_EQ(E.CaretPos(), 3);
  EXPECT_FALSE(E.GetCanUndo());
}

TEST_F(Editor, OverwriteAndScrollPastEnd) {
  Type(E, "xxxxx");
  E.ProcessCommand(ccHome, 0);
  E.ProcessCommand(ccIns, 0);
  Type(E, "abc");
  EXPECT_EQ(Content(E), "abcxx");
  E.ProcessCommand(ccUndo, 0);  // one step restores the five x
  EXPECT_EQ(Content(E), "xxxxx");
  E.ProcessCommand(ccEnd, 0);
  Type(E, "yz");  // over the end: appends
  EXPECT_EQ(Content(E), "xxxxxyz");
  E.ProcessCommand(ccIns, 0);
  E.SetScrollPastEnd(true);
  for (int i = 0; i < 3; ++i) E.ProcessCommand(ccRight, 0);
  EXPECT_EQ(E.CaretPos(), 11);
  Type(E, "!");  // fills with blanks up to the caret
  EXPECT_EQ(Content(E), "xxxxxyz   !");
  EXPECT_EQ(E.CaretPos(), 12);
  E.ProcessCommand(ccUndo, 0);  // typing on at the end continued the first record
  EXPECT_EQ(Content(E), "");
}

TEST_F(Editor, WordMovesEndAndScreenColumns) {
  E.SetText("select a.b, c\r\n\tx = 1\r\nfoo");
  E.ProcessCommand(ccWordRight, 0);
  EXPECT_EQ(E.CaretPos(), 8);  // "a"
  E.ProcessCommand(ccWordRight, 0);
  EXPECT_EQ(E.CaretPos(), 10);  // "b"
  E.ProcessCommand(ccWordLeft, 0);
  EXPECT_EQ(E.CaretPos(), 8);
  E.ProcessCommand(ccEnd, 0);
  E.ProcessCommand(ccWordRight, 0);  // past the end: next line
  EXPECT_EQ(E.CaretPara(), 2);
  EXPECT_EQ(E.CaretPos(), 1);
  E.ProcessCommand(ccWordLeft, 0);  // at position 1: end of the previous line
  EXPECT_EQ(E.CaretPara(), 1);
  EXPECT_EQ(E.CaretPos(), 14);
  // Up and down keep the screen column across a tab.
  E.SetCaretPosition(1, 10);  // screen column 10
  E.ProcessCommand(ccDown, 0);
  EXPECT_EQ(E.CaretPos(), 3);  // "\tx": x stands at screen column 9, " " at 10
  EXPECT_EQ(E.CaretScreenColumn(), 10);
  E.ProcessCommand(ccUp, 0);
  EXPECT_EQ(E.CaretPos(), 10);
  E.ProcessCommand(ccExtendDown, 0);
  EXPECT_EQ(E.GetSelText(), "b, c\r\n\tx");  // no line break after the last part
  // End on wrapped lines: the last character of a line that is not the last.
  E.SetText("aaaa bbbb cccc dddd");
  E.SetWrapColumn(10);
  E.SetWordWrap(true);
  ASSERT_EQ(E.GetLineCount(), 2);
  E.ProcessCommand(ccEnd, 0);
  EXPECT_EQ(E.CaretLine(), 1);
  EXPECT_EQ(E.CaretPos(), 10);
  E.ProcessCommand(ccDown, 0);
  E.ProcessCommand(ccEnd, 0);
  EXPECT_EQ(E.CaretPos(), 20);
}

TEST_F(Editor, PagesTopLineAndScrollArithmetic) {
  std::string t;
  for (int i = 1; i <= 100; ++i) t += "line " + std::to_string(i) + "\r\n";
  E.SetText(t.c_str());
  EXPECT_EQ(E.GetLineCount(), 101);
  E.ProcessCommand(ccNextPage, 0);
  EXPECT_EQ(E.CaretLine(), 10);
  EXPECT_EQ(E.GetTopLine(), 10);  // the caret keeps its screen row
  E.ProcessCommand(ccBotOfPage, 0);
  EXPECT_EQ(E.CaretLine(), 19);
  E.ProcessCommand(ccPrevPage, 0);
  EXPECT_EQ(E.CaretLine(), 10);
  EXPECT_EQ(E.GetTopLine(), 1);
  E.SetTopLine(101);  // clamped so that the last page stays full
  EXPECT_EQ(E.GetTopLine(), 92);
  EXPECT_THROW(E.SetTopLine(0), EInvalidLineOrPara);
  EXPECT_THROW(E.SetCaretPosition(0, 1), EInvalidLineOrPara);
  EXPECT_THROW(E.SetMarkerAt(3, 1, 0), EInvalidLineOrCol);
  // 100000 lines in 40 rows: scale 6, thumb 1..16660; the ends show the first and last page.
  TEditorModel big;
  big.SetMetrics(8, 10, 0, 0, 800, 400);
  std::string line = "x\r\n";
  std::string text;
  for (int i = 0; i < 99999; ++i) text += line;
  big.SetText(text.c_str());
  ASSERT_EQ(big.GetLineCount(), 100000);
  EXPECT_EQ(big.VertScale(), 6);
  EXPECT_EQ(big.VertScrollRange().Max, 16660);
  EXPECT_EQ(big.LineOfThumb(1), 1);
  EXPECT_EQ(big.LineOfThumb(16660), 100000 - 39);
  EXPECT_EQ(big.LineOfThumb(100), 600);
}

TEST_F(Editor, MouseMapping) {
  E.SetText("\tab\r\nxyz");
  int32_t line, col;
  E.GetMouseLineCol(15 + 8 * 8 + 1, 3, line, col);  // screen column 9: "a"
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 2);
  E.GetMouseLineCol(15 + 8 * 30, 20, line, col);  // right of the end
  EXPECT_EQ(line, 2);
  EXPECT_EQ(col, 4);
  E.GetMouseLineCol(0, -5, line, col);  // above the window: clamped to line 1
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 1);
  E.GetMouseLineCol(500, 2000, line, col);  // below and in the right margin
  EXPECT_EQ(line, 2);
  EXPECT_EQ(col, 4);
}

TEST_F(Editor, AutoIndentSmartTabAndDeletingParts) {
  E.AutoIndent = true;
  E.SetText("  \tbegin");
  E.ProcessCommand(ccEnd, 0);
  E.ProcessCommand(ccNewLine, 0);
  EXPECT_EQ(Content(E), "  \tbegin|\t");  // two blanks and a tab reach column 9: one tab
  EXPECT_EQ(E.CaretPos(), 2);
  E.SetText("select  x,   y\r\n");
  E.TabType = ttSmart;
  E.SetCaretPosition(2, 1);
  E.ProcessCommand(ccTab, 0);
  EXPECT_EQ(E.CaretPos(), 9);  // under "x"
  E.ProcessCommand(ccTab, 0);
  EXPECT_EQ(E.CaretPos(), 14);  // under "y"
  E.TabType = ttFixed;
  E.ProcessCommand(ccTab, 0);
  EXPECT_EQ(E.CaretPos(), 17);
  E.SetText("alpha beta, gamma");
  E.SetCaretPosition(1, 3);
  E.ProcessCommand(ccDelWord, 0);  // the rest of the word and the blank after it
  EXPECT_EQ(Content(E), "albeta, gamma");
  E.ProcessCommand(ccDelEol, 0);
  EXPECT_EQ(Content(E), "al");
  E.ProcessCommand(ccDelBol, 0);
  EXPECT_EQ(Content(E), "");
  E.SetText("one\r\ntwo\r\nthree");
  E.SetCaretPosition(2, 2);
  E.ProcessCommand(ccDelLine, 0);
  EXPECT_EQ(Content(E), "one|three");
  E.ProcessCommand(ccUndo, 0);
  EXPECT_EQ(Content(E), "one|two|three");
}

TEST_F(Editor, CopiesAndClipboardRoundTrips) {
  E.SetText("ab");
  char buf[100];
  EXPECT_EQ(E.GetText(buf, 100), 5);
  EXPECT_STREQ(buf, "ab\r\n");
  char small[4];
  E.GetLine(1, small, 2);  // DestLen is the room: one character and the NUL
  EXPECT_STREQ(small, "a");
  EXPECT_EQ(E.GetPrintableLine(1, small, 4), 2);
  E.SetText("first line\r\nsecond\r\nthird one");
  E.SetSelection(1, 7, 3, 6, true);
  EXPECT_EQ(E.GetSelText(), "line\r\nsecond\r\nthird");
  EXPECT_EQ(E.GetSelTextLen(), 19);
  std::string before = Content(E);
  E.ProcessCommand(ccCut, 0);
  EXPECT_EQ(Content(E), "first  one");
  E.ProcessCommand(ccPaste, 0);
  EXPECT_EQ(Content(E), before);  // cut and paste give back the same text
  E.SelectAll(true);
  E.ProcessCommand(ccCopy, 0);
  EXPECT_EQ(Clip.Text, "first line\r\nsecond\r\nthird one");
  E.SetSelection(1, 1, 1, 6, true);
  E.ProcessCommand(ccCopy, 0);
  EXPECT_EQ(Clip.Text, "first");  // within a paragraph: no line break
  E.SetText("a  \r\n\tb \r\nc");  // blanks at line ends survive cut and paste
  E.SelectAll(true);
  E.ProcessCommand(ccCut, 0);
  E.ProcessCommand(ccPaste, 0);
  EXPECT_EQ(Content(E), "a  |\tb |c");
  TEditorModel empty;
  empty.SetSelection(1, 1, 1, 5, true);  // nothing on an empty text
  EXPECT_EQ(empty.GetSelTextLen(), 0);
}

TEST_F(Editor, SearchAndReplace) {
  E.SetText("aaa");
  EXPECT_EQ(E.SearchReplace("a", "b", srGlobal | srReplaceAll), 3);
  EXPECT_EQ(Content(E), "bbb");
  E.SetText("a a a");
  EXPECT_EQ(E.SearchReplace("a", "aa", srGlobal | srReplaceAll), 3);  // never loops
  EXPECT_EQ(Content(E), "aa aa aa");
  E.SetText("Begin end; BEGIN x; beginning");
  E.SetCaretPosition(1, 1);
  EXPECT_EQ(E.SearchReplace("", "", 0), -1);  // an empty pattern is not found
  EXPECT_FALSE(E.Search("", 0));
  EXPECT_TRUE(E.Search("begin", srWholeWord));
  EXPECT_EQ(E.GetSelText(), "Begin");
  EXPECT_TRUE(E.Search("begin", srWholeWord));
  EXPECT_EQ(E.GetSelText(), "BEGIN");
  EXPECT_FALSE(E.Search("begin", srWholeWord | srMatchCase));
  int32_t l1, c1, l2, c2;
  E.GetSelection(l1, c1, l2, c2);
  EXPECT_EQ(c1, 12);  // a failed search leaves the selection
  EXPECT_TRUE(E.Search("begin", srBackward));
  EXPECT_EQ(E.CaretPos(), 1);
  E.ProcessCommand(ccLastPage, 0);
  EXPECT_TRUE(E.Search("begin", srBackward));
  EXPECT_EQ(E.CaretPos(), 21);  // "beginning", the caret at the match's start
  // Only inside the selection.
  E.SetSelection(1, 7, 1, 19, true);
  EXPECT_EQ(E.SearchReplace("e", "E", srSelectedOnly | srReplaceAll), 2);
  EXPECT_EQ(Content(E), "Begin End; BEGIN x; beginning");
  // A pattern longer than 255 characters is searched whole.
  std::string longPat(300, 'q');
  E.SetText((std::string(299, 'q') + "x" + longPat).c_str());
  EXPECT_TRUE(E.Search(longPat, srGlobal));
  EXPECT_EQ(E.CaretPos(), 601);
  // Across paragraphs, and one undo step for the whole replacement.
  E.SetText("x1\r\nx2\r\nx3");
  EXPECT_EQ(E.SearchReplace("x", "yy", srGlobal | srReplaceAll), 3);
  E.ProcessCommand(ccUndo, 0);
  EXPECT_EQ(Content(E), "x1|x2|x3");
}

TEST_F(Editor, SharedTextFollowsEdits) {
  TEditorModel other;
  E.SetText("one\r\ntwo\r\nthree");
  other.AttachTo(&E);
  EXPECT_EQ(Content(other), "one|two|three");
  other.SetCaretPosition(3, 3);
  E.SetCaretPosition(1, 1);
  Type(E, "zero\n");
  EXPECT_EQ(Content(other), "zero|one|two|three");
  EXPECT_EQ(other.CaretPara(), 4);  // its caret moved with the text
  EXPECT_EQ(other.CaretPos(), 3);
  E.Paragraphs().SetMarker(1, 4, 2);
  other.ProcessCommand(ccFirstPage, 0);
  other.ProcessCommand(ccDelLine, 0);
  int32_t col;
  EXPECT_EQ(E.GetMarkerPosition(1, col), 3);
  {
    TEditorModel third;
    third.AttachTo(&other);
    third.Clear();  // a new text of its own; the others keep theirs
    EXPECT_EQ(Content(third), "");
  }
  EXPECT_EQ(Content(E), "one|two|three");
  EXPECT_EQ(Content(other), "one|two|three");
}

TEST_F(Editor, LimitsAndLongTexts) {
  uint16_t last = 0;
  E.OnError = [&](uint16_t& Code) { last = Code; };
  // Over-long lines are split, never dropped.
  std::string longLine = std::string(20000, 'a') + " " + std::string(20000, 'b');
  E.SetText(longLine.c_str());
  EXPECT_EQ(E.GetParaCount(), 2);
  EXPECT_EQ(E.GetTextLength(), 40001 + 2);
  EXPECT_EQ(last, 0);
  // Large inserts go in pieces that never cut a CR LF.
  std::string big;
  for (int i = 0; i < 3000; ++i) big += std::string(39, 'p') + "\r\n";  // 123000 bytes
  big.insert(61440 - 1, "\r\n");  // a line break right at the first piece's end
  E.SetText("");
  EXPECT_EQ(E.Insert(big.c_str()), 0);
  EXPECT_EQ(E.GetTextString(), big + "\r\n");
  // A refused insertion changes nothing.
  E.SetText("abc");
  E.SetParaLengthLimit(5);
  E.ProcessCommand(ccEnd, 0);
  EXPECT_EQ(E.InsertString("123\r\n4"), kEdErrParaTooLong);
  EXPECT_EQ(Content(E), "abc");
  E.SetParaLimit(1);
  Type(E, "\n");
  EXPECT_EQ(last, kEdErrTooManyParas);
  EXPECT_EQ(Content(E), "abc");
  E.OnError = nullptr;
  EXPECT_THROW(Type(E, "\n"), EEditorError);
}

// A CR inside the text stays a character however a large insertion is cut into pieces,
// and a CR at the end of a paragraph comes back through the text's copies: a CR LF or a
// LF is one line break, nothing more.
TEST_F(Editor, CarriageReturnsAreTheSameWhereverAnInsertionIsCut) {
  auto reference = [](const std::string& T) {  // T ends with a LF
    std::string s;
    size_t b = 0;
    for (size_t e; (e = T.find('\n', b)) != std::string::npos; b = e + 1) {
      size_t l = e > b && T[e - 1] == '\r' ? e - 1 : e;
      s += T.substr(b, l - b) + "|";
    }
    return s;  // the last, empty paragraph
  };
  const std::string pattern = "ab\rc\r\r\nd\n\re\r\r\rf\r\n";
  std::string body;
  while (body.size() < 70000) body += pattern;
  for (size_t shift = 0; shift < pattern.size() + 2; ++shift) {
    std::string text = std::string(shift, 'p') + body;
    E.SetText("");
    ASSERT_EQ(E.Insert(text.c_str()), 0);
    const std::string got = Content(E), want = reference(text);
    size_t at = std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
    ASSERT_EQ(got.size(), want.size())
        << "cut shifted by " << shift << ", first difference at " << at;
    ASSERT_EQ(at, got.size()) << "cut shifted by " << shift;
  }
  // Paragraphs that end in a CR, through SetText, the selection's text and a paste.
  E.SetText("");
  E.AppendPara("one\r");
  E.AppendPara("\r");
  E.AppendPara("two\r\r");
  const std::string before = Content(E);
  E.SelectAll(true);
  std::string all = E.GetSelText();
  E.SetText(all.c_str());
  EXPECT_EQ(Content(E), before);
  E.SelectAll(true);
  E.CopyToClipboard();
  E.SetText("");
  E.PasteFromClipboard();
  EXPECT_EQ(Content(E), before);
}

// The view never goes where its scroll bars cannot bring it back: with word wrap the
// left column stays within what the horizontal bar ranges over (none at all when the
// wrap column fits the window: blanks typed past it must not slide the text left), and
// the top line within the vertical bar's range, after typing, deleting, resizing and
// rewrapping alike.
TEST_F(Editor, TheViewStaysWhereItsScrollBarsReach) {
  E.SetWordWrap(true);
  E.SetWrapColumn(40);  // the window shows 40 columns
  E.SetText("");
  Type(E, std::string(38, 'a') + "      ");
  EXPECT_EQ(E.HorzScrollRange().Max, 0);
  EXPECT_EQ(E.LeftColumn(), 0);

  auto check = [&](const std::string& Did) {
    int32_t cols = E.GetVisibleColumns();
    int32_t maxLeft = E.WordWrap() ? std::max(0, E.WrapColumn() - cols) : INT_MAX;
    if (E.WordWrap() && E.HorzScrollRange().Max == 0) maxLeft = 0;
    int32_t maxTop = std::max(1, E.GetLineCount() - E.GetVisibleRows() + 1);
    return E.LeftColumn() <= maxLeft && E.GetTopLine() <= maxTop
               ? ::testing::AssertionSuccess()
               : ::testing::AssertionFailure()
                     << Did << ": left " << E.LeftColumn() << " of " << maxLeft << ", top "
                     << E.GetTopLine() << " of " << maxTop;
  };
  std::mt19937 r(5);
  std::string t;
  for (int i = 0; i < 60; ++i) t += "some words and\tmore of them " + std::to_string(i) + "\r\n";
  E.SetText(t.c_str());
  for (int step = 0; step < 4000; ++step) {
    std::string did;
    switch (r() % 12) {
      case 0:
        Type(E, "  ");
        did = "blanks";
        break;
      case 1:
        Type(E, "word");
        did = "a word";
        break;
      case 2:
        Type(E, "\n");
        did = "Enter";
        break;
      case 3:
        E.ProcessCommand(ccEnd, 0);
        did = "End";
        break;
      case 4:
        E.ProcessCommand(r() % 2 ? ccExtendDown : ccExtendPgDn, 0);
        did = "Shift+Down";
        break;
      case 5:
        E.ProcessCommand(ccDel, 0);
        did = "Delete";
        break;
      case 6:
        E.ProcessCommand(r() % 2 ? ccLastPage : ccNextPage, 0);
        did = "Ctrl+End";
        break;
      case 7:
        E.ProcessCommand(r() % 2 ? ccUp : ccRight, 0);
        did = "Up/Right";
        break;
      case 8: {
        int32_t cols = 20 + static_cast<int32_t>(r() % 40),
                rows = 3 + static_cast<int32_t>(r() % 12);
        E.SetMetrics(8, 16, 15, 5, 15 + 5 + 8 * cols, 16 * rows);
        did = "a resize to " + std::to_string(cols) + "x" + std::to_string(rows);
        break;
      }
      case 9:
        E.SetWrapColumn(20 + static_cast<int32_t>(r() % 50));
        did = "a wrap column";
        break;
      case 10:
        E.Scroll(static_cast<int32_t>(r() % 9) - 2, static_cast<int32_t>(r() % 9) - 4);
        did = "a scroll";
        break;
      case 11:
        if (E.GetLineCount() > 150) {
          E.SetSelection(20, 1, E.GetLineCount(), 1, true);
          E.ProcessCommand(ccDel, 0);
          did = "deleting the end";
        } else {
          E.ProcessCommand(ccUndo, 0);
          did = "undo";
        }
        break;
    }
    ASSERT_TRUE(check(did)) << "step " << step;
  }
}

TEST_F(Editor, RandomCommandsUndoBackToTheStart) {
  std::mt19937 r(11);
  const uint16_t cmds[] = {kCmdChar, kCmdChar, kCmdChar, ccNewLine, ccBack, ccDel, ccLeft,
                           ccRight, ccUp, ccDown, ccWordLeft, ccExtendRight, ccExtendDown,
                           ccTab, ccDelWord, ccNewLine, ccCut, ccPaste, ccIns, ccEnd, ccHome,
                           ccIns, ccDelLine};
  for (bool wrap : {false, true}) {
    TEditorModel M;
    MemClipboard clip;
    M.Clipboard = &clip;
    M.SetUndoBufferSize(65000);
    M.SetWrapColumn(12);
    M.SetWordWrap(wrap);
    M.AutoIndent = true;
    for (int i = 0; i < 600; ++i) {
      uint16_t c = cmds[r() % (sizeof cmds / sizeof cmds[0])];
      M.ProcessCommand(c, "ab -\t"[r() % 5]);
      ASSERT_GE(M.CaretPara(), 1);
      ASSERT_LE(M.CaretPara(), M.GetParaCount());
    }
    EXPECT_GT(M.GetParaCount(), 3);
    while (M.GetCanUndo()) M.ProcessCommand(ccUndo, 0);
    EXPECT_EQ(Content(M), "");
  }
}

TEST_F(Editor, SharedWrappedTextKeepsEveryCaretOnItsCharacter) {
  TEditorModel other;
  E.SetText("alpha beta gamma delta epsilon zeta eta theta iota kappa");
  other.AttachTo(&E);  // (setting a text gives an editor a text of its own)
  E.SetWrapColumn(12);
  E.SetWordWrap(true);
  other.SetCaretPosition(3, 2);  // inside a wrapped line
  int32_t para = other.CaretPara(), pos = other.CaretPos();
  char at = E.GetPara(para)[pos - 1];
  E.SetCaretPosition(1, 1);
  Type(E, "xx ");  // typed before it in the same paragraph
  EXPECT_EQ(E.GetPara(other.CaretPara())[other.CaretPos() - 1], at);
  E.SetWrapColumn(20);  // a rewrap recomputes its line from the paragraph position
  int32_t col;
  EXPECT_EQ(other.GetCaretPosition(col), E.Paragraphs().LineOfParaPos(other.CaretPara(), other.CaretPos(), col));
  EXPECT_EQ(E.GetPara(other.CaretPara())[other.CaretPos() - 1], at);
  // Marked paragraphs follow splits, deletions and joins.
  E.SetWordWrap(false);
  E.SetText("a\r\nb\r\nc\r\nd");
  E.MarkedParas() = {2, 4};
  E.SetCaretPosition(1, 2);
  Type(E, "\n");
  EXPECT_EQ(E.MarkedParas(), (std::vector<int32_t>{3, 5}));
  E.SetCaretPosition(3, 1);
  E.ProcessCommand(ccDelLine, 0);
  EXPECT_EQ(E.MarkedParas(), (std::vector<int32_t>{4}));
}

TEST_F(Editor, ModifiedAcrossASaveAndASmallHistory) {
  Type(E, "abc");
  E.SetModified(false);  // saved
  Type(E, "d");
  EXPECT_TRUE(E.GetModified());
  E.ProcessCommand(ccUndo, 0);  // back at the saved text
  EXPECT_EQ(Content(E), "abc");
  EXPECT_FALSE(E.GetModified());
  E.ProcessCommand(ccUndo, 0);
  EXPECT_TRUE(E.GetModified());
  E.SetUndoBufferSize(64);
  std::string hundred(100, 'h');
  E.InsertString(hundred);  // does not fit the history: not recorded, nothing to undo
  EXPECT_FALSE(E.GetCanUndo());
  Type(E, "x");
  EXPECT_TRUE(E.GetCanUndo());
}

TEST_F(Editor, RandomCommandsOnTwoSharingEditors) {
  std::mt19937 r(23);
  const uint16_t cmds[] = {kCmdChar, kCmdChar, ccNewLine, ccNewLine, ccBack, ccDel, ccLeft, ccUp,
                           ccDown, ccExtendRight, ccExtendUp, ccDelWord, ccDelLine, ccCut,
                           ccPaste, ccEnd, ccWordRight, ccUndo, ccRedo};
  TEditorModel A, B;
  MemClipboard clip;
  A.Clipboard = B.Clipboard = &clip;
  A.SetUndoBufferSize(65000);
  B.AttachTo(&A);
  A.SetWrapColumn(10);
  A.SetWordWrap(r() % 2);
  for (int i = 0; i < 800; ++i) {
    TEditorModel& X = r() % 2 ? A : B;
    X.ProcessCommand(cmds[r() % (sizeof cmds / sizeof cmds[0])], "xy -"[r() % 4]);
    for (TEditorModel* M : {&A, &B}) {
      ASSERT_GE(M->CaretPara(), 1);
      ASSERT_LE(M->CaretPara(), M->GetParaCount());
      int32_t l1, c1, l2, c2;
      M->GetSelection(l1, c1, l2, c2);
      ASSERT_TRUE(l1 < l2 || (l1 == l2 && c1 <= c2));
      ASSERT_LE(l2, M->GetLineCount());
    }
    ASSERT_EQ(Content(A), Content(B));
  }
  EXPECT_GT(A.GetParaCount(), 3);
  while (A.GetCanUndo()) A.ProcessCommand(ccUndo, 0);
  EXPECT_EQ(Content(B), "");
}

// Edits that must not lose text: typing over a selection in overwrite mode, a cut whose
// copy failed, and an error in the middle of a grouped edit.
TEST_F(Editor, EditsThatFailOrReplaceLoseNoText) {
  E.SetText("abcdef");
  E.ProcessCommand(ccIns, 0);  // overwrite
  E.SetSelection(1, 2, 1, 4, true);
  Type(E, "X");
  EXPECT_EQ(Content(E), "aXdef");  // the selection is replaced, nothing more
  E.ProcessCommand(ccUndo, 0);
  EXPECT_EQ(Content(E), "abcdef");
  E.ProcessCommand(ccIns, 0);

  struct FailingClipboard : MemClipboard {
    bool SetText(const std::string&) override { return false; }
  } failing;
  uint16_t last = 0;
  E.OnError = [&](uint16_t& Code) { last = Code; };
  E.Clipboard = &failing;
  E.SetSelection(1, 2, 1, 4, true);
  E.ProcessCommand(ccCut, 0);
  EXPECT_EQ(last, kEdErrNoMemory);
  EXPECT_EQ(Content(E), "abcdef");  // neither on the clipboard nor gone
  E.Clipboard = nullptr;
  E.ProcessCommand(ccCut, 0);
  EXPECT_EQ(Content(E), "abcdef");
  E.Clipboard = &Clip;

  // A refused join raises inside each grouped edit; later edits stay their own steps.
  E.OnError = nullptr;
  auto failInGroup = [&](auto Edit) {
    E.SetText("abcdef\r\nghijkl");
    E.SetParaLengthLimit(8);
    E.SetSelection(1, 5, 2, 2, true);  // "abcd" + "hijkl" is longer than 8
    EXPECT_THROW(Edit(), EEditorError);
    E.SetParaLengthLimit(32767);
    EXPECT_EQ(Content(E), "abcdef|ghijkl");
    E.SetCaretPosition(1, 1);
    Type(E, "X");
    E.ProcessCommand(ccEnd, 0);
    E.ProcessCommand(ccNewLine, 0);
    E.ProcessCommand(ccUndo, 0);
    return Content(E);
  };
  EXPECT_EQ(failInGroup([&] { Type(E, "Z"); }), "Xabcdef|ghijkl");
  EXPECT_EQ(failInGroup([&] { E.InsertString("Z"); }), "Xabcdef|ghijkl");
  EXPECT_EQ(failInGroup([&] { E.ProcessCommand(ccNewLine, 0); }), "Xabcdef|ghijkl");
  EXPECT_EQ(failInGroup([&] { E.ProcessCommand(ccDelWord, 0); }), "Xabcdef|ghijkl");
  EXPECT_EQ(failInGroup([&] { E.ProcessCommand(ccTab, 0); }), "Xabcdef|ghijkl");
}

// A window as far as its repaints carry it: each line shows the selection as it stood
// when the line was last invalidated.  After any command every line must show the
// selection as it is, whatever moved it: keys with and without Shift, pages, words, the
// mouse, edits and undo.
struct SelectionScreen : TEditorModel {
  using Span = std::pair<int32_t, int32_t>;
  std::map<int32_t, Span> shown;
  std::set<int32_t> dirty;
  bool all = true;
  void InvalidateLines(int32_t From, int32_t To) override {
    for (int32_t l = std::max(1, From); l <= std::min(To, GetLineCount() + 1); ++l) dirty.insert(l);
  }
  void InvalidateAll() override { all = true; }
  Span Truth(int32_t Line) {
    int32_t sl, sc, el, ec;
    if (!GetSelection(sl, sc, el, ec) || Line < sl || Line > el) return {0, 0};
    return {Line == sl ? sc : 1, Line == el ? ec : INT_MAX};
  }
  void Paint() {
    for (int32_t l = 1; l <= GetLineCount() + 1; ++l)
      if (all || dirty.count(l)) shown[l] = Truth(l);
    all = false;
    dirty.clear();
  }
  // The first line that shows a stale selection, 0 when none does.
  int32_t StaleLine() {
    for (int32_t l = 1; l <= GetLineCount(); ++l)
      if (shown[l] != Truth(l)) return l;
    return 0;
  }
};

TEST(EditorRepaint, EverySelectionChangeRepaintsItsLines) {
  SelectionScreen M;
  M.SetMetrics(8, 16, 15, 5, 15 + 5 + 8 * 40, 16 * 6);  // 40 columns, 6 rows
  std::string t;
  for (int i = 1; i <= 30; ++i)
    t += "word" + std::to_string(i) + " and\tmore " + std::string(i % 7, 'x') + "\r\n";
  M.SetText(t.c_str());
  M.Paint();
  // The user's own steps first: a line selected with Shift+End; a mouse selection
  // collapsed by End; then Shift+Home.
  M.SetCaretPosition(3, 1);
  M.Paint();
  M.ProcessCommand(ccExtendEnd, 0);
  M.Paint();
  EXPECT_EQ(M.StaleLine(), 0) << "Shift+End";
  M.SetSelection(5, 2, 7, 3, true);
  M.Paint();
  M.ProcessCommand(ccEnd, 0);
  M.Paint();
  EXPECT_EQ(M.StaleLine(), 0) << "End after a mouse selection";
  M.ProcessCommand(ccExtendHome, 0);
  M.Paint();
  EXPECT_EQ(M.StaleLine(), 0) << "Shift+Home";

  static const uint16_t kMoves[] = {
      ccExtendLeft,   ccExtendRight, ccExtendUp,    ccExtendDown,   ccExtendHome,   ccExtendEnd,
      ccExtendPgUp,   ccExtendPgDn,  ccExtWordLeft, ccExtWordRight, ccExtTopOfPage, ccExtBotOfPage,
      ccExtFirstPage, ccExtLastPage, ccLeft,        ccRight,        ccUp,           ccDown,
      ccHome,         ccEnd,         ccWordLeft,    ccWordRight,    ccPrevPage,     ccNextPage,
      ccTopOfPage,    ccBotOfPage,   ccFirstPage,   ccLastPage,     ccScrollUp,     ccScrollDown};
  std::mt19937 r(7);
  for (int step = 0; step < 3000; ++step) {
    uint16_t cmd = kMoves[r() % std::size(kMoves)];
    int what = static_cast<int>(r() % 40);
    std::string did = std::to_string(cmd);
    if (what == 0) {
      M.SetSelection(static_cast<int32_t>(r() % 31) + 1, static_cast<int32_t>(r() % 12) + 1,
                     static_cast<int32_t>(r() % 31) + 1, static_cast<int32_t>(r() % 12) + 1,
                     r() % 2);
      did = "a mouse selection";
    } else if (what == 1) {
      M.ProcessCommand(kCmdChar, 'q');
      did = "typing";
    } else if (what == 2) {
      M.ProcessCommand(ccUndo, 0);
      did = "undo";
    } else {
      M.ProcessCommand(cmd, 0);
    }
    M.Paint();
    ASSERT_EQ(M.StaleLine(), 0) << "step " << step << ": " << did;
  }
}

// Deleting a comment character repaints everything below, as typing one does.
TEST(EditorRepaint, DeletingACommentCharacterRepaintsTheWindow) {
  struct Counting : TEditorModel {
    int All = 0;
    void InvalidateAll() override { ++All; }
  } M;
  M.SetText("a/b*c");
  M.SetCaretPosition(1, 1);
  int before = M.All;
  M.ProcessCommand(ccDel, 0);
  EXPECT_EQ(M.All, before);
  M.ProcessCommand(ccDel, 0);  // the "/"
  EXPECT_EQ(M.All, before + 1);
  M.ProcessCommand(ccDel, 0);
  M.ProcessCommand(ccDel, 0);  // the "*"
  EXPECT_EQ(M.All, before + 2);
}

}  // namespace
}  // namespace tess
