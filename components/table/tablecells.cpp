// The colour set, the grid pens, the cell base and the text and heading cells.
#include "components/table/tablecells.h"

#include "components/table/celltext.h"
#include "platform/win32.h"

namespace tess {

// ---- colours and pens -----------------------------------------------------------------

void TOvcTableColors::Set(TColor TOvcTableColors::*Which, TColor Value) {
  if (this->*Which == Value) return;
  this->*Which = Value;
  if (OnChange) OnChange(this);
}

void TOvcTableColors::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TOvcTableColors*>(Source);
  if (!S) return TPersistent::Assign(Source);
  TNotifyEvent Keep = OnChange;
  static_cast<void>(*this = *S);
  OnChange = Keep;
  if (OnChange) OnChange(this);
}

void TOvcGridPen::SetEffect(TGridEffect Value) {
  if (Effect == Value) return;
  Effect = Value;
  if (OnChange) OnChange(this);
}

void TOvcGridPen::SetNormalColor(TColor Value) {
  if (NormalColor == Value) return;
  NormalColor = Value;
  if (OnChange) OnChange(this);
}

void TOvcGridPen::SetSecondColor(TColor Value) {
  if (SecondColor == Value) return;
  SecondColor = Value;
  if (OnChange) OnChange(this);
}

void TOvcGridPen::SetStyle(TPenStyle Value) {
  if (Style == Value) return;
  Style = Value;
  if (OnChange) OnChange(this);
}

void TOvcGridPen::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TOvcGridPen*>(Source);
  if (!S) return TPersistent::Assign(Source);
  NormalColor = S->NormalColor;
  SecondColor = S->SecondColor;
  Effect = S->Effect;
  Style = S->Style;
  if (OnChange) OnChange(this);
}

TOvcGridPenSet::TOvcGridPenSet() {
  NormalGrid.Style = TPenStyle::psDot;
  LockedGrid.Effect = TGridEffect::ge3D;
  CellWhenFocused.NormalColor = clBlack;
  CellWhenUnfocused.NormalColor = clBlack;
  CellWhenUnfocused.Style = TPenStyle::psDash;
}

void TOvcGridPenSet::SetOnChange(TNotifyEvent Event) {
  for (TOvcGridPen* P : {&NormalGrid, &LockedGrid, &CellWhenFocused, &CellWhenUnfocused})
    P->OnChange = Event;
}

void TOvcGridPenSet::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TOvcGridPenSet*>(Source);
  if (!S) return TPersistent::Assign(Source);
  NormalGrid.Assign(&S->NormalGrid);
  LockedGrid.Assign(&S->LockedGrid);
  CellWhenFocused.Assign(&S->CellWhenFocused);
  CellWhenUnfocused.Assign(&S->CellWhenUnfocused);
}

void TOvcTableColors::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  struct Entry {
    const char* Name;
    TColor TOvcTableColors::*Field;
    TColor Default;
  };
  static const Entry kColors[] = {
      {"ActiveFocused", &TOvcTableColors::ActiveFocused, clHighlight},
      {"ActiveFocusedText", &TOvcTableColors::ActiveFocusedText, clHighlightText},
      {"ActiveUnfocused", &TOvcTableColors::ActiveUnfocused, clHighlight},
      {"ActiveUnfocusedText", &TOvcTableColors::ActiveUnfocusedText, clHighlightText},
      {"Editing", &TOvcTableColors::Editing, clBtnFace},
      {"EditingText", &TOvcTableColors::EditingText, clWindowText},
      {"Locked", &TOvcTableColors::Locked, clBtnFace},
      {"LockedText", &TOvcTableColors::LockedText, clWindowText},
      {"Selected", &TOvcTableColors::Selected, clHighlight},
      {"SelectedText", &TOvcTableColors::SelectedText, clHighlightText},
  };
  for (const Entry& E : kColors) {
    auto Field = E.Field;
    P.Integer(
         E.Name, [this, Field] { return static_cast<int32_t>(this->*Field); },
         [this, Field](int32_t v) { Set(Field, static_cast<TColor>(v)); })
        .DefaultOrdinal(static_cast<int32_t>(E.Default));
  }
}

void TOvcGridPen::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  // The four pens of a set start from different values: every value is written.
  P.Integer(
      "NormalColor", [this] { return static_cast<int32_t>(NormalColor); },
      [this](int32_t v) { SetNormalColor(static_cast<TColor>(v)); });
  P.Integer(
      "SecondColor", [this] { return static_cast<int32_t>(SecondColor); },
      [this](int32_t v) { SetSecondColor(static_cast<TColor>(v)); });
  P.Enum<TGridEffect>(
      "Effect", {"geNone", "geVertical", "geHorizontal", "geBoth", "ge3D"},
      [this] { return Effect; }, [this](TGridEffect v) { SetEffect(v); });
  P.Enum<TPenStyle>(
      "Style",
      {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"},
      [this] { return Style; }, [this](TPenStyle v) { SetStyle(v); });
}

void TOvcGridPenSet::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  P.Object("CellWhenFocused", [this] { return &CellWhenFocused; });
  P.Object("CellWhenUnfocused", [this] { return &CellWhenUnfocused; });
  P.Object("LockedGrid", [this] { return &LockedGrid; });
  P.Object("NormalGrid", [this] { return &NormalGrid; });
}

TRect ReducedByEffect(const TRect& R, TGridEffect Effect) {
  TRect Out = R;
  switch (Effect) {
    case TGridEffect::geVertical:
      --Out.Right;
      break;
    case TGridEffect::geHorizontal:
      --Out.Bottom;
      break;
    case TGridEffect::geBoth:
      --Out.Right, --Out.Bottom;
      break;
    case TGridEffect::ge3D:
      ++Out.Left, ++Out.Top, --Out.Right, --Out.Bottom;
      break;
    case TGridEffect::geNone:
      break;
  }
  return Out;
}

// ---- the cell base --------------------------------------------------------------------

TOvcBaseTableCell::TOvcBaseTableCell(TComponent* AOwner)
    : TOvcTableCellAncestor(AOwner), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) { FontChanged(); };
}

TOvcBaseTableCell::~TOvcBaseTableCell() {
  SetTable(nullptr);
  font_->OnChange = nullptr;
}

void TOvcBaseTableCell::FontChanged() {
  if (font_fetching_) return;
  table_font_ = false;
  font_pending_ = false;
  NotifyChanged();
}

intptr_t TOvcBaseTableCell::AskTable(uint32_t Msg) const {
  if (!table_ || !table_->HandleAllocated()) return 0;
  return static_cast<intptr_t>(SendMessageA(table_->Handle(), Msg, 0, 0));
}

// The old table is told whether or not it has a window, so it never keeps the cell.
void TOvcBaseTableCell::SetTable(TOvcTableAncestor* Value) {
  if (Value == table_) return;
  // Only a live cell has an editor here: a cell being destroyed closed its own already.
  if (table_ && EditControl()) table_->CellLeaving(this);
  if (Value == table_) return;
  if (table_) {
    table_->RemoveCell(this);
    if (table_->HandleAllocated())
      SendMessageA(table_->Handle(), ctim_RemoveCell, 0, reinterpret_cast<LPARAM>(this));
    else
      table_->DropCell(this);
    table_->RemoveFreeNotification(this);
  }
  table_ = Value;
  if (table_) table_->FreeNotification(this);
  use_count_ = 0;
  TableChanged();
}

void TOvcBaseTableCell::IncUse() {
  if (use_count_ == 0 && table_) table_->AddCell(this);
  ++use_count_;
}

void TOvcBaseTableCell::DecUse() {
  if (use_count_ <= 0) return;
  if (--use_count_ == 0) {
    if (table_) {
      table_->RemoveCell(this);
      table_->RemoveFreeNotification(this);
    }
    table_ = nullptr;
  }
}

void TOvcBaseTableCell::Notification(TComponent* AComponent, TOperation Operation) {
  TOvcTableCellAncestor::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == table_) {
    table_ = nullptr;
    use_count_ = 0;
  }
}

HWnd TOvcBaseTableCell::EditHandle() const {
  TWinControl* E = EditControl();
  return E && E->HandleAllocated() ? E->Handle() : nullptr;
}

void TOvcBaseTableCell::EditHide() {
  if (HWnd H = EditHandle())
    SetWindowPos(H, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

void TOvcBaseTableCell::EditMove(const TRect& R) {
  TWinControl* E = EditControl();
  if (!E) return;
  E->SetBounds(R.Left, R.Top, R.Width(), R.Height());
  E->SetVisible(true);
  // EditHide hid the window behind the control's back: it is shown the same way.
  if (HWnd H = EditHandle()) {
    SetWindowPos(H, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(H);
  }
}

// Without a window to ask there is no active cell.
bool TOvcBaseTableCell::IsActiveCell(int32_t RowNum, int ColNum) const {
  return table_ && table_->HandleAllocated() && AskTable(ctim_QueryActiveRow) == RowNum &&
         AskTable(ctim_QueryActiveCol) == ColNum;
}

uint8_t TOvcBaseTableCell::FilterTableKey(TMessage& Msg) {
  return table_ ? table_->FilterKey(Msg) : 0;
}

void TOvcBaseTableCell::HandEventsTo(TWinControl* E) const {
  E->SetHint(hint_);
  E->SetShowHint(show_hint_);
  E->OnClick = OnClick;
  E->OnDblClick = OnDblClick;
  E->OnEnter = OnEnter;
  E->OnExit = OnExit;
  E->OnKeyDown = OnKeyDown;
  E->OnKeyUp = OnKeyUp;
  E->OnKeyPress = OnKeyPress;
  E->OnMouseDown = OnMouseDown;
  E->OnMouseUp = OnMouseUp;
  E->OnMouseMove = OnMouseMove;
  E->OnDragDrop = OnDragDrop;
  E->OnDragOver = OnDragOver;
  E->OnEndDrag = OnEndDrag;
}

void TOvcBaseTableCell::PostKeyToTable(uintptr_t WParam, intptr_t LParam) const {
  if (table_ && table_->HandleAllocated())
    PostMessageA(table_->Handle(), WM_KEYDOWN, WParam, LParam);
}

void TOvcBaseTableCell::PostFocusToTable(uint32_t Msg, HWnd Other) const {
  if (table_ && table_->HandleAllocated())
    PostMessageA(table_->Handle(), Msg, reinterpret_cast<WPARAM>(Other), 0);
}

// A fetch stays pending until the table's window can answer.
TColor TOvcBaseTableCell::Color() {
  if (table_color_ && color_pending_ && table_ && table_->HandleAllocated()) {
    color_ = static_cast<TColor>(AskTable(ctim_QueryColor));
    color_pending_ = false;
  }
  return color_;
}

TFont* TOvcBaseTableCell::Font() {
  if (table_font_ && font_pending_ && table_ && table_->HandleAllocated()) {
    if (auto* F = reinterpret_cast<TFont*>(AskTable(ctim_QueryFont))) {
      font_fetching_ = true;
      font_->Assign(F);
      font_fetching_ = false;
    }
    font_pending_ = false;
  }
  return font_.get();
}

void TOvcBaseTableCell::SetColor(TColor Value) {
  const bool Changed = Value != color_ || table_color_;
  color_ = Value;
  table_color_ = false;
  color_pending_ = false;
  if (Changed) NotifyChanged();
}

void TOvcBaseTableCell::SetTableColor(bool Value) {
  if (Value == table_color_) return;
  table_color_ = Value;
  color_pending_ = Value;
  if (Value) Color();
  NotifyChanged();
}

void TOvcBaseTableCell::SetTableFont(bool Value) {
  if (Value == table_font_) return;
  table_font_ = Value;
  font_pending_ = Value;
  if (Value) Font();
  NotifyChanged();
}

void TOvcBaseTableCell::TableChanged() {
  if (!table_) return;
  if (table_font_) {
    font_pending_ = true;
    Font();
  }
  if (table_color_) {
    color_pending_ = true;
    Color();
  }
}

void TOvcBaseTableCell::ChangeScale(int M, int D) {
  if (M != D && !table_font_ && D != 0) font_->SetSize(MulDiv(font_->Size(), M, D));
}

#define TESS_CELL_SETTER(Name, Type, field, guard) \
  void TOvcBaseTableCell::Set##Name(Type Value) {  \
    if (guard || Value == field) return;           \
    field = Value;                                 \
    NotifyChanged();                               \
  }
TESS_CELL_SETTER(Margin, int32_t, margin_, Value < 0)
TESS_CELL_SETTER(Access, TOvcTblAccess, access_, false)
TESS_CELL_SETTER(Adjust, TOvcTblAdjust, adjust_, false)
TESS_CELL_SETTER(TextHiColor, TColor, text_hi_color_, false)
TESS_CELL_SETTER(TextStyle, TOvcTextStyle, text_style_, false)
#undef TESS_CELL_SETTER

void TOvcBaseTableCell::PublishProperties(TPropertyList& P) {
  TOvcTableCellAncestor::PublishProperties(P);
  P.Boolean(
      "AcceptActivationClick", [this] { return accept_activation_click_; },
      [this](bool v) { accept_activation_click_ = v; });
  P.Enum<TOvcTblAccess>(
       "Access", {"otxDefault", "otxNormal", "otxReadOnly", "otxInvisible"},
       [this] { return access_; }, [this](TOvcTblAccess v) { SetAccess(v); })
      .Default(TOvcTblAccess::otxDefault);
  P.Enum<TOvcTblAdjust>(
       "Adjust",
       {"otaDefault", "otaTopLeft", "otaTopCenter", "otaTopRight", "otaCenterLeft", "otaCenter",
        "otaCenterRight", "otaBottomLeft", "otaBottomCenter", "otaBottomRight"},
       [this] { return adjust_; }, [this](TOvcTblAdjust v) { SetAdjust(v); })
      .Default(TOvcTblAdjust::otaDefault);
  P.Integer(
       "Color", [this] { return color_; }, [this](int32_t v) { SetColor(v); })
      .Default(clBtnFace)
      .Stored([this] { return !table_color_; });
  P.Object("Font", [this] { return font_.get(); }).Stored([this] { return !table_font_; });
  P.String(
      "Hint", [this] { return hint_; }, [this](const std::string& v) { SetHint(v); });
  P.Integer(
       "Margin", [this] { return margin_; }, [this](int32_t v) { SetMargin(v); })
      .Default(4);
  P.Boolean(
       "ShowHint", [this] { return show_hint_; }, [this](bool v) { SetShowHint(v); })
      .Default(false);
  P.Boolean(
       "TableColor", [this] { return table_color_; }, [this](bool v) { SetTableColor(v); })
      .Default(true);
  P.Boolean(
       "TableFont", [this] { return table_font_; }, [this](bool v) { SetTableFont(v); })
      .Default(true);
  P.Integer(
       "TextHiColor", [this] { return text_hi_color_; }, [this](int32_t v) { SetTextHiColor(v); })
      .Default(clBtnHighlight);
  P.Enum<TOvcTextStyle>(
       "TextStyle", {"tsFlat", "tsRaised", "tsLowered"}, [this] { return text_style_; },
       [this](TOvcTextStyle v) { SetTextStyle(v); })
      .Default(TOvcTextStyle::tsFlat);
}

void TOvcBaseTableCell::Paint(TCanvas* TableCanvas, const TRect& CellRect, int32_t, int,
                              const TOvcCellAttributes& CellAttr, void*) {
  TableCanvas->Brush()->SetColor(CellAttr.Color);
  TableCanvas->FillRect(CellRect);
}

bool TOvcBaseTableCell::DoOwnerDraw(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum,
                                    int ColNum, const TOvcCellAttributes& CellAttr, void* Data) {
  bool DoneIt = false;
  FireEvent(this, OnOwnerDraw, this, TableCanvas, CellRect, RowNum, ColNum, CellAttr, Data, DoneIt);
  return DoneIt;
}

// A handler that frees the cell (or the table and its canvas) leaves nothing to paint.
void TOvcBaseTableCell::PaintCell(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum,
                                  int ColNum, const TOvcCellAttributes& CellAttr, void* Data) {
  if (OnOwnerDraw) {
    TComponentWatch cell(this);
    const bool HasTable = table_ != nullptr;
    TComponentWatch table(table_);
    const bool Drawn = DoOwnerDraw(TableCanvas, CellRect, RowNum, ColNum, CellAttr, Data);
    if (Drawn || !cell.Alive() || (HasTable && !table.Alive())) return;
  }
  Paint(TableCanvas, CellRect, RowNum, ColNum, CellAttr, Data);
}

void TOvcBaseTableCell::ResolveAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& A) {
  A.Access = access_;
  A.Adjust = adjust_;
  A.Color = Color();
  if (A.Font) A.Font->Assign(Font());
  A.FontColor = Font()->Color();
  A.TextHiColor = text_hi_color_;
  A.TextStyle = text_style_;
  if (table_) table_->ResolveCellAttributes(RowNum, ColNum, A);
  if (A.Access == TOvcTblAccess::otxDefault) A.Access = TOvcTblAccess::otxNormal;
  if (A.Adjust == TOvcTblAdjust::otaDefault) A.Adjust = TOvcTblAdjust::otaCenterLeft;
  if (A.Color == clNoCellColor) A.Color = clBtnFace;
}

// ---- text cells -----------------------------------------------------------------------

namespace {
bool RightAdjust(TOvcTblAdjust A) {
  return A == TOvcTblAdjust::otaTopRight || A == TOvcTblAdjust::otaCenterRight ||
         A == TOvcTblAdjust::otaBottomRight;
}
bool LeftAdjust(TOvcTblAdjust A) {
  return A == TOvcTblAdjust::otaTopLeft || A == TOvcTblAdjust::otaCenterLeft ||
         A == TOvcTblAdjust::otaBottomLeft;
}
}  // namespace

void TOvcTCBaseString::PaintText(TCanvas* C, const TRect& CellRect, const TOvcCellAttributes& A,
                                 const std::string& Text) {
  if (Text.empty()) return;
  if (A.Font) C->Font()->Assign(A.Font);
  C->Font()->SetColor(A.FontColor);
  TRect R = CellRect;
  const int32_t M = Margin() / 2;
  R.Left += M, R.Top += M, R.Right -= M, R.Bottom -= M;
  TOvcTblAdjust Adj = A.Adjust;
  uint32_t Flags = DT_NOPREFIX;
  if (UseWordWrap) {
    Flags |= DT_WORDBREAK;
  } else {
    Flags |= DT_SINGLELINE;
    if (C->TextWidth(Text) > R.Width()) {
      // Too wide: keep its start in view.
      if (Adj <= TOvcTblAdjust::otaTopRight)
        Adj = TOvcTblAdjust::otaTopLeft;
      else if (Adj >= TOvcTblAdjust::otaBottomLeft)
        Adj = TOvcTblAdjust::otaBottomLeft;
      else
        Adj = TOvcTblAdjust::otaCenterLeft;
    }
    if (Adj >= TOvcTblAdjust::otaBottomLeft)
      Flags |= DT_BOTTOM;
    else if (Adj < TOvcTblAdjust::otaTopLeft || Adj > TOvcTblAdjust::otaTopRight)
      Flags |= DT_VCENTER;
  }
  if (RightAdjust(Adj))
    Flags |= DT_RIGHT;
  else if (!LeftAdjust(Adj))
    Flags |= DT_CENTER;
  if (A.TextStyle == TOvcTextStyle::tsFlat) {
    C->DrawText(Text, R, Flags);
    return;
  }
  const int32_t D = A.TextStyle == TOvcTextStyle::tsRaised ? -1 : 1;
  TRect H{R.Left + D, R.Top + D, R.Right + D, R.Bottom + D};
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  C->Font()->SetColor(A.TextHiColor);
  C->DrawText(Text, H, Flags);
  C->Font()->SetColor(A.FontColor);
  C->DrawText(Text, R, Flags);
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void TOvcTCBaseString::PublishProperties(TPropertyList& P) {
  TOvcBaseTableCell::PublishProperties(P);
  P.Boolean(
       "UseASCIIZStrings", [this] { return UseASCIIZStrings; },
       [this](bool v) { UseASCIIZStrings = v; })
      .Default(false);
  P.Boolean(
       "UseWordWrap", [this] { return UseWordWrap; }, [this](bool v) { UseWordWrap = v; })
      .Default(false);
}

void TOvcTCBaseString::Paint(TCanvas* C, const TRect& CellRect, int32_t RowNum, int ColNum,
                             const TOvcCellAttributes& A, void* Data) {
  TOvcBaseTableCell::Paint(C, CellRect, RowNum, ColNum, A, Data);
  if (A.Access == TOvcTblAccess::otxInvisible || !Data) return;
  const std::string Text = UseASCIIZStrings ? std::string(static_cast<const char*>(Data))
                                            : ReadShortString(static_cast<const uint8_t*>(Data));
  PaintText(C, CellRect, A, Text);
}

TOvcTCColHead::TOvcTCColHead(TComponent* AOwner)
    : TOvcTCBaseString(AOwner), headings_(std::make_unique<TStringList>()) {
  SetAccess(TOvcTblAccess::otxReadOnly);
}

TOvcTCColHead::~TOvcTCColHead() = default;

void TOvcTCColHead::SetShowLetters(bool Value) {
  if (Value == show_letters_) return;
  show_letters_ = Value;
  NotifyChanged();
}

void TOvcTCColHead::PublishProperties(TPropertyList& P) {
  TOvcTCBaseString::PublishProperties(P);
  // A new heading is read-only: otxDefault must be stored to come back.
  P.Find("Access")->Default(TOvcTblAccess::otxReadOnly);
  P.Object("Headings", [this] { return headings_.get(); });
  P.Boolean(
       "ShowActiveCol", [this] { return show_active_col_; },
       [this](bool v) { SetShowActiveCol(v); })
      .Default(false);
  P.Boolean(
       "ShowLetters", [this] { return show_letters_; }, [this](bool v) { SetShowLetters(v); })
      .Default(true);
}

void TOvcTCColHead::SetHeadings(TStrings* Value) {
  headings_->Assign(Value);
  NotifyChanged();
}

void TOvcTCColHead::SetShowActiveCol(bool Value) {
  if (Value == show_active_col_) return;
  show_active_col_ = Value;
  NotifyChanged();
}

void TOvcTCColHead::ChangeHeadings(int ColNum1, int ColNum2, TOvcTblActions Action) {
  tess::ChangeHeadings(*headings_, ColNum1, ColNum2, Action);
}

void PaintDownTriangle(TCanvas* C, const TRect& R, TOvcTblAdjust Adj, int32_t Margin,
                       TColor Color) {
  const int32_t W = R.Width(), H = R.Height(), Side = std::min(W, H) / 3;
  int32_t X = (W - Side) / 2, Y = (H - Side) / 2;
  switch (Adj) {
    case TOvcTblAdjust::otaTopLeft:
    case TOvcTblAdjust::otaCenterLeft:
    case TOvcTblAdjust::otaBottomLeft:
      X = Margin;
      break;
    case TOvcTblAdjust::otaTopRight:
    case TOvcTblAdjust::otaCenterRight:
    case TOvcTblAdjust::otaBottomRight:
      X = W - Margin - Side;
      break;
    default:
      break;
  }
  if (Adj >= TOvcTblAdjust::otaTopLeft && Adj <= TOvcTblAdjust::otaTopRight) Y = Margin;
  if (Adj >= TOvcTblAdjust::otaBottomLeft) Y = H - Margin - Side;
  X += R.Left, Y += R.Top;
  C->Pen()->SetColor(Color);
  C->Brush()->SetColor(Color);
  C->Polygon({TPoint{X, Y}, TPoint{X + Side, Y}, TPoint{X + Side / 2, Y + Side}});
}

void TOvcTCColHead::Paint(TCanvas* C, const TRect& CellRect, int32_t RowNum, int ColNum,
                          const TOvcCellAttributes& A, void* Data) {
  TOvcBaseTableCell::Paint(C, CellRect, RowNum, ColNum, A, Data);
  if (A.Access == TOvcTblAccess::otxInvisible) return;
  if (show_active_col_ && Table() && Table()->HandleAllocated() &&
      ColNum == static_cast<int>(AskTable(ctim_QueryActiveCol))) {
    PaintDownTriangle(C, CellRect, A.Adjust, Margin(), A.FontColor);
    return;
  }
  std::string Text;
  if (show_letters_) {
    Text = HeadingLetters(ColNum, static_cast<int32_t>(AskTable(ctim_QueryLockedCols)));
  } else if (Data) {
    Text = ReadShortString(static_cast<const uint8_t*>(Data));
  } else if (ColNum < headings_->Count()) {
    Text = headings_->Strings(ColNum);
  }
  PaintText(C, CellRect, A, Text);
}

}  // namespace tess
