// Editing in a real table: the editor started and stopped through the table, vetoes from
// the events, leaving a cell by Tab, Enter and the arrows as real key messages, combo-box
// and check-box cells edited through the table, a typed first key arriving once, the private messages, the focus reports of the editor, and
// the editor hidden under the redraw lock.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "components/table/celltext.h"
#include "components/table/combocell.h"
#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/win/recordcanvas.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

// Records what the table's focus handler saw when the focus arrived.
class TWatchedTable : public TOvcTable {
 public:
  using TOvcTable::TOvcTable;
  struct Arrival {
    bool Editing;
    bool EditorVisible;
  };
  std::vector<Arrival> arrivals;
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_SETFOCUS) {
      HWnd E = EditingCell() ? EditingCell()->EditHandle() : nullptr;
      arrivals.push_back({InEditingState(), E && IsWindowVisible(static_cast<HWND>(E))});
    }
    TOvcTable::Dispatch(M);
  }
};

class EditTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetBounds(0, 0, 640, 400);
    new TOvcController(form);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(0, 340, 100, 24);
    table = new TWatchedTable(form);
    table->Font()->SetName("Courier New");
    table->Font()->SetSize(10);
    table->SetParent(form);
    table->SetBounds(0, 0, 600, 330);
    table->SetRowLimit(20);
    table->SetColCount(5);
    for (int C = 0; C < 5; ++C) table->Columns().SetWidth(C, 80);
    heads = new TOvcTCColHead(form);
    table->SetLockedRowsCell(heads);
    for (int C = 1; C < 5; ++C) {
      cells[C] = new TOvcTCString(form);
      table->SetColumnCell(C, cells[C]);
    }
    table->OnGetCellData = [this](TObject*, int32_t R, int C, void*& Data,
                                  TOvcCellDataPurpose P) {
      purposes.push_back(P);
      Data = Value(R, C).data();
    };
    for (int R = 1; R < 20; ++R)
      for (int C = 1; C < 5; ++C) {
        std::string V = "v";
        V += std::to_string(R);
        V += std::to_string(C);
        Set(R, C, V);
      }
    ShowForm();
    Pump();
    table->SetFocus();
    Pump();
  }

  std::array<uint8_t, 256>& Value(int32_t R, int C) { return model[{R, C}]; }
  void Set(int32_t R, int C, const std::string& S) { StoreShortString(Value(R, C).data(), S, 0); }
  std::string Get(int32_t R, int C) { return ReadShortString(Value(R, C).data()); }
  TOvcTCStringEdit* Editor() {
    auto* Cell = dynamic_cast<TOvcTCString*>(table->EditingCell());
    return Cell ? Cell->EditControl() : nullptr;
  }
  HWND EditorWnd() { return Editor() ? static_cast<HWND>(Editor()->Handle()) : nullptr; }
  std::pair<int32_t, int> Active() { return {table->ActiveRow(), table->ActiveCol()}; }
  void Type(const std::string& S) {
    for (char Ch : S) testing::PressKey(static_cast<unsigned char>(std::toupper(Ch)));
  }

  TWatchedTable* table = nullptr;
  TEdit* other = nullptr;
  TOvcTCColHead* heads = nullptr;
  TOvcTCString* cells[5] = {};
  std::map<std::pair<int32_t, int>, std::array<uint8_t, 256>> model;
  std::vector<TOvcCellDataPurpose> purposes;
};

TEST_F(EditTest, StartAndStopEditingState) {
  int begins = 0, ends = 0, dones = 0;
  table->OnBeginEdit = [&](TObject*, int32_t R, int C, bool& Allow) {
    EXPECT_TRUE(Allow);
    EXPECT_EQ(std::make_pair(R, C), std::make_pair(1, 1));
    ++begins;
  };
  table->OnEndEdit = [&](TObject*, TOvcTableCellAncestor* Cell, int32_t, int, bool& Allow) {
    EXPECT_EQ(Cell, cells[1]);
    EXPECT_TRUE(Allow);
    ++ends;
  };
  table->OnDoneEdit = [&](TObject*, int32_t, int) {
    EXPECT_FALSE(table->InEditingState());
    ++dones;
  };
  EXPECT_TRUE(table->StopEditingState(true));  // idle: nothing to stop
  EXPECT_EQ(ends, 0);

  purposes.clear();
  ASSERT_TRUE(table->StartEditingState());
  EXPECT_TRUE(table->InEditingState());
  ASSERT_NE(EditorWnd(), nullptr);
  EXPECT_TRUE(IsWindowVisible(EditorWnd()));
  EXPECT_EQ(GetFocus(), EditorWnd());
  EXPECT_EQ(Editor()->Text(), "v11");
  EXPECT_EQ(purposes, std::vector<TOvcCellDataPurpose>{TOvcCellDataPurpose::cdpForEdit});
  // The editor lies over the active cell.
  TRect Cell;
  ASSERT_TRUE(table->GetActiveCellRect(Cell));
  RECT W;
  GetWindowRect(EditorWnd(), &W);
  MapWindowPoints(nullptr, static_cast<HWND>(table->Handle()), reinterpret_cast<POINT*>(&W), 2);
  EXPECT_EQ(TRect(W.left, W.top, W.right, W.bottom), Cell);
  // Again while editing: nothing else happens.
  EXPECT_TRUE(table->StartEditingState());
  EXPECT_EQ(begins, 1);

  Editor()->SetText("changed");
  purposes.clear();
  EXPECT_TRUE(table->StopEditingState(true));
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(Get(1, 1), "changed");
  EXPECT_EQ(purposes.front(), TOvcCellDataPurpose::cdpForSave);
  EXPECT_EQ(std::make_tuple(ends, dones), std::make_tuple(1, 1));
  EXPECT_EQ(cells[1]->EditHandle(), nullptr);
  EXPECT_EQ(GetFocus(), static_cast<HWND>(table->Handle()));

  // Without saving, the value stays.
  ASSERT_TRUE(table->StartEditingState());
  Editor()->SetText("dropped");
  EXPECT_TRUE(table->StopEditingState(false));
  EXPECT_EQ(Get(1, 1), "changed");
}

TEST_F(EditTest, VetoesAndCellsThatCannotEdit) {
  bool allow_begin = false;
  table->OnBeginEdit = [&](TObject*, int32_t, int, bool& Allow) { Allow = allow_begin; };
  EXPECT_FALSE(table->StartEditingState());
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(cells[1]->EditHandle(), nullptr);

  // Read-only cells and columns without a cell stay idle.
  allow_begin = true;
  cells[1]->SetAccess(TOvcTblAccess::otxReadOnly);
  EXPECT_FALSE(table->StartEditingState());
  EXPECT_EQ(cells[1]->EditHandle(), nullptr);
  cells[1]->SetAccess(TOvcTblAccess::otxDefault);
  table->SetColumnCell(2, nullptr);
  table->SetActiveCell(1, 2);
  EXPECT_FALSE(table->StartEditingState());
  EXPECT_FALSE(table->InEditingState());

  // An end-edit veto keeps the editor, and a move elsewhere is cancelled.
  table->SetActiveCell(3, 3);
  ASSERT_TRUE(table->StartEditingState());
  Editor()->SetText("kept");
  bool allow_end = false;
  table->OnEndEdit = [&](TObject*, TOvcTableCellAncestor*, int32_t, int, bool& Allow) {
    Allow = allow_end;
  };
  EXPECT_FALSE(table->StopEditingState(true));
  EXPECT_TRUE(table->InEditingState());
  table->SetActiveCell(5, 1);
  EXPECT_EQ(Active(), std::make_pair(3, 3));
  EXPECT_TRUE(table->InEditingState());
  EXPECT_EQ(Editor()->Text(), "kept");
  testing::PressKey(VK_DOWN);
  EXPECT_EQ(Active(), std::make_pair(3, 3));
  // Allowed again, the move saves and goes on.
  allow_end = true;
  table->SetActiveCell(5, 1);
  EXPECT_EQ(Active(), std::make_pair(5, 1));
  EXPECT_EQ(Get(3, 3), "kept");
  EXPECT_FALSE(table->InEditingState());
}

TEST_F(EditTest, LeavingByTabEnterAndArrows) {
  table->SetOptions({TOvcTblOption::otoTabToArrow, TOvcTblOption::otoEnterToArrow});
  testing::PressKey(VK_F2);  // the "Grid" table's edit key
  ASSERT_TRUE(table->InEditingState());
  ASSERT_EQ(GetFocus(), EditorWnd());
  SendMessageA(EditorWnd(), EM_SETSEL, 3, 3);
  Type("ab");
  testing::PressKey(VK_TAB);
  EXPECT_EQ(Get(1, 1), "v11ab");
  EXPECT_EQ(Active(), std::make_pair(1, 2));
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(GetFocus(), static_cast<HWND>(table->Handle()));

  testing::PressKey(VK_F2);
  ASSERT_TRUE(table->InEditingState());
  Type("x");  // the focus selected the whole text
  testing::PressKey(VK_RETURN);
  EXPECT_EQ(Get(1, 2), "x");
  EXPECT_EQ(Active(), std::make_pair(1, 3));

  testing::PressKey(VK_F2);
  Type("d");
  testing::PressKey(VK_DOWN);
  EXPECT_EQ(Get(1, 3), "d");
  EXPECT_EQ(Active(), std::make_pair(2, 3));
  testing::PressKey(VK_F2);
  testing::PressKey(VK_UP);
  EXPECT_EQ(Active(), std::make_pair(1, 3));
  EXPECT_EQ(Get(2, 3), "v23");

  // Left and Right stay in the editor unless it advances at its ends.
  testing::PressKey(VK_F2);
  testing::PressKey(VK_RIGHT);
  EXPECT_EQ(Active(), std::make_pair(1, 3));
  cells[3]->AutoAdvanceLeftRight = true;
  ASSERT_EQ(Editor()->Text(), "d");
  SendMessageA(EditorWnd(), EM_SETSEL, 0, 0);
  testing::PressKey(VK_RIGHT);  // the caret moves to the end first
  EXPECT_EQ(Active(), std::make_pair(1, 3));
  testing::PressKey(VK_RIGHT);
  EXPECT_EQ(Active(), std::make_pair(1, 4));

  // Escape discards: Shift+Tab (Tab as an arrow) leaves to the left without the edit.
  testing::PressKey(VK_F2);
  Type("zz");
  testing::PressKey(VK_ESCAPE);
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(Get(1, 4), "v14");
  testing::PressShiftKey(VK_TAB);
  EXPECT_EQ(Active(), std::make_pair(1, 3));
}

// The drop-down and check-box cells through the table: F2, Space and a click on the
// active cell start their editors, which hand the moving keys back; leaving saves.
TEST_F(EditTest, ComboAndCheckBoxCellsEditThroughTheTable) {
  auto* Combo = new TOvcTCComboBox(form);
  TStringList Items;
  for (const char* S : {"CHAR", "DATE", "NUMBER"}) Items.Add(S);
  Combo->SetItems(&Items);
  table->SetColumnCell(3, Combo);
  auto* Box = new TOvcTCCheckBox(form);
  Box->SetAllowGrayed(true);
  table->SetColumnCell(4, Box);
  std::map<int32_t, TOvcCellComboBoxInfo> combo;
  std::map<int32_t, uint8_t> check;
  auto Strings = table->OnGetCellData;
  table->OnGetCellData = [&, Strings](TObject* S, int32_t R, int C, void*& Data,
                                      TOvcCellDataPurpose P) {
    if (C == 3)
      Data = &combo[R];
    else if (C == 4)
      Data = &check[R];
    else
      Strings(S, R, C, Data, P);
  };
  table->SetOptions({TOvcTblOption::otoTabToArrow, TOvcTblOption::otoEnterToArrow});
  table->SetActiveCell(1, 3);

  testing::PressKey(VK_F2);
  ASSERT_TRUE(table->InEditingState());
  ASSERT_EQ(table->EditingCell(), Combo);
  EXPECT_EQ(GetFocus(), Combo->EditControl()->EditHandle());
  Type("num");
  const std::string Typed = Combo->EditControl()->Text();
  EXPECT_EQ(Typed.substr(0, 3), "num");
  testing::PressKey(VK_TAB);
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(Active(), std::make_pair(1, 4));
  EXPECT_EQ(ReadShortString(combo[1].St), Typed);

  // Space opens the check box with the Space: checked, then grayed; Down leaves.
  testing::PressKey(VK_SPACE);
  ASSERT_TRUE(table->InEditingState());
  ASSERT_EQ(table->EditingCell(), Box);
  EXPECT_EQ(Box->EditControl()->Value(), cbChecked);
  testing::PressKey(VK_SPACE);
  testing::PressKey(VK_DOWN);
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(Active(), std::make_pair(2, 4));
  EXPECT_EQ(check[1], cbGrayed);

  // A click on the active cell opens the box and the click checks it; Enter at the last
  // column has nowhere to go and keeps editing; Shift+Tab leaves to the left.
  TRect R;
  ASSERT_TRUE(table->GetActiveCellRect(R));
  const HWND T = static_cast<HWND>(table->Handle());
  const LPARAM At = MAKELPARAM((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  SendMessageA(T, WM_LBUTTONDOWN, MK_LBUTTON, At);
  SendMessageA(T, WM_LBUTTONUP, 0, At);
  Pump();
  ASSERT_TRUE(table->InEditingState());
  EXPECT_EQ(Box->EditControl()->Value(), cbChecked);
  testing::PressKey(VK_RETURN);
  EXPECT_TRUE(table->InEditingState());
  testing::PressShiftKey(VK_TAB);
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(Active(), std::make_pair(2, 3));
  EXPECT_EQ(check[2], cbChecked);
}

TEST_F(EditTest, TypedFirstKeyArrivesOnce) {
  ASSERT_EQ(GetFocus(), static_cast<HWND>(table->Handle()));
  testing::PressKey('Q');
  ASSERT_TRUE(table->InEditingState());
  EXPECT_EQ(Editor()->Text(), "q");
  EXPECT_EQ(GetFocus(), EditorWnd());
  Type("r");
  EXPECT_EQ(Editor()->Text(), "qr");
  // A space and a digit start editing too; a movement key does not.
  ASSERT_TRUE(table->StopEditingState(true));
  testing::PressKey(VK_DOWN);
  EXPECT_FALSE(table->InEditingState());
  testing::PressKey('7');
  ASSERT_TRUE(table->InEditingState());
  EXPECT_EQ(Editor()->Text(), "7");
  EXPECT_EQ(Active(), std::make_pair(2, 1));
}

TEST_F(EditTest, AlwaysEditingMovesTheEditorWithTheActiveCell) {
  table->SetOptions({TOvcTblOption::otoAlwaysEditing});
  SendMessageA(static_cast<HWND>(table->Handle()), ctim_StartEdit, 0, 0);
  ASSERT_TRUE(table->InEditingState());
  Type("n");
  testing::PressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(Get(1, 1), "n");
  EXPECT_EQ(Active(), std::make_pair(2, 1));
  EXPECT_TRUE(table->InEditingState());  // at once, in the new cell
  EXPECT_EQ(Editor()->Text(), "v21");
  // Escape does not end editing here.
  testing::PressKey(VK_ESCAPE);
  EXPECT_TRUE(table->InEditingState());
}

TEST_F(EditTest, PrivateMessagesAreAnswered) {
  const HWND T = static_cast<HWND>(table->Handle());
  table->SetOptions({TOvcTblOption::otoTabToArrow, TOvcTblOption::otoThumbTrack});
  table->SetColor(static_cast<TColor>(0x00123456));
  table->SetLockedCols(0);
  table->SetActiveCell(4, 2);
  EXPECT_EQ(TOvcTblOptionSet::FromBits(static_cast<uint64_t>(SendMessageA(T, ctim_QueryOptions, 0, 0))),
            table->Options());
  EXPECT_EQ(SendMessageA(T, ctim_QueryColor, 0, 0), 0x00123456);
  EXPECT_EQ(SendMessageA(T, ctim_QueryFont, 0, 0), reinterpret_cast<LRESULT>(table->Font()));
  EXPECT_EQ(SendMessageA(T, ctim_QueryLockedCols, 0, 0), 0);
  EXPECT_EQ(SendMessageA(T, ctim_QueryLockedRows, 0, 0), 1);
  EXPECT_EQ(SendMessageA(T, ctim_QueryActiveCol, 0, 0), 2);
  EXPECT_EQ(SendMessageA(T, ctim_QueryActiveRow, 0, 0), 4);

  // Start editing: 1 whether or not it could.
  bool allow = false;
  table->OnBeginEdit = [&](TObject*, int32_t, int, bool& Allow) { Allow = allow; };
  EXPECT_EQ(SendMessageA(T, ctim_StartEdit, 0, 0), 1);
  EXPECT_FALSE(table->InEditingState());
  allow = true;
  EXPECT_EQ(SendMessageA(T, ctim_StartEdit, 0, 0), 1);
  EXPECT_TRUE(table->InEditingState());

  // A key handed on reaches the editor as a key (and its one character).
  EXPECT_EQ(SendMessageA(T, ctim_StartEditKey, 'K', 1), 1);
  Pump();
  EXPECT_EQ(Editor()->Text(), "k");

  // A cell leaving the table: the table forgets it, editing included.
  EXPECT_EQ(SendMessageA(T, ctim_RemoveCell, 0, reinterpret_cast<LPARAM>(cells[3])), 0);
  EXPECT_EQ(table->Columns().GetDefaultCell(3), nullptr);
  delete cells[2];  // the cell being edited
  cells[2] = nullptr;
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(table->EditingCell(), nullptr);
  Pump();
}

TEST_F(EditTest, DoubleClickEditsAndTheEditorGetsTheClick) {
  TRect R;
  ASSERT_TRUE(table->GetActiveCellRect(R));
  const HWND T = static_cast<HWND>(table->Handle());
  SendMessageA(T, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(R.Right - 3, R.Top + 5));
  Pump();
  ASSERT_TRUE(table->InEditingState());
  EXPECT_EQ(GetFocus(), EditorWnd());
  // The click landed at the editor's own point: the caret is at the end of the text,
  // and the editor does not keep the mouse.
  EXPECT_EQ(Editor()->SelStart(), 3);
  EXPECT_EQ(GetCapture(), nullptr);
  // A double click on a locked cell does nothing.
  table->StopEditingState(true);
  SendMessageA(T, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 5));
  Pump();
  EXPECT_FALSE(table->InEditingState());
}

TEST_F(EditTest, EditorFocusReportsKeepTheFocusedState) {
  EXPECT_TRUE(table->TableFocused());
  ASSERT_TRUE(table->StartEditingState());
  Pump();
  EXPECT_TRUE(table->TableFocused());  // the editor has it: the table counts as focused
  TOvcCellAttributes A;
  auto ActiveColour = [&] {
    A = TOvcCellAttributes{};
    A.Access = TOvcTblAccess::otxNormal;
    table->ResolveCellAttributes(table->ActiveRow(), table->ActiveCol(), A);
    return A.Color;
  };
  EXPECT_EQ(ActiveColour(), table->Colors().Editing);
  other->SetFocus();
  Pump();
  EXPECT_FALSE(table->TableFocused());
  EXPECT_EQ(ActiveColour(), table->Colors().ActiveUnfocused);
  SetFocus(EditorWnd());
  Pump();
  EXPECT_TRUE(table->TableFocused());
  // A report naming a window that is gone by the time it arrives.
  HWND Gone = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1,
                              static_cast<HWND>(form->Handle()), nullptr, nullptr, nullptr);
  PostMessageA(static_cast<HWND>(table->Handle()), ctim_KillFocus,
               reinterpret_cast<WPARAM>(Gone), 0);
  DestroyWindow(Gone);
  Pump();
  EXPECT_FALSE(table->TableFocused());
  PostMessageA(static_cast<HWND>(table->Handle()), ctim_SetFocus, 0, 0);
  Pump();
  EXPECT_TRUE(table->TableFocused());
}

TEST_F(EditTest, RedrawLockHidesTheEditorAndStateChangesBeforeFocus) {
  ASSERT_TRUE(table->StartEditingState());
  ASSERT_EQ(GetFocus(), EditorWnd());
  table->arrivals.clear();
  table->SetAllowRedraw(false);
  table->SetAllowRedraw(false);
  EXPECT_FALSE(IsWindowVisible(EditorWnd()));
  EXPECT_EQ(GetFocus(), static_cast<HWND>(table->Handle()));
  ASSERT_EQ(table->arrivals.size(), 1u);
  EXPECT_TRUE(table->arrivals[0].Editing);
  EXPECT_FALSE(table->arrivals[0].EditorVisible);  // hidden before the focus came
  table->SetAllowRedraw(true);
  EXPECT_FALSE(IsWindowVisible(EditorWnd()));  // only the outermost release shows it
  table->SetAllowRedraw(true);
  EXPECT_TRUE(IsWindowVisible(EditorWnd()));
  EXPECT_EQ(GetFocus(), EditorWnd());

  // Stopping: the focus comes back to the table once the editor is out of the way, so
  // the table's focus handler never sends it back to a shown editor.
  table->arrivals.clear();
  ASSERT_TRUE(table->StopEditingState(true));
  ASSERT_EQ(table->arrivals.size(), 1u);
  EXPECT_FALSE(table->arrivals[0].EditorVisible);
  EXPECT_FALSE(table->InEditingState());
  EXPECT_EQ(GetFocus(), static_cast<HWND>(table->Handle()));
}

TEST_F(EditTest, EditorFollowsScrollingAndWaitsOffScreen) {
  auto EditorOverActiveCell = [&] {
    TRect Cell;
    if (!table->GetActiveCellRect(Cell) || !IsWindowVisible(EditorWnd())) return false;
    RECT W;
    GetWindowRect(EditorWnd(), &W);
    MapWindowPoints(nullptr, static_cast<HWND>(table->Handle()), reinterpret_cast<POINT*>(&W), 2);
    return TRect(W.left, W.top, W.right, W.bottom) == Cell;
  };
  // Starting on a cell scrolled out of view brings it back first.
  table->SetActiveCell(2, 2);
  table->SetTopRow(12);
  ASSERT_EQ(table->Layout().FindRow(2), -1);
  ASSERT_TRUE(table->StartEditingState());
  EXPECT_EQ(table->TopRow(), 2);
  EXPECT_TRUE(EditorOverActiveCell());
  // Scrolled by one row, the editor moves with its cell; scrolled away, it waits hidden
  // with the focus on the table, and comes back with the cell.
  table->SetTopRow(1);
  EXPECT_TRUE(EditorOverActiveCell());
  table->SetTopRow(8);
  EXPECT_TRUE(table->InEditingState());
  EXPECT_FALSE(IsWindowVisible(EditorWnd()));
  EXPECT_EQ(GetFocus(), static_cast<HWND>(table->Handle()));
  table->SetTopRow(2);
  EXPECT_TRUE(EditorOverActiveCell());
  EXPECT_EQ(GetFocus(), EditorWnd());
}

TEST_F(EditTest, SizeHookPlacesTheEditor) {
  table->OnSizeCellEditor = [](TObject*, int32_t, int, TRect& R, TOvcTblEditorStyle& S) {
    EXPECT_EQ(S, TOvcTblEditorStyle::tesNormal);
    R.Right += 40;
    S = TOvcTblEditorStyle::tesBorder;
  };
  TRect Cell;
  ASSERT_TRUE(table->GetActiveCellRect(Cell));
  ASSERT_TRUE(table->StartEditingState());
  RECT W;
  GetWindowRect(EditorWnd(), &W);
  EXPECT_EQ(W.right - W.left, Cell.Width() + 40);
  // (The edit control takes WS_BORDER off its window and draws the frame itself.)
  EXPECT_EQ(Editor()->BorderStyle(), TBorderStyle::bsSingle);
}

// Components of the form that go while an edit starts or ends, other than the table's
// cells, neither stop the edit from starting nor keep its value from being saved.
TEST_F(EditTest, OtherComponentsGoingDoNotDisturbAnEdit) {
  auto* first = new TEdit(form);
  auto* second = new TEdit(form);
  table->OnSizeCellEditor = [&](TObject*, int32_t, int, TRect&, TOvcTblEditorStyle&) {
    delete std::exchange(first, nullptr);
  };
  ASSERT_TRUE(table->StartEditingState());
  Editor()->SetText("kept");
  table->OnGetCellData = [&, Fetch = table->OnGetCellData](TObject* T, int32_t R, int C,
                                                           void*& Data, TOvcCellDataPurpose P) {
    if (P == TOvcCellDataPurpose::cdpForSave) delete std::exchange(second, nullptr);
    Fetch(T, R, C, Data, P);
  };
  EXPECT_TRUE(table->StopEditingState(true));
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(Get(1, 1), "kept");
}

TEST_F(EditTest, FilterKeyVerdicts) {
  auto Verdict = [&](WPARAM Key) {
    TMessage M{};
    M.Msg = WM_KEYDOWN;
    M.WParam = Key;
    return table->FilterKey(M);
  };
  EXPECT_EQ(Verdict(VK_DOWN), 1);
  EXPECT_EQ(Verdict(VK_NEXT), 1);
  EXPECT_EQ(Verdict(VK_LEFT), 1);
  EXPECT_EQ(Verdict(VK_F2), 2);
  EXPECT_EQ(Verdict(VK_ESCAPE), 2);
  EXPECT_EQ(Verdict(VK_TAB), 0);
  EXPECT_EQ(Verdict(VK_RETURN), 0);
  EXPECT_EQ(Verdict('A'), 0);
  EXPECT_EQ(Verdict(VK_DELETE), 0);  // the Grid table's delete is the editor's
  table->SetOptions({TOvcTblOption::otoTabToArrow, TOvcTblOption::otoEnterToArrow});
  EXPECT_EQ(Verdict(VK_TAB), 2);
  EXPECT_EQ(Verdict(VK_RETURN), 2);
}

TEST_F(EditTest, EventsAroundMovesScrollsAndCommands) {
  std::vector<std::string> log;
  auto Note = [&](const char* What, int32_t A, int32_t B = -1) {
    std::ostringstream S;
    S << What << ' ' << A;
    if (B >= 0) S << ',' << B;
    log.push_back(S.str());
  };
  table->OnActiveCellMoving = [&](TObject*, uint16_t Cmd, int32_t& R, int& C) {
    Note(Cmd ? "moving by key" : "moving", R, C);
    if (R == 9) R = 10;  // the owner redirects
  };
  table->OnLeavingRow = [&](TObject*, int32_t R) { Note("leave row", R); };
  table->OnLeavingColumn = [&](TObject*, int C) { Note("leave col", C); };
  table->OnActiveCellChanged = [&](TObject*, int32_t R, int C) { Note("changed", R, C); };
  table->SetActiveCell(9, 1);
  EXPECT_EQ(log, (std::vector<std::string>{"moving 9,1", "leave row 1", "changed 10,1"}));
  log.clear();
  testing::PressKey(VK_RIGHT);
  EXPECT_EQ(log, (std::vector<std::string>{"moving by key 10,2", "leave col 1", "changed 10,2"}));

  // The owner may change a scroll's target.
  table->OnTopLeftCellChanging = [](TObject*, int32_t& R, int&) { R = 3; };
  int32_t top = 0;
  table->OnTopLeftCellChanged = [&](TObject*, int32_t R, int) { top = R; };
  table->SetTopRow(6);
  EXPECT_EQ(table->TopRow(), 3);
  EXPECT_EQ(top, 3);

  // Clipboard keys and user commands of the key table.
  int copies = 0, cuts = 0, pastes = 0;
  uint16_t user = 0;
  table->OnClipboardCopy = [&](TObject*) { ++copies; };
  table->OnClipboardCut = [&](TObject*) { ++cuts; };
  table->OnClipboardPaste = [&](TObject*) { ++pastes; };
  table->OnUserCommand = [&](TObject*, uint16_t Cmd) { user = Cmd; };
  table->Controller()->EntryCommands()->AddCommandRec(GridTableName(),
                                                      TOvcCmdRec{VK_F7, 0, 0, 0, 300});
  testing::SetKeyDown(VK_CONTROL, true);
  testing::PressKey('C');
  testing::PressKey('X');
  testing::PressKey('V');
  testing::SetKeyDown(VK_CONTROL, false);
  testing::PressKey(VK_F7);
  EXPECT_EQ(std::make_tuple(copies, cuts, pastes, user), std::make_tuple(1, 1, 1, 300));
  EXPECT_FALSE(table->InEditingState());  // none of them typed anything
}

TEST_F(EditTest, EnteringEventsOncePerRowAndColumnChange) {
  std::vector<int32_t> rows;
  int columns = 0;
  table->OnEnteringRow = [&](TObject*, int32_t R) { rows.push_back(R); };
  table->OnEnteringColumn = [&](TObject*, int) { ++columns; };
  TRecordingCanvas C(table->ClientWidth(), table->ClientHeight());
  table->PaintTo(&C);
  // Each row on screen once, in order, although every cell of it was fetched.
  std::vector<int32_t> expected;
  const auto& RA = table->Layout().RowAxis();
  for (int I = 0; I < RA.Entries(); ++I) expected.push_back(RA.Number(I));
  EXPECT_EQ(rows, expected);
  EXPECT_GT(columns, static_cast<int>(expected.size()));
  // Editing asks again only when it enters another row than the one last fetched.
  table->SetActiveCell(3, 1);  // repaints (1, 1) and then (3, 1)
  rows.clear();
  ASSERT_TRUE(table->StartEditingState());
  EXPECT_TRUE(rows.empty());
  table->SetActiveCell(2, 1);
  EXPECT_FALSE(rows.empty());
}

}  // namespace
}  // namespace tess
