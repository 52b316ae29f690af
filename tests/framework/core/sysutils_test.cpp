// Conversions, comparisons and path helpers: the edges where a careless parser or
// comparison goes wrong.
#include "framework/core/sysutils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "framework/core/localeconv.h"

namespace tess {
namespace {

TEST(SysUtils, IntegerConversions) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  } cases[] = {
      {"0", true, 0},
      {"  -42 ", true, -42},
      {"+7", true, 7},
      {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"$FF", true, 255},
      {"0x7fffffff", true, INT32_MAX},
      {"$FFFFFFFF", true, -1},
      {"$100000000", false, 0},
      {"", false, 0},
      {"  ", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"12a", false, 0},
      {"1 2", false, 0},
      {"1.5", false, 0},
  };
  for (const auto& c : cases) {
    int32_t v = 12345;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
      EXPECT_EQ(StrToInt(c.text), c.value);
    } else {
      EXPECT_EQ(StrToIntDef(c.text, -9), -9) << c.text;
      try {
        StrToInt(c.text);
        ADD_FAILURE() << c.text;
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), std::string("'") + c.text + "' is not a valid integer value");
      }
    }
  }
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x12345, 2), "12345");
}

TEST(SysUtils, FloatConversionsRoundTrip) {
  for (double d : {0.0, 0.1, -1.5, 1e300, 5e-324, 123456789.125}) {
    EXPECT_EQ(StrToFloat(FloatToStr(d)), d) << FloatToStr(d);
  }
  EXPECT_EQ(StrToFloat(" +2.5 "), 2.5);
  double v;
  EXPECT_FALSE(TryStrToFloat("2,5", v));
  EXPECT_FALSE(TryStrToFloat("", v));
  EXPECT_THROW(StrToFloat("1e"), EConvertError);
  // With a locale's "," the number is written and read with it, and "." is refused.
  TFormatSettings Comma;
  Comma.DecimalSeparator = ',';
  for (double d : {0.0, 0.1, -1.5, 1e300, 5e-324, 123456789.125}) {
    const std::string t = FloatToStr(d, Comma);
    EXPECT_EQ(t.find('.'), std::string::npos) << t;
    double back = 0;
    EXPECT_TRUE(TryStrToFloat(t, back, Comma) && back == d) << t;
  }
  EXPECT_EQ(FloatToStr(2.5, Comma), "2,5");
  EXPECT_FALSE(TryStrToFloat("2.5", v, Comma));
}

// Only a number's own form reads as a number, and a failed read leaves the value alone.
TEST(SysUtils, FloatTextIsANumberOrNothing) {
  TFormatSettings Comma;
  Comma.DecimalSeparator = ',';
  for (const char* bad : {"nan", "NaN", "inf",   "-inf", "INF",   "infinity", "+-5", "-+5",
                          "++5", "--5", "1.5x",  "0x10", "1e",    "e5",       ".",   "-",
                          "+",   "1e+", "1.2.3", "5 5",  "1e999", "-1e999",   "1,5"}) {
    double v = 7;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    EXPECT_EQ(v, 7) << bad;
    v = 7;
    EXPECT_FALSE(TryStrToFloat(std::string(bad) == "1,5" ? "1.5" : bad, v, Comma)) << bad;
    EXPECT_EQ(v, 7) << bad;
  }
  const std::pair<const char*, double> good[] = {{"5", 5},       {"-5", -5},     {"+5", 5},
                                                 {".5", 0.5},    {"5.", 5},      {"1e5", 1e5},
                                                 {"1E-5", 1e-5}, {" 2.5 ", 2.5}, {"-0", 0}};
  for (auto [text, value] : good) {
    double v = 7;
    EXPECT_TRUE(TryStrToFloat(text, v)) << text;
    EXPECT_EQ(v, value) << text;
  }
}

TEST(SysUtils, ComparisonsAreOrdinalAndFoldOnlyLetters) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  // Folding to upper case puts "_" after the letters, "[" too; digits before.
  EXPECT_GT(CompareText("_", "z"), 0);
  EXPECT_LT(CompareText("9", "a"), 0);
  EXPECT_LT(CompareStr("B", "a"), 0);
  EXPECT_GT(CompareStr("\xe9", "z"), 0);  // bytes compare unsigned
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("\xe9", "\xc9"));
  EXPECT_TRUE(AnsiSameText("\xe9t\xe9", "\xc9T\xc9"));
  EXPECT_EQ(AnsiUpperCase("\xe0\xff\xf7"), "\xc0\x9f\xf7");
  EXPECT_EQ(UpperCase("a\xe0"), "A\xe0");
  EXPECT_EQ(LowerCase("ABC"), "abc");
}

TEST(SysUtils, StringHelpers) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfReplaceAll | rfIgnoreCase), "a-b-c");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfReplaceAll), "aXb-c");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", 0), "aaaa");
  EXPECT_EQ(StringReplace("abc", "", "z", rfReplaceAll), "abc");
  EXPECT_TRUE(IsValidIdent("_a1"));
  EXPECT_FALSE(IsValidIdent("1a"));
  EXPECT_FALSE(IsValidIdent(""));
  EXPECT_EQ(Format("%s=%d", "x", 5), "x=5");
  EXPECT_EQ(Format("%s", std::string(5000, 'z').c_str()).size(), 5000u);
  EXPECT_EQ(EReadError("m").ClassName(), "EReadError");
  EXPECT_THROW(Abort(), EAbort);
}

TEST(SysUtils, PathParts) {
  EXPECT_EQ(ExtractFilePath("dir/sub/name.ext"), "dir/sub/");
  EXPECT_EQ(ExtractFilePath("dir\\name.ext"), "dir\\");
  EXPECT_EQ(ExtractFileName("dir\\sub/name.ext"), "name.ext");
  EXPECT_EQ(ExtractFileExt("dir.d/name"), "");
  EXPECT_EQ(ExtractFileExt("a/name.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("dir.d/name", ".sql"), "dir.d/name.sql");
  EXPECT_EQ(ChangeFileExt("name.pkb", ".bak"), "name.bak");
  EXPECT_EQ(ExtractFileDir("/dir/name"), "/dir");
  EXPECT_EQ(ExtractFileDir("/name"), "/");
  EXPECT_EQ(ExtractFileDir("name"), "");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a"), std::string("a") + PathDelim);
  EXPECT_EQ(IncludeTrailingPathDelimiter("a/"), "a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("a\\"), "a");
#ifdef _WIN32
  EXPECT_EQ(ExtractFilePath("C:name.txt"), "C:");
  EXPECT_EQ(ExtractFileDir("C:\\name.txt"), "C:\\");
#endif
}

TEST(SysUtils, Files) {
  auto dir = std::filesystem::temp_directory_path() / "tess_core_sysutils";
  std::filesystem::create_directories(dir);
  std::string a = (dir / "a.txt").string(), b = (dir / "b.txt").string();
  DeleteFile(a);
  DeleteFile(b);
  EXPECT_FALSE(FileExists(a));
  EXPECT_EQ(FileSizeOf(a), -1);
  {
    std::FILE* f = std::fopen(a.c_str(), "wb");
    std::fputs("abc", f);
    std::fclose(f);
  }
  EXPECT_TRUE(FileExists(a));
  EXPECT_EQ(FileSizeOf(a), 3);
  EXPECT_FALSE(FileExists(dir.string()));
  EXPECT_TRUE(DirectoryExists(dir.string()));
  EXPECT_TRUE(DirectoryExists(IncludeTrailingPathDelimiter(dir.string())));
  EXPECT_FALSE(DirectoryExists(a));
  EXPECT_TRUE(RenameFile(a, b));
  {
    std::FILE* f = std::fopen(a.c_str(), "wb");
    std::fclose(f);
  }
  EXPECT_FALSE(RenameFile(a, b));  // an existing target is never replaced
  EXPECT_EQ(FileSizeOf(b), 3);
  EXPECT_TRUE(DeleteFile(a));
  EXPECT_TRUE(DeleteFile(b));
  EXPECT_FALSE(DeleteFile(b));
  EXPECT_FALSE(DeleteFile(dir.string()));  // not a way to remove directories
}

}  // namespace
}  // namespace tess
