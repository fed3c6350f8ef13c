#pragma once

#include <QString>

#include "electrical/panel_power.h"

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// The recalculation chains, one per kind of edit, so every view calls exactly one operation
// after an edit and the order of the steps lives here. Each runs in one transaction of the
// working copy (a savepoint when the caller has one open, as the edit handlers do so that the
// edit and its chain are one unit).

// A device row's quantity, type or sub-type changed, or a row was deleted: the loop's row
// currents, RecalculateLoopCurrents, RecalculateLoopPanel, the power-supply messages, and last
// the distance between devices for the view, from the length and V3 it shows.
struct DeviceEdit {
  PanelPower power;
  QString spacing_text;
};
DeviceEdit RecalculateDeviceEdit(Run& run, int panel, int loop, qint64 length, qint64 v3);

// A loop setting changed (cable, length, distribution, distances), after the loop row is stored:
// CheckLoopOverload, CollectLoopStatus into OKBooleanLoops, current lines cleared and the loop
// lines written, CalculatePanelPower, the total line. Shows no power-supply message.
PanelPower RecalculateLoopPanel(Run& run, int panel, int loop);

// The alarm-indicator count changed, after the loop row is stored: the loop-setting steps,
// RecalculateLoopCurrents, the loop-setting steps again (the loop row stored again would hold
// the same values).
PanelPower RecalculateAlarmIndicators(Run& run, int panel, int loop);

// An output's currents changed: CheckOutputCurrents; when it fails, "System specification
// exceeded." and nothing more. Otherwise current lines cleared and the output lines written,
// CalculatePanelPower, the total line, UpdatePanelLoadStatus, the power-supply messages.
struct OutputEdit {
  bool exceeded = false;
  PanelPower power;
};
OutputEdit RecalculateOutputEdit(Run& run, int panel);

// A panel shown or changed: current lines cleared, every panel's summaries, the panel's panel,
// loop and output lines, its power and total line; returns the battery text for the panel view.
struct PanelShown {
  PanelPower power;
  QString battery_text;
};
PanelShown RecalculateShownPanel(Run& run, int panel);

// The site shown (and before every print): current lines cleared, every panel's summaries.
void RecalculateShownSite(Run& run);

// A site opened: UpdatePanelLoadStatus for panels 1 to N.
void RecalculateOpenedSite(Run& run);

// A loop node or the outputs node of a panel chosen in the site tree: current lines cleared, the
// panel's loop lines (or output lines), its power and the total line with that verdict.
PanelPower RecalculateShownLoop(Run& run, int panel);
PanelPower RecalculateShownOutputs(Run& run, int panel);

// "Power Supply Overload : Quiescent Current", then "... : Alarm Current", each when its
// overload is set; after device-row and output edits, on every such edit.
void WarnPowerSupply(Run& run, const PanelPower& power);

}  // namespace velmora::electrical
