#include "site/site_file_check.h"

#include <QFile>
#include <QFileInfo>

#include "site/database.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

struct Required {
  const char* table;
  std::initializer_list<const char*> columns;
};

// The columns every layout the program reads has; later columns are optional.
const Required kRequired[] = {
    {"Site", {"SiteName", "SalesChannel", "StandbyTime", "AlarmTime"}},
    {"Panels", {"Panel Number", "Panel Name", "Panel Type", "Housing Type", "Prot0", "Opt0"}},
    {"Loops",
     {"PanelNumber", "LoopNumber", "Loop", "CableSpec", "Resistance", "Length", "AlarmIndicators",
      "OneLocation", "OneLocationLength", "Spread", "SpreadLength", "QuiescentCurrent",
      "AlarmCurrent", "Drop", "OK"}},
    {"Devices",
     {"ID", "Panel", "Loop", "DeviceQuantity", "DeviceTypeCode", "DeviceTypeText",
      "DeviceSub-Type", "UnitQuiesentCurrent", "QuiesentCurrent", "UnitAlarmCurrent",
      "AlarmCurrent"}},
    {"Outputs", {"Panel", "OutputNumber", "Output", "MAX", "QuiesentCurrent", "AlarmCurrent"}},
    {"Currents",
     {"Panel", "CurrentType", "Description", "QuiescentCurrent", "AlarmCurrent", "Comment"}},
};

}  // namespace

QString CheckSiteFile(const QString& file) {
  const QFileInfo info(file);
  if (!info.exists()) return "The file does not exist.";
  if (!info.isFile()) return "This is not a file.";
  QFile probe(file);
  if (!probe.open(QIODevice::ReadOnly)) return "The file cannot be read.";
  const QByteArray header = probe.read(16);
  probe.close();
  if (header.size() < 16 || header != QByteArray("SQLite format 3\0", 16))
    return "This is not a site file: it is not a database.";

  Database db("check", info.absoluteFilePath());
  try {
    db.Open({.read_only = true, .untrusted = true});
    const QString verdict = db.QueryValue("PRAGMA quick_check").toString();
    if (verdict != "ok") return "The file is damaged (" + verdict + ").";
    for (const Required& required : kRequired) {
      if (!db.HasTable(required.table))
        return QString("This is not a site file: it has no table %1.").arg(required.table);
      for (const char* column : required.columns) {
        if (db.ColumnIndex(required.table, column) < 0)
          return QString("This is not a site file: table %1 has no column %2.")
              .arg(required.table, column);
      }
    }
  } catch (const StoreError& error) {
    return "The file cannot be read as a site file: " + error.Message();
  }
  return QString();
}

}  // namespace velmora::site
