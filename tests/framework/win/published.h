// Checks a registered component class against the documented list of its published
// properties: every listed property is published with the listed default, nothing is
// published beyond the base class's properties and the list, and every property set
// away from its default (a picture: given an image) comes back from the component stream
// as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "framework/core/component.h"

namespace tess::testing {

// One published property as documented.
struct TPublished {
  enum TKind {
    kDefault,    // declared default in Default
    kNoDefault,  // no declared default: always stored
    kObject,     // a sub-object whose own properties are streamed in place
    kPicture,    // a picture: an image drawn into it comes back pixel for pixel
    kFixed,      // read-only: what is read is dropped
    kReference,  // a reference to another component of the form, stored by its name
    kUnstored,   // never stored as itself (another property carries it)
    kAny,        // documented without a default: whatever is declared, other values are stored
  };
  std::string Name;
  TKind Kind = kDefault;
  // A number (Integer, colour), a Boolean, or text: "True", an enumeration identifier,
  // a set "[a,b]", or a string's default.
  std::variant<std::monostate, int64_t, bool, std::string> Default;
  // The value to set instead of the checker's own choice (ranges narrower than the type).
  std::optional<int64_t> Try;
  // The text to set instead of the checker's own choice (one-character properties), or for
  // a reference the registered class of the component it is set to.
  std::optional<std::string> TryText = std::nullopt;
};

TPublished DeclaredNumber(std::string Name, int64_t Default, std::optional<int64_t> Try);
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) TPublished
    Declared(std::string Name, T Default, std::optional<int64_t> Try = {}) {
  return DeclaredNumber(std::move(Name), static_cast<int64_t>(Default), Try);
}
TPublished Declared(std::string Name, bool Default);
TPublished Declared(std::string Name, const char* Default);
TPublished Declared(std::string Name, const char* Default, const char* TryText);
TPublished Undeclared(std::string Name, std::optional<int64_t> Try = {});
TPublished SubObject(std::string Name);
TPublished Picture(std::string Name);
TPublished Fixed(std::string Name);
TPublished Reference(std::string Name, std::string TargetClass);
TPublished Unstored(std::string Name);
TPublished Published(std::string Name, std::optional<int64_t> Try = {});

// Makes a T, for TPublishedClass::Base.
template <class T>
TComponent* New(TComponent* Owner) {
  return new T(Owner);
}

// Readies each new instance of a class before the checks (a file for it to open, say).
using TPrepare = std::function<void(TComponent*)>;

struct TPublishedClass {
  std::string ClassName;
  // Makes an instance of the class's base: what it publishes is not listed again.
  std::function<TComponent*(TComponent* Owner)> Base;
  std::vector<TPublished> Properties;
  TPrepare Prepare = nullptr;
};

// Streams Form out and into Copy; the component of Copy named Name, or null.
TComponent* StreamedCopy(TComponent* Form, TComponent* Copy, const std::string& Name);

// Runs every check on one class, as gtest failures (the form is the owner and parent).
void CheckPublished(const TPublishedClass& Class);

// A new object of the registered class starts every published property, its
// sub-objects' included, at the declared default (an undeclared string at ""), so that a
// value the stream leaves out is the value the reader's new object has.  A property with
// no declared default is always stored and needs nothing.
void CheckStartValues(const std::string& ClassName);

// Each published property of the registered class, its sub-objects' included, set from a
// new object's value to each other value tried (every identifier, every set member on
// and off, the declared default, ...), comes back from the stream with the object's
// every other property.  References are left to CheckPublished.  LeftOut names tries
// ("Options := +opAutoSave") or properties ("Width") meant to read back otherwise.
void CheckAwayFromStart(const std::string& ClassName, const std::vector<std::string>& LeftOut = {});

}  // namespace tess::testing
