// See tableancestor.h.
#include "components/core/tableancestor.h"

#include <algorithm>

#include "components/core/cellnames.h"
#include "framework/win/forms.h"

namespace tess {

TOvcTableAncestor::TOvcTableAncestor(TComponent* AOwner) : TOvcBase(AOwner) {}

TOvcTableAncestor::~TOvcTableAncestor() {
  Destroying();
  ReleaseCells();
}

void TOvcTableAncestor::ReleaseCells() {
  for (TOvcTableCellAncestor* c : cells_) {
    std::erase(c->tables_, this);
    c->RemoveFreeNotification(this);
  }
  cells_.clear();
}

void TOvcTableAncestor::AddCell(TOvcTableCellAncestor* Cell) {
  if (!Cell || std::find(cells_.begin(), cells_.end(), Cell) != cells_.end()) return;
  cells_.push_back(Cell);
  Cell->tables_.push_back(this);
  Cell->FreeNotification(this);
}

void TOvcTableAncestor::RemoveCell(TOvcTableCellAncestor* Cell) {
  auto it = std::find(cells_.begin(), cells_.end(), Cell);
  if (it == cells_.end()) return;
  cells_.erase(it);
  std::erase(Cell->tables_, this);
}

void TOvcTableAncestor::DropCell(const TComponent* Cell) {
  auto it = std::find_if(cells_.begin(), cells_.end(), [Cell](TOvcTableCellAncestor* c) {
    return static_cast<const TComponent*>(c) == Cell;
  });
  if (it == cells_.end()) return;
  // Still listed means still alive: a cell leaves every table's list in its destructor.
  TOvcTableCellAncestor* c = *it;
  cells_.erase(it);
  std::erase(c->tables_, this);
}

void TOvcTableAncestor::ChangeScale(int M, int D) {
  if (M == D) return;
  for (TOvcTableCellAncestor* c : cells_) c->ChangeScale(M, D);
}

void TOvcTableAncestor::NotifyCellsTableChanged() {
  for (TOvcTableCellAncestor* c : cells_) c->TableChanged();
}

void TOvcTableAncestor::Loaded() {
  TOvcBase::Loaded();
}

void TOvcTableAncestor::DefineProperties(TFiler* Filer) {
  TOvcBase::DefineProperties(Filer);
  Filer->DefineProperty(
      "CellData",
      [this](TReader* R) {
        if (pending_) {
          pending_->clear();
        } else {
          pending_ = std::make_unique<std::vector<std::string>>();
        }
        R->ReadListBegin();
        while (!R->EndOfList()) pending_->push_back(R->ReadString());
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (TOvcTableCellAncestor* c : cells_) W->WriteString(StoredCellName(*c));
        W->WriteListEnd();
      },
      true);
}

void TOvcTableAncestor::ResolveCellNames() {
  if (!pending_) return;
  std::unique_ptr<std::vector<std::string>> pending = std::move(pending_);
  ResolveStoredCells(*pending, [this](TOvcTableCellAncestor* c) { AddCell(c); });
}

void TOvcTableAncestor::ResolveStoredCells(std::vector<std::string>& Pending,
                                           const std::function<void(TOvcTableCellAncestor*)>& Found,
                                           TCellNameRule Rule) {
  std::vector<TComponent*> forms;
  if (Screen)
    for (int i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i));
  ResolveCellEntries(Pending, ParentForm(), forms, Found, Rule);
}

std::vector<std::string> TOvcTableAncestor::PendingCellNames() const {
  return pending_ ? *pending_ : std::vector<std::string>{};
}

void TOvcTableAncestor::Notification(TComponent* AComponent, TOperation Operation) {
  TOvcBase::Notification(AComponent, Operation);
  // A cell being destroyed is no longer of its own class here: compare addresses.
  if (Operation == opRemove) DropCell(AComponent);
}

}  // namespace tess
