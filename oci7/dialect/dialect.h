// The Oracle dialect of the client library: the SQL tokenizer, the statement classifier,
// the Oracle -> SQLite translator, the Oracle SQL functions registered into SQLite, the
// mapping between Oracle column types and SQLite declared types, and Oracle's text forms
// of numbers and dates.
//
// Storage conventions shared with the engine:
//   - a schema object OWNER.NAME is the SQLite object "OWNER.NAME" (one quoted identifier;
//     see PhysicalKey for owners holding a ".");
//   - column names are Oracle's (unquoted identifiers upper-cased);
//   - a DATE value is stored as the text 'YYYY-MM-DD HH24:MI:SS';
//   - RAW and LONG RAW values are blobs; VARCHAR2, CHAR, LONG are text kept exactly.
// Every failure is thrown as OraError with Oracle's code and wording; parse errors carry
// the byte offset into the caller's original text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oci7/dialect/ora_error.h"

struct sqlite3;

namespace tess::oci7 {

// ---------------------------------------------------------------------------------------
// Tokens

enum class TokenKind : uint8_t {
  Word,              // identifier or keyword; value upper-cased (# $ _ allowed after the first)
  QuotedIdentifier,  // "Name"; value as written, without the quotes
  String,            // 'it''s', N'x', q'[x]'; value is the content with '' undoubled
  Number,            // 12, 1.5, .5, 1E-3; value as written
  Bind,              // :name, :1, :"Name"; value upper-cased (quoted: as written), no colon
  Operator,          // punctuation and operators, longest match: := => || ** .. <= >= <> != ^=
                     // ~= << >> (+) is three tokens
};

struct Token {
  TokenKind kind = TokenKind::Operator;
  size_t offset = 0;  // byte offset of the token's first character in the original text
  size_t length = 0;  // bytes the token takes in the original text
  std::string value;

  // True for a Word whose upper-cased value is `upperWord`, or an Operator with that text.
  bool Is(std::string_view upperWord) const {
    return (kind == TokenKind::Word || kind == TokenKind::Operator) && value == upperWord;
  }
};

// Splits Oracle SQL or PL/SQL text into tokens.  Comments (-- to end of line, /* */) and
// blanks (including CR LF) are skipped; offsets stay those of the original text.
// Throws ORA-01756 (unterminated string), ORA-01740 (unterminated quoted identifier),
// ORA-01742 (unterminated comment) at the offset where the construct starts.
std::vector<Token> Tokenize(std::string_view text);

// ---------------------------------------------------------------------------------------
// Oracle SQL function codes (the SQL function type the call interface reports).

enum SqlFunctionCode : int {
  kFcCreateTable = 1,
  kFcSetRole = 2,
  kFcInsert = 3,
  kFcSelect = 4,
  kFcUpdate = 5,
  kFcDropRole = 6,
  kFcDropView = 7,
  kFcDropTable = 8,
  kFcDelete = 9,
  kFcCreateView = 10,
  kFcDropUser = 11,
  kFcCreateRole = 12,
  kFcCreateSequence = 13,
  kFcAlterSequence = 14,
  kFcDropSequence = 16,
  kFcCreateSchema = 17,
  kFcCreateCluster = 18,
  kFcCreateUser = 19,
  kFcCreateIndex = 20,
  kFcDropIndex = 21,
  kFcDropCluster = 22,
  kFcValidateIndex = 23,
  kFcCreateProcedure = 24,
  kFcAlterProcedure = 25,
  kFcAlterTable = 26,
  kFcExplain = 27,
  kFcGrant = 28,
  kFcRevoke = 29,
  kFcCreateSynonym = 30,
  kFcDropSynonym = 31,
  kFcAlterSystemSwitchLog = 32,
  kFcSetTransaction = 33,
  kFcPlsqlExecute = 34,
  kFcLock = 35,
  kFcNoop = 36,
  kFcRename = 37,
  kFcComment = 38,
  kFcAudit = 39,
  kFcNoAudit = 40,
  kFcAlterIndex = 41,
  kFcCreateExternalDatabase = 42,
  kFcDropExternalDatabase = 43,
  kFcCreateDatabase = 44,
  kFcAlterDatabase = 45,
  kFcCreateRollbackSegment = 46,
  kFcAlterRollbackSegment = 47,
  kFcDropRollbackSegment = 48,
  kFcCreateTablespace = 49,
  kFcAlterTablespace = 50,
  kFcDropTablespace = 51,
  kFcAlterSession = 52,
  kFcAlterUser = 53,
  kFcCommit = 54,
  kFcRollback = 55,
  kFcSavepoint = 56,
  kFcCreateControlFile = 57,
  kFcAlterTracing = 58,
  kFcCreateTrigger = 59,
  kFcAlterTrigger = 60,
  kFcDropTrigger = 61,
  kFcAnalyzeTable = 62,
  kFcAnalyzeIndex = 63,
  kFcAnalyzeCluster = 64,
  kFcCreateProfile = 65,
  kFcDropProfile = 66,
  kFcAlterProfile = 67,
  kFcDropProcedure = 68,
  kFcAlterResourceCost = 70,
  kFcCreateSnapshotLog = 71,
  kFcAlterSnapshotLog = 72,
  kFcDropSnapshotLog = 73,
  kFcCreateSnapshot = 74,
  kFcAlterSnapshot = 75,
  kFcDropSnapshot = 76,
  kFcAlterRole = 79,
  kFcTruncateTable = 85,
  kFcTruncateCluster = 86,
  kFcAlterView = 88,
  kFcCreateFunction = 91,
  kFcAlterFunction = 92,
  kFcDropFunction = 93,
  kFcCreatePackage = 94,
  kFcAlterPackage = 95,
  kFcDropPackage = 96,
  kFcCreatePackageBody = 97,
  kFcAlterPackageBody = 98,
  kFcDropPackageBody = 99,
};

struct StatementInfo {
  int functionCode = 0;          // 0: not a statement Oracle knows (the parse answers ORA-00900)
  std::string command;           // "CREATE TABLE", "SELECT", "PL/SQL EXECUTE", ...
  bool isPlsqlBlock = false;     // DECLARE / BEGIN / <<label>> block (function code 34)
  bool isStoredProgram = false;  // CREATE [OR REPLACE] PROCEDURE/FUNCTION/PACKAGE/TRIGGER
  bool isDdl = false;            // commits before and after, as Oracle does
  bool isDml = false;            // INSERT, UPDATE, DELETE
  bool isQuery = false;          // SELECT (function code 4)
  // Distinct bind names in order of first appearance (upper-cased, no colon; ":1" is
  // "1").  Empty for stored program texts, whose :NEW/:OLD are not binds.
  std::vector<std::string> binds;
  size_t firstTokenOffset = 0;  // where the statement's first word starts
};

// Classifies a statement from its first words; never throws for well-tokenized text
// (an unknown statement gives function code 0).  Tokenizer errors are thrown.
StatementInfo Classify(std::string_view text);
StatementInfo Classify(std::string_view text, const std::vector<Token>& tokens);

// ---------------------------------------------------------------------------------------
// Column types

enum OracleTypeCode : int {
  kTypeUnknown = 0,  // as a select-list hint: take it from the column's declared type
  kTypeVarchar2 = 1,
  kTypeNumber = 2,
  kTypeLong = 8,
  kTypeRowid = 11,
  kTypeDate = 12,
  kTypeRaw = 23,
  kTypeLongRaw = 24,
  kTypeChar = 96,
  kTypeMlslabel = 106,
};

struct OracleType {
  int code = kTypeUnknown;
  int size = 0;       // bytes: VARCHAR2/CHAR/RAW declared length, NUMBER 22, DATE 7, ROWID 6
  int precision = 0;  // NUMBER(p,s): p; 0 when not given (FLOAT: 126)
  int scale = 0;      // NUMBER(p,s): s; may be negative (FLOAT: -127)
};

// Reads back a type written by DeclaredTypeFor (and plain SQLite types such as TEXT,
// INTEGER, REAL, BLOB); nullptr or "" gives code 0.
OracleType OracleTypeFromDeclared(const char* declaredType);

// The SQLite declared type for an Oracle type: readable back by OracleTypeFromDeclared
// and giving SQLite the right affinity (text kept exactly, numbers numeric, raw as blob).
std::string DeclaredTypeFor(const OracleType& type);

// Oracle's dictionary name of a type: "VARCHAR2", "NUMBER", "DATE", "LONG RAW", ...
std::string OracleTypeName(const OracleType& type);

// The widest text form of a value of the type (describe's display size); DATE uses the
// session date format.  NUMBER gives 40, LONG and LONG RAW give 0.
int DisplaySize(const OracleType& type, std::string_view dateFormat = "DD-MON-YY");

// ---------------------------------------------------------------------------------------
// Value text forms

// Oracle's text form of a number: ".5", "-1", "100", "1.0E+40" for very large or small
// magnitudes (as Oracle prints them in a 40-character field), up to 38 significant digits.
std::string FormatOracleNumber(double value);
std::string FormatOracleNumber(int64_t value);

// Oracle's implicit text -> number conversion (blanks around, sign, digits, point,
// exponent).  nullopt when the text is not a number (Oracle: ORA-01722).
std::optional<double> ParseOracleNumber(std::string_view text);

// True when `text` is a stored DATE value 'YYYY-MM-DD HH24:MI:SS'.
bool IsStoredDate(std::string_view text);

// A stored DATE value in a date format model (DD MM MON MONTH YY YYYY RR RRRR HH HH12
// HH24 MI SS SSSSS AM PM A.M. P.M. J D DD DDD DY DAY, punctuation, "quoted text", FM).
// Throws ORA-01821 for a format it does not know, ORA-01858.. for a value that is no date.
std::string FormatOracleDate(std::string_view storedDate, std::string_view format);

// Text in a date format model -> the stored form.  Throws Oracle's errors (ORA-01830
// "date format picture ends before converting entire input string", ORA-01843 "not a
// valid month", ORA-01847, ORA-01858, ORA-01861, ...).
std::string ParseOracleDate(std::string_view text, std::string_view format);

// Checks a date format model; throws ORA-01821 "date format not recognized".
void ValidateDateFormat(std::string_view format);

// The session's default date format.
inline constexpr std::string_view kDefaultDateFormat = "DD-MON-YY";

// ---------------------------------------------------------------------------------------
// The translator

// A name as written in the statement.
struct ObjectRef {
  std::string owner;  // "" when not written
  std::string name;
  std::string link;  // "" unless name@link was written
  int offset = 0;    // byte offset of the name's first token in the original text
};

// What a name stands for, after synonyms.  objectType is Oracle's word: "TABLE", "VIEW",
// "SEQUENCE", "SYNONYM", "PROCEDURE", ...  The SQLite object is "OWNER.NAME".
struct ResolvedObject {
  std::string owner;
  std::string name;
  std::string objectType;
};

struct ColumnInfo {
  std::string name;  // Oracle's column name
  OracleType type;
  bool nullable = true;
};

// A view's definition, for INSERT, UPDATE and DELETE through it.
struct ViewSource {
  std::string query;                 // as written
  std::vector<std::string> columns;  // the view's column names, in order
  char option = 0;                   // 'V' WITH CHECK OPTION, 'O' WITH READ ONLY
  // Resolves a name of the view's query as the view's owner does: a view's rights are its
  // owner's.
  std::function<std::optional<ResolvedObject>(const ObjectRef&)> resolve;
};

struct TranslateContext {
  // Resolves a table, view or sequence name; nullopt = not found (the translator answers
  // ORA-00942 at the name, or ORA-02289 for a sequence).  May throw OraError, e.g.
  // ORA-02019 for a database link it does not know.  When empty, OWNER.NAME resolves to
  // itself and a bare NAME to currentUser.NAME, as a TABLE.
  std::function<std::optional<ResolvedObject>(const ObjectRef&)> resolve;
  // The columns of a resolved table or view, in order; nullopt when unknown.  Gives the
  // translator the column types (date arithmetic, implicit conversions, type hints) and
  // the expansion of * and t.*.  When empty, * is left to SQLite.
  std::function<std::optional<std::vector<ColumnInfo>>(const ResolvedObject&)> columns;
  // PL/SQL: true when an unqualified identifier is a variable of the running block; it
  // then becomes a bind (see Translation::variableBinds).
  std::function<bool(const std::string& upperName)> isVariable;
  // PL/SQL: the Oracle type code of such a variable (0 when it is not known), so that it
  // meets other values in comparisons as a value of its type does.
  std::function<int(const std::string& upperName)> variableType;
  // The schema of unqualified names in CREATE/DROP and for the default resolver.
  std::string currentUser;
  // Names a constraint declared without a name (the engine's SYS_Cnnnnn), so that the
  // name is the same in the SQLite text and in DdlInfo::constraints.  When empty such
  // constraints stay unnamed.
  std::function<std::string()> nameConstraint;
  // The definition of a view an INSERT, UPDATE or DELETE names (nullopt: not known).  The
  // statement is then carried out on the view's table when the view is a simple one.
  // When empty, such statements answer ORA-01732.
  std::function<std::optional<ViewSource>(const ResolvedObject& view)> viewSource;
  // The session's date format: how wide a date turned to text in a select-list item is.
  std::string dateFormat = "DD-MON-YY";
};

// A column of CREATE TABLE or ALTER TABLE ADD/MODIFY.
struct ColumnDef {
  std::string name;
  OracleType type;
  bool nullable = true;
  std::string defaultText;  // the DEFAULT expression as written in the original, or ""
};

// A constraint of CREATE TABLE or ALTER TABLE ADD.
struct ConstraintDef {
  std::string name;  // as given, or "" (the engine names it SYS_Cnnnnn)
  char type = 'C';   // 'P' primary key, 'U' unique, 'R' foreign key, 'C' check / not null
  std::vector<std::string> columns;
  std::string refOwner, refTable;  // 'R': the referenced table (resolved)
  std::vector<std::string> refColumns;
  bool deleteCascade = false;
  std::string searchCondition;  // 'C': as written ("ENAME IS NOT NULL" for NOT NULL)
  bool disabled = false;        // declared DISABLE: recorded in the catalog, not enforced
};

struct SequenceOptions {
  std::optional<int64_t> startWith, incrementBy, minValue, maxValue, cache;
  std::optional<bool> cycle, order;
};

// What a DDL or other non-query statement names, for the engine's catalog.
struct DdlInfo {
  std::string verb;         // "CREATE", "DROP", "ALTER", "TRUNCATE", "COMMENT", "LOCK", "RENAME"
  std::string objectType;   // "TABLE", "VIEW", "INDEX", "SEQUENCE", "SYNONYM", "COLUMN"
  std::string owner, name;  // the object itself (owner defaults to currentUser)
  bool orReplace = false;
  bool isPublic = false;            // PUBLIC SYNONYM (owner "PUBLIC")
  bool unique = false;              // UNIQUE INDEX
  bool cascadeConstraints = false;  // DROP TABLE ... CASCADE CONSTRAINTS
  // The other object: a synonym's target, an index's table, a commented table or
  // column's table, a locked table, RENAME's new name.
  std::string targetOwner, targetName, targetLink;
  std::string targetColumn;               // COMMENT ON COLUMN t.c
  std::string text;                       // COMMENT's text; a view's query as written; LOCK's mode
  std::vector<std::string> indexColumns;  // CREATE INDEX / view column list
  std::vector<ColumnDef> columns;         // CREATE TABLE, ALTER TABLE ADD/MODIFY
  std::vector<ConstraintDef> constraints;
  SequenceOptions sequence;
  std::string alterAction;  // ALTER TABLE: "ADD", "MODIFY", "DROP CONSTRAINT", "RENAME"
};

class OffsetMap {
 public:
  // Records that translated text from `translated` on came from the original at
  // `original` on (in step, byte for byte, until the next record).
  void Add(size_t translated, size_t original);
  size_t OriginalOffset(size_t translatedOffset) const;
  bool empty() const { return points_.empty(); }
  // This map's original offsets taken on through `outer` (whose translated text is this
  // map's original).
  void Through(const OffsetMap& outer);

 private:
  std::vector<std::pair<size_t, size_t>> points_;  // sorted by translated offset
};

struct Translation {
  // The SQLite text; empty for statements the engine carries out itself (sequence,
  // synonym, comment, lock).  May hold several statements separated by ";" (ALTER TABLE
  // ADD of several columns): run them in order through the tail of sqlite3_prepare.
  std::string sql;
  int functionCode = 0;
  StatementInfo info;
  // Distinct placeholders in order of first appearance; entry i is written ?i+1 in sql.
  std::vector<std::string> binds;
  // Parallel to binds: true where the entry is a PL/SQL variable (TranslateContext::
  // isVariable) rather than a :placeholder.
  std::vector<bool> variableBinds;
  // One per select-list item (after * expansion): the Oracle type code of the value, or
  // 0 = take it from sqlite3_column_decltype().
  std::vector<int> columnTypeHints;
  // Parallel to columnTypeHints: the widest text of an item whose hint is a text type (its
  // size and display size), 0 when not known.
  std::vector<int> columnSizeHints;
  std::vector<std::string> columnNames;  // the names Oracle gives the select-list items
  // SELECT ... INTO a, :b (PL/SQL): the targets, upper-cased; binds keep their colon.
  std::vector<std::string> selectInto;
  DdlInfo ddl;
  // INSERT, UPDATE and DELETE: the table the statement changes, and the views named on
  // the way to it (the one written first), each a simple view of the next.
  ResolvedObject dmlTable;
  std::vector<ResolvedObject> dmlViews;
  // Through views: the statement as written on the table (Oracle SQL), and the objects the
  // views' own text named there, resolved with their owners' rights.
  std::string dmlText;
  std::vector<ResolvedObject> viewObjects;
  // Views WITH CHECK OPTION on the way: for each, a query on the table giving a row (by
  // :TESS$ROWID) when the view shows it.  A changed row each finds nothing breaks the option.
  std::vector<std::string> viewChecks;
  OffsetMap offsets;

  size_t OriginalOffset(size_t translatedOffset) const {
    return offsets.OriginalOffset(translatedOffset);
  }
};

// Translates one SQL statement (no trailing ";" needed; one is allowed).  PL/SQL blocks,
// COMMIT/ROLLBACK/SAVEPOINT, ALTER SESSION and user statements are the engine's: they
// come back with their function code, binds and an empty sql.
Translation Translate(std::string_view text, const TranslateContext& context);

// Translates an expression (PL/SQL right-hand sides, conditions) into a SQLite expression.
// columnTypeHints holds the one type of the result.
Translation TranslateExpression(std::string_view text, const TranslateContext& context);

// ---------------------------------------------------------------------------------------
// Functions registered into SQLite

struct FunctionContext {
  std::string userName;                                      // USER
  int uid = 0;                                               // UID
  std::string dateFormat = std::string(kDefaultDateFormat);  // NLS_DATE_FORMAT
  // SYSDATE as a stored date; empty = the local clock.
  std::string fixedSysdate;
  // Sequences: the next / current value of OWNER.NAME.  May throw OraError (ORA-08002
  // for CURRVAL before NEXTVAL, ORA-08004 past MAXVALUE).
  std::function<int64_t(const std::string& owner, const std::string& name)> nextval;
  std::function<int64_t(const std::string& owner, const std::string& name)> currval;
};

// Registers the Oracle functions the translator's output calls, and the ORA$PAD collation
// its blank-padded comparisons name.  The context must outlive the connection; its fields
// may change between statements.  Returns SQLITE_OK or the SQLite error code.  Function
// failures come back from sqlite3_step as SQLite errors whose message is "ORA-nnnnn: text"
// (read it with OraErrorFromMessage).
int RegisterOracleFunctions(sqlite3* db, FunctionContext* context);

// The columns of a SQLite table or view, typed through OracleTypeFromDeclared: a ready
// TranslateContext::columns for the engine.
std::optional<std::vector<ColumnInfo>> ColumnsFromSqlite(sqlite3* db, const ResolvedObject& object);

// The SQLite name of a schema object, unquoted: OWNER.NAME, or, for an owner that holds a
// "." (a quoted name may) or is empty, ".LENGTH.OWNER.NAME", so that no two objects share
// one.  SplitPhysicalKey reads it back (nullopt for a name that is no such key).
std::string PhysicalKey(std::string_view owner, std::string_view name);
std::optional<std::pair<std::string, std::string>> SplitPhysicalKey(std::string_view key);
// The SQLite identifier of a schema object: its PhysicalKey in double quotes.
std::string PhysicalName(std::string_view owner, std::string_view name);

}  // namespace tess::oci7
