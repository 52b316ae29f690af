// The set of selected values (see selectlist.h).
#include "components/editing/selectlist.h"

namespace tess {

void TySelectList::AddObjectIfAbsent(TObject* AObject) {
  if (IndexOfObject(AObject) < 0) AddObject("", AObject);
}

}  // namespace tess
