#pragma once

#include "i18n/settings.h"
#include "site/database.h"

#include "electrical/site_data.h"

namespace velmora::reports {

// The Site row (address data, standby and alarm times as the lookup table words them) and the
// Sections row (headings and field labels in the language of the run) of the print store.
void FillSiteAndSections(SiteData& data, site::Database& print);

// FillReportTables: every table of the site report (Site, Sections, Panels, PanelDetails,
// Currents, Devices, LoopProfiles) rewritten from the site document. The site tables are read
// without touching any view's filter or current row. With the technical detail on, the loops'
// status carries their drop.
void FillReportTables(SiteData& data, site::Database& print, bool technical_detail = false);

// The tables of the parts-list report: PartsList emptied, Site and Sections filled, then the
// parts list built.
void FillPartsReportTables(SiteData& data, site::Database& print, const i18n::Settings& settings);

}  // namespace velmora::reports
