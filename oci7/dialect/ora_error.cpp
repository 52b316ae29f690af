// Oracle's message texts for the codes the library raises, and the OraError helpers.
#include "oci7/dialect/ora_error.h"

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
    {1, "unique constraint (%s) violated"},
    {28, "your session has been killed"},
    {36, "maximum number of recursive SQL levels (%s) exceeded"},
    {54, "resource busy and acquire with NOWAIT specified"},
    {600, "internal error code, arguments: [%s]"},
    {900, "invalid SQL statement"},
    {901, "invalid CREATE command"},
    {902, "invalid datatype"},
    {903, "invalid table name"},
    {904, "\"%s\": invalid identifier"},
    {905, "missing keyword"},
    {906, "missing left parenthesis"},
    {907, "missing right parenthesis"},
    {908, "missing NULL keyword"},
    {909, "invalid number of arguments"},
    {910, "specified length too long for its datatype"},
    {911, "invalid character"},
    {913, "too many values"},
    {917, "missing comma"},
    {918, "column ambiguously defined"},
    {920, "invalid relational operator"},
    {921, "unexpected end of SQL command"},
    {922, "missing or invalid option"},
    {923, "FROM keyword not found where expected"},
    {924, "missing BY keyword"},
    {925, "missing INTO keyword"},
    {926, "missing VALUES keyword"},
    {927, "missing equal sign"},
    {928, "missing SELECT keyword"},
    {931, "missing identifier"},
    {932, "inconsistent datatypes"},
    {933, "SQL command not properly ended"},
    {934, "group function is not allowed here"},
    {936, "missing expression"},
    {937, "not a single-group group function"},
    {938, "not enough arguments for function"},
    {939, "too many arguments for function"},
    {942, "table or view does not exist"},
    {947, "not enough values"},
    {950, "invalid DROP option"},
    {955, "name is already used by an existing object"},
    {957, "duplicate column name"},
    {960, "ambiguous column naming in select list"},
    {964, "table name not in FROM list"},
    {965, "column aliases not allowed for '*'"},
    {969, "missing ON keyword"},
    {970, "missing WITH keyword"},
    {971, "missing SET keyword"},
    {972, "identifier is too long"},
    {975, "date + date not allowed"},
    {979, "not a GROUP BY expression"},
    {980, "synonym translation is no longer valid"},
    {987, "missing or invalid username(s)"},
    {988, "missing or invalid password(s)"},
    {990, "missing or invalid privilege"},
    {997, "illegal use of LONG datatype"},
    {998, "must name this expression with a column alias"},
    {1000, "maximum open cursors exceeded"},
    {1001, "invalid cursor"},
    {1002, "fetch out of sequence"},
    {1003, "no statement parsed"},
    {1005, "null password given; logon denied"},
    {1007, "variable not in select list"},
    {1008, "not all variables bound"},
    {1009, "missing mandatory parameter"},
    {1012, "not logged on"},
    {1013, "user requested cancel of current operation"},
    {1017, "invalid username/password; logon denied"},
    {1027, "bind variables not allowed for data definition operations"},
    {1031, "insufficient privileges"},
    {1036, "illegal variable name/number"},
    {1045, "user %s lacks CREATE SESSION privilege; logon denied"},
    {1086, "savepoint '%s' never established"},
    {1115, "IO error reading block from file %s"},
    {1400, "mandatory (NOT NULL) column is missing or NULL during insert"},
    {1401, "inserted value too large for column"},
    {1402, "view WITH CHECK OPTION where-clause violation"},
    {1403, "no data found"},
    {1405, "fetched column value is NULL"},
    {1406, "fetched column value was truncated"},
    {1407, "cannot update mandatory (NOT NULL) column to NULL"},
    {1410, "invalid ROWID"},
    {1416, "two tables cannot be outer-joined to each other"},
    {1417, "a table may be outer joined to at most one other table"},
    {1418, "specified index does not exist"},
    {1422, "exact fetch returns more than requested number of rows"},
    {1424, "missing or illegal character following the escape character"},
    {1425, "escape character must be character string of length 1"},
    {1426, "numeric overflow"},
    {1427, "single-row subquery returns more than one row"},
    {1428, "argument '%s' is out of range"},
    {1430, "column being added already exists in table"},
    {1432, "public synonym to be dropped does not exist"},
    {1434, "private synonym to be dropped does not exist"},
    {1435, "user does not exist"},
    {1436, "CONNECT BY loop in user data"},
    {1437, "cannot have join with CONNECT BY"},
    {1438, "value larger than specified precision allows for this column"},
    {1446, "cannot select ROWID from view with DISTINCT, GROUP BY, etc."},
    {1449, "column contains NULL values; cannot alter to NOT NULL"},
    {1452, "cannot CREATE UNIQUE INDEX; duplicate keys found"},
    {1455, "converting column overflows integer datatype"},
    {1458, "invalid length inside variable character string"},
    {1460, "unimplemented or unreasonable conversion requested"},
    {1465, "invalid hex number"},
    {1468, "a predicate may reference only one outer-joined table"},
    {1476, "divisor is equal to zero"},
    {1480, "trailing null missing from STR bind value"},
    {1481, "invalid number format model"},
    {1489, "result of string concatenation is too long"},
    {1578, "ORACLE data block corrupted (%s)"},
    {1719, "outer join operator (+) not allowed in operand of OR or IN"},
    {1722, "invalid number"},
    {1723, "zero-length columns are not allowed"},
    {1724, "floating point precision is out of range (1 to 126)"},
    {1727, "numeric precision specifier is out of range (1 to 38)"},
    {1728, "numeric scale specifier is out of range (-84 to 127)"},
    {1730, "invalid number of column names specified"},
    {1740, "missing double quote in identifier"},
    {1741, "illegal zero-length identifier"},
    {1742, "comment not properly terminated"},
    {1744, "inappropriate INTO"},
    {1745, "invalid host/bind variable name"},
    {1747, "invalid user.table.column, table.column, or column specification"},
    {1748, "only simple column names allowed here"},
    {1749, "you may not GRANT/REVOKE privileges to/from yourself"},
    {1756, "quoted string not properly terminated"},
    {1760, "illegal argument for function"},
    {1780, "string literal required"},
    {1785, "ORDER BY item must be the number of a SELECT-list expression"},
    {1788, "CONNECT BY clause required in this query block"},
    {1789, "query block has incorrect number of result columns"},
    {1790, "expression must have same datatype as corresponding expression"},
    {1791, "not a SELECTed expression"},
    {1810, "format code appears twice"},
    {1811, "Julian date precludes use of day of year"},
    {1812, "year may only be specified once"},
    {1813, "hour may only be specified once"},
    {1814, "AM/PM conflicts with use of A.M./P.M."},
    {1815, "BC/AD conflicts with use of B.C./A.D."},
    {1816, "month may only be specified once"},
    {1817, "day of week may only be specified once"},
    {1818, "'HH24' precludes use of meridian indicator"},
    {1820, "format code cannot appear in date input format"},
    {1821, "date format not recognized"},
    {1830, "date format picture ends before converting entire input string"},
    {1831, "year conflicts with Julian date"},
    {1832, "day of year conflicts with Julian date"},
    {1833, "month conflicts with Julian date"},
    {1834, "day of month conflicts with Julian date"},
    {1835, "day of week conflicts with Julian date"},
    {1836, "hour conflicts with seconds in day"},
    {1837, "minutes of hour conflicts with seconds in day"},
    {1838, "seconds of minute conflicts with seconds in day"},
    {1839, "date not valid for month specified"},
    {1840, "input value not long enough for date format"},
    {1841, "(full) year must be between -4713 and +9999, and not be 0"},
    {1843, "not a valid month"},
    {1846, "not a valid day of the week"},
    {1847, "day of month must be between 1 and last day of month"},
    {1848, "day of year must be between 1 and 365 (366 for leap year)"},
    {1849, "hour must be between 1 and 12"},
    {1850, "hour must be between 0 and 23"},
    {1851, "minutes must be between 0 and 59"},
    {1852, "seconds must be between 0 and 59"},
    {1853, "seconds in day must be between 0 and 86399"},
    {1854, "julian date must be between 1 and 5373484"},
    {1855, "AM/A.M. or PM/P.M. required"},
    {1858, "a non-numeric character was found where a numeric was expected"},
    {1859, "a non-alphabetic character was found where an alphabetic was expected"},
    {1861, "literal does not match format string"},
    {1862, "the numeric value does not match the length of the format item"},
    {1898, "too many precision specifiers"},
    {1917, "user or role '%s' does not exist"},
    {1918, "user '%s' does not exist"},
    {1919, "role '%s' does not exist"},
    {1920, "user name '%s' conflicts with another user or role name"},
    {1921, "role name '%s' conflicts with another user or role name"},
    {1922, "CASCADE must be specified to drop '%s'"},
    {1927, "cannot REVOKE privileges you did not grant"},
    {1934, "circular role grant detected"},
    {1935, "missing user or role name"},
    {1951, "ROLE %s"},  // '%s' not granted to '%s'
    {1952, "system privileges not granted to '%s'"},
    {1990, "invalid privilege specified"},
    {2003, "invalid USERENV parameter"},
    {2011, "duplicate database link name"},
    {2019, "connection description for remote database not found"},
    {2021, "DDL operations are not allowed on a remote database"},
    {2024, "database link not found"},
    {2091, "transaction rolled back"},
    {2201, "sequence not allowed here"},
    {2248, "invalid option for ALTER SESSION"},
    {2264, "name already used by an existing constraint"},
    {2273, "this unique/primary key is referenced by some foreign keys"},
    {2287, "sequence number not allowed here"},
    {2289, "sequence does not exist"},
    {2290, "check constraint (%s) violated"},
    {2291, "integrity constraint (%s) violated - parent key not found"},
    {2292, "integrity constraint (%s) violated - child record found"},
    {2293, "cannot validate (%s) - check constraint violated"},
    {2296, "cannot enable (%s) - null values found"},
    {2298, "cannot validate (%s) - parent keys not found"},
    {2402, "PLAN_TABLE not found"},
    {2404, "specified plan table not found"},
    {2437, "cannot validate (%s) - primary key violated"},
    {2441, "Cannot drop nonexistent primary key"},
    {2443, "Cannot drop constraint  - nonexistent constraint"},
    {2449, "unique/primary keys in table referenced by foreign keys"},
    {3001, "unimplemented feature"},
    {3113, "end-of-file on communication channel"},
    {3114, "not connected to ORACLE"},
    {3123, "operation would block"},
    {3126, "network driver does not support non-blocking operations"},
    {3127, "no new operations allowed until the active operation ends"},
    {3128, "connection is in blocking mode"},
    {4002, "INCREMENT must be a non-zero integer"},
    {4004, "MINVALUE must be less than MAXVALUE"},
    {4006, "START WITH cannot be less than MINVALUE"},
    {4030, "out of process memory when trying to allocate %s bytes"},
    {4043, "object %s does not exist"},
    {4063, "%s has errors"},
    {4067, "not executed, %s does not exist"},
    {4079, "invalid trigger specification"},
    {4080, "trigger '%s' does not exist"},
    {4081, "trigger '%s' already exists"},
    {4088, "error during execution of trigger '%s'"},
    {4091, "table %s is mutating, trigger/function may not see it"},
    {4098, "trigger '%s' is invalid and failed re-validation"},
    {6502, "PL/SQL: numeric or value error"},
    {6508, "PL/SQL: could not find program unit being called"},
    {6510, "PL/SQL: unhandled user-defined exception"},
    {6550, "%s"},
    {6575, "Package or function %s is in an invalid state"},
    {8002, "sequence %s.CURRVAL is not yet defined in this session"},
    {8004, "sequence %s.NEXTVAL exceeds MAXVALUE and cannot be instantiated"},
    {8177, "can't serialize access for this transaction"},
    {12154, "TNS:could not resolve service name"},
    {20000, "%s"},
};

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
