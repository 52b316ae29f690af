// See text_routines.h.
#include "services/text_routines.h"

#include "framework/core/strings.h"
#include "framework/core/sysutils.h"

namespace tess {

namespace {

// The first "." outside double quotes; npos when there is none.
size_t SchemaDot(const std::string& QualifiedName) {
  bool quoted = false;
  for (size_t i = 0; i < QualifiedName.size(); ++i) {
    if (QualifiedName[i] == '"') quoted = !quoted;
    if (QualifiedName[i] == '.' && !quoted) return i;
  }
  return std::string::npos;
}

// A part trimmed, and without its quotes when it is quoted.
std::string Part(const std::string& Text) {
  std::string t = Trim(Text);
  if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
  return t;
}

std::string Quoted(const std::string& Name) {
  bool plain = Name.find('.') == std::string::npos && Trim(Name) == Name;
  return plain ? Name : "\"" + Name + "\"";
}

}  // namespace

std::string ExtractSchemaName(const std::string& QualifiedName) {
  size_t p = SchemaDot(QualifiedName);
  return p == std::string::npos ? std::string() : Part(QualifiedName.substr(0, p));
}

std::string ExtractObjectName(const std::string& QualifiedName) {
  size_t p = SchemaDot(QualifiedName);
  return Part(p == std::string::npos ? QualifiedName : QualifiedName.substr(p + 1));
}

std::string QualifiedName(const std::string& Owner, const std::string& Name) {
  return Quoted(Owner) + "." + Quoted(Name);
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
