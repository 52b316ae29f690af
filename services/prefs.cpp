// See prefs.h.
#include "services/prefs.h"

namespace tess {

namespace {
TyPrefsRec g_defaults;
}

TyPrefsRec* gPrefs = &g_defaults;

}  // namespace tess
