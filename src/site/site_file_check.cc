#include "site/site_file_check.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <cmath>
#include <limits>
#include <vector>

#include "site/database.h"
#include "site/filter.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

// How the program computes with a column's values. Text and dates are only shown and copied.
enum class Kind { kAny, kWhole, kKey, kNumber, kYesNo, kHours };

// The standby and alarm times come from the lookup table's lists: a few hours up to some days.
constexpr double kMostHours = 100000;

struct KnownColumn {
  const char* name;
  Kind kind;
};

struct SiteTable {
  const char* name;
  // The columns every layout the program reads has; later columns are optional.
  std::initializer_list<const char*> required;
  // Every column the program knows, with how it computes with it.
  std::initializer_list<KnownColumn> known;
};

const SiteTable kSiteTables[] = {
    {"Site",
     {"SiteName", "SiteDate", "ContactName", "AddressLine1", "AddressLine2", "City",
      "State/Province", "PostalCode", "Country", "Phone", "Fax", "Email", "Comment", "StandbyTime",
      "AlarmTime", "SalesChannel"},
     {{"StandbyTime", Kind::kHours}, {"AlarmTime", Kind::kHours}}},
    // The flag families (Prot, Opt, Psu) are checked on their own.
    {"Panels",
     {"Panel Number", "Panel Name", "Panel Type", "Housing Type", "SalesChannel",
      "Quiescent Current Panel", "Alarm Current Panel", "Quiescent Current Total",
      "Alarm Current Total", "Battery Capacity", "Battery", "Loop Loads"},
     {{"Panel Number", Kind::kWhole},
      {"Panel Type", Kind::kWhole},
      {"Housing Type", Kind::kWhole},
      {"OKBooleanLoops", Kind::kYesNo},
      {"OKBooleanPSU", Kind::kYesNo}}},
    {"Loops",
     {"PanelNumber", "LoopNumber", "Loop", "CableSpec", "Resistance", "Length", "AlarmIndicators",
      "OneLocation", "OneLocationLength", "Spread", "SpreadLength", "QuiescentCurrent",
      "AlarmCurrent", "Drop", "OK"},
     {{"PanelNumber", Kind::kWhole},
      {"LoopNumber", Kind::kWhole},
      {"CableSpec", Kind::kWhole},
      {"Resistance", Kind::kNumber},
      {"Length", Kind::kWhole},
      {"AlarmIndicators", Kind::kWhole},
      {"OneLocation", Kind::kYesNo},
      {"OneLocationLength", Kind::kWhole},
      {"Spread", Kind::kYesNo},
      {"SpreadLength", Kind::kWhole},
      {"QuiescentCurrent", Kind::kNumber},
      {"AlarmCurrent", Kind::kNumber},
      {"Drop", Kind::kNumber},
      {"OKBoolean", Kind::kYesNo}}},
    {"Devices",
     {"ID", "Panel", "Loop", "DeviceQuantity", "DeviceTypeCode", "DeviceTypeText", "DeviceSub-Type",
      "UnitQuiesentCurrent", "QuiesentCurrent", "UnitAlarmCurrent", "AlarmCurrent", "LowestV",
      "CountGroup"},
     {{"ID", Kind::kKey},
      {"Panel", Kind::kWhole},
      {"Loop", Kind::kWhole},
      {"DeviceQuantity", Kind::kWhole},
      {"DeviceTypeCode", Kind::kWhole},
      {"UnitQuiesentCurrent", Kind::kNumber},
      {"QuiesentCurrent", Kind::kNumber},
      {"UnitAlarmCurrent", Kind::kNumber},
      {"AlarmCurrent", Kind::kNumber},
      {"LowestV", Kind::kNumber}}},
    {"Outputs",
     {"Panel", "OutputNumber", "Output", "MAX", "QuiesentCurrent", "AlarmCurrent"},
     {{"Panel", Kind::kWhole},
      {"OutputNumber", Kind::kWhole},
      {"MAX", Kind::kWhole},
      {"QuiesentCurrent", Kind::kNumber},
      {"AlarmCurrent", Kind::kNumber}}},
    {"Currents",
     {"Panel", "CurrentType", "Description", "QuiescentCurrent", "AlarmCurrent", "Comment"},
     {{"Panel", Kind::kWhole},
      {"CurrentType", Kind::kWhole},
      {"QuiescentCurrent", Kind::kNumber},
      {"AlarmCurrent", Kind::kNumber}}},
};

// A flag family of Panels: the program counts the columns whose names begin with `head` (case
// as written) and then uses `stem`0 ... `stem`N-1.
struct Family {
  const char* head;
  const char* stem;
  const char* what;
};
constexpr Family kFamilies[] = {
    {"Pro", "Prot", "protocol"}, {"Opt", "Opt", "option board"}, {"Psu", "Psu", "power supply"}};

int CountFamily(const QStringList& columns, const Family& family) {
  int count = 0;
  for (const QString& column : columns) {
    if (column.startsWith(family.head, Qt::CaseSensitive)) ++count;
  }
  return count;
}

// The counts of the flag families of a blank site, which the catalogue carries too.
bool ReferenceFamilies(const QString& reference, int counts[3]) {
  try {
    Database db("reference", reference);
    db.Open({.read_only = true});
    QStringList columns;
    for (const Column& column : db.Columns("Panels")) columns << column.name;
    for (int f = 0; f < 3; ++f) counts[f] = CountFamily(columns, kFamilies[f]);
    return true;
  } catch (const StoreError&) {
    return false;
  }
}

Kind KindOf(const SiteTable& table, const QString& column) {
  for (const KnownColumn& known : table.known) {
    if (column.compare(known.name, Qt::CaseInsensitive) == 0) return known.kind;
  }
  // The flag families of Panels: protocols, option boards, power supplies.
  if (QString(table.name) == "Panels") {
    for (const char* prefix : {"Prot", "Opt", "Psu"}) {
      if (column.startsWith(prefix, Qt::CaseInsensitive)) return Kind::kYesNo;
    }
  }
  return Kind::kAny;
}

quint32 BigEndian32(const QByteArray& bytes, int offset) {
  return (quint32(quint8(bytes[offset])) << 24) | (quint32(quint8(bytes[offset + 1])) << 16) |
         (quint32(quint8(bytes[offset + 2])) << 8) | quint32(quint8(bytes[offset + 3]));
}

// What a file that is not a database looks like, for a refusal in plain words.
QString ForeignKind(const QByteArray& head) {
  if (head.startsWith("\x89PNG\r\n\x1a\n")) return "a PNG image";
  if (head.startsWith("\xff\xd8\xff")) return "a JPEG image";
  if (head.startsWith("GIF8")) return "a GIF image";
  if (head.startsWith("%PDF")) return "a PDF document";
  if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06")) return "a ZIP archive";
  if (head.startsWith("\x1f\x8b")) return "a compressed (gzip) file";
  if (head.startsWith("{\\rtf")) return "an RTF document";
  bool text = !head.isEmpty();
  for (char c : head) {
    const auto u = quint8(c);
    if (u < 0x20 && c != '\n' && c != '\r' && c != '\t') text = false;
  }
  if (text) return "a text file";
  return QString();
}

// A value as a refusal quotes it: short, on one line.
QString Quoted(const QString& value) {
  QString shown = value.simplified();
  if (shown.size() > 40) shown = shown.left(37) + "...";
  return "\"" + shown + "\"";
}

struct Statement {
  sqlite3_stmt* stmt = nullptr;
  ~Statement() { sqlite3_finalize(stmt); }
};

class Checker {
 public:
  Checker(Database& db, const SiteFileLimits& limits) : db_(db), limits_(limits) {}

  QString Run() {
    QString problem = CheckIntegrity();
    if (problem.isEmpty()) problem = CheckSchema();
    for (const SiteTable& table : kSiteTables) {
      if (problem.isEmpty()) problem = CheckTable(table);
    }
    return problem;
  }

 private:
  sqlite3* Handle() const { return db_.Handle(); }

  // The text of a failure of the database engine itself.
  QString Failure(int rc) const {
    const QString message = QString::fromUtf8(sqlite3_errmsg(Handle()));
    if (db_.TimedOut() || rc == SQLITE_INTERRUPT)
      return QString(
                 "checking the file took longer than %1 seconds, far longer than any site "
                 "file takes")
          .arg(limits_.time_limit_ms / 1000);
    switch (rc & 0xff) {
      case SQLITE_CORRUPT:
      case SQLITE_NOTADB:
      case SQLITE_FORMAT:
        return "the file is damaged (" + message + ")";
      case SQLITE_TOOBIG:
        return "the file holds a value or statement larger than any site file has (" + message +
               ")";
      case SQLITE_NOMEM:
        return "the file needs more memory than there is to be read";
      case SQLITE_IOERR:
        return "the file cannot be read (" + message + ")";
      default:
        return "the file cannot be read as a site file (" + message + ")";
    }
  }

  int Prepare(const QString& sql, Statement* statement) {
    const QByteArray utf8 = sql.toUtf8();
    return sqlite3_prepare_v2(Handle(), utf8.constData(), int(utf8.size()), &statement->stmt,
                              nullptr);
  }

  QString CheckIntegrity() {
    Statement check;
    int rc = Prepare("PRAGMA quick_check(1)", &check);
    if (rc != SQLITE_OK) return Failure(rc);
    rc = sqlite3_step(check.stmt);
    if (rc != SQLITE_ROW) return Failure(rc);
    const QString verdict =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check.stmt, 0)));
    if (verdict != "ok") return "the file is damaged (" + verdict.left(200) + ")";
    return QString();
  }

  // Nothing in the schema may run code when the program works on the document later.
  QString CheckSchema() {
    Statement list;
    int rc = Prepare("SELECT type, name, sql FROM sqlite_schema ORDER BY rowid", &list);
    if (rc != SQLITE_OK) return Failure(rc);
    while ((rc = sqlite3_step(list.stmt)) == SQLITE_ROW) {
      const QString type =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list.stmt, 0)));
      const QString name =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list.stmt, 1)));
      const QString sql =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list.stmt, 2)));
      if (type == "view" || type == "trigger")
        return QString(
                   "it is not a site file: it contains the %1 \"%2\", and site files have "
                   "no %1s")
            .arg(type, name);
      if (type == "table" && sql.trimmed().startsWith("CREATE VIRTUAL", Qt::CaseInsensitive))
        return QString(
                   "it is not a site file: it contains the virtual table \"%1\", and site "
                   "files have none")
            .arg(name);
    }
    if (rc != SQLITE_DONE) return Failure(rc);
    return QString();
  }

  // The real spelling of a table in the file, compared without regard to case.
  QString ResolveTable(const QString& name, bool* without_rowid, QString* problem) {
    Statement list;
    int rc = Prepare(
        "SELECT name, wr FROM pragma_table_list WHERE schema = 'main' AND type = "
        "'table'",
        &list);
    if (rc != SQLITE_OK) {
      *problem = Failure(rc);
      return QString();
    }
    QString found;
    while ((rc = sqlite3_step(list.stmt)) == SQLITE_ROW) {
      const QString table =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list.stmt, 0)));
      if (table.compare(name, Qt::CaseInsensitive) == 0 && found.isEmpty()) {
        found = table;
        *without_rowid = sqlite3_column_int(list.stmt, 1) != 0;
      }
    }
    if (rc != SQLITE_DONE) *problem = Failure(rc);
    return found;
  }

  QString CheckTable(const SiteTable& site_table) {
    QString problem;
    bool without_rowid = false;
    const QString table = ResolveTable(site_table.name, &without_rowid, &problem);
    if (!problem.isEmpty()) return problem;
    if (table.isEmpty())
      return QString("it is not a site file: it has no table %1").arg(site_table.name);
    if (without_rowid)
      return QString("it is not a site file: table %1 is stored without row numbers").arg(table);

    // The columns as stored; the table store finds rows by rowid, so no column may take that
    // name, and none may be computed by the database.
    QStringList columns;
    {
      Statement info;
      int rc = Prepare("SELECT name, hidden FROM pragma_table_xinfo(?) ORDER BY cid", &info);
      if (rc != SQLITE_OK) return Failure(rc);
      const QByteArray name = table.toUtf8();
      sqlite3_bind_text(info.stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
      while ((rc = sqlite3_step(info.stmt)) == SQLITE_ROW) {
        const QString column =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.stmt, 0)));
        for (const char* reserved : {"rowid", "oid", "_rowid_"}) {
          if (column.compare(reserved, Qt::CaseInsensitive) == 0)
            return QString("it is not a site file: table %1 has a column named %2")
                .arg(table, column);
        }
        if (sqlite3_column_int(info.stmt, 1) != 0)
          return QString(
                     "it is not a site file: column %1 of table %2 is computed by the "
                     "database")
              .arg(column, table);
        columns << column;
      }
      if (rc != SQLITE_DONE) return Failure(rc);
    }
    for (const char* required : site_table.required) {
      if (!columns.contains(required, Qt::CaseInsensitive))
        return QString("it is not a site file: table %1 has no column %2").arg(table, required);
    }
    problem = CheckLayout(site_table, table, columns);
    if (!problem.isEmpty()) return problem;

    {
      Statement count;
      int rc = Prepare("SELECT count(*) FROM " + QuoteIdentifier(table), &count);
      if (rc != SQLITE_OK) return Failure(rc);
      rc = sqlite3_step(count.stmt);
      if (rc != SQLITE_ROW) return Failure(rc);
      const qint64 rows = sqlite3_column_int64(count.stmt, 0);
      if (rows > limits_.max_rows)
        return QString("table %1 has %2 rows, far more than a site has (at most %3)")
            .arg(table)
            .arg(rows)
            .arg(limits_.max_rows);
    }

    // The quick check of the whole file leaves out whether the indexes match their tables; the
    // program reads these tables through their indexes, so for them that is checked too.
    {
      Statement check;
      int rc = Prepare("PRAGMA integrity_check(" + QuoteIdentifier(table) + ")", &check);
      if (rc != SQLITE_OK) return Failure(rc);
      rc = sqlite3_step(check.stmt);
      if (rc != SQLITE_ROW) return Failure(rc);
      const QString verdict =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check.stmt, 0)));
      if (verdict != "ok") return "the file is damaged (" + verdict.left(200) + ")";
    }

    // Every value is read once, so sizes are held to the store's limits, and the values the
    // program computes with are checked for their kind.
    QString sql;
    std::vector<Kind> kinds;
    for (const QString& column : columns) {
      sql += (sql.isEmpty() ? "SELECT " : ", ") + QuoteIdentifier(column);
      kinds.push_back(KindOf(site_table, column));
    }
    sql += " FROM " + QuoteIdentifier(table) + " ORDER BY rowid";
    Statement rows;
    int rc = Prepare(sql, &rows);
    if (rc != SQLITE_OK) return Failure(rc);
    qint64 row = 0;
    while ((rc = sqlite3_step(rows.stmt)) == SQLITE_ROW) {
      ++row;
      for (int c = 0; c < int(columns.size()); ++c) {
        const QString wrong = WrongValue(rows.stmt, c, kinds[c]);
        if (!wrong.isEmpty())
          return QString("table %1, row %2: column %3 %4")
              .arg(table)
              .arg(row)
              .arg(columns[c], wrong);
      }
    }
    if (rc != SQLITE_DONE) return Failure(rc);
    return QString();
  }

  // The columns the program infers from a table's shape must be there: the flag families of
  // Panels without gaps, the columns the upgrade of an older Panels adds not there yet, and the
  // status flags where the column count says they are.
  QString CheckLayout(const SiteTable& site_table, const QString& table,
                      const QStringList& columns) {
    auto missing = [&](const QString& column) {
      return QString("it is not a site file: table %1 has no column %2").arg(table, column);
    };
    if (QString(site_table.name) == "Loops" && columns.size() > 15 &&
        !columns.contains("OKBoolean", Qt::CaseInsensitive))
      return missing("OKBoolean");
    if (QString(site_table.name) != "Panels") return QString();

    const bool upgraded = columns.contains("Prot3", Qt::CaseInsensitive);
    int counts[3];
    for (int f = 0; f < 3; ++f) {
      const Family& family = kFamilies[f];
      counts[f] = CountFamily(columns, family);
      for (int i = 0; i < counts[f]; ++i) {
        const QString column = family.stem + QString::number(i);
        if (!columns.contains(column, Qt::CaseInsensitive))
          return QString("it is not a site file: table %1 has %2 %3 columns but no column %4")
              .arg(table)
              .arg(counts[f])
              .arg(family.what, column);
      }
    }
    if (counts[0] < 3) return missing("Prot" + QString::number(counts[0]));
    if (counts[1] < 5) return missing("Opt" + QString::number(counts[1]));
    if (!upgraded) {
      // Opening adds Prot3 and Opt5 ... Opt8 to a table without Prot3.
      for (const char* added : {"Opt5", "Opt6", "Opt7", "Opt8"}) {
        if (columns.contains(added, Qt::CaseInsensitive))
          return QString("it is not a site file: table %1 has a column %2 but no column Prot3")
              .arg(table, added);
      }
      counts[0] += 1;
      counts[1] += 4;
    }
    const int after_upgrade = int(columns.size()) + (upgraded ? 0 : 5);
    if (after_upgrade >= 20) {
      for (const char* flag : {"OKBooleanLoops", "OKBooleanPSU"}) {
        if (!columns.contains(flag, Qt::CaseInsensitive)) return missing(flag);
      }
    }
    int reference[3];
    if (!limits_.layout_reference.isEmpty() &&
        ReferenceFamilies(limits_.layout_reference, reference)) {
      for (int f = 0; f < 3; ++f) {
        if (counts[f] > reference[f])
          return QString(
                     "table %1 has %2 %3 columns, more than this version of Velmora knows "
                     "(%4)")
              .arg(table)
              .arg(counts[f])
              .arg(kFamilies[f].what)
              .arg(reference[f]);
      }
    }
    return QString();
  }

  // Empty when the value fits how the program computes with its column, else what it holds.
  static QString WrongValue(sqlite3_stmt* stmt, int c, Kind kind) {
    const int type = sqlite3_column_type(stmt, c);
    if (kind == Kind::kAny || type == SQLITE_NULL) return QString();
    if (type == SQLITE_BLOB) return "holds binary data instead of a number";
    // Whole numbers as the store holds them (it writes what a user types within 64 bits).
    constexpr double kLowest = -9.2e18;
    constexpr double kHighest = 9.2e18;
    double number = 0;
    QString shown;
    if (type == SQLITE_INTEGER) {
      const qint64 n = sqlite3_column_int64(stmt, c);
      if (kind == Kind::kKey) return QString();
      number = double(n);
      shown = QString::number(n);
    } else if (type == SQLITE_FLOAT) {
      number = sqlite3_column_double(stmt, c);
      shown = QString::number(number, 'g', 15);
      if (!std::isfinite(number)) return QString("holds %1 instead of a number").arg(shown);
    } else {
      const QString text =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                            sqlite3_column_bytes(stmt, c));
      const QString trimmed = text.trimmed();
      if (trimmed.isEmpty()) return QString();
      if (kind == Kind::kYesNo && (trimmed.compare("true", Qt::CaseInsensitive) == 0 ||
                                   trimmed.compare("false", Qt::CaseInsensitive) == 0))
        return QString();
      bool ok = false;
      number = trimmed.toDouble(&ok);
      shown = Quoted(text);
      if (!ok || !std::isfinite(number)) {
        switch (kind) {
          case Kind::kYesNo:
            return QString("holds %1 instead of a yes/no value").arg(shown);
          case Kind::kWhole:
          case Kind::kKey:
            return QString("holds %1 instead of a whole number").arg(shown);
          default:
            return QString("holds %1 instead of a number").arg(shown);
        }
      }
    }
    if ((kind == Kind::kWhole || kind == Kind::kKey) &&
        (std::round(number) < kLowest || std::round(number) > kHighest))
      return QString("holds %1, a number too large for the program").arg(shown);
    if (kind == Kind::kHours && (number < 0 || number > kMostHours))
      return QString("holds %1, which is not a time in hours a site can require").arg(shown);
    return QString();
  }

  Database& db_;
  const SiteFileLimits& limits_;
};

}  // namespace

QString SizeText(qint64 bytes) {
  if (bytes >= (qint64(1) << 30)) return QString::number(bytes >> 30) + " GB";
  if (bytes >= (1 << 20)) return QString::number(bytes >> 20) + " MB";
  if (bytes >= (1 << 10)) return QString::number(bytes >> 10) + " KB";
  return QString::number(bytes) + " bytes";
}

QString CheckSiteFile(const QString& file, const SiteFileLimits& limits) {
  const QFileInfo info(file);
  if (!info.exists()) return "the file does not exist";
  if (info.isDir()) return "it is a folder, not a file";
  if (!info.isFile()) return "it is not an ordinary file";
  if (info.size() > limits.max_file_bytes)
    return QString("the file is larger than %1, far larger than any site file")
        .arg(SizeText(limits.max_file_bytes));
  QFile probe(file);
  if (!probe.open(QIODevice::ReadOnly))
    return "the file cannot be read (" + probe.errorString() + ")";
  const QByteArray header = probe.read(100);
  probe.close();
  if (header.isEmpty()) return "the file is empty";
  if (!header.startsWith(QByteArray("SQLite format 3\0", 16))) {
    const QString kind = ForeignKind(header);
    return kind.isEmpty() ? QString("it is not a site file: it is not a database")
                          : "it is not a site file: it is " + kind;
  }
  if (header.size() < 100)
    return QString("the file is damaged: it ends after %1 bytes").arg(header.size());

  // The header says what the file is and how long it must be.
  const quint32 page_field = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
  const qint64 page_size = page_field == 1 ? 65536 : page_field;
  if (page_size < 512 || page_size > 65536 || (page_size & (page_size - 1)) != 0)
    return "the file is damaged (its page size is not valid)";
  const quint32 application_id = BigEndian32(header, 68);
  const quint32 version = BigEndian32(header, 60);
  if (application_id != 0 && application_id != quint32(kSiteApplicationId))
    return "it is not a site file: it is a database of another program";
  if (application_id == quint32(kSiteApplicationId) && version > quint32(kSiteFormatVersion))
    return QString(
               "it was saved by a newer version of Velmora (site format %1; this version "
               "reads format %2 and older)")
        .arg(version)
        .arg(kSiteFormatVersion);
  const quint32 pages = BigEndian32(header, 28);
  const bool pages_valid = pages != 0 && BigEndian32(header, 24) == BigEndian32(header, 92);
  if (pages_valid && info.size() < qint64(pages) * page_size)
    return QString("the file is cut short: it ends after %1 of its %2 bytes")
        .arg(info.size())
        .arg(qint64(pages) * page_size);
  if (info.size() % page_size != 0)
    return "the file is cut short or damaged: its length is not a whole number of pages";

  Database db("check", info.absoluteFilePath());
  try {
    db.Open({.read_only = true, .untrusted = true, .time_limit_ms = limits.time_limit_ms});
  } catch (const StoreError& error) {
    return "the file cannot be read as a site file: " + error.Message();
  }
  return Checker(db, limits).Run();
}

}  // namespace velmora::site
