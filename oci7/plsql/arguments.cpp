// The argument view's rows from parsed headers: one row per argument (and per field of a
// record argument, per element of a PL/SQL table argument), a POSITION 0 row for a
// function's result, one row without a name for a procedure without arguments, and
// OVERLOAD# numbering the subprograms of one name in a package specification.
#include <map>

#include "oci7/plsql/front.h"

namespace tess::oci7::plsql {
namespace {

constexpr int kRecord = 250;
constexpr int kPlsqlTable = 251;

int BuiltinCode(const std::string& name) {
  static const std::map<std::string, int> codes = {
      {"VARCHAR2", 1},
      {"VARCHAR", 1},
      {"STRING", 1},
      {"NVARCHAR2", 1},
      {"NUMBER", 2},
      {"NUMERIC", 2},
      {"DEC", 2},
      {"DECIMAL", 2},
      {"INTEGER", 2},
      {"INT", 2},
      {"SMALLINT", 2},
      {"FLOAT", 2},
      {"REAL", 2},
      {"DOUBLE PRECISION", 2},
      {"BINARY_FLOAT", 2},
      {"BINARY_DOUBLE", 2},
      {"PLS_INTEGER", 3},
      {"SIMPLE_INTEGER", 3},
      {"LONG", 8},
      {"ROWID", 11},
      {"UROWID", 11},
      {"DATE", 12},
      {"RAW", 23},
      {"LONG RAW", 24},
      {"BINARY_INTEGER", 29},
      {"NATURAL", 29},
      {"NATURALN", 29},
      {"POSITIVE", 29},
      {"POSITIVEN", 29},
      {"SIGNTYPE", 29},
      {"CHAR", 96},
      {"CHARACTER", 96},
      {"NCHAR", 96},
      {"MLSLABEL", 106},
      {"SYS_REFCURSOR", 102},
      {"CLOB", 112},
      {"NCLOB", 112},
      {"BLOB", 113},
      {"BFILE", 114},
      {"TIMESTAMP", 180},
      {"TIMESTAMP WITH TIME ZONE", 181},
      {"INTERVAL YEAR TO MONTH", 182},
      {"INTERVAL DAY TO SECOND", 183},
      {"TIMESTAMP WITH LOCAL TIME ZONE", 231},
      {"BOOLEAN", 252},
  };
  auto it = codes.find(name);
  return it == codes.end() ? -1 : it->second;
}

bool HasLength(int code) {
  return code == 1 || code == 96 || code == 23;
}

class TypeReader {
 public:
  TypeReader(const Unit& unit, const TypeResolver& resolver) : unit_(unit), resolver_(resolver) {}

  ResolvedType Read(const TypeSpec& t, int depth = 0) {
    ResolvedType r;
    if (t.empty() || depth > 16) return r;
    if (t.attribute.empty() && t.name.size() == 1) {
      int code = BuiltinCode(t.name[0]);
      if (code >= 0) {
        r.type = code;
        if (t.length && HasLength(code)) r.length = *t.length;
        return r;
      }
    }
    if (t.attribute.empty()) {
      // A type of this package: NAME, or PACKAGE.NAME.
      const Decl* d = nullptr;
      if (t.name.size() == 1) d = Find(t.name[0]);
      if (t.name.size() == 2 && t.name[0] == unit_.name) d = Find(t.name[1]);
      if (d) return FromDecl(*d, depth);
    }
    if (resolver_) {
      if (auto resolved = resolver_(t)) return *resolved;
    }
    if (t.attribute == "ROWTYPE") r.type = kRecord;
    return r;
  }

 private:
  const Decl* Find(const std::string& name) const {
    for (const Decl& d : unit_.decls) {
      if (d.name != name) continue;
      if (d.kind == DeclKind::RecordType || d.kind == DeclKind::TableType ||
          d.kind == DeclKind::VarrayType || d.kind == DeclKind::RefCursorType ||
          d.kind == DeclKind::Subtype)
        return &d;
    }
    return nullptr;
  }

  ResolvedType FromDecl(const Decl& d, int depth) {
    ResolvedType r;
    switch (d.kind) {
      case DeclKind::Subtype:
        return Read(d.type, depth + 1);
      case DeclKind::RefCursorType:
        r.type = 102;
        return r;
      case DeclKind::RecordType:
        r.type = kRecord;
        for (const Field& f : d.fields) {
          ResolvedType ft = Read(f.type, depth + 1);
          r.fields.push_back({f.name, ft.type, ft.length});
        }
        return r;
      case DeclKind::TableType:
      case DeclKind::VarrayType: {
        r.type = d.kind == DeclKind::TableType ? kPlsqlTable : 123;
        ResolvedType element = Read(d.type, depth + 1);
        r.fields.push_back({"", element.type, element.length});
        return r;
      }
      default:
        return r;
    }
  }

  const Unit& unit_;
  const TypeResolver& resolver_;
};

void AddRows(const Subprogram& sp, const std::string& procedure, int overload, TypeReader& types,
             std::vector<ArgumentRow>& out) {
  int sequence = 0;
  auto row = [&](int position, int level, const std::string& name, int type, int length) {
    ArgumentRow r;
    r.procedure = procedure;
    r.overload = overload;
    r.position = position;
    r.sequence = ++sequence;
    r.level = level;
    r.argument = name;
    r.type = type;
    r.length = length;
    out.push_back(r);
    return &out.back();
  };
  // Fields of a record and the element of a table follow their argument one level down.
  auto parts = [&](const ResolvedType& t, int level) {
    int position = 0;
    for (const ResolvedType::FieldType& f : t.fields)
      row(++position, level + 1, f.name, f.type, f.length);
  };
  if (sp.isFunction && sp.returnType) {
    ResolvedType t = types.Read(*sp.returnType);
    ArgumentRow* r = row(0, 0, "", t.type, t.length);
    r->inOut = 1;
    parts(t, 0);
  }
  if (sp.params.empty()) {
    if (!sp.isFunction) row(1, 0, "", 0, 0);
    return;
  }
  int position = 0;
  for (const Param& p : sp.params) {
    ResolvedType t = types.Read(p.type);
    ArgumentRow* r = row(++position, 0, p.name, t.type, t.length);
    r->hasDefault = p.defaultValue != nullptr;
    r->inOut = p.mode == Param::In ? 0 : p.mode == Param::Out ? 1 : 2;
    parts(t, 0);
  }
}

}  // namespace

ResolvedType ResolveArgumentType(const TypeSpec& type, const Unit& unit,
                                 const TypeResolver& resolver) {
  TypeReader reader(unit, resolver);
  return reader.Read(type);
}

std::vector<ArgumentRow> ArgumentRows(const Unit& unit, const TypeResolver& resolver) {
  std::vector<ArgumentRow> rows;
  TypeReader types(unit, resolver);
  if ((unit.kind == UnitKind::Procedure || unit.kind == UnitKind::Function) && unit.subprogram) {
    AddRows(*unit.subprogram, "", 0, types, rows);
    return rows;
  }
  if (unit.kind != UnitKind::Package) return rows;
  std::map<std::string, int> count;
  for (const Decl& d : unit.decls)
    if (d.kind == DeclKind::Subprogram) ++count[d.name];
  std::map<std::string, int> seen;
  for (const Decl& d : unit.decls) {
    if (d.kind != DeclKind::Subprogram || !d.subprogram) continue;
    int overload = count[d.name] > 1 ? ++seen[d.name] : 0;
    AddRows(*d.subprogram, d.name, overload, types, rows);
  }
  return rows;
}

}  // namespace tess::oci7::plsql
