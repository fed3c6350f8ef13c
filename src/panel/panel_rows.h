#pragma once

#include <QString>
#include <optional>

#include "catalogue/variant.h"
#include "electrical/site_data.h"
#include "site/database.h"

namespace velmora::panel {

// The row writers of the panel rules. Every write goes to the working copy's tables directly,
// keyed by panel and loop numbers.

// The Panels row of panel p; nothing when there is none.
std::optional<site::Row> PanelRow(SiteData& data, int p);
// The panel's flags as its row stores them.
catalogue::PanelFlags FlagsOf(SiteData& data, const site::Row& panel);
// Writes the flags into the panel's row (only the cells that change).
void WriteFlags(SiteData& data, site::Row& panel, const catalogue::PanelFlags& flags);
// The panel's variant: the first of the site's sales channel with its type and housing.
const catalogue::Variant* VariantOf(SiteData& data, const site::Row& panel);

// "Loop" (translated), a blank and the number.
QString LoopText(int n);
// "Panel" (translated) and the number, without a blank: a new panel's name.
QString DefaultPanelName(int p);

// A loop row with the loop defaults and its length; a blank device row; an output row.
void AppendLoopRow(SiteData& data, int p, int n, const catalogue::DefaultPanelValues& defaults,
                   qint64 length);
void AppendBlankDeviceRow(SiteData& data, int p, int n);
void AppendOutputRow(SiteData& data, int p, int n, qint64 max);

// Highest LoopNumber among the loop rows of panel p, highest Loop among its device rows, highest
// OutputNumber below 100 among its outputs; 0 when there is none.
int HighestLoopNumber(SiteData& data, int p);
int HighestDeviceLoop(SiteData& data, int p);
int HighestOwnOutput(SiteData& data, int p);

// Deletes the outputs of panel p numbered first ... last.
void DeleteOutputs(SiteData& data, int p, int first, int last);
// Loop rows with the defaults of DefaultPanel and one blank device row each for loops
// first ... last of panel p.
void AddPanelLoops(SiteData& data, int p, int first, int last);
// Removes the loops of panel p above n with their device rows.
void RemovePanelLoopsAbove(SiteData& data, int p, int n);

// LoopCount of the variant plus the loops of every fitted board that adds some.
int LoopTotal(const catalogue::Variant& variant, const std::vector<bool>& options);

}  // namespace velmora::panel
