#include "electrical/loop_currents.h"

#include <algorithm>

#include "electrical/run.h"
#include "electrical/site_rows.h"

namespace velmora::electrical {

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

void RecalculateLoopCurrents(Run& run, int panel, int loop) {
  site::Database& db = run.doc.Db();
  RowSet loops(db, "Loops", LoopKey(panel, loop));
  site::Row* loop_row = loops.First();
  if (loop_row == nullptr) return;
  const qint64 indicators = IntAt(*loop_row, loops.Col("AlarmIndicators"));

  RowSet devices(db, "Devices", DevicesOfLoop(panel, loop));
  const int c_quantity = devices.Col("DeviceQuantity");
  const int c_code = devices.Col("DeviceTypeCode");
  const int c_unit_q = devices.Col("UnitQuiesentCurrent");
  const int c_unit_a = devices.Col("UnitAlarmCurrent");
  const int c_row_q = devices.Col("QuiesentCurrent");
  const int c_row_a = devices.Col("AlarmCurrent");

  // Largest unit alarm current first, so the budgets go to the devices that draw the most in
  // alarm; rows without a unit alarm current last; equal rows keep their stored order.
  std::vector<const site::Row*> order;
  order.reserve(devices.Rows().size());
  for (const site::Row& row : devices.Rows()) order.push_back(&row);
  std::stable_sort(order.begin(), order.end(), [&](const site::Row* a, const site::Row* b) {
    const bool a_empty = IsEmptyAt(*a, c_unit_a);
    const bool b_empty = IsEmptyAt(*b, c_unit_a);
    if (a_empty || b_empty) return !a_empty && b_empty;
    return RealAt(*a, c_unit_a) > RealAt(*b, c_unit_a);
  });

  qint64 budget[3] = {indicators, indicators, 2};  // indicator, second indicator, isolator
  double q1 = 0, a1 = 0, q2 = 0, a2 = 0, q3 = 0, a3 = 0;
  for (const site::Row* row : order) {
    const qint64 m = IntAt(*row, c_quantity);
    const DeviceClass device_class = DeviceClassOf(IntAt(*row, c_code));
    if (device_class == DeviceClass::kUnlimited) {
      q3 += RealAt(*row, c_row_q);
      a3 += RealAt(*row, c_row_a);
      continue;
    }
    qint64& b = budget[static_cast<int>(device_class)];
    const qint64 taken = std::min(m, b);
    const qint64 rest = m - taken;
    b = taken == 0 ? 0 : b - taken;
    const double unit_q = RealAt(*row, c_unit_q);
    const double unit_a = RealAt(*row, c_unit_a);
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

  RowEdit edit(loops, *loop_row);
  edit.Set(loops.Col("QuiescentCurrent"), q1 + q2 + q3);
  edit.Set(loops.Col("AlarmCurrent"), a1 + a2 + a3);
  edit.Store();
}

}  // namespace velmora::electrical
