// The program's main window: the list of open sessions (cbxDBList2: each item's text is
// a session's label, its object the TyDatabase), the query it keeps for everyone's short
// statements, and the least way to open a session, the connect box.  It owns the
// sessions it lists, and for each a schema browser and an SQL editor in its client area;
// the windows of the session selected in the list are the ones shown, and on request a
// roll-up browser of its own.  It forwards the change notice (message 2025) to the
// windows of every session.  It also holds the
// second engine (gOraIp) while it exists; the holder starts its server only when a
// session first asks for it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/win/forms.h"
#include "framework/win/stdctrls.h"

namespace tess {

class TfrmEdit;
class TfrmMain;
class TfrmMain2;
class TPanel;
class TyDatabase;
class TyOraIp;
class TyQuery;
struct TyMsgRec;

class TMainWindow : public TForm {
 public:
  explicit TMainWindow(TComponent* AOwner);
  ~TMainWindow() override;

  TyQuery* MainFormQuery() const { return query_.get(); }

  // Connects a session (a blank Server is the default database) and lists it as the
  // selected one.  A failure is shown to the user and answers null.
  TyDatabase* ConnectSession(const std::string& UserName, const std::string& Password,
                             const std::string& Server);
  // The same from a logon text "user/password@server".
  TyDatabase* ConnectLogon(const std::string& Logon);
  // Asks for user, password and server and connects.
  void ShowConnectBox();

  // The windows of a listed session (null for another session).
  TfrmMain* FindFrmMain(const TyDatabase* Db) const;
  // The roll-up browser of a listed session, null until it was opened.
  TfrmMain2* FindFrmMain2(const TyDatabase* Db) const;
  // Opens the roll-up browser of the selected session, or brings its open one forward.
  void ShowRollUpBrowser();
  TfrmEdit* FindFrmEdit(const TyDatabase* Db) const;
  // Shows the windows of Db and hides the others'.
  void ShowSessionWindows(TyDatabase* Db);
  // A session whose connection was lost: it leaves the list, its windows go (once the
  // message being handled is done) and it is disconnected and freed.
  void DropSession(TyDatabase* Db);
  // Posts the change notice to this window, which hands it to every session's windows.
  void PostObjectChangeMsg(const TyMsgRec& Rec);

  void Dispatch(TMessage& Message) override;

  TPanel* pnlSessions = nullptr;
  TComboBox* cbxDBList2 = nullptr;
  TButton* btnConnect = nullptr;
  TButton* btnRollUp = nullptr;
  TPanel* pnlClient = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TSessionWindows {
    TyDatabase* Db;
    TfrmMain* Browser;
    TfrmEdit* Editor;
    TfrmMain2* RollUp = nullptr;
  };
  void OpenSessionWindows(TyDatabase* Db);

  // First, so that it goes after the sessions that may use it.
  std::unique_ptr<TyOraIp> ora_ip_;
  std::vector<std::unique_ptr<TyDatabase>> sessions_;
  std::vector<TSessionWindows> windows_;
  std::unique_ptr<TyQuery> query_;
};

// The box that asks for a logon.
class TfrmConnect : public TForm {
 public:
  explicit TfrmConnect(TComponent* AOwner);

  TEdit* edtUserName = nullptr;
  TEdit* edtPassword = nullptr;
  TEdit* edtServer = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
};

}  // namespace tess
