#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "electrical/loop_log.h"

namespace velmora::catalogue {
struct Device;
}

namespace velmora::electrical {

// The electrical calculations as pure functions: values in, values out. Reading the rows they
// need, writing their results and showing messages are steps of their own elsewhere.

// Currents and voltages that are equal in the catalogue's precision compare equal: a sum of
// device currents that reaches a limit exactly in decimals must not miss it by binary noise.
// `Exceeds` is "value > limit", `Reaches` is "value >= limit", both within that tolerance.
bool Exceeds(double value, double limit);
bool Reaches(double value, double limit);

// How a device type counts toward the loop's alarm current. The values index the budgets.
enum class DeviceClass {
  kIndicator = 0,        // detectors and call points, limited by the alarm indicators
  kSecondIndicator = 1,  // type 34, with a budget of its own of the same size
  kIsolator = 2,         // the two with the largest alarm current count in alarm
  kUnlimited = 3,
};
DeviceClass DeviceClassOf(qint64 type_code);

// What one device row holds of its device: unit currents and row totals in mA, the lowest
// operating voltage in V and the count group.
struct RowCurrents {
  double unit_q = 0.0;
  double unit_a = 0.0;
  double row_q = 0.0;
  double row_a = 0.0;
  double lowest_v = 0.0;
  QString group = QStringLiteral("noc");
};
// A row's currents from its quantity and its catalogue device (A and mV there); a device the
// catalogue does not hold gives zero currents, LowestV 0 and the group "noc".
RowCurrents DeviceRowCurrents(qint64 quantity, const catalogue::Device* device);

// One device row as the loop calculations read it.
struct DeviceRowValues {
  qint64 quantity = 0;
  qint64 type_code = 0;
  double unit_q = 0.0;
  std::optional<double> unit_a;  // empty: no unit alarm current stored
  double row_q = 0.0;
  double row_a = 0.0;
  std::optional<double> lowest_v;
  QString type_text;  // for the log
  QString sub_type;
  QString quantity_text;  // the quantity as stored, for the log
};

// The loop's quiescent and alarm totals (RecalculateLoopCurrents): the alarm-indicator budgets
// spent on the rows with the largest unit alarm current, the two isolators with the largest
// alarm current counted in alarm in both states.
struct LoopTotals {
  double quiescent = 0.0;
  double alarm = 0.0;
};
LoopTotals LoopCurrents(qint64 alarm_indicators, const std::vector<DeviceRowValues>& rows);

// The protocol's limits for a loop of a panel; what the panel's data do not give is not known
// and its reason cannot arise.
struct ProtocolLimits {
  std::optional<QString> name;          // the protocol's lookup row: name ...
  std::optional<double> lowest_v;       // ... LowestV (Vlow) ...
  std::optional<double> max_first;      // ... ResistanceToDevice (0: no limit)
  std::optional<double> max_current;    // from the variant's protocol cell, mA
  std::optional<qint64> max_detectors;  // MaxDetectorCount, MaxModuleCount
  std::optional<qint64> max_modules;
  std::optional<qint64> max_length;  // MaxLoopLength (none or 0: no limit)
};

struct LoopGeometry {
  bool one_location = false;
  qint64 one_location_length = 0;  // V1
  qint64 spread_length = 0;        // V3
  qint64 length = 0;
  double ohm_per_km = 0.0;
};

struct LoopCheckInput {
  LoopGeometry geometry;
  double quiescent = 0.0;
  std::optional<double> alarm;  // empty: no alarm current stored, which never reaches a limit
  ProtocolLimits limits;
  std::vector<DeviceRowValues> devices;
};

// The fixed limit of the total loop resistance, ohm.
inline constexpr double kMaxLoopResistance = 52.0;

// CheckLoopOverload's arithmetic: longest piece, resistances, drops, the voltage left at the
// devices and the reasons [E01] to [E04].
struct LoopCheck {
  double piece = 0.0;
  double r_first = 0.0;
  double r_device = 0.0;
  double r_total = 0.0;
  double drop_quiescent = 0.0;  // mV
  double drop_alarm = 0.0;      // mV
  double drop = 0.0;            // V
  std::optional<double> left;   // Vlow - drop, when Vlow is known
  bool e01 = false, e02 = false, e03 = false, e04 = false;
  std::vector<bool> device_fails;  // per device row: its LowestV above the voltage left
  // The device row that misses the voltage left by most (E01), -1 when none.
  int weakest_device = -1;

  bool Overloaded() const { return e01 || e02 || e03 || e04; }
  // " [E01] [E04]": the codes found, each with a blank before it.
  QString Codes() const;
  QStringList CodeList() const;
};
LoopCheck CheckLoop(const LoopCheckInput& input);

// The loop's status text: "Loop OK", or "Loop Overload" with the codes.
QString LoopStatusText(const LoopCheck& check);
// A status text as shown with the technical detail switched on: the drop appended.
QString WithDrop(const QString& status, double drop);
// The trace LoopLog.txt holds for one check.
LoopLog LoopCheckLog(const LoopCheckInput& input, const LoopCheck& check);

// The panel's currents, supply check and battery (CalculatePanelPower).
struct PanelPowerInput {
  double own_q = 0.0;  // the panel's own standby and alarm current
  double own_a = 0.0;
  double options_q = 0.0;  // every fitted board's
  double options_a = 0.0;
  double loops_q = 0.0;
  double loops_a = 0.0;
  double outputs_q = 0.0;
  double outputs_a = 0.0;
  bool supply_chosen = false;
  // The chosen supply's limits; empty: a cell with nothing, smaller than any current.
  std::optional<double> supply_q;
  std::optional<double> supply_a;
  double standby_hours = 0.0;
  double alarm_hours = 0.0;
};
struct PanelPower {
  double q_panel = 0.0;
  double a_panel = 0.0;
  double q_total = 0.0;
  double a_total = 0.0;
  double battery_capacity = 0.0;  // Ah, cut to two decimals
  bool supply_chosen = true;
  bool quiescent_overload = false;
  bool alarm_overload = false;
  // The supply holds: one is chosen and neither total is above its limits.
  bool SupplyOk() const { return supply_chosen && !quiescent_overload && !alarm_overload; }
  bool Overloaded() const { return quiescent_overload || alarm_overload; }
};
PanelPower PanelPowerOf(const PanelPowerInput& input);

// The ageing factor of every battery capacity and the derating of its alarm term.
inline constexpr double kBatteryAgeing = 1.25;
inline constexpr double kAlarmDerating = 1.75;

// The steps of sizing a battery, in Ah: the plain capacity C0 = 1.25 x (Ts x Q + Ta x A); the
// alarm term derated by 1.75 when the alarm current exceeds a twentieth of C0; the capacity so
// found, and the same cut (not rounded) to two decimals.
struct BatterySizing {
  double plain = 0.0;
  bool derated = false;
  double capacity = 0.0;
  double cut = 0.0;
};
BatterySizing SizeBattery(double q_total, double a_total, double standby_hours, double alarm_hours);
// The cut capacity of SizeBattery for the totals in mA and the site's hours.
double BatteryCapacity(double q_total, double a_total, double standby_hours, double alarm_hours);
// A capacity cut to two decimals, rounded to one decimal with a half going to the even tenth.
double RoundedBatteryCapacity(double capacity);
// The position in the range of the first capacity that is not smaller than a rounded capacity;
// -1 when none is large enough.
int ChosenBattery(const QStringList& capacities, double rounded);
// Whether a battery of `capacity` Ah needs a box of its own: the housing's BattSize (none:
// empty) is smaller.
bool BatteryBoxRequired(double capacity, const std::optional<double>& housing_battery);
// The "Battery" text for a rounded capacity: the first capacity of the range that is not smaller,
// " => " and its model, with " - Battery box required" when the housing's BattSize (none: empty)
// is smaller; "System specification exceeded." when no capacity is large enough.
QString BatteryChoice(const QStringList& capacities, const QStringList& models, double rounded,
                      const std::optional<double>& housing_battery);

// The state of a panel as its status text ("Loop Loads") tells it.
struct PanelState {
  bool has_flags = true;  // older layouts keep no flags: "-"
  bool known = true;      // the catalogue has the panel's variant for the site's sales channel
  bool loops_ok = true;
  bool supply_chosen = true;
  bool supply_ok = true;
};
QString PanelStatusText(const PanelState& state);

// The distance between devices of a spread loop, (length - 2 x v3) / (N - 1), N the loop's
// counted devices raised to 3, as the view shows it: at least 3 characters, no decimals when the
// quotient is whole, else 3 decimals.
QString SpacingText(double distance);
QString DeviceSpacingText(qint64 counted_devices, qint64 length, qint64 v3);

}  // namespace velmora::electrical
