// The table, its cell classes and the controller in the component stream's class registry.
#include "components/grid/combocell.h"
#include "components/grid/glyphcells.h"
#include "components/grid/stringcell.h"
#include "components/grid/table.h"

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
