// The controller and the control base.
//
// TOvcController is a non-visual component on a form.  It gives the library's controls
// on that form their shared services: the key-command processor (EntryCommands), a
// timer pool, a place to report errors (OnError, else an error box), the insert mode and
// the error-pending flag they share, and a hidden window through which they post
// deferred notices.
//
// A posted notice never carries an object pointer: the sender (or the control to show)
// travels as an id that the controller resolves on receipt, and a notice whose object
// has been destroyed in between is dropped.  Controls travel as window handles, looked up
// with FindControl on receipt (null when the window is gone).
//
// TOvcBase is the base of every control of the library: it finds its form's controller
// when its window is made (raising ENoControllerAssigned when there is none) and turns
// the focus messages into AfterEnter and AfterExit, run once the focus change is over.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "components/core/commands.h"
#include "components/core/timerpool.h"
#include "framework/win/controls.h"

namespace tess {

class TCustomForm;

// The library's private window messages.
enum : uint32_t {
  OM_REPORTERROR = 32512,  // an entry field's error report, posted to the field itself
  OM_SHOWCONTROL = 32513,  // to the controller: show a control and give it the focus
  OM_PREEDIT = 32518,      // to the controller: OnPreEdit
  OM_POSTEDIT = 32519,     // to the controller: OnPostEdit
  OM_AFTERENTER = 32520,   // to a control itself: AfterEnter
  OM_AFTEREXIT = 32521,    // to a control itself: AfterExit
  OM_DELAYNOTIFY = 32522,  // to the controller: OnDelayNotify
};

using TDelayNotifyEvent = std::function<void(TObject* Sender, uint16_t NotifyCode)>;
using TOvcErrorEvent =
    std::function<void(TObject* Sender, uint16_t ErrorCode, const std::string& ErrorMsg)>;
using TPostEditEvent = std::function<void(TObject* Sender, TWinControl* GainingControl)>;
using TPreEditEvent = std::function<void(TObject* Sender, TWinControl* LosingControl)>;

class TOvcController : public TComponent {
 public:
  explicit TOvcController(TComponent* AOwner);
  ~TOvcController() override;

  // Focus moving to one of these buttons skips an entry field's exit validation.
  TWinControl* BtnCancel() const { return btn_cancel_; }
  void SetBtnCancel(TWinControl* Value) { SetButton(btn_cancel_, Value); }
  TWinControl* BtnHelp() const { return btn_help_; }
  void SetBtnHelp(TWinControl* Value) { SetButton(btn_help_, Value); }
  TWinControl* BtnRestore() const { return btn_restore_; }
  void SetBtnRestore(TWinControl* Value) { SetButton(btn_restore_, Value); }

  TOvcCommandProcessor* EntryCommands() const { return entry_commands_.get(); }
  TOvcTimerPool* TimerPool() const { return timer_pool_.get(); }

  // The base year of two-digit years: 1600 <= Epoch < 4000, other values are ignored.
  int32_t Epoch() const { return epoch_; }
  void SetEpoch(int32_t Value);
  // Set while an entry field's error report is pending (one at a time).
  bool ErrorPending() const { return error_pending_; }
  void SetErrorPending(bool Value) { error_pending_ = Value; }
  // The message of the last error reported, and of application error codes (32768 up).
  const std::string& ErrorText() const { return error_text_; }
  void SetErrorText(const std::string& Value) { error_text_ = Value; }
  // The insert or overwrite mode the form's controls share.
  bool InsertMode() const { return insert_mode_; }
  void SetInsertMode(bool Value) { insert_mode_ = Value; }

  // The hidden window, made on first use.
  HWnd Handle();

  // OnError, or without a handler a modal error box with an OK button.  Never raises.
  void DoError(TObject* Sender, uint16_t ErrorCode, const std::string& ErrorMsg);
  // Post OnPreEdit / OnPostEdit for later (Sender, and the control losing or gaining
  // the focus).
  void NotifyPreEdit(TObject* Sender, TWinControl* LosingControl);
  void NotifyPostEdit(TObject* Sender, TWinControl* GainingControl);
  // Posts: show Control and give it the focus when it can take it.
  void PostShowControl(TWinControl* Control);
  // Posts OnDelayNotify(Sender, NotifyCode).
  void PostDelayNotify(TObject* Sender, uint16_t NotifyCode);
  void DoTimerTrigger(TObject* Sender, int32_t Handle, uint16_t Interval, int32_t ElapsedTime);
  // H is the window of BtnCancel, BtnHelp or BtnRestore.
  virtual bool IsSpecialButton(HWnd H);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PublishProperties(TPropertyList& Props) override;

  TDelayNotifyEvent OnDelayNotify;
  TOvcErrorEvent OnError;
  TPostEditEvent OnPostEdit;
  TPreEditEvent OnPreEdit;
  TTriggerEvent OnTimerTrigger;

 private:
  void SetButton(TWinControl*& Field, TWinControl* Value);
  void WndProc(TMessage& Message);
  void Post(uint32_t Msg, uintptr_t WParam, TObject* Target);
  // The object a notice names; false when it was destroyed since (drop the notice).
  bool TakeNotice(intptr_t Id, TComponent*& Target);

  TWinControl* btn_cancel_ = nullptr;
  TWinControl* btn_help_ = nullptr;
  TWinControl* btn_restore_ = nullptr;
  std::unique_ptr<TOvcCommandProcessor> entry_commands_;
  int32_t epoch_ = 1900;
  bool error_pending_ = false;
  std::string error_text_;
  HWnd handle_ = nullptr;
  bool insert_mode_ = true;
  std::unique_ptr<TOvcTimerPool> timer_pool_;
  // Objects named by notices still in the queue, by id (ids are never reused).
  std::unordered_map<intptr_t, TComponent*> notices_;
  intptr_t next_notice_ = 1;
};

// ---------------------------------------------------------------------------------------

// Puts the controller in the class registry: every form with one of the library's
// controls carries it.
void RegisterControllerClass();

class TOvcBase : public TCustomControl {
 public:
  explicit TOvcBase(TComponent* AOwner);
  ~TOvcBase() override;

  TOvcController* Controller() const { return controller_; }
  void SetController(TOvcController* Value);
  bool ControllerAssigned() const { return controller_ != nullptr; }

  // Run after the focus arrived or left, once every focus handler has run.
  TNotifyEvent AfterEnter;
  TNotifyEvent AfterExit;

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;

 protected:
  // Attaches the form's first controller when none is set; none at all raises
  // ENoControllerAssigned.
  void CreateWnd() override;
  // The nearest parent that is a form, or null.
  TCustomForm* ParentForm() const;
  // The published Controller property, for the controls that publish it.
  void PublishController(TPropertyList& Props);

 private:
  TOvcController* controller_ = nullptr;
};

}  // namespace tess
