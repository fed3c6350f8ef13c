#pragma once

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// RecalculateLoopCurrents: the loop's quiescent and alarm totals from its device rows, with the
// alarm-indicator budgets and the isolator rule, written into its Loops row.
void RecalculateLoopCurrents(Run& run, int panel, int loop);

}  // namespace velmora::electrical
