// The cell attribute store against a map of (row, column) to record under random sets,
// inserts, deletes and exchanges, with the cells' use counts followed; the option rules;
// the editors' key hand-over and glyph cycling.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>

#include "components/core/cellancestor.h"
#include "components/table/celltext.h"
#include "components/table/tablecellstore.h"
#include "components/table/tableoptions.h"

using namespace tess;

namespace {

class FakeCell : public TOvcTableCellAncestor {
 public:
  FakeCell() : TOvcTableCellAncestor(nullptr) {}
  void TableChanged() override {}
};

class FakeFont : public TPersistent {
 public:
  explicit FakeFont(int T) : Tag(T) {}
  int Tag;
};

// access, adjust, colour, font tag (-1 none), cell index (-1 none)
using ModelRec = std::tuple<int, int, uint32_t, int, int>;
using Model = std::map<std::pair<int32_t, int32_t>, ModelRec>;
constexpr int32_t Top = TOvcSparseArray::MaxIndex;

ModelRec Describe(const TOvcCellOverride& O, FakeCell* Cells) {
  return {static_cast<int>(O.Access), static_cast<int>(O.Adjust), O.Color,
          O.Font ? static_cast<FakeFont*>(O.Font.get())->Tag : -1,
          O.Cell ? static_cast<int>(static_cast<FakeCell*>(O.Cell) - Cells) : -1};
}

// Moves the model's keys along one axis: Map gives the new number or -1 to drop.
template <class F>
void Remap(Model& M, bool Rows, F Map) {
  Model Out;
  for (auto& [K, V] : M) {
    const int32_t N = Map(Rows ? K.first : K.second);
    if (N < 0 || N > Top) continue;
    Out[Rows ? std::make_pair(N, K.second) : std::make_pair(K.first, N)] = V;
  }
  M = std::move(Out);
}

}  // namespace

TEST(CellStore, FollowsAModelUnderRandomEdits) {
  FakeCell Cells[3];
  std::map<const TOvcTableCellAncestor*, int> Uses;
  TOvcTableCells S;
  int Changes = 0;
  S.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &S);
    ++Changes;
  };
  S.OnCellUse = [&](TOvcTableCellAncestor* C, int D) { Uses[C] += D; };
  Model M;
  std::mt19937 Rng(7);
  // Numbers near 0, around a page boundary and at the top of the stored range.
  auto Num = [&]() -> int32_t {
    switch (Rng() % 4) {
      case 0: return static_cast<int32_t>(Rng() % 6);
      case 1: return 29 + static_cast<int32_t>(Rng() % 6);
      case 2: return Top - 2 + static_cast<int32_t>(Rng() % 4);  // 319997 .. 320000
      default: return static_cast<int32_t>(Rng() % 70);
    }
  };
  for (int Step = 0; Step < 4000; ++Step) {
    const int32_t A = Num(), B = Num();
    const int Op = static_cast<int>(Rng() % 9);
    const bool Empty = M.empty();
    const int Before = Changes;
    switch (Op) {
      case 0: case 1: case 2: {
        TOvcCellOverride O;
        if (Rng() % 2) O.Access = static_cast<TOvcTblAccess>(Rng() % 4);
        if (Rng() % 2) O.Adjust = static_cast<TOvcTblAdjust>(Rng() % 10);
        if (Rng() % 3 == 0) O.Color = static_cast<uint32_t>(Rng() % 0xFFFFFF);
        if (Rng() % 4 == 0) O.Font = std::make_unique<FakeFont>(Step);
        if (Rng() % 3 == 0) O.Cell = &Cells[Rng() % 3];
        const ModelRec R = Describe(O, Cells);
        const bool Default = O.IsDefault();
        S.SetAttributes(A, B, std::move(O));
        if (A <= Top && B <= Top) {
          if (Default) M.erase({A, B}); else M[{A, B}] = R;
        }
        break;
      }
      case 3:
        S.InsertRow(A);
        if (!Empty && A <= Top) Remap(M, true, [A](int32_t N) { return N >= A ? N + 1 : N; });
        break;
      case 4:
        S.DeleteRow(A);
        if (!Empty && A <= Top)
          Remap(M, true, [A](int32_t N) { return N == A ? -1 : N > A ? N - 1 : N; });
        break;
      case 5:
        S.ExchangeRows(A, B);
        if (!Empty) Remap(M, true, [A, B](int32_t N) { return N == A ? B : N == B ? A : N; });
        break;
      case 6:
        S.InsertCol(A);
        if (!Empty && A <= Top) Remap(M, false, [A](int32_t N) { return N >= A ? N + 1 : N; });
        break;
      case 7:
        S.DeleteCol(A);
        if (!Empty && A <= Top)
          Remap(M, false, [A](int32_t N) { return N == A ? -1 : N > A ? N - 1 : N; });
        break;
      case 8:
        if (Rng() % 4 == 0) {
          FakeCell* C = &Cells[Rng() % 3];
          S.RemoveCellRefs(C);
          const int Idx = static_cast<int>(C - Cells);
          for (auto It = M.begin(); It != M.end();) {
            if (std::get<4>(It->second) == Idx) {
              std::get<4>(It->second) = -1;
              if (It->second == ModelRec{0, 0, NoOverrideColor, -1, -1}) { It = M.erase(It); continue; }
            }
            ++It;
          }
        } else {
          S.ExchangeCols(A, B);
          if (!Empty) Remap(M, false, [A, B](int32_t N) { return N == A ? B : N == B ? A : N; });
        }
        break;
    }
    if (Empty && Op >= 3) {
      ASSERT_EQ(Changes, Before) << "an empty store stays quiet";
    }
    ASSERT_EQ(S.Count(), static_cast<int32_t>(M.size())) << Step;
    int Named[3] = {};
    for (auto& [K, V] : M) {
      const TOvcCellOverride* O = S.GetAttributes(K.first, K.second);
      ASSERT_NE(O, nullptr) << Step << " " << K.first << "," << K.second;
      ASSERT_EQ(Describe(*O, Cells), V) << Step;
      if (std::get<4>(V) >= 0) ++Named[std::get<4>(V)];
    }
    for (int I = 0; I < 3; ++I) ASSERT_EQ(Uses[&Cells[I]], Named[I]) << Step;
    // A few numbers with no record read as the default.
    for (int32_t R : {A, B, Top + 1, -1})
      if (!M.count({R, B})) {
        ASSERT_EQ(S.GetAttributes(R, B), nullptr);
      }
  }
  S.Clear();
  EXPECT_EQ(S.Count(), 0);
  for (auto& C : Cells) EXPECT_EQ(Uses[&C], 0);
}

TEST(CellStore, DestroyingGivesBackEveryUse) {
  FakeCell Cell;
  int Uses = 0;
  {
    TOvcTableCells S;
    S.OnCellUse = [&](TOvcTableCellAncestor*, int D) { Uses += D; };
    for (int32_t R = 0; R < 100; R += 3) {
      TOvcCellOverride O;
      O.Cell = &Cell;
      S.SetAttributes(R, R % 7, std::move(O));
    }
    EXPECT_EQ(Uses, 34);
    EXPECT_EQ(S.GetCell(3, 3), &Cell);
    EXPECT_EQ(S.GetCell(3, 4), nullptr);
  }
  EXPECT_EQ(Uses, 0);
}

TEST(TableOptions, SetterRules) {
  using enum TOvcTblOption;
  auto Set = [](std::initializer_list<TOvcTblOption> L) {
    uint16_t B = 0;
    for (auto O : L) B |= TableOptionBit(O);
    return B;
  };
  const uint16_t Selecting = Set({otoMouseDragSelect, otoRowSelection, otoColSelection});
  EXPECT_EQ(AdjustedTableOptions(Set({otoBrowseRow}) | Selecting),
            Set({otoBrowseRow, otoNoRowResizing, otoNoColResizing, otoNoSelection}));
  EXPECT_EQ(AdjustedTableOptions(Set({otoAlwaysEditing, otoMouseDragSelect})),
            Set({otoAlwaysEditing, otoNoRowResizing, otoNoColResizing, otoNoSelection}));
  EXPECT_EQ(AdjustedTableOptions(Set({otoNoSelection}) | Selecting), Set({otoNoSelection}));
  EXPECT_EQ(AdjustedTableOptions(Set({otoRowSelection, otoAllowRowMoves, otoAllowColMoves})),
            Set({otoRowSelection, otoAllowColMoves}));
  EXPECT_EQ(AdjustedTableOptions(Set({otoColSelection, otoAllowRowMoves, otoAllowColMoves})),
            Set({otoColSelection, otoAllowRowMoves}));
  // Every result is a fixed point: applying the rules again changes nothing.
  for (uint32_t B = 0; B < (1u << 13); ++B) {
    const uint16_t Once = AdjustedTableOptions(static_cast<uint16_t>(B));
    ASSERT_EQ(AdjustedTableOptions(Once), Once) << B;
    ASSERT_FALSE((Once & TableOptionBit(otoRowSelection)) && (Once & TableOptionBit(otoAllowRowMoves)));
  }
}

TEST(CellEditors, KeysHandedToTheTable) {
  constexpr uint16_t Left = 0x25, Right = 0x27, Up = 0x26, Space = 0x20, Home = 0x24, A = 'A';
  const TEditCaret AtStart{0, 0, 5}, AtEnd{5, 0, 5}, All{0, 5, 5}, Inside{2, 0, 5}, Tail{2, 3, 5};
  using K = TCellEditorKind;
  // Verdict 0 keeps every key, 2 hands every key over.
  for (K Kind : {K::String, K::ComboEdit, K::ComboList, K::Glyph}) {
    EXPECT_FALSE(EditorPassesKey(Kind, 0, Up, true, AtStart));
    EXPECT_TRUE(EditorPassesKey(Kind, 2, A, false, Inside));
  }
  EXPECT_TRUE(EditorPassesKey(K::String, 1, Up, false, Inside));
  EXPECT_FALSE(EditorPassesKey(K::String, 1, Home, true, AtStart));
  EXPECT_FALSE(EditorPassesKey(K::String, 1, Left, false, AtStart));  // needs auto-advance
  EXPECT_TRUE(EditorPassesKey(K::String, 1, Left, true, AtStart));
  EXPECT_FALSE(EditorPassesKey(K::String, 1, Left, true, All));  // whole text selected
  EXPECT_TRUE(EditorPassesKey(K::String, 1, Right, true, All));
  EXPECT_TRUE(EditorPassesKey(K::String, 1, Right, true, AtEnd));
  EXPECT_FALSE(EditorPassesKey(K::String, 1, Right, true, Tail));
  EXPECT_FALSE(EditorPassesKey(K::String, 1, Right, true, Inside));
  EXPECT_FALSE(EditorPassesKey(K::ComboEdit, 1, Up, true, AtStart));  // the list uses it
  EXPECT_TRUE(EditorPassesKey(K::ComboEdit, 1, Right, true, AtEnd));
  EXPECT_TRUE(EditorPassesKey(K::ComboList, 1, Left, false, Inside));
  EXPECT_FALSE(EditorPassesKey(K::ComboList, 1, Up, false, Inside));
  EXPECT_TRUE(EditorPassesKey(K::Glyph, 1, Up, false, Inside));
  EXPECT_FALSE(EditorPassesKey(K::Glyph, 1, Space, false, Inside));
}

TEST(CellEditors, GlyphValuesStayOnActiveGlyphs) {
  EXPECT_EQ(ClampedGlyph(5, 2), 1);  // the last active glyph, not one past it
  EXPECT_EQ(ClampedGlyph(-3, 2), 0);
  EXPECT_EQ(ClampedGlyph(4, 0), 0);
  EXPECT_EQ(CycledGlyph(5, 2, 1), 0);
  // Space walks every active glyph once and comes back; Backspace walks them backwards.
  for (int32_t N = 1; N <= 4; ++N) {
    int32_t V = 0, W = 0;
    std::map<int32_t, int> Seen;
    for (int I = 0; I < N; ++I) {
      V = CycledGlyph(V, N, 1);
      W = CycledGlyph(W, N, -1);
      ++Seen[V];
      ASSERT_GE(W, 0);
      ASSERT_LT(W, N);
    }
    EXPECT_EQ(V, 0);
    EXPECT_EQ(W, 0);
    EXPECT_EQ(static_cast<int>(Seen.size()), N);
  }
}
