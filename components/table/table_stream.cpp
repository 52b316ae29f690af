// The table grid in the component stream: its published properties with their defaults,
// "RowData" and "ColData" (tablestreamdata.h), and the resolution of the columns' cell
// names once the table's window exists.
//
// Places (locked counts, top-left and active cell) read from a stream wait until Loaded:
// the columns they refer to arrive later, with "ColData".
#include <algorithm>

#include "components/core/cellnames.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "components/table/tablestreamdata.h"
#include "framework/core/filer.h"

namespace tess {

namespace {

const std::vector<std::string> kAccessIdents = {"otxDefault", "otxNormal", "otxReadOnly",
                                                "otxInvisible"};
const std::vector<std::string> kAdjustIdents = {
    "otaDefault", "otaTopLeft",     "otaTopCenter",  "otaTopRight",     "otaCenterLeft",
    "otaCenter",  "otaCenterRight", "otaBottomLeft", "otaBottomCenter", "otaBottomRight"};
const std::vector<std::string> kOptionIdents = {
    "otoBrowseRow",    "otoNoRowResizing", "otoNoColResizing", "otoTabToArrow",
    "otoEnterToArrow", "otoAlwaysEditing", "otoNoSelection",   "otoMouseDragSelect",
    "otoRowSelection", "otoColSelection",  "otoThumbTrack",    "otoAllowColMoves",
    "otoAllowRowMoves"};

}  // namespace

void TOvcCustomTable::SetPlace(std::optional<int32_t>& Slot, int32_t Value,
                               void (TOvcCustomTable::*Apply)(int32_t)) {
  if (ComponentState() & csLoading)
    Slot = Value;
  else
    (this->*Apply)(Value);
}

void TOvcCustomTable::PublishProperties(TPropertyList& P) {
  TOvcTableAncestor::PublishProperties(P);
  // What a new table starts with, so that the other value is the one stored.
  P.Find("Color")->Default(clBtnFace);
  P.Find("ParentColor")->Default(false);
  P.Find("TabStop")->Default(true);
  P.Integer(
       "RowLimit", [this] { return RowLimit(); }, [this](int32_t v) { SetRowLimit(v); })
      .Default(10);
  // The places, each 1 by default.
  auto Place = [&](const char* Name, int32_t (TOvcCustomTable::*Get)() const,
                   std::optional<int32_t> TLoadedPlaces::*Slot,
                   void (TOvcCustomTable::*Apply)(int32_t)) {
    P.Integer(
         Name, [this, Get] { return (this->*Get)(); },
         [this, Slot, Apply](int32_t v) { SetPlace(loaded_.*Slot, v, Apply); })
        .Default(1);
  };
  Place("LockedRows", &TOvcCustomTable::LockedRows, &TLoadedPlaces::LockedRows,
        &TOvcCustomTable::SetLockedRows);
  Place("TopRow", &TOvcCustomTable::TopRow, &TLoadedPlaces::TopRow, &TOvcCustomTable::SetTopRow);
  Place("ActiveRow", &TOvcCustomTable::ActiveRow, &TLoadedPlaces::ActiveRow,
        &TOvcCustomTable::SetActiveRow);
  Place("LockedCols", &TOvcCustomTable::LockedCols, &TLoadedPlaces::LockedCols,
        &TOvcCustomTable::SetLockedCols);
  Place("LeftCol", &TOvcCustomTable::LeftCol, &TLoadedPlaces::LeftCol,
        &TOvcCustomTable::SetLeftCol);
  Place("ActiveCol", &TOvcCustomTable::ActiveCol, &TLoadedPlaces::ActiveCol,
        &TOvcCustomTable::SetActiveCol);
  P.Enum<TOvcTblAccess>(
       "Access", kAccessIdents, [this] { return Access(); },
       [this](TOvcTblAccess v) { SetAccess(v); })
      .Default(TOvcTblAccess::otxNormal);
  P.Enum<TOvcTblAdjust>(
       "Adjust", kAdjustIdents, [this] { return Adjust(); },
       [this](TOvcTblAdjust v) { SetAdjust(v); })
      .Default(TOvcTblAdjust::otaCenterLeft);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(TBorderStyle::bsSingle);
  // The columns travel in "ColData".
  P.Integer(
       "ColCount", [this] { return ColCount(); }, [this](int32_t v) { SetColCount(v); })
      .Stored(false);
  P.Integer(
       "ColorUnused", [this] { return static_cast<int32_t>(ColorUnused()); },
       [this](int32_t v) { SetColorUnused(static_cast<TColor>(v)); })
      .DefaultOrdinal(static_cast<int32_t>(clWindow));
  P.Object("Colors", [this] { return &colors_; });
  PublishController(P);
  P.Object("GridPenSet", [this] { return &pens_; });
  P.Component(
      "LockedRowsCell", [this] { return LockedRowsCell(); },
      [this](TComponent* c) { SetLockedRowsCell(dynamic_cast<TOvcBaseTableCell*>(c)); });
  P.Set(
       "Options", kOptionIdents, [this] { return static_cast<uint32_t>(nav_.Options()); },
       [this](uint32_t v) { SetOptions(TOvcTblOptionSet::FromBits(v)); })
      .Default(0);
  P.Enum<TScrollStyle>(
       "ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
       [this] { return scroll_bars_; }, [this](TScrollStyle v) { SetScrollBars(v); })
      .Default(TScrollStyle::ssBoth);
}

void TOvcCustomTable::DefineProperties(TFiler* Filer) {
  TOvcTableAncestor::DefineProperties(Filer);
  Filer->DefineProperty(
      "RowData", [this](TReader* R) { ReadRowData(R); }, [this](TWriter* W) { WriteRowData(W); },
      true);
  Filer->DefineProperty(
      "ColData", [this](TReader* R) { ReadColData(R); }, [this](TWriter* W) { WriteColData(W); },
      true);
}

void TOvcCustomTable::WriteRowData(TWriter* W) {
  tess::WriteRowData(*W, RowDataOf(rows_));
}

// RowLimit comes first in the stream; rows outside it are not this table's.
void TOvcCustomTable::ReadRowData(TReader* R) {
  ApplyRowData(rows_, tess::ReadRowData(*R));
}

void TOvcCustomTable::WriteColData(TWriter* W) {
  std::vector<TTableColEntry> Entries;
  for (int32_t C = 0; C < cols_.Count(); ++C) {
    const TOvcTableColumn* Col = cols_.GetColumn(C);
    const TOvcTableCellAncestor* Cell = Col->DefaultCell();
    Entries.push_back({Col->Width(), Col->Hidden(),
                       Cell && !Cell->Name().empty() ? StoredCellName(*Cell) : std::string()});
  }
  tess::WriteColData(*W, Entries);
}

void TOvcCustomTable::ReadColData(TReader* R) {
  const std::vector<TTableColEntry> Entries = tess::ReadColData(*R);
  // A table always has a column.
  if (Entries.empty()) return;
  TOvcTableRedrawLock L(layout_);
  // The columns are rebuilt whole and reported once.
  cols_.SetOnColumnChanged(nullptr);
  cols_.Clear();
  pending_col_cells_.clear();
  for (const TTableColEntry& E : Entries) {
    auto Col = std::make_unique<TOvcTableColumn>();
    Col->SetWidth(E.Width);
    Col->SetHidden(E.Hidden);
    cols_.Append(std::move(Col));
    pending_col_cells_.push_back(E.CellName);
  }
  cols_.SetOnColumnChanged(
      [this](TObject*, int C1, int C2, TOvcTblActions A) { ColumnChanged(C1, C2, A); });
  ColumnChanged(0, 0, TOvcTblActions::taAll);
}

void TOvcCustomTable::Loaded() {
  TOvcTableAncestor::Loaded();
  TLoadedPlaces P = loaded_;
  loaded_ = {};
  if (P.LockedRows) SetLockedRows(*P.LockedRows);
  if (P.LockedCols) SetLockedCols(*P.LockedCols);
  if (P.TopRow || P.LeftCol)
    layout_.SetTopLeftCell(P.TopRow.value_or(TopRow()), P.LeftCol.value_or(LeftCol()));
  if (P.ActiveRow || P.ActiveCol)
    SetActiveCell(P.ActiveRow.value_or(ActiveRow()), P.ActiveCol.value_or(ActiveCol()));
}

// The cells named in the stream are found on the table's form, or on another open form.
void TOvcCustomTable::LoadDefaultCells() {
  TOvcTableRedrawLock L(layout_);
  ResolveCellNames();
  const int32_t N =
      std::min<int32_t>(static_cast<int32_t>(pending_col_cells_.size()), cols_.Count());
  for (int32_t C = 0; C < N; ++C) {
    if (pending_col_cells_[static_cast<size_t>(C)].empty()) continue;
    std::vector<std::string> One{pending_col_cells_[static_cast<size_t>(C)]};
    ResolveStoredCells(
        One,
        [this, C](TOvcTableCellAncestor* Cell) {
          if (auto* Base = dynamic_cast<TOvcBaseTableCell*>(Cell)) SetColumnCell(C, Base);
        },
        TCellNameRule::ColumnCells);
  }
  pending_col_cells_.clear();
  if (CellCount() == 0) {
    AddCell(locked_rows_cell_);
    for (int32_t C = 0; C < cols_.Count(); ++C) AddCell(cols_.GetDefaultCell(C));
  }
}

}  // namespace tess
