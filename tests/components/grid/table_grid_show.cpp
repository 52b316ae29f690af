// table_grid_show.exe: a form with a table grid of a million rows, two locked columns, a
// heading row of letters and text cells, for looking at the control (tools/screenshot).
#include "components/grid/celltext.h"
#include "components/grid/table.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
  auto* heads = new TOvcTCColHead(form);
  heads->SetAdjust(TOvcTblAdjust::otaCenter);
  auto* text = new TOvcTCBaseString(form);
  table->SetLockedRowsCell(heads);
  for (int C = 1; C < 40; ++C) table->SetColumnCell(C, text);
  static uint8_t value[256];
  table->OnGetCellData = [](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose) {
    StoreShortString(value, C == 1 ? "row " + std::to_string(R) : std::to_string(R * 100 + C), 0);
    Data = value;
  };
  table->SetTopRow(999990);
  table->SetActiveCell(999992, 3);
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
