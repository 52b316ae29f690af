#include "components/editor/editor.h"

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
// The text tells every editor of it of a change, whichever made it: this editor's part is
// its own work, which ends here when a handler it runs (its top line moving) frees it.
template <class M>
void TEditorView<M>::TextChanged(TParaListEditor* Editor) {
  RunUntilFreed(owner_, [&] {
    owner_->TextChangedFrom(M::Paragraphs().FirstChangedLine());
    defer_scroll_bars_ = Editor != this;
    M::TextChanged(Editor);
    defer_scroll_bars_ = false;
  });
}
template <class M>
void TEditorView<M>::TextRewrapped() {
  RunUntilFreed(owner_, [&] {
    owner_->TextChangedFrom(1);
    M::TextRewrapped();
  });
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
  // The text is drawn in the fixed-pitch font; the control's font follows it so that
  // measuring and the caret use the same metrics.
  fixed_font_->SetSize(10);
  fixed_font_->OnChange = [this](TObject*) { FontFollowsFixedFont(); };
  FontFollowsFixedFont();
  highlight_colors_->OnColorChange = [this](TObject*) { HighlightChanged(); };
  SetBounds(0, 0, 185, 89);
}

// Without a window the model still learns the size, so a caret placed before the window
// exists scrolls as far as the real size needs, not as far as one row would.
void TOvcEditBase::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  TControlWatch watch(this);  // OnResize may free the editor
  TOvcBase::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (watch.Alive() && !HandleAllocated()) Measure();
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
    row_height_ = std::max<int32_t>(1, tm.tmHeight + tm.tmExternalLeading + 1);
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

void TOvcEditBase::Dispatch(TMessage& M) {
  TControlWatch watch(this);  // OnEnter, OnExit and OnResize may free the editor
  if (DispatchInput(M) || !watch.Alive()) return;
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;  // every row paints its own background
      return;
    case kMsgShowStatus:
      DoOnShowStatus(static_cast<int32_t>(M.WParam), static_cast<int32_t>(M.LParam));
      return;
    case WM_SIZE:
    case CM_FONTCHANGED:
      TOvcBase::Dispatch(M);
      if (watch.Alive()) Measure();
      return;
    case WM_SETFOCUS:
      TOvcBase::Dispatch(M);
      if (!watch.Alive()) return;
      caret_->SetLinked(true);
      PlaceCaretFromModel();
      caret_->SetVisible(true);
      if (hide_selection_) InvalidateAllRows();  // the selection shows again
      return;
    case WM_KILLFOCUS:
      caret_->SetLinked(false);
      TOvcBase::Dispatch(M);
      if (watch.Alive() && hide_selection_) InvalidateAllRows();
      return;
    default:
      TOvcBase::Dispatch(M);
  }
}

}  // namespace tess
