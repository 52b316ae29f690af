// The schema-browser window on a database of its own, under Wine: found by its session,
// its caches filled and then used by the dictionary routines, its outline, and the
// change notice (message 2025) forwarded by the main window.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "components/editor/editor.h"
#include "components/outline/outlines.h"
#include "oracle/dictionary_cache.h"
#include "oracle/query.h"
#include "oracle/session_services.h"
#include "shell/schema_browser.h"
#include "shell/sql_editor.h"
#include "shell_fixture.h"

using namespace tess;
using namespace shelltest;

namespace {

class SchemaBrowserTest : public ShellSessionTest {
 protected:
  SchemaBrowserTest() {
    db = main->ConnectSession("DEMO", "DEMO", database.Server());
    if (db == nullptr) return;
    browser = main->FindFrmMain(db);
  }

  // The texts of the children of Node.
  std::vector<std::string> ChildTexts(int32_t Node) {
    std::vector<std::string> texts;
    for (int32_t c : browser->Outl1->Tree().Children(Node))
      texts.push_back(browser->Outl1->Tree().Item(c).Text);
    return texts;
  }
  bool HasChild(int32_t Node, const std::string& Text) { return HasChildOf(browser, Node, Text); }
  static bool HasChildOf(TfrmMain* Browser, int32_t Node, const std::string& Text) {
    for (int32_t c : Browser->Outl1->Tree().Children(Node))
      if (Browser->Outl1->Tree().Item(c).Text == Text) return true;
    return false;
  }
  void RunSql(const std::string& Text) {
    TfrmEdit* edit = main->FindFrmEdit(db);
    edit->edtSQL->Model().SetText(Text.c_str());
    edit->ExecuteSQL();
    ASSERT_EQ(edit->ErrorText(), "");
  }
  TyMsgRec Notice(const std::string& Name, TyObjType Type) {
    return TyMsgRec{db->DatabaseName(), "DEMO", Name, Type};
  }

  TyDatabase* db = nullptr;
  TfrmMain* browser = nullptr;
};

TEST_F(SchemaBrowserTest, FoundByItsSessionOnlyAndOwningItsCaches) {
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(FindFrmMain(db), static_cast<TyBrowserCaches*>(browser));
  EXPECT_EQ(browser->Session(), db);
  TyDatabase* other = main->ConnectSession("SYSTEM", "MANAGER", database.Server());
  ASSERT_NE(other, nullptr);
  EXPECT_NE(FindFrmMain(other), nullptr);
  EXPECT_NE(FindFrmMain(other), FindFrmMain(db));
  TyDatabase stranger;
  EXPECT_EQ(FindFrmMain(&stranger), nullptr);
  EXPECT_EQ(FindFrmMain(nullptr), nullptr);
  EXPECT_EQ(browser->Outl1->Style(), TOutlineType::otOwnerDraw);
  EXPECT_EQ(browser->Outl1->ItemHeight(), 14);
}

TEST_F(SchemaBrowserTest, TreeShowsTheSchemasAndTheUsersTablesFromTheCaches) {
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(browser->SchemasCached);
  EXPECT_TRUE(browser->TablesCached);
  EXPECT_FALSE(browser->TablesCacheAllUsers);
  int32_t demo = browser->SchemaNode("DEMO");
  ASSERT_NE(demo, 0);
  EXPECT_NE(browser->SchemaNode("PUBLIC"), 0);
  EXPECT_EQ(browser->Outl1->Tree().Children(0).size(),
            static_cast<size_t>(browser->SchemaCache->Count()));
  // Every schema has its one folder; the user's is open with the demo tables.
  for (int32_t s : browser->Outl1->Tree().Children(0)) ASSERT_EQ(ChildTexts(s).size(), 1u);
  EXPECT_TRUE(browser->Outl1->Expanded(demo + 1));
  for (const char* t : {"BONUS", "DEPT", "EMP", "SALGRADE"})
    EXPECT_TRUE(HasChild(demo + 1, t)) << t;
  EXPECT_EQ(static_cast<int32_t>(ChildTexts(demo + 1).size()), browser->TableCache->Count());

  // Another schema's folder reads its tables when opened, and the cache now holds
  // every user's tables.
  int32_t other = browser->SchemaNode("PUBLIC");
  EXPECT_EQ(ChildTexts(other + 1), std::vector<std::string>{"..."});
  browser->Outl1->SetExpanded(other + 1, true);
  EXPECT_NE(ChildTexts(other + 1), std::vector<std::string>{"..."});
  EXPECT_TRUE(browser->TablesCacheAllUsers);
}

TEST_F(SchemaBrowserTest, AUserNameTypedInLowerCaseIsTheServersOnceConnected) {
  TyDatabase* lower = main->ConnectLogon("demo/demo@" + database.Server());
  ASSERT_NE(lower, nullptr);
  EXPECT_EQ(lower->UserName(), "DEMO");
  EXPECT_EQ(lower->LogonUserName(), "demo");
  EXPECT_EQ(lower->DatabaseName(), database.Server() + "-demo:" + lower->SessionName());
  // The browser opens the user's own schema from the user's own tables.
  TfrmMain* b = main->FindFrmMain(lower);
  ASSERT_NE(b, nullptr);
  int32_t demo = b->SchemaNode("DEMO");
  ASSERT_NE(demo, 0);
  EXPECT_TRUE(b->Outl1->Expanded(demo + 1));
  EXPECT_FALSE(b->TablesCacheAllUsers);
  EXPECT_TRUE(HasChildOf(b, demo + 1, "EMP"));
  std::string user;
  GetSessionUser(lower, user);
  EXPECT_EQ(user, "DEMO");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SchemaBrowserTest, DictionaryRoutinesServeFromTheWindowsCaches) {
  ASSERT_NE(browser, nullptr);
  // An entry only the cache knows proves the answer came from it.
  browser->TableCache->Add("DEMO.ONLY_IN_CACHE");
  TStringList tables;
  TyQuery q;
  ASSERT_TRUE(GetCachedTables(db, &q, &tables, false, "DEMO", false, false));
  EXPECT_GE(tables.IndexOf("ONLY_IN_CACHE"), 0);
  ASSERT_TRUE(GetCachedTables(db, &q, &tables, true, "DEMO", false, false));
  EXPECT_LT(tables.IndexOf("ONLY_IN_CACHE"), 0);

  browser->SchemaCache->Add("NOBODY");
  TStringList schemas;
  ASSERT_TRUE(GetCachedSchemas(db, &schemas, false, false));
  EXPECT_GE(schemas.IndexOf("NOBODY"), 0);
}

TEST_F(SchemaBrowserTest, ChangeNoticeOfATableReloadsTheOwnersOpenFolder) {
  ASSERT_NE(browser, nullptr);
  int32_t demo = browser->SchemaNode("DEMO");
  RunSql("CREATE TABLE NEWT (A NUMBER)");
  EXPECT_FALSE(HasChild(browser->SchemaNode("DEMO") + 1, "NEWT"));

  // Another session's notice changes nothing.
  main->PostObjectChangeMsg(TyMsgRec{"ELSEWHERE", "DEMO", "NEWT", 0});
  Application->ProcessMessages();
  EXPECT_FALSE(HasChild(demo + 1, "NEWT"));
  EXPECT_TRUE(browser->TablesCached);

  main->PostObjectChangeMsg(Notice("NEWT", 0));
  Application->ProcessMessages();
  demo = browser->SchemaNode("DEMO");
  EXPECT_TRUE(HasChild(demo + 1, "NEWT"));
  EXPECT_EQ(*browser->LastHeaderClass(), typeid(TyTableHdr));
  EXPECT_EQ(*browser->LastObjectClass(), typeid(TyTable));
  EXPECT_FALSE(browser->Stale());

  RunSql("DROP TABLE NEWT");
  SendObjectChange(browser, Notice("NEWT", 0));
  EXPECT_FALSE(HasChild(browser->SchemaNode("DEMO") + 1, "NEWT"));
}

TEST_F(SchemaBrowserTest, ChangeNoticeOfOtherKindsGoesThroughTheClassMaps) {
  ASSERT_NE(browser, nullptr);
  // A kind without nodes of either level: nothing to do.
  SendObjectChange(browser, Notice("X", 31));
  EXPECT_EQ(browser->LastHeaderClass(), nullptr);
  EXPECT_EQ(browser->LastObjectClass(), nullptr);
  EXPECT_FALSE(browser->Stale());
  // A procedure has folders of its own, which this tree does not show yet.
  SendObjectChange(browser, Notice("P", 13));
  EXPECT_EQ(*browser->LastHeaderClass(), typeid(TyProcedureHdr));
  EXPECT_EQ(*browser->LastObjectClass(), typeid(TyProcedure));
  EXPECT_TRUE(browser->Stale());

  // A user's notice reads the schemas again.
  browser->SchemaCache->Add("NOBODY");
  browser->Outl1->Add(0, "NOBODY");
  SendObjectChange(browser, TyMsgRec{db->DatabaseName(), "", "NEWBIE", 22});
  EXPECT_EQ(*browser->LastObjectClass(), typeid(TyUser));
  EXPECT_LT(browser->SchemaCache->IndexOf("NOBODY"), 0);
  EXPECT_EQ(browser->SchemaNode("NOBODY"), 0);
  EXPECT_NE(browser->SchemaNode("DEMO"), 0);
}

TEST_F(SchemaBrowserTest, RollUpBrowserOpensFromTheMainWindowAndTakesTheNotice) {
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(main->FindFrmMain2(db), nullptr);
  main->btnRollUp->Click();
  TfrmMain2* rollUp = main->FindFrmMain2(db);
  ASSERT_NE(rollUp, nullptr);
  EXPECT_TRUE(IsWindowVisible(rollUp->Handle()));
  EXPECT_EQ(rollUp->Caption(), "Roll-up Browser - " + db->DatabaseName());
  int32_t demo = rollUp->SchemaNode("DEMO");
  ASSERT_NE(demo, 0);
  EXPECT_TRUE(HasChildOf(rollUp, demo + 1, "EMP"));
  // Opened again: the same window.
  main->btnRollUp->Click();
  EXPECT_EQ(main->FindFrmMain2(db), rollUp);

  // The main window hands it the notice; it acts through the class maps.
  RunSql("CREATE TABLE ROLLT (A NUMBER)");
  main->PostObjectChangeMsg(Notice("ROLLT", 0));
  Application->ProcessMessages();
  EXPECT_TRUE(HasChildOf(rollUp, rollUp->SchemaNode("DEMO") + 1, "ROLLT"));
  EXPECT_EQ(*rollUp->LastHeaderClass(), typeid(TyTableHdr));
  main->PostObjectChangeMsg(Notice("P", 13));
  Application->ProcessMessages();
  EXPECT_EQ(*rollUp->LastObjectClass(), typeid(TyProcedure));
  EXPECT_TRUE(rollUp->Stale());
  // Another session's notice is not its business.
  SendObjectChange(rollUp, TyMsgRec{"ELSEWHERE", "DEMO", "X", 22});
  EXPECT_EQ(*rollUp->LastObjectClass(), typeid(TyProcedure));

  // The session's caches stay the main browser's.
  EXPECT_EQ(FindFrmMain(db), static_cast<TyBrowserCaches*>(browser));
}

}  // namespace
