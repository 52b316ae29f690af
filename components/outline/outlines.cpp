// The program's outline controls (see outlines.h).
#include "components/outline/outlines.h"

namespace tess {

TyTessOutline::TyTessOutline(TComponent* AOwner)
    : TyOutline(AOwner), select_list_(std::make_unique<TySelectList>()) {}

TyTessOutline::~TyTessOutline() = default;

void TyTessOutline::DblClick() {
  FireEvent(this, OnItemDblClick, this);
}

void TySynOutline::DblClick() {
  FireEvent(this, OnItemDblClick, this);
}

void RegisterOutlineClasses() {
  RegisterComponentClass<TyOutline>("TyOutline");
  RegisterComponentClass<TyTessOutline>("TyTessOutline");
  RegisterComponentClass<TySynOutline>("TySynOutline");
}

}  // namespace tess
