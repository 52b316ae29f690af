// Heading letters against a base-26 count, heading upkeep against a model vector, and the
// limits of stored cell texts.
#include <gtest/gtest.h>

#include <random>

#include "components/table/celltext.h"

using namespace tess;

TEST(CellText, LettersCountLikeASpreadsheet) {
  EXPECT_EQ(ColumnLetters(0), "");
  EXPECT_EQ(ColumnLetters(1), "A");
  EXPECT_EQ(ColumnLetters(26), "Z");
  EXPECT_EQ(ColumnLetters(27), "AA");
  EXPECT_EQ(ColumnLetters(52), "AZ");
  EXPECT_EQ(ColumnLetters(53), "BA");
  EXPECT_EQ(ColumnLetters(702), "ZZ");
  EXPECT_EQ(ColumnLetters(703), "AAA");
  // Every name follows its predecessor as a base-26 count without a zero digit.
  std::string Prev = "";
  for (int32_t N = 1; N < 20000; ++N) {
    std::string Next = Prev;
    int I = static_cast<int>(Next.size()) - 1;
    while (I >= 0 && Next[static_cast<size_t>(I)] == 'Z') Next[static_cast<size_t>(I--)] = 'A';
    if (I < 0) Next.insert(Next.begin(), 'A'); else ++Next[static_cast<size_t>(I)];
    ASSERT_EQ(ColumnLetters(N), Next) << N;
    Prev = Next;
  }
  EXPECT_EQ(HeadingLetters(0, 1), "");
  EXPECT_EQ(HeadingLetters(1, 1), "A");
  EXPECT_EQ(HeadingLetters(27, 1), "AA");
}

TEST(CellText, HeadingsFollowColumnChanges) {
  TStringList H;
  std::vector<std::string> M;
  std::mt19937 Rng(2);
  for (int Step = 0; Step < 500; ++Step) {
    const int32_t A = static_cast<int32_t>(Rng() % 12), B = static_cast<int32_t>(Rng() % 12);
    const auto Act = static_cast<TOvcTblActions>(3 + Rng() % 3);
    ChangeHeadings(H, A, B, Act);
    const auto N = static_cast<int32_t>(M.size());
    if (Act == TOvcTblActions::taInsert && A <= N) M.insert(M.begin() + A, "");
    if (Act == TOvcTblActions::taDelete && A < N) M.erase(M.begin() + A);
    if (Act == TOvcTblActions::taExchange) {
      while (static_cast<int32_t>(M.size()) <= std::max(A, B)) M.push_back("");
      std::swap(M[static_cast<size_t>(A)], M[static_cast<size_t>(B)]);
    }
    if (Step % 7 == 0 && !M.empty()) {  // give the entries names to follow
      const int32_t I = static_cast<int32_t>(Rng() % M.size());
      M[static_cast<size_t>(I)] = std::to_string(Step);
      H.SetStrings(I, M[static_cast<size_t>(I)]);
    }
    ASSERT_EQ(H.Count(), static_cast<int>(M.size()));
    for (int I = 0; I < H.Count(); ++I) ASSERT_EQ(H.Strings(I), M[static_cast<size_t>(I)]);
  }
}

TEST(CellText, StoredTextLimits) {
  const std::string Long(300, 'x');
  EXPECT_EQ(StoredCellText("abc", 0), "abc");  // 0: no limit of its own
  EXPECT_EQ(StoredCellText(Long, 254).size(), 254u);
  EXPECT_EQ(StoredCellText(Long, 1000).size(), 255u);
  EXPECT_EQ(StoredCellText(Long, 0).size(), 255u);
  uint8_t Data[256];
  StoreShortString(Data, Long, 0xFFFF);
  EXPECT_EQ(Data[0], 255);
  EXPECT_EQ(ReadShortString(Data), Long.substr(0, 255));
  StoreShortString(Data, "size", 3);
  EXPECT_EQ(ReadShortString(Data), "siz");
  // A null-terminated text is held by its MaxLength alone, beyond a short string's 255.
  const std::string Longer(70000, 'z');
  EXPECT_EQ(StoredZeroText(Longer, 300).size(), 300u);
  EXPECT_EQ(StoredZeroText(Longer, 65535).size(), 65535u);
  EXPECT_EQ(StoredZeroText(Long, 0), "");
  EXPECT_EQ(CellEditLimit(300, true), 300);
  EXPECT_EQ(CellEditLimit(300, false), 255);
  EXPECT_EQ(CellEditLimit(0, true), 255);

  EXPECT_EQ(GlyphCountFor(48, 16), 3);
  EXPECT_EQ(GlyphCountFor(50, 16), 1);
  EXPECT_EQ(GlyphCountFor(0, 16), 1);
  EXPECT_EQ(GlyphCountFor(16, 0), 1);
}
