// The shell's window tests' fixture: the services with windows installed over a main
// window, every message box caught by the framework's hook and recorded (answered with
// the next of the queued answers, else OK), and the settings restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "../oracle/oracle_test_db.h"
#include "framework/win/dialogs.h"
#include "framework/win/forms.h"
#include "oracle/session.h"
#include "platform/win32.h"
#include "services/prefs.h"
#include "services/services.h"
#include "shell/main_window.h"
#include "shell/win_services.h"

namespace shelltest {

using namespace tess;

struct Box {
  std::string text, caption;
  uint32_t flags;
};

class ShellWinTest : public ::testing::Test {
 protected:
  ShellWinTest() {
    InitOracleSession();
    previousHook_ = SetMessageBoxHook(
        [this](const std::string& Text, const std::string& Caption, uint32_t Flags) {
          boxes.push_back({Text, Caption, Flags});
          if (answers.empty()) return IDOK;
          int32_t a = answers.front();
          answers.pop_front();
          return a;
        });
    main = std::make_unique<TMainWindow>(nullptr);
    main->Show();
    services.SetMainWindow(main.get());
    previousServices_ = SetShellServices(&services);
    Application->ProcessMessages();
  }
  ~ShellWinTest() override {
    SetShellServices(previousServices_);
    SetMessageBoxHook(previousHook_);
    Application->OnIdle = nullptr;
    Screen->SetCursor(crDefault);
    *gPrefs = savedPrefs_;
  }

  bool MainEnabled() { return IsWindowEnabled(main->Handle()) != FALSE; }

  std::vector<Box> boxes;
  // The buttons the next boxes answer with (IDYES, IDNO, ...).
  std::deque<int32_t> answers;
  TWinShellServices services;
  // Declared after the services, so freed before them: the services see it go.
  std::unique_ptr<TMainWindow> main;

 private:
  TyPrefsRec savedPrefs_ = *gPrefs;
  TMessageBoxHook previousHook_;
  TShellServices* previousServices_ = nullptr;
};

// With a database of its own, and the DEMO session connected in the main window.
class ShellSessionTest : public ShellWinTest {
 protected:
  oratest::TestDatabase database;
};

}  // namespace shelltest
