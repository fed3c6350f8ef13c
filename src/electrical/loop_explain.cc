#include "electrical/loop_explain.h"

#include <algorithm>
#include <cmath>

#include "i18n/display_format.h"
#include "i18n/tr.h"

namespace velmora::electrical {
namespace {

using i18n::FormatNumber;
using i18n::Tr;

// Computed voltages as the status texts write the drop; resistances and currents to the
// precision a designer compares them at; limits as the catalogue holds them.
QString Volts(double v) { return FormatNumber(v, 3); }
QString Ohms(double r) { return FormatNumber(r, 2); }
QString Milliamperes(double i) { return FormatNumber(i, 1); }
QString Limit(double value) { return FormatNumber(value); }

std::optional<double> Share(double value, const std::optional<double>& limit) {
  if (!limit || *limit <= 0.0) return std::nullopt;
  return 100.0 * value / *limit;
}

bool Near(const std::optional<double>& share) {
  return share && Reaches(*share, kNearLimitPercent);
}

// The device as the designer entered it: its type and sub-type, as many as the row holds.
QString DeviceName(const DeviceRowValues& row) {
  QString name = (row.type_text.trimmed() + " " + row.sub_type.trimmed()).trimmed();
  if (name.isEmpty()) name = Tr(N_("a device"));
  if (row.quantity > 1) name = QString::number(row.quantity) + " x " + name;
  return name;
}

}  // namespace

LoopHeadroom HeadroomOf(const LoopCheckInput& input, const LoopCheck& check) {
  LoopHeadroom h;
  h.current = Share(input.alarm.value_or(0.0), input.limits.max_current);
  h.first_resistance = Share(check.r_first, input.limits.max_first);
  h.total_resistance = 100.0 * check.r_total / kMaxLoopResistance;
  h.left = check.left;
  // Only rows with devices need a voltage; the placeholder row of a new loop holds none.
  for (const DeviceRowValues& row : input.devices) {
    if (row.quantity <= 0 || !row.lowest_v || *row.lowest_v <= 0.0) continue;
    if (!h.needed || *row.lowest_v > *h.needed) h.needed = row.lowest_v;
  }
  // What the devices can spare is a share only when the protocol gives more than they need; a
  // device that needs more is told by E01.
  if (input.limits.lowest_v && h.needed && *input.limits.lowest_v > *h.needed)
    h.voltage = 100.0 * check.drop / (*input.limits.lowest_v - *h.needed);
  return h;
}

Standing StandingOf(const LoopCheck& check, const LoopHeadroom& h) {
  if (check.Overloaded()) return Standing::kOverloaded;
  if (Near(h.current) || Near(h.voltage) || Near(h.first_resistance) || Near(h.total_resistance))
    return Standing::kNearLimit;
  return Standing::kOk;
}

Standing StandingOf(const LoopResult& loop) {
  return StandingOf(loop.check, HeadroomOf(loop.input, loop.check));
}

std::vector<LoopReason> ExplainReasons(const LoopCheckInput& input, const LoopCheck& check) {
  std::vector<LoopReason> reasons;
  const ProtocolLimits& limits = input.limits;
  if (check.e01 && check.weakest_device >= 0 && check.left && limits.lowest_v) {
    const DeviceRowValues& device = input.devices[check.weakest_device];
    reasons.push_back(
        {"E01", Tr(N_("E01: %1 needs %2 V; %3 V are left at the devices (%4 V less a drop of "
                      "%5 V)"))
                    .arg(DeviceName(device), Limit(device.lowest_v.value_or(0.0)),
                         Volts(*check.left), Limit(*limits.lowest_v), Volts(check.drop))});
  }
  if (check.e02 && limits.max_first) {
    reasons.push_back({"E02", Tr(N_("E02: resistance to the first device %1 Ω, above the limit "
                                    "of %2 Ω"))
                                  .arg(Ohms(check.r_first), Limit(*limits.max_first))});
  }
  if (check.e03) {
    reasons.push_back({"E03", Tr(N_("E03: loop resistance %1 Ω, above the limit of %2 Ω"))
                                  .arg(Ohms(check.r_total), Limit(kMaxLoopResistance))});
  }
  if (check.e04 && limits.max_current) {
    reasons.push_back(
        {"E04", Tr(N_("E04: alarm current %1 mA, at or above the limit of %2 mA"))
                    .arg(Milliamperes(input.alarm.value_or(0.0)), Limit(*limits.max_current))});
  }
  return reasons;
}

QStringList NearLimits(const LoopCheckInput& input, const LoopCheck& check, const LoopHeadroom& h) {
  QStringList lines;
  const ProtocolLimits& limits = input.limits;
  if (!check.e04 && Near(h.current)) {
    lines << Tr(N_("Alarm current %1 mA: %2 of the limit of %3 mA"))
                 .arg(Milliamperes(input.alarm.value_or(0.0)), PercentText(*h.current),
                      Limit(*limits.max_current));
  }
  if (!check.e01 && Near(h.voltage) && limits.lowest_v && h.needed) {
    lines << Tr(N_("Voltage drop %1 V: %2 of the %3 V the devices can spare"))
                 .arg(Volts(check.drop), PercentText(*h.voltage),
                      Volts(*limits.lowest_v - *h.needed));
  }
  if (!check.e02 && Near(h.first_resistance)) {
    lines << Tr(N_("Resistance to the first device %1 Ω: %2 of the limit of %3 Ω"))
                 .arg(Ohms(check.r_first), PercentText(*h.first_resistance),
                      Limit(*limits.max_first));
  }
  if (!check.e03 && Near(h.total_resistance)) {
    lines << Tr(N_("Loop resistance %1 Ω: %2 of the limit of %3 Ω"))
                 .arg(Ohms(check.r_total), PercentText(h.total_resistance),
                      Limit(kMaxLoopResistance));
  }
  return lines;
}

QString HeadroomText(const LoopCheckInput& input, const LoopHeadroom& h) {
  QStringList parts;
  if (h.current) {
    parts << Tr(N_("Current %1 of the limit (%2 of %3 mA)"))
                 .arg(PercentText(*h.current), Milliamperes(input.alarm.value_or(0.0)),
                      Limit(*input.limits.max_current));
  } else {
    parts << Tr(N_("No current limit known"));
  }
  if (h.left) parts << Tr(N_("%1 V left at the devices")).arg(Volts(*h.left));
  return parts.join(", ");
}

QString PercentText(double percent) {
  // Cut with the tolerance of Reaches, so a share that counts as 90 % also reads so.
  const double whole = std::floor(percent + 1e-7);
  // German and English alike write the sign after a space; it never wraps away from its number.
  return FormatNumber(whole, 0) + QStringLiteral("\u00a0%");
}

QStringList LoopExplanation(const LoopResult& loop) {
  QStringList lines;
  if (loop.check.Overloaded()) {
    for (const LoopReason& reason : ExplainReasons(loop.input, loop.check)) lines << reason.text;
    return lines;
  }
  return NearLimits(loop.input, loop.check, HeadroomOf(loop.input, loop.check));
}

Standing SupplyStanding(const PanelResult& panel) {
  if (!panel.known || !panel.power.supply_chosen) return Standing::kOk;
  if (panel.power.Overloaded()) return Standing::kOverloaded;
  const PanelPowerInput& in = panel.power_input;
  if (Near(Share(panel.power.q_total, in.supply_q)) ||
      Near(Share(panel.power.a_total, in.supply_a)))
    return Standing::kNearLimit;
  return Standing::kOk;
}

QStringList SupplyExplanation(const PanelResult& panel) {
  QStringList lines;
  if (!panel.known || !panel.power.supply_chosen) return lines;
  const PanelPowerInput& in = panel.power_input;
  const auto line = [&lines](const QString& total, double value, const std::optional<double>& limit,
                             bool over) {
    if (!limit) {
      lines << Tr(N_("%1 %2 mA: the supply gives none")).arg(total, Milliamperes(value));
    } else if (over) {
      lines << Tr(N_("%1 %2 mA, above the supply's limit of %3 mA"))
                   .arg(total, Milliamperes(value), Limit(*limit));
    } else {
      lines << Tr(N_("%1 %2 mA: %3 of the supply's %4 mA"))
                   .arg(total, Milliamperes(value), PercentText(Share(value, limit).value_or(0.0)),
                        Limit(*limit));
    }
  };
  line(Tr(N_("Quiescent total")), panel.power.q_total, in.supply_q, panel.power.quiescent_overload);
  line(Tr(N_("Alarm total")), panel.power.a_total, in.supply_a, panel.power.alarm_overload);
  return lines;
}

Standing PanelStanding(const Recalculation& found, int panel) {
  Standing standing = Standing::kOk;
  if (const PanelResult* p = found.Panel(panel)) standing = SupplyStanding(*p);
  for (const LoopResult& loop : found.loops) {
    if (loop.panel == panel) standing = std::max(standing, StandingOf(loop));
  }
  return standing;
}

}  // namespace velmora::electrical
