// What the text cells decide without a window: the spreadsheet letters of a column
// heading, keeping heading texts in step with column changes, the text an edited string
// cell stores under its MaxLength, and the glyph count of a glyph strip.
#pragma once

#include <cstdint>
#include <string>

#include "components/grid/tablerows.h"
#include "framework/core/strings.h"

namespace tess {

// 1 gives "A", 26 "Z", 27 "AA", 53 "BA"; 0 and below give "".
std::string ColumnLetters(int32_t N);
// The letters over column ColNum of a table with LockedCols locked columns: none over a
// locked column, "A" over the first scrolling one.
std::string HeadingLetters(int32_t ColNum, int32_t LockedCols);
// Inserts, deletes or exchanges heading texts as the columns did.
void ChangeHeadings(TStrings& Headings, int32_t ColNum1, int32_t ColNum2, TOvcTblActions Action);

// A short string holds at most 255 characters.
constexpr size_t ShortStringMax = 255;
// The part of Text a cell stores: MaxLength 0 means no limit of its own; never more than
// a short string holds.
std::string StoredCellText(const std::string& Text, uint16_t MaxLength);
// Writes Text as a short string (length byte and characters) into Data[0 .. 255].
void StoreShortString(uint8_t* Data, const std::string& Text, uint16_t MaxLength);
// Reads a short string.
std::string ReadShortString(const uint8_t* Data);

// Square glyphs side by side: width div height when the width is an exact multiple of a
// positive height, else 1.  Never 0, so a glyph's width can always be divided out.
int32_t GlyphCountFor(int32_t Width, int32_t Height);

}  // namespace tess
