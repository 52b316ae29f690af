// Menu items, menu bars and pop-up menus over the system's menus.
#include "framework/win/menus.h"

#include <algorithm>
#include <unordered_map>

#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

// Never destroyed: items may be freed while the program exits.
std::unordered_map<uint16_t, TMenuItem*>& Commands() {
  static auto* map = new std::unordered_map<uint16_t, TMenuItem*>;
  return *map;
}

// Command numbers stay below the system commands (0xF000 and up).
uint16_t NextCommand() {
  static uint16_t next = 0x1000;
  for (int tries = 0; tries < 0xE000; ++tries) {
    uint16_t c = next;
    next = next >= 0xEFFF ? 0x1000 : static_cast<uint16_t>(next + 1);
    if (!Commands().count(c)) return c;
  }
  throw EInvalidOperation("Too many menu items");
}

}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NextCommand()) {
  Commands()[command_] = this;
}

TMenuItem::~TMenuItem() {
  Commands().erase(command_);
  while (!items_.empty()) {
    TMenuItem* child = items_.back();
    items_.pop_back();
    child->parent_ = nullptr;
    delete child;
  }
  if (parent_) parent_->Remove(this);
}

TMenuItem* TMenuItem::FindByCommand(uint16_t Command) {
  auto it = Commands().find(Command);
  return it == Commands().end() ? nullptr : it->second;
}

TMenu* TMenuItem::Menu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

void TMenuItem::Changed() {
  if (TMenu* m = Menu()) m->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  Changed();
}

void TMenuItem::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  Changed();
}

void TMenuItem::Add(TMenuItem* Item) {
  Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw EInvalidOperation("Menu item is already in a menu");
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == Item) throw EInvalidOperation("A menu item cannot contain itself");
  Index = std::clamp(Index, 0, Count());
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it == items_.end()) return;
  items_.erase(it);
  Item->parent_ = nullptr;
  Changed();
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Click() {
  FireEvent(this, OnClick, this);
}

// ---------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner)
    : TComponent(AOwner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  items_->menu_ = nullptr;
  items_.reset();
  DestroyMenuHandle();
}

void TMenu::DestroyMenuHandle() {
  if (handle_) DestroyMenu(handle_);
  handle_ = nullptr;
  dirty_ = true;
}

void TMenu::MenuChanged() {
  dirty_ = true;
}

void TMenu::Build(HMenu Menu, TMenuItem* Parent) {
  for (TMenuItem* item : Parent->items_) {
    if (!item->Visible()) continue;
    if (item->IsSeparator()) {
      AppendMenuA(Menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item->Checked()) flags |= MF_CHECKED;
    if (!item->Enabled()) flags |= MF_GRAYED;
    if (item->Count() > 0) {
      HMENU sub = CreatePopupMenu();
      Build(sub, item);
      AppendMenuA(Menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->Caption().c_str());
    } else {
      AppendMenuA(Menu, flags, item->Command(), item->Caption().c_str());
    }
  }
}

HMenu TMenu::Handle() {
  if (dirty_ || !handle_) {
    HMENU old = handle_;
    handle_ = IsPopup() ? CreatePopupMenu() : CreateMenu();
    Build(handle_, items_.get());
    dirty_ = false;
    // The old menu goes only after the new one exists (a window may still show it).
    if (old) DestroyMenu(old);
  }
  return handle_;
}

TMenuItem* TMenu::FindItem(uint16_t Command) const {
  TMenuItem* item = TMenuItem::FindByCommand(Command);
  return item && item->Menu() == this ? item : nullptr;
}

bool TMenu::DispatchCommand(uint16_t Command) {
  TMenuItem* item = FindItem(Command);
  if (!item || !item->Enabled()) return false;
  item->Click();
  return true;
}

void TMainMenu::MenuChanged() {
  TMenu::MenuChanged();
  if (window_ && IsWindow(window_)) {
    SetMenu(window_, Handle());
    DrawMenuBar(window_);
  }
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  popup_component_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popup_component_) popup_component_ = nullptr;
}

void TPopupMenu::Popup(int32_t X, int32_t Y) {
  TComponentWatch watch(this);
  TComponent* target = popup_component_;
  if (!FireEvent(this, OnPopup, this) || popup_component_ != target) return;
  HWND owner = GetActiveWindow();
  if (!owner) owner = Application->Handle();
  UINT cmd = static_cast<UINT>(TrackPopupMenu(
      Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, X, Y, 0, owner, nullptr));
  // The menu's loop handled messages: one of them may have freed the menu.
  if (cmd && watch.Alive()) DispatchCommand(static_cast<uint16_t>(cmd));
}

}  // namespace tess
