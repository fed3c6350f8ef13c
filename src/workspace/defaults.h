#pragma once

#include <QJsonObject>
#include <QString>

#include "electrical/outcome.h"
#include "electrical/site_data.h"
#include "i18n/settings.h"

namespace velmora::workspace {

// The defaults of new sites, panels and loops: the DefaultPanel row of the catalogue and the
// user's country code, as the options dialog edits them. The values come by the texts the
// dialog lists: "sales_channel", "standby_time", "alarm_time", "type", "housing", "protocol",
// "power_supply" (a caption), "option_boards" (captions), "cable" ("1.5 mm²"), "length",
// "alarm_indicators", "distribution" ("one location" or "spread"), "one_location_length",
// "spread_length" and "country_code". What is not given keeps its stored value. A text that
// names nothing the catalogue holds, or a value out of range, is refused and nothing is written.
// `*old_country_code` is the code before, for taking the change back.
Outcome WriteDefaults(SiteData& data, const i18n::Settings& settings, const QJsonObject& values,
                      QString* old_country_code);

}  // namespace velmora::workspace
