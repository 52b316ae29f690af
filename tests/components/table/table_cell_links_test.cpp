// A table and the cells it names: whatever is freed first and whether or not the table
// has a window, no column, override or heading keeps a cell that is gone, and a cell's
// use count falls when a column stops naming it, so another table may take it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

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

// Its freed memory is spoilt and kept: a table that still names it paints through garbage.
class TSpoiltCell : public TOvcTCString {
 public:
  using TOvcTCString::TOvcTCString;
  static void operator delete(void* P, size_t Size) { std::memset(P, 0xCD, Size); }
};

// A cell ancestor that is no cell of the table's kind: no table can paint or count it.
class TForeignCell : public TOvcTableCellAncestor {
 public:
  using TOvcTableCellAncestor::TOvcTableCellAncestor;
  void TableChanged() override {}
};

// Every way of giving a table a cell takes only nil, a cell used nowhere or one of this
// table; a cell another table uses is refused, so that its freeing cannot leave this
// table painting or editing through freed memory.
TEST_F(LinksTest, EveryWayOfGivingATableACellTakesOnlyAFreeCellOrItsOwn) {
  new TOvcController(form);
  TOvcTable* first = NewTable(form, form);
  form->SetBounds(0, 0, 520, 640);
  TOvcTable* second = NewTable(form, form);
  second->SetTop(310);
  auto* own = new TOvcTCString(form);
  second->SetColumnCell(5, own);
  auto* foreign = new TForeignCell(form);

  using Path = std::function<void(TOvcTableCellAncestor*)>;
  const std::vector<std::pair<const char*, Path>> paths = {
      {"the column's own setter",
       [&](TOvcTableCellAncestor* C) { second->Columns().GetColumn(2)->SetDefaultCell(C); }},
      {"the table's column setter",
       [&](TOvcTableCellAncestor* C) {
         second->SetColumnCell(2, dynamic_cast<TOvcBaseTableCell*>(C));
       }},
      {"an appended column",
       [&](TOvcTableCellAncestor* C) {
         auto Col = std::make_unique<TOvcTableColumn>();
         Col->SetDefaultCell(C);
         second->Columns().Append(std::move(Col));
       }},
      {"a column assigned from another table's",
       [&](TOvcTableCellAncestor* C) {
         TOvcTableColumn Model;
         Model.SetDefaultCell(C);
         second->Columns().GetColumn(3)->Assign(&Model);
       }},
      {"a cell override",
       [&](TOvcTableCellAncestor* C) { second->CellStore().SetAttributes(2, 4, Naming(C)); }},
      {"the locked rows' cell",
       [&](TOvcTableCellAncestor* C) {
         second->SetLockedRowsCell(dynamic_cast<TOvcBaseTableCell*>(C));
       }},
  };
  auto Names = [&](TOvcTableCellAncestor* C) {
    for (int32_t Col = 0; Col < second->ColCount(); ++Col)
      if (second->Columns().GetDefaultCell(Col) == C) return true;
    return second->CellStore().GetCell(2, 4) == C || second->LockedRowsCell() == C;
  };
  ShowForm();
  for (const auto& [name, give] : paths) {
    SCOPED_TRACE(name);
    // Owned elsewhere: the table hears of its end only if the cell knows the table.
    auto* used = new TSpoiltCell(nullptr);
    first->SetColumnCell(1, used);
    ASSERT_EQ(used->UseCount(), 1);
    give(foreign);
    EXPECT_FALSE(Names(foreign));
    give(used);
    EXPECT_FALSE(Names(used));
    EXPECT_EQ(used->UseCount(), 1);
    EXPECT_EQ(used->Table(), first);
    delete used;
    // Painted and edited after the cell went: nothing reaches its memory.
    second->SetColCount(6);
    second->Invalidate();
    UpdateWindow(static_cast<HWND>(second->Handle()));
    for (int32_t Col = 1; Col < 6; ++Col) {
      second->SetActiveCell(2, Col);
      second->StartEditingState();
      second->StopEditingState(true);
    }
    testing::Pump();

    // A free cell and the table's own are taken and counted.
    auto* free = new TOvcTCString(form);
    give(free);
    EXPECT_TRUE(Names(free));
    EXPECT_EQ(free->Table(), second);
    give(own);
    EXPECT_TRUE(Names(own));
    EXPECT_EQ(own->Table(), second);
    delete free;
    EXPECT_FALSE(Names(free));
    second->SetLockedRowsCell(nullptr);
    second->CellStore().Clear();
  }
}

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
