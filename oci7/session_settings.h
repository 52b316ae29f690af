// ALTER SESSION SET parameters beyond the date format: the language and territory
// settings of the national language support, SQL_TRACE and OPTIMIZER_GOAL.
#pragma once

#include <string>

#include "oci7/engine.h"

namespace tess::oci7 {

// Checks `param` = `value` (the value's token) and gives the text to record for it in
// `recorded`; the caller records it once every setting of the statement has passed.  The
// engine speaks American English only:
// the NLS settings accept the values that keep its text forms as they are (AMERICAN,
// AMERICA, BINARY, GREGORIAN, ".," and "$") and refuse others with ORA-12705, as the
// server does for a language it has no data for.  SQL_TRACE and OPTIMIZER_GOAL are
// accepted and recorded (there is neither a trace nor a choice of optimizer).  False when
// `param` is none of these.
bool CheckSessionSetting(const std::string& param, const Token& value, std::string& recorded);

}  // namespace tess::oci7
