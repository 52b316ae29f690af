// Late-bound OLE automation: creating an object by ProgID and calling its members by
// name.  The access layer's second engine talks to its server only through this; the
// native build has no automation, so nothing can be created there.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tess::platform {

class AutomationObject;

// A value passed to or returned from a member.
struct AutoValue {
  enum Kind : uint8_t {
    kEmpty,
    kNull,
    kInteger,
    kReal,  // number; text: its exact digits when it came as a decimal or a 64-bit
            // integer, which a double may not hold
    kDate,  // number: days since 30 Dec 1899; text: the system's text form, or
            // "YYYY-MM-DD HH:MM:SS" for a date the system does not convert (before
            // the year 100; "-4712-..." for 4712 BC)
    kText,
    kBoolean,  // integer: 0 or 1
    kObject,   // object: an automation object, or null for an empty reference
    kOther,    // an interface that is not an automation object, or a type not mapped
  };
  Kind kind = kEmpty;
  int32_t integer = 0;
  double number = 0;
  std::string text;
  std::shared_ptr<AutomationObject> object;

  static AutoValue Integer(int32_t V) {
    AutoValue a;
    a.kind = kInteger;
    a.integer = V;
    a.number = V;
    return a;
  }
  static AutoValue Text(std::string V) {
    AutoValue a;
    a.kind = kText;
    a.text = std::move(V);
    return a;
  }
  bool IsNull() const { return kind == kNull || kind == kEmpty; }
  // The value as text (Null and Empty: empty).
  std::string AsText() const;
  // The value as an integer (Null and Empty: 0); raises AutomationError when it is none.
  int32_t AsInteger() const;
};

// A member raised an exception (DISP_E_EXCEPTION) or the call failed.  Code is the
// exception's code (its scode when it has none), or the failure's HRESULT.
class AutomationError : public std::runtime_error {
 public:
  AutomationError(const std::string& Text, int32_t Code) : std::runtime_error(Text), code_(Code) {}
  int32_t Code() const { return code_; }

 private:
  int32_t code_;
};

class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // A property read (or a method call with a result).
  virtual AutoValue Get(const std::string& Name, const std::vector<AutoValue>& Args = {}) = 0;
  // A method call.
  virtual AutoValue Call(const std::string& Name, const std::vector<AutoValue>& Args = {}) = 0;
};

enum class CreateResult { kCreated, kNotRegistered, kNotDispatch };

// Creates the object registered under ProgId; Object is set only for kCreated.
CreateResult CreateAutomationObject(const std::string& ProgId,
                                    std::shared_ptr<AutomationObject>& Object);

}  // namespace tess::platform
