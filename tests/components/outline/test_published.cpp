// Every published property of the outline controls, as documented: names and declared
// defaults, nothing more, and each value stored and read back.
#include <gtest/gtest.h>

#include "components/outline/outlines.h"
#include "framework/win/forms.h"
#include "tests/framework/win/published.h"

namespace tess {
namespace {

using testing::CheckPublished;
using testing::Declared;
using testing::New;
using testing::Picture;
using testing::Published;
using testing::Reference;
using testing::SubObject;

class PublishedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterFrameworkClasses();
    RegisterOutlineClasses();
  }
};

// Beyond the window's own properties; the rest keep the framework's defaults.  Coming
// with the framework's dragging: DragCursor, DragMode.
TEST_F(PublishedTest, Outlines) {
  CheckPublished(
      {"TyOutline",
       New<TWinControl>,
       {SubObject("Lines"), Declared("OutlineStyle", "osTreePictureText"), Published("Options"),
        Published("Style"), Published("ItemHeight"), Published("BorderStyle"),
        Published("ItemSeparator"), Picture("PicturePlus"), Picture("PictureMinus"),
        Picture("PictureOpen"), Picture("PictureClosed"), Picture("PictureLeaf"),
        Reference("PopupMenu", "TPopupMenu"), Published("ScrollBars")}});
  CheckPublished({"TyTessOutline", New<TyOutline>, {}});
  CheckPublished({"TySynOutline", New<TyOutline>, {}});
}

}  // namespace
}  // namespace tess
