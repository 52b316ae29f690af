// The outline controls of the program's trees: TyOutline (the framework's outline as the
// windows use it), TyTessOutline (the schema browser's tree, with a set of selected
// values) and TySynOutline (the syntax help's tree).  The last two replace the
// outline's double click by one event: a double click neither fires OnDblClick nor
// expands or collapses a node.
#pragma once

#include <memory>

#include "components/outline/selectlist.h"
#include "framework/win/outline.h"

namespace tess {

class TyOutline : public TCustomOutline {
 public:
  explicit TyOutline(TComponent* AOwner) : TCustomOutline(AOwner) {}
};

class TyTessOutline : public TyOutline {
 public:
  explicit TyTessOutline(TComponent* AOwner);
  ~TyTessOutline() override;
  TySelectList* SelectList() const { return select_list_.get(); }

  // Assigned by the owning window at run time; a double click does nothing else.
  TNotifyEvent OnItemDblClick;

 protected:
  void DblClick() override;

 private:
  std::unique_ptr<TySelectList> select_list_;
};

class TySynOutline : public TyOutline {
 public:
  explicit TySynOutline(TComponent* AOwner) : TyOutline(AOwner) {}
  TNotifyEvent OnItemDblClick;

 protected:
  void DblClick() override;
};

// Puts the outline controls in the class registry of the component stream.
void RegisterOutlineClasses();

}  // namespace tess
