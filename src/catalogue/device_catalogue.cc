#include "catalogue/device_catalogue.h"

#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/cells.h"
#include "catalogue/column_cache.h"
#include "catalogue/device_index.h"
#include "catalogue/lookup.h"
#include "site/store_error.h"

namespace velmora::catalogue {

namespace {

const QVariant& At(const site::Row& row, int index) {
  static const QVariant kEmpty;
  return index >= 0 && index < int(row.values.size()) ? row.values[index] : kEmpty;
}

}  // namespace

const DeviceIndex& DeviceIndex::Refresh(site::Table& devices) {
  static const std::vector<site::Row> kNone;
  const std::vector<site::Row>* rows = &kNone;
  if (devices.IsOpen()) {
    try {
      rows = &devices.Rows();
    } catch (const site::StoreError&) {
      rows = &kNone;
    }
  }
  if (Current(devices, *rows)) return *this;
  entries_.clear();
  by_code_.clear();
  by_type_and_code_.clear();
  table_ = devices.Name();
  generation_ = devices.IsOpen() ? devices.Db()->Generation(devices.Name()) : 0;
  sort_ = devices.Sort();
  filtered_ = devices.Filtered();
  filter_ = devices.GetFilter().Text();
  data_ = rows->data();
  size_ = rows->size();
  built_ = true;
  if (rows->empty()) return *this;
  static ColumnCache<11> cache({"DeviceTypeCode", "DeviceTypeText", "DeviceCode", "DeviceCount",
                                "MaxPerLoop", "Isolator", "DeviceGroup", "BrandingCode",
                                "StandbyCurrent", "AlarmCurrent", "MinVoltage"});
  const std::array<int, 11> c = cache.Resolve(devices);
  entries_.reserve(rows->size());
  for (const site::Row& row : *rows) {
    Entry e;
    const std::optional<qint64> type = CellInt(At(row, c[0]));
    e.has_type = type.has_value();
    e.device.type_code = type.value_or(0);
    e.device.type_text = CellText(At(row, c[1]));
    e.device.code = CellText(At(row, c[2]));
    e.device.count = CellInt(At(row, c[3])).value_or(0);
    e.device.max_per_loop = CellInt(At(row, c[4])).value_or(0);
    e.device.isolator = CellBool(At(row, c[5]));
    e.device.group = CellText(At(row, c[6]));
    e.device.branding_code = CellText(At(row, c[7]));
    e.device.standby_current = CellReal(At(row, c[8])).value_or(0.0);
    e.device.alarm_current = CellReal(At(row, c[9])).value_or(0.0);
    e.device.min_voltage = CellInt(At(row, c[10])).value_or(0);
    entries_.push_back(std::move(e));
  }
  // QHash::insert replaces an entry: walking backwards leaves the first row of each key.
  for (int i = int(entries_.size()) - 1; i >= 0; --i) {
    const site::Row& row = (*rows)[i];
    if (At(row, c[2]).isNull()) continue;
    by_code_.insert(entries_[i].device.code, i);
    if (entries_[i].has_type)
      by_type_and_code_.insert({entries_[i].device.type_code, entries_[i].device.code}, i);
  }
  return *this;
}

bool DeviceIndex::Current(site::Table& devices, const std::vector<site::Row>& rows) const {
  return built_ && table_ == devices.Name() && data_ == rows.data() && size_ == rows.size() &&
         generation_ == (devices.IsOpen() ? devices.Db()->Generation(devices.Name()) : 0) &&
         sort_ == devices.Sort() && filtered_ == devices.Filtered() &&
         filter_ == devices.GetFilter().Text();
}

const DeviceIndex::Entry* DeviceIndex::FirstOfCode(const QString& code) const {
  const auto it = by_code_.constFind(code);
  return it == by_code_.cend() ? nullptr : &entries_[it.value()];
}

const DeviceIndex::Entry* DeviceIndex::FirstOfTypeAndCode(qint64 type_code,
                                                          const QString& code) const {
  const auto it = by_type_and_code_.constFind({type_code, code});
  return it == by_type_and_code_.cend() ? nullptr : &entries_[it.value()];
}

void SelectProtocolDeviceTable(Catalogue& catalogue, int protocol_index) {
  const QString key = ProtocolKey(protocol_index);
  site::Table& lookup = catalogue.Translation();
  QString file;
  if (lookup.IsOpen()) {
    const int id3 = lookup.FieldIndex("ID3");
    const int protocol_file = lookup.FieldIndex("ProtocolFile");
    if (id3 >= 0 && protocol_file >= 0) {
      // The last row carrying the key names the table.
      try {
        for (const site::Row& row : lookup.Rows()) {
          if (CellTextEquals(At(row, id3), key)) file = CellText(At(row, protocol_file));
        }
      } catch (const site::StoreError&) {
        file.clear();
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
  std::set<qint64> codes;
  for (const DeviceIndex::Entry& e : catalogue.Devices().Entries()) {
    if (e.has_type) codes.insert(e.device.type_code);
  }
  for (qint64 code : codes) texts << LookupDeviceTypeText(catalogue.Translation(), code);
  return texts;
}

QStringList ListDeviceSubTypes(Catalogue& catalogue, const QString& type_text) {
  QStringList codes;
  const std::optional<qint64> type = DeviceTypeCodeOfText(catalogue.Translation(), type_text);
  if (!type) return codes;
  for (const DeviceIndex::Entry& e : catalogue.Devices().Entries()) {
    if (e.has_type && e.device.type_code == *type && e.device.branding_code == u"S00")
      codes << e.device.code;
  }
  return codes;
}

std::optional<Device> FindDeviceByTypeAndCode(Catalogue& catalogue, qint64 type_code,
                                              const QString& code) {
  const DeviceIndex::Entry* e = catalogue.Devices().FirstOfTypeAndCode(type_code, code);
  if (!e) return std::nullopt;
  return e->device;
}

std::optional<Device> FindDeviceByCode(Catalogue& catalogue, const QString& code) {
  const DeviceIndex::Entry* e = catalogue.Devices().FirstOfCode(code);
  if (!e) return std::nullopt;
  return e->device;
}

std::vector<Device> AllDevices(Catalogue& catalogue) {
  std::vector<Device> all;
  for (const DeviceIndex::Entry& e : catalogue.Devices().Entries()) all.push_back(e.device);
  return all;
}

}  // namespace velmora::catalogue
