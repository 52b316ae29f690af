// The component library's exceptions.  EOvcException is the root of the library's own
// faults and carries an error code; the intermediate classes without a message of
// their own (EControllerError, ECmdProcessorError, ...) let a handler catch a group.
// The table grid raises EOvcTableError, which stands beside the family.  Every fixed
// message comes from the component string table (componentstrings.h).
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/sysutils.h"

namespace tess {

class EOvcException : public Exception {
 public:
  explicit EOvcException(std::string Msg, int32_t ErrorCode = 0)
      : Exception(std::move(Msg)), error_code_(ErrorCode) {}
  int32_t ErrorCode() const noexcept { return error_code_; }

 protected:
  // The message is string Ident of the table.
  struct FromTable {
    uint16_t Ident;
  };
  explicit EOvcException(FromTable Res);

 private:
  int32_t error_code_;
};

// Declares a class whose no-argument constructor takes message Ident of the table.
#define TESS_OVC_FIXED_EXCEPTION(Name, Parent, Ident)                  \
  class Name : public Parent {                                         \
   public:                                                             \
    Name() : Parent(FromTable{Ident}) {}                               \
    explicit Name(std::string Msg, int32_t Code = 0)                   \
        : Parent(std::move(Msg), Code) {}                              \
                                                                       \
   protected:                                                          \
    using Parent::Parent;                                              \
  }

// A group without a message of its own.
#define TESS_OVC_GROUP_EXCEPTION(Name, Parent)                         \
  class Name : public Parent {                                         \
   public:                                                             \
    explicit Name(std::string Msg, int32_t Code = 0)                   \
        : Parent(std::move(Msg), Code) {}                              \
                                                                       \
   protected:                                                          \
    using Parent::Parent;                                              \
  }

TESS_OVC_FIXED_EXCEPTION(ENoTimersAvailable, EOvcException, 34189);
TESS_OVC_GROUP_EXCEPTION(EControllerError, EOvcException);
TESS_OVC_FIXED_EXCEPTION(ENoControllerAssigned, EControllerError, 34172);
TESS_OVC_GROUP_EXCEPTION(ECmdProcessorError, EOvcException);
TESS_OVC_FIXED_EXCEPTION(EDuplicateCommand, ECmdProcessorError, 34169);
TESS_OVC_FIXED_EXCEPTION(ETableNotFound, ECmdProcessorError, 34170);
// Raised by the entry fields with "Value is not valid for this field type".
TESS_OVC_FIXED_EXCEPTION(EEntryFieldError, EOvcException, 34180);
// Raised by the editor with its error's message and number.
TESS_OVC_GROUP_EXCEPTION(EEditorError, EOvcException);
TESS_OVC_FIXED_EXCEPTION(EInvalidLineOrCol, EEditorError, 34216);
TESS_OVC_FIXED_EXCEPTION(EInvalidLineOrPara, EEditorError, 34213);
TESS_OVC_FIXED_EXCEPTION(ESparseArrayError, EOvcException, 34217);
TESS_OVC_FIXED_EXCEPTION(ESAEAtMaxSize, ESparseArrayError, 34218);
TESS_OVC_FIXED_EXCEPTION(ESAEOutOfBounds, ESparseArrayError, 34219);
TESS_OVC_GROUP_EXCEPTION(EFixedFontError, EOvcException);
TESS_OVC_FIXED_EXCEPTION(EInvalidFixedFont, EFixedFontError, 34214);
TESS_OVC_FIXED_EXCEPTION(EInvalidFontParam, EFixedFontError, 34215);

#undef TESS_OVC_FIXED_EXCEPTION
#undef TESS_OVC_GROUP_EXCEPTION

// "Invalid picture mask: <Mask>".
class EInvalidPictureMask : public EEntryFieldError {
 public:
  explicit EInvalidPictureMask(const std::string& Mask);
};

// The valid range of an entry field's data type (its code, 4 to 15).  Dates (14) and
// times (15) name the picture of the international settings, which the caller passes.
class EInvalidRangeValue : public EEntryFieldError {
 public:
  explicit EInvalidRangeValue(uint8_t DataType, const std::string& Picture = "");
  static std::string MessageFor(uint8_t DataType, const std::string& Picture);
};

// The table grid's faults; the message is a string of the table.
class EOvcTableError : public Exception {
 public:
  using Exception::Exception;
};

// Raises EOvcTableError with string ResId of the table.
[[noreturn]] void RaiseTableError(uint16_t ResId);

}  // namespace tess
