#pragma once

#include <QString>

#include "i18n/settings.h"
#include "site/database.h"

#include "electrical/site_data.h"

namespace velmora::reports {

// BuildPartsList: the bill of materials of the site (panels with the country suffix of their
// code, optional boards, each panel's devices from the device table of its protocol, batteries,
// cable metres), counted over the catalogue of the site's own sales channel, as the PartsList
// rows of the print store, replacing what it held.
void BuildPartsList(SiteData& data, site::Database& print, const i18n::Settings& settings);

}  // namespace velmora::reports
