// The entry fields' reading of outside text: picture masks of any length and content, and
// text read as a value of every data type (range limits, field values, contents checks).
// Every limit accepted prints as text that reads back as the same limit, and printing
// that limit again gives the same text.  And the fuzzed bytes as a value of every simple
// data type, written into a field of any length and read back: the field gives the
// value (as its decimal places keep it) or an error, never another value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "components/core/exceptions.h"
#include "components/entry/entryfield_model.h"
#include "components/entry/entryfield_values.h"
#include "fuzz/fuzz_check.h"

using namespace tess;

namespace {

// The number of a limit, or its bytes for the types without one.
bool SameLimit(const TEntryFieldData& D, const TRangeLimit& A, const TRangeLimit& B) {
  const uint8_t T = D.DataType();
  if (T == sftChar) return A.Get<char>() == B.Get<char>();
  return D.LimitNumber(A) == D.LimitNumber(B);
}

// A field without a window: focus, painting and the controller are not there.
class QuietHost : public TEntryFieldHost {
 public:
  int Reports = 0;
  bool Focused() const override { return false; }
  bool Usable() const override { return true; }
  void Invalidate() override {}
  bool ErrorPending() const override { return false; }
  void SetErrorPending(bool) override {}
  const std::string& ErrorText() const override { return text_; }
  void SetErrorText(const std::string& Value) override { text_ = Value; }
  void PostFocusBack() override {}
  void PostErrorReport(uint16_t) override { ++Reports; }
  void ReportError(uint16_t, const std::string&) override {}

 private:
  std::string text_;
};

// The number a floating value rounds to under printf's Format with Places, in the type.
long double Rounded(const TEntryFieldData& D, const char* Format, int Places, long double V) {
  char Buf[6000];
  std::snprintf(Buf, sizeof Buf, Format, Places, V);
  return D.LimitNumber(D.FloatLimit(std::strtold(Buf, nullptr)));
}

// Bytes as a value of a simple data type, through a field of MaxLength characters.
void ValueRoundTrip(uint8_t Type, uint8_t Picture, uint8_t Places, uint8_t MaxLength,
                    const std::string& Bytes) {
  QuietHost Host;
  TEntryFieldModel F(Host);
  TEntryFieldData& D = F.Data;
  SetSimpleFieldType(D, Type);
  // Integers in every base their pictures choose; floating values in both notations.
  static const char kIntPictures[] = {'i', '9', 'K', 'b', 'O'};
  if (IsIntegerType(Type)) D.SetPicture(std::string(1, kIntPictures[Picture % 5]));
  if (Type >= sftReal && Type <= sftComp && Picture & 1) D.SetPicture("E");
  D.SetDecimalPlaces(Places % 20);
  D.LoadMaxLength(MaxLength);
  const size_t Size = D.DataSize();
  std::vector<char> In(Size + 16, '\0'), Out(Size + 16, '\0');
  std::memcpy(In.data(), Bytes.data(), std::min(Bytes.size(), Size));
  if (Type == sftBoolean || Type == sftYesNo) In[0] = static_cast<char>(In[0] & 1);

  F.SetValue(In.data());
  const bool Refused = Host.Reports != 0;
  const uint16_t Code = F.GetValue(Out.data());
  if (Refused) FUZZ_CHECK(Code != 0);
  if (Code != 0) return;
  FUZZ_CHECK(F.Text().size() <= D.MaxLength());
  if (Type == sftString) {
    FUZZ_CHECK(std::string(In.data(), strnlen(In.data(), Size)) == Out.data());
  } else if (Type <= sftShortInt) {
    FUZZ_CHECK(std::memcmp(In.data(), Out.data(), Size) == 0);
  } else {
    TRangeLimit A, B;
    std::memcpy(A.Bytes.data(), In.data(), Size);
    std::memcpy(B.Bytes.data(), Out.data(), Size);
    // The value as arithmetic sees it (an extended's odd encodings in their proper form).
    const long double V = D.LimitNumber(A) + 0.0L, Back = D.LimitNumber(B);
    FUZZ_CHECK(V == V);  // a value that is no number is refused
    // The value itself, or as the field's decimal places keep it.
    const bool Scientific = D.Picture() == "E";
    FUZZ_CHECK(Back == V || (!Scientific && Back == Rounded(D, "%.*Lf", D.DecimalPlaces(), V)) ||
               (Scientific && D.DecimalPlaces() != 0 &&
                Back == Rounded(D, "%.*LE", D.DecimalPlaces(), V)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  // Byte 0: the data type; byte 1: the length of the picture; byte 2: decimal places;
  // byte 3: MaxLength.  Then the picture and the text.
  const uint8_t Type = static_cast<uint8_t>(sftChar + data[0] % (sftComp - sftChar + 1));
  const size_t PicLen = data[1] % 8;
  const std::string Rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  const std::string Picture = Rest.substr(0, PicLen);
  const std::string Text = Rest.substr(std::min(PicLen, Rest.size()));

  TEntryFieldData D;
  SetSimpleFieldType(D, Type);
  D.SetDecimalPlaces(data[2] % 20);
  D.LoadMaxLength(data[3]);
  if (!Picture.empty()) {
    D.SetFieldKind(data[2] & 0x80 ? fkPicture : fkSimple);
    D.SetPicture(Picture);
  }
  FUZZ_CHECK(D.MaxLength() >= 1 && D.MaxLength() <= 255);
  FUZZ_CHECK(D.Picture().size() >= 1 && D.Picture().size() <= 255);
  FUZZ_CHECK(D.GetFullPicture().size() == D.MaxLength() || D.FieldKind() != fkSimple);
  (void)D.DataSize();
  for (char C : Text.substr(0, 64)) {
    char Ch = C;
    (void)D.CharIsOK(D.Picture()[0], Ch, true, ' ');
  }

  // A range limit read from the text prints and reads back as itself.
  TRangeLimit L;
  if (D.StringToRange(Text, L)) {
    const std::string T1 = D.RangeToString(L);
    TRangeLimit L2;
    FUZZ_CHECK(D.StringToRange(T1, L2));
    const std::string T2 = D.RangeToString(L2);
    TRangeLimit L3;
    FUZZ_CHECK(D.StringToRange(T2, L3));
    FUZZ_CHECK(SameLimit(D, L2, L3));
    FUZZ_CHECK(T1 == T2 || D.DataType() >= sftReal);
    if (D.DataType() != sftChar && D.DataType() < sftReal) FUZZ_CHECK(SameLimit(D, L, L2));
  }

  // The field's own paths: the text as a value, the contents check, the display.
  std::vector<char> Value(static_cast<size_t>(D.DataSize()) + 16, '\0');
  const std::string Edit = Text.substr(0, D.MaxLength());
  TextToFieldValue(D, Edit, Value.data());
  std::string Back;
  if (FieldValueToText(D, Value.data(), Back)) FUZZ_CHECK(Back.size() <= D.MaxLength());
  std::string Checked = Edit;
  (void)CheckFieldContents(D, Checked, true);
  (void)FieldDisplayText(D, Edit, false, false, zdHide, 0);
  try {
    AsStringToFieldValue(D, Text, Value.data());
  } catch (const EEntryFieldError&) {
  }
  int32_t N = 0;
  if (IsIntegerType(D.DataType()) && D.FieldStringToInteger(Text, N)) {
    int32_t M = 0;
    const std::string S = D.IntegerToFieldString(N);
    FUZZ_CHECK(D.FieldStringToInteger(S, M));
  }

  // Every simple data type takes the bytes as a value.
  ValueRoundTrip(static_cast<uint8_t>(data[0] % (sftComp + 1)), data[1], data[2], data[3], Rest);
  return 0;
}
