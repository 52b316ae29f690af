// table_editing_show.exe: a table of column definitions, as the table editor lays it out,
// with a cell being edited in place (tools/screenshot).
#include <array>
#include <map>
#include <string>

#include "components/table/celltext.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tess;
  auto* form = Application->CreateForm<TForm>();
  form->SetCaption("Table grid: editing");
  form->SetBounds(20, 20, 620, 300);
  new TOvcController(form);
  auto* table = new TOvcTable(form);
  table->SetParent(form);
  table->SetBounds(8, 8, 590, 250);
  table->SetRowLimit(12);
  table->SetColCount(4);
  table->Rows().SetDefaultHeight(22);
  const int Widths[] = {30, 200, 60, 260};
  for (int C = 0; C < 4; ++C) table->Columns().SetWidth(C, Widths[C]);
  auto* heads = new TOvcTCColHead(form);
  heads->SetShowLetters(false);
  for (const char* H : {"", "Column name", "Size", "Comment"}) heads->Headings()->Add(H);
  table->SetLockedRowsCell(heads);
  for (int C = 1; C < 4; ++C) table->SetColumnCell(C, new TOvcTCString(form));
  table->SetOptions({TOvcTblOption::otoTabToArrow, TOvcTblOption::otoEnterToArrow});
  static std::map<std::pair<int32_t, int>, std::array<uint8_t, 256>> cells;
  const char* Names[] = {"EMPNO", "ENAME", "JOB", "MGR", "HIREDATE", "SAL", "COMM", "DEPTNO"};
  for (int R = 1; R <= 8; ++R) {
    StoreShortString(cells[{R, 1}].data(), Names[R - 1], 0);
    StoreShortString(cells[{R, 2}].data(), R % 3 ? "10" : "", 0);
  }
  StoreShortString(cells[{3, 3}].data(), "Job title", 0);
  // The heading row shows the heading cell's own texts.
  table->OnGetCellData = [](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose) {
    Data = R > 0 ? cells[{R, C}].data() : nullptr;
  };
  table->Colors().Set(&TOvcTableColors::Editing, clWindow);
  table->SetActiveCell(3, 3);
  form->Show();
  Application->ProcessMessages();
  table->SetFocus();
  table->StartEditingState();
  if (auto* Cell = dynamic_cast<TOvcTCString*>(table->EditingCell())) {
    Cell->EditControl()->SetText("Job title of the employee");
    Cell->EditControl()->SetSelStart(25);
  }
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
