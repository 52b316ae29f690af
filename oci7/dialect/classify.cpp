// The statement classifier: the SQL function code from a statement's first words, and
// the bind placeholders it holds.  It never parses further than the words that decide
// the code, so it also serves texts the translator does not handle (PL/SQL, DDL of the
// dictionary).
#include <algorithm>

#include "oci7/dialect/dialect.h"

namespace tess::oci7 {
namespace {

struct Rule {
  const char* words;  // blank-separated upper-case words after the verb ("" = the verb alone)
  int code;
  const char* command;
};

// Longest match first within each verb.
constexpr Rule kCreate[] = {
    {"PUBLIC DATABASE LINK", kFcCreateExternalDatabase, "CREATE DATABASE LINK"},
    {"DATABASE LINK", kFcCreateExternalDatabase, "CREATE DATABASE LINK"},
    {"PUBLIC SYNONYM", kFcCreateSynonym, "CREATE SYNONYM"},
    {"PUBLIC ROLLBACK SEGMENT", kFcCreateRollbackSegment, "CREATE ROLLBACK SEGMENT"},
    {"ROLLBACK SEGMENT", kFcCreateRollbackSegment, "CREATE ROLLBACK SEGMENT"},
    {"PACKAGE BODY", kFcCreatePackageBody, "CREATE PACKAGE BODY"},
    {"SNAPSHOT LOG", kFcCreateSnapshotLog, "CREATE SNAPSHOT LOG"},
    {"UNIQUE INDEX", kFcCreateIndex, "CREATE INDEX"},
    {"BITMAP INDEX", kFcCreateIndex, "CREATE INDEX"},
    {"FORCE VIEW", kFcCreateView, "CREATE VIEW"},
    {"NOFORCE VIEW", kFcCreateView, "CREATE VIEW"},
    {"SCHEMA", kFcCreateSchema, "CREATE SCHEMA"},
    {"CONTROLFILE", kFcCreateControlFile, "CREATE CONTROL FILE"},
    {"TABLE", kFcCreateTable, "CREATE TABLE"},
    {"VIEW", kFcCreateView, "CREATE VIEW"},
    {"INDEX", kFcCreateIndex, "CREATE INDEX"},
    {"SEQUENCE", kFcCreateSequence, "CREATE SEQUENCE"},
    {"SYNONYM", kFcCreateSynonym, "CREATE SYNONYM"},
    {"USER", kFcCreateUser, "CREATE USER"},
    {"ROLE", kFcCreateRole, "CREATE ROLE"},
    {"PROCEDURE", kFcCreateProcedure, "CREATE PROCEDURE"},
    {"FUNCTION", kFcCreateFunction, "CREATE FUNCTION"},
    {"PACKAGE", kFcCreatePackage, "CREATE PACKAGE"},
    {"TRIGGER", kFcCreateTrigger, "CREATE TRIGGER"},
    {"CLUSTER", kFcCreateCluster, "CREATE CLUSTER"},
    {"TABLESPACE", kFcCreateTablespace, "CREATE TABLESPACE"},
    {"DATABASE", kFcCreateDatabase, "CREATE DATABASE"},
    {"PROFILE", kFcCreateProfile, "CREATE PROFILE"},
    {"SNAPSHOT", kFcCreateSnapshot, "CREATE SNAPSHOT"},
};

constexpr Rule kDrop[] = {
    {"PUBLIC DATABASE LINK", kFcDropExternalDatabase, "DROP DATABASE LINK"},
    {"DATABASE LINK", kFcDropExternalDatabase, "DROP DATABASE LINK"},
    {"PUBLIC SYNONYM", kFcDropSynonym, "DROP SYNONYM"},
    {"ROLLBACK SEGMENT", kFcDropRollbackSegment, "DROP ROLLBACK SEGMENT"},
    {"PACKAGE BODY", kFcDropPackageBody, "DROP PACKAGE BODY"},
    {"SNAPSHOT LOG", kFcDropSnapshotLog, "DROP SNAPSHOT LOG"},
    {"TABLE", kFcDropTable, "DROP TABLE"},
    {"VIEW", kFcDropView, "DROP VIEW"},
    {"INDEX", kFcDropIndex, "DROP INDEX"},
    {"SEQUENCE", kFcDropSequence, "DROP SEQUENCE"},
    {"SYNONYM", kFcDropSynonym, "DROP SYNONYM"},
    {"USER", kFcDropUser, "DROP USER"},
    {"ROLE", kFcDropRole, "DROP ROLE"},
    {"PROCEDURE", kFcDropProcedure, "DROP PROCEDURE"},
    {"FUNCTION", kFcDropFunction, "DROP FUNCTION"},
    {"PACKAGE", kFcDropPackage, "DROP PACKAGE"},
    {"TRIGGER", kFcDropTrigger, "DROP TRIGGER"},
    {"CLUSTER", kFcDropCluster, "DROP CLUSTER"},
    {"TABLESPACE", kFcDropTablespace, "DROP TABLESPACE"},
    {"PROFILE", kFcDropProfile, "DROP PROFILE"},
    {"SNAPSHOT", kFcDropSnapshot, "DROP SNAPSHOT"},
};

constexpr Rule kAlter[] = {
    {"ROLLBACK SEGMENT", kFcAlterRollbackSegment, "ALTER ROLLBACK SEGMENT"},
    {"PACKAGE BODY", kFcAlterPackageBody, "ALTER PACKAGE BODY"},
    {"SNAPSHOT LOG", kFcAlterSnapshotLog, "ALTER SNAPSHOT LOG"},
    {"RESOURCE COST", kFcAlterResourceCost, "ALTER RESOURCE COST"},
    {"TABLE", kFcAlterTable, "ALTER TABLE"},
    {"SESSION", kFcAlterSession, "ALTER SESSION"},
    {"USER", kFcAlterUser, "ALTER USER"},
    {"SEQUENCE", kFcAlterSequence, "ALTER SEQUENCE"},
    {"INDEX", kFcAlterIndex, "ALTER INDEX"},
    {"PROCEDURE", kFcAlterProcedure, "ALTER PROCEDURE"},
    {"FUNCTION", kFcAlterFunction, "ALTER FUNCTION"},
    {"PACKAGE", kFcAlterPackage, "ALTER PACKAGE"},
    {"TRIGGER", kFcAlterTrigger, "ALTER TRIGGER"},
    {"DATABASE", kFcAlterDatabase, "ALTER DATABASE"},
    {"TABLESPACE", kFcAlterTablespace, "ALTER TABLESPACE"},
    {"PROFILE", kFcAlterProfile, "ALTER PROFILE"},
    {"ROLE", kFcAlterRole, "ALTER ROLE"},
    {"VIEW", kFcAlterView, "ALTER VIEW"},
    {"SYSTEM", kFcAlterSystemSwitchLog, "ALTER SYSTEM"},
    {"SNAPSHOT", kFcAlterSnapshot, "ALTER SNAPSHOT"},
};

constexpr Rule kSet[] = {
    {"TRANSACTION", kFcSetTransaction, "SET TRANSACTION"},
    {"ROLE", kFcSetRole, "SET ROLE"},
};

constexpr Rule kAnalyze[] = {
    {"TABLE", kFcAnalyzeTable, "ANALYZE TABLE"},
    {"INDEX", kFcAnalyzeIndex, "ANALYZE INDEX"},
    {"CLUSTER", kFcAnalyzeCluster, "ANALYZE CLUSTER"},
};

constexpr Rule kTruncate[] = {
    {"CLUSTER", kFcTruncateCluster, "TRUNCATE CLUSTER"},
    {"TABLE", kFcTruncateTable, "TRUNCATE TABLE"},
};

// Matches the words of `rule` against the word tokens from `pos` on.
bool Matches(const std::vector<Token>& tokens, size_t pos, std::string_view words, size_t* after) {
  size_t p = pos;
  while (!words.empty()) {
    size_t sp = words.find(' ');
    std::string_view w = words.substr(0, sp);
    if (p >= tokens.size() || tokens[p].kind != TokenKind::Word || tokens[p].value != w)
      return false;
    ++p;
    words = sp == std::string_view::npos ? std::string_view() : words.substr(sp + 1);
  }
  *after = p;
  return true;
}

template <size_t N>
bool Apply(const Rule (&rules)[N], const std::vector<Token>& tokens, size_t pos,
           StatementInfo& info) {
  for (const Rule& r : rules) {
    size_t after = 0;
    if (Matches(tokens, pos, r.words, &after)) {
      info.functionCode = r.code;
      info.command = r.command;
      return true;
    }
  }
  return false;
}

}  // namespace

StatementInfo Classify(std::string_view text) {
  return Classify(text, Tokenize(text));
}

StatementInfo Classify(std::string_view /*text*/, const std::vector<Token>& tokens) {
  StatementInfo info;
  size_t p = 0;
  // A query may open with parentheses: "(SELECT ...) UNION (SELECT ...)".
  while (p < tokens.size() && tokens[p].Is("(")) ++p;
  if (p >= tokens.size()) return info;
  info.firstTokenOffset = tokens[0].offset;
  const Token& first = tokens[p];
  const std::string& verb = first.value;
  if (first.Is("<<")) {
    info.functionCode = kFcPlsqlExecute;
  } else if (first.kind != TokenKind::Word) {
    return info;
  } else if (verb == "SELECT" || verb == "WITH") {
    info.functionCode = kFcSelect;
    info.command = "SELECT";
  } else if (verb == "INSERT") {
    info.functionCode = kFcInsert;
    info.command = "INSERT";
  } else if (verb == "UPDATE") {
    info.functionCode = kFcUpdate;
    info.command = "UPDATE";
  } else if (verb == "DELETE") {
    info.functionCode = kFcDelete;
    info.command = "DELETE";
  } else if (verb == "BEGIN" || verb == "DECLARE") {
    info.functionCode = kFcPlsqlExecute;
  } else if (verb == "CREATE") {
    size_t q = p + 1;
    if (q + 1 < tokens.size() && tokens[q].Is("OR") && tokens[q + 1].Is("REPLACE")) q += 2;
    Apply(kCreate, tokens, q, info);
  } else if (verb == "DROP") {
    Apply(kDrop, tokens, p + 1, info);
  } else if (verb == "ALTER") {
    Apply(kAlter, tokens, p + 1, info);
  } else if (verb == "SET") {
    Apply(kSet, tokens, p + 1, info);
  } else if (verb == "ANALYZE") {
    Apply(kAnalyze, tokens, p + 1, info);
  } else if (verb == "TRUNCATE") {
    Apply(kTruncate, tokens, p + 1, info);
  } else if (verb == "VALIDATE") {
    size_t after = 0;
    if (Matches(tokens, p + 1, "INDEX", &after)) {
      info.functionCode = kFcValidateIndex;
      info.command = "VALIDATE INDEX";
    }
  } else {
    static constexpr Rule kSingle[] = {
        {"COMMIT", kFcCommit, "COMMIT"},
        {"ROLLBACK", kFcRollback, "ROLLBACK"},
        {"SAVEPOINT", kFcSavepoint, "SAVEPOINT"},
        {"LOCK", kFcLock, "LOCK TABLE"},
        {"RENAME", kFcRename, "RENAME"},
        {"COMMENT", kFcComment, "COMMENT"},
        {"AUDIT", kFcAudit, "AUDIT"},
        {"NOAUDIT", kFcNoAudit, "NOAUDIT"},
        {"GRANT", kFcGrant, "GRANT"},
        {"REVOKE", kFcRevoke, "REVOKE"},
        {"EXPLAIN", kFcExplain, "EXPLAIN"},
    };
    for (const Rule& r : kSingle) {
      if (verb == r.words) {
        info.functionCode = r.code;
        info.command = r.command;
      }
    }
  }
  const int fc = info.functionCode;
  if (fc == kFcPlsqlExecute) {
    info.command = "PL/SQL EXECUTE";
    info.isPlsqlBlock = true;
  }
  info.isStoredProgram = fc == kFcCreateProcedure || fc == kFcCreateFunction ||
                         fc == kFcCreatePackage || fc == kFcCreatePackageBody ||
                         fc == kFcCreateTrigger;
  info.isQuery = fc == kFcSelect;
  info.isDml = fc == kFcInsert || fc == kFcUpdate || fc == kFcDelete;
  info.isDdl = fc != 0 && !info.isQuery && !info.isDml && fc != kFcPlsqlExecute &&
               fc != kFcAlterSession && fc != kFcAlterSystemSwitchLog && fc != kFcCommit &&
               fc != kFcRollback && fc != kFcSavepoint && fc != kFcSetTransaction &&
               fc != kFcSetRole && fc != kFcLock && fc != kFcExplain && fc != kFcNoop;
  if (!info.isStoredProgram) {
    for (const Token& t : tokens) {
      if (t.kind == TokenKind::Bind &&
          std::find(info.binds.begin(), info.binds.end(), t.value) == info.binds.end()) {
        info.binds.push_back(t.value);
      }
    }
  }
  return info;
}

}  // namespace tess::oci7
