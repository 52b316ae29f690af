// The undo history of one paragraph list: packed records in one fixed-size byte buffer,
// replayed in groups.
//
// Record layout (records follow each other without gaps, oldest first):
//   0  uint16  size of the previous record (its data length + 14), 0 for the first
//   2  uint8   bits 0-6 kind (TUndoKind), bit 7 the text's Modified flag before the change
//   3  uint8   group number
//   4  int32   paragraph number
//   8  int32   position in the paragraph
//  12  uint16  data length
//  14  data    kinds 1/4: the characters; 2/3/5: a paragraph-node pointer;
//              6: old text, NUL, new text, NUL; 0: nothing
// Undo records lie before the redo records; adjacent groups never share a number (a new
// group skips the number of the newest undo record), so replaying by group number never
// runs into an older group even after the 8-bit number wraps.
//
// Paragraph nodes named by records: every stored reference counts on the node
// (TParaNode::UndoRefs); when a record is discarded its reference is released, and the
// list frees the node once no record names it and it is not in the list.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "framework/core/lifetime.h"

namespace tess {

class TParaList;
struct TParaNode;

enum TUndoKind : uint8_t {
  ukPosition = 0,
  ukInsertText = 1,
  ukInsertParaBefore = 2,
  ukInsertParaAfter = 3,
  ukDeleteText = 4,
  ukDeletePara = 5,
  ukReplaceText = 6,
};

// One record as handed out by PopUndo/PopRedo; Data points into the buffer and stays
// valid until the next Push.
struct TUndoNode {
  uint8_t Kind = 0;
  bool Modified = false;
  uint8_t Group = 0;
  int32_t Para = 0;
  int32_t Pos = 0;
  uint16_t DataLen = 0;
  const uint8_t* Data = nullptr;

  TParaNode* Node() const;
  // Kind 6: the two texts.
  const char* OldText() const { return reinterpret_cast<const char*>(Data); }
  const char* NewText() const;
};

class TUndoBuffer {
 public:
  static constexpr uint16_t kHeader = 14;

  TUndoBuffer(TParaList* Owner, uint16_t Size);
  ~TUndoBuffer();
  TUndoBuffer(const TUndoBuffer&) = delete;
  TUndoBuffer& operator=(const TUndoBuffer&) = delete;

  void Push(uint8_t Kind, bool Modified, uint16_t Len, const void* Data, int32_t Pos,
            int32_t Para);
  void PushReplace(bool Modified, int32_t Para, uint16_t NewLen, const char* NewText,
                   uint16_t OldLen, const char* OldText, int32_t Pos);
  // Returns the former InGroup; opens a group when none is open.
  bool BeginGroup();
  void EndGroup(bool SavedInGroup);
  bool PopUndo(TUndoNode& N);
  bool PopRedo(TUndoNode& N);
  uint8_t PeekUndoGroup() const;
  uint8_t PeekRedoGroup() const;
  void Clear();
  void MarkAllModified();

  bool CanUndo() const { return undo_count_ > 0; }
  bool CanRedo() const { return redo_count_ > 0; }
  uint16_t UndoCount() const { return undo_count_; }
  uint16_t RedoCount() const { return redo_count_; }
  uint16_t Size() const { return size_; }
  uint16_t Free() const { return static_cast<uint16_t>(size_ - used_); }
  uint8_t GroupNumber() const { return group_; }
  // How often history was given up: records discarded to make room, or a change that
  // could not be recorded.  While it stays 0, undoing everything gives back the text as
  // it was when the buffer was made or last cleared.
  uint32_t Losses() const { return losses_; }
  bool InGroup() const { return in_group_; }
  bool GroupBroken() const { return group_broken_; }
  // The raw bytes (Size() of them), for inspection.
  const uint8_t* Buffer() const { return buf_.get(); }
  const TLifeMark& LifeMark() const { return life_; }

 private:
  struct FreeDeleter {
    void operator()(uint8_t* P) const { std::free(P); }
  };

  uint16_t RecSize(uint32_t Off) const;
  uint8_t RecGroup(uint32_t Off) const { return buf_[Off + 3]; }
  void Read(uint32_t Off, TUndoNode& N) const;
  void ReleaseRecord(uint32_t Off);
  void DropRedo();
  void NextGroupNumber();
  bool MakeRoom(uint32_t N);
  uint8_t* Append(uint8_t Kind, bool Modified, int32_t Para, int32_t Pos, uint16_t DataLen);
  bool TryMerge(bool Modified, uint8_t Kind, uint16_t Len, const uint8_t* Data, int32_t Pos, int32_t Para,
                uint16_t NewLen2, const uint8_t* Data2);

  TParaList* owner_;
  std::unique_ptr<uint8_t[], FreeDeleter> buf_;
  uint16_t size_ = 0;
  uint32_t used_ = 0;      // bytes of undo and redo records
  uint32_t top_ = 0;       // offset of the newest undo record
  uint32_t undo_end_ = 0;  // offset of the first redo record
  uint16_t undo_count_ = 0;
  uint16_t redo_count_ = 0;
  uint8_t group_ = 0;
  bool in_group_ = false;
  bool group_broken_ = false;
  uint32_t losses_ = 0;
  TLifeMark life_;
};

// Keeps a group of records open for its lifetime (or joins the one already open) and
// closes it on every way out, an exception included: a group left open would take every
// later change into the same undo step.
class TUndoGroup {
 public:
  explicit TUndoGroup(TUndoBuffer& U) : u_(&U), saved_(U.BeginGroup()), buffer_(U.LifeMark()) {}
  ~TUndoGroup() { End(); }
  TUndoGroup(const TUndoGroup&) = delete;
  TUndoGroup& operator=(const TUndoGroup&) = delete;
  // Closes the group before the end of the scope; nothing when the buffer went (with the
  // text and its editors, freed by a handler meanwhile).
  void End() {
    if (u_ && buffer_.Alive()) u_->EndGroup(saved_);
    u_ = nullptr;
  }

 private:
  TUndoBuffer* u_;
  bool saved_;
  TLifeWatch buffer_;
};

}  // namespace tess
