// The table's own events in the walk over every event of every control: those its
// navigator raises in the middle of a move, a scroll, a command or a mouse operation,
// those of editing, and those raised while it paints (its cells' data and attributes,
// the unused area, a cell's owner drawing), each from the user's input.
#include <array>
#include <cstdint>

#include "components/core/commands.h"
#include "components/table/celltext.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "platform/win32.h"
#include "tests/components/registered/freeing_rig.h"

namespace tess::testing {

namespace {

constexpr int32_t kColWidth = 60;

std::array<uint8_t, 256>& CellValue() {
  static std::array<uint8_t, 256> value = [] {
    std::array<uint8_t, 256> v{};
    StoreShortString(v.data(), "cell", 0);
    return v;
  }();
  return value;
}

TOvcCustomTable* TableOf(TRig& R) {
  return static_cast<TOvcCustomTable*>(R.control);
}

template <class Member>
THook TableEvent(Member M) {
  return Own<TOvcCustomTable>(M);
}

// The handler on the table, with an option set for the event first.
template <class Member>
THook TableEventWith(Member M, TOvcTblOption Option) {
  return Own<TOvcCustomTable>(
      M, [Option](TOvcCustomTable* T) { T->SetOptions(T->Options() + Option); });
}

// A click on a scrolling cell other than the active one (row 3, column 2), once the
// table has the focus: a first click would only focus it.
void ClickCell(TRig& R) {
  if (!R.Focus(TableOf(R))) return;
  R.MouseAt({2 * kColWidth + 10, 3 * TableOf(R)->Rows().DefaultHeight() + 5},
            {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
}

void Scroll(TRig& R) {
  PostMessageA(static_cast<HWND>(R.Window()), WM_VSCROLL, SB_LINEDOWN, 0);
  Pump();
}

// Starts editing the active cell; the editor then has the focus.
void Edit(TRig& R) {
  PressOn(R, VK_F2);
  Pump();
}

}  // namespace

void PrepareTable(TControl* C) {
  auto* table = dynamic_cast<TOvcCustomTable*>(C);
  if (!table) return;
  TComponent* owner = table->Owner();
  table->SetRowLimit(40);
  table->SetColCount(4);
  for (int col = 0; col < 4; ++col) table->Columns().SetWidth(col, kColWidth);
  table->SetLockedRowsCell(new TOvcTCColHead(owner));
  for (int col = 1; col < 4; ++col) table->SetColumnCell(col, new TOvcTCString(owner));
  table->OnGetCellData = [](TObject*, int32_t, int, void*& Data, TOvcCellDataPurpose) {
    Data = CellValue().data();
  };
}

const std::vector<TEventCase>& TableEventCases() {
  using T = TOvcCustomTable;
  static const std::vector<TEventCase> cases = {
      // A move by a key: the navigator raises these while it moves the active cell.
      {"OnActiveCellMoving by a key", TableEvent(&T::OnActiveCellMoving),
       [](TRig& R) { PressOn(R, VK_DOWN); }},
      {"OnActiveCellMoving by a click", TableEvent(&T::OnActiveCellMoving), ClickCell},
      {"OnActiveCellMoving by a drag selection",
       TableEventWith(&T::OnActiveCellMoving, TOvcTblOption::otoMouseDragSelect),
       [](TRig& R) {
         if (!R.Focus(TableOf(R))) return;
         const int32_t h = TableOf(R)->Rows().DefaultHeight();
         // The press (on a cell not active, which would start editing) moves the active
         // cell too: the handler is set once it is done.
         auto handler = std::move(TableOf(R)->OnActiveCellMoving);
         TableOf(R)->OnActiveCellMoving = nullptr;
         R.MouseAt({kColWidth + 10, 2 * h + 5}, {{WM_LBUTTONDOWN, MK_LBUTTON}});
         TableOf(R)->OnActiveCellMoving = std::move(handler);
         R.MouseAt({2 * kColWidth + 10, 3 * h + 5},
                   {{WM_MOUSEMOVE, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
       }},
      {"OnActiveCellChanged by a key", TableEvent(&T::OnActiveCellChanged),
       [](TRig& R) { PressOn(R, VK_DOWN); }},
      {"OnActiveCellChanged by a click", TableEvent(&T::OnActiveCellChanged), ClickCell},
      {"OnLeavingRow", TableEvent(&T::OnLeavingRow), [](TRig& R) { PressOn(R, VK_DOWN); }},
      {"OnLeavingRow by a click", TableEvent(&T::OnLeavingRow), ClickCell},
      {"OnLeavingColumn", TableEvent(&T::OnLeavingColumn), [](TRig& R) { PressOn(R, VK_RIGHT); }},
      {"OnEnteringRow by a move", TableEvent(&T::OnEnteringRow),
       [](TRig& R) { PressOn(R, VK_DOWN); }},
      {"OnEnteringColumn by a move", TableEvent(&T::OnEnteringColumn),
       [](TRig& R) { PressOn(R, VK_RIGHT); }},
      {"OnTopLeftCellChanging by a page key", TableEvent(&T::OnTopLeftCellChanging),
       [](TRig& R) { PressOn(R, VK_NEXT); }},
      {"OnTopLeftCellChanged by a page key", TableEvent(&T::OnTopLeftCellChanged),
       [](TRig& R) { PressOn(R, VK_NEXT); }},
      {"OnTopLeftCellChanging by the scroll bar", TableEvent(&T::OnTopLeftCellChanging), Scroll},
      {"OnTopLeftCellChanged by the scroll bar", TableEvent(&T::OnTopLeftCellChanged), Scroll},
      {"OnLockedCellClick", TableEventWith(&T::OnLockedCellClick, TOvcTblOption::otoNoSelection),
       [](TRig& R) {
         if (!R.Focus(TableOf(R))) return;
         R.MouseAt({kColWidth + 10, 5}, {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
       }},
      {"OnUserCommand (table)", TableEvent(&T::OnUserCommand),
       [](TRig& R) {
         BindUserCommand(R, GridTableName(), kUserKey);
         PressOn(R, kUserKey);
       }},
      {"OnClipboardCopy", TableEvent(&T::OnClipboardCopy), [](TRig& R) { PressOn(R, 'C', true); }},
      {"OnClipboardCut", TableEvent(&T::OnClipboardCut), [](TRig& R) { PressOn(R, 'X', true); }},
      {"OnClipboardPaste", TableEvent(&T::OnClipboardPaste),
       [](TRig& R) { PressOn(R, 'V', true); }},
      // A column's width or a row's height changed by the mouse on the headings.
      {"OnColumnsChanged", TableEvent(&T::OnColumnsChanged),
       [](TRig& R) {
         if (R.Focus(TableOf(R))) R.PressMoveRelease({kColWidth, 5}, {kColWidth + 30, 5});
       }},
      {"OnRowsChanged", TableEvent(&T::OnRowsChanged),
       [](TRig& R) {
         const int32_t h = TableOf(R)->Rows().DefaultHeight();
         if (R.Focus(TableOf(R))) R.PressMoveRelease({5, h}, {5, h + 20});
       }},
      // Editing.
      {"OnBeginEdit", TableEvent(&T::OnBeginEdit), Edit},
      {"OnSizeCellEditor", TableEvent(&T::OnSizeCellEditor), Edit},
      {"OnEndEdit", TableEvent(&T::OnEndEdit),
       [](TRig& R) {
         Edit(R);
         PressKey(VK_DOWN);
       }},
      {"OnDoneEdit", TableEvent(&T::OnDoneEdit),
       [](TRig& R) {
         Edit(R);
         PressKey(VK_DOWN);
       }},
      // Painting: by a paint message, and when a move's redraw lock ends.
      {"OnGetCellData by a paint message", TableEvent(&T::OnGetCellData),
       [](TRig& R) { R.Repaint(); }},
      {"OnGetCellData by a move", TableEvent(&T::OnGetCellData),
       [](TRig& R) { PressOn(R, VK_DOWN); }},
      {"OnGetCellAttributes by a paint message", TableEvent(&T::OnGetCellAttributes),
       [](TRig& R) { R.Repaint(); }},
      {"OnGetCellAttributes by a move", TableEvent(&T::OnGetCellAttributes),
       [](TRig& R) { PressOn(R, VK_DOWN); }},
      {"OnEnteringRow by a paint message", TableEvent(&T::OnEnteringRow),
       [](TRig& R) { R.Repaint(); }},
      {"OnPaintUnusedArea", TableEvent(&T::OnPaintUnusedArea), [](TRig& R) { R.Repaint(); }},
      {"OnOwnerDraw of a cell",
       [](TControl* C) -> TObject* {
         auto* t = dynamic_cast<TOvcCustomTable*>(C);
         if (!t) return nullptr;
         auto* cell = dynamic_cast<TOvcBaseTableCell*>(t->Columns().GetDefaultCell(1));
         if (!cell) return t;  // not yet given its cells: the walk only asks
         cell->OnOwnerDraw = Freeing();
         return cell;
       },
       [](TRig& R) { R.Repaint(); }},
  };
  return cases;
}

}  // namespace tess::testing
