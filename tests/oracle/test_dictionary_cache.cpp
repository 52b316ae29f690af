// The browser window's name caches: loaded once, reloaded on request or when another
// schema needs all users' names, never duplicated, never marked loaded after a cut-short
// or failed load, and the user interface restored on every way out.
#include <gtest/gtest.h>

#include <set>

#include "dictionary_fixture.h"
#include "oracle/dictionary_cache.h"
#include "services/browser_caches.h"
#include "services/text_routines.h"

using namespace sessiontest;

namespace {

// A cache that runs out of memory after a number of entries.
class TinyList : public TStringList {
 public:
  explicit TinyList(int room) : room_(room) {}
  int AddObject(const std::string& S, TObject* O) override {
    if (Count() >= room_) throw EOutOfMemory("Out of memory");
    return TStringList::AddObject(S, O);
  }
  int Add(const std::string& S) override { return AddObject(S, nullptr); }

 private:
  int room_;
};

struct CacheTest : DictionaryTest {
  TyBrowserCaches browser{db.get()};
  TyQuery q;
  TStringList list;
  CacheTest() { shell.browsers[db.get()] = &browser; }

  bool Tables(const std::string& schema, bool qualified = false, bool refresh = false) {
    return GetCachedTables(db.get(), &q, &list, refresh, schema, true, qualified);
  }
};

}  // namespace

TEST_F(CacheTest, SchemasAndTablespaces) {
  ASSERT_TRUE(GetCachedSchemas(db.get(), &list, false, true));
  // Users owning objects, then PUBLIC last; EMPTY owns nothing.
  EXPECT_EQ(Items(list), (Names{"DEMO", "SCOTT", "SYS", "PUBLIC"}));
  EXPECT_TRUE(browser.SchemasCached);
  EXPECT_EQ(browser.SchemaCache->UpdateCount(), 0);
  EXPECT_FALSE(shell.mainWindowDisabled);
  EXPECT_EQ(shell.mainWindowDisables, 1);  // while the cancellable load ran
  EXPECT_EQ(shell.statusHiddenOverDisabledMain, 0);
  // Served from the cache: the dictionary is not asked again.
  RunAs("SYSTEM", "MANAGER",
        "CREATE USER ADAMS IDENTIFIED BY ADAMS;\nGRANT CONNECT, RESOURCE TO ADAMS;\n");
  RunAs("ADAMS", "ADAMS", "CREATE TABLE ORDERS (ID NUMBER);\nGRANT SELECT ON ORDERS TO PUBLIC;\n");
  ASSERT_TRUE(GetCachedSchemas(db.get(), &list, false, true));
  EXPECT_EQ(list.Count(), 4);
  // A refresh starts from an empty cache.
  ASSERT_TRUE(GetCachedSchemas(db.get(), &list, true, true));
  EXPECT_EQ(Items(list), (Names{"ADAMS", "DEMO", "SCOTT", "SYS", "PUBLIC"}));
  // The session user is there even without objects.
  auto empty = Connect("empty", "EMPTY", "EMPTY");
  TyBrowserCaches emptyBrowser{empty.get()};
  shell.browsers[empty.get()] = &emptyBrowser;
  ASSERT_TRUE(GetCachedSchemas(empty.get(), &list, false, false));
  EXPECT_EQ(Items(list), (Names{"ADAMS", "SCOTT", "SYS", "EMPTY", "PUBLIC"}));

  ASSERT_TRUE(GetCachedTableSpaces(db.get(), &list, false, false));
  EXPECT_EQ(Items(list), (Names{"SYSTEM", "TEMP", "USERS"}));
  ASSERT_TRUE(GetCachedTableSpaces(db.get(), &list, true, false));
  EXPECT_EQ(list.Count(), 3);

  EXPECT_THROW(GetCachedSchemas(db.get(), nullptr, false, false), EyIntError);
  auto other = Connect("nobrowser");
  try {
    GetCachedTableSpaces(other.get(), &list, false, false);
    FAIL();
  } catch (const EyIntError& e) {
    EXPECT_EQ(e.Message(), "Corresponding Tessellar for the current connection not found");
  }
  EXPECT_EQ(shell.hourglassDepth, 0);
}

TEST_F(CacheTest, TablesUpgradeFromTheUserToAllUsers) {
  ASSERT_TRUE(Tables("DEMO"));
  EXPECT_EQ(shell.status.back(), "Loading User's Tables ...");
  EXPECT_EQ(Items(list), (Names{"BONUS", "DEPT", "EMP", "EMP_SKILLS", "NOTES", "O'NEIL",
                                "PLAN_TABLE", "SALGRADE"}));
  EXPECT_FALSE(browser.TablesCacheAllUsers);
  size_t loads = shell.status.size();
  ASSERT_TRUE(Tables("DEMO", true));  // from the cache
  EXPECT_EQ(shell.status.size(), loads);
  EXPECT_EQ(Items(list), (Names{"DEMO.BONUS", "DEMO.DEPT", "DEMO.EMP", "DEMO.EMP_SKILLS",
                                "DEMO.NOTES", "DEMO.O'NEIL", "DEMO.PLAN_TABLE", "DEMO.SALGRADE"}));

  // Another schema needs every user's tables: one reload.
  ASSERT_TRUE(Tables("SCOTT"));
  EXPECT_EQ(shell.status.back(), "Loading All Tables ...");
  EXPECT_EQ(Items(list), (Names{"PROJECTS", "TASKS"}));
  EXPECT_TRUE(browser.TablesCacheAllUsers);
  loads = shell.status.size();
  // The user's own tables come from the all-users cache, and only theirs.
  ASSERT_TRUE(Tables("DEMO"));
  ASSERT_TRUE(Tables("SCOTT", true));
  EXPECT_EQ(shell.status.size(), loads);
  EXPECT_EQ(Items(list), (Names{"SCOTT.PROJECTS", "SCOTT.TASKS"}));
  ASSERT_TRUE(Tables("NOBODY"));
  EXPECT_TRUE(list.Count() == 0);

  // A refresh reloads without duplicating.
  ASSERT_TRUE(Tables("DEMO", false, true));
  EXPECT_EQ(list.Count(), 8);
  EXPECT_EQ(browser.TableCache->Count(), 8);
  EXPECT_EQ(shell.hourglassDepth, 0);
  EXPECT_FALSE(shell.statusShown);
  EXPECT_FALSE(shell.mainWindowDisabled);

  EXPECT_FALSE(GetCachedTables(db.get(), &q, nullptr, false, "DEMO", false, false));
  EXPECT_EQ(shell.diagnostics.back(), "GetCachedTables: Table Stringlist pointer is nil");
}

TEST_F(CacheTest, ObjectsCarryTheirTypes) {
  ASSERT_TRUE(GetCachedTabVwSyn(db.get(), &q, &list, false, "DEMO", false, true));
  std::map<std::string, int> types;
  for (int i = 0; i < list.Count(); ++i) types[list.Strings(i)] = ObjTypeOfObject(list.Objects(i));
  EXPECT_EQ(types, (std::map<std::string, int>{{"DEMO.BONUS", 0},
                                               {"DEMO.DEPT", 0},
                                               {"DEMO.EMP", 0},
                                               {"DEMO.EMPLOYEES", 20},
                                               {"DEMO.EMP_DEPT_V", 2},
                                               {"DEMO.EMP_SKILLS", 0},
                                               {"DEMO.NOTES", 0},
                                               {"DEMO.O'NEIL", 0},
                                               {"DEMO.PLAN_TABLE", 0},
                                               {"DEMO.SALGRADE", 0}}));
  // PUBLIC holds synonyms only: ours and the dictionary's.
  ASSERT_TRUE(GetCachedTabVwSyn(db.get(), &q, &list, false, "PUBLIC", false, false));
  ASSERT_NE(list.IndexOf("PUB_EMP"), -1);
  EXPECT_NE(list.IndexOf("ALL_OBJECTS"), -1);
  for (int i = 0; i < list.Count(); ++i)
    EXPECT_EQ(ObjTypeOfObject(list.Objects(i)), 20) << list.Strings(i);
}

// A quoted owner may hold a ".": its names stay its own, apart from those of a user whose
// table's name holds the rest of it.
TEST_F(CacheTest, OwnersAndNamesMayHoldADot) {
  RunAs("SYSTEM", "MANAGER",
        "CREATE USER \"A.B\" IDENTIFIED BY PW;\nGRANT CONNECT, RESOURCE TO \"A.B\";\n"
        "CREATE USER A IDENTIFIED BY PW;\nGRANT CONNECT, RESOURCE TO A;\n");
  RunAs("\"A.B\"", "PW",
        "CREATE TABLE EMP (ID NUMBER);\nCREATE VIEW V AS SELECT * FROM EMP;\n"
        "GRANT SELECT ON EMP TO PUBLIC;\n");
  RunAs("A", "PW", "CREATE TABLE \"B.EMP\" (ID NUMBER);\nGRANT SELECT ON \"B.EMP\" TO PUBLIC;\n");
  ASSERT_TRUE(Tables("A.B"));
  EXPECT_EQ(Items(list), (Names{"EMP"}));
  ASSERT_TRUE(Tables("A"));
  EXPECT_EQ(Items(list), (Names{"B.EMP"}));
  ASSERT_TRUE(Tables("A.B", true));
  EXPECT_EQ(Items(list), (Names{"\"A.B\".EMP"}));
  ASSERT_TRUE(Tables("A", true));
  EXPECT_EQ(Items(list), (Names{"A.\"B.EMP\""}));
  // The user's own objects, from a cache of its own.
  auto ab = Connect("ab", "\"A.B\"", "PW");
  TyBrowserCaches abBrowser{ab.get()};
  shell.browsers[ab.get()] = &abBrowser;
  ASSERT_TRUE(GetCachedTabVwSyn(ab.get(), &q, &list, false, "A.B", false, false));
  EXPECT_EQ(Items(list), (Names{"EMP", "V"}));
  ASSERT_TRUE(GetCachedTabVwSyn(ab.get(), &q, &list, false, "A", false, false));
  EXPECT_EQ(Items(list), (Names{"B.EMP"}));
}

TEST_F(CacheTest, CutShortOrFailedLoadsAreLoadedAgain) {
  browser.TableCache = std::make_unique<TinyList>(2);
  ASSERT_TRUE(Tables("DEMO"));
  EXPECT_EQ(list.Count(), 2);  // what was read serves this call
  EXPECT_EQ(shell.errors, (Names{"Limited number of tables loaded"}));
  EXPECT_FALSE(browser.TablesCached);
  browser.TableCache = std::make_unique<TStringList>();
  ASSERT_TRUE(Tables("DEMO"));
  EXPECT_EQ(list.Count(), 8);
  EXPECT_TRUE(browser.TablesCached);

  // A server error keeps nothing marked and restores the window.
  ASSERT_EQ(oratest::Kill(*db->Connection()), 0);
  EXPECT_THROW(Tables("DEMO", false, true), EySQLError);
  EXPECT_FALSE(browser.TablesCached);
  EXPECT_EQ(shell.hourglassDepth, 0);
  EXPECT_FALSE(shell.statusShown);
  EXPECT_FALSE(shell.mainWindowDisabled);

  browser.TabVwSynCache.reset();
  EXPECT_FALSE(GetCachedTabVwSyn(db.get(), &q, &list, false, "DEMO", false, false));
  EXPECT_EQ(shell.diagnostics.back(), "CacheTabVwSyn: frmMain Table Stringlist not created");
  browser.SchemaCache.reset();
  EXPECT_THROW(GetCachedSchemas(db.get(), &list, false, false), EyIntError);
}

// Owners that differ only in case are different users: after an all-users load every
// owner's list, for both caches and both forms, is exactly what the dictionary holds for it.
TEST_F(CacheTest, EveryOwnerGetsAllItsNamesFromAnAllUsersLoad) {
  RunAs("SYSTEM", "MANAGER",
        "CREATE USER \"demo\" IDENTIFIED BY PW;\nGRANT CONNECT, RESOURCE TO \"demo\";\n"
        "CREATE USER \"Demo\" IDENTIFIED BY PW;\nGRANT CONNECT, RESOURCE TO \"Demo\";\n");
  // Names that sort among DEMO's (BONUS, DEPT, EMP, ...) when case is ignored.
  auto tables = [](const char* a, const char* b, const char* c, const char* v) {
    return std::string("CREATE TABLE ") + a + " (ID NUMBER);\nCREATE TABLE " + b +
           " (ID NUMBER);\nCREATE TABLE " + c + " (ID NUMBER);\nCREATE VIEW " + v +
           " AS SELECT * FROM " + a + ";\nGRANT SELECT ON " + a + " TO PUBLIC;\nGRANT SELECT ON " +
           b + " TO PUBLIC;\nGRANT SELECT ON " + c + " TO PUBLIC;\nGRANT SELECT ON " + v +
           " TO PUBLIC;\n";
  };
  RunAs("\"demo\"", "PW", tables("CAT", "DOG", "\"eel\"", "FOX"));
  RunAs("\"Demo\"", "PW", tables("ANT", "DUCK", "\"elk\"", "GNU"));
  Exec("CREATE TABLE \"E.F\" (ID NUMBER)");

  // The dictionary's answer for each owner, in the cache's form.
  auto expected = [&](const std::string& owner, const char* view, bool qualified) {
    TyQuery d;
    d.SetDatabase(db.get());
    d.SQL().Add(std::string("SELECT OWNER, ") +
                (std::string(view) == "ALL_TABLES" ? "TABLE_NAME" : "OBJECT_NAME") + " FROM " +
                view + " WHERE OWNER = '" + owner + "'" +
                (std::string(view) == "ALL_OBJECTS"
                     ? " AND OBJECT_TYPE IN ('TABLE','VIEW','SYNONYM')"
                     : ""));
    d.Open();
    std::set<std::string> names;
    for (; !d.Eof(); d.Next()) {
      const std::string o = d.Fields(0)->AsString(), n = d.Fields(1)->AsString();
      names.insert(qualified ? QualifiedName(o, n) : n);
    }
    return names;
  };
  auto got = [&] {
    const std::vector<std::string> items = Items(list);
    return std::set<std::string>(items.begin(), items.end());
  };
  for (bool qualified : {false, true}) {
    // An all-users load first, through another schema.
    ASSERT_TRUE(Tables("SCOTT", qualified, true));
    ASSERT_TRUE(GetCachedTabVwSyn(db.get(), &q, &list, true, "SCOTT", false, qualified));
    for (const char* owner : {"DEMO", "demo", "Demo", "SCOTT"}) {
      ASSERT_TRUE(Tables(owner, qualified));
      EXPECT_EQ(got(), expected(owner, "ALL_TABLES", qualified)) << owner;
      EXPECT_EQ(list.Count(), static_cast<int>(got().size())) << owner;
      ASSERT_TRUE(GetCachedTabVwSyn(db.get(), &q, &list, false, owner, false, qualified));
      EXPECT_EQ(got(), expected(owner, "ALL_OBJECTS", qualified)) << owner;
    }
  }
  EXPECT_TRUE(browser.TablesCacheAllUsers);
}
