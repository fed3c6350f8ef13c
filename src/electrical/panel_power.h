#pragma once

#include <QString>
#include <QStringList>
#include <optional>

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
// OKBooleanPSU where Panels has it. A panel with no power supply set, or whose specification row
// or supply columns are missing, has no supply limit.
PanelPower CalculatePanelPower(Run& run, int panel);

// RefreshPanelSummaries: the current, battery and status texts of every Panels row.
void RefreshPanelSummaries(Run& run);

// The steps of RebuildCurrentLines, which callers combine.
void ClearCurrentLines(Run& run);                                     // step 1
void WritePanelLine(Run& run, int panel);                             // step 2
void WriteLoopLines(Run& run, int panel);                             // step 3
void WriteOutputLines(Run& run, int panel);                           // step 4
void WriteTotalLine(Run& run, int panel, const PanelPower& verdict);  // step 5

// ShowPanelBattery: "Battery Capacity" + " => " + "Battery" of the panel, for the panel view's
// battery field.
QString ShowPanelBattery(Run& run, int panel);

// The battery capacity in Ah for the totals in mA and the site's hours, with the alarm term
// derated by 1.75 when the alarm current exceeds a twentieth of the plain capacity; cut (not
// rounded) to two decimals.
double BatteryCapacity(double q_total, double a_total, double standby_hours, double alarm_hours);
// A capacity cut to two decimals, rounded to one decimal with a half going to the even tenth.
double RoundedBatteryCapacity(double capacity);
// The "Battery" text for a rounded capacity: the first capacity of the range that is not smaller,
// " => " and its model, with " - Battery box required" when the housing's BattSize (none: empty)
// is smaller; "System specification exceeded." when no capacity is large enough.
QString BatteryChoice(const QStringList& capacities, const QStringList& models, double rounded,
                      const std::optional<double>& housing_battery);

}  // namespace velmora::electrical
