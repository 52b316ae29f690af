// The cell side of the table grid's ancestors: a cell component tells the tables that
// registered it of every change of its properties through OnCfgChanged, so that they
// repaint.
#pragma once

#include "framework/core/classes.h"

namespace tess {

class TOvcTableCellAncestor : public TComponent {
 public:
  using TComponent::TComponent;

  // Set by the table that registers the cell.
  TNotifyEvent OnCfgChanged;

  // Calls OnCfgChanged (every property setter of a cell does).
  void NotifyChanged();
  // The table's colours or font changed: take again what is inherited from it.
  virtual void TableChanged() = 0;
  // The table was scaled by M/D.
  virtual void ChangeScale(int M, int D);
};

}  // namespace tess
