// See paratext.h.
#include "components/editor/paratext.h"

#include <cstring>

namespace tess {

namespace {
uint32_t NextTabStop(uint32_t Col, uint8_t TabSize) {
  // Col counts the tab itself.
  return TabSize == 0 ? Col : ((Col - 1) / TabSize + 1) * TabSize;
}
}  // namespace

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

bool HasTab(const char* S, uint32_t N) { return N != 0 && std::memchr(S, '\t', N) != nullptr; }

uint32_t ColumnWidth(const char* S, uint32_t N, uint8_t TabSize) {
  uint32_t col = 0;
  for (uint32_t i = 0; i < N && S[i]; ++i) col = S[i] == '\t' ? NextTabStop(col + 1, TabSize) : col + 1;
  return col;
}

uint32_t CharsInColumns(const char* S, uint32_t Columns, uint8_t TabSize) {
  uint32_t col = 0, i = 0;
  while (col < Columns && S[i]) {
    col = S[i] == '\t' ? NextTabStop(col + 1, TabSize) : col + 1;
    ++i;
  }
  return i;
}

uint32_t CharsThatFit(const char* S, uint32_t Remaining, uint32_t WrapCol, uint8_t TabSize,
                      bool Tabs) {
  if (!Tabs) return Remaining < WrapCol ? Remaining : WrapCol;
  uint32_t col = 0, i = 0;
  while (i < Remaining) {
    uint32_t next = S[i] == '\t' ? NextTabStop(col + 1, TabSize) : col + 1;
    if (next > WrapCol) break;
    col = next;
    ++i;
  }
  return i == 0 ? 1 : i;  // a line holds at least one character
}

void FindBreak(const char* S, uint32_t Remaining, uint32_t N, uint32_t& LineEnd,
               uint32_t& NextStart) {
  if (N >= Remaining) {
    LineEnd = NextStart = Remaining;
    return;
  }
  uint32_t brk = N;
  bool found = false;
  for (uint32_t i = N + 1; i-- > 0;) {
    if (S[i] == '-') {
      brk = i + 1;
      found = true;
      break;
    }
    if (IsBlank(S[i])) {
      brk = i;
      found = true;
      break;
    }
  }
  if (!found) brk = N;
  uint32_t next = brk;
  while (next < Remaining && IsBlank(S[next])) ++next;
  if (next == 0) next = brk = N;  // a line never stays empty
  LineEnd = brk;
  NextStart = next;
}

uint32_t LastBlankBefore(const char* S, uint32_t N) {
  for (uint32_t i = N; i-- > 0;)
    if (IsBlank(S[i])) return i + 1;
  return N;
}

int32_t FindLineOfOffset(const uint16_t* LineStarts, int32_t Count, int32_t Offset) {
  int32_t i = Count;
  while (i > 1 && LineStarts[i - 1] > Offset - 1) --i;
  return i;
}

uint32_t LengthToLF(const char* S, uint32_t N) {
  const void* p = std::memchr(S, '\n', N);
  return p ? static_cast<uint32_t>(static_cast<const char*>(p) - S) + 1 : N;
}

char* PadWith(char* S, char C, uint32_t Len) {
  size_t n = std::strlen(S);
  while (n < Len) S[n++] = C;
  S[n] = '\0';
  return S;
}

char* PadBlanks(char* S, uint32_t Len) { return PadWith(S, ' ', Len); }

void InsertBytes(char* Dest, const char* Src, uint32_t DestLen, uint32_t Pos, uint32_t Count) {
  if (Count == 0 || Pos > DestLen) return;
  std::memmove(Dest + Pos + Count, Dest + Pos, DestLen - Pos + 1);
  std::memcpy(Dest + Pos, Src, Count);
}

void DeleteBytes(char* Dest, uint32_t DestLen, uint32_t Pos, uint32_t Count) {
  if (Pos >= DestLen || Count == 0) return;
  if (Count > DestLen - Pos) Count = DestLen - Pos;
  std::memmove(Dest + Pos, Dest + Pos + Count, DestLen - Pos - Count + 1);
}

int32_t ScreenColumnOfPos(const char* S, int32_t Len, int32_t P, uint8_t TabSize) {
  if (P <= 1 || Len == 0) return P;
  if (!HasTab(S, static_cast<uint32_t>(Len))) return P;
  if (P <= Len) return static_cast<int32_t>(ColumnWidth(S, P - 1, TabSize)) + 1;
  return static_cast<int32_t>(ColumnWidth(S, Len, TabSize)) + (P - Len);
}

int32_t PosOfScreenColumn(const char* S, int32_t Len, int32_t C, uint8_t TabSize) {
  if (C < 2 || Len == 0) return C;
  if (!HasTab(S, static_cast<uint32_t>(Len))) return C;
  auto width = static_cast<int32_t>(ColumnWidth(S, Len, TabSize));
  if (C > width) return C - width + Len;
  // The character whose cell holds column C (a tab covers several columns).
  return static_cast<int32_t>(CharsInColumns(S, C, TabSize));
}

std::string ExpandTabs(const char* S, int32_t Len, uint8_t TabSize) {
  std::string out;
  out.reserve(Len);
  for (int32_t i = 0; i < Len; ++i) {
    if (S[i] == '\t') {
      size_t to = NextTabStop(static_cast<uint32_t>(out.size()) + 1, TabSize);
      out.append(to - out.size(), ' ');
    } else {
      out += S[i];
    }
  }
  return out;
}

}  // namespace tess
