// The entry fields' reading of outside text: picture masks of any length and content, and
// text read as a value of every data type (range limits, field values, contents checks).
// Every limit accepted prints as text that reads back as the same limit, and printing
// that limit again gives the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "components/entry/entryfield_values.h"
#include "components/core/exceptions.h"
#include "fuzz/fuzz_check.h"

using namespace tess;

namespace {

// The number of a limit, or its bytes for the types without one.
bool SameLimit(const TEntryFieldData& D, const TRangeLimit& A, const TRangeLimit& B) {
  const uint8_t T = D.DataType();
  if (T == sftChar) return A.Get<char>() == B.Get<char>();
  return D.LimitNumber(A) == D.LimitNumber(B);
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
  return 0;
}
