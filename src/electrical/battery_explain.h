#pragma once

#include <QString>
#include <QStringList>

#include "electrical/recalculation.h"

namespace velmora::electrical {

// A panel's battery calculation written out line by line, so the capacity on a report can be
// checked by hand: the site's standby and alarm times, the panel's quiescent and alarm totals,
// the plain capacity with its ageing factor, whether the alarm term is derated and the capacity
// that gives, the capacity cut and then rounded, the battery of the range chosen for it and
// whether it needs a box of its own. A panel the catalogue does not know has no calculation.
QStringList BatteryCalculation(const PanelResult& panel, const QStringList& capacities,
                               const QStringList& models);

}  // namespace velmora::electrical
