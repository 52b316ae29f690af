// TfrmEdit: the SQL editor window of one session.  It runs the selected text of its
// editor (or all of it) on its own TyQuery and shows a query's rows in the result grid,
// fetching them as the grid scrolls, a DML statement's row count or "Statement
// processed" on its status line, a server error in its error pane with the caret on the
// error, and the server output of the run in its server-output window.
//
// Invariants: grdResult holds exactly the rows fetched so far (FetchedRows(), rows 1 on,
// row 0 the column names); the query has no row that is neither in the grid nor still to
// be fetched.  While ExecuteSQL runs, its session is the recorded executing session.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/win/forms.h"
#include "framework/win/stdctrls.h"

namespace tess {

class TfrmLineWindow;
class TPanel;
class TSortGrid;
class TSpeedButton;
class TyCustomEditor;
class TyDatabase;
class TyQuery;

// The editor control of the SQL editor window.  One place decides its class, so that the
// window does not depend on which editor it holds.
TyCustomEditor* CreateSqlEditorControl(TComponent* AOwner);

class TfrmEdit : public TForm {
 public:
  TfrmEdit(TComponent* AOwner, TyDatabase* Db);
  ~TfrmEdit() override;

  // The session the window runs its statements on; null once the session is gone.
  TyDatabase* Session() const { return db_; }
  void SetSession(TyDatabase* Db);
  TyQuery* Query() const { return query_.get(); }

  // Runs the editor's selected text, or all its text when nothing is selected.  Every
  // failure is shown; nothing leaves.  The editor has the focus afterwards.
  void ExecuteSQL();
  // Gives the SQL editor the keyboard focus (and so its window the activation).
  void FocusEditor();

  // Rows of the last query in the grid, and whether the query has more.
  int32_t FetchedRows() const { return fetched_; }
  bool MoreRows() const;
  // Fetches until Rows rows are in the grid or the query has no more.
  void FetchThrough(int32_t Rows);
  // The data rows the grid has room for.
  int32_t ScreenRows();
  // The rows on screen and a screen beyond, so that a page down always finds a page.
  void FetchForView();
  // The last-row command: with rows still to fetch, asks whether to retrieve them all,
  // then fetches them reporting progress; then moves to the last row.
  void GoToLastRow();

  bool ServerOutput() const;
  // Switches DBMS_OUTPUT on or off for the session; a failure is shown.
  void SetServerOutput(bool Value);
  // Null until the first line of server output.
  TfrmLineWindow* ServerOutputWindow() const { return server_output_; }
  // The status line's text ("Statement processed", "3 row(s) updated", ...).
  std::string StatusText() const;
  // The error pane's text; empty when the last run succeeded.
  std::string ErrorText() const;

  // Called when a run found the session's connection lost, after the loss was shown.
  std::function<void(TyDatabase* Db)> OnSessionLost;

  TPanel* pnlTools = nullptr;
  TSpeedButton* spdRun = nullptr;
  TSpeedButton* spdServerOutput = nullptr;
  TyCustomEditor* edtSQL = nullptr;
  TSortGrid* grdResult = nullptr;
  TMemo* memError = nullptr;
  TPanel* pnlStatus = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void spdRunClick(TObject* Sender);
  void grdResultKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  // Runs Text (statement kind Kind) and shows its result; EySQLError passes on.
  void RunStatement(const std::string& Text, uint8_t Kind);
  void ShowColumns();
  // The grid, the error pane and the status line emptied.
  void ClearResult();
  void ClearGrid();
  void ShowStatusText(const std::string& Text);
  // Shows the error in the pane and puts the caret on Line and Column of the statement
  // text, which began at FirstLine, FirstCol of the editor.
  void ShowError(const std::string& Text, int32_t Line, int32_t Column);
  void ReadServerOutput();
  // A lost connection is reported once and handed to OnSessionLost.
  void CheckConnectionLost();
  void UpdateCaption();

  TyDatabase* db_ = nullptr;
  std::unique_ptr<TyQuery> query_;
  TfrmLineWindow* server_output_ = nullptr;
  int32_t fetched_ = 0;
  // Where the statement text of the last run began in the editor.
  int32_t first_line_ = 1;
  int32_t first_col_ = 1;
  bool fetching_ = false;
  // ExecuteSQL or GoToLastRow is running.
  bool running_ = false;
};

}  // namespace tess
