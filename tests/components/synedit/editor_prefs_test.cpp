// The editor preferences applied to a real syntax-colouring editor, and the editor
// control behind the access layer's editor interface: selecting the word at the caret
// and jumping to a stored program's compile error.
#include <gtest/gtest.h>

#include "components/synedit/editor_control_access.h"
#include "components/synedit/editor_prefs.h"
#include "components/synedit/synedit.h"
#include "framework/core/strings.h"
#include "oracle/stored_programs.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

class EditorPrefsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    new TOvcController(form);
    ed = new TySynEdit(form);
    ed->SetParent(form);
    ed->SetBounds(0, 0, 300, 150);
    ShowForm();
    saved = *gPrefs;
  }
  void TearDown() override {
    *gPrefs = saved;
    FormTest::TearDown();
  }
  TySynEdit* ed = nullptr;
  TyPrefsRec saved;
};

TEST_F(EditorPrefsTest, HighlightingOnSetsColoursFontAndTheGlobalSettings) {
  TEditorPrefs p;
  p.ScanForComments = false;
  p.BackgroundColor = 0x102030;
  p.NormalTextColor = 0x000011;
  p.CommentTextColor = 0x000022;
  p.PLSQLTextColor = 0x000033;
  p.SQLTextColor = 0x000044;
  p.StringTextColor = 0x000055;
  p.SymbolTextColor = 0x000066;
  p.FontSize = 14;
  gPrefs->TabType = 2;
  gPrefs->TabSize = 4;
  gPrefs->ScrollPastEnd = true;
  ed->SetSelectedTextColor(0x0A0B0C);
  ed->SetSelectedTextBackColor(0x0D0E0F);
  ApplyEditorPrefs(p, ed);
  EXPECT_TRUE(ed->UseSyntaxHighlighting());
  EXPECT_FALSE(ed->ScanForComments());
  EXPECT_EQ(ed->Color(), 0x102030);
  EXPECT_EQ(ed->NormalTextColor(), 0x000011);
  EXPECT_EQ(ed->CommentTextColor(), 0x000022);
  EXPECT_EQ(ed->PLSQLTextColor(), 0x000033);
  EXPECT_EQ(ed->SQLTextColor(), 0x000044);
  EXPECT_EQ(ed->StringTextColor(), 0x000055);
  EXPECT_EQ(ed->SymbolTextColor(), 0x000066);
  EXPECT_EQ(ed->FixedFont()->Size(), 14);
  EXPECT_EQ(ed->FixedFont()->Color(), 0x000011);
  // The control measures with the fixed font it was given.
  EXPECT_EQ(ed->Font()->Size(), 14);
  // Never the selection colours.
  EXPECT_EQ(ed->SelectedTextColor(), 0x0A0B0C);
  EXPECT_EQ(ed->SelectedTextBackColor(), 0x0D0E0F);
  EXPECT_EQ(ed->Model().TabType, ttSmart);
  EXPECT_EQ(ed->Model().TabSize(), 4);
  EXPECT_TRUE(ed->Model().ScrollPastEnd());
  EXPECT_TRUE(ed->FullRepaintPending());
  ApplyEditorPrefs(p, nullptr);  // nothing for no editor
}

TEST_F(EditorPrefsTest, HighlightingOffSetsThePlainColours) {
  ed->SetUseSyntaxHighlighting(true);
  ed->SetCommentTextColor(0x000077);
  TEditorPrefs p;
  p.UseSyntaxHighlighting = false;
  p.ScanForComments = false;
  p.PlainBackgroundColor = 0x00EEEE;
  p.PlainTextColor = 0x000099;
  p.FontSize = 9;
  gPrefs->TabType = 1;
  gPrefs->TabSize = 3;
  gPrefs->ScrollPastEnd = false;
  ApplyEditorPrefs(p, ed);
  EXPECT_FALSE(ed->UseSyntaxHighlighting());
  EXPECT_TRUE(ed->ScanForComments()) << "left as it was";
  EXPECT_EQ(ed->Color(), 0x00EEEE);
  EXPECT_EQ(ed->FixedFont()->Color(), 0x000099);
  EXPECT_EQ(ed->FixedFont()->Size(), 9);
  EXPECT_EQ(ed->CommentTextColor(), 0x000077) << "token colours untouched";
  EXPECT_EQ(ed->Model().TabType, ttFixed);
  EXPECT_EQ(ed->Model().TabSize(), 3);
  EXPECT_FALSE(ed->Model().ScrollPastEnd());
}

// A memo of error lines held in a string list.
class ListMemo : public TyMemoAccess {
 public:
  TStrings& Lines() override { return lines; }
  void SetSelection(int32_t, int32_t) override {}
  void ScrollCaret() override {}
  TStringList lines;
};

TEST_F(EditorPrefsTest, StoredProgramRoutinesWorkOnTheRealEditor) {
  TyEditorControlAccess access(*ed);
  {
    TyEditorUpdateScope update(access);
    access.BeginUpdate();
    for (const char* s : {"PROCEDURE p IS", "\tv_count NUMBER;", "BEGIN", "  v_cuont := 1;", "END;"})
      access.AppendPara(s);
    access.EndUpdate();
  }
  EXPECT_EQ(access.ParaCount(), 6);  // the list's own last paragraph stays last
  EXPECT_EQ(access.GetPara(2), "\tv_count NUMBER;");
  EXPECT_EQ(access.GetLine(2), "\tv_count NUMBER;");
  EXPECT_EQ(access.TextLength(), ed->Model().GetTextLength());

  // Error 0 at line 2 position 2 (after the tab), error 1 at line 4 position 3; the header
  // offset moves the line.
  ListMemo memo;
  memo.lines.SetText("PLS-1 at 2\r\nPLS-2 at 4");
  TyStoredPgmErrorList errors;
  errors.push_back(std::make_unique<TyStoredPgmError>(2, 2));
  errors.push_back(std::make_unique<TyStoredPgmError>(5, 3));
  GotoStoredPgmError(&memo, &errors, 0, &access, 0);
  EXPECT_EQ(ed->Model().GetSelText(), "v_count");
  GotoStoredPgmError(&memo, &errors, -1, &access, 1);
  EXPECT_EQ(ed->Model().GetSelText(), "v_cuont");
  int32_t line = 0, col = 0;
  access.GetCaretPosition(line, col);
  EXPECT_EQ(line, 4);
  EXPECT_EQ(col, 10);

  // On a blank the word selection selects nothing.
  access.SetCaretPosition(4, 1);
  SelectWordFromCaret(&access);
  EXPECT_EQ(ed->Model().GetSelText(), "");
}

}  // namespace
}  // namespace tess
