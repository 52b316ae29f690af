// What the text cells decide without a window: the spreadsheet letters of a column
// heading, keeping heading texts in step with column changes, the text an edited string
// cell stores under its MaxLength, and the glyph count of a glyph strip.
#pragma once

#include <cstdint>
#include <string>

#include "components/table/tablerows.h"
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
// The part of Text a null-terminated buffer of MaxLength + 1 bytes takes: up to MaxLength
// characters (none for MaxLength 0), however far beyond a short string's 255.
std::string StoredZeroText(const std::string& Text, uint16_t MaxLength);
// The most characters a string cell's edit box takes: what the cell can store, and 255
// when a null-terminated cell has no MaxLength.
int32_t CellEditLimit(uint16_t MaxLength, bool ZeroTerminated);
// Writes Text as a short string (length byte and characters) into Data[0 .. 255].
void StoreShortString(uint8_t* Data, const std::string& Text, uint16_t MaxLength);
// Reads a short string.
std::string ReadShortString(const uint8_t* Data);

// Square glyphs side by side: width div height when the width is an exact multiple of a
// positive height, else 1.  Never 0, so a glyph's width can always be divided out.
int32_t GlyphCountFor(int32_t Width, int32_t Height);

// A glyph editor's value kept to the active glyphs 0 .. ActiveCount-1.
int32_t ClampedGlyph(int32_t Value, int32_t ActiveCount);
// The next (Step 1) or previous (Step -1) active glyph, wrapping round.
int32_t CycledGlyph(int32_t Value, int32_t ActiveCount, int Step);

// The in-place editors of the cells, as far as keys go.
enum class TCellEditorKind {
  String,        // single-line edit box
  ComboEdit,     // combo box with an edit field (drop-down, simple)
  ComboList,     // combo box without one (drop-down list, owner-draw)
  Glyph          // glyph and check-box editor
};
// Where the caret and selection of an edit field are.
struct TEditCaret {
  int32_t SelStart = 0;
  int32_t SelLength = 0;
  int32_t TextLength = 0;
};
// Whether an editor hands a key down to its table, given the table's verdict on the key
// (0 the editor keeps it, 1 a key the table moves by, 2 a key the table takes).
bool EditorPassesKey(TCellEditorKind Kind, uint8_t Verdict, uint16_t VirtualKey,
                     bool AutoAdvanceLeftRight, const TEditCaret& Caret);

}  // namespace tess
