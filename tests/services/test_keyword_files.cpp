// The keyword files: loaded trimmed and upper-cased from the home directory; a missing
// one is reported and leaves its list empty while the others load.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "services/keyword_files.h"
#include "services/prefs.h"
#include "shell/recording_services.h"

using namespace tess;

namespace {

struct KeywordFilesTest : ::testing::Test {
  TyPrefsRec saved = *gPrefs;
  TRecordingServices shell;
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("tess-kwd-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  KeywordFilesTest() {
    std::filesystem::create_directories(dir);
    gPrefs->HomeDir = dir.string() + "/";
  }
  ~KeywordFilesTest() override {
    FreeKeywordLists();
    *gPrefs = saved;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  void Write(const char* name, const char* text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
};

std::vector<std::string> Items(const TStrings* l) {
  std::vector<std::string> v;
  for (int i = 0; i < l->Count(); ++i) v.push_back(l->Strings(i));
  return v;
}

}  // namespace

TEST_F(KeywordFilesTest, PresentFilesLoadTrimmedAndUpperCased) {
  Write("symbol.kwd", "(\r\n ; \r\n");
  Write("sql.kwd", "select\n  From\t\nwhere");
  Write("plsql.kwd", "begin\nEnd\n");
  CreateKeywordLists();
  LoadKeywordFiles();
  EXPECT_EQ(Items(KeywordLists().Symbols.get()), (std::vector<std::string>{"(", ";"}));
  EXPECT_EQ(Items(KeywordLists().SqlWords.get()),
            (std::vector<std::string>{"SELECT", "FROM", "WHERE"}));
  EXPECT_EQ(Items(KeywordLists().PlsqlWords.get()), (std::vector<std::string>{"BEGIN", "END"}));
  EXPECT_TRUE(shell.errors.empty());
  EXPECT_EQ(HomeFilePath("sql.kwd").substr(0, dir.string().size()), dir.string());
}

TEST_F(KeywordFilesTest, AMissingFileIsReportedAndStartUpGoesOn) {
  Write("symbol.kwd", "(\n");
  Write("plsql.kwd", "begin\n");
  CreateKeywordLists();
  KeywordLists().SqlWords->Add("STALE");
  LoadKeywordFiles();
  EXPECT_EQ(KeywordLists().SqlWords->Count(), 0);
  EXPECT_EQ(Items(KeywordLists().PlsqlWords.get()), std::vector<std::string>{"BEGIN"});
  ASSERT_EQ(shell.errors.size(), 1u);
  EXPECT_EQ(shell.errors[0],
            "Unable to read SQL keyword file for syntax hilighting: " + HomeFilePath("sql.kwd"));
  EXPECT_EQ(shell.infos,
            std::vector<std::string>{
                "Please ensure that  sql.kwd file exists in SQL Tessellar home directory"});

  // Lists that were never created are skipped, with no message for their files.
  FreeKeywordLists();
  std::filesystem::remove(dir / "symbol.kwd");
  KeywordLists().PlsqlWords = std::make_unique<TStringList>();
  LoadKeywordFiles();
  EXPECT_EQ(shell.errors.size(), 1u);
  EXPECT_EQ(KeywordLists().PlsqlWords->Count(), 1);
}

// The program's own files: installed beside the test programs, with the words the
// colouring needs.
TEST(KeywordFilesInstalled, TheProgramsFilesLoadFromTheExecutablesDirectory) {
  TRecordingServices shell;
  CreateKeywordLists();
  LoadKeywordFiles();
  EXPECT_TRUE(shell.errors.empty());
  int at = 0;
  KeywordLists().SqlWords->SetSorted(true);
  EXPECT_TRUE(KeywordLists().SqlWords->Find("SELECT", at));
  EXPECT_GT(KeywordLists().PlsqlWords->IndexOf("ELSIF"), -1);
  EXPECT_GT(KeywordLists().Symbols->IndexOf(";"), -1);
  FreeKeywordLists();
}
