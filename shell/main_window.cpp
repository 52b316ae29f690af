// See main_window.h.
#include "shell/main_window.h"

#include "framework/core/sysutils.h"
#include "framework/win/extctrls.h"
#include "oracle/ora_ip.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "platform/win32.h"
#include "services/services.h"
#include "shell/logon_text.h"
#include "shell/schema_browser.h"
#include "shell/shell_windows.h"
#include "shell/sql_editor.h"

namespace tess {

TMainWindow::TMainWindow(TComponent* AOwner)
    : TForm(AOwner), ora_ip_(std::make_unique<TyOraIp>()), query_(std::make_unique<TyQuery>()) {
  if (gOraIp == nullptr) gOraIp = ora_ip_.get();
  SetCaption("SQL Tessellar");
  SetPosition(TPosition::poDefaultPosOnly);
  SetBounds(0, 0, 900, 640);
  SetColor(clAppWorkSpace);

  pnlSessions = new TPanel(this);
  pnlSessions->SetParent(this);
  pnlSessions->SetAlign(TAlign::alTop);
  pnlSessions->SetHeight(34);
  pnlSessions->SetBevelOuter(TBevelCut::bvNone);
  cbxDBList2 = PlaceControl<TComboBox>(pnlSessions, 6, 6, 280, 22);
  cbxDBList2->SetStyle(TComboBoxStyle::csDropDownList);
  btnConnect = PlaceControl<TButton>(pnlSessions, 292, 5, 80, 24);
  btnConnect->SetCaption("Connect...");
  btnConnect->OnClick = [this](TObject*) { ShowConnectBox(); };
  btnRollUp = PlaceControl<TButton>(pnlSessions, 378, 5, 100, 24);
  btnRollUp->SetCaption("Roll-up Browser");
  btnRollUp->OnClick = [this](TObject*) { ShowRollUpBrowser(); };
  cbxDBList2->OnChange = [this](TObject*) {
    int32_t i = cbxDBList2->ItemIndex();
    if (i >= 0) ShowSessionWindows(static_cast<TyDatabase*>(cbxDBList2->Items()->Objects(i)));
  };

  pnlClient = new TPanel(this);
  pnlClient->SetParent(this);
  pnlClient->SetAlign(TAlign::alClient);
  pnlClient->SetBevelOuter(TBevelCut::bvNone);
}

TMainWindow::~TMainWindow() {
  // The list lets its sessions go before they are freed; the shared query goes first.
  query_.reset();
  cbxDBList2->Items()->Clear();
  sessions_.clear();
  if (gOraIp == ora_ip_.get()) gOraIp = nullptr;
}

TyDatabase* TMainWindow::ConnectSession(const std::string& UserName, const std::string& Password,
                                        const std::string& Server) {
  auto db = std::make_unique<TyDatabase>();
  bool connected = false;
  try {
    StartHourglass();
    connected = db->Connect(UserName, Password, Server, "");
  } catch (const Exception& e) {
    // The server's own reason (a wrong password, an unknown server) says most.
    StopHourglass();
    ShowErrorMsg(e.Message());
    return nullptr;
  }
  if (connected) {
    // The server's spelling of the user ("demo" logs on as DEMO), which the browser and
    // the dictionary routines compare with and paste as an owner.
    try {
      db->FetchUserName();
    } catch (const Exception& e) {
      ShowErrorMsg(e.Message());
    }
  }
  StopHourglass();
  if (!connected) return nullptr;
  TyDatabase* s = db.get();
  sessions_.push_back(std::move(db));
  cbxDBList2->SetItemIndex(cbxDBList2->Items()->AddObject(s->DatabaseName(), s));
  OpenSessionWindows(s);
  return s;
}

void TMainWindow::OpenSessionWindows(TyDatabase* Db) {
  auto* browser = new TfrmMain(this, Db);
  browser->SetBorderStyle(TFormBorderStyle::bsNone);
  browser->SetParent(pnlClient);
  browser->SetAlign(TAlign::alLeft);
  browser->SetWidth(220);
  auto* editor = new TfrmEdit(this, Db);
  editor->SetBorderStyle(TFormBorderStyle::bsNone);
  editor->SetParent(pnlClient);
  editor->SetAlign(TAlign::alClient);
  editor->OnSessionLost = [this](TyDatabase* Lost) { DropSession(Lost); };
  windows_.push_back({Db, browser, editor});
  ShowSessionWindows(Db);
  browser->RefreshTree();
  // The new session's statements are typed next.
  editor->FocusEditor();
}

TfrmMain* TMainWindow::FindFrmMain(const TyDatabase* Db) const {
  for (const TSessionWindows& w : windows_)
    if (w.Db == Db) return w.Browser;
  return nullptr;
}

TfrmMain2* TMainWindow::FindFrmMain2(const TyDatabase* Db) const {
  for (const TSessionWindows& w : windows_)
    if (w.Db == Db) return w.RollUp;
  return nullptr;
}

void TMainWindow::ShowRollUpBrowser() {
  int32_t i = cbxDBList2->ItemIndex();
  if (i < 0) return;
  auto* db = static_cast<TyDatabase*>(cbxDBList2->Items()->Objects(i));
  for (TSessionWindows& w : windows_) {
    if (w.Db != db) continue;
    if (w.RollUp == nullptr) {
      w.RollUp = new TfrmMain2(this, db);
      w.RollUp->Show();
      w.RollUp->RefreshTree();
    } else {
      w.RollUp->Show();
      w.RollUp->BringToFront();
    }
    return;
  }
}

void TMainWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (TSessionWindows& w : windows_)
    if (w.RollUp == AComponent) w.RollUp = nullptr;
}

TfrmEdit* TMainWindow::FindFrmEdit(const TyDatabase* Db) const {
  for (const TSessionWindows& w : windows_)
    if (w.Db == Db) return w.Editor;
  return nullptr;
}

void TMainWindow::ShowSessionWindows(TyDatabase* Db) {
  // Hide first, so that the shown pair takes the whole client area.
  for (const TSessionWindows& w : windows_) {
    if (w.Db == Db) continue;
    w.Browser->Hide();
    w.Editor->Hide();
  }
  for (const TSessionWindows& w : windows_) {
    if (w.Db != Db) continue;
    w.Browser->Show();
    w.Editor->Show();
  }
}

void TMainWindow::DropSession(TyDatabase* Db) {
  TStrings* items = cbxDBList2->Items();
  if (int32_t i = items->IndexOfObject(Db); i >= 0) items->Delete(i);
  for (auto w = windows_.begin(); w != windows_.end();) {
    if (w->Db != Db) {
      ++w;
      continue;
    }
    // The editor may be running the statement that found the loss: its window goes
    // later, and nothing of it may reach the session meanwhile.
    w->Editor->OnSessionLost = nullptr;
    w->Editor->SetSession(nullptr);
    w->Browser->SetSession(nullptr);
    w->Editor->Release();
    w->Browser->Release();
    if (w->RollUp != nullptr) {
      w->RollUp->SetSession(nullptr);
      w->RollUp->Release();
    }
    w = windows_.erase(w);
  }
  for (auto s = sessions_.begin(); s != sessions_.end(); ++s) {
    if (s->get() != Db) continue;
    // A lost connection's logoff errors are expected; nothing is left to report.
    try {
      Db->Disconnect();
    } catch (const Exception&) {
    }
    sessions_.erase(s);
    break;
  }
  if (items->Count() > 0) {
    cbxDBList2->SetItemIndex(0);
    ShowSessionWindows(static_cast<TyDatabase*>(items->Objects(0)));
  }
}

void TMainWindow::PostObjectChangeMsg(const TyMsgRec& Rec) {
  auto rec = std::make_unique<TyMsgRec>(Rec);
  if (PostMessageA(Handle(), kObjectChangeMsg, 0, reinterpret_cast<LPARAM>(rec.get())))
    rec.release();  // the handler takes it
}

void TMainWindow::Dispatch(TMessage& Message) {
  if (Message.Msg != kObjectChangeMsg) {
    TForm::Dispatch(Message);
    return;
  }
  std::unique_ptr<TyMsgRec> rec(reinterpret_cast<TyMsgRec*>(Message.LParam));
  if (!rec) return;
  for (const TSessionWindows& w : windows_) {
    SendObjectChange(w.Browser, *rec);
    SendObjectChange(w.Editor, *rec);
    if (w.RollUp != nullptr) SendObjectChange(w.RollUp, *rec);
  }
}

TyDatabase* TMainWindow::ConnectLogon(const std::string& Logon) {
  TLogonText t;
  if (!ParseLogonText(Logon, t)) {
    ShowErrorMsg("Unable to connect to database");
    return nullptr;
  }
  return ConnectSession(t.UserName, t.Password, t.Server);
}

void TMainWindow::ShowConnectBox() {
  TfrmConnect box(nullptr);
  if (box.ShowModal() != mrOk) return;
  ConnectSession(Trim(box.edtUserName->Text()), box.edtPassword->Text(),
                 Trim(box.edtServer->Text()));
}

namespace {

TEdit* LabelledEdit(TForm* Form, const std::string& Caption, int32_t Top) {
  PlaceControl<TLabel>(Form, 12, Top + 3, 80, 16)->SetCaption(Caption);
  return PlaceControl<TEdit>(Form, 96, Top, 180, 22);
}

}  // namespace

TfrmConnect::TfrmConnect(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Connect");
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  SetClientWidth(290);
  SetClientHeight(140);
  edtUserName = LabelledEdit(this, "User Name:", 12);
  edtPassword = LabelledEdit(this, "Password:", 40);
  edtPassword->SetPasswordChar('*');
  edtServer = LabelledEdit(this, "Server:", 68);
  btnOK = PlaceButton(this, 110, 104, "OK", mrOk);
  btnOK->SetDefault(true);
  btnCancel = PlaceButton(this, 200, 104, "Cancel", mrCancel);
  btnCancel->SetCancel(true);
  SetActiveControl(edtUserName);
}

}  // namespace tess
