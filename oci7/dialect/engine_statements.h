// The statements the engine carries out itself (transaction control, ALTER SESSION, users,
// roles, grants and database links), read by the dialect's parser.  Each function gives
// what the statement says; the engine checks the names against its catalog and the
// privileges, then acts.  Syntax errors are the server's codes at the offending token.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oci7/dialect/dialect.h"

namespace tess::oci7 {

// ROLLBACK [WORK] [TO [SAVEPOINT] name] (an empty savepoint: the whole transaction) and
// SAVEPOINT name.
struct TransactionStatement {
  bool rollback = false;
  std::string savepoint;
};
TransactionStatement ParseTransactionStatement(std::string_view text);

// ALTER SESSION SET name = value [name = value ...]
struct SessionSetting {
  std::string name;
  size_t offset = 0;  // of the name
  Token value;
};
std::vector<SessionSetting> ParseAlterSession(std::string_view text);

// CREATE USER name IDENTIFIED BY pw [DEFAULT TABLESPACE t] [TEMPORARY TABLESPACE t]
// [QUOTA ...]; ALTER USER name ...; DROP USER name [CASCADE].
struct UserStatement {
  std::string verb;  // "CREATE", "ALTER", "DROP"
  std::string name;
  std::optional<std::string> password, defaultTablespace, temporaryTablespace;
  bool cascade = false;
};
UserStatement ParseUserStatement(std::string_view text);

// A name with the offset it was written at, for errors about it.
struct NamedAt {
  std::string name;
  size_t offset = 0;
};

// CREATE ROLE name [NOT IDENTIFIED | IDENTIFIED BY pw]; DROP ROLE name.
struct RoleStatement {
  bool create = false;
  NamedAt role;
  bool password = false;
};
RoleStatement ParseRoleStatement(std::string_view text);

// CREATE [PUBLIC] DATABASE LINK name [CONNECT TO user IDENTIFIED BY pw] [USING 'host'];
// DROP [PUBLIC] DATABASE LINK name.
struct LinkStatement {
  bool create = false;
  bool isPublic = false;
  std::string name, user, password, host;
};
LinkStatement ParseLinkStatement(std::string_view text);

// GRANT privileges [ON [owner.]object] TO grantees [WITH GRANT|ADMIN OPTION];
// REVOKE privileges [ON [owner.]object] FROM grantees [CASCADE CONSTRAINTS].  Privileges
// are upper-case words joined by blanks ("CREATE ANY TABLE"), "ALL PRIVILEGES" is "ALL";
// column lists of UPDATE and REFERENCES are read over.
struct GrantStatement {
  bool grant = false;
  std::vector<std::string> privileges;
  bool onObject = false;
  std::string owner;  // empty: the session user's (or what a synonym names)
  NamedAt object;
  std::vector<NamedAt> grantees;
  bool withOption = false;
};
GrantStatement ParseGrantStatement(std::string_view text);

}  // namespace tess::oci7
