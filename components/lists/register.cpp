// The list controls in the class registry (see register.h).
#include "components/lists/register.h"

#include "components/lists/sortgrid.h"
#include "components/lists/typeahead.h"

namespace tess {

void RegisterListClasses() {
  RegisterComponentClass<TRzListBox>("TRzListBox");
  RegisterComponentClass<TRzComboBox>("TRzComboBox");
  RegisterComponentClass<TRzTabbedListBox>("TRzTabbedListBox");
  RegisterComponentClass<TSortGrid>("TSortGrid");
}

}  // namespace tess
