// A form holding a table written to the component stream and read back: the published
// properties, "RowData", "ColData" with the columns' cells found again by name once the
// window exists, and the places that refer to columns read only later.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/core/filer.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::Pump;

std::string Dump(TComponent* Root) {
  TMemoryStream S;
  WriteComponent(&S, Root);
  S.SetPosition(0);
  return ObjectBinaryToText(&S);
}

// The line of a property in a dump ("" when it is not there).
std::string Line(const std::string& Dump, const std::string& Prop) {
  std::istringstream In(Dump);
  for (std::string L; std::getline(In, L);)
    if (L.find(Prop + " = ") != std::string::npos) return L.substr(L.find(" = ") + 3);
  return "";
}

struct TableForm {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TOvcTable* table = nullptr;
};

TableForm MakeEditorForm() {
  TableForm F;
  TForm* form = F.form.get();
  form->SetName("frmTabEdit");
  form->SetBounds(0, 0, 640, 400);
  auto* ctl = new TOvcController(form);
  ctl->SetName("ctlMain");
  auto* table = new TOvcTable(form);
  F.table = table;
  table->SetName("tblColumns");
  table->SetParent(form);
  table->SetBounds(4, 4, 600, 300);
  table->SetRowLimit(30);
  table->SetColCount(12);
  for (int C = 0; C < 12; ++C) table->Columns().SetWidth(C, 40 + 7 * C);
  table->Columns().GetColumn(6)->SetHidden(true);
  table->Rows().SetDefaultHeight(22);
  table->Rows().SetHidden(3, true);
  table->Rows().SetHeight(5, 40);
  auto* head = new TOvcTCColHead(form);
  head->SetName("hdrColumns");
  table->SetLockedRowsCell(head);
  auto* name = new TOvcTCString(form);
  name->SetName("edtColumnName");
  auto* size = new TOvcTCString(form);
  size->SetName("edtSize");
  for (int C = 1; C < 11; ++C) table->SetColumnCell(C, C % 2 ? name : size);
  table->SetColumnCell(11, new TOvcTCString(form));  // a cell without a name
  table->SetOptions({TOvcTblOption::otoTabToArrow, TOvcTblOption::otoEnterToArrow});
  table->Colors().Set(&TOvcTableColors::Editing, clYellow);
  table->GridPenSet().NormalGrid.SetEffect(TGridEffect::geVertical);
  table->SetColorUnused(clRed);
  table->SetAccess(TOvcTblAccess::otxReadOnly);
  table->SetAdjust(TOvcTblAdjust::otaTopRight);
  table->SetActiveCell(7, 11);
  table->SetTopRow(2);
  table->SetBorderStyle(TBorderStyle::bsNone);
  table->SetScrollBars(TScrollStyle::ssVertical);
  // A glyph cell with a strip of its own: four 10-pixel glyphs, each of one colour.
  auto* flags = new TOvcTCGlyph(form);
  flags->SetName("glyFlags");
  TBitmap strip(40, 10, TPixelFormat::pf24bit);
  for (int G = 0; G < 4; ++G) {
    strip.Canvas()->Brush()->SetColor(static_cast<TColor>(0x00302010 * (G + 1)));
    strip.Canvas()->FillRect(TRect{G * 10, 0, G * 10 + 10, 10});
  }
  flags->CellGlyphs()->SetBitMap(&strip);
  flags->CellGlyphs()->SetActiveGlyphCount(2);
  return F;
}

TEST(TableStream, FormWithATableRoundTrips) {
  RegisterTableCellClasses();
  TableForm Source = MakeEditorForm();
  Source.form->Show();
  Pump();
  const std::string Before = Dump(Source.form.get());

  // What the stream holds.
  EXPECT_EQ(Line(Before, "RowData"), "(22 3 True -1 5 False 40)") << Before;
  const std::string Cols = Line(Before, "ColData");
  EXPECT_NE(Cols.find("47 False True 'frmTabEdit.edtColumnName'"), std::string::npos) << Cols;
  EXPECT_NE(Cols.find("82 True True 'frmTabEdit.edtSize'"), std::string::npos) << Cols;
  EXPECT_TRUE(Cols.ends_with(" 117 False False)")) << Cols;  // the unnamed cell
  EXPECT_EQ(Line(Before, "ColCount"), "");
  EXPECT_EQ(Line(Before, "ActiveCol"), "11");
  EXPECT_EQ(Line(Before, "LockedRows"), "");  // the default is not written
  EXPECT_NE(Line(Before, "Options").find("otoEnterToArrow"), std::string::npos);

  TMemoryStream S;
  WriteComponent(&S, Source.form.get());
  S.SetPosition(0);
  TForm Copy(nullptr);
  ReadComponent(&S, &Copy);
  auto* table = dynamic_cast<TOvcTable*>(Copy.FindComponent("tblColumns"));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->ColCount(), 12);
  // ActiveCol 11 was read before the twelve columns, and still lands there.
  EXPECT_EQ(table->ActiveRow(), 7);
  EXPECT_EQ(table->ActiveCol(), 11);
  EXPECT_TRUE(table->Columns().GetColumn(6)->Hidden());
  EXPECT_TRUE(table->Rows().GetHidden(3));
  EXPECT_EQ(table->Rows().GetHeight(5), 40);
  EXPECT_EQ(table->Rows().GetHeight(4), 22);
  EXPECT_EQ(table->Colors().Editing, clYellow);
  EXPECT_EQ(table->GridPenSet().NormalGrid.Effect, TGridEffect::geVertical);
  EXPECT_EQ(table->GridPenSet().NormalGrid.Style, TPenStyle::psDot);
  EXPECT_EQ(table->Access(), TOvcTblAccess::otxReadOnly);
  EXPECT_EQ(table->LockedRowsCell(), Copy.FindComponent("hdrColumns"));
  EXPECT_EQ(table->BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(table->ScrollBars(), TScrollStyle::ssVertical);
  auto* flags = dynamic_cast<TOvcTCGlyph*>(Copy.FindComponent("glyFlags"));
  ASSERT_NE(flags, nullptr);
  TOvcCellGlyphs* glyphs = flags->CellGlyphs();
  EXPECT_FALSE(glyphs->IsDefault());
  EXPECT_EQ(glyphs->GlyphCount(), 4);
  EXPECT_EQ(glyphs->ActiveGlyphCount(), 2);
  ASSERT_EQ(glyphs->BitMap()->Width(), 40);
  for (int G = 0; G < 4; ++G)
    EXPECT_EQ(glyphs->BitMap()->Canvas()->Pixel(G * 10 + 5, 5),
              static_cast<TColor>(0x00302010 * (G + 1)));
  // The default strip itself was not drawn on: another cell still has it.
  TOvcTCCheckBox plain(nullptr);
  EXPECT_TRUE(plain.CellGlyphs()->IsDefault());
  EXPECT_EQ(plain.CellGlyphs()->GlyphCount(), 3);
  // The columns' cells are found by name once the window exists.
  EXPECT_EQ(table->Columns().GetDefaultCell(1), nullptr);
  Copy.Show();
  Pump();
  EXPECT_EQ(table->Columns().GetDefaultCell(1), Copy.FindComponent("edtColumnName"));
  EXPECT_EQ(table->Columns().GetDefaultCell(2), Copy.FindComponent("edtSize"));
  EXPECT_EQ(table->Columns().GetDefaultCell(11), nullptr);
  EXPECT_EQ(table->TopRow(), 2);

  // Written again, the copy holds what the source held, but for its last column's
  // unnamed cell, which the stream could not name; the cell list may come back in
  // another order.
  auto* lastCell = dynamic_cast<TOvcTCString*>(Source.table->Columns().GetDefaultCell(11));
  ASSERT_NE(lastCell, nullptr);
  Source.table->SetColumnCell(11, nullptr);
  delete lastCell;
  for (int I = Copy.ComponentCount() - 1; I >= 0; --I)
    if (Copy.Components(I)->Name().empty()) delete Copy.Components(I);
  // The dump with the names in its cell list sorted.
  auto Normal = [](const std::string& D) {
    std::istringstream In(D);
    std::string Out;
    for (std::string L; std::getline(In, L);) {
      if (L.find("CellData = (") != std::string::npos) {
        std::vector<std::string> Items;
        std::string List = L.substr(L.find('(') + 1);
        List.pop_back();  // ')'
        std::istringstream Words(List);
        for (std::string W; Words >> W;) Items.push_back(W);
        std::sort(Items.begin(), Items.end());
        L = "CellData:";
        for (const std::string& W : Items) L += " " + W;
      }
      Out += L;
      Out += '\n';
    }
    return Out;
  };
  EXPECT_EQ(Normal(Dump(&Copy)), Normal(Dump(Source.form.get())));
}

TEST(TableStream, BadRowAndColumnDataDoNotBreakTheTable) {
  RegisterTableCellClasses();
  TForm Form(nullptr);
  Form.SetName("frmOne");
  new TOvcController(&Form);
  auto* table = new TOvcTable(&Form);
  table->SetName("tbl");
  table->SetParent(&Form);
  // Rows outside the table's rows, and an empty column list, leave the table whole.
  TMemoryStream S;
  {
    TWriter W(&S);
    W.WriteSignature();
    W.WriteStr("TOvcTable");
    W.WriteStr("tbl");
    W.WriteStr("RowData");
    W.WriteListBegin();
    W.WriteInteger(18);
    for (int32_t Row : {-4, 2, 10, 400000}) {
      W.WriteInteger(Row);
      W.WriteBoolean(true);
      W.WriteInteger(-1);
    }
    W.WriteListEnd();
    W.WriteStr("ColData");
    W.WriteListBegin();
    W.WriteListEnd();
    W.WriteStr("");
    W.WriteStr("");
  }
  S.SetPosition(0);
  ReadComponent(&S, table);
  EXPECT_EQ(table->Rows().DefaultHeight(), 18);
  EXPECT_TRUE(table->Rows().GetHidden(2));
  EXPECT_EQ(table->Rows().StoredCount(), 1);
  EXPECT_EQ(table->ColCount(), 10);
  Form.Show();
  Pump();
  EXPECT_EQ(table->ColCount(), 10);
}

}  // namespace
}  // namespace tess
