// Logging on when no client library can be found.  This program is built into a folder of
// its own, where none of the three library names is found; it then copies the client
// library in beside itself and logs on again.
#include <gtest/gtest.h>

#include <filesystem>

#include "oracle/oci_api.h"
#include "oracle_test_db.h"

using namespace tess;

TEST(NoClientLibrary, LogonFailsUntilTheLibraryAppears) {
  namespace fs = std::filesystem;
  const fs::path here = platform::ExecutableDirectory();
  const std::string file = platform::NativeLibraryName("ora73.dll");
  std::error_code ec;
  fs::remove(here / file, ec);

  TOracleSession* session = GlobalOracleSession();
  TOracleDatabase db(nullptr);
  db.SetDatabaseName("first");
  db.SetUser("DEMO");
  db.SetPassword("DEMO");
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      db.Open();
      FAIL() << "a library was found";
    } catch (const EDbInterface& e) {
      EXPECT_EQ(e.Code(), ecLibraryNotFound);
      EXPECT_EQ(e.Message(), std::string("Error : 1.0.[") + kLibraryNotFoundText + "]");
    }
    EXPECT_FALSE(db.Connected());
    EXPECT_EQ(session->UseCount(), 0);
    EXPECT_EQ(session->LibraryHandle(), nullptr);
  }

  // The library appears beside the program: the next logon loads it.
  fs::copy_file(here.parent_path().parent_path() / file, here / file,
                fs::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << ec.message();
  oratest::TestDatabase database;
  db.SetServer(database.Server());
  db.Open();
  EXPECT_TRUE(db.Connected());
  EXPECT_NE(session->LibraryHandle(), nullptr);
  EXPECT_EQ(session->UseCount(), 1);
  db.Close();
}
