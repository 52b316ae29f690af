// The framework's exception family and the small string, number and file helpers that
// every layer above needs.  Strings are std::string of ANSI bytes; every comparison named
// "Text" ignores the case of ASCII letters only and compares the bytes ordinally, so it
// gives the same answer on every machine.  The "Ansi" forms also fold the Latin-1 letters.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <typeinfo>

#if defined(__MINGW32__)
#define TESS_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#define TESS_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TESS_PRINTF_FORMAT(fmt, args)
#endif

namespace tess {

// ---------------------------------------------------------------------------------------
// Exceptions
// ---------------------------------------------------------------------------------------

// Root of every failure the program raises.  The message may be changed by a handler
// that adds context before raising the same object again.
class Exception : public std::exception {
 public:
  explicit Exception(std::string Msg) : message_(std::move(Msg)) {}
  ~Exception() override = default;

  const std::string& Message() const noexcept { return message_; }
  void SetMessage(std::string Msg) { message_ = std::move(Msg); }
  const char* what() const noexcept override { return message_.c_str(); }

  // The class's unqualified name ("EConvertError"), for error reports.
  virtual std::string ClassName() const;

 private:
  std::string message_;
};

// A silent exception: it unwinds like any other, and the application's handler does
// not report it.
class EAbort : public Exception {
 public:
  using Exception::Exception;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class EOutOfMemory : public Exception {
 public:
  using Exception::Exception;
};

// A failed file or device operation; ErrorCode is the system's error number (0 when
// none applies).
class EInOutError : public Exception {
 public:
  explicit EInOutError(std::string Msg, int Code = 0)
      : Exception(std::move(Msg)), error_code_(Code) {}
  int ErrorCode() const noexcept { return error_code_; }

 private:
  int error_code_;
};

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

// Opening or creating a file for a file stream failed; FileName is the name asked for.
class EFileStreamError : public EStreamError {
 public:
  EFileStreamError(std::string Msg, std::string FileName)
      : EStreamError(std::move(Msg)), file_name_(std::move(FileName)) {}
  const std::string& FileName() const noexcept { return file_name_; }

 private:
  std::string file_name_;
};

class EFCreateError : public EFileStreamError {
 public:
  using EFileStreamError::EFileStreamError;
};

class EFOpenError : public EFileStreamError {
 public:
  using EFileStreamError::EFileStreamError;
};

// Failures of the component stream format.
class EFilerError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EReadError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

class EWriteError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

class EClassNotFound : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

class EListError : public Exception {
 public:
  using Exception::Exception;
};

class EStringListError : public EListError {
 public:
  using EListError::EListError;
};

class EComponentError : public Exception {
 public:
  using Exception::Exception;
};

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// Raises EAbort with an empty message.
[[noreturn]] void Abort();

// The unqualified, demangled name of a C++ type ("TStringList" for tess::TStringList).
std::string TypeNameOf(const std::type_info& Type);

// ---------------------------------------------------------------------------------------
// Formatting and numbers
// ---------------------------------------------------------------------------------------

// printf-style formatting into a std::string (pass std::string arguments as .c_str()).
std::string Format(const char* Fmt, ...) TESS_PRINTF_FORMAT(1, 2);

std::string IntToStr(int64_t Value);
// Upper-case hexadecimal, at least Digits digits.
std::string IntToHex(uint64_t Value, int Digits);

// Decimal with optional sign, or hexadecimal after "$" or "0x"; blanks before and after
// the number are allowed, nothing else.  Out of range or malformed input raises
// EConvertError "'S' is not a valid integer value".
int32_t StrToInt(const std::string& S);
int64_t StrToInt64(const std::string& S);
int32_t StrToIntDef(const std::string& S, int32_t Default);
int64_t StrToInt64Def(const std::string& S, int64_t Default);
bool TryStrToInt(const std::string& S, int32_t& Value);
bool TryStrToInt64(const std::string& S, int64_t& Value);

// Shortest text that reads back as the same double, with "." as decimal point.
std::string FloatToStr(double Value);
// Raises EConvertError "'S' is not a valid floating point value".
double StrToFloat(const std::string& S);
bool TryStrToFloat(const std::string& S, double& Value);

// ---------------------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------------------

// Blanks and control characters (bytes up to and including space) are trimmed.
std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);

// ASCII letters only.
std::string UpperCase(const std::string& S);
std::string LowerCase(const std::string& S);
// ASCII and Latin-1 letters.
std::string AnsiUpperCase(const std::string& S);
std::string AnsiLowerCase(const std::string& S);

// <0, 0, >0.  CompareStr is ordinal on unsigned bytes; CompareText folds ASCII letters.
int CompareStr(const std::string& S1, const std::string& S2);
int CompareText(const std::string& S1, const std::string& S2);
bool SameText(const std::string& S1, const std::string& S2);
// Like CompareText, folding Latin-1 letters as well.
int AnsiCompareText(const std::string& S1, const std::string& S2);
int AnsiCompareStr(const std::string& S1, const std::string& S2);
bool AnsiSameText(const std::string& S1, const std::string& S2);

// S inside single quotes with every quote doubled (safe for pasting into SQL text).
std::string QuotedStr(const std::string& S);
// S inside Quote characters with every Quote in it doubled.
std::string AnsiQuotedStr(const std::string& S, char Quote);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
std::string StringReplace(const std::string& S, const std::string& OldPattern,
                          const std::string& NewPattern, TReplaceFlags Flags);

// A valid component or property name: a letter or "_", then letters, digits or "_".
bool IsValidIdent(const std::string& Ident);

// ---------------------------------------------------------------------------------------
// Files and paths
// ---------------------------------------------------------------------------------------

// The native separator: "\" on Windows, "/" elsewhere.  Both "\" and "/" are accepted
// as separators on both builds (and ":" after a drive letter on Windows).
extern const char PathDelim;

bool FileExists(const std::string& FileName);
bool DirectoryExists(const std::string& Dir);
// Returns false when the file could not be deleted.
bool DeleteFile(const std::string& FileName);
bool RenameFile(const std::string& OldName, const std::string& NewName);
// Size in bytes, or -1 when the file does not exist.
int64_t FileSizeOf(const std::string& FileName);

// "C:\dir\name.ext": path "C:\dir\", name "name.ext", extension ".ext", dir "C:\dir".
std::string ExtractFilePath(const std::string& FileName);
std::string ExtractFileDir(const std::string& FileName);
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);
std::string IncludeTrailingPathDelimiter(const std::string& Path);
std::string ExcludeTrailingPathDelimiter(const std::string& Path);

}  // namespace tess
