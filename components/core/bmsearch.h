// Text search by the Horspool form of the Boyer-Moore algorithm, as the editor's find
// uses it: a skip table made once per pattern, then any number of searches.
//
// The table holds one skip distance per byte, at most 255.  It is built over the whole
// pattern, so a distance is never larger than the true one: a pattern longer than 255
// characters moves more slowly but never past a match.
#pragma once

#include <array>
#include <cstdint>

namespace tess {

using TBMTable = std::array<uint8_t, 256>;

// The skip table of a pattern (null-terminated).
void BMMakeTable(const char* MatchString, TBMTable& BT);
// The first occurrence of MatchString in Buffer[0..BufLength); Pos is its offset.
// False for an empty pattern or no occurrence.  BT must be the pattern's table.
bool BMSearch(const void* Buffer, uint32_t BufLength, const TBMTable& BT,
              const char* MatchString, uint32_t& Pos);
// The same, with each buffer character upper-cased by the system before comparing:
// MatchString must be upper case and BT made from it.
bool BMSearchUC(const void* Buffer, uint32_t BufLength, const TBMTable& BT,
                const char* MatchString, uint32_t& Pos);

}  // namespace tess
