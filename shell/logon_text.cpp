// See logon_text.h.
#include "shell/logon_text.h"

#include "framework/core/sysutils.h"

namespace tess {

bool ParseLogonText(const std::string& Text, TLogonText& Logon) {
  Logon = {};
  std::string rest = Text;
  const size_t at = rest.rfind('@');
  const size_t slash = rest.find('/');
  if (at != std::string::npos && (slash == std::string::npos || at > slash)) {
    Logon.Server = Trim(rest.substr(at + 1));
    rest.resize(at);
  }
  if (slash != std::string::npos) {
    Logon.Password = Trim(rest.substr(slash + 1));
    rest.resize(slash);
  }
  Logon.UserName = Trim(rest);
  return !Logon.UserName.empty();
}

}  // namespace tess
