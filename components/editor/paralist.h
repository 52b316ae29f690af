// The text of an editor: a doubly linked list of paragraphs (one per line of the file),
// each wrapped into display lines, with the limits, the ten text markers, the undo
// history and the ring of editors that share the text.
//
// Coordinates are 1-based: paragraph/position (position 1..Length+1) and display
// line/column.  With word wrap off, line = paragraph and column = position.
//
// Beside the list, an index makes every lookup independent of the text's size: a vector
// of the nodes in order, and (with word wrap on) a Fenwick tree of the paragraphs'
// display-line counts.  A change that adds or removes paragraphs marks the tree stale
// from that point; the next line lookup rebuilds it.
//
// Invariants: ParaCount >= 1; ByteCount = sum(Length + 2) - 2 (the last paragraph's line
// break is not counted, so a new list and an empty text count 0 and a loaded file counts
// its own size); LineCount = sum of the paragraphs' LineCount; every line table equals a
// full wrap of its paragraph's text.  A node is owned by the list while it is in it, and
// otherwise by the undo records that name it (freed when the last of them goes).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "components/editor/undobuffer.h"

namespace tess {

constexpr int32_t kMaxLongInt = 2147483647;

// Error codes of text changes (0 = success).
enum : uint16_t {
  kEdErrNoMemory = 263,
  kEdErrRegionTooLarge = 264,
  kEdErrTooManyParas = 265,
  kEdErrCannotJoin = 266,
  kEdErrTextTooLarge = 267,
  kEdErrParaTooLong = 268,
};

class TParaArena;

// (Fields ordered for packing: a loaded file holds one node per line.)
struct TParaNode {
  uint16_t* LineStarts = nullptr;
  TParaNode* Next = nullptr;
  TParaNode* Prev = nullptr;
  char* Text = nullptr;
  int32_t LineCount = 1;
  uint16_t BufferSize = 0;
  uint16_t LineCapacity = 1;
  uint16_t Length = 0;
  // Bookkeeping beyond the list's own fields.
  uint16_t InlineStart = 0;   // the line table of an unwrapped paragraph
  uint16_t UndoRefs = 0;      // undo records that name this node
  bool InList = false;
  bool HeapText = false;      // Text is our own allocation (else the load arena's)
  bool Continues = false;     // goes on with the previous paragraph's file line (cleared
                              // for good once either leaves or another comes between)

  const char* GetText() const { return Text ? Text : ""; }
  // Start and length of display line LineNo (1-based); empty outside 1..LineCount.
  const char* GetLine(int32_t LineNo, int32_t& Len) const;
  // The line holding 0-based character Offset, and Col = Offset - that line's start.
  int32_t LineOfOffset(int32_t Offset, int32_t& Col) const;
  uint16_t LineStart(int32_t LineNo) const { return LineStarts[LineNo - 1]; }
  // Blanks and tabs directly before 1-based Pos.
  int32_t BlanksBefore(int32_t Pos) const;
};

// How a change moves positions (markers, carets, selections, marked paragraphs).
struct TPosChange {
  enum Kind { Inserted, Deleted, Split, ParaInserted, ParaDeleted, Joined } What;
  int32_t Para;
  int32_t Pos;
  int32_t Count;  // characters (Inserted/Deleted), indentation (Split)
};

// Applies C to a position.  Returns false when the position lies in deleted text or on
// a deleted paragraph; then ClampedPara/Pos hold where an editor position goes.
bool AdjustPosition(const TPosChange& C, int32_t& Para, int32_t& Pos);

// What the list needs of the editors that share it.
class TParaListEditor {
 public:
  virtual ~TParaListEditor() = default;
  virtual TParaListEditor* NextEditor() = 0;
  // Ends with the editor: what an editor does when told of a change may free editors
  // (their handlers run), and the list tells the others on regardless.
  const TLifeMark& LifeMark() const { return life_; }
  // A change is about to be applied to the positions (Editor made it).
  virtual void AdjustPositions(const TPosChange& C, TParaListEditor* Editor) = 0;
  // The text changed; display lines must be recomputed from paragraph positions.
  virtual void TextChanged(TParaListEditor* Editor) = 0;
  // All paragraphs were wrapped again.
  virtual void TextRewrapped() = 0;

 private:
  TLifeMark life_;
};

class TParaList {
 public:
  TParaList(TParaListEditor* Owner, bool WordWrap, uint16_t UndoBufferSize);
  ~TParaList();
  TParaList(const TParaList&) = delete;
  TParaList& operator=(const TParaList&) = delete;

  TParaListEditor* Owner() const { return owner_; }
  void SetOwner(TParaListEditor* E) { owner_ = E; }

  // --- reading ---------------------------------------------------------------------
  TParaNode* Head() const { return head_; }
  TParaNode* Tail() const { return tail_; }
  TParaNode* GetParaNode(int32_t ParaNo);
  TParaNode* GetLineText(int32_t LineNo, const char*& Text, int32_t& Len);
  int32_t GetParaLength(int32_t ParaNo);
  // Line of paragraph ParaNo (clamped), position Pos; Col is the column in that line.
  int32_t LineOfParaPos(int32_t ParaNo, int32_t Pos, int32_t& Col);
  // Paragraph of line LineNo and the 0-based offset of the line's first character.
  int32_t ParaPosOfLine(int32_t LineNo, int32_t& Offset);
  // Display line of the first line of paragraph ParaNo.
  int32_t FirstLineOfPara(int32_t ParaNo);
  uint16_t CheckLimits(int32_t ParaNo, int32_t NewParas, int32_t AddBytes);

  int32_t ParaCount() const { return static_cast<int32_t>(index_.size()); }
  int32_t ByteCount() const { return byte_count_; }
  int32_t LineCount() const { return line_count_; }
  int32_t ParaLimit() const { return para_limit_; }
  int32_t ByteLimit() const { return byte_limit_; }
  int32_t ParaLengthLimit() const { return para_length_limit_; }
  void SetParaLimit(int32_t V) { para_limit_ = V; }
  void SetByteLimit(int32_t V) { byte_limit_ = V; }
  void SetParaLengthLimit(int32_t V) { para_length_limit_ = V; }
  bool WordWrap() const { return word_wrap_; }
  int32_t WrapColumn() const { return wrap_column_; }
  uint8_t TabSize() const { return tab_size_; }
  void SetWordWrap(bool V);
  void SetWrapColumn(int32_t V);
  void SetTabSize(uint8_t V);
  int32_t EffectiveWrapColumn() const { return word_wrap_ ? wrap_column_ : 32767; }
  bool Modified() const { return modified_; }
  void SetModified(bool V) { modified_ = V; }
  bool AdjustMarkers() const { return adjust_markers_; }
  TUndoBuffer& UndoBuffer() { return *undo_; }
  uint16_t UndoBufferSize() const { return undo_->Size(); }
  void SetUndoBufferSize(uint16_t Size);
  bool InUndoRedo() const { return in_undo_redo_; }
  int32_t FirstChangedLine() const { return first_changed_; }
  int32_t LastChangedLine() const { return last_changed_; }

  // --- markers ------------------------------------------------------------------------
  void SetMarker(int32_t Index, int32_t ParaNo, int32_t Pos);
  void SetMarkerAtLine(int32_t Index, int32_t LineNo, int32_t Col);
  // False when Index >= 10 or the marker is not set.
  bool GetMarker(int32_t Index, int32_t& ParaNo, int32_t& Pos) const;

  // --- changes (each returns 0 or an error code and changes nothing on failure) ------
  uint16_t AppendPara(const char* Text, int32_t Len, bool Trim);
  uint16_t InsertText(TParaListEditor* Editor, int32_t ParaNo, int32_t Len, const char* Text,
                      int32_t Pos);
  void DeleteText(TParaListEditor* Editor, int32_t ParaNo, int32_t Count, int32_t Pos);
  uint16_t ReplaceText(TParaListEditor* Editor, int32_t ParaNo, int32_t NewLen,
                       const char* NewText, int32_t OldLen, int32_t Pos);
  uint16_t InsertPara(TParaListEditor* Editor, int32_t ParaNo, int32_t Len, const char* Text);
  uint16_t InsertParaAfter(TParaListEditor* Editor, int32_t ParaNo, int32_t Len,
                           const char* Text);
  void DeletePara(TParaListEditor* Editor, int32_t ParaNo);
  uint16_t SplitPara(TParaListEditor* Editor, int32_t ParaNo, bool Trim, int32_t& Indent,
                     int32_t TabWidth, int32_t Pos);
  uint16_t JoinPara(TParaListEditor* Editor, int32_t ParaNo, int32_t Pos);
  uint16_t DeleteBlock(TParaListEditor* Editor, int32_t StartPara, int32_t StartPos,
                       int32_t EndPara, int32_t EndPos);
  uint16_t InsertTextBlock(TParaListEditor* Editor, int32_t& ParaNo, const char* Text,
                           int32_t& Pos);
  // Replay one group; ParaNo/Pos is where the caret belongs.  False when nothing to do.
  bool Undo(TParaListEditor* Editor, int32_t& ParaNo, int32_t& Pos);
  bool Redo(TParaListEditor* Editor, int32_t& ParaNo, int32_t& Pos);

  // --- bookkeeping for the undo buffer and tests --------------------------------------
  void ReleaseUndoRef(TParaNode* N);
  int32_t LiveNodes() const { return live_nodes_; }
  // Gives back the index's spare room (after loading).
  void Compact() { index_.shrink_to_fit(); }

 private:
  TParaNode* NewNode(const char* Text, int32_t Len, bool FromArena);
  void FreeNode(TParaNode* N);
  void Link(TParaNode* N, int32_t At);  // N becomes paragraph At (1..ParaCount+1)
  void Unlink(int32_t ParaNo);          // takes paragraph ParaNo out of the list
  void DetachPara(TParaListEditor* Editor, int32_t At);
  void AttachPara(TParaListEditor* Editor, TParaNode* N, int32_t At);
  void EndReplay(TParaListEditor* Editor, int32_t& ParaNo);
  void Wrap(TParaNode* N);
  // Rewrap after a change at 0-based Offset that inserted Ins and deleted Del characters;
  // returns whether the line count changed and the first/last changed lines in the para.
  void Rewrap(TParaNode* N, int32_t Offset, int32_t Ins, int32_t Del, int32_t& First,
              int32_t& Last);
  bool EnsureBuffer(TParaNode* N, int32_t Need);
  bool GrowLines(TParaNode* N, int32_t Want);
  void NoteChange(int32_t ParaNo, TParaNode* N, int32_t OldLines, int32_t First, int32_t Last);
  void LineCountChanged(int32_t ParaNo, int32_t Delta);
  void Adjust(TParaListEditor* Editor, const TPosChange& C);
  void Changed(TParaListEditor* Editor);
  // Tells every editor of the text, in ring order, with Tell.  An editor freed on the way
  // (by a handler it ran) is told nothing more, the others are told all the same; when
  // the list went, or Editor, the one whose change it is, the work of that change then
  // ends (EFreedByHandler).
  void TellEditors(TParaListEditor* Editor, void (*Tell)(TParaListEditor* E, TParaListEditor* By));
  bool Recording() const { return !in_undo_redo_ && undo_ && undo_->Size() > 0; }
  void RewrapAll();
  // Primitive edits without limit checks, undo or marker adjustment.
  uint16_t RawInsert(int32_t ParaNo, const char* Text, int32_t Len, int32_t Pos);
  void RawDelete(int32_t ParaNo, int32_t Count, int32_t Pos);
  uint16_t RawReplace(int32_t ParaNo, const char* Text, int32_t NewLen, int32_t OldLen, int32_t Pos);
  void RawLinkNode(TParaNode* N, int32_t At);
  void SetCache(int32_t ParaNo);
  // Fenwick tree of line counts (word wrap only).
  void FenwickRebuild();
  void FenwickAdd(int32_t Index0, int32_t Delta);
  int32_t LinesBefore(int32_t ParaNo);  // display lines of paragraphs 1..ParaNo-1
  int32_t ParaOfLine(int32_t LineNo, int32_t& LineInPara);

  TParaListEditor* owner_;
  TParaNode* head_ = nullptr;
  TParaNode* tail_ = nullptr;
  // The position cache (kept for sequential callers; lookups use the index).
  TParaNode* cur_node_ = nullptr;
  int32_t cur_para_ = 1, cur_line_ = 1, cur_line_in_para_ = 1;
  int32_t byte_count_ = 0;
  int32_t line_count_ = 1;
  int32_t para_limit_ = kMaxLongInt;
  int32_t byte_limit_ = kMaxLongInt;
  int32_t para_length_limit_ = 32767;
  bool word_wrap_;
  int32_t wrap_column_ = 80;
  uint8_t tab_size_ = 8;
  bool modified_ = false;
  bool adjust_markers_ = true;
  std::array<int32_t, 10> marker_para_{};
  std::array<int32_t, 10> marker_pos_{};
  std::unique_ptr<TUndoBuffer> undo_;
  bool in_undo_redo_ = false;
  int32_t first_changed_ = 1, last_changed_ = 1;

  std::vector<TParaNode*> index_;
  std::vector<int32_t> fenwick_;
  bool fenwick_valid_ = false;
  std::unique_ptr<TParaArena> arena_;
  int32_t live_nodes_ = 0;
  TLifeMark life_;
};

}  // namespace tess
