#include "catalogue/device_catalogue.h"

#include <set>

#include "catalogue/lookup.h"

namespace velmora::catalogue {

DeviceTable::DeviceTable(std::vector<Device> devices) : devices_(std::move(devices)) {
  // QHash::insert replaces an entry: walking backwards leaves the first row of each key.
  for (int i = int(devices_.size()) - 1; i >= 0; --i) {
    const Device& d = devices_[i];
    if (d.code.isNull()) continue;
    by_code_.insert(d.code, i);
    if (d.has_type) by_type_and_code_.insert({d.type_code, d.code}, i);
  }
}

const Device* DeviceTable::FirstOfCode(const QString& code) const {
  const auto it = by_code_.constFind(code);
  return it == by_code_.cend() ? nullptr : &devices_[it.value()];
}

const Device* DeviceTable::FirstOfTypeAndCode(qint64 type_code, const QString& code) const {
  const auto it = by_type_and_code_.constFind({type_code, code});
  return it == by_type_and_code_.cend() ? nullptr : &devices_[it.value()];
}

std::vector<qint64> DeviceTable::TypeCodes() const {
  std::set<qint64> codes;
  for (const Device& d : devices_) {
    if (d.has_type) codes.insert(d.type_code);
  }
  return {codes.begin(), codes.end()};
}

QStringList DeviceTable::SubTypes(qint64 type_code) const {
  QStringList codes;
  for (const Device& d : devices_) {
    if (d.has_type && d.type_code == type_code && d.branding_code == u"S00") codes << d.code;
  }
  return codes;
}

QStringList ListDeviceTypes(const DeviceTable& table, site::Table& lookup) {
  QStringList texts;
  for (qint64 code : table.TypeCodes()) texts << LookupDeviceTypeText(lookup, code);
  return texts;
}

QStringList ListDeviceSubTypes(const DeviceTable& table, site::Table& lookup,
                               const QString& type_text) {
  const std::optional<qint64> type = DeviceTypeCodeOfText(lookup, type_text);
  if (!type) return {};
  return table.SubTypes(*type);
}

}  // namespace velmora::catalogue
