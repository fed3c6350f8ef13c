#pragma once

#include <QString>

#include "panel/panel_form_model.h"
#include "site/table.h"

namespace velmora {
struct Run;
}

namespace velmora::panel {

// Adding and deleting panels, their tabs and subtrees, and the tree's root caption.

// The "Add Panel" action: a new panel from DefaultPanel (or, when that does not fit the site's
// sales channel, from the first variant of the filtered catalogue) with its tab, subtree, rows,
// and the panel view showing it. One user action; when the filtered catalogue shows no panel at
// all, a warning says so and nothing is added. False when nothing was added.
bool AddPanelExecute(Run& run, PanelFormModel& form);

// A tab for a panel: the given caption, or "Panel" and the new tab's number. It becomes active.
// Returns its index.
int CreatePanelTab(Run& run, const QString& caption = {});

// The subtree of a new panel, numbered after the panel tabs; the node becomes selected.
void AddPanelTreeNodes(Run& run);

// The subtree of the stored panel on the current row of `panels` (an opened site): its name as
// node text, its loops from its variant and fitted boards. The selection stays.
void AddPanelTreeNodesFromRow(Run& run, site::Table& panels);

// The Panels row of a new panel with its outputs, loops and blank device rows.
void CreatePanelRows(Run& run);

// Deletes panel n with its loops, device rows and outputs, lowers every later panel's number by
// one in all four tables, removes its tab and subtree, selects the root and refreshes the root
// caption. The site document is then marked as modified.
void DeletePanelRows(Run& run, int n);

// "Panels N / Loops M": the panel tabs and every row of Loops.
void UpdateRootCaption(Run& run);

// For every stored panel in stored order: its tab captioned with its name and its subtree. Used
// when a site is opened.
void RebuildPanelsFromStoredRows(Run& run);

// The panel name edited in the panel view: stored in the panel's row and shown as the caption
// of its tab and the text of its tree node. Acts only with a panel tab active, while the run is
// not loading and view events are on.
bool DBEditPanelNameChange(Run& run, const QString& text);

}  // namespace velmora::panel
