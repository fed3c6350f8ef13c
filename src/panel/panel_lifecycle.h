#pragma once

#include <QString>

#include "electrical/outcome.h"
#include "electrical/site_data.h"

namespace velmora::panel {

// Adding, deleting, duplicating and renaming panels. The panels are numbered 1 ... N without
// gaps in Panels, Loops, Devices and Outputs alike.

// The longest panel name the program takes.
inline constexpr int kMaxPanelName = 100;

// CreatePanelRows: a new panel N+1 from DefaultPanel (or, when that does not fit the site's
// sales channel, from the first variant the catalogue offers, with its standard items) with its
// outputs, loops and blank device rows. Refused when the catalogue offers no panel at all.
// `*number` is the new panel's number.
Outcome AddPanel(SiteData& data, int* number);

// DeletePanelRows: panel n with its loops, device rows and outputs goes, and every later panel's
// number is lowered by one in all four tables.
Outcome DeletePanel(SiteData& data, int n);

// A new panel N+1, named as Add Panel names a new one, with the type, housing, flags, loops,
// device rows and outputs of panel n.
Outcome DuplicatePanel(SiteData& data, int n, int* number);

// The panel's name; refused when it is longer than kMaxPanelName.
Outcome RenamePanel(SiteData& data, int n, const QString& name);

}  // namespace velmora::panel
