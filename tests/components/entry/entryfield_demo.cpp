// Shows a few simple fields, one focused with a selection and one marked invalid, for a
// screenshot.
#include "components/entry/simplefield.h"
#include "framework/win/forms.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tess;
  auto* f = Application->CreateForm<TForm>();
  f->SetCaption("Entry fields");
  f->SetBounds(40, 40, 420, 310);
  new TOvcController(f);
  int top = 16;
  auto field = [&](const char* Caption, TSimpleDataType Type) {
    auto* l = new TLabel(f);
    l->SetParent(f);
    l->SetCaption(Caption);
    l->SetBounds(16, top + 4, 120, 16);
    auto* e = new TOvcSimpleField(f);
    e->SetParent(f);
    e->SetDataType(Type);
    e->SetBounds(140, top, 220, e->Height());
    top += 40;
    return e;
  };
  TOvcSimpleField* name = field("Name (string)", sftString);
  TOvcSimpleField* count = field("Rows (LongInt)", sftLongInt);
  TOvcSimpleField* date = field("Date (MM/dd/yyyy)", sftString);
  TOvcSimpleField* pct = field("Percent (Byte)", sftByte);
  TOvcSimpleField* total = field("Total (Comp)", sftComp);
  TOvcSimpleField* ratio = field("Ratio (Double)", sftDouble);
  f->Show();
  name->SetAsString("SQL Tessellar");
  count->SetAsString("-2147483648");
  date->SetAsString(IntlSup().DateToDateString(DMYtoDate(7, 12, 2026), "MM/dd/yyyy", false));
  // Whole at the types' own lengths: every digit of a Comp, the shortest exact double.
  total->SetAsString("-9199999999999999999");
  const double Big = 1.2345678901234567e300;
  ratio->SetValue(&Big);
  pct->SetSoftValidation(true);
  pct->Model().SetText("999");
  pct->ValidateField(true);  // out of range: drawn in the error colours
  name->SetFocus();
  name->SetSelection(4, 13);
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
