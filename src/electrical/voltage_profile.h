#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

namespace velmora::electrical {

// The voltage at every device of a loop, worked out from plain values: the loop is a two-wire
// cable that leaves the panel at one terminal and comes back to the other, each device draws a
// constant current, and both terminals hold the protocol's lowest voltage. See
// docs/voltage-profile.md for the model, a hand-worked example and where it is conservative.

// One device row of a loop with the cells the loop's current totals read.
struct ProfileDeviceRow {
  qint64 quantity = 0;
  qint64 type_code = 0;
  double unit_quiescent = 0;         // mA
  std::optional<double> unit_alarm;  // mA; none for an empty cell, which sorts last
  double row_alarm = 0;              // mA, the row's own alarm total (devices without a budget)
  std::optional<double> lowest_v;    // V; none for an empty cell, which no voltage fails
};

// One device on the cable, in the state the loop's alarm total counts it.
struct ProfileDevice {
  double alarm_current = 0;  // mA
  std::optional<double> lowest_v;
  bool isolator = false;
  int row = 0;   // index of its row among the rows expanded
  int unit = 0;  // its place within the row
};

// A larger loop is no loop a panel drives; it is refused rather than expanded.
inline constexpr qint64 kMaxProfileDevices = 4096;

// The devices of the rows one by one, in row order and within a row in order, each with the
// current it draws when the loop is in alarm as RecalculateLoopCurrents counts it: the alarm
// indicator budgets go to the rows with the largest unit alarm current, within a row to its first
// devices, the others draw their quiescent current; the first two isolators draw their alarm
// current; a device without a budget draws its row's alarm total shared equally. The currents add
// up to the loop's alarm total. Rows of no devices (quantity 0 or less) place none, though a
// quantity of 0 still spends its class's budget as it does in the totals. Empty when the rows
// hold more than kMaxProfileDevices devices.
std::optional<std::vector<ProfileDevice>> ExpandAlarmCurrents(
    const std::vector<ProfileDeviceRow>& rows, qint64 alarm_indicators);

struct ProfileInput {
  double length = 0;      // m, total cable length from terminal to terminal
  double resistance = 0;  // ohm per km of one wire; the cable's two wires both carry the current
  bool one_location = false;
  double first_distance = 0;  // m: V1 with one location, V3 when spread
  double supply_v = 0;        // V at both terminals: the lowest voltage the protocol delivers
  std::vector<ProfileDevice> devices;  // in order from the panel's first terminal
};

struct VoltageProfile {
  // Per device, in the input's order: its distance from the first terminal along the cable, and
  // its voltage fed from both ends and with the cable broken at the worst place.
  std::vector<double> distance;
  std::vector<double> healthy;
  std::vector<double> broken;

  // The worst single break lies between device break_gap - 1 and device break_gap (0: between
  // the first terminal and the first device; the number of devices: after the last one): the
  // devices before it are fed from the first terminal, the others from the second. Every point
  // of that stretch, from break_from to break_to, gives the same voltages; break_at is the
  // terminal for the two stretches next to the panel, the middle of the stretch otherwise.
  // -1 and 0 without devices.
  int break_gap = -1;
  double break_from = 0;
  double break_to = 0;
  double break_at = 0;

  int lowest_healthy = -1;  // the device with the lowest voltage fed from both ends
  int lowest_broken = -1;   // the device with the lowest voltage with the cable broken
  // The device that comes closest to its own lowest operating voltage in either case, and by how
  // much (negative: below it); without any device minimum, the device lowest when broken and no
  // margin.
  int weakest = -1;
  std::optional<double> weakest_margin;
  // Every device keeps at least its own lowest operating voltage.
  bool healthy_ok = true;
  bool broken_ok = true;

  bool Empty() const { return distance.empty(); }
  std::optional<double> LowestHealthy() const;
  std::optional<double> LowestBroken() const;
  bool MinimumsKept() const { return healthy_ok && broken_ok; }
};

// Values that are not finite count as 0, negative lengths and currents as 0, and distances are
// kept within the cable.
VoltageProfile CalculateVoltageProfile(const ProfileInput& input);

// Devices lost to one short circuit: the devices that are no isolators, shared among the
// sections the isolators make.
inline constexpr double kMaxDevicesPerSection = 32;
struct SectionAdvisory {
  qint64 devices = 0;  // not counting the isolators
  qint64 isolators = 0;
  double per_section = 0;  // devices / (isolators + 1)
  bool exceeded = false;   // more than kMaxDevicesPerSection
};
SectionAdvisory DevicesPerSection(const std::vector<ProfileDevice>& devices);

}  // namespace velmora::electrical
