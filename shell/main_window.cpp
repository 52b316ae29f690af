// See main_window.h.
#include "shell/main_window.h"

#include "framework/core/sysutils.h"
#include "framework/win/extctrls.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "services/services.h"
#include "shell/logon_text.h"

namespace tess {

TMainWindow::TMainWindow(TComponent* AOwner) : TForm(AOwner), query_(std::make_unique<TyQuery>()) {
  SetCaption("SQL Tessellar");
  SetPosition(TPosition::poDefaultPosOnly);
  SetBounds(0, 0, 900, 640);
  SetColor(clAppWorkSpace);

  pnlSessions = new TPanel(this);
  pnlSessions->SetParent(this);
  pnlSessions->SetAlign(TAlign::alTop);
  pnlSessions->SetHeight(34);
  pnlSessions->SetBevelOuter(TBevelCut::bvNone);
  cbxDBList2 = new TComboBox(this);
  cbxDBList2->SetParent(pnlSessions);
  cbxDBList2->SetStyle(TComboBoxStyle::csDropDownList);
  cbxDBList2->SetBounds(6, 6, 280, 22);
  btnConnect = new TButton(this);
  btnConnect->SetParent(pnlSessions);
  btnConnect->SetBounds(292, 5, 80, 24);
  btnConnect->SetCaption("Connect...");
  btnConnect->OnClick = [this](TObject*) { ShowConnectBox(); };
}

TMainWindow::~TMainWindow() {
  // The list lets its sessions go before they are freed; the shared query goes first.
  query_.reset();
  cbxDBList2->Items()->Clear();
  sessions_.clear();
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
  StopHourglass();
  if (!connected) return nullptr;
  TyDatabase* s = db.get();
  sessions_.push_back(std::move(db));
  cbxDBList2->SetItemIndex(cbxDBList2->Items()->AddObject(s->DatabaseName(), s));
  return s;
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
  auto* l = new TLabel(Form);
  l->SetParent(Form);
  l->SetBounds(12, Top + 3, 80, 16);
  l->SetCaption(Caption);
  auto* e = new TEdit(Form);
  e->SetParent(Form);
  e->SetBounds(96, Top, 180, 22);
  return e;
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
  btnOK = new TButton(this);
  btnOK->SetParent(this);
  btnOK->SetBounds(110, 104, 76, 26);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->SetModalResult(mrOk);
  btnCancel = new TButton(this);
  btnCancel->SetParent(this);
  btnCancel->SetBounds(200, 104, 76, 26);
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(mrCancel);
  SetActiveControl(edtUserName);
}

}  // namespace tess
