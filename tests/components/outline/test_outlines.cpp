// The outline controls under Wine: a tree from tab-indented lines, expand and collapse,
// the double click of the framework's outline and its replacement, and the select list.
#include <gtest/gtest.h>

#include "components/outline/outlines.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::PressKey;
using testing::Pump;

class OutlineTest : public FormTest {
 protected:
  template <class T>
  T* Make() {
    auto* o = new T(form);
    o->SetParent(form);
    o->SetBounds(0, 0, 300, 200);
    o->Lines()->SetText("SCOTT\n\tTables\n\t\tEMP\n\t\tDEPT\n\tViews\nSYS\n");
    ShowForm();
    o->SetFocus();
    Pump();
    return o;
  }
  void DoubleClickRow(TCustomOutline* O, int Row) {
    TRect r = O->CellRect(0, Row);
    SendMessageA(O->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(r.Left + 60, r.Top + 2));
    SendMessageA(O->Handle(), WM_LBUTTONUP, 0, MakeLParam(r.Left + 60, r.Top + 2));
    SendMessageA(O->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(r.Left + 60, r.Top + 2));
    SendMessageA(O->Handle(), WM_LBUTTONUP, 0, MakeLParam(r.Left + 60, r.Top + 2));
    Pump();
  }
};

TEST_F(OutlineTest, TreeFromTabIndentedLinesExpandsAndCollapses) {
  auto* o = Make<TyOutline>();
  ASSERT_EQ(o->ItemCount(), 6);
  EXPECT_EQ(o->Tree().Item(3).Text, "EMP");
  EXPECT_EQ(o->Tree().Item(3).Level, 3);
  EXPECT_EQ(o->Tree().Parent(5), 1);
  EXPECT_EQ(o->FullPath(4), "SCOTT\\Tables\\DEPT");
  EXPECT_EQ(o->Lines()->Get(3), "\t\tDEPT");
  // Collapsed: only the top level shows, one row each.
  EXPECT_EQ(o->RowCount(), 2);
  int expanded = 0, collapsed = 0;
  o->OnExpand = [&](TObject*, int32_t i) { expanded = i; };
  o->OnCollapse = [&](TObject*, int32_t i) { collapsed = i; };
  o->SetExpanded(1, true);
  EXPECT_EQ(expanded, 1);
  EXPECT_EQ(o->RowCount(), 4);
  EXPECT_EQ(o->VisibleItemAt(2), 5);  // SCOTT, Tables, Views, SYS
  o->SetSelectedItem(4);              // opens Tables to show DEPT
  EXPECT_EQ(o->SelectedItem(), 4);
  EXPECT_EQ(o->RowCount(), 6);
  o->SetSelectedItem(1);
  SendMessageA(o->Handle(), WM_CHAR, '-', 1);
  Pump();
  EXPECT_EQ(collapsed, 1);
  EXPECT_EQ(o->RowCount(), 2);
  o->FullExpand();
  EXPECT_EQ(o->RowCount(), 6);
  o->Delete(2);  // Tables with its children
  EXPECT_EQ(o->ItemCount(), 3);
  EXPECT_EQ(o->Lines()->Text(), "SCOTT\r\n\tViews\r\nSYS\r\n");
  int data = 7;
  int32_t child = o->AddChildObject(3, "X", &data);
  EXPECT_EQ(o->GetDataItem(&data), child);
  EXPECT_EQ(o->Tree().Item(child).Level, 2);
}

TEST_F(OutlineTest, FrameworkDoubleClickFiresAndToggles) {
  auto* o = Make<TyOutline>();
  int dbl = 0;
  o->OnDblClick = [&](TObject*) { ++dbl; };
  DoubleClickRow(o, 0);
  EXPECT_EQ(dbl, 1);
  EXPECT_TRUE(o->Expanded(1));
  DoubleClickRow(o, 0);
  EXPECT_FALSE(o->Expanded(1));
}

TEST_F(OutlineTest, TessOutlineReplacesTheDoubleClick) {
  auto* o = Make<TyTessOutline>();
  int dbl = 0, item = 0;
  o->OnDblClick = [&](TObject*) { ++dbl; };
  DoubleClickRow(o, 0);  // no OnItemDblClick: ignored entirely
  EXPECT_EQ(dbl, 0);
  EXPECT_FALSE(o->Expanded(1));
  o->OnItemDblClick = [&](TObject* s) { item += s == o; };
  DoubleClickRow(o, 0);
  EXPECT_EQ(item, 1);
  EXPECT_EQ(dbl, 0);
  EXPECT_FALSE(o->Expanded(1));

  auto* syn = new TySynOutline(form);
  syn->SetParent(form);
  syn->Lines()->SetText("A\n\tB\n");
  int synItem = 0;
  syn->OnItemDblClick = [&](TObject*) { ++synItem; };
  DoubleClickRow(syn, 0);
  EXPECT_EQ(synItem, 1);
  EXPECT_FALSE(syn->Expanded(1));

  auto* one = reinterpret_cast<TObject*>(uintptr_t{1});
  o->SelectList()->AddObjectIfAbsent(one);
  o->SelectList()->AddObjectIfAbsent(one);
  o->SelectList()->AddObjectIfAbsent(reinterpret_cast<TObject*>(uintptr_t{2}));
  EXPECT_EQ(o->SelectList()->Count(), 2);
}

TEST_F(OutlineTest, OwnerDrawGetsEveryVisibleRow) {
  auto* o = Make<TyTessOutline>();
  o->SetStyle(TOutlineType::otOwnerDraw);
  o->SetItemHeight(14);
  o->FullExpand();
  std::vector<int32_t> rows;
  o->OnDrawItem = [&](TWinControl*, int32_t i, const TRect& r, TOwnerDrawState) {
    rows.push_back(i);
    EXPECT_EQ(r.Height(), 14);
  };
  TBitmap bmp(300, 200);
  o->PaintTo(bmp.Canvas());
  EXPECT_EQ(rows, (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace tess
