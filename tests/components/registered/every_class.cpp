#include "tests/components/registered/every_class.h"

#include "components/core/controller.h"
#include "components/decoration/captionbar.h"
#include "components/decoration/dockbar.h"
#include "components/decoration/labeleffect.h"
#include "components/decoration/picturebutton.h"
#include "components/decoration/splitter.h"
#include "components/editor/editor.h"
#include "components/lists/register.h"
#include "components/outline/outlines.h"
#include "components/synedit/synedit.h"
#include "framework/win/forms.h"

namespace tess {

// The entry field's header and the table's cannot share a translation unit (each has a
// command named ccMouseMove): their registrations are declared here.
void RegisterEntryFieldClasses();
void RegisterTableCellClasses();

namespace testing {

void RegisterEveryClass() {
  RegisterFrameworkClasses();
  RegisterControllerClass();
  RegisterEntryFieldClasses();
  RegisterEditorClasses();
  RegisterSynEditClasses();
  RegisterOutlineClasses();
  RegisterListClasses();
  RegisterLabelEffectClasses();
  RegisterCaptionBarClasses();
  RegisterSplitterClasses();
  RegisterPictureButtonClasses();
  RegisterDockBarClasses();
  RegisterTableCellClasses();
}

}  // namespace testing
}  // namespace tess
