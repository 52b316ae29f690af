// TOutline: a tree shown as indented lines, one grid row per visible node.  The tree
// itself (texts, levels, data, expansion) is a TOutlineTree (framework/core/
// outlinemodel.h); Lines is the same tree as tab-indented text.  Node indexes are
// 1-based.  A double click runs DblClick, which fires OnDblClick and toggles the
// selected node; a descendant that wants other behaviour overrides DblClick.
#pragma once

#include <memory>
#include <string>

#include "framework/core/outlinemodel.h"
#include "framework/win/grids.h"

namespace tess {

enum class TOutlineStyle {
  osText,
  osPlusMinusText,
  osPictureText,
  osPlusMinusPictureText,
  osTreeText,
  osTreePictureText
};
enum class TOutlineOption { ooDrawTreeRoot, ooDrawFocusRect, ooStretchBitmaps };
using TOutlineOptions = TEnumSet<TOutlineOption>;
enum class TOutlineType { otStandard, otOwnerDraw };

// Index: the node (1-based) that expanded or collapsed.
using TOutlineChangeEvent = std::function<void(TObject* Sender, int32_t Index)>;
// Index: the visible row being drawn (0-based); VisibleItemAt gives its node.
using TOutlineDrawItemEvent = std::function<void(TWinControl* Control, int32_t Index,
                                                 const TRect& Rect, TOwnerDrawState State)>;

class TCustomOutline : public TCustomGrid {
 public:
  explicit TCustomOutline(TComponent* AOwner);
  ~TCustomOutline() override;

  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* Value);
  TOutlineTree& Tree() { return tree_; }
  const TOutlineTree& Tree() const { return tree_; }
  int32_t ItemCount() const { return tree_.ItemCount(); }

  int32_t Add(int32_t Index, const std::string& Text) { return tree_.Add(Index, Text); }
  int32_t AddObject(int32_t Index, const std::string& Text, void* Data) {
    return tree_.Add(Index, Text, Data);
  }
  int32_t AddChild(int32_t Index, const std::string& Text) { return tree_.AddChild(Index, Text); }
  int32_t AddChildObject(int32_t Index, const std::string& Text, void* Data) {
    return tree_.AddChild(Index, Text, Data);
  }
  int32_t Insert(int32_t Index, const std::string& Text) { return tree_.Insert(Index, Text); }
  void Delete(int32_t Index) { tree_.Delete(Index); }
  void Clear() { tree_.Clear(); }
  // Changes in between are shown once, at the end.
  void BeginUpdate() { tree_.BeginUpdate(); }
  void EndUpdate() { tree_.EndUpdate(); }

  void FullExpand();
  void FullCollapse();
  // Expand and collapse fire OnExpand / OnCollapse.
  void SetExpanded(int32_t Index, bool Value);
  bool Expanded(int32_t Index) const { return tree_.Expanded(Index); }
  // 0: none.
  int32_t SelectedItem();
  // Expands the node's ancestors so that it can be shown, and selects it.
  void SetSelectedItem(int32_t Index);
  int32_t VisibleItemAt(int32_t Row) const;
  int32_t GetTextItem(const std::string& Value) const { return tree_.GetTextItem(Value); }
  int32_t GetDataItem(const void* Value) const { return tree_.GetDataItem(Value); }
  std::string FullPath(int32_t Index) const { return tree_.FullPath(Index, item_separator_); }

  TOutlineStyle OutlineStyle() const { return outline_style_; }
  void SetOutlineStyle(TOutlineStyle Value);
  TOutlineOptions OutlineOptions() const { return outline_options_; }
  void SetOutlineOptions(TOutlineOptions Value);
  TOutlineType Style() const { return style_; }
  void SetStyle(TOutlineType Value);
  int32_t ItemHeight() const { return DefaultRowHeight(); }
  void SetItemHeight(int32_t Value) { SetDefaultRowHeight(Value); }
  const std::string& ItemSeparator() const { return item_separator_; }
  void SetItemSeparator(const std::string& Value) { item_separator_ = Value; }
  TBitmap* PicturePlus() const { return pictures_[0].get(); }
  TBitmap* PictureMinus() const { return pictures_[1].get(); }
  TBitmap* PictureOpen() const { return pictures_[2].get(); }
  TBitmap* PictureClosed() const { return pictures_[3].get(); }
  TBitmap* PictureLeaf() const { return pictures_[4].get(); }

  void PublishProperties(TPropertyList& Props) override;

  TOutlineChangeEvent OnExpand;
  TOutlineChangeEvent OnCollapse;
  TOutlineDrawItemEvent OnDrawItem;

 protected:
  void DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) override;
  void DblClick() override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void Dispatch(TMessage& Message) override;
  // A row the user (or the program) moves to selects its node.
  bool SelectCell(int32_t ACol, int32_t ARow) override;
  // Quiet while the current row only follows the selected node to its new place.
  void Click() override;
  // Pixels of indentation per level.
  int32_t Indent() const { return 16; }

 private:
  void TreeChanged();
  void FitColumn();
  void DrawDefault(int32_t Node, const TRect& R, bool Selected);
  void DrawTreeLines(int32_t Node, const TRect& R);
  bool HasNextSibling(int32_t Node) const;

  TOutlineTree tree_;
  bool following_ = false;  // the current row is being moved to the selected node
  std::unique_ptr<TOutlineStrings> lines_;
  TOutlineStyle outline_style_ = TOutlineStyle::osTreePictureText;
  TOutlineOptions outline_options_ = {TOutlineOption::ooDrawTreeRoot, TOutlineOption::ooDrawFocusRect};
  TOutlineType style_ = TOutlineType::otStandard;
  std::string item_separator_ = "\\";
  std::unique_ptr<TBitmap> pictures_[5];
};

class TOutline : public TCustomOutline {
 public:
  explicit TOutline(TComponent* AOwner) : TCustomOutline(AOwner) {}
};

}  // namespace tess
