// The outline's tree (see outlinemodel.h).
#include "framework/core/outlinemodel.h"

#include <algorithm>
#include <cassert>

namespace tess {

void TOutlineTree::CheckIndex(int32_t Index) const {
  if (Index < 1 || Index > ItemCount()) throw EOutlineError("Invalid outline index");
}

const TOutlineTree::TNode& TOutlineTree::Item(int32_t Index) const {
  CheckIndex(Index);
  return nodes_[static_cast<size_t>(Index - 1)];
}

void TOutlineTree::SetText(int32_t Index, const std::string& Value) {
  CheckIndex(Index);
  nodes_[static_cast<size_t>(Index - 1)].Text = Value;
}

void TOutlineTree::SetData(int32_t Index, void* Value) {
  CheckIndex(Index);
  nodes_[static_cast<size_t>(Index - 1)].Data = Value;
}

void TOutlineTree::Changed() {
  visible_valid_ = false;
  if (update_count_ > 0) {
    changed_in_update_ = true;
    return;
  }
  if (OnChange) OnChange();
}

void TOutlineTree::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && changed_in_update_) {
    changed_in_update_ = false;
    if (OnChange) OnChange();
  }
}

int32_t TOutlineTree::LevelAt(int32_t Position, int32_t Level) const {
  // At most one deeper than the node before; the node after it must not end up more
  // than one level deeper than the new one.
  int32_t before = Position >= 2 ? nodes_[static_cast<size_t>(Position - 2)].Level : 0;
  int32_t after = Position <= ItemCount() ? nodes_[static_cast<size_t>(Position - 1)].Level : 1;
  return std::clamp(Level, std::max(1, after - 1), before + 1);
}

int32_t TOutlineTree::InsertNode(int32_t Position, TNode Node) {
  // Position is 1-based; the level is kept within the invariant at that place.
  Node.Level = LevelAt(Position, Node.Level);
  nodes_.insert(nodes_.begin() + (Position - 1), std::move(Node));
  if (selected_ >= Position) ++selected_;
  assert(Position >= ItemCount() ||
         nodes_[static_cast<size_t>(Position)].Level <=
             nodes_[static_cast<size_t>(Position - 1)].Level + 1);
  Changed();
  return Position;
}

int32_t TOutlineTree::LastDescendant(int32_t Index) const {
  CheckIndex(Index);
  int32_t level = nodes_[static_cast<size_t>(Index - 1)].Level;
  int32_t i = Index;
  while (i < ItemCount() && nodes_[static_cast<size_t>(i)].Level > level) ++i;
  return i;
}

int32_t TOutlineTree::AddChild(int32_t Index, const std::string& Text, void* Data) {
  if (Index == 0) return InsertNode(ItemCount() + 1, TNode{Text, 1, Data, false});
  int32_t level = Item(Index).Level;
  return InsertNode(LastDescendant(Index) + 1, TNode{Text, level + 1, Data, false});
}

int32_t TOutlineTree::Add(int32_t Index, const std::string& Text, void* Data) {
  if (Index == 0) return InsertNode(ItemCount() + 1, TNode{Text, 1, Data, false});
  int32_t level = Item(Index).Level;
  return InsertNode(LastDescendant(Index) + 1, TNode{Text, level, Data, false});
}

int32_t TOutlineTree::Insert(int32_t Index, const std::string& Text, void* Data) {
  if (Index == 0 || Index == ItemCount() + 1)
    return InsertNode(ItemCount() + 1, TNode{Text, 1, Data, false});
  int32_t level = Item(Index).Level;
  return InsertNode(Index, TNode{Text, level, Data, false});
}

void TOutlineTree::Delete(int32_t Index) {
  int32_t last = LastDescendant(Index);
  int32_t gone = last - Index + 1;
  if (selected_ >= Index && selected_ <= last) {
    // The next sibling, else the previous one, else the parent.
    int32_t level = nodes_[static_cast<size_t>(Index - 1)].Level;
    int32_t parent = Parent(Index);
    int32_t previous = 0;
    for (int32_t i = Index - 1; i > parent; --i)
      if (nodes_[static_cast<size_t>(i - 1)].Level == level) {
        previous = i;
        break;
      }
    bool next = last < ItemCount() && nodes_[static_cast<size_t>(last)].Level == level;
    selected_ = next ? Index : previous ? previous : parent;
    selection_moved_ = true;
  } else if (selected_ > last) {
    selected_ -= gone;
  }
  nodes_.erase(nodes_.begin() + (Index - 1), nodes_.begin() + last);
  Changed();
}

void TOutlineTree::Clear() {
  if (selected_ != 0) selection_moved_ = true;
  selected_ = 0;
  nodes_.clear();
  Changed();
}

void TOutlineTree::Move(int32_t Index, int32_t NewIndex) {
  int32_t last = LastDescendant(Index);
  int32_t size = last - Index + 1;
  if (NewIndex < 1 || NewIndex > ItemCount() - size + 1)
    throw EOutlineError("Invalid outline index");
  if (NewIndex == Index) return;
  std::vector<TNode> subtree(std::make_move_iterator(nodes_.begin() + (Index - 1)),
                             std::make_move_iterator(nodes_.begin() + last));
  nodes_.erase(nodes_.begin() + (Index - 1), nodes_.begin() + last);
  // The same bounds a single new node gets there; the last descendant is at least as
  // deep as the root, so the node after the subtree stays within one level of it.
  int32_t shift = LevelAt(NewIndex, subtree[0].Level) - subtree[0].Level;
  for (TNode& n : subtree) n.Level += shift;
  nodes_.insert(nodes_.begin() + (NewIndex - 1), std::make_move_iterator(subtree.begin()),
                std::make_move_iterator(subtree.end()));
  // The selection moves with its node: inside the subtree, or past the gap it left.
  if (selected_ >= Index && selected_ <= last) {
    selected_ += NewIndex - Index;
  } else if (selected_ > 0) {
    int32_t rest = selected_ > last ? selected_ - size : selected_;  // without the subtree
    selected_ = rest >= NewIndex ? rest + size : rest;
  }
  Changed();
}

void TOutlineTree::SetSelected(int32_t Index) {
  if (Index != 0) CheckIndex(Index);
  selected_ = Index;
  selection_moved_ = false;
}

bool TOutlineTree::TakeSelectionMoved() {
  bool moved = selection_moved_;
  selection_moved_ = false;
  return moved;
}

int32_t TOutlineTree::Parent(int32_t Index) const {
  int32_t level = Item(Index).Level;
  for (int32_t i = Index - 1; i >= 1; --i)
    if (nodes_[static_cast<size_t>(i - 1)].Level < level) return i;
  return 0;
}

bool TOutlineTree::HasChildren(int32_t Index) const {
  return LastDescendant(Index) > Index;
}

std::vector<int32_t> TOutlineTree::Children(int32_t Index) const {
  std::vector<int32_t> out;
  int32_t level = Index == 0 ? 0 : Item(Index).Level;
  int32_t end = Index == 0 ? ItemCount() : LastDescendant(Index);
  for (int32_t i = Index + 1; i <= end; ++i)
    if (nodes_[static_cast<size_t>(i - 1)].Level == level + 1) out.push_back(i);
  return out;
}

void TOutlineTree::SetExpanded(int32_t Index, bool Value) {
  CheckIndex(Index);
  TNode& n = nodes_[static_cast<size_t>(Index - 1)];
  if (n.Expanded == Value) return;
  n.Expanded = Value;
  Changed();
}

void TOutlineTree::FullExpand() {
  for (TNode& n : nodes_) n.Expanded = true;
  Changed();
}

void TOutlineTree::FullCollapse() {
  for (TNode& n : nodes_) n.Expanded = false;
  Changed();
}

const std::vector<int32_t>& TOutlineTree::VisibleItems() const {
  if (visible_valid_) return visible_;
  visible_.clear();
  // A collapsed node hides every deeper node up to the next one of its level or less.
  int32_t hide_below = INT32_MAX;
  for (int32_t i = 0; i < ItemCount(); ++i) {
    const TNode& n = nodes_[static_cast<size_t>(i)];
    if (n.Level > hide_below) continue;
    hide_below = n.Expanded ? INT32_MAX : n.Level;
    visible_.push_back(i + 1);
  }
  visible_valid_ = true;
  return visible_;
}

bool TOutlineTree::IsVisible(int32_t Index) const {
  return VisiblePosition(Index) >= 0;
}

int32_t TOutlineTree::VisiblePosition(int32_t Index) const {
  CheckIndex(Index);
  const auto& v = VisibleItems();
  auto it = std::lower_bound(v.begin(), v.end(), Index);
  return (it != v.end() && *it == Index) ? static_cast<int32_t>(it - v.begin()) : -1;
}

std::string TOutlineTree::FullPath(int32_t Index, const std::string& Separator) const {
  std::string path = Item(Index).Text;
  for (int32_t p = Parent(Index); p != 0; p = Parent(p)) path = Item(p).Text + Separator + path;
  return path;
}

int32_t TOutlineTree::GetTextItem(const std::string& Value) const {
  for (int32_t i = 0; i < ItemCount(); ++i)
    if (nodes_[static_cast<size_t>(i)].Text == Value) return i + 1;
  return 0;
}

int32_t TOutlineTree::GetDataItem(const void* Value) const {
  for (int32_t i = 0; i < ItemCount(); ++i)
    if (nodes_[static_cast<size_t>(i)].Data == Value) return i + 1;
  return 0;
}

std::string TOutlineTree::Line(int32_t Index) const {
  const TNode& n = Item(Index);
  return std::string(static_cast<size_t>(n.Level - 1), '\t') + n.Text;
}

int32_t TOutlineTree::InsertLine(int32_t Index, const std::string& Line) {
  if (Index < 1 || Index > ItemCount() + 1) throw EOutlineError("Invalid outline index");
  size_t tabs = Line.find_first_not_of('\t');
  if (tabs == std::string::npos) tabs = Line.size();
  TNode n;
  n.Level = static_cast<int32_t>(std::min<size_t>(tabs, 10000)) + 1;
  n.Text = Line.substr(tabs);
  return InsertNode(Index, std::move(n));
}

// ---------------------------------------------------------------------------------------

std::string TOutlineStrings::Get(int Index) const {
  if (Index < 0 || Index >= Count()) throw EStringListError(Format("List index out of bounds (%d)", Index));
  return tree_->Line(Index + 1);
}

TObject* TOutlineStrings::GetObject(int Index) const {
  return static_cast<TObject*>(tree_->Item(Index + 1).Data);
}

void TOutlineStrings::PutObject(int Index, TObject* AObject) {
  tree_->SetData(Index + 1, AObject);
}

void TOutlineStrings::Put(int Index, const std::string& S) {
  size_t tabs = S.find_first_not_of('\t');
  Changing();
  tree_->SetText(Index + 1, tabs == std::string::npos ? std::string() : S.substr(tabs));
  Changed();
}

void TOutlineStrings::Insert(int Index, const std::string& S) {
  Changing();
  tree_->InsertLine(Index + 1, S);
  Changed();
}

void TOutlineStrings::Delete(int Index) {
  Changing();
  tree_->Delete(Index + 1);
  Changed();
}

void TOutlineStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  int size =
      CurIndex >= 0 && CurIndex < Count() ? tree_->LastDescendant(CurIndex + 1) - CurIndex : 1;
  if (CurIndex < 0 || CurIndex >= Count() || NewIndex < 0 || NewIndex > Count() - size)
    throw EStringListError(Format("List index out of bounds (%d)",
                                  CurIndex < 0 || CurIndex >= Count() ? CurIndex : NewIndex));
  Changing();
  tree_->Move(CurIndex + 1, NewIndex + 1);
  Changed();
}

void TOutlineStrings::SetUpdateState(bool Updating) {
  if (Updating)
    tree_->BeginUpdate();
  else
    tree_->EndUpdate();
}

void TOutlineStrings::Clear() {
  Changing();
  tree_->Clear();
  Changed();
}

}  // namespace tess
