// The component library's lowest layer: the character set of the entry fields'
// alphabetic picture characters, and the routines on null-terminated ANSI strings with
// which the entry fields build, clean and convert their text.
//
// None of these routines allocates: the caller owns every buffer and makes it large
// enough (a routine that lengthens a string needs room for the result and its NUL).
// Positions are 0-based byte offsets.  Every routine returns its destination.
#pragma once

#include <bitset>
#include <cstdint>

namespace tess {

// Space, ",", "-", ".", the ASCII letters and every character from 128 to 255 that
// the system reports as a letter.  Filled once before main(); read-only afterwards.
using TCharSet = std::bitset<256>;
extern const TCharSet& AlphaCharSet;

// --- numbers as digits -------------------------------------------------------------------
// 32 digits "0"/"1", most significant first.
char* BinaryLPChar(char* Dest, int32_t L);
// 4 upper-case hexadecimal digits.
char* HexWPChar(char* Dest, uint16_t W);
// 8 upper-case hexadecimal digits.
char* HexLPChar(char* Dest, int32_t L);
// 12 octal digits, left-filled with "0".
char* OctalLPChar(char* Dest, int32_t L);

// --- building and editing ------------------------------------------------------------
// Len copies of C.
char* CharStrPChar(char* Dest, char C, uint32_t Len);
// Src with each tab replaced by spaces up to the next multiple of TabSize (columns
// counted over the output from 0); TabSize 0 gives an empty Dest.
char* DetabPChar(char* Dest, const char* Src, uint8_t TabSize);
// The system's case mapping of one character.
char LoCaseChar(char C);
char UpCaseChar(char C);

// First occurrence of C in P; false for an empty P or when there is none.
bool StrChPosPChar(const char* P, char C, uint32_t& Pos);
// First occurrence of S in P (case-sensitive); false when S is empty or longer than P.
bool StrStPosPChar(const char* P, const char* S, uint32_t& Pos);
// Deletes the character at Pos; a Pos at or beyond the end changes nothing.
char* StrChDeletePrim(char* P, uint32_t Pos);
// Inserts C before Pos; a Pos beyond the end appends.
char* StrChInsertPrim(char* Dest, char C, uint32_t Pos);
// Deletes Count characters from Pos; when fewer remain, P is cut at Pos.
char* StrStDeletePrim(char* P, uint32_t Pos, uint32_t Count);
// Inserts S before Pos; a Pos at or beyond the end appends.
char* StrStInsertPrim(char* Dest, const char* S, uint32_t Pos);
// Up to Count characters of Src from Pos; empty when Pos is at or beyond the end.
char* SubStrPChar(char* Dest, const char* Src, uint32_t Pos, uint32_t Count);

// --- trimming ---------------------------------------------------------------------------
// Removes trailing characters with codes 0 to 32.
char* TrimTrailPrimPChar(char* P);
// Removes leading and trailing spaces (code 32 only).
char* TrimAllSpacesPChar(char* P);
// A decimal number "1.500" becomes "1.5", "2.000" becomes "2"; zeros are trimmed only
// when the text has a "." (so "100" stays "100").  Leading and trailing spaces go.
char* TrimTrailingZerosPChar(char* P);
// A number with an exponent: "1.500E+002" becomes "1.5E+2", "2.0E+000" becomes "2".
// The mantissa loses zeros only after a "." ("100E+2" keeps its zeros).
char* TrimEmbeddedZerosPChar(char* P);

// --- conversion ------------------------------------------------------------------------
// Normalizes a real number typed with the locale's decimal character into one with "."
// that the number conversion reads: "3,5" -> "3.5", "3," -> "3", ",5" -> "0.5",
// "-,5" -> "-0.5"; an exponent gets a "." and zero padding ("1E5" -> "1.00000E5").
// P needs room for 8 more characters.
char* FixRealPrim(char* P, char DecimalChar);
// Decimal, "$" hexadecimal or "0x" hexadecimal, with leading blanks and trailing blanks
// (codes up to 32).  On failure I is the 0-based position in S of the first character
// that is not part of a number (the length of S when the number ends too early);
// texts longer than 255 characters fail with I = -1.
bool StrToLongPChar(const char* S, int32_t& I);

// --- small arithmetic -------------------------------------------------------------------
// The sign of A - B (-1, 0 or 1), usable as a sort comparison for any two words.
int16_t CompareWords(uint16_t A, uint16_t B);
// Total += W; returns W.
uint16_t IncByWord(int32_t& Total, uint16_t W);
// Total -= W.
void DecByWord(int32_t& Total, uint16_t W);

// Vertical offset of the text in a single-line field of the given height: SystemHeight
// and FontHeight are the heights of the system font and of the field's font;
// Bordered tells a single border from none.
int32_t TopTextMargin(int32_t SystemHeight, int32_t FontHeight, bool Bordered, int32_t Height,
                      bool Ctl3D, bool NewStyle);

}  // namespace tess
