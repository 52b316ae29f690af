// Every published property of the syntax-colouring editors, as documented: names and
// declared defaults, nothing more, and each value stored and read back.
#include <gtest/gtest.h>

#include "components/synedit/synedit.h"
#include "framework/win/forms.h"
#include "tests/components/editor/editor_published.h"

namespace tess {
namespace {

using testing::CheckPublished;
using testing::Declared;
using testing::Undeclared;

class PublishedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterFrameworkClasses();
    RegisterSynEditClasses();
  }
};

TEST_F(PublishedTest, SynEdit) {
  auto props = testing::TextFileEditorProperties();
  // Declared as a new editor's value (off), so that an editor that colours is stored as
  // one: declaring it on would bring such an editor back without colours.
  props.push_back(Declared("UseSyntaxHighlighting", false));
  props.push_back(Declared("ScanForComments", true));
  CheckPublished({"TSynEdit", testing::New<TCustomControl>, props, testing::OpenableFile});
}

TEST_F(PublishedTest, ColouringEditorsColours) {
  std::vector<testing::TPublished> colours;
  for (const char* c :
       {"NormalTextColor", "SelectedTextColor", "SelectedTextBackColor", "StringTextColor",
        "SQLTextColor", "PLSQLTextColor", "CommentTextColor", "SymbolTextColor"})
    colours.push_back(Undeclared(c));
  CheckPublished({"TySynEdit", testing::New<TSynEdit>, colours, testing::OpenableFile});
}

}  // namespace
}  // namespace tess
