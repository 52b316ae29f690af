// See paralist.h.
#include "components/editor/paralist.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "components/core/componentstrings.h"
#include "components/editor/paratext.h"
#include "framework/core/sysutils.h"

namespace tess {

// Where the paragraphs live: nodes come from a pool of blocks and the texts of loaded
// paragraphs from large chunks, so that a loaded file costs little more than its size.
// A text that grows later moves to a buffer of its own.  The sanitizer build gives
// every node its own allocation, so that a node freed twice or never is reported.
class TParaArena {
 public:
  char* Text(size_t N) {
    if (N > kChunk / 4) return nullptr;
    if (left_ < N) {
      chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunk));
      cur_ = chunks_.back().get();
      left_ = kChunk;
    }
    char* p = cur_;
    cur_ += N;
    left_ -= N;
    return p;
  }
  TParaNode* Node() {
#if defined(__SANITIZE_ADDRESS__)
    return std::construct_at(alloc_.allocate(1));
#else
    if (free_.empty()) {
      blocks_.push_back(std::make_unique<TParaNode[]>(kBlock));
      for (size_t i = kBlock; i-- > 0;) free_.push_back(&blocks_.back()[i]);
    }
    TParaNode* n = free_.back();
    free_.pop_back();
    return std::construct_at(n);
#endif
  }
  void Release(TParaNode* N) {
#if defined(__SANITIZE_ADDRESS__)
    std::destroy_at(N);
    alloc_.deallocate(N, 1);
#else
    std::destroy_at(N);
    free_.push_back(N);
#endif
  }

 private:
  static constexpr size_t kChunk = 256 * 1024;
  static constexpr size_t kBlock = 1024;
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* cur_ = nullptr;
  size_t left_ = 0;
#if defined(__SANITIZE_ADDRESS__)
  std::allocator<TParaNode> alloc_;
#else
  std::vector<std::unique_ptr<TParaNode[]>> blocks_;
  std::vector<TParaNode*> free_;
#endif
};

namespace {
constexpr int32_t kMaxParaLength = 65520;  // a paragraph's 16-bit buffer must hold it

int32_t RoundUp(int32_t V, int32_t Step) { return (V + Step - 1) / Step * Step; }
}  // namespace

// --- TParaNode -----------------------------------------------------------------------

const char* TParaNode::GetLine(int32_t LineNo, int32_t& Len) const {
  if (LineNo < 1 || LineNo > LineCount) {
    Len = 0;
    return "";
  }
  int32_t start = LineStarts[LineNo - 1];
  int32_t end = LineNo < LineCount ? LineStarts[LineNo] : Length;
  Len = end - start;
  return GetText() + start;
}

int32_t TParaNode::LineOfOffset(int32_t Offset, int32_t& Col) const {
  int32_t line = 1;
  if (LineCount > 1) {
    const uint16_t* begin = LineStarts;
    const uint16_t* end = begin + LineCount;
    line = static_cast<int32_t>(std::upper_bound(begin, end, Offset) - begin);
    if (line < 1) line = 1;
  }
  Col = Offset - LineStarts[line - 1];
  return line;
}

int32_t TParaNode::BlanksBefore(int32_t Pos) const {
  int32_t n = 0;
  const char* t = GetText();
  for (int32_t i = std::min<int32_t>(Pos - 1, Length); i > 0 && IsBlank(t[i - 1]); --i) ++n;
  return n;
}

// --- position adjustment ---------------------------------------------------------------

bool AdjustPosition(const TPosChange& C, int32_t& Para, int32_t& Pos) {
  switch (C.What) {
    case TPosChange::Inserted:
      if (Para == C.Para && Pos >= C.Pos) Pos += C.Count;
      return true;
    case TPosChange::Deleted:
      if (Para != C.Para || Pos < C.Pos) return true;
      if (Pos >= C.Pos + C.Count) {
        Pos -= C.Count;
        return true;
      }
      Pos = C.Pos;
      return false;
    case TPosChange::Split:
      if (Para > C.Para) {
        ++Para;
      } else if (Para == C.Para && Pos >= C.Pos) {
        ++Para;
        Pos = Pos - C.Pos + C.Count + 1;
      }
      return true;
    case TPosChange::ParaInserted:
      if (Para >= C.Para) ++Para;
      return true;
    case TPosChange::ParaDeleted:
      if (Para > C.Para) {
        --Para;
        return true;
      }
      if (Para < C.Para) return true;
      Pos = 1;
      return false;
    case TPosChange::Joined:
      if (Para == C.Para + 1) {
        Para = C.Para;
        Pos += C.Pos - 1;
      } else if (Para > C.Para + 1) {
        --Para;
      }
      return true;
  }
  return true;
}

// --- TParaList: structure ------------------------------------------------------------

TParaList::TParaList(TParaListEditor* Owner, bool WordWrap, uint16_t UndoBufferSize)
    : owner_(Owner), word_wrap_(WordWrap), arena_(std::make_unique<TParaArena>()) {
  undo_ = std::make_unique<TUndoBuffer>(this, UndoBufferSize);
  TParaNode* n = NewNode("", 0, false);
  RawLinkNode(n, 1);
  line_count_ = 1;
  byte_count_ = 0;
  cur_node_ = head_;
}

TParaList::~TParaList() {
  undo_.reset();  // frees the nodes only undo records held
  for (TParaNode* n = head_; n;) {
    TParaNode* next = n->Next;
    n->InList = false;
    n->UndoRefs = 0;
    FreeNode(n);
    n = next;
  }
  assert(live_nodes_ == 0);
}

TParaNode* TParaList::NewNode(const char* Text, int32_t Len, bool FromArena) {
  TParaNode* n = arena_->Node();
  n->LineStarts = &n->InlineStart;
  if (Len > 0) {
    // Loaded texts sit tightly in the arena; others get room to grow.
    int32_t size = FromArena ? Len + 1 : RoundUp(Len + 1, 8);
    char* buf = FromArena ? arena_->Text(static_cast<size_t>(size)) : nullptr;
    if (!buf) size = RoundUp(Len + 1, 8);
    n->HeapText = buf == nullptr;
    if (!buf) buf = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
    if (!buf) {
      arena_->Release(n);
      throw EOutOfMemory(ComponentString(34186));
    }
    std::memcpy(buf, Text, static_cast<size_t>(Len));
    buf[Len] = 0;
    n->Text = buf;
    n->BufferSize = static_cast<uint16_t>(size);
    n->Length = static_cast<uint16_t>(Len);
  }
  ++live_nodes_;
  Wrap(n);
  return n;
}

void TParaList::FreeNode(TParaNode* N) {
  assert(!N->InList && N->UndoRefs == 0);
  if (cur_node_ == N) cur_node_ = nullptr;
  if (N->HeapText) std::free(N->Text);
  if (N->LineStarts != &N->InlineStart) std::free(N->LineStarts);
  arena_->Release(N);
  --live_nodes_;
}

void TParaList::ReleaseUndoRef(TParaNode* N) {
  assert(N && N->UndoRefs > 0);
  if (--N->UndoRefs == 0 && !N->InList) FreeNode(N);
}

void TParaList::RawLinkNode(TParaNode* N, int32_t At) {
  TParaNode* after = At <= ParaCount() ? index_[static_cast<size_t>(At - 1)] : nullptr;
  TParaNode* before = after ? after->Prev : tail_;
  N->Prev = before;
  N->Next = after;
  (before ? before->Next : head_) = N;
  (after ? after->Prev : tail_) = N;
  // A piece of a cut line that gets another paragraph before it is a line of its own.
  if (after) after->Continues = false;
  N->InList = true;
  index_.insert(index_.begin() + (At - 1), N);
  fenwick_valid_ = false;
  cur_node_ = nullptr;  // numbers behind At have moved
}

void TParaList::Link(TParaNode* N, int32_t At) {
  RawLinkNode(N, At);
  byte_count_ += N->Length + 2;
  line_count_ += N->LineCount;
}

void TParaList::Unlink(int32_t ParaNo) {
  TParaNode* n = index_[static_cast<size_t>(ParaNo - 1)];
  (n->Prev ? n->Prev->Next : head_) = n->Next;
  (n->Next ? n->Next->Prev : tail_) = n->Prev;
  // Nor does a piece of a cut line whose previous piece is gone, nor one that leaves
  // (should undo put it back).
  if (n->Next) n->Next->Continues = false;
  n->Continues = false;
  n->Next = n->Prev = nullptr;
  n->InList = false;
  index_.erase(index_.begin() + (ParaNo - 1));
  fenwick_valid_ = false;
  byte_count_ -= n->Length + 2;
  line_count_ -= n->LineCount;
  cur_node_ = nullptr;
}

// --- the line index --------------------------------------------------------------------

void TParaList::FenwickRebuild() {
  size_t n = index_.size();
  fenwick_.assign(n, 0);
  for (size_t i = 0; i < n; ++i) {
    fenwick_[i] += index_[i]->LineCount;
    size_t j = i | (i + 1);
    if (j < n) fenwick_[j] += fenwick_[i];
  }
  fenwick_valid_ = true;
}

void TParaList::FenwickAdd(int32_t Index0, int32_t Delta) {
  for (size_t i = static_cast<size_t>(Index0); i < fenwick_.size(); i |= i + 1) fenwick_[i] += Delta;
}

int32_t TParaList::LinesBefore(int32_t ParaNo) {
  if (line_count_ == ParaCount()) return ParaNo - 1;  // every paragraph is one line
  if (!fenwick_valid_) FenwickRebuild();
  int32_t sum = 0;
  for (int32_t i = ParaNo - 2; i >= 0; i = (i & (i + 1)) - 1) sum += fenwick_[static_cast<size_t>(i)];
  return sum;
}

int32_t TParaList::ParaOfLine(int32_t LineNo, int32_t& LineInPara) {
  if (line_count_ == ParaCount()) {
    LineInPara = 1;
    return LineNo;
  }
  if (!fenwick_valid_) FenwickRebuild();
  // The largest prefix of paragraphs whose lines end before LineNo.
  size_t pos = 0, n = fenwick_.size();
  size_t step = 1;
  while (step * 2 <= n) step *= 2;
  int32_t rest = LineNo - 1;
  for (; step > 0; step /= 2) {
    if (pos + step <= n && fenwick_[pos + step - 1] <= rest) {
      pos += step;
      rest -= fenwick_[pos - 1];
    }
  }
  LineInPara = rest + 1;
  return static_cast<int32_t>(pos) + 1;
}

void TParaList::LineCountChanged(int32_t ParaNo, int32_t Delta) {
  if (Delta == 0) return;
  line_count_ += Delta;
  if (fenwick_valid_) FenwickAdd(ParaNo - 1, Delta);
}

int32_t TParaList::FirstLineOfPara(int32_t ParaNo) {
  ParaNo = std::clamp(ParaNo, 1, ParaCount());
  return LinesBefore(ParaNo) + 1;
}

// --- wrapping ----------------------------------------------------------------------------

bool TParaList::GrowLines(TParaNode* N, int32_t Want) {
  if (Want <= N->LineCapacity) return true;
  int32_t cap = std::max(8, RoundUp(Want, 8));
  if (cap > 0xFFFF) return false;
  auto* t = static_cast<uint16_t*>(std::calloc(static_cast<size_t>(cap), sizeof(uint16_t)));
  if (!t) return false;
  std::memcpy(t, N->LineStarts, sizeof(uint16_t) * N->LineCapacity);
  if (N->LineStarts != &N->InlineStart) std::free(N->LineStarts);
  N->LineStarts = t;
  N->LineCapacity = static_cast<uint16_t>(cap);
  return true;
}

void TParaList::Wrap(TParaNode* N) {
  int32_t dummyFirst, dummyLast;
  int32_t old = N->LineCount;
  N->LineCount = 1;
  N->LineStarts[0] = 0;
  (void)old;
  Rewrap(N, 0, N->Length, 0, dummyFirst, dummyLast);
}

void TParaList::Rewrap(TParaNode* N, int32_t Offset, int32_t Ins, int32_t Del, int32_t& First,
                       int32_t& Last) {
  const int32_t wrap = EffectiveWrapColumn();
  const int32_t oldCount = N->LineCount;
  // A text no longer than the wrap column fits on one line only when it has no tab: a tab
  // takes more columns than characters.
  if (wrap <= 0 || wrap == kMaxLongInt ||
      (N->Length <= wrap && !HasTab(N->GetText(), static_cast<uint32_t>(N->Length)))) {
    if (oldCount > 1) std::fill(N->LineStarts + 1, N->LineStarts + oldCount, uint16_t{0});
    N->LineCount = 1;
    First = 1;
    Last = 1;
    return;
  }
  // The old starts, to see where the old breaks resume.
  std::vector<uint16_t> old(N->LineStarts, N->LineStarts + oldCount);
  int32_t dummy;
  int32_t k = N->LineOfOffset(std::min<int32_t>(Offset, old.back() + 0x7FFF), dummy);
  int32_t line = std::max(1, k - 2);  // the line before may take a word back
  if (line > oldCount) line = oldCount;
  First = line;
  if (N->LineCapacity < 8) {
    int32_t q = N->Length / wrap;
    GrowLines(N, std::max(8, (q + q / 5 + 7) / 8 * 8));
  }
  const char* t = N->Text;
  const bool tabs = HasTab(t, N->Length);
  int32_t pos = N->LineStarts[line - 1];
  size_t j = 0;
  for (;;) {
    uint32_t remaining = static_cast<uint32_t>(N->Length - pos);
    uint32_t fit = CharsThatFit(t + pos, remaining, static_cast<uint32_t>(wrap), tab_size_, tabs);
    if (remaining <= fit) break;
    uint32_t end, next;
    FindBreak(t + pos, remaining, fit, end, next);
    int32_t start = pos + static_cast<int32_t>(next);
    if (start >= N->Length) break;
    if (!GrowLines(N, line + 1)) break;  // cannot happen below 65535 lines
    N->LineStarts[line] = static_cast<uint16_t>(start);
    ++line;
    // Past the change, a start that was a start before means the rest is unchanged.
    if (start >= Offset + Ins) {
      int32_t o = start - Ins + Del;
      while (j < old.size() && old[j] < o) ++j;
      if (j < old.size() && old[j] == o && static_cast<int32_t>(j) + 1 <= oldCount) {
        int32_t rest = oldCount - static_cast<int32_t>(j) - 1;
        if (!GrowLines(N, line + rest)) break;
        for (int32_t r = 0; r < rest; ++r)
          N->LineStarts[line + r] = static_cast<uint16_t>(old[j + 1 + r] + Ins - Del);
        Last = line;
        line += rest;
        if (line < oldCount) std::fill(N->LineStarts + line, N->LineStarts + oldCount, uint16_t{0});
        N->LineCount = line;
        return;
      }
    }
    pos = start;
  }
  if (line < oldCount) std::fill(N->LineStarts + line, N->LineStarts + oldCount, uint16_t{0});
  N->LineCount = line;
  Last = line;
}

void TParaList::RewrapAll() {
  line_count_ = 0;
  for (TParaNode* n = head_; n; n = n->Next) {
    Wrap(n);
    line_count_ += n->LineCount;
  }
  fenwick_valid_ = false;
  cur_node_ = head_;
  cur_para_ = 1;
  first_changed_ = 1;
  last_changed_ = kMaxLongInt;
  TellEditors(nullptr, [](TParaListEditor* E, TParaListEditor*) { E->TextRewrapped(); });
}

void TParaList::SetWordWrap(bool V) {
  if (V == word_wrap_) return;
  word_wrap_ = V;
  RewrapAll();
}

void TParaList::SetWrapColumn(int32_t V) {
  if (V == wrap_column_) return;
  wrap_column_ = V;
  if (word_wrap_) RewrapAll();
}

void TParaList::SetTabSize(uint8_t V) {
  if (V == tab_size_) return;
  tab_size_ = V;
  if (word_wrap_) RewrapAll();
}

void TParaList::SetUndoBufferSize(uint16_t Size) {
  undo_.reset();
  undo_ = std::make_unique<TUndoBuffer>(this, Size);
}

// --- lookups ---------------------------------------------------------------------------

void TParaList::SetCache(int32_t ParaNo) {
  cur_node_ = index_[static_cast<size_t>(ParaNo - 1)];
  cur_para_ = ParaNo;
}

TParaNode* TParaList::GetParaNode(int32_t ParaNo) {
  if (ParaNo < 1 || ParaNo > ParaCount()) return nullptr;
  // Sequential callers step from the cached node; the index serves everyone else.
  if (cur_node_ && ParaNo == cur_para_ + 1 && cur_node_->Next) {
    cur_node_ = cur_node_->Next;
    cur_para_ = ParaNo;
    return cur_node_;
  }
  SetCache(ParaNo);
  return cur_node_;
}

TParaNode* TParaList::GetLineText(int32_t LineNo, const char*& Text, int32_t& Len) {
  if (LineNo < 1 || LineNo > line_count_) {
    Text = "";
    Len = 0;
    return nullptr;
  }
  int32_t inPara;
  int32_t p = ParaOfLine(LineNo, inPara);
  TParaNode* n = GetParaNode(p);
  cur_line_ = LineNo;
  cur_line_in_para_ = inPara;
  Text = n->GetLine(inPara, Len);
  return n;
}

int32_t TParaList::GetParaLength(int32_t ParaNo) {
  TParaNode* n = GetParaNode(ParaNo);
  return n ? n->Length : 0;
}

int32_t TParaList::LineOfParaPos(int32_t ParaNo, int32_t Pos, int32_t& Col) {
  ParaNo = std::clamp(ParaNo, 1, ParaCount());
  TParaNode* n = GetParaNode(ParaNo);
  int32_t c;
  int32_t l = n->LineOfOffset(std::max(Pos, 1) - 1, c);
  Col = c + 1;
  return LinesBefore(ParaNo) + l;
}

int32_t TParaList::ParaPosOfLine(int32_t LineNo, int32_t& Offset) {
  LineNo = std::clamp(LineNo, 1, line_count_);
  int32_t inPara;
  int32_t p = ParaOfLine(LineNo, inPara);
  Offset = GetParaNode(p)->LineStart(inPara);
  return p;
}

uint16_t TParaList::CheckLimits(int32_t ParaNo, int32_t NewParas, int32_t AddBytes) {
  if (NewParas > 0 || ParaNo > para_limit_) {
    int64_t allowed = para_limit_;
    if (ParaNo <= para_limit_ && tail_->Length == 0 && para_limit_ != kMaxLongInt) ++allowed;
    if (int64_t{ParaCount()} + NewParas > allowed) return kEdErrTooManyParas;
  }
  if (int64_t{byte_count_} + AddBytes > byte_limit_) return kEdErrTextTooLarge;
  if (ParaNo == 0 || NewParas > 0) return 0;
  if (int64_t{GetParaLength(ParaNo)} + AddBytes > para_length_limit_) return kEdErrParaTooLong;
  return 0;
}

// --- markers -----------------------------------------------------------------------------

void TParaList::SetMarker(int32_t Index, int32_t ParaNo, int32_t Pos) {
  if (Index < 0 || Index >= 10) return;
  marker_para_[static_cast<size_t>(Index)] = ParaNo;
  marker_pos_[static_cast<size_t>(Index)] = Pos;
}

void TParaList::SetMarkerAtLine(int32_t Index, int32_t LineNo, int32_t Col) {
  int32_t off;
  int32_t p = ParaPosOfLine(LineNo, off);
  SetMarker(Index, p, off + Col);
}

bool TParaList::GetMarker(int32_t Index, int32_t& ParaNo, int32_t& Pos) const {
  if (Index < 0 || Index >= 10 || marker_para_[static_cast<size_t>(Index)] == 0) return false;
  ParaNo = marker_para_[static_cast<size_t>(Index)];
  Pos = marker_pos_[static_cast<size_t>(Index)];
  return true;
}

void TParaList::Adjust(TParaListEditor* Editor, const TPosChange& C) {
  if (!adjust_markers_) return;
  for (size_t i = 0; i < 10; ++i)
    if (marker_para_[i] != 0 && !AdjustPosition(C, marker_para_[i], marker_pos_[i]))
      marker_para_[i] = 0;
  if (!owner_) return;
  TParaListEditor* e = owner_;
  do {
    e->AdjustPositions(C, Editor);
    e = e->NextEditor();
  } while (e && e != owner_);
}

void TParaList::Changed(TParaListEditor* Editor) {
  TellEditors(Editor, [](TParaListEditor* E, TParaListEditor* By) { E->TextChanged(By); });
}

void TParaList::TellEditors(TParaListEditor* Editor,
                            void (*Tell)(TParaListEditor* E, TParaListEditor* By)) {
  if (!owner_) return;
  TLifeWatch list(life_);
  if (owner_->NextEditor() == owner_) {
    // The text's only editor, as mostly: the text goes with it.
    Tell(owner_, Editor);
    UnwindIfFreed(list);
    return;
  }
  TLifeWatch by(Editor ? &Editor->LifeMark() : nullptr);
  // The ring as it is now, each editor watched.
  std::vector<std::pair<TParaListEditor*, TLifeWatch>> ring;
  TParaListEditor* e = owner_;
  do {
    ring.emplace_back(e, TLifeWatch(e->LifeMark()));
    e = e->NextEditor();
  } while (e && e != owner_);
  for (const auto& [editor, watch] : ring) {
    if (!watch.Alive()) continue;
    Tell(editor, Editor);
    UnwindIfFreed(list);  // gone with the last of its editors
  }
  if (Editor) UnwindIfFreed(by);
}

void TParaList::NoteChange(int32_t ParaNo, TParaNode* N, int32_t OldLines, int32_t First,
                           int32_t Last) {
  LineCountChanged(ParaNo, N->LineCount - OldLines);
  int32_t base = LinesBefore(ParaNo);
  first_changed_ = base + First;
  last_changed_ = N->LineCount != OldLines ? kMaxLongInt : base + Last;
}

// --- primitive edits -----------------------------------------------------------------------

bool TParaList::EnsureBuffer(TParaNode* N, int32_t Need) {
  if (Need + 1 <= N->BufferSize) return true;
  int32_t size = std::min(RoundUp(Need + 1, 16), 0xFFFF);
  auto* buf = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
  if (!buf) return false;
  std::memcpy(buf, N->GetText(), N->Length);
  buf[N->Length] = 0;
  if (N->HeapText) std::free(N->Text);
  N->Text = buf;
  N->HeapText = true;
  N->BufferSize = static_cast<uint16_t>(size);
  return true;
}

uint16_t TParaList::RawInsert(int32_t ParaNo, const char* Text, int32_t Len, int32_t Pos) {
  TParaNode* n = GetParaNode(ParaNo);
  if (n->Length + Len > kMaxParaLength) return kEdErrParaTooLong;
  if (!EnsureBuffer(n, n->Length + Len)) return kEdErrNoMemory;
  InsertBytes(n->Text, Text, n->Length, static_cast<uint32_t>(Pos - 1), static_cast<uint32_t>(Len));
  n->Length = static_cast<uint16_t>(n->Length + Len);
  byte_count_ += Len;
  int32_t old = n->LineCount, first, last;
  Rewrap(n, Pos - 1, Len, 0, first, last);
  NoteChange(ParaNo, n, old, first, last);
  return 0;
}

void TParaList::RawDelete(int32_t ParaNo, int32_t Count, int32_t Pos) {
  TParaNode* n = GetParaNode(ParaNo);
  DeleteBytes(n->Text, n->Length, static_cast<uint32_t>(Pos - 1), static_cast<uint32_t>(Count));
  n->Length = static_cast<uint16_t>(n->Length - Count);
  byte_count_ -= Count;
  int32_t old = n->LineCount, first, last;
  Rewrap(n, Pos - 1, 0, Count, first, last);
  NoteChange(ParaNo, n, old, first, last);
}

uint16_t TParaList::RawReplace(int32_t ParaNo, const char* Text, int32_t NewLen, int32_t OldLen,
                               int32_t Pos) {
  TParaNode* n = GetParaNode(ParaNo);
  if (n->Length - OldLen + NewLen > kMaxParaLength) return kEdErrParaTooLong;
  if (!EnsureBuffer(n, n->Length - OldLen + NewLen)) return kEdErrNoMemory;
  char* at = n->Text + Pos - 1;
  std::memmove(at + NewLen, at + OldLen, static_cast<size_t>(n->Length - (Pos - 1) - OldLen + 1));
  std::memcpy(at, Text, static_cast<size_t>(NewLen));
  n->Length = static_cast<uint16_t>(n->Length - OldLen + NewLen);
  byte_count_ += NewLen - OldLen;
  int32_t old = n->LineCount, first, last;
  Rewrap(n, Pos - 1, NewLen, OldLen, first, last);
  NoteChange(ParaNo, n, old, first, last);
  return 0;
}

// --- changes -----------------------------------------------------------------------------

uint16_t TParaList::AppendPara(const char* Text, int32_t Len, bool Trim) {
  if (Trim)
    while (Len > 0 && IsBlank(Text[Len - 1])) --Len;
  if (uint16_t code = CheckLimits(0, 1, Len + 2)) return code;
  if (Len > para_length_limit_) return kEdErrParaTooLong;
  TParaNode* n = NewNode(Text, Len, true);
  int32_t at = ParaCount();
  Link(n, at);
  return 0;
}

uint16_t TParaList::InsertText(TParaListEditor* Editor, int32_t ParaNo, int32_t Len,
                               const char* Text, int32_t Pos) {
  TParaNode* n = GetParaNode(ParaNo);
  if (!n || Len < 0 || Pos < 1) return 0;
  int32_t fill = std::max(0, Pos - 1 - n->Length);
  if (Len == 0) return 0;
  if (uint16_t code = CheckLimits(ParaNo, 0, Len + fill)) return code;
  // Filling blanks are part of the change, so that undo gives back the former text.
  std::string padded;
  const char* data = Text;
  int32_t at = Pos;
  if (fill > 0) {
    padded.assign(static_cast<size_t>(fill), ' ');
    padded.append(Text, static_cast<size_t>(Len));
    data = padded.data();
    at = n->Length + 1;
  }
  int32_t total = Len + fill;
  bool wasModified = modified_;
  if (uint16_t code = RawInsert(ParaNo, data, total, at)) return code;
  if (Recording())
    undo_->Push(ukInsertText, wasModified, static_cast<uint16_t>(total), data, at, ParaNo);
  modified_ = true;
  // Positions in the blank space past the end (a caret may stand there) do not move
  // for the filling blanks.
  Adjust(Editor, {TPosChange::Inserted, ParaNo, Pos, Len});
  Changed(Editor);
  return 0;
}

void TParaList::DeleteText(TParaListEditor* Editor, int32_t ParaNo, int32_t Count, int32_t Pos) {
  TParaNode* n = GetParaNode(ParaNo);
  if (!n || Pos < 1 || Pos > n->Length || Count <= 0) return;
  Count = std::min(Count, n->Length - Pos + 1);
  if (Recording())
    undo_->Push(ukDeleteText, modified_, static_cast<uint16_t>(Count), n->Text + Pos - 1, Pos,
                ParaNo);
  RawDelete(ParaNo, Count, Pos);
  modified_ = true;
  Adjust(Editor, {TPosChange::Deleted, ParaNo, Pos, Count});
  Changed(Editor);
}

uint16_t TParaList::ReplaceText(TParaListEditor* Editor, int32_t ParaNo, int32_t NewLen,
                                const char* NewText, int32_t OldLen, int32_t Pos) {
  TParaNode* n = GetParaNode(ParaNo);
  if (!n || Pos < 1) return 0;
  if (Pos > n->Length) return InsertText(Editor, ParaNo, NewLen, NewText, Pos);
  OldLen = std::clamp(OldLen, 0, n->Length - Pos + 1);
  if (OldLen == 0 && NewLen == 0) return 0;
  if (NewLen > OldLen)
    if (uint16_t code = CheckLimits(ParaNo, 0, NewLen - OldLen)) return code;
  std::string old(n->Text + Pos - 1, static_cast<size_t>(OldLen));
  bool wasModified = modified_;
  if (uint16_t code = RawReplace(ParaNo, NewText, NewLen, OldLen, Pos)) return code;
  if (Recording())
    undo_->PushReplace(wasModified, ParaNo, static_cast<uint16_t>(NewLen), NewText,
                       static_cast<uint16_t>(OldLen), old.c_str(), Pos);
  modified_ = true;
  if (NewLen > OldLen) Adjust(Editor, {TPosChange::Inserted, ParaNo, Pos + OldLen, NewLen - OldLen});
  if (NewLen < OldLen) Adjust(Editor, {TPosChange::Deleted, ParaNo, Pos + NewLen, OldLen - NewLen});
  Changed(Editor);
  return 0;
}

uint16_t TParaList::InsertPara(TParaListEditor* Editor, int32_t ParaNo, int32_t Len,
                               const char* Text) {
  ParaNo = std::clamp(ParaNo, 1, ParaCount() + 1);
  if (uint16_t code = CheckLimits(ParaNo, 1, Len + 2)) return code;
  if (Len > para_length_limit_) return kEdErrParaTooLong;
  TParaNode* n = NewNode(Text, Len, false);
  if (Recording()) undo_->Push(ukInsertParaBefore, modified_, sizeof n, &n, 1, ParaNo);
  Link(n, ParaNo);
  modified_ = true;
  first_changed_ = FirstLineOfPara(ParaNo);
  last_changed_ = kMaxLongInt;
  Adjust(Editor, {TPosChange::ParaInserted, ParaNo, 1, 0});
  Changed(Editor);
  return 0;
}

uint16_t TParaList::InsertParaAfter(TParaListEditor* Editor, int32_t ParaNo, int32_t Len,
                                    const char* Text) {
  ParaNo = std::clamp(ParaNo, 1, ParaCount());
  if (uint16_t code = CheckLimits(ParaNo, 1, Len + 2)) return code;
  if (Len > para_length_limit_) return kEdErrParaTooLong;
  TParaNode* n = NewNode(Text, Len, false);
  if (Recording()) undo_->Push(ukInsertParaAfter, modified_, sizeof n, &n, 1, ParaNo);
  Link(n, ParaNo + 1);
  modified_ = true;
  first_changed_ = FirstLineOfPara(ParaNo + 1);
  last_changed_ = kMaxLongInt;
  Adjust(Editor, {TPosChange::ParaInserted, ParaNo + 1, 1, 0});
  Changed(Editor);
  return 0;
}

void TParaList::DeletePara(TParaListEditor* Editor, int32_t ParaNo) {
  TParaNode* n = GetParaNode(ParaNo);
  if (!n) return;
  if (ParaCount() == 1) {  // the text keeps one paragraph
    DeleteText(Editor, 1, n->Length, 1);
    return;
  }
  if (Recording()) undo_->Push(ukDeletePara, modified_, sizeof n, &n, 1, ParaNo);
  first_changed_ = FirstLineOfPara(ParaNo);
  last_changed_ = kMaxLongInt;
  Adjust(Editor, {TPosChange::ParaDeleted, ParaNo, 1, 0});
  Unlink(ParaNo);
  if (n->UndoRefs == 0) FreeNode(n);
  modified_ = true;
  Changed(Editor);
}

uint16_t TParaList::SplitPara(TParaListEditor* Editor, int32_t ParaNo, bool Trim, int32_t& Indent,
                              int32_t TabWidth, int32_t Pos) {
  TParaNode* n = GetParaNode(ParaNo);
  if (!n) return 0;
  Pos = std::clamp(Pos, 1, n->Length + 1);
  if (Pos == 1) {
    Indent = 0;
    return InsertPara(Editor, ParaNo, 0, "");
  }
  std::string indent;
  if (Indent > 0) {
    if (TabWidth > 0) indent.assign(static_cast<size_t>(Indent / TabWidth), '\t');
    indent.append(static_cast<size_t>(TabWidth > 0 ? Indent % TabWidth : Indent), ' ');
  }
  int32_t tailLen = n->Length - Pos + 1;
  if (uint16_t code = CheckLimits(ParaNo, 1, 2 + static_cast<int32_t>(indent.size()))) return code;
  if (tailLen + static_cast<int32_t>(indent.size()) > para_length_limit_) indent.clear();
  TUndoGroup group(*undo_);
  if (Recording()) undo_->Push(ukPosition, modified_, 0, nullptr, Pos, ParaNo);
  adjust_markers_ = false;
  std::string tail(n->Text ? n->Text + Pos - 1 : "", static_cast<size_t>(tailLen));
  uint16_t code = InsertParaAfter(Editor, ParaNo, tailLen, tail.c_str());
  if (code == 0) {
    if (tailLen > 0) {
      int32_t start = Pos - (Trim ? n->BlanksBefore(Pos) : 0);
      DeleteText(Editor, ParaNo, n->Length - start + 1, start);
    }
    if (!indent.empty() &&
        InsertText(Editor, ParaNo + 1, static_cast<int32_t>(indent.size()), indent.c_str(), 1) != 0)
      indent.clear();
    Indent = static_cast<int32_t>(indent.size());
    if (Recording()) undo_->Push(ukPosition, modified_, 0, nullptr, Indent + 1, ParaNo + 1);
  }
  adjust_markers_ = true;
  if (code == 0) Adjust(Editor, {TPosChange::Split, ParaNo, Pos, Indent});
  group.End();
  if (code == 0) {
    first_changed_ = FirstLineOfPara(ParaNo);
    last_changed_ = kMaxLongInt;
    Changed(Editor);
  }
  return code;
}

uint16_t TParaList::JoinPara(TParaListEditor* Editor, int32_t ParaNo, int32_t Pos) {
  if (ParaNo < 1 || ParaNo >= ParaCount()) return 0;
  TParaNode* n = GetParaNode(ParaNo);
  TParaNode* m = n->Next;
  if (Pos <= 1) {
    if (n->Length > 0) Pos = n->Length + 1;  // never lose the paragraph's own text
    else {
      DeletePara(Editor, ParaNo);
      return 0;
    }
  }
  int32_t fill = std::max(0, Pos - 1 - n->Length);
  if (CheckLimits(ParaNo, 0, fill + m->Length) != 0) return kEdErrCannotJoin;
  TUndoGroup group(*undo_);
  adjust_markers_ = false;
  std::string next(m->GetText(), m->Length);
  uint16_t code = 0;
  if (fill > 0 || !next.empty()) {
    if (fill > 0) next.insert(0, static_cast<size_t>(fill), ' ');
    code = InsertText(Editor, ParaNo, static_cast<int32_t>(next.size()), next.c_str(),
                      Pos - fill);
  }
  if (code == 0) {
    DeletePara(Editor, ParaNo + 1);
    if (Recording()) undo_->Push(ukPosition, modified_, 0, nullptr, Pos, ParaNo);
  }
  adjust_markers_ = true;
  if (code == 0) Adjust(Editor, {TPosChange::Joined, ParaNo, Pos, 0});
  group.End();
  if (code == 0) {
    first_changed_ = FirstLineOfPara(ParaNo);
    last_changed_ = kMaxLongInt;
    Changed(Editor);
  }
  return code ? kEdErrCannotJoin : 0;
}

uint16_t TParaList::DeleteBlock(TParaListEditor* Editor, int32_t StartPara, int32_t StartPos,
                                int32_t EndPara, int32_t EndPos) {
  StartPara = std::clamp(StartPara, 1, ParaCount());
  EndPara = std::clamp(EndPara, StartPara, ParaCount());
  if (StartPos == 1 && EndPos == 1) {
    TUndoGroup group(*undo_);
    for (int32_t i = StartPara; i < EndPara; ++i) DeletePara(Editor, StartPara);
  } else if (StartPara == EndPara) {
    if (EndPos > StartPos) DeleteText(Editor, StartPara, EndPos - StartPos, StartPos);
  } else {
    // The final join must succeed before anything is deleted: it is checked as JoinPara
    // will check it, against the text that the deletions leave.
    const int32_t startLen = GetParaLength(StartPara);
    const int32_t head = std::min(StartPos - 1, startLen);
    const int32_t cut = std::min(EndPos - 1, GetParaLength(EndPara));
    const int32_t rest = GetParaLength(EndPara) - cut;
    if (head > 0) {
      int64_t removed = int64_t{startLen} - head + cut;
      for (int32_t i = StartPara + 1; i < EndPara; ++i) removed += GetParaLength(i) + 2;
      if (int64_t{head} + rest > para_length_limit_ ||
          int64_t{byte_count_} - removed + rest > byte_limit_)
        return kEdErrCannotJoin;
    }
    TUndoGroup group(*undo_);
    DeleteText(Editor, StartPara, startLen - StartPos + 1, StartPos);
    DeleteText(Editor, EndPara, cut, 1);
    for (int32_t i = StartPara + 1; i < EndPara; ++i) DeletePara(Editor, StartPara + 1);
    return JoinPara(Editor, StartPara, GetParaLength(StartPara) + 1);
  }
  return 0;
}

uint16_t TParaList::InsertTextBlock(TParaListEditor* Editor, int32_t& ParaNo, const char* Text,
                                    int32_t& Pos) {
  auto len = static_cast<int32_t>(std::strlen(Text));
  bool breaks = std::memchr(Text, '\n', static_cast<size_t>(len)) != nullptr ||
                (len > 0 && Text[len - 1] == '\r');
  if (!breaks) {
    uint16_t code = InsertText(Editor, ParaNo, len, Text, Pos);
    if (code == 0) Pos += len;
    return code;
  }
  // Cut into pieces; check every limit first, so that a refused insertion changes nothing.
  struct Piece {
    int32_t Off, Len;
    bool EndsPara;
  };
  std::vector<Piece> pieces;
  for (int32_t off = 0; off < len;) {
    auto p = static_cast<int32_t>(LengthToLF(Text + off, static_cast<uint32_t>(len - off)));
    // The line break goes: a LF with the one CR before it, or the CR that ends the text.
    // Any other CR is a character of the line, also one just before the line break.
    int32_t l = p;
    const char* piece = Text + off;
    if (piece[l - 1] == '\n') {
      --l;
      if (l > 0 && piece[l - 1] == '\r') --l;
    } else if (off + p == len && piece[l - 1] == '\r') {
      --l;
    }
    pieces.push_back({off, l, l != p});
    off += p;
  }
  TParaNode* n = GetParaNode(ParaNo);
  if (!n) return 0;
  int32_t newParas = 0, bytes = 0;
  for (const Piece& pc : pieces) {
    newParas += pc.EndsPara;
    bytes += pc.Len + (pc.EndsPara ? 2 : 0);
  }
  int32_t fill = std::max(0, Pos - 1 - n->Length);
  if (uint16_t code = CheckLimits(ParaNo, newParas, bytes + fill)) return code;
  {
    // The first piece joins the text before Pos (and the filling blanks); the last one,
    // when it does not end a paragraph, the text from Pos on.
    int32_t head = Pos - 1;
    int32_t tail = std::max(0, n->Length - Pos + 1);
    for (size_t i = 0; i < pieces.size(); ++i) {
      int32_t l = pieces[i].Len + (i == 0 ? head : 0);
      if (i + 1 == pieces.size() && !pieces[i].EndsPara) l += tail;
      if (l > para_length_limit_) return kEdErrParaTooLong;
    }
    if (pieces.back().EndsPara && tail > para_length_limit_) return kEdErrParaTooLong;
  }
  int32_t startLine = FirstLineOfPara(ParaNo);
  TUndoGroup group(*undo_);
  uint16_t code = 0;
  for (const Piece& pc : pieces) {
    if (pc.EndsPara && Pos == 1) {
      code = InsertPara(Editor, ParaNo, pc.Len, Text + pc.Off);
    } else {
      code = InsertText(Editor, ParaNo, pc.Len, Text + pc.Off, Pos);
      if (code == 0 && pc.EndsPara) {
        int32_t indent = 0;
        // Not trimmed: blanks at the end of a pasted line are part of the text.
        code = SplitPara(Editor, ParaNo, false, indent, 0, Pos + pc.Len);
      }
    }
    if (code) break;
    if (pc.EndsPara) {
      ++ParaNo;
      Pos = 1;
    } else {
      Pos += pc.Len;
    }
  }
  group.End();
  first_changed_ = std::max(1, startLine - 1);
  last_changed_ = kMaxLongInt;
  return code;
}

// --- undo and redo ----------------------------------------------------------------------

// Nodes move between the list and the undo records without being copied or freed.
void TParaList::DetachPara(TParaListEditor* Editor, int32_t At) {
  Adjust(Editor, {TPosChange::ParaDeleted, At, 1, 0});
  Unlink(At);
}

void TParaList::AttachPara(TParaListEditor* Editor, TParaNode* N, int32_t At) {
  // The node was wrapped when it left the list; wrap, wrap column or tab size may have
  // changed since.
  Wrap(N);
  Link(N, At);
  Adjust(Editor, {TPosChange::ParaInserted, At, 1, 0});
}

void TParaList::EndReplay(TParaListEditor* Editor, int32_t& ParaNo) {
  in_undo_redo_ = false;
  ParaNo = std::clamp(ParaNo, 1, ParaCount());
  first_changed_ = 1;
  last_changed_ = kMaxLongInt;
  Changed(Editor);
}

bool TParaList::Undo(TParaListEditor* Editor, int32_t& ParaNo, int32_t& Pos) {
  if (!undo_->CanUndo()) return false;
  in_undo_redo_ = true;
  TUndoNode r;
  undo_->PopUndo(r);
  const uint8_t group = r.Group;
  bool mod = modified_;
  for (;;) {
    ParaNo = r.Para;
    Pos = r.Pos;
    switch (r.Kind) {
      case ukPosition: break;
      case ukInsertText: DeleteText(Editor, r.Para, r.DataLen, r.Pos); break;
      case ukDeleteText:
        InsertText(Editor, r.Para, r.DataLen, reinterpret_cast<const char*>(r.Data), r.Pos);
        break;
      case ukReplaceText: {
        std::string oldT = r.OldText(), newT = r.NewText();
        ReplaceText(Editor, r.Para, static_cast<int32_t>(oldT.size()), oldT.c_str(),
                    static_cast<int32_t>(newT.size()), r.Pos);
        break;
      }
      case ukInsertParaBefore:
      case ukInsertParaAfter: {
        int32_t at = r.Kind == ukInsertParaBefore ? r.Para : r.Para + 1;
        assert(GetParaNode(at) == r.Node());
        DetachPara(Editor, at);
        Pos = 1;
        break;
      }
      case ukDeletePara: {
        AttachPara(Editor, r.Node(), r.Para);
        Pos = 1;
        break;
      }
    }
    mod = r.Modified;
    if (!undo_->CanUndo() || undo_->PeekUndoGroup() != group) break;
    undo_->PopUndo(r);
  }
  modified_ = mod;
  EndReplay(Editor, ParaNo);
  return true;
}

bool TParaList::Redo(TParaListEditor* Editor, int32_t& ParaNo, int32_t& Pos) {
  if (!undo_->CanRedo()) return false;
  in_undo_redo_ = true;
  TUndoNode r;
  undo_->PopRedo(r);
  const uint8_t group = r.Group;
  for (;;) {
    ParaNo = r.Para;
    Pos = r.Pos;
    switch (r.Kind) {
      case ukPosition: break;
      case ukInsertText:
        InsertText(Editor, r.Para, r.DataLen, reinterpret_cast<const char*>(r.Data), r.Pos);
        Pos = r.Pos + r.DataLen;
        break;
      case ukDeleteText: DeleteText(Editor, r.Para, r.DataLen, r.Pos); break;
      case ukReplaceText: {
        std::string oldT = r.OldText(), newT = r.NewText();
        ReplaceText(Editor, r.Para, static_cast<int32_t>(newT.size()), newT.c_str(),
                    static_cast<int32_t>(oldT.size()), r.Pos);
        Pos = r.Pos + static_cast<int32_t>(newT.size());
        break;
      }
      case ukInsertParaBefore:
      case ukInsertParaAfter: {
        int32_t at = r.Kind == ukInsertParaBefore ? r.Para : r.Para + 1;
        AttachPara(Editor, r.Node(), at);
        ParaNo = r.Para + 1;
        Pos = 1;
        break;
      }
      case ukDeletePara:
        assert(GetParaNode(r.Para) == r.Node());
        DetachPara(Editor, r.Para);
        Pos = 1;
        break;
    }
    modified_ = true;
    if (!undo_->CanRedo() || undo_->PeekRedoGroup() != group) break;
    undo_->PopRedo(r);
  }
  EndReplay(Editor, ParaNo);
  return true;
}

}  // namespace tess
