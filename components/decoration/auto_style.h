// The automatic look that the splitter, the picture buttons and the dock bars offer: it
// follows the system, so the controls change their look together.  Portable: the
// system's look is passed in.
#pragma once

namespace tess {

// Value itself, unless it is Auto: then Win95 where the system has the new-style
// controls (NewLook) and Win31 where it has not.  Each control's style enum names its
// own Auto, Win31 and Win95.
template <class Style>
constexpr Style ResolveAutoStyle(Style Value, Style Auto, Style Win31, Style Win95, bool NewLook) {
  if (Value != Auto) return Value;
  return NewLook ? Win95 : Win31;
}

}  // namespace tess
