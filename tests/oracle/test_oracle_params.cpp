// Parameter buffers, their accessors and limits, the parameter lists and their streaming.
// None of this needs a database.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "oracle/oracle_query.h"

using namespace tess;

namespace {

// Runs F and answers the layer code it raised (0 when it raised nothing).
template <class F>
int32_t LayerCode(F&& f) {
  try {
    f();
  } catch (const EDbInterface& e) {
    return e.Code();
  }
  return 0;
}

struct ParamsTest : ::testing::Test {
  TParams list{nullptr, NewOracleParam};
  TParam* Add(const std::string& name) { return list.FindOrAdd(name); }
};

// prefix followed by the number (appended: gcc 12 misreports "x" + to_string as overlapping).
std::string Numbered(const char* prefix, int n) {
  std::string s(prefix);
  s.append(std::to_string(n));
  return s;
}

}  // namespace

TEST_F(ParamsTest, EmptyTextIntoAFreshVarcharAllocatesAndStoresNull) {
  TParam* p = Add("p");
  EXPECT_FALSE(p->HasBuffer());
  p->SetAsStringAt(0, "");
  EXPECT_TRUE(p->HasBuffer());
  EXPECT_EQ(p->DataType(), oVarchar2);  // an untyped input becomes text
  EXPECT_EQ(p->ItemSize(), 2000);
  EXPECT_EQ(p->RowCount(), 1);
  EXPECT_EQ(p->GetIndicator(0), -1);
  EXPECT_EQ(p->GetLength(0), 0);
  p->SetAsStringAt(0, "abc");
  EXPECT_EQ(p->GetIndicator(0), 0);
  EXPECT_EQ(p->AsString(), "abc");
}

TEST_F(ParamsTest, TooLongTextRaisesAndLeavesTheElement) {
  TParam* p = Add("name");
  p->SetDataType(oVarchar2);  // typing later would reset the size
  p->SetItemSize(5);
  p->SetAsString("hello");
  try {
    p->SetAsString("hello!");
    FAIL() << "no error";
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Code(), ecValueTooLong);
    EXPECT_EQ(e.Message(), "Error : 6.5.[name]");
  }
  EXPECT_EQ(p->AsString(), "hello");
  EXPECT_EQ(p->RowCount(), 1);
}

// An element's length travels in 16 bits: no element may be larger than a length can say,
// and the largest one carries its values whole.
TEST_F(ParamsTest, ElementsLargerThanALengthCanSayAreRefused) {
  TParam* p = Add("big");
  p->SetDataType(oLong);
  for (int32_t size : {65536, 66000, 1 << 20}) {
    try {
      p->SetItemSize(size);
      FAIL() << size;
    } catch (const EDbInterface& e) {
      EXPECT_EQ(e.Code(), ecNoBuffer);
      EXPECT_EQ(e.Message(), "Error : 6.7.[big]");
    }
  }
  p->SetItemSize(kMaxItemSize);
  EXPECT_EQ(p->ItemSize(), kMaxItemSize);
  const std::string full(static_cast<size_t>(kMaxItemSize), 'x');
  p->SetAsString(full);
  EXPECT_EQ(p->GetLength(0), kMaxItemSize);
  EXPECT_EQ(p->AsString(), full);
  EXPECT_EQ(LayerCode([&] { p->SetAsString(full + "y"); }), ecValueTooLong);
  EXPECT_EQ(p->SetData(0, (full + "yy").data(), kMaxItemSize + 2), kMaxItemSize);
  EXPECT_EQ(p->AsString(), full);
}

TEST_F(ParamsTest, SetDataClipsToItemSizeAndGetDataToMaxLen) {
  TParam* p = Add("p");
  p->SetDataType(oRaw);
  p->SetItemSize(4);
  p->SetDimension(3);
  EXPECT_EQ(p->SetData(2, "abcdefg", 7), 4);
  EXPECT_EQ(p->RowCount(), 3);
  EXPECT_EQ(p->GetAsStringAt(2), "abcd");
  char out[8] = {};
  EXPECT_EQ(p->GetData(2, out, 2), 2);
  EXPECT_EQ(std::string(out), "ab");
  EXPECT_EQ(p->GetData(2, out, 100), 4);
  EXPECT_EQ(p->SetData(1, "x", -5), 0);  // a negative length stores NULL
  EXPECT_EQ(p->GetIndicator(1), -1);
}

TEST_F(ParamsTest, EveryElementAccessOutsideTheDimensionIsRefused) {
  TParam* p = Add("arr");
  p->SetDimension(3);
  p->SetItemSize(8);
  for (int i = 0; i < 3; ++i) p->SetAsStringAt(i, Numbered("v", i));
  char buf[16] = "untouched";
  for (int32_t bad : {-1, 3, 1000, -100000}) {
    EXPECT_EQ(LayerCode([&] { p->GetAsStringAt(bad); }), ecParamIndex) << bad;
    EXPECT_EQ(LayerCode([&] { p->SetAsStringAt(bad, "zz"); }), ecParamIndex) << bad;
    EXPECT_EQ(LayerCode([&] { p->GetData(bad, buf, 16); }), ecParamIndex) << bad;
    EXPECT_EQ(LayerCode([&] { p->SetData(bad, "zz", 2); }), ecParamIndex) << bad;
    EXPECT_EQ(LayerCode([&] { p->SetIndex(bad); }), ecParamIndex) << bad;
    EXPECT_EQ(LayerCode([&] { p->ItemAddress(bad); }), ecParamIndex) << bad;
  }
  EXPECT_STREQ(buf, "untouched");
  EXPECT_EQ(p->Index(), 0);
  EXPECT_EQ(p->RowCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(p->GetAsStringAt(i), Numbered("v", i));
  try {
    p->SetIndex(3);
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Message(), "Warning : 6.4.[arr]");
  }
}

TEST_F(ParamsTest, RowCountOnlyTakesValuesWithinTheDimension) {
  TParam* p = Add("p");
  p->SetDimension(4);
  p->SetRowCount(4);
  EXPECT_EQ(p->RowCount(), 4);
  p->SetRowCount(5);
  p->SetRowCount(-1);
  EXPECT_EQ(p->RowCount(), 4);
  p->SetRowCount(0);
  EXPECT_EQ(p->RowCount(), 0);
}

#ifndef NDEBUG
// The library writes RowCount in place after an array bind; a count beyond the dimension
// would send readers past the block, so the checked build stops there.
TEST(ParamsInvariants, RowCountWrittenBeyondTheDimensionIsCaughtWhereItIsRead) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        TParams list(nullptr, NewOracleParam);
        TParam* p = list.FindOrAdd("p");
        p->SetDimension(2);
        *p->RowCountField() = 3;
        (void)p->RowCount();
      },
      "row_count_");
}
#endif

// Every element written at full width, against a model: values never run into the length,
// indicator or return-code arrays, whatever the element size.
TEST_F(ParamsTest, ElementsOfAnySizeStayApartFromTheirLengths) {
  for (int32_t size : {1, 3, 7, 40}) {
    TParam* p = Add(Numbered("p", size));
    p->SetDataType(oVarchar2);
    p->SetItemSize(size);
    p->SetDimension(5);
    std::map<int, std::string> model;
    for (int i = 4; i >= 0; --i) {
      std::string v(static_cast<size_t>(i == 2 ? 0 : size), static_cast<char>('a' + i));
      p->SetAsStringAt(i, v);
      model[i] = v;
    }
    EXPECT_EQ(p->RowCount(), 5);
    std::string reused(100, '#');  // a buffer with text of its own is overwritten
    for (auto& [i, v] : model) {
      EXPECT_EQ(p->GetAsStringAt(i), v) << "size " << size << " element " << i;
      p->GetAsStringAt(i, reused);
      EXPECT_EQ(reused, v) << "size " << size << " element " << i;
      EXPECT_EQ(p->GetLength(i), v.size());
      EXPECT_EQ(p->GetIndicator(i), v.empty() ? -1 : 0);
      EXPECT_EQ(p->GetReturnCode(i), 0);
    }
    // The arrays lie behind the values, 16-bit aligned, inside the block.
    auto values = reinterpret_cast<uintptr_t>(p->ValueArray());
    auto lengths = reinterpret_cast<uintptr_t>(p->LengthArray());
    EXPECT_GE(lengths - values, static_cast<uintptr_t>(5 * size));
    EXPECT_EQ(lengths % 2, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p->IndicatorArray()), lengths + 10);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p->ReturnCodeArray()), lengths + 20);
  }
}

TEST_F(ParamsTest, IntegersAreBinaryAndAnythingElseIsZero) {
  TParam* p = Add("n");
  p->SetAsInteger(-42);
  EXPECT_EQ(p->DataType(), oInteger);
  EXPECT_EQ(p->ItemSize(), 4);
  EXPECT_EQ(p->AsString(), "-42");
  std::string text = "anything";
  p->GetAsStringAt(0, text);
  EXPECT_EQ(text, "-42");
  EXPECT_EQ(p->GetLength(0), 4);
  int32_t raw = 0;
  std::memcpy(&raw, p->ItemAddress(0), 4);
  EXPECT_EQ(raw, -42);
  p->SetAsString("twelve");
  EXPECT_EQ(p->AsInteger(), 0);
  // Integer arrays count their elements like text ones (array binds read RowCount).
  p->SetDimension(3);
  p->SetAsStringAt(2, "7");
  EXPECT_EQ(p->RowCount(), 3);
}

TEST_F(ParamsTest, ChangingTypeDimensionOrSizeReleasesTheBlock) {
  TParam* p = Add("p");
  p->SetAsString("x");
  p->SetDimension(2);
  EXPECT_FALSE(p->HasBuffer());
  p->SetAsString("y");
  p->SetDataType(oNumber);
  EXPECT_FALSE(p->HasBuffer());
  EXPECT_EQ(p->ItemSize(), 0);
  p->SetAsString("1.5");
  EXPECT_EQ(p->ItemSize(), 40);
  p->SetItemSize(10);
  EXPECT_FALSE(p->HasBuffer());
  // Setting a property to its present value keeps the block.
  p->SetAsString("2");
  p->SetItemSize(10);
  p->SetDataType(oNumber);
  EXPECT_EQ(p->AsString(), "2");
}

TEST_F(ParamsTest, UntypedOutputParameterHasNothingToAllocate) {
  TParam* p = Add("out");
  p->SetKind(oOutput);
  EXPECT_EQ(LayerCode([&] { p->AllocateBuffers(true); }), ecNoBuffer);
  EXPECT_FALSE(p->HasBuffer());
}

TEST_F(ParamsTest, CopyValuesTakesTheRowsThatFit) {
  TParam* src = Add("src");
  src->SetDimension(4);
  src->SetItemSize(10);
  src->SetAsStringAt(0, "zero");
  src->SetAsStringAt(1, "");
  src->SetAsStringAt(2, "two");
  TParam* dst = Add("dst");
  dst->SetDimension(2);
  dst->SetItemSize(10);
  dst->CopyValues(src);
  EXPECT_EQ(dst->RowCount(), 2);
  EXPECT_EQ(dst->GetAsStringAt(0), "zero");
  EXPECT_EQ(dst->GetIndicator(1), -1);
  TParam* empty = Add("empty");
  empty->SetItemSize(10);
  dst->CopyValues(empty);
  EXPECT_EQ(dst->RowCount(), 0);
}

TEST_F(ParamsTest, AssignTakesTheListDimension) {
  auto* src = static_cast<TOracleParam*>(Add("Src"));
  src->SetDataType(oVarchar2);
  src->SetKind(oInpOut);
  src->SetNullOk(true);
  src->SetItemSize(8);
  src->SetDimension(3);
  src->SetDataTable(true);
  for (int i = 0; i < 3; ++i) src->SetAsStringAt(i, std::string(1, 'a' + i));

  TParams other(nullptr, NewOracleParam);
  other.SetDimension(2);
  auto* dst = static_cast<TOracleParam*>(other.FindOrAdd("x"));
  dst->Assign(src);
  EXPECT_EQ(dst->ParamName(), "Src");
  EXPECT_EQ(dst->Kind(), oInpOut);
  EXPECT_TRUE(dst->NullOk());
  EXPECT_TRUE(dst->DataTable());
  EXPECT_EQ(dst->Dimension(), 2);
  EXPECT_EQ(dst->RowCount(), 2);
  EXPECT_EQ(dst->GetAsStringAt(1), "b");
}

TEST_F(ParamsTest, ListsFindIgnoringCaseAndKeepNamesUnique) {
  TParam* a = Add("Alpha");
  TParam* b = Add("beta");
  EXPECT_EQ(Add("ALPHA"), a);
  EXPECT_EQ(list.FindParam("BETA"), b);
  EXPECT_EQ(list.FindParam("gamma"), nullptr);
  try {
    b->SetParamName("alpha");
    FAIL();
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Code(), ecDuplicateParamName);
    EXPECT_EQ(e.Message(), "Warning : 6.1.[alpha]");
  }
  EXPECT_EQ(b->ParamName(), "beta");
  b->SetParamName("BETA");  // its own name in another case
  EXPECT_EQ(b->ParamName(), "BETA");

  b->SetPos(0);
  EXPECT_EQ(list.Items(0), b);
  list.SetDimension(5);
  EXPECT_EQ(a->Dimension(), 5);
  EXPECT_EQ(Add("new")->Dimension(), 5);
  delete a;
  EXPECT_EQ(list.Count(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(FieldsList, MakesColumnsAndIgnoresDimensionsBelowOne) {
  TFields fields(nullptr, NewOracleParam);
  EXPECT_EQ(fields.Dimension(), 10);
  TParam* f = fields.FindOrAdd("C");
  EXPECT_EQ(f->Kind(), oField);
  EXPECT_EQ(f->Dimension(), 10);
  fields.SetDimension(0);
  EXPECT_EQ(fields.Dimension(), 10);
  fields.SetDimension(100);
  EXPECT_EQ(f->Dimension(), 100);
}

TEST(OracleParamTypes, SizesAndCodesFollowTheType) {
  TParams list(nullptr, NewOracleParam);
  auto* p = static_cast<TOracleParam*>(list.FindOrAdd("p"));
  struct Row {
    int32_t dbType;
    TParamType type;
    int32_t size, external;
  };
  for (const Row& r :
       {Row{1, oVarchar2, 2000, 1}, Row{96, oVarchar2, 2000, 1}, Row{2, oNumber, 40, 1},
        Row{3, oInteger, 4, 3}, Row{8, oLong, 32765, 1}, Row{11, oRowid, 0, 1},
        Row{12, oDate, 12, 1}, Row{23, oRaw, 256, 23}, Row{24, oLongRaw, 32765, 24},
        Row{102, oCursor, 4, 102}, Row{106, oMlsLabel, 256, 106}}) {
    p->SetDbType(r.dbType);
    EXPECT_EQ(p->DataType(), r.type) << r.dbType;
    EXPECT_EQ(p->DefaultItemSize(), r.size) << r.dbType;
    EXPECT_EQ(p->ExternalType(), r.external) << r.dbType;
  }
  p->SetDbType(999);
  EXPECT_EQ(p->DataType(), oUnknown);
  try {
    p->ExternalType();
    FAIL();
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Message(), "Error : 6.7.[Datatype]");
  }
  p->SetDataTable(true);
  p->SetDbType(2);
  EXPECT_EQ(p->DataType(), oInteger);
  EXPECT_EQ(p->ExternalType(), 3);
  p->SetDbKind(1);
  EXPECT_EQ(p->Kind(), oOutput);
  p->SetDbKind(2);
  EXPECT_EQ(p->Kind(), oInpOut);
  EXPECT_EQ(p->DbKindOfKind(oInpOut), 2);
  EXPECT_EQ(p->DbKindOfKind(oOutput), 1);
}

// The parameter list travels inside its statement's stream as the binary property "D".
TEST(ParamsStreaming, RoundTripThroughTheStatementStream) {
  TOracleQuery src(nullptr);
  src.SetSQL("begin :a := :b; end;");
  src.SetDeferParse(false);
  TParams* ps = src.Params();
  TParam* a = ps->FindOrAdd("a");
  a->SetDataType(oInteger);
  a->SetKind(oOutput);
  a->SetAsInteger(77);
  auto* b = static_cast<TOracleParam*>(ps->FindOrAdd("b"));
  b->SetItemSize(30);
  b->SetDimension(3);
  b->SetDataTable(true);
  b->SetAsStringAt(0, "first");
  TParam* c = ps->FindOrAdd("c");
  c->SetKind(oOutput);  // untyped and never allocated: must still write

  TMemoryStream stream;
  WriteComponent(&stream, &src);
  EXPECT_FALSE(c->HasBuffer());

  stream.SetPosition(0);
  TOracleQuery dst(nullptr);
  dst.Params()->FindOrAdd("stale");
  ReadComponent(&stream, &dst);
  EXPECT_EQ(dst.SQL(), src.SQL());
  EXPECT_FALSE(dst.DeferParse());
  TParams* qs = dst.Params();
  ASSERT_EQ(qs->Count(), 3);
  EXPECT_FALSE(qs->Changed());
  EXPECT_EQ(qs->FindParam("stale"), nullptr);
  TParam* ra = qs->FindParam("a");
  ASSERT_NE(ra, nullptr);
  EXPECT_EQ(ra->DataType(), oInteger);
  EXPECT_EQ(ra->Kind(), oOutput);
  EXPECT_EQ(ra->AsInteger(), 77);
  auto* rb = static_cast<TOracleParam*>(qs->FindParam("b"));
  EXPECT_TRUE(rb->DataTable());
  EXPECT_EQ(rb->ItemSize(), 30);
  EXPECT_EQ(rb->Dimension(), 3);
  EXPECT_EQ(rb->RowCount(), 1);
  EXPECT_EQ(rb->AsString(), "first");
  EXPECT_EQ(qs->FindParam("c")->Kind(), oOutput);
  EXPECT_EQ(qs->FindParam("c")->DataType(), oUnknown);
}

TEST(ParamsStreaming, CorruptCountIsRefused) {
  TOracleQuery src(nullptr);
  src.Params()->FindOrAdd("x")->SetAsString("1");
  TMemoryStream stream;
  WriteComponent(&stream, &src);
  std::string bytes = stream.DataString();
  // The count sits right after the binary value's own 4-byte length.
  size_t at = bytes.find("Params.D");
  ASSERT_NE(at, std::string::npos);
  size_t count = at + 8 + 1 + 4;
  bytes[count + 3] = '\x7f';
  stream.SetDataString(bytes);
  TOracleQuery dst(nullptr);
  EXPECT_THROW(ReadComponent(&stream, &dst), EReadError);
}
