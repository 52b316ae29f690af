// The standard controls over the system's edit, list box, combo box and button classes,
// and the label.
#include "framework/win/stdctrls.h"

#include <algorithm>

#include "framework/win/forms.h"
#include "framework/win/dc_guards.h"
#include "platform/win32.h"

namespace tess {

namespace {

const char kComboOwnerProp[] = "TessComboOwner";

[[noreturn]] void IndexError(int Index) {
  throw EStringListError(Format("List index out of bounds (%d)", Index));
}

TOwnerDrawState DrawStateOf(UINT ItemState) {
  TOwnerDrawState s;
  if (ItemState & ODS_SELECTED) s += TOwnerDrawStateFlag::odSelected;
  if (ItemState & ODS_GRAYED) s += TOwnerDrawStateFlag::odGrayed;
  if (ItemState & ODS_DISABLED) s += TOwnerDrawStateFlag::odDisabled;
  if (ItemState & ODS_CHECKED) s += TOwnerDrawStateFlag::odChecked;
  if (ItemState & ODS_FOCUS) s += TOwnerDrawStateFlag::odFocused;
  return s;
}

// The border of a control: a sunken edge with the three-dimensional look, a line
// without it.
void ApplyBorder(TCreateParams& P, TBorderStyle Border, bool Ctl3D) {
  if (Border != TBorderStyle::bsSingle) return;
  if (Ctl3D)
    P.ExStyle |= WS_EX_CLIENTEDGE;
  else
    P.Style |= WS_BORDER;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> lines;
  size_t start = 0, i = 0, n = Text.size();
  while (i < n) {
    char c = Text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(Text.substr(start, i - start));
      i += (c == '\r' && i + 1 < n && Text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.push_back(Text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& Lines) {
  std::string s;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i) s += "\r\n";
    s += Lines[i];
  }
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The items of a list box or combo box: in the window while it exists, else in a list
// the control keeps.
// ---------------------------------------------------------------------------------------

struct ListMessages {
  UINT count, text_len, text, get_data, set_data, add, insert, del, reset;
};

const ListMessages kListBoxMessages{LB_GETCOUNT,     LB_GETTEXTLEN,   LB_GETTEXT,
                                    LB_GETITEMDATA,  LB_SETITEMDATA,  LB_ADDSTRING,
                                    LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT};
const ListMessages kComboBoxMessages{CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,
                                     CB_GETITEMDATA,  CB_SETITEMDATA,  CB_ADDSTRING,
                                     CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT};

class TWindowListStrings : public TStrings {
 public:
  TWindowListStrings(TWinControl* Control, const ListMessages& Messages, TStringList* Saved)
      : control_(Control), m_(Messages), saved_(Saved) {}

  int Count() const override {
    if (!Live()) return saved_->Count();
    LRESULT n = Send(m_.count, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
  }

  std::string Get(int Index) const override {
    if (!Live()) return saved_->Get(Index);
    LRESULT len = Send(m_.text_len, static_cast<WPARAM>(Index), 0);
    if (len < 0 || Index < 0) IndexError(Index);
    std::string s(static_cast<size_t>(len) + 1, '\0');
    LRESULT got = Send(m_.text, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
    return s;
  }

  TObject* GetObject(int Index) const override {
    if (!Live()) return saved_->GetObject(Index);
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return reinterpret_cast<TObject*>(Send(m_.get_data, static_cast<WPARAM>(Index), 0));
  }

  void PutObject(int Index, TObject* AObject) override {
    if (!Live()) {
      saved_->PutObject(Index, AObject);
      return;
    }
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Send(m_.set_data, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
  }

  int Add(const std::string& S) override {
    Changing();
    int i;
    if (!Live()) {
      i = saved_->Add(S);
    } else {
      LRESULT r = Send(m_.add, 0, reinterpret_cast<LPARAM>(S.c_str()));
      if (r < 0) throw EOutOfMemory("Cannot add an item to the list");
      i = static_cast<int>(r);
    }
    Changed();
    return i;
  }

  void Insert(int Index, const std::string& S) override {
    if (Index < 0 || Index > Count()) IndexError(Index);
    Changing();
    if (!Live()) {
      if (saved_->Sorted())
        saved_->Add(S);
      else
        saved_->Insert(Index, S);
    } else if (Send(m_.insert, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) <
               0) {
      throw EOutOfMemory("Cannot insert an item into the list");
    }
    Changed();
  }

  // A sorted list kept without a window puts the item where it sorts: the object goes
  // with the item, wherever that is.
  void InsertObject(int Index, const std::string& S, TObject* AObject) override {
    if (Live() || !saved_->Sorted()) {
      TStrings::InsertObject(Index, S, AObject);
      return;
    }
    if (Index < 0 || Index > Count()) IndexError(Index);
    Changing();
    saved_->AddObject(S, AObject);
    Changed();
  }

  void Put(int Index, const std::string& S) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    TObject* obj = GetObject(Index);
    BeginUpdate();
    Delete(Index);
    InsertObject(Index, S, obj);
    EndUpdate();
  }

  void Delete(int Index) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Changing();
    if (!Live())
      saved_->Delete(Index);
    else
      Send(m_.del, static_cast<WPARAM>(Index), 0);
    Changed();
  }

  void Clear() override {
    Changing();
    if (!Live())
      saved_->Clear();
    else
      Send(m_.reset, 0, 0);
    Changed();
  }

  void SetUpdateState(bool Updating) override {
    if (!Live()) return;
    Send(WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    if (!Updating) control_->Invalidate();
  }

 private:
  bool Live() const { return control_->HandleAllocated(); }
  // The list may answer with the control's handlers (an item measured as it is added):
  // one that frees the control, and these strings with it, ends the work at once.
  LRESULT Send(UINT Msg, WPARAM W, LPARAM L) const {
    return RunFor(control_, [&] { return SendMessageA(control_->Handle(), Msg, W, L); });
  }

  TWinControl* control_;
  ListMessages m_;
  TStringList* saved_;
};

namespace {

// Fills a new window with the items kept while there was none, objects included.
void RestoreItems(HWND Window, const ListMessages& M, TStringList* Saved) {
  for (int i = 0; i < Saved->Count(); ++i) {
    LRESULT at = SendMessageA(Window, M.add, 0, reinterpret_cast<LPARAM>(Saved->Get(i).c_str()));
    if (at >= 0)
      SendMessageA(Window, M.set_data, static_cast<WPARAM>(at),
                   reinterpret_cast<LPARAM>(Saved->GetObject(i)));
  }
  Saved->Clear();
}

// Keeps a window's items, objects included and in the window's order, for the next window.
void KeepItems(const TStrings& Items, TStringList* Saved, bool Sorted) {
  Saved->SetSorted(false);
  Saved->Clear();
  for (int i = 0; i < Items.Count(); ++i) Saved->AddObject(Items.Get(i), Items.GetObject(i));
  Saved->SetSorted(Sorted);
}

}  // namespace

// The lines of a memo: read from and written to its text, batched during an update.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo* Memo) : memo_(Memo) {}

  int Count() const override { return static_cast<int>(Lines().size()); }
  std::string Get(int Index) const override {
    std::vector<std::string> lines = Lines();
    if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
    return lines[static_cast<size_t>(Index)];
  }
  void Put(int Index, const std::string& S) override {
    std::vector<std::string> lines = Lines();
    if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
    Changing();
    lines[static_cast<size_t>(Index)] = S;
    Store(lines);
    Changed();
  }
  void Insert(int Index, const std::string& S) override {
    std::vector<std::string> lines = Lines();
    if (Index < 0 || Index > static_cast<int>(lines.size())) IndexError(Index);
    Changing();
    lines.insert(lines.begin() + Index, S);
    Store(lines);
    Changed();
  }
  void Delete(int Index) override {
    std::vector<std::string> lines = Lines();
    if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
    Changing();
    lines.erase(lines.begin() + Index);
    Store(lines);
    Changed();
  }
  void Clear() override {
    Changing();
    Store({});
    Changed();
  }
  void SetUpdateState(bool Updating) override {
    if (Updating) {
      cache_ = SplitLines(memo_->Text());
      updating_ = true;
      dirty_ = false;
    } else {
      updating_ = false;
      if (dirty_) memo_->SetText(JoinLines(cache_));
      cache_.clear();
    }
  }

 private:
  std::vector<std::string> Lines() const { return updating_ ? cache_ : SplitLines(memo_->Text()); }
  void Store(const std::vector<std::string>& Lines) {
    if (updating_) {
      cache_ = Lines;
      dirty_ = true;
    } else {
      memo_->SetText(JoinLines(Lines));
    }
  }

  TCustomMemo* memo_;
  std::vector<std::string> cache_;
  bool updating_ = false;
  bool dirty_ = false;
};

// ---------------------------------------------------------------------------------------
// TCustomEdit
// ---------------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({TControlStyleFlag::csClickEvents, TControlStyleFlag::csSetCaption,
                   TControlStyleFlag::csDoubleClicks});
  SetBounds(0, 0, 121, 25);
  SetColor(clWindow);
  SetTabStop(true);
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  CreateSubClass(P, "EDIT");
  P.Style |= ES_AUTOHSCROLL;
  ApplyBorder(P, border_style_, Ctl3D());
  if (!hide_selection_) P.Style |= ES_NOHIDESEL;
  if (read_only_) P.Style |= ES_READONLY;
  if (char_case_ == TEditCharCase::ecUpperCase) P.Style |= ES_UPPERCASE;
  if (char_case_ == TEditCharCase::ecLowerCase) P.Style |= ES_LOWERCASE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = Handle();
  SendMessageA(h, EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  if (password_char_)
    SendMessageA(h, EM_SETPASSWORDCHAR, static_cast<unsigned char>(password_char_), 0);
  SendMessageA(h, EM_SETMODIFY, modified_ ? TRUE : FALSE, 0);
  SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(saved_sel_start_),
               static_cast<LPARAM>(saved_sel_end_));
  AdjustHeight();
}

void TCustomEdit::DestroyWnd() {
  modified_ = Modified();
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  saved_sel_start_ = static_cast<int32_t>(start);
  saved_sel_end_ = static_cast<int32_t>(end);
  TWinControl::DestroyWnd();
}

void TCustomEdit::AdjustHeight() {
  if (!auto_size_) return;
  int32_t extra = 2;
  if (border_style_ == TBorderStyle::bsSingle) extra = Ctl3D() ? 8 : 6;
  SetHeight(FontHeight(Font()->Handle()) + extra);
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (auto_size_ == Value) return;
  auto_size_ = Value;
  AdjustHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (char_case_ == Value) return;
  char_case_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (hide_selection_ == Value) return;
  hide_selection_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int32_t Value) {
  max_length_ = std::max(Value, 0);
  if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (password_char_ == Value) return;
  password_char_ = Value;
  if (HandleAllocated()) {
    SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
    Invalidate();
  }
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (read_only_ == Value) return;
  read_only_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, Value ? TRUE : FALSE, 0);
}

bool TCustomEdit::Modified() {
  if (!HandleAllocated()) return modified_;
  return SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool Value) {
  modified_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETMODIFY, Value ? TRUE : FALSE, 0);
}

int32_t TCustomEdit::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(start);
}

int32_t TCustomEdit::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(end - start);
}

void TCustomEdit::SetSelStart(int32_t Value) {
  SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(Value), static_cast<LPARAM>(Value));
}

void TCustomEdit::SetSelLength(int32_t Value) {
  int32_t start = SelStart();
  SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + Value));
}

std::string TCustomEdit::SelText() {
  std::string t = Text();
  int32_t start = std::clamp(SelStart(), 0, static_cast<int32_t>(t.size()));
  int32_t len = std::clamp(SelLength(), 0, static_cast<int32_t>(t.size()) - start);
  return t.substr(static_cast<size_t>(start), static_cast<size_t>(len));
}

void TCustomEdit::SetSelText(const std::string& Value) {
  SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() {
  SendMessageA(Handle(), EM_SETSEL, 0, -1);
}
void TCustomEdit::ClearSelection() {
  SendMessageA(Handle(), WM_CLEAR, 0, 0);
}
void TCustomEdit::CopyToClipboard() {
  SendMessageA(Handle(), WM_COPY, 0, 0);
}
void TCustomEdit::CutToClipboard() {
  SendMessageA(Handle(), WM_CUT, 0, 0);
}
void TCustomEdit::PasteFromClipboard() {
  SendMessageA(Handle(), WM_PASTE, 0, 0);
}
void TCustomEdit::Undo() {
  SendMessageA(Handle(), WM_UNDO, 0, 0);
}

void TCustomEdit::Change() {
  FireEvent(this, OnChange, this);
}

void TCustomEdit::DoEnter() {
  // Tabbing into a one-line field selects it; a click places the caret instead.  A memo
  // keeps its caret: its whole text selected would only be typed over or lost.
  if (auto_select_ && !ControlState().Contains(TControlStateFlag::csLButtonDown) &&
      HandleAllocated() && (GetWindowLongA(Handle(), GWL_STYLE) & ES_MULTILINE) == 0)
    SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      if (M.WParamHi() == EN_CHANGE && !ControlState().Contains(TControlStateFlag::csCreating))
        Change();
      M.Result = 0;
      return;
    case CM_CTL3DCHANGED:
      TWinControl::Dispatch(M);
      if (border_style_ == TBorderStyle::bsSingle) {
        RecreateWnd();
        AdjustHeight();
      }
      return;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(M);
      AdjustHeight();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(M);
}

void TCustomEdit::PublishProperties(TPropertyList& P) {
  TWinControl::PublishProperties(P);
  // A new one stops the Tab key.
  P.Find("TabStop")->Default(true);
  P.String(
      "Text", [this] { return Text(); }, [this](const std::string& v) { SetText(v); });
  P.Boolean(
       "AutoSelect", [this] { return auto_select_; }, [this](bool v) { SetAutoSelect(v); })
      .Default(1);
  P.Boolean(
       "AutoSize", [this] { return auto_size_; }, [this](bool v) { SetAutoSize(v); })
      .Default(1);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(1);
  P.Enum<TEditCharCase>(
       "CharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}, [this] { return char_case_; },
       [this](TEditCharCase v) { SetCharCase(v); })
      .Default(0);
  P.Boolean(
       "HideSelection", [this] { return hide_selection_; }, [this](bool v) { SetHideSelection(v); })
      .Default(1);
  P.Integer(
       "MaxLength", [this] { return max_length_; }, [this](int32_t v) { SetMaxLength(v); })
      .Default(0);
  P.Integer(
       "PasswordChar", [this] { return int32_t(static_cast<unsigned char>(password_char_)); },
       [this](int32_t v) { SetPasswordChar(static_cast<char>(v)); })
      .Default(0);
  P.Boolean(
       "ReadOnly", [this] { return read_only_; }, [this](bool v) { SetReadOnly(v); })
      .Default(0);
}

// ---------------------------------------------------------------------------------------
// TCustomMemo
// ---------------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), lines_(std::make_unique<TMemoStrings>(this)) {
  SetAutoSize(false);
  SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& P) {
  TCustomEdit::CreateParams(P);
  P.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (want_returns_) P.Style |= ES_WANTRETURN;
  if (word_wrap_) P.Style &= ~static_cast<uint32_t>(ES_AUTOHSCROLL);
  if (scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth)
    P.Style |= WS_HSCROLL;
  if (scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth)
    P.Style |= WS_VSCROLL;
  if (alignment_ == TAlignment::taCenter) P.Style |= ES_CENTER;
  if (alignment_ == TAlignment::taRightJustify) P.Style |= ES_RIGHT;
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (scroll_bars_ == Value) return;
  scroll_bars_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (word_wrap_ == Value) return;
  word_wrap_ = Value;
  RecreateWnd();
}

void TCustomMemo::Dispatch(TMessage& M) {
  if (M.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(M);
    if (want_tabs_)
      M.Result |= DLGC_WANTTAB;
    else
      M.Result &= ~static_cast<intptr_t>(DLGC_WANTTAB);
    if (!want_returns_) M.Result &= ~static_cast<intptr_t>(DLGC_WANTALLKEYS);
    return;
  }
  TCustomEdit::Dispatch(M);
}

void TCustomMemo::PublishProperties(TPropertyList& P) {
  TCustomEdit::PublishProperties(P);
  P.Find("AutoSize")->Default(false);
  P.Object("Lines", [this] { return lines_.get(); });
  P.Enum<TAlignment>(
       "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, [this] { return alignment_; },
       [this](TAlignment v) { SetAlignment(v); })
      .Default(0);
  P.Enum<TScrollStyle>(
       "ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
       [this] { return scroll_bars_; }, [this](TScrollStyle v) { SetScrollBars(v); })
      .Default(0);
  P.Boolean(
       "WordWrap", [this] { return word_wrap_; }, [this](bool v) { SetWordWrap(v); })
      .Default(1);
  P.Boolean(
       "WantTabs", [this] { return want_tabs_; }, [this](bool v) { SetWantTabs(v); })
      .Default(0);
  P.Boolean(
       "WantReturns", [this] { return want_returns_; }, [this](bool v) { SetWantReturns(v); })
      .Default(1);
}

// ---------------------------------------------------------------------------------------
// Owner drawing shared by the lists
// ---------------------------------------------------------------------------------------

namespace {

// Sets the canvas up for one item and runs Draw for the parts the system asks for.
template <class DrawFn>
void OwnerDraw(TControlCanvas* Canvas, TControl* Control, const DRAWITEMSTRUCT* D, DrawFn Draw) {
  TOwnerDrawState state = DrawStateOf(D->itemState);
  TRect r{D->rcItem.left, D->rcItem.top, D->rcItem.right, D->rcItem.bottom};
  Canvas->DrawOn(D->hDC, [&] {
    Canvas->Font()->Assign(Control->Font());
    if (state.Contains(TOwnerDrawStateFlag::odSelected)) {
      Canvas->Brush()->SetColor(clHighlight);
      Canvas->Font()->SetColor(clHighlightText);
    } else {
      Canvas->Brush()->SetColor(Control->Color());
    }
    bool item = static_cast<int>(D->itemID) >= 0;
    if (item && (D->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
      Draw(static_cast<int32_t>(D->itemID), r, state);
    if (state.Contains(TOwnerDrawStateFlag::odFocused) &&
        (D->itemAction & (ODA_DRAWENTIRE | ODA_FOCUS)))
      Canvas->DrawFocusRect(r);
    else if (!item && (D->itemAction & ODA_FOCUS))
      Canvas->DrawFocusRect(r);
  });
}

// Answers CN_DRAWITEM or CN_MEASUREITEM for a list: an item's height is ItemHeight unless
// Measure changes it, and never below 1.
template <class DrawFn, class MeasureFn>
void AnswerOwnerDraw(TMessage& M, TControlCanvas* Canvas, TControl* Control, int32_t ItemHeight,
                     DrawFn Draw, MeasureFn Measure) {
  if (M.Msg == CN_DRAWITEM) {
    OwnerDraw(Canvas, Control, reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam), Draw);
  } else {
    auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
    int32_t h = ItemHeight;
    Measure(static_cast<int32_t>(mi->itemID), h);
    mi->itemHeight = static_cast<UINT>(std::max(h, 1));
  }
  M.Result = 1;
}

// An item of a list without OnDrawItem: its text on the background, tabs expanded to
// TabStops (dialog units: a quarter of the font's average character width).
void DrawItemText(TCanvas* Canvas, const TStrings& Items, int32_t Index, const TRect& Rect,
                  const std::vector<int32_t>& TabStops = {}) {
  Canvas->FillRect(Rect);
  if (Index >= Items.Count()) return;
  std::string text = Items.Get(Index);
  if (text.find('\t') == std::string::npos) {
    Canvas->TextOut(Rect.Left + 2, Rect.Top, text);
    return;
  }
  Canvas->TextExtent("x");  // selects the font and colours
  HDC dc = Canvas->Handle();
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  std::vector<INT> stops;
  for (int32_t du : TabStops)
    stops.push_back(static_cast<INT>(std::min<int64_t>(int64_t{du} * tm.tmAveCharWidth / 4, INT32_MAX)));
  // The background is filled already; the context is lent to us, so its mode goes back.
  int mode = SetBkMode(dc, TRANSPARENT);
  TabbedTextOutA(dc, Rect.Left + 2, Rect.Top, text.c_str(), static_cast<int>(text.size()),
                 static_cast<int>(stops.size()), stops.empty() ? nullptr : stops.data(), Rect.Left + 2);
  SetBkMode(dc, mode);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TCustomListBox
// ---------------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      saved_items_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TControlCanvas>(this)) {
  items_ = std::make_unique<TWindowListStrings>(this, kListBoxMessages, saved_items_.get());
  SetControlStyle({TControlStyleFlag::csSetCaption, TControlStyleFlag::csDoubleClicks});
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
  SetTabStop(true);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  CreateSubClass(P, "LISTBOX");
  P.Style |= LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL;
  if (style_ == TListBoxStyle::lbOwnerDrawFixed) P.Style |= LBS_OWNERDRAWFIXED;
  if (style_ == TListBoxStyle::lbOwnerDrawVariable) P.Style |= LBS_OWNERDRAWVARIABLE;
  if (sorted_) P.Style |= LBS_SORT;
  if (multi_select_) P.Style |= extended_select_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!integral_height_) P.Style |= LBS_NOINTEGRALHEIGHT;
  if (tab_width_ > 0 || !tab_stops_.empty()) P.Style |= LBS_USETABSTOPS;
  ApplyBorder(P, border_style_, Ctl3D());
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = Handle();
  if (style_ == TListBoxStyle::lbOwnerDrawFixed)
    SendMessageA(h, LB_SETITEMHEIGHT, 0, MAKELPARAM(item_height_, 0));
  if (!tab_stops_.empty()) {
    std::vector<INT> stops(tab_stops_.begin(), tab_stops_.end());
    SendMessageA(h, LB_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
  } else if (tab_width_ > 0) {
    INT stops = tab_width_;
    SendMessageA(h, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stops));
  }
  if (horizontal_extent_ > 0) SendMessageA(h, LB_SETHORIZONTALEXTENT, horizontal_extent_, 0);
  SendMessageA(h, WM_SETREDRAW, FALSE, 0);
  RestoreItems(h, kListBoxMessages, saved_items_.get());
  if (multi_select_) {
    for (int32_t i : saved_selection_) SendMessageA(h, LB_SETSEL, TRUE, i);
    if (saved_index_ >= 0)
      SendMessageA(h, LB_SETCARETINDEX, static_cast<WPARAM>(saved_index_), FALSE);
  } else if (saved_index_ >= 0) {
    SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(saved_index_), 0);
  }
  SendMessageA(h, LB_SETTOPINDEX, static_cast<WPARAM>(saved_top_), 0);
  SendMessageA(h, WM_SETREDRAW, TRUE, 0);
}

void TCustomListBox::DestroyWnd() {
  HWND h = Handle();
  saved_index_ = ItemIndex();
  saved_top_ = TopIndex();
  saved_selection_.clear();
  int n = static_cast<int>(SendMessageA(h, LB_GETCOUNT, 0, 0));
  for (int i = 0; multi_select_ && i < n; ++i) {
    if (SendMessageA(h, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) saved_selection_.push_back(i);
  }
  KeepItems(*items_, saved_items_.get(), sorted_);
  TWinControl::DestroyWnd();
}

int32_t TCustomListBox::ItemIndex() {
  if (!HandleAllocated()) return saved_index_;
  LRESULT r = SendMessageA(Handle(), multi_select_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
  return r < 0 ? -1 : static_cast<int32_t>(r);
}

void TCustomListBox::SetItemIndex(int32_t Value) {
  if (!HandleAllocated()) {
    saved_index_ = Value;
    return;
  }
  if (multi_select_)
    SendMessageA(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(Value), FALSE);
  else
    SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

bool TCustomListBox::Selected(int32_t Index) {
  if (Index < 0 || Index >= items_->Count()) IndexError(Index);
  if (!HandleAllocated()) {
    if (multi_select_)
      return std::find(saved_selection_.begin(), saved_selection_.end(), Index) !=
             saved_selection_.end();
    return Index == saved_index_;
  }
  return SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(Index), 0) > 0;
}

void TCustomListBox::SetSelected(int32_t Index, bool Value) {
  if (Index < 0 || Index >= items_->Count()) IndexError(Index);
  if (multi_select_) {
    SendMessageA(Handle(), LB_SETSEL, Value ? TRUE : FALSE, Index);
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

int32_t TCustomListBox::SelCount() {
  if (!multi_select_) return ItemIndex() >= 0 ? 1 : 0;
  LRESULT r = SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0);
  return r < 0 ? 0 : static_cast<int32_t>(r);
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (multi_select_ == Value) return;
  multi_select_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (extended_select_ == Value) return;
  extended_select_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  if (HandleAllocated()) {
    RecreateWnd();
  } else {
    saved_items_->SetSorted(Value);
  }
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

int32_t TCustomListBox::ItemHeight() {
  if (!HandleAllocated()) return item_height_;
  LRESULT r = SendMessageA(Handle(), LB_GETITEMHEIGHT, 0, 0);
  return r < 0 ? item_height_ : static_cast<int32_t>(r);
}

void TCustomListBox::SetItemHeight(int32_t Value) {
  if (Value <= 0 || item_height_ == Value) return;
  item_height_ = Value;
  if (HandleAllocated() && style_ == TListBoxStyle::lbOwnerDrawFixed) {
    SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(Value, 0));
    Invalidate();
  }
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (integral_height_ == Value) return;
  integral_height_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetTabWidth(int32_t Value) {
  Value = std::max(Value, 0);
  if (tab_width_ == Value) return;
  tab_width_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetTabStops(const std::vector<int32_t>& DialogUnits) {
  bool style_changes = tab_stops_.empty() != DialogUnits.empty() && tab_width_ == 0;
  tab_stops_ = DialogUnits;
  if (style_changes) {
    RecreateWnd();
  } else if (HandleAllocated()) {
    std::vector<INT> stops(tab_stops_.begin(), tab_stops_.end());
    SendMessageA(Handle(), LB_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
    Invalidate();
  }
}

void TCustomListBox::SetHorizontalExtent(int32_t Pixels) {
  horizontal_extent_ = std::max(Pixels, 0);
  if (HandleAllocated()) SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, horizontal_extent_, 0);
}

int32_t TCustomListBox::TopIndex() {
  if (!HandleAllocated()) return saved_top_;
  return static_cast<int32_t>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int32_t Value) {
  if (!HandleAllocated()) {
    saved_top_ = Value;
    return;
  }
  SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
}

int32_t TCustomListBox::ItemAtPos(TPoint P, bool Existing) {
  int32_t count = items_->Count();
  if (count == 0) return Existing ? -1 : 0;
  LRESULT r = SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(P.X, P.Y));
  int32_t index = LOWORD(r);
  bool outside = HIWORD(r) != 0;
  if (outside) {
    // Below the last item (or beside the items) there is no item.
    TRect last = ItemRect(count - 1);
    if (P.Y >= last.Bottom) return Existing ? -1 : count;
    if (Existing) return -1;
  }
  return index;
}

TRect TCustomListBox::ItemRect(int32_t Index) {
  RECT r{};
  SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return {r.left, r.top, r.right, r.bottom};
}

// Raised while the system draws or measures: a handler that frees the list ends that
// work (RaiseEvent), and the parent's reflection of the message with it.
void TCustomListBox::DrawItem(int32_t Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    RaiseEvent(this, OnDrawItem, this, Index, Rect, State);
    return;
  }
  DrawItemText(canvas_.get(), *items_, Index, Rect, tab_stops_);
}

void TCustomListBox::MeasureItem(int32_t Index, int32_t& Height) {
  RaiseEvent(this, OnMeasureItem, this, Index, Height);
}

void TCustomListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      switch (M.WParamHi()) {
        case LBN_SELCHANGE:
          // A drag's last release ends the list's tracking: it selects nothing new.
          if (!DragReleaseOf(this)) Click();
          break;
        case LBN_DBLCLK:
          DblClick();
          break;
        default:
          break;
      }
      M.Result = 0;
      return;
    case CN_DRAWITEM:
    case CN_MEASUREITEM:
      AnswerOwnerDraw(
          M, canvas_.get(), this, item_height_,
          [this](int32_t i, const TRect& r, TOwnerDrawState s) { DrawItem(i, r, s); },
          [this](int32_t i, int32_t& h) { MeasureItem(i, h); });
      return;
    case CM_CTL3DCHANGED:
      TWinControl::Dispatch(M);
      if (border_style_ == TBorderStyle::bsSingle) RecreateWnd();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(M);
}

void TCustomListBox::PublishProperties(TPropertyList& P) {
  TWinControl::PublishProperties(P);
  // A new one stops the Tab key.
  P.Find("TabStop")->Default(true);
  P.Object("Items", [this] { return items_.get(); });
  P.Boolean(
       "MultiSelect", [this] { return multi_select_; }, [this](bool v) { SetMultiSelect(v); })
      .Default(0);
  P.Boolean(
       "ExtendedSelect", [this] { return extended_select_; },
       [this](bool v) { SetExtendedSelect(v); })
      .Default(1);
  P.Boolean(
       "Sorted", [this] { return sorted_; }, [this](bool v) { SetSorted(v); })
      .Default(0);
  P.Enum<TListBoxStyle>(
       "Style", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"},
       [this] { return style_; }, [this](TListBoxStyle v) { SetStyle(v); })
      .Default(0);
  P.Integer(
       "ItemHeight", [this] { return item_height_; }, [this](int32_t v) { SetItemHeight(v); })
      .Default(16);
  P.Boolean(
       "IntegralHeight", [this] { return integral_height_; },
       [this](bool v) { SetIntegralHeight(v); })
      .Default(0);
  P.Integer(
       "TabWidth", [this] { return tab_width_; }, [this](int32_t v) { SetTabWidth(v); })
      .Default(0);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(1);
}

// ---------------------------------------------------------------------------------------
// TCustomComboBox
// ---------------------------------------------------------------------------------------

namespace {

LRESULT CALLBACK ComboEditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* combo = static_cast<TCustomComboBox*>(GetPropA(Wnd, kComboOwnerProp));
  if (!combo) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage m{Msg, WParam, LParam, 0};
  if (combo->DestroyingObject()) {
    combo->DefaultEditHandler(m);
    return m.Result;
  }
  {
    TWindowMessageScope scope(Wnd);
    TControlWatch watch(combo);
    try {
      combo->EditWndProc(m);
    } catch (...) {
      if (Application) Application->HandleException(watch.Alive() ? combo : nullptr);
    }
  }
  if (!InsideMessageHandler()) FreeDeviceContexts();
  return m.Result;
}

}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner),
      saved_items_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TControlCanvas>(this)) {
  items_ = std::make_unique<TWindowListStrings>(this, kComboBoxMessages, saved_items_.get());
  SetControlStyle({TControlStyleFlag::csSetCaption, TControlStyleFlag::csDoubleClicks});
  SetBounds(0, 0, 145, 24);
  SetColor(clWindow);
  SetTabStop(true);
}

TCustomComboBox::~TCustomComboBox() {
  UnhookEdit();
}

int32_t TCustomComboBox::DropHeight() {
  int32_t edit = FontHeight(Font()->Handle()) + 8;
  return std::max(Height(), edit) + item_height_ * drop_down_count_ + 2;
}

void TCustomComboBox::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  CreateSubClass(P, "COMBOBOX");
  P.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  switch (style_) {
    case TComboBoxStyle::csDropDown:
      P.Style |= CBS_DROPDOWN;
      break;
    case TComboBoxStyle::csSimple:
      P.Style |= CBS_SIMPLE;
      break;
    case TComboBoxStyle::csDropDownList:
      P.Style |= CBS_DROPDOWNLIST;
      break;
    case TComboBoxStyle::csOwnerDrawFixed:
      P.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
      break;
    case TComboBoxStyle::csOwnerDrawVariable:
      P.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE;
      break;
  }
  if (sorted_) P.Style |= CBS_SORT;
  // The height of a drop-down window is the height of its list when dropped.
  if (style_ != TComboBoxStyle::csSimple) P.Height = DropHeight();
}

void TCustomComboBox::CreateWnd() {
  std::string text = TextField();
  TWinControl::CreateWnd();
  HWND h = Handle();
  if (max_length_) SendMessageA(h, CB_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  if (style_ == TComboBoxStyle::csOwnerDrawFixed)
    SendMessageA(h, CB_SETITEMHEIGHT, 0, item_height_);
  RestoreItems(h, kComboBoxMessages, saved_items_.get());
  if (saved_index_ >= 0) SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(saved_index_), 0);
  // The text typed into the edit part wins over the selected item's.
  if ((style_ == TComboBoxStyle::csDropDown || style_ == TComboBoxStyle::csSimple) && !text.empty())
    SetWindowTextA(h, text.c_str());
  HookEdit();
}

void TCustomComboBox::HookEdit() {
  edit_ = EditHandle();
  if (!edit_) return;
  SetPropA(edit_, kComboOwnerProp, this);
  edit_proc_ = reinterpret_cast<void*>(
      SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc)));
}

void TCustomComboBox::UnhookEdit() {
  if (edit_ && IsWindow(edit_)) {
    SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_proc_));
    RemovePropA(edit_, kComboOwnerProp);
  }
  edit_ = nullptr;
  edit_proc_ = nullptr;
}

void TCustomComboBox::DestroyWnd() {
  saved_index_ = ItemIndex();
  KeepItems(*items_, saved_items_.get(), sorted_);
  UnhookEdit();
  TWinControl::DestroyWnd();
}

HWnd TCustomComboBox::EditHandle() {
  if (style_ != TComboBoxStyle::csDropDown && style_ != TComboBoxStyle::csSimple) return nullptr;
  if (edit_) return edit_;
  return FindWindowExA(Handle(), nullptr, "Edit", nullptr);
}

HWnd TCustomComboBox::ListHandle() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(Handle(), &info)) return nullptr;
  return info.hwndList;
}

void TCustomComboBox::DefaultEditHandler(TMessage& M) {
  if (edit_proc_ && edit_)
    M.Result =
        CallWindowProcA(reinterpret_cast<WNDPROC>(edit_proc_), edit_, M.Msg, M.WParam, M.LParam);
  else
    M.Result = 0;
}

void TCustomComboBox::EditWndProc(TMessage& M) {
  // The key and focus events may free the combo box: its edit is then left alone.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(M)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(M)) return;
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (DoKeyPress(M)) return;
      break;
    case WM_SETFOCUS:
      // The edit window holds the combo box's focus.
      if (TCustomForm* form = GetParentForm(this))
        form->SetFocusedControl(this);
      else
        DoEnter();
      break;
    case WM_KILLFOCUS:
      if (!GetParentForm(this)) DoExit();
      break;
    default:
      break;
  }
  if (!watch.Alive()) return;
  HWND edit = edit_;
  DefaultEditHandler(M);
  if (M.Msg == WM_NCDESTROY && edit && watch.Alive()) RemovePropA(edit, kComboOwnerProp);
}

bool TCustomComboBox::Focused() const {
  if (!HandleAllocated()) return false;
  HWND f = GetFocus();
  return f && (f == const_cast<TCustomComboBox*>(this)->Handle() || f == edit_);
}

void TCustomComboBox::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  if (!HandleAllocated() || style_ == TComboBoxStyle::csSimple) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  // The system fixes the height of the closed box; the window keeps its list's height.
  if (ALeft == Left() && ATop == Top() && AWidth == Width()) return;
  TControlWatch watch(this);  // OnResize runs inside, and may free the box
  SetWindowPos(Handle(), nullptr, ALeft, ATop, std::max(AWidth, 0), DropHeight(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (!watch.Alive()) return;
  UpdateBounds();
  RequestAlign();
}

int32_t TCustomComboBox::ItemIndex() {
  if (!HandleAllocated()) return saved_index_;
  LRESULT r = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
  return r < 0 ? -1 : static_cast<int32_t>(r);
}

void TCustomComboBox::SetItemIndex(int32_t Value) {
  if (!HandleAllocated()) {
    saved_index_ = Value;
    return;
  }
  SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  if (HandleAllocated())
    RecreateWnd();
  else
    saved_items_->SetSorted(Value);
}

void TCustomComboBox::SetDropDownCount(int32_t Value) {
  if (Value < 1) return;
  drop_down_count_ = Value;
  if (HandleAllocated() && style_ != TComboBoxStyle::csSimple)
    SetWindowPos(Handle(), nullptr, 0, 0, Width(), DropHeight(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TCustomComboBox::DroppedDown() {
  return HandleAllocated() && SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  SendMessageA(Handle(), CB_SHOWDROPDOWN, Value ? TRUE : FALSE, 0);
}

int32_t TCustomComboBox::ItemHeight() {
  if (!HandleAllocated()) return item_height_;
  LRESULT r = SendMessageA(Handle(), CB_GETITEMHEIGHT, 0, 0);
  return r < 0 ? item_height_ : static_cast<int32_t>(r);
}

void TCustomComboBox::SetItemHeight(int32_t Value) {
  if (Value <= 0) return;
  item_height_ = Value;
  if (HandleAllocated()) SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, Value);
}

void TCustomComboBox::SetMaxLength(int32_t Value) {
  max_length_ = std::max(Value, 0);
  if (HandleAllocated()) SendMessageA(Handle(), CB_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
}

int32_t TCustomComboBox::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(start);
}

int32_t TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int32_t>(end - start);
}

void TCustomComboBox::SetSelStart(int32_t Value) {
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

void TCustomComboBox::SetSelLength(int32_t Value) {
  int32_t start = SelStart();
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start + Value));
}

std::string TCustomComboBox::SelText() {
  std::string t = Text();
  int32_t start = std::clamp(SelStart(), 0, static_cast<int32_t>(t.size()));
  int32_t len = std::clamp(SelLength(), 0, static_cast<int32_t>(t.size()) - start);
  return t.substr(static_cast<size_t>(start), static_cast<size_t>(len));
}

void TCustomComboBox::SetSelText(const std::string& Value) {
  if (HWND e = EditHandle())
    SendMessageA(e, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomComboBox::SelectAll() {
  SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TCustomComboBox::Clear() {
  SetText("");
  items_->Clear();
}

void TCustomComboBox::Change() {
  FireEvent(this, OnChange, this);
}

void TCustomComboBox::DropDown() {
  FireEvent(this, OnDropDown, this);
}

void TCustomComboBox::CloseUp() {
  FireEvent(this, OnCloseUp, this);
}

void TCustomComboBox::DrawItem(int32_t Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    RaiseEvent(this, OnDrawItem, this, Index, Rect, State);
    return;
  }
  DrawItemText(canvas_.get(), *items_, Index, Rect);
}

void TCustomComboBox::MeasureItem(int32_t Index, int32_t& Height) {
  RaiseEvent(this, OnMeasureItem, this, Index, Height);
}

void TCustomComboBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      switch (M.WParamHi()) {
        case CBN_SELCHANGE: {
          // The edit part shows the new item only after this notice; show it now.
          int32_t i = ItemIndex();
          if (i >= 0 && EditHandle()) SetWindowTextA(Handle(), items_->Get(i).c_str());
          TControlWatch watch(this);
          Click();
          if (watch.Alive()) Change();
          break;
        }
        case CBN_EDITCHANGE:
          Change();
          break;
        case CBN_DROPDOWN:
          DropDown();
          break;
        case CBN_CLOSEUP:
          CloseUp();
          break;
        default:
          break;
      }
      M.Result = 0;
      return;
    case CN_DRAWITEM:
    case CN_MEASUREITEM:
      AnswerOwnerDraw(
          M, canvas_.get(), this, item_height_,
          [this](int32_t i, const TRect& r, TOwnerDrawState s) { DrawItem(i, r, s); },
          [this](int32_t i, int32_t& h) { MeasureItem(i, h); });
      return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      // The edit and list windows inside ask the combo box itself.
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      M.Result = reinterpret_cast<intptr_t>(Brush()->Handle());
      return;
    }
    case WM_SETTEXT:
      if (style_ != TComboBoxStyle::csDropDown && style_ != TComboBoxStyle::csSimple &&
          HandleAllocated()) {
        // A list-only box shows an item: setting the text selects the item of that text.
        auto* s = reinterpret_cast<const char*>(M.LParam);
        LRESULT i = SendMessageA(Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(s ? s : ""));
        SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        M.Result = 1;
        return;
      }
      break;
    case CM_WANTSPECIALKEY:
      // Enter and Escape close an open list rather than pressing a button.
      if ((M.WParam == VK_RETURN || M.WParam == VK_ESCAPE) && DroppedDown()) {
        M.Result = 1;
        return;
      }
      break;
    case CM_CTL3DCHANGED:
      TWinControl::Dispatch(M);
      RecreateWnd();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(M);
}

void TCustomComboBox::PublishProperties(TPropertyList& P) {
  TWinControl::PublishProperties(P);
  // A new one stops the Tab key.
  P.Find("TabStop")->Default(true);
  P.String(
      "Text", [this] { return Text(); }, [this](const std::string& v) { SetText(v); });
  P.Object("Items", [this] { return items_.get(); });
  P.Enum<TComboBoxStyle>(
       "Style",
       {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"},
       [this] { return style_; }, [this](TComboBoxStyle v) { SetStyle(v); })
      .Default(0);
  P.Boolean(
       "Sorted", [this] { return sorted_; }, [this](bool v) { SetSorted(v); })
      .Default(0);
  P.Integer(
       "DropDownCount", [this] { return drop_down_count_; },
       [this](int32_t v) { SetDropDownCount(v); })
      .Default(8);
  P.Integer(
       "ItemHeight", [this] { return item_height_; }, [this](int32_t v) { SetItemHeight(v); })
      .Default(16);
  P.Integer(
       "MaxLength", [this] { return max_length_; }, [this](int32_t v) { SetMaxLength(v); })
      .Default(0);
}

// ---------------------------------------------------------------------------------------
// TButton
// ---------------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({TControlStyleFlag::csSetCaption, TControlStyleFlag::csDoubleClicks});
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  CreateSubClass(P, "BUTTON");
  if (owner_draw_)
    P.Style |= BS_OWNERDRAW;
  else
    P.Style |= default_look_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetButtonStyle(bool ADefault) {
  if (default_look_ == ADefault) return;
  default_look_ = ADefault;
  if (!HandleAllocated()) return;
  if (owner_draw_)
    Invalidate();
  else
    SendMessageA(Handle(), BM_SETSTYLE, ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::SetOwnerDraw(bool Value) {
  if (owner_draw_ == Value) return;
  owner_draw_ = Value;
  RecreateWnd();
}

void TButton::SetDefault(bool Value) {
  default_ = Value;
  TCustomForm* form = GetParentForm(this);
  TWinControl* focused = form ? form->FocusedControl() : nullptr;
  SetButtonStyle(focused == this || (Value && !dynamic_cast<TButton*>(focused)));
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && modal_result_ != mrNone)
    form->SetModalResult(modal_result_);
  TWinControl::Click();
}

void TButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button takes the second click of a double click as a press.
      if (owner_draw_) M.Msg = WM_LBUTTONDOWN;
      break;
    case BM_SETSTYLE:
      // Whoever asks for the default look (the dialog manager, say), the button stays
      // owner-drawn: the look becomes our flag and a repaint.
      if (owner_draw_) {
        bool look = (M.WParam & 0x0F) == BS_DEFPUSHBUTTON;
        M.WParam = (M.WParam & ~uintptr_t{0x0F}) | BS_OWNERDRAW;
        if (look != default_look_) {
          default_look_ = look;
          M.LParam = TRUE;
        }
      }
      break;
    case CN_COMMAND:
      // A drag's last release over the button is no press.
      if (M.WParamHi() == BN_CLICKED && !DragReleaseOf(this)) Click();
      M.Result = 0;
      return;
    case CM_DIALOGKEY: {
      M.Result = 0;
      if (!Visible() || !Enabled()) return;
      TCustomForm* form = GetParentForm(this);
      TWinControl* focused = form ? form->FocusedControl() : nullptr;
      bool press = false;
      if (M.WParam == VK_RETURN)
        press = focused == this || (default_ && !dynamic_cast<TButton*>(focused));
      else if (M.WParam == VK_ESCAPE)
        press = cancel_;
      if (press) {
        Click();
        M.Result = 1;
      }
      return;
    }
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(M.LParam);
      SetButtonStyle(focused == this || (default_ && !dynamic_cast<TButton*>(focused)));
      return;
    }
    case CM_DIALOGCHAR:
      M.Result = 0;
      if (IsAccel(static_cast<char>(M.WParam), Caption()) && CanFocus()) {
        TControlWatch watch(this);
        SetFocus();
        if (watch.Alive()) Click();
        M.Result = 1;
      }
      return;
    default:
      break;
  }
  TWinControl::Dispatch(M);
}

void TButton::PublishProperties(TPropertyList& P) {
  TWinControl::PublishProperties(P);
  // A new one stops the Tab key.
  P.Find("TabStop")->Default(true);
  P.String(
      "Caption", [this] { return Caption(); }, [this](const std::string& v) { SetCaption(v); });
  P.Boolean(
       "Default", [this] { return default_; }, [this](bool v) { SetDefault(v); })
      .Default(0);
  P.Boolean(
       "Cancel", [this] { return cancel_; }, [this](bool v) { SetCancel(v); })
      .Default(0);
  P.Integer(
       "ModalResult", [this] { return modal_result_; }, [this](int32_t v) { SetModalResult(v); })
      .Default(0);
}

// ---------------------------------------------------------------------------------------
// TCustomLabel
// ---------------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyleFlag::csOpaque);
  SetBounds(0, 0, 65, 17);
  // Sized to its text from the start, as it is once read back from a stream.
  AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& Rect, uint32_t Flags) {
  std::string text = Caption();
  if ((Flags & DT_CALCRECT) && (text.empty() || (show_accel_char_ && text == "&"))) text += " ";
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  if (!Enabled() && !(Flags & DT_CALCRECT)) {
    // Disabled: the text embossed in the system's colours.
    TRect r = OffsetRect(Rect, 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    c->DrawText(text, r, Flags);
    c->Font()->SetColor(clBtnShadow);
    c->DrawText(text, Rect, Flags);
    return;
  }
  c->DrawText(text, Rect, Flags);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent_) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  uint32_t flags = DT_EXPANDTABS;
  if (word_wrap_) flags |= DT_WORDBREAK;
  if (!show_accel_char_) flags |= DT_NOPREFIX;
  switch (alignment_) {
    case TAlignment::taRightJustify:
      flags |= DT_RIGHT;
      break;
    case TAlignment::taCenter:
      flags |= DT_CENTER;
      break;
    default:
      flags |= DT_LEFT;
      break;
  }
  if (layout_ != TTextLayout::tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    int32_t offset = r.Height() - calc.Height();
    if (layout_ == TTextLayout::tlCenter) offset /= 2;
    r.Top += offset;
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!auto_size_ || (ComponentState() & csLoading)) return;
  std::string caption = Caption();
  const std::string text = caption.empty() ? std::string(1, ' ') : caption;
  TScreenDC screen;
  TCanvas measure;
  measure.SetHandle(screen.Handle());
  measure.Font()->Assign(Font());
  TRect r{0, 0, word_wrap_ ? Width() : 0, 0};
  uint32_t flags = DT_CALCRECT | DT_EXPANDTABS | (word_wrap_ ? DT_WORDBREAK : 0) |
                   (show_accel_char_ ? 0 : DT_NOPREFIX);
  measure.DrawText(text, r, flags);
  measure.SetHandle(nullptr);
  int32_t left = Left();
  // A right-aligned label grows to the left.
  if (alignment_ == TAlignment::taRightJustify && !word_wrap_) left += Width() - r.Width();
  SetBounds(left, Top(), r.Width(), r.Height());
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (auto_size_ == Value) return;
  auto_size_ = Value;
  AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (show_accel_char_ == Value) return;
  show_accel_char_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  TControlStyle s = ControlStyle();
  if (Value)
    s -= TControlStyleFlag::csOpaque;
  else
    s += TControlStyleFlag::csOpaque;
  SetControlStyle(s);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (word_wrap_ == Value) return;
  word_wrap_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  focus_control_ = Value;
  if (Value) FreeNotification(Value);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focus_control_) focus_control_ = nullptr;
}

void TCustomLabel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_DIALOGCHAR:
      // The label's letter moves the focus to the control it names.
      M.Result = 0;
      if (show_accel_char_ && focus_control_ && focus_control_->CanFocus() &&
          IsAccel(static_cast<char>(M.WParam), Caption())) {
        focus_control_->SetFocus();
        M.Result = 1;
      }
      return;
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      return;
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(M);
      AdjustBounds();
      return;
    default:
      break;
  }
  TGraphicControl::Dispatch(M);
}

void TCustomLabel::PublishProperties(TPropertyList& P) {
  TGraphicControl::PublishProperties(P);
  P.String(
      "Caption", [this] { return Caption(); }, [this](const std::string& v) { SetCaption(v); });
  P.Enum<TAlignment>(
       "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, [this] { return alignment_; },
       [this](TAlignment v) { SetAlignment(v); })
      .Default(0);
  P.Boolean(
       "AutoSize", [this] { return auto_size_; }, [this](bool v) { SetAutoSize(v); })
      .Default(1);
  P.Enum<TTextLayout>(
       "Layout", {"tlTop", "tlCenter", "tlBottom"}, [this] { return layout_; },
       [this](TTextLayout v) { SetLayout(v); })
      .Default(0);
  P.Boolean(
       "ShowAccelChar", [this] { return show_accel_char_; },
       [this](bool v) { SetShowAccelChar(v); })
      .Default(1);
  P.Boolean(
       "Transparent", [this] { return transparent_; }, [this](bool v) { SetTransparent(v); })
      .Default(0);
  P.Boolean(
       "WordWrap", [this] { return word_wrap_; }, [this](bool v) { SetWordWrap(v); })
      .Default(0);
  P.Component(
      "FocusControl", [this] { return static_cast<TComponent*>(focus_control_); },
      [this](TComponent* v) { SetFocusControl(dynamic_cast<TWinControl*>(v)); });
}

}  // namespace tess
