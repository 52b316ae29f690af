// The road of one statement walked as a user walks it, under Wine: the connect box filled
// in by typing, a block with server output, a query and an UPDATE typed into the SQL
// editor and run with the mouse; every step's input is real (posted clicks and keys).
#include <gtest/gtest.h>

#include "components/editor/editor.h"
#include "components/lists/sortgrid.h"
#include "framework/core/sysutils.h"
#include "shell/shell_windows.h"
#include "shell/sql_editor.h"
#include "shell_fixture.h"
#include "user_steps.h"

using namespace tess;
using namespace shelltest;
using namespace usersteps;

namespace {

using UserWalkTest = ShellSessionTest;

TEST_F(UserWalkTest, ConnectServerOutputQueryAndUpdate) {
  // A lower-case logon, as typed.
  TyDatabase* db = ConnectThroughTheBox(main.get(), "demo", "demo", database.Server());
  ASSERT_NE(db, nullptr);
  EXPECT_TRUE(boxes.empty()) << boxes[0].text;
  EXPECT_EQ(db->UserName(), "DEMO");
  TfrmEdit* edit = main->FindFrmEdit(db);
  ASSERT_NE(edit, nullptr);

  PressServerOutput(main.get(), db);
  ASSERT_TRUE(db->ServerOutput());
  TypeAndExecute(main.get(), db, kOutputBlock);
  EXPECT_EQ(Trim(edit->edtSQL->Model().GetTextString()), kOutputBlock);
  EXPECT_EQ(edit->ErrorText(), "");
  EXPECT_EQ(edit->StatusText(), "Statement processed");
  TfrmLineWindow* out = edit->ServerOutputWindow();
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(IsWindowVisible(out->Handle()));
  EXPECT_EQ(out->Caption(), "Server Output");
  EXPECT_EQ(out->memLines->Lines()->Text(), "first line\r\nsecond line\r\n");

  TypeAndExecute(main.get(), db, kSelectEmp);
  EXPECT_EQ(Trim(edit->edtSQL->Model().GetTextString()), kSelectEmp);
  EXPECT_EQ(edit->ErrorText(), "");
  TSortGrid* grid = edit->grdResult;
  EXPECT_TRUE(grid->Visible());
  EXPECT_EQ(edit->FetchedRows(), 14);
  EXPECT_EQ(grid->RowCount() - grid->FixedRows(), 14);
  EXPECT_EQ(grid->Cells(1, 0), "EMPNO");
  EXPECT_FALSE(edit->MoreRows());

  TypeAndExecute(main.get(), db, kUpdateDept10);
  EXPECT_EQ(edit->ErrorText(), "");
  EXPECT_EQ(edit->StatusText(), "3 row(s) updated");
  EXPECT_FALSE(grid->Visible());
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
