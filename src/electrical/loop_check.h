#pragma once

#include <QString>

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// CheckLoopOverload: drop, reasons [E01]..[E04], status text and OK flag into the Loops row, the
// warning once per new state, LoopLog.txt rewritten. True when the loop passes.
//
// Limits that the panel's data do not give are not applied: without a protocol, without its
// lookup row (lowest voltage, resistance to the first device) or without a readable maximum loop
// current in the variant's protocol cell, the reasons that need them cannot arise. The fixed 52 ohm
// limit of the cable always applies.
bool CheckLoopOverload(Run& run, int panel, int loop);

// The fixed limit of the total loop resistance, ohm.
inline constexpr double kMaxLoopResistance = 52.0;

}  // namespace velmora::electrical
