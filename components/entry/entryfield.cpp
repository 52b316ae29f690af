// The entry field's window (see entryfield.h).
#include "components/entry/entryfield.h"

#include <algorithm>
#include <cstring>

#include "components/core/keyboard.h"
#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/win/clipbrd.h"
#include "framework/win/dc_guards.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

HWND W(TWinControl* C) {
  return static_cast<HWND>(C->Handle());
}

// WM_SETREDRAW off for a scope.
class TRedrawOff {
 public:
  explicit TRedrawOff(TWinControl* C) : c_(C->HandleAllocated() ? C : nullptr) {
    if (c_) SendMessageA(W(c_), WM_SETREDRAW, FALSE, 0);
  }
  ~TRedrawOff() {
    if (c_) SendMessageA(W(c_), WM_SETREDRAW, TRUE, 0);
  }
  TRedrawOff(const TRedrawOff&) = delete;
  TRedrawOff& operator=(const TRedrawOff&) = delete;

 private:
  TWinControl* c_;
};

// A memory context with a bitmap of the given size selected.
class TOffscreen {
 public:
  TOffscreen(HDc Screen, int32_t W, int32_t H)
      : bitmap_(CreateCompatibleBitmap(static_cast<HDC>(Screen), std::max(W, 1), std::max(H, 1))),
        select_(dc_.Handle(), bitmap_) {}
  ~TOffscreen() = default;
  HDC Dc() const { return static_cast<HDC>(dc_.Handle()); }

 private:
  struct TBitmapOwner {
    explicit TBitmapOwner(HBITMAP B) : b(B) {}
    ~TBitmapOwner() { DeleteObject(b); }
    operator void*() const { return b; }
    HBITMAP b;
  };
  TMemoryDC dc_;
  TBitmapOwner bitmap_;
  TSelectedObject select_;
};

}  // namespace

TOvcBaseEntryField::TOvcBaseEntryField(TComponent* AOwner)
    : TOvcBase(AOwner), model_(*this), editor_(model_, *this) {
  caret_ = std::make_unique<TOvcCaretPair>(this);
  auto repaint = [this](TObject*) { Invalidate(); };
  disabled_colors_ = std::make_unique<TOvcColors>(clGrayText, clWindow);
  error_colors_ = std::make_unique<TOvcColors>(clBlack, clRed);
  highlight_colors_ = std::make_unique<TOvcColors>(clHighlightText, clHighlight);
  for (TOvcColors* c : {disabled_colors_.get(), error_colors_.get(), highlight_colors_.get()})
    c->OnColorChange = repaint;
  SetCursor(crIBeam);
  SetParentColor(false);
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 130, 25);
}

TOvcBaseEntryField::~TOvcBaseEntryField() {
  caret_->SetLinked(false);
  // The restore copy and the colour pairs go with their owners.
}

// --- options ----------------------------------------------------------------------------

void TOvcBaseEntryField::SetOption(bool& Field, bool Value) {
  Field = Value;
  if (!(ComponentState() & csLoading)) model_.AdjustOptions();
}

void TOvcBaseEntryField::SetArrowIncDec(bool Value) {
  editor_.ArrowIncDec = Value;
  if (Value) editor_.AutoAdvanceUpDown = false;
}

void TOvcBaseEntryField::SetAutoAdvanceUpDown(bool Value) {
  editor_.AutoAdvanceUpDown = Value;
  if (Value) editor_.ArrowIncDec = false;
}

void TOvcBaseEntryField::SetAutoAdvanceChar(bool Value) {
  SetOption(editor_.AutoAdvanceChar, Value);
}

void TOvcBaseEntryField::SetAutoAdvanceLeftRight(bool Value) {
  SetOption(editor_.AutoAdvanceLeftRight, Value);
}

void TOvcBaseEntryField::SetAutoSize(bool Value) {
  if (Value == auto_size_) return;
  auto_size_ = Value;
  AdjustHeight();
}

void TOvcBaseEntryField::SetBorderStyle(TBorderStyle Value) {
  if (Value == border_style_) return;
  border_style_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TOvcBaseEntryField::SetControlCharColor(TColor Value) {
  if (Value == control_char_color_) return;
  control_char_color_ = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetDecimalPlaces(uint8_t Value) {
  if (Value == model_.Data.DecimalPlaces()) return;
  model_.Data.SetDecimalPlaces(Value);
  if (HandleAllocated()) RecreateWnd();
}

void TOvcBaseEntryField::SetForceInsert(bool Value) {
  SetOption(model_.ForceInsert, Value);
  if (Value) model_.ForceOvertype = false;
}

void TOvcBaseEntryField::SetForceOvertype(bool Value) {
  SetOption(model_.ForceOvertype, Value);
  if (Value) model_.ForceInsert = false;
}

void TOvcBaseEntryField::SetMaxLength(uint16_t Value) {
  if (ComponentState() & csLoading) {
    // A stored value is kept within what the edit buffer holds.
    model_.Data.LoadMaxLength(Value);
    return;
  }
  if (!model_.SetMaxLength(Value)) return;
  if (HandleAllocated()) RecreateWnd();
}

void TOvcBaseEntryField::SetPadChar(char Value) {
  if (Value == pad_char_) return;
  pad_char_ = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetPasswordChar(char Value) {
  if (Value == password_char_) return;
  password_char_ = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetPasswordMode(bool Value) {
  if (Value == password_mode_) return;
  password_mode_ = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetRightAlign(bool Value) {
  if (Value == model_.RightAlign) return;
  model_.RightAlign = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetTextMargin(int32_t Value) {
  if (Value == text_margin_ || Value < 0) return;
  text_margin_ = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetZeroDisplay(TZeroDisplay Value) {
  if (Value == model_.ZeroDisplay) return;
  model_.ZeroDisplay = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetZeroDisplayValue(double Value) {
  if (Value == model_.ZeroDisplayValue) return;
  model_.ZeroDisplayValue = Value;
  Invalidate();
}

void TOvcBaseEntryField::SetCaretIns(TOvcCaret* Value) {
  if (Value) caret_->InsCaret()->Assign(Value);
}

void TOvcBaseEntryField::SetCaretOvr(TOvcCaret* Value) {
  if (Value) caret_->OvrCaret()->Assign(Value);
}

void TOvcBaseEntryField::SetRangeHi(const std::string& Value) {
  if (ComponentState() & csLoading) return;
  model_.Data.SetControllerEpoch(ControllerEpoch());
  model_.Data.SetRangeHi(Value);
}

void TOvcBaseEntryField::SetRangeLo(const std::string& Value) {
  if (ComponentState() & csLoading) return;
  model_.Data.SetControllerEpoch(ControllerEpoch());
  model_.Data.SetRangeLo(Value);
}

// --- values -----------------------------------------------------------------------------

void TOvcBaseEntryField::SetValue(const void* Data) {
  Transfer(const_cast<void*>(Data), 2);
}

uint16_t TOvcBaseEntryField::Transfer(void* DataPtr, uint8_t Mode) {
  const uint16_t Size = model_.Transfer(DataPtr, Mode);
  if (Mode == 2 && Focused()) PositionCaret(true);
  return Size;
}

void TOvcBaseEntryField::SetEditString(const std::string& S) {
  model_.SetText(S);
  Invalidate();
}

std::string TOvcBaseEntryField::GetAsString() {
  std::string S;
  model_.GetAsString(S);
  return S;
}

void TOvcBaseEntryField::SetAsString(const std::string& S) {
  model_.SetAsString(S);
  if (Focused()) PositionCaret(true);
}

void TOvcBaseEntryField::IncreaseValue(bool Wrap, double Delta) {
  ChangingText([&] {
    {
      TRedrawOff off(this);
      model_.IncDecValue(Wrap, Delta);
      model_.SetSelection(0, 0);
    }
    if (Focused()) PositionCaret(true);
    Invalidate();
  });
}

void TOvcBaseEntryField::DecreaseValue(bool Wrap, double Delta) {
  IncreaseValue(Wrap, -Delta);
}

bool TOvcBaseEntryField::ValidateField(bool Leaving) {
  const bool Ok = model_.ValidateField(Leaving);
  Invalidate();
  return Ok;
}

void TOvcBaseEntryField::Restore() {
  ChangingText([&] {
    model_.Restore();
    if (Focused()) PositionCaret(true);
  });
}

void TOvcBaseEntryField::SetSelection(int32_t Start, int32_t Stop) {
  model_.SetSelection(Start, Stop);
  Invalidate();
}

void TOvcBaseEntryField::SetCaretPos(int32_t Pos) {
  if (!Focused()) return;
  model_.SetCaretPos(Pos);
  PositionCaret(true);
}

std::string TOvcBaseEntryField::GetDisplayString() {
  return model_.DisplayText();
}

// --- the host of the state --------------------------------------------------------------

bool TOvcBaseEntryField::Focused() const {
  return focused_;
}

bool TOvcBaseEntryField::Usable() const {
  return Visible() && Enabled();
}

void TOvcBaseEntryField::Invalidate() {
  if (HandleAllocated()) TOvcBase::Invalidate();
}

bool TOvcBaseEntryField::ErrorPending() const {
  return Controller() && Controller()->ErrorPending();
}

void TOvcBaseEntryField::SetErrorPending(bool Value) {
  if (Controller()) Controller()->SetErrorPending(Value);
}

const std::string& TOvcBaseEntryField::ErrorText() const {
  static const std::string none;
  return Controller() ? Controller()->ErrorText() : none;
}

void TOvcBaseEntryField::SetErrorText(const std::string& Value) {
  if (Controller()) Controller()->SetErrorText(Value);
}

void TOvcBaseEntryField::PostFocusBack() {
  if (Controller()) Controller()->PostShowControl(this);
}

void TOvcBaseEntryField::PostErrorReport(uint16_t Code) {
  // Posted to the field's own window: it dies with the window when the field goes.
  if (HandleAllocated()) PostMessageA(W(this), OM_REPORTERROR, Code, 0);
}

void TOvcBaseEntryField::ReportError(uint16_t Code, const std::string& Message) {
  DoOnError(Code, Message);
}

int32_t TOvcBaseEntryField::ControllerEpoch() const {
  return Controller() ? Controller()->Epoch() : TEntryFieldHost::ControllerEpoch();
}

void TOvcBaseEntryField::TextChanged() {
  if (changing_ > 0)
    change_pending_ = true;
  else
    DoOnChange();
}

bool TOvcBaseEntryField::ChangingText(const std::function<void()>& Work) {
  ++changing_;
  TControlWatch watch(this);
  auto tell = [&] {
    if (--changing_ > 0 || !change_pending_) return true;
    change_pending_ = false;
    DoOnChange();
    return watch.Alive();
  };
  try {
    Work();
  } catch (...) {
    if (watch.Alive()) tell();
    throw;
  }
  return watch.Alive() && tell();
}

void TOvcBaseEntryField::UserValidation(uint16_t& ErrorCode) {
  DoOnUserValidation(ErrorCode);
}

void TOvcBaseEntryField::DoOnChange() {
  FireEvent(this, OnChange, this);
}

// The validation events are raised inside the model's work: a handler that frees the
// field ends that work (RaiseEvent).
void TOvcBaseEntryField::DoOnError(uint16_t ErrorCode, const std::string& ErrorMsg) {
  if (OnError)
    RaiseEvent(this, OnError, this, ErrorCode, ErrorMsg);
  else if (TOvcController* C = Controller())
    RunFor(this, [&] { C->DoError(this, ErrorCode, ErrorMsg); });
}

void TOvcBaseEntryField::DoOnUserCommand(uint16_t Command) {
  FireEvent(this, OnUserCommand, this, Command);
}

void TOvcBaseEntryField::DoOnUserValidation(uint16_t& ErrorCode) {
  RaiseEvent(this, OnUserValidation, this, ErrorCode);
}

void TOvcBaseEntryField::Beep() {
  if (beep_on_error_) MessageBeep(0);
}

void TOvcBaseEntryField::MoveToNextField() {
  if (TCustomForm* form = ParentForm(); form && form->HandleAllocated())
    PostMessageA(W(form), WM_NEXTDLGCTL, 0, 0);
}

void TOvcBaseEntryField::MoveToPrevField() {
  if (TCustomForm* form = ParentForm(); form && form->HandleAllocated())
    PostMessageA(W(form), WM_NEXTDLGCTL, 1, 0);
}

// --- window -----------------------------------------------------------------------------

void TOvcBaseEntryField::CreateParams(TCreateParams& Params) {
  TOvcBase::CreateParams(Params);
  if (border_style_ == TBorderStyle::bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  editor_.AcceptChars = true;
  editor_.InsertMode = true;
  editor_.CharsAllowed = editor_.ControlCharNext = false;
}

void TOvcBaseEntryField::CreateWnd() {
  TOvcBase::CreateWnd();
  offset_ = 0;
  model_.MoveCaretToStart();
  model_.SetSelection(0, 0);
  const uint8_t Type = model_.Data.DataType() & 63;
  if (model_.InputRequired && Type >= sftChar && Type <= sftComp) model_.Uninitialized = true;
  model_.AdjustOptions();
  AdjustHeight();
  right_justify_ = model_.RightAlign;
}

void TOvcBaseEntryField::AdjustHeight() {
  if (ComponentState() & csLoading) return;
  if (auto_size_) {
    const int32_t FontH = FontHeight(Font()->Handle());
    const int32_t H = FontH + GetSystemMetrics(SM_CYBORDER) * (Ctl3D() ? 8 : 6);
    if (H != Height()) {
      TControlWatch watch(this);  // OnResize may free the field
      TOvcBase::SetBounds(Left(), Top(), Width(), H);
      if (!watch.Alive()) return;
    }
  }
  text_top_ = GetTopTextMargin(Font(), border_style_, Height(), Ctl3D());
}

void TOvcBaseEntryField::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  if (AHeight != Height() && !(ComponentState() & csLoading) && Parent()) auto_size_ = false;
  TControlWatch watch(this);  // OnResize may free the field
  TOvcBase::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!watch.Alive()) return;
  text_top_ = GetTopTextMargin(Font(), border_style_, Height(), Ctl3D());
  if (Focused()) PositionCaret(false);
  Invalidate();
}

int32_t TOvcBaseEntryField::TextWidth(const std::string& S) {
  TScreenDC screen;
  TSelectedObject sel(screen.Handle(), Font()->Handle());
  SIZE sz{};
  GetTextExtentPoint32A(static_cast<HDC>(screen.Handle()), S.data(), static_cast<int>(S.size()),
                        &sz);
  return sz.cx;
}

void TOvcBaseEntryField::ShowCaretForm() {
  caret_->SetInsertMode(editor_.InsertMode);
}

bool TOvcBaseEntryField::PositionCaret(bool Scroll) {
  if (!Focused() || !HandleAllocated()) return false;
  const int32_t OldOffset = offset_;
  const std::string Text = GetDisplayString();
  const int32_t Len = static_cast<int32_t>(Text.size());
  int32_t Caret = std::min(model_.CaretPos(), Len);
  offset_ = std::min(offset_, Len);
  if (Scroll) {
    if (Caret <= GetFirstEditPos() + 1 && offset_ != 0)
      offset_ = 0;
    else if (Caret < offset_)
      offset_ = Caret;
  }
  const int32_t Room = ClientWidth() - text_margin_ - 1;
  right_justify_ = model_.RightAlign && TextWidth(Text) < Room;
  if (right_justify_) offset_ = 0;
  const bool Numeric = model_.Data.FieldKind() == fkNumeric;
  int32_t Width = 0;
  for (;;) {
    Width = right_justify_ ? TextWidth(Text.substr(static_cast<size_t>(Caret)))
                           : TextWidth(Text.substr(static_cast<size_t>(offset_),
                                                   static_cast<size_t>(Caret - offset_)));
    if (Width < Room || Numeric || !Scroll || offset_ >= Caret) break;
    ++offset_;
  }
  const std::string At = Caret < Len ? Text.substr(static_cast<size_t>(Caret), 1) : " ";
  caret_->SetCellHeight(FontHeight(Font()->Handle()));
  caret_->SetCellWidth(std::max(1, TextWidth(At)));
  TOvcCaret* Cur = caret_->Caret();
  const bool Thin =
      Cur &&
      (Cur->Shape() == TOvcCaretShape::csVertLine || Cur->Shape() == TOvcCaretShape::csCustom ||
       Cur->Shape() == TOvcCaretShape::csBitmap) &&
      Cur->CaretWidth() < 5;
  if (!Thin) Width += right_justify_ ? -1 : 1;
  int32_t X;
  if (Numeric)
    X = ClientWidth() - text_margin_ - 1;
  else if (right_justify_)
    X = ClientWidth() - (Width + 1) - text_margin_ - 1;
  else
    X = Width + text_margin_ - 2;
  caret_->SetPosition({X, std::max(0, text_top_)});
  return offset_ != OldOffset;
}

int32_t TOvcBaseEntryField::MousePosition(int32_t X) {
  const std::string Text = GetDisplayString();
  if (X < 0 && offset_ > 0) {
    TScreenDC screen;
    TSelectedObject sel(screen.Handle(), Font()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(static_cast<HDC>(screen.Handle()), &tm);
    const int32_t Avg = std::max<int32_t>(1, tm.tmAveCharWidth);
    offset_ = std::max(0, offset_ - (-X + Avg) / Avg);
  }
  const int32_t Len = static_cast<int32_t>(Text.size());
  if (right_justify_) {
    // Counted from the right edge.
    const int32_t FromRight = ClientWidth() - text_margin_ - 1 - X;
    int32_t I = Len;
    while (I > 0 && TextWidth(Text.substr(static_cast<size_t>(I - 1))) <= FromRight) --I;
    return std::max(0, I);
  }
  const int32_t Rel = X - (text_margin_ - 1);
  int32_t I = offset_;
  while (I < Len && TextWidth(Text.substr(static_cast<size_t>(offset_),
                                          static_cast<size_t>(I + 1 - offset_))) <= Rel)
    ++I;
  return std::max(0, I);
}

// --- commands ---------------------------------------------------------------------------

bool TOvcBaseEntryField::ProcessCommand(TEntryEdit E) {
  HandleNeeded();
  if (!HandleAllocated()) return true;
  if (E.Cmd == ccChar && E.Ch == '\0') return true;
  if (IsReadOnly() && CommandChangesText(E.Cmd)) {
    Beep();
    return true;
  }
  const bool WasInsert = editor_.InsertMode;
  if (!ChangingText([&] {
        PerformEdit(E);
        if (editor_.InsertMode != WasInsert) ShowCaretForm();
      }))
    return false;
  if (E.Cmd < ccUserFirst) return true;
  TControlWatch watch(this);
  DoOnUserCommand(E.Cmd);
  return watch.Alive();
}

void TOvcBaseEntryField::KeyCommand(uint16_t Cmd, TMessage& M) {
  if (Cmd == 0) return;
  if (Cmd == ccIns && (model_.ForceInsert || model_.ForceOvertype)) return;
  if (Cmd == ccCopy) {
    Perform(WM_COPY);
  } else if (Cmd == ccCut) {
    Perform(WM_CUT);
  } else if (Cmd == ccPaste) {
    Perform(WM_PASTE);
  } else {
    // Undo of a field is its restore.
    ProcessCommand(TEntryEdit(Cmd == ccUndo ? uint16_t{ccRestore} : Cmd));
  }
  (void)M;
}

void TOvcBaseEntryField::CopySelectionToClipboard() {
  const int32_t S = model_.SelStart(), E = model_.SelEnd();
  if (S >= E) return;
  // What is shown (password characters stay hidden), with the real control characters.
  std::string Shown = GetDisplayString();
  Shown.resize(model_.Text().size(), ' ');
  std::string Part = Shown.substr(static_cast<size_t>(S), static_cast<size_t>(E - S));
  for (int32_t I = S; I < E; ++I) {
    const char C = model_.Text()[static_cast<size_t>(I)];
    if (static_cast<unsigned char>(C) < 32) Part[static_cast<size_t>(I - S)] = C;
  }
  Clipboard()->SetAsText(Part);
}

void TOvcBaseEntryField::CutToClipboard() {
  CopySelectionToClipboard();
  ProcessCommand(TEntryEdit(ccCut));
}

void TOvcBaseEntryField::PasteFromClipboard() {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return;
  TEntryEdit E(ccPaste);
  E.Paste = Clipboard()->AsText();
  ProcessCommand(E);
}

// --- focus ------------------------------------------------------------------------------

void TOvcBaseEntryField::Enter(TMessage& M) {
  focused_ = true;
  TOvcController* C = Controller();
  if (C) C->EntryCommands()->ResetCommandProcessor();
  HWND Losing = reinterpret_cast<HWND>(M.WParam);
  if (reentry_ && Losing && Losing != W(this) && IsWindow(Losing)) {
    // End whatever mouse mode the control that took the focus had started.
    SendMessageA(Losing, WM_CANCELMODE, 0, 0);
    POINT P{};
    GetCursorPos(&P);
    ::ScreenToClient(Losing, &P);
    SendMessageA(Losing, WM_LBUTTONUP, 0, MAKELPARAM(P.x, P.y));
    if (TCustomForm* form = ParentForm(); form && form->ActiveControl() != this)
      form->SetActiveControl(this);
  }
  if (!model_.ForceInsert && !model_.ForceOvertype && C) editor_.InsertMode = C->InsertMode();
  const bool Pending = ErrorPending();
  bool Scroll = false, Select = false;
  if (!model_.KeepCaret()) {
    if (!Pending) {
      if (!reentry_) model_.SetModified(false);
      if (C) C->NotifyPreEdit(this, FindControl(reinterpret_cast<HWnd>(Losing)));
      model_.SaveRestoreCopy();
    }
    if (!entered_by_mouse_) {
      model_.ResetCaret();
      Scroll = true;
      Select = !Pending;
    }
  }
  skip_next_exit_ = Pending && !model_.SoftValidation;
  reentry_ = entered_by_mouse_ = false;
  model_.SetKeepCaret(false);
  model_.SetErrorReported(false);
  SetErrorPending(false);
  TControlWatch watch(this);
  TOvcBase::Dispatch(M);  // OnEnter may free the field
  if (!watch.Alive()) return;
  if (model_.ForceInsert) editor_.InsertMode = true;
  if (model_.ForceOvertype) editor_.InsertMode = false;
  caret_->SetLinked(true);
  ShowCaretForm();
  caret_->SetVisible(true);
  PositionCaret(Scroll);
  if (Select && auto_select_) model_.SetSelection(0, 255);
  Invalidate();
}

void TOvcBaseEntryField::Leave(TMessage& M) {
  HWND Gaining = reinterpret_cast<HWND>(M.WParam);
  TWinControl* GainingControl =
      Gaining ? FindControlOrParent(reinterpret_cast<HWnd>(Gaining)) : nullptr;
  const bool SameForm = Gaining && Gaining != W(this) && GainingControl &&
                        GetParentForm(GainingControl) == GetParentForm(this);
  model_.SetKeepCaret(!SameForm);
  caret_->SetLinked(false);
  if (GetCapture() == W(this)) ReleaseCapture();
  TControlWatch watch(this);
  TOvcBase::Dispatch(M);
  if (!watch.Alive()) return;
  TOvcController* C = Controller();
  if (!model_.ForceInsert && !model_.ForceOvertype && C) C->SetInsertMode(editor_.InsertMode);
  bool Stays = false;
  if (!model_.ErrorReported() && !skip_next_exit_) {
    reentry_ = true;
    if (SameForm) {
      if (model_.IsModified()) model_.Uninitialized = false;
      if (C && C->IsSpecialButton(reinterpret_cast<HWnd>(Gaining))) {
        model_.ValidateContents();
        Stays = true;
      } else {
        ValidateField(true);
      }
    } else {
      Stays = true;
    }
  }
  if (!Stays) reentry_ = model_.ErrorReported();
  skip_next_exit_ = false;
  focused_ = false;
  if (SameForm && !model_.KeepCaret() && C) {
    TWinControl* Target = FindControl(reinterpret_cast<HWnd>(Gaining));
    C->NotifyPostEdit(this, Target ? Target : GainingControl);
  }
  if (!model_.KeepCaret()) {
    model_.MoveCaretToStart();
    offset_ = 0;
  }
  Invalidate();
}

// --- painting ---------------------------------------------------------------------------

void TOvcBaseEntryField::PaintWindow(HDc DC) {
  Paint(DC);
}

void TOvcBaseEntryField::Paint(HDc DC) {
  const TRect R = ClientRect();
  TOffscreen Off(DC, R.Width(), R.Height());
  HDC D = Off.Dc();
  TSelectedObject Font(reinterpret_cast<HDc>(D), this->Font()->Handle());
  COLORREF Fg, Bg;
  if (!Enabled()) {
    Fg = ColorToRGB(disabled_colors_->TextColor());
    Bg = ColorToRGB(disabled_colors_->BackColor());
  } else if (model_.Invalid()) {
    Fg = ColorToRGB(error_colors_->TextColor());
    Bg = ColorToRGB(error_colors_->BackColor());
  } else {
    Fg = ColorToRGB(this->Font()->Color());
    Bg = ColorToRGB(Color());
  }
  RECT Whole{0, 0, R.Width(), R.Height()};
  SetBkColor(D, Bg);
  ExtTextOutA(D, 0, 0, ETO_OPAQUE, &Whole, "", 0, nullptr);
  const std::string All = GetDisplayString();
  const int32_t From = std::min<int32_t>(offset_, static_cast<int32_t>(All.size()));
  const std::string Text = All.substr(static_cast<size_t>(From));
  int32_t X;
  if (model_.Data.FieldKind() == fkNumeric)
    X = R.Width() - TextWidth(Text) - text_margin_ - 1;
  else if (right_justify_)
    X = R.Width() - TextWidth(Text) - text_margin_ - 1;
  else
    X = text_margin_ - 1;
  const int32_t Y = text_top_;
  const bool ShowSel = Focused() && model_.SelStart() < model_.SelEnd();
  // Runs of one look: normal, control character, selected.
  auto kind = [&](int32_t I) {
    const int32_t At = I + From;
    if (ShowSel && At >= model_.SelStart() && At < model_.SelEnd()) return 2;
    if (At < static_cast<int32_t>(model_.Text().size()) &&
        static_cast<unsigned char>(model_.Text()[static_cast<size_t>(At)]) < 32)
      return 1;
    return 0;
  };
  SetBkMode(D, OPAQUE);
  int32_t I = 0;
  const int32_t N = static_cast<int32_t>(Text.size());
  while (I < N) {
    const int K = kind(I);
    int32_t J = I + 1;
    while (J < N && kind(J) == K) ++J;
    const std::string Run = Text.substr(static_cast<size_t>(I), static_cast<size_t>(J - I));
    if (K == 2) {
      SetTextColor(D, ColorToRGB(highlight_colors_->TextColor()));
      SetBkColor(D, ColorToRGB(highlight_colors_->BackColor()));
    } else {
      SetTextColor(D, K == 1 ? ColorToRGB(control_char_color_) : Fg);
      SetBkColor(D, Bg);
    }
    TextOutA(D, X, Y, Run.data(), static_cast<int>(Run.size()));
    X += TextWidth(Run);
    I = J;
  }
  BitBlt(static_cast<HDC>(DC), 0, 0, R.Width(), R.Height(), D, 0, 0, SRCCOPY);
}

// --- messages ---------------------------------------------------------------------------

void TOvcBaseEntryField::Dispatch(TMessage& M) {
  // The field's events run on the way (mouse, keys, focus, size): a handler may free the
  // field, and then nothing more is done with it.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_KEYDOWN: {
      if (DoKeyDown(M)) return;
      const uint16_t Key = M.WParamLo();
      if (Key == 0 || Key == VK_SHIFT || !Controller()) return;
      KeyCommand(Controller()->EntryCommands()->Translate(M), M);
      return;
    }
    case WM_SYSKEYDOWN: {
      TOvcBase::Dispatch(M);
      const uint16_t Key = M.WParamLo();
      if (!watch.Alive() || Key == 0 || Key == VK_TAB || Key == VK_MENU || !Controller()) return;
      // Alt alone: Alt+Shift+Backspace is Alt+Backspace still.
      KeyCommand(Controller()->EntryCommands()->TranslateKey(Key, kShiftFlagAlt), M);
      // Alt and keypad digits type a character by its code.
      if (watch.Alive() && Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9)
        editor_.AcceptChars = editor_.CharsAllowed = true;
      return;
    }
    case WM_CHAR:
      if (DoKeyPress(M)) return;
      if (editor_.AcceptChars)
        ProcessCommand(TEntryEdit(ccChar, static_cast<char>(M.WParam & 0xFF)));
      return;
    case WM_COPY:
      CopySelectionToClipboard();
      ProcessCommand(TEntryEdit(ccCopy));
      return;
    case WM_CUT:
      CutToClipboard();
      return;
    case WM_CLEAR:
      ProcessCommand(TEntryEdit(ccCut));
      return;
    case WM_PASTE:
      PasteFromClipboard();
      return;
    case WM_SETTEXT: {
      // The new text replaces the old under the picture's rules.
      model_.SetSelection(0, 255);
      TEntryEdit E(ccPaste);
      if (M.LParam) E.Paste = reinterpret_cast<const char*>(M.LParam);
      ProcessCommand(E);
      M.Result = TRUE;
      return;
    }
    case WM_GETTEXT: {
      const std::string& T = model_.Text();
      const size_t Room = M.WParam;
      if (Room == 0 || !M.LParam) {
        M.Result = 0;
        return;
      }
      const size_t N = std::min(Room - 1, T.size());
      std::memcpy(reinterpret_cast<char*>(M.LParam), T.data(), N);
      reinterpret_cast<char*>(M.LParam)[N] = '\0';
      M.Result = static_cast<intptr_t>(N);
      return;
    }
    case WM_GETTEXTLENGTH:
      M.Result = static_cast<intptr_t>(model_.Text().size());
      return;
    case WM_LBUTTONDOWN: {
      if (!Focused()) {
        entered_by_mouse_ = true;
        model_.SetSelection(0, 0);
        if (CanFocus()) SetFocus();
        if (!watch.Alive()) return;
      }
      TOvcBase::Dispatch(M);
      if (watch.Alive() && Focused()) {
        TEntryEdit E(ccMouse);
        E.MousePos = MousePosition(M.XPos());
        E.Shift = (M.WParam & MK_SHIFT) != 0;
        if (!ProcessCommand(E)) return;
        PositionCaret(true);
        Invalidate();
      }
      return;
    }
    case WM_LBUTTONDBLCLK:
      if (Focused()) {
        TEntryEdit E(ccDblClk);
        E.MousePos = MousePosition(M.XPos());
        if (!ProcessCommand(E)) return;
        PositionCaret(true);
        Invalidate();
      }
      TOvcBase::Dispatch(M);
      return;
    case WM_MOUSEMOVE:
      TOvcBase::Dispatch(M);
      if (watch.Alive() && HandleAllocated() && GetCapture() == W(this) &&
          (GetAsyncKeyState(GetLeftButton()) & 0x8000)) {
        TEntryEdit E(ccMouseMove);
        E.MousePos = MousePosition(M.XPos());
        if (!ProcessCommand(E)) return;
        PositionCaret(true);
        Invalidate();
      }
      return;
    case WM_RBUTTONDOWN:
      if (!Focused() && CanFocus()) SetFocus();
      if (watch.Alive()) TOvcBase::Dispatch(M);
      return;
    case WM_SETFOCUS:
      Enter(M);
      return;
    case WM_KILLFOCUS:
      Leave(M);
      return;
    case WM_GETDLGCODE:
      TOvcBase::Dispatch(M);
      M.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case CM_WANTSPECIALKEY:
      // Alt+Backspace is the field's, not the form's.
      if (M.WParamLo() == VK_BACK && (KeyDataToShiftState(M.LParam).Contains(TShiftFlag::ssAlt))) {
        M.Result = 1;
        return;
      }
      TOvcBase::Dispatch(M);
      return;
    case WM_ERASEBKGND:
      M.Result = 1;
      return;
    case CM_FONTCHANGED:
      TOvcBase::Dispatch(M);
      if (watch.Alive() && !(ComponentState() & csLoading) && HandleAllocated()) {
        AdjustHeight();
        if (Focused()) PositionCaret(false);
      }
      return;
    case CM_CTL3DCHANGED:
      TOvcBase::Dispatch(M);
      if (watch.Alive() && !(ComponentState() & csLoading) && HandleAllocated()) {
        RecreateWnd();
        AdjustHeight();
      }
      return;
    case CM_ENABLEDCHANGED:
      TOvcBase::Dispatch(M);
      if (watch.Alive()) Invalidate();
      return;
    case WM_SIZE:
      TOvcBase::Dispatch(M);  // OnResize may free the field
      if (watch.Alive()) Invalidate();
      return;
    case EM_GETSEL:
      if (M.WParam) *reinterpret_cast<DWORD*>(M.WParam) = static_cast<DWORD>(model_.SelStart());
      if (M.LParam) *reinterpret_cast<DWORD*>(M.LParam) = static_cast<DWORD>(model_.SelEnd());
      M.Result = MAKELONG(model_.SelStart(), model_.SelEnd());
      return;
    case EM_SETSEL: {
      // The 16-bit marker 65535 and the 32-bit -1 both mean "none" as a start and
      // "to the end" as an end.
      const int32_t Start = static_cast<int32_t>(M.WParam), End = static_cast<int32_t>(M.LParam);
      const bool NoStart = Start == -1 || Start == 65535;
      const bool ToEnd = End == -1 || End >= 65535;
      if (NoStart)
        model_.SetSelection(0, 0);
      else if (Start == 0 && ToEnd)
        model_.SetSelection(0, 255);
      else if (End >= Start)
        model_.SetSelection(Start, End);
      Invalidate();
      return;
    }
    case EM_GETMODIFY:
      M.Result = model_.IsModified() ? 1 : 0;
      return;
    case EM_SETMODIFY:
      model_.SetModified(M.WParam >= 1);
      return;
    case OM_REPORTERROR:
      model_.ReportError(static_cast<uint16_t>(M.WParam));
      return;
    case OM_GETDATASIZE:
      M.Result = model_.Data.DataSize();
      return;
    default:
      TOvcBase::Dispatch(M);
  }
}

// --- streaming --------------------------------------------------------------------------

void TOvcBaseEntryField::Loaded() {
  TOvcBase::Loaded();
  model_.AdjustOptions();
}

void TOvcBaseEntryField::DefineProperties(TFiler* Filer) {
  TOvcBase::DefineProperties(Filer);
  const uint8_t Type = model_.Data.DataType() & 63;
  const bool Stored = Type != sftString && Type != sftBoolean && Type != sftYesNo;
  auto limit = [this](bool High) {
    return std::pair<TStreamProc, TStreamProc>(
        [this, High](TStream* S) {
          TRangeLimit L;
          S->Read(L.Bytes.data(), static_cast<int64_t>(L.Bytes.size()));
          if (High)
            model_.Data.SetRangeHiValue(L);
          else
            model_.Data.SetRangeLoValue(L);
        },
        [this, High](TStream* S) {
          const TRangeLimit& L = High ? model_.Data.RangeHiValue() : model_.Data.RangeLoValue();
          S->Write(L.Bytes.data(), static_cast<int64_t>(L.Bytes.size()));
        });
  };
  auto [ReadHi, WriteHi] = limit(true);
  auto [ReadLo, WriteLo] = limit(false);
  Filer->DefineBinaryProperty("RangeHigh", ReadHi, WriteHi, Stored);
  Filer->DefineBinaryProperty("RangeLow", ReadLo, WriteLo, Stored);
}

void TOvcBaseEntryField::PublishProperties(TPropertyList& P) {
  TOvcBase::PublishProperties(P);
  // What a new field starts with.
  P.Find("Cursor")->Default(crIBeam);
  P.Find("TabStop")->Default(true);
  auto flag = [&](const char* Name, bool (TOvcBaseEntryField::*Get)() const,
                  void (TOvcBaseEntryField::*Set)(bool), bool Default) {
    P.Boolean(
         Name, [this, Get] { return (this->*Get)(); }, [this, Set](bool v) { (this->*Set)(v); })
        .Default(Default);
  };
  flag("ArrowIncDec", &TOvcBaseEntryField::ArrowIncDec, &TOvcBaseEntryField::SetArrowIncDec, false);
  flag("AutoAdvanceChar", &TOvcBaseEntryField::AutoAdvanceChar,
       &TOvcBaseEntryField::SetAutoAdvanceChar, false);
  flag("AutoAdvanceLeftRight", &TOvcBaseEntryField::AutoAdvanceLeftRight,
       &TOvcBaseEntryField::SetAutoAdvanceLeftRight, false);
  flag("AutoAdvanceUpDown", &TOvcBaseEntryField::AutoAdvanceUpDown,
       &TOvcBaseEntryField::SetAutoAdvanceUpDown, false);
  flag("AutoSelect", &TOvcBaseEntryField::AutoSelect, &TOvcBaseEntryField::SetAutoSelect, true);
  flag("AutoSize", &TOvcBaseEntryField::AutoSize, &TOvcBaseEntryField::SetAutoSize, true);
  flag("BeepOnError", &TOvcBaseEntryField::BeepOnError, &TOvcBaseEntryField::SetBeepOnError, true);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(TBorderStyle::bsSingle);
  P.Object("CaretIns", [this] { return caret_->InsCaret(); });
  P.Object("CaretOvr", [this] { return caret_->OvrCaret(); });
  flag("CaretToEnd", &TOvcBaseEntryField::CaretToEnd, &TOvcBaseEntryField::SetCaretToEnd, true);
  P.Integer(
       "ControlCharColor", [this] { return control_char_color_; },
       [this](int32_t v) { SetControlCharColor(v); })
      .Default(clRed);
  P.Integer(
       "DecimalPlaces", [this] { return DecimalPlaces(); },
       [this](int32_t v) { SetDecimalPlaces(static_cast<uint8_t>(v)); })
      .Default(0);
  P.Object("DisabledColors", [this] { return disabled_colors_.get(); });
  P.Object("ErrorColors", [this] { return error_colors_.get(); });
  flag("ForceInsert", &TOvcBaseEntryField::ForceInsert, &TOvcBaseEntryField::SetForceInsert, false);
  flag("ForceOvertype", &TOvcBaseEntryField::ForceOvertype, &TOvcBaseEntryField::SetForceOvertype,
       false);
  P.Object("HighlightColors", [this] { return highlight_colors_.get(); });
  flag("InputRequired", &TOvcBaseEntryField::InputRequired, &TOvcBaseEntryField::SetInputRequired,
       false);
  flag("InsertPushes", &TOvcBaseEntryField::InsertPushes, &TOvcBaseEntryField::SetInsertPushes,
       true);
  P.Integer(
       "MaxLength", [this] { return MaxLength(); },
       [this](int32_t v) {
         if (ComponentState() & csLoading)
           model_.Data.LoadMaxLength(v);
         else if (v >= 1 && v <= 255)
           SetMaxLength(static_cast<uint16_t>(v));
       })
      .Default(15);
  P.String(
       "PadChar", [this] { return std::string(1, pad_char_); },
       [this](const std::string& v) { SetPadChar(v.empty() ? ' ' : v[0]); })
      .Default(" ");
  P.String(
       "PasswordChar", [this] { return std::string(1, password_char_); },
       [this](const std::string& v) { SetPasswordChar(v.empty() ? '*' : v[0]); })
      .Default("*");
  flag("PasswordMode", &TOvcBaseEntryField::PasswordMode, &TOvcBaseEntryField::SetPasswordMode,
       false);
  P.String(
       "RangeHi", [this] { return RangeHi(); }, [this](const std::string& v) { SetRangeHi(v); })
      .Stored(false);
  P.String(
       "RangeLo", [this] { return RangeLo(); }, [this](const std::string& v) { SetRangeLo(v); })
      .Stored(false);
  flag("ReadOnly", &TOvcBaseEntryField::ReadOnly, &TOvcBaseEntryField::SetReadOnly, false);
  flag("RightAlign", &TOvcBaseEntryField::RightAlign, &TOvcBaseEntryField::SetRightAlign, false);
  flag("SoftValidation", &TOvcBaseEntryField::SoftValidation,
       &TOvcBaseEntryField::SetSoftValidation, false);
  P.Integer(
       "TextMargin", [this] { return text_margin_; }, [this](int32_t v) { SetTextMargin(v); })
      .Default(2);
  flag("TrimBlanks", &TOvcBaseEntryField::TrimBlanks, &TOvcBaseEntryField::SetTrimBlanks, true);
  flag("Uninitialized", &TOvcBaseEntryField::Uninitialized, &TOvcBaseEntryField::SetUninitialized,
       false);
  P.Enum<TZeroDisplay>(
       "ZeroDisplay", {"zdShow", "zdHide", "zdHideUntilModified"},
       [this] { return model_.ZeroDisplay; }, [this](TZeroDisplay v) { SetZeroDisplay(v); })
      .Default(zdShow);
  P.Float(
       "ZeroDisplayValue", [this] { return model_.ZeroDisplayValue; },
       [this](double v) { SetZeroDisplayValue(v); })
      .DefaultFloat(0);
}

}  // namespace tess
