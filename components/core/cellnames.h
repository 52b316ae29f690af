// How a table finds its cell components again after its form was read: each stored
// entry is "FormName.CellName" (or "CellName" for a cell of the table's own form).
// A form named with a suffix after "_" (a second instance, "Editor_1") finds the cells
// stored under its first name ("Editor"); a form without a name matches any entry.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "components/core/cellancestor.h"

namespace tess {

// The entry a cell is stored under: "Owner.Cell", or the cell's name alone when its owner
// has no name.
std::string StoredCellName(const TComponent& Cell);

// Whether entries stored under StoredName belong to a form named FormName.
bool FormNameMatches(const std::string& FormName, const std::string& StoredName);
// The columns' rule, the other way round: equal names, or StoredName cut at its last
// "_" is FormName (a name written by "Editor_1" finds the form "Editor").
bool StoredFormNameMatches(const std::string& FormName, const std::string& StoredName);

// Which rule a list of entries follows: the table's cell list (FormNameMatches on the
// table's form, exact names on the screen's forms) or the columns' cells
// (StoredFormNameMatches on every form).
enum class TCellNameRule { CellList, ColumnCells };

// Resolves the entries of Pending, last to first: first among the components of Form
// (the table's form, may be null), then among those of each of Forms (the screen's
// forms, in order).  A component found that is a cell is handed to AddCell and its
// entry taken out; entries not found are left in Pending.
void ResolveCellEntries(std::vector<std::string>& Pending, TComponent* Form,
                        const std::vector<TComponent*>& Forms,
                        const std::function<void(TOvcTableCellAncestor*)>& AddCell,
                        TCellNameRule Rule = TCellNameRule::CellList);

}  // namespace tess
