// The list controls in the class registry of the component stream, so that a form
// holding them can be read.
#pragma once

namespace tess {

void RegisterListClasses();

}  // namespace tess
