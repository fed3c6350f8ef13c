#pragma once

#include <optional>
#include <vector>

#include "panel/panel_form_model.h"
#include "panel/variant.h"

namespace velmora {
struct Run;
}

namespace velmora::panel {

// Showing a panel: the view's lists rebuilt from the filtered catalogue, and the stored panel
// checked against it. These steps run inside the caller's action.

// The type boxes from the filtered compatibility table, the protocol box emptied, and one option
// and one power-supply button per flag column, all shown as not available.
void FillPanelLists(Run& run, PanelFormModel& form);

// Loads panel n (0: the panel of the last tab) into the view: activates its tab, selects its
// node, resets a panel that no longer fits the catalogue to the first variant with its standard
// items, and fills boxes and buttons from its type, housing and flags. False when there is no
// such panel.
bool ShowPanel(Run& run, PanelFormModel& form, int n);

// Whether a type, housing and flags fit the filtered catalogue. When they do not, type and
// housing become those of the first row of the filtered table (left as they are when the table
// shows no row at all).
bool ValidatePanelConfig(const std::vector<Variant>& variants, std::optional<qint64>& type_id,
                         std::optional<qint64>& housing_id, const PanelFlags& flags);
bool ValidatePanelConfig(Run& run, std::optional<qint64>& type_id,
                         std::optional<qint64>& housing_id, const PanelFlags& flags);

// The flags a variant gives a panel by itself: exactly its standard items.
PanelFlags StandardFlags(const Variant& variant, const PanelCounts& counts);

}  // namespace velmora::panel
