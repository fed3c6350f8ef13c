#pragma once

#include <QString>

#include "panel/variant.h"
#include "site/table.h"

namespace velmora {
struct Run;
}

namespace velmora::panel {

// Moves the shared Panels view to the row of panel p; false when there is none.
bool LocatePanelRow(Run& run, int p);

// "Loop" (translated), a blank and the number.
QString LoopText(int n);
// The cable resistance in ohm per km of a cable index 0 ... 5.
double CableResistance(qint64 cable_spec);

// The row writers of new loops, device rows and outputs. The cursors are local tables over the
// whole site table, so the views and their filters stay as they are.
void AppendLoopRow(Run& run, site::Table& loops, int p, int n, const DefaultPanelValues& defaults,
                   qint64 length);
// A blank device row; device events are off while it is written.
void AppendBlankDeviceRow(Run& run, site::Table& devices, int p, int n);
void AppendOutputRow(Run& run, site::Table& outputs, int p, int n, qint64 max);

// Highest LoopNumber among the loop rows of panel p, highest Loop among its device rows, highest
// OutputNumber below 100 among its outputs; 0 when there is none.
int HighestLoopNumber(Run& run, int p);
int HighestDeviceLoop(Run& run, int p);
int HighestOwnOutput(Run& run, int p);

// Deletes the outputs of panel p numbered first ... last.
void DeleteOutputs(Run& run, int p, int first, int last);

}  // namespace velmora::panel
