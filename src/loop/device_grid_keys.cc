#include "loop/device_grid_keys.h"

#include "electrical/run.h"
#include "loop/device_row_editor.h"
#include "site/table.h"

namespace velmora::loop {

bool IsDeviceRowComplete(site::Table& devices) {
  if (!devices.IsOpen() || devices.IsEmpty()) return false;
  return !devices.IsNull("DeviceQuantity") && devices.Int("DeviceQuantity") >= 1 &&
         !devices.Text("DeviceTypeText").trimmed().isEmpty() &&
         !devices.Text("DeviceSub-Type").trimmed().isEmpty();
}

NewRowKey OnDeviceGridKey(Run& run, DeviceRowEditor& editor, GridKey key, int column) {
  NewRowKey result;
  if (key == GridKey::kTab && column != kSubTypeColumn) return result;
  site::Table& devices = run.doc.Devices();
  if (!devices.IsOpen() || devices.IsEmpty() || devices.RecNo() != devices.RecordCount())
    return result;
  result.swallowed = true;
  if (!IsDeviceRowComplete(devices)) return result;
  const int before = devices.RecordCount();
  editor.AddDeviceRow();
  result.added = devices.RecordCount() > before;
  return result;
}

}  // namespace velmora::loop
