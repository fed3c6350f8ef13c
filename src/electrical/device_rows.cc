#include "electrical/device_rows.h"

#include <cmath>

#include "catalogue/device_catalogue.h"
#include "electrical/number_format.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"

namespace velmora::electrical {

void UpdateDeviceRowCurrents(Run& run, int panel, int loop) {
  RowSet devices(run.doc.Db(), "Devices", DevicesOfLoop(panel, loop));
  const int c_quantity = devices.Col("DeviceQuantity");
  const int c_code = devices.Col("DeviceTypeCode");
  const int c_sub_type = devices.Col("DeviceSub-Type");
  const int c_unit_q = devices.Col("UnitQuiesentCurrent");
  const int c_unit_a = devices.Col("UnitAlarmCurrent");
  const int c_row_q = devices.Col("QuiesentCurrent");
  const int c_row_a = devices.Col("AlarmCurrent");
  const int c_lowest_v = devices.Col("LowestV");
  const int c_group = devices.Col("CountGroup");
  for (site::Row& row : devices.Rows()) {
    QString group = QStringLiteral("noc");
    double standby = 0.0;
    double alarm = 0.0;
    double volts = 0.0;
    const double q = double(IntAt(row, c_quantity));
    const QString sub_type =
        IsEmptyAt(row, c_sub_type) ? QStringLiteral(" ") : TextAt(row, c_sub_type);
    if (const auto device =
            catalogue::FindDeviceByTypeAndCode(run.catalogue, IntAt(row, c_code), sub_type)) {
      standby = device->standby_current;
      alarm = device->alarm_current;
      volts = double(device->min_voltage) / 1000.0;
      group = device->group;
    }
    RowEdit edit(devices, row);
    edit.Set(c_unit_q, q > 0 ? standby * 1000.0 : 0.0);
    edit.Set(c_unit_a, q > 0 ? alarm * 1000.0 : 0.0);
    edit.Set(c_row_q, q * standby * 1000.0);
    edit.Set(c_row_a, q * alarm * 1000.0);
    edit.Set(c_lowest_v, volts);
    edit.Set(c_group, group);
    edit.Store();
  }
}

qint64 SpacingDeviceCount(Run& run, int panel, int loop) {
  RowSet devices(run.doc.Db(), "Devices", DevicesOfLoop(panel, loop));
  const int c_quantity = devices.Col("DeviceQuantity");
  const int c_sub_type = devices.Col("DeviceSub-Type");
  qint64 n = 0;
  for (const site::Row& row : devices.Rows()) {
    if (const auto device = catalogue::FindDeviceByCode(run.catalogue, TextAt(row, c_sub_type)))
      n += IntAt(row, c_quantity) * std::min<qint64>(device->count, 1);
  }
  return n < 3 ? 3 : n;
}

QString SpacingText(double distance) {
  const bool whole = std::trunc(distance) >= distance;
  return FixedNumber(distance, whole ? 0 : 3).rightJustified(3, ' ');
}

QString DeviceSpacingText(Run& run, int panel, int loop, qint64 length, qint64 v3) {
  const qint64 n = SpacingDeviceCount(run, panel, loop);
  return SpacingText(double(length - 2 * v3) / double(n - 1));
}

}  // namespace velmora::electrical
