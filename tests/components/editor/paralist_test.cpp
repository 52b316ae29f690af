// The paragraph list against plain models: wrapping after random edits equals a full
// rewrap done by an independent reference, undo/redo round trips over random edits,
// the undo records' bytes, limits and markers.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "components/editor/paralist.h"
#include "components/editor/paratext.h"
#include "tests/components/editor/wrap_reference.h"

namespace tess {
namespace {

std::vector<std::string> Paras(TParaList& L) {
  std::vector<std::string> v;
  for (TParaNode* n = L.Head(); n; n = n->Next) v.emplace_back(n->GetText(), n->Length);
  return v;
}

std::string Join(const std::vector<std::string>& V) {
  std::string s;
  for (size_t i = 0; i < V.size(); ++i) {
    if (i) s += '|';
    s += V[i];
  }
  return s;
}

void CheckInvariants(TParaList& L) { ASSERT_EQ(WrapMismatch(L), ""); }

std::string RandomText(std::mt19937& R, int MaxLen) {
  static const char alphabet[] = "abcdefgh  --\txyz";
  std::string s(R() % (MaxLen + 1), ' ');
  for (char& c : s) c = alphabet[R() % (sizeof alphabet - 1)];
  return s;
}

// One random change through the list's public operations.
void RandomEdit(TParaList& L, std::mt19937& R) {
  int32_t p = 1 + static_cast<int32_t>(R() % L.ParaCount());
  int32_t len = L.GetParaLength(p);
  int32_t pos = 1 + static_cast<int32_t>(R() % (len + 3));
  std::string t = RandomText(R, 12);
  int32_t indent = static_cast<int32_t>(R() % 3);
  unsigned op = R() % 9;
  switch (op) {
    case 0: case 1: L.InsertText(nullptr, p, static_cast<int32_t>(t.size()), t.c_str(), pos); break;
    case 2: case 3: L.DeleteText(nullptr, p, static_cast<int32_t>(R() % 8), pos); break;
    case 4: L.ReplaceText(nullptr, p, static_cast<int32_t>(t.size()), t.c_str(), static_cast<int32_t>(R() % 4), pos); break;
    case 5: L.SplitPara(nullptr, p, R() % 2, indent, 4, pos); break;
    case 6: L.JoinPara(nullptr, p, pos); break;
    case 7: {
      std::string b = t + "\r\n" + RandomText(R, 6) + (R() % 2 ? "\n" : "");
      L.InsertTextBlock(nullptr, p, b.c_str(), pos);
      break;
    }
    case 8: {
      int32_t q = std::min(L.ParaCount(), p + static_cast<int32_t>(R() % 3));
      L.DeleteBlock(nullptr, p, std::min(pos, len + 1), q, 1 + static_cast<int32_t>(R() % (L.GetParaLength(q) + 1)));
      break;
    }
  }
}

TEST(ParaText, ColumnsBreaksAndBytes) {
  EXPECT_EQ(ColumnWidth("\tab", 3, 8), 10u);
  EXPECT_EQ(ScreenColumnOfPos("\tab", 3, 2, 8), 9);
  EXPECT_EQ(PosOfScreenColumn("\tab", 3, 9, 8), 2);
  EXPECT_EQ(PosOfScreenColumn("\tab", 3, 5, 8), 1);      // inside the tab
  EXPECT_EQ(ScreenColumnOfPos("\tab", 3, 6, 8), 13);     // past the end
  EXPECT_EQ(PosOfScreenColumn("\tab", 3, 13, 8), 6);
  EXPECT_EQ(LastBlankBefore("abc def", 5), 4u);
  EXPECT_EQ(LastBlankBefore("abcdefgh", 5), 5u);
  char buf[16] = "abcdef";
  EXPECT_STREQ(PadWith(buf, '.', 3), "abcdef");
  EXPECT_STREQ(PadBlanks(buf, 8), "abcdef  ");
  InsertBytes(buf, "XY", 8, 2, 2);
  EXPECT_STREQ(buf, "abXYcdef  ");
  DeleteBytes(buf, 10, 0, 3);
  EXPECT_STREQ(buf, "Ycdef  ");
  EXPECT_EQ(ExpandTabs("a\tb", 3, 4), "a   b");
  const uint16_t starts[] = {0, 10, 20};
  EXPECT_EQ(FindLineOfOffset(starts, 3, 10), 1);
  EXPECT_EQ(FindLineOfOffset(starts, 3, 11), 2);
  EXPECT_EQ(LengthToLF("ab\ncd", 5), 3u);
}

// Over-long lines become several paragraphs the same way on load, append and SetText:
// the pieces give back the line, none passes the limit, and each ends after the last
// blank within the limit (or at the limit when there is none).
TEST(ParaText, CutLineRules) {
  std::mt19937 r(7);
  for (int round = 0; round < 2000; ++round) {
    std::string line(r() % 40, 'x');
    for (char& c : line)
      if (r() % 4 == 0) c = r() % 2 ? ' ' : '\t';
    const auto limit = static_cast<int32_t>(1 + r() % 12);
    std::string joined;
    int32_t pieces = 0;
    CutLine(line.data(), static_cast<int32_t>(line.size()), limit,
            [&](const char* P, int32_t N, bool Continues) {
              EXPECT_EQ(Continues, pieces > 0);
              EXPECT_EQ(P, line.data() + joined.size());
              EXPECT_LE(N, limit);
              const std::string rest = line.substr(joined.size());
              if (static_cast<int32_t>(rest.size()) > limit) {
                const size_t blank = rest.substr(0, static_cast<size_t>(limit)).find_last_of(" \t");
                EXPECT_EQ(N, blank == std::string::npos ? limit : static_cast<int32_t>(blank) + 1);
              } else {
                EXPECT_EQ(N, static_cast<int32_t>(rest.size()));
              }
              joined.append(P, static_cast<size_t>(N));
              ++pieces;
              return true;
            });
    EXPECT_EQ(joined, line);
    EXPECT_GE(pieces, 1);  // an empty line is one empty paragraph
  }
  // A piece that fails stops the cutting.
  int32_t calls = 0;
  CutLine("aaaa bbbb cccc", 14, 5, [&](const char*, int32_t, bool) { return ++calls < 2; });
  EXPECT_EQ(calls, 2);
}

TEST(ParaList, WrapRules) {
  TParaList L(nullptr, true, 8192);
  L.SetWrapColumn(10);
  std::string word(25, 'w');  // cut at the wrap column
  L.InsertText(nullptr, 1, 25, word.c_str(), 1);
  EXPECT_EQ(L.LineCount(), 3);
  L.DeleteText(nullptr, 1, 25, 1);
  L.InsertText(nullptr, 1, 16, "abcdefgh    ijkl", 1);  // the blank run stays above
  const char* t;
  int32_t len;
  L.GetLineText(2, t, len);
  EXPECT_EQ(std::string(t, len), "ijkl");
  L.DeleteText(nullptr, 1, 16, 1);
  L.InsertText(nullptr, 1, 14, "abcdefghij-klm", 1);  // hyphen just past the column
  L.GetLineText(1, t, len);
  EXPECT_EQ(std::string(t, len), "abcdefghij-");
  CheckInvariants(L);
}

TEST(ParaList, RandomEditsKeepWrapAndCountsExact) {
  for (int wrap : {7, 12, 30}) {
    std::mt19937 r(static_cast<unsigned>(wrap));
    TParaList L(nullptr, true, 4096);
    L.SetWrapColumn(wrap);
    L.SetTabSize(4);
    for (int i = 0; i < 1500; ++i) {
      RandomEdit(L, r);
      if (i % 5 == 0) {
        ASSERT_NO_FATAL_FAILURE(CheckInvariants(L)) << "step " << i;
      }
      if (i == 700) L.SetWordWrap(false), CheckInvariants(L), L.SetWordWrap(true);
    }
    CheckInvariants(L);
  }
}

TEST(ParaList, UndoRedoRoundTripsOverRandomEdits) {
  for (uint16_t size : {8192, 512, 64}) {
    std::mt19937 r(size);
    TParaList L(nullptr, true, size);
    L.SetWrapColumn(9);
    // states[k] is the text before the k-th change
    std::vector<std::string> states;
    for (int round = 0; round < 40; ++round) {
      for (int i = 0; i < 25; ++i) {
        std::string before = Join(Paras(L));
        RandomEdit(L, r);
        if (Join(Paras(L)) != before) states.push_back(before);
      }
      // Undo as far as the history reaches: every state reached is an earlier one, in
      // order, and redo comes back to the newest.
      std::string newest = Join(Paras(L));
      int32_t p, pos;
      size_t k = states.size();
      int undos = 0;
      std::string prev = newest;
      while (L.Undo(nullptr, p, pos)) {
        std::string now = Join(Paras(L));
        ++undos;
        if (now == prev) continue;  // an overwrite with the same characters
        prev = now;
        while (k > 0 && states[k - 1] != now) --k;
        ASSERT_GT(k, 0u) << "size " << size << " round " << round << " undo reached a state that never was: " << now;
        --k;
        ASSERT_NO_FATAL_FAILURE(CheckInvariants(L));
      }
      int redos = 0;
      while (L.Redo(nullptr, p, pos)) ++redos;
      ASSERT_EQ(undos, redos);
      ASSERT_EQ(Join(Paras(L)), newest);
      CheckInvariants(L);
      // Half the way back; the next change drops the redo side (and its nodes).
      k = states.size();
      prev = newest;
      for (int i = 0; i < undos / 2; ++i) {
        L.Undo(nullptr, p, pos);
        std::string now = Join(Paras(L));
        if (now == prev) continue;
        prev = now;
        while (k > 0 && states[k - 1] != now) --k;
        --k;
      }
      states.resize(k);
    }
    // Only the list and the records hold nodes; clearing the history frees the rest.
    L.SetUndoBufferSize(size);
    EXPECT_EQ(L.LiveNodes(), L.ParaCount());
  }
}

TEST(ParaList, ModifiedFollowsUndoAcrossASave) {
  TParaList L(nullptr, false, 8192);
  L.InsertText(nullptr, 1, 3, "abc", 1);
  L.SetModified(false);  // saved
  L.UndoBuffer().MarkAllModified();
  L.InsertText(nullptr, 1, 1, "x", 10);  // a separate change (not continuing the typing)
  int32_t p, pos;
  L.Undo(nullptr, p, pos);
  EXPECT_EQ(Join(Paras(L)), "abc");
  EXPECT_FALSE(L.Modified());  // back at the saved text
  L.Undo(nullptr, p, pos);
  EXPECT_TRUE(L.Modified());  // before the save
  L.Redo(nullptr, p, pos);
  L.Redo(nullptr, p, pos);
  EXPECT_TRUE(L.Modified());
  L.Undo(nullptr, p, pos);
  EXPECT_TRUE(L.Modified());  // redo stored the flag it found: the text was modified then
}

TEST(UndoBuffer, RecordsAreBytesInTheDocumentedLayout) {
  TParaList L(nullptr, false, 8192);
  for (int i = 0; i < 3; ++i) L.InsertText(nullptr, 1, 1, &"abc"[i], i + 1);  // typing merges
  const uint8_t* b = L.UndoBuffer().Buffer();
  EXPECT_EQ(L.UndoBuffer().UndoCount(), 1);
  EXPECT_EQ(b[0] | b[1] << 8, 0);       // no previous record
  EXPECT_EQ(b[2], ukInsertText);         // kind 1, not modified before
  EXPECT_EQ(b[4], 1);                    // paragraph
  EXPECT_EQ(b[8], 1);                    // position
  EXPECT_EQ(b[12] | b[13] << 8, 3);      // data length
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 14), 3), "abc");
  // Backspace three times: one record, text in reading order, position moved back.
  for (int i = 3; i >= 1; --i) L.DeleteText(nullptr, 1, 1, i);
  EXPECT_EQ(L.UndoBuffer().UndoCount(), 2);
  const uint8_t* r = b + 17;
  EXPECT_EQ(r[0] | r[1] << 8, 17);
  EXPECT_EQ(r[2], 0x80 | ukDeleteText);  // modified before
  EXPECT_EQ(r[8], 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 14), 3), "abc");
  // Overwrite typing merges into one replace record: old and new text.
  L.InsertText(nullptr, 1, 5, "xxxxx", 1);
  for (int i = 0; i < 3; ++i) L.ReplaceText(nullptr, 1, 1, &"abc"[i], 1, i + 1);
  EXPECT_EQ(Join(Paras(L)), "abcxx");
  int32_t p, pos;
  L.Undo(nullptr, p, pos);
  EXPECT_EQ(Join(Paras(L)), "xxxxx");
}

TEST(UndoBuffer, SmallBufferGroupsAndEviction) {
  TParaList L(nullptr, false, 64);
  std::string big(100, 'b');
  L.InsertText(nullptr, 1, 2, "ab", 1);
  L.InsertText(nullptr, 1, 100, big.c_str(), 1);  // does not fit: history cleared
  EXPECT_FALSE(L.UndoBuffer().CanUndo());
  // Inside a group, a record that cannot be stored breaks the rest of the group.
  bool saved = L.UndoBuffer().BeginGroup();
  L.InsertText(nullptr, 1, 100, big.c_str(), 1);
  L.InsertText(nullptr, 1, 1, "c", 1);
  EXPECT_FALSE(L.UndoBuffer().CanUndo());
  L.UndoBuffer().EndGroup(saved);
  L.InsertText(nullptr, 1, 1, "d", 1);
  EXPECT_TRUE(L.UndoBuffer().CanUndo());
  // Filling up drops the oldest groups first, at least a sixteenth of the buffer.
  TParaList M(nullptr, false, 256);
  for (int i = 0; i < 40; ++i) M.InsertText(nullptr, 1, 1, "q", 1);  // not merging: same pos
  EXPECT_GE(M.UndoBuffer().Free(), 0);
  int undos = 0;
  int32_t p, pos;
  while (M.Undo(nullptr, p, pos)) ++undos;
  EXPECT_EQ(static_cast<int32_t>(M.GetParaLength(1)), 40 - undos);
  EXPECT_LT(undos, 40);
}

TEST(UndoBuffer, MoreThan256GroupsStaySeparate) {
  TParaList L(nullptr, false, 65000);
  for (int i = 0; i < 300; ++i) L.InsertText(nullptr, 1, 1, "x", 1);
  int32_t p, pos;
  for (int i = 0; i < 255; ++i) ASSERT_TRUE(L.Undo(nullptr, p, pos));
  L.InsertText(nullptr, 1, 1, "y", 1);  // a new group after the wrap of the numbers
  ASSERT_TRUE(L.Undo(nullptr, p, pos));
  EXPECT_EQ(L.GetParaLength(1), 45);  // only the "y" went
  ASSERT_TRUE(L.Undo(nullptr, p, pos));
  EXPECT_EQ(L.GetParaLength(1), 44);
}

TEST(ParaList, LimitsAndFailingCallsChangeNothing) {
  TParaList L(nullptr, false, 8192);
  EXPECT_EQ(L.ParaCount(), 1);
  EXPECT_EQ(L.ByteCount(), 0);
  L.SetParaLimit(10);
  for (int i = 0; i < 9; ++i) ASSERT_EQ(L.AppendPara("x", 1, false), 0);
  EXPECT_EQ(L.ParaCount(), 10);
  EXPECT_EQ(L.GetParaLength(10), 0);  // the empty last paragraph stays last
  EXPECT_EQ(L.CheckLimits(0, 1, 0), 0);  // the empty last one is not counted
  EXPECT_EQ(L.CheckLimits(11, 1, 0), kEdErrTooManyParas);  // beyond the limit: no extra one
  L.InsertText(nullptr, 10, 1, "z", 1);
  EXPECT_EQ(L.CheckLimits(0, 1, 0), kEdErrTooManyParas);
  L.SetByteLimit(L.ByteCount() + 3);
  EXPECT_EQ(L.CheckLimits(1, 0, 4), kEdErrTextTooLarge);
  L.SetParaLengthLimit(3);
  EXPECT_EQ(L.CheckLimits(1, 0, 3), kEdErrParaTooLong);
  std::string before = Join(Paras(L));
  EXPECT_EQ(L.InsertText(nullptr, 1, 3, "abc", 1), kEdErrParaTooLong);
  EXPECT_EQ(L.JoinPara(nullptr, 1, 4), kEdErrCannotJoin);  // "x" + 2 fill + "x" > 3
  int32_t para = 1, pos = 2;
  EXPECT_NE(L.InsertTextBlock(nullptr, para, "abcd\r\nq", pos), 0);
  EXPECT_EQ(Join(Paras(L)), before);
  L.SetParaLengthLimit(32767);
  EXPECT_EQ(L.JoinPara(nullptr, 1, 4), 0);
  EXPECT_EQ(Paras(L)[0], "x  x");  // padded with blanks
}

TEST(ParaList, BlocksSplitsAndMarkers) {
  TParaList L(nullptr, false, 8192);
  int32_t p = 1, pos = 1;
  ASSERT_EQ(L.InsertTextBlock(nullptr, p, "a\r\nb", pos), 0);
  EXPECT_EQ(Join(Paras(L)), "a|b");
  p = 2, pos = 2;
  L.InsertTextBlock(nullptr, p, "x\r", pos);  // a CR alone at the end breaks the line
  EXPECT_EQ(Join(Paras(L)), "a|bx|");
  TParaList M(nullptr, false, 8192);
  M.InsertText(nullptr, 1, 9, "abc   def", 1);
  int32_t indent = 0;
  M.SetMarker(0, 1, 8);  // on "e"
  M.SetMarker(1, 1, 2);
  M.SplitPara(nullptr, 1, true, indent, 8, 7);
  EXPECT_EQ(Join(Paras(M)), "abc|def");
  int32_t mp, mpos;
  ASSERT_TRUE(M.GetMarker(0, mp, mpos));
  EXPECT_EQ(mp, 2);
  EXPECT_EQ(mpos, 2);
  M.DeleteText(nullptr, 1, 2, 1);  // marker 1 inside the deleted text: cleared
  EXPECT_FALSE(M.GetMarker(1, mp, mpos));
  M.SetMarker(2, 1, 2);
  M.JoinPara(nullptr, 1, 2);
  ASSERT_TRUE(M.GetMarker(0, mp, mpos));
  EXPECT_EQ(mp, 1);
  EXPECT_EQ(mpos, 3);  // "c" + "def": e is the third character
  int32_t q, qpos;
  ASSERT_TRUE(M.Undo(nullptr, q, qpos));
  EXPECT_EQ(Join(Paras(M)), "c|def");
  EXPECT_EQ(q, 1);
  EXPECT_EQ(qpos, 2);  // where the join was made
  // Enter with indentation: tabs then blanks.
  indent = 10;
  M.SplitPara(nullptr, 2, true, indent, 8, 2);
  EXPECT_EQ(Join(Paras(M)), "c|d|\t  ef");
  EXPECT_EQ(indent, 3);
}


}  // namespace
}  // namespace tess

namespace tess {
namespace {

// A paragraph that undo or redo puts back is wrapped for the settings of now, not those
// it left with.
TEST(ParaList, ParagraphsPutBackTakeTheCurrentWrap) {
  TParaList L(nullptr, false, 8192);
  const char text[] = "several words that need more than one line at ten";
  L.InsertPara(nullptr, 1, static_cast<int32_t>(sizeof text - 1), text);
  L.DeletePara(nullptr, 1);
  L.SetWrapColumn(10);
  L.SetWordWrap(true);
  int32_t para, pos;
  ASSERT_TRUE(L.Undo(nullptr, para, pos));
  CheckInvariants(L);
  EXPECT_GT(L.LineCount(), 5);
  L.SetWordWrap(false);
  ASSERT_TRUE(L.Redo(nullptr, para, pos));
  ASSERT_TRUE(L.Undo(nullptr, para, pos));
  CheckInvariants(L);
}

// A line with tabs may be wider than the wrap column while it has fewer characters; an
// edit next to it then resumes from its true breaks.
TEST(ParaList, ShortLinesWithTabsStillWrap) {
  TParaList L(nullptr, true, 8192);
  L.SetWrapColumn(33);
  L.SetTabSize(8);
  const std::string t = "\t\t\t\t        *\t                        \t*";
  L.InsertText(nullptr, 1, static_cast<int32_t>(t.size()), t.c_str(), 1);
  L.DeleteText(nullptr, 1, 12, 1);
  EXPECT_EQ(L.LineCount(), 2) << "28 characters, 40 columns";
  CheckInvariants(L);
  L.InsertText(nullptr, 1, 12, t.c_str(), 1);
  EXPECT_EQ(L.LineCount(), 3);
  CheckInvariants(L);
}

TEST(ParaList, DeleteBlockRefusedByTheByteLimitChangesNothing) {
  TParaList L(nullptr, false, 8192);
  int32_t para = 1, pos = 1;
  ASSERT_EQ(L.InsertTextBlock(nullptr, para, "abc\r\ndefghijk", pos), 0);
  L.SetByteLimit(L.ByteCount());
  std::string before = Join(Paras(L));
  int32_t undo = L.UndoBuffer().UndoCount();
  // Joining "ab" with "efghijk" is tested against the limit with the next paragraph's length.
  EXPECT_EQ(L.DeleteBlock(nullptr, 1, 3, 2, 2), kEdErrCannotJoin);
  EXPECT_EQ(Join(Paras(L)), before);
  EXPECT_EQ(L.UndoBuffer().UndoCount(), undo);
  L.SetByteLimit(kMaxLongInt);
  EXPECT_EQ(L.DeleteBlock(nullptr, 1, 3, 2, 2), 0);
  EXPECT_EQ(Join(Paras(L)), "abefghijk");
}

// Editors sharing one text, in a ring, as the editor models keep it; each is told of a
// change and may be freed by what it runs then (a handler of its window).
class TRingEditor : public TParaListEditor {
 public:
  TRingEditor(TParaList& List, TRingEditor* After, std::vector<std::string>& Log, std::string Name)
      : list_(List), log_(Log), name_(std::move(Name)) {
    if (After) {
      next_ = After->next_;
      After->next_ = this;
    } else {
      List.SetOwner(this);
    }
  }
  ~TRingEditor() override {
    // Out of the ring, as an editor model leaves it.
    auto* before = this;
    while (before->next_ != this) before = before->next_;
    before->next_ = next_;
    if (list_.Owner() == this) list_.SetOwner(next_ == this ? nullptr : next_);
  }
  TParaListEditor* NextEditor() override { return next_; }
  void AdjustPositions(const TPosChange&, TParaListEditor*) override {}
  void TextChanged(TParaListEditor*) override {
    log_.push_back(name_);
    if (OnChanged) OnChanged();
  }
  void TextRewrapped() override {}
  std::function<void()> OnChanged;

 private:
  TParaList& list_;
  TRingEditor* next_ = this;
  std::vector<std::string>& log_;
  std::string name_;
};

// An editor freed while the editors are told of a change is told nothing more and the
// others are told all the same; when the editor whose change it is goes, its work ends
// once every other editor was told (the sanitizers see any touch of a freed one).
TEST(ParaList, EditorsFreedWhileToldOfAChange) {
  TParaList L(nullptr, false, 4096);
  std::vector<std::string> log;
  auto* a = new TRingEditor(L, nullptr, log, "a");
  auto* b = new TRingEditor(L, a, log, "b");
  auto* c = new TRingEditor(L, b, log, "c");
  auto* d = new TRingEditor(L, c, log, "d");
  // Frees itself, and one whose turn has not come.
  b->OnChanged = [b, d] {
    delete d;
    delete b;
  };
  EXPECT_EQ(L.InsertText(a, 1, 3, "xyz", 1), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Join(Paras(L)), "xyz");

  log.clear();
  c->OnChanged = [a, c] {
    c->OnChanged = nullptr;
    delete a;
  };
  EXPECT_THROW(L.InsertText(a, 1, 1, "w", 1), EFreedByHandler);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "c"}));
  // The text and the editor left go on.
  log.clear();
  EXPECT_EQ(L.InsertText(c, 1, 1, "v", 1), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"c"}));
  EXPECT_EQ(Join(Paras(L)), "vwxyz");
  delete c;
}

// A group of undo records kept open outlives the buffer (the text went with its editors,
// freed by a handler): closing it touches nothing.
TEST(ParaList, AnUndoGroupOutlivesItsBuffer) {
  auto* L = new TParaList(nullptr, false, 4096);
  TUndoGroup group(L->UndoBuffer());
  L->InsertText(nullptr, 1, 1, "x", 1);
  delete L;
}

}  // namespace
}  // namespace tess
