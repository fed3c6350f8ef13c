#include "electrical/voltage_profile.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "electrical/calc.h"

namespace velmora::electrical {
namespace {

// A device at exactly its lowest voltage keeps it; rounding in the sums must not fail it.
constexpr double kVoltTolerance = 1e-9;

double Sane(double value) { return std::isfinite(value) && value > 0 ? value : 0.0; }

std::vector<double> Positions(const ProfileInput& input, double length) {
  const std::size_t n = input.devices.size();
  double first = std::min(Sane(input.first_distance), length);
  if (input.one_location) return std::vector<double>(n, first);
  // Spread: evenly from first to length - first, the first and the last device as far from
  // their terminals; one device alone sits in the middle.
  first = std::min(first, length / 2);
  std::vector<double> x(n, length / 2);
  if (n > 1) {
    const double step = (length - 2 * first) / double(n - 1);
    for (std::size_t i = 0; i < n; ++i) x[i] = first + step * double(i);
  }
  return x;
}

}  // namespace

std::optional<std::vector<ProfileDevice>> ExpandAlarmCurrents(
    const std::vector<ProfileDeviceRow>& rows, qint64 alarm_indicators) {
  qint64 total = 0;
  for (const ProfileDeviceRow& row : rows) {
    if (row.quantity > kMaxProfileDevices - total) return std::nullopt;
    total += std::max<qint64>(row.quantity, 0);
  }

  // The budgets are spent as the loop's totals spend them: largest unit alarm current first,
  // rows without one last, equal rows in their order.
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&rows](std::size_t a, std::size_t b) {
    const auto& ua = rows[a].unit_alarm;
    const auto& ub = rows[b].unit_alarm;
    if (!ua || !ub) return ua.has_value() && !ub.has_value();
    return *ua > *ub;
  });
  qint64 budget[3] = {alarm_indicators, alarm_indicators, 2};
  std::vector<qint64> taken(rows.size(), 0);
  for (std::size_t i : order) {
    const DeviceClass device_class = DeviceClassOf(rows[i].type_code);
    if (device_class == DeviceClass::kUnlimited) continue;
    qint64& b = budget[static_cast<int>(device_class)];
    const qint64 m = rows[i].quantity;
    const qint64 t = std::min(m, b);
    b = t == 0 ? 0 : b - t;
    taken[i] = std::clamp<qint64>(t, 0, std::max<qint64>(m, 0));
  }

  std::vector<ProfileDevice> devices;
  devices.reserve(std::size_t(total));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ProfileDeviceRow& row = rows[i];
    const bool unlimited = DeviceClassOf(row.type_code) == DeviceClass::kUnlimited;
    const bool isolator = DeviceClassOf(row.type_code) == DeviceClass::kIsolator;
    for (qint64 u = 0; u < row.quantity; ++u) {
      ProfileDevice device;
      if (unlimited) {
        device.alarm_current = row.row_alarm / double(row.quantity);
      } else {
        device.alarm_current = u < taken[i] ? row.unit_alarm.value_or(0.0) : row.unit_quiescent;
      }
      device.lowest_v = row.lowest_v;
      device.isolator = isolator;
      device.row = int(i);
      device.unit = int(u);
      devices.push_back(device);
    }
  }
  return devices;
}

std::optional<double> VoltageProfile::LowestHealthy() const {
  if (lowest_healthy < 0) return std::nullopt;
  return healthy[std::size_t(lowest_healthy)];
}

std::optional<double> VoltageProfile::LowestBroken() const {
  if (lowest_broken < 0) return std::nullopt;
  return broken[std::size_t(lowest_broken)];
}

VoltageProfile CalculateVoltageProfile(const ProfileInput& input) {
  VoltageProfile out;
  const std::size_t n = input.devices.size();
  if (n == 0) return out;
  const double length = Sane(input.length);
  // Both wires carry the current: ohm per metre of cable, and mA x ohm gives mV.
  const double r = 2.0 * Sane(input.resistance) / 1000.0 / 1000.0;
  const double supply = std::isfinite(input.supply_v) ? input.supply_v : 0.0;
  out.distance = Positions(input, length);
  const std::vector<double>& x = out.distance;
  std::vector<double> current(n);
  for (std::size_t i = 0; i < n; ++i) current[i] = Sane(input.devices[i].alarm_current);

  // moment_from_start[k]: sum over devices j < k of I_j x_j; moment_from_end[k]: sum over
  // j >= k of I_j (L - x_j); current_before[k]: sum over j < k of I_j.
  std::vector<double> moment_from_start(n + 1, 0.0);
  std::vector<double> moment_from_end(n + 1, 0.0);
  std::vector<double> current_before(n + 1, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    moment_from_start[j + 1] = moment_from_start[j] + current[j] * x[j];
    current_before[j + 1] = current_before[j] + current[j];
  }
  for (std::size_t j = n; j-- > 0;)
    moment_from_end[j] = moment_from_end[j + 1] + current[j] * (length - x[j]);

  // Fed from both ends the cable is a resistor of r L with both ends at the supply: a current I
  // drawn at y lowers the voltage at x by r min(x, y) (L - max(x, y)) / L.
  out.healthy.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double drop =
        length > 0
            ? r / length *
                  ((length - x[i]) * moment_from_start[i + 1] + x[i] * moment_from_end[i + 1])
            : 0.0;
    out.healthy[i] = supply - drop;
  }

  // Broken in gap k, the devices before it hang from the first terminal and the others from the
  // second; on each side the device farthest from its terminal is the lowest. The gap with the
  // lowest device is the worst break (with devices drawing current it is always one of the two
  // next to the panel: either way the whole loop is then fed from one end). The first of equal
  // gaps is taken.
  std::size_t worst = 0;
  double worst_moment = -1;
  for (std::size_t k = 0; k <= n; ++k) {
    const double moment = std::max(moment_from_start[k], moment_from_end[k]);
    if (moment > worst_moment) {
      worst_moment = moment;
      worst = k;
    }
  }
  out.break_gap = int(worst);
  out.break_from = worst == 0 ? 0.0 : x[worst - 1];
  out.break_to = worst == n ? length : x[worst];
  out.break_at = worst == 0 ? 0.0 : worst == n ? length : (out.break_from + out.break_to) / 2;
  out.broken.resize(n);
  for (std::size_t j = 0; j < n; ++j) {
    double drop;
    if (j < worst) {
      // The current of every device up to j flows over its own distance, that of the devices
      // beyond j on this side over the whole distance to j.
      drop = moment_from_start[j + 1] + x[j] * (current_before[worst] - current_before[j + 1]);
    } else {
      drop = moment_from_end[j] + (length - x[j]) * (current_before[j] - current_before[worst]);
    }
    out.broken[j] = supply - r * drop;
  }

  std::optional<double> least_margin;
  for (std::size_t i = 0; i < n; ++i) {
    if (out.lowest_healthy < 0 || out.healthy[i] < out.healthy[std::size_t(out.lowest_healthy)])
      out.lowest_healthy = int(i);
    if (out.lowest_broken < 0 || out.broken[i] < out.broken[std::size_t(out.lowest_broken)])
      out.lowest_broken = int(i);
    const std::optional<double>& lowest_v = input.devices[i].lowest_v;
    if (!lowest_v || !std::isfinite(*lowest_v)) continue;
    if (out.healthy[i] + kVoltTolerance < *lowest_v) out.healthy_ok = false;
    if (out.broken[i] + kVoltTolerance < *lowest_v) out.broken_ok = false;
    const double margin = std::min(out.healthy[i], out.broken[i]) - *lowest_v;
    if (!least_margin || margin < *least_margin) {
      least_margin = margin;
      out.weakest = int(i);
    }
  }
  out.weakest_margin = least_margin;
  if (out.weakest < 0) out.weakest = out.lowest_broken;
  return out;
}

SectionAdvisory DevicesPerSection(const std::vector<ProfileDevice>& devices) {
  SectionAdvisory advisory;
  for (const ProfileDevice& device : devices)
    ++(device.isolator ? advisory.isolators : advisory.devices);
  advisory.per_section = double(advisory.devices) / double(advisory.isolators + 1);
  advisory.exceeded = advisory.per_section > kMaxDevicesPerSection;
  return advisory;
}

}  // namespace velmora::electrical
