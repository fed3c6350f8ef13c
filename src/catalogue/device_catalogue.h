#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace velmora::catalogue {

class Catalogue;

// One row of a device table (units as stored: currents in A, voltage in mV).
struct Device {
  qint64 type_code = 0;
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

// Makes the device table of protocol `index` the open device catalogue: the ProtocolFile of the
// last lookup row whose ID3 is "Prot"+index; reopening runs the seeding first. No such row, or a
// table that does not exist, gives an empty catalogue.
void SelectProtocolDeviceTable(Catalogue& catalogue, int protocol_index);

// Texts of the distinct type codes of the device catalogue in ascending code order; sorts the
// dataset by DeviceTypeCode, and the sort stays.
QStringList ListDeviceTypes(Catalogue& catalogue);
// DeviceCode of every row of the type named by the text whose BrandingCode is "S00", in the
// dataset's order.
QStringList ListDeviceSubTypes(Catalogue& catalogue, const QString& type_text);
std::optional<Device> FindDeviceByTypeAndCode(Catalogue& catalogue, qint64 type_code,
                                              const QString& code);
std::optional<Device> FindDeviceByCode(Catalogue& catalogue, const QString& code);
// Every row of the open device table in the dataset's order (for the parts list).
std::vector<Device> AllDevices(Catalogue& catalogue);

}  // namespace velmora::catalogue
