// table_grid_show.exe: a form with a table grid of a million rows, two locked columns, a
// heading row of letters, and string, check-box, combo-box and glyph cells, for looking
// at the control (tools/screenshot).  "editing" as the argument shows the combo cell's
// in-place editor open.
#include <cstring>

#include "components/table/celltext.h"
#include "components/table/combocell.h"
#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR CmdLine, int) {
  using namespace tess;
  auto* form = Application->CreateForm<TForm>();
  form->SetCaption("Table grid");
  form->SetBounds(20, 20, 700, 420);
  new TOvcController(form);
  auto* table = new TOvcTable(form);
  table->SetParent(form);
  table->SetBounds(8, 8, 670, 360);
  table->SetRowLimit(1000000);
  table->SetColCount(40);
  table->SetLockedCols(2);
  table->Rows().SetHeight(3, 44);
  table->Columns().SetWidth(0, 60);
  table->Columns().SetWidth(2, 120);
  table->Columns().SetWidth(3, 70);
  table->Columns().SetWidth(4, 130);
  table->Columns().SetWidth(5, 70);
  auto* heads = new TOvcTCColHead(form);
  heads->SetAdjust(TOvcTblAdjust::otaCenter);
  auto* text = new TOvcTCBaseString(form);
  auto* name = new TOvcTCString(form);
  auto* check = new TOvcTCCheckBox(form);
  check->SetAdjust(TOvcTblAdjust::otaCenter);
  check->SetAllowGrayed(true);
  auto* combo = new TOvcTCComboBox(form);
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  TStringList Types;
  for (const char* T : {"CHAR", "DATE", "LONG", "LONG RAW", "NUMBER", "RAW", "ROWID", "VARCHAR2"})
    Types.Add(T);
  combo->SetItems(&Types);
  auto* glyph = new TOvcTCGlyph(form);
  glyph->SetAdjust(TOvcTblAdjust::otaCenter);
  table->SetLockedRowsCell(heads);
  for (int C = 1; C < 40; ++C) table->SetColumnCell(C, text);
  table->SetColumnCell(2, name);
  table->SetColumnCell(3, check);
  table->SetColumnCell(4, combo);
  table->SetColumnCell(5, glyph);
  static uint8_t value[256];
  static uint8_t state;
  static int32_t index;
  static TOvcCellComboBoxInfo choice;
  table->OnGetCellData = [](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose) {
    switch (C) {
      case 3: state = static_cast<uint8_t>(R % 3); Data = &state; return;
      case 4: choice.Index = R % 8; Data = &choice; return;
      case 5: index = R % 3; Data = &index; return;
      default: break;
    }
    StoreShortString(value, C == 1 ? "row " + std::to_string(R)
                            : C == 2 ? "COLUMN_" + std::to_string(R % 1000)
                                     : std::to_string(R * 100 + C), 0);
    Data = value;
  };
  table->SetTopRow(999990);
  table->SetActiveCell(999992, 4);
  if (CmdLine && std::strstr(CmdLine, "editing")) {
    form->Show();
    static TOvcCellComboBoxInfo edited;
    edited.Index = 4;
    TOvcTableRect R;
    if (table->Layout().GetCellRect(999992, 4, R)) {
      TOvcCellAttributes A;
      A.Color = clWindow;
      A.Font = table->Font();
      combo->StartEditing(999992, 4, TRect{R.Left, R.Top, R.Right, R.Bottom}, A,
                          TOvcTblEditorStyle::tesNormal, &edited);
      combo->EditMove(TRect{R.Left, R.Top, R.Right, R.Bottom});
    }
  }
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
