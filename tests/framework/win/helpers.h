// What the framework tests share: pumping the message queue, typing keys into the
// queue as the keyboard would, and a shown form that is freed after each test.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "framework/win/forms.h"

namespace tess::testing {

// Handles every waiting message.
void Pump();
// Handles messages until Done() or the time runs out; returns Done().
bool PumpUntil(const std::function<bool()>& Done, int Milliseconds = 3000);
// Holds (or releases) a key in the thread's keyboard state, as GetKeyState sees it.
void SetKeyDown(int VirtualKey, bool Down);
// Posts a key press to the window with the focus and handles the queue, the way the
// keyboard delivers it (key down, translated characters, key up).
void PressKey(int VirtualKey);
void PressShiftKey(int VirtualKey);

// A form shown on the screen for one test.
class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void ShowForm();

  TForm* form = nullptr;
};

}  // namespace tess::testing
