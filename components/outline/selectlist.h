// TySelectList: a string list used as a set of pointer-sized values, kept in the
// entries' objects (the schema browser records selected node indexes in it).
#pragma once

#include "framework/core/strings.h"

namespace tess {

class TySelectList : public TStringList {
 public:
  // Appends an entry with empty text and AObject unless one already carries it
  // (compared by identity).
  void AddObjectIfAbsent(TObject* AObject);
};

}  // namespace tess
