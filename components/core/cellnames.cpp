// See cellnames.h.
#include "components/core/cellnames.h"

namespace tess {

namespace {

struct Entry {
  std::string form;
  std::string cell;
};

Entry Split(const std::string& Stored, const std::string& OwnForm) {
  size_t dot = Stored.find('.');
  if (dot == std::string::npos) return {OwnForm, Stored};
  return {Stored.substr(0, dot), Stored.substr(dot + 1)};
}

TOvcTableCellAncestor* FindCell(TComponent* Form, const std::string& Name) {
  return dynamic_cast<TOvcTableCellAncestor*>(Form->FindComponent(Name));
}

}  // namespace

std::string StoredCellName(const TComponent& Cell) {
  const TComponent* Owner = Cell.Owner();
  return Owner && !Owner->Name().empty() ? Owner->Name() + "." + Cell.Name() : Cell.Name();
}

bool FormNameMatches(const std::string& FormName, const std::string& StoredName) {
  if (FormName.empty() || FormName == StoredName) return true;
  size_t bar = FormName.rfind('_');
  return bar != std::string::npos && FormName.compare(0, bar, StoredName) == 0 &&
         bar == StoredName.size();
}

bool StoredFormNameMatches(const std::string& FormName, const std::string& StoredName) {
  return !StoredName.empty() && FormNameMatches(StoredName, FormName);
}

void ResolveCellEntries(std::vector<std::string>& Pending, TComponent* Form,
                        const std::vector<TComponent*>& Forms,
                        const std::function<void(TOvcTableCellAncestor*)>& AddCell,
                        TCellNameRule Rule) {
  const bool Columns = Rule == TCellNameRule::ColumnCells;
  const std::string own = Form ? Form->Name() : std::string();
  // One pass over the entries against one form.
  auto Resolve = [&](TComponent* F, bool OwnForm) {
    for (size_t i = Pending.size(); i-- > 0;) {
      Entry e = Split(Pending[i], own);
      const bool Match = Columns   ? StoredFormNameMatches(F->Name(), e.form)
                         : OwnForm ? FormNameMatches(own, e.form)
                                   : e.form == F->Name();
      if (!Match) continue;
      if (TOvcTableCellAncestor* cell = FindCell(F, e.cell)) {
        AddCell(cell);
        Pending.erase(Pending.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  };
  if (Form) Resolve(Form, true);
  for (TComponent* f : Forms) {
    if (Pending.empty()) break;
    Resolve(f, false);
  }
}

}  // namespace tess
