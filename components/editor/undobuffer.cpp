// See undobuffer.h.
#include "components/editor/undobuffer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "components/editor/paralist.h"

namespace tess {

namespace {
template <typename T>
T Get(const uint8_t* P) {
  T v;
  std::memcpy(&v, P, sizeof v);
  return v;
}
template <typename T>
void Put(uint8_t* P, T V) {
  std::memcpy(P, &V, sizeof V);
}
bool HoldsNode(uint8_t Kind) {
  return Kind == ukInsertParaBefore || Kind == ukInsertParaAfter || Kind == ukDeletePara;
}
}  // namespace

TParaNode* TUndoNode::Node() const {
  TParaNode* n = nullptr;
  if (DataLen == sizeof n) std::memcpy(&n, Data, sizeof n);
  return n;
}

const char* TUndoNode::NewText() const { return OldText() + std::strlen(OldText()) + 1; }

TUndoBuffer::TUndoBuffer(TParaList* Owner, uint16_t Size) : owner_(Owner) {
  // Memory that cannot be had shrinks the history rather than failing the editor.
  while (Size > 0) {
    buf_.reset(static_cast<uint8_t*>(std::calloc(Size, 1)));
    if (buf_) break;
    Size = Size > kHeader ? static_cast<uint16_t>(Size - Size / 2) : 0;
  }
  size_ = buf_ ? Size : 0;
}

TUndoBuffer::~TUndoBuffer() { Clear(); }

uint16_t TUndoBuffer::RecSize(uint32_t Off) const {
  return static_cast<uint16_t>(kHeader + Get<uint16_t>(buf_.get() + Off + 12));
}

void TUndoBuffer::Read(uint32_t Off, TUndoNode& N) const {
  const uint8_t* p = buf_.get() + Off;
  N.Kind = p[2] & 0x7F;
  N.Modified = (p[2] & 0x80) != 0;
  N.Group = p[3];
  N.Para = Get<int32_t>(p + 4);
  N.Pos = Get<int32_t>(p + 8);
  N.DataLen = Get<uint16_t>(p + 12);
  N.Data = p + kHeader;
}

void TUndoBuffer::ReleaseRecord(uint32_t Off) {
  TUndoNode n;
  Read(Off, n);
  if (HoldsNode(n.Kind)) owner_->ReleaseUndoRef(n.Node());
}

void TUndoBuffer::DropRedo() {
  for (uint32_t off = undo_end_; off < used_; off += RecSize(off)) ReleaseRecord(off);
  used_ = undo_end_;
  redo_count_ = 0;
}

void TUndoBuffer::Clear() {
  if (buf_)
    for (uint32_t off = 0; off < used_; off += RecSize(off)) ReleaseRecord(off);
  used_ = top_ = undo_end_ = 0;
  undo_count_ = redo_count_ = 0;
  group_ = 0;
}

void TUndoBuffer::NextGroupNumber() {
  ++group_;
  if (undo_count_ > 0 && RecGroup(top_) == group_) ++group_;
}

bool TUndoBuffer::BeginGroup() {
  bool saved = in_group_;
  if (!in_group_) {
    in_group_ = true;
    NextGroupNumber();
  }
  return saved;
}

void TUndoBuffer::EndGroup(bool SavedInGroup) {
  in_group_ = SavedInGroup;
  if (!in_group_) group_broken_ = false;
}

bool TUndoBuffer::MakeRoom(uint32_t N) {
  if (group_broken_) {
    ++losses_;
    return false;
  }
  if (N > size_) {
    ++losses_;
    Clear();
    group_broken_ = in_group_;
    return false;
  }
  if (Free() >= N) return true;
  uint32_t want = std::max<uint32_t>(size_ / 16, N);
  uint32_t off = 0;
  uint16_t dropped = 0;
  while (off < used_ && size_ - (used_ - off) < want) {
    uint8_t g = RecGroup(off);
    while (off < used_ && RecGroup(off) == g) {
      ReleaseRecord(off);
      off += RecSize(off);
      ++dropped;
    }
  }
  if (off > 0) ++losses_;
  if (off >= used_) {
    used_ = 0;  // the records were released above
    Clear();
    if (in_group_) {
      group_broken_ = true;
      return false;
    }
    return true;
  }
  std::memmove(buf_.get(), buf_.get() + off, used_ - off);
  used_ -= off;
  Put<uint16_t>(buf_.get(), 0);
  undo_count_ = static_cast<uint16_t>(undo_count_ - dropped);
  redo_count_ = 0;
  undo_end_ = used_;
  top_ = 0;
  for (uint32_t o = 0; o < used_; o += RecSize(o)) top_ = o;
  return true;
}

uint8_t* TUndoBuffer::Append(uint8_t Kind, bool Modified, int32_t Para, int32_t Pos,
                             uint16_t DataLen) {
  uint32_t off = used_;
  uint8_t* p = buf_.get() + off;
  Put<uint16_t>(p, undo_count_ > 0 ? RecSize(top_) : 0);
  p[2] = static_cast<uint8_t>((Kind & 0x7F) | (Modified ? 0x80 : 0));
  p[3] = group_;
  Put<int32_t>(p + 4, Para);
  Put<int32_t>(p + 8, Pos);
  Put<uint16_t>(p + 12, DataLen);
  top_ = off;
  used_ += kHeader + DataLen;
  undo_end_ = used_;
  ++undo_count_;
  return p + kHeader;
}

// Adds a change to the newest record when it continues it (typing, repeated Delete or
// Backspace, overwrite typing).  Data2/NewLen2 are the new text of a replacement.
bool TUndoBuffer::TryMerge(bool Modified, uint8_t Kind, uint16_t Len, const uint8_t* Data,
                           int32_t Pos, int32_t Para, uint16_t NewLen2, const uint8_t* Data2) {
  // A change of the unmodified (saved) text starts a record of its own, so that undo
  // can come back to the saved state.
  if (!Modified || in_group_ || undo_count_ == 0 || group_broken_) return false;
  TUndoNode top;
  Read(top_, top);
  if (top.Kind != Kind || top.Para != Para) return false;
  uint32_t add = Kind == ukReplaceText ? uint32_t{Len} + NewLen2 : Len;
  int mode = 0;  // 1 append, 2 prepend, 3 replace
  if (Kind == ukInsertText && Pos == top.Pos + top.DataLen) mode = 1;
  else if (Kind == ukDeleteText && Pos == top.Pos) mode = 1;
  else if (Kind == ukDeleteText && Pos + Len == top.Pos) mode = 2;
  // (Overwrite typing: old and new texts have the same length.  Measured on the new
  // text, so that a replacement of another length never merges wrongly.)
  else if (Kind == ukReplaceText &&
           Pos == top.Pos + static_cast<int32_t>(std::strlen(top.NewText())))
    mode = 3;
  if (mode == 0 || top.DataLen + add > 0xFFFF - kHeader) return false;
  DropRedo();
  if (Free() < add) return false;
  uint8_t* rec = buf_.get() + top_;
  uint8_t* data = rec + kHeader;
  if (mode == 1) {
    std::memcpy(data + top.DataLen, Data, Len);
  } else if (mode == 2) {
    std::memmove(data + Len, data, top.DataLen);
    std::memcpy(data, Data, Len);
    Put<int32_t>(rec + 8, Pos);
  } else {
    size_t oldLen = std::strlen(reinterpret_cast<char*>(data));
    size_t newLen = top.DataLen - oldLen - 2;
    // old text, NUL, new text, NUL  ->  old+added old, NUL, new+added new, NUL
    std::memmove(data + oldLen + Len + 1, data + oldLen + 1, newLen + 1);
    std::memcpy(data + oldLen, Data, Len);
    data[oldLen + Len] = 0;
    std::memcpy(data + oldLen + Len + 1 + newLen, Data2, NewLen2);
    data[oldLen + Len + 1 + newLen + NewLen2] = 0;
  }
  Put<uint16_t>(rec + 12, static_cast<uint16_t>(top.DataLen + add));
  used_ += add;
  undo_end_ = used_;
  return true;
}

void TUndoBuffer::Push(uint8_t Kind, bool Modified, uint16_t Len, const void* Data,
                       int32_t Pos, int32_t Para) {
  if (size_ == 0) {
    ++losses_;
    return;
  }
  auto bytes = static_cast<const uint8_t*>(Data);
  if ((Kind == ukInsertText || Kind == ukDeleteText) &&
      TryMerge(Modified, Kind, Len, bytes, Pos, Para, 0, nullptr))
    return;
  DropRedo();
  if (!in_group_) NextGroupNumber();
  if (!MakeRoom(uint32_t{Len} + kHeader)) return;
  uint8_t* d = Append(Kind, Modified, Para, Pos, Len);
  if (Len) std::memcpy(d, bytes, Len);
  if (HoldsNode(Kind)) {
    TUndoNode n;
    Read(top_, n);
    ++n.Node()->UndoRefs;
  }
}

void TUndoBuffer::PushReplace(bool Modified, int32_t Para, uint16_t NewLen, const char* NewText,
                              uint16_t OldLen, const char* OldText, int32_t Pos) {
  if (size_ == 0) {
    ++losses_;
    return;
  }
  if (TryMerge(Modified, ukReplaceText, OldLen, reinterpret_cast<const uint8_t*>(OldText), Pos, Para,
               NewLen, reinterpret_cast<const uint8_t*>(NewText)))
    return;
  DropRedo();
  if (!in_group_) NextGroupNumber();
  uint32_t len = uint32_t{OldLen} + NewLen + 2;
  if (len > 0xFFFF - kHeader) {  // cannot be recorded: the history no longer fits the text
    ++losses_;
    Clear();
    group_broken_ = in_group_;
    return;
  }
  if (!MakeRoom(len + kHeader)) return;
  auto d = reinterpret_cast<char*>(Append(ukReplaceText, Modified, Para, Pos,
                                          static_cast<uint16_t>(len)));
  std::memcpy(d, OldText, OldLen);
  d[OldLen] = 0;
  std::memcpy(d + OldLen + 1, NewText, NewLen);
  d[OldLen + 1 + NewLen] = 0;
}

bool TUndoBuffer::PopUndo(TUndoNode& N) {
  if (undo_count_ == 0) return false;
  Read(top_, N);
  undo_end_ = top_;
  --undo_count_;
  ++redo_count_;
  uint16_t back = Get<uint16_t>(buf_.get() + top_);
  top_ = undo_count_ > 0 ? top_ - back : 0;
  return true;
}

bool TUndoBuffer::PopRedo(TUndoNode& N) {
  if (redo_count_ == 0) return false;
  uint8_t* p = buf_.get() + undo_end_;
  p[2] = static_cast<uint8_t>((p[2] & 0x7F) | (owner_->Modified() ? 0x80 : 0));
  Read(undo_end_, N);
  top_ = undo_end_;
  undo_end_ += RecSize(undo_end_);
  ++undo_count_;
  --redo_count_;
  return true;
}

uint8_t TUndoBuffer::PeekUndoGroup() const {
  if (undo_count_ > 0) return RecGroup(top_);
  return static_cast<uint8_t>(~group_);
}

uint8_t TUndoBuffer::PeekRedoGroup() const {
  if (redo_count_ > 0) return RecGroup(undo_end_);
  return static_cast<uint8_t>(undo_count_ > 0 ? ~RecGroup(top_) : ~group_);
}

void TUndoBuffer::MarkAllModified() {
  for (uint32_t off = 0; off < used_; off += RecSize(off)) buf_[off + 2] |= 0x80;
}

}  // namespace tess
