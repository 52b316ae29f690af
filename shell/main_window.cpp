// See main_window.h.
#include "shell/main_window.h"

#include "framework/core/sysutils.h"
#include "framework/win/extctrls.h"
#include "oracle/ora_ip.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "services/services.h"
#include "shell/logon_text.h"
#include "shell/shell_windows.h"

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
