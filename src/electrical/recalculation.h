#pragma once

#include "electrical/panel_power.h"

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// The recalculation chains, one per kind of edit, so every view calls exactly one operation
// after an edit and the order of the steps lives here. Each runs in one transaction of the
// working copy.

// A loop setting changed (cable, length, distribution, distances): RecalculateLoopPanel.
PanelPower RecalculateLoopPanel(Run& run, int panel, int loop);

// A panel shown or changed: current lines cleared, every panel's summaries, the panel's panel,
// loop and output lines, its power and total line; returns the battery text for the panel view.
struct PanelShown {
  PanelPower power;
  QString battery_text;
};
PanelShown RecalculateShownPanel(Run& run, int panel);

// The site shown (and before every print): current lines cleared, every panel's summaries.
void RecalculateShownSite(Run& run);

}  // namespace velmora::electrical
