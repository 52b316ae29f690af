// Oracle's message texts for the codes the library raises, and the OraError helpers.
#include "oci7/dialect/ora_error.h"

#include "oci7/ora_codes.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace tess::oci7 {
namespace {

struct Message {
  int code;
  const char* text;
};

// Sorted by code; "%s" marks the place of the parameter.
constexpr Message kMessages[] = {
    {kOraUniqueConstraintViolated, "unique constraint (%s) violated"},
    {kOraSessionKilled, "your session has been killed"},
    {kOraRecursiveSqlLevelsExceeded, "maximum number of recursive SQL levels (%s) exceeded"},
    {kOraResourceBusy, "resource busy and acquire with NOWAIT specified"},
    {kOraDeadlock, "deadlock detected while waiting for resource"},
    {kOraInternalError, "internal error code, arguments: [%s]"},
    {kOraInvalidSqlStatement, "invalid SQL statement"},
    {kOraInvalidCreateCommand, "invalid CREATE command"},
    {kOraInvalidDatatype, "invalid datatype"},
    {kOraInvalidTableName, "invalid table name"},
    {kOraInvalidIdentifier, "invalid column name"},
    {kOraMissingKeyword, "missing keyword"},
    {kOraMissingLeftParenthesis, "missing left parenthesis"},
    {kOraMissingRightParenthesis, "missing right parenthesis"},
    {kOraMissingNullKeyword, "missing NULL keyword"},
    {kOraInvalidNumberArguments, "invalid number of arguments"},
    {kOraSpecifiedLengthTooLong, "specified length too long for its datatype"},
    {kOraInvalidCharacter, "invalid character"},
    {kOraTooManyValues, "too many values"},
    {kOraMissingComma, "missing comma"},
    {kOraColumnAmbiguouslyDefined, "column ambiguously defined"},
    {kOraInvalidRelationalOperator, "invalid relational operator"},
    {kOraUnexpectedEndSqlCommand, "unexpected end of SQL command"},
    {kOraMissingInvalidOption, "missing or invalid option"},
    {kOraFromKeywordNotFound, "FROM keyword not found where expected"},
    {kOraMissingByKeyword, "missing BY keyword"},
    {kOraMissingIntoKeyword, "missing INTO keyword"},
    {kOraMissingValuesKeyword, "missing VALUES keyword"},
    {kOraMissingEqualSign, "missing equal sign"},
    {kOraMissingSelectKeyword, "missing SELECT keyword"},
    {kOraMissingIdentifier, "missing identifier"},
    {kOraInconsistentDatatypes, "inconsistent datatypes"},
    {kOraSqlCommandNotProperly, "SQL command not properly ended"},
    {kOraGroupFunctionNotAllowed, "group function is not allowed here"},
    {kOraMissingExpression, "missing expression"},
    {kOraNotSingleGroupGroup, "not a single-group group function"},
    {kOraNotEnoughArgumentsFunction, "not enough arguments for function"},
    {kOraTooManyArgumentsFunction, "too many arguments for function"},
    {kOraTableOrViewDoesNotExist, "table or view does not exist"},
    {kOraNotEnoughValues, "not enough values"},
    {kOraInvalidDropOption, "invalid DROP option"},
    {kOraNameAlreadyUsed, "name is already used by an existing object"},
    {kOraDuplicateColumnName, "duplicate column name"},
    {kOraAmbiguousColumnNamingSelect, "ambiguous column naming in select list"},
    {kOraTableNameNotList, "table name not in FROM list"},
    {kOraColumnAliasesNotAllowed, "column aliases not allowed for '*'"},
    {kOraMissingOnKeyword, "missing ON keyword"},
    {kOraMissingWithKeyword, "missing WITH keyword"},
    {kOraMissingSetKeyword, "missing SET keyword"},
    {kOraIdentifierTooLong, "identifier is too long"},
    {kOraDatePlusDateNotAllowed, "date + date not allowed"},
    {kOraNotGroupExpression, "not a GROUP BY expression"},
    {kOraSynonymTranslationNoLonger, "synonym translation is no longer valid"},
    {kOraMissingInvalidUsername, "missing or invalid username(s)"},
    {kOraMissingInvalidPassword, "missing or invalid password(s)"},
    {kOraMissingInvalidPrivilege, "missing or invalid privilege"},
    {kOraIllegalUseLongDatatype, "illegal use of LONG datatype"},
    {kOraNameExpressionColumnAlias, "must name this expression with a column alias"},
    {kOraMaximumOpenCursorsExceeded, "maximum open cursors exceeded"},
    {kOraInvalidCursor, "invalid cursor"},
    {kOraFetchOutSequence, "fetch out of sequence"},
    {kOraNoStatementParsed, "no statement parsed"},
    {kOraNullPassword, "null password given; logon denied"},
    {kOraNotInSelectList, "variable not in select list"},
    {kOraNotAllVariablesBound, "not all variables bound"},
    {kOraMissingMandatoryParameter, "missing mandatory parameter"},
    {kOraNotLoggedOn, "not logged on"},
    {kOraCancelled, "user requested cancel of current operation"},
    {kOraInvalidLogon, "invalid username/password; logon denied"},
    {kOraBindVariablesNotAllowedForDdl, "bind variables not allowed for data definition operations"},
    {kOraInsufficientPrivileges, "insufficient privileges"},
    {kOraIllegalVariableNameNumber, "illegal variable name/number"},
    {kOraNoCreateSessionPrivilege, "user %s lacks CREATE SESSION privilege; logon denied"},
    {kOraSavepointNeverEstablished, "savepoint '%s' never established"},
    {kOraIoErrorReadingBlock, "IO error reading block from file %s"},
    {kOraCannotInsertNull, "mandatory (NOT NULL) column is missing or NULL during insert"},
    {kOraInsertedValueTooLarge, "inserted value too large for column"},
    {kOraViewCheckOptionWhere, "view WITH CHECK OPTION where-clause violation"},
    {kOraNoDataFound, "no data found"},
    {kOraValueIsNull, "fetched column value is NULL"},
    {kOraValueTruncated, "fetched column value was truncated"},
    {kOraCannotUpdateToNull, "cannot update mandatory (NOT NULL) column to NULL"},
    {kOraInvalidRowid, "invalid ROWID"},
    {kOraTwoTablesCannotOuter, "two tables cannot be outer-joined to each other"},
    {kOraTableOuterJoinedMost, "a table may be outer joined to at most one other table"},
    {kOraSpecifiedIndexDoesNot, "specified index does not exist"},
    {kOraExactFetchReturnsMoreRows, "exact fetch returns more than requested number of rows"},
    {kOraMissingIllegalCharacterFollowing, "missing or illegal character following the escape character"},
    {kOraEscapeCharacterCharacterString, "escape character must be character string of length 1"},
    {kOraNumericOverflow, "numeric overflow"},
    {kOraSubqueryReturnsMoreThanOneRow, "single-row subquery returns more than one row"},
    {kOraArgumentOutOfRange, "argument '%s' is out of range"},
    {kOraColumnBeingAddedAlready, "column being added already exists in table"},
    {kOraPublicSynonymDroppedDoes, "public synonym to be dropped does not exist"},
    {kOraPrivateSynonymDroppedDoes, "private synonym to be dropped does not exist"},
    {kOraNoSuchUser, "user does not exist"},
    {kOraConnectLoopUserData, "CONNECT BY loop in user data"},
    {kOraCannotHaveJoinConnect, "cannot have join with CONNECT BY"},
    {kOraValueLargerThanSpecified, "value larger than specified precision allows for this column"},
    {kOraCannotSelectRowidView, "cannot select ROWID from view with DISTINCT, GROUP BY, etc."},
    {kOraColumnContainsNullValues, "column contains NULL values; cannot alter to NOT NULL"},
    {kOraCannotCreateUniqueIndex, "cannot CREATE UNIQUE INDEX; duplicate keys found"},
    {kOraConvertingColumnOverflowsInteger, "converting column overflows integer datatype"},
    {kOraInvalidLengthInsideVariable, "invalid length inside variable character string"},
    {kOraUnreasonableConversion, "unimplemented or unreasonable conversion requested"},
    {kOraInvalidHexNumber, "invalid hex number"},
    {kOraPredicateReferenceOnlyOne, "a predicate may reference only one outer-joined table"},
    {kOraDivisorEqualZero, "divisor is equal to zero"},
    {kOraTrailingNullMissingStr, "trailing null missing from STR bind value"},
    {kOraInvalidNumberFormatModel, "invalid number format model"},
    {kOraResultStringConcatenationToo, "result of string concatenation is too long"},
    {kOraDataBlockCorrupted, "ORACLE data block corrupted (%s)"},
    {kOraStringLiteralTooLong, "string literal too long"},
    {kOraOuterJoinOperatorNot, "outer join operator (+) not allowed in operand of OR or IN"},
    {kOraGrantOptionDoesNotExist, "grant option does not exist for '%s'"},
    {kOraInvalidNumber, "invalid number"},
    {kOraZeroLengthColumnsNot, "zero-length columns are not allowed"},
    {kOraFloatingPointPrecisionOut, "floating point precision is out of range (1 to 126)"},
    {kOraNumericPrecisionSpecifierOut, "numeric precision specifier is out of range (1 to 38)"},
    {kOraNumericScaleSpecifierOut, "numeric scale specifier is out of range (-84 to 127)"},
    {kOraInvalidNumberColumnNames, "invalid number of column names specified"},
    {kOraCircularViewDefinition, "circular view definition encountered"},
    {kOraDmlNotLegalOnView, "data manipulation operation not legal on this view"},
    {kOraVirtualColumnNotAllowed, "virtual column not allowed here"},
    {kOraMissingDoubleQuoteIdentifier, "missing double quote in identifier"},
    {kOraIllegalZeroLengthIdentifier, "illegal zero-length identifier"},
    {kOraCommentNotProperlyTerminated, "comment not properly terminated"},
    {kOraInappropriateInto, "inappropriate INTO"},
    {kOraInvalidHostBindVariable, "invalid host/bind variable name"},
    {kOraInvalidUserTableColumn, "invalid user.table.column, table.column, or column specification"},
    {kOraOnlySimpleColumnNames, "only simple column names allowed here"},
    {kOraCannotGrantToYourself, "you may not GRANT/REVOKE privileges to/from yourself"},
    {kOraCannotDeleteFromJoinView,
     "cannot delete from view without exactly one key-preserved table"},
    {kOraQuotedStringNotProperly, "quoted string not properly terminated"},
    {kOraMandatoryColumnNeedsEmptyTable, "table must be empty to add mandatory (NOT NULL) column"},
    {kOraIllegalArgumentFunction, "illegal argument for function"},
    {kOraNonKeyPreservedColumn, "cannot modify a column which maps to a non key-preserved table"},
    {kOraStringLiteralRequired, "string literal required"},
    {kOraOrderItemNumberSelect, "ORDER BY item must be the number of a SELECT-list expression"},
    {kOraConnectClauseRequiredQuery, "CONNECT BY clause required in this query block"},
    {kOraQueryBlockIncorrectNumber, "query block has incorrect number of result columns"},
    {kOraExpressionHaveSameDatatype, "expression must have same datatype as corresponding expression"},
    {kOraNotSelectedExpression, "not a SELECTed expression"},
    {kOraTooManyColumns, "maximum number of columns in a table or view is 254"},
    {kOraFormatCodeAppearsTwice, "format code appears twice"},
    {kOraJulianDatePrecludesUse, "Julian date precludes use of day of year"},
    {kOraYearOnlySpecifiedOnce, "year may only be specified once"},
    {kOraHourOnlySpecifiedOnce, "hour may only be specified once"},
    {kOraAmPmConflictsUse, "AM/PM conflicts with use of A.M./P.M."},
    {kOraBcAdConflictsUse, "BC/AD conflicts with use of B.C./A.D."},
    {kOraMonthOnlySpecifiedOnce, "month may only be specified once"},
    {kOraDayWeekOnlySpecified, "day of week may only be specified once"},
    {kOraHh24PrecludesUseMeridian, "'HH24' precludes use of meridian indicator"},
    {kOraFormatCodeCannotAppear, "format code cannot appear in date input format"},
    {kOraDateFormatNotRecognized, "date format not recognized"},
    {kOraDateFormatPictureEnds, "date format picture ends before converting entire input string"},
    {kOraYearConflictsJulianDate, "year conflicts with Julian date"},
    {kOraDayYearConflictsJulian, "day of year conflicts with Julian date"},
    {kOraMonthConflictsJulianDate, "month conflicts with Julian date"},
    {kOraDayMonthConflictsJulian, "day of month conflicts with Julian date"},
    {kOraDayWeekConflictsJulian, "day of week conflicts with Julian date"},
    {kOraHourConflictsSecondsDay, "hour conflicts with seconds in day"},
    {kOraMinutesHourConflictsSeconds, "minutes of hour conflicts with seconds in day"},
    {kOraSecondsMinuteConflictsSeconds, "seconds of minute conflicts with seconds in day"},
    {kOraDateNotValidMonth, "date not valid for month specified"},
    {kOraInputValueNotLong, "input value not long enough for date format"},
    {kOraYearOutOfRange, "(full) year must be between -4713 and +9999, and not be 0"},
    {kOraNotValidMonth, "not a valid month"},
    {kOraNotValidDayWeek, "not a valid day of the week"},
    {kOraDayMonthBetween1, "day of month must be between 1 and last day of month"},
    {kOraDayYearBetween1, "day of year must be between 1 and 365 (366 for leap year)"},
    {kOraHourBetween112, "hour must be between 1 and 12"},
    {kOraHourBetween023, "hour must be between 0 and 23"},
    {kOraMinutesBetween059, "minutes must be between 0 and 59"},
    {kOraSecondsBetween059, "seconds must be between 0 and 59"},
    {kOraSecondsDayBetween0, "seconds in day must be between 0 and 86399"},
    {kOraJulianDateBetween1, "julian date must be between 1 and 5373484"},
    {kOraAmPmRequired, "AM/A.M. or PM/P.M. required"},
    {kOraNonNumericCharacterFound, "a non-numeric character was found where a numeric was expected"},
    {kOraNonAlphabeticCharacterFound, "a non-alphabetic character was found where an alphabetic was expected"},
    {kOraLiteralDoesNotMatch, "literal does not match format string"},
    {kOraNumericValueDoesNot, "the numeric value does not match the length of the format item"},
    {kOraTooManyPrecisionSpecifiers, "too many precision specifiers"},
    {kOraUserOrRoleDoesNotExist, "user or role '%s' does not exist"},
    {kOraUserDoesNotExist, "user '%s' does not exist"},
    {kOraRoleDoesNotExist, "role '%s' does not exist"},
    {kOraUserNameConflicts, "user name '%s' conflicts with another user or role name"},
    {kOraRoleNameConflicts, "role name '%s' conflicts with another user or role name"},
    {kOraCascadeMustBeSpecified, "CASCADE must be specified to drop '%s'"},
    {kOraCannotRevokePrivilegesYou, "cannot REVOKE privileges you did not grant"},
    {kOraCircularRoleGrantDetected, "circular role grant detected"},
    {kOraMissingUserRoleName, "missing user or role name"},
    {kOraRoleNotGranted, "ROLE %s"},   // '%s' not granted to '%s'
    {kOraSystemPrivilegesNotGranted, "system privileges not granted to '%s'"},
    {kOraInvalidPrivilegeSpecified, "invalid privilege specified"},
    {kOraInvalidUserenvParameter, "invalid USERENV parameter"},
    {kOraDuplicateDatabaseLinkName, "duplicate database link name"},
    {kOraRemoteDatabaseNotFound, "connection description for remote database not found"},
    {kOraDdlOperationsNotAllowed, "DDL operations are not allowed on a remote database"},
    {kOraDatabaseLinkNotFound, "database link not found"},
    {kOraTransactionRolledBack, "transaction rolled back"},
    {kOraSequenceNotAllowedHere, "sequence not allowed here"},
    {kOraInvalidOptionAlterSession, "invalid option for ALTER SESSION"},
    {kOraReferencingColumnCountMismatch,
     "number of referencing columns must match referenced columns"},
    {kOraOnlyOnePrimaryKey, "table can have only one primary key"},
    {kOraConstraintNameAlreadyUsed, "name already used by an existing constraint"},
    {kOraReferencedTableHasNoPrimaryKey, "referenced table does not have a primary key"},
    {kOraNoMatchingUniqueOrPrimaryKey, "no matching unique or primary key for this column-list"},
    {kOraKeyReferencedByForeignKeys, "this unique/primary key is referenced by some foreign keys"},
    {kOraSequenceNumberNotAllowed, "sequence number not allowed here"},
    {kOraSequenceDoesNotExist, "sequence does not exist"},
    {kOraCheckConstraintViolated, "check constraint (%s) violated"},
    {kOraParentKeyNotFound, "integrity constraint (%s) violated - parent key not found"},
    {kOraChildRecordFound, "integrity constraint (%s) violated - child record found"},
    {kOraCannotEnableCheckConstraint, "cannot enable (%s) - check constraint violated"},
    {kOraCannotEnableNullValues, "cannot enable (%s) - null values found"},
    {kOraCannotDisableConstraintDependencies, "cannot disable constraint (%s) - dependencies exist"},
    {kOraCannotEnableParentKeys, "cannot enable (%s) - parent keys not found"},
    {kOraCannotValidateDuplicateKeys, "cannot validate (%s) - duplicate keys found"},
    {kOraPlanTableNotFound, "PLAN_TABLE not found"},
    {kOraSpecifiedPlanTableNot, "specified plan table not found"},
    {kOraCannotEnableNoSuchConstraint, "cannot enable constraint (%s) - no such constraint"},
    {kOraCannotDisableNoSuchConstraint, "cannot disable constraint (%s) - no such constraint"},
    {kOraCannotEnablePrimaryKeyUndefined,
     "cannot enable primary key - primary key not defined for table"},
    {kOraCannotDisablePrimaryKeyUndefined,
     "cannot disable primary key - primary key not defined for table"},
    {kOraCannotEnableUniqueUndefined, "cannot enable unique(%s) - unique key not defined for table"},
    {kOraCannotDisableUniqueUndefined,
     "cannot disable unique(%s) - unique key not defined for table"},
    {kOraCannotValidatePrimaryKey, "cannot validate (%s) - primary key violated"},
    {kOraCannotDropNonexistentPrimary, "Cannot drop nonexistent primary key"},
    {kOraCannotDropConstraintNonexistent, "Cannot drop constraint  - nonexistent constraint"},
    {kOraKeysReferencedByForeignKeys, "unique/primary keys in table referenced by foreign keys"},
    {kOraUnimplementedFeature, "unimplemented feature"},
    {kOraEndOfFileOnChannel, "end-of-file on communication channel"},
    {kOraNotConnected, "not connected to ORACLE"},
    {kOraStillExecuting, "operation would block"},
    {kOraNonBlockingUnsupported, "network driver does not support non-blocking operations"},
    {kOraOperationInProgress, "no new operations allowed until the active operation ends"},
    {kOraBlockingMode, "connection is in blocking mode"},
    {kOraIncrementNonZeroInteger, "INCREMENT must be a non-zero integer"},
    {kOraMinvalueLessThanMaxvalue, "MINVALUE must be less than MAXVALUE"},
    {kOraStartCannotLessThan, "START WITH cannot be less than MINVALUE"},
    {kOraOutOfProcessMemory, "out of process memory when trying to allocate %s bytes"},
    {kOraObjectDoesNotExist, "object %s does not exist"},
    {kOraObjectHasErrors, "%s has errors"},
    {kOraNotExecutedDoesNotExist, "not executed, %s does not exist"},
    {kOraInvalidTriggerSpecification, "invalid trigger specification"},
    {kOraTriggerDoesNotExist, "trigger '%s' does not exist"},
    {kOraTriggerAlreadyExists, "trigger '%s' already exists"},
    {kOraTriggerExecutionError, "error during execution of trigger '%s'"},
    {kOraTableIsMutating, "table %s is mutating, trigger/function may not see it"},
    {kOraTriggerInvalid, "trigger '%s' is invalid and failed re-validation"},
    {kOraNumericOrValueError, "PL/SQL: numeric or value error"},
    {kOraPlSqlCouldNot, "PL/SQL: could not find program unit being called"},
    {kOraPlSqlUnhandledUser, "PL/SQL: unhandled user-defined exception"},
    {kOraPlsqlCompilationError, "%s"},
    {kOraProgramInInvalidState, "Package or function %s is in an invalid state"},
    {kOraCurrvalNotYetDefined, "sequence %s.CURRVAL is not yet defined in this session"},
    {kOraNextvalExceedsMaxvalue, "sequence %s.NEXTVAL exceeds MAXVALUE and cannot be instantiated"},
    {kOraCannotSerializeAccess, "can't serialize access for this transaction"},
    {kOraCannotResolveServiceName, "TNS:could not resolve service name"},
    {kOraInvalidNlsParameterValue, "invalid or unknown NLS parameter value specified"},
    {kOraApplicationError, "%s"},
    {kOraNestedTooDeeply, "expression nested too deeply"},
};

// The lookup is a binary search: one code, one text, in order.
constexpr bool StrictlyAscending() {
  for (size_t i = 1; i < std::size(kMessages); ++i)
    if (kMessages[i - 1].code >= kMessages[i].code) return false;
  return true;
}
static_assert(StrictlyAscending(), "the message table is sorted by code, each code once");

}  // namespace

const char* OraMessageText(int code) {
  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                             [](const Message& m, int c) { return m.code < c; });
  return it != std::end(kMessages) && it->code == code ? it->text : nullptr;
}

std::string OraMessage(int code, std::string_view arg) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
  std::string out = prefix;
  const char* text = OraMessageText(code);
  if (!text) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "Message %d not found;  product=RDBMS; facility=ORA", code);
    return out + buf;
  }
  std::string_view t = text;
  size_t at = t.find("%s");
  if (at == std::string_view::npos) return out.append(t);
  out.append(t.substr(0, at)).append(arg).append(t.substr(at + 2));
  return out;
}

OraError EngineError(int code, std::string_view arg, int offset) {
  return OraError(code, OraMessage(code, arg), offset);
}

std::optional<OraError> OraErrorFromMessage(std::string_view message) {
  if (message.size() < 10 || message.substr(0, 4) != "ORA-") return std::nullopt;
  int code = 0;
  size_t i = 4;
  for (; i < message.size() && i < 9; ++i) {
    char c = message[i];
    if (c < '0' || c > '9') return std::nullopt;
    code = code * 10 + (c - '0');
  }
  if (i != 9 || message[9] != ':') return std::nullopt;
  return OraError(code, std::string(message), -1);
}

}  // namespace tess::oci7
