// See cellancestor.h.
#include "components/core/cellancestor.h"

namespace tess {

void TOvcTableCellAncestor::NotifyChanged() {
  if (OnCfgChanged) OnCfgChanged(this);
}

void TOvcTableCellAncestor::ChangeScale(int, int) {}

}  // namespace tess
