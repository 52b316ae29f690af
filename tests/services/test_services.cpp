// The services the lower layers call: message routing to the installed shell, the cancel
// flag, the exception family, the settings record and the small text routines.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/core/strings.h"
#include "services/exceptions.h"
#include "services/prefs.h"
#include "services/text_routines.h"
#include "shell/recording_services.h"

using namespace tess;

TEST(ShellServices, RoutesToTheInstalledShellAndRestoresThePrevious) {
  {
    TRecordingServices outer;
    {
      TRecordingServices inner;
      ShowErrorMsg("inner");
      EXPECT_EQ(inner.errors.size(), 1u);
    }
    ShowErrorMsg("outer");
    ShowDiagnosticMsg("diag");
    AddProcessingOutputLine(" ");
    ASSERT_EQ(outer.errors.size(), 1u);
    EXPECT_EQ(outer.errors[0], "outer");
    EXPECT_EQ(outer.diagnostics[0], "diag");
    EXPECT_EQ(outer.output[0], " ");
  }
  // Without a shell nothing is shown and nothing fails.
  EXPECT_EQ(SetShellServices(nullptr), nullptr);
  ShowDiagnosticMsg("no shell");
  ShowStatus("no shell");
  StartHourglass();
  StopHourglass();
}

TEST(ShellServices, StatusWindowClearsTheCancelFlag) {
  TRecordingServices rec;
  SetCancelFlag();
  EXPECT_TRUE(CancelFlag());
  ShowStatus("Working");
  EXPECT_FALSE(CancelFlag());
  SetCancelFlag();
  ShowStatusNoCancel("Working");
  EXPECT_FALSE(CancelFlag());
  SetCancelFlag();
  HideStatus();
  EXPECT_FALSE(CancelFlag());
  EXPECT_EQ(rec.status.size(), 2u);
  EXPECT_EQ(rec.statusHidden, 1);
}

TEST(ShellExceptions, FamilyAndCode) {
  try {
    throw EySQLError("ST-ORA-1013 User requested cancel of current operation.", 1013);
  } catch (const EyException& e) {
    auto* sql = dynamic_cast<const EySQLError*>(&e);
    ASSERT_NE(sql, nullptr);
    EXPECT_EQ(sql->ErrorCode(), 1013);
    EXPECT_STREQ(e.what(), "ST-ORA-1013 User requested cancel of current operation.");
  }
  EyIntError internal("Query not connected to database");
  const Exception& root = internal;
  EXPECT_EQ(root.Message(), "Query not connected to database");
}

TEST(ShellText, QualifiedNames) {
  EXPECT_EQ(ExtractSchemaName(" demo . emp "), "demo");
  EXPECT_EQ(ExtractObjectName(" demo . emp "), "emp");
  EXPECT_EQ(ExtractSchemaName("emp"), "");
  EXPECT_EQ(ExtractObjectName("  emp "), "emp");
  EXPECT_EQ(ExtractObjectName("a.b.c"), "b.c");
  // A quoted part may hold a ".": the first "." outside quotes divides, and the parts come
  // back without their quotes; QualifiedName writes them so.
  for (const auto& [owner, name] : std::vector<std::pair<std::string, std::string>>{
           {"A.B", "EMP"}, {"A", "B.EMP"}, {"A.", ".B"}, {"DEMO", "EMP"}}) {
    const std::string q = QualifiedName(owner, name);
    EXPECT_EQ(ExtractSchemaName(q), owner) << q;
    EXPECT_EQ(ExtractObjectName(q), name) << q;
  }
  EXPECT_EQ(QualifiedName("DEMO", "EMP"), "DEMO.EMP");
  EXPECT_EQ(QualifiedName("A.B", "EMP"), "\"A.B\".EMP");
  EXPECT_EQ(ExtractSchemaName(" \"A.B\" . emp"), "A.B");
}

TEST(ShellText, ReplicateAndTypes) {
  EXPECT_EQ(ReplicateStr("ab", 3), "ababab");
  EXPECT_EQ(ReplicateStr("ab", 0), "");
  EXPECT_EQ(ReplicateStr("ab", -2), "");
  EXPECT_EQ(ReplicateStr("", 5), "");
  EXPECT_EQ(ObjectTypeFromName("TABLE"), 0);
  EXPECT_EQ(ObjectTypeFromName("VIEW"), 2);
  EXPECT_EQ(ObjectTypeFromName("SYNONYM"), 20);
  EXPECT_EQ(ObjectTypeFromName("PACKAGE"), 31);
  EXPECT_EQ(ObjectTypeFromName(""), 31);
}

TEST(ShellText, TrailingBlankLines) {
  TStringList list;
  for (const char* s : {"a", "", "b", "  ", "\t", ""}) list.Add(s);
  DeleteTrailingBlankLines(list);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(2), "b");
  TStringList blank;
  blank.Add(" ");
  DeleteTrailingBlankLines(blank);
  EXPECT_EQ(blank.Count(), 0);
}

TEST(ShellServices, WithoutAMainWindowThereIsNothingToFind) {
  EXPECT_EQ(cbxDBList2(), nullptr);
  EXPECT_EQ(GetMainFormQuery(), nullptr);
  EXPECT_EQ(FindFrmMain(nullptr), nullptr);
  EXPECT_EQ(ExecutingSession(), nullptr);
  // The settings record exists before the shell has read any settings.
  ASSERT_NE(gPrefs, nullptr);
  EXPECT_TRUE(gPrefs->NonBlocking);
  EXPECT_EQ(gPrefs->Dbms_Output_buffer, 10000);
  EXPECT_EQ(gPrefs->CheckMode, 0);
}
