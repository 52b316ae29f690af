// The tree of an outline control, without a window: nodes in tree order (parents
// before their children), each with a text, a level, a data pointer and an expanded
// flag.  Indexes are 1-based positions in that order, as the outline's callers count
// them; 0 means "no node" (or, as a parent, the invisible root).
//
// Invariants: the first node has level 1; each node's level is at least 1 and at most
// one more than the level of the node before it.  A node's children are the nodes after
// it with level + 1, up to the next node whose level is not greater than its own.  A
// node is visible when all of its ancestors are expanded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/strings.h"

namespace tess {

class TOutlineTree {
 public:
  struct TNode {
    std::string Text;
    int32_t Level = 1;
    void* Data = nullptr;
    bool Expanded = false;
  };

  int32_t ItemCount() const { return static_cast<int32_t>(nodes_.size()); }
  // Raises EOutlineError "Invalid outline index" for an index out of 1..ItemCount.
  const TNode& Item(int32_t Index) const;
  void SetText(int32_t Index, const std::string& Value);
  void SetData(int32_t Index, void* Value);

  // A new last child of Index (0: a new last top-level node); returns its index.
  int32_t AddChild(int32_t Index, const std::string& Text, void* Data = nullptr);
  // A new sibling after Index and its descendants (0: a new last top-level node).
  int32_t Add(int32_t Index, const std::string& Text, void* Data = nullptr);
  // A new sibling before Index (0 or ItemCount + 1: appended at top level).
  int32_t Insert(int32_t Index, const std::string& Text, void* Data = nullptr);
  // Removes the node and its descendants.
  void Delete(int32_t Index);
  void Clear();
  // Moves the node with its descendants so that it lands at NewIndex of the tree as it
  // is once they are taken out (1 .. ItemCount - subtree + 1); its level is kept where
  // the invariant allows, its descendants stay under it.
  void Move(int32_t Index, int32_t NewIndex);

  // The selected node (0: none).  It follows its node through every change above; when
  // the node goes, its next sibling takes it, else its previous sibling, else its
  // parent, and SelectionMoved says so.
  int32_t Selected() const { return selected_; }
  void SetSelected(int32_t Index);
  // True (once) when the selection went to another node since the last call.
  bool TakeSelectionMoved();

  // 0 for a top-level node.
  int32_t Parent(int32_t Index) const;
  bool HasChildren(int32_t Index) const;
  // The index of the last node of the subtree of Index (Index itself when it has none).
  int32_t LastDescendant(int32_t Index) const;
  // Children of Index in order (0: the top-level nodes).
  std::vector<int32_t> Children(int32_t Index) const;

  bool Expanded(int32_t Index) const { return Item(Index).Expanded; }
  void SetExpanded(int32_t Index, bool Value);
  void FullExpand();
  void FullCollapse();
  bool IsVisible(int32_t Index) const;
  // The visible nodes in display order.
  const std::vector<int32_t>& VisibleItems() const;
  // Position of Index among the visible nodes (0-based), or -1 when hidden.
  int32_t VisiblePosition(int32_t Index) const;

  // Texts of the node and its ancestors, root first, joined by Separator.
  std::string FullPath(int32_t Index, const std::string& Separator) const;
  // The first node with this text (exact) or data; 0 when none.
  int32_t GetTextItem(const std::string& Value) const;
  int32_t GetDataItem(const void* Value) const;

  // One line per node, indented by level - 1 tab characters.
  std::string Line(int32_t Index) const;
  // Inserts a node from a tab-indented line before position Index (1-based; ItemCount +
  // 1 appends).  Its level is the number of leading tabs + 1, kept within what the
  // invariant allows at that place.
  int32_t InsertLine(int32_t Index, const std::string& Line);

  // Told after every change of the tree (not of texts or data alone); between
  // BeginUpdate and the matching EndUpdate, once at the end.
  std::function<void()> OnChange;
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();

 private:
  void CheckIndex(int32_t Index) const;
  int32_t InsertNode(int32_t Position, TNode Node);
  // Level kept within the invariant for a node put at Position.
  int32_t LevelAt(int32_t Position, int32_t Level) const;
  void Changed();
  std::vector<TNode> nodes_;
  mutable std::vector<int32_t> visible_;
  mutable bool visible_valid_ = false;
  int update_count_ = 0;
  bool changed_in_update_ = false;
  int32_t selected_ = 0;
  bool selection_moved_ = false;
};

class EOutlineError : public Exception {
 public:
  using Exception::Exception;
};

// The outline's lines as a string list: line i is node i + 1, indented with tabs.
// Setting the text builds the tree from tab-indented lines.
class TOutlineStrings : public TStrings {
 public:
  explicit TOutlineStrings(TOutlineTree* Tree) : tree_(Tree) {}
  int Count() const override { return tree_->ItemCount(); }
  std::string Get(int Index) const override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  void Put(int Index, const std::string& S) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  // The line's node moves with its descendants; NewIndex counts without them.
  void Move(int CurIndex, int NewIndex) override;
  // Building from text tells the outline once, not once per line.
  void SetUpdateState(bool Updating) override;

 private:
  TOutlineTree* tree_;
};

}  // namespace tess
