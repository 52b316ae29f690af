// The entry fields' data: picture characters, integer text in every base, floating
// text, the 6-byte real, range texts and their limits.
#include "components/entry/entryfield_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "components/core/exceptions.h"

namespace tess {
namespace {

TEST(Real48, KnownFormsAndRoundTrips) {
  TReal48 R;
  ASSERT_TRUE(DoubleToReal48(1.0, R));
  EXPECT_EQ(R, (TReal48{0x81, 0, 0, 0, 0, 0}));
  ASSERT_TRUE(DoubleToReal48(-0.5, R));
  EXPECT_EQ(R, (TReal48{0x80, 0, 0, 0, 0, 0x80}));
  ASSERT_TRUE(DoubleToReal48(0.0, R));
  EXPECT_EQ(R[0], 0);
  EXPECT_FALSE(DoubleToReal48(1.8e38, R));
  EXPECT_FALSE(DoubleToReal48(INFINITY, R));
  EXPECT_TRUE(DoubleToReal48(1.7e38, R));
  ASSERT_TRUE(DoubleToReal48(1e-40, R));  // below the smallest value
  EXPECT_EQ(Real48ToDouble(R), 0.0);

  std::mt19937_64 Gen(7);
  std::uniform_real_distribution<double> Mant(-1, 1);
  std::uniform_int_distribution<int> Exp(-120, 120);
  for (int I = 0; I < 20000; ++I) {
    // 39 fraction bits survive exactly; anything else within half a unit.
    const double Exact = std::ldexp(std::round(std::ldexp(Mant(Gen), 39)), Exp(Gen) - 39);
    ASSERT_TRUE(DoubleToReal48(Exact, R));
    ASSERT_EQ(Real48ToDouble(R), Exact);
    const double V = std::ldexp(Mant(Gen), Exp(Gen));
    ASSERT_TRUE(DoubleToReal48(V, R));
    ASSERT_LE(std::fabs(Real48ToDouble(R) - V), std::fabs(V) * std::ldexp(1.0, -40));
  }
}

// An integer field of the given type and picture.
TEntryFieldData IntField(uint8_t Type, const std::string& Picture) {
  TEntryFieldData F;
  F.SetDataType(Type);
  F.SetFieldKind(fkPicture);
  F.SetMaxLength(40);
  F.SetPicture(Picture);
  return F;
}

TEST(EntryFieldData, IntegerTextInEveryBase) {
  std::mt19937 Gen(11);
  const uint8_t Types[] = {sftLongInt, sftWord, sftByte};
  // Pictures with more than one base character write in the base they read.
  for (const char* Picture : {"99999", "KKKKKKKK", "OOOOOOOOOOOO", "bbbbbbbb", "KKOO", "KKbb", "OOKbb"}) {
    for (uint8_t Type : Types) {
      TEntryFieldData F = IntField(Type, Picture);
      const unsigned Bits = 8 * F.DataSize();
      for (int I = 0; I < 2000; ++I) {
        const int32_t V = static_cast<int32_t>(Gen());
        // Written text keeps at least the bits of the data size (octal keeps whole
        // digits beyond them), which the field narrows to its type; decimal keeps the value.
        const bool Decimal = Picture[0] == '9';
        const uint32_t Mask = Bits == 32 ? 0xFFFFFFFFu : (1u << Bits) - 1;
        const int32_t Want = Decimal ? V : static_cast<int32_t>(static_cast<uint32_t>(V) & Mask);
        int32_t Back = 0;
        ASSERT_TRUE(F.FieldStringToInteger(F.IntegerToFieldString(V), Back)) << Picture;
        if (!Decimal) Back = static_cast<int32_t>(static_cast<uint32_t>(Back) & Mask);
        ASSERT_EQ(Back, Want) << Picture << " " << F.IntegerToFieldString(V);
      }
    }
  }
  int32_t V = 0;
  TEntryFieldData Hex = IntField(sftLongInt, "KKKK");
  EXPECT_EQ(Hex.IntegerToFieldString(255), "000000FF");
  EXPECT_TRUE(Hex.FieldStringToInteger(" ffffffff ", V));
  EXPECT_EQ(V, -1);
  EXPECT_FALSE(Hex.FieldStringToInteger("1FFFFFFFF", V));
  EXPECT_FALSE(Hex.FieldStringToInteger("G", V));
  TEntryFieldData Oct = IntField(sftLongInt, "OOOO");
  EXPECT_TRUE(Oct.FieldStringToInteger("37777777777", V));
  EXPECT_EQ(V, -1);
  EXPECT_FALSE(Oct.FieldStringToInteger("77777777777", V));  // 33 bits
  EXPECT_FALSE(Oct.FieldStringToInteger("8", V));
  EXPECT_EQ(IntField(sftByte, "OOOO").IntegerToFieldString(-1), "7777");
  TEntryFieldData Bin = IntField(sftInteger, "bbbb");
  EXPECT_EQ(Bin.IntegerToFieldString(5), "0000000000000101");
  EXPECT_FALSE(Bin.FieldStringToInteger(std::string(33, '1'), V));
  EXPECT_FALSE(Bin.FieldStringToInteger("102", V));
  TEntryFieldData Dec = IntField(sftLongInt, "iiii");
  EXPECT_TRUE(Dec.FieldStringToInteger("-2147483648", V));
  EXPECT_EQ(V, INT32_MIN);
  EXPECT_FALSE(Dec.FieldStringToInteger("2147483648", V));
  EXPECT_FALSE(Dec.FieldStringToInteger("12a", V));
  EXPECT_TRUE(Dec.FieldStringToInteger("   ", V));
  EXPECT_EQ(V, 0);
}

// Every value of the narrow signed types, in every base, prints as a limit text that
// reads back as itself (negative ones through their two's complement digits).
TEST(EntryFieldData, SignedValuesRoundTripInEveryBase) {
  for (const char* Picture : {"9", "K", "O", "b"}) {
    for (uint8_t Type : {sftShortInt, sftInteger}) {
      TEntryFieldData F = IntField(Type, Picture);
      const int32_t Lo = Type == sftShortInt ? -128 : -32768;
      for (int32_t V = Lo; V <= -Lo - 1; ++V) {
        TRangeLimit L, Back;
        L.Set<int32_t>(V);
        const std::string T = F.RangeToString(L);
        ASSERT_TRUE(F.StringToRange(T, Back)) << Picture << " " << V << " " << T;
        ASSERT_EQ(Back.Get<int32_t>(), V) << Picture << " " << T;
      }
    }
  }
  int32_t V = 0;
  EXPECT_TRUE(IntField(sftShortInt, "K").FieldStringToInteger("FF", V));
  EXPECT_EQ(V, -1);
  EXPECT_TRUE(IntField(sftByte, "K").FieldStringToInteger("FF", V));
  EXPECT_EQ(V, 255);
  TRangeLimit L;
  EXPECT_FALSE(IntField(sftShortInt, "O").StringToRange("377", L));  // +255, not -1
}

TEST(EntryFieldData, FloatText) {
  TEntryFieldData F;
  F.SetDataType(sftDouble);
  F.SetDecimalPlaces(2);
  EXPECT_EQ(F.FloatToFieldString(3.14159L), "3.14");
  EXPECT_EQ(F.FloatToFieldString(2.0L), "2");
  EXPECT_EQ(F.FloatToFieldString(-0.5L), "-0.5");
  F.SetMaxLength(10);
  EXPECT_EQ(F.FloatToFieldString(1e20L), "1E+20");
  F.SetMaxLength(20);
  // Scientific in DecimalPlaces + 9 characters when it does not fit.
  EXPECT_EQ(F.FloatToFieldString(1.25e30L), "1.25E+30");
  F.SetFieldKind(fkPicture);
  F.SetPicture("#.##E");
  EXPECT_EQ(F.FloatToFieldString(-1.5e-7L), "-1.5E-7");

  TIntlValues Comma({{"sDecimal", ","}, {"sThousand", "."}});
  TOvcIntlSup Intl(Comma);
  TEntryFieldData G;
  G.SetIntlSup(&Intl);
  G.SetDataType(sftDouble);
  G.SetDecimalPlaces(3);
  EXPECT_EQ(G.FloatToFieldString(1.5L), "1,5");
  // Text and back, in the locale's form.
  std::mt19937 Gen(3);
  std::uniform_real_distribution<double> D(-1e6, 1e6);
  for (int I = 0; I < 2000; ++I) {
    const double V = std::round(D(Gen) * 1000) / 1000;
    TRangeLimit L;
    ASSERT_TRUE(G.StringToRange(G.FloatToFieldString(V), L)) << G.FloatToFieldString(V);
    ASSERT_NEAR(L.Get<double>(), V, 1e-9);
  }
}

TEST(EntryFieldData, RangeTexts) {
  TEntryFieldData C;
  C.SetDataType(sftChar);
  EXPECT_FALSE(C.HasRange());
  EXPECT_EQ(C.RangeLo(), "#32");
  TRangeLimit A, B;
  ASSERT_TRUE(C.StringToRange("#32", A));
  ASSERT_TRUE(C.StringToRange(" ", B));
  EXPECT_EQ(A, B);
  ASSERT_TRUE(C.StringToRange("#x", A));  // a bad code is a space
  EXPECT_EQ(A, B);
  C.SetRangeLo("#9");
  C.SetRangeHi("z");
  EXPECT_EQ(C.RangeLo(), "#9");
  EXPECT_EQ(C.RangeHi(), "z");
  EXPECT_TRUE(C.HasRange());
  // "#" itself is written by its code: alone it would read back as a space.
  C.SetRangeHi("#35");
  EXPECT_EQ(C.RangeHi(), "#35");
  C.SetRangeHi(C.RangeHi());
  EXPECT_EQ(C.RangeHi(), "#35");

  struct Case {
    uint8_t Type;
    const char* Good;
    const char* Bad;
  };
  const Case Cases[] = {{sftLongInt, "-2147483648", "2147483648"},
                        {sftWord, "65535", "-1"},
                        {sftInteger, "-32768", "32768"},
                        {sftByte, "255", "256"},
                        {sftShortInt, "-128", "128"},
                        {sftReal, "-1.7E38", "1.8E38"},
                        {sftSingle, "3.4E38", "3.5E38"},
                        {sftDouble, "-1.7E308", "1.8E308"},
                        {sftComp, "9.2E18", "9.3E18"},
                        {sftExtended, "1E4000", "1E5000"},
                        {sftDate, "12/31/1999", "12/31/99"},
                        {sftTime, " 1:02:03 PM", "13:02:03 PM"}};
  for (const Case& K : Cases) {
    TEntryFieldData F;
    F.SetDataType(K.Type);
    EXPECT_TRUE(F.HasRange()) << int(K.Type);
    F.SetRangeLo(K.Good);
    const std::string Kept = F.RangeLo();
    EXPECT_THROW(F.SetRangeLo(K.Bad), EInvalidRangeValue) << int(K.Type);
    EXPECT_EQ(F.RangeLo(), Kept);
    // The limit's text reads back as the same limit.
    TRangeLimit L;
    ASSERT_TRUE(F.StringToRange(Kept, L)) << Kept;
    EXPECT_EQ(L, F.RangeLoValue()) << Kept;
  }
  TEntryFieldData Inf;
  Inf.SetDataType(sftDouble);
  EXPECT_THROW(Inf.SetRangeHi("inf"), EInvalidRangeValue);
  Inf.SetRangeLo("0");
  Inf.SetRangeHi("10");
  TRangeLimit V;
  V.Set<double>(10.0);
  EXPECT_TRUE(Inf.InRange(V));
  V.Set<double>(10.5);
  EXPECT_FALSE(Inf.InRange(V));
  // Comp rounds to the nearest integer.
  TEntryFieldData Comp;
  Comp.SetDataType(sftComp);
  ASSERT_TRUE(Comp.StringToRange("2.5E0", V));
  EXPECT_EQ(V.Get<int64_t>(), 3);
}

TEST(EntryFieldData, LengthsAndPictures) {
  TEntryFieldData F;
  F.SetFieldKind(fkPicture);
  F.SetPicture("(999) 999-9999");
  EXPECT_FALSE(F.SetMaxLength(0));
  EXPECT_FALSE(F.SetMaxLength(256));
  EXPECT_FALSE(F.SetMaxLength(13));  // below the picture
  EXPECT_TRUE(F.SetMaxLength(14));
  F.LoadMaxLength(300);
  EXPECT_EQ(F.MaxLength(), 255);
  F.LoadMaxLength(-4);
  EXPECT_EQ(F.MaxLength(), 1);
  F.SetPicture("");
  EXPECT_EQ(F.Picture(), "(999) 999-9999");
  F.SetPicture(std::string(300, 'X'));
  EXPECT_EQ(F.Picture().size(), 255u);

  TEntryFieldData S;
  S.SetDataType(sftString | kPictureStringFlag);
  S.SetFieldKind(fkPicture);
  S.SetMaxLength(20);
  S.SetPicture("(999) 999-9999");
  EXPECT_EQ(S.DataSize(), 21);
  S.SetStripLiterals(true);
  EXPECT_EQ(S.DataSize(), 20 - 14 + 10 + 1);
  TEntryFieldData Simple;
  Simple.SetPicture("!");
  Simple.SetMaxLength(4);
  EXPECT_EQ(Simple.GetFullPicture(), "!!!!");
}

TEST(EntryFieldData, PictureCharacters) {
  TOvcUserData User;
  TEntryFieldData F;
  F.SetUserData(&User);
  for (int C = 1; C < 256; ++C) {
    char Ch = static_cast<char>(C);
    ASSERT_TRUE(F.CharIsOK('(', Ch, true, ' '));  // a literal
    ASSERT_TRUE(F.CharIsOK('t', Ch, false, ' '));
    ASSERT_TRUE(F.CharIsOK('3', Ch, true, ' '));  // the default user set
    ASSERT_EQ(Ch, static_cast<char>(C));
  }
  char Nul = '\0';
  EXPECT_FALSE(F.CharIsOK('X', Nul, true, ' '));
  char Ch = 'a';
  EXPECT_FALSE(F.CharIsOK('K', Ch, false, ' '));
  EXPECT_TRUE(F.CharIsOK('K', Ch, true, ' '));
  EXPECT_EQ(Ch, 'A');
  Ch = 't';
  EXPECT_TRUE(F.CharIsOK('B', Ch, true, ' '));
  Ch = 'x';
  EXPECT_FALSE(F.CharIsOK('B', Ch, true, ' '));
  Ch = 'q';
  F.FixCase('x', Ch, '-');
  EXPECT_EQ(Ch, 'Q');
  Ch = 'q';
  F.FixCase('x', Ch, 'a');
  EXPECT_EQ(Ch, 'q');
  Ch = '8';
  EXPECT_FALSE(F.CharIsOK('O', Ch, false, ' '));
  Ch = '-';
  EXPECT_TRUE(F.CharIsOK('#', Ch, false, ' '));
  EXPECT_FALSE(F.CharIsOK('9', Ch, false, ' '));

  // A user set of digits that lower-cases; "9" and "0" leave a caller's set alone.
  User.UserCharSets[0].reset();
  for (char D = '0'; D <= '9'; ++D) User.UserCharSets[0].set(static_cast<unsigned char>(D));
  User.ForceCase[1] = mcLowerCase;
  Ch = 'a';
  EXPECT_FALSE(F.CharIsOK('1', Ch, true, ' '));
  Ch = 'Q';
  EXPECT_TRUE(F.CharIsOK('2', Ch, true, ' '));
  EXPECT_EQ(Ch, 'q');
  TCharSet Mine;
  Mine.set(65);
  User.GetUserCharSet('9', Mine);
  User.GetUserCharSet('0', Mine);
  EXPECT_EQ(Mine.count(), 1u);
  EXPECT_EQ(User.GetForceCase('9'), 0);
  EXPECT_EQ(User.SubstChars[7], static_cast<char>(248));
}

}  // namespace
}  // namespace tess
