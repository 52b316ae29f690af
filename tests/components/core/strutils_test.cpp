// The string routines against tables of cases, and the search against a naive search.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "components/core/bmsearch.h"
#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"
#include "components/core/strutils.h"

namespace tess {
namespace {

// A buffer with room for what the in-place routines add.
struct Buf {
  char b[600];
  explicit Buf(const std::string& s) { std::strcpy(b, s.c_str()); }
  std::string str() const { return b; }
};

TEST(StrUtils, NumbersAsDigits) {
  char d[40];
  EXPECT_STREQ(HexLPChar(d, -1), "FFFFFFFF");
  EXPECT_STREQ(HexLPChar(d, 0x12AB34CD), "12AB34CD");
  EXPECT_STREQ(HexWPChar(d, 0xBEEF), "BEEF");
  EXPECT_STREQ(HexWPChar(d, 0x00A), "000A");
  EXPECT_STREQ(OctalLPChar(d, 0), "000000000000");
  EXPECT_STREQ(OctalLPChar(d, -1), "037777777777");
  EXPECT_STREQ(OctalLPChar(d, 8), "000000000010");
  EXPECT_STREQ(BinaryLPChar(d, 5), "00000000000000000000000000000101");
  EXPECT_STREQ(BinaryLPChar(d, INT32_MIN), "10000000000000000000000000000000");
  EXPECT_STREQ(CharStrPChar(d, 'x', 3), "xxx");
  EXPECT_STREQ(CharStrPChar(d, 'x', 0), "");
}

TEST(StrUtils, Detab) {
  char d[64];
  EXPECT_STREQ(DetabPChar(d, "a\tb", 4), "a   b");
  EXPECT_STREQ(DetabPChar(d, "\t", 4), "    ");
  EXPECT_STREQ(DetabPChar(d, "abcd\te", 4), "abcd    e");
  EXPECT_STREQ(DetabPChar(d, "a\t\tb", 3), "a     b");
  EXPECT_STREQ(DetabPChar(d, "a\tb", 0), "");
}

TEST(StrUtils, PositionsInsertsAndDeletes) {
  uint32_t pos = 99;
  EXPECT_TRUE(StrChPosPChar("hello", 'l', pos));
  EXPECT_EQ(pos, 2u);
  EXPECT_FALSE(StrChPosPChar("", 'a', pos));
  EXPECT_FALSE(StrChPosPChar("abc", 'z', pos));
  EXPECT_TRUE(StrStPosPChar("abcabc", "ca", pos));
  EXPECT_EQ(pos, 2u);
  EXPECT_FALSE(StrStPosPChar("abc", "", pos));
  EXPECT_FALSE(StrStPosPChar("ab", "abc", pos));

  struct Case {
    std::string in;
    uint32_t pos, count;
    std::string del;
  } cases[] = {{"abcdef", 1, 2, "adef"}, {"abcdef", 4, 9, "abcd"}, {"abc", 3, 1, "abc"},
               {"abc", 0, 3, ""}};
  for (const Case& c : cases) {
    Buf b(c.in);
    EXPECT_EQ(std::string(StrStDeletePrim(b.b, c.pos, c.count)), c.del) << c.in;
  }
  Buf b("abc");
  EXPECT_STREQ(StrChDeletePrim(b.b, 1), "ac");
  EXPECT_STREQ(StrChDeletePrim(b.b, 2), "ac");
  EXPECT_STREQ(StrChInsertPrim(b.b, 'X', 0), "Xac");
  EXPECT_STREQ(StrChInsertPrim(b.b, 'Y', 10), "XacY");
  EXPECT_STREQ(StrStInsertPrim(b.b, "12", 2), "Xa12cY");
  EXPECT_STREQ(StrStInsertPrim(b.b, "!", 99), "Xa12cY!");
  char d[16];
  EXPECT_STREQ(SubStrPChar(d, "abcdef", 2, 3), "cde");
  EXPECT_STREQ(SubStrPChar(d, "abcdef", 4, 10), "ef");
  EXPECT_STREQ(SubStrPChar(d, "abcdef", 6, 1), "");
}

TEST(StrUtils, Trims) {
  struct Case {
    char* (*fn)(char*);
    std::string in, out;
  } cases[] = {
      {TrimTrailPrimPChar, "ab \t\r\n", "ab"},
      {TrimTrailPrimPChar, " \t ", ""},
      {TrimAllSpacesPChar, "  a b \t ", "a b \t"},
      {TrimAllSpacesPChar, "   ", ""},
      {TrimTrailingZerosPChar, "1.500", "1.5"},
      {TrimTrailingZerosPChar, "2.000", "2"},
      {TrimTrailingZerosPChar, "100", "100"},  // a whole number keeps its zeros
      {TrimTrailingZerosPChar, " 0.0 ", "0.0"},
      {TrimTrailingZerosPChar, "-10.0", "-10"},
      {TrimTrailingZerosPChar, "", ""},
      {TrimEmbeddedZerosPChar, "1.500E+002", "1.5E+2"},
      {TrimEmbeddedZerosPChar, "2.0E+000", "2"},
      {TrimEmbeddedZerosPChar, "1.25E-010", "1.25E-10"},
      {TrimEmbeddedZerosPChar, "100E+002", "100E+2"},
      {TrimEmbeddedZerosPChar, "1.5", "1.5"},
  };
  for (const Case& c : cases) {
    Buf b(c.in);
    EXPECT_EQ(std::string(c.fn(b.b)), c.out) << '"' << c.in << '"';
  }
}

TEST(StrUtils, FixRealPrim) {
  struct Case {
    std::string in;
    char dec;
    std::string out;
  } cases[] = {
      {"3,5", ',', "3.5"},    {"3,", ',', "3"},        {"  ", ',', "0"},
      {",5", ',', "0.5"},     {".5", '.', "0.5"},      {"-,5", ',', "-0.5"},
      {"12", '.', "12"},      {"1E5", '.', "1.00000E5"}, {"1.5E3", '.', "1.500000E3"},
      {"1 , 5", ',', "1.5"},  {"1.234567890123E2", '.', "1.234567890123E2"},
  };
  for (const Case& c : cases) {
    Buf b(c.in);
    EXPECT_EQ(std::string(FixRealPrim(b.b, c.dec)), c.out) << '"' << c.in << '"';
  }
}

TEST(StrUtils, StrToLong) {
  struct Case {
    std::string in;
    bool ok;
    int32_t value;  // or the error position
  } cases[] = {
      {"0x1F", true, 31},        {"12 ", true, 12},         {"12a", false, 2},
      {"  -42", true, -42},      {"$ff", true, 255},        {"$FFFFFFFF", true, -1},
      {"2147483647", true, INT32_MAX}, {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 9},  {"", false, 0},            {"-", false, 1},
      {"0x1G", false, 3},        // the position in the text as typed
      {"1 2", false, 1},         {"$", false, 1},           {"+7", true, 7},
  };
  for (const Case& c : cases) {
    int32_t v = 12345;
    EXPECT_EQ(StrToLongPChar(c.in.c_str(), v), c.ok) << c.in;
    EXPECT_EQ(v, c.value) << c.in;
  }
  std::string longText(256, '1');
  int32_t v = 0;
  EXPECT_FALSE(StrToLongPChar(longText.c_str(), v));
  EXPECT_EQ(v, -1);
}

TEST(StrUtils, CharactersAndWords) {
  EXPECT_TRUE(AlphaCharSet.test(' ') && AlphaCharSet.test(',') && AlphaCharSet.test('-') &&
              AlphaCharSet.test('.') && AlphaCharSet.test('q') && AlphaCharSet.test('Q'));
  EXPECT_FALSE(AlphaCharSet.test('0') || AlphaCharSet.test('_') || AlphaCharSet.test(0));
  EXPECT_TRUE(AlphaCharSet.test(0xC9));   // E acute
  EXPECT_FALSE(AlphaCharSet.test(0xD7));  // multiplication sign
  EXPECT_EQ(UpCaseChar('a'), 'A');
  EXPECT_EQ(static_cast<uint8_t>(UpCaseChar(static_cast<char>(0xE9))), 0xC9);
  EXPECT_EQ(LoCaseChar('Z'), 'z');
  EXPECT_EQ(LoCaseChar('1'), '1');

  // A sort comparison must agree with the order of the numbers for every pair, even
  // when the difference does not fit in 16 bits.
  const uint16_t words[] = {0, 1, 2, 100, 32767, 32768, 40000, 65535};
  for (uint16_t a : words)
    for (uint16_t b : words) EXPECT_EQ(CompareWords(a, b), (a > b) - (a < b)) << a << " " << b;
  int32_t total = 10;
  EXPECT_EQ(IncByWord(total, 65535), 65535);
  EXPECT_EQ(total, 65545);
  DecByWord(total, 65535);
  EXPECT_EQ(total, 10);
}

TEST(StrUtils, TopTextMargin) {
  // Room enough: 0 without border, 1 with one.
  EXPECT_EQ(TopTextMargin(16, 13, false, 21, true, true), 0);
  EXPECT_EQ(TopTextMargin(16, 13, true, 21, true, true), 1);
  // A field lower than its text: negative offsets centre it.
  EXPECT_EQ(TopTextMargin(16, 16, false, 13, true, true), (13 - 16 - 2) / 2 - ((13 - 16) % 2));
  EXPECT_EQ(TopTextMargin(16, 16, true, 15, true, true), (15 - 16 - 4) / 2 - 1);
  EXPECT_EQ(TopTextMargin(16, 16, true, 15, false, true), (15 - 16 - 4) / 2 - ((15 - 16) % 2));
  EXPECT_EQ(TopTextMargin(16, 13, true, 21, true, false), (21 - 13 - 1) / 2);
  EXPECT_EQ(TopTextMargin(16, 13, false, 10, true, false), (10 - 13 - 1) / 2 - 2 + 1);
}

// --- search ---------------------------------------------------------------------------

long NaiveFind(const std::string& text, const std::string& pat, bool upper) {
  if (pat.empty() || pat.size() > text.size()) return -1;
  for (size_t i = 0; i + pat.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < pat.size() &&
           (upper ? UpCaseChar(text[i + k]) : text[i + k]) == pat[k])
      ++k;
    if (k == pat.size()) return static_cast<long>(i);
  }
  return -1;
}

long Find(const std::string& text, const std::string& pat, bool upper) {
  TBMTable bt;
  BMMakeTable(pat.c_str(), bt);
  uint32_t pos = 0;
  bool found = upper ? BMSearchUC(text.data(), static_cast<uint32_t>(text.size()), bt,
                                  pat.c_str(), pos)
                     : BMSearch(text.data(), static_cast<uint32_t>(text.size()), bt,
                                pat.c_str(), pos);
  return found ? static_cast<long>(pos) : -1;
}

TEST(BMSearch, SmallCases) {
  EXPECT_EQ(Find("xxab", "ab", false), 2);
  EXPECT_EQ(Find("xXaB", "AB", true), 2);
  EXPECT_EQ(Find("xXaB", "AB", false), -1);
  EXPECT_EQ(Find("abc", "", false), -1);
  EXPECT_EQ(Find("abc", "c", false), 2);
  EXPECT_EQ(Find("ab", "abc", false), -1);
  EXPECT_EQ(Find("aaaa", "aa", false), 0);
}

// Random texts over a small alphabet (so that near misses abound), patterns cut from
// the text (so that most are found) or made up, of lengths around the table's limit.
TEST(BMSearch, AgreesWithNaiveSearch) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 400; ++round) {
    bool upper = round % 2 == 1;
    int alphabet = 2 + static_cast<int>(rng() % 5);
    auto randomChar = [&] {
      // Upper-case search: mix both cases of letters, including characters above 127.
      static const unsigned char letters[] = {'a', 'B', 0xE9, 0xC9, 'z', 0xFF};
      unsigned char c = letters[rng() % static_cast<unsigned>(alphabet)];
      return static_cast<char>(c);
    };
    size_t textLen = 1 + rng() % 3000;
    std::string text;
    for (size_t i = 0; i < textLen; ++i) text += randomChar();
    const size_t lengths[] = {1, 2, 3, 254, 255, 256, 257, 300, 1000};
    size_t patLen = lengths[rng() % std::size(lengths)];
    std::string pat;
    if (rng() % 3 != 0 && patLen <= text.size()) {
      pat = text.substr(rng() % (text.size() - patLen + 1), patLen);
    } else {
      for (size_t i = 0; i < patLen; ++i) pat += randomChar();
    }
    if (upper)
      for (char& c : pat) c = UpCaseChar(c);
    ASSERT_EQ(Find(text, pat, upper), NaiveFind(text, pat, upper))
        << "round " << round << " text " << text.size() << " pattern " << pat.size();
  }
}

// A character that occurs only beyond the 255th position of a long pattern must not
// let the window jump over the match.
TEST(BMSearch, LongPatternWithLateCharacter) {
  std::string pat(300, 'a');
  pat[280] = 'b';
  std::string text = std::string(50, 'a') + pat + std::string(50, 'a');
  EXPECT_EQ(Find(text, pat, false), 50);
}

// --- exceptions -------------------------------------------------------------------------

TEST(ComponentExceptions, MessagesFromTheStringTable) {
  EXPECT_STREQ(ETableNotFound().what(),
               "Command table not found or command table index out of range");
  EXPECT_STREQ(ENoTimersAvailable().what(), "No Window's timers are available");
  EXPECT_STREQ(EInvalidPictureMask("99X").what(), "Invalid picture mask: 99X");
  EXPECT_EQ(EInvalidRangeValue(4).Message(),
            "Invalid range. Enter a value between (-2147483648) and (2147483647)");
  EXPECT_EQ(EInvalidRangeValue(7).Message(), "Invalid range. Enter a value between (0) and (255)");
  EXPECT_EQ(EInvalidRangeValue(11).Message(),
            "Invalid range. Enter a value between (-1.7e+308) and (+1.7e+308)");
  EXPECT_EQ(EInvalidRangeValue(14, "MM/dd/yy").Message(),
            "Invalid date range. Enter a value using 'MM/dd/yy' as the format");
  EXPECT_EQ(EInvalidRangeValue(3).Message(), "Invalid range value");
  EXPECT_EQ(ComponentString(kCommandNameBase + 75), "ccWordRight");
  EXPECT_EQ(ComponentString(12), "");

  // Groups catch their members; the error code travels with the editor's errors.
  try {
    throw EDuplicateCommand();
  } catch (const ECmdProcessorError& e) {
    EXPECT_EQ(e.ErrorCode(), 0);
  }
  try {
    throw EEditorError("Line too long", 265);
  } catch (const EOvcException& e) {
    EXPECT_EQ(e.ErrorCode(), 265);
    EXPECT_EQ(e.Message(), "Line too long");
  }
  try {
    RaiseTableError(kTableRowOutOfBounds);
  } catch (const EOvcException&) {
    ADD_FAILURE() << "the table's errors stand apart from the family";
  } catch (const EOvcTableError& e) {
    EXPECT_EQ(e.Message(), "row number out of bounds");
  }
}

}  // namespace
}  // namespace tess
