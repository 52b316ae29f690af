// Shows the editor with a little SQL, a selection and the scroll bars, for a screenshot.
#include "components/editor/editor.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tess;
  auto* f = Application->CreateForm<TForm>();
  f->SetCaption("Editor");
  f->SetBounds(40, 40, 520, 300);
  new TOvcController(f);
  auto* ed = new TyCustomEditor(f);
  ed->SetParent(f);
  ed->SetAlign(TAlign::alClient);
  std::string text =
      "select e.empno, e.ename, d.dname\r\n"
      "  from emp e\r\n"
      "  join dept d on d.deptno = e.deptno\r\n"
      " where e.sal > 1500\r\n"
      " order by e.ename;\r\n\r\n";
  for (int i = 1; i <= 30; ++i) text += "-- line " + std::to_string(i) + "\r\n";
  ed->Model().SetText(text.c_str());
  ed->Model().SetSelection(2, 3, 3, 7, true);
  f->Show();
  ed->SetFocus();
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
