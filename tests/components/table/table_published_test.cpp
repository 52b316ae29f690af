// Every published property of the table grid and of its cells, as documented: names and
// declared defaults, nothing more, and each value stored and read back.
#include <gtest/gtest.h>

#include <vector>

#include "components/table/combocell.h"
#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/win/forms.h"
#include "tests/framework/win/published.h"

namespace tess {
namespace {

using testing::CheckPublished;
using testing::Declared;
using testing::New;
using testing::Published;
using testing::Reference;
using testing::StreamedCopy;
using testing::SubObject;
using testing::TPublished;
using testing::Unstored;

class TablePublishedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterFrameworkClasses();
    RegisterTableCellClasses();
  }
};

// What every cell publishes. TableColor and TableFont come before Color and Font: setting
// the cell's own colour or font clears them, and set last they would take it back.
std::vector<TPublished> CellProperties(std::vector<TPublished> Own) {
  std::vector<TPublished> props{
      // True for the cells that edit on the activating click, False for the others: no
      // one default holds for every cell, so it is always stored.
      Published("AcceptActivationClick"),
      Declared("Access", "otxDefault"),
      Declared("Adjust", "otaDefault"),
      Declared("TableColor", true),
      Declared("TableFont", true),
      Declared("Color", clBtnFace),
      SubObject("Font"),
      Declared("Hint", ""),
      Declared("Margin", 4),
      Published("ShowHint"),
      Declared("TextHiColor", clBtnHighlight),
      Declared("TextStyle", "tsFlat"),
  };
  props.insert(props.end(), Own.begin(), Own.end());
  return props;
}

std::vector<TPublished> StringCellProperties(std::vector<TPublished> Own) {
  Own.insert(Own.begin(), {Declared("UseASCIIZStrings", false), Declared("UseWordWrap", false)});
  return CellProperties(std::move(Own));
}

// Coming with the framework's dragging: DragCursor, DragMode and the drag events.
TEST_F(TablePublishedTest, Table) {
  CheckPublished({"TOvcTable",
                  New<TCustomControl>,
                  {Declared("RowLimit", 10), Declared("LockedRows", 1, 0), Declared("TopRow", 1, 2),
                   Declared("ActiveRow", 1, 2), Declared("LockedCols", 1, 0),
                   Declared("LeftCol", 1, 2), Declared("ActiveCol", 1, 2),
                   // otxDefault and otaDefault stand for these, so the table never holds them.
                   Declared("Access", "otxNormal", "otxReadOnly"),
                   Declared("Adjust", "otaCenterLeft", "otaTopRight"), Declared("Color", clBtnFace),
                   Declared("ParentColor", false), Declared("TabStop", true),
                   Declared("BorderStyle", "bsSingle"),
                   // The columns, and the rows, travel in the table's own "ColData" and "RowData".
                   Unstored("ColCount"), Declared("ColorUnused", clWindow), SubObject("Colors"),
                   Reference("Controller", "TOvcController"), SubObject("GridPenSet"),
                   Reference("LockedRowsCell", "TOvcTCColHead"), Declared("Options", "[]"),
                   Declared("ScrollBars", "ssBoth")},
                  // A window small enough to scroll, so that TopRow and LeftCol can move.
                  [](TComponent* c) {
                    new TOvcController(c->Owner());
                    auto* table = static_cast<TOvcTable*>(c);
                    table->SetBounds(0, 0, 200, 100);
                    table->HandleNeeded();
                  }});
}

TEST_F(TablePublishedTest, TextCells) {
  std::vector<TPublished> heading = StringCellProperties(
      {SubObject("Headings"), Declared("ShowActiveCol", false), Declared("ShowLetters", true)});
  // A new heading cell is read-only; with otxDefault as the default a heading set back to
  // the table's access would come back read-only.
  for (TPublished& p : heading)
    if (p.Name == "Access") p = Declared("Access", "otxReadOnly");
  CheckPublished({"TOvcTCColHead", New<TComponent>, heading});
  CheckPublished(
      {"TOvcTCString", New<TComponent>,
       StringCellProperties({Published("AutoAdvanceChar"), Published("AutoAdvanceLeftRight"),
                             Declared("MaxLength", 0)})});
}

TEST_F(TablePublishedTest, PictureCells) {
  CheckPublished({"TOvcTCBitMap", New<TComponent>, CellProperties({})});
  CheckPublished({"TOvcTCGlyph", New<TComponent>, CellProperties({SubObject("CellGlyphs")})});
  CheckPublished({"TOvcTCCheckBox", New<TComponent>,
                  CellProperties({SubObject("CellGlyphs"), Published("AllowGrayed")})});
}

TEST_F(TablePublishedTest, ComboBoxCell) {
  CheckPublished(
      {"TOvcTCComboBox", New<TComponent>,
       StringCellProperties({Published("AutoAdvanceChar"), Published("AutoAdvanceLeftRight"),
                             Declared("DropDownCount", 8), SubObject("Items"),
                             Published("MaxLength"), Published("SaveStringValue"),
                             Declared("ShowButton", true), Declared("Sorted", false),
                             Published("Style"), Published("UseRunTimeItems")})});
}

// The pens are sub-objects of a sub-object: each of the four keeps its own values.
TEST_F(TablePublishedTest, GridPensComeBack) {
  TForm form(nullptr);
  auto* table = new TOvcTable(&form);
  table->SetName("Grid");
  table->SetParent(&form);
  TOvcGridPenSet& set = table->GridPenSet();
  TOvcGridPen* pens[] = {&set.NormalGrid, &set.LockedGrid, &set.CellWhenFocused,
                         &set.CellWhenUnfocused};
  for (int i = 0; i < 4; ++i) {
    pens[i]->SetNormalColor(static_cast<TColor>(0x10 + i));
    pens[i]->SetSecondColor(static_cast<TColor>(0x20 + i));
    pens[i]->SetEffect(static_cast<TGridEffect>(i));
    pens[i]->SetStyle(static_cast<TPenStyle>(i + 1));
  }
  TForm copy(nullptr);
  auto* back = dynamic_cast<TOvcTable*>(StreamedCopy(&form, &copy, "Grid"));
  ASSERT_NE(back, nullptr);
  TOvcGridPenSet& got = back->GridPenSet();
  const TOvcGridPen* read[] = {&got.NormalGrid, &got.LockedGrid, &got.CellWhenFocused,
                               &got.CellWhenUnfocused};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read[i]->NormalColor, pens[i]->NormalColor);
    EXPECT_EQ(read[i]->SecondColor, pens[i]->SecondColor);
    EXPECT_EQ(read[i]->Effect, pens[i]->Effect);
    EXPECT_EQ(read[i]->Style, pens[i]->Style);
  }
}

// A new heading cell is read-only; a heading cell set back to the table's access must not
// come back read-only.
TEST_F(TablePublishedTest, HeadingCellKeepsTheTablesAccess) {
  TForm form(nullptr);
  auto* head = new TOvcTCColHead(&form);
  head->SetName("Head");
  ASSERT_EQ(head->Access(), TOvcTblAccess::otxReadOnly);
  head->SetAccess(TOvcTblAccess::otxDefault);
  TForm copy(nullptr);
  auto* back = dynamic_cast<TOvcTCColHead*>(StreamedCopy(&form, &copy, "Head"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Access(), TOvcTblAccess::otxDefault);
}

}  // namespace
}  // namespace tess
