// Heading letters, heading upkeep, stored cell texts and glyph counts.
#include "components/table/celltext.h"

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

std::string StoredZeroText(const std::string& Text, uint16_t MaxLength) {
  return Text.substr(0, std::min<size_t>(Text.size(), MaxLength));
}

int32_t CellEditLimit(uint16_t MaxLength, bool ZeroTerminated) {
  if (ZeroTerminated && MaxLength > 0) return MaxLength;
  return static_cast<int32_t>(
      StoredCellText(std::string(ShortStringMax + 1, ' '), MaxLength).size());
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

int32_t ClampedGlyph(int32_t Value, int32_t ActiveCount) {
  if (Value < 0 || ActiveCount < 1) return 0;
  return Value >= ActiveCount ? ActiveCount - 1 : Value;
}

int32_t CycledGlyph(int32_t Value, int32_t ActiveCount, int Step) {
  if (ActiveCount < 1) return 0;
  const int32_t V = ClampedGlyph(Value, ActiveCount) + (Step < 0 ? -1 : 1);
  if (V < 0) return ActiveCount - 1;
  return V >= ActiveCount ? 0 : V;
}

namespace {
constexpr uint16_t VkPrior = 0x21, VkNext = 0x22, VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27,
                   VkDown = 0x28, VkSpace = 0x20;

// Left leaves the field only from its very start, Right only from its end, and not when
// a selection inside the text would be lost.
bool CaretLeaves(uint16_t Key, const TEditCaret& C) {
  if (Key == VkLeft) return C.SelStart == 0 && C.SelLength == 0;
  if (Key == VkRight)
    return C.SelStart + C.SelLength == C.TextLength && (C.SelLength == 0 || C.SelStart == 0);
  return false;
}
}  // namespace

bool EditorPassesKey(TCellEditorKind Kind, uint8_t Verdict, uint16_t Key, bool AutoAdvanceLeftRight,
                     const TEditCaret& Caret) {
  if (Verdict == 2) return true;
  if (Verdict != 1) return false;
  const bool LeftRight = Key == VkLeft || Key == VkRight;
  switch (Kind) {
    case TCellEditorKind::String:
      if (Key == VkPrior || Key == VkNext || Key == VkUp || Key == VkDown) return true;
      return LeftRight && AutoAdvanceLeftRight && CaretLeaves(Key, Caret);
    case TCellEditorKind::ComboEdit:
      return LeftRight && AutoAdvanceLeftRight && CaretLeaves(Key, Caret);
    case TCellEditorKind::ComboList:
      return LeftRight;
    case TCellEditorKind::Glyph:
      return Key != VkSpace;
  }
  return false;
}

}  // namespace tess
