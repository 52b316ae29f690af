// Heading letters, heading upkeep, stored cell texts and glyph counts.
#include "components/grid/celltext.h"

#include <algorithm>
#include <cstring>

namespace tess {

std::string ColumnLetters(int32_t N) {
  std::string S;
  while (N > 0) {
    S.insert(S.begin(), static_cast<char>('A' + (N - 1) % 26));
    N = (N - 1) / 26;
  }
  return S;
}

std::string HeadingLetters(int32_t ColNum, int32_t LockedCols) {
  return ColumnLetters(ColNum - LockedCols + 1);
}

void ChangeHeadings(TStrings& Headings, int32_t ColNum1, int32_t ColNum2, TOvcTblActions Action) {
  switch (Action) {
    case TOvcTblActions::taInsert:
      if (ColNum1 >= 0 && ColNum1 < Headings.Count())
        Headings.Insert(ColNum1, "");
      else if (ColNum1 == Headings.Count())
        Headings.Add("");
      break;
    case TOvcTblActions::taDelete:
      if (ColNum1 >= 0 && ColNum1 < Headings.Count()) Headings.Delete(ColNum1);
      break;
    case TOvcTblActions::taExchange:
      if (ColNum1 < 0 || ColNum2 < 0) break;
      while (Headings.Count() <= std::max(ColNum1, ColNum2)) Headings.Add("");
      Headings.Exchange(ColNum1, ColNum2);
      break;
    default:
      break;
  }
}

std::string StoredCellText(const std::string& Text, uint16_t MaxLength) {
  size_t Limit = ShortStringMax;
  if (MaxLength > 0) Limit = std::min<size_t>(Limit, MaxLength);
  return Text.substr(0, std::min(Text.size(), Limit));
}

void StoreShortString(uint8_t* Data, const std::string& Text, uint16_t MaxLength) {
  const std::string S = StoredCellText(Text, MaxLength);
  Data[0] = static_cast<uint8_t>(S.size());
  std::memcpy(Data + 1, S.data(), S.size());
}

std::string ReadShortString(const uint8_t* Data) {
  return std::string(reinterpret_cast<const char*>(Data + 1), Data[0]);
}

int32_t GlyphCountFor(int32_t Width, int32_t Height) {
  if (Height > 0 && Width >= Height && Width % Height == 0) return Width / Height;
  return 1;
}

}  // namespace tess
