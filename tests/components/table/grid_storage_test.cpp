// The grid's containers against models: the sparse array against std::map, the cell
// array against std::set, the selection list against a bit set.
#include <gtest/gtest.h>

#include <bitset>
#include <map>
#include <random>
#include <set>

#include "components/core/exceptions.h"
#include "components/table/cellarray.h"
#include "components/table/selectionlist.h"
#include "components/table/sparsearray.h"

using namespace tess;

namespace {

void* P(intptr_t V) { return reinterpret_cast<void*>(V); }

// The whole array's content, read through Iterate.
std::map<int32_t, void*> Contents(const TOvcSparseArray& A) {
  std::map<int32_t, void*> M;
  A.Iterate([&M](int32_t I, void* X) { return M.emplace(I, X), true; }, false);
  return M;
}

void ExpectMatches(const TOvcSparseArray& A, const std::map<int32_t, void*>& M) {
  ASSERT_EQ(Contents(A), M);
  EXPECT_EQ(A.Count(), M.empty() ? 0 : M.rbegin()->first + 1);
  EXPECT_EQ(A.ItemCount(), static_cast<int32_t>(M.size()));
  std::set<int32_t> Pages;
  for (auto& [I, X] : M) Pages.insert(I / 32);
  EXPECT_EQ(A.PageCount(), static_cast<int>(Pages.size())) << "an empty page was kept";
}

}  // namespace

TEST(SparseArray, BoundsAndPages) {
  TOvcSparseArray A;
  EXPECT_EQ(A.GetItem(319999), nullptr);
  EXPECT_THROW(A.GetItem(320000), ESAEOutOfBounds);
  EXPECT_THROW(A.SetItem(-1, P(1)), ESAEOutOfBounds);
  EXPECT_THROW(A.DeleteItem(320000), ESparseArrayError);
  A.SetItem(5, nullptr);
  EXPECT_EQ(A.PageCount(), 0);
  A.SetItem(40, P(1));
  EXPECT_EQ(A.PageCount(), 1);
  EXPECT_EQ(A.Count(), 41);
  A.SetItem(40, nullptr);
  EXPECT_EQ(A.PageCount(), 0);
  EXPECT_EQ(A.Count(), 0);

  // Deleting across a missing page brings the item of page 2 into a new page 1.
  A.SetItem(0, P(1));
  A.SetItem(64, P(2));
  A.DeleteItem(0);
  EXPECT_EQ(Contents(A), (std::map<int32_t, void*>{{63, P(2)}}));
  EXPECT_EQ(A.Count(), 64);

  // A nil insert at 0 still carries slot 31 over the page border.
  A.Clear();
  A.SetItem(31, P(3));
  A.InsertItem(0, nullptr);
  EXPECT_EQ(Contents(A), (std::map<int32_t, void*>{{32, P(3)}}));
  EXPECT_EQ(A.Count(), 33);
  EXPECT_EQ(A.PageCount(), 1);

  // The top slot, and a full array refusing an insert while leaving itself unchanged.
  A.Clear();
  A.SetItem(319999, P(9));
  EXPECT_EQ(A.Count(), 320000);
  EXPECT_THROW(A.InsertItem(0, P(1)), ESAEAtMaxSize);
  EXPECT_EQ(Contents(A), (std::map<int32_t, void*>{{319999, P(9)}}));
  A.DeleteItem(0);
  EXPECT_EQ(A.Count(), 319999);
}

// Random operations, with indexes clustered near page borders and the top, against a map.
TEST(SparseArray, RandomOperationsMatchMap) {
  std::mt19937 Rng(7);
  for (int Round = 0; Round < 4; ++Round) {
    TOvcSparseArray A;
    std::map<int32_t, void*> M;
    const int32_t Span = Round < 2 ? 200 : 320000;
    auto Pick = [&]() -> int32_t {
      int32_t I = static_cast<int32_t>(Rng() % static_cast<uint32_t>(Span));
      if (Rng() % 4 == 0) I = (I / 32) * 32 + static_cast<int32_t>(Rng() % 2 ? 31 : 0);
      if (Round == 3 && Rng() % 4 == 0) I = 319999 - static_cast<int32_t>(Rng() % 70);
      return std::min(I, 319999);
    };
    for (int Step = 0; Step < 3000; ++Step) {
      const int32_t I = Pick();
      void* X = Rng() % 5 == 0 ? nullptr : P(Step + 1);
      switch (Rng() % 5) {
        case 0:
        case 1:
          A.SetItem(I, X);
          if (X) {
            M[I] = X;
          } else {
            M.erase(I);
          }
          break;
        case 2: {
          const int32_t Count = M.empty() ? 0 : M.rbegin()->first + 1;
          if (Count == 320000) {
            EXPECT_THROW(A.InsertItem(I, X), ESAEAtMaxSize);
            break;
          }
          A.InsertItem(I, X);
          if (I < Count) {
            std::map<int32_t, void*> N;
            for (auto& [K, V] : M) N[K >= I ? K + 1 : K] = V;
            M.swap(N);
          }
          if (X) M[I] = X;
          break;
        }
        case 3: {
          A.DeleteItem(I);
          std::map<int32_t, void*> N;
          for (auto& [K, V] : M)
            if (K != I) N[K > I ? K - 1 : K] = V;
          M.swap(N);
          break;
        }
        case 4: {
          const int32_t J = Pick();
          A.ExchangeItems(I, J);
          void* VI = M.count(I) ? M[I] : nullptr;
          void* VJ = M.count(J) ? M[J] : nullptr;
          M.erase(I);
          M.erase(J);
          if (VI) M[J] = VI;
          if (VJ) M[I] = VJ;
          break;
        }
      }
      if (Step % 50 == 0) ExpectMatches(A, M);
      ASSERT_EQ(A.GetItem(I), M.count(I) ? M[I] : nullptr);
    }
    ExpectMatches(A, M);
    // Iterate backwards stops at the item that answers false.
    if (!M.empty()) {
      EXPECT_EQ(A.Iterate([](int32_t, void*) { return false; }, true), M.rbegin()->first);
    }
  }
}

TEST(CellArray, SortedSetAndMerge) {
  std::mt19937 Rng(3);
  TOvcCellArray A;
  std::set<TOvcCellAddress> M;
  for (int I = 0; I < 2000; ++I) {
    const int32_t R = static_cast<int32_t>(Rng() % 40), C = static_cast<int32_t>(Rng() % 12);
    if (Rng() % 3) {
      A.AddCell(R, C);
      M.insert({R, C});
    } else {
      EXPECT_EQ(A.DeleteCell(R, C), M.erase({R, C}) == 1);
    }
  }
  EXPECT_EQ(A.Cells(), std::vector<TOvcCellAddress>(M.begin(), M.end()));

  TOvcCellArray X, Y;
  X.AddCell(0, 1);
  X.AddCell(2, 0);
  Y.AddCell(0, 1);
  Y.AddCell(1, 5);
  X.Merge(Y);
  EXPECT_EQ(X.Cells(), (std::vector<TOvcCellAddress>{{0, 1}, {1, 5}, {2, 0}}));
  TOvcCellAddress Out{7, 7};
  X.GetCellAddr(3, Out);
  EXPECT_EQ(Out, (TOvcCellAddress{0, 0}));
  X.Clear();
  X.MarkExtraArea();
  EXPECT_FALSE(X.IsEmpty());
}

TEST(SelectionList, RangesCoalesceAndSplit) {
  TOvcSelectionList S(20, 3);
  S.SelectRange(0, 0, 3, 0);
  S.SelectRange(10, 0, 12, 0);
  S.SelectRange(4, 0, 5, 0);  // touches [0-3]; [10-12] must survive
  auto R = S.Ranges(0);
  ASSERT_EQ(R.size(), 2u);
  EXPECT_EQ(R[0].First, 0);
  EXPECT_EQ(R[0].Last, 5);
  EXPECT_EQ(R[1].First, 10);
  EXPECT_EQ(R[1].Last, 12);
  S.SelectRange(2, 0, 11, 0);  // absorbs both
  EXPECT_EQ(S.Ranges(0).size(), 1u);

  S.Clear();
  S.SelectRange(2, 1, 4, 1);
  S.SelectRange(5, 1, 7, 1);
  ASSERT_EQ(S.Ranges(1).size(), 1u);
  S.DeselectRange(5, 1, 5, 1);
  ASSERT_EQ(S.Ranges(1).size(), 2u);
  EXPECT_EQ(S.Ranges(1)[1].First, 6);
  S.DeselectRange(2, 1, 7, 1);
  EXPECT_EQ(S.UsedColumns(), 0);
  S.SelectRange(0, 2, 25, 2);  // a corner outside: nothing
  EXPECT_FALSE(S.HasSelection());

  // A smaller row count drops ranges beyond it.
  S.SelectRange(15, 0, 19, 0);
  S.SetRowCount(16);
  S.SetRowCount(20);
  EXPECT_FALSE(S.IsSelected(17, 0));
  EXPECT_TRUE(S.IsSelected(15, 0));
}

TEST(SelectionList, PendingRectangle) {
  TOvcSelectionList S(10, 4);
  S.SelectRange(0, 0, 9, 3);
  S.StartSelection(2, 1, true);
  S.ExtendSelection(4, 2, false);
  EXPECT_FALSE(S.IsSelected(3, 1));
  S.ExtendSelection(2, 1, false);  // back on the anchor: no pending rectangle
  EXPECT_TRUE(S.IsSelected(2, 1));
  S.ExtendSelection(3, 1, false);
  int Calls = 0;
  S.Iterate([&](int32_t, int32_t, int32_t, int32_t) { return ++Calls, true; });
  EXPECT_EQ(Calls, 5);  // column 1 split in two, the other three whole
  EXPECT_FALSE(S.IsSelected(3, 1));
  S.StartSelection(0, 0, false);
  EXPECT_FALSE(S.HasSelection());
}

// Random selects and deselects against one bit set per column.
TEST(SelectionList, RandomOperationsMatchBitSet) {
  constexpr int Rows = 300, Cols = 3;
  std::mt19937 Rng(11);
  TOvcSelectionList S(Rows, Cols);
  std::bitset<Rows> M[Cols];
  for (int Step = 0; Step < 4000; ++Step) {
    const int32_t R1 = static_cast<int32_t>(Rng() % Rows);
    const int32_t R2 = std::min<int32_t>(Rows - 1, R1 + static_cast<int32_t>(Rng() % 20));
    const int32_t C1 = static_cast<int32_t>(Rng() % Cols), C2 = static_cast<int32_t>(Rng() % Cols);
    const bool Add = Rng() % 2;
    if (Add) {
      S.SelectRange(R2, C2, R1, C1);
    } else {
      S.DeselectRange(R1, C1, R2, C2);
    }
    for (int C = std::min(C1, C2); C <= std::max(C1, C2); ++C)
      for (int R = R1; R <= R2; ++R) M[C][static_cast<size_t>(R)] = Add;
    if (Step % 20 != 0) continue;
    for (int C = 0; C < Cols; ++C)
      for (int R = 0; R < Rows; ++R)
        ASSERT_EQ(S.IsSelected(R, C), M[C][static_cast<size_t>(R)]) << R << "," << C;
  }
  int Used = 0;
  for (int C = 0; C < Cols; ++C) Used += M[C].any();
  EXPECT_EQ(S.UsedColumns(), Used);
}
