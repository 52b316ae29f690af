// Picture characters, value conversions and range limits of the entry fields.
#include "components/entry/entryfield_data.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "components/core/exceptions.h"
#include "components/core/strutils.h"

namespace tess {

static_assert(LDBL_MANT_DIG == 64, "the extended type is the 80-bit one");

namespace {

bool IsDigitSet(char C) { return C == ' ' || (C >= '0' && C <= '9'); }

// Largest magnitudes of the floating types and Comp.
constexpr long double kRealMax = 1.7e38L;
constexpr long double kDoubleMax = 1.7e308L;
constexpr long double kSingleMax = 3.4e38L;
constexpr long double kCompMax = 9.2e18L;

}  // namespace

bool IsNumericType(uint8_t DataType) { return DataType >= sftLongInt && DataType <= sftComp; }
bool IsIntegerType(uint8_t DataType) { return DataType >= sftLongInt && DataType <= sftShortInt; }

bool DoubleToReal48(double V, TReal48& R) {
  R.fill(0);
  if (!std::isfinite(V)) return false;
  if (V == 0) return true;
  int E = 0;
  const double M = std::frexp(std::fabs(V), &E);  // 0.5 <= M < 1
  // V = 1.f * 2^(E-1); the exponent byte is E - 1 + 129.
  int Exp = E + 128;
  // (2M - 1) * 2^39 is exact in a double's 53 bits before rounding.
  uint64_t Frac = static_cast<uint64_t>(std::nearbyint(std::ldexp(2 * M - 1, 39)));
  if (Frac == (uint64_t{1} << 39)) {
    Frac = 0;
    ++Exp;
  }
  if (Exp > 255) return false;
  if (Exp < 1) return true;  // below the smallest value: zero
  R[0] = static_cast<uint8_t>(Exp);
  for (int I = 1; I <= 5; ++I) R[I] = static_cast<uint8_t>(Frac >> (8 * (I - 1)));
  if (V < 0) R[5] |= 0x80;
  return true;
}

double Real48ToDouble(const TReal48& R) {
  if (R[0] == 0) return 0;
  uint64_t Frac = 0;
  for (int I = 5; I >= 1; --I) Frac = (Frac << 8) | (I == 5 ? R[I] & 0x7F : R[I]);
  const double V = std::ldexp(1.0 + std::ldexp(static_cast<double>(Frac), -39), R[0] - 129);
  return (R[5] & 0x80) ? -V : V;
}

char PictureFixCase(char PictureChar, char Ch, char PrevCh, const TOvcUserData& User) {
  auto AfterSpace = [&] { return PrevCh == ' ' || PrevCh == '-' ? UpCaseChar(Ch) : Ch; };
  switch (PictureChar) {
    case '!': case 'A': case 'B': case 'E': case 'K': case 'N': case 'Y':
      return UpCaseChar(Ch);
    case 'L': case 'l':
      return LoCaseChar(Ch);
    case 'x':
      return AfterSpace();
    default:
      break;
  }
  switch (User.GetForceCase(PictureChar)) {
    case mcUpperCase: return UpCaseChar(Ch);
    case mcLowerCase: return LoCaseChar(Ch);
    case mcMixedCase: return AfterSpace();
    default: return Ch;
  }
}

TEntryFieldData::TEntryFieldData() : intl_(&IntlSup()), user_(&UserData()) {
  SetRangeDefaults();
}

void TEntryFieldData::SetDataType(uint8_t DataType) {
  data_type_ = DataType;
  SetRangeDefaults();
}

bool TEntryFieldData::SetMaxLength(uint16_t Value) {
  if (Value == max_length_ || Value < 1 || Value > 255 || Value < picture_.size()) return false;
  max_length_ = Value;
  return true;
}

void TEntryFieldData::LoadMaxLength(int32_t Value) {
  max_length_ = static_cast<uint16_t>(Value < 1 ? 1 : Value > 255 ? 255 : Value);
}

void TEntryFieldData::SetPicture(const std::string& Mask) {
  if (Mask.empty()) return;
  picture_ = Mask.substr(0, 255);
}

std::string TEntryFieldData::GetFullPicture() const {
  if (field_kind_ == fkSimple) return std::string(max_length_, picture_[0]);
  std::string R = picture_.substr(0, max_length_);
  return R;
}

bool TEntryFieldData::IsEditPosChar(char C) {
  static const std::string kEditPos = "!#123456789ABDEHKLMNOSXYabdhilmnstxy$,";
  return C != '\0' && kEditPos.find(C) != std::string::npos;
}

uint16_t TEntryFieldData::DataSize() const {
  switch (data_type_ & 63) {
    case sftString:
      if ((data_type_ & kPictureStringFlag) && strip_literals_) {
        int EditPositions = 0;
        for (char C : picture_) EditPositions += IsEditPosChar(C);
        return static_cast<uint16_t>(max_length_ - picture_.size() + EditPositions + 1);
      }
      return static_cast<uint16_t>(max_length_ + 1);
    case sftChar: case sftBoolean: case sftYesNo: case sftByte: case sftShortInt: return 1;
    case sftWord: case sftInteger: return 2;
    case sftLongInt: case sftSingle: case sftDate: case sftTime: return 4;
    case sftReal: return 6;
    case sftExtended: return 10;
    case sftDouble: case sftComp: return 8;
    default: return 0;
  }
}

void TEntryFieldData::FixCase(char PictureChar, char& Ch, char PrevCh) const {
  Ch = PictureFixCase(PictureChar, Ch, PrevCh, *user_);
}

bool TEntryFieldData::CharIsOK(char PictureChar, char& Ch, bool ChangeCase, char PrevCh) const {
  if (Ch == '\0') return false;
  if (ChangeCase) FixCase(PictureChar, Ch, PrevCh);
  const unsigned char P = static_cast<unsigned char>(PictureChar);
  if (P < '#' || P > 'y') return true;
  switch (PictureChar) {
    case 'X': case '!': case 'L': case 'x': case 't':
      return true;
    case 'a': case 'A': case 'l': case 'N': case 'n':
      return AlphaCharSet[static_cast<unsigned char>(Ch)];
    case '9': case 'D': case 'H': case 'M': case 'S': case 'd': case 'h': case 'm': case 's':
    case 'y':
      return IsDigitSet(Ch);
    case '#':
      return IsDigitSet(Ch) || Ch == '-' || Ch == '.';
    case 'i':
      return IsDigitSet(Ch) || Ch == '-';
    case 'E':
      return IsDigitSet(Ch) || Ch == '-' || Ch == '.' || Ch == '+' || Ch == 'E';
    case 'K':
      return IsDigitSet(Ch) || (Ch >= 'A' && Ch <= 'F');
    case 'O':
      return Ch == ' ' || (Ch >= '0' && Ch <= '7');
    case 'b':
      return Ch == ' ' || Ch == '0' || Ch == '1';
    case 'B':
      return Ch == intl_->TrueChar() || Ch == intl_->FalseChar();
    case 'Y':
      return Ch == intl_->YesChar() || Ch == intl_->NoChar();
    case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': {
      TCharSet Set;
      user_->GetUserCharSet(PictureChar, Set);
      return Set[static_cast<unsigned char>(Ch)];
    }
    default:
      return true;  // a literal
  }
}

bool TEntryFieldData::FieldStringToInteger(const std::string& Text, int32_t& Value) const {
  const std::string S = Trim(Text);
  if (S.empty()) {
    Value = 0;
    return true;
  }
  // The written digits of a narrow signed type are its two's complement in Width bits
  // (as IntegerToFieldString writes them): read them back as such, so that -1 of a
  // ShortInt, written "FF", reads as -1 and not as 255.
  const uint8_t Type = data_type_ & 63;
  auto Signed = [&](uint32_t V, unsigned Width) {
    if ((Type == sftShortInt || Type == sftInteger) && Width < 32 && V < (1u << Width) &&
        (V >> (Width - 1)) != 0)
      return static_cast<int32_t>(V | ~((1u << Width) - 1));
    return static_cast<int32_t>(V);
  };
  const unsigned Bits = 8u * DataSize();
  if (HasPictureChar('b')) {
    if (S.size() > 32) return false;
    uint32_t V = 0;
    for (char C : S) {
      if (C != '0' && C != '1') return false;
      V = (V << 1) | static_cast<uint32_t>(C - '0');
    }
    Value = Signed(V, Bits);
    return true;
  }
  if (HasPictureChar('O')) {
    uint32_t V = 0;
    for (char C : S) {
      if (C < '0' || C > '7' || (V >> 29) != 0) return false;  // a shift would lose bits
      V = (V << 3) | static_cast<uint32_t>(C - '0');
    }
    Value = Signed(V, Bits == 8 ? 12 : 24);
    return true;
  }
  if (HasPictureChar('K')) {
    int32_t V = 0;
    if (!StrToLongPChar((S[0] == '$' ? S : '$' + S).c_str(), V)) return false;
    Value = Signed(static_cast<uint32_t>(V), Bits);
    return true;
  }
  return StrToLongPChar(S.c_str(), Value);
}

std::string TEntryFieldData::IntegerToFieldString(int32_t Value) const {
  const size_t Size = DataSize();
  char Buf[40];
  auto Last = [](const std::string& S, size_t N) { return N < S.size() ? S.substr(S.size() - N) : S; };
  // The base is chosen in the order reading chooses it, so that a picture holding more
  // than one base character writes text it can read back.
  if (HasPictureChar('b')) return Last(BinaryLPChar(Buf, Value), 8 * Size);
  if (HasPictureChar('O')) return Last(OctalLPChar(Buf, Value), Size == 1 ? 4 : Size == 2 ? 8 : 12);
  if (HasPictureChar('K')) return Last(HexLPChar(Buf, Value), 2 * Size);
  return std::to_string(Value);
}

namespace {

// printf of one number into a text of any length (fixed notation of 1e4932 has 4933
// digits).
std::string Printed(const char* Format, int Precision, long double V) {
  const int N = std::snprintf(nullptr, 0, Format, Precision, V);
  std::string S(static_cast<size_t>(N) + 1, '\0');
  std::snprintf(S.data(), S.size(), Format, Precision, V);
  S.resize(static_cast<size_t>(N));
  return S;
}

// Applies one of the string routines that shorten a text in place.
std::string Trimmed(std::string S, char* (*Trim)(char*)) {
  Trim(S.data());
  S.resize(std::strlen(S.c_str()));
  return S;
}

// "1.2300E+0045" in its shortest form: no trailing zeros, no "+" and no leading zeros in
// the exponent, or fixed notation when that is no longer ("0.001", "1500").
std::string CompactNumber(const std::string& Scientific) {
  const size_t E = Scientific.find('E');
  const bool Negative = Scientific[0] == '-';
  std::string Digits;
  for (size_t I = Negative ? 1 : 0; I < E; ++I)
    if (Scientific[I] != '.') Digits += Scientific[I];
  while (Digits.size() > 1 && Digits.back() == '0') Digits.pop_back();
  const int Exp = std::atoi(Scientific.c_str() + E + 1);
  const std::string Sign = Negative ? "-" : "";
  std::string Sci = Sign + Digits[0];
  if (Digits.size() > 1) Sci += '.' + Digits.substr(1);
  Sci += 'E' + std::to_string(Exp);
  const int N = static_cast<int>(Digits.size());
  // The fixed form's length, to build it only when it wins.
  const int FixedLen = static_cast<int>(Sign.size()) + (Exp >= N - 1 ? Exp + 1
                                                        : Exp >= 0   ? N + 1
                                                                     : N + 1 - Exp);
  if (FixedLen > static_cast<int>(Sci.size())) return Sci;
  if (Exp >= N - 1) return Sign + Digits + std::string(static_cast<size_t>(Exp - N + 1), '0');
  if (Exp >= 0) return Sign + Digits.substr(0, Exp + 1) + '.' + Digits.substr(Exp + 1);
  return Sign + "0." + std::string(static_cast<size_t>(-Exp - 1), '0') + Digits;
}

}  // namespace

bool TEntryFieldData::SameFloat(long double A, long double B) const {
  if (!FloatFits(A) || !FloatFits(B)) return A == B;
  return LimitNumber(FloatLimit(A)) == LimitNumber(FloatLimit(B));
}

std::string TEntryFieldData::ScientificText(long double V) const {
  // Scientific notation in Width characters: sign, digit, point, digits, "E", sign
  // and four exponent digits.
  const int Width =
      decimal_places_ != 0 && decimal_places_ + 9 < max_length_ ? decimal_places_ + 9 : max_length_;
  std::string S = Printed("%.*LE", Width - 9 < 1 ? 1 : Width - 9, V);
  // The C form has at least two exponent digits; ours four.
  const size_t E = S.find('E');
  std::string Exp = S.substr(E + 2);
  while (Exp.size() < 4) Exp = '0' + Exp;
  S = S.substr(0, E + 2) + Exp;
  return Trimmed(Trimmed(S, TrimAllSpacesPChar), TrimEmbeddedZerosPChar);
}

std::string TEntryFieldData::ShortestText(long double V) const {
  if (!std::isfinite(V)) return "";
  // An extended needs 21 significant digits at most to read back as itself.
  for (int Digits = 1; Digits <= 21; ++Digits) {
    const std::string S = Printed("%.*LE", Digits - 1, V);
    if (SameFloat(std::strtold(S.c_str(), nullptr), V)) return CompactNumber(S);
  }
  return "";
}

bool TEntryFieldData::FloatToFieldText(long double Value, std::string& Text) const {
  Text.clear();
  // The value as arithmetic sees it: no "-0", and an extended of an odd encoding (a
  // pseudo-denormal, which printf reads otherwise) in its proper form.
  Value += 0.0L;
  if (!std::isfinite(Value)) return false;
  // What the field keeps of the value: DecimalPlaces digits after the point, in the
  // notation the picture asks for; rounding there is the field's, not a loss.
  long double Kept = Value;
  std::string S;
  bool Done = false;
  if (!HasPictureChar('E')) {
    S = Printed("%.*Lf", decimal_places_, Value);
    if (S.find('.') != std::string::npos) S = Trimmed(S, TrimTrailingZerosPChar);
    if (S[0] == '-' && S.find_first_of("123456789") == std::string::npos) S.erase(0, 1);
    Kept = std::strtold(S.c_str(), nullptr);
    Done = S.size() <= max_length_;
  } else if (decimal_places_ != 0) {
    Kept = std::strtold(Printed("%.*LE", decimal_places_, Value).c_str(), nullptr);
  }
  if (!std::isfinite(Kept)) return false;  // rounded beyond the largest value
  if (!Done) {
    S = ScientificText(Value);
    // The short scientific form may drop digits the value needs: then the value's
    // shortest exact text, which still may not fit.
    if (S.size() > max_length_ || !SameFloat(std::strtold(S.c_str(), nullptr), Kept))
      S = ShortestText(Kept);
    if (S.empty()) return false;  // no text reads back as the value
  }
  for (char& C : S)
    if (C == '.') C = intl_->DecimalChar();
  Text = S;
  return Text.size() <= max_length_ && FloatFits(Value);
}

std::string TEntryFieldData::FloatToFieldString(long double Value) const {
  std::string Text;
  FloatToFieldText(Value, Text);
  return Text;
}

bool TEntryFieldData::ReadNumber(const std::string& Text, long double& V) const {
  const std::string S = Trim(Text);
  if (S.empty()) {
    V = 0;
    return true;
  }
  if (S.size() > 255) return false;
  // Only digits, signs, the decimal character and the exponent: no "inf" or "nan".
  for (char C : S)
    if (!((C >= '0' && C <= '9') || C == '-' || C == '+' || C == 'E' || C == 'e' ||
          C == intl_->DecimalChar() || C == '.'))
      return false;
  char Buf[272];
  std::snprintf(Buf, sizeof Buf, "%s", S.c_str());
  FixRealPrim(Buf, intl_->DecimalChar());
  char* End = nullptr;
  V = std::strtold(Buf, &End);
  return End != Buf && *End == '\0' && std::isfinite(V);
}

bool TEntryFieldData::FloatFits(long double V) const {
  switch (data_type_ & 63) {
    case sftReal: {
      // The bound as the 6-byte real holds it, a little above 1.7e38: the default limits
      // are that value and their exact text must read back.
      static const long double kHeld = [] {
        TReal48 R;
        DoubleToReal48(static_cast<double>(kRealMax), R);
        return static_cast<long double>(Real48ToDouble(R));
      }();
      return std::fabs(V) <= kHeld;
    }
    case sftDouble: return std::fabs(V) <= kDoubleMax;
    case sftSingle: return std::fabs(V) <= kSingleMax;
    case sftComp: return std::fabs(V) <= kCompMax;
    default: return true;
  }
}

TRangeLimit TEntryFieldData::FloatLimit(long double V) const {
  TRangeLimit Limit;
  switch (data_type_ & 63) {
    case sftReal: {
      TReal48 R;
      DoubleToReal48(static_cast<double>(V), R);
      std::memcpy(Limit.Bytes.data(), R.data(), R.size());
      break;
    }
    case sftExtended: Limit.Set<long double>(V); break;
    case sftDouble: Limit.Set<double>(static_cast<double>(V)); break;
    case sftSingle: Limit.Set<float>(static_cast<float>(V)); break;
    default: Limit.Set<int64_t>(static_cast<int64_t>(std::llroundl(V))); break;
  }
  return Limit;
}

bool TEntryFieldData::StringToRange(const std::string& S, TRangeLimit& Limit) const {
  const uint8_t Type = data_type_ & 63;
  switch (Type) {
    case sftChar: {
      char C = ' ';
      if (!S.empty() && S[0] == '#') {
        int32_t Code = 0;
        if (StrToLongPChar(S.c_str() + 1, Code) && Code >= 0 && Code <= 255)
          C = static_cast<char>(Code);
      } else if (!S.empty()) {
        C = S[0];
      }
      Limit.Set<char>(C);
      return true;
    }
    case sftLongInt: case sftWord: case sftInteger: case sftByte: case sftShortInt: {
      int32_t V = 0;
      if (!FieldStringToInteger(S, V)) return false;
      static const int32_t kLo[] = {INT32_MIN, 0, -32768, 0, -128};
      static const int32_t kHi[] = {INT32_MAX, 65535, 32767, 255, 127};
      if (V < kLo[Type - sftLongInt] || V > kHi[Type - sftLongInt]) return false;
      Limit.Set<int32_t>(V);
      return true;
    }
    case sftReal: case sftExtended: case sftDouble: case sftSingle: case sftComp: {
      long double V = 0;
      if (!ReadNumber(S, V) || !FloatFits(V)) return false;
      Limit = FloatLimit(V);
      return true;
    }
    case sftDate: case sftTime: {
      const bool Date = Type == sftDate;
      const std::string P = Date ? intl_->GetDateMask(true) : intl_->GetTimeMask(true);
      if (S.size() != P.size()) return false;
      const int32_t V =
          Date ? intl_->DateStringToDate(S, P, CenturyEpoch()) : intl_->TimeStringToTime(S, P);
      if (V < 0) return false;
      Limit.Set<int32_t>(V);
      return true;
    }
    default:
      return false;
  }
}

long double TEntryFieldData::LimitNumber(const TRangeLimit& L) const {
  switch (data_type_ & 63) {
    case sftChar: return static_cast<unsigned char>(L.Get<char>());
    case sftReal: {
      TReal48 R;
      std::memcpy(R.data(), L.Bytes.data(), R.size());
      return Real48ToDouble(R);
    }
    case sftExtended: return L.Get<long double>();
    case sftDouble: return L.Get<double>();
    case sftSingle: return L.Get<float>();
    case sftComp: return static_cast<long double>(L.Get<int64_t>());
    default: return L.Get<int32_t>();
  }
}

std::string TEntryFieldData::RangeToString(const TRangeLimit& Limit) const {
  const uint8_t Type = data_type_ & 63;
  if (Type == sftChar) {
    const unsigned char C = static_cast<unsigned char>(Limit.Get<char>());
    // "#" alone would read back as a space: the code prefix is written by its code too.
    if (C >= '!' && C != '#') return std::string(1, static_cast<char>(C));
    std::string R(1, '#');
    R += std::to_string(C);
    return R;
  }
  if (IsIntegerType(Type)) return IntegerToFieldString(Limit.Get<int32_t>());
  if (IsNumericType(Type)) return FloatToFieldString(LimitNumber(Limit));
  if (Type == sftDate || Type == sftTime) {
    const int32_t V = Limit.Get<int32_t>();
    if (V < 0) return "";
    return Type == sftDate ? intl_->DateToDateString(V, intl_->GetDateMask(true), false)
                           : intl_->TimeToTimeString(V, intl_->GetTimeMask(true), false);
  }
  return "";
}

void TEntryFieldData::SetRange(const std::string& S, TRangeLimit& Limit) {
  TRangeLimit Copy = Limit;
  if (!StringToRange(S, Copy)) {
    const uint8_t Type = data_type_ & 63;
    throw EInvalidRangeValue(Type, Type == sftDate   ? intl_->GetDateMask(true)
                                   : Type == sftTime ? intl_->GetTimeMask(true)
                                                     : std::string());
  }
  Limit = Copy;
}

void TEntryFieldData::SetRangeLo(const std::string& S) { SetRange(S, range_lo_); }
void TEntryFieldData::SetRangeHi(const std::string& S) { SetRange(S, range_hi_); }

void TEntryFieldData::SetRangeDefaults() {
  range_lo_ = TRangeLimit{};
  range_hi_ = TRangeLimit{};
  auto Ints = [&](int32_t Lo, int32_t Hi) {
    range_lo_.Set<int32_t>(Lo);
    range_hi_.Set<int32_t>(Hi);
  };
  switch (data_type_ & 63) {
    case sftChar:
      range_lo_.Set<char>(' ');
      range_hi_.Set<char>(' ');
      break;
    case sftLongInt: Ints(INT32_MIN, INT32_MAX); break;
    case sftWord: Ints(0, 65535); break;
    case sftInteger: Ints(-32768, 32767); break;
    case sftByte: Ints(0, 255); break;
    case sftShortInt: Ints(-128, 127); break;
    case sftReal: {
      TReal48 Lo, Hi;
      DoubleToReal48(-1.7e38, Lo);
      DoubleToReal48(1.7e38, Hi);
      std::memcpy(range_lo_.Bytes.data(), Lo.data(), Lo.size());
      std::memcpy(range_hi_.Bytes.data(), Hi.data(), Hi.size());
      break;
    }
    case sftExtended:
      range_lo_.Set<long double>(-1.1e4932L);
      range_hi_.Set<long double>(1.1e4932L);
      break;
    case sftDouble:
      range_lo_.Set<double>(-1.7e308);
      range_hi_.Set<double>(1.7e308);
      break;
    case sftSingle:
      range_lo_.Set<float>(-3.4e38f);
      range_hi_.Set<float>(3.4e38f);
      break;
    case sftComp:
      range_lo_.Set<int64_t>(-9200000000000000000LL);
      range_hi_.Set<int64_t>(9200000000000000000LL);
      break;
    case sftDate: Ints(kMinDate, kMaxDate); break;
    case sftTime: Ints(0, kMaxTime); break;
    default: break;
  }
}

bool TEntryFieldData::InRange(const TRangeLimit& Value) const {
  if (!HasRange()) return true;
  const long double V = LimitNumber(Value);
  return V >= LimitNumber(range_lo_) && V <= LimitNumber(range_hi_);
}

}  // namespace tess
