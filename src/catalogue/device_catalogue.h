#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace velmora::site {
class Table;
}

namespace velmora::catalogue {

// One row of a device table (units as stored: currents in A, voltage in mV).
struct Device {
  qint64 type_code = 0;
  bool has_type = false;  // the row's DeviceTypeCode holds a whole number
  QString type_text;
  QString code;
  qint64 count = 0;
  qint64 max_per_loop = 0;
  bool isolator = false;
  QString group;
  QString branding_code;
  double standby_current = 0.0;
  double alarm_current = 0.0;
  qint64 min_voltage = 0;
};

// One device table of the catalogue, read once: its rows in ascending DeviceTypeCode, rows of one
// code in the table's own order, which is the order every lookup takes its first match in.
class DeviceTable {
 public:
  DeviceTable() = default;
  explicit DeviceTable(std::vector<Device> devices);

  const std::vector<Device>& Devices() const { return devices_; }
  bool IsEmpty() const { return devices_.empty(); }
  // FindDeviceByCode: the first row with the code, whatever its type.
  const Device* FirstOfCode(const QString& code) const;
  // FindDeviceByTypeAndCode: the first row with the type code and the code.
  const Device* FirstOfTypeAndCode(qint64 type_code, const QString& code) const;
  // The distinct type codes in ascending order.
  std::vector<qint64> TypeCodes() const;
  // DeviceCode of every row of a type whose BrandingCode is "S00", in the table's order.
  QStringList SubTypes(qint64 type_code) const;

 private:
  std::vector<Device> devices_;
  QHash<QString, int> by_code_;
  QHash<std::pair<qint64, QString>, int> by_type_and_code_;
};

// ListDeviceTypes: the texts of the table's type codes in ascending order, through the lookup.
QStringList ListDeviceTypes(const DeviceTable& table, site::Table& lookup);
// ListDeviceSubTypes: the offered codes of the type the lookup names by the text.
QStringList ListDeviceSubTypes(const DeviceTable& table, site::Table& lookup,
                               const QString& type_text);

}  // namespace velmora::catalogue
