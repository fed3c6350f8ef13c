#pragma once

#include <QHash>
#include <QString>
#include <utility>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "site/table.h"

namespace velmora::catalogue {

// The open device table read once into Device values with the first row of every code and of
// every type and code, so that the readers, which run for every device row of every edit, do
// not scan the table. Rebuilt whenever the rows the cursor sees have changed: another table, a
// write, another sort or filter.
class DeviceIndex {
 public:
  // Brings the index up to date with the cursor and returns it.
  const DeviceIndex& Refresh(site::Table& devices);

  struct Entry {
    Device device;
    bool has_type = false;  // the row's DeviceTypeCode holds a whole number
  };
  const std::vector<Entry>& Entries() const { return entries_; }
  const Entry* FirstOfCode(const QString& code) const;
  const Entry* FirstOfTypeAndCode(qint64 type_code, const QString& code) const;

 private:
  bool Current(site::Table& devices, const std::vector<site::Row>& rows) const;

  QString table_;
  quint64 generation_ = 0;
  QString sort_;
  bool filtered_ = false;
  QString filter_;
  const site::Row* data_ = nullptr;
  size_t size_ = 0;
  bool built_ = false;
  std::vector<Entry> entries_;
  QHash<QString, int> by_code_;
  QHash<std::pair<qint64, QString>, int> by_type_and_code_;
};

}  // namespace velmora::catalogue
