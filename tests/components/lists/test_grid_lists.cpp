// The integer list's range and sort rules, and the type-ahead lookup against a scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "components/lists/integerlist.h"
#include "components/lists/prefixindex.h"

namespace tess {
namespace {

TEST(IntegerList, RangeRulesKeepTheListUnchangedOnFailure) {
  TIntegerList l;
  l.Add(-5);
  l.Add(1000);  // no range while Min = Max
  l.Clear();
  l.SetMax(10);
  try {
    l.Add(11);
    FAIL();
  } catch (const EOutOfRange& e) {
    EXPECT_STREQ(e.what(), "Value must be within 0..10");
  }
  l.Add(3);
  try {
    l.SetMin(5);
    FAIL();
  } catch (const EOutOfRange& e) {
    EXPECT_STREQ(e.what(), "Unable to set new minimum value.\rList contains values below 5");
  }
  EXPECT_EQ(l.Min(), 0);
  EXPECT_THROW(l.SetMax(2), EOutOfRange);
  EXPECT_EQ(l.Max(), 10);
  EXPECT_THROW(l.Put(0, -1), EOutOfRange);
  EXPECT_EQ(l.Get(0), 3);
  // Raising Min above Max drags Max along, and the other way round.
  l.Clear();
  l.SetMin(20);
  EXPECT_EQ(l.Max(), 20);
  l.SetMin(0);
  l.SetMax(-4);
  EXPECT_EQ(l.Min(), -4);
  EXPECT_THROW(l.Get(5), EListError);
}

TEST(IntegerList, SortedListInsertsInOrderAndFindsByBinarySearch) {
  std::mt19937 rng(5);
  for (TDuplicates dup : {dupIgnore, dupAccept}) {
    TIntegerList l;
    l.SetDuplicates(dup);
    l.SetSorted(true);
    std::vector<int32_t> model;
    for (int i = 0; i < 500; ++i) {
      int32_t v = static_cast<int32_t>(rng() % 100);
      int32_t at = l.Add(v);
      if (dup == dupAccept || std::find(model.begin(), model.end(), v) == model.end()) model.push_back(v);
      std::sort(model.begin(), model.end());
      ASSERT_EQ(l.Get(at), v);
      if (rng() % 4 == 0 && l.Count()) {
        int32_t k = static_cast<int32_t>(rng() % static_cast<unsigned>(l.Count()));
        model.erase(model.begin() + k);
        l.Delete(k);
      }
    }
    ASSERT_EQ(l.Count(), static_cast<int32_t>(model.size()));
    for (int32_t i = 0; i < l.Count(); ++i) EXPECT_EQ(l.Get(i), model[static_cast<size_t>(i)]);
    for (int32_t v = -1; v <= 100; ++v) {
      auto it = std::lower_bound(model.begin(), model.end(), v);
      int32_t want = (it != model.end() && *it == v) ? static_cast<int32_t>(it - model.begin()) : -1;
      EXPECT_EQ(l.IndexOf(v), want);
    }
    EXPECT_THROW(l.Insert(0, 1), EListError);
  }
  TIntegerList e;
  e.SetDuplicates(dupError);
  e.Add(2);
  e.Add(2);
  EXPECT_THROW(e.SetSorted(true), EListError);
  e.Delete(0);
  e.SetSorted(true);
  EXPECT_THROW(e.Add(2), EListError);
  TIntegerList copy;
  copy.SetMax(1);  // Assign copies the values, not the range
  EXPECT_THROW(copy.Assign(&e), EOutOfRange);
}

TEST(PrefixIndex, FindsTheFirstItemInListOrderLikeAScan) {
  std::mt19937 rng(9);
  std::vector<std::string> items;
  for (int i = 0; i < 400; ++i) {
    std::string s;
    for (int k = 0, n = static_cast<int>(rng() % 5); k < n; ++k) s += "aAbB \xe9\xc9"[rng() % 7];
    items.push_back(s);
  }
  TPrefixIndex idx;
  std::vector<std::string> stripped;
  for (auto& s : items) stripped.push_back(StripSpaces(s));
  idx.Build(stripped);
  for (int q = 0; q < 300; ++q) {
    std::string t;
    for (int k = 0, n = static_cast<int>(rng() % 4); k < n; ++k) t += "abAB\xe9"[rng() % 5];
    int32_t want = -1;
    for (size_t i = 0; i < stripped.size() && !t.empty(); ++i)
      if (stripped[i].size() >= t.size() && AnsiSameText(stripped[i].substr(0, t.size()), t)) {
        want = static_cast<int32_t>(i);
        break;
      }
    EXPECT_EQ(idx.Find(t), want) << t;
  }
  TPrefixIndex names;
  names.Build({"DEPT", "EMP", "MYTABLE"});
  EXPECT_EQ(names.Find("emp"), 1);
  EXPECT_EQ(names.Find("empx"), -1);
  EXPECT_EQ(names.Find("myt"), 2);
  EXPECT_EQ(names.Find(""), -1);
}

}  // namespace
}  // namespace tess
