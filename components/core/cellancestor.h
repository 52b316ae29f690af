// The cell side of the table grid's ancestors: a cell component tells every table that
// registered it (AddCell) of each change of its properties, so that they repaint.
//
// Invariant: a table is in a cell's list of tables exactly while the cell is in the
// table's list of cells; either side going away takes itself out of the other's.
#pragma once

#include <vector>

#include "framework/core/classes.h"

namespace tess {

class TOvcTableAncestor;

// What a cell knows of a table that registered it (the table is a control, so this side
// stays portable).
class TOvcCellListener {
 public:
  // The cell changed: repaint.
  virtual void DoCellChanged(TObject* Sender) = 0;
  // The cell is going: forget it.
  virtual void DropCell(const TComponent* Cell) = 0;

 protected:
  ~TOvcCellListener() = default;
};

class TOvcTableCellAncestor : public TComponent {
 public:
  using TComponent::TComponent;
  ~TOvcTableCellAncestor() override;

  // Called after the registered tables on each change, for whoever else watches the cell.
  TNotifyEvent OnCfgChanged;

  // Tells the registered tables, then OnCfgChanged (every property setter of a cell does).
  void NotifyChanged();
  // The table's colours or font changed: take again what is inherited from it.
  virtual void TableChanged() = 0;
  // The table was scaled by M/D.
  virtual void ChangeScale(int M, int D);

 private:
  friend class TOvcTableAncestor;
  std::vector<TOvcCellListener*> tables_;
};

}  // namespace tess
