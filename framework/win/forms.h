// Forms, the application object and the screen.
//
// TCustomForm is a top-level window that tracks which of its controls has the focus
// (firing OnExit and OnEnter as the focus moves between them), routes the keys its
// controls do not want (Tab moves through the tab order, Enter presses the default
// button, Escape the cancel button, Alt+letter the control whose caption marks the
// letter), closes through OnCloseQuery and OnClose, and runs modally.  A form's window
// is never remade behind the caller's back: its border and style properties change the
// live window in place, so a handle taken by someone else (a component that decorates
// the frame) stays valid.
//
// TApplication runs the message loop.  Every key message is offered to its control as
// a possible dialog key, then translated (TranslateMessage) and dispatched.  An
// exception that reaches a window procedure, a timer or the loop ends in
// HandleException, which calls OnException or shows the message.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/win/controls.h"
#include "framework/win/menus.h"

namespace tess {

enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poScreenCenter, poMainFormCenter };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TEnumSet<TBorderIcon>;
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// ---------------------------------------------------------------------------------------
// Scrolling containers
// ---------------------------------------------------------------------------------------

class TScrollingWinControl;

// One scroll bar of a scrolling container.  Range is the extent of the content in
// pixels; the bar shows while Range exceeds the client size.
class TControlScrollBar : public TPersistent {
 public:
  TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind);

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;

  TScrollBarKind Kind() const { return kind_; }
  int32_t Range() const { return range_; }
  void SetRange(int32_t Value);
  int32_t Position() const { return position_; }
  // Clamped to 0 .. Range - client size; scrolls the content.
  void SetPosition(int32_t Value);
  int32_t Increment() const { return increment_; }
  void SetIncrement(int32_t Value) { increment_ = Value > 0 ? Value : 1; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  // Scroll while the thumb is dragged.
  bool Tracking() const { return tracking_; }
  void SetTracking(bool Value) { tracking_ = Value; }
  // Whether the bar is shown now.
  bool IsScrollBarVisible();
  // The largest position.
  int32_t MaxPosition();

 private:
  friend class TScrollingWinControl;
  int32_t ControlSize();
  void Update();
  void ScrollMessage(TMessage& Message);

  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  int32_t range_ = 0;
  int32_t position_ = 0;
  int32_t increment_ = 8;
  bool visible_ = true;
  bool tracking_ = false;
};

class TScrollingWinControl : public TWinControl {
 public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;

  TControlScrollBar* HorzScrollBar() const { return horz_.get(); }
  TControlScrollBar* VertScrollBar() const { return vert_.get(); }
  // The ranges follow the children's extent.
  bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool Value);
  // Scrolls so that Control is wholly visible.
  void ScrollInView(TControl* Control);
  // Moves the content by (DeltaX, DeltaY) pixels.
  void ScrollBy(int32_t DeltaX, int32_t DeltaY);
  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void CreateWnd() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void CalcAutoRange();
  void UpdateScrollBars();

 private:
  friend class TControlScrollBar;
  std::unique_ptr<TControlScrollBar> horz_;
  std::unique_ptr<TControlScrollBar> vert_;
  bool auto_scroll_ = true;
  bool updating_bars_ = false;
};

class TScrollBox : public TScrollingWinControl {
 public:
  explicit TScrollBox(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
};

// ---------------------------------------------------------------------------------------
// Forms
// ---------------------------------------------------------------------------------------

class TCustomForm : public TScrollingWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // The control that has (or gets, when the form is activated) the focus.  Setting a
  // control that is not on the form raises EInvalidOperation.
  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* Control);

  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState Value);
  TIcon* Icon() const { return icon_.get(); }
  void SetIcon(TIcon* Value) { icon_->Assign(Value); }
  // The form sees its controls' keys first (OnKeyDown, OnKeyPress, OnKeyUp).
  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool Value) { key_preview_ = Value; }
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult Value) { modal_result_ = Value; }
  bool Modal() const { return modal_; }
  // The form is the active window.
  bool Active() const;
  TCanvas* Canvas();
  // The menu bar.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* Value);

  void SetVisible(bool Value) override;
  // Shows a top-level form in front of the others without activating it: the keys stay
  // with the window that has them.
  void ShowNoActivate();
  // Shows the form and runs messages until ModalResult is set (or the application ends,
  // which gives mrCancel); the other windows of the program are disabled meanwhile.
  // Raises EInvalidOperation "Cannot make a visible window modal" for a visible form.
  TModalResult ShowModal();
  // OnCloseQuery, then OnClose; the action decides (the main form ends the program).
  void Close();
  bool CloseQuery();
  // Deletes the form once the messages being handled now are done; inside the form's
  // own ShowModal, that ends the loop (mrCancel unless a result is set) and ShowModal
  // deletes the form before it returns.
  void Release();
  // Gives Control the focus (activating the form when it is showing).
  void FocusControl(TWinControl* Control);
  // Focus tracking, called by the control that got the focus: OnExit of the controls
  // the focus left, OnEnter of those it entered.  False when a handler moved the focus
  // elsewhere meanwhile.
  bool SetFocusedControl(TWinControl* Control);
  // Forgets Control (and its children) as the focused and active control.
  void DefocusControl(TWinControl* Control, bool Removing);
  TWinControl* FocusedControl() const { return focused_control_; }

  void Dispatch(TMessage& Message) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void PublishProperties(TPropertyList& Props) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AfterLoaded() override;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TNotifyEvent OnDestroy;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Takes the menu bar off first: the system destroys a menu with the window it is on.
  void DestroyWnd() override;
  void PaintWindow(HDc DC) override;
  virtual void Paint();
  virtual void DoClose(TCloseAction& Action);
  // Handles Tab, Enter and Escape for the controls (see CM_DIALOGKEY).
  virtual bool DialogKey(uint16_t Key, TShiftState Shift);
  // The window style and extended style of the border and icons; a form with a frame
  // of its own (a caption-less tool window) overrides them, and every later style
  // update (ApplyStyle) keeps what they give.
  virtual uint32_t WindowStyle() const;
  virtual uint32_t WindowExStyle() const;
  // Puts the style of WindowStyle and WindowExStyle on the live window.
  void ApplyStyle();

 private:
  void ApplyIcon();
  void CloseModal();
  bool ActivateFocus();

  TWinControl* active_control_ = nullptr;
  TWinControl* focused_control_ = nullptr;
  TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
  TBorderIcons border_icons_{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize,
                             TBorderIcon::biMaximize};
  TFormStyle form_style_ = TFormStyle::fsNormal;
  TPosition position_ = TPosition::poDesigned;
  TWindowState window_state_ = TWindowState::wsNormal;
  std::unique_ptr<TIcon> icon_;
  std::unique_ptr<TControlCanvas> canvas_;
  TMainMenu* menu_ = nullptr;
  void DetachMenu();
  bool key_preview_ = false;
  bool show_when_loaded_ = false;  // read Visible, shown once all that was read is set up
  TModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool released_ = false;
  bool free_after_modal_ = false;  // released inside its own ShowModal
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// The application
// ---------------------------------------------------------------------------------------

using TExceptionEvent = std::function<void(TObject* Sender, Exception& E)>;
using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Makes a form owned by the application; the first one becomes the main form.
  template <class T>
  T* CreateForm() {
    T* form = new T(this);
    if (!main_form_) main_form_ = form;
    return form;
  }
  TCustomForm* MainForm() const { return main_form_; }
  void SetMainForm(TCustomForm* Value) { main_form_ = Value; }

  // Shows the main form and handles messages until Terminate (or WM_QUIT).
  void Run();
  // Handles every message waiting now; a WM_QUIT among them ends the program's loops
  // (Terminated becomes true) and the messages behind it wait.
  void ProcessMessages();
  // Handles one message, waiting for one when none is there (after OnIdle).
  void HandleMessage();
  // Handles one waiting message; false when there was none.
  bool ProcessMessage();
  // Posts WM_QUIT: the loops end once it arrives.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // To be called inside a catch block: gives the exception being handled to OnException
  // or shows its message.  EAbort is silent.  Never throws.
  void HandleException(TObject* Sender);
  // Shows the message of E in a message box (stop icon, the application's title).
  void ShowException(Exception& E);
  // A message box owned by the active window; the result is the button pressed.
  int32_t MessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags);

  std::string Title() const;
  void SetTitle(const std::string& Value) { title_ = Value; }
  TIcon* Icon() const { return icon_.get(); }
  // A hidden window of the application (owner of message boxes without a form).
  HWnd Handle();
  std::string ExeName() const;
  bool Active() const { return active_; }

  // The long part of the hint of the control under the mouse; OnHint fires on change.
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool Value) { show_hint_ = Value; }
  const std::string& HelpFile() const { return help_file_; }
  void SetHelpFile(const std::string& Value) { help_file_ = Value; }

  TExceptionEvent OnException;
  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Called by the framework.
  void HintMouseMessage(TControl* Control);
  void AppActivated(bool Active);
  void FormDestroyed(TCustomForm* Form);

 private:
  bool IsKeyMsg(const TMsg& Msg);
  void Idle();

  TCustomForm* main_form_ = nullptr;
  bool terminated_ = false;
  bool active_ = false;
  std::string title_;
  std::string hint_;
  std::string help_file_;
  bool show_hint_ = true;
  std::unique_ptr<TIcon> icon_;
  HWnd handle_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// The screen
// ---------------------------------------------------------------------------------------

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int Index) const { return forms_.at(static_cast<size_t>(Index)); }
  TCustomForm* ActiveForm() const { return active_form_; }
  TWinControl* ActiveControl() const { return active_control_; }

  // The cursor of the whole program; crDefault lets each control show its own.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  // The system handle of a cursor number (the arrow for an unknown number).
  HCursor Cursors(TCursor Index);
  // Registers (or replaces) a cursor; the caller keeps ownership of Handle.  A positive
  // number nobody registered is looked up among the program's cursor resources.
  void SetCursors(TCursor Index, HCursor Handle);
  // Names of the installed font families, sorted.
  TStrings* Fonts();

  int32_t Width() const;
  int32_t Height() const;
  int32_t PixelsPerInch() const { return ScreenPixelsPerInch(); }

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

  // Called by the framework.
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  void SetActiveControl(TWinControl* Control);

 private:
  std::vector<TCustomForm*> forms_;
  TCustomForm* active_form_ = nullptr;
  TWinControl* active_control_ = nullptr;
  TCursor cursor_ = crDefault;
  struct CursorEntry {
    TCursor Index;
    HCursor Handle;
  };
  std::vector<CursorEntry> cursors_;
  std::unique_ptr<TStringList> fonts_;
};

extern TApplication* Application;
extern TScreen* Screen;

// Sets the screen cursor for its lifetime and puts back the one before on every path
// out (the hourglass around a long operation).
class TScreenCursor {
 public:
  explicit TScreenCursor(TCursor Cursor);
  ~TScreenCursor();
  TScreenCursor(const TScreenCursor&) = delete;
  TScreenCursor& operator=(const TScreenCursor&) = delete;

 private:
  TCursor saved_;
};

// Registers the framework's components with the component stream's class registry, so
// that forms stored with them can be read back.
void RegisterFrameworkClasses();

// A hint "short|long": the part before and after the bar (the whole hint when it has
// no bar).
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

}  // namespace tess
