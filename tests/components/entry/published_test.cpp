// Every published property of the simple entry field and of the controller, as
// documented: names and declared defaults, nothing more, and each value stored and read
// back.
#include "tests/framework/win/published.h"

#include <gtest/gtest.h>

#include "components/core/controller.h"
#include "components/entry/simplefield.h"
#include "framework/win/forms.h"

namespace tess {
namespace {

using testing::CheckPublished;
using testing::Declared;
using testing::New;
using testing::Reference;
using testing::SubObject;
using testing::Unstored;

class PublishedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterFrameworkClasses();
    RegisterEntryFieldClasses();
  }
};

// Coming with the framework's dragging: DragCursor, DragMode.
TEST_F(PublishedTest, SimpleField) {
  CheckPublished(
      {"TOvcSimpleField",
       New<TCustomControl>,
       {Declared("DataType", "sftString"), Declared("ArrowIncDec", false),
        Declared("AutoAdvanceChar", false), Declared("AutoAdvanceLeftRight", false),
        Declared("AutoAdvanceUpDown", false), Declared("AutoSelect", true),
        Declared("AutoSize", true), Declared("BeepOnError", true),
        Declared("BorderStyle", "bsSingle"), SubObject("CaretIns"), SubObject("CaretOvr"),
        Declared("CaretToEnd", true), Declared("Color", clWindow),
        Declared("ControlCharColor", clRed), Reference("Controller", "TOvcController"),
        Declared("DecimalPlaces", 0), SubObject("DisabledColors"), SubObject("ErrorColors"),
        Declared("ForceInsert", false), Declared("ForceOvertype", false),
        SubObject("HighlightColors"), Declared("InputRequired", false),
        Declared("InsertPushes", true), Declared("MaxLength", 15), Declared("PadChar", " ", "_"),
        Declared("PasswordChar", "*", "#"), Declared("PasswordMode", false),
        Declared("PictureMask", "X", "9"), Reference("PopupMenu", "TPopupMenu"),
        // Stored as the binary limits, by data type.
        Unstored("RangeHi"), Unstored("RangeLo"), Declared("ReadOnly", false),
        Declared("RightAlign", false), Declared("SoftValidation", false), Declared("TextMargin", 2),
        Declared("TrimBlanks", true), Declared("Uninitialized", false),
        Declared("ZeroDisplay", "zdShow"), Declared("ZeroDisplayValue", 0)}});
}

TEST_F(PublishedTest, Controller) {
  CheckPublished(
      {"TOvcController",
       New<TComponent>,
       {Reference("BtnCancel", "TButton"), Reference("BtnHelp", "TButton"),
        Reference("BtnRestore", "TButton"), SubObject("EntryCommands"), Declared("Epoch", 1900)}});
}

}  // namespace
}  // namespace tess
