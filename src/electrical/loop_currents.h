#pragma once

#include <QtGlobal>

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// How a device type counts toward the loop's alarm current. The values index the budgets.
enum class DeviceClass {
  kIndicator = 0,        // detectors and call points, limited by the alarm indicators
  kSecondIndicator = 1,  // type 34, with a budget of its own of the same size
  kIsolator = 2,         // the two with the largest alarm current count in alarm
  kUnlimited = 3,
};
DeviceClass DeviceClassOf(qint64 type_code);

// RecalculateLoopCurrents: the loop's quiescent and alarm totals from its device rows, with the
// alarm-indicator budgets and the isolator rule, written into its Loops row. Empty current cells
// count as 0.
void RecalculateLoopCurrents(Run& run, int panel, int loop);

}  // namespace velmora::electrical
