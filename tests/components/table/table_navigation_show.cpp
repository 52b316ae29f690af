// table_navigation_show.exe: a table grid with a locked heading row and locked column,
// a selection made with the keyboard's extend commands and a selected row, for looking
// at the selection's painting (tools/screenshot).
#include "components/table/celltext.h"
#include "components/table/table.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tess;
  auto* form = Application->CreateForm<TForm>();
  form->SetCaption("Table selection");
  form->SetBounds(20, 20, 700, 420);
  new TOvcController(form);
  auto* table = new TOvcTable(form);
  table->SetParent(form);
  table->SetBounds(8, 8, 670, 360);
  table->SetRowLimit(500);
  table->SetColCount(20);
  table->Columns().SetWidth(0, 60);
  table->Rows().SetDefaultHeight(24);
  auto* heads = new TOvcTCColHead(form);
  heads->SetAdjust(TOvcTblAdjust::otaCenter);
  auto* text = new TOvcTCBaseString(form);
  table->SetLockedRowsCell(heads);
  for (int C = 1; C < 20; ++C) table->SetColumnCell(C, text);
  static uint8_t value[256];
  table->OnGetCellData = [](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose) {
    StoreShortString(value, C == 0 ? "row " + std::to_string(R) : std::to_string(R * 100 + C), 0);
    Data = value;
  };
  table->SetOptions({TOvcTblOption::otoMouseDragSelect, TOvcTblOption::otoRowSelection,
                     TOvcTblOption::otoColSelection});
  table->SelectRow(10);
  table->SetActiveCell(3, 2);
  for (int I = 0; I < 4; ++I) table->ProcessCommand(ccExtendDown);
  for (int I = 0; I < 2; ++I) table->ProcessCommand(ccExtendRight);
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
