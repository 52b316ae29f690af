// The control side of the table grid's ancestors: the list of cell components a table
// uses (not owned), stored with the form as "CellData" (the cells' names) and attached
// again by name once the table's window exists; and the event types of the grid.
//
// A listed cell that is destroyed leaves the list (DropCell, from the cell's destructor
// and from free notification), so the list never holds a dangling cell.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/core/cellancestor.h"
#include "components/core/cellnames.h"
#include "components/core/controller.h"
#include "components/core/tabletypes.h"

namespace tess {

using TOvcTblOptionSet = TEnumSet<TOvcTblOption>;

using TRowNotifyEvent = std::function<void(TObject* Sender, int32_t RowNum)>;
using TColNotifyEvent = std::function<void(TObject* Sender, int ColNum)>;
using TCellNotifyEvent = std::function<void(TObject* Sender, int32_t RowNum, int ColNum)>;
using TCellDataNotifyEvent = std::function<void(TObject* Sender, int32_t RowNum, int ColNum,
                                                void*& Data, TOvcCellDataPurpose Purpose)>;
using TCellAttrNotifyEvent =
    std::function<void(TObject* Sender, int32_t RowNum, int ColNum, TOvcCellAttributes& CellAttr)>;
using TCellPaintNotifyEvent =
    std::function<void(TObject* Sender, TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum,
                       int ColNum, const TOvcCellAttributes& CellAttr, void* Data, bool& DoneIt)>;
using TCellBeginEditNotifyEvent =
    std::function<void(TObject* Sender, int32_t RowNum, int ColNum, bool& AllowIt)>;
using TCellEndEditNotifyEvent = std::function<void(TObject* Sender, TOvcTableCellAncestor* Cell,
                                                   int32_t RowNum, int ColNum, bool& AllowIt)>;
using TCellMoveNotifyEvent =
    std::function<void(TObject* Sender, uint16_t Command, int32_t& RowNum, int& ColNum)>;
using TCellChangeNotifyEvent = std::function<void(TObject* Sender, int32_t& RowNum, int& ColNum)>;
using TSizeCellEditorNotifyEvent =
    std::function<void(TObject* Sender, int32_t RowNum, int ColNum, TRect& CellRect,
                       TOvcTblEditorStyle& CellStyle)>;

class TOvcTableAncestor : public TOvcBase, public TOvcCellListener {
 public:
  explicit TOvcTableAncestor(TComponent* AOwner);
  ~TOvcTableAncestor() override;

  // Null is ignored, a listed cell left alone; a new one is appended and tells this
  // table of its changes (DoCellChanged) until it is removed.
  void AddCell(TOvcTableCellAncestor* Cell);
  void RemoveCell(TOvcTableCellAncestor* Cell);
  // A cell leaves this table (attached elsewhere, or being destroyed): every reference to
  // it goes.  Cell is compared by address only, never used: it may be past its own
  // destructor.
  void DropCell(const TComponent* Cell) override;
  int CellCount() const { return static_cast<int>(cells_.size()); }
  TOvcTableCellAncestor* Cells(int Index) const { return cells_.at(static_cast<size_t>(Index)); }

  // Scales every listed cell when M differs from D.
  virtual void ChangeScale(int M, int D);
  // After the table's colours or font changed.
  void NotifyCellsTableChanged();
  // Attaches the cells named by the form that was read (the table calls it once its
  // window exists); entries naming no cell of an open form are dropped.
  void ResolveCellNames();
  // Entries read and not yet resolved (empty when there are none).
  std::vector<std::string> PendingCellNames() const;
  // Resolves stored entries (cellnames.h) on the table's form, then on the screen's
  // forms; each cell found is handed to Found.
  void ResolveStoredCells(std::vector<std::string>& Pending,
                          const std::function<void(TOvcTableCellAncestor*)>& Found,
                          TCellNameRule Rule = TCellNameRule::CellList);

  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // A registered cell changed: the table repaints.
  void DoCellChanged(TObject* Sender) override = 0;
  // Asked by a cell's editor about a key: 0 the editor keeps it, 1 a navigation
  // command of the table, 2 a key the table always takes.
  virtual uint8_t FilterKey(TMessage& Msg) = 0;
  // Fills in what a cell inherits from the table.
  virtual void ResolveCellAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& CellAttr) = 0;
  // A live cell with its editor open is about to leave the table (attached elsewhere or
  // to none): an edit in it ends first.
  virtual void CellLeaving(TOvcTableCellAncestor* Cell) { static_cast<void>(Cell); }

 protected:
  // Stops hearing from every listed cell and empties the list (the table is going).
  void ReleaseCells();

 private:
  std::vector<TOvcTableCellAncestor*> cells_;
  std::unique_ptr<std::vector<std::string>> pending_;
};

}  // namespace tess
