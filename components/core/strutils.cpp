// See strutils.h.  The routines work in place with memmove; none reads past the NUL of
// its source or writes more than the documented result.
#include "components/core/strutils.h"

#include <cstring>
#include <string_view>

#include "platform/charclass.h"

namespace tess {

namespace {

TCharSet MakeAlphaCharSet() {
  TCharSet set;
  for (char c : std::string_view(" ,-.")) set.set(static_cast<uint8_t>(c));
  for (int c = 'A'; c <= 'Z'; ++c) set.set(static_cast<size_t>(c));
  for (int c = 'a'; c <= 'z'; ++c) set.set(static_cast<size_t>(c));
  for (int c = 128; c <= 255; ++c)
    if (platform::IsAlphaChar(static_cast<uint8_t>(c))) set.set(static_cast<size_t>(c));
  return set;
}

// Filled by this file's dynamic initialization; the reference below is bound at
// compile time, so it never dangles.
const TCharSet g_alpha = MakeAlphaCharSet();

uint32_t Len(const char* P) {
  return static_cast<uint32_t>(std::strlen(P));
}

const char kHex[] = "0123456789ABCDEF";

}  // namespace

const TCharSet& AlphaCharSet = g_alpha;

char* BinaryLPChar(char* Dest, int32_t L) {
  uint32_t v = static_cast<uint32_t>(L);
  for (int i = 0; i < 32; ++i) Dest[i] = (v >> (31 - i)) & 1 ? '1' : '0';
  Dest[32] = '\0';
  return Dest;
}

char* HexWPChar(char* Dest, uint16_t W) {
  for (int i = 0; i < 4; ++i) Dest[i] = kHex[(W >> (12 - 4 * i)) & 0xF];
  Dest[4] = '\0';
  return Dest;
}

char* HexLPChar(char* Dest, int32_t L) {
  uint32_t v = static_cast<uint32_t>(L);
  for (int i = 0; i < 8; ++i) Dest[i] = kHex[(v >> (28 - 4 * i)) & 0xF];
  Dest[8] = '\0';
  return Dest;
}

char* OctalLPChar(char* Dest, int32_t L) {
  uint32_t v = static_cast<uint32_t>(L);
  for (int i = 11; i >= 0; --i) {
    Dest[i] = static_cast<char>('0' + (v & 7));
    v >>= 3;
  }
  Dest[12] = '\0';
  return Dest;
}

char* CharStrPChar(char* Dest, char C, uint32_t Len) {
  std::memset(Dest, static_cast<unsigned char>(C), Len);
  Dest[Len] = '\0';
  return Dest;
}

char* DetabPChar(char* Dest, const char* Src, uint8_t TabSize) {
  uint32_t out = 0;
  if (TabSize != 0) {
    for (const char* s = Src; *s; ++s) {
      if (*s == '\t') {
        do Dest[out++] = ' ';
        while (out % TabSize != 0);
      } else {
        Dest[out++] = *s;
      }
    }
  }
  Dest[out] = '\0';
  return Dest;
}

char LoCaseChar(char C) {
  return static_cast<char>(platform::LowerChar(static_cast<uint8_t>(C)));
}

char UpCaseChar(char C) {
  return static_cast<char>(platform::UpperChar(static_cast<uint8_t>(C)));
}

bool StrChPosPChar(const char* P, char C, uint32_t& Pos) {
  for (uint32_t i = 0; P[i]; ++i) {
    if (P[i] == C) {
      Pos = i;
      return true;
    }
  }
  return false;
}

bool StrStPosPChar(const char* P, const char* S, uint32_t& Pos) {
  uint32_t ls = Len(S);
  if (ls == 0 || ls > Len(P)) return false;
  const char* hit = std::strstr(P, S);
  if (!hit) return false;
  Pos = static_cast<uint32_t>(hit - P);
  return true;
}

char* StrChDeletePrim(char* P, uint32_t Pos) {
  uint32_t l = Len(P);
  if (Pos < l) std::memmove(P + Pos, P + Pos + 1, l - Pos);  // moves the NUL too
  return P;
}

char* StrChInsertPrim(char* Dest, char C, uint32_t Pos) {
  uint32_t l = Len(Dest);
  if (Pos > l) Pos = l;
  std::memmove(Dest + Pos + 1, Dest + Pos, l - Pos + 1);
  Dest[Pos] = C;
  return Dest;
}

char* StrStDeletePrim(char* P, uint32_t Pos, uint32_t Count) {
  uint32_t l = Len(P);
  if (Pos >= l) return P;
  if (Count >= l - Pos) {
    P[Pos] = '\0';
  } else {
    std::memmove(P + Pos, P + Pos + Count, l - Pos - Count + 1);
  }
  return P;
}

char* StrStInsertPrim(char* Dest, const char* S, uint32_t Pos) {
  uint32_t l = Len(Dest);
  uint32_t ls = Len(S);
  if (Pos > l) Pos = l;
  std::memmove(Dest + Pos + ls, Dest + Pos, l - Pos + 1);
  std::memcpy(Dest + Pos, S, ls);
  return Dest;
}

char* SubStrPChar(char* Dest, const char* Src, uint32_t Pos, uint32_t Count) {
  uint32_t l = Len(Src);
  uint32_t n = 0;
  if (Pos < l) {
    n = l - Pos < Count ? l - Pos : Count;
    std::memmove(Dest, Src + Pos, n);
  }
  Dest[n] = '\0';
  return Dest;
}

char* TrimTrailPrimPChar(char* P) {
  uint32_t l = Len(P);
  while (l > 0 && static_cast<unsigned char>(P[l - 1]) <= ' ') --l;
  P[l] = '\0';
  return P;
}

char* TrimAllSpacesPChar(char* P) {
  uint32_t l = Len(P);
  while (l > 0 && P[l - 1] == ' ') --l;
  uint32_t start = 0;
  while (start < l && P[start] == ' ') ++start;
  std::memmove(P, P + start, l - start);
  P[l - start] = '\0';
  return P;
}

char* TrimTrailingZerosPChar(char* P) {
  if (!*P) return P;
  // Zeros after the last digit are significant in a whole number: only a fraction
  // may lose them.
  if (std::strchr(P, '.')) {
    uint32_t l = Len(P);
    while (l > 0 && P[l - 1] == '0') --l;
    if (l > 0 && P[l - 1] == '.') --l;
    P[l] = '\0';
  }
  return TrimAllSpacesPChar(P);
}

char* TrimEmbeddedZerosPChar(char* P) {
  char* e = std::strchr(P, 'E');
  if (!e) return P;
  uint32_t epos = static_cast<uint32_t>(e - P);
  // The mantissa P[0..epos): zeros at its end only after a decimal point.
  if (std::memchr(P, '.', epos)) {
    uint32_t m = epos;
    while (m > 0 && P[m - 1] == '0') --m;
    if (m > 0 && P[m - 1] == '.') --m;
    StrStDeletePrim(P, m, epos - m);
    epos = m;
  }
  uint32_t digits = epos + 1;
  if (P[digits] == '+' || P[digits] == '-') ++digits;
  uint32_t z = digits;
  while (P[z] == '0') ++z;
  if (P[z] == '\0') {
    P[epos] = '\0';  // every exponent digit was 0 (or there was none)
  } else {
    StrStDeletePrim(P, digits, z - digits);
  }
  return P;
}

char* FixRealPrim(char* P, char DecimalChar) {
  TrimAllSpacesPChar(P);
  if (!*P) {
    std::strcpy(P, "0");
    return P;
  }
  uint32_t l = Len(P);
  if (P[l - 1] == DecimalChar) P[--l] = '\0';

  uint32_t point = 0;
  bool has_point = StrChPosPChar(P, DecimalChar, point);
  if (has_point) {
    // Replaced in the first position too, so that any decimal character gives a text
    // the number conversion reads.
    P[point] = '.';
    if (P[point + 1] == '\0') std::strcat(P, "0");
    if (point == 0) {
      StrChInsertPrim(P, '0', 0);
      point = 1;
    }
    if (P[0] == '-' && point == 1) {
      StrChInsertPrim(P, '0', 1);
      point = 2;
    }
  }

  uint32_t epos = 0;
  if (StrChPosPChar(P, 'E', epos) && epos >= 1) {
    if (!has_point) {
      StrChInsertPrim(P, '.', epos);
      has_point = true;
      point = epos++;
    }
    if (epos > point && epos - point - 1 < 12) StrStInsertPrim(P, "00000", epos);
  }

  if (has_point) {
    // Spaces typed around the decimal point.
    uint32_t after = point + 1;
    while (P[after] == ' ') StrChDeletePrim(P, after);
    while (point > 0 && P[point - 1] == ' ') {
      StrChDeletePrim(P, point - 1);
      --point;
    }
  }
  return P;
}

bool StrToLongPChar(const char* S, int32_t& I) {
  uint32_t l = Len(S);
  if (l > 255) {
    I = -1;
    return false;
  }
  char buf[256];
  std::memcpy(buf, S, l + 1);
  TrimTrailPrimPChar(buf);
  // "0x" becomes "$"; positions after it are one less in the copy than in S.
  uint32_t hex_at = 0;
  bool had_0x = StrStPosPChar(buf, "0x", hex_at);
  if (had_0x) {
    buf[hex_at] = '$';
    StrChDeletePrim(buf, hex_at + 1);
  }
  auto fail = [&](uint32_t pos) {
    I = static_cast<int32_t>(had_0x && pos > hex_at ? pos + 1 : pos);
    return false;
  };

  uint32_t i = 0;
  while (buf[i] == ' ' || buf[i] == '\t') ++i;
  bool negative = false;
  if (buf[i] == '+' || buf[i] == '-') negative = buf[i++] == '-';
  if (buf[i] == '$') {
    ++i;
    if (!buf[i]) return fail(i);
    uint32_t v = 0;
    for (; buf[i]; ++i) {
      char c = buf[i];
      int d = c >= '0' && c <= '9'   ? c - '0'
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                     : -1;
      if (d < 0 || (v >> 28) != 0) return fail(i);
      v = (v << 4) | static_cast<uint32_t>(d);
    }
    // Hexadecimal covers the full 32 bits: $FFFFFFFF is -1.
    I = static_cast<int32_t>(negative ? 0u - v : v);
    return true;
  }
  if (!buf[i]) return fail(i);
  int64_t v = 0;
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  for (; buf[i]; ++i) {
    char c = buf[i];
    if (c < '0' || c > '9') return fail(i);
    v = v * 10 + (c - '0');
    if (v > limit) return fail(i);
  }
  I = static_cast<int32_t>(negative ? -v : v);
  return true;
}

int16_t CompareWords(uint16_t A, uint16_t B) {
  return static_cast<int16_t>((A > B) - (A < B));
}

uint16_t IncByWord(int32_t& Total, uint16_t W) {
  Total += W;
  return W;
}

void DecByWord(int32_t& Total, uint16_t W) {
  Total -= W;
}

int32_t TopTextMargin(int32_t SystemHeight, int32_t FontHeight, bool Bordered, int32_t Height,
                      bool Ctl3D, bool NewStyle) {
  int32_t i = SystemHeight < FontHeight ? SystemHeight : FontHeight;
  if (NewStyle) {
    if (!Bordered) return Height - 2 > i ? 0 : (Height - i - 2) / 2 - ((Height - i) % 2);
    if (Ctl3D) return Height - 4 > i ? 1 : (Height - i - 4) / 2 - 1;
    return Height - 4 > i ? 1 : (Height - i - 4) / 2 - ((Height - i) % 2);
  }
  int32_t r = (Height - FontHeight - 1) / 2;
  if (Height - 2 < i) r -= 2;
  if (!Bordered) r += 1;
  return r;
}

}  // namespace tess
