// The shell's services with windows, under Wine: the boxes (seen through the framework's
// message-box hook), the error, debug, output and progress windows, the hourglass and the
// disabled main window, the main window's session list and connect, the settings file,
// the progress window's Cancel breaking a slow statement, and the second engine's holder
// the main window brings.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "shell_fixture.h"
#include "framework/win/dialogs.h"
#include "oracle/ora_ip.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "oracle/session_services.h"
#include "oracle/statement_services.h"
#include "platform/win32.h"
#include "services/exceptions.h"
#include "services/keyword_files.h"
#include "services/prefs.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/shell_windows.h"
#include "shell/win_services.h"
#include "tests/olesrv/ole_server_registry.h"

using namespace tess;

namespace {

using namespace shelltest;

TEST_F(ShellWinTest, MessageBoxesHaveTheirTitlesIconsAndTexts) {
  ShowErrorMsg("Unable to connect to database");
  ShowDiagnosticMsg("Parser Error:Invalid Current Status");
  ShowInfoMsg("Please ensure that  sql.kwd file exists in SQL Tessellar home directory");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "Unable to connect to database");
  EXPECT_EQ(boxes[0].flags, static_cast<uint32_t>(MB_OK | MB_ICONSTOP));
  EXPECT_EQ(boxes[1].caption, "Diagnostic Message");
  EXPECT_EQ(boxes[1].text, "Diagnostic Message: Parser Error:Invalid Current Status");
  EXPECT_EQ(boxes[1].flags, static_cast<uint32_t>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(boxes[2].caption, "Information");
  EXPECT_EQ(boxes[2].flags, static_cast<uint32_t>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(ShellWinTest, ErrorSolutionWindowIsModalWithBothHeadingsAndTexts) {
  bool seen = false;
  Application->OnIdle = [&](TObject*, bool&) {
    TfrmAppError* w = services.AppErrorWindow();
    if (seen || !w->Modal()) return;
    seen = true;
    EXPECT_TRUE(w->Visible());
    EXPECT_FALSE(MainEnabled());
    EXPECT_EQ(w->lblError->Caption(), "Error:");
    EXPECT_EQ(w->lblSolution->Caption(), "Solution:");
    EXPECT_EQ(w->memError->Text(), "No access to SYS.DBA_USERS");
    EXPECT_EQ(w->memSolution->Text(), "Ask for SELECT ANY TABLE");
    // Asked for again while it is up: the texts change, nothing else happens.
    ShowErrorSolution("second", "again");
    EXPECT_EQ(w->memError->Text(), "second");
    w->btnOK->Click();
  };
  ShowErrorSolution("No access to SYS.DBA_USERS", "Ask for SELECT ANY TABLE");
  EXPECT_TRUE(seen);
  EXPECT_FALSE(services.AppErrorWindow()->Visible());
  EXPECT_TRUE(MainEnabled());
}

TEST_F(ShellWinTest, DebugWindowOnlyWithTheHiddenPreferenceOutputWindowAlways) {
  ShowDebugMsg("Database Option 1");
  EXPECT_EQ(services.DebugWindow(), nullptr);
  services.SetDebugOn(true);
  ShowDebugMsg("Database Option 1");
  ShowDebugMsg("Database Option 2");
  ASSERT_NE(services.DebugWindow(), nullptr);
  EXPECT_TRUE(services.DebugWindow()->Visible());
  EXPECT_EQ(services.DebugWindow()->memLines->Lines()->Text(),
            "Database Option 1\r\nDatabase Option 2\r\n");

  AddProcessingOutputLine("first");
  TfrmLineWindow* out = services.ProcessingOutputWindow();
  ASSERT_NE(out, nullptr);
  // Closed by the user, it comes back with the next line, its lines kept.
  out->Hide();
  AddProcessingOutputLine("second");
  EXPECT_EQ(services.ProcessingOutputWindow(), out);
  EXPECT_TRUE(out->Visible());
  EXPECT_EQ(out->memLines->Lines()->Count(), 2);
  EXPECT_EQ(out->memLines->Lines()->Strings(1), "second");
}

TEST_F(ShellWinTest, ProgressWindowShowsTextCancelButtonAndKeepsTheCancelFlag) {
  SetCancelFlag();
  ShowStatus("Processing SQL ...");
  TfrmProgress* w = services.ProgressWindow();
  EXPECT_TRUE(w->Visible());
  EXPECT_EQ(w->lblStatus->Caption(), "Processing SQL ...");
  EXPECT_TRUE(w->btnCancel->Visible());
  EXPECT_FALSE(CancelFlag());
  PostMessageA(w->btnCancel->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(CancelFlag());

  ShowStatusNoCancel("Retrieving rows ...");
  EXPECT_FALSE(CancelFlag());
  EXPECT_EQ(w->lblStatus->Caption(), "Retrieving rows ...");
  EXPECT_FALSE(w->btnCancel->Visible());

  // Closed by the user (Alt+F4) while its statement runs, the window stays; closing it
  // asks to cancel when the statement can be cancelled.
  SendMessageA(w->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(w->Visible());
  EXPECT_TRUE(IsWindowVisible(w->Handle()));
  EXPECT_FALSE(CancelFlag()) << "no Cancel: nothing to cancel";
  ShowStatus("Processing SQL ...");
  SendMessageA(w->Handle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(w->Visible());
  EXPECT_TRUE(CancelFlag());

  SetCancelFlag();
  HideStatus();
  EXPECT_FALSE(w->Visible());
  EXPECT_FALSE(CancelFlag());
}

TEST_F(ShellWinTest, HourglassAndDisabledMainWindowComeBackOnStop) {
  StartHourglass();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  services.DisableMainWindow();
  EXPECT_FALSE(MainEnabled());
  services.DisableMainWindow();  // twice: still one enable to undo it
  StopHourglass();
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_TRUE(MainEnabled());

  // A window someone else disabled is not enabled behind their back.
  EnableWindow(main->Handle(), FALSE);
  StartHourglass();
  services.DisableMainWindow();
  StopHourglass();
  EXPECT_FALSE(MainEnabled());
  EnableWindow(main->Handle(), TRUE);
}

TEST_F(ShellWinTest, SessionListAndSharedQueryFollowTheMainWindow) {
  EXPECT_EQ(cbxDBList2(), main->cbxDBList2->Items());
  ASSERT_NE(GetMainFormQuery(), nullptr);
  EXPECT_EQ(GetMainFormQuery(), main->MainFormQuery());
  EXPECT_EQ(FindFrmMain(nullptr), nullptr);
  main.reset();
  EXPECT_EQ(services.MainWindow(), nullptr);
  EXPECT_EQ(cbxDBList2(), nullptr);
  EXPECT_EQ(GetMainFormQuery(), nullptr);
  services.DisableMainWindow();  // nothing to disable
  StopHourglass();
}

// The holder comes with the main window and goes with it; its server starts only when
// first asked for, so a machine without it registered starts all the same and is told
// why when a session needs it.
TEST_F(ShellWinTest, MainWindowHoldsTheSecondEngineStartedOnFirstUse) {
  ASSERT_NE(gOraIp, nullptr);
  EXPECT_FALSE(gOraIp->Initialized());
  oletest::UnregisterServer();
  try {
    GetOraIp();
    ADD_FAILURE() << "started without a server";
  } catch (const EyIntError& e) {
    EXPECT_EQ(e.Message(), "Unable to initialize Oracle connectivity engine");
  }
  EXPECT_FALSE(gOraIp->Initialized());
  oletest::RegisterServer();
  TyOraIp* holder = GetOraIp();
  EXPECT_EQ(holder, gOraIp);
  EXPECT_NE(holder->Session(), nullptr);
  // A second main window (none in the program) leaves the first one's holder alone.
  auto second = std::make_unique<TMainWindow>(nullptr);
  second.reset();
  EXPECT_EQ(gOraIp, holder);
  main.reset();
  EXPECT_EQ(gOraIp, nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST(ShellSettings, ReadsTheGeneralSectionAndKeepsDefaultsForWhatIsUnusable) {
  namespace fs = std::filesystem;
  const fs::path file = fs::temp_directory_path() / "tess-shell-settings.ini";
  auto load = [&](const std::string& content) {
    std::ofstream(file) << content;
    TyPrefsRec prefs;
    bool debug = false;
    LoadSettings(file.string(), prefs, debug);
    return std::make_pair(prefs, debug);
  };
  auto [set, debug] = load(
      "[General]\nNonBlocking=0\nDbms_Output_buffer=20000\nCheckMode=2\nDebug=1\n");
  EXPECT_FALSE(set.NonBlocking);
  EXPECT_EQ(set.Dbms_Output_buffer, 20000);
  EXPECT_EQ(set.CheckMode, 2);
  EXPECT_TRUE(debug);

  auto [bad, debug2] = load("[General]\nDbms_Output_buffer=5\nCheckMode=7\n[Other]\nDebug=1\n");
  EXPECT_TRUE(bad.NonBlocking);
  EXPECT_EQ(bad.Dbms_Output_buffer, 10000);
  EXPECT_EQ(bad.CheckMode, 0);
  EXPECT_FALSE(debug2);

  fs::remove(file);
  TyPrefsRec missing;
  bool debug4 = false;
  LoadSettings(file.string(), missing, debug4);
  EXPECT_TRUE(missing.NonBlocking);
  EXPECT_EQ(missing.Dbms_Output_buffer, 10000);
  EXPECT_FALSE(debug4);
  EXPECT_EQ(SettingsFileName(), HomeFilePath("DIVIVIR2.INI"));
}

// --- with a database ---------------------------------------------------------------

TEST_F(ShellSessionTest, ConnectListsTheSessionOrShowsWhyNot) {
  TyDatabase* db = main->ConnectSession("DEMO", "DEMO", database.Server());
  ASSERT_NE(db, nullptr);
  EXPECT_TRUE(boxes.empty());
  TStrings* list = cbxDBList2();
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Strings(0), db->DatabaseName());
  EXPECT_EQ(list->Objects(0), db);
  EXPECT_EQ(main->cbxDBList2->ItemIndex(), 0);
  EXPECT_TRUE(CheckSessionAlive(db));
  EXPECT_EQ(Screen->Cursor(), crDefault);

  // The shared query runs on a listed session.
  TyQuery* q = GetMainFormQuery();
  q->Close();
  q->SetDatabaseName(db->DatabaseName());
  q->SQL().Clear();
  q->SQL().Add("SELECT USER FROM DUAL");
  EXPECT_TRUE(q->Open());
  EXPECT_EQ(q->FieldByName("USER")->AsString(), "DEMO");
  q->Close();

  EXPECT_EQ(main->ConnectSession("DEMO", "wrong", database.Server()), nullptr);
  EXPECT_EQ(main->ConnectLogon("DEMO/DEMO@NOSUCHDB"), nullptr);
  EXPECT_EQ(main->ConnectLogon("/DEMO"), nullptr);
  ASSERT_EQ(boxes.size(), 3u);
  for (const Box& b : boxes) EXPECT_EQ(b.caption, "Error");
  EXPECT_NE(boxes[0].text.find("ORA-01017"), std::string::npos) << boxes[0].text;
  EXPECT_NE(boxes[1].text.find("ORA-12154"), std::string::npos) << boxes[1].text;
  EXPECT_EQ(boxes[2].text, "Unable to connect to database");
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(ShellSessionTest, ConnectBoxConnectsWhatIsTypedAndCancelConnectsNothing) {
  auto answer = [&](bool ok) {
    Application->OnIdle = [&, ok](TObject*, bool&) {
      TCustomForm* box = Screen->ActiveForm();
      auto* connect = dynamic_cast<TfrmConnect*>(box);
      if (connect == nullptr || !connect->Modal()) return;
      EXPECT_EQ(connect->edtPassword->PasswordChar(), '*');
      connect->edtUserName->SetText(" DEMO ");
      connect->edtPassword->SetText("DEMO");
      connect->edtServer->SetText(database.Server());
      (ok ? connect->btnOK : connect->btnCancel)->Click();
    };
    main->ShowConnectBox();
    Application->OnIdle = nullptr;
  };
  answer(false);
  EXPECT_EQ(cbxDBList2()->Count(), 0);
  answer(true);
  ASSERT_EQ(cbxDBList2()->Count(), 1);
  auto* db = static_cast<TyDatabase*>(cbxDBList2()->Objects(0));
  EXPECT_EQ(db->UserName(), "DEMO");
  EXPECT_TRUE(db->Connected());
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(MainEnabled());
}

TEST(ShellDefaultDatabase, LogonWithoutServerConnectsTheDefaultDatabase) {
  InitOracleSession();
  oratest::TestDatabase database("DEFAULT");
  TMainWindow main(nullptr);
  TyDatabase* db = main.ConnectLogon("DEMO/DEMO");
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(main.cbxDBList2->Items()->Strings(0), db->DatabaseName());
  EXPECT_NE(main.ConnectLogon("demo/demo@default"), nullptr);
  EXPECT_EQ(main.cbxDBList2->Items()->Count(), 2);
}

TEST_F(ShellSessionTest, CancelButtonBreaksASlowStatementAndTheSessionGoesOn) {
  TyDatabase* db = main->ConnectSession("DEMO", "DEMO", database.Server());
  ASSERT_NE(db, nullptr);
  ASSERT_TRUE(db->NonBlockingPossible());
  TfrmProgress* progress = services.ProgressWindow();
  bool mainEnabledAtClick = true;
  int clicks = 0;
  TNotifyEvent cancel = progress->btnCancel->OnClick;
  progress->btnCancel->OnClick = [&](TObject* Sender) {
    ++clicks;
    mainEnabledAtClick = MainEnabled();
    cancel(Sender);
  };

  TyQuery q;
  q.SetDatabase(db);
  q.SQL().Add("BEGIN DBMS_LOCK.SLEEP(30); END;");
  int32_t code = -1;
  {
    TyHourglassScope hourglass;
    hourglass.StartDb(db);
    EXPECT_FALSE(MainEnabled());
    hourglass.ShowStatus("Processing SQL ...");
    // The click waits in the queue until the statement's loop handles messages.
    PostMessageA(progress->btnCancel->Handle(), BM_CLICK, 0, 0);
    try {
      q.ExecSQLCancellable();
    } catch (const EySQLError& e) {
      code = e.ErrorCode();
      EXPECT_EQ(e.Message(), "ST-ORA-1013 User requested cancel of current operation.");
    }
  }
  EXPECT_EQ(code, 1013);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(mainEnabledAtClick);
  EXPECT_TRUE(MainEnabled());
  EXPECT_FALSE(progress->Visible());
  EXPECT_FALSE(CancelFlag());

  TyQuery after;
  after.SetDatabase(db);
  after.SQL().Add("SELECT 1 AS ONE FROM DUAL");
  EXPECT_TRUE(after.Open());
  EXPECT_EQ(after.FieldByName("ONE")->AsInteger(), 1);
  EXPECT_TRUE(CheckSessionAlive(db));
}

}  // namespace
