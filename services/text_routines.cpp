// See text_routines.h.
#include "services/text_routines.h"

#include "framework/core/strings.h"
#include "framework/core/sysutils.h"

namespace tess {

std::string ExtractSchemaName(const std::string& QualifiedName) {
  size_t p = QualifiedName.find('.');
  return p == std::string::npos ? std::string() : Trim(QualifiedName.substr(0, p));
}

std::string ExtractObjectName(const std::string& QualifiedName) {
  size_t p = QualifiedName.find('.');
  return Trim(p == std::string::npos ? QualifiedName : QualifiedName.substr(p + 1));
}

std::string ReplicateStr(const std::string& S, int Count) {
  std::string r;
  if (Count < 1 || S.empty()) return r;
  r.reserve(S.size() * static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) r += S;
  return r;
}

void DeleteTrailingBlankLines(TStrings& Strings) {
  while (Strings.Count() > 0 && Trim(Strings.Strings(Strings.Count() - 1)).empty())
    Strings.Delete(Strings.Count() - 1);
}

TyObjType ObjectTypeFromName(const std::string& TypeName) {
  if (TypeName == "TABLE") return 0;
  if (TypeName == "VIEW") return 2;
  if (TypeName == "SYNONYM") return 20;
  return 31;
}

}  // namespace tess
