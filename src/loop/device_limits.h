#pragma once

namespace velmora {
struct Run;
}

namespace velmora::loop {

// CheckLoopGroupLimits: the detector and module counts of the loop against MaxDetectorCount and
// MaxModuleCount of its panel's protocol, with a warning for each count above its limit. Without
// a lookup row for the protocol there are no limits.
bool CheckLoopGroupLimits(Run& run, int panel, int loop);

// CheckDeviceTypeLimits: every row of the loop whose quantity is above its device's MaxPerLoop,
// each with its warning. Rows are not added up.
bool CheckDeviceTypeLimits(Run& run, int panel, int loop);

}  // namespace velmora::loop
