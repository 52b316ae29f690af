// Shows a syntax-colouring editor holding a PL/SQL file (the first argument, else a file
// of the corpus) with a selection, a bookmark and a marked line, scrolled a little,
// for a screenshot.
#include <string>

#include "components/synedit/synedit.h"
#include "framework/core/strings.h"
#include "framework/core/sysutils.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR CmdLine, int) {
  using namespace tess;
  auto* f = Application->CreateForm<TForm>();
  f->SetCaption("PL/SQL");
  f->SetBounds(20, 20, 760, 520);
  new TOvcController(f);
  auto* ed = new TySynEdit(f);
  ed->SetParent(f);
  ed->SetAlign(TAlign::alClient);
  TStringList lists[3];
  const char* names[3] = {"symbol.kwd", "sql.kwd", "plsql.kwd"};
  for (int i = 0; i < 3; ++i) {
    lists[i].LoadFromFile(std::string(TESS_KWD_DIR) + "/" + names[i]);
    for (int j = 0; j < lists[i].Count(); ++j)
      lists[i].SetStrings(j, UpperCase(Trim(lists[i].Strings(j))));
  }
  ed->SetKeywordLists(&lists[0], &lists[1], &lists[2]);
  ed->SetUseSyntaxHighlighting(true);
  std::string file = CmdLine && *CmdLine ? CmdLine : TESS_DEMO_FILE;
  ed->File().LoadFromFile(file);
  ed->Model().SetMarkerAt(1, 4, 1);
  ed->Model().MarkedParas() = {9};
  ed->Model().MarkedValues() = {1};
  ed->SetMarkParagraphs(true);
  ed->Model().SetSelection(12, 5, 14, 20, true);
  f->Show();
  ed->SetFocus();
  // A few small scrolls after the first paint: the picture shows the shifted pixels.
  Application->ProcessMessages();
  HWND w = static_cast<HWND>(ed->Handle());
  for (int i = 0; i < 3; ++i) {
    SendMessageA(w, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(w);
  }
  SendMessageA(w, WM_HSCROLL, SB_LINERIGHT, 0);
  UpdateWindow(w);
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
