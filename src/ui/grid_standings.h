#pragma once

#include "ui/read_only_grid_model.h"

namespace velmora::action {
class Editor;
}

namespace velmora::ui {

// How the rows of the main window's two read-only grids stand against their limits, with the
// hint that says why.

// The panel summaries: a panel stands as the site tree marks it (the worst of its loops and its
// supply); its hint lists each loop that is overloaded or near a limit with its reasons, then
// the supply's totals against their limits.
ReadOnlyGridModel::Standings PanelStandings(action::Editor& editor);
ReadOnlyGridModel::Hint PanelHint(action::Editor& editor);

// The current lines of the panel on view: a loop line stands as its loop, the total line as the
// panel's supply. A loop line's hint is its status, what the status means and its headroom; the
// total line's the supply's totals against their limits.
ReadOnlyGridModel::Standings CurrentLineStandings(action::Editor& editor);
ReadOnlyGridModel::Hint CurrentLineHint(action::Editor& editor);

}  // namespace velmora::ui
