// Every registered component class, whatever its family: a new object starts each
// published property at its declared default (or the property is always stored), and
// each property moved away from that start comes back from the component stream.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/components/registered/every_class.h"
#include "tests/framework/win/published.h"

namespace tess {

namespace {

using testing::RegisterEveryClass;

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
