// The set of selected values (see selectlist.h).
#include "components/outline/selectlist.h"

namespace tess {

void TySelectList::AddObjectIfAbsent(TObject* AObject) {
  if (IndexOfObject(AObject) < 0) AddObject("", AObject);
}

}  // namespace tess
