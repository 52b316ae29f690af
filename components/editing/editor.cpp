#include "components/editing/editor.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/win/dc_guards.h"
#include "framework/win/messages.h"
#include "platform/win32.h"

namespace tess {

namespace {

// The system clipboard as plain text.
class TWinClipboard : public TEditorClipboard {
 public:
  explicit TWinClipboard(TWinControl* Owner) : owner_(Owner) {}
  bool HasText() override { return IsClipboardFormatAvailable(CF_TEXT) != 0; }
  std::string GetText() override {
    std::string s;
    if (!OpenClipboard(Wnd())) return s;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
      if (auto* p = static_cast<const char*>(GlobalLock(h))) {
        s.assign(p, strnlen(p, GlobalSize(h)));
        GlobalUnlock(h);
      }
    }
    CloseClipboard();
    return s;
  }
  bool SetText(const std::string& Text) override {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, Text.size() + 1);
    if (!h) return false;
    auto* p = static_cast<char*>(GlobalLock(h));
    std::memcpy(p, Text.c_str(), Text.size() + 1);
    GlobalUnlock(h);
    if (!OpenClipboard(Wnd())) {
      GlobalFree(h);
      return false;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it took it.
    bool ok = SetClipboardData(CF_TEXT, h) != nullptr;
    if (!ok) GlobalFree(h);
    CloseClipboard();
    return ok;
  }

 private:
  HWND Wnd() { return owner_->HandleAllocated() ? static_cast<HWND>(owner_->Handle()) : nullptr; }
  TWinControl* owner_;
};

bool KeyIsDown(int VKey) { return (GetKeyState(VKey) & 0x8000) != 0; }

}  // namespace

// --- the model's hooks ---------------------------------------------------------------------

template <class M>
void TEditorView<M>::InvalidateLines(int32_t FromLine, int32_t ToLine) {
  owner_->InvalidateModelLines(FromLine, ToLine);
}
template <class M>
void TEditorView<M>::InvalidateAll() {
  owner_->InvalidateAllRows();
}
template <class M>
void TEditorView<M>::ScrollBarsChanged() {
  if (defer_scroll_bars_)
    owner_->DeferScrollBars();
  else
    owner_->ResetScrollBars();
}
template <class M>
void TEditorView<M>::TextChanged(TParaListEditor* Editor) {
  owner_->TextChangedFrom(M::Paragraphs().FirstChangedLine());
  defer_scroll_bars_ = Editor != this;
  M::TextChanged(Editor);
  defer_scroll_bars_ = false;
}
template <class M>
void TEditorView<M>::TextRewrapped() {
  owner_->TextChangedFrom(1);
  M::TextRewrapped();
}
template <class M>
void TEditorView<M>::TextReplaced() {
  owner_->TextChangedFrom(0);
}
template <class M>
void TEditorView<M>::DoOnTopLineChanged(int32_t Line) {
  M::DoOnTopLineChanged(Line);
  owner_->DoOnTopLineChanged(Line);
}
template <class M>
void TEditorView<M>::ScrollWindowBy(int32_t DCols, int32_t DRows) {
  owner_->ScrollRows(DCols, DRows);
  owner_->PlaceCaretFromModel();
}
template <class M>
void TEditorView<M>::PlaceCaret() {
  owner_->PlaceCaretFromModel();
}
template <class M>
void TEditorView<M>::MessageBeep() {
  ::MessageBeep(0);
}

template class TEditorView<TEditorModel>;
template class TEditorView<TTextFileModel>;

// --- the control -----------------------------------------------------------------------------

TOvcEditBase::TOvcEditBase(TComponent* AOwner)
    : TOvcEditBase(AOwner, std::make_unique<TEditorView<TEditorModel>>(this)) {}

TOvcEditBase::TOvcEditBase(TComponent* AOwner, std::unique_ptr<TEditorModel> AModel)
    : TOvcBase(AOwner), model_(std::move(AModel)) {
  clipboard_ = std::make_unique<TWinClipboard>(this);
  model_->Clipboard = clipboard_.get();
  caret_ = std::make_unique<TOvcCaretPair>(this);
  SetTabStop(true);
  SetColor(clWindow);
  left_margin_ = 15;
  right_margin_ = 5;
  // The text is drawn in the fixed-pitch font; the control's font follows it so that
  // measuring and the caret use the same metrics.
  fixed_font_ = std::make_unique<TOvcFixedFont>();
  fixed_font_->SetSize(10);
  Font()->Assign(fixed_font_->Font());
  fixed_font_->OnChange = [this](TObject*) { Font()->Assign(fixed_font_->Font()); };
  SetBounds(0, 0, 185, 89);
}

// Without a window the model still learns the size, so a caret placed before the window
// exists scrolls as far as the real size needs, not as far as one row would.
void TOvcEditBase::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  TOvcBase::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!HandleAllocated()) Measure();
}

TOvcEditBase::~TOvcEditBase() { caret_->SetLinked(false); }

void TOvcEditBase::SetLeftMargin(int32_t V) {
  left_margin_ = std::max(0, V);
  Measure();
}

void TOvcEditBase::SetRightMargin(int32_t V) {
  right_margin_ = std::max(0, V);
  Measure();
}

void TOvcEditBase::CreateParams(TCreateParams& Params) {
  TOvcBase::CreateParams(Params);
  TScrollStyle s = model_->ScrollBars;
  if (s == TScrollStyle::ssVertical || s == TScrollStyle::ssBoth) Params.Style |= WS_VSCROLL;
  if (s == TScrollStyle::ssHorizontal || s == TScrollStyle::ssBoth) Params.Style |= WS_HSCROLL;
}

void TOvcEditBase::CreateWnd() {
  TOvcBase::CreateWnd();
  Measure();
}

void TOvcEditBase::Measure() {
  TScreenDC screen;
  {
    TSelectedObject font(screen.Handle(), Font()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(static_cast<HDC>(screen.Handle()), &tm);
    char_width_ = std::max<int32_t>(1, tm.tmAveCharWidth);
    row_height_ = std::max<int32_t>(1, tm.tmHeight);
  }
  TRect r = HandleAllocated() ? ClientRect() : TRect{0, 0, Width(), Height()};
  model_->SetMetrics(char_width_, row_height_, left_margin_, right_margin_, r.Width(),
                     r.Height());
  caret_->SetCellHeight(row_height_);
  caret_->SetCellWidth(char_width_);
  ResetScrollBars();
  PlaceCaretFromModel();
  if (HandleAllocated()) Invalidate();
}

void TOvcEditBase::ResetScrollBars() {
  if (!HandleAllocated()) return;
  HWND w = static_cast<HWND>(Handle());
  auto set = [&](int Bar, const TScrollRange& R, int32_t Page) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    if (model_->ScrollBarsAlways) si.fMask |= SIF_DISABLENOSCROLL;
    si.nMin = R.Min;
    si.nMax = R.Max;
    si.nPos = R.Pos;
    si.nPage = R.Max > R.Min ? static_cast<UINT>(std::min(Page, R.Max - R.Min)) : 0;
    SetScrollInfo(w, Bar, &si, TRUE);
  };
  TScrollStyle s = model_->ScrollBars;
  // The model's ranges count thumb positions, one per top line the bar can show.
  if (s == TScrollStyle::ssVertical || s == TScrollStyle::ssBoth) set(SB_VERT, model_->VertScrollRange(), 1);
  if (s == TScrollStyle::ssHorizontal || s == TScrollStyle::ssBoth) set(SB_HORZ, model_->HorzScrollRange(), 1);
}

// A key that ran a command leaves no character behind: the WM_CHAR that
// TranslateMessage queued right after the key-down is taken out.
void TOvcEditBase::DropQueuedChar() {
  MSG m;
  PeekMessageA(&m, static_cast<HWND>(Handle()), WM_CHAR, WM_CHAR, PM_REMOVE);
}

void TOvcEditBase::KeyDown(TMessage& M) {
  uint16_t cmd = ccUnmatched;
  if (Controller()) cmd = Controller()->EntryCommands()->Translate(M);
  if (cmd == ccPartial) {
    DropQueuedChar();
    return;
  }
  if (cmd == ccUnmatched || cmd == ccNone) {
    if (M.WParam == VK_RETURN && model_->WantEnter) {
      model_->KeyEnter();
      DropQueuedChar();
    } else if (M.WParam == VK_TAB && model_->WantTab) {
      model_->KeyTab();
      DropQueuedChar();
    } else {
      TOvcBase::Dispatch(M);
    }
    return;
  }
  if ((cmd == ccNewLine && !model_->WantEnter) || (cmd == ccTab && !model_->WantTab)) {
    TOvcBase::Dispatch(M);
    return;
  }
  model_->ProcessCommand(cmd, 0);
  DropQueuedChar();
}

void TOvcEditBase::MouseAt(int32_t X, int32_t Y, bool Extend) {
  int32_t line = 1, col = 1;
  model_->GetMouseLineCol(X, Y, line, col);
  if (Extend)
    model_->SetSelection(anchor_line_, anchor_col_, line, col, true);
  else
    model_->SetCaretPosition(line, col);
}

void TOvcEditBase::ScrollMessage(bool Vertical, uint16_t Code) {
  const int bar = Vertical ? SB_VERT : SB_HORZ;
  const int32_t page = Vertical ? std::max(1, model_->GetVisibleRows() - 1)
                                : std::max(1, model_->GetVisibleColumns());
  int32_t d = 0;
  switch (Code) {
    case SB_LINEUP: d = -1; break;
    case SB_LINEDOWN: d = 1; break;
    case SB_PAGEUP: d = -page; break;
    case SB_PAGEDOWN: d = page; break;
    case SB_TOP: d = -kMaxLongInt / 2; break;
    case SB_BOTTOM: d = kMaxLongInt / 2; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(static_cast<HWND>(Handle()), bar, &si);
      if (Vertical)
        model_->SetTopLine(model_->LineOfThumb(si.nTrackPos));
      else
        model_->Scroll(si.nTrackPos - model_->LeftColumn(), 0);
      return;
    }
    default: return;
  }
  if (Vertical)
    model_->Scroll(0, d);
  else
    model_->Scroll(d, 0);
}

void TOvcEditBase::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;  // every row paints its own background
      return;
    case kMsgShowStatus:
      DoOnShowStatus(static_cast<int32_t>(M.WParam), static_cast<int32_t>(M.LParam));
      return;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | (model_->WantTab ? DLGC_WANTTAB : 0) |
                 (model_->WantEnter ? DLGC_WANTALLKEYS : 0);
      return;
    case WM_SIZE:
      TOvcBase::Dispatch(M);
      Measure();
      return;
    case CM_FONTCHANGED:
      TOvcBase::Dispatch(M);
      Measure();
      return;
    case WM_SETFOCUS:
      TOvcBase::Dispatch(M);
      caret_->SetLinked(true);
      PlaceCaretFromModel();
      caret_->SetVisible(true);
      return;
    case WM_KILLFOCUS:
      caret_->SetLinked(false);
      TOvcBase::Dispatch(M);
      return;
    case WM_KEYDOWN:
      KeyDown(M);
      return;
    case WM_CHAR: {
      char ch = static_cast<char>(M.WParam);
      if (static_cast<unsigned char>(ch) < 32) return;
      model_->ProcessCommand(kCmdChar, ch);
      return;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      ScrollMessage(M.Msg == WM_VSCROLL, M.WParamLo());
      return;
    case WM_LBUTTONDOWN: {
      if (CanFocus() && !Focused()) SetFocus();
      bool extend = KeyIsDown(VK_SHIFT);
      if (!extend) {
        model_->GetMouseLineCol(M.XPos(), M.YPos(), anchor_line_, anchor_col_);
      }
      MouseAt(M.XPos(), M.YPos(), extend);
      SetCapture(static_cast<HWND>(Handle()));
      dragging_ = true;
      return;
    }
    case WM_MOUSEMOVE:
      if (dragging_) MouseAt(M.XPos(), M.YPos(), true);
      TOvcBase::Dispatch(M);
      return;
    case WM_LBUTTONUP:
      if (dragging_) ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
      return;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return;
    default:
      TOvcBase::Dispatch(M);
  }
}

TyTextFileEditor::TyTextFileEditor(TComponent* AOwner)
    : TyCustomEditor(AOwner, std::make_unique<TEditorView<TTextFileModel>>(this)) {}

}  // namespace tess
