// The table types and the resolution of stored cell names, on plain components.
#include <gtest/gtest.h>

#include "components/core/cellnames.h"
#include "components/core/tabletypes.h"

namespace tess {
namespace {

class TCell : public TOvcTableCellAncestor {
 public:
  using TOvcTableCellAncestor::TOvcTableCellAncestor;
  void TableChanged() override {}
};

TEST(DisplayArray, Resize) {
  std::unique_ptr<TOvcTblDisplayArray> a;
  ResizeDisplayArray(a, 4);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->AllocNm, 4);
  EXPECT_EQ(a->Count, 0);
  a->Count = 3;
  for (int i = 0; i < 3; ++i) a->Ay[i] = {i + 10, i * 20};
  ResizeDisplayArray(a, 8);
  EXPECT_EQ(a->Count, 3);
  EXPECT_EQ(a->Ay[2].Number, 12);
  ResizeDisplayArray(a, 2);
  EXPECT_EQ(a->AllocNm, 2);
  EXPECT_EQ(a->Count, 2);
  EXPECT_EQ(a->Ay[1].Offset, 20);
  ResizeDisplayArray(a, 0);
  EXPECT_FALSE(a);
  EXPECT_EQ(MinL(-5, 3), -5);
  EXPECT_EQ(MaxI(-5, 3), 3);
}

TEST(CellNames, FormNameMatches) {
  EXPECT_TRUE(FormNameMatches("Editor", "Editor"));
  EXPECT_TRUE(FormNameMatches("Editor_1", "Editor"));
  EXPECT_TRUE(FormNameMatches("My_Editor_12", "My_Editor"));
  EXPECT_TRUE(FormNameMatches("", "Anything"));
  EXPECT_FALSE(FormNameMatches("Editor_1", "Edit"));
  EXPECT_FALSE(FormNameMatches("Editor1", "Editor"));
  EXPECT_FALSE(FormNameMatches("editor", "Editor"));
}

struct Forms {
  TComponent own{nullptr}, other{nullptr}, third{nullptr};
  TCell* a;
  TCell* b;
  TCell* c;
  Forms() {
    own.SetName("Grid_2");
    other.SetName("Tools");
    third.SetName("Grid");
    a = new TCell(&own);
    a->SetName("CellA");
    b = new TCell(&other);
    b->SetName("CellB");
    c = new TCell(&third);
    c->SetName("CellC");
    auto* notACell = new TComponent(&own);
    notACell->SetName("Plain");
  }
};

TEST(CellNames, ResolvedOnTheOwnFormThenOnOpenForms) {
  Forms f;
  std::vector<std::string> pending = {"CellA",      "Grid.CellA",  "Tools.CellB", "Closed.CellX",
                                      "Grid.Plain", "tools.CellB", "Grid.CellC"};
  std::vector<TOvcTableCellAncestor*> added;
  ResolveCellEntries(pending, &f.own, {&f.other, &f.third},
                     [&](TOvcTableCellAncestor* c) { added.push_back(c); });
  // Last to first: "Grid.CellC" is sought on the own form (Grid_2 matches "Grid") and
  // not found there, then found on the form named Grid; the others on their forms.
  // Form names of open forms are compared exactly; a component that is no cell is not
  // taken; a closed form's entry stays.
  EXPECT_EQ(added, (std::vector<TOvcTableCellAncestor*>{f.a, f.a, f.b, f.c}));
  EXPECT_EQ(pending, (std::vector<std::string>{"Closed.CellX", "Grid.Plain", "tools.CellB"}));

  // Without a form of its own, only open forms are searched.
  std::vector<std::string> p2 = {"Tools.CellB", "CellA"};
  added.clear();
  ResolveCellEntries(p2, nullptr, {&f.own, &f.other},
                     [&](TOvcTableCellAncestor* c) { added.push_back(c); });
  EXPECT_EQ(added, (std::vector<TOvcTableCellAncestor*>{f.b}));
}

// The columns' cells: a name written by a second instance ("Grid_2") finds the form of
// the first name, on the table's form and on the screen's forms alike.
TEST(CellNames, ColumnCellsCompareTheStoredNameCut) {
  EXPECT_TRUE(StoredFormNameMatches("Grid", "Grid_2"));
  EXPECT_TRUE(StoredFormNameMatches("Grid", "Grid"));
  EXPECT_FALSE(StoredFormNameMatches("Grid_2", "Grid"));
  EXPECT_FALSE(StoredFormNameMatches("Grid", ""));
  Forms f;  // own "Grid_2", open forms "Tools" and "Grid"
  std::vector<TOvcTableCellAncestor*> added;
  auto Add = [&](TOvcTableCellAncestor* c) { added.push_back(c); };
  std::vector<std::string> pending = {"Grid_2.CellA", "Tools_1.CellB", "Grid_7.CellC",
                                      "Grid.CellA"};
  ResolveCellEntries(pending, &f.own, {&f.other, &f.third}, Add, TCellNameRule::ColumnCells);
  EXPECT_EQ(added, (std::vector<TOvcTableCellAncestor*>{f.a, f.b, f.c}));
  EXPECT_EQ(pending, (std::vector<std::string>{"Grid.CellA"}));
  // The cell list's rule finds none of the suffixed names on the open forms.
  pending = {"Tools_1.CellB", "Grid_7.CellC"};
  added.clear();
  ResolveCellEntries(pending, &f.own, {&f.other, &f.third}, Add);
  EXPECT_TRUE(added.empty());
}

}  // namespace
}  // namespace tess
