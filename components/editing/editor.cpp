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

}  // namespace

// --- the model's hooks ---------------------------------------------------------------------

template <class M>
void TEditorView<M>::InvalidateLines(int32_t FromLine, int32_t ToLine) {
  owner_->InvalidateModelLines(FromLine, ToLine);
}
template <class M>
void TEditorView<M>::InvalidateAll() {
  if (owner_->HandleAllocated()) owner_->Invalidate();
}
template <class M>
void TEditorView<M>::ScrollBarsChanged() {
  owner_->ResetScrollBars();
}
template <class M>
void TEditorView<M>::ScrollWindowBy(int32_t, int32_t) {
  // Repainting the rows is cheap enough and never leaves a stale band behind.
  InvalidateAll();
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
  Font()->SetName("Courier New");
  Font()->SetSize(10);
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

void TOvcEditBase::InvalidateModelLines(int32_t FromLine, int32_t ToLine) {
  if (!HandleAllocated()) return;
  int32_t top = model_->GetTopLine();
  if (ToLine < FromLine) std::swap(FromLine, ToLine);
  int32_t first = std::max(0, FromLine - top);
  int32_t last = std::min(model_->GetVisibleRows(), ToLine - top);
  if (last < first) return;
  TRect c = ClientRect();
  RECT r{0, first * row_height_, c.Right, (last + 1) * row_height_};
  InvalidateRect(static_cast<HWND>(Handle()), &r, FALSE);
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

void TOvcEditBase::PlaceCaretFromModel() {
  if (!HandleAllocated()) return;
  int32_t row = model_->CaretLine() - model_->GetTopLine();
  int32_t col = model_->CaretScreenColumn() - 1 - model_->LeftColumn();
  int32_t x = left_margin_ + col * char_width_;
  int32_t y = row * row_height_;
  TRect c = ClientRect();
  bool inside = row >= 0 && y < c.Bottom && col >= 0 && x < c.Right - right_margin_;
  caret_->SetInsertMode(model_->InsertMode);
  caret_->SetPosition(inside ? TPoint{x, y} : TPoint{kCaretOutside, kCaretOutside});
}

void TOvcEditBase::PaintLines(HDc DC, const TRect& Area) {
  HDC dc = static_cast<HDC>(DC);
  TSelectedObject font(DC, Font()->Handle());
  TRect c = ClientRect();
  const COLORREF fg = ColorToRGB(Font()->Color()), bg = ColorToRGB(Color());
  const COLORREF hfg = ColorToRGB(highlight_text_color_), hbg = ColorToRGB(highlight_color_);
  int32_t sl = 0, sc = 0, el = 0, ec = 0;
  bool sel = model_->GetSelection(sl, sc, el, ec);
  int32_t top = model_->GetTopLine(), left = model_->LeftColumn();
  int32_t first = std::max(0, Area.Top / row_height_);
  int32_t last = (std::min(Area.Bottom, c.Bottom) - 1) / row_height_;
  std::string text;
  for (int32_t row = first; row <= last; ++row) {
    RECT band{0, row * row_height_, c.Right, (row + 1) * row_height_};
    int32_t line = top + row;
    text.clear();
    if (line <= model_->GetLineCount()) model_->GetStringLine(line, text);
    std::string shown = left < static_cast<int32_t>(text.size()) ? text.substr(left) : "";
    SetTextColor(dc, fg);
    SetBkColor(dc, bg);
    ExtTextOutA(dc, left_margin_, band.top, ETO_OPAQUE | ETO_CLIPPED, &band, shown.data(),
                static_cast<UINT>(shown.size()), nullptr);
    if (!sel || line < sl || line > el) continue;
    // The selected columns of this line (the line break counts as one blank).
    int32_t from = line == sl ? sc : 1;
    int32_t to = line == el ? ec : static_cast<int32_t>(text.size()) + 2;
    from = std::max(from - 1 - left, 0);
    to = std::max(to - 1 - left, 0);
    if (to <= from) continue;
    std::string part(static_cast<size_t>(to - from), ' ');
    for (int32_t i = from; i < to && i < static_cast<int32_t>(shown.size()); ++i)
      part[static_cast<size_t>(i - from)] = shown[static_cast<size_t>(i)];
    int32_t x = left_margin_ + from * char_width_;
    RECT hl{x, band.top, std::min<LONG>(x + (to - from) * char_width_, c.Right - right_margin_),
            band.bottom};
    SetTextColor(dc, hfg);
    SetBkColor(dc, hbg);
    ExtTextOutA(dc, x, band.top, ETO_OPAQUE | ETO_CLIPPED, &hl, part.data(),
                static_cast<UINT>(part.size()), nullptr);
  }
  // The margin right of the text.
  RECT edge{c.Right - right_margin_, Area.Top, c.Right, Area.Bottom};
  SetBkColor(dc, bg);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &edge, "", 0, nullptr);
}

void TOvcEditBase::Dispatch(TMessage& M) {
  if (DispatchInput(M)) return;
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;  // every row paints its own background
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(static_cast<HWND>(Handle()), &ps);
      PaintLines(dc, {ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
      EndPaint(static_cast<HWND>(Handle()), &ps);
      return;
    }
    case WM_PRINTCLIENT:
      PaintLines(reinterpret_cast<HDc>(M.WParam), ClientRect());
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
    default:
      TOvcBase::Dispatch(M);
  }
}

}  // namespace tess
