// The DDL executor: statements that change the schema, each run between the commits
// Oracle makes before and after DDL, with the catalog kept in step (catalog.h) and the
// server's privilege checks made first.
#pragma once

#include <string_view>

#include "oci7/engine.h"

namespace tess::oci7 {

// Runs every statement of a translated text (several are separated by ";"); a failure
// carries the offset into the caller's original text.
void RunScript(Session& s, const Translation& tr, int functionCode);

// CREATE/DROP/ALTER of tables, views, indexes, sequences and synonyms; TRUNCATE, COMMENT
// and RENAME.  `text` is the caller's statement.
void ExecuteDdl(Session& s, const Translation& tr, std::string_view text, int functionCode);
// CREATE, ALTER and DROP USER (DBA only).
void ExecuteUserDdl(Session& s, std::string_view text);
// CREATE/ALTER/DROP of procedures, functions, packages, triggers; ALTER VIEW ... COMPILE.
void ExecuteStoredDdl(Session& s, std::string_view text, int functionCode);

}  // namespace tess::oci7
