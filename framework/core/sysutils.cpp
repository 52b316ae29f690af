// Exceptions, conversions and string and file helpers (see sysutils.h).
#include "framework/core/sysutils.h"

#include <cxxabi.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tess {

// ---------------------------------------------------------------------------------------

std::string TypeNameOf(const std::type_info& Type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(Type.name(), nullptr, nullptr, &status), std::free);
  std::string full = (status == 0 && demangled) ? demangled.get() : Type.name();
  // Drop the namespaces of the outermost name, not those inside template arguments.
  size_t start = 0;
  int depth = 0;
  for (size_t i = 0; i + 1 < full.size(); ++i) {
    if (full[i] == '<') {
      ++depth;
    } else if (full[i] == '>') {
      --depth;
    } else if (depth == 0 && full[i] == ':' && full[i + 1] == ':') {
      start = i + 2;
      ++i;
    }
  }
  return full.substr(start);
}

std::string Exception::ClassName() const {
  return TypeNameOf(typeid(*this));
}

void Abort() {
  throw EAbort("");
}

// ---------------------------------------------------------------------------------------

std::string Format(const char* Fmt, ...) {
  va_list args;
  va_start(args, Fmt);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, Fmt, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), Fmt, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

std::string IntToStr(int64_t Value) {
  return std::to_string(Value);
}

std::string IntToHex(uint64_t Value, int Digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kHex[Value & 15]);
    Value >>= 4;
  } while (Value != 0);
  if (Digits > static_cast<int>(out.size()))
    out.insert(0, static_cast<size_t>(Digits) - out.size(), '0');
  return out;
}

namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// Parses into a 64-bit magnitude; Bits limits the accepted range (hexadecimal may use
// every bit and wraps into the signed type, decimal must fit the signed range).
bool ParseInteger(const std::string& S, int Bits, int64_t& Out) {
  size_t i = 0, n = S.size();
  while (i < n && IsBlank(S[i])) ++i;
  while (n > i && IsBlank(S[n - 1])) --n;
  bool negative = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  bool hex = false;
  if (i < n && S[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const uint64_t limit = Bits == 64 ? UINT64_MAX : (uint64_t{1} << Bits) - 1;
  uint64_t value = 0;
  for (; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    const uint64_t base = hex ? 16 : 10;
    if (value > (limit - digit) / base) return false;
    value = value * base + digit;
  }
  if (hex) {
    // Full-width hexadecimal wraps into the signed range ($FFFFFFFF is -1).
    uint64_t wrapped = value;
    if (Bits < 64 && (value >> (Bits - 1)) != 0) wrapped = value | ~limit;
    Out = static_cast<int64_t>(wrapped);
    if (negative) Out = static_cast<int64_t>(0 - static_cast<uint64_t>(Out));
    return true;
  }
  const uint64_t max_pos = (uint64_t{1} << (Bits - 1)) - 1;
  if (negative) {
    if (value > max_pos + 1) return false;
    Out = static_cast<int64_t>(0 - value);
  } else {
    if (value > max_pos) return false;
    Out = static_cast<int64_t>(value);
  }
  return true;
}

[[noreturn]] void InvalidInteger(const std::string& S) {
  throw EConvertError("'" + S + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(const std::string& S, int32_t& Value) {
  int64_t v;
  if (!ParseInteger(S, 32, v)) return false;
  Value = static_cast<int32_t>(v);
  return true;
}

bool TryStrToInt64(const std::string& S, int64_t& Value) {
  return ParseInteger(S, 64, Value);
}

int32_t StrToInt(const std::string& S) {
  int32_t v;
  if (!TryStrToInt(S, v)) InvalidInteger(S);
  return v;
}

int64_t StrToInt64(const std::string& S) {
  int64_t v;
  if (!TryStrToInt64(S, v)) InvalidInteger(S);
  return v;
}

int32_t StrToIntDef(const std::string& S, int32_t Default) {
  int32_t v;
  return TryStrToInt(S, v) ? v : Default;
}

int64_t StrToInt64Def(const std::string& S, int64_t Default) {
  int64_t v;
  return TryStrToInt64(S, v) ? v : Default;
}

std::string FloatToStr(double Value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, Value);
  return std::string(buf, r.ptr);
}

bool TryStrToFloat(const std::string& S, double& Value) {
  std::string t = Trim(S);
  // Only the number form: a sign, digits with one decimal point, an exponent.  The
  // library's parser would also take "nan", "inf" and a sign after ours.
  size_t i = 0, n = t.size();
  auto digits = [&] {
    size_t from = i;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i;
    return i - from;
  };
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  size_t mantissa = digits();
  if (i < n && t[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  if (i != n) return false;
  const char* first = t.data() + (t[0] == '+' ? 1 : 0);
  double v;
  auto r = std::from_chars(first, t.data() + n, v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != t.data() + n) return false;
  Value = v;
  return true;
}

double StrToFloat(const std::string& S) {
  double v;
  if (!TryStrToFloat(S, v)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return v;
}

// ---------------------------------------------------------------------------------------

std::string Trim(const std::string& S) {
  return TrimLeft(TrimRight(S));
}

std::string TrimLeft(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && IsBlank(S[i])) ++i;
  return S.substr(i);
}

std::string TrimRight(const std::string& S) {
  size_t n = S.size();
  while (n > 0 && IsBlank(S[n - 1])) --n;
  return S.substr(0, n);
}

namespace {

unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}
unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

// Windows-1252 letters beyond ASCII.
unsigned char AnsiUpper(unsigned char c) {
  if (c < 128) return AsciiUpper(c);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  switch (c) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return c;
  }
}

unsigned char AnsiLower(unsigned char c) {
  if (c < 128) return AsciiLower(c);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

template <class Fold>
std::string Map(const std::string& S, Fold f) {
  std::string out(S);
  for (char& c : out) c = static_cast<char>(f(static_cast<unsigned char>(c)));
  return out;
}

template <class Fold>
int CompareFolded(const std::string& S1, const std::string& S2, Fold f) {
  size_t n = S1.size() < S2.size() ? S1.size() : S2.size();
  for (size_t i = 0; i < n; ++i) {
    int a = f(static_cast<unsigned char>(S1[i]));
    int b = f(static_cast<unsigned char>(S2[i]));
    if (a != b) return a - b;
  }
  return S1.size() < S2.size() ? -1 : (S1.size() > S2.size() ? 1 : 0);
}

}  // namespace

std::string UpperCase(const std::string& S) {
  return Map(S, AsciiUpper);
}
std::string LowerCase(const std::string& S) {
  return Map(S, AsciiLower);
}
std::string AnsiUpperCase(const std::string& S) {
  return Map(S, AnsiUpper);
}
std::string AnsiLowerCase(const std::string& S) {
  return Map(S, AnsiLower);
}

int CompareStr(const std::string& S1, const std::string& S2) {
  return CompareFolded(S1, S2, [](unsigned char c) { return c; });
}
int CompareText(const std::string& S1, const std::string& S2) {
  return CompareFolded(S1, S2, AsciiUpper);
}
bool SameText(const std::string& S1, const std::string& S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}
int AnsiCompareText(const std::string& S1, const std::string& S2) {
  return CompareFolded(S1, S2, AnsiUpper);
}
int AnsiCompareStr(const std::string& S1, const std::string& S2) {
  return CompareStr(S1, S2);
}
bool AnsiSameText(const std::string& S1, const std::string& S2) {
  return S1.size() == S2.size() && AnsiCompareText(S1, S2) == 0;
}

std::string QuotedStr(const std::string& S) {
  return AnsiQuotedStr(S, '\'');
}

std::string AnsiQuotedStr(const std::string& S, char Quote) {
  std::string out(1, Quote);
  for (char c : S) {
    out += c;
    if (c == Quote) out += Quote;
  }
  out += Quote;
  return out;
}

std::string StringReplace(const std::string& S, const std::string& OldPattern,
                          const std::string& NewPattern, TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  const std::string hay = (Flags & rfIgnoreCase) ? UpperCase(S) : S;
  const std::string needle = (Flags & rfIgnoreCase) ? UpperCase(OldPattern) : OldPattern;
  std::string out;
  size_t from = 0;
  while (true) {
    size_t at = hay.find(needle, from);
    if (at == std::string::npos) break;
    out.append(S, from, at - from);
    out += NewPattern;
    from = at + needle.size();
    if (!(Flags & rfReplaceAll)) break;
  }
  out.append(S, from, std::string::npos);
  return out;
}

bool IsValidIdent(const std::string& Ident) {
  if (Ident.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(Ident[0])) return false;
  for (char c : Ident) {
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------

#ifdef _WIN32
const char PathDelim = '\\';
#else
const char PathDelim = '/';
#endif

namespace {

bool IsDelimiter(char c) {
  return c == '/' || c == '\\';
}

// Index just past the last separator (or drive colon), 0 when there is none.
size_t NameStart(const std::string& FileName) {
  for (size_t i = FileName.size(); i > 0; --i) {
    char c = FileName[i - 1];
    if (IsDelimiter(c)) return i;
#ifdef _WIN32
    if (c == ':') return i;
#endif
  }
  return 0;
}

#ifdef _WIN32
using StatBuf = struct _stat64;
int StatFile(const std::string& Name, StatBuf* Buf) {
  return _stat64(Name.c_str(), Buf);
}
#else
using StatBuf = struct stat;
int StatFile(const std::string& Name, StatBuf* Buf) {
  return stat(Name.c_str(), Buf);
}
#endif

}  // namespace

bool FileExists(const std::string& FileName) {
  StatBuf st;
  return !FileName.empty() && StatFile(FileName, &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

bool DirectoryExists(const std::string& Dir) {
  StatBuf st;
  std::string d = Dir;
  // A trailing separator would make the lookup fail on Windows.
  while (d.size() > 1 && IsDelimiter(d.back())) d.pop_back();
  return !d.empty() && StatFile(d, &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool DeleteFile(const std::string& FileName) {
#ifdef _WIN32
  return _unlink(FileName.c_str()) == 0;
#else
  return unlink(FileName.c_str()) == 0;
#endif
}

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  // The same answer on both builds: an existing target is never replaced.
  if (FileExists(NewName) || DirectoryExists(NewName)) return false;
  return std::rename(OldName.c_str(), NewName.c_str()) == 0;
}

int64_t FileSizeOf(const std::string& FileName) {
  StatBuf st;
  if (FileName.empty() || StatFile(FileName, &st) != 0 || (st.st_mode & S_IFMT) != S_IFREG)
    return -1;
  return static_cast<int64_t>(st.st_size);
}

std::string ExtractFilePath(const std::string& FileName) {
  return FileName.substr(0, NameStart(FileName));
}

std::string ExtractFileDir(const std::string& FileName) {
  size_t start = NameStart(FileName);
  // Keep a root separator ("\" or "C:\") whole.
  if (start > 0 && IsDelimiter(FileName[start - 1]) && start > 1 &&
      !(start == 3 && FileName[1] == ':') && !IsDelimiter(FileName[start - 2]))
    --start;
  return FileName.substr(0, start);
}

std::string ExtractFileName(const std::string& FileName) {
  return FileName.substr(NameStart(FileName));
}

std::string ExtractFileExt(const std::string& FileName) {
  size_t start = NameStart(FileName);
  size_t dot = FileName.rfind('.');
  if (dot == std::string::npos || dot < start) return "";
  return FileName.substr(dot);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Extension) {
  size_t start = NameStart(FileName);
  size_t dot = FileName.rfind('.');
  if (dot == std::string::npos || dot < start) return FileName + Extension;
  return FileName.substr(0, dot) + Extension;
}

std::string IncludeTrailingPathDelimiter(const std::string& Path) {
  if (!Path.empty() && IsDelimiter(Path.back())) return Path;
  return Path + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& Path) {
  std::string p = Path;
  if (!p.empty() && IsDelimiter(p.back())) p.pop_back();
  return p;
}

}  // namespace tess
