// The automation server through late binding: registration, the session's OpenDatabase,
// dynasets walked across fetch batches with typed values, ExecuteSQL's row counts, and
// server errors as automation exceptions with the database's error text and position.
// Then as a script client drives it: every member with every argument form (by value,
// by reference, by name, left out) and flag, property puts, numbers that keep their digits
// and dates of every year from 4712 BC to 9999; and a real VBScript run by cscript.
#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <gtest/gtest.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "olesrv/variant_values.h"
#include "oracle/oracle_query.h"
#include "platform/automation.h"
#include "platform/automation_date.h"
#include "tests/olesrv/ole_server_registry.h"
#include "tests/olesrv/script_client.h"
#include "tests/oracle/oracle_test_db.h"

using namespace tess::platform;
using namespace oletest;
using oratest::TestDatabase;

namespace {

const char* const kProgId = "OracleInProcServer.XOraSession";

// Days since 30 Dec 1899, the automation date of midnight of that day.
double OleDate(int Y, unsigned M, unsigned D) {
  using namespace std::chrono;
  return static_cast<double>(
      (sys_days{year{Y} / month{M} / day{D}} - sys_days{year{1899} / December / day{30}}).count());
}

struct ServerTest : ::testing::Test {
  TestDatabase database;
  std::shared_ptr<AutomationObject> session;
  std::shared_ptr<AutomationObject> db;

  void SetUp() override {
    oletest::RegisterServer();
    ASSERT_EQ(CreateAutomationObject(kProgId, session), CreateResult::kCreated);
    AutoValue d = session->Call("OpenDatabase", {AutoValue::Text(database.Server()),
                                                 AutoValue::Text("demo/DEMO"), AutoValue::Integer(0)});
    ASSERT_EQ(d.kind, AutoValue::kObject);
    db = d.object;
    ASSERT_NE(db, nullptr);
  }

  // Every row of the dynaset, each value as the late-binding unit gives it.
  std::vector<std::vector<AutoValue>> Rows(const std::string& Sql) {
    auto dynaset = db->Call("CreateDynaset", {AutoValue::Text(Sql), AutoValue::Integer(0)}).object;
    auto fields = dynaset->Get("Fields").object;
    const int32_t n = fields->Get("Count").AsInteger();
    std::vector<std::shared_ptr<AutomationObject>> items;
    for (int32_t i = 0; i < n; ++i) items.push_back(fields->Get("Item", {AutoValue::Integer(i)}).object);
    std::vector<std::vector<AutoValue>> rows;
    while (dynaset->Get("EOF").AsInteger() == 0) {
      std::vector<AutoValue> row;
      for (auto& f : items) row.push_back(f->Get("Value"));
      rows.push_back(row);
      dynaset->Call("MoveNext");
    }
    return rows;
  }

  int32_t Exec(const std::string& Sql) {
    return db->Call("ExecuteSQL", {AutoValue::Text(Sql)}).AsInteger();
  }
};

}  // namespace

TEST_F(ServerTest, DynasetGivesTypedValuesAndNames) {
  EXPECT_EQ(db->Get("Options").AsInteger(), 0);
  auto rows = Rows("SELECT EMPNO, ENAME, HIREDATE, COMM, SAL / 3 FROM EMP WHERE EMPNO IN (7369, 7499) "
                   "ORDER BY EMPNO");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0].kind, AutoValue::kInteger);
  EXPECT_EQ(rows[0][0].integer, 7369);
  EXPECT_EQ(rows[0][1].kind, AutoValue::kText);
  EXPECT_EQ(rows[0][1].text, "SMITH");
  EXPECT_EQ(rows[0][2].kind, AutoValue::kDate);
  EXPECT_DOUBLE_EQ(rows[0][2].number, OleDate(1980, 12, 17));
  EXPECT_EQ(rows[0][3].kind, AutoValue::kNull);
  EXPECT_EQ(rows[1][3].integer, 300);
  EXPECT_EQ(rows[0][4].kind, AutoValue::kReal);
  EXPECT_NEAR(rows[0][4].number, 800.0 / 3, 1e-9);

  // Items by name, ignoring case; a field reads the dynaset's current row.
  auto dynaset = db->Call("CreateDynaset", {AutoValue::Text("SELECT DNAME FROM DEPT ORDER BY DEPTNO"),
                                            AutoValue::Integer(0)})
                     .object;
  auto field = dynaset->Get("fields").object->Get("Item", {AutoValue::Text("dname")}).object;
  EXPECT_EQ(field->Get("Name").text, "DNAME");
  EXPECT_EQ(field->Get("Value").text, "ACCOUNTING");
  dynaset->Call("MoveNext");
  EXPECT_EQ(field->Get("Value").text, "RESEARCH");
  EXPECT_THROW(dynaset->Get("Fields").object->Get("Item", {AutoValue::Integer(1)}), AutomationError);
  EXPECT_THROW(dynaset->Get("NoSuchMember"), AutomationError);
}

TEST_F(ServerTest, WalksEveryRowAcrossBatchesAndCountsDml) {
  Exec("CREATE TABLE T (N NUMBER, S VARCHAR2(10))");
  for (int i = 1; i <= 45; ++i)
    EXPECT_EQ(Exec("INSERT INTO T VALUES (" + std::to_string(i) + ", 'r" + std::to_string(i) + "')"), 1);
  EXPECT_EQ(Exec("UPDATE T SET S = NULL WHERE MOD(N, 2) = 0"), 22);
  auto rows = Rows("SELECT N, S FROM T ORDER BY N");
  ASSERT_EQ(rows.size(), 45u);
  for (int i = 0; i < 45; ++i) {
    EXPECT_EQ(rows[i][0].integer, i + 1);
    EXPECT_EQ(rows[i][1].IsNull(), (i + 1) % 2 == 0) << i;
  }
  EXPECT_TRUE(Rows("SELECT N FROM T WHERE N > 100").empty());
  EXPECT_EQ(Exec("DELETE FROM T"), 45);
  // The other engine sees what this one did: the same library, the same database.
  tess::TOracleDatabase oci{nullptr};
  database.Configure(oci, "oci");
  oci.Open();
  tess::TOracleQuery q(nullptr);
  q.SetDatabaseName("oci");
  q.SetSQL("SELECT COUNT(*) FROM T");
  q.Open();
  EXPECT_EQ(q.Fields()->Items(0)->AsString(), "0");
}

TEST_F(ServerTest, ServerErrorsAreAutomationExceptions) {
  const std::string sql = "SELECT X\nFROM NO_SUCH_TABLE";
  try {
    Rows(sql);
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Code(), 440);
    EXPECT_EQ(std::string(e.what()).rfind("ORA-00942", 0), 0u) << e.what();
    EXPECT_EQ(db->Get("LastServerErrText").text, e.what());
  }
  const int32_t pos = db->Get("LastServerErrPos").AsInteger();
  EXPECT_GT(pos, 0);
  EXPECT_LE(pos, static_cast<int32_t>(sql.size()));
  // A good statement clears the record.
  Exec("UPDATE DEPT SET LOC = LOC WHERE 1 = 0");
  EXPECT_EQ(db->Get("LastServerErrText").text, "");

  try {
    session->Call("OpenDatabase", {AutoValue::Text(database.Server()), AutoValue::Text("demo/wrong"),
                                   AutoValue::Integer(0)});
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("ORA-01017", 0), 0u) << e.what();
  }
}

TEST(ServerRegistration, UnregisteredServerCannotBeCreatedAndModuleUnloads) {
  std::shared_ptr<AutomationObject> session;
  oletest::UnregisterServer();
  EXPECT_EQ(CreateAutomationObject(kProgId, session), CreateResult::kNotRegistered);
  EXPECT_EQ(session, nullptr);
  oletest::RegisterServer();
  ASSERT_EQ(CreateAutomationObject(kProgId, session), CreateResult::kCreated);
  EXPECT_NE(oletest::CallServerEntry("DllCanUnloadNow"), 0);
  session.reset();
  EXPECT_EQ(oletest::CallServerEntry("DllCanUnloadNow"), 0);
}

// ---------------------------------------------------------------------------------------
// As a script client drives it
// ---------------------------------------------------------------------------------------

namespace {

std::string Narrow(BSTR B) {
  return B != nullptr ? WideToAnsi(B, SysStringLen(B)) : std::string();
}

// What a call gave, in a few words; an object by what it holds.
std::string Describe(const VARIANT& V) {
  char buf[64];
  switch (V.vt) {
    case VT_EMPTY:
      return "empty";
    case VT_NULL:
      return "null";
    case VT_I4:
      return "i4:" + std::to_string(V.lVal);
    case VT_BOOL:
      return V.boolVal != VARIANT_FALSE ? "true" : "false";
    case VT_BSTR:
      return "text:" + Narrow(V.bstrVal);
    case VT_R8:
      std::snprintf(buf, sizeof buf, "r8:%.17g", V.dblVal);
      return buf;
    case VT_DATE:
      std::snprintf(buf, sizeof buf, "date:%.17g", V.date);
      return buf;
    case VT_DECIMAL: {
      ScopedVariant s;
      VariantChangeTypeEx(&s.v, const_cast<VARIANT*>(&V), 0x409, 0, VT_BSTR);
      return "decimal:" + Narrow(s.v.bstrVal);
    }
    case VT_DISPATCH: {
      V.pdispVal->AddRef();
      Dispatch d(V.pdispVal);
      std::vector<DISPID> ids;
      if (SUCCEEDED(d.Ids({L"Name"}, ids)))
        return "field " + Narrow(d.Get(L"Name").result->v.bstrVal) + "=" +
               Describe(d.Get(L"Value").result->v);
      if (SUCCEEDED(d.Ids({L"Count"}, ids))) return "fields " + Describe(d.Get(L"Count").result->v);
      if (SUCCEEDED(d.Ids({L"EOF"}, ids)))
        return "dynaset " +
               Describe(d.Object(L"Fields", {A(L"Index", Int(0))}).Get(L"Value").result->v);
      return "database " + Describe(d.Get(L"Options").result->v);
    }
    default:
      return "vt:" + std::to_string(V.vt);
  }
}

struct ScriptTest : ::testing::Test {
  TestDatabase database;
  Dispatch session;
  Dispatch db;

  void SetUp() override {
    oletest::RegisterServer();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(L"OracleInProcServer.XOraSession", &clsid), S_OK);
    IDispatch* d = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&d)),
              S_OK);
    session = Dispatch(d);
    db = OpenDatabase();
    ASSERT_TRUE(db);
  }
  Dispatch OpenDatabase() {
    return session.Object(L"OpenDatabase", {A(L"DatabaseName", Text(database.Server())),
                                            A(L"ConnectString", Text("demo/DEMO"))});
  }
  Dispatch Dynaset(const std::string& Sql) const {
    return db.Object(L"CreateDynaset", {A(L"SQL", Text(Sql))});
  }
  void Exec(const std::string& Sql) const {
    Outcome o = db.Get(L"ExecuteSQL", {A(L"SQL", Text(Sql))});
    ASSERT_EQ(o.hr, S_OK) << Sql << ": " << o.exception;
  }
  // Every value of a dynaset's rows, as the field objects give them.
  std::vector<std::vector<std::shared_ptr<ScopedVariant>>> Values(const std::string& Sql) const {
    Dispatch ds = Dynaset(Sql);
    const int32_t n = ds.Object(L"Fields").Get(L"Count").result->v.lVal;
    std::vector<std::vector<std::shared_ptr<ScopedVariant>>> rows;
    while (ds.Get(L"EOF").result->v.boolVal == VARIANT_FALSE) {
      rows.emplace_back();
      for (int32_t i = 0; i < n; ++i)
        rows.back().push_back(ds.Object(L"Fields", {A(L"Index", Int(i))}).Get(L"Value").result);
      EXPECT_EQ(ds.Invoke(L"MoveNext", DISPATCH_METHOD).hr, S_OK);
    }
    return rows;
  }
};

const char* const kDeptSql = "SELECT DNAME, DEPTNO FROM DEPT ORDER BY DEPTNO";

}  // namespace

// Every member, with every argument form a script sends and every flag it may use, gives
// the same answer; a method asked for as a property, and any put, finds no member.
TEST_F(ScriptTest, EveryMemberTakesEveryArgumentFormAndFlag) {
  struct Case {
    std::function<Dispatch()> object;
    std::wstring member;
    bool method;
    std::vector<Arg> args;
    std::string expected;
  };
  auto sessionObject = [&] { return session; };
  auto database = [&] { return db; };
  auto dynaset = [&] { return Dynaset(kDeptSql); };
  auto fields = [&] { return Dynaset(kDeptSql).Object(L"Fields"); };
  auto field = [&] {
    return Dynaset(kDeptSql).Object(L"Fields").Object(L"Item", {A(L"Index", Int(0))});
  };
  const std::vector<Case> cases = {
      {sessionObject,
       L"OpenDatabase",
       true,
       {A(L"DatabaseName", Text(this->database.Server())), A(L"ConnectString", Text("demo/DEMO")),
        A(L"Options", Int(0))},
       "database i4:0"},
      {database, L"Options", false, {}, "i4:0"},
      {database,
       L"CreateDynaset",
       true,
       {A(L"SQL", Text(kDeptSql)), A(L"Options", Int(0))},
       "dynaset text:ACCOUNTING"},
      {database,
       L"ExecuteSQL",
       true,
       {A(L"SQL", Text("UPDATE DEPT SET LOC = LOC WHERE DEPTNO < 25"))},
       "i4:2"},
      {database, L"LastServerErrText", false, {}, "text:"},
      {database, L"LastServerErrPos", false, {}, "i4:0"},
      {dynaset, L"EOF", false, {}, "false"},
      {dynaset, L"MoveNext", true, {}, "empty"},
      {dynaset, L"Fields", false, {}, "fields i4:2"},
      {dynaset, L"Fields", false, {A(L"Index", Int(1))}, "field DEPTNO=i4:10"},
      {dynaset, L"Fields", false, {A(L"Index", Text("dname"))}, "field DNAME=text:ACCOUNTING"},
      {fields, L"Count", false, {}, "i4:2"},
      {fields, L"Item", false, {A(L"Index", Int(0))}, "field DNAME=text:ACCOUNTING"},
      {fields, L"Item", false, {A(L"Index", Text("DEPTNO"))}, "field DEPTNO=i4:10"},
      {field, L"Value", false, {}, "text:ACCOUNTING"},
      {field, L"Name", false, {}, "text:DNAME"},
  };
  const WORD propertyFlags[] = {DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_PROPERTYGET,
                                DISPATCH_METHOD};
  const WORD methodFlags[] = {DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_METHOD};
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToAnsi(c.member.c_str(), c.member.size()) + " " + c.expected);
    std::vector<WORD> flags(c.method ? std::begin(methodFlags) : std::begin(propertyFlags),
                            c.method ? std::end(methodFlags) : std::end(propertyFlags));
    for (WORD f : flags) {
      for (Form form : kAllForms) {
        if (c.args.empty() && form != Form::kValue) continue;
        Outcome o = c.object().Invoke(c.member, f, c.args, form);
        ASSERT_EQ(o.hr, S_OK) << "flags " << f << " form " << int(form) << ": " << o.exception;
        EXPECT_EQ(Describe(o.result->v), c.expected) << "flags " << f << " form " << int(form);
        // Without a place for the result the call still runs.
        EXPECT_EQ(c.object().Invoke(c.member, f, c.args, form, false).hr, S_OK);
      }
    }
    // An optional argument left out, or not written at all, is the same as its default.
    if (c.args.size() >= 2 && c.args.back().param == L"Options") {
      std::vector<Arg> left(c.args.begin(), c.args.end() - 1);
      EXPECT_EQ(Describe(c.object().Invoke(c.member, methodFlags[0], left).result->v), c.expected);
      left.push_back(A(L"Options", Missing()));
      for (Form form : kAllForms)
        EXPECT_EQ(Describe(c.object().Invoke(c.member, methodFlags[0], left, form).result->v),
                  c.expected)
            << int(form);
    }
    if (c.method) {
      EXPECT_EQ(c.object().Invoke(c.member, DISPATCH_PROPERTYGET, c.args).hr,
                DISP_E_MEMBERNOTFOUND);
    }
    EXPECT_EQ(c.object().Invoke(c.member, 0, c.args).hr, DISP_E_MEMBERNOTFOUND);
  }
  // Fields with its index left out is the collection.
  EXPECT_EQ(Describe(Dynaset(kDeptSql).Get(L"Fields", {A(L"Index", Missing())}).result->v),
            "fields i4:2");
}

TEST_F(ScriptTest, MoveNextWalksTheRowsWhateverTheFlags) {
  Dispatch ds = Dynaset(kDeptSql);
  Dispatch name = ds.Object(L"Fields", {A(L"Index", Text("DNAME"))});
  std::vector<std::string> seen;
  const WORD flags[] = {DISPATCH_METHOD, DISPATCH_METHOD | DISPATCH_PROPERTYGET};
  for (int i = 0; ds.Get(L"EOF").result->v.boolVal == VARIANT_FALSE; ++i) {
    seen.push_back(Describe(name.Get(L"Value").result->v));
    ASSERT_EQ(ds.Invoke(L"MoveNext", flags[i % 2], {}, Form::kValue, i % 3 == 0).hr, S_OK);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"text:ACCOUNTING", "text:RESEARCH", "text:SALES",
                                            "text:OPERATIONS"}));
  // At the end a field has no current record: a server error, not a crash.
  Outcome o = name.Get(L"Value");
  EXPECT_EQ(o.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(o.exception, "No current record");
}

// Wrong calls answer what automation servers answer, with the argument's index.
TEST_F(ScriptTest, WrongCallsAnswerAsAutomationServersDo) {
  const WORD get = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  auto hr = [](const Outcome& o) { return o.hr; };
  EXPECT_EQ(hr(db.Invoke(L"CreateDynaset", get)), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(hr(db.Invoke(L"CreateDynaset", get,
                         {A(L"SQL", Text(kDeptSql)), A(L"Options", Int(0)), A(L"X", Int(1))})),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(hr(db.Invoke(L"Options", get, {A(L"X", Int(1))})), DISP_E_BADPARAMCOUNT);
  Outcome left = db.Invoke(L"CreateDynaset", get, {A(L"SQL", Missing()), A(L"Options", Int(0))});
  EXPECT_EQ(left.hr, DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(left.argErr, 1u);  // the first of two positional arguments stands last
  Dispatch fields = Dynaset(kDeptSql).Object(L"Fields");
  EXPECT_EQ(hr(fields.Invoke(L"Item", get)), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(hr(fields.Get(L"Item", {A(L"Index", Int(2))})), DISP_E_BADINDEX);
  EXPECT_EQ(hr(fields.Get(L"Item", {A(L"Index", Int(-1))})), DISP_E_BADINDEX);
  EXPECT_EQ(hr(fields.Get(L"Item", {A(L"Index", Text("NOPE"))})), DISP_E_BADINDEX);
  VARIANT null;
  VariantInit(&null);
  null.vt = VT_NULL;
  Outcome mismatch = fields.Get(L"Item", {A(L"Index", null)});
  EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.argErr, 0u);
  mismatch = session.Get(L"OpenDatabase",
                         {A(L"DatabaseName", Text(database.Server())),
                          A(L"ConnectString", Text("demo/DEMO")), A(L"Options", Text("many"))});
  EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.argErr, 0u);

  // Names: a member's parameters have DISPIDs; an unknown one has none.
  std::vector<DISPID> ids;
  EXPECT_EQ(db.Ids({L"createdynaset", L"options", L"sql"}, ids), S_OK);
  EXPECT_EQ(ids, (std::vector<DISPID>{2, 1, 0}));
  EXPECT_EQ(db.Ids({L"CreateDynaset", L"NoSuch"}, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  EXPECT_EQ(db.Ids({L"NoSuch"}, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);

  // Raw calls: a positional argument and a named one, a named DISPID no parameter has, a
  // parameter given twice, an interface other than IID_NULL, a member that is not there.
  auto raw = [&](std::vector<VARIANT> Args, std::vector<DISPID> Named, REFIID Riid = IID_NULL,
                 DISPID Member = 2) {
    DISPPARAMS p{Args.data(), Named.empty() ? nullptr : Named.data(),
                 static_cast<UINT>(Args.size()), static_cast<UINT>(Named.size())};
    Outcome o;
    o.hr = db.get()->Invoke(Member, Riid, 0, get, &p, &o.result->v, nullptr, &o.argErr);
    for (VARIANT& v : Args) VariantClear(&v);
    return o;
  };
  Outcome mixed = raw({Int(0), Text(kDeptSql)}, {1});
  EXPECT_EQ(Describe(mixed.result->v), "dynaset text:ACCOUNTING");
  Outcome unknown = raw({Int(0), Text(kDeptSql)}, {7});
  EXPECT_EQ(unknown.hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(unknown.argErr, 0u);
  EXPECT_EQ(raw({Text(kDeptSql), Text(kDeptSql)}, {0}).hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(raw({Text(kDeptSql)}, {}, IID_IDispatch).hr, DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(raw({Text(kDeptSql)}, {}, IID_NULL, 77).hr, DISP_E_MEMBERNOTFOUND);
}

// No property can be written: a put answers DISP_E_MEMBERNOTFOUND, as a server whose type
// library gives the property no put does, and changes nothing.
TEST_F(ScriptTest, PutsFindNoMemberAndChangeNothing) {
  Dispatch ds = Dynaset(kDeptSql);
  Dispatch fields = ds.Object(L"Fields");
  Dispatch field = fields.Object(L"Item", {A(L"Index", Int(0))});
  const std::pair<Dispatch*, std::vector<std::wstring>> objects[] = {
      {&session, {L"OpenDatabase"}},
      {&db,
       {L"Options", L"CreateDynaset", L"ExecuteSQL", L"LastServerErrText", L"LastServerErrPos"}},
      {&ds, {L"EOF", L"MoveNext", L"Fields"}},
      {&fields, {L"Item", L"Count"}},
      {&field, {L"Value", L"Name"}},
  };
  VARIANT x = Text("X");
  for (const auto& [object, members] : objects) {
    for (const std::wstring& m : members) {
      for (WORD f : {WORD(DISPATCH_PROPERTYPUT), WORD(DISPATCH_PROPERTYPUTREF),
                     WORD(DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)}) {
        EXPECT_EQ(object->Put(m, x, f).hr, DISP_E_MEMBERNOTFOUND)
            << WideToAnsi(m.c_str(), m.size()) << " " << f;
      }
    }
  }
  VariantClear(&x);
  EXPECT_EQ(Describe(ds.Get(L"EOF").result->v), "false");
  EXPECT_EQ(Describe(db.Get(L"Options").result->v), "i4:0");
  EXPECT_EQ(Describe(field.Get(L"Value").result->v), "text:ACCOUNTING");
  EXPECT_EQ(Describe(fields.Get(L"Count").result->v), "i4:2");
  EXPECT_EQ(Describe(db.Get(L"LastServerErrText").result->v), "text:");
}

// A number goes as a 32-bit integer, as a double when one holds it, else as a decimal,
// else as text: never with digits lost.
TEST_F(ScriptTest, NumbersKeepEveryDigit) {
  const std::pair<const char*, const char*> cases[] = {
      {"7369", "i4:7369"},
      {"-2147483648", "i4:-2147483648"},
      {"2147483647", "i4:2147483647"},
      {"2147483648", "r8:2147483648"},
      {"-123456789012", "r8:-123456789012"},
      {"123456789012345", "r8:123456789012345"},
      {"1234567890123456", "decimal:1234567890123456"},
      {"123456789012345678", "decimal:123456789012345678"},
      {"-8999999999999999999", "decimal:-8999999999999999999"},
      {"0.5", "r8:0.5"},
      {"-1.25", "r8:-1.25"},
      {"1E+100", "r8:1e+100"},
      {"0", "i4:0"},
  };
  for (const auto& [literal, expected] : cases) {
    auto rows =
        Values(std::string("SELECT ") + literal + " N, TO_CHAR(" + literal + ") T FROM DUAL");
    ASSERT_EQ(rows.size(), 1u) << literal;
    const std::string text = Describe(rows[0][1]->v).substr(5);
    // What the call interface gives as text, the VARIANT carries in full.
    if (std::string(expected).rfind("decimal:", 0) == 0) {
      EXPECT_EQ("decimal:" + text, expected) << literal;
    }
    EXPECT_EQ(Describe(rows[0][0]->v), expected) << literal;
  }
}

// A date goes as a VT_DATE of exactly the day and second the server holds, whatever the
// year; and the session keeps the server's default date form, as on the call interface.
TEST_F(ScriptTest, DatesCarryWhatTheServerHolds) {
  // The default form reads '17-DEC-80' as a date (of 2080), and writes SMITH's as it.
  Outcome o = db.Get(L"ExecuteSQL", {A(L"SQL", Text("UPDATE EMP SET SAL = SAL WHERE HIREDATE "
                                                    "< '17-DEC-80'"))});
  ASSERT_EQ(o.hr, S_OK) << o.exception;
  EXPECT_EQ(Describe(o.result->v), "i4:14");
  auto rows = Values("SELECT TO_CHAR(HIREDATE) H FROM EMP WHERE EMPNO = 7369");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Describe(rows[0][0]->v), "text:17-DEC-80");

  Exec("CREATE TABLE DATES (N NUMBER, D DATE)");
  std::vector<std::string> stored = {
      "0001-01-01 00:00:00", "0050-06-15 12:34:56", "0099-12-31 23:59:59", "0100-01-01 00:00:00",
      "1582-10-10 10:10:10", "1899-12-29 06:00:00", "1899-12-30 00:00:00", "1899-12-30 18:00:00",
      "1980-12-17 00:00:00", "2000-02-29 23:59:59", "9999-12-31 23:59:59"};
  std::mt19937 random(51);
  for (int i = 0; i < 200; ++i) {
    CivilTime t{std::uniform_int_distribution<int>(1, 9999)(random),
                std::uniform_int_distribution<int>(1, 12)(random),
                std::uniform_int_distribution<int>(1, 28)(random),
                std::uniform_int_distribution<int>(0, 23)(random),
                std::uniform_int_distribution<int>(0, 59)(random),
                std::uniform_int_distribution<int>(0, 59)(random)};
    stored.push_back(CivilTimeText(t));
  }
  int n = 0;
  for (const std::string& s : stored)
    Exec("INSERT INTO DATES VALUES (" + std::to_string(++n) + ", TO_DATE('" + s +
         "', 'YYYY-MM-DD HH24:MI:SS'))");
  // Years before 1: the server either holds them as they are or refuses them.
  for (const char* bc :
       {"TO_DATE('-4712-01-01 00:00:00', 'SYYYY-MM-DD HH24:MI:SS')", "TO_DATE('1', 'J')",
        "TO_DATE('-0001-12-31 23:59:59', 'SYYYY-MM-DD HH24:MI:SS')"}) {
    o = db.Get(
        L"ExecuteSQL",
        {A(L"SQL", Text("INSERT INTO DATES VALUES (" + std::to_string(++n) + ", " + bc + ")"))});
    EXPECT_TRUE(o.hr == S_OK || o.exception.rfind("ORA-", 0) == 0) << bc << ": " << o.exception;
  }
  rows = Values("SELECT D, TO_CHAR(D, 'SYYYY-MM-DD HH24:MI:SS') T, N FROM DATES ORDER BY N");
  ASSERT_GE(rows.size(), stored.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string text = Narrow(rows[i][1]->v.bstrVal);
    CivilTime t;
    char sign = ' ';
    ASSERT_EQ(std::sscanf(text.c_str(), "%c%d-%d-%d %d:%d:%d", &sign, &t.year, &t.month, &t.day,
                          &t.hour, &t.minute, &t.second),
              7)
        << text;
    if (sign == '-') t.year = -t.year;
    if (i < stored.size()) {
      EXPECT_EQ(CivilTimeText(t), stored[i]);
    }
    ASSERT_EQ(rows[i][0]->v.vt, VT_DATE) << text;
    EXPECT_EQ(rows[i][0]->v.date, AutomationDateOf(t)) << text;
    EXPECT_EQ(CivilTimeOf(rows[i][0]->v.date), t) << text;
  }
}

// A real script client: VBScript, run by cscript in its own process.
TEST_F(ScriptTest, VBScriptDrivesIt) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("tess-vbs-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path script = dir / "client.vbs";
  {
    std::ofstream out(script, std::ios::binary);
    out << "Set session = CreateObject(\"OracleInProcServer.XOraSession\")\r\n"
           "Set db = session.OpenDatabase(\""
        << database.Server()
        << "\", \"demo/DEMO\", 0)\r\n"
           "Set ds = db.CreateDynaset(\"SELECT DNAME, DEPTNO FROM DEPT ORDER BY DEPTNO\", 0)\r\n"
           "WScript.Echo ds.Fields(\"DNAME\").Value & \"|\" & ds.Fields(1).Value\r\n"
           "col = \"dname\"\r\n"
           "idx = 1\r\n"
           "WScript.Echo ds.Fields.Item(col).Value & \"|\" & ds.Fields.Item(idx).Value & \"|\" & "
           "ds.Fields(col)\r\n"
           "Set f = ds.Fields(col)\r\n"
           "Do Until ds.EOF\r\n"
           "  line = line & f.Value & \",\"\r\n"
           "  ds.MoveNext\r\n"
           "Loop\r\n"
           "WScript.Echo line\r\n"
           "On Error Resume Next\r\n"
           "Set ds = db.CreateDynaset(\"SELECT DNAME FROM DEPT ORDER BY DEPTNO\")\r\n"
           "ds.Fields(0).Value = \"X\"\r\n"
           "WScript.Echo \"value \" & Err.Number & \" \" & ds.Fields(0).Value\r\n"
           "Err.Clear\r\n"
           "ds.EOF = True\r\n"
           "WScript.Echo \"eof \" & Err.Number & \" \" & ds.EOF\r\n"
           "Err.Clear\r\n"
           "db.Options = 5\r\n"
           "WScript.Echo \"options \" & Err.Number & \" \" & db.Options\r\n"
           "Err.Clear\r\n"
           "Set d = db.CreateDynaset(\"SELECT HIREDATE, TO_DATE('0050-06-15 12:34:56', "
           "'YYYY-MM-DD HH24:MI:SS') OLD FROM EMP WHERE TO_CHAR(HIREDATE) = '17-DEC-80'\")\r\n"
           "h = d.Fields(\"HIREDATE\").Value\r\n"
           "WScript.Echo TypeName(h) & \" \" & Year(h) & \"-\" & Month(h) & \"-\" & Day(h)\r\n"
           "WScript.Echo TypeName(d.Fields(\"OLD\").Value) & \" \" & "
           "Round(CDbl(d.Fields(\"OLD\").Value) * 86400)\r\n"
           "WScript.Echo \"done \" & Err.Number\r\n";
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, &sa, 0));
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = write;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string command = "cscript.exe //nologo \"" + script.string() + "\"";
  // Run beside the test, where the server finds the client library it loads by name.
  char here[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, here, MAX_PATH);
  const std::string folder = std::filesystem::path(here).parent_path().string();
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             folder.c_str(), &si, &pi));
  CloseHandle(write);
  std::string output;
  char buf[512];
  DWORD got = 0;
  while (ReadFile(read, buf, sizeof buf, &got, nullptr) && got > 0) output.append(buf, got);
  WaitForSingleObject(pi.hProcess, 60000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(read);
  std::filesystem::remove_all(dir);
  output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
  EXPECT_EQ(output,
            "ACCOUNTING|10\n"
            "ACCOUNTING|10|ACCOUNTING\n"
            "ACCOUNTING,RESEARCH,SALES,OPERATIONS,\n"
            "value 438 ACCOUNTING\n"
            "eof 438 False\n"
            "options 438 0\n"
            "Date 1980-12-17\n"
            "Date " +
                std::to_string(std::llround(AutomationDateOf({50, 6, 15, 12, 34, 56}) * 86400)) +
                "\n"
                "done 0\n");
}

// The server's own conversion of the call interface's 7-byte DATE, over every day from
// 4712 BC to 9999 (the database holds no year before 1): each goes out as the VT_DATE of
// exactly that day and second.
TEST(ServerValues, DatesOfEveryYearGoOutExactly) {
  int days = 0;
  for (int year = kFirstDateYear; year <= kLastDateYear; ++year) {
    if (year == 0) continue;
    // Century and year of the century each stand 100 above their signed values.
    const int a = year < 0 ? -year : year, sign = year < 0 ? -1 : 1;
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 31; ++day) {
        const CivilTime t{year, month, day, day % 24, month * 4, (year + 7000) % 60};
        if (!IsValidCivilTime(t)) break;
        const uint8_t bytes[7] = {uint8_t(100 + sign * (a / 100)),
                                  uint8_t(100 + sign * (a % 100)),
                                  uint8_t(month),
                                  uint8_t(day),
                                  uint8_t(t.hour + 1),
                                  uint8_t(t.minute + 1),
                                  uint8_t(t.second + 1)};
        ScopedVariant v;
        ASSERT_TRUE(tess::olesrv::SetDate(&v.v, bytes)) << CivilTimeText(t);
        ASSERT_EQ(v.v.vt, VT_DATE);
        ASSERT_EQ(CivilTimeOf(v.v.date), t) << CivilTimeText(t);
        ++days;
      }
    }
  }
  EXPECT_EQ(days, 5373081);
  const uint8_t bad[7] = {100, 100, 1, 1, 1, 1, 1};  // the year 0
  ScopedVariant untouched;
  EXPECT_FALSE(tess::olesrv::SetDate(&untouched.v, bad));
  EXPECT_EQ(untouched.v.vt, VT_EMPTY);
}
