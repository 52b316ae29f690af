// Edits across changes of the table's structure: rows and columns deleted, exchanged,
// appended, counted, hidden or locked, and cells changed, while a cell is edited; and
// handlers that free the edited cell or change the rows while the edit starts or ends.
//
// The owner keeps its records as a real one does: by row and column identity (it follows
// the table's change events), in buffers sized by the kind of cell of the column (a short
// string of MaxLength + 1 bytes, a null-terminated one, a check box's single byte), each
// followed by guard bytes.  An edit reaches its own record or none.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "components/core/commands.h"
#include "components/table/celltext.h"
#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

enum class Kind { None, Text, Short5, Zero10, Check };

constexpr size_t kGuard = 8;
constexpr uint8_t kGuardByte = 0xAB;

size_t BufferSize(Kind K) {
  switch (K) {
    case Kind::Text:
      return 256;
    case Kind::Short5:
      return 6;
    case Kind::Zero10:
      return 11;
    case Kind::Check:
      return 1;
    case Kind::None:
      break;
  }
  return 0;
}

// What a cell of the kind stores of an edited value (a check box's is its glyph number).
std::string Stored(Kind K, const std::string& Typed) {
  switch (K) {
    case Kind::Text:
      return Typed.substr(0, 255);
    case Kind::Short5:
      return Typed.substr(0, 5);
    case Kind::Zero10:
      return Typed.substr(0, 10);
    default:
      return Typed;
  }
}

struct Record {
  Kind K;
  std::vector<uint8_t> Bytes;
  explicit Record(Kind Of) : K(Of), Bytes(BufferSize(Of) + kGuard, kGuardByte) {
    std::fill_n(Bytes.begin(), BufferSize(Of), uint8_t{0});
  }
  bool GuardIntact() const {
    for (size_t I = BufferSize(K); I < Bytes.size(); ++I)
      if (Bytes[I] != kGuardByte) return false;
    return true;
  }
  std::string Value() const {
    switch (K) {
      case Kind::Zero10:
        return std::string(reinterpret_cast<const char*>(Bytes.data()));
      case Kind::Check:
        return std::to_string(Bytes[0]);
      default:
        return ReadShortString(Bytes.data());
    }
  }
};

using Ids = std::pair<int, int>;

// Rows and columns by identity, kept in step through the table's change events.
class Owner {
 public:
  std::vector<int> rows, cols;
  std::map<int, Kind> kinds;  // by column identity
  std::map<Ids, Record> records;
  int next = 1;

  void Attach(TOvcCustomTable* T) {
    table_ = T;
    Sync();
    T->OnRowsChanged = [this](TObject*, int32_t R1, int32_t R2, TOvcTblActions A) {
      if (A == TOvcTblActions::taCount)
        while (static_cast<int32_t>(rows.size()) < table_->RowLimit()) rows.push_back(next++);
      if (A == TOvcTblActions::taDelete && R1 < static_cast<int32_t>(rows.size()))
        rows.erase(rows.begin() + R1);
      if (A == TOvcTblActions::taExchange) std::swap(rows.at(R1), rows.at(R2));
    };
    T->OnColumnsChanged = [this](TObject*, int C1, int C2, TOvcTblActions A) {
      if (A == TOvcTblActions::taInsert) cols.insert(cols.begin() + C1, next++);
      if (A == TOvcTblActions::taDelete) cols.erase(cols.begin() + C1);
      if (A == TOvcTblActions::taExchange) std::swap(cols.at(C1), cols.at(C2));
      if (A == TOvcTblActions::taAll) cols.clear();
    };
    T->OnGetCellData = [this](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose) {
      if (R >= static_cast<int32_t>(rows.size()) || C >= static_cast<int>(cols.size())) return;
      const Kind K = KindOf(C);
      if (K == Kind::None) return;
      Data = records.try_emplace({rows[static_cast<size_t>(R)], cols[static_cast<size_t>(C)]}, K)
                 .first->second.Bytes.data();
    };
  }
  // Rows beyond the count go (from the end), new ones come at the end.
  void Sync() {
    while (static_cast<int32_t>(rows.size()) > table_->RowLimit()) rows.pop_back();
    while (static_cast<int32_t>(rows.size()) < table_->RowLimit()) rows.push_back(next++);
    while (static_cast<int32_t>(cols.size()) > table_->ColCount()) cols.pop_back();
    while (static_cast<int32_t>(cols.size()) < table_->ColCount()) cols.push_back(next++);
  }
  Kind KindOf(int C) const {
    auto It = kinds.find(cols.at(static_cast<size_t>(C)));
    return It == kinds.end() ? Kind::None : It->second;
  }
  // A column given a cell of another kind is another column to this owner.
  void Renew(int C, Kind K) {
    cols.at(static_cast<size_t>(C)) = next++;
    kinds[cols[static_cast<size_t>(C)]] = K;
  }
  Ids At(int32_t R, int C) const {
    return {rows.at(static_cast<size_t>(R)), cols.at(static_cast<size_t>(C))};
  }
  std::string ValueOf(const Ids& I) const {
    auto It = records.find(I);
    return It == records.end() ? std::string() : It->second.Value();
  }

 private:
  TOvcCustomTable* table_ = nullptr;
};

// Its freed memory is spoilt and kept, so that a use after freeing is caught.
class TSpoiltString : public TOvcTCString {
 public:
  using TOvcTCString::TOvcTCString;
  static void operator delete(void* P, size_t Size) { std::memset(P, 0xCD, Size); }
};

// A string cell that can refuse to give up its value.
class TStubbornString : public TOvcTCString {
 public:
  using TOvcTCString::TOvcTCString;
  bool refuse = false;
  bool CanStopEditing(bool SaveValue) override { return !(refuse && SaveValue); }
};

class StructureTest : public FormTest {
 public:
  void SetUp() override {
    FormTest::SetUp();
    form->SetBounds(0, 0, 700, 420);
    new TOvcController(form);
    ShowForm();
  }
  void TearDown() override {
    holder.reset();
    FormTest::TearDown();
  }

  // A table of 30 rows and 8 columns: column 0 locked without a cell, then columns of
  // text, check box, null-terminated (10), short (5), text, check box, null-terminated.
  void Build(bool Spoilt = false) {
    holder.reset();
    owner = Owner{};
    veto = false;
    holder = std::make_unique<TComponent>(nullptr);
    table = new TOvcTable(holder.get());
    table->SetParent(form);
    table->SetBounds(0, 0, 680, 400);
    table->SetRowLimit(30);
    table->SetColCount(8);
    for (int C = 0; C < 8; ++C) table->Columns().SetWidth(C, 80);
    table->Rows().SetDefaultHeight(18);
    if (Spoilt)
      text = new TSpoiltString(holder.get());
    else
      text = new TStubbornString(holder.get());
    short5 = new TOvcTCString(holder.get());
    short5->SetMaxLength(5);
    zero10 = new TOvcTCString(holder.get());
    zero10->UseASCIIZStrings = true;
    zero10->SetMaxLength(10);
    check = new TOvcTCCheckBox(holder.get());
    spare_text = new TOvcTCString(holder.get());
    spare_check = new TOvcTCCheckBox(holder.get());
    owner.Attach(table);
    const std::pair<TOvcBaseTableCell*, Kind> layout[] = {
        {nullptr, Kind::None},  {text, Kind::Text}, {check, Kind::Check}, {zero10, Kind::Zero10},
        {short5, Kind::Short5}, {text, Kind::Text}, {check, Kind::Check}, {zero10, Kind::Zero10}};
    for (int C = 0; C < 8; ++C) SetCell(C, layout[C].first, layout[C].second);
    table->OnEndEdit = [this](TObject*, TOvcTableCellAncestor*, int32_t, int, bool& Allow) {
      Allow = !veto;
    };
    Pump();
    table->SetFocus();
    Pump();
  }
  void SetCell(int C, TOvcBaseTableCell* Cell, Kind K) {
    table->SetColumnCell(C, Cell);
    owner.Renew(C, Cell ? K : Kind::None);
  }

  static Kind KindOfCell(const TOvcBaseTableCell* C) {
    if (dynamic_cast<const TOvcTCCheckBox*>(C)) return Kind::Check;
    auto* S = dynamic_cast<const TOvcTCString*>(C);
    if (!S) return Kind::None;
    if (S->UseASCIIZStrings) return Kind::Zero10;
    return S->MaxLength() == 5 ? Kind::Short5 : Kind::Text;
  }

  // Types a value into the editor (a text, or a check box's glyph number); answers what
  // the editor then holds.
  std::string Type(const std::string& V) {
    TOvcBaseTableCell* Cell = table->EditingCell();
    if (auto* S = dynamic_cast<TOvcTCString*>(Cell)) {
      S->EditControl()->SetText(V);
      return S->EditControl()->Text();
    }
    if (auto* G = dynamic_cast<TOvcTCCheckBox*>(Cell)) {
      G->EditControl()->SetValue(std::stoi(V));
      return std::to_string(G->EditControl()->Value());
    }
    ADD_FAILURE() << "no editor";
    return V;
  }

  // Every record's guard is intact and every value is the model's, but for Except.
  void ExpectRecords(const std::map<Ids, std::string>& Model, const Ids* Except = nullptr) {
    for (const auto& [ids, rec] : owner.records) {
      ASSERT_TRUE(rec.GuardIntact()) << ids.first << "," << ids.second;
      if (Except && ids == *Except) continue;
      auto It = Model.find(ids);
      const std::string Want = It == Model.end() ? (rec.K == Kind::Check ? "0" : "") : It->second;
      ASSERT_EQ(rec.Value(), Want) << ids.first << "," << ids.second;
    }
  }

  std::unique_ptr<TComponent> holder;
  Owner owner;
  TOvcTable* table = nullptr;
  TOvcTable* other = nullptr;
  TOvcTCString* text = nullptr;
  TOvcTCString *short5 = nullptr, *zero10 = nullptr, *spare_text = nullptr;
  TOvcTCCheckBox *check = nullptr, *spare_check = nullptr;
  bool veto = false;
};

using Change = std::pair<const char*, std::function<void(TOvcTable*, StructureTest*)>>;

// Each change of rows, columns, locked counts or cells, made while (5, 5) is edited.
std::vector<Change> Changes() {
  auto Override = [](TOvcTable* T, TOvcTableCellAncestor* Cell, TOvcTblAccess A) {
    TOvcCellOverride O;
    O.Cell = Cell;
    O.Access = A;
    T->CellStore().SetAttributes(5, 5, std::move(O));
  };
  return {
      {"its row deleted", [](TOvcTable* T, StructureTest*) { T->Rows().Delete(5); }},
      {"a row above deleted", [](TOvcTable* T, StructureTest*) { T->Rows().Delete(2); }},
      {"its row exchanged", [](TOvcTable* T, StructureTest*) { T->Rows().Exchange(5, 6); }},
      {"two other rows exchanged", [](TOvcTable* T, StructureTest*) { T->Rows().Exchange(8, 9); }},
      {"the row limit lowered past it", [](TOvcTable* T, StructureTest*) { T->SetRowLimit(4); }},
      {"the row list counted down", [](TOvcTable* T, StructureTest*) { T->Rows().SetCount(5); }},
      {"the row limit raised", [](TOvcTable* T, StructureTest*) { T->SetRowLimit(40); }},
      {"its row hidden", [](TOvcTable* T, StructureTest*) { T->Rows().SetHidden(5, true); }},
      {"its column deleted", [](TOvcTable* T, StructureTest*) { T->Columns().Delete(5); }},
      {"a column before it deleted", [](TOvcTable* T, StructureTest*) { T->Columns().Delete(2); }},
      {"its column exchanged with a check box's",
       [](TOvcTable* T, StructureTest*) { T->Columns().Exchange(5, 6); }},
      {"two other columns exchanged",
       [](TOvcTable* T, StructureTest*) { T->Columns().Exchange(2, 3); }},
      {"a column appended",
       [](TOvcTable* T, StructureTest*) {
         T->Columns().Append(std::make_unique<TOvcTableColumn>());
       }},
      {"the column count lowered past it", [](TOvcTable* T, StructureTest*) { T->SetColCount(4); }},
      {"the column list counted down",
       [](TOvcTable* T, StructureTest*) { T->Columns().SetCount(5); }},
      {"the column count raised", [](TOvcTable* T, StructureTest*) { T->SetColCount(12); }},
      {"the columns cleared", [](TOvcTable* T, StructureTest*) { T->Columns().Clear(); }},
      {"its column hidden",
       [](TOvcTable* T, StructureTest*) { T->Columns().GetColumn(5)->SetHidden(true); }},
      {"its column hidden by assigning another",
       [](TOvcTable* T, StructureTest*) {
         TOvcTableColumn Hidden;
         Hidden.Assign(T->Columns().GetColumn(5));
         Hidden.SetHidden(true);
         T->Columns().GetColumn(5)->Assign(&Hidden);
       }},
      {"its column given another cell by the column",
       [](TOvcTable* T, StructureTest* S) {
         T->Columns().GetColumn(5)->SetDefaultCell(S->spare_text);
       }},
      {"its column given a check box by the table",
       [](TOvcTable* T, StructureTest* S) { T->SetColumnCell(5, S->spare_check); }},
      {"its cell taken off the table",
       [](TOvcTable*, StructureTest* S) { S->text->SetTable(nullptr); }},
      {"its cell given to another table",
       [](TOvcTable*, StructureTest* S) {
         S->other = new TOvcTable(S->holder.get());
         S->text->SetTable(S->other);
       }},
      {"its column given no cell",
       [](TOvcTable* T, StructureTest*) { T->SetColumnCell(5, nullptr); }},
      {"its cell made read-only by an override",
       [Override](TOvcTable* T, StructureTest*) {
         Override(T, nullptr, TOvcTblAccess::otxReadOnly);
       }},
      {"its cell given a check box by an override",
       [Override](TOvcTable* T, StructureTest* S) {
         Override(T, S->spare_check, TOvcTblAccess::otxDefault);
       }},
      {"the overrides cleared",
       [](TOvcTable* T, StructureTest*) {
         TOvcCellOverride O;
         O.Access = TOvcTblAccess::otxNormal;
         T->CellStore().SetAttributes(9, 9, std::move(O));
         T->CellStore().Clear();
       }},
      {"more rows locked", [](TOvcTable* T, StructureTest*) { T->SetLockedRows(3); }},
      {"no row locked", [](TOvcTable* T, StructureTest*) { T->SetLockedRows(0); }},
      {"more columns locked", [](TOvcTable* T, StructureTest*) { T->SetLockedCols(2); }},
      {"no column locked", [](TOvcTable* T, StructureTest*) { T->SetLockedCols(0); }},
  };
}

// The edit ends before the change, as a move would end it: its value is saved in its own
// record (200 characters never reach a check box's byte), and no other record changes.
TEST_F(StructureTest, AnEditEndsSavedBeforeAnyChangeOfRowsColumnsOrCells) {
  const std::string typed(200, 'e');
  for (const auto& [name, change] : Changes()) {
    SCOPED_TRACE(name);
    Build();
    table->SetActiveCell(5, 5);
    ASSERT_TRUE(table->StartEditingState());
    Type(typed);
    const Ids edited = owner.At(5, 5);
    change(table, this);
    Pump();
    owner.Sync();
    EXPECT_FALSE(table->InEditingState());
    EXPECT_EQ(text->EditControl(), nullptr);
    EXPECT_EQ(owner.ValueOf(edited), typed);
    ExpectRecords({}, &edited);
  }
}

// An edit that cannot be saved, refused by OnEndEdit or by its cell, is dropped instead:
// the change still goes ahead and no record changes at all.
TEST_F(StructureTest, AnEditThatCannotBeSavedIsDroppedBeforeAChange) {
  for (bool by_cell : {false, true})
    for (const auto& [name, change] : Changes()) {
      SCOPED_TRACE(std::string(name) + (by_cell ? ", the cell refusing" : ", OnEndEdit refusing"));
      Build();
      table->SetActiveCell(5, 5);
      ASSERT_TRUE(table->StartEditingState());
      Type("never saved");
      veto = !by_cell;
      static_cast<TStubbornString*>(text)->refuse = by_cell;
      change(table, this);
      Pump();
      owner.Sync();
      EXPECT_FALSE(table->InEditingState());
      EXPECT_EQ(table->EditingCell(), nullptr);
      EXPECT_EQ(text->EditControl(), nullptr);
      ExpectRecords({});
    }
}

// With otoAlwaysEditing the edit is saved before the change and the cell then active is
// edited again.
TEST_F(StructureTest, AlwaysEditingEditsAgainAfterAChange) {
  for (const auto& [name, change] : Changes()) {
    SCOPED_TRACE(name);
    Build();
    table->SetOptions(TOvcTblOptionSet{TOvcTblOption::otoAlwaysEditing});
    table->SetActiveCell(5, 5);
    Pump();
    ASSERT_TRUE(table->InEditingState());
    Type("again");
    const Ids edited = owner.At(5, 5);
    change(table, this);
    Pump();
    owner.Sync();
    EXPECT_EQ(owner.ValueOf(edited), "again");
    ExpectRecords({}, &edited);
    TOvcBaseTableCell* Now = table->GetCellForPaint(table->ActiveRow(), table->ActiveCol());
    TOvcCellAttributes A;
    if (Now) Now->ResolveAttributes(table->ActiveRow(), table->ActiveCol(), A);
    const bool Editable = Now && A.Access == TOvcTblAccess::otxNormal;
    EXPECT_EQ(table->InEditingState(), Editable);
    if (Editable) {
      EXPECT_EQ(table->EditingCell(), Now);
    }
  }
}

// A handler that runs while an edit starts or ends and frees the edited cell: the table
// never touches the cell after (its memory is spoilt), nothing is saved, the table is idle.
// A handler that changes the rows there instead leaves every record as it was.
TEST_F(StructureTest, HandlersThatFreeTheCellOrChangeRowsWhileAnEditStartsOrEnds) {
  struct Way {
    const char* name;
    bool while_ending;
    std::function<void(StructureTest*, std::function<void()>)> arm;
  };
  auto Once = [](std::function<void()> F) {
    return [F, done = std::make_shared<bool>(false)]() {
      if (!*done) *done = true, F();
    };
  };
  // The owner's fetch for one purpose runs F first, once.
  auto OnFetch = [Once](TOvcCellDataPurpose Purpose) {
    return [Once, Purpose](StructureTest* S, std::function<void()> F) {
      auto Fetch = S->table->OnGetCellData;
      S->table->OnGetCellData = [Fetch, Purpose, G = Once(F)](TObject* T, int32_t R, int C,
                                                              void*& Data, TOvcCellDataPurpose P) {
        if (P == Purpose) G();
        Fetch(T, R, C, Data, P);
      };
    };
  };
  const std::vector<Way> ways = {
      {"OnSizeCellEditor", false,
       [Once](StructureTest* S, std::function<void()> F) {
         S->table->OnSizeCellEditor = [G = Once(F)](TObject*, int32_t, int, TRect&,
                                                    TOvcTblEditorStyle&) { G(); };
       }},
      {"OnTopLeftCellChanged", false,
       [Once](StructureTest* S, std::function<void()> F) {
         S->table->SetTopRow(20);
         S->table->OnTopLeftCellChanged = [G = Once(F)](TObject*, int32_t, int) { G(); };
       }},
      {"OnGetCellAttributes", false,
       [Once](StructureTest* S, std::function<void()> F) {
         S->table->OnGetCellAttributes = [G = Once(F)](TObject*, int32_t R, int C,
                                                       TOvcCellAttributes&) {
           if (R == 5 && C == 5) G();
         };
       }},
      {"OnGetCellData to edit", false, OnFetch(TOvcCellDataPurpose::cdpForEdit)},
      {"OnEndEdit", true,
       [Once](StructureTest* S, std::function<void()> F) {
         S->table->OnEndEdit = [G = Once(F)](TObject*, TOvcTableCellAncestor*, int32_t, int,
                                             bool&) { G(); };
       }},
      {"OnGetCellData to save", true, OnFetch(TOvcCellDataPurpose::cdpForSave)},
      {"OnDoneEdit", true,
       [Once](StructureTest* S, std::function<void()> F) {
         S->table->OnDoneEdit = [G = Once(F)](TObject*, int32_t, int) { G(); };
       }},
  };
  for (const Way& way : ways)
    for (bool frees : {true, false}) {
      SCOPED_TRACE(std::string(way.name) + (frees ? " frees the cell" : " deletes the row"));
      Build(true);
      auto Act = [this, frees] {
        if (frees)
          delete text;
        else
          table->Rows().Delete(5);
      };
      table->SetActiveCell(5, 5);
      const Ids edited = owner.At(5, 5);
      if (!way.while_ending) way.arm(this, Act);
      const bool started = table->StartEditingState();
      if (way.while_ending) {
        ASSERT_TRUE(started);
        Type("lost");
        way.arm(this, Act);
        EXPECT_TRUE(table->StopEditingState(true));
      }
      Pump();
      owner.Sync();
      EXPECT_FALSE(table->InEditingState());
      EXPECT_EQ(table->EditingCell(), nullptr);
      // Painted, edited and ended again after it, without the cell.
      table->Invalidate();
      UpdateWindow(static_cast<HWND>(table->Handle()));
      table->StartEditingState();
      table->StopEditingState(false);
      // Only OnDoneEdit comes after the value was saved.
      std::map<Ids, std::string> model;
      if (std::string(way.name) == "OnDoneEdit") model[edited] = "lost";
      ExpectRecords(model);
    }
}

// Random edits, moves and changes of rows, columns, locked counts and cells, with edits
// that OnEndEdit sometimes refuses: after every step no record but the edited one has
// changed, every guard is intact, the edited one holds its old value or the edit's, and an
// edit that goes on still belongs to the record and the cell at the active position.
TEST_F(StructureTest, RandomChangesDuringEditsKeepEveryRecord) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(seed);
    Build();
    std::mt19937 rng(seed);
    auto Pick = [&rng](int32_t N) {
      return N <= 0 ? 0 : static_cast<int32_t>(rng() % static_cast<unsigned>(N));
    };
    const std::pair<TOvcBaseTableCell*, Kind> cells[] = {
        {text, Kind::Text},   {short5, Kind::Short5},   {zero10, Kind::Zero10},
        {check, Kind::Check}, {spare_text, Kind::Text}, {spare_check, Kind::Check},
        {nullptr, Kind::None}};
    std::map<Ids, std::string> model;
    struct Edit {
      Ids ids;
      Kind kind;
      std::string old_value, typed;
    };
    std::optional<Edit> edit;
    auto Began = [&] {
      if (!table->InEditingState()) return std::optional<Edit>();
      const Ids I = owner.At(table->ActiveRow(), table->ActiveCol());
      const Kind K = owner.KindOf(table->ActiveCol());
      const std::string V = owner.ValueOf(I).empty() && K == Kind::Check ? "0" : owner.ValueOf(I);
      return std::optional<Edit>(Edit{I, K, V, V});
    };
    for (int step = 0; step < 700; ++step) {
      SCOPED_TRACE(step);
      const int32_t Rows = table->RowLimit(), Cols = table->ColCount();
      bool may_save = !veto;
      bool type_after = false, restarts = false;
      auto TypeSome = [&] {
        if (edit)
          edit->typed =
              Type(edit->kind == Kind::Check ? std::to_string(Pick(3))
                                             : std::string(static_cast<size_t>(Pick(300)),
                                                           static_cast<char>('a' + Pick(26))));
      };
      // Half the steps without an edit start one.
      const int op = !table->InEditingState() && Pick(2) ? 0 : Pick(20);
      SCOPED_TRACE(op);
      switch (op) {
        case 0:
        case 1:
        case 2: {
          // Mostly to a column with a cell.
          int32_t C = Pick(Cols + 1);
          for (int Try = 0; Try < 4 && !table->Columns().GetDefaultCell(C); ++Try) C = Pick(Cols);
          // A target that comes back to the edited cell still ends and starts the edit.
          table->SetActiveCell(Pick(Rows + 1), C);
          table->StartEditingState();
          type_after = restarts = true;
          break;
        }
        case 3:
        case 4:
          TypeSome();
          break;
        case 5: {
          const bool save = Pick(2) == 0;
          may_save = may_save && save;
          table->StopEditingState(save);
          break;
        }
        case 6:
          veto = Pick(3) == 0;
          may_save = false;  // nothing ends here
          break;
        case 7:
          table->Rows().Delete(Pick(Rows));
          break;
        case 8:
          table->Rows().Exchange(Pick(Rows), Pick(Rows));
          break;
        case 9:
          Pick(2) ? table->SetRowLimit(2 + Pick(30)) : table->Rows().SetCount(Pick(30));
          break;
        case 10:
          table->Columns().Delete(Pick(Cols));
          break;
        case 11:
          table->Columns().Exchange(Pick(Cols), Pick(Cols));
          break;
        case 12:
          if (Pick(8) == 0) table->Columns().Clear();
          Pick(2) ? table->SetColCount(2 + Pick(10))
                  : table->Columns().Append(std::make_unique<TOvcTableColumn>());
          owner.Sync();
          // New columns get cells, one by one.
          for (int32_t C = 0; C < table->ColCount(); ++C)
            if (!table->Columns().GetDefaultCell(C)) {
              const auto& [cell, kind] = cells[Pick(6)];
              table->SetColumnCell(C, cell);
              owner.Renew(C, kind);
            }
          break;
        case 13:
          Pick(2) ? table->SetLockedRows(Pick(4)) : table->SetLockedCols(Pick(4));
          break;
        case 14:
          if (Pick(2))
            table->Rows().SetHidden(Pick(Rows), Pick(3) == 0);
          else if (TOvcTableColumn* C = table->Columns().GetColumn(Pick(Cols)))
            C->SetHidden(Pick(3) == 0);
          break;
        case 15: {
          const int32_t C = Pick(Cols);
          const auto& [cell, kind] = cells[Pick(8) == 0 ? 6 : Pick(6)];
          if (C >= table->ColCount()) break;
          TOvcTableCellAncestor* Before = table->Columns().GetDefaultCell(C);
          if (Pick(2))
            table->SetColumnCell(C, cell);
          else
            table->Columns().GetColumn(C)->SetDefaultCell(cell);
          if (table->Columns().GetDefaultCell(C) != Before) owner.Renew(C, kind);
          break;
        }
        case 16: {
          TOvcCellOverride O;
          O.Access = Pick(2) ? TOvcTblAccess::otxReadOnly : TOvcTblAccess::otxNormal;
          table->CellStore().SetAttributes(Pick(Rows), Pick(Cols), std::move(O));
          break;
        }
        default:
          table->ProcessCommand(static_cast<uint16_t>(Pick(2) ? ccDown : ccRight));
          break;
      }
      Pump();
      owner.Sync();
      // An edit going on belongs to the active position's record and cell.
      const bool editing = table->InEditingState();
      if (editing) {
        ASSERT_GE(table->ActiveRow(), table->LockedRows());
        ASSERT_GE(table->ActiveCol(), table->LockedCols());
        ASSERT_LT(table->ActiveRow(), table->RowLimit());
        ASSERT_LT(table->ActiveCol(), table->ColCount());
        ASSERT_EQ(table->EditingCell(),
                  table->GetCellForPaint(table->ActiveRow(), table->ActiveCol()));
        ASSERT_EQ(KindOfCell(table->EditingCell()), owner.KindOf(table->ActiveCol()));
      }
      const bool goes_on =
          editing && edit && owner.At(table->ActiveRow(), table->ActiveCol()) == edit->ids;
      // The edit that was going on reached its own record or none.
      if (edit) {
        const std::string Now = owner.ValueOf(edit->ids);
        const std::string Seen = Now.empty() && edit->kind == Kind::Check ? "0" : Now;
        if ((goes_on && !restarts) || !may_save)
          ASSERT_EQ(Seen, edit->old_value);
        else
          ASSERT_TRUE(Seen == edit->old_value || Seen == Stored(edit->kind, edit->typed))
              << Seen.substr(0, 20);
        model[edit->ids] = Seen;
        if (goes_on) edit->old_value = Seen;
      }
      ExpectRecords(model);
      if (HasFatalFailure()) return;
      if (!goes_on) edit = Began();
      if (type_after) TypeSome();
    }
    table->StopEditingState(false);
  }
}

}  // namespace
}  // namespace tess
