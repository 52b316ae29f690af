// Free string routines over SQL and script text: word extraction, the first words of a
// script line, the line and column named in a server error, comment and quote handling,
// small case and quoting conversions.  None of them touches the database.
//
// Positions are 1-based character positions; 0 means "not found".
#pragma once

#include <cstdint>
#include <string>

namespace tess {

class TStrings;

bool CharInDelims(const std::string& Delims, char C);
// True when S has an N-th word (counted from 1); Pos is its first character.
bool WordPosition(uint8_t N, const std::string& S, const std::string& Delims, int& Pos);
// The N-th word (at most 255 characters), empty when there is none.
std::string ExtractWord(uint8_t N, const std::string& S, const std::string& Delims);
std::string GetStrAfter(const std::string& S, const std::string& SubStr);
std::string GetStrBefore(const std::string& S, const std::string& SubStr);
void GetScriptLineWords(const std::string& Line, std::string& Word2, std::string& Word1);
void GetErrorLineCol(const std::string& ErrText, int& Line, int& Col);
std::string GetLastNonBlankChar(const std::string& S);
int FindLeadingCommentStart(const std::string& S);
int FindTrailingCommentEnd(const std::string& S);
std::string StripSingleQuotes(const std::string& S);
std::string StripDoubleQuotes(const std::string& S);
std::string ReplaceLineBreaksWithBlanks(const std::string& S);
std::string CapitalizeFirstLetter(const std::string& S);
std::string DoubleSingleQuotes(const std::string& S);
void LowerCaseStrings(TStrings& Strings);
std::string GetTextBeforeTab(const std::string& S);
bool HasCrLfLineBreaks(const std::string& S);

}  // namespace tess
