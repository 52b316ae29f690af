// Small text routines of the shell that the lower layers share.
#pragma once

#include <cstdint>
#include <string>

namespace tess {

class TStrings;

// Object-type code of the schema object model (TABLE 0, VIEW 2, SYNONYM 20, ...).
using TyObjType = uint8_t;

// The trimmed text before the first "." (empty when there is none).  A part in double
// quotes may hold a "." (a quoted name may): the first "." outside quotes counts, and a
// quoted part comes back without its quotes.
std::string ExtractSchemaName(const std::string& QualifiedName);
// The trimmed text after the first "." (the whole trimmed text when there is none), read
// as ExtractSchemaName reads it.
std::string ExtractObjectName(const std::string& QualifiedName);
// Owner + "." + Name, a part that holds a "." or blanks at its ends in double quotes, so that
// ExtractSchemaName and ExtractObjectName give the parts back.
std::string QualifiedName(const std::string& Owner, const std::string& Name);
// S repeated Count times; empty when Count < 1 or S is empty.
std::string ReplicateStr(const std::string& S, int Count);
// Deletes lines from the end while they are empty after trimming.
void DeleteTrailingBlankLines(TStrings& Strings);
// TABLE 0, VIEW 2, SYNONYM 20, any other word 31.
TyObjType ObjectTypeFromName(const std::string& TypeName);

}  // namespace tess
