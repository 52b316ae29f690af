// The component library's string table (componentstrings.def) for code that runs in
// both builds.  The windows build's resource script holds the same texts as string
// resources, so LoadStr of an identifier gives the same text.
#pragma once

#include <cstdint>
#include <string>

namespace tess {

// Identifiers of the texts the component core names itself.
enum : uint16_t {
  kCommandNameBase = 33768,  // + command number: "ccNone" ... "ccWordRight"
  kUnknownError = 34168,
  kDuplicateCommand = 34169,
  kTableNotFound = 34170,
  kNoControllerAssigned = 34172,
  kFieldValueInvalid = 34180,
  kInvalidParameter = 34188,
  kNoTimersAvailable = 34189,
  kTooManyTriggers = 34190,
  kInvalidTriggerHandle = 34191,
  kInvalidPictureMask = 34202,
  kRangeIntegers = 34203,
  kRangeReal = 34204,
  kRangeExtended = 34205,
  kRangeDouble = 34206,
  kRangeSingle = 34207,
  kRangeComp = 34208,
  kRangeDate = 34209,
  kRangeTime = 34210,
  kRangeInvalid = 34211,
  kInvalidLineOrPara = 34213,
  kInvalidFixedFont = 34214,
  kInvalidFontParam = 34215,
  kInvalidLineOrCol = 34216,
  kSparseArrayUnknown = 34217,
  kSparseArrayAtMaxSize = 34218,
  kSparseArrayOutOfBounds = 34219,
  kTableMaxColumns = 34221,
  kTableRowOutOfBounds = 34223,
  kDefaultTableName = 34275,
  kWordStarTableName = 34276,
  kUnknownTableName = 34277,
  kEntryError = 34278,
  kGridTableName = 34284,
  kYesChar = 34368,
  kNoChar = 34369,
  kTrueChar = 34370,
  kFalseChar = 34371,
};

// The text of a string of the table; "" for an identifier it does not hold.
const std::string& ComponentString(uint16_t Ident);

}  // namespace tess
