// Sorting grid rows: against std::stable_sort on data that converts, on mixed data only
// that no row is lost or doubled; undoing a sort; style detection; separated text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "components/lists/gridsort.h"
#include "components/lists/separatedtext.h"

namespace tess {
namespace {

// A grid of Rows rows whose column 0 holds the row's identity ("r<original index>").
TGridCells MakeCells(const std::vector<std::string>& Keys, int32_t Fixed = 1) {
  TGridCells c(3, Fixed + static_cast<int32_t>(Keys.size()));
  for (int32_t r = 0; r < Fixed; ++r) c.SetCell(1, r, "header");
  for (size_t i = 0; i < Keys.size(); ++i) {
    int32_t r = Fixed + static_cast<int32_t>(i);
    c.SetCell(0, r, Format("r%d", r));
    c.SetCell(1, r, Keys[i]);
  }
  return c;
}

std::vector<std::string> Ids(const TGridCells& C, int32_t First) {
  std::vector<std::string> out;
  for (int32_t r = First; r < C.RowCount(); ++r) out.push_back(C.Cell(0, r));
  return out;
}

// The expected order: stable by Less, which sees (key, row) pairs.
template <class Less>
std::vector<std::string> Expected(const std::vector<std::string>& Keys, Less L, bool Descending,
                                  int32_t Fixed = 1) {
  std::vector<int32_t> idx(Keys.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int32_t>(i);
  std::stable_sort(idx.begin(), idx.end(), [&](int32_t a, int32_t b) {
    return Descending ? L(Keys[b], Keys[a]) : L(Keys[a], Keys[b]);
  });
  std::vector<std::string> out;
  for (int32_t i : idx) out.push_back(Format("r%d", i + Fixed));
  return out;
}

TEST(GridSort, MatchesStableSortOnConvertibleData) {
  std::mt19937 rng(7);
  TFormatSettings fs;
  for (int round = 0; round < 40; ++round) {
    int n = 1 + static_cast<int>(rng() % 300);
    std::vector<std::string> nums, texts, dates;
    for (int i = 0; i < n; ++i) {
      nums.push_back(std::to_string(static_cast<int>(rng() % 50) - 25) + (rng() % 2 ? ".5" : ""));
      std::string t;
      for (int k = 0, len = 1 + static_cast<int>(rng() % 3); k < len; ++k)
        t += "aBzZ _"[rng() % 6];
      texts.push_back(t);
      dates.push_back(std::to_string(1 + rng() % 12) + "/" + std::to_string(1 + rng() % 28) + "/" +
                      std::to_string(1990 + rng() % 3) + (rng() % 2 ? " 10:3" + std::to_string(rng() % 10) : ""));
    }
    for (bool desc : {false, true}) {
      TSortOptions o;
      o.SortDirection = desc ? sdDescending : sdAscending;
      TSortedList rec;

      o.SortStyle = ssNumeric;
      TGridCells c = MakeCells(nums);
      SortRows(c, 1, 1, o, fs, rec);
      EXPECT_EQ(Ids(c, 1), Expected(nums, [](auto& a, auto& b) { return std::stod(a) < std::stod(b); }, desc));

      o.SortStyle = ssAlphabetic;
      o.SortCaseSensitive = true;
      c = MakeCells(texts);
      SortRows(c, 1, 1, o, fs, rec);
      EXPECT_EQ(Ids(c, 1), Expected(texts, std::less<std::string>(), desc));

      o.SortCaseSensitive = false;
      c = MakeCells(texts);
      SortRows(c, 1, 1, o, fs, rec);
      EXPECT_EQ(Ids(c, 1), Expected(texts, [](auto& a, auto& b) { return UpperCase(a) < UpperCase(b); }, desc));

      o.SortStyle = ssDateTime;
      c = MakeCells(dates);
      SortRows(c, 1, 1, o, fs, rec);
      auto dt = [&](const std::string& s) { return StrToDateTime(s); };
      EXPECT_EQ(Ids(c, 1), Expected(dates, [&](auto& a, auto& b) { return dt(a) < dt(b); }, desc));

      o.SortStyle = ssCustom;
      o.SortCompare = [](const std::string& a, const std::string& b) {
        return static_cast<int>(a.size()) - static_cast<int>(b.size());
      };
      c = MakeCells(texts);
      SortRows(c, 1, 1, o, fs, rec);
      EXPECT_EQ(Ids(c, 1), Expected(texts, [](auto& a, auto& b) { return a.size() < b.size(); }, desc));
      o.SortCompare = nullptr;
    }
  }
}

TEST(GridSort, MixedDataLosesNoRowAndUndoRestoresTheOrder) {
  std::mt19937 rng(11);
  TFormatSettings fs;
  const char* pool[] = {"1", "x", "", "2.5", "1/2/2003", "-3", "abc", "12:30", "nan", "1e400"};
  for (int round = 0; round < 60; ++round) {
    std::vector<std::string> keys;
    for (int i = 0, n = static_cast<int>(rng() % 200); i < n; ++i) keys.push_back(pool[rng() % 10]);
    for (TSortStyle style : {ssNumeric, ssDateTime, ssAlphabetic, ssCustom}) {
      TGridCells c = MakeCells(keys, 2);
      TSortOptions o;
      o.SortStyle = style;
      o.SortDirection = rng() % 2 ? sdDescending : sdAscending;
      // A comparison that answers at random: the sort must still only permute.
      o.SortCompare = [&rng](const std::string&, const std::string&) { return static_cast<int>(rng() % 3) - 1; };
      TSortedList rec;
      SortRows(c, 1, 2, o, fs, rec);
      std::vector<std::string> got = Ids(c, 2), want = Ids(MakeCells(keys, 2), 2);
      ASSERT_EQ(rec.size(), keys.size());
      for (size_t i = 0; i < rec.size(); ++i) EXPECT_EQ(got[i], Format("r%d", rec[i].Row));
      std::sort(got.begin(), got.end());
      std::sort(want.begin(), want.end());
      EXPECT_EQ(got, want);
      EXPECT_EQ(c.Cell(1, 0), "header");
      ASSERT_TRUE(UndoSortRows(c, 2, rec));
      EXPECT_EQ(Ids(c, 2), Ids(MakeCells(keys, 2), 2));
    }
  }
}

TEST(GridSort, UndoRefusesARecordThatDoesNotFit) {
  TGridCells c = MakeCells({"b", "a", "c"});
  TSortedList rec;
  SortRows(c, 1, 1, TSortOptions{ssAlphabetic, sdAscending, false, nullptr}, TFormatSettings{}, rec);
  c.SetSize(3, 5);
  EXPECT_FALSE(UndoSortRows(c, 1, rec));
  TSortedList bad = {{"", 1}, {"", 1}, {"", 2}, {"", 3}};
  EXPECT_FALSE(UndoSortRows(c, 1, bad));
  EXPECT_EQ(c.Cell(1, 1), "a");
}

TEST(GridSort, DetectsTheStyleAColumnAllows) {
  TFormatSettings fs;
  auto detect = [&](std::vector<std::string> keys) {
    TGridCells c = MakeCells(keys);
    return DetectSortStyle(c, 1, 1, c.RowCount(), fs);
  };
  EXPECT_EQ(detect({"9", "10", "-1.5"}), ssNumeric);
  EXPECT_EQ(detect({"9", "", "10"}), ssAlphabetic);
  EXPECT_EQ(detect({"1/2/2003", "12/31/1999"}), ssDateTime);
  EXPECT_EQ(detect({"1/2/2003", "12/31/1999 10:00"}), ssAlphabetic);  // dates only
  EXPECT_EQ(detect({"9", "x"}), ssAlphabetic);
  // The header row does not count, and the locale's decimal separator does.
  fs.DecimalSeparator = ',';
  EXPECT_EQ(detect({"1,5", "2"}), ssNumeric);
  EXPECT_EQ(detect({"1.5", "2"}), ssAlphabetic);
  // Numeric sorting puts 10 after 9 where text would not.
  TGridCells c = MakeCells({"10", "9"});
  TSortedList rec;
  SortRows(c, 1, 1, TSortOptions{ssNumeric, sdAscending, false, nullptr}, TFormatSettings{}, rec);
  EXPECT_EQ(c.Cell(1, 1), "9");
}

TEST(SeparatedText, RaggedQuotedAndEmptyFilesRoundTrip) {
  TGridCells c;
  ReadSeparatedText("a,b,c\r\n\"q\",\"x\"\"y\"\nonly\r,,,,\n", ',', 2, c);
  EXPECT_EQ(c.RowCount(), 4);
  EXPECT_EQ(c.ColCount(), 5);
  EXPECT_EQ(c.Cell(1, 1), "\"x\"\"y\"");  // quotes are data, never syntax
  EXPECT_EQ(c.Cell(1, 2), "");
  EXPECT_EQ(c.Cell(4, 3), "");
  std::string text = WriteSeparatedText(c, ',');
  EXPECT_EQ(text, "a,b,c,,\r\n\"q\",\"x\"\"y\",,,\r\nonly,,,,\r\n,,,,\r\n");
  TGridCells d;
  ReadSeparatedText(text, ',', 0, d);
  EXPECT_EQ(WriteSeparatedText(d, ','), text);

  // An empty file still leaves the one row a grid needs.
  ReadSeparatedText("", '\t', 2, d);
  EXPECT_EQ(d.RowCount(), 1);
  EXPECT_EQ(d.ColCount(), 2);

  std::mt19937 rng(3);
  for (int round = 0; round < 50; ++round) {
    int rows = 1 + static_cast<int>(rng() % 20), cols = 1 + static_cast<int>(rng() % 6);
    TGridCells src(cols, rows);
    for (int r = 0; r < rows; ++r)
      for (int k = 0; k < cols; ++k)
        if (rng() % 3) src.SetCell(k, r, std::string(rng() % 4, "ab\" ;"[rng() % 5]));
    std::string file = std::string(::testing::TempDir()) + "sep.txt";
    WriteFileBytes(file, WriteSeparatedText(src, '\t'));
    TGridCells back;
    ReadSeparatedText(ReadFileBytes(file), '\t', cols, back);
    ASSERT_EQ(back.RowCount(), rows);
    for (int r = 0; r < rows; ++r)
      for (int k = 0; k < cols; ++k) EXPECT_EQ(back.Cell(k, r), src.Cell(k, r));
    std::remove(file.c_str());
  }
  EXPECT_THROW(ReadFileBytes(std::string(::testing::TempDir()) + "no/such/file"), EFOpenError);
}

}  // namespace
}  // namespace tess
