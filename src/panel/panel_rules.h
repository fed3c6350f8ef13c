#pragma once

#include <QString>

#include "electrical/outcome.h"
#include "electrical/site_data.h"

namespace velmora::panel {

// The panel rules: how a panel's type, housing, protocol, option boards and power supply may
// change and what each change drags along (loops, device rows, outputs). Each works on the
// panel given by its number and writes its rows; the recalculation of the panel follows in the
// caller. A refused change writes nothing.

// By the type's name (the last lookup row with it) or its group code (the last variant with it):
// the type's first variant, its standard items, then its housing as SelectHousing applies it.
Outcome SelectPanelType(SiteData& data, int panel, const QString& name);
Outcome SelectPanelTypeCode(SiteData& data, int panel, const QString& code);
// By the housing's name (the first lookup row with it) or the variant's code (the last variant
// with it), for the panel's own type: the variant's standard items, its outputs and exactly its
// loops. A housing the type does not come in is refused.
Outcome SelectHousing(SiteData& data, int panel, const QString& name);
Outcome SelectHousingCode(SiteData& data, int panel, const QString& code);

// Whether the panel's variant offers the protocol (standard or optional).
bool ProtocolOffered(SiteData& data, int panel, const QString& name);
// Whether choosing the protocol would change the panel (and so throw its loop data away).
bool ProtocolWouldChange(SiteData& data, int panel, const QString& name);
// The protocol chosen (after the question): its flag alone, loop lengths cut to its maximum,
// every device row of the panel replaced by one blank row per loop that had rows, and those
// loops' currents cleared. A protocol the panel's variant does not offer is refused.
Outcome SelectProtocol(SiteData& data, int panel, const QString& name);

// Ticks or unticks board i, clears the other boards of its exclusion group, and adds or removes
// the loops and outputs the board brings. A board that is not available is refused.
Outcome ToggleOptionBoard(SiteData& data, int panel, int board);
// Power supply i alone. One that is not available is refused.
Outcome SelectPowerSupply(SiteData& data, int panel, int supply);

// Whether the panel's type, housing and flags fit the catalogue of the site's sales channel.
bool FitsCatalogue(SiteData& data, int panel);
// A panel that no longer fits is set to the first variant of the catalogue with exactly its
// standard items; its loops and outputs stay as they are.
Outcome FitPanelToCatalogue(SiteData& data, int panel);

// The index of an option board or power supply given by its caption as the buttons show it, or
// by its number; nothing when no button has it.
std::optional<int> OptionBoardIndex(SiteData& data, const QString& caption);
std::optional<int> PowerSupplyIndex(SiteData& data, const QString& caption);

}  // namespace velmora::panel
