// Applying an editor-preferences record to a syntax-colouring editor: colours, font and
// the two switches from the record, tab type, tab size and ScrollPastEnd from the global
// settings.  The selection colours are the editor's own and never set here.
#pragma once

#include "services/prefs.h"

namespace tess {

class TySynEdit;

// Nothing for a null editor.
void ApplyEditorPrefs(const TEditorPrefs& Prefs, TySynEdit* Editor);

}  // namespace tess
