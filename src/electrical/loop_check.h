#pragma once

#include <QString>

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// CheckLoopOverload: drop, reasons [E01]..[E04], status text and OK flag into the Loops row, the
// warning once per new state, LoopLog.txt rewritten. True when the loop passes.
bool CheckLoopOverload(Run& run, int panel, int loop);

}  // namespace velmora::electrical
