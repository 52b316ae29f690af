// A table and the cells it names: whatever is freed first and whether or not the table
// has a window, no column, override or heading keeps a cell that is gone, and a cell's
// use count falls when a column stops naming it, so another table may take it.
#include <gtest/gtest.h>

#include "components/table/celltext.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;

class LinksTest : public FormTest {
 protected:
  TOvcTable* NewTable(TComponent* Owner, TWinControl* Parent) {
    auto* T = new TOvcTable(Owner);
    T->SetParent(Parent);
    T->SetBounds(0, 0, 500, 300);
    T->SetColCount(6);
    T->OnGetCellData = [this](TObject*, int32_t, int, void*& Data, TOvcCellDataPurpose) {
      StoreShortString(value, "x", 0);
      Data = value;
    };
    return T;
  }
  TOvcCellOverride Naming(TOvcTableCellAncestor* Cell) {
    TOvcCellOverride O;
    O.Cell = Cell;
    return O;
  }
  uint8_t value[256] = {};
};

TEST_F(LinksTest, ACellFreedBeforeOrWhileTheTableHasAWindowIsForgotten) {
  new TOvcController(form);
  TOvcTable* table = NewTable(form, form);
  auto* text = new TOvcTCBaseString(form);
  auto* heads = new TOvcTCColHead(form);
  table->SetColumnCell(1, text);
  table->SetColumnCell(2, text);
  table->CellStore().SetAttributes(3, 3, Naming(text));
  table->SetLockedRowsCell(heads);
  ASSERT_FALSE(table->HandleAllocated());
  EXPECT_EQ(text->UseCount(), 3);
  delete text;
  EXPECT_EQ(table->Columns().GetDefaultCell(1), nullptr);
  EXPECT_EQ(table->Columns().GetDefaultCell(2), nullptr);
  EXPECT_EQ(table->CellStore().GetCell(3, 3), nullptr);
  EXPECT_EQ(table->CellCount(), 1);
  ShowForm();  // paints without the freed cell

  // With the window: the message path.
  auto* other = new TOvcTCBaseString(form);
  table->SetColumnCell(4, other);
  testing::Pump();
  delete other;
  delete heads;
  EXPECT_EQ(table->Columns().GetDefaultCell(4), nullptr);
  EXPECT_EQ(table->LockedRowsCell(), nullptr);
  EXPECT_EQ(table->CellCount(), 0);
  table->Invalidate();
  testing::Pump();
}

TEST_F(LinksTest, ACellMovedToAnotherTableOrOutlivingItsTable) {
  new TOvcController(form);
  TOvcTable* first = NewTable(form, form);
  auto* text = new TOvcTCBaseString(form);
  // Attached without a use, then taken by another table: the first keeps nothing.
  text->SetTable(first);
  first->SetColumnCell(1, text);
  first->SetColumnCell(1, nullptr);
  EXPECT_EQ(text->UseCount(), 0);
  {
    TForm owner(nullptr);
    new TOvcController(&owner);
    TOvcTable* second = NewTable(&owner, &owner);
    second->SetColumnCell(2, text);
    EXPECT_EQ(text->Table(), second);
    EXPECT_EQ(first->CellCount(), 0);
  }
  // The second table went first: the cell is free again and changes reach nobody.
  EXPECT_EQ(text->Table(), nullptr);
  EXPECT_EQ(text->UseCount(), 0);
  text->SetMargin(9);
  first->SetColumnCell(3, text);
  EXPECT_EQ(text->Table(), first);
}

TEST_F(LinksTest, UsesReturnWhenColumnsGo) {
  new TOvcController(form);
  TOvcTable* table = NewTable(form, form);
  auto* text = new TOvcTCBaseString(form);
  for (int C = 2; C < 6; ++C) table->SetColumnCell(C, text);
  EXPECT_EQ(text->UseCount(), 4);
  table->Columns().Delete(5);
  EXPECT_EQ(text->UseCount(), 3);
  table->SetColCount(3);  // columns 3 and 4 go
  EXPECT_EQ(text->UseCount(), 1);
  table->SetColumnCell(2, nullptr);
  EXPECT_EQ(text->UseCount(), 0);
  EXPECT_EQ(text->Table(), nullptr);
  EXPECT_EQ(table->CellCount(), 0);

  // Now another table may take it; the first one's columns cleared give it back too.
  table->SetColumnCell(1, text);
  ShowForm();
  table->Columns().Clear();
  EXPECT_EQ(text->UseCount(), 0);
  table->SetColCount(4);
  TForm owner(nullptr);
  new TOvcController(&owner);
  TOvcTable* second = NewTable(&owner, &owner);
  second->SetColumnCell(1, text);
  EXPECT_EQ(second->Columns().GetDefaultCell(1), text);
  EXPECT_EQ(text->UseCount(), 1);
}

}  // namespace
}  // namespace tess
