#pragma once

#include <optional>

#include "electrical/outcome.h"
#include "electrical/site_data.h"

namespace velmora::loop {

// The currents drawn from an output of a panel, by its output number. A current above the
// output's MAX is refused ("System specification exceeded.", with the maximum named) and the
// output keeps its values; so is a negative one. A current equal to MAX stands.
Outcome SetOutputCurrents(SiteData& data, int panel, int output, std::optional<double> quiescent,
                          std::optional<double> alarm);

}  // namespace velmora::loop
