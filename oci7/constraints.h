// Integrity constraints beyond what the table definitions carry: the parent key a foreign
// key must find, which foreign key a failed statement broke, and constraints enabled and
// disabled by name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oci7/engine.h"

namespace tess::oci7 {

// Each enabled foreign key among `constraints` (of owner.table, which declares them) must
// refer to an enabled primary or unique key on exactly its columns (ORA-02270), to the
// primary key when it names no columns (ORA-02268), with as many columns as it has
// (ORA-02256).  Fills in the referenced columns of a key that names none.  The table's
// own keys in `constraints` count, for a table that refers to itself.
void CheckForeignKeys(sqlite3* db, const std::string& owner, const std::string& table,
                      std::vector<ConstraintDef>& constraints);

// The foreign key a DML statement broke (SQLite does not say which): the statement runs
// again with the checks deferred, under a savepoint rolled back afterwards, and SQLite is
// asked which rows break which key.  ORA-02291 when rows of `owner.table` (the statement's
// table, unless it deletes) lack a parent, ORA-02292 when rows lost theirs; nullopt when
// that cannot be found out.
std::optional<OraError> ForeignKeyViolation(sqlite3* db, sqlite3_stmt* failed,
                                            const std::string& owner, const std::string& table,
                                            int functionCode);

// ALTER TABLE ... ENABLE | DISABLE CONSTRAINT name | PRIMARY KEY | UNIQUE (columns): the
// table is built again with the keys in their new state (enabling checks the rows: ORA-02293,
// 02296, 02437, 02298 name the constraint, and it stays disabled), and the catalog
// records the state.  Disabling a key that enabled foreign keys refer to needs CASCADE
// (ORA-02297), which disables them too.
void ChangeConstraintStates(Session& s, const std::string& owner, const DdlInfo& d,
                            std::string_view text);

// The error of the first enabled primary or unique key among `constraints` that the rows
// of owner.table break with duplicates (ORA-02437, ORA-02299 naming it); nullopt if none.
std::optional<OraError> DuplicateKeyError(sqlite3* db, const std::string& owner,
                                          const std::string& table,
                                          const std::vector<ConstraintDef>& constraints);

// DROP TABLE ... CASCADE CONSTRAINTS: the foreign keys of other tables that refer to
// owner.table's keys are dropped first (their tables built again without them).
void DropReferencingKeys(Session& s, const std::string& owner, const std::string& table,
                         std::string_view text);

// SQLite's unique indexes let any row with a NULL key column through; Oracle's keys compare
// the other columns, and only rows NULL in every key column never conflict.  Each unique
// index of owner.table on two or more columns (keys' indexes among them) gets a companion
// unique index over the rows NULL in some but not all of its columns, keyed on which are
// NULL and the others' values; companions of indexes gone are dropped.  Rows that already
// break one: ORA-02299 naming the key, or ORA-01452 for an index.
inline constexpr std::string_view kPartlyNullPrefix = "TESS$NULLS$";
void KeepPartlyNullKeys(sqlite3* db, const std::string& owner, const std::string& table);
// The companion index of owner.index, as SQLite names it in statements.
std::string PartlyNullIndexName(const std::string& owner, const std::string& index);

}  // namespace tess::oci7
