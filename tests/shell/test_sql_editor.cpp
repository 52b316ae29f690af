// The SQL editor window on a database of its own, under Wine: a query's rows fetched as
// the grid scrolls and all of them on the last-row command, DML row counts, a block's
// server output, an error with the caret on it, Cancel of a slow statement, a session
// whose connection was lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "components/editor/editor.h"
#include "components/lists/sortgrid.h"
#include "components/synedit/synedit.h"
#include "framework/win/extctrls.h"
#include "oracle/oracle_query.h"
#include "oracle/query.h"
#include "oracle/session_services.h"
#include "services/exceptions.h"
#include "services/keyword_files.h"
#include "shell/shell_windows.h"
#include "shell/sql_editor.h"
#include "shell_fixture.h"

using namespace tess;
using namespace shelltest;

namespace {

// Whether top-level window A is above B in the z-order.
bool IsAbove(HWND A, HWND B) {
  for (HWND w = GetWindow(B, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV))
    if (w == A) return true;
  return false;
}

class SqlEditorTest : public ShellSessionTest {
 protected:
  SqlEditorTest() {
    db = main->ConnectSession("DEMO", "DEMO", database.Server());
    if (db == nullptr) return;
    edit = main->FindFrmEdit(db);
    Application->ProcessMessages();
  }

  // Puts Text into the editor and runs it.
  void Run(const std::string& Text) {
    edit->edtSQL->Model().SetText(Text.c_str());
    edit->ExecuteSQL();
  }
  // A table T of N rows: ID 1..N, TXT "row ID".
  void MakeRows(int N) {
    Run("CREATE TABLE T (ID NUMBER, TXT VARCHAR2(20))");
    Run("BEGIN FOR i IN 1.." + std::to_string(N) +
        " LOOP INSERT INTO T VALUES (i, 'row ' || i); END LOOP; COMMIT; END;");
    ASSERT_EQ(edit->ErrorText(), "");
  }
  // Every fetched row of the grid is the row of T that belongs there, in order.
  void ExpectGridRowsOfT() {
    TSortGrid* g = edit->grdResult;
    ASSERT_EQ(g->RowCount(), edit->FetchedRows() + 1);
    for (int r = 1; r <= edit->FetchedRows(); ++r) {
      ASSERT_EQ(g->Cells(0, r), std::to_string(r));
      ASSERT_EQ(g->Cells(1, r), std::to_string(r));
      ASSERT_EQ(g->Cells(2, r), "row " + std::to_string(r));
    }
  }

  // The data cells the user sees in the result area.
  int32_t DataCells() {
    TSortGrid* g = edit->grdResult;
    if (!g->Visible()) return 0;
    return (g->RowCount() - g->FixedRows()) * (g->ColCount() - g->FixedCols());
  }

  TyDatabase* db = nullptr;
  TfrmEdit* edit = nullptr;
};

TEST_F(SqlEditorTest, TheConnectedSessionHasItsEditorWithTheResultGridSetUp) {
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Session(), db);
  EXPECT_TRUE(edit->Visible());
  EXPECT_FALSE(edit->grdResult->ClickSorting());
  EXPECT_TRUE(edit->grdResult->ExtendedKeys());
  EXPECT_EQ(edit->Caption(), "SQL Editor - " + db->DatabaseName());
}

TEST_F(SqlEditorTest, TheEditorColoursWithTheKeywordListsAndTheSqlEditorPreferences) {
  CreateKeywordLists();
  KeywordLists().SqlWords->Add("SELECT");
  KeywordLists().PlsqlWords->Add("BEGIN");
  gPrefs->SQLEditorPrefs.CommentTextColor = 0x123456;
  TyDatabase* second = main->ConnectSession("DEMO", "DEMO", database.Server());
  ASSERT_NE(second, nullptr);
  auto* syn = dynamic_cast<TySynEdit*>(main->FindFrmEdit(second)->edtSQL);
  ASSERT_NE(syn, nullptr);
  EXPECT_TRUE(syn->UseSyntaxHighlighting());
  EXPECT_EQ(syn->CommentTextColor(), 0x123456);
  EXPECT_GE(syn->SqlWords()->IndexOf("SELECT"), 0);
  EXPECT_GE(syn->PlsqlWords()->IndexOf("BEGIN"), 0);
  EXPECT_EQ(syn->SymbolWords()->Count(), 0);
  FreeKeywordLists();
}

TEST_F(SqlEditorTest, QueryFetchesTheFirstScreenThenMoreAsTheGridScrolls) {
  MakeRows(300);
  Run("SELECT ID, TXT FROM T ORDER BY ID;");
  EXPECT_EQ(edit->ErrorText(), "");
  TSortGrid* g = edit->grdResult;
  EXPECT_EQ(g->Cells(1, 0), "ID");
  EXPECT_EQ(g->Cells(2, 0), "TXT");
  int visible = edit->ScreenRows();
  ASSERT_GT(visible, 3);
  EXPECT_GE(visible, g->VisibleRowCount());
  // One screen and a screen ahead of it: no more.
  EXPECT_EQ(edit->FetchedRows(), 2 * visible);
  EXPECT_TRUE(edit->MoreRows());
  ExpectGridRowsOfT();
  // Scrolling down fetches what comes into view; scrolling back fetches nothing.
  g->SetTopRow(g->TopRow() + visible);
  int afterScroll = edit->FetchedRows();
  EXPECT_EQ(afterScroll, g->TopRow() - 1 + 2 * visible);
  g->SetTopRow(1);
  EXPECT_EQ(edit->FetchedRows(), afterScroll);
  // Moving down past the last fetched row by keys reaches new rows too.
  g->SetFocus();
  g->SetRow(edit->FetchedRows());
  for (int i = 0; i < 5; ++i) g->Perform(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_GT(edit->FetchedRows(), afterScroll);
  ExpectGridRowsOfT();
  EXPECT_LT(edit->FetchedRows(), 300);
  // Page Down moves a whole page every time, not only to the last row read.
  g->SetRow(1);
  g->SetTopRow(1);
  for (int page = 0; page < 4; ++page) {
    int row = g->Row();
    g->Perform(WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_GE(g->Row() - row, g->VisibleRowCount() - 1) << "page " << page;
  }
  ExpectGridRowsOfT();
}

TEST_F(SqlEditorTest, LastRowCommandAsksThenRetrievesEverythingReportingProgress) {
  MakeRows(250);
  Run("SELECT ID, TXT FROM T ORDER BY ID");
  int before = edit->FetchedRows();
  answers = {IDNO};
  edit->GoToLastRow();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, " Are you sure you want to retrieve all  records for this query ?");
  EXPECT_EQ(edit->FetchedRows(), before);

  // Ctrl+End on the grid is the command.
  answers = {IDYES};
  edit->grdResult->SetFocus();
  uint16_t key = VK_END;
  edit->grdResult->OnKeyDown(edit->grdResult, key, TShiftState{TShiftFlag::ssCtrl});
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(edit->FetchedRows(), 250);
  EXPECT_FALSE(edit->MoreRows());
  EXPECT_EQ(edit->grdResult->Row(), 250);
  ExpectGridRowsOfT();
  EXPECT_EQ(services.ProgressWindow()->lblStatus->Caption(), "Retrieving rows ...");
  EXPECT_FALSE(services.ProgressWindow()->Visible());
  EXPECT_EQ(Screen->Cursor(), crDefault);

  // Everything is fetched: the command only moves.
  edit->grdResult->SetRow(1);
  edit->GoToLastRow();
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(edit->grdResult->Row(), 250);
}

TEST_F(SqlEditorTest, CancelStopsTheRetrievalAndNoSecondCommandStartsMeanwhile) {
  MakeRows(450);
  Run("SELECT ID, TXT FROM T ORDER BY ID");
  TfrmProgress* progress = services.ProgressWindow();
  int reentered = 0;
  // While the status window shows, a second Execute and a second last-row command come
  // in through the queue: neither may start; then Cancel.
  progress->OnShow = [&](TObject*) {
    edit->edtSQL->Model().SetText("DELETE FROM T");
    edit->ExecuteSQL();
    edit->GoToLastRow();
    ++reentered;
    PostMessageA(progress->btnCancel->Handle(), BM_CLICK, 0, 0);
  };
  answers = {IDYES};
  edit->GoToLastRow();
  progress->OnShow = nullptr;
  EXPECT_EQ(reentered, 1);
  EXPECT_EQ(boxes.size(), 1u);
  // The first hundred, and what the view at the last row adds.
  EXPECT_GE(edit->FetchedRows(), 100);
  EXPECT_LE(edit->FetchedRows(), 102);
  EXPECT_TRUE(edit->MoreRows());
  EXPECT_EQ(edit->StatusText(), "");
  ExpectGridRowsOfT();
  EXPECT_FALSE(progress->Visible());
  EXPECT_FALSE(CancelFlag());
  // The table is whole: the DELETE never ran.
  Run("SELECT COUNT(*) FROM T");
  EXPECT_EQ(edit->grdResult->Cells(1, 1), "450");
}

TEST_F(SqlEditorTest, AtAThousandRowsTheUserIsAskedOnceWhetherToGoOn) {
  MakeRows(1250);
  Run("SELECT ID, TXT FROM T ORDER BY ID");
  answers = {IDYES, IDNO};
  edit->GoToLastRow();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[1].text.find("1000"), std::string::npos) << boxes[1].text;
  // The thousand the user chose, and no screen more behind them.
  EXPECT_EQ(edit->FetchedRows(), 1000);
  EXPECT_EQ(edit->grdResult->Row(), 1000);
  EXPECT_TRUE(edit->MoreRows());
  ExpectGridRowsOfT();

  Run("SELECT ID, TXT FROM T ORDER BY ID");
  answers = {IDYES, IDYES};
  edit->GoToLastRow();
  EXPECT_EQ(boxes.size(), 4u);
  EXPECT_EQ(edit->FetchedRows(), 1250);
  ExpectGridRowsOfT();
}

TEST_F(SqlEditorTest, DmlReportsItsRowCountAndOtherStatementsThatTheyRan) {
  Run("CREATE TABLE T (ID NUMBER, TXT VARCHAR2(20))");
  EXPECT_EQ(edit->StatusText(), "Statement processed");
  Run("INSERT INTO T VALUES (1, 'a');");
  EXPECT_EQ(edit->StatusText(), "1 row(s) inserted");
  Run("insert into t select empno, ename from emp");
  EXPECT_EQ(edit->StatusText(), "14 row(s) inserted");
  Run("SELECT * FROM T");
  EXPECT_GT(DataCells(), 0);
  Run("  -- all but one\n  UPDATE T SET TXT = 'b' WHERE ID > 1");
  EXPECT_EQ(edit->StatusText(), "14 row(s) updated");
  // No rows to show: no cells, rather than one blank highlighted cell.
  EXPECT_EQ(DataCells(), 0);
  Run("DELETE FROM T WHERE ID = 7369");
  EXPECT_EQ(edit->StatusText(), "1 row(s) deleted");
  Run("DELETE FROM T WHERE ID < 0");
  EXPECT_EQ(edit->StatusText(), "0 row(s) deleted");
  Run("ROLLBACK");
  EXPECT_EQ(edit->StatusText(), "Statement processed");
  EXPECT_EQ(DataCells(), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(edit->ErrorText(), "");

  // Only the selected statement runs.
  edit->edtSQL->Model().SetText("DELETE FROM T;\nDELETE FROM DEPT WHERE DEPTNO = 40;\n");
  edit->edtSQL->Model().SetSelection(2, 1, 2, 35, true);
  edit->ExecuteSQL();
  EXPECT_EQ(edit->StatusText(), "1 row(s) deleted");
}

TEST_F(SqlEditorTest, StoredProgramKeepsTheSemicolonOfItsLastEnd) {
  Run("create or replace procedure BUMP (n IN OUT NUMBER) AS\nBEGIN\n  n := n + 1;\nEND;\n/\n");
  EXPECT_EQ(edit->ErrorText(), "");
  EXPECT_EQ(edit->StatusText(), "Statement processed");
  Run("CREATE FUNCTION TWICE (n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END;");
  EXPECT_EQ(edit->ErrorText(), "");
  Run("SELECT OBJECT_NAME, STATUS FROM USER_OBJECTS WHERE OBJECT_NAME IN ('BUMP', 'TWICE') "
      "ORDER BY 1;");
  ASSERT_EQ(edit->FetchedRows(), 2);
  EXPECT_EQ(edit->grdResult->Cells(2, 1), "VALID");
  EXPECT_EQ(edit->grdResult->Cells(2, 2), "VALID");
  // Other statements still lose theirs.
  Run("CREATE VIEW V AS SELECT * FROM DEPT;");
  EXPECT_EQ(edit->ErrorText(), "");
}

TEST_F(SqlEditorTest, BlockServerOutputGoesToTheServerOutputWindow) {
  Run("BEGIN DBMS_OUTPUT.PUT_LINE('not shown'); END;");
  EXPECT_EQ(edit->ServerOutputWindow(), nullptr);
  // The button switches server output on for the session.
  edit->spdServerOutput->Click();
  EXPECT_TRUE(edit->ServerOutput());
  EXPECT_TRUE(db->ServerOutput());
  Run("BEGIN\n  DBMS_OUTPUT.PUT_LINE('hello');\n  DBMS_OUTPUT.PUT_LINE('world');\nEND;\n/\n");
  EXPECT_EQ(edit->StatusText(), "Statement processed");
  EXPECT_EQ(edit->ErrorText(), "");
  TfrmLineWindow* out = edit->ServerOutputWindow();
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->Caption(), "Server Output");
  EXPECT_EQ(out->memLines->Lines()->Text(), "hello\r\nworld\r\n");
  // The user sees the lines: the window is on the screen.
  EXPECT_TRUE(out->Visible());
  EXPECT_TRUE(IsWindowVisible(out->Handle()));
  // Closed by the user, it comes back with the next lines, and in front of a window
  // that covered it.
  out->Hide();
  TForm cover(nullptr);
  cover.SetBounds(0, 0, 800, 600);
  cover.Show();
  ASSERT_TRUE(IsAbove(cover.Handle(), out->Handle()));
  // Each run reads only its own lines.
  Run("BEGIN DBMS_OUTPUT.PUT_LINE('again'); END;");
  EXPECT_EQ(out->memLines->Lines()->Count(), 3);
  EXPECT_TRUE(IsWindowVisible(out->Handle()));
  EXPECT_TRUE(IsAbove(out->Handle(), cover.Handle()));
  // Already shown but covered: brought forward.
  cover.Hide();
  cover.Show();
  ASSERT_TRUE(IsAbove(cover.Handle(), out->Handle()));
  Run("BEGIN DBMS_OUTPUT.PUT_LINE('once more'); END;");
  EXPECT_TRUE(IsAbove(out->Handle(), cover.Handle()));
  EXPECT_EQ(out->memLines->Lines()->Count(), 4);
  cover.Hide();
  edit->spdServerOutput->Click();
  EXPECT_FALSE(db->ServerOutput());
  Run("BEGIN DBMS_OUTPUT.PUT_LINE('off'); END;");
  EXPECT_EQ(out->memLines->Lines()->Count(), 4);
}

// After every run the user types on in the editor: the main window is active and the
// editor has the focus, whether the statement succeeded, failed or wrote server output.
// The server output window comes up over the result, clear of the session list and the
// tool bar, with nothing of its text selected.
TEST_F(SqlEditorTest, TheEditorHasTheFocusAfterEveryRun) {
  HWND mainWnd = main->Handle();
  HWND editor = edit->edtSQL->Handle();
  EXPECT_EQ(GetActiveWindow(), mainWnd) << "after the logon";
  EXPECT_EQ(GetFocus(), editor) << "after the logon";
  edit->spdServerOutput->Click();
  const char* runs[] = {
      "SELECT * FROM EMP", "UPDATE EMP SET SAL = SAL WHERE 1 = 0", "SELECT * FROM NOSUCH",
      "BEGIN DBMS_OUTPUT.PUT_LINE('x'); END;",
      "BEGIN DBMS_OUTPUT.PUT_LINE('y'); RAISE_APPLICATION_ERROR(-20001, 'z'); END;"};
  for (const char* sql : runs) {
    main->cbxDBList2->SetFocus();  // the user was elsewhere before the run
    Run(sql);
    Application->ProcessMessages();
    EXPECT_EQ(GetActiveWindow(), mainWnd) << sql;
    EXPECT_EQ(GetFocus(), editor) << sql;
    EXPECT_TRUE(MainEnabled()) << sql;
  }
  TfrmLineWindow* out = edit->ServerOutputWindow();
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(IsWindowVisible(out->Handle()));
  EXPECT_TRUE(IsAbove(out->Handle(), mainWnd));
  EXPECT_EQ(out->memLines->SelLength(), 0);
  RECT o, list, tools, inter;
  GetWindowRect(out->Handle(), &o);
  GetWindowRect(main->cbxDBList2->Handle(), &list);
  GetWindowRect(edit->pnlTools->Handle(), &tools);
  EXPECT_FALSE(IntersectRect(&inter, &o, &list)) << "over the session list";
  EXPECT_FALSE(IntersectRect(&inter, &o, &tools)) << "over the tool bar";
  // Focused by the user, its text is still not all selected.
  out->memLines->SetFocus();
  EXPECT_EQ(out->memLines->SelLength(), 0);
}

// Every line of an error can be read: a four-line parse error fits the pane, a longer
// one scrolls.
TEST_F(SqlEditorTest, EveryLineOfAnErrorCanBeRead) {
  Run("BEGIN\n  NULL\nEND;");
  std::string text = edit->ErrorText();
  ASSERT_FALSE(text.empty());
  int lines = edit->memError->Lines()->Count();
  EXPECT_GE(lines, 2) << text;
  RECT r;
  GetClientRect(edit->memError->Handle(), &r);
  HDC dc = GetDC(edit->memError->Handle());
  HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(edit->memError->Font()->Handle()));
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(edit->memError->Handle(), dc);
  EXPECT_GE(r.bottom - r.top, std::min(lines, 6) * tm.tmHeight) << text;
  EXPECT_NE(GetWindowLongA(edit->memError->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(SqlEditorTest, LinesWrittenBeforeAnErrorAreReadWithTheFailedRun) {
  edit->spdServerOutput->Click();
  ASSERT_TRUE(db->ServerOutput());
  Run("BEGIN\n  DBMS_OUTPUT.PUT_LINE('before');\n  RAISE_APPLICATION_ERROR(-20001, 'boom');\nEND;");
  EXPECT_NE(edit->ErrorText().find("boom"), std::string::npos) << edit->ErrorText();
  TfrmLineWindow* out = edit->ServerOutputWindow();
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->memLines->Lines()->Text(), "before\r\n");
  EXPECT_TRUE(IsWindowVisible(out->Handle()));
  // The next run shows only its own lines.
  Run("BEGIN DBMS_OUTPUT.PUT_LINE('after'); END;");
  EXPECT_EQ(out->memLines->Lines()->Text(), "before\r\nafter\r\n");
}

TEST_F(SqlEditorTest, ServerErrorIsShownAndTheCaretPlacedOnIt) {
  Run("SELECT DNAME\nFROM DEPT\nWHERE LOC = 'X' AND AND 1=1");
  EXPECT_EQ(edit->ErrorText().substr(0, 9), "ORA-00936");
  EXPECT_EQ(DataCells(), 0);
  EXPECT_TRUE(edit->memError->Visible());
  TEditorModel& m = edit->edtSQL->Model();
  EXPECT_EQ(m.CaretLine(), 3);
  EXPECT_EQ(m.CaretCol(), 21);
  EXPECT_TRUE(boxes.empty());

  // A selected statement: its position counts from where the selection begins.
  m.SetText("-- first\n  SELECT DNAME\nFROM DEPT\nWHERE LOC = 'X' AND AND 1=1\n-- last");
  m.SetSelection(2, 3, 4, 28, true);
  edit->ExecuteSQL();
  EXPECT_EQ(m.CaretLine(), 4);
  EXPECT_EQ(m.CaretCol(), 21);
  m.SetText("x\n\n   SELECT * FROM DEPT WHERE AND");
  m.SetSelection(3, 4, 3, 32, true);
  edit->ExecuteSQL();
  EXPECT_NE(edit->ErrorText(), "");
  EXPECT_EQ(m.CaretLine(), 3);
  EXPECT_EQ(m.CaretCol(), 3 + edit->Query()->ErrorColumn());

  // The next good statement clears the pane.
  Run("SELECT * FROM DEPT");
  EXPECT_EQ(edit->ErrorText(), "");
  EXPECT_FALSE(edit->memError->Visible());
  EXPECT_EQ(edit->FetchedRows(), 4);
  EXPECT_FALSE(edit->MoreRows());
}

TEST_F(SqlEditorTest, CancelBreaksASlowStatementWhileOnlyTheProgressWindowReacts) {
  ASSERT_TRUE(db->NonBlockingPossible());
  TfrmProgress* progress = services.ProgressWindow();
  bool mainEnabledAtClick = true;
  TyDatabase* runningAtClick = nullptr;
  std::string statusAtClick;
  TNotifyEvent cancel = progress->btnCancel->OnClick;
  progress->btnCancel->OnClick = [&](TObject* Sender) {
    mainEnabledAtClick = MainEnabled();
    runningAtClick = ExecutingSession();
    statusAtClick = progress->lblStatus->Caption();
    cancel(Sender);
  };
  // Clicked as soon as the status shows, and so handled by the statement's own loop.
  progress->OnShow = [&](TObject*) { PostMessageA(progress->btnCancel->Handle(), BM_CLICK, 0, 0); };
  Run("BEGIN DBMS_LOCK.SLEEP(30); END;");
  progress->OnShow = nullptr;
  EXPECT_EQ(edit->ErrorText(), "ST-ORA-1013 User requested cancel of current operation.");
  EXPECT_FALSE(mainEnabledAtClick);
  EXPECT_EQ(runningAtClick, db);
  EXPECT_EQ(statusAtClick, "Processing SQL ...");
  EXPECT_EQ(ExecutingSession(), nullptr);
  EXPECT_TRUE(MainEnabled());
  EXPECT_FALSE(progress->Visible());
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_TRUE(boxes.empty());

  Run("SELECT DNAME FROM DEPT WHERE DEPTNO = 10");
  EXPECT_EQ(edit->ErrorText(), "");
  EXPECT_EQ(edit->grdResult->Cells(1, 1), "ACCOUNTING");
  EXPECT_EQ(main->cbxDBList2->Items()->Count(), 1);
}

TEST_F(SqlEditorTest, WithoutNonBlockingTheStatusHasNoCancelButton) {
  gPrefs->NonBlocking = false;
  Run("UPDATE DEPT SET LOC = LOC");
  EXPECT_EQ(edit->StatusText(), "4 row(s) updated");
  TfrmProgress* progress = services.ProgressWindow();
  EXPECT_EQ(progress->lblStatus->Caption(), "Processing SQL ...");
  EXPECT_FALSE(progress->btnCancel->Visible());
  EXPECT_FALSE(progress->Visible());
  EXPECT_TRUE(MainEnabled());
}

TEST_F(SqlEditorTest, LostSessionIsReportedAndLeavesTheListWithItsWindows) {
  ASSERT_EQ(oratest::Kill(*db->Connection()), 0);
  Run("SELECT * FROM DEPT");
  EXPECT_NE(edit->ErrorText(), "");
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Database connection has been closed or lost for this session");
  EXPECT_EQ(boxes.back().caption, "Error");
  EXPECT_EQ(main->cbxDBList2->Items()->Count(), 0);
  EXPECT_EQ(main->FindFrmEdit(db), nullptr);
  EXPECT_EQ(FindFrmMain(db), nullptr);
  EXPECT_EQ(edit->Session(), nullptr);
  // The window goes once the message that ran the statement is done.
  int before = main->ComponentCount();
  Application->ProcessMessages();
  EXPECT_EQ(main->ComponentCount(), before - 2);

  // The other sessions stay; a window without a session says so and runs nothing.
  TyDatabase* other = main->ConnectSession("DEMO", "DEMO", database.Server());
  ASSERT_NE(other, nullptr);
  TfrmEdit* second = main->FindFrmEdit(other);
  second->SetSession(nullptr);
  boxes.clear();
  second->edtSQL->Model().SetText("SELECT * FROM DEPT");
  second->ExecuteSQL();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Database connection has been closed or lost for this session");
  EXPECT_EQ(main->cbxDBList2->Items()->Count(), 1);
}

TEST_F(SqlEditorTest, EachSessionHasItsOwnWindowsAndTheListChoosesTheShownOnes) {
  TyDatabase* second = main->ConnectSession("SYSTEM", "MANAGER", database.Server());
  ASSERT_NE(second, nullptr);
  TfrmEdit* edit2 = main->FindFrmEdit(second);
  ASSERT_NE(edit2, edit);
  EXPECT_TRUE(edit2->Visible());
  EXPECT_FALSE(edit->Visible());
  main->cbxDBList2->SetItemIndex(0);
  main->cbxDBList2->OnChange(main->cbxDBList2);
  EXPECT_TRUE(edit->Visible());
  EXPECT_FALSE(edit2->Visible());
  edit2->edtSQL->Model().SetText("SELECT USER FROM DUAL");
  edit2->ExecuteSQL();
  EXPECT_EQ(edit2->grdResult->Cells(1, 1), "SYSTEM");
}

}  // namespace
