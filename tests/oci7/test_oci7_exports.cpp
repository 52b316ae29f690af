// The shipping library, as the program finds it beside itself: the 22 entry points, and no
// test control (that lives only in the test build the database tests load).
#include <gtest/gtest.h>

#include "platform/dynlib.h"

TEST(ShippingLibrary, ExportsTheEntryPointsAndNoTestControl) {
  tess::platform::LibraryHandle lib = tess::platform::OpenLibrary("ora73.dll");
  ASSERT_NE(lib, nullptr) << tess::platform::LastLibraryError();
  for (const char* name :
       {"olog",   "ologof", "oerhms", "ocom",   "orol",   "oopen", "oclose", "oparse",
        "obndra", "odefin", "odescr", "odessp", "oexfet", "ofen",  "oexn",   "ocan",
        "obreak", "oopt",   "opinit", "onbclr", "onbset", "onbtst"})
    EXPECT_NE(tess::platform::LibrarySymbol(lib, name), nullptr) << name;
  EXPECT_EQ(tess::platform::LibrarySymbol(lib, "tess_oci7_control"), nullptr);
  tess::platform::CloseLibrary(lib);
}
