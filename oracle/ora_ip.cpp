// See ora_ip.h.
#include "oracle/ora_ip.h"

#include "services/exceptions.h"

namespace tess {

const char* const kOleEngineNotImplemented =
    "The OLE engine (engine 0) is not implemented: sessions use the Oracle call interface "
    "(engine 1)";

TyOraIp* gOraIp = nullptr;

void TyOraIp::Initialize() {
  throw EyIntError("Unable to initialize Oracle connectivity engine");
}

void RaiseOleEngineNotImplemented() {
  throw EyIntError(kOleEngineNotImplemented);
}

}  // namespace tess
