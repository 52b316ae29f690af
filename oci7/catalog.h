// Catalog maintenance: the rows of the engine's catalog tables (TESS$OBJECTS, columns,
// indexes, constraints, views, sequences, synonyms, comments, users) that DDL keeps in
// step with the SQLite schema.  Each routine changes rows only; the caller runs it inside
// the DDL's transaction, so a failure undoes the statement with the rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "oci7/engine.h"

struct sqlite3;

namespace tess::oci7 {

// Tables, views, sequences, synonyms and stored programs share one namespace per owner.
inline constexpr const char* kNamespaceTypes =
    "|TABLE|VIEW|SEQUENCE|SYNONYM|PROCEDURE|FUNCTION|PACKAGE|";

// Whether owner.name exists as one of `types` ("|TABLE|VIEW|").
bool ObjectExists(sqlite3* db, const std::string& owner, const std::string& name,
                  const char* types);
void AddObject(sqlite3* db, const std::string& owner, const std::string& name,
               const std::string& type);
void RemoveObject(sqlite3* db, const std::string& owner, const std::string& name,
                  const std::string& type);
// Sets LAST_DDL_TIME of owner.name to now.
void TouchObject(sqlite3* db, const std::string& owner, const std::string& name);

// The next system-generated constraint name, SYS_Cnnnnn.
std::string NewConstraintName(sqlite3* db);
// Appends (or redefines) columns of a table, numbered after the last one.
void AddColumns(sqlite3* db, const std::string& owner, const std::string& table,
                const std::vector<ColumnDef>& columns);
void AddIndex(sqlite3* db, const std::string& owner, const std::string& name,
              const std::string& tableOwner, const std::string& table, bool unique,
              const std::vector<std::string>& columns);
void RemoveIndex(sqlite3* db, const std::string& owner, const std::string& name);
// Records constraints (named SYS_Cnnnnn when unnamed); a primary or unique key gets its
// index.  ORA-02264 for a name in use.
void AddConstraints(sqlite3* db, const std::string& owner, const std::string& table,
                    const std::vector<ConstraintDef>& constraints);
void RemoveConstraint(sqlite3* db, const std::string& owner, const std::string& name);
// The primary key constraint of a table, if any.
std::optional<std::string> PrimaryKeyOf(sqlite3* db, const std::string& owner,
                                        const std::string& table);
// Whether a foreign key of another table refers to a key of this one.
bool IsReferencedByOthers(sqlite3* db, const std::string& owner, const std::string& table);
// Every catalog row of a dropped table: object, columns, comments, constraints, indexes.
void RemoveTableCatalog(sqlite3* db, const std::string& owner, const std::string& table);

void AddView(sqlite3* db, const std::string& owner, const std::string& name,
             const std::string& text);
void RemoveViewCatalog(sqlite3* db, const std::string& owner, const std::string& name);
// A view's WITH CHECK OPTION or WITH READ ONLY (its constraint of type V or O).
void RemoveViewOptions(sqlite3* db, const std::string& owner, const std::string& name);

// A sequence's definition; nullopt in an update leaves the value as it is.
struct SequenceRow {
  int64_t minValue = 1, maxValue = INT64_MAX, incrementBy = 1;
  bool cycle = false, order = false;
  int64_t cache = 20, lastNumber = 1;
};
void AddSequence(sqlite3* db, const std::string& owner, const std::string& name,
                 const SequenceRow& row);
void UpdateSequence(sqlite3* db, const std::string& owner, const std::string& name,
                    const SequenceOptions& change);
void RemoveSequenceCatalog(sqlite3* db, const std::string& owner, const std::string& name);

void AddSynonym(sqlite3* db, const std::string& owner, const std::string& name,
                const std::string& targetOwner, const std::string& target, const std::string& link);
void RemoveSynonymCatalog(sqlite3* db, const std::string& owner, const std::string& name);

// COMMENT ON TABLE (column empty) or COLUMN.
void SetComment(sqlite3* db, const std::string& owner, const std::string& table,
                const std::string& column, const std::string& text);
// Renames owner.name in every catalog table that names it.
void RenameCatalogObject(sqlite3* db, const std::string& owner, const std::string& name,
                         const std::string& newName);

// Users.
bool UserExists(sqlite3* db, const std::string& name);
bool UserOwnsObjects(sqlite3* db, const std::string& name);
// The tables and views of a user, views first (what must be dropped from SQLite).
std::vector<std::pair<std::string, std::string>> UserTablesAndViews(sqlite3* db,
                                                                    const std::string& name);
void AddUser(sqlite3* db, const std::string& name, const std::string& password,
             const std::string& defaultTablespace, const std::string& temporaryTablespace);
// Changes what is given of a user's password and tablespaces.
void UpdateUser(sqlite3* db, const std::string& name, const std::optional<std::string>& password,
                const std::optional<std::string>& defaultTablespace,
                const std::optional<std::string>& temporaryTablespace);
// Every catalog row owned by, granted to or naming the user, and the user itself.
void RemoveUserCatalog(sqlite3* db, const std::string& name);

}  // namespace tess::oci7
