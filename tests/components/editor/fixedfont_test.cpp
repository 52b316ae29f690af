// The fixed-pitch font property against the fonts the (Wine) screen really reports.
#include <gtest/gtest.h>

#include "components/core/exceptions.h"
#include "components/editor/fixedfont.h"
#include "framework/core/strings.h"

namespace tess {
namespace {

TEST(FixedFont, OnlyFixedPitchFamiliesAreTaken) {
  TStringList* fixed = FixedFontList();
  ASSERT_GT(fixed->Count(), 0) << "no fixed-pitch family installed";
  TOvcFixedFont f;
  EXPECT_EQ(f.Name(), fixed->Strings(0));  // a new one takes the first family
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  std::string name = fixed->Strings(fixed->Count() - 1);
  f.SetName(name);
  EXPECT_EQ(f.Name(), name);
  EXPECT_EQ(changes, 1);
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  if (upper != name) {
    f.SetName(upper);  // names are compared exactly
    EXPECT_EQ(f.Name(), name);
  }
  f.SetName("No Such Proportional Face");
  EXPECT_EQ(f.Name(), name);
  EXPECT_EQ(changes, 1);
  f.SetSize(14);
  EXPECT_EQ(f.Size(), 14);
  EXPECT_EQ(changes, 2);
  // Assigning: a proportional TFont is refused and changes nothing; other objects too.
  TFont prop;
  prop.SetName("No Such Proportional Face");
  EXPECT_THROW(f.Assign(&prop), EInvalidFixedFont);
  EXPECT_EQ(f.Name(), name);
  TStringList other;
  EXPECT_THROW(f.Assign(&other), EInvalidFontParam);
  TFont ok;
  ok.SetName(fixed->Strings(0));
  ok.SetSize(9);
  f.Assign(&ok);
  EXPECT_EQ(f.Name(), fixed->Strings(0));
  EXPECT_EQ(f.Size(), 9);
  EXPECT_EQ(changes, 2);  // Assign fires nothing
}

}  // namespace
}  // namespace tess
