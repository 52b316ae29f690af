// The test control: settings and faults for tests, in the test build of the library only.
#include "oci7/test_control.h"

#include <string>

#include "oci7/dictionary.h"
#include "oci7/engine.h"

using namespace tess::oci7;

extern "C" {

sword tess_oci7_control(LdaDef* lda, const char* command, sb4 value, const char* textValue) {
  if (!command) return kOraMissingMandatoryParameter;
  try {
    std::string cmd = command;
    std::string arg = textValue ? textValue : "";
    if (cmd == "data_dir") {
      SetDataDirectoryOverride(arg);
      return 0;
    }
    if (cmd == "home_dir") {
      SetHomeDirectoryOverride(arg);
      return 0;
    }
    if (cmd == "nonblocking") {
      Session::SetNonBlockingSupported(value != 0);
      return 0;
    }
    if (cmd == "create_database") {
      CreateDatabase(arg);
      return 0;
    }
    if (cmd == "install_extras") {
      InstallExtras(arg);
      return 0;
    }
    if (cmd == "drop_database") {
      DropDatabase(arg);
      return 0;
    }
    std::shared_ptr<Session> s = lda ? FindSession(lda) : nullptr;
    if (!s) return kOraNotLoggedOn;
    if (cmd == "kill") {
      s->Kill();
      return 0;
    }
    if (cmd == "delay") {
      s->SetDelay(value);
      return 0;
    }
    if (cmd == "fail_commit") {
      s->SetFailCommits(value != 0);
      return 0;
    }
    if (cmd == "async_parse") {
      s->SetAsyncParses(value != 0);
      return 0;
    }
    if (cmd == "async_parses_answered") return s->asyncParsesAnswered();
    return kOraUnimplementedFeature;
  } catch (...) {
    return CurrentErrorCode();
  }
}

}  // extern "C"
