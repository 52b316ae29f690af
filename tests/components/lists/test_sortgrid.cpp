// The string grid and the sortable grid through their windows under Wine: the in-place
// editor, validation after a sort, keyboard insertion and deletion, sizing and sorting
// by mouse, undo, files and auto-size; the type-ahead list and combo box.
#include <gtest/gtest.h>

#include <cstdio>

#include "components/lists/sortgrid.h"
#include "components/lists/typeahead.h"
#include "framework/win/recordcanvas.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::PressKey;
using testing::Pump;
using testing::SetKeyDown;

class SortGridTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    grid = new TSortGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 380, 260);
    grid->SetColCount(3);
    grid->SetRowCount(5);
    const char* keys[] = {"b", "d", "a", "c"};
    for (int r = 1; r < 5; ++r) {
      grid->SetCells(0, r, Format("r%d", r));
      grid->SetCells(1, r, keys[r - 1]);
    }
    grid->SetCells(1, 0, "Key");
    ShowForm();
    grid->SetFocus();
    Pump();
  }
  std::string Column(int Col) {
    std::string s;
    for (int r = grid->FixedRows(); r < grid->RowCount(); ++r) s += grid->Cells(Col, r) + " ";
    return s;
  }
  void Mouse(UINT Msg, int X, int Y, WPARAM Keys = 0) {
    SendMessageA(grid->Handle(), Msg, Keys, MakeLParam(X, Y));
    Pump();
  }
  void TypeIntoEditor(const std::string& Text) {
    for (char c : Text) SendMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
  }
  TSortGrid* grid = nullptr;
};

TEST_F(SortGridTest, InplaceEditorStoresTextAndSetsModified) {
  grid->SetOptions(grid->Options() + TGridOption::goEditing);
  grid->SetCol(1);
  grid->SetRow(2);
  EXPECT_FALSE(grid->Modified());
  PressKey(VK_F2);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(GetFocus(), grid->InplaceEditor()->Handle());
  TRect cell = grid->CellRect(1, 2);
  EXPECT_EQ(grid->InplaceEditor()->Left(), cell.Left);
  EXPECT_EQ(grid->InplaceEditor()->Top(), cell.Top);
  TypeIntoEditor("xy");
  EXPECT_EQ(grid->Cells(1, 2), "xy");  // the editor's text replaced the selected text
  EXPECT_TRUE(grid->Modified());
  PressKey(VK_RETURN);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(GetFocus(), grid->Handle());
  // Escape gives back the text the cell had when the editor opened.
  PressKey(VK_F2);
  TypeIntoEditor("zzz");
  PressKey(VK_ESCAPE);
  EXPECT_EQ(grid->Cells(1, 2), "xy");
  EXPECT_FALSE(grid->EditorMode());
  // Arrow keys leave the editor for the next cell.
  PressKey(VK_F2);
  PressKey(VK_DOWN);
  EXPECT_EQ(grid->Row(), 3);
}

TEST_F(SortGridTest, ValidationAfterASortWritesToTheEditedCell) {
  std::vector<std::string> seen;
  bool accept = false;
  grid->OnCellValidate = [&](TObject*, int32_t c, int32_t r, std::string& v, bool& ok) {
    seen.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + v);
    ok = accept;
  };
  grid->SetOptions(grid->Options() + TGridOption::goEditing);
  grid->SetCol(1);
  grid->SetRow(1);  // "b", row r1
  PressKey(VK_F2);
  TypeIntoEditor("zz");
  PressKey(VK_RETURN);
  grid->SortColumn(1, TSortOptions{ssAlphabetic, sdAscending, true, nullptr});
  // The pending edit was validated at its own row before the rows moved; rejected, the
  // text went back there and Modified with it.
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "1,1=zz");
  EXPECT_EQ(Column(1), "a b c d ");
  EXPECT_EQ(Column(0), "r3 r1 r4 r2 ");
  EXPECT_FALSE(grid->Modified());
  // The current row followed its data; moving on validates nothing that was not edited.
  EXPECT_EQ(grid->Cells(0, grid->Row()), "r1");
  PressKey(VK_DOWN);
  PressKey(VK_UP);
  EXPECT_EQ(seen.size(), 1u);
  // An accepted edit after the sort lands in the row it was made in.
  accept = true;
  PressKey(VK_F2);
  TypeIntoEditor("q");
  PressKey(VK_RETURN);
  PressKey(VK_DOWN);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], "1,2=q");
  EXPECT_EQ(grid->Cells(0, 2), "r1");
  EXPECT_EQ(grid->Cells(1, 2), "q");
}

TEST_F(SortGridTest, ExtendedKeysInsertAndDeleteRowsAndColumns) {
  int inserted = -1, deleted = -1;
  grid->OnRowInsert = [&](TObject*, int32_t i) { inserted = i; };
  grid->OnRowDelete = [&](TObject*, int32_t i) { deleted = i; };
  grid->SetRow(2);
  SetKeyDown(VK_CONTROL, true);
  PressKey(VK_INSERT);  // ExtendedKeys is off: nothing
  EXPECT_EQ(grid->RowCount(), 5);
  grid->SetExtendedKeys(true);
  PressKey(VK_INSERT);
  EXPECT_EQ(grid->RowCount(), 6);
  EXPECT_EQ(inserted, 2);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(Column(0), "r1  r2 r3 r4 ");
  PressKey(VK_DELETE);
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(Column(0), "r1 r2 r3 r4 ");
  SetKeyDown(VK_SHIFT, true);
  PressKey(VK_INSERT);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->Cells(1, 0), "");
  EXPECT_EQ(grid->Cells(2, 0), "Key");
  PressKey(VK_DELETE);
  PressKey(VK_DELETE);
  EXPECT_EQ(grid->ColCount(), 2);  // the last data column stays
  SetKeyDown(VK_SHIFT, false);
  for (int i = 0; i < 6; ++i) PressKey(VK_DELETE);
  EXPECT_EQ(grid->RowCount(), 2);  // and so does the last data row
  SetKeyDown(VK_CONTROL, false);
}

TEST_F(SortGridTest, MouseSizesColumnsAndSortsByClickingTheHeader) {
  grid->SetOptions(grid->Options() + TGridOption::goColSizing);
  int line = grid->CellRect(1, 0).Right;
  int before = grid->ColWidths(1);
  Mouse(WM_LBUTTONDOWN, line, 5, MK_LBUTTON);
  EXPECT_EQ(grid->GridState(), TGridState::gsColSizing);
  Mouse(WM_MOUSEMOVE, line + 20, 5, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, line + 20, 5);
  EXPECT_EQ(grid->ColWidths(1), before + 20);
  EXPECT_EQ(Column(1), "b d a c ");  // ending a resize does not sort

  TRect head = grid->CellRect(1, 0);
  Mouse(WM_LBUTTONDOWN, head.Left + 10, head.Top + 5, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, head.Left + 10, head.Top + 5);
  EXPECT_EQ(Column(1), "a b c d ");
  Mouse(WM_RBUTTONDOWN, head.Left + 10, head.Top + 5, MK_RBUTTON);
  Mouse(WM_RBUTTONUP, head.Left + 10, head.Top + 5);
  EXPECT_EQ(Column(1), "d c b a ");
  Mouse(WM_LBUTTONDOWN, head.Left + 10, head.Top + 5, MK_LBUTTON | MK_SHIFT);
  Mouse(WM_LBUTTONUP, head.Left + 10, head.Top + 5, MK_SHIFT);
  EXPECT_EQ(Column(1), "d c b a ");
  grid->SetClickSorting(false);
  Mouse(WM_LBUTTONDOWN, head.Left + 10, head.Top + 5, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, head.Left + 10, head.Top + 5);
  EXPECT_EQ(Column(1), "d c b a ");
}

TEST_F(SortGridTest, UndoSortRestoresOrderUnlessRowsChanged) {
  grid->SetRow(3);  // "a"
  grid->SortColumn(1, TSortOptions{ssAutomatic, sdAscending, false, nullptr});
  EXPECT_EQ(Column(1), "a b c d ");
  EXPECT_EQ(grid->Cells(1, grid->Row()), "a");
  EXPECT_TRUE(grid->CanUndoSort());
  grid->UndoSort();
  EXPECT_EQ(Column(1), "b d a c ");
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_FALSE(grid->CanUndoSort());
  // A row swap, a move or a new row count leaves nothing to undo, even when the count
  // comes back to what it was.
  for (int k = 0; k < 3; ++k) {
    grid->SortColumn(1, TSortOptions{ssAlphabetic, sdDescending, false, nullptr});
    if (k == 0) grid->SwapRows(1, 2);
    if (k == 1) grid->MoveRow(1, 3);
    if (k == 2) {
      grid->InsertRow(1);
      grid->DeleteRow(1);
    }
    EXPECT_FALSE(grid->CanUndoSort()) << k;
    std::string before = Column(1);
    grid->UndoSort();
    EXPECT_EQ(Column(1), before);
  }
  // Sorting by number puts 10 after 9.
  grid->SetCells(1, 1, "10");
  grid->SetCells(1, 2, "9");
  grid->SetCells(1, 3, "100");
  grid->SetCells(1, 4, "-1");
  grid->SortColumn(1, TSortOptions{ssAutomatic, sdAscending, false, nullptr});
  EXPECT_EQ(Column(1), "-1 9 10 100 ");
}

TEST_F(SortGridTest, FilesAutoSizeAndFindCell) {
  std::string file = "sortgrid_test.txt";
  grid->SaveToFile(file, ';');
  TSortGrid* other = new TSortGrid(form);
  other->SetParent(form);
  other->LoadFromFile(file, ';');
  EXPECT_EQ(other->RowCount(), 5);
  EXPECT_EQ(other->ColCount(), 3);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(other->Cells(c, r), grid->Cells(c, r));
  { std::FILE* f = std::fopen(file.c_str(), "wb"); std::fclose(f); }
  other->LoadFromFile(file, ';');
  EXPECT_GE(other->RowCount(), 1);
  std::remove(file.c_str());
  EXPECT_THROW(other->LoadFromFile("no such dir/x.txt", ';'), EFOpenError);

  int32_t c = -1, r = -1;
  EXPECT_TRUE(grid->FindCell("KEY", c, r));
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 0);
  EXPECT_FALSE(grid->FindCell("nothing", c, r));

  grid->SetCells(2, 3, "a rather long cell text");
  grid->AutoSizeColumns(false, 4);
  grid->Canvas()->Font()->Assign(grid->Font());
  EXPECT_EQ(grid->ColWidths(2),
            grid->Canvas()->TextWidth("a rather long cell text") + grid->Canvas()->TextWidth("x") + 4);
  EXPECT_EQ(grid->ColWidths(0), grid->DefaultColWidth());  // fixed columns were left alone
}

// The list box strips spaces and keeps item 0 on a Backspace that empties the text; the
// combo box compares items as they are and selects nothing.
TEST_F(FormTest, TypeAheadListAndComboBoxDifferWhereTheyShould) {
  ShowForm();
  auto* list = new TRzListBox(form);
  list->SetParent(form);
  list->SetBeepOnInvalidKey(false);
  for (const char* s : {"DEPT", "EMP", "MY TABLE"}) list->Items()->Add(s);
  auto* combo = new TRzComboBox(form);
  combo->SetParent(form);
  combo->SetTop(150);
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  combo->SetBeepOnInvalidKey(false);
  for (const char* s : {"DEPT", "EMP", "MY TABLE"}) combo->Items()->Add(s);
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  auto type = [](TWinControl* c, const std::string& keys) {
    for (char k : keys) SendMessageA(c->Handle(), WM_CHAR, static_cast<unsigned char>(k), 1);
    Pump();
  };
  type(list, "emp");
  EXPECT_EQ(list->ItemIndex(), 1);
  type(list, "x");
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(list->SearchText(), "emp");
  type(list, "\b\b\b");
  EXPECT_EQ(list->ItemIndex(), 0);
  type(list, "myt");
  EXPECT_EQ(list->ItemIndex(), 2);
  type(combo, "myt");
  EXPECT_EQ(combo->ItemIndex(), 2);  // "MY" matched, then "MYT" did not
  EXPECT_EQ(combo->SearchText(), "my");
  type(combo, "\b\b");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_GE(changes, 2);
  // A new item is found at once.
  list->Items()->Add("AUDIT");
  type(list, "\x1b" "au");
  EXPECT_EQ(list->ItemIndex(), 3);

  auto* tabbed = new TRzTabbedListBox(form);
  tabbed->SetParent(form);
  for (int i = 0; i < 1001; ++i) tabbed->TabStops()->Add(i == 0 ? 2147483647 : i);
  EXPECT_EQ(tabbed->TabStops()->Count(), 1001);
  ASSERT_EQ(tabbed->TCustomListBox::TabStops().size(), 1000u);
  EXPECT_EQ(tabbed->TCustomListBox::TabStops()[0], 2147483647);  // clamped, not wrapped
  EXPECT_EQ(tabbed->TCustomListBox::TabStops()[5], 20);
}

}  // namespace
}  // namespace tess

namespace tess {
namespace {

TEST_F(SortGridTest, FocusRectangleAndBevelsAreDrawnWhereTheyBelong) {
  grid->SetBevelStyle(TCellBevelStyle::cbRaised);
  grid->SetCol(1);
  grid->SetRow(3);
  TRecordingCanvas canvas(400, 300);
  grid->PaintTo(&canvas);
  ASSERT_EQ(canvas.Count("DrawFocusRect"), 1);
  EXPECT_EQ(canvas.Find("DrawFocusRect")->Rect, grid->CellRect(1, 3));
}

}  // namespace
}  // namespace tess

namespace tess {
namespace {

TEST_F(SortGridTest, ScrollBarPageFollowsTheVisibleShare) {
  grid->SetRowCount(101);
  auto page = [&] {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(grid->Handle(), SB_VERT, &si);
    return std::make_pair(si.nPage, si.nMax - si.nMin + 1);
  };
  auto [p, span] = page();
  // (visible rows + fixed rows) / RowCount of the range, to the nearest integer.
  double want = (grid->VisibleRowCount() + 1) * static_cast<double>(span) / 101;
  EXPECT_NEAR(static_cast<double>(p), want, 0.5);
  grid->SetProportionalScrollBars(false);
  EXPECT_EQ(page().first, 0u);
  grid->SetProportionalScrollBars(true);
  grid->SetDefaultRowHeight(12);  // more rows in view: a larger page
  EXPECT_GT(page().first, p);
}

TEST_F(FormTest, DropDownComboCompletesTheTypedText) {
  ShowForm();
  auto* combo = new TRzComboBox(form);
  combo->SetParent(form);
  for (const char* s : {"DEPT", "EMP", "EMPLOYEES"}) combo->Items()->Add(s);
  combo->SetFocus();
  Pump();
  HWND edit = combo->EditHandle();
  ASSERT_NE(edit, nullptr);
  auto type = [&](char c) {
    SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
  };
  auto selection = [&] {
    DWORD s = 0, e = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return std::make_pair(static_cast<int>(s), static_cast<int>(e));
  };
  type('e');
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "EMP");
  EXPECT_EQ(selection(), std::make_pair(1, 3));  // the completed part is selected
  type('m');
  type('p');
  type('l');
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->SearchText(), "empl");
  type('\b');
  EXPECT_EQ(combo->SearchText(), "emp");
  type('x');  // no item: the edit takes the character as typed
  EXPECT_EQ(combo->SearchText(), "empx");
  type('\b');  // back to a text that completes
  EXPECT_EQ(combo->SearchText(), "emp");
  EXPECT_EQ(combo->ItemIndex(), 1);
  type('\x1b');
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->SearchText(), "");
}

}  // namespace
}  // namespace tess

namespace tess {
namespace {

// An owner-drawn tabbed list without OnDrawItem writes its items with the tabs
// expanded to the list's stops.
TEST_F(FormTest, TabbedListDrawsItemsAtItsTabStops) {
  ShowForm();
  auto* list = new TRzTabbedListBox(form);
  list->SetParent(form);
  list->SetBounds(0, 0, 300, 100);
  list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  list->TabStops()->Add(20);  // characters
  list->Items()->Add("A\tB");
  Pump();
  TBitmap bmp(300, 100, TPixelFormat::pf24bit);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(Rect(0, 0, 300, 100));
  list->PaintTo(bmp.Canvas()->Handle(), 0, 0);
  TRect item = list->ItemRect(0);
  TCanvas* c = list->Canvas();
  c->Font()->Assign(list->Font());
  TEXTMETRICA tm{};
  c->TextExtent("x");
  GetTextMetricsA(c->Handle(), &tm);
  int stop = item.Left + 2 + 20 * 4 * tm.tmAveCharWidth / 4;
  auto inkBetween = [&](int x0, int x1) {
    for (int x = x0; x < x1; ++x)
      for (int y = item.Top; y < item.Bottom; ++y)
        if (GetRValue(bmp.Canvas()->Pixel(x + 2, y + 2)) < 128) return true;  // 2: the border
    return false;
  };
  EXPECT_TRUE(inkBetween(item.Left + 2, item.Left + 2 + 2 * tm.tmAveCharWidth));  // "A"
  EXPECT_FALSE(inkBetween(item.Left + 4 + 2 * tm.tmAveCharWidth, stop - 1));      // the tab
  EXPECT_TRUE(inkBetween(stop, stop + 2 * tm.tmAveCharWidth));                    // "B"
}

// A list of stops with a bad value is refused as a whole: neither the list nor the
// window's stops change.  A good one replaces both.
TEST_F(FormTest, TabbedListTakesANewListOfStopsWholeOrNotAtAll) {
  auto* list = new TRzTabbedListBox(form);
  list->SetParent(form);
  list->TabStops()->Add(5);
  list->TabStops()->Add(10);
  auto stops = [&] {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < list->TabStops()->Count(); ++i) v.push_back(list->TabStops()->Get(i));
    return v;
  };
  TIntegerList bad;
  for (int32_t v : {1, 2, -3, 7}) bad.Add(v);
  EXPECT_THROW(list->SetTabStops(&bad), EOutOfRange);
  EXPECT_EQ(stops(), (std::vector<int32_t>{5, 10}));
  EXPECT_EQ(list->TCustomListBox::TabStops(), (std::vector<int32_t>{20, 40}));
  TIntegerList good;
  for (int32_t v : {3, 6, 9}) good.Add(v);
  list->SetTabStops(&good);
  EXPECT_EQ(stops(), (std::vector<int32_t>{3, 6, 9}));
  EXPECT_EQ(list->TCustomListBox::TabStops(), (std::vector<int32_t>{12, 24, 36}));
  list->SetTabStops(nullptr);
  EXPECT_TRUE(stops().empty());
  EXPECT_TRUE(list->TCustomListBox::TabStops().empty());
}

}  // namespace
}  // namespace tess
