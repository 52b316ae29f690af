// A logon as the command line gives it: "user/password@server".
#pragma once

#include <string>

namespace tess {

struct TLogonText {
  std::string UserName;
  std::string Password;
  // Blank: the default database.
  std::string Server;
};

// Splits Text at the first "/" and at the last "@" after it (a password may hold an
// "@", a server name never does); each part trimmed.  False when there is no user name.
bool ParseLogonText(const std::string& Text, TLogonText& Logon);

}  // namespace tess
