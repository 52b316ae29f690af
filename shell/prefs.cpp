// See prefs.h.
#include "shell/prefs.h"

namespace tess {

namespace {
TyPrefsRec g_defaults;
}

TyPrefsRec* gPrefs = &g_defaults;

}  // namespace tess
