#include "electrical/battery_explain.h"

#include "electrical/calc.h"
#include "i18n/display_format.h"
#include "i18n/messages.h"
#include "i18n/tr.h"

namespace velmora::electrical {
namespace {

using i18n::FormatNumber;
using i18n::Tr;

// Values as they were worked with: hours, currents and capacities without binary noise.
QString Plain(double value) { return FormatNumber(value); }

}  // namespace

QStringList BatteryCalculation(const PanelResult& panel, const QStringList& capacities,
                               const QStringList& models) {
  if (!panel.known) return {Tr(N_("No catalogue data"))};
  const PanelPowerInput& in = panel.power_input;
  const double ts = in.standby_hours;
  const double ta = in.alarm_hours;
  const double q = panel.power.q_total;
  const double a = panel.power.a_total;
  const BatterySizing s = SizeBattery(q, a, ts, ta);
  const QString ageing = Plain(kBatteryAgeing);
  const QString q_amps = Plain(q / 1000.0);
  const QString a_amps = Plain(a / 1000.0);

  QStringList lines;
  lines << Tr(N_("Standby time Ts = %1 h, alarm time Ta = %2 h")).arg(Plain(ts), Plain(ta));
  lines << Tr(N_("Quiescent total Q = %1 mA, alarm total A = %2 mA")).arg(Plain(q), Plain(a));
  lines << Tr(N_("C0 = %1 × (Ts × Q + Ta × A) = %1 × (%2 h × %3 A + %4 h × %5 A) = %6 Ah "
                 "(%1: ageing factor)"))
               .arg(ageing, Plain(ts), q_amps, Plain(ta), a_amps, Plain(s.plain));
  if (s.derated) {
    lines << Tr(N_("A = %1 A is above C0 / 20 = %2 A: the alarm term is derated by %3"))
                 .arg(a_amps, Plain(s.plain / 20.0), Plain(kAlarmDerating));
    lines << Tr(N_("C = %1 × (Ts × Q + %2 × Ta × A) = %1 × (%3 h × %4 A + %2 × %5 h × %6 A) = "
                   "%7 Ah"))
                 .arg(ageing, Plain(kAlarmDerating), Plain(ts), q_amps, Plain(ta), a_amps,
                      Plain(s.capacity));
  } else {
    lines << Tr(N_("A = %1 A is not above C0 / 20 = %2 A: no derating, C = C0 = %3 Ah"))
                 .arg(a_amps, Plain(s.plain / 20.0), Plain(s.capacity));
  }
  lines << Tr(N_("C cut to two decimals: %1 Ah; rounded to one decimal: %2 Ah"))
               .arg(FormatNumber(s.cut, 2), FormatNumber(panel.rounded_capacity, 1));

  const int chosen = ChosenBattery(capacities, panel.rounded_capacity);
  if (chosen < 0) {
    lines << Tr(N_("No battery of the range holds %1 Ah: %2"))
                 .arg(FormatNumber(panel.rounded_capacity, 1),
                      i18n::Text(i18n::Msg::kSystemSpecificationExceeded));
    return lines;
  }
  const double capacity = capacities[chosen].trimmed().toDouble();
  lines << Tr(N_("Battery chosen: %1 Ah, %2 (the first of the range not below %3 Ah)"))
               .arg(Plain(capacity), models.value(chosen), FormatNumber(panel.rounded_capacity, 1));
  const bool box = BatteryBoxRequired(capacity, panel.housing_battery);
  if (!panel.housing_battery) {
    lines << Tr(N_("Battery box required: the housing holds no battery"));
  } else if (box) {
    lines << Tr(N_("Battery box required: the housing holds batteries up to %1 Ah"))
                 .arg(Plain(*panel.housing_battery));
  } else {
    lines << Tr(N_("No battery box required: the housing holds batteries up to %1 Ah"))
                 .arg(Plain(*panel.housing_battery));
  }
  return lines;
}

}  // namespace velmora::electrical
