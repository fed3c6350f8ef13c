#include "catalogue/device_catalogue.h"

#include <map>

#include "catalogue/catalogue.h"
#include "catalogue/cells.h"
#include "catalogue/lookup.h"
#include "site/store_error.h"

namespace velmora::catalogue {

namespace {

// Column positions of the open device table; -1 for a column the table lacks.
struct DeviceCols {
  explicit DeviceCols(site::Table& t)
      : type_code(t.FieldIndex("DeviceTypeCode")),
        type_text(t.FieldIndex("DeviceTypeText")),
        code(t.FieldIndex("DeviceCode")),
        count(t.FieldIndex("DeviceCount")),
        max_per_loop(t.FieldIndex("MaxPerLoop")),
        isolator(t.FieldIndex("Isolator")),
        group(t.FieldIndex("DeviceGroup")),
        branding_code(t.FieldIndex("BrandingCode")),
        standby(t.FieldIndex("StandbyCurrent")),
        alarm(t.FieldIndex("AlarmCurrent")),
        min_voltage(t.FieldIndex("MinVoltage")) {}
  int type_code, type_text, code, count, max_per_loop, isolator, group, branding_code, standby,
      alarm, min_voltage;
};

const QVariant& At(const site::Row& row, int index) {
  static const QVariant kEmpty;
  return index >= 0 && index < int(row.values.size()) ? row.values[index] : kEmpty;
}

// The rows of the device catalogue in the dataset's order; empty when no table is open.
const std::vector<site::Row>& DeviceRows(site::Table& devices) {
  static const std::vector<site::Row> kNone;
  if (!devices.IsOpen()) return kNone;
  try {
    return devices.Rows();
  } catch (const site::StoreError&) {
    return kNone;
  }
}

Device DeviceOfRow(const DeviceCols& c, const site::Row& row) {
  Device d;
  d.type_code = CellInt(At(row, c.type_code)).value_or(0);
  d.type_text = CellText(At(row, c.type_text));
  d.code = CellText(At(row, c.code));
  d.count = CellInt(At(row, c.count)).value_or(0);
  d.max_per_loop = CellInt(At(row, c.max_per_loop)).value_or(0);
  d.isolator = CellBool(At(row, c.isolator));
  d.group = CellText(At(row, c.group));
  d.branding_code = CellText(At(row, c.branding_code));
  d.standby_current = CellReal(At(row, c.standby)).value_or(0.0);
  d.alarm_current = CellReal(At(row, c.alarm)).value_or(0.0);
  d.min_voltage = CellInt(At(row, c.min_voltage)).value_or(0);
  return d;
}

bool TypeIs(const QVariant& cell, qint64 code) {
  const std::optional<qint64> value = CellInt(cell);
  return value && *value == code;
}

}  // namespace

void SelectProtocolDeviceTable(Catalogue& catalogue, int protocol_index) {
  const QString key = ProtocolKey(protocol_index);
  site::Table& lookup = catalogue.Translation();
  QString file;
  if (lookup.IsOpen()) {
    const int id3 = lookup.FieldIndex("ID3");
    const int protocol_file = lookup.FieldIndex("ProtocolFile");
    if (id3 >= 0 && protocol_file >= 0) {
      // The last row carrying the key names the table.
      for (const site::Row& row : lookup.Rows()) {
        if (CellTextEquals(At(row, id3), key)) file = CellText(At(row, protocol_file));
      }
    }
  }
  catalogue.DeviceCompat().SetName(file);
  catalogue.OpenDeviceCatalogue();
}

QStringList ListDeviceTypes(Catalogue& catalogue) {
  site::Table& devices = catalogue.DeviceCompat();
  QStringList texts;
  if (!devices.IsOpen() || !devices.HasField("DeviceTypeCode")) return texts;
  if (devices.Sort().compare("DeviceTypeCode", Qt::CaseInsensitive) != 0) {
    try {
      devices.SetSort("DeviceTypeCode");
    } catch (const site::StoreError&) {
      return texts;
    }
  }
  const int type_code = devices.FieldIndex("DeviceTypeCode");
  std::map<qint64, bool> codes;
  for (const site::Row& row : DeviceRows(devices)) {
    if (const std::optional<qint64> code = CellInt(At(row, type_code))) codes[*code] = true;
  }
  for (const auto& [code, unused] : codes)
    texts << LookupDeviceTypeText(catalogue.Translation(), code);
  return texts;
}

QStringList ListDeviceSubTypes(Catalogue& catalogue, const QString& type_text) {
  QStringList codes;
  const std::optional<qint64> type = DeviceTypeCodeOfText(catalogue.Translation(), type_text);
  if (!type) return codes;
  site::Table& devices = catalogue.DeviceCompat();
  if (!devices.IsOpen()) return codes;
  const DeviceCols c(devices);
  if (c.type_code < 0 || c.code < 0 || c.branding_code < 0) return codes;
  for (const site::Row& row : DeviceRows(devices)) {
    if (TypeIs(At(row, c.type_code), *type) && CellTextEquals(At(row, c.branding_code), "S00"))
      codes << CellText(At(row, c.code));
  }
  return codes;
}

std::optional<Device> FindDeviceByTypeAndCode(Catalogue& catalogue, qint64 type_code,
                                              const QString& code) {
  site::Table& devices = catalogue.DeviceCompat();
  if (!devices.IsOpen()) return std::nullopt;
  const DeviceCols c(devices);
  if (c.type_code < 0 || c.code < 0) return std::nullopt;
  for (const site::Row& row : DeviceRows(devices)) {
    if (CellTextEquals(At(row, c.code), code) && TypeIs(At(row, c.type_code), type_code))
      return DeviceOfRow(c, row);
  }
  return std::nullopt;
}

std::optional<Device> FindDeviceByCode(Catalogue& catalogue, const QString& code) {
  site::Table& devices = catalogue.DeviceCompat();
  if (!devices.IsOpen()) return std::nullopt;
  const DeviceCols c(devices);
  if (c.code < 0) return std::nullopt;
  for (const site::Row& row : DeviceRows(devices)) {
    if (CellTextEquals(At(row, c.code), code)) return DeviceOfRow(c, row);
  }
  return std::nullopt;
}

std::vector<Device> AllDevices(Catalogue& catalogue) {
  std::vector<Device> all;
  site::Table& devices = catalogue.DeviceCompat();
  if (!devices.IsOpen()) return all;
  const DeviceCols c(devices);
  for (const site::Row& row : DeviceRows(devices)) all.push_back(DeviceOfRow(c, row));
  return all;
}

}  // namespace velmora::catalogue
