#include "loop/device_limits.h"

#include "catalogue/catalogue.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"

namespace velmora::loop {

using electrical::IntAt;
using electrical::RowSet;
using electrical::TextAt;
using i18n::Msg;

bool CheckLoopGroupLimits(Run& run, int panel, int loop) {
  const auto protocol = catalogue::ProtocolOfKey(run.catalogue.Translation(),
                                                 electrical::ProtocolKeyOfPanel(run, panel));
  if (!protocol) return true;
  const qint64 max_detectors = protocol->max_detector_count;
  const qint64 max_modules = protocol->max_module_count;

  RowSet devices(run.doc.Db(), "Devices", electrical::DevicesOfLoop(panel, loop));
  const int c_quantity = devices.Col("DeviceQuantity");
  const int c_sub_type = devices.Col("DeviceSub-Type");
  qint64 detectors = 0;
  qint64 modules = 0;
  for (const site::Row& row : devices.Rows()) {
    const auto device = catalogue::FindDeviceByCode(run.catalogue, TextAt(row, c_sub_type));
    if (!device) continue;
    const qint64 counted = IntAt(row, c_quantity) * device->count;
    if (device->group == "all" || device->group == "det") {
      detectors += counted;
    } else if (device->group == "mod") {
      modules += counted;
    }
  }

  bool ok = true;
  if (max_modules != 0) {
    if (detectors > max_detectors) {
      run.prompter.Warn(i18n::Text(Msg::kTooManyDetectorsPerLoop));
      ok = false;
    }
    if (modules > max_modules) {
      run.prompter.Warn(i18n::Text(Msg::kTooManyModulesPerLoop));
      ok = false;
    }
  } else if (detectors > max_detectors) {
    // Without a module limit every counted device is one of the loop's devices.
    run.prompter.Warn(i18n::Text(Msg::kTooManyDevicePerLoop));
    ok = false;
  }
  return ok;
}

bool CheckDeviceTypeLimits(Run& run, int panel, int loop) {
  RowSet devices(run.doc.Db(), "Devices", electrical::DevicesOfLoop(panel, loop));
  const int c_quantity = devices.Col("DeviceQuantity");
  const int c_sub_type = devices.Col("DeviceSub-Type");
  bool ok = true;
  for (const site::Row& row : devices.Rows()) {
    const QString sub_type = TextAt(row, c_sub_type);
    const auto device = catalogue::FindDeviceByCode(run.catalogue, sub_type);
    if (!device || IntAt(row, c_quantity) <= device->max_per_loop) continue;
    run.prompter.Warn(i18n::Text(Msg::kTooManyDeviceOfType) + " " + sub_type + " " +
                      i18n::Text(Msg::kDecreaseSpecificType));
    ok = false;
  }
  return ok;
}

}  // namespace velmora::loop
