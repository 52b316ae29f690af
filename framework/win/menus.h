// Menus: items in a tree, the form's menu bar and pop-up menus.  The system's menu is
// built from the items on demand and again after any change; a chosen item arrives as
// WM_COMMAND with the item's command number and fires its OnClick.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/win/wintypes.h"

namespace tess {

class TMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // "-" makes a separator; "&" marks the accelerator letter; text after a tab shows on
  // the right (the shortcut's name).
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
  // The item belongs to this one afterwards (it is deleted with it unless removed).
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return parent_; }
  bool IsSeparator() const { return caption_ == "-"; }

  // The number WM_COMMAND carries for this item (unique in the program).
  uint16_t Command() const { return command_; }
  // The item of a command number, or null.
  static TMenuItem* FindByCommand(uint16_t Command);

  virtual void Click();
  TNotifyEvent OnClick;

 private:
  friend class TMenu;
  void Changed();
  TMenu* Menu() const;

  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  uint16_t command_ = 0;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item of a menu
  std::vector<TMenuItem*> items_;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root item; the menu's entries are its items.
  TMenuItem* Items() const { return items_.get(); }
  // The system's menu, built now if the items changed since.
  HMenu Handle();
  // Fires the item of Command if it belongs to this menu; false otherwise.
  bool DispatchCommand(uint16_t Command);
  TMenuItem* FindItem(uint16_t Command) const;

  // Called when an item changed.
  virtual void MenuChanged();

 protected:
  virtual bool IsPopup() const = 0;
  void DestroyMenuHandle();

 private:
  void Build(HMenu Menu, TMenuItem* Parent);
  std::unique_ptr<TMenuItem> items_;
  HMenu handle_ = nullptr;
  bool dirty_ = true;
};

// The menu bar of a form (TCustomForm::SetMenu).
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  // The window showing the bar (set by the form), redrawn after changes.
  void SetWindow(HWnd Window) { window_ = Window; }
  void MenuChanged() override;

 protected:
  bool IsPopup() const override { return false; }

 private:
  HWnd window_ = nullptr;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
  // Shows the menu at a screen position and runs the chosen item's OnClick; returns once
  // the menu is closed.
  void Popup(int32_t X, int32_t Y);
  // The component the menu was last shown for (null once it is gone).
  TComponent* PopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* Value);
  // A handler that frees the component the menu is shown for leaves the menu unshown.
  TNotifyEvent OnPopup;

  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  bool IsPopup() const override { return true; }

 private:
  TComponent* popup_component_ = nullptr;
};

}  // namespace tess
