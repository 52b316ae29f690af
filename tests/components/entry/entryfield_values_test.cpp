// Values through the edit text of a simple field: every type's text and back, the
// type check, stepping with and without Wrap, the display form and the defaults.
#include "components/entry/entryfield_values.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "components/core/exceptions.h"

namespace tess {
namespace {

TEntryFieldData Simple(uint8_t Type) {
  TEntryFieldData F;
  SetSimpleFieldType(F, Type);
  return F;
}

template <class T>
T ValueOf(const TEntryFieldData& F, const std::string& Text) {
  T V{};
  TextToFieldValue(F, Text, &V);
  return V;
}

template <class T>
std::string TextOf(const TEntryFieldData& F, T V) {
  std::string S = "(refused)";
  FieldValueToText(F, &V, S);
  return S;
}

TEST(EntryFieldValues, EveryIntegerValueFitsAndReadsBack) {
  std::mt19937 Gen(5);
  const auto Check = [&](uint8_t Type, auto Sample) {
    using T = decltype(Sample);
    TEntryFieldData F = Simple(Type);
    for (T V : {std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), T(0)}) {
      const std::string S = TextOf(F, V);
      EXPECT_LE(S.size(), F.MaxLength()) << S;
      EXPECT_EQ(ValueOf<T>(F, S), V);
      EXPECT_EQ(CheckFieldContents(F, const_cast<std::string&>(S), false), 0);
    }
    for (int I = 0; I < 3000; ++I) {
      const T V = static_cast<T>(Gen());
      ASSERT_EQ(ValueOf<T>(F, TextOf(F, V)), V);
    }
  };
  Check(sftLongInt, int32_t{});
  Check(sftWord, uint16_t{});
  Check(sftInteger, int16_t{});
  Check(sftByte, uint8_t{});
  Check(sftShortInt, int8_t{});
}

TEST(EntryFieldValues, FloatingTypesAndOthers) {
  TEntryFieldData D = Simple(sftDouble);
  D.SetDecimalPlaces(4);
  EXPECT_EQ(TextOf(D, 2.5), "2.5");
  EXPECT_EQ(ValueOf<double>(D, "-12.125"), -12.125);
  EXPECT_EQ(ValueOf<double>(D, "junk"), 0.0);
  TEntryFieldData E = Simple(sftExtended);
  E.SetDecimalPlaces(10);
  const long double Third = 1.0L / 3;
  EXPECT_EQ(TextOf(E, Third), "0.3333333333");
  TEntryFieldData R = Simple(sftReal);
  R.SetDecimalPlaces(2);
  TReal48 Six{};
  TextToFieldValue(R, "1.75", Six.data());
  EXPECT_EQ(Real48ToDouble(Six), 1.75);
  EXPECT_EQ(TextOf(R, Six), "1.75");
  TEntryFieldData C = Simple(sftComp);
  EXPECT_EQ(ValueOf<int64_t>(C, "9000000000000000000"), 9000000000000000000LL);
  EXPECT_EQ(TextOf(C, int64_t{-42}), "-42");

  TEntryFieldData B = Simple(sftBoolean);
  EXPECT_TRUE(ValueOf<bool>(B, "t"));
  EXPECT_FALSE(ValueOf<bool>(B, "x"));
  EXPECT_EQ(TextOf(B, true), "T");
  TEntryFieldData Y = Simple(sftYesNo);
  EXPECT_EQ(TextOf(Y, false), "N");
  TEntryFieldData S = Simple(sftString);
  S.SetPicture("!");
  EXPECT_EQ(TextOf(S, std::array<char, 16>{"abc"}), "ABC");
  char Buf[16];
  TextToFieldValue(S, std::string(40, 'q'), Buf);
  EXPECT_EQ(std::strlen(Buf), 15u);
  EXPECT_THROW(SetSimpleFieldType(S, 14), EOvcException);
}

// With the type's own length and no decimal places, every value of every floating type
// and Comp is shown whole: its text fits and reads back as the value rounded to whole
// numbers, never as a value cut to the room.
TEST(EntryFieldValues, EveryFloatingValueFitsAndReadsBack) {
  std::mt19937_64 Gen(11);
  const auto Check = [&](uint8_t Type, auto Sample) {
    using T = decltype(Sample);
    TEntryFieldData F = Simple(Type);
    for (int I = 0; I < 4000; ++I) {
      T V{};
      std::array<uint8_t, 16> Bytes{};
      for (auto& B : Bytes) B = static_cast<uint8_t>(Gen());
      std::memcpy(&V, Bytes.data(), F.DataSize());
      TRangeLimit L;
      std::memcpy(L.Bytes.data(), &V, F.DataSize());
      const long double N = F.LimitNumber(L);
      if (!std::isfinite(N) || !F.FloatFits(N)) continue;
      const std::string S = TextOf(F, V);
      ASSERT_LE(S.size(), F.MaxLength()) << S;
      T Back{};
      TextToFieldValue(F, S, &Back);
      TRangeLimit BL;
      std::memcpy(BL.Bytes.data(), &Back, F.DataSize());
      // Whole numbers are what no decimal places keep.
      ASSERT_EQ(F.LimitNumber(BL), F.LimitNumber(F.FloatLimit(std::nearbyintl(N))))
          << S << " for " << static_cast<double>(N);
    }
  };
  Check(sftReal, std::array<uint8_t, 6>{});
  Check(sftExtended, (long double){});
  Check(sftDouble, double{});
  Check(sftSingle, float{});
  Check(sftComp, int64_t{});
}

// An extended of an odd encoding (a pseudo-denormal: exponent 0, integer bit set) is
// shown as the number arithmetic takes it for, which printf alone reads otherwise.
TEST(EntryFieldValues, OddExtendedEncodingReadsBackAsItself) {
  TEntryFieldData E = Simple(sftExtended);
  E.SetPicture("E");
  E.LoadMaxLength(255);
  const std::array<uint8_t, 10> Bytes{0x4f, 0x00, 0x39, 0x37, 0x36, 0x27, 0x30, 0x9b, 0, 0};
  long double V;
  std::memcpy(&V, Bytes.data(), Bytes.size());
  const std::string S = TextOf(E, Bytes);
  EXPECT_EQ(ValueOf<long double>(E, S), V + 0.0L) << S;
  // Near the largest extended, one decimal place rounds beyond it: refused, not shown as
  // an infinity.
  E.SetDecimalPlaces(1);
  EXPECT_EQ(TextOf(E, -LDBL_MAX), "(refused)");
}

TEST(EntryFieldValues, NoNegativeZero) {
  TEntryFieldData D = Simple(sftDouble);
  EXPECT_EQ(TextOf(D, -1e-7), "0");
  EXPECT_EQ(TextOf(D, -0.0), "0");
  D.SetDecimalPlaces(2);
  EXPECT_EQ(TextOf(D, -0.001), "0");
  EXPECT_EQ(TextOf(D, -0.01), "-0.01");
  std::string T = "-0.004";
  EXPECT_EQ(CheckFieldContents(D, T, true), 0);
  EXPECT_EQ(T, "0");
}

TEST(EntryFieldValues, AsStringConversions) {
  bool Flag = false;
  AsStringToFieldValue(Simple(sftBoolean), "yes", &Flag);  // the yes letter counts too
  EXPECT_TRUE(Flag);
  AsStringToFieldValue(Simple(sftBoolean), "", &Flag);
  EXPECT_FALSE(Flag);
  char Ch = 0;
  AsStringToFieldValue(Simple(sftChar), "#65", &Ch);
  EXPECT_EQ(Ch, 'A');
  uint8_t Byte = 0;
  AsStringToFieldValue(Simple(sftByte), "255", &Byte);
  EXPECT_EQ(Byte, 255);
  EXPECT_THROW(AsStringToFieldValue(Simple(sftByte), "256", &Byte), EEntryFieldError);
  EXPECT_THROW(AsStringToFieldValue(Simple(sftWord), "x", &Byte), EEntryFieldError);
  float Single = 0;
  EXPECT_THROW(AsStringToFieldValue(Simple(sftSingle), "1E39", &Single), EEntryFieldError);
  AsStringToFieldValue(Simple(sftSingle), "0.25", &Single);
  EXPECT_EQ(Single, 0.25f);
}

TEST(EntryFieldValues, ContentsCheck) {
  TEntryFieldData I = Simple(sftInteger);
  std::string T = "12a";
  EXPECT_EQ(CheckFieldContents(I, T, true), oeInvalidNumber);
  I.SetRangeLo("-5");
  I.SetRangeHi("5");
  T = "6";
  EXPECT_EQ(CheckFieldContents(I, T, true), oeRangeError);
  T = " 005";
  EXPECT_EQ(CheckFieldContents(I, T, true), 0);
  EXPECT_EQ(T, "5");

  TIntlValues Comma({{"sDecimal", ","}, {"sThousand", "."}});
  TOvcIntlSup Intl(Comma);
  TEntryFieldData D;
  D.SetIntlSup(&Intl);
  SetSimpleFieldType(D, sftDouble);
  D.SetDecimalPlaces(2);
  T = "1,50";
  EXPECT_EQ(CheckFieldContents(D, T, true), 0);
  EXPECT_EQ(T, "1,5");
  T = "1.5.";
  EXPECT_EQ(CheckFieldContents(D, T, false), oeInvalidNumber);
  TEntryFieldData S = Simple(sftSingle);
  T = "1E39";
  EXPECT_EQ(CheckFieldContents(S, T, false), oeRangeError);

  TEntryFieldData C = Simple(sftChar);
  C.SetRangeLo("a");
  C.SetRangeHi("f");
  T = "g";
  EXPECT_EQ(CheckFieldContents(C, T, false), oeRangeError);
  TEntryFieldData B = Simple(sftYesNo);
  T = "n";
  EXPECT_EQ(CheckFieldContents(B, T, false), 0);
  T = "T";
  EXPECT_EQ(CheckFieldContents(B, T, false), oeRangeError);
}

TEST(EntryFieldValues, SteppingWithAndWithoutWrap) {
  TEntryFieldData I = Simple(sftLongInt);
  std::string T = "2147483647";
  EXPECT_FALSE(StepFieldValue(I, T, false, 1.0));
  EXPECT_TRUE(StepFieldValue(I, T, true, 1.0));
  EXPECT_EQ(T, "-2147483648");
  EXPECT_TRUE(StepFieldValue(I, T, false, 10.0) && T == "-2147483638");
  I.SetRangeLo("0");
  I.SetRangeHi("9");
  T = "7";
  EXPECT_TRUE(StepFieldValue(I, T, false, 5.0));
  EXPECT_EQ(T, "9");  // limited to the range
  T = "0";
  EXPECT_TRUE(StepFieldValue(I, T, true, -1.0));
  EXPECT_EQ(T, "9");
  T = "x";
  EXPECT_FALSE(StepFieldValue(I, T, true, 1.0));
  T = "9";  // a step that rounds to nothing, even at the limit with Wrap
  EXPECT_FALSE(StepFieldValue(I, T, true, 0.4));
  EXPECT_EQ(T, "9");

  TEntryFieldData D = Simple(sftDouble);
  D.SetDecimalPlaces(1);
  D.SetRangeLo("0");
  D.SetRangeHi("1");
  T = "0.5";
  EXPECT_TRUE(StepFieldValue(D, T, false, 0.25));
  EXPECT_EQ(T, "0.8");
  EXPECT_TRUE(StepFieldValue(D, T, false, 0.5));
  EXPECT_EQ(T, "1");
  EXPECT_FALSE(StepFieldValue(D, T, false, 0.5));

  TEntryFieldData C = Simple(sftChar);
  C.SetRangeLo("a");
  C.SetRangeHi("c");
  T = "c";
  EXPECT_FALSE(StepFieldValue(C, T, false, 1.0));
  EXPECT_TRUE(StepFieldValue(C, T, true, 1.0));
  EXPECT_EQ(T, "a");
  T = "a";
  EXPECT_TRUE(StepFieldValue(C, T, true, -1.0));
  EXPECT_EQ(T, "c");
  // Upper-casing pictures skip the letters they turn into others.
  TEntryFieldData U = Simple(sftChar);
  U.SetPicture("K");
  T = "9";
  EXPECT_TRUE(StepFieldValue(U, T, false, 1.0));
  EXPECT_EQ(T, "A");
  // A picture that admits nothing within the range ends the step.
  U.SetRangeLo("g");
  U.SetRangeHi("z");
  T = "g";
  EXPECT_FALSE(StepFieldValue(U, T, true, 1.0));

  TEntryFieldData B = Simple(sftBoolean);
  T = "T";
  EXPECT_TRUE(StepFieldValue(B, T, false, -3.0));
  EXPECT_EQ(T, "F");
  EXPECT_TRUE(StepFieldValue(B, T, false, 1.0));
  EXPECT_EQ(T, "T");
}

TEST(EntryFieldValues, DisplayDefaultsAndMessages) {
  TEntryFieldData S = Simple(sftString);
  EXPECT_EQ(FieldDisplayText(S, std::string("a\x01z"), false, false, zdHide, 0), "aAz");
  TEntryFieldData I = Simple(sftInteger);
  EXPECT_EQ(FieldDisplayText(I, "0", false, false, zdHide, 0), " ");
  EXPECT_EQ(FieldDisplayText(I, "0", true, false, zdHide, 0), "0");
  EXPECT_EQ(FieldDisplayText(I, "0", false, true, zdHideUntilModified, 0), "0");
  EXPECT_EQ(FieldDisplayText(I, "0", false, false, zdHideUntilModified, 0), " ");
  EXPECT_EQ(FieldDisplayText(I, "7", false, false, zdHide, 7), " ");
  EXPECT_EQ(FieldDisplayText(I, "7", false, false, zdShow, 7), "7");

  EXPECT_EQ(DefaultFieldText(I), "0");
  I.SetRangeLo("5");
  I.SetRangeHi("10");
  EXPECT_EQ(DefaultFieldText(I), "5");
  TEntryFieldData C = Simple(sftChar);
  EXPECT_EQ(DefaultFieldText(C), " ");
  C.SetRangeLo("a");
  C.SetRangeHi("z");
  EXPECT_EQ(DefaultFieldText(C), "a");
  TEntryFieldData Comp = Simple(sftComp);
  EXPECT_EQ(DefaultFieldText(Comp), "0");
  TEntryFieldData D = Simple(sftDouble);
  D.SetDecimalPlaces(2);
  D.SetRangeLo("2.5");
  D.SetRangeHi("3");
  EXPECT_EQ(DefaultFieldText(D), "2.5");

  EXPECT_EQ(FieldErrorText(oeRequiredField, ""), "A value is required in this field");
  EXPECT_EQ(FieldErrorText(oePartialEntry, ""),
            "This field should be either empty or completely full");
  EXPECT_EQ(FieldErrorText(oeCustomError + 1, "mine"), "mine");
  EXPECT_EQ(FieldErrorText(300, "mine"), "Entry Error");
}

}  // namespace
}  // namespace tess
