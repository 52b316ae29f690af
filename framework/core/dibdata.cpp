// Checking and laying out device-independent bitmaps (see dibdata.h).
#include "framework/core/dibdata.h"

#include "framework/core/sysutils.h"

namespace tess {

namespace {

uint32_t Get32(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 |
         static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[3]) << 24;
}
uint16_t Get16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | P[1] << 8);
}
void Put32(uint8_t* P, uint32_t V) {
  for (int i = 0; i < 4; ++i) P[i] = static_cast<uint8_t>(V >> (8 * i));
}
void Put16(uint8_t* P, uint16_t V) {
  P[0] = static_cast<uint8_t>(V);
  P[1] = static_cast<uint8_t>(V >> 8);
}

[[noreturn]] void Invalid() {
  throw EReadError("Invalid bitmap data");
}

}  // namespace

TDibLayout CheckDib(const uint8_t* Data, size_t Size) {
  if (Size < kDibFileHeaderSize + kDibInfoHeaderSize || Data[0] != 'B' || Data[1] != 'M') Invalid();
  TDibLayout d;
  d.InfoOffset = kDibFileHeaderSize;
  const uint8_t* info = Data + d.InfoOffset;
  const uint32_t header = Get32(info);
  // Later headers (V4, V5) only add fields after the first 40 bytes.
  if (header < kDibInfoHeaderSize || header > Size - d.InfoOffset) Invalid();
  const int32_t width = static_cast<int32_t>(Get32(info + 4));
  const int32_t height = static_cast<int32_t>(Get32(info + 8));
  const uint16_t planes = Get16(info + 12);
  d.BitCount = Get16(info + 14);
  const uint32_t compression = Get32(info + 16);
  const uint32_t used = Get32(info + 32);
  if (planes != 1 || compression != 0) Invalid();
  if (width <= 0 || width > kDibMaxSide || height == 0 || height < -kDibMaxSide ||
      height > kDibMaxSide)
    Invalid();
  d.Width = width;
  d.TopDown = height < 0;
  d.Height = d.TopDown ? -height : height;
  switch (d.BitCount) {
    case 1:
    case 4:
    case 8: {
      const uint32_t most = 1u << d.BitCount;
      if (used > most) Invalid();
      d.Colors = used == 0 ? most : used;
      break;
    }
    case 24:
    case 32:
      if (used > 256) Invalid();
      d.Colors = used;
      break;
    default:
      Invalid();
  }
  d.InfoSize = header + static_cast<size_t>(d.Colors) * 4;
  if (d.InfoSize > Size - d.InfoOffset) Invalid();
  d.Stride = ((static_cast<size_t>(d.Width) * d.BitCount + 31) / 32) * 4;
  const size_t rows = d.Stride * static_cast<size_t>(d.Height);
  // The file header's offset to the rows wins when it is set, as readers of files do.
  const uint32_t off_bits = Get32(Data + 10);
  d.BitsOffset = off_bits != 0 ? off_bits : d.InfoOffset + d.InfoSize;
  if (d.BitsOffset < d.InfoOffset + d.InfoSize || d.BitsOffset > Size || rows > Size - d.BitsOffset)
    Invalid();
  return d;
}

std::vector<uint8_t> NewDib24(int32_t Width, int32_t Height) {
  const size_t stride = ((static_cast<size_t>(Width) * 24 + 31) / 32) * 4;
  const size_t rows = stride * static_cast<size_t>(Height);
  const size_t bits = kDibFileHeaderSize + kDibInfoHeaderSize;
  std::vector<uint8_t> out(bits + rows, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(&out[2], static_cast<uint32_t>(out.size()));
  Put32(&out[10], static_cast<uint32_t>(bits));
  uint8_t* info = &out[kDibFileHeaderSize];
  Put32(info, kDibInfoHeaderSize);
  Put32(info + 4, static_cast<uint32_t>(Width));
  Put32(info + 8, static_cast<uint32_t>(Height));
  Put16(info + 12, 1);
  Put16(info + 14, 24);
  Put32(info + 20, static_cast<uint32_t>(rows));
  return out;
}

}  // namespace tess
