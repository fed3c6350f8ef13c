#pragma once

#include <QString>

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// UpdateDeviceRowCurrents: unit currents, row totals, LowestV and CountGroup of every device row
// of the loop from the open device catalogue (A and mV there, mA and V in the rows). A device
// the catalogue does not hold gives zero currents, LowestV 0 and the group "noc".
void UpdateDeviceRowCurrents(Run& run, int panel, int loop);

// N of the device spacing: the loop's devices that count, quantity times min(DeviceCount, 1) of
// each row's sub-type in the catalogue, raised to 3 when smaller.
qint64 SpacingDeviceCount(Run& run, int panel, int loop);

// The distance between devices of a spread loop, (length - 2 x v3) / (N - 1), as the view shows
// it: at least 3 characters, no decimals when the quotient is whole, else 3 decimals.
QString DeviceSpacingText(Run& run, int panel, int loop, qint64 length, qint64 v3);
QString SpacingText(double distance);

}  // namespace velmora::electrical
