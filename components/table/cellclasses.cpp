// The table, its cell classes and the controller in the component stream's class registry.
#include "components/table/combocell.h"
#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"

namespace tess {

void RegisterTableCellClasses() {
  RegisterComponentClass<TOvcController>("TOvcController");
  RegisterComponentClass<TOvcTable>("TOvcTable");
  RegisterComponentClass<TOvcTCColHead>("TOvcTCColHead");
  RegisterComponentClass<TOvcTCString>("TOvcTCString");
  RegisterComponentClass<TOvcTCBitMap>("TOvcTCBitMap");
  RegisterComponentClass<TOvcTCGlyph>("TOvcTCGlyph");
  RegisterComponentClass<TOvcTCCheckBox>("TOvcTCCheckBox");
  RegisterComponentClass<TOvcTCComboBox>("TOvcTCComboBox");
}

}  // namespace tess
