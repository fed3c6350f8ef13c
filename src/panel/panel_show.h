#pragma once

#include "electrical/site_data.h"
#include "panel/panel_form_model.h"

namespace velmora::panel {

// The panel view's boxes and buttons for panel n as its rows and the catalogue of the site's
// sales channel give them (FillPanelLists and ShowPanel, writing nothing): the type lists of the
// catalogue, the panel's type, its type's housings, its variant's protocols with the stored one
// selected, the option and power-supply buttons with their states, and the battery text.
void RenderPanelForm(SiteData& data, int n, PanelFormModel& form);

// A protocol box offering nothing but Apollo is emptied; the box is usable when it has entries.
void ApplyApolloRule(PanelFormModel& form);

}  // namespace velmora::panel
