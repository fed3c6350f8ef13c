#pragma once

#include <QString>

#include "panel/panel_form_model.h"
#include "panel/variant.h"

namespace velmora {
struct Run;
}

namespace velmora::panel {

// The panel rules: how a panel's type, housing, protocol, option boards and power supply may
// change and what each change drags along (loops, device rows, outputs, tree nodes). They work
// on the current panel, the panel of the active tab.

// The close-ups and clicks of the panel view. Each is one user action in one transaction (see
// RunPanelOperation); false when the store failed and the action was undone.
bool SelectPanelType(Run& run, PanelFormModel& form, const QString& name);
bool SelectPanelTypeCode(Run& run, PanelFormModel& form, const QString& code);
// `type_name` is the type shown; the type applied is the one stored in the panel row.
bool SelectHousing(Run& run, PanelFormModel& form, const QString& housing,
                   const QString& type_name);
bool SelectHousingCode(Run& run, PanelFormModel& form, const QString& code,
                       const QString& type_code);
// Asks before a new protocol throws the loop data away.
bool SelectProtocol(Run& run, PanelFormModel& form, const QString& name);
bool ToggleOptionBoard(Run& run, PanelFormModel& form, int i);
bool SelectPowerSupply(Run& run, PanelFormModel& form, int i);

// Steps shared with showing and adding panels; they run inside the caller's action.

// The variant's protocols, boards and power supplies into the current row of the Panels view
// and into the form, standard items set; the row is stored.
void ApplyVariantDefaults(Run& run, PanelFormModel& form, const PanelCounts& counts,
                          const Variant& variant);
// A protocol box offering nothing but Apollo is emptied; the box is usable when it has entries.
void ApplyApolloRule(PanelFormModel& form);
// Switches the device catalogue to the table of protocol i.
void SelectProtocolDeviceTable(Run& run, int i);
// Loop rows with the defaults of DefaultPanel and one blank device row each for loops
// first ... last of panel p, and their tree nodes ahead of the panel's outputs node.
void AddPanelLoops(Run& run, int p, int first, int last);
// Removes the loops of panel p above n with their device rows and tree nodes.
void RemovePanelLoopsAbove(Run& run, int p, int n);
// Current lines, every panel's summaries, the current panel's lines and power, its battery into
// the form, and the root caption.
void RecalculatePanel(Run& run, PanelFormModel& form);

}  // namespace velmora::panel
