// The table ancestor through real forms: cells registered and told of changes, the
// "CellData" names stored with the form and resolved again, cells that go away.
#include <gtest/gtest.h>

#include "components/core/tableancestor.h"
#include "framework/core/classes.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;

class TCell : public TOvcTableCellAncestor {
 public:
  using TOvcTableCellAncestor::TOvcTableCellAncestor;
  int table_changed = 0;
  std::pair<int, int> scaled{0, 0};
  void TableChanged() override { ++table_changed; }
  void ChangeScale(int M, int D) override { scaled = {M, D}; }
};

class TTable : public TOvcTableAncestor {
 public:
  using TOvcTableAncestor::TOvcTableAncestor;
  std::vector<TObject*> changed;
  void DoCellChanged(TObject* Sender) override { changed.push_back(Sender); }
  uint8_t FilterKey(TMessage&) override { return 0; }
  void ResolveCellAttributes(int32_t, int, TOvcCellAttributes&) override {}
};

TEST_F(FormTest, CellsRegisterAndLeave) {
  form->SetName("Main");
  new TOvcController(form);
  auto* table = new TTable(form);
  table->SetParent(form);
  auto* a = new TCell(form);
  auto* b = new TCell(form);
  table->AddCell(a);
  table->AddCell(a);
  table->AddCell(nullptr);
  table->AddCell(b);
  EXPECT_EQ(table->CellCount(), 2);
  b->NotifyChanged();
  EXPECT_EQ(table->changed, (std::vector<TObject*>{b}));
  table->NotifyCellsTableChanged();
  EXPECT_EQ(a->table_changed, 1);
  table->ChangeScale(3, 3);
  EXPECT_EQ(a->scaled, (std::pair<int, int>{0, 0}));
  table->ChangeScale(4, 3);
  EXPECT_EQ(b->scaled, (std::pair<int, int>{4, 3}));
  delete a;  // a destroyed cell leaves the list
  EXPECT_EQ(table->CellCount(), 1);
  table->RemoveCell(b);
  EXPECT_EQ(table->CellCount(), 0);
}

// A cell shared by two tables (one of them reached from another form, as stored cell
// names are) tells both of its changes, and none once it is gone.
TEST_F(FormTest, ASharedCellTellsEveryLivingTable) {
  new TOvcController(form);
  auto* first = new TTable(form);
  first->SetParent(form);
  auto* cell = new TCell(form);
  first->AddCell(cell);
  {
    TForm other(nullptr);
    new TOvcController(&other);
    auto* second = new TTable(&other);
    second->SetParent(&other);
    second->AddCell(cell);
    cell->NotifyChanged();
    ASSERT_EQ(first->changed, (std::vector<TObject*>{cell}));
    ASSERT_EQ(second->changed, (std::vector<TObject*>{cell}));
    second->RemoveCell(cell);
    cell->NotifyChanged();
    EXPECT_EQ(second->changed.size(), 1u);
    second->AddCell(cell);
  }
  // The second table is gone with its form; a change reaches the first alone.
  int user = 0;
  cell->OnCfgChanged = [&](TObject*) { ++user; };
  cell->NotifyChanged();
  EXPECT_EQ(first->changed.size(), 3u);
  EXPECT_EQ(user, 1);
  delete first;
  cell->NotifyChanged();
  EXPECT_EQ(user, 2);
}

TEST_F(FormTest, CellNamesStoredWithTheFormAndResolvedOnASecondInstance) {
  // A form "Editor" with its table and two cells, one of them on another form.
  form->SetName("Tools");
  auto* shared = new TCell(form);
  shared->SetName("SharedCell");

  TForm editor(nullptr);
  editor.SetName("Editor");
  new TOvcController(&editor);
  auto* table = new TTable(&editor);
  table->SetName("Table1");
  table->SetParent(&editor);
  auto* own = new TCell(&editor);
  own->SetName("OwnCell");
  table->AddCell(own);
  table->AddCell(shared);
  TMemoryStream ms;
  WriteComponent(&ms, &editor);

  // A second instance named Editor_1 reads the same stream.
  TForm second(nullptr);
  second.SetName("Editor_1");
  new TOvcController(&second);
  auto* table2 = new TTable(&second);
  table2->SetName("Table1");
  table2->SetParent(&second);
  auto* own2 = new TCell(&second);
  own2->SetName("OwnCell");
  ms.SetPosition(0);
  std::string dump = ObjectBinaryToText(&ms);
  EXPECT_NE(dump.find("CellData"), std::string::npos) << dump;
  EXPECT_NE(dump.find("Editor.OwnCell"), std::string::npos) << dump;
  EXPECT_NE(dump.find("Tools.SharedCell"), std::string::npos) << dump;

  // The table's own properties, read into the second instance's table.
  TMemoryStream tableStream;
  WriteComponent(&tableStream, table);
  tableStream.SetPosition(0);
  table2->SetName("");
  ReadComponent(&tableStream, table2);
  EXPECT_EQ(table2->PendingCellNames(),
            (std::vector<std::string>{"Editor.OwnCell", "Tools.SharedCell"}));
  table2->ResolveCellNames();
  ASSERT_EQ(table2->CellCount(), 2);
  EXPECT_EQ(table2->Cells(0), own2);  // the own form's cells first, then the open forms'
  EXPECT_EQ(table2->Cells(1), shared);
  EXPECT_TRUE(table2->PendingCellNames().empty());
}

}  // namespace
}  // namespace tess
