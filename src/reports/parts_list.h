#pragma once

#include <QString>

#include "i18n/settings.h"
#include "site/database.h"

namespace velmora {
struct Run;
}

namespace velmora::reports {

// BuildPartsList: the bill of materials of the site (panels with the country suffix of their
// code, optional boards, devices of the open device table, batteries, cable metres) as the
// PartsList rows of the print store, replacing what it held.
void BuildPartsList(Run& run, site::Database& print, const i18n::Settings& settings);

}  // namespace velmora::reports
