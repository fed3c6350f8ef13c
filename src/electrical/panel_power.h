#pragma once

#include <QString>

namespace velmora {
struct Run;
}

namespace velmora::electrical {

struct PanelPower {
  double q_panel = 0.0;
  double a_panel = 0.0;
  double q_total = 0.0;
  double a_total = 0.0;
  double battery_capacity = 0.0;  // Ah, cut to two decimals
  bool quiescent_overload = false;
  bool alarm_overload = false;
  bool Overloaded() const { return quiescent_overload || alarm_overload; }
};

// CalculatePanelPower: the panel's currents, supply verdict and battery capacity; writes
// OKBooleanPSU where Panels has it.
PanelPower CalculatePanelPower(Run& run, int panel);

// RefreshPanelSummaries: the current, battery and status texts of every Panels row.
void RefreshPanelSummaries(Run& run);

// The steps of RebuildCurrentLines, which callers combine.
void ClearCurrentLines(Run& run);                          // step 1
void WritePanelLine(Run& run, int panel);                  // step 2
void WriteLoopLines(Run& run, int panel);                  // step 3
void WriteOutputLines(Run& run, int panel);                // step 4
void WriteTotalLine(Run& run, int panel, const PanelPower& verdict);  // step 5

// ShowPanelBattery: "Battery Capacity" + " => " + "Battery" of the panel, for the panel view's
// battery field.
QString ShowPanelBattery(Run& run, int panel);

}  // namespace velmora::electrical
