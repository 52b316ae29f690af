// What an entry field knows apart from its window: the data type, the picture mask and
// what each picture character accepts, the conversions between values and text, and
// the range limits.  The window class keeps one of these; everything here runs in both
// builds.
//
// Invariants: 1 <= MaxLength() <= 255; 1 <= picture length <= 255; the limits are
// stored in the form of the data type (Char, 32-bit integer for every integer type,
// 6-byte real, 80-bit extended, double, single, Comp as a 64-bit integer, day number or
// seconds) in ten bytes; equal limits mean "no range".
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "components/entry/intlsup.h"
#include "components/entry/userdata.h"

namespace tess {

// Data types of an entry field (the low six bits of its data type code).
enum TSimpleDataType : uint8_t {
  sftString = 0,
  sftChar,
  sftBoolean,
  sftYesNo,
  sftLongInt,
  sftWord,
  sftInteger,
  sftByte,
  sftShortInt,
  sftReal,
  sftExtended,
  sftDouble,
  sftSingle,
  sftComp,
  sftDate,
  sftTime,
};
constexpr uint8_t kMaxDataType = sftTime;
// Bit of the data type code: a string field with a picture.
constexpr uint8_t kPictureStringFlag = 64;

bool IsNumericType(uint8_t DataType);  // LongInt .. Comp
bool IsIntegerType(uint8_t DataType);  // LongInt .. ShortInt

// Field kinds.
enum : uint8_t { fkSimple = 0, fkPicture = 1, fkNumeric = 2 };

// Validation results.
enum : uint16_t {
  oeRangeError = 256,
  oeInvalidNumber = 257,
  oeRequiredField = 258,
  oeInvalidDate = 259,
  oeInvalidTime = 260,
  oeBlanksInField = 261,
  oePartialEntry = 262,
  oeCustomError = 32768,
};

// --- the 6-byte real and the 80-bit extended -------------------------------------------
// Byte 0 the exponent (bias 129, 0 meaning zero), bytes 1..5 the 39-bit fraction with
// the sign in the top bit of byte 5.
using TReal48 = std::array<uint8_t, 6>;
// False when |V| is beyond the type's largest value (about 1.7e38) or V is not finite;
// values below the smallest (about 2.9e-39) become 0.  The fraction is rounded to
// nearest.
bool DoubleToReal48(double V, TReal48& R);
double Real48ToDouble(const TReal48& R);

// A range limit or a value, in the form of the data type.
struct TRangeLimit {
  std::array<uint8_t, 10> Bytes{};
  template <class T>
  T Get() const;
  template <class T>
  void Set(T V);
  bool operator==(const TRangeLimit&) const = default;

 private:
  // The 80-bit extended keeps its ten significant bytes; the rest is padding.
  template <class T>
  static constexpr size_t StoredSize() {
    constexpr size_t N = std::is_same_v<T, long double> ? 10 : sizeof(T);
    static_assert(N <= 10);
    return N;
  }
};

// Only upper and lower case: the rules of the picture characters.
char PictureFixCase(char PictureChar, char Ch, char PrevCh, const TOvcUserData& User);

class TEntryFieldData {
 public:
  TEntryFieldData();

  // The settings and user data the field refers to (the process's by default).
  void SetIntlSup(const TOvcIntlSup* Intl) { intl_ = Intl; }
  void SetUserData(const TOvcUserData* User) { user_ = User; }
  const TOvcIntlSup& Intl() const { return *intl_; }

  uint8_t DataType() const { return data_type_; }
  // Resets the limits to the type's defaults.
  void SetDataType(uint8_t DataType);
  uint8_t FieldKind() const { return field_kind_; }
  void SetFieldKind(uint8_t Kind) { field_kind_ = Kind; }

  uint16_t MaxLength() const { return max_length_; }
  // A value that differs, lies in 1..255 and is not below the picture length is taken;
  // others are ignored.  Returns whether it was taken.
  bool SetMaxLength(uint16_t Value);
  // A stored value: clamped to 1..255, since the edit buffer holds no more.
  void LoadMaxLength(int32_t Value);

  const std::string& Picture() const { return picture_; }
  // An empty mask is ignored; at most 255 characters are kept.
  void SetPicture(const std::string& Mask);
  // MaxLength picture characters; a simple field repeats its first one.
  std::string GetFullPicture() const;
  uint8_t DecimalPlaces() const { return decimal_places_; }
  void SetDecimalPlaces(uint8_t Value) { decimal_places_ = Value; }
  bool StripLiterals() const { return strip_literals_; }
  void SetStripLiterals(bool Value) { strip_literals_ = Value; }
  // The field's base year of two-digit years; 0 means the controller's.
  int32_t Epoch() const { return epoch_; }
  void SetEpoch(int32_t Value) { epoch_ = Value; }
  // The controller's, as the field's owner last passed it on (1900 until then).
  void SetControllerEpoch(int32_t Value) { controller_epoch_ = Value; }
  // The base year that two-digit years are placed after.
  int32_t CenturyEpoch() const { return epoch_ != 0 ? epoch_ : controller_epoch_; }

  // Size in bytes of the typed value.
  uint16_t DataSize() const;

  // --- picture characters -----------------------------------------------------------
  // Whether Ch may stand under PictureChar; with ChangeCase, Ch is case-forced first.
  bool CharIsOK(char PictureChar, char& Ch, bool ChangeCase, char PrevCh) const;
  void FixCase(char PictureChar, char& Ch, char PrevCh) const;
  static bool IsEditPosChar(char PictureChar);

  // --- values and text ---------------------------------------------------------------
  // Blank-trimmed text to an integer in the base the picture chooses (binary, octal,
  // hexadecimal, else decimal); empty text is 0.
  bool FieldStringToInteger(const std::string& S, int32_t& Value) const;
  // The digits of the base the picture chooses, as wide as the data size asks.
  std::string IntegerToFieldString(int32_t Value) const;
  // A floating value's text: fixed notation with DecimalPlaces digits when it fits (no
  // "-0"), else scientific notation, or the shortest text that reads back as the value
  // when the scientific form would lose digits.  False when that text is wider than
  // MaxLength, the value is beyond the type's bounds or not finite: the value cannot
  // be shown whole.
  bool FloatToFieldText(long double Value, std::string& Text) const;
  // The same text whatever its width (range limits are not shown in the field).
  std::string FloatToFieldString(long double Value) const;
  // A range text to a limit of the data type; false when it does not convert.
  bool StringToRange(const std::string& S, TRangeLimit& Limit) const;
  std::string RangeToString(const TRangeLimit& Limit) const;

  // --- range ------------------------------------------------------------------------
  const TRangeLimit& RangeLoValue() const { return range_lo_; }
  const TRangeLimit& RangeHiValue() const { return range_hi_; }
  void SetRangeLoValue(const TRangeLimit& V) { range_lo_ = V; }
  void SetRangeHiValue(const TRangeLimit& V) { range_hi_ = V; }
  std::string RangeLo() const { return RangeToString(range_lo_); }
  std::string RangeHi() const { return RangeToString(range_hi_); }
  // Bad text raises EInvalidRangeValue and keeps the old limit.
  void SetRangeLo(const std::string& S);
  void SetRangeHi(const std::string& S);
  void SetRangeDefaults();
  bool HasRange() const { return !(range_lo_ == range_hi_); }
  // Whether a value of the data type (as a limit) lies within the range; true
  // without a range.
  bool InRange(const TRangeLimit& Value) const;

  // The value's number for comparisons (integer, floating, date and time types).
  long double LimitNumber(const TRangeLimit& L) const;
  // A floating value in the form of the floating data type (FloatFits first).
  TRangeLimit FloatLimit(long double V) const;
  // Whether V lies within the bounds the floating data type can hold.
  bool FloatFits(long double V) const;
  // A number typed with the international decimal character; blank text is 0.
  bool ReadNumber(const std::string& S, long double& V) const;

 private:
  bool HasPictureChar(char C) const { return picture_.find(C) != std::string::npos; }
  // Whether A and B are the same value once held in the floating data type.
  bool SameFloat(long double A, long double B) const;
  std::string ScientificText(long double V) const;
  std::string ShortestText(long double V) const;
  void SetRange(const std::string& S, TRangeLimit& Limit);

  const TOvcIntlSup* intl_;
  const TOvcUserData* user_;
  uint8_t data_type_ = sftString;
  uint8_t field_kind_ = fkSimple;
  uint16_t max_length_ = 15;
  std::string picture_ = "X";
  uint8_t decimal_places_ = 0;
  bool strip_literals_ = false;
  int32_t epoch_ = 0;
  int32_t controller_epoch_ = 1900;
  TRangeLimit range_lo_, range_hi_;
};

template <class T>
T TRangeLimit::Get() const {
  T V{};
  std::memcpy(&V, Bytes.data(), StoredSize<T>());
  return V;
}

template <class T>
void TRangeLimit::Set(T V) {
  Bytes.fill(0);
  std::memcpy(Bytes.data(), &V, StoredSize<T>());
}

}  // namespace tess
