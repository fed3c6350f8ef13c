#pragma once

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// CollectLoopStatus: true unless some loop of the panel fails; stored into OKBooleanLoops.
bool CollectLoopStatus(Run& run, int panel);

// UpdatePanelLoadStatus: the panel's "Loop Loads" text from its two flags, and "Halvo" becomes
// "Tarvik" in its SalesChannel.
void UpdatePanelLoadStatus(Run& run, int panel);

}  // namespace velmora::electrical
