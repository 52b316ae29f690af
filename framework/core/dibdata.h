// A picture as stored in component streams and .bmp files: a device-independent bitmap
// (the 14-byte file header, a 40-byte info header, the colour table, then the rows).
// This is the portable half: it checks bytes from outside before anything hands them to
// the system, and lays out the header our writers put before a 24-bit image.
//
// Invariant of a checked TDibLayout: every offset and size lies inside the bytes it was
// read from, and the rows hold Height rows of Stride bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tess {

inline constexpr size_t kDibFileHeaderSize = 14;
inline constexpr size_t kDibInfoHeaderSize = 40;
// Larger pictures than this are refused as corrupt rather than allocated.
inline constexpr int32_t kDibMaxSide = 16384;

struct TDibLayout {
  int32_t Width = 0;
  int32_t Height = 0;     // always positive
  bool TopDown = false;   // rows stored from the top (a negative height in the header)
  uint16_t BitCount = 0;  // 1, 4, 8, 24 or 32
  uint32_t Colors = 0;    // entries in the colour table
  size_t InfoOffset = 0;  // where the info header starts
  size_t InfoSize = 0;    // info header and colour table
  size_t BitsOffset = 0;  // where the rows start
  size_t Stride = 0;      // bytes per row (rows are padded to 4 bytes)
};

// Checks a whole .bmp image held in Data.  Only uncompressed images are taken.
// Raises EReadError "Invalid bitmap data" when anything is out of place.
TDibLayout CheckDib(const uint8_t* Data, size_t Size);

// The file and info headers of a bottom-up 24-bit image of the given size (no colour
// table), followed by room for its rows, which start at kDibFileHeaderSize +
// kDibInfoHeaderSize.
std::vector<uint8_t> NewDib24(int32_t Width, int32_t Height);

}  // namespace tess
