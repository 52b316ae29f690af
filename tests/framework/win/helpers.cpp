// The framework tests' shared helpers.
#include "tests/framework/win/helpers.h"

#include <chrono>

#include "platform/win32.h"

namespace tess::testing {

void Pump() {
  Application->ProcessMessages();
}

bool PumpUntil(const std::function<bool()>& Done, int Milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    if (!Application->ProcessMessage()) Sleep(1);
  }
  return true;
}

void SetKeyDown(int VirtualKey, bool Down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VirtualKey] = Down ? 0x80 : 0;
  SetKeyboardState(keys);
}

void PressKey(int VirtualKey) {
  HWND focus = GetFocus();
  PostMessageA(focus, WM_KEYDOWN, static_cast<WPARAM>(VirtualKey), 1);
  PostMessageA(focus, WM_KEYUP, static_cast<WPARAM>(VirtualKey), static_cast<LPARAM>(0xC0000001));
  Pump();
}

void PressShiftKey(int VirtualKey) {
  SetKeyDown(VK_SHIFT, true);
  PressKey(VirtualKey);
  SetKeyDown(VK_SHIFT, false);
}

void FormTest::SetUp() {
  form = new TForm(nullptr);
  form->SetBounds(50, 50, 400, 300);
  form->SetCaption("Test");
}

void FormTest::TearDown() {
  delete form;
  Pump();
}

void FormTest::ShowForm() {
  form->Show();
  Pump();
}

}  // namespace tess::testing
