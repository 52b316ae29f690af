// See ora_ip.h.
#include "oracle/ora_ip.h"

#include "platform/automation.h"
#include "services/exceptions.h"
#include "services/services.h"

namespace tess {

const char* const kOraIpProgId = "OracleInProcServer.XOraSession";

TyOraIp* gOraIp = nullptr;

TyOraIp::TyOraIp() = default;
TyOraIp::TyOraIp(std::shared_ptr<platform::AutomationObject> Session) : session_(std::move(Session)) {}
TyOraIp::~TyOraIp() = default;

void TyOraIp::Initialize() {
  std::shared_ptr<platform::AutomationObject> session;
  switch (platform::CreateAutomationObject(kOraIpProgId, session)) {
    case platform::CreateResult::kCreated:
      session_ = std::move(session);
      break;
    case platform::CreateResult::kNotDispatch:
      ShowErrorMsg("Oracle engine dispatch object not created");
      break;
    case platform::CreateResult::kNotRegistered:
      throw EyIntError("Unable to initialize Oracle connectivity engine");
  }
}

}  // namespace tess
