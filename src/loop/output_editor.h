#pragma once

#include <QString>

namespace velmora {
struct Run;
}

namespace velmora::loop {

// The output change handling: runs only while at least one panel tab is shown besides the site
// and the selected tree node is a panel's outputs node, and not while the run is loading. Stores
// the outputs view's pending edit, then runs the output recalculation for that panel. True when
// the handling ran.
bool OnOutputFieldChanged(Run& run);

// For the change listeners: a column of Outputs (working copy) or DefaultPanel (catalogue) was
// written. An Outputs write counts only as the outputs grid's pending edit of the Outputs view.
void OnOutputStoreChange(Run& run, const QString& table, const QString& column);

}  // namespace velmora::loop
