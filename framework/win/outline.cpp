// The outline control (see outline.h).
#include "framework/win/outline.h"

#include <algorithm>

#include "platform/win32.h"

namespace tess {

TCustomOutline::TCustomOutline(TComponent* AOwner) : TCustomGrid(AOwner) {
  lines_ = std::make_unique<TOutlineStrings>(&tree_);
  for (auto& p : pictures_) p = std::make_unique<TBitmap>();
  tree_.OnChange = [this] { TreeChanged(); };
  SetFixedCols(0);
  SetFixedRows(0);
  SetColCount(1);
  SetRowCount(1);
  SetDefaultRowHeight(16);
  SetOptions({TGridOption::goThumbTracking});
  SetScrollBars(TScrollStyle::ssBoth);
  SetBounds(Left(), Top(), 121, 97);
}

TCustomOutline::~TCustomOutline() {
  tree_.OnChange = nullptr;
}

void TCustomOutline::SetLines(TStrings* Value) {
  BeginUpdate();
  lines_->Assign(Value);
  EndUpdate();
}

void TCustomOutline::TreeChanged() {
  // The selection stays on its node (the tree follows it); a node hidden under a
  // collapsed ancestor gives it to the nearest shown ancestor.
  int32_t selected = tree_.Selected();
  bool moved = tree_.TakeSelectionMoved();
  if (selected == 0 && tree_.ItemCount() > 0) selected = VisibleItemAt(Row());
  while (selected > 0 && !tree_.IsVisible(selected)) {
    selected = tree_.Parent(selected);
    moved = true;
  }
  tree_.SetSelected(selected);
  int32_t rows = static_cast<int32_t>(tree_.VisibleItems().size());
  // The grid's events (OnTopLeftChanged, OnSelectCell) run on the way and may free the
  // outline: then nothing more is done with it.
  TControlWatch watch(this);
  {
    TScopedValue<bool> following(following_, true, LifeMark());
    SetRowCount(std::max(rows, 1));
    if (selected > 0 && watch.Alive()) FocusCell(0, tree_.VisiblePosition(selected), true);
  }
  if (!watch.Alive()) return;
  FitColumn();
  Invalidate();
  // Told only when the selection is on another node, not when its row moved.
  if (moved) Click();
}

bool TCustomOutline::SelectCell(int32_t ACol, int32_t ARow) {
  if (!TCustomGrid::SelectCell(ACol, ARow)) return false;
  if (!following_) tree_.SetSelected(VisibleItemAt(ARow));
  return true;
}

void TCustomOutline::Click() {
  if (!following_) TCustomGrid::Click();
}

void TCustomOutline::FitColumn() {
  int32_t w = ClientRect().Width();
  if (w > 0 && w != ColWidths(0)) SetColWidths(0, w);
}

void TCustomOutline::FullExpand() {
  tree_.FullExpand();
}

void TCustomOutline::FullCollapse() {
  tree_.FullCollapse();
}

void TCustomOutline::SetExpanded(int32_t Index, bool Value) {
  if (tree_.Expanded(Index) == Value) return;
  tree_.SetExpanded(Index, Value);
  FireEvent(this, Value ? OnExpand : OnCollapse, this, Index);
}

int32_t TCustomOutline::VisibleItemAt(int32_t Row) const {
  const auto& v = tree_.VisibleItems();
  return Row >= 0 && static_cast<size_t>(Row) < v.size() ? v[static_cast<size_t>(Row)] : 0;
}

int32_t TCustomOutline::SelectedItem() {
  int32_t selected = tree_.Selected();
  return selected > 0 && selected <= tree_.ItemCount() ? selected : VisibleItemAt(Row());
}

void TCustomOutline::SetSelectedItem(int32_t Index) {
  tree_.BeginUpdate();
  for (int32_t p = tree_.Parent(Index); p != 0; p = tree_.Parent(p)) tree_.SetExpanded(p, true);
  tree_.EndUpdate();
  // Moving the current row selects the node (SelectCell) and tells of it.
  FocusCell(0, tree_.VisiblePosition(Index), true);
}

void TCustomOutline::SetOutlineStyle(TOutlineStyle Value) {
  if (Value == outline_style_) return;
  outline_style_ = Value;
  Invalidate();
}

void TCustomOutline::SetOutlineOptions(TOutlineOptions Value) {
  if (Value == outline_options_) return;
  outline_options_ = Value;
  Invalidate();
}

void TCustomOutline::SetStyle(TOutlineType Value) {
  if (Value == style_) return;
  style_ = Value;
  Invalidate();
}

void TCustomOutline::DrawCell(int32_t, int32_t ARow, const TRect& ARect, TGridDrawState AState) {
  int32_t node = VisibleItemAt(ARow);
  bool selected = AState.Contains(TGridDrawStateFlag::gdSelected) ||
                  AState.Contains(TGridDrawStateFlag::gdFocused);
  if (style_ == TOutlineType::otOwnerDraw && OnDrawItem) {
    TOwnerDrawState st;
    if (selected) st += TOwnerDrawStateFlag::odSelected;
    if (AState.Contains(TGridDrawStateFlag::gdFocused)) st += TOwnerDrawStateFlag::odFocused;
    if (node) RaiseEvent(this, OnDrawItem, this, ARow, ARect, st);
    return;
  }
  if (node) DrawDefault(node, ARect, selected);
}

void TCustomOutline::DrawDefault(int32_t Node, const TRect& R, bool Selected) {
  TCanvas* c = Canvas();
  const TOutlineTree::TNode& n = tree_.Item(Node);
  int32_t x = R.Left + (n.Level - 1) * Indent() + 2;
  int32_t mid = (R.Top + R.Bottom) / 2;
  bool tree = outline_style_ == TOutlineStyle::osTreeText || outline_style_ == TOutlineStyle::osTreePictureText;
  bool plus = outline_style_ == TOutlineStyle::osPlusMinusText ||
              outline_style_ == TOutlineStyle::osPlusMinusPictureText || tree;
  bool pictures = outline_style_ == TOutlineStyle::osPictureText ||
                  outline_style_ == TOutlineStyle::osPlusMinusPictureText ||
                  outline_style_ == TOutlineStyle::osTreePictureText;
  bool children = tree_.HasChildren(Node);
  if (tree) DrawTreeLines(Node, R);
  if (plus && children) {
    TBitmap* pic = n.Expanded ? PictureMinus() : PicturePlus();
    if (!pic->Empty()) {
      c->Draw(x, mid - pic->Height() / 2, pic);
    } else {
      // A small box with a plus or a minus.
      c->Brush()->SetColor(Color());
      c->Pen()->SetColor(clGray);
      c->Rectangle(x, mid - 4, x + 9, mid + 5);
      c->Pen()->SetColor(clBlack);
      c->MoveTo(x + 2, mid);
      c->LineTo(x + 7, mid);
      if (!n.Expanded) {
        c->MoveTo(x + 4, mid - 2);
        c->LineTo(x + 4, mid + 3);
      }
    }
  }
  x += plus ? 12 : 0;
  if (pictures) {
    TBitmap* pic = children ? (n.Expanded ? PictureOpen() : PictureClosed()) : PictureLeaf();
    if (!pic->Empty()) {
      c->Draw(x, mid - pic->Height() / 2, pic);
      x += pic->Width() + 2;
    }
  }
  c->Brush()->SetColor(Selected ? clHighlight : Color());
  c->Font()->SetColor(Selected ? clHighlightText : Font()->Color());
  TSize ext = c->TextExtent(n.Text);
  c->TextRect(Rect(x, R.Top, std::min(R.Right, x + ext.cx + 4), R.Bottom), x + 2,
              mid - ext.cy / 2, n.Text);
}

bool TCustomOutline::HasNextSibling(int32_t Node) const {
  int32_t next = tree_.LastDescendant(Node) + 1;
  return next <= tree_.ItemCount() && tree_.Item(next).Level == tree_.Item(Node).Level;
}

void TCustomOutline::DrawTreeLines(int32_t Node, const TRect& R) {
  TCanvas* c = Canvas();
  c->Pen()->SetColor(clGray);
  c->Pen()->SetStyle(TPenStyle::psSolid);
  int32_t mid = (R.Top + R.Bottom) / 2;
  int32_t level = tree_.Item(Node).Level;
  int32_t first = outline_options_.Contains(TOutlineOption::ooDrawTreeRoot) ? 1 : 2;
  auto column = [&](int32_t Level) { return R.Left + (Level - 1) * Indent() + 6; };
  // The lines of the ancestors that have more children below this row.
  for (int32_t a = tree_.Parent(Node); a != 0; a = tree_.Parent(a)) {
    int32_t l = tree_.Item(a).Level;
    if (l >= first && HasNextSibling(a)) {
      c->MoveTo(column(l), R.Top);
      c->LineTo(column(l), R.Bottom);
    }
  }
  if (level < first) return;
  // The node's own connector: from above (or from its own row for the first root),
  // down to the next sibling, and across to the text.
  bool above = Node > 1;
  c->MoveTo(column(level), above ? R.Top : mid);
  c->LineTo(column(level), HasNextSibling(Node) ? R.Bottom : mid + 1);
  c->MoveTo(column(level), mid);
  c->LineTo(column(level) + 10, mid);
}

void TCustomOutline::DblClick() {
  TControlWatch watch(this);
  TCustomGrid::DblClick();
  if (!watch.Alive()) return;
  int32_t node = SelectedItem();
  if (node && tree_.HasChildren(node)) SetExpanded(node, !tree_.Expanded(node));
}

void TCustomOutline::KeyPress(char& Key) {
  TCustomGrid::KeyPress(Key);
  if (Key == 0) return;
  int32_t node = SelectedItem();
  if (!node) return;
  if (Key == '+') {
    SetExpanded(node, true);
    Key = 0;
  } else if (Key == '-') {
    SetExpanded(node, false);
    Key = 0;
  } else if (Key == '*') {
    TControlWatch watch(this);  // each OnExpand may free the outline
    for (int32_t i = node, last = tree_.LastDescendant(node); i <= last && watch.Alive(); ++i)
      if (tree_.HasChildren(i)) SetExpanded(i, true);
    Key = 0;
  }
}

void TCustomOutline::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  TCustomGrid::MouseDown(Button, Shift, X, Y);
  if (!watch.Alive()) return;
  if (Button != TMouseButton::mbLeft || Shift.Contains(TShiftFlag::ssDouble)) return;
  // A click on the plus or minus box toggles the node.
  TGridCoord c = MouseCoord(X, Y);
  int32_t node = VisibleItemAt(c.Y);
  if (!node || !tree_.HasChildren(node) || outline_style_ == TOutlineStyle::osText ||
      outline_style_ == TOutlineStyle::osPictureText)
    return;
  int32_t x = CellRect(0, c.Y).Left + (tree_.Item(node).Level - 1) * Indent() + 2;
  if (X >= x && X < x + 10) SetExpanded(node, !tree_.Expanded(node));
}

void TCustomOutline::Dispatch(TMessage& M) {
  TControlWatch watch(this);
  TCustomGrid::Dispatch(M);
  if (M.Msg == WM_SIZE && watch.Alive()) FitColumn();
}

void TCustomOutline::PublishProperties(TPropertyList& P) {
  TWinControl::PublishProperties(P);
  // A new one stops the Tab key.
  P.Find("TabStop")->Default(true);
  P.Object("Lines", [this] { return lines_.get(); });
  P.Enum<TOutlineStyle>(
       "OutlineStyle",
       {"osText", "osPlusMinusText", "osPictureText", "osPlusMinusPictureText", "osTreeText",
        "osTreePictureText"},
       [this] { return outline_style_; }, [this](TOutlineStyle v) { SetOutlineStyle(v); })
      .Default(5);
  P.Set("Options", {"ooDrawTreeRoot", "ooDrawFocusRect", "ooStretchBitmaps"},
        [this] { return static_cast<uint32_t>(outline_options_.Bits()); },
        [this](uint32_t v) { SetOutlineOptions(TOutlineOptions::FromBits(v)); });
  P.Enum<TOutlineType>(
       "Style", {"otStandard", "otOwnerDraw"}, [this] { return style_; },
       [this](TOutlineType v) { SetStyle(v); })
      .Default(0);
  P.Integer("ItemHeight", [this] { return ItemHeight(); }, [this](int32_t v) { SetItemHeight(v); })
      .Default(16);
  P.String(
       "ItemSeparator", [this] { return item_separator_; },
       [this](const std::string& v) { item_separator_ = v; })
      .Default("\\");
  P.Enum<TScrollStyle>(
       "ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
       [this] { return ScrollBars(); }, [this](TScrollStyle v) { SetScrollBars(v); })
      .Default(3);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return BorderStyle(); },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(1);
  const char* names[] = {"PicturePlus", "PictureMinus", "PictureOpen", "PictureClosed", "PictureLeaf"};
  for (int i = 0; i < 5; ++i) P.Object(names[i], [this, i] { return pictures_[i].get(); });
}

}  // namespace tess
