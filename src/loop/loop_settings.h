#pragma once

#include <QString>
#include <optional>

#include "electrical/outcome.h"
#include "electrical/site_data.h"
#include "loop/loop_form_model.h"

namespace velmora::loop {

// The loop settings of one loop, each with its limits and messages. The recalculation of the
// loop's panel follows in the caller. A refused change writes nothing.

Outcome SetCable(SiteData& data, int panel, int loop, int cable_index);
// A length of 0 stores nothing; one above the protocol's maximum is cut to it with the warning
// "Entered value is too large. ..."; one shorter than twice the first-device distance of the
// chosen distribution becomes twice that distance. Negative lengths are refused.
Outcome SetLength(SiteData& data, int panel, int loop, qint64 length);
Outcome SetAlarmIndicators(SiteData& data, int panel, int loop, qint64 count);
// "One Location" (true) or "Spread" (false); exactly one of the two is set.
Outcome SetDistribution(SiteData& data, int panel, int loop, bool one_location);
// The first-device distances V1 (one location, 1 to 3000 m) and V3 (spread, 0 to 1500 m), with
// their warnings and reductions, each copied into the other as far as the other's range allows.
Outcome SetOneLocationDistance(SiteData& data, int panel, int loop, qint64 v1);
Outcome SetSpreadDistance(SiteData& data, int panel, int loop, qint64 v3);

// MaxLoopLength of the protocol of the loop's panel; none when there is no lookup row for it (or
// it holds no positive length): then any length is accepted.
std::optional<qint64> MaxLoopLength(SiteData& data, int panel);

// The device view's loop controls for loop l of panel p as the rows give them (LoadLoopIntoView
// and ShowDeviceSpacing, writing nothing), with the type list of the panel's device table. The
// sub-type list is left as it is.
void RenderLoopForm(SiteData& data, int panel, int loop, LoopFormModel& form);

}  // namespace velmora::loop
