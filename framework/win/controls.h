// Controls: TControl (bounds, parent, look and the standard events), TWinControl (a
// control with a window of its own, made lazily), TCustomControl (a windowed control
// that paints itself on a canvas) and TGraphicControl (a windowless control painted by
// its parent, which also routes the mouse to it).
//
// Messages.  Every message of a control, whether it came from the system or from
// Perform, goes through WindowProc (by default the virtual WndProc), then Dispatch,
// whose switch holds the framework's handlers, and finally DefaultHandler (for a
// windowed control, the window procedure the window had before: the system's for a
// wrapped standard control, DefWindowProc otherwise).  A control handles a message
// number by overriding Dispatch:
//
//   void TMyControl::Dispatch(TMessage& M) {
//     if (M.Msg == WM_SIZE) { TCustomControl::Dispatch(M);  /* the inherited handling */
//                             Relayout(); return; }
//     TCustomControl::Dispatch(M);
//   }
//
// The window procedure shared by every window of the framework finds the control by a
// window property, so it keeps working when someone else replaces the window procedure
// and calls the previous one.  No exception leaves it: one thrown by a handler goes to
// Application->HandleException.
//
// Window lifetime.  The window is made on first need (Handle(), or when the parent's
// window is made); DestroyHandle and RecreateWnd give it up and remake it with the
// object's state (bounds, text, visibility, enabled state, children and, in the standard
// controls, their contents).  A window destroyed from outside (with its parent) leaves
// the control without a window; the next need makes a new one.
//
// Object lifetime.  A control goes with its owner, and with its parent: a parent deletes
// the child controls it still has, whoever owns them.  An event handler may free the
// control it was raised on: it runs from a copy of the event (FireEvent), and nothing
// touches the control or hands it on after; the code that raised the event watches the
// control (TControlWatch) and leaves the rest undone, or, deep inside work that would
// have to check at every step (a model's, a paint's), raises it with RaiseEvent and is
// unwound by EFreedByHandler, which the window procedure, Perform and FireEvent end
// quietly.  Paint code releases what it holds on the way.  A window whose message is being
// handled outlives its freed control, hidden, until that message is done, so that the
// system's own code of the window finishes on a window that still exists.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/win/graphics.h"
#include "framework/win/messages.h"
#include "framework/win/wintypes.h"

namespace tess {

class TWinControl;
class TControl;
class TCustomForm;
class TPopupMenu;

enum class TControlStyleFlag {
  csAcceptsControls,  // may hold child controls (WS_CLIPCHILDREN)
  csCaptureMouse,     // captures the mouse while a button is down
  csClickEvents,      // a button press and release inside fire Click
  csSetCaption,       // the name becomes the caption while the caption is empty
  csOpaque,           // paints its whole area: nothing under it is erased
  csDoubleClicks,     // receives double clicks (CS_DBLCLKS)
  csFramed,
  csNoStdEvents,  // the mouse events are not fired
  csReplicatable,
};
using TControlStyle = TEnumSet<TControlStyleFlag>;

enum class TControlStateFlag {
  csLButtonDown,
  csClicked,  // a press inside is waiting for its release
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csRecreating,  // the window is being remade: state is kept in the object
};
using TControlState = TEnumSet<TControlStateFlag>;

// What CreateWnd makes the window from.  CreateParams fills it; a control changes what
// it needs and calls the inherited form first.
struct TCreateParams {
  std::string Caption;
  uint32_t Style = 0;
  uint32_t ExStyle = 0;
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  HWnd WndParent = nullptr;
  void* Param = nullptr;
  // Registered under WinClassName the first time a window of that name is made; a
  // control that changes the class style must use a class name of its own.
  struct WindowClassInfo {
    uint32_t style = 0;
    int32_t cbClsExtra = 0;
    int32_t cbWndExtra = 0;
    HIcon hIcon = nullptr;
    HCursor hCursor = nullptr;
    HBrush hbrBackground = nullptr;
  } WindowClass;
  std::string WinClassName;
  // Set by CreateSubClass: the procedure of the system class the window is made on.
  void* SystemWndProc = nullptr;
};

// ---------------------------------------------------------------------------------------

// ---------------------------------------------------------------------------------------
// Drag and drop within the program: a control starts a drag with the left button down
// (at once, or once the mouse has moved DragThreshold pixels); the control under the
// mouse is asked by OnDragOver whether it takes what is dragged, the cursor shows the
// answer (the source's DragCursor, else crNoDrop), a release over a taker runs its
// OnDragDrop, and the source's OnEndDrag ends every drag, with the target or none.
// Escape, the right button or losing the mouse cancels.
// ---------------------------------------------------------------------------------------

enum class TDragMode { dmManual, dmAutomatic };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// What OnStartDrag may give to be dragged instead of the source control; the handler
// keeps it.
class TDragObject : public TObject {};

using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int32_t X, int32_t Y)>;

// Pixels the mouse moves before a drag that was not immediate starts (5).
int32_t DragThreshold();
void SetDragThreshold(int32_t Value);
// Ends the drag under way, dropping nothing; false when there was none.
bool CancelDrag();
// The release of the press that began a drag is being handed to Control's own handling
// (a list ends its tracking there): what that raises is no click.
bool DragReleaseOf(const TControl* Control);

// Watches a control while code that runs its handlers still has work to do on it (see
// TComponentWatch).
using TControlWatch = TComponentWatch;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  // Moves the control to another parent (null: none), keeping its window when both
  // parents have one.
  virtual void SetParent(TWinControl* AParent);

  // --- bounds (relative to the parent's client area; screen for a top-level window) ---
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int32_t Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int32_t Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int32_t Value) { SetBounds(left_, top_, width_, Value); }
  virtual void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  virtual TRect ClientRect();
  int32_t ClientWidth() { return ClientRect().Width(); }
  int32_t ClientHeight() { return ClientRect().Height(); }
  void SetClientWidth(int32_t Value) { SetClientSize(Value, ClientHeight()); }
  void SetClientHeight(int32_t Value) { SetClientSize(ClientWidth(), Value); }
  virtual void SetClientSize(int32_t W, int32_t H);
  // Screen position of the client area's origin.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint P);
  TPoint ScreenToClient(TPoint P);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool Value);

  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool Value);
  bool Ctl3D() const { return ctl3d_; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return parent_ctl3d_; }
  void SetParentCtl3D(bool Value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool Value);
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* Value);

  // The caption or text (one property under two names, as controls show one or the
  // other).  A windowed control keeps it in its window while it has one.
  std::string Text();
  void SetText(const std::string& Value);
  std::string Caption() { return Text(); }
  void SetCaption(const std::string& Value) { SetText(Value); }

  TControlStyle ControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle Value) { control_style_ = Value; }
  TControlState ControlState() const { return control_state_; }

  // --- messages ------------------------------------------------------------------------
  // Runs the message through WindowProc synchronously; returns its result.
  intptr_t Perform(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0);
  // The entry of every message; replaceable (save the old value and call it for the
  // messages you do not take).  Initially calls WndProc.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // --- painting ----------------------------------------------------------------------
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // Z-order among the parent's children.
  void BringToFront();
  void SendToBack();

  // Mouse capture: while set, the mouse messages come to this control wherever the
  // mouse is.
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // Visible, and so is every parent (a windowless control with a showing parent).
  virtual bool IsShowing() const;

  // --- component tree ----------------------------------------------------------------
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void PublishProperties(TPropertyList& Props) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetName(const std::string& NewName) override;

  // --- events ------------------------------------------------------------------------
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // --- drag and drop -------------------------------------------------------------------
  TDragMode DragMode() const { return drag_mode_; }
  void SetDragMode(TDragMode Value) { drag_mode_ = Value; }
  TCursor DragCursor() const { return drag_cursor_; }
  void SetDragCursor(TCursor Value) { drag_cursor_ = Value; }
  // With the left button down: starts dragging this control now, or once the mouse has
  // moved Threshold pixels (-1: DragThreshold()); until then the mouse acts as usual.
  void BeginDrag(bool Immediate, int32_t Threshold = -1);
  // Ends this control's drag: dropping on the target when it takes it, else not.
  void EndDrag(bool Drop);
  bool Dragging() const;
  // Whether this control takes Source at X, Y (its client coordinates): OnDragOver
  // decides; without one nothing is taken.
  virtual void DragOver(TObject* Source, int32_t X, int32_t Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, int32_t X, int32_t Y);
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

 protected:
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, int32_t X, int32_t Y);
  virtual void Click();
  virtual void DblClick();
  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  // Stores new bounds without moving anything (the window has moved already).
  void UpdateBoundsRect(const TRect& R);
  // Asks the parent to lay out its aligned children again.
  void RequestAlign();
  // The text of a control without a window, or while it has none.
  std::string& TextField() { return text_; }
  void IncludeControlState(TControlStateFlag F) { control_state_ += F; }
  void ExcludeControlState(TControlStateFlag F) { control_state_ -= F; }

 private:
  friend class TWinControl;
  friend struct TDragAccess;
  void HandleMouseMessage(TMessage& Message);
  void FontChanged();

  TWinControl* parent_ = nullptr;
  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  TAlign align_ = TAlign::alNone;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parent_color_ = true;
  std::unique_ptr<TFont> font_;
  bool parent_font_ = true;
  bool ctl3d_ = true;
  bool parent_ctl3d_ = true;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  TCursor cursor_ = crDefault;
  std::string hint_;
  std::string text_;
  TPopupMenu* popup_menu_ = nullptr;
  TControlStyle control_style_;
  TControlState control_state_;
  bool updating_font_ = false;
  TDragMode drag_mode_ = TDragMode::dmManual;
  TCursor drag_cursor_ = crDrag;
};

// ---------------------------------------------------------------------------------------

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, made on first use.
  HWnd Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window (and its children's); the object keeps its state.
  void DestroyHandle();
  // Destroys and remakes the window, keeping the object's state and the focus.
  void RecreateWnd();

  // Keeps the window when the new parent has one (the focus stays where it was).
  void SetParent(TWinControl* AParent) override;

  // A foreign window to live in when the control has no parent control.
  HWnd ParentWindow() const { return parent_window_; }
  void SetParentWindow(HWnd Value);

  // --- children ----------------------------------------------------------------------
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int Index) const { return controls_.at(static_cast<size_t>(Index)); }
  // The topmost enabled (or any, with AllowDisabled) visible child at P (client
  // coordinates); windowless children only unless AllowWinControls.
  TControl* ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls = false);
  bool ContainsControl(const TControl* Control) const;

  // --- focus and tab order -------------------------------------------------------------
  // The window has the focus (a control made of several windows overrides this).
  virtual bool Focused() const;
  virtual bool CanFocus() const;
  // Raises EInvalidOperation "Cannot focus a disabled or invisible window" when the
  // control cannot take the focus.
  virtual void SetFocus();
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool Value);
  int TabOrder() const;
  void SetTabOrder(int Value);
  // The windowed descendants in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& List);
  // The control after (or before) CurControl among this one's descendants that can
  // take the focus (and has TabStop, when CheckTabStop); wraps around once.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  // Offered the key messages of this control (or its foreign child windows) before
  // they are translated and dispatched; true when the key was taken as a dialog key.
  virtual bool PreProcessKey(const TMsg& Msg);

  // --- layout ----------------------------------------------------------------------
  void DisableAlign();
  void EnableAlign();
  void Realign();
  void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;
  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  void SetClientSize(int32_t W, int32_t H) override;
  void SetVisible(bool Value) override;
  bool IsShowing() const override;

  // --- painting ----------------------------------------------------------------------
  void Invalidate() override;
  void Update() override;
  // Paints the control and its children into DC with the control's top-left at (X, Y)
  // (through WM_PRINTCLIENT, so standard controls paint themselves too).
  void PaintTo(HDc DC, int32_t X, int32_t Y);

  // --- caret (the system's single caret, owned by the focused window) ----------------
  // Bitmap null: a solid caret; Gray: a grey one.
  bool CreateCaret(HBitmap Bitmap, int32_t Width, int32_t Height, bool Gray = false);
  void DestroyCaret();
  void ShowCaret();
  void HideCaret();
  void SetCaretPos(int32_t X, int32_t Y);

  // --- messages ------------------------------------------------------------------------
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // The window procedure the window had before ours (the system class's, or
  // DefWindowProc); what DefaultHandler calls.
  void* DefWndProc() const { return def_wnd_proc_; }

  void PublishProperties(TPropertyList& Props) override;
  // The child controls this root owns, for the component stream.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  // Controls read inside a control belong to the root being read (the form), not to
  // their parent.
  TComponent* GetChildOwner() override { return nullptr; }

  // --- events ------------------------------------------------------------------------
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // Takes the bounds from the window (after the system moved or sized it).
  void UpdateBounds();

  // Used by the window procedure; not for general use.
  void AttachHandle(HWnd Wnd);
  void DetachHandle();
  bool DestroyingObject() const { return destroying_object_; }

 protected:
  virtual void CreateParams(TCreateParams& Params);
  // Fills Params.WindowClass and SystemWndProc from a class of the system ("EDIT",
  // "BUTTON", ...) so that the window is that control, with our procedure in front.
  void CreateSubClass(TCreateParams& Params, const char* SystemClassName);
  // Makes the window (CreateParams, class registration, CreateWindowHandle) and sets it
  // up: font, z-order among siblings.  Overrides that restore their own state call the
  // inherited form first.
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  // Saves what lives in the window into the object (text; the standard controls their
  // contents) and destroys it.  Overrides save first, then call the inherited form.
  virtual void DestroyWnd();
  // Makes the window and the windows of the children.
  void CreateHandle();

  // Paints the client area into DC: the base does nothing; TCustomControl calls Paint.
  virtual void PaintWindow(HDc DC);
  // Paints the windowless children that intersect DC's clipping box.
  void PaintControls(HDc DC, TControl* First = nullptr);
  // WM_PAINT for a window of ours: BeginPaint, PaintWindow, PaintControls, EndPaint.
  void PaintHandler(TMessage& Message);

  // Lays out the aligned children inside Rect.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  // The part of the client area the aligned children share (a panel leaves its border).
  virtual void AdjustClientRect(TRect& Rect);

  virtual void DoEnter();
  virtual void DoExit();
  // The key events: true when the key was consumed (set to 0 by a handler).
  virtual bool DoKeyDown(TMessage& Message);
  virtual bool DoKeyUp(TMessage& Message);
  virtual bool DoKeyPress(TMessage& Message);
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);

  // Notifies every child control (by Perform).
  void NotifyControls(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0);
  // Sends the current font to the window (WM_SETFONT).
  void UpdateWindowFont();
  // The brush the background is erased with (the control's colour).
  TBrush* Brush() { return brush_.get(); }

 private:
  friend class TControl;
  friend class TCustomForm;
  void InsertControl(TControl* Control);
  void RemoveControl(TControl* Control);
  void ReflectNotification(TMessage& Message);
  void HandleSetCursor(TMessage& Message);
  bool RouteMouseToChild(TMessage& Message);
  void UpdateControlZOrder(TWinControl* Child);

  HWnd handle_ = nullptr;
  HWnd parent_window_ = nullptr;
  void* def_wnd_proc_ = nullptr;
  uint16_t child_id_ = 0;
  std::vector<TControl*> controls_;     // children in z-order, bottom first
  std::vector<TWinControl*> tab_list_;  // windowed children in tab order
  std::unique_ptr<TBrush> brush_;
  bool tab_stop_ = false;
  int align_disabled_ = 0;
  bool aligning_ = false;
  bool destroying_object_ = false;
  bool tracking_mouse_ = false;
  TSize pending_client_;
  bool has_pending_client_ = false;
};

// ---------------------------------------------------------------------------------------

// A canvas on a control's window: the context is taken on first use and given back
// when the message that used it has been handled.  For a windowless control it is the
// parent's context, moved and clipped to the control.
class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TControl* Control) : control_(Control) {}
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  // Gives the context back now.
  void FreeHandle();
  // Lends DC, a context the caller owns (a WM_PAINT or owner-draw one), to Draw; the
  // canvas lets go of it however Draw ends.
  void DrawOn(HDc DC, const std::function<void()>& Draw);
  // DrawOn in the control's font and colour: how a control paints itself.
  void PaintOn(HDc DC, const std::function<void()>& Paint);

 protected:
  void CreateHandle() override;

 private:
  TControl* control_;
  HDc own_dc_ = nullptr;
  HWnd dc_window_ = nullptr;
};

// The drag under way takes the mouse messages of the window that holds the mouse for it
// (the source's, or a windowless source's parent's); true when it took this one.
bool DragMessage(TWinControl* Control, TMessage& Message);
// Held by the controls' window procedure over each message: while Message is the release
// of the press that began a drag (dropped, refused or cancelled), what Control's own
// handling of it raises is no click (DragReleaseOf).
class TDragReleaseScope {
 public:
  TDragReleaseScope(const TControl* Control, const TMessage& Message);
  ~TDragReleaseScope();
  TDragReleaseScope(const TDragReleaseScope&) = delete;
  TDragReleaseScope& operator=(const TDragReleaseScope&) = delete;

 private:
  const TControl* saved_;
  bool active_ = false;
};

// Held by a window procedure of the framework that is not the controls' own (a combo
// box's edit window) while it handles a message of Wnd: a control freed meanwhile keeps
// its window, hidden, until no message holds it any more (see the object lifetime above).
class TWindowMessageScope {
 public:
  explicit TWindowMessageScope(HWnd Wnd);
  ~TWindowMessageScope();
  TWindowMessageScope(const TWindowMessageScope&) = delete;
  TWindowMessageScope& operator=(const TWindowMessageScope&) = delete;
};

// Gives back every context that control canvases took (done after each message).
void FreeDeviceContexts();
// A window procedure of the framework is running (messages handled now are nested).
bool InsideMessageHandler();

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  // The canvas Paint draws on (during PaintTo, the canvas given there).
  TCanvas* Canvas() const { return paint_canvas_ ? paint_canvas_ : canvas_.get(); }
  // Runs Paint on ACanvas (tests paint a control into a recording or bitmap canvas).
  void PaintTo(TCanvas* ACanvas);
  using TWinControl::PaintTo;

 protected:
  virtual void Paint();
  void PaintWindow(HDc DC) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
  TCanvas* paint_canvas_ = nullptr;
};

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas* Canvas() const { return paint_canvas_ ? paint_canvas_ : canvas_.get(); }
  void PaintTo(TCanvas* ACanvas);
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint();

 private:
  std::unique_ptr<TControlCanvas> canvas_;
  TCanvas* paint_canvas_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// Services
// ---------------------------------------------------------------------------------------

// Whether Caption marks Key as its accelerator ("&Save" marks S; "&&" is a plain "&").
bool IsAccel(char Key, const std::string& Caption);

// The control of a window of this process, or null (no window, a foreign window).
TWinControl* FindControl(HWnd Handle);
// The nearest control owning Handle or one of its parent windows.
TWinControl* FindControlOrParent(HWnd Handle);
// The form a control sits on (its top-level parent, when that is a form).
TCustomForm* GetParentForm(const TControl* Control);

// The control holding the mouse capture (windowless ones through their parent).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);

// A hidden window of the framework whose messages all go to Method; Method answers the
// ones it takes and passes the others on with M.Result = DefaultWindowProc(Wnd, M).
// Exceptions from Method go to Application->HandleException (the message counts as
// answered with 0).
HWnd AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWnd Wnd);
// The default answer of the system for a message of Wnd.
intptr_t DefaultWindowProc(HWnd Wnd, const TMessage& Message);

// A window is being remade (RecreateWnd): focus moves now are not the user's.
bool IsRecreatingWindows();

// The system's caret blink time in milliseconds.
uint32_t CaretBlinkTime();
void SetCaretBlinkTime(uint32_t Milliseconds);

// The look of the controls: always the three-dimensional look of the new-style controls.
constexpr bool NewStyleControls = true;

}  // namespace tess
