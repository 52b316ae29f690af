// The syntax-colouring editor under Wine: its rows painted into a 32-bit memory bitmap
// and probed cell by cell (the ink and the background of each character cell), the
// events of the row loop and the caret report, the cached comment state against a fresh
// scan after random edits, and the form stream.
#include "components/synedit/synedit.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/core/sysutils.h"
#include "framework/win/dc_guards.h"
#include "platform/win32.h"
#include "tests/corpus.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

// Distinct pure colours, so antialiased edges never pass for another colour's ink.
constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kMagenta = 0xFF00FF,
                 kCyan = 0xFFFF00, kOrange = 0x0080FF, kPurple = 0x800080, kWhite = 0xFFFFFF,
                 kDark = 0x404040, kSelBack = 0x808080;

// The client area painted through WM_PRINTCLIENT into a top-down 32-bit DIB.
class Shot {
 public:
  Shot(HWND Wnd, int W, int H, COLORREF Prefill = 0x123456) : w_(W), h_(H) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    TMemoryDC mem;
    {
      TSelectedObject sel(mem.Handle(), bmp);
      HDC dc = static_cast<HDC>(mem.Handle());
      HBRUSH b = CreateSolidBrush(Prefill);
      RECT all{0, 0, W, H};
      FillRect(dc, &all, b);
      DeleteObject(b);
      SendMessageA(Wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      GdiFlush();
      const auto* p = static_cast<const uint32_t*>(bits);
      px_.assign(p, p + static_cast<size_t>(W) * H);
    }
    DeleteObject(bmp);
  }
  // As a TColor (0x00BBGGRR).
  TColor At(int X, int Y) const {
    uint32_t v = px_[static_cast<size_t>(Y) * w_ + X];
    return static_cast<TColor>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
  }
  std::map<TColor, int> Count(int X0, int Y0, int X1, int Y1) const {
    std::map<TColor, int> m;
    for (int y = std::max(0, Y0); y < std::min(Y1, h_); ++y)
      for (int x = std::max(0, X0); x < std::min(X1, w_); ++x) ++m[At(x, y)];
    return m;
  }

 private:
  int w_, h_;
  std::vector<uint32_t> px_;
};

class SynEditTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    new TOvcController(form);
    ed = new TySynEdit(form);
    ed->SetParent(form);
    ed->SetBounds(0, 0, 420, 200);
    TStringList sym, sql, plsql;
    sym.SetText("(\r\n)\r\n;\r\n=\r\nXYZ\r\n*\r\n/");
    sql.SetText("SELECT\r\nFROM\r\nWHERE\r\nXYZ");
    plsql.SetText("BEGIN\r\nEND\r\nLOOP");
    ed->SetKeywordLists(&sym, &sql, &plsql);
    ed->SetColor(kWhite);
    ed->SetNormalTextColor(kDark);
    ed->SetSQLTextColor(kBlue);
    ed->SetPLSQLTextColor(kMagenta);
    ed->SetStringTextColor(kOrange);
    ed->SetCommentTextColor(kGreen);
    ed->SetSymbolTextColor(kRed);
    ed->SetSelectedTextColor(kCyan);
    ed->SetSelectedTextBackColor(kSelBack);
    ed->SetUseSyntaxHighlighting(true);
    ShowForm();
    ed->SetFocus();
    Pump();
  }
  HWND Wnd() { return static_cast<HWND>(ed->Handle()); }
  TEditorModel& M() { return ed->Model(); }
  Shot Paint() {
    TRect c = ed->ClientRect();
    return Shot(Wnd(), c.Width(), c.Height());
  }
  // The cell of screen row Row (0-based) and visible column Col (0-based).
  std::map<TColor, int> Cell(const Shot& S, int Row, int Col) {
    const int x = ed->LeftMargin() + Col * ed->CharWidth(), y = Row * ed->RowHeight();
    return S.Count(x, y, x + ed->CharWidth(), y + ed->RowHeight());
  }
  // The cell's background (its commonest colour) and whether Ink occurs in it.
  TColor Back(const Shot& S, int Row, int Col) {
    auto m = Cell(S, Row, Col);
    TColor best = 0;
    int n = -1;
    for (auto [c, k] : m)
      if (k > n) best = c, n = k;
    return best;
  }
  bool HasInk(const Shot& S, int Row, int Col, TColor Ink) {
    auto m = Cell(S, Row, Col);
    return m.count(Ink) > 0;
  }
  TySynEdit* ed = nullptr;
};

TEST_F(SynEditTest, EachTokenKindTakesItsColour) {
  M().SetText("foo SELECT begin xyz ( 'a' -- c\r\n/* x */ W");
  Shot s = Paint();
  struct Probe {
    int row, col;
    TColor ink;
  } probes[] = {
      {0, 0, kDark},      // foo: no keyword
      {0, 4, kBlue},      // SELECT
      {0, 11, kMagenta},  // begin, in lower case
      {0, 17, kRed},      // xyz: in the symbol and the SQL list, the symbol list wins
      {0, 21, kRed},      // "(" alone is a symbol
      {0, 24, kOrange},   // 'a'
      {0, 28, kGreen},    // -- c
      {1, 3, kGreen},     // /* x */
      {1, 8, kDark},      // W
  };
  for (const Probe& p : probes) {
    EXPECT_TRUE(HasInk(s, p.row, p.col, p.ink)) << p.row << ":" << p.col;
    EXPECT_EQ(Back(s, p.row, p.col), kWhite) << p.row << ":" << p.col;
  }
  // The row right of the text and the left margin are background.
  EXPECT_EQ(Cell(s, 1, 30).size(), 1u);
  EXPECT_EQ(s.At(2, ed->RowHeight() / 2), kWhite);
}

TEST_F(SynEditTest, SelectionSplitsATokenIntoThreeRuns) {
  M().SetText("SELECT 'abc'");
  M().SetSelection(1, 3, 1, 10, true);  // "LECT 'ab"
  Shot s = Paint();
  for (int col : {0, 1}) {
    EXPECT_TRUE(HasInk(s, 0, col, kBlue)) << col;
    EXPECT_EQ(Back(s, 0, col), kWhite) << col;
  }
  for (int col : {2, 5, 8}) {
    EXPECT_TRUE(HasInk(s, 0, col, kCyan)) << col;
    EXPECT_EQ(Back(s, 0, col), kSelBack) << col;
  }
  EXPECT_EQ(Back(s, 0, 6), kSelBack);  // the blank between, selected
  for (int col : {9, 10}) {
    EXPECT_TRUE(HasInk(s, 0, col, kOrange)) << col;
    EXPECT_EQ(Back(s, 0, col), kWhite) << col;
  }
  // Without the focus (HideSelection) the selection is not shown, and losing the focus
  // asks for the repaint that hides it.
  ed->Update();
  SetFocus(nullptr);
  EXPECT_TRUE(ed->FullRepaintPending());
  Pump();
  Shot u = Paint();
  EXPECT_TRUE(HasInk(u, 0, 3, kBlue));
  EXPECT_EQ(Back(u, 0, 3), kWhite);
}

TEST_F(SynEditTest, CommentStartedInTheHiddenPartColoursTheVisiblePart) {
  // Line 1 opens a comment at its start and never closes it; line 2 closes it.
  std::string line = "/*" + std::string(60, 'a') + " SELECT";
  M().SetText((line + "\r\nb */ SELECT " + std::string(40, 'b') + " SELECT\r\nSELECT").c_str());
  M().Scroll(30, 0);
  ASSERT_EQ(M().LeftColumn(), 30);
  Shot s = Paint();
  EXPECT_TRUE(HasInk(s, 0, 0, kGreen));
  EXPECT_TRUE(HasInk(s, 0, 33, kGreen));  // SELECT at column 64, inside the comment
  EXPECT_FALSE(HasInk(s, 0, 33, kBlue));
  // Line 2's "*/" lies left of the view: scanned, not drawn; what follows is code.
  EXPECT_TRUE(HasInk(s, 1, 23, kBlue));  // the second SELECT at column 54
  EXPECT_FALSE(HasInk(s, 1, 23, kGreen));
  EXPECT_EQ(Cell(s, 2, 0).size(), 1u);  // line 3 is shorter than the scroll
  M().Scroll(-30, 0);
  Shot t = Paint();
  EXPECT_TRUE(HasInk(t, 1, 0, kGreen));
  EXPECT_TRUE(HasInk(t, 1, 5, kBlue));
  EXPECT_TRUE(HasInk(t, 2, 0, kBlue));
}

TEST_F(SynEditTest, FirstPaintedRowInsideACommentOpenedAbove) {
  std::string text = "SELECT /* open\r\n";
  for (int i = 0; i < 30; ++i) text += "WWW\r\n";
  text += "end */ SELECT\r\n";
  M().SetText(text.c_str());
  M().SetTopLine(10);
  ASSERT_EQ(M().GetTopLine(), 10);
  Shot s = Paint();
  EXPECT_TRUE(HasInk(s, 0, 0, kGreen));
  EXPECT_TRUE(ed->IsLineInBlockComment(10));
  ed->SetScanForComments(false);
  Shot t = Paint();
  EXPECT_TRUE(HasInk(t, 0, 0, kDark));
  EXPECT_FALSE(HasInk(t, 0, 0, kGreen));
  // Highlighting off: every token in the font's colour.
  ed->SetUseSyntaxHighlighting(false);
  M().SetTopLine(1);
  Shot u = Paint();
  EXPECT_FALSE(HasInk(u, 0, 0, kBlue));
  EXPECT_TRUE(HasInk(u, 0, 0, ColorToRGB(ed->FixedFont()->Color())));
}

TEST_F(SynEditTest, MarkedParagraphsAndDisabledText) {
  M().SetText("SELECT\r\nSELECT x\r\nSELECT\r\nSELECT");
  M().MarkedParas() = {2, 3};
  M().MarkedValues() = {1, 7};
  Shot off = Paint();
  EXPECT_EQ(Back(off, 1, 0), kWhite);  // the switch is off
  ed->SetMarkParagraphs(true);
  M().SetSelection(2, 3, 2, 5, true);
  Shot s = Paint();
  EXPECT_EQ(Back(s, 1, 0), ed->MarkColor1());
  EXPECT_TRUE(HasInk(s, 1, 0, kBlue));
  EXPECT_EQ(Back(s, 1, 3), kSelBack);
  EXPECT_EQ(Back(s, 1, 5), ed->MarkColor1());
  EXPECT_EQ(Back(s, 1, 20), ed->MarkColor1());  // the rest of the row
  EXPECT_EQ(Back(s, 2, 20), ed->MarkColor2());
  EXPECT_EQ(Back(s, 3, 0), kWhite);
  // Marks follow the edits: a line inserted above moves them down.
  M().SetCaretPosition(1, 1);
  M().InsertString("\r\n");
  EXPECT_EQ(M().MarkedParas(), (std::vector<int32_t>{3, 4}));
  EXPECT_EQ(M().MarkedValues(), (std::vector<int32_t>{1, 7}));
  // A disabled editor keeps the token colours with highlighting on, and shows grey text
  // without it.
  ed->SetEnabled(false);
  Shot d = Paint();
  EXPECT_TRUE(HasInk(d, 1, 0, kBlue));
  ed->SetUseSyntaxHighlighting(false);
  Shot g = Paint();
  EXPECT_TRUE(HasInk(g, 1, 0, ColorToRGB(clGrayText)));
}

TEST_F(SynEditTest, DrawLineEventGetsTheRowsArguments) {
  struct Call {
    std::string s;
    int32_t len, line, pos, count, hbl, hbc, hel, hec;
  };
  std::vector<Call> calls;
  bool draw = false;
  ed->OnDrawLine = [&](TObject* Sender, TCanvas* Canvas, const TRect& R, const char* S,
                       int32_t Len, int32_t Line, int32_t Pos, int32_t Count, int32_t HBLine,
                       int32_t HBCol, int32_t HELine, int32_t HECol, bool& WasDrawn) {
    EXPECT_EQ(Sender, ed);
    EXPECT_NE(Canvas, nullptr);
    EXPECT_EQ(R.Left, ed->LeftMargin());
    EXPECT_EQ(R.Width(), Count * ed->CharWidth());
    calls.push_back({std::string(S, static_cast<size_t>(Len)), Len, Line, Pos, Count, HBLine,
                     HBCol, HELine, HECol});
    WasDrawn = draw;
  };
  M().SetText("\tab\r\nxy");
  M().SetSelection(1, 2, 2, 2, true);
  Paint();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0].s, std::string(8, ' ') + "ab");  // the tab expanded
  EXPECT_EQ(calls[0].line, 1);
  EXPECT_EQ(calls[0].count, M().GetVisibleColumns());
  // The selection's ends in expanded columns: after the tab is column 9.
  EXPECT_EQ(calls[0].hbl, 1);
  EXPECT_EQ(calls[0].hbc, 9);
  EXPECT_EQ(calls[0].hel, 2);
  EXPECT_EQ(calls[0].hec, 2);
  // A row past the end of the text: empty, with its line number.
  EXPECT_EQ(calls[2].s, "");
  EXPECT_EQ(calls[2].len, 0);
  EXPECT_EQ(calls[2].line, 3);
  // Without the focus, HideSelection hands zeros.
  SetFocus(nullptr);
  Pump();
  calls.clear();
  M().Scroll(1, 0);
  Paint();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].pos, 1);
  EXPECT_EQ(calls[0].hbl + calls[0].hbc + calls[0].hel + calls[0].hec, 0);
  // A row the handler drew is left to it.
  draw = true;
  Shot s = Paint();
  EXPECT_EQ(Back(s, 0, 0), 0x123456);  // the prefill
}

TEST_F(SynEditTest, BookmarkGlyphInTheMargin) {
  M().SetText("a\r\nb\r\nc");
  M().SetMarkerAt(3, 2, 1);
  Shot s = Paint();
  const int rh = ed->RowHeight(), lm = ed->LeftMargin();
  auto row1 = s.Count(0, 0, lm, rh), row2 = s.Count(0, rh, lm, 2 * rh);
  EXPECT_EQ(row1.size(), 1u);
  EXPECT_GT(row2.size(), 1u) << "the glyph of marker 3";
  ed->SetShowBookmarks(false);
  Shot t = Paint();
  EXPECT_EQ(t.Count(0, rh, lm, 2 * rh).size(), 1u);
}

TEST_F(SynEditTest, CaretReportArrivesAfterTheMessage) {
  M().SetText("one\r\ntwo\r\nthree");
  Pump();
  std::vector<std::pair<int32_t, int32_t>> got;
  ed->OnShowStatus = [&](TObject* Sender, int32_t Line, int32_t Col) {
    EXPECT_EQ(Sender, ed);
    got.push_back({Line, Col});
  };
  SendMessageA(Wnd(), WM_KEYDOWN, VK_DOWN, 1);
  SendMessageA(Wnd(), WM_KEYDOWN, VK_END, 1);
  EXPECT_TRUE(got.empty()) << "reported while the key was handled";
  MSG m;
  EXPECT_TRUE(PeekMessageA(&m, Wnd(), TOvcEditBase::kMsgShowStatus,
                           TOvcEditBase::kMsgShowStatus, PM_NOREMOVE));
  Pump();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back(), (std::pair<int32_t, int32_t>{2, 4}));
  // The caret off the window stands at 32767 on both axes.
  std::string many;
  for (int i = 0; i < 40; ++i) many += "x\r\n";
  M().SetText(many.c_str());
  M().SetTopLine(20);
  EXPECT_EQ(ed->Caret().Position().X, TOvcEditBase::kCaretOffWindow);
  EXPECT_EQ(ed->Caret().Position().Y, TOvcEditBase::kCaretOffWindow);
  std::vector<int32_t> tops;
  ed->OnTopLineChanged = [&](TObject*, int32_t Line) { tops.push_back(Line); };
  SendMessageA(Wnd(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(tops, (std::vector<int32_t>{21}));
}

TEST_F(SynEditTest, RowInvalidationFollowsThePendingFlagAndTheBottomRule) {
  std::string many;
  for (int i = 0; i < 40; ++i) many += "x\r\n";
  M().SetText(many.c_str());
  ed->Update();
  ASSERT_FALSE(ed->FullRepaintPending());
  const int rh = ed->RowHeight();
  const int rows = M().GetVisibleRows();
  RECT r{};
  // Lines 3 and 2, in either order: rows 2..3 only.
  ed->InvalidateLines(3, 2);
  ASSERT_TRUE(GetUpdateRect(Wnd(), &r, FALSE));
  EXPECT_EQ(r.top, rh);
  EXPECT_EQ(r.bottom, 3 * rh);
  ed->Update();
  // Wholly below the window: nothing.
  ed->InvalidateLines(rows + 5, rows + 9);
  EXPECT_FALSE(GetUpdateRect(Wnd(), &r, FALSE));
  // Reaching the last visible row: down to the client's bottom.
  ed->InvalidateLines(rows, rows + 9);
  ASSERT_TRUE(GetUpdateRect(Wnd(), &r, FALSE));
  EXPECT_EQ(r.bottom, ed->ClientRect().Bottom);
  ed->Update();
  // While a full repaint is pending the rows are not asked for again.
  ed->InvalidateAllRows();
  EXPECT_TRUE(ed->FullRepaintPending());
  ed->Update();
  EXPECT_FALSE(ed->FullRepaintPending());
}

TEST_F(SynEditTest, SmallScrollsShiftPixelsAndRepaintTheUncoveredStrip) {
  ed->SetBorderStyle(TBorderStyle::bsNone);
  std::string many;
  for (int i = 0; i < 60; ++i) many += "SELECT x FROM dual WHERE 1 = 1 AND 2 = 2 AND 3 = 3 AND 4 = 4 AND 5 = 5\r\n";
  M().SetText(many.c_str());
  ed->Update();
  const TRect c = ed->ClientRect();
  const int rh = ed->RowHeight(), cw = ed->CharWidth(), lm = ed->LeftMargin();
  const int cols = M().GetVisibleColumns();
  RECT r{};
  SendMessageA(Wnd(), WM_VSCROLL, SB_LINEDOWN, 0);
  ASSERT_TRUE(GetUpdateRect(Wnd(), &r, FALSE));
  EXPECT_EQ(r.top, c.Bottom - rh);
  EXPECT_EQ(r.bottom, c.Bottom);
  EXPECT_EQ(r.left, 0) << "the margin moves with its rows";
  ed->Update();
  SendMessageA(Wnd(), WM_HSCROLL, SB_LINERIGHT, 0);
  ASSERT_TRUE(GetUpdateRect(Wnd(), &r, FALSE));
  EXPECT_EQ(r.left, lm + (cols - 1) * cw);
  EXPECT_EQ(r.right, lm + cols * cw);
  ed->Update();
  // A window or more repaints everything.
  SendMessageA(Wnd(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_TRUE(ed->FullRepaintPending());
  ed->Update();
}

TEST_F(SynEditTest, SharedTextDefersTheOtherEditorsScrollBarsToItsPaint) {
  auto* other = new TySynEdit(form);
  other->SetParent(form);
  other->SetBounds(0, 210, 420, 100);
  other->Model().AttachTo(&M());
  Pump();
  auto range = [](TySynEdit* E) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    GetScrollInfo(static_cast<HWND>(E->Handle()), SB_VERT, &si);
    return si.nMax;
  };
  const int before = range(other);
  std::string many;
  for (int i = 0; i < 80; ++i) many += "x\r\n";
  M().InsertString(many);
  EXPECT_GT(range(ed), before);
  EXPECT_EQ(range(other), before) << "waits for the other editor's paint";
  EXPECT_TRUE(other->FullRepaintPending());
  other->Update();
  EXPECT_EQ(range(other), range(ed) + (M().GetVisibleRows() - other->Model().GetVisibleRows()) /
                                          other->Model().VertScale());
}

// The cache of comment states, kept through every kind of edit, against a fresh cache.
TEST_F(SynEditTest, CachedCommentStateEqualsAFreshScanAfterRandomEdits) {
  std::mt19937 rng(7);
  const char* pieces[] = {"/*", "*/", "--", "'", "x", " ", "\r\n", "/", "*", "-", "ab\r\ncd"};
  std::string text;
  for (int i = 0; i < 200; ++i) text += pieces[rng() % 11];
  M().SetText(text.c_str());
  TSynModelLines lines(M());
  for (int round = 0; round < 300; ++round) {
    const int32_t n = M().GetLineCount();
    // Ask some answers first, so edits have something to forget.
    for (int k = 0; k < 3; ++k) ed->IsLineInBlockComment(1 + static_cast<int32_t>(rng() % n));
    const int32_t line = 1 + static_cast<int32_t>(rng() % n);
    const int32_t col = 1 + static_cast<int32_t>(rng() % (M().GetLineLength(line) + 1));
    switch (rng() % 5) {
      case 0:
      case 1:
        M().SetCaretPosition(line, col);
        M().InsertString(pieces[rng() % 11]);
        break;
      case 2: {
        const int32_t l2 = std::min(n, line + static_cast<int32_t>(rng() % 3));
        M().SetSelection(line, col, l2, 1 + static_cast<int32_t>(rng() % 4), true);
        M().ClearSelection();
        break;
      }
      case 3:
        M().Undo();
        break;
      default:
        M().Redo();
        break;
    }
    TSynCommentCache fresh(lines);
    for (int32_t l = 1; l <= M().GetLineCount(); ++l)
      ASSERT_EQ(ed->IsLineInBlockComment(l), fresh.IsLineInBlockComment(l))
          << "round " << round << " line " << l;
  }
  // A new text replaces every answer.
  M().SetText("/*\r\na\r\nb");
  EXPECT_TRUE(ed->IsLineInBlockComment(3));
  M().SetText("a\r\nb\r\nc");
  EXPECT_FALSE(ed->IsLineInBlockComment(3));
}

// What colour a character should take, re-read in the plainest way: a state machine per
// character and keyword sets, with no token boundaries shared with the scanner.
std::vector<TColor> ExpectedInks(const std::vector<std::string>& Lines, const std::set<std::string>& Sym,
                                 const std::set<std::string>& Sql, const std::set<std::string>& Pl,
                                 size_t Rows, TColor Normal, TColor Str, TColor SqlC, TColor PlC,
                                 TColor Com, TColor SymC, std::vector<size_t>& RowStart) {
  std::vector<TColor> out;
  bool block = false;
  auto isWord = [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '#' || c == '$'; };
  for (size_t r = 0; r < Rows && r < Lines.size(); ++r) {
    RowStart.push_back(out.size());
    const std::string& s = Lines[r];
    size_t i = 0;
    while (i < s.size()) {
      unsigned char c = static_cast<unsigned char>(s[i]);
      if (block) {
        size_t e = s.find("*/", i);
        size_t stop = e == std::string::npos ? s.size() : e + 2;
        for (; i < stop; ++i) out.push_back(Com);
        if (e != std::string::npos) block = false;
      } else if (c <= 32) {
        out.push_back(0);  // blank: no ink
        ++i;
      } else if (s.compare(i, 2, "/*") == 0) {
        block = true;
        out.push_back(Com), out.push_back(Com);
        i += 2;
      } else if (s.compare(i, 2, "--") == 0) {
        for (; i < s.size(); ++i) out.push_back(Com);
      } else if (c == '\'') {
        size_t e = s.find('\'', i + 1);
        size_t stop = e == std::string::npos ? s.size() : e + 1;
        for (; i < stop; ++i) out.push_back(Str);
      } else if (isWord(c)) {
        size_t j = i;
        while (j < s.size() && isWord(static_cast<unsigned char>(s[j]))) ++j;
        std::string w = UpperCase(s.substr(i, j - i));
        TColor k = Sym.count(w) ? SymC : Sql.count(w) ? SqlC : Pl.count(w) ? PlC : Normal;
        for (; i < j; ++i) out.push_back(k);
      } else {
        out.push_back(Sym.count(std::string(1, static_cast<char>(c))) ? SymC : Normal);
        ++i;
      }
    }
  }
  return out;
}

TEST_F(SynEditTest, FirstScreenOfCorpusFilesMatchesAPlainReReading) {
  std::set<std::string> sym{"(", ")", ";", "=", "XYZ", "*", "/"}, sql{"SELECT", "FROM", "WHERE", "XYZ"},
      pl{"BEGIN", "END", "LOOP"};
  ed->SetBounds(0, 0, 900, 400);
  Pump();
  const int rows = M().GetVisibleRows(), cols = M().GetVisibleColumns();
  int files = 0, checked = 0;
  for (const auto& f : corpus::ReadAllSources()) {
    if (files++ % 8 != 0) continue;  // a spread of the corpus keeps the run short
    M().SetText(f.text.c_str());
    std::vector<std::string> lines;
    for (int32_t l = 1; l <= std::min<int32_t>(rows, M().GetLineCount()); ++l) {
      std::string s;
      M().GetStringLine(l, s);
      lines.push_back(s);
    }
    std::vector<size_t> start;
    auto inks = ExpectedInks(lines, sym, sql, pl, static_cast<size_t>(rows), kDark, kOrange, kBlue,
                             kMagenta, kGreen, kRed, start);
    Shot s = Paint();
    for (size_t r = 0; r < lines.size(); ++r) {
      for (int c = 0; c < cols && c < static_cast<int>(lines[r].size()); ++c) {
        TColor want = inks[start[r] + static_cast<size_t>(c)];
        if (want == 0) continue;
        // Some glyphs (".", ",") may leave no pixel of pure ink; then no other ink either.
        auto cell = Cell(s, static_cast<int>(r), c);
        for (TColor other : {kDark, kOrange, kBlue, kMagenta, kGreen, kRed}) {
          if (other != want) {
            ASSERT_EQ(cell.count(other), 0u) << f.path << " line " << r + 1 << " col " << c + 1;
          }
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 10000);
}

TEST_F(SynEditTest, StreamKeepsColoursAndHighlighting) {
  RegisterSynEditClasses();
  ed->SetName("edSql");
  ed->SetUseSyntaxHighlighting(false);
  TMemoryStream stream;
  WriteComponent(&stream, form);
  stream.SetPosition(0);
  const std::string dump = ObjectBinaryToText(&stream);
  EXPECT_EQ(dump.find("ScanForComments"), std::string::npos);
  for (const char* name : {"NormalTextColor", "SelectedTextColor", "SelectedTextBackColor",
                           "StringTextColor", "SQLTextColor", "PLSQLTextColor",
                           "CommentTextColor", "SymbolTextColor"})
    EXPECT_NE(dump.find(name), std::string::npos) << name;

  // Off is a new editor's state, so only on is stored, and it comes back on.
  EXPECT_EQ(dump.find("UseSyntaxHighlighting"), std::string::npos);
  ed->SetUseSyntaxHighlighting(true);
  TMemoryStream on;
  WriteComponent(&on, form);
  on.SetPosition(0);
  EXPECT_NE(ObjectBinaryToText(&on).find("UseSyntaxHighlighting = True"), std::string::npos);
  on.SetPosition(0);
  TForm copy(nullptr);
  ReadComponent(&on, &copy);
  auto* back = dynamic_cast<TySynEdit*>(copy.FindComponent("edSql"));
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->UseSyntaxHighlighting());
  EXPECT_TRUE(back->ScanForComments());
  EXPECT_EQ(back->CommentTextColor(), kGreen);
  EXPECT_EQ(back->SelectedTextBackColor(), kSelBack);
  EXPECT_EQ(back->SymbolTextColor(), kRed);
}

TEST(SynEditDefaults, NewEditorStartsPlainWithTheDefaultColours) {
  TySynEdit e(nullptr);
  EXPECT_FALSE(e.UseSyntaxHighlighting());
  EXPECT_TRUE(e.ScanForComments());
  EXPECT_EQ(e.NormalTextColor(), clBlack);
  EXPECT_EQ(e.SelectedTextColor(), clAqua);
  EXPECT_EQ(e.SelectedTextBackColor(), clGray);
  EXPECT_EQ(e.StringTextColor(), clTeal);
  EXPECT_EQ(e.SQLTextColor(), clNavy);
  EXPECT_EQ(e.PLSQLTextColor(), clBlue);
  EXPECT_EQ(e.CommentTextColor(), clGreen);
  EXPECT_EQ(e.SymbolTextColor(), clMaroon);
  // The keyword lists are copies, sorted with the locale's comparison, duplicates dropped.
  TStringList words;
  words.Add("loop");
  words.Add("BEGIN");
  words.Add("begin");
  e.SetKeywordLists(nullptr, nullptr, &words);
  words.Clear();
  ASSERT_EQ(e.PlsqlWords()->Count(), 2);
  EXPECT_EQ(e.Keywords().GetTokenColor(scWord, "  Loop"), tcPLSQL);
}

// Every line of the program's symbol file survives the locale's sorting and is found.
TEST(SynEditDefaults, LocaleSortedSymbolListKeepsEverySymbol) {
  TStringList sym;
  sym.LoadFromFile(TESS_KWD_DIR "/symbol.kwd");
  for (int i = 0; i < sym.Count(); ++i) sym.SetStrings(i, Trim(sym.Strings(i)));
  TySynEdit e(nullptr);
  e.SetKeywordLists(&sym, nullptr, nullptr);
  std::set<std::string> distinct;
  for (int i = 0; i < sym.Count(); ++i)
    if (!sym.Strings(i).empty()) distinct.insert(sym.Strings(i));
  EXPECT_EQ(e.SymbolWords()->Count(), static_cast<int>(distinct.size()));
  for (const std::string& s : distinct) {
    if (s.size() != 1) continue;
    EXPECT_EQ(e.Keywords().GetTokenColor(scNormal, s), tcSymbol) << s;
  }
}

}  // namespace
}  // namespace tess
