// Small routines on the NUL-terminated text of one paragraph, shared by the paragraph
// list and the editor: tab-stop arithmetic, character position <-> screen column,
// word breaking for wrapped lines and for over-long lines, padding and byte
// insertion/deletion.
//
// Tab stops lie at multiples of TabSize, columns counted from 0.  Positions and
// columns of the conversions are 1-based; the byte routines use 0-based offsets.
#pragma once

#include <cstdint>
#include <string>

namespace tess {

bool IsBlank(char C);
// A tab among the first N characters.
bool HasTab(const char* S, uint32_t N);
// Screen columns taken by the first N characters (stops at a NUL).
uint32_t ColumnWidth(const char* S, uint32_t N, uint8_t TabSize);
// Characters from S needed to reach Columns screen columns (stops at the NUL).
uint32_t CharsInColumns(const char* S, uint32_t Columns, uint8_t TabSize);
// Characters of a display line starting at S that fit in WrapCol columns.
uint32_t CharsThatFit(const char* S, uint32_t Remaining, uint32_t WrapCol, uint8_t TabSize,
                      bool Tabs);
// Where a display line starting at S with room for N characters ends, and where the
// next one begins (blanks at a break stay on the upper line).  S holds at least N
// characters before its NUL; Remaining is its length.
void FindBreak(const char* S, uint32_t Remaining, uint32_t N, uint32_t& LineEnd,
               uint32_t& NextStart);
// Length up to and including the last blank within the first N characters, or N.
uint32_t LastBlankBefore(const char* S, uint32_t N);
// Cuts a line of Len characters into pieces of at most Limit (>= 1), each ending after
// the last blank within the limit (or at it): how an over-long line becomes several
// paragraphs wherever text comes in.  Calls Piece(Start, Length, Continues) for each,
// Continues false for the first only (an empty line is one empty piece); Piece returns
// false to stop.
template <typename F>
void CutLine(const char* S, int32_t Len, int32_t Limit, F&& Piece) {
  bool continues = false;
  while (Len > Limit) {
    auto n = static_cast<int32_t>(LastBlankBefore(S, static_cast<uint32_t>(Limit)));
    if (!Piece(S, n, continues)) return;
    continues = true;
    S += n;
    Len -= n;
  }
  Piece(S, Len, continues);
}
// The last line (1..Count) whose start offset is at most Offset - 1.
int32_t FindLineOfOffset(const uint16_t* LineStarts, int32_t Count, int32_t Offset);
// Characters up to and including the first LF within the first N, or N.
uint32_t LengthToLF(const char* S, uint32_t N);
char* PadWith(char* S, char C, uint32_t Len);
char* PadBlanks(char* S, uint32_t Len);
void InsertBytes(char* Dest, const char* Src, uint32_t DestLen, uint32_t Pos, uint32_t Count);
void DeleteBytes(char* Dest, uint32_t DestLen, uint32_t Pos, uint32_t Count);

// Screen column of position P in the line S[0..Len).
int32_t ScreenColumnOfPos(const char* S, int32_t Len, int32_t P, uint8_t TabSize);
// Position of screen column C in the line S[0..Len).
int32_t PosOfScreenColumn(const char* S, int32_t Len, int32_t C, uint8_t TabSize);
// The line with every tab replaced by blanks up to the next tab stop.
std::string ExpandTabs(const char* S, int32_t Len, uint8_t TabSize);

}  // namespace tess
