#include "electrical/calc.h"

#include <algorithm>
#include <cmath>

#include "catalogue/device_catalogue.h"
#include "electrical/number_format.h"
#include "i18n/messages.h"
#include "i18n/tr.h"

namespace velmora::electrical {
namespace {

using i18n::Msg;

// Catalogue currents are whole microamperes at best; a tolerance far below that and far above
// the noise of summing doubles lets equal decimals compare equal.
double Tolerance(double limit) { return 1e-9 * std::max(1.0, std::fabs(limit)); }

QString YesNo(bool yes) { return yes ? QStringLiteral("YES") : QStringLiteral("NO"); }

double Hundredths(double capacity) {
  // A capacity that is meant to be a whole number of hundredths must not lose one to the
  // binary noise of its computation. Kept in floating point: an absurd capacity (a huge typed
  // current) stays a number instead of overflowing an integer.
  const double scaled = capacity * 100.0;
  return std::trunc(scaled + (scaled >= 0 ? 1e-7 : -1e-7));
}

}  // namespace

bool Exceeds(double value, double limit) { return value > limit + Tolerance(limit); }
bool Reaches(double value, double limit) { return value >= limit - Tolerance(limit); }

DeviceClass DeviceClassOf(qint64 type_code) {
  switch (type_code) {
    case 0:
    case 1:
    case 2:
    case 10:
    case 17:
    case 111:
    case 112:
    case 113:
    case 114:
    case 117:
    case 118:
    case 119:
    case 120:
    case 121:
    case 122:
    case 123:
      return DeviceClass::kIndicator;
    case 34:
      return DeviceClass::kSecondIndicator;
    case 33:
    case 115:
      return DeviceClass::kIsolator;
    default:
      return DeviceClass::kUnlimited;
  }
}

RowCurrents DeviceRowCurrents(qint64 quantity, const catalogue::Device* device) {
  RowCurrents r;
  const double q = double(quantity);
  double standby = 0.0;
  double alarm = 0.0;
  if (device != nullptr) {
    standby = device->standby_current;
    alarm = device->alarm_current;
    r.lowest_v = double(device->min_voltage) / 1000.0;
    r.group = device->group;
  }
  r.unit_q = q > 0 ? standby * 1000.0 : 0.0;
  r.unit_a = q > 0 ? alarm * 1000.0 : 0.0;
  r.row_q = q * standby * 1000.0;
  r.row_a = q * alarm * 1000.0;
  return r;
}

LoopTotals LoopCurrents(qint64 alarm_indicators, const std::vector<DeviceRowValues>& rows) {
  // Largest unit alarm current first, so the budgets go to the devices that draw the most in
  // alarm; rows without a unit alarm current last; equal rows keep their stored order.
  std::vector<const DeviceRowValues*> order;
  order.reserve(rows.size());
  for (const DeviceRowValues& row : rows) order.push_back(&row);
  std::stable_sort(order.begin(), order.end(),
                   [](const DeviceRowValues* a, const DeviceRowValues* b) {
                     if (!a->unit_a || !b->unit_a) return a->unit_a.has_value() && !b->unit_a;
                     return *a->unit_a > *b->unit_a;
                   });
  qint64 budget[3] = {alarm_indicators, alarm_indicators, 2};
  double q1 = 0, a1 = 0, q2 = 0, a2 = 0, q3 = 0, a3 = 0;
  for (const DeviceRowValues* row : order) {
    const qint64 m = row->quantity;
    const DeviceClass device_class = DeviceClassOf(row->type_code);
    if (device_class == DeviceClass::kUnlimited) {
      q3 += row->row_q;
      a3 += row->row_a;
      continue;
    }
    qint64& b = budget[static_cast<int>(device_class)];
    const qint64 taken = std::min(m, b);
    const qint64 rest = m - taken;
    b = taken == 0 ? 0 : b - taken;
    const double unit_q = row->unit_q;
    const double unit_a = row->unit_a.value_or(0.0);
    const double in_alarm = unit_a * double(taken) + unit_q * double(rest);
    switch (device_class) {
      case DeviceClass::kIndicator:
        q1 += unit_q * double(m);
        a1 += in_alarm;
        break;
      case DeviceClass::kSecondIndicator:
        q2 += unit_q * double(m);
        a2 += in_alarm;
        break;
      case DeviceClass::kIsolator:
        // The isolators that count in alarm draw their alarm current in the quiescent state too.
        q1 += in_alarm;
        a1 += in_alarm;
        break;
      case DeviceClass::kUnlimited:
        break;
    }
  }
  return {q1 + q2 + q3, a1 + a2 + a3};
}

QString LoopCheck::Codes() const {
  QString codes;
  for (const QString& code : CodeList()) codes += " [" + code + "]";
  return codes;
}

QStringList LoopCheck::CodeList() const {
  QStringList codes;
  if (e01) codes << "E01";
  if (e02) codes << "E02";
  if (e03) codes << "E03";
  if (e04) codes << "E04";
  return codes;
}

LoopCheck CheckLoop(const LoopCheckInput& in) {
  LoopCheck c;
  const LoopGeometry& g = in.geometry;
  if (g.one_location) {
    c.piece = double(std::max(g.one_location_length, g.length - g.one_location_length));
  } else {
    c.piece = RoundHalfEven(double(g.length) / 2.0);
  }
  c.r_first = g.one_location ? 2.0 * c.piece * g.ohm_per_km / 1000.0
                             : 2.0 * double(g.spread_length) * g.ohm_per_km / 1000.0;
  c.r_device = 2.0 * c.piece * g.ohm_per_km / 1000.0;
  c.r_total = 2.0 * double(g.length) * g.ohm_per_km / 1000.0;
  c.drop_quiescent = c.r_device * in.quiescent;
  c.drop_alarm = c.r_device * in.alarm.value_or(0.0);
  c.drop = (c.drop_alarm > c.drop_quiescent ? c.drop_alarm : c.drop_quiescent) / 1000.0;
  if (in.limits.lowest_v) c.left = *in.limits.lowest_v - c.drop;

  double worst_miss = 0.0;
  c.device_fails.reserve(in.devices.size());
  for (int i = 0; i < int(in.devices.size()); ++i) {
    const DeviceRowValues& row = in.devices[i];
    // An empty LowestV compares as smaller than any number.
    const bool fails = c.left && row.lowest_v && Exceeds(*row.lowest_v, *c.left);
    c.device_fails.push_back(fails);
    if (fails && (c.weakest_device < 0 || *row.lowest_v - *c.left > worst_miss)) {
      c.weakest_device = i;
      worst_miss = *row.lowest_v - *c.left;
    }
    c.e01 = c.e01 || fails;
  }
  c.e02 = in.limits.max_first && *in.limits.max_first != 0.0 &&
          Exceeds(c.r_first, *in.limits.max_first);
  c.e03 = Exceeds(c.r_total, kMaxLoopResistance);
  // A loop without an alarm current never reaches the limit.
  c.e04 = in.limits.max_current && in.alarm && Reaches(*in.alarm, *in.limits.max_current);
  return c;
}

QString LoopStatusText(const LoopCheck& check) {
  return check.Overloaded() ? i18n::Text(Msg::kLoopOverload) + check.Codes()
                            : i18n::Text(Msg::kLoopOk);
}

QString WithDrop(const QString& status, double drop) {
  return status + " (" + FixedNumber(drop, 3).rightJustified(2, ' ') + "V)";
}

LoopLog LoopCheckLog(const LoopCheckInput& in, const LoopCheck& c) {
  LoopLog log;
  log.Line("Checking Loop Overload");
  log.Blank();
  const ProtocolLimits& limits = in.limits;
  if (limits.name) {
    log.Line("Protocol = " + *limits.name);
    log.Value("Protocol Max Loop Current", limits.max_current);
    log.Value("Protocol Lowest V", limits.lowest_v);
    log.Value("Protocol Max Resistence to First Device", limits.max_first);
  }
  log.Blank();
  log.Value("Loop Longest Piece", c.piece);
  log.Value("Loop Resistance", in.geometry.ohm_per_km);
  log.Value("Loop Length", double(in.geometry.length));
  log.Value("Loop Resistance to First Device", c.r_first);
  log.Value("Loop Resistance to Device (2 x Length x Resistance / 1000)", c.r_device);
  log.Value("Loop Quiescent Current", in.quiescent);
  log.Value("Loop Drop Quiscent (Resistence to Device x Quiscent Current)", c.drop_quiescent);
  log.Value("Loop Quiescent Alarm", in.alarm.value_or(0.0));
  log.Value("Loop Drop Alarm (Resistence to Device x Alarm Current)", c.drop_alarm);
  log.Value("Loop Drop V (max between Drop Alarm and Drop Quiscent and divided by 1000", c.drop);
  log.Value("Loop Actual Drop (Protocol Lowest V - Loop Drop V)", c.left);
  log.Blank();
  for (int i = 0; i < int(in.devices.size()); ++i) {
    const DeviceRowValues& row = in.devices[i];
    if (row.type_text.trimmed().isEmpty() || row.sub_type.trimmed().isEmpty()) continue;
    const QString lowest = row.lowest_v ? GeneralNumber(*row.lowest_v) : QString();
    log.Line("Checking device: " + row.quantity_text + " x " + row.type_text + " - " +
             row.sub_type);
    log.Value("Device Lowest V", lowest);
    log.Line("Check Loop Overload as: Device Lowest V > Loop Actual Drop => " + lowest + " > " +
             LogNumber(c.left) + " ?");
    log.Line("Result: This Device Generates Loop Overload = " + YesNo(c.device_fails[i]));
    log.Blank();
  }
  log.Line("Final Overload Checks");
  log.Line(
      "Max Resistance To First Device <> 0 and Loop Resistence to First Device > Max Resistence "
      "To First Device");
  log.Line(LogNumber(limits.max_first) + " <> 0 and " + GeneralNumber(c.r_first) + " > " +
           LogNumber(limits.max_first));
  log.Line("Overload Result: " + YesNo(c.e02));
  log.Line("Total Loop Resistance > 52 (constant value)");
  log.Line(GeneralNumber(c.r_total) + " > 52");
  log.Line("Overload Result: " + YesNo(c.e03));
  log.Line("Loop Alarm Current >= Max Loop Current");
  log.Line(GeneralNumber(in.alarm.value_or(0.0)) + " >= " + LogNumber(limits.max_current));
  log.Line("Overload Result: " + YesNo(c.e04));
  log.Blank();
  log.Line("Final Result Loop Overloaded: " + YesNo(c.Overloaded()));
  return log;
}

BatterySizing SizeBattery(double q_total, double a_total, double standby_hours,
                          double alarm_hours) {
  const double q = q_total / 1000.0;
  const double a = a_total / 1000.0;
  BatterySizing s;
  s.plain = kBatteryAgeing * (q * standby_hours + a * alarm_hours);
  s.derated = a > s.plain / 20.0;
  s.capacity =
      s.derated ? kBatteryAgeing * (standby_hours * q + kAlarmDerating * alarm_hours * a) : s.plain;
  s.cut = Hundredths(s.capacity) / 100.0;
  return s;
}

double BatteryCapacity(double q_total, double a_total, double standby_hours, double alarm_hours) {
  return SizeBattery(q_total, a_total, standby_hours, alarm_hours).cut;
}

double RoundedBatteryCapacity(double capacity) {
  // Whole hundredths divided by ten are exact at the halves, so the tie goes to the even tenth.
  return RoundHalfEven(Hundredths(capacity) / 10.0) / 10.0;
}

int ChosenBattery(const QStringList& capacities, double rounded) {
  const qint64 wanted = std::llround(rounded * 10.0);
  for (int i = 0; i < capacities.size(); ++i) {
    if (std::llround(capacities[i].trimmed().toDouble() * 10.0) >= wanted) return i;
  }
  return -1;
}

bool BatteryBoxRequired(double capacity, const std::optional<double>& housing_battery) {
  return !housing_battery || *housing_battery < capacity;
}

QString BatteryChoice(const QStringList& capacities, const QStringList& models, double rounded,
                      const std::optional<double>& housing_battery) {
  const int chosen = ChosenBattery(capacities, rounded);
  if (chosen < 0) return i18n::Text(Msg::kSystemSpecificationExceeded);
  QString battery = capacities[chosen] + " => " + models.value(chosen);
  if (BatteryBoxRequired(capacities[chosen].trimmed().toDouble(), housing_battery))
    battery += " - " + i18n::Text(Msg::kBatteryBoxRequired);
  return battery;
}

PanelPower PanelPowerOf(const PanelPowerInput& in) {
  PanelPower p;
  p.q_panel = in.own_q + in.options_q;
  p.a_panel = in.own_a + in.options_a;
  p.q_total = in.own_q + in.loops_q + in.options_q + in.outputs_q;
  p.a_total = in.own_a + in.loops_a + in.options_a + in.outputs_a;
  p.supply_chosen = in.supply_chosen;
  if (in.supply_chosen) {
    // An empty limit is smaller than any current.
    p.quiescent_overload = !in.supply_q || Exceeds(p.q_total, *in.supply_q);
    p.alarm_overload = !in.supply_a || Exceeds(p.a_total, *in.supply_a);
  }
  p.battery_capacity = BatteryCapacity(p.q_total, p.a_total, in.standby_hours, in.alarm_hours);
  return p;
}

QString PanelStatusText(const PanelState& s) {
  if (!s.has_flags) return QStringLiteral("-");
  if (!s.known) return i18n::Tr(N_("No catalogue data"));
  QStringList parts;
  if (!s.loops_ok) parts << i18n::Text(Msg::kLoopOverload);
  if (!s.supply_chosen) {
    parts << i18n::Tr(N_("No power supply chosen"));
  } else if (!s.supply_ok) {
    parts << i18n::Text(Msg::kPowerSupplyOverload);
  }
  if (parts.isEmpty()) return i18n::Text(Msg::kOk);
  return parts.join(" , ");
}

QString SpacingText(double distance) {
  const bool whole = std::trunc(distance) >= distance;
  return FixedNumber(distance, whole ? 0 : 3).rightJustified(3, ' ');
}

QString DeviceSpacingText(qint64 counted_devices, qint64 length, qint64 v3) {
  const qint64 n = counted_devices < 3 ? 3 : counted_devices;
  return SpacingText(double(length - 2 * v3) / double(n - 1));
}

}  // namespace velmora::electrical
