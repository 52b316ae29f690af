// See controller.h.
#include "components/core/controller.h"

#include "components/core/exceptions.h"
#include "components/core/timerwindow.h"
#include "framework/win/dialogs.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

// ---------------------------------------------------------------------------------------
// TOvcController
// ---------------------------------------------------------------------------------------

TOvcController::TOvcController(TComponent* AOwner)
    : TComponent(AOwner),
      entry_commands_(std::make_unique<TOvcCommandProcessor>()),
      timer_pool_(std::make_unique<TOvcTimerPool>(nullptr)) {
  timer_pool_->SetDriver(MakeWindowTimerDriver(timer_pool_.get()));
  timer_pool_->OnAllTriggers = [this](TObject* S, int32_t H, uint16_t I, int32_t E) {
    DoTimerTrigger(S, H, I, E);
  };
  // The owner announced this component while it was still being built, too early for
  // a control to see that it is a controller: tell the controls again.
  if (TComponent* owner = Owner()) {
    for (int i = 0; i < owner->ComponentCount(); ++i)
      if (auto* control = dynamic_cast<TOvcBase*>(owner->Components(i)))
        control->Notification(this, opInsert);
  }
}

TOvcController::~TOvcController() {
  Destroying();
  entry_commands_.reset();
  timer_pool_.reset();
  // Notices still queued die with the window.
  if (handle_) DeallocateHWnd(handle_);
  handle_ = nullptr;
}

void TOvcController::SetButton(TWinControl*& Field, TWinControl* Value) {
  Field = Value;
  if (Value) Value->FreeNotification(this);
}

void TOvcController::SetEpoch(int32_t Value) {
  if (Value != epoch_ && Value >= 1600 && Value < 4000) epoch_ = Value;
}

HWnd TOvcController::Handle() {
  if (!handle_) handle_ = AllocateHWnd([this](TMessage& M) { WndProc(M); });
  return handle_;
}

void TOvcController::DoError(TObject* Sender, uint16_t ErrorCode, const std::string& ErrorMsg) {
  try {
    if (OnError) {
      FireEvent(this, OnError, Sender, ErrorCode, ErrorMsg);
    } else {
      MessageDlg(ErrorMsg, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, 0);
    }
  } catch (...) {
    // An error report must not turn into a second fault in the middle of a focus
    // change: the handler's failure goes to the application's report.
    if (Application) Application->HandleException(this);
  }
}

void TOvcController::Post(uint32_t Msg, uintptr_t WParam, TObject* Target) {
  intptr_t id = 0;
  if (auto* c = dynamic_cast<TComponent*>(Target)) {
    id = next_notice_++;
    notices_[id] = c;
    if (c != this) c->FreeNotification(this);
  }
  PostMessageA(Handle(), Msg, WParam, id);
}

bool TOvcController::TakeNotice(intptr_t Id, TComponent*& Target) {
  Target = nullptr;
  if (Id == 0) return true;  // posted without an object
  auto it = notices_.find(Id);
  if (it == notices_.end()) return false;
  Target = it->second;
  notices_.erase(it);
  return true;
}

void TOvcController::NotifyPreEdit(TObject* Sender, TWinControl* LosingControl) {
  HWnd wnd = LosingControl && LosingControl->HandleAllocated() ? LosingControl->Handle() : nullptr;
  Post(OM_PREEDIT, reinterpret_cast<uintptr_t>(wnd), Sender);
}

void TOvcController::NotifyPostEdit(TObject* Sender, TWinControl* GainingControl) {
  HWnd wnd =
      GainingControl && GainingControl->HandleAllocated() ? GainingControl->Handle() : nullptr;
  Post(OM_POSTEDIT, reinterpret_cast<uintptr_t>(wnd), Sender);
}

void TOvcController::PostShowControl(TWinControl* Control) {
  if (Control) Post(OM_SHOWCONTROL, 0, Control);
}

void TOvcController::PostDelayNotify(TObject* Sender, uint16_t NotifyCode) {
  Post(OM_DELAYNOTIFY, NotifyCode, Sender);
}

void TOvcController::WndProc(TMessage& M) {
  TComponent* target = nullptr;
  switch (M.Msg) {
    case OM_SHOWCONTROL:
      if (TakeNotice(M.LParam, target)) {
        if (auto* control = dynamic_cast<TWinControl*>(target)) {
          control->Show();
          if (control->CanFocus()) control->SetFocus();
        }
      }
      return;
    case OM_PREEDIT:
    case OM_POSTEDIT: {
      if (!TakeNotice(M.LParam, target)) return;
      TWinControl* control = M.WParam ? FindControl(reinterpret_cast<HWnd>(M.WParam)) : nullptr;
      // From copies: a handler may free the form, and the controller with it.
      if (M.Msg == OM_PREEDIT)
        FireEvent(this, OnPreEdit, target, control);
      else
        FireEvent(this, OnPostEdit, target, control);
      return;
    }
    case OM_DELAYNOTIFY:
      if (TakeNotice(M.LParam, target))
        FireEvent(this, OnDelayNotify, target, static_cast<uint16_t>(M.WParam & 0xFFFF));
      return;
    default:
      M.Result = DefaultWindowProc(handle_, M);
  }
}

void TOvcController::DoTimerTrigger(TObject* Sender, int32_t Handle, uint16_t Interval,
                                    int32_t ElapsedTime) {
  FireEvent(this, OnTimerTrigger, Sender, Handle, Interval, ElapsedTime);
}

bool TOvcController::IsSpecialButton(HWnd H) {
  for (TWinControl* b : {btn_cancel_, btn_help_, btn_restore_})
    if (b && b->HandleAllocated() && b->Handle() == H) return true;
  return false;
}

void TOvcController::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (TWinControl** b : {&btn_cancel_, &btn_help_, &btn_restore_})
    if (*b == AComponent) *b = nullptr;
  // Notices naming the component are dropped when they arrive.
  std::erase_if(notices_, [AComponent](const auto& e) { return e.second == AComponent; });
}

void TOvcController::PublishProperties(TPropertyList& P) {
  TComponent::PublishProperties(P);
  auto button = [&](const char* Name, TWinControl*& Field) {
    P.Component(
        Name, [&Field] { return static_cast<TComponent*>(Field); },
        [this, &Field](TComponent* C) { SetButton(Field, dynamic_cast<TWinControl*>(C)); });
  };
  button("BtnCancel", btn_cancel_);
  button("BtnHelp", btn_help_);
  button("BtnRestore", btn_restore_);
  P.Object("EntryCommands", [this] { return entry_commands_.get(); });
  P.Integer("Epoch", [this] { return epoch_; }, [this](int32_t v) { SetEpoch(v); }).Default(1900);
}

void RegisterControllerClass() {
  RegisterComponentClass<TOvcController>("TOvcController");
}

// ---------------------------------------------------------------------------------------
// TOvcBase
// ---------------------------------------------------------------------------------------

TOvcBase::TOvcBase(TComponent* AOwner) : TCustomControl(AOwner) {}

TOvcBase::~TOvcBase() = default;

void TOvcBase::PublishController(TPropertyList& P) {
  P.Component(
      "Controller", [this] { return static_cast<TComponent*>(Controller()); },
      [this](TComponent* C) { SetController(dynamic_cast<TOvcController*>(C)); });
}

void TOvcBase::SetController(TOvcController* Value) {
  controller_ = Value;
  if (Value) Value->FreeNotification(this);
}

TCustomForm* TOvcBase::ParentForm() const {
  for (TWinControl* p = Parent(); p; p = p->Parent())
    if (auto* form = dynamic_cast<TCustomForm*>(p)) return form;
  return nullptr;
}

void TOvcBase::CreateWnd() {
  TCustomForm* form = ParentForm();
  if (!controller_ && !(ComponentState() & csLoading) && form) {
    for (int i = 0; i < form->ComponentCount(); ++i) {
      if (auto* c = dynamic_cast<TOvcController*>(form->Components(i))) {
        SetController(c);
        break;
      }
    }
  }
  if (!controller_ && !(ComponentState() & csDesigning)) throw ENoControllerAssigned();
  TCustomControl::CreateWnd();
}

void TOvcBase::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == controller_) {
    controller_ = nullptr;
  } else if (Operation == opInsert && !controller_) {
    if (auto* c = dynamic_cast<TOvcController*>(AComponent)) SetController(c);
  }
}

void TOvcBase::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      TControlWatch watch(this);  // OnEnter (or OnExit) may free the control
      TCustomControl::Dispatch(M);
      if (watch.Alive() && HandleAllocated())
        PostMessageA(Handle(), M.Msg == WM_SETFOCUS ? OM_AFTERENTER : OM_AFTEREXIT, 0, 0);
      return;
    }
    case OM_AFTERENTER:
      FireEvent(this, AfterEnter, this);
      return;
    case OM_AFTEREXIT:
      FireEvent(this, AfterExit, this);
      return;
    default:
      TCustomControl::Dispatch(M);
  }
}

}  // namespace tess
