// Loading and saving text files: byte-identical round trips over the real PL/SQL corpus
// and the awkward shapes (LF, no final line break, empty, a line beyond the paragraph
// limit), the backup copy, and a failed write that must leave the old files alone.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "components/core/commands.h"
#include "components/editor/textfile.h"
#include "framework/core/sysutils.h"

namespace tess {
namespace {
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& P) {
  std::ifstream f(P, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& P, const std::string& S) {
  std::ofstream f(P, std::ios::binary);
  f << S;
}

struct TextFile : ::testing::Test {
  fs::path Dir;
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("tess_textfile_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }
  // Load and save an unchanged text; the bytes must come back.
  std::string RoundTrip(const std::string& Bytes, TTextFileModel& E) {
    fs::path in = Dir / "in.sql", out = Dir / "out.sql";
    WriteFile(in, Bytes);
    E.LoadFromFile(in.string());
    E.SaveToFile(out.string());
    return ReadFile(out);
  }
};

TEST_F(TextFile, ShapesRoundTripByteForByte) {
  TTextFileModel E;
  E.TrimWhiteSpace = false;
  for (const std::string& s :
       {std::string("a\r\nb\r\nc\r\n"), std::string("a\nb\n"), std::string("no break at the end"),
        std::string(""), std::string("\r\n"), std::string("\r\n\r\n"), std::string("x\r\n\r\n"),
        std::string("\tindented\ttabs \r\ntrailing blanks   \r\n"), std::string("lone\rcr\r\n")}) {
    EXPECT_EQ(RoundTrip(s, E), s);
  }
  // Three lines load as three paragraphs and an empty last one.
  RoundTrip("a\r\nb\r\nc\r\n", E);
  EXPECT_EQ(E.GetParaCount(), 4);
  EXPECT_STREQ(E.GetPara(3), "c");
  EXPECT_STREQ(E.GetPara(4), "");
  EXPECT_TRUE(E.IsOpen());
  EXPECT_FALSE(E.GetModified());
  // A line beyond the paragraph limit continues in further paragraphs, and comes back
  // whole.
  std::string huge;
  for (int i = 0; i < 4500; ++i) huge += "word_" + std::to_string(i % 10) + "xx ";
  huge += std::string(100, 'z');
  ASSERT_GT(huge.size(), 40000u);
  std::string file = "before\r\n" + huge + "\r\nafter\r\n";
  EXPECT_EQ(RoundTrip(file, E), file);
  EXPECT_EQ(E.GetParaCount(), 5);
  for (int32_t p = 1; p <= E.GetParaCount(); ++p)
    EXPECT_LE(static_cast<int32_t>(std::strlen(E.GetPara(p))), 32767);
  // Trailing blanks go when TrimWhiteSpace is on (as they always did).
  TTextFileModel T;
  EXPECT_EQ(RoundTrip("a  \r\nb\t\r\n", T), "a\r\nb\r\n");
}

TEST_F(TextFile, EveryCorpusFileRoundTrips) {
  fs::path corpus = TESS_EDITOR_CORPUS;
  ASSERT_TRUE(fs::exists(corpus)) << "no corpus at " << corpus;
  TTextFileModel E;
  E.TrimWhiteSpace = false;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = ReadFile(entry.path());
    ASSERT_EQ(RoundTrip(bytes, E), bytes) << entry.path();
    // The text's size counts CR LF per paragraph: a CR LF file's own size.
    if (E.LineBreak() == "\r\n" && !bytes.empty() && bytes.back() == '\n') {
      ASSERT_EQ(E.GetTextLength(), static_cast<int32_t>(bytes.size())) << entry.path();
    }
    ++files;
  }
  EXPECT_GT(files, 300);
}

TEST_F(TextFile, LoadingReplacesTheTextAndNamesLoseTheirDot) {
  TTextFileModel E;
  E.SetText("old text\r\nstill here");
  fs::path p = Dir / "new.sql";
  WriteFile(p, "new\r\n");
  E.LoadFromFile(p.string());
  EXPECT_EQ(E.GetParaCount(), 2);
  EXPECT_STREQ(E.GetPara(1), "new");
  E.SetFileName("name.");
  EXPECT_EQ(E.FileName(), "name");
  EXPECT_FALSE(E.IsOpen());
  E.SetFileName((Dir / "missing.sql").string());
  EXPECT_THROW(E.SetIsOpen(true), EInOutError);
}

TEST_F(TextFile, BackupAndFailedWrites) {
  TTextFileModel E;
  fs::path file = Dir / "proc.sql", backup = Dir / "proc.BAK";
  WriteFile(file, "version 1\r\n");
  E.LoadFromFile(file.string());
  E.InsertString("v2 ");
  E.MakeBackup = true;
  E.SaveToFile(file.string());
  EXPECT_EQ(ReadFile(backup), "version 1\r\n");
  EXPECT_EQ(ReadFile(file), "v2 version 1\r\n");
  // A write that cannot be made leaves the file and its backup as they were.
  fs::create_directory(Dir / "proc.sql.$$$");  // the new file cannot be created
  E.InsertString("v3 ");
  EXPECT_THROW(E.SaveToFile(file.string()), EInOutError);
  EXPECT_EQ(ReadFile(file), "v2 version 1\r\n");
  EXPECT_EQ(ReadFile(backup), "version 1\r\n");
  EXPECT_EQ(fs::path(E.BackupName("dir/b.sql")).filename(), "b.BAK");
  EXPECT_EQ(fs::path(E.BackupName("dir/b.sql")).parent_path(), "dir");
}

// A line cut at the paragraph limit is saved as one line only while its pieces stand
// together; once an edit separates them they are the lines the user sees.
TEST_F(TextFile, ContinuationsSaveAsTheLinesShown) {
  const std::string file = "first\r\naaaa bbbb cccc dddd\r\nlast\r\n";
  fs::path in = Dir / "in.sql", out = Dir / "out.sql";
  WriteFile(in, file);
  auto edited = [&](auto Edit) {
    TTextFileModel E;
    E.SetParaLengthLimit(10);
    E.LoadFromFile(in.string());
    EXPECT_EQ(E.GetParaCount(), 5);
    Edit(E);
    E.SaveToFile(out.string());
    return ReadFile(out);
  };
  EXPECT_EQ(edited([](TTextFileModel&) {}), file);
  EXPECT_EQ(edited([](TTextFileModel& E) {  // typing inside a piece keeps the line
              E.SetCaretPosition(3, 1);
              E.ProcessCommand(kCmdChar, 'X');
            }),
            "first\r\naaaa bbbb Xcccc dddd\r\nlast\r\n");
  EXPECT_EQ(edited([](TTextFileModel& E) {
              E.SetCaretPosition(2, 1);
              E.ProcessCommand(ccDelLine, 0);
            }),
            "first\r\ncccc dddd\r\nlast\r\n");
  EXPECT_EQ(edited([](TTextFileModel& E) {
              E.SetCaretPosition(3, 1);
              E.ProcessCommand(ccNewLine, 0);
            }),
            "first\r\naaaa bbbb \r\n\r\ncccc dddd\r\nlast\r\n");
  EXPECT_EQ(edited([](TTextFileModel& E) {
              E.SetCaretPosition(2, 11);
              E.ProcessCommand(ccNewLine, 0);
            }),
            "first\r\naaaa bbbb \r\n\r\ncccc dddd\r\nlast\r\n");
  EXPECT_EQ(edited([](TTextFileModel& E) {  // once separated, undo shows them apart
              E.SetCaretPosition(2, 1);
              E.ProcessCommand(ccDelLine, 0);
              E.ProcessCommand(ccUndo, 0);
            }),
            "first\r\naaaa bbbb \r\ncccc dddd\r\nlast\r\n");
}

// A CR that is part of a line's text (pasted, not a line break) survives a save and a
// load in either line-break convention, at the start, in the middle and at the end.
TEST_F(TextFile, ACarriageReturnOfTheTextSurvivesSaveAndLoad) {
  auto paras = [](TEditorModel& E) {
    std::string s;
    for (int32_t p = 1; p <= E.GetParaCount(); ++p) s += std::string(E.GetPara(p)) + "|";
    return s;
  };
  fs::path file = Dir / "cr.sql";
  for (const char* start : {"x\ny\n", "x\r\ny\r\n", "x\ny"}) {
    TTextFileModel E;
    E.TrimWhiteSpace = false;
    WriteFile(file, start);  // sets the line break and whether the last line has one
    E.LoadFromFile(file.string());
    E.DeleteAll(true);
    for (const char* p : {"first\r", "\r", "mid\rdle", "ends in two\r\r", "last\r"})
      E.AppendPara(p);
    E.SaveToFile(file.string());
    TTextFileModel F;
    F.TrimWhiteSpace = false;
    F.LoadFromFile(file.string());
    EXPECT_EQ(paras(F), paras(E)) << "a file begun as " << ::testing::PrintToString(start);
  }
}

TEST_F(TextFile, AFailedReplaceLeavesNoTemporaryFile) {
  TTextFileModel E;
  E.SetText("text");
  fs::path target = Dir / "taken.sql";
  fs::create_directories(target / "inside");  // a folder cannot be replaced by the file
  EXPECT_THROW(E.SaveToFile(target.string()), EInOutError);
  EXPECT_FALSE(fs::exists(Dir / "taken.sql.$$$"));
  EXPECT_TRUE(fs::exists(target / "inside"));
}

}  // namespace
}  // namespace tess
