#pragma once

#include "electrical/run.h"
#include "panel/panel_form_model.h"

namespace velmora::workspace {

// The user picked a tab of the main window's tab strip (tab index = panel number, 0 the site).
// The site tab shows the site view. A panel tab shows the panel view with panel n loaded and
// checked against the catalogue, restricts Loops to the panel and lifts the Devices filter,
// refreshes every panel's summaries and writes the panel's current lines with its power verdict,
// and shows its battery. One user action: false when the store failed and it was undone.
bool PageControlPanelsChange(Run& run, panel::PanelFormModel& panel_form, int index);

}  // namespace velmora::workspace
