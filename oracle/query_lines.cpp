// See query_lines.h.
#include "oracle/query_lines.h"

#include "framework/core/sysutils.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "oracle/sql_text.h"

namespace tess {

void ResetQuery(TyDatabase* Db, TyQuery* Query) {
  Query->Close();
  Query->SetDatabaseName(DatabaseNameOf(Db));
  Query->SQL().Clear();
}

bool OpenLines(TyDatabase* Db, TyQuery* Query, const std::vector<std::string>& Lines) {
  ResetQuery(Db, Query);
  for (const std::string& line : Lines) Query->SQL().Add(line);
  Query->Open();
  return !Query->Eof();
}

std::string Lit(const std::string& S) {
  return DoubleSingleQuotes(S);
}

bool Blank(const std::string& S) {
  return Trim(S).empty();
}

}  // namespace tess
