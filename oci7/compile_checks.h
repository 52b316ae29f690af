// What the dictionary decides when a PL/SQL unit is compiled: the tables, views and columns
// its embedded SQL names must be there (the server resolves them at compile time, so a
// unit naming a missing table or column is not run at all, and a stored one is kept
// INVALID).
#pragma once

#include <string>

#include "oci7/engine.h"
#include "oci7/plsql/front.h"

namespace tess::oci7 {

// The check of Environment::checkSql for units resolved in `schema`'s name space with
// `rights`: the objects must be there for them, and a change needs its privilege.
decltype(plsql::Environment::checkSql) SqlNameCheck(Session& s, const std::string& schema,
                                                    Rights rights);

}  // namespace tess::oci7
