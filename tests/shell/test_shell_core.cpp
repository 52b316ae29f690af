// The shell's implementations of the services without windows: standard error for a
// program without a shell, and the recording one that tests install.
#include <gtest/gtest.h>

#include "shell/recording_services.h"
#include "shell/stderr_services.h"

using namespace tess;

TEST(StderrServices, SaysEachMessageOnOneLineWithItsTitle) {
  TStderrServices shell;
  TShellServices* previous = SetShellServices(&shell);
  ::testing::internal::CaptureStderr();
  ShowErrorMsg("Unable to connect to database");
  ShowDiagnosticMsg("Parser Error:Invalid Current Status");
  ShowInfoMsg("done");
  ShowErrorSolution("No rows", "Check the name");
  AddProcessingOutputLine("line");
  ShowDebugMsg("Database Option 1");  // the debug window is off
  ShowStatus("Working");
  HideStatus();
  const std::string said = ::testing::internal::GetCapturedStderr();
  SetShellServices(previous);
  EXPECT_EQ(said,
            "[Error] Unable to connect to database\n"
            "[Diagnostic Message] Diagnostic Message: Parser Error:Invalid Current Status\n"
            "[Information] done\n"
            "[Error] No rows / Solution: Check the name\n"
            "[output] line\n");
  EXPECT_EQ(cbxDBList2(), nullptr);
}

TEST(RecordingServices, StandsInForTheMainWindowUntilItGoes) {
  TShellServices* before = ShellServices();
  {
    TRecordingServices shell;
    EXPECT_EQ(ShellServices(), &shell);
    StartHourglass();
    ShellServices()->DisableMainWindow();
    EXPECT_TRUE(shell.mainWindowDisabled);
    StopHourglass();  // enables the main window again
    EXPECT_FALSE(shell.mainWindowDisabled);
    EXPECT_EQ(shell.hourglassDepth, 0);
    EXPECT_EQ(cbxDBList2(), &shell.sessions);
    EXPECT_EQ(FindFrmMain(nullptr), nullptr);
  }
  EXPECT_EQ(ShellServices(), before);
}
