// Every published property of the list controls, as documented: names and declared
// defaults, nothing more, and each value stored and read back.
#include <gtest/gtest.h>

#include "components/lists/register.h"
#include "components/lists/sortgrid.h"
#include "components/lists/typeahead.h"
#include "framework/win/forms.h"
#include "tests/framework/win/published.h"

namespace tess {
namespace {

using testing::CheckPublished;
using testing::Declared;
using testing::New;
using testing::SubObject;

class PublishedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterFrameworkClasses();
    RegisterListClasses();
  }
};

TEST_F(PublishedTest, TypeAheadLists) {
  CheckPublished({"TRzListBox", New<TListBox>, {Declared("BeepOnInvalidKey", true)}});
  CheckPublished({"TRzComboBox", New<TComboBox>, {Declared("BeepOnInvalidKey", true)}});
  CheckPublished(
      {"TRzTabbedListBox",
       New<TRzListBox>,
       {Declared("HorzExtent", 0), Declared("HorzScrollBar", false), SubObject("TabStops")}});
}

TEST_F(PublishedTest, SortGrid) {
  CheckPublished(
      {"TSortGrid",
       New<TStringGrid>,
       {Declared("AlignmentHorz", "taLeftJustify"), Declared("AlignmentVert", "taTopJustify"),
        Declared("ClickSorting", true), Declared("BevelStyle", "cbNone"),
        Declared("ProportionalScrollBars", true), Declared("ExtendedKeys", false)}});
}

// The tab stops are a list of their own inside the list box's entry.
TEST_F(PublishedTest, TabStopsComeBack) {
  TForm form(nullptr);
  auto* box = new TRzTabbedListBox(&form);
  box->SetName("Box");
  box->SetParent(&form);
  box->TabStops()->Add(12);
  box->TabStops()->Add(40);
  TForm copy(nullptr);
  auto* back = dynamic_cast<TRzTabbedListBox*>(testing::StreamedCopy(&form, &copy, "Box"));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->TabStops()->Count(), 2);
  EXPECT_EQ(back->TabStops()->Get(0), 12);
  EXPECT_EQ(back->TabStops()->Get(1), 40);
}

}  // namespace
}  // namespace tess
