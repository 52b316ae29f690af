// See charclass.h.
#include "platform/charclass.h"

#ifdef _WIN32
#include "platform/win32.h"
#endif

namespace tess::platform {

#ifdef _WIN32

bool IsAlphaChar(uint8_t C) {
  return IsCharAlphaA(static_cast<CHAR>(C)) != FALSE;
}

// CharUpperA with a pointer whose high bits are zero converts the one character held
// in its low byte.
uint8_t UpperChar(uint8_t C) {
  return static_cast<uint8_t>(reinterpret_cast<uintptr_t>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<uintptr_t>(C)))));
}

uint8_t LowerChar(uint8_t C) {
  return static_cast<uint8_t>(reinterpret_cast<uintptr_t>(
      CharLowerA(reinterpret_cast<LPSTR>(static_cast<uintptr_t>(C)))));
}

#else

namespace {
// Windows-1252 letters above 127 whose other case is a byte of the code page.
struct CasePair {
  uint8_t upper, lower;
};
constexpr CasePair kPairs[] = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
}  // namespace

bool IsAlphaChar(uint8_t C) {
  if ((C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z')) return true;
  switch (C) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
      return true;
    default:
      return C >= 0xC0 && C != 0xD7 && C != 0xF7;
  }
}

uint8_t UpperChar(uint8_t C) {
  if (C >= 'a' && C <= 'z') return static_cast<uint8_t>(C - 32);
  if (C >= 0xE0 && C <= 0xFE && C != 0xF7) return static_cast<uint8_t>(C - 32);
  for (const CasePair& p : kPairs)
    if (p.lower == C) return p.upper;
  return C;
}

uint8_t LowerChar(uint8_t C) {
  if (C >= 'A' && C <= 'Z') return static_cast<uint8_t>(C + 32);
  if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return static_cast<uint8_t>(C + 32);
  for (const CasePair& p : kPairs)
    if (p.upper == C) return p.lower;
  return C;
}

#endif

}  // namespace tess::platform
