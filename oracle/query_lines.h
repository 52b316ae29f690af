// Statements written line by line into a query bound to a session: the plumbing that the
// dictionary routines, the caches and the statement services share.
#pragma once

#include <string>
#include <vector>

namespace tess {

class TyDatabase;
class TyQuery;

// Readies Query for a new statement on Db's session: closed, bound to the session by its
// label, its text empty.
void ResetQuery(TyDatabase* Db, TyQuery* Query);
// ResetQuery, then Lines as the statement's text, then Open.  True when a row came back.
bool OpenLines(TyDatabase* Db, TyQuery* Query, const std::vector<std::string>& Lines);

// A name as the inside of an SQL string literal.
std::string Lit(const std::string& S);
// Nothing but blanks.
bool Blank(const std::string& S);

}  // namespace tess
