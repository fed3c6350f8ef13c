#pragma once

#include <QString>

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// CollectLoopStatus: true unless some loop of the panel fails; stored into OKBooleanLoops.
bool CollectLoopStatus(Run& run, int panel);

// UpdatePanelLoadStatus: the panel's "Loop Loads" text from its two flags, and "Halvo" becomes
// "Tarvik" in its SalesChannel.
void UpdatePanelLoadStatus(Run& run, int panel);

// The "Loop Loads" text: "-" for a Panels table without the flag columns, else "OK", "Loop
// Overload", "Power Supply Overload" or the last two joined by " , ".
QString PanelStatusText(bool has_flags, bool loops_ok, bool supply_ok);

}  // namespace velmora::electrical
