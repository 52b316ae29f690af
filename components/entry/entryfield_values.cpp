// Values and the edit text of an entry field.
#include "components/entry/entryfield_values.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"
#include "framework/core/sysutils.h"

namespace tess {

namespace {

uint8_t TypeOf(const TEntryFieldData& F) { return F.DataType() & 63; }
bool IsFloatType(uint8_t T) { return T >= sftReal && T <= sftComp; }

template <class T>
T Load(const void* Data) {
  T V;
  std::memcpy(&V, Data, sizeof V);
  return V;
}

template <class T>
void Store(void* Data, T V) {
  std::memcpy(Data, &V, sizeof V);
}

int32_t LoadInt(uint8_t Type, const void* Data) {
  switch (Type) {
    case sftWord: return Load<uint16_t>(Data);
    case sftInteger: return Load<int16_t>(Data);
    case sftByte: return Load<uint8_t>(Data);
    case sftShortInt: return Load<int8_t>(Data);
    default: return Load<int32_t>(Data);
  }
}

void StoreInt(uint8_t Type, void* Data, int32_t V) {
  switch (Type) {
    case sftWord: Store(Data, static_cast<uint16_t>(V)); break;
    case sftInteger: Store(Data, static_cast<int16_t>(V)); break;
    case sftByte: Store(Data, static_cast<uint8_t>(V)); break;
    case sftShortInt: Store(Data, static_cast<int8_t>(V)); break;
    default: Store(Data, V); break;
  }
}

// A floating value of the type in Data and back; the limit form is the value form.
long double LoadFloat(const TEntryFieldData& F, const void* Data) {
  TRangeLimit L;
  std::memcpy(L.Bytes.data(), Data, F.DataSize());
  return F.LimitNumber(L);
}

void StoreFloat(const TEntryFieldData& F, void* Data, long double V) {
  const TRangeLimit L = F.FloatLimit(V);
  std::memcpy(Data, L.Bytes.data(), F.DataSize());
}

// One step of V within Lo..Hi: at the limit it faces, nothing, or with Wrap the other
// limit; otherwise V moves by Move and stays within the limits.
template <class T>
bool StepWithin(T& V, T Lo, T Hi, bool Wrap, double Delta, T Move) {
  if ((Delta < 0 && V <= Lo) || (Delta > 0 && V >= Hi)) {
    if (!Wrap) return false;
    V = Delta < 0 ? Hi : Lo;
  } else {
    V += Move;
  }
  V = std::clamp(V, Lo, Hi);
  return true;
}

}  // namespace

void TextToFieldValue(const TEntryFieldData& F, const std::string& Text, void* Data) {
  const uint8_t Type = TypeOf(F);
  const TOvcIntlSup& I = F.Intl();
  const char First = Text.empty() ? '\0' : UpCaseChar(Text[0]);
  switch (Type) {
    case sftString: {
      const size_t N = std::min<size_t>(Text.size(), F.DataSize() - 1u);
      std::memcpy(Data, Text.data(), N);
      static_cast<char*>(Data)[N] = '\0';
      break;
    }
    case sftChar: Store(Data, Text.empty() ? ' ' : Text[0]); break;
    case sftBoolean: Store(Data, First == I.TrueChar()); break;
    case sftYesNo: Store(Data, First == I.YesChar()); break;
    default:
      if (IsIntegerType(Type)) {
        int32_t V = 0;
        if (!F.FieldStringToInteger(Text, V)) V = 0;
        StoreInt(Type, Data, V);
      } else if (IsFloatType(Type)) {
        long double V = 0;
        if (!F.ReadNumber(Text, V) || !F.FloatFits(V)) V = 0;
        StoreFloat(F, Data, V);
      } else {
        // Dates and times are edited under the international pictures.
        const int32_t V = Type == sftDate
                              ? I.DateStringToDate(Text, I.GetDateMask(true), F.CenturyEpoch())
                              : I.TimeStringToTime(Text, I.GetTimeMask(true));
        Store(Data, V);
      }
  }
}

bool FieldValueToText(const TEntryFieldData& F, const void* Data, std::string& Text) {
  const uint8_t Type = TypeOf(F);
  const TOvcIntlSup& I = F.Intl();
  std::string R;
  switch (Type) {
    case sftString: {
      const char* S = static_cast<const char*>(Data);
      R.assign(S, strnlen(S, F.DataSize()));
      const std::string Full = F.GetFullPicture();
      for (size_t K = 0; K < R.size() && K < Full.size(); ++K)
        F.FixCase(Full[K], R[K], K == 0 ? ' ' : R[K - 1]);
      break;
    }
    case sftChar:
      R.assign(1, Load<char>(Data));
      break;
    case sftBoolean:
      R.assign(1, Load<bool>(Data) ? I.TrueChar() : I.FalseChar());
      break;
    case sftYesNo:
      R.assign(1, Load<bool>(Data) ? I.YesChar() : I.NoChar());
      break;
    default:
      if (IsIntegerType(Type)) {
        R = F.IntegerToFieldString(LoadInt(Type, Data));
      } else if (IsFloatType(Type)) {
        if (!F.FloatToFieldText(LoadFloat(F, Data), R)) return false;
      } else if (const int32_t V = Load<int32_t>(Data); V >= 0) {
        R = Type == sftDate ? I.DateToDateString(V, I.GetDateMask(true), false)
                            : I.TimeToTimeString(V, I.GetTimeMask(true), false);
      }
  }
  if (R.size() > F.MaxLength()) return false;
  Text = std::move(R);
  return true;
}

void AsStringToFieldValue(const TEntryFieldData& F, const std::string& S, void* Data) {
  const uint8_t Type = TypeOf(F);
  if (Type == sftString) {
    TextToFieldValue(F, S.substr(0, 255), Data);
    return;
  }
  if (Type == sftBoolean || Type == sftYesNo) {
    const char First = S.empty() ? '\0' : UpCaseChar(S[0]);
    Store(Data, !S.empty() && (First == F.Intl().TrueChar() || First == F.Intl().YesChar()));
    return;
  }
  TRangeLimit L;
  if (!F.StringToRange(S, L)) throw EEntryFieldError();
  if (Type == sftChar) {
    Store(Data, L.Get<char>());
  } else if (IsIntegerType(Type)) {
    StoreInt(Type, Data, L.Get<int32_t>());
  } else {
    std::memcpy(Data, L.Bytes.data(), F.DataSize());
  }
}

uint16_t CheckFieldContents(const TEntryFieldData& F, std::string& Text, bool Normalize) {
  const uint8_t Type = TypeOf(F);
  const TOvcIntlSup& I = F.Intl();
  TRangeLimit V;
  switch (Type) {
    case sftString: return 0;
    case sftChar:
      if (!F.HasRange()) return 0;
      V.Set<char>(Text.empty() ? ' ' : Text[0]);
      return F.InRange(V) ? 0 : oeRangeError;
    case sftBoolean:
    case sftYesNo: {
      const char C = Text.empty() ? '\0' : UpCaseChar(Text[0]);
      const bool Ok = Type == sftBoolean ? C == I.TrueChar() || C == I.FalseChar()
                                         : C == I.YesChar() || C == I.NoChar();
      return Ok ? 0 : oeRangeError;
    }
    case sftDate:
    case sftTime: {
      int32_t D = 0;
      TextToFieldValue(F, Text, &D);
      if (D < 0) return Type == sftDate ? oeInvalidDate : oeInvalidTime;
      V.Set<int32_t>(D);
      return F.InRange(V) ? 0 : oeRangeError;
    }
    default:
      break;
  }
  if (IsIntegerType(Type)) {
    int32_t N = 0;
    if (!F.FieldStringToInteger(Text, N)) return oeInvalidNumber;
    V.Set<int32_t>(N);
    if (!F.InRange(V)) return oeRangeError;
    if (Normalize) Text = F.IntegerToFieldString(N);
    return 0;
  }
  long double N = 0;
  if (!F.ReadNumber(Text, N)) return oeInvalidNumber;
  if (!F.FloatFits(N)) return oeRangeError;
  const long double Lo = F.LimitNumber(F.RangeLoValue()), Hi = F.LimitNumber(F.RangeHiValue());
  if (F.HasRange() && (N < Lo || N > Hi)) return oeRangeError;
  // The typed text stays when the value's own form does not fit: it is exact.
  std::string Own;
  if (Normalize && F.FloatToFieldText(N, Own)) Text = Own;
  return 0;
}

bool StepFieldValue(const TEntryFieldData& F, std::string& Text, bool Wrap, double Delta) {
  const uint8_t Type = TypeOf(F);
  const TOvcIntlSup& I = F.Intl();
  switch (Type) {
    case sftString:
    case sftDate:
    case sftTime:
      return false;
    case sftBoolean:
    case sftYesNo: {
      const char C = Text.empty() ? '\0' : UpCaseChar(Text[0]);
      const char Yes = Type == sftBoolean ? I.TrueChar() : I.YesChar();
      const char No = Type == sftBoolean ? I.FalseChar() : I.NoChar();
      Text = std::string(1, C == Yes ? No : Yes);
      return true;
    }
    case sftChar: {
      int Lo = 1, Hi = 255;
      if (F.HasRange()) {
        Lo = static_cast<unsigned char>(F.RangeLoValue().Get<char>());
        Hi = static_cast<unsigned char>(F.RangeHiValue().Get<char>());
      }
      const int Step = Delta == 1.0 ? 1 : -1;
      int C = Text.empty() ? ' ' : static_cast<unsigned char>(Text[0]);
      if (!Wrap && ((Step > 0 && C >= Hi) || (Step < 0 && C <= Lo))) return false;
      const char Pic = F.GetFullPicture()[0];
      // One turn through every code at most, so a picture or range that admits nothing
      // ends the step instead of looping.
      for (int Tries = 0; Tries < 256; ++Tries) {
        C = (C + Step + 256) % 256;
        char Ch = static_cast<char>(C);
        if (!F.CharIsOK(Pic, Ch, true, ' ')) continue;
        const int Code = static_cast<unsigned char>(Ch);
        if (Code >= Lo && Code <= Hi) {
          Text = std::string(1, Ch);
          return true;
        }
        if (!Wrap) return false;
      }
      return false;
    }
    default:
      break;
  }
  if (IsIntegerType(Type)) {
    int32_t V = 0;
    // A step that rounds to nothing is no step, at a limit neither.
    if (!F.FieldStringToInteger(Text, V) || std::llround(Delta) == 0) return false;
    int64_t N = V;
    if (!StepWithin<int64_t>(N, F.RangeLoValue().Get<int32_t>(), F.RangeHiValue().Get<int32_t>(),
                             Wrap, Delta, std::llround(Delta)))
      return false;
    const std::string Stepped = F.IntegerToFieldString(static_cast<int32_t>(N));
    if (Stepped == Text || Stepped.size() > F.MaxLength()) return false;
    Text = Stepped;
    return true;
  }
  long double V = 0;
  if (!F.ReadNumber(Text, V)) return false;
  if (!StepWithin<long double>(V, F.LimitNumber(F.RangeLoValue()), F.LimitNumber(F.RangeHiValue()),
                               Wrap, Delta, Delta))
    return false;
  // A step too small to show, or to a value the field cannot show whole, changes nothing.
  std::string Stepped;
  if (!F.FloatToFieldText(V, Stepped) || Stepped == Text) return false;
  Text = Stepped;
  return true;
}

std::string FieldDisplayText(const TEntryFieldData& F, const std::string& EditText, bool Focused,
                             bool Modified, TZeroDisplay ZeroDisplay, double ZeroValue) {
  std::string R = EditText;
  for (char& C : R)
    if (static_cast<unsigned char>(C) < 32) C = static_cast<char>(C + 64);
  const uint8_t Type = TypeOf(F);
  if (!IsNumericType(Type) || Focused) return R;
  if (ZeroDisplay == zdHide || (ZeroDisplay == zdHideUntilModified && !Modified)) {
    long double V = 0;
    bool Ok;
    if (IsIntegerType(Type)) {
      int32_t N = 0;
      Ok = F.FieldStringToInteger(EditText, N);
      V = N;
    } else {
      Ok = F.ReadNumber(EditText, V);
    }
    if (Ok && V == static_cast<long double>(ZeroValue)) R.assign(R.size(), ' ');
  }
  return R;
}

std::string DefaultFieldText(const TEntryFieldData& F) {
  const uint8_t Type = TypeOf(F);
  if (Type == sftChar) {
    const TRangeLimit& Lo = F.RangeLoValue();
    TRangeLimit Space;
    Space.Set<char>(' ');
    return std::string(1, !F.HasRange() || F.InRange(Space) ? ' ' : Lo.Get<char>());
  }
  if (IsIntegerType(Type)) {
    TRangeLimit Zero;
    Zero.Set<int32_t>(0);
    return F.IntegerToFieldString(F.InRange(Zero) ? 0 : F.RangeLoValue().Get<int32_t>());
  }
  if (IsFloatType(Type)) {
    const long double Lo = F.LimitNumber(F.RangeLoValue()), Hi = F.LimitNumber(F.RangeHiValue());
    const long double V = Lo <= 0 && 0 <= Hi ? 0 : Type == sftComp ? std::roundl(Lo) : Lo;
    // A default the field cannot show whole is left empty for validation to catch.
    std::string Text;
    F.FloatToFieldText(V, Text);
    return Text.size() <= F.MaxLength() ? Text : "";
  }
  return "";
}

void SetSimpleFieldType(TEntryFieldData& F, uint8_t DataType) {
  struct Defaults {
    uint16_t MaxLength;
    char Picture;
  };
  // Every value of the type fits its length: "-2147483648" in 11, "-32768" in 6, a Comp's
  // 19 digits and sign in 20, and the floating types' shortest exact texts, whose
  // longest are "-1.7976931348623157E308" (Double, 23) and the extended's 21 digits with
  // a four-digit exponent (28).
  static const Defaults kDefaults[] = {{15, 'X'}, {1, 'X'},  {1, 'B'},  {1, 'Y'}, {11, 'i'},
                                       {5, '9'},  {6, 'i'},  {3, '9'},  {4, 'i'}, {18, '#'},
                                       {28, '#'}, {23, '#'}, {14, '#'}, {20, 'i'}};
  if (DataType > sftComp) throw EOvcException(ComponentString(kInvalidParameter));
  F.SetDataType(DataType);
  F.SetFieldKind(fkSimple);
  F.SetPicture(std::string(1, kDefaults[DataType].Picture));
  F.LoadMaxLength(kDefaults[DataType].MaxLength);
  F.SetDecimalPlaces(0);
}

std::string FieldErrorText(uint16_t Code, const std::string& ControllerText) {
  if (Code >= oeRangeError && Code <= oePartialEntry)
    return ComponentString(static_cast<uint16_t>(34179 + Code - oeRangeError));
  if (Code >= oeCustomError) return ControllerText;
  return ComponentString(kEntryError);
}

}  // namespace tess
