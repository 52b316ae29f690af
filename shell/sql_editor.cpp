// See sql_editor.h.
#include "shell/sql_editor.h"

#include <algorithm>
#include <vector>

#include "components/core/controller.h"
#include "components/editor/editor.h"
#include "components/lists/sortgrid.h"
#include "components/synedit/editor_prefs.h"
#include "components/synedit/synedit.h"
#include "framework/core/sysutils.h"
#include "framework/win/dialogs.h"
#include "framework/win/extctrls.h"
#include "framework/win/graphics.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "oracle/session_services.h"
#include "oracle/sql_scanner.h"
#include "oracle/statement_services.h"
#include "platform/win32.h"
#include "services/exceptions.h"
#include "services/keyword_files.h"
#include "services/prefs.h"
#include "services/services.h"
#include "shell/shell_windows.h"

namespace tess {

namespace {

constexpr int32_t kProgressEvery = 100;  // rows between two "Retrieving rows ..." reports
constexpr int32_t kAskAgainAt = 1000;    // rows after which the user is asked once more
constexpr int32_t kMaxColumnWidth = 320;
constexpr int32_t kErrorLinesShown = 6;  // the error pane's height at most, in lines

// Records the session of the running statement for the session checks, and forgets it
// on every way out.
class TExecutingSessionScope {
 public:
  explicit TExecutingSessionScope(TyDatabase* Db) { SetExecutingSession(Db); }
  ~TExecutingSessionScope() { SetExecutingSession(nullptr); }
  TExecutingSessionScope(const TExecutingSessionScope&) = delete;
  TExecutingSessionScope& operator=(const TExecutingSessionScope&) = delete;
};

// Marks the window as running a command, so that a message handled meanwhile (the
// status window pumps them) cannot start another one on the same query.
class TCommandScope {
 public:
  explicit TCommandScope(bool& Flag) : flag_(Flag) { flag_ = true; }
  ~TCommandScope() { flag_ = false; }
  TCommandScope(const TCommandScope&) = delete;
  TCommandScope& operator=(const TCommandScope&) = delete;

 private:
  bool& flag_;
};

bool IsBlank(char C) {
  return C == ' ' || C == '\t' || C == '\r' || C == '\n';
}

// A CREATE of a stored program or trigger: its text ends with the ";" of its last END,
// which belongs to it.
bool CreatesStoredProgram(const std::string& Text) {
  TyParserA parser(Text.c_str());
  std::string word;
  for (int i = 0; i < 4; ++i) {
    bool more = parser.GetNextWord(word);
    word = UpperCase(word);
    if (word == "PROCEDURE" || word == "FUNCTION" || word == "PACKAGE" || word == "TRIGGER")
      return true;
    if (!more || (i == 0 && word != "CREATE")) return false;
    if (i > 0 && word != "OR" && word != "REPLACE") return false;
  }
  return false;
}

// The text as the server gets it: trailing blanks go; a SQL statement loses the ";" that
// ends it in a script, a block or stored program the "/" line that ends it there.
std::string StatementText(std::string Text, uint8_t Kind) {
  auto trimEnd = [&] {
    while (!Text.empty() && IsBlank(Text.back())) Text.pop_back();
  };
  trimEnd();
  if (Kind == stPlsqlBlock || (Kind == stCreate && CreatesStoredProgram(Text))) {
    size_t lineStart = Text.find_last_of('\n');
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    if (Trim(Text.substr(lineStart)) == "/") {
      Text.resize(lineStart);
      trimEnd();
    }
  } else if (!Text.empty() && Text.back() == ';') {
    Text.pop_back();
    trimEnd();
  }
  return Text;
}

}  // namespace

TyCustomEditor* CreateSqlEditorControl(TComponent* AOwner) {
  auto* editor = new TySynEdit(AOwner);
  TyKeywordLists& lists = KeywordLists();
  editor->SetKeywordLists(lists.Symbols.get(), lists.SqlWords.get(), lists.PlsqlWords.get());
  ApplyEditorPrefs(gPrefs->SQLEditorPrefs, editor);
  return editor;
}

TfrmEdit::TfrmEdit(TComponent* AOwner, TyDatabase* Db)
    : TForm(AOwner), query_(std::make_unique<TyQuery>()) {
  SetBounds(0, 0, 640, 480);

  pnlTools = new TPanel(this);
  pnlTools->SetParent(this);
  pnlTools->SetAlign(TAlign::alTop);
  pnlTools->SetHeight(30);
  pnlTools->SetBevelOuter(TBevelCut::bvNone);
  spdRun = new TSpeedButton(this);
  spdRun->SetParent(pnlTools);
  spdRun->SetBounds(4, 3, 70, 24);
  spdRun->SetCaption("Execute");
  spdRun->OnClick = [this](TObject* Sender) { spdRunClick(Sender); };
  spdServerOutput = new TSpeedButton(this);
  spdServerOutput->SetParent(pnlTools);
  spdServerOutput->SetBounds(78, 3, 100, 24);
  spdServerOutput->SetCaption("Server Output");
  spdServerOutput->SetGroupIndex(1);
  spdServerOutput->SetAllowAllUp(true);
  spdServerOutput->OnClick = [this](TObject*) { SetServerOutput(!ServerOutput()); };

  pnlStatus = new TPanel(this);
  pnlStatus->SetParent(this);
  pnlStatus->SetAlign(TAlign::alBottom);
  pnlStatus->SetHeight(22);
  pnlStatus->SetAlignment(TAlignment::taLeftJustify);
  pnlStatus->SetBevelOuter(TBevelCut::bvLowered);

  memError = new TMemo(this);
  memError->SetParent(this);
  memError->SetAlign(TAlign::alBottom);
  memError->SetReadOnly(true);
  memError->SetScrollBars(TScrollStyle::ssVertical);
  memError->SetVisible(false);

  // The editor takes its key commands and timers from its form's controller.
  new TOvcController(this);
  edtSQL = CreateSqlEditorControl(this);
  edtSQL->SetParent(this);
  edtSQL->SetAlign(TAlign::alTop);
  edtSQL->SetHeight(170);

  grdResult = new TSortGrid(this);
  grdResult->SetParent(this);
  grdResult->SetAlign(TAlign::alClient);
  grdResult->SetVisible(false);  // until a query shows its columns
  grdResult->SetClickSorting(false);
  grdResult->SetExtendedKeys(true);
  grdResult->SetDefaultRowHeight(18);
  grdResult->SetColCount(2);
  grdResult->SetRowCount(2);
  grdResult->SetFixedCols(1);
  grdResult->SetFixedRows(1);
  grdResult->SetOptions(grdResult->Options() + TGridOption::goColSizing +
                        TGridOption::goThumbTracking);
  grdResult->OnTopLeftChanged = [this](TObject*) { FetchForView(); };
  grdResult->OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) {
    grdResultKeyDown(Sender, Key, Shift);
  };
  SetActiveControl(edtSQL);
  SetSession(Db);
}

TfrmEdit::~TfrmEdit() {
  // The query lets go of the session before the window's controls go.
  query_.reset();
}

void TfrmEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == server_output_) server_output_ = nullptr;
}

void TfrmEdit::SetSession(TyDatabase* Db) {
  if (Db == db_) return;
  query_->Close();
  // The error pane keeps why a session went.
  ClearGrid();
  db_ = Db;
  query_->SetDatabase(Db);
  spdServerOutput->SetDown(Db != nullptr && Db->ServerOutput());
  UpdateCaption();
}

void TfrmEdit::UpdateCaption() {
  SetCaption(db_ != nullptr ? "SQL Editor - " + db_->DatabaseName() : "SQL Editor");
}

void TfrmEdit::spdRunClick(TObject*) {
  ExecuteSQL();
}

std::string TfrmEdit::StatusText() const {
  return pnlStatus->Caption();
}

std::string TfrmEdit::ErrorText() const {
  return memError->Text();
}

void TfrmEdit::ShowStatusText(const std::string& Text) {
  pnlStatus->SetCaption(Text);
}

void TfrmEdit::ClearResult() {
  ClearGrid();
  memError->Clear();
  memError->SetVisible(false);
  ShowStatusText("");
}

void TfrmEdit::ClearGrid() {
  fetched_ = 0;
  // The grid cannot have fewer cells than one under its fixed row and column: with no
  // columns to show it goes, so that an empty result shows no cell at all.
  grdResult->SetVisible(false);
  grdResult->SetColCount(2);
  grdResult->SetRowCount(2);
  grdResult->CellStore().ClearRow(0);
  grdResult->CellStore().ClearRow(1);
  grdResult->SetColWidths(0, 12);
}

void TfrmEdit::ExecuteSQL() {
  if (running_) return;
  TCommandScope command(running_);
  bool ran = false;
  try {
    // No session, or one gone from the list, raises EyDbConnectionLost.
    CheckSessionAlive(db_);
    TEditorModel& model = edtSQL->Model();
    int32_t endLine = 0, endCol = 0;
    std::string text;
    if (model.GetSelection(first_line_, first_col_, endLine, endCol)) {
      text = model.GetSelText();
    } else {
      first_line_ = first_col_ = 1;
      text = model.GetTextString();
    }
    std::string firstWord;
    TyParserA parser(text.c_str());
    parser.GetNextWord(firstWord);
    uint8_t kind = GetSQLStatementType(firstWord);
    text = StatementText(text, kind);
    if (Trim(text).empty()) return;
    ran = true;
    RunStatement(text, kind);
  } catch (const EySQLError& e) {
    // A cancelled statement has no position of its own: the caret stays where it is.
    if (e.ErrorCode() == 1013)
      ShowError(e.Message(), 0, 0);
    else
      ShowError(e.Message(), query_->ErrorLine(), query_->ErrorColumn());
  } catch (const Exception& e) {
    ShowErrorMsg(e.Message());
  }
  // A failed block may have written lines before its error: they belong to this run.
  if (ran) ReadServerOutput();
  // Keys typed next belong in the editor, after a run that failed or succeeded alike.
  FocusEditor();
  CheckConnectionLost();
}

void TfrmEdit::FocusEditor() {
  if (edtSQL->CanFocus()) edtSQL->SetFocus();
}

void TfrmEdit::CheckConnectionLost() {
  TyDatabase* db = db_;
  if (db == nullptr || !db->ConnectionLost()) return;
  ShowErrorMsg(kConnectionLost);
  // The handler may free the session: nothing of it is touched afterwards.
  if (OnSessionLost) OnSessionLost(db);
}

void TfrmEdit::RunStatement(const std::string& Text, uint8_t Kind) {
  // Closed first: clearing the grid scrolls it, which must not fetch from the old query.
  query_->Close();
  ClearResult();
  query_->SetDatabase(db_);
  query_->SQL().Clear();
  query_->SQL().SetText(Text);
  {
    TExecutingSessionScope running(db_);
    TyHourglassScope hourglass;
    hourglass.StartDb(db_);
    if (gPrefs->NonBlocking)
      hourglass.ShowStatus("Processing SQL ...");
    else
      hourglass.ShowStatusNoCancel("Processing SQL ...");
    if (Kind == stSelect) {
      query_->OpenCancellable();
    } else {
      query_->ExecSQLCancellable();
    }
  }
  if (Kind == stSelect) {
    ShowColumns();
    FetchForView();
  } else if (Kind == stInsert || Kind == stUpdate || Kind == stDelete) {
    static const char* const kDone[] = {" row(s) inserted", " row(s) updated", " row(s) deleted"};
    ShowStatusText(std::to_string(query_->RowCount()) + kDone[Kind - stInsert]);
  } else {
    ShowStatusText("Statement processed");
  }
}

void TfrmEdit::ShowColumns() {
  int32_t n = query_->FieldCount();
  grdResult->SetColCount(std::max(n, 1) + 1);
  int32_t charWidth = std::max(edtSQL->CharWidth(), 7);
  for (int32_t i = 0; i < n; ++i) {
    TyField* f = query_->Fields(i);
    std::string name = f->FieldName();
    grdResult->SetCells(i + 1, 0, name);
    int32_t chars = std::max<int32_t>(f->DisplayWidth(), static_cast<int32_t>(name.size()));
    grdResult->SetColWidths(i + 1, std::min(chars * charWidth + 8, kMaxColumnWidth));
  }
  grdResult->SetColWidths(0, 40);
  // Shown before the first fetch, which asks how many rows fit.
  grdResult->SetVisible(true);
}

bool TfrmEdit::MoreRows() const {
  return query_->Active() && !query_->Eof();
}

void TfrmEdit::FetchThrough(int32_t Rows) {
  // The grid grows once per call; the rows are read first.
  if (fetching_ || !MoreRows() || fetched_ >= Rows) return;
  fetching_ = true;
  std::vector<std::vector<std::string>> rows;
  int32_t n = query_->FieldCount();
  bool failed = false;
  try {
    while (fetched_ + static_cast<int32_t>(rows.size()) < Rows && MoreRows()) {
      std::vector<std::string> row;
      row.reserve(n);
      for (int32_t i = 0; i < n; ++i) row.push_back(query_->Fields(i)->AsString());
      rows.push_back(std::move(row));
      query_->Next();
    }
  } catch (const Exception& e) {
    // A failed fetch ends the result (the query is at its end); the rows read stay.
    ShowError(e.Message(), 0, 0);
    failed = true;
  }
  if (!rows.empty()) {
    int32_t first = fetched_ + 1;
    fetched_ += static_cast<int32_t>(rows.size());
    grdResult->SetRowCount(std::max(fetched_, 1) + 1);
    for (size_t r = 0; r < rows.size(); ++r) {
      int32_t gridRow = first + static_cast<int32_t>(r);
      grdResult->SetCells(0, gridRow, std::to_string(gridRow));
      for (int32_t i = 0; i < n; ++i) grdResult->SetCells(i + 1, gridRow, rows[r][i]);
    }
  }
  fetching_ = false;
  if (failed) CheckConnectionLost();
}

int32_t TfrmEdit::ScreenRows() {
  // What fits, not what the grid holds now: a partly shown last row counts.
  int32_t step = grdResult->DefaultRowHeight() + grdResult->GridLineWidth();
  int32_t header = 0;
  for (int32_t r = 0; r < grdResult->FixedRows(); ++r)
    header += grdResult->RowHeights(r) + grdResult->GridLineWidth();
  int32_t room = grdResult->ClientHeight() - header;
  return room > 0 ? (room + step - 1) / step : 1;
}

void TfrmEdit::FetchForView() {
  // A screen ahead: a page down then moves a whole page, not only to the last row read.
  FetchThrough(grdResult->TopRow() - grdResult->FixedRows() + 2 * ScreenRows());
}

void TfrmEdit::GoToLastRow() {
  if (running_) return;
  TCommandScope command(running_);
  if (MoreRows()) {
    if (MessageDlg(" Are you sure you want to retrieve all  records for this query ?",
                   TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0) != mrYes)
      return;
    TyHourglassScope hourglass;
    hourglass.Start();
    bool asked = false;
    while (MoreRows()) {
      // Whole hundreds, so that the count meets the one at which the user is asked.
      FetchThrough((fetched_ / kProgressEvery + 1) * kProgressEvery);
      hourglass.ShowStatus("Retrieving rows ...");
      if (CancelFlag()) break;
      if (!asked && fetched_ == kAskAgainAt && MoreRows()) {
        asked = true;
        if (MessageDlg(std::to_string(kAskAgainAt) +
                           " rows have been retrieved.  Do you want to retrieve the rest ?",
                       TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo},
                       0) != mrYes)
          break;
      }
    }
  }
  if (fetched_ > 0) {
    // The rows the user chose to retrieve, and no screen more behind them.
    TCommandScope placing(fetching_);
    grdResult->SetRow(fetched_);
  }
}

void TfrmEdit::grdResultKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_END && Shift.Contains(TShiftFlag::ssCtrl)) {
    GoToLastRow();
    // The grid's own move goes to the last fetched row, which is where we stand now.
  }
}

bool TfrmEdit::ServerOutput() const {
  return db_ != nullptr && db_->ServerOutput();
}

void TfrmEdit::SetServerOutput(bool Value) {
  try {
    CheckSessionAlive(db_);
    db_->SetServerOutput(Value);
  } catch (const Exception& e) {
    ShowErrorMsg(e.Message());
  }
  spdServerOutput->SetDown(ServerOutput());
}

void TfrmEdit::ReadServerOutput() {
  if (!ServerOutput() || db_->ConnectionLost()) return;
  bool added = false;
  try {
    std::string line;
    while (!db_->GetServerOutputLine(line)) {
      if (server_output_ == nullptr) {
        server_output_ = new TfrmLineWindow(this, "Server Output");
        server_output_->FreeNotification(this);
        // Over the result, clear of the session list and the tool bar.
        server_output_->PlaceOver(this);
      }
      server_output_->AddLine(line);
      added = true;
    }
  } catch (const Exception& e) {
    ShowErrorMsg(e.Message());
  }
  if (!added) return;
  // Framework forms start hidden, and a window the user closed or covered must come back
  // to show the run's lines: in front, without taking the keys from the editor.
  FocusEditor();
  server_output_->ShowNoActivate();
}

void TfrmEdit::ShowError(const std::string& Text, int32_t Line, int32_t Column) {
  memError->SetText(Text);
  // Tall enough for every line of a usual error (a parse error takes four); a longer one
  // scrolls.
  int32_t lines = std::clamp(memError->Lines()->Count(), 2, kErrorLinesShown);
  memError->SetHeight(lines * FontHeight(memError->Font()->Handle()) + 8);
  memError->SetVisible(true);
  if (Line < 1 || Column < 1) return;
  // Lines and columns of the statement text, which began at the selection's start.
  int32_t line = first_line_ + Line - 1;
  int32_t col = Line == 1 ? first_col_ + Column - 1 : Column;
  TEditorModel& model = edtSQL->Model();
  line = std::min(line, model.GetLineCount());
  try {
    model.SetCaretPosition(line, col);
  } catch (const Exception&) {
    // A column past the line's end: the line's start will do.
    model.SetCaretPosition(line, 1);
  }
  FocusEditor();
}

}  // namespace tess
