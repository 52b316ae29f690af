// The framework's components in the class registry of the component stream.
#include "framework/win/extctrls.h"
#include "framework/win/forms.h"
#include "framework/win/grids.h"
#include "framework/win/menus.h"
#include "framework/win/outline.h"
#include "framework/win/stdctrls.h"

namespace tess {

void RegisterFrameworkClasses() {
  RegisterComponentClass<TForm>("TForm");
  RegisterComponentClass<TScrollBox>("TScrollBox");
  RegisterComponentClass<TEdit>("TEdit");
  RegisterComponentClass<TMemo>("TMemo");
  RegisterComponentClass<TListBox>("TListBox");
  RegisterComponentClass<TComboBox>("TComboBox");
  RegisterComponentClass<TButton>("TButton");
  RegisterComponentClass<TLabel>("TLabel");
  RegisterComponentClass<TPanel>("TPanel");
  RegisterComponentClass<TSpeedButton>("TSpeedButton");
  RegisterComponentClass<TPaintBox>("TPaintBox");
  RegisterComponentClass<TTimer>("TTimer");
  RegisterComponentClass<TMainMenu>("TMainMenu");
  RegisterComponentClass<TPopupMenu>("TPopupMenu");
  RegisterComponentClass<TDrawGrid>("TDrawGrid");
  RegisterComponentClass<TStringGrid>("TStringGrid");
  RegisterComponentClass<TOutline>("TOutline");
}

}  // namespace tess
