// Every published property of the text-file editor, as documented: names and declared
// defaults, nothing more, and each value stored and read back.
#include <gtest/gtest.h>

#include "components/editor/editor.h"
#include "framework/win/forms.h"
#include "tests/components/editor/editor_published.h"

namespace tess {
namespace {

TEST(PublishedTest, TextFileEditor) {
  RegisterFrameworkClasses();
  RegisterEditorClasses();
  testing::CheckPublished({"TyTextFileEditor", testing::New<TCustomControl>,
                           testing::TextFileEditorProperties(), testing::OpenableFile});
}

}  // namespace
}  // namespace tess
