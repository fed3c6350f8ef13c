#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "electrical/outcome.h"
#include "electrical/site_data.h"
#include "site/database.h"
#include "site/site_file_check.h"

namespace velmora::loop {

// The device rows of a loop, addressed by their position in the loop's grid (from 1): adding
// and deleting rows, and a changed quantity, type or sub-type with the loop's limits. The
// recalculation of the loop's panel follows in the caller. A refused change writes nothing.

// The largest quantity one row takes: far above any device's per-row limit, and what a site file
// may hold, so that a site saved with it opens again.
inline constexpr qint64 kMaxQuantity = site::kMostCount;

// The device table of the panel's protocol (none chosen: an empty table).
const catalogue::DeviceTable& PanelDevices(SiteData& data, int panel);
// The loop's rows against its detector and module limits and each device's per-loop limit: the
// one message of everything that fails, empty when every limit holds.
QString LoopLimitProblems(SiteData& data, int panel, int loop);

// The device rows of a loop in the order its grid shows them.
std::vector<site::Row> LoopDeviceRows(SiteData& data, int panel, int loop);
// The row at a grid position; nothing when there is none.
std::optional<site::Row> DeviceRowAt(SiteData& data, int panel, int loop, int position);

// A device row is complete when its quantity is at least 1 and it has a type and a sub-type.
bool IsCompleteRow(SiteData& data, const site::Row& row);

// AddDeviceRow: an empty row at the end of the loop.
Outcome AddDeviceRow(SiteData& data, int panel, int loop);
// DeleteDeviceRow: never the loop's last row ("The last item cannot be deleted").
Outcome DeleteDeviceRow(SiteData& data, int panel, int loop, int position);
// Whether the row could be deleted (the loop keeps at least one row).
bool CanDeleteDeviceRow(SiteData& data, int panel, int loop);

// A quantity of a row without its device is stored as it is; for a row with its device the
// loop's detector and module limits and the device's per-row limit must hold. Negative
// quantities and those above kMaxQuantity are refused.
Outcome SetDeviceQuantity(SiteData& data, int panel, int loop, int position, qint64 quantity);
// A type of the panel's device table: the row's sub-type is emptied, its row currents cleared
// and its type code set; an empty type empties the sub-type too.
Outcome SetDeviceType(SiteData& data, int panel, int loop, int position, const QString& type);
// A sub-type offered for the row's type, within the loop's limits; an empty sub-type is taken.
Outcome SetDeviceSubType(SiteData& data, int panel, int loop, int position, const QString& code);

// The complete rows of one loop copied to the end of another (whose incomplete rows go), within
// the target loop's limits; refused when the target panel's device table lacks a device.
Outcome CopyLoopDevices(SiteData& data, int panel, int loop, int to_panel, int to_loop);

// The sub-types offered for a type text in the panel's device table, sorted without regard to
// case as the grid's drop-down shows them.
QStringList SubTypesForGrid(SiteData& data, int panel, const QString& type_text);

}  // namespace velmora::loop
