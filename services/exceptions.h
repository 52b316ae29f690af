// The program's own exception family, beside the framework's: internal errors, errors
// of the application, SQL errors with the server's code, and lost connections.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/sysutils.h"

namespace tess {

class EyException : public Exception {
 public:
  using Exception::Exception;
};

// An internal error: the program itself is in a state it should never reach
// ("Query not connected to database").
class EyIntError : public EyException {
 public:
  using EyException::EyException;
};

class EyAppError : public EyException {
 public:
  using EyException::EyException;
};

// A statement failed; ErrorCode is the server's error number (1013 for a user cancel).
class EySQLError : public EyException {
 public:
  explicit EySQLError(std::string Msg, int32_t Code = 0)
      : EyException(std::move(Msg)), error_code_(Code) {}
  int32_t ErrorCode() const noexcept { return error_code_; }
  void SetErrorCode(int32_t Code) noexcept { error_code_ = Code; }

 private:
  int32_t error_code_;
};

class EyDbConnectionLost : public EyException {
 public:
  using EyException::EyException;
};

}  // namespace tess
