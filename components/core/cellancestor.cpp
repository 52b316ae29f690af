// See cellancestor.h.
#include "components/core/cellancestor.h"

namespace tess {

// Still a cell here: each table drops every reference it holds to it.
TOvcTableCellAncestor::~TOvcTableCellAncestor() {
  while (!tables_.empty()) {
    TOvcCellListener* T = tables_.back();
    tables_.pop_back();
    T->DropCell(this);
  }
}

void TOvcTableCellAncestor::NotifyChanged() {
  // Index loop: a table may let the cell go while it repaints.
  for (size_t I = 0; I < tables_.size(); ++I) tables_[I]->DoCellChanged(this);
  if (OnCfgChanged) OnCfgChanged(this);
}

void TOvcTableCellAncestor::ChangeScale(int, int) {}

}  // namespace tess
