#include "electrical/loop_profile.h"

#include "catalogue/catalogue.h"
#include "catalogue/lookup.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
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

std::optional<LoopProfile> LoopProfileOf(Run& run, int panel, int loop) {
  site::Database& db = run.doc.Db();
  RowSet loops(db, "Loops", LoopKey(panel, loop));
  const site::Row* loop_row = loops.First();
  if (loop_row == nullptr) return std::nullopt;
  const QString key = ProtocolKeyOfPanel(run, panel);
  if (key.isEmpty()) return std::nullopt;
  const std::optional<catalogue::Protocol> protocol =
      catalogue::ProtocolOfKey(run.catalogue.Translation(), key);
  if (!protocol) return std::nullopt;

  RowSet devices(db, "Devices", DevicesOfLoop(panel, loop));
  const int c_quantity = devices.Col("DeviceQuantity");
  const int c_code = devices.Col("DeviceTypeCode");
  const int c_unit_q = devices.Col("UnitQuiesentCurrent");
  const int c_unit_a = devices.Col("UnitAlarmCurrent");
  const int c_row_a = devices.Col("AlarmCurrent");
  const int c_lowest = devices.Col("LowestV");
  const int c_type_text = devices.Col("DeviceTypeText");
  const int c_sub_type = devices.Col("DeviceSub-Type");
  LoopProfile out;
  std::vector<ProfileDeviceRow> rows;
  for (const site::Row& row : devices.Rows()) {
    ProfileDeviceRow r;
    r.quantity = IntAt(row, c_quantity);
    r.type_code = IntAt(row, c_code);
    r.unit_quiescent = RealAt(row, c_unit_q);
    if (!IsEmptyAt(row, c_unit_a)) r.unit_alarm = RealAt(row, c_unit_a);
    r.row_alarm = RealAt(row, c_row_a);
    if (!IsEmptyAt(row, c_lowest)) r.lowest_v = RealAt(row, c_lowest);
    rows.push_back(r);
    const QString type = TextAt(row, c_type_text).trimmed();
    const QString sub_type = TextAt(row, c_sub_type).trimmed();
    out.row_names.push_back(sub_type.isEmpty() ? type : type + " - " + sub_type);
  }
  std::optional<std::vector<ProfileDevice>> expanded =
      ExpandAlarmCurrents(rows, IntAt(*loop_row, loops.Col("AlarmIndicators")));
  if (!expanded) return std::nullopt;

  out.input.length = double(IntAt(*loop_row, loops.Col("Length")));
  out.input.resistance = RealAt(*loop_row, loops.Col("Resistance"));
  out.input.one_location = BoolAt(*loop_row, loops.Col("OneLocation"));
  out.input.first_distance = double(
      IntAt(*loop_row, loops.Col(out.input.one_location ? "OneLocationLength" : "SpreadLength")));
  out.input.supply_v = protocol->lowest_v;
  out.input.devices = std::move(*expanded);
  out.profile = CalculateVoltageProfile(out.input);
  out.sections = DevicesPerSection(out.input.devices);
  out.lumped_u = protocol->lowest_v - RealAt(*loop_row, loops.Col("Drop"));
  return out;
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
