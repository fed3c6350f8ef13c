#include "electrical/loop_profile.h"

#include "electrical/recalculation.h"
#include "i18n/tr.h"

namespace velmora::electrical {

using i18n::Tr;

QString LoopProfile::DeviceName(int device) const {
  if (device < 0 || device >= int(input.devices.size())) return QString();
  const QString number = Tr(N_("Device %1")).arg(device + 1);
  const int row = input.devices[std::size_t(device)].row;
  const QString name =
      row >= 0 && row < int(row_names.size()) ? row_names[std::size_t(row)] : QString();
  return name.isEmpty() ? number : number + " (" + name + ")";
}

std::optional<LoopProfile> ProfileOf(const LoopResult& loop) {
  const LoopCheckInput& in = loop.input;
  if (!in.limits.lowest_v || !loop.check.left) return std::nullopt;
  LoopProfile out;
  std::vector<ProfileDeviceRow> rows;
  rows.reserve(in.devices.size());
  for (const DeviceRowValues& d : in.devices) {
    ProfileDeviceRow r;
    r.quantity = d.quantity;
    r.type_code = d.type_code;
    r.unit_quiescent = d.unit_q;
    r.unit_alarm = d.unit_a;
    r.row_alarm = d.row_a;
    // A device the catalogue does not hold has a LowestV of 0, which no voltage fails.
    if (d.lowest_v && *d.lowest_v > 0) r.lowest_v = d.lowest_v;
    rows.push_back(r);
    const QString type = d.type_text.trimmed();
    const QString sub_type = d.sub_type.trimmed();
    out.row_names.push_back(sub_type.isEmpty() ? type : type + " - " + sub_type);
  }
  std::optional<std::vector<ProfileDevice>> expanded =
      ExpandAlarmCurrents(rows, loop.alarm_indicators);
  if (!expanded) return std::nullopt;

  const LoopGeometry& g = in.geometry;
  out.input.length = double(g.length);
  out.input.resistance = g.ohm_per_km;
  out.input.one_location = g.one_location;
  out.input.first_distance = double(g.one_location ? g.one_location_length : g.spread_length);
  out.input.supply_v = *in.limits.lowest_v;
  out.input.devices = std::move(*expanded);
  out.profile = CalculateVoltageProfile(out.input);
  out.sections = DevicesPerSection(out.input.devices);
  out.lumped_u = *loop.check.left;
  return out;
}

std::optional<LoopProfile> LoopProfileOf(SiteData& data, int panel, int loop) {
  const Recalculation found = RecalculatePanels(data, {panel}, false);
  const LoopResult* result = found.Loop(panel, loop);
  if (result == nullptr) return std::nullopt;
  return ProfileOf(*result);
}

QStringList AdvisoryTexts(const LoopProfile& loop) {
  QStringList texts;
  if (!loop.profile.healthy_ok) {
    texts << Tr(N_("Below the lowest operating voltage of a device"));
  } else if (!loop.profile.broken_ok) {
    texts << Tr(N_("Below the lowest operating voltage of a device with the cable broken"));
  }
  if (loop.sections.exceeded) {
    texts << Tr(N_("More than %1 devices per isolator section")).arg(int(kMaxDevicesPerSection));
  }
  return texts;
}

}  // namespace velmora::electrical
