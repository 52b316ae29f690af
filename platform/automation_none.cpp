// See automation.h: a platform without OLE automation creates nothing.
#include "platform/automation.h"

namespace tess::platform {

CreateResult CreateAutomationObject(const std::string&, std::shared_ptr<AutomationObject>& Object) {
  Object.reset();
  return CreateResult::kNotRegistered;
}

}  // namespace tess::platform
