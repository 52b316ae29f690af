// The shell's implementations of the services without windows: standard error for a
// program without a shell, and the recording one that tests install.
#include <gtest/gtest.h>

#include "shell/logon_text.h"
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

TEST(LogonText, SplitsUserPasswordAndServer) {
  struct Case {
    const char* text;
    bool ok;
    const char *user, *password, *server;
  } cases[] = {
      {"DEMO/DEMO@DEFAULT", true, "DEMO", "DEMO", "DEFAULT"},
      {" scott / tiger ", true, "scott", "tiger", ""},
      {"scott@prod", true, "scott", "", "prod"},
      // A password may hold an "@"; the server is after the last one.
      {"scott/p@ss@prod", true, "scott", "p@ss", "prod"},
      // An "@" before the "/" is not a server.
      {"a@b/c", true, "a@b", "c", ""},
      {"/tiger@prod", false, "", "tiger", "prod"},
      {"", false, "", "", ""},
  };
  for (const Case& c : cases) {
    TLogonText t;
    EXPECT_EQ(ParseLogonText(c.text, t), c.ok) << c.text;
    EXPECT_EQ(t.UserName, c.user) << c.text;
    EXPECT_EQ(t.Password, c.password) << c.text;
    EXPECT_EQ(t.Server, c.server) << c.text;
  }
}
