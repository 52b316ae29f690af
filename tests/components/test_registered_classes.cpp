// Every registered component class, whatever its family: a new object starts each
// published property at its declared default (or the property is always stored), and
// each property moved away from that start comes back from the component stream.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "components/decoration/captionbar.h"
#include "components/decoration/dockbar.h"
#include "components/decoration/labeleffect.h"
#include "components/decoration/picturebutton.h"
#include "components/decoration/splitter.h"
#include "components/editor/editor.h"
#include "components/lists/register.h"
#include "components/outline/outlines.h"
#include "components/synedit/synedit.h"
#include "components/table/table.h"
#include "framework/win/forms.h"
#include "tests/framework/win/published.h"

namespace tess {

// The entry field's header and the table's cannot share a translation unit (each has a
// command named ccMouseMove); the table's is included.
void RegisterEntryFieldClasses();

namespace {

void RegisterEveryClass() {
  RegisterFrameworkClasses();
  RegisterEditorClasses();
  RegisterSynEditClasses();
  RegisterEntryFieldClasses();
  RegisterOutlineClasses();
  RegisterListClasses();
  RegisterTableCellClasses();
  RegisterLabelEffectClasses();
  RegisterCaptionBarClasses();
  RegisterSplitterClasses();
  RegisterPictureButtonClasses();
  RegisterDockBarClasses();
}

class RegisteredClassTest : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() { RegisterEveryClass(); }
};

TEST_P(RegisteredClassTest, StartsAtItsDeclaredDefaults) {
  testing::CheckStartValues(GetParam());
}

TEST_P(RegisteredClassTest, ComesBackAwayFromItsStart) {
  const std::map<std::string, std::vector<std::string>> left_out{
      // A bar that keeps its settings takes its place from the settings file when read.
      {"ToxDockBar", {"Options := +opAutoSave"}},
      // A label that sizes itself to its text is read back at that size.
      {"TLabel", {"Width", "Height"}}};
  auto it = left_out.find(GetParam());
  testing::CheckAwayFromStart(GetParam(),
                              it == left_out.end() ? std::vector<std::string>{} : it->second);
}

std::vector<std::string> EveryClass() {
  RegisterEveryClass();
  return RegisteredComponentClasses();
}

INSTANTIATE_TEST_SUITE_P(Every, RegisteredClassTest, ::testing::ValuesIn(EveryClass()),
                         [](const ::testing::TestParamInfo<std::string>& Info) {
                           return Info.param;
                         });

}  // namespace
}  // namespace tess
