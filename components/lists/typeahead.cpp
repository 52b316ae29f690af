// Type-ahead list and combo boxes and the tabbed list box (see typeahead.h).
#include "components/lists/typeahead.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "platform/win32.h"

namespace tess {

namespace {

bool ChangesItems(uint32_t Msg) {
  switch (Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_DELETESTRING:
    case CB_RESETCONTENT:
    case WM_CREATE:
    case WM_DESTROY:
      return true;
    default:
      return false;
  }
}

bool ClearsSearch(uintptr_t Key) {
  switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return true;
    default:
      return false;
  }
}

void Beep(bool Enabled) {
  if (Enabled) MessageBeep(0);
}

std::vector<std::string> ItemKeys(const TStrings& Items, bool Strip) {
  std::vector<std::string> keys;
  int n = Items.Count();
  keys.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) keys.push_back(Strip ? StripSpaces(Items.Get(i)) : Items.Get(i));
  return keys;
}

// One character typed into a type-ahead list: true when the key goes on to the
// control.  Find looks a text up, Select selects an index (-1: none); a Backspace that
// empties the search selects Emptied.
bool TypeAheadKey(char Key, std::string& Search, bool BeepOnInvalid,
                  const std::function<int32_t(const std::string&)>& Find,
                  const std::function<void(int32_t)>& Select, int32_t Emptied) {
  // The search text is kept before the selection moves: the control's handlers run
  // there and may free it, and Search with it.
  auto lookup = [&](const std::string& Text) {
    int32_t i = Find(Text);
    if (i < 0) {
      Beep(BeepOnInvalid);
      return false;
    }
    Search = Text;
    Select(i);
    return true;
  };
  unsigned char k = static_cast<unsigned char>(Key);
  if (k >= 32) return lookup(Search + Key);
  if (k == VK_BACK) {
    if (Search.empty()) {
      Beep(BeepOnInvalid);
      return false;
    }
    std::string copy = Search.substr(0, Search.size() - 1);
    if (copy.empty()) {
      Search.clear();
      Select(Emptied);
      return true;
    }
    return lookup(copy);
  }
  if (k == VK_ESCAPE) {
    Search.clear();
    Select(-1);
    return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TRzCustomListBox
// ---------------------------------------------------------------------------------------

int32_t TTypeAheadSearch::FindIn(const TStrings& Items, const std::string& Text) {
  if (Text.empty()) return -1;
  if (!index_.Valid() || index_.Count() != Items.Count()) index_.Build(ItemKeys(Items, strip_));
  return index_.Find(Text);
}

void TTypeAheadSearch::WatchItems(uint32_t Msg) {
  if (ChangesItems(Msg)) index_.Invalidate();
}

TRzCustomListBox::TRzCustomListBox(TComponent* AOwner)
    : TCustomListBox(AOwner), TTypeAheadSearch(true) {}

void TRzCustomListBox::Dispatch(TMessage& M) {
  WatchItems(M.Msg);
  switch (M.Msg) {
    case WM_CHAR: {
      // The system's own first-letter search would undo ours: the key goes on to the
      // key-press event only.
      TControlWatch watch(this);
      if (TypeAheadKey(
              static_cast<char>(M.WParam), search_text_, beep_on_invalid_key_,
              [this](const std::string& t) { return FindPrefix(t); },
              [this](int32_t i) { SetItemIndex(i); }, 0) &&
          watch.Alive())
        DoKeyPress(M);
      M.Result = 0;
      return;
    }
    case WM_KEYDOWN:
      if (ClearsSearch(M.WParam)) search_text_.clear();
      break;
    case WM_LBUTTONDOWN:
      search_text_.clear();
      break;
    default:
      break;
  }
  TCustomListBox::Dispatch(M);
}

void TRzCustomListBox::PublishProperties(TPropertyList& P) {
  TCustomListBox::PublishProperties(P);
  P.Boolean(
       "BeepOnInvalidKey", [this] { return beep_on_invalid_key_; },
       [this](bool v) { beep_on_invalid_key_ = v; })
      .Default(1);
}

// ---------------------------------------------------------------------------------------
// TRzCustomComboBox
// ---------------------------------------------------------------------------------------

TRzCustomComboBox::TRzCustomComboBox(TComponent* AOwner)
    : TCustomComboBox(AOwner), TTypeAheadSearch(false) {}

bool TRzCustomComboBox::SelectItem(int32_t Index) {
  TControlWatch watch(this);
  SetItemIndex(Index);
  Click();
  if (watch.Alive()) Change();
  return watch.Alive();
}

void TRzCustomComboBox::Dispatch(TMessage& M) {
  WatchItems(M.Msg);
  switch (M.Msg) {
    case WM_CHAR:
      // Only a list-style combo box gets characters itself; the others type into the edit.
      if (!EditHandle()) {
        TControlWatch watch(this);
        if (TypeAheadKey(
                static_cast<char>(M.WParam), search_text_, beep_on_invalid_key_,
                [this](const std::string& t) { return FindPrefix(t); },
                [this](int32_t i) { SelectItem(i); }, -1) &&
            watch.Alive())
          DoKeyPress(M);
        M.Result = 0;
        return;
      }
      break;
    case WM_KEYDOWN:
      if (ClearsSearch(M.WParam)) search_text_.clear();
      break;
    case WM_KILLFOCUS:
      search_text_.clear();
      break;
    default:
      break;
  }
  TCustomComboBox::Dispatch(M);
}

std::string TRzCustomComboBox::EditText() {
  HWND e = EditHandle();
  int n = GetWindowTextLengthA(e);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  GetWindowTextA(e, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return s;
}

void TRzCustomComboBox::EditSelection(int32_t& Start, int32_t& End) {
  DWORD s = 0, e = 0;
  SendMessageA(EditHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  Start = static_cast<int32_t>(s);
  End = static_cast<int32_t>(e);
}

bool TRzCustomComboBox::AutoComplete() {
  int32_t i = FindPrefix(search_text_);
  if (i < 0) return false;
  if (!SelectItem(i)) return true;  // freed by its handler: nothing is left to complete
  std::string item = Items()->Get(i);
  HWND e = EditHandle();
  SetWindowTextA(e, item.c_str());
  SendMessageA(e, EM_SETSEL, search_text_.size(), item.size());
  return true;
}

void TRzCustomComboBox::EditWndProc(TMessage& M) {
  // The combo box's handlers run on the way (its key events, the selection's click and
  // change) and may free it: nothing is done with it after.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_KEYDOWN: {
      uintptr_t key = M.WParam;
      if (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) {
        search_text_.clear();
      } else if (key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_RIGHT) {
        search_text_ = EditText();
      } else if (key == VK_DELETE) {
        std::string text = EditText();
        int32_t s, e;
        EditSelection(s, e);
        if (e == s) e = std::min<int32_t>(s + 1, static_cast<int32_t>(text.size()));
        search_text_ = text.erase(static_cast<size_t>(s), static_cast<size_t>(e - s));
        if (AutoComplete()) {
          M.Result = 0;
          return;
        }
      }
      break;
    }
    case WM_CHAR: {
      // The key-press event may change or cancel the character first.
      if (DoKeyPress(M)) {
        M.Result = 0;
        return;
      }
      unsigned char k = static_cast<unsigned char>(M.WParam);
      int32_t s, e;
      if (k >= 32) {
        EditSelection(s, e);
        std::string text = search_text_;
        size_t at = std::min<size_t>(static_cast<size_t>(s), text.size());
        search_text_ = text.insert(at, 1, static_cast<char>(k));
        if (AutoComplete() || !watch.Alive()) {
          M.Result = 0;
          return;
        }
        // Not found: the edit types it as usual, and the search text stays its mirror.
      } else if (k == VK_BACK) {
        if (search_text_.empty()) {
          Beep(beep_on_invalid_key_);
        } else {
          EditSelection(s, e);
          int32_t len = static_cast<int32_t>(search_text_.size());
          if (e > s && s < len) {
            search_text_.erase(static_cast<size_t>(s), static_cast<size_t>(std::min(e, len) - s));
          } else if (s >= len) {
            search_text_.pop_back();
          } else if (s > 0) {
            search_text_.erase(static_cast<size_t>(s - 1), 1);
          }
          if (search_text_.empty()) {
            if (!SelectItem(-1)) return;
          } else if (AutoComplete() || !watch.Alive()) {
            M.Result = 0;
            return;
          }
        }
      } else if (k == VK_ESCAPE) {
        search_text_.clear();
        if (!SelectItem(-1)) return;
      }
      DefaultEditHandler(M);
      return;
    }
    case WM_LBUTTONDOWN:
      TCustomComboBox::EditWndProc(M);
      if (watch.Alive()) search_text_ = EditText();
      return;
    case WM_KILLFOCUS:
      // The edit holds the combo box's focus: losing it ends the search.
      search_text_.clear();
      break;
    case WM_PASTE:
    case WM_CUT:
      TCustomComboBox::EditWndProc(M);
      if (!watch.Alive()) return;
      search_text_ = EditText();
      AutoComplete();
      return;
    default:
      break;
  }
  TCustomComboBox::EditWndProc(M);
  if (!watch.Alive()) return;
  // Ctrl+V and Ctrl+X arrive as characters 22 and 24 after the edit did the work.
  if (M.Msg == WM_KEYUP && (M.WParam == 'V' || M.WParam == 'X') && GetKeyState(VK_CONTROL) < 0) {
    search_text_ = EditText();
    AutoComplete();
  }
}

void TRzCustomComboBox::PublishProperties(TPropertyList& P) {
  TCustomComboBox::PublishProperties(P);
  P.Boolean(
       "BeepOnInvalidKey", [this] { return beep_on_invalid_key_; },
       [this](bool v) { beep_on_invalid_key_ = v; })
      .Default(1);
}

// ---------------------------------------------------------------------------------------
// TRzTabStopList and TRzTabbedListBox
// ---------------------------------------------------------------------------------------

void TRzTabStopList::Put(int32_t Index, int32_t Value) {
  TIntegerList::Put(Index, Value);
  owner_->UpdateTabStops();
}

void TRzTabStopList::Insert(int32_t Index, int32_t Value) {
  TIntegerList::Insert(Index, Value);
  owner_->UpdateTabStops();
}

void TRzTabStopList::Delete(int32_t Index) {
  TIntegerList::Delete(Index);
  owner_->UpdateTabStops();
}

void TRzTabStopList::Replace(const TIntegerList* Source) {
  // Taken as a whole: every value is checked before the first is stored (Source may be
  // this very list).
  std::vector<int32_t> values;
  for (int32_t i = 0; Source && i < Source->Count(); ++i) {
    CheckRange(Source->Get(i));
    values.push_back(Source->Get(i));
  }
  Clear();
  for (int32_t i = 0; i < static_cast<int32_t>(values.size()); ++i)
    TIntegerList::Insert(i, values[static_cast<size_t>(i)]);
  owner_->UpdateTabStops();
}

TRzTabbedListBox::TRzTabbedListBox(TComponent* AOwner)
    : TRzListBox(AOwner), tab_stops_(std::make_unique<TRzTabStopList>(this)) {
  tab_stops_->SetMax(INT32_MAX);
}

TRzTabbedListBox::~TRzTabbedListBox() = default;

void TRzTabbedListBox::CreateParams(TCreateParams& P) {
  TRzListBox::CreateParams(P);
  P.Style |= LBS_USETABSTOPS | WS_HSCROLL;
}

void TRzTabbedListBox::CreateWnd() {
  TRzListBox::CreateWnd();
  SetHorizontalExtent(horz_extent_);
  ShowScrollBar(Handle(), SB_HORZ, horz_scroll_bar_);
  UpdateTabStops();
}

void TRzTabbedListBox::SetHorzExtent(uint16_t Value) {
  horz_extent_ = Value;
  SetHorizontalExtent(Value);
}

void TRzTabbedListBox::SetHorzScrollBar(bool Value) {
  horz_scroll_bar_ = Value;
  if (HandleAllocated()) ShowScrollBar(Handle(), SB_HORZ, Value);
}

void TRzTabbedListBox::SetTabStops(TIntegerList* Value) {
  tab_stops_->Replace(Value);
}

void TRzTabbedListBox::UpdateTabStops() {
  // Characters to dialog units (four per character), clamped where four times the
  // value no longer fits.
  std::vector<int32_t> stops;
  int32_t n = std::min<int32_t>(tab_stops_->Count(), 1000);
  for (int32_t i = 0; i < n; ++i)
    stops.push_back(static_cast<int32_t>(std::min<int64_t>(int64_t{tab_stops_->Get(i)} * 4, INT32_MAX)));
  TCustomListBox::SetTabStops(stops);
  Invalidate();
}

void TRzTabbedListBox::PublishProperties(TPropertyList& P) {
  TRzListBox::PublishProperties(P);
  P.Integer(
       "HorzExtent", [this] { return horz_extent_; },
       [this](int32_t v) { SetHorzExtent(static_cast<uint16_t>(v)); })
      .Default(0);
  P.Boolean(
       "HorzScrollBar", [this] { return horz_scroll_bar_; }, [this](bool v) { SetHorzScrollBar(v); })
      .Default(0);
  P.Object("TabStops", [this] { return tab_stops_.get(); });
}

}  // namespace tess
