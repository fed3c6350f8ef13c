#include "catalogue/device_seeding.h"

#include <cmath>

#include "catalogue/catalogue.h"
#include "site/store_error.h"

namespace velmora::catalogue {

namespace seed_texts {
extern const char kApollo[];
extern const char kFirstMaker[];
extern const char kSecondMaker[];
}  // namespace seed_texts

namespace {

const char kCreateApollo[] =
    "CREATE TABLE [Apollo] ([DeviceTypeCode] FLOAT, [DeviceTypeText] TEXT(255), [DeviceCode] "
    "TEXT(255), [DeviceCount] INTEGER, [MaxPerLoop] INTEGER, [Isolator] YESNO, [DeviceGroup] "
    "TEXT(50), [BrandingCode] TEXT(255), [BrandingText] TEXT(255), [StandbyCurrent] FLOAT, "
    "[AlarmCurrent] FLOAT, [LastUpdated] TEXT(255), [Document] TEXT(255), [MinVoltage] INTEGER)";

[[noreturn]] void Refuse(const QString& text, const QString& column) {
  throw site::StoreError(QString("'%1' is not a valid value for %2").arg(text, column));
}

// A seed text converted by the type of its column.
QVariant ConvertSeedText(const site::Column& column, const QString& text, bool divide_currents) {
  switch (column.type) {
    case site::ColumnType::kInteger: {
      bool ok = false;
      const qint64 n = text.toLongLong(&ok);
      if (!ok) Refuse(text, column.name);
      return n;
    }
    case site::ColumnType::kBool: {
      if (text.compare("true", Qt::CaseInsensitive) == 0) return qint64(1);
      if (text.compare("false", Qt::CaseInsensitive) == 0) return qint64(0);
      bool ok = false;
      const double d = text.toDouble(&ok);
      if (!ok) Refuse(text, column.name);
      return qint64(d != 0.0 ? 1 : 0);
    }
    case site::ColumnType::kReal: {
      // QString::toDouble reads "." decimals in every locale, as the seed texts are written.
      bool ok = false;
      double d = text.toDouble(&ok);
      if (!ok || !std::isfinite(d)) Refuse(text, column.name);
      if (divide_currents && column.name.contains("Current")) d /= 1000.0;
      return d;
    }
    default:
      return text;
  }
}

bool SameCell(const QVariant& stored, const QVariant& value) {
  if (stored.isNull() != value.isNull()) return false;
  return site::CompareValues(stored, value) == 0;
}

}  // namespace

DeviceSeed ParseDeviceSeed(const QString& text) {
  DeviceSeed seed;
  bool first = true;
  for (const QString& raw : text.split('\n')) {
    QString line = raw;
    if (line.endsWith('\r')) line.chop(1);
    if (line.trimmed().isEmpty()) continue;
    const QStringList fields = line.split(',');
    if (first) {
      seed.columns = fields;
      first = false;
    } else {
      seed.rows.push_back(fields);
    }
  }
  return seed;
}

const DeviceSeed& ApolloSeed() {
  static const DeviceSeed seed = ParseDeviceSeed(QString::fromUtf8(seed_texts::kApollo));
  return seed;
}

const DeviceSeed& FirstMakerSeed() {
  static const DeviceSeed seed = ParseDeviceSeed(QString::fromUtf8(seed_texts::kFirstMaker));
  return seed;
}

const DeviceSeed& SecondMakerSeed() {
  static const DeviceSeed seed = ParseDeviceSeed(QString::fromUtf8(seed_texts::kSecondMaker));
  return seed;
}

void WriteCatalogueRows(site::Table& table, const DeviceSeed& seed, int row_count,
                        bool divide_currents) {
  if (!table.IsOpen()) return;
  if (row_count > int(seed.rows.size()))
    throw site::StoreError("The device seed holds fewer rows than asked for");
  const std::vector<site::Column>& columns = table.Columns();
  std::vector<int> targets;
  for (const QString& name : seed.columns) {
    const int index = table.FieldIndex(name.trimmed());
    if (index < 0)
      throw site::StoreError(QString("Table %1 has no column %2").arg(table.Name(), name));
    targets.push_back(index);
  }
  const int code_column = table.FieldIndex("DeviceCode");
  if (code_column < 0)
    throw site::StoreError(QString("Table %1 has no column DeviceCode").arg(table.Name()));
  const qint64 bookmark = table.Bookmark();
  for (int r = 0; r < row_count; ++r) {
    const QStringList& texts = seed.rows[r];
    if (texts.size() != seed.columns.size())
      throw site::StoreError(
          QString("Device seed row %1 has %2 texts").arg(r + 1).arg(texts.size()));
    const QString code = texts.value(2).trimmed();
    const bool found = table.Locate("DeviceCode", code);
    std::vector<QVariant> values;
    for (int c = 0; c < int(targets.size()); ++c)
      values.push_back(ConvertSeedText(columns[targets[c]], texts[c].trimmed(), divide_currents));
    if (found) {
      // A row that already holds the seeded values is left as it is: same outcome, no write.
      const int position = table.RecNo() - 1;
      const site::Row& row = table.Rows()[position];
      bool same = true;
      for (int c = 0; c < int(targets.size()) && same; ++c)
        same = SameCell(row.values[targets[c]], values[c]);
      if (same) continue;
    } else {
      table.Append();
    }
    for (int c = 0; c < int(targets.size()); ++c)
      table.SetValue(columns[targets[c]].name, values[c]);
    table.Post();
  }
  if (bookmark != 0) table.GotoBookmark(bookmark);
}

bool EnsureApolloTable(site::Database& db) {
  try {
    for (const QString& name : db.TableNames()) {
      if (name.compare(kApolloTable, Qt::CaseInsensitive) == 0) return false;
    }
  } catch (const site::StoreError&) {
    // An unreadable list counts as a missing table.
  }
  try {
    site::Transaction transaction(&db);
    db.ExecuteDdl(kCreateApollo);
    site::Table table(&db, kApolloTable);
    table.Open();
    WriteCatalogueRows(table, ApolloSeed(), kApolloSeedRows, true);
    table.Close();
    transaction.Commit();
    return true;
  } catch (const site::StoreError&) {
    return false;
  }
}

bool AddMakerDevices(site::Database& db, const QString& table_name, const DeviceSeed& seed,
                     int row_count) {
  try {
    site::Transaction transaction(&db);
    site::Table table(&db, table_name);
    table.Open();
    WriteCatalogueRows(table, seed, row_count, false);
    table.Close();
    transaction.Commit();
    return true;
  } catch (const site::StoreError&) {
    return false;
  }
}

void PrepareDeviceCatalogue(site::Database& db) {
  const bool temporary = !db.IsOpen();
  if (temporary) {
    try {
      db.Open();
    } catch (const site::StoreError&) {
      return;
    }
  }
  EnsureApolloTable(db);
  AddMakerDevices(db, QString::fromLatin1(kFirstDeviceTable), FirstMakerSeed(),
                  kFirstMakerSeedRows);
  AddMakerDevices(db, kSecondMakerTable, SecondMakerSeed(), kSecondMakerSeedRows);
  if (temporary) db.Close();
}

}  // namespace velmora::catalogue
