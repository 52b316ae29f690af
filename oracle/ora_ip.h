// The second engine of the session and query objects (engine 0): an automation server
// registered under the ProgID "OracleInProcServer.XOraSession", reached by late binding
// (platform/automation.h) through the process-wide holder gOraIp.
//
// Where no such server can be created (the native build, or a machine where it is not
// registered) Initialize raises "Unable to initialize Oracle connectivity engine"; the
// program's own sessions all use engine 1, the call interface, and never need it.
#pragma once

#include <memory>

#include "framework/core/component.h"

namespace tess {

namespace platform {
class AutomationObject;
}

extern const char* const kOraIpProgId;

class TyOraIp : public TObject {
 public:
  TyOraIp();
  // A holder over a session object made elsewhere (a server reached by other means).
  explicit TyOraIp(std::shared_ptr<platform::AutomationObject> Session);
  ~TyOraIp() override;
  // Creates the session object of the server.  Raises EyIntError "Unable to initialize
  // Oracle connectivity engine" when it cannot be created; shows "Oracle engine dispatch
  // object not created" when what was created is not an automation object.
  void Initialize();
  // Whether the session object exists.
  bool Initialized() const { return session_ != nullptr; }
  // The session object; null until Initialize succeeded.
  platform::AutomationObject* Session() const { return session_.get(); }

 private:
  std::shared_ptr<platform::AutomationObject> session_;
};

// Created by the main window's start-up; null otherwise.
extern TyOraIp* gOraIp;

}  // namespace tess
