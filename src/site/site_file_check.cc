#include "site/site_file_check.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <cmath>
#include <limits>
#include <vector>

#include "i18n/tr.h"
#include "site/database.h"
#include "site/filter.h"
#include "site/statement.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

// How the program computes with a column's values. Every text is limited in length; the
// numbers a site adds up are limited each, so that no sum over a whole site can overflow.
enum class Kind {
  kAny,        // shown and printed only
  kLongText,   // a free comment
  kWhole,      // a number the program counts with (codes, numbers of panels and loops)
  kCount,      // how many of something: whole, from 0
  kMetres,     // a cable length: whole, from 0
  kKey,        // the store's own row key
  kMilliamps,  // a current a user or the catalogue gives: from 0
  kNumber,     // a result the program computes again from the values above
  kYesNo,
  kHours,
};

// The standby and alarm times come from the lookup table's lists: a few hours up to some days.
constexpr double kMostHours = 100000;
// Far beyond any loop (a few hundred devices of a kind, a few kilometres of cable, amperes of
// current), and small enough that the quantities, currents and battery sizes summed over
// kMostTableRows rows stay far inside 64 bits.
constexpr double kMostMetres = 1000000;
constexpr double kMostMilliamps = 1000000;
constexpr double kMostComputed = 1e15;

constexpr i18n::Source kHasView =
    N_("it is not a site file: it contains the view \"%1\", and site files have no views");
constexpr i18n::Source kNoColumn = N_("it is not a site file: table %1 has no column %2");

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
     {{"StandbyTime", Kind::kHours}, {"AlarmTime", Kind::kHours}, {"Comment", Kind::kLongText}}},
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
      {"Length", Kind::kMetres},
      {"AlarmIndicators", Kind::kCount},
      {"OneLocation", Kind::kYesNo},
      {"OneLocationLength", Kind::kMetres},
      {"Spread", Kind::kYesNo},
      {"SpreadLength", Kind::kMetres},
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
      {"DeviceQuantity", Kind::kCount},
      {"DeviceTypeCode", Kind::kWhole},
      {"UnitQuiesentCurrent", Kind::kMilliamps},
      {"QuiesentCurrent", Kind::kNumber},
      {"UnitAlarmCurrent", Kind::kMilliamps},
      {"AlarmCurrent", Kind::kNumber},
      {"LowestV", Kind::kNumber}}},
    {"Outputs",
     {"Panel", "OutputNumber", "Output", "MAX", "QuiesentCurrent", "AlarmCurrent"},
     {{"Panel", Kind::kWhole},
      {"OutputNumber", Kind::kWhole},
      {"MAX", Kind::kMilliamps},
      {"QuiesentCurrent", Kind::kMilliamps},
      {"AlarmCurrent", Kind::kMilliamps}}},
    {"Currents",
     {"Panel", "CurrentType", "Description", "QuiescentCurrent", "AlarmCurrent", "Comment"},
     {{"Panel", Kind::kWhole},
      {"CurrentType", Kind::kWhole},
      {"QuiescentCurrent", Kind::kNumber},
      {"AlarmCurrent", Kind::kNumber}}},
};

// A flag family of Panels: the program counts the columns whose names begin with `head` (case
// as written) and then uses `stem`0 ... `stem`N-1. Its refusals are whole sentences each, so
// that every language words them in its own order.
struct Family {
  const char* head;
  const char* stem;
  // Table %1 has %2 columns of the family but not column %3.
  i18n::Source gap;
  // Table %1 has %2 columns of the family, more than the %3 this version knows.
  i18n::Source too_many;
};
constexpr Family kFamilies[] = {
    {"Pro", "Prot", N_("it is not a site file: table %1 has %2 protocol columns but no column %3"),
     N_("table %1 has %2 protocol columns, more than this version of Velmora knows (%3)")},
    {"Opt", "Opt",
     N_("it is not a site file: table %1 has %2 option board columns but no column %3"),
     N_("table %1 has %2 option board columns, more than this version of Velmora knows (%3)")},
    {"Psu", "Psu",
     N_("it is not a site file: table %1 has %2 power supply columns but no column %3"),
     N_("table %1 has %2 power supply columns, more than this version of Velmora knows (%3)")}};

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

// The refusal of a file that is not a database, saying what it looks like in plain words.
QString ForeignFile(const QByteArray& head) {
  struct Kind {
    const char* magic;
    i18n::Source refusal;
  };
  static const Kind kKinds[] = {
      {"\x89PNG\r\n\x1a\n", N_("it is not a site file: it is a PNG image")},
      {"\xff\xd8\xff", N_("it is not a site file: it is a JPEG image")},
      {"GIF8", N_("it is not a site file: it is a GIF image")},
      {"%PDF", N_("it is not a site file: it is a PDF document")},
      {"PK\x03\x04", N_("it is not a site file: it is a ZIP archive")},
      {"PK\x05\x06", N_("it is not a site file: it is a ZIP archive")},
      {"\x1f\x8b", N_("it is not a site file: it is a compressed (gzip) file")},
      {"{\\rtf", N_("it is not a site file: it is an RTF document")},
  };
  for (const Kind& kind : kKinds) {
    if (head.startsWith(kind.magic)) return i18n::Tr(kind.refusal);
  }
  bool text = !head.isEmpty();
  for (char c : head) {
    const auto u = quint8(c);
    if (u < 0x20 && c != '\n' && c != '\r' && c != '\t') text = false;
  }
  if (text) return i18n::Tr(N_("it is not a site file: it is a text file"));
  return i18n::Tr(N_("it is not a site file: it is not a database"));
}

// A value as a refusal quotes it: short, on one line.
QString Quoted(const QString& value) {
  QString shown = value.simplified();
  if (shown.size() > 40) shown = shown.left(37) + "...";
  return "\"" + shown + "\"";
}

// A text value as the check reads it: its size is looked at before it is decoded.
bool TooLong(const Statement& row, int c, int most, int* length) {
  const int bytes = row.Bytes(c);
  if (bytes <= most) return false;
  // A character takes at most four bytes, so nothing longer needs decoding to be refused.
  *length = bytes > 4 * most ? -1 : int(row.Text(c).size());
  return *length < 0 || *length > most;
}

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
      return i18n::Tr(N_("checking the file took longer than %1 seconds, far longer than any "
                         "site file takes"))
          .arg(limits_.time_limit_ms / 1000);
    switch (rc & 0xff) {
      case SQLITE_CORRUPT:
      case SQLITE_NOTADB:
      case SQLITE_FORMAT:
        return i18n::Tr(N_("the file is damaged (%1)")).arg(message);
      case SQLITE_TOOBIG:
        return i18n::Tr(N_("the file holds a value or statement larger than any site file has "
                           "(%1)"))
            .arg(message);
      case SQLITE_NOMEM:
        return i18n::Tr(N_("the file needs more memory than there is to be read"));
      case SQLITE_IOERR:
        return i18n::Tr(N_("the file cannot be read (%1)")).arg(message);
      default:
        return i18n::Tr(N_("the file cannot be read as a site file (%1)")).arg(message);
    }
  }

  // Prepares and binds; false with *problem set when the engine refuses.
  bool Prepare(Statement* statement, const QString& sql, QString* problem,
               const std::vector<QVariant>& binds = {}) {
    const int rc = statement->Prepare(Handle(), sql);
    if (rc != SQLITE_OK) {
      *problem = Failure(rc);
      return false;
    }
    if (!binds.empty()) statement->Bind(binds);
    return true;
  }

  // The single text of a one-row statement such as a pragma; false with *problem set.
  bool QueryText(const QString& sql, QString* text, QString* problem) {
    Statement statement;
    if (!Prepare(&statement, sql, problem)) return false;
    const int rc = statement.Step();
    if (rc != SQLITE_ROW) {
      *problem = Failure(rc);
      return false;
    }
    *text = statement.Text(0);
    return true;
  }

  QString CheckIntegrity() {
    QString verdict;
    QString problem;
    if (!QueryText("PRAGMA quick_check(1)", &verdict, &problem)) return problem;
    if (verdict != "ok") return i18n::Tr(N_("the file is damaged (%1)")).arg(verdict.left(200));
    return QString();
  }

  // Nothing in the schema may ever run code. The program writes tables and indexes only, so only
  // entries of exactly these two types pass, and each must be what SQLite itself made of it: the
  // database reads every entry's statement whatever its type column claims, so a trigger or view
  // entered as a "table" or an "index" would otherwise pass.
  QString CheckSchema() {
    QString problem;
    QSet<QString> tables;
    QSet<QString> without_rowid;
    qint64 indexes = 0;
    {
      Statement list;
      if (!Prepare(&list, "SELECT name, type, wr FROM pragma_table_list WHERE schema = 'main'",
                   &problem))
        return problem;
      QString view;
      QString virtual_table;
      QString other;
      int rc;
      while ((rc = list.Step()) == SQLITE_ROW) {
        const QString name = list.Text(0);
        const QString type = list.Text(1);
        if (name == "sqlite_schema") continue;
        if (type == "view" && view.isEmpty()) view = name;
        if (type == "virtual" && virtual_table.isEmpty()) virtual_table = name;
        // The storage tables of a virtual table ("shadow" tables) are named after it.
        if (type != "table" && type != "view" && type != "virtual" && other.isEmpty()) other = name;
        if (type == "table") {
          tables.insert(name);
          if (list.Int64(2) != 0) without_rowid.insert(name);
        }
      }
      if (rc != SQLITE_DONE) return Failure(rc);
      if (!view.isEmpty()) return i18n::Tr(kHasView).arg(view);
      if (virtual_table.isEmpty()) virtual_table = other;
      if (!virtual_table.isEmpty())
        return i18n::Tr(N_("it is not a site file: it contains the virtual table \"%1\", and "
                           "site files have none"))
            .arg(virtual_table);
    }
    for (const QString& table : tables) {
      Statement list;
      // The key of a table without row numbers is an index with no schema entry of its own.
      if (!Prepare(&list,
                   "SELECT count(*) FROM pragma_index_list(?1) WHERE NOT (origin = 'pk' AND ?2)",
                   &problem, {table, without_rowid.contains(table)}))
        return problem;
      const int rc = list.Step();
      if (rc != SQLITE_ROW) return Failure(rc);
      indexes += list.Int64(0);
    }

    Statement entries;
    if (!Prepare(&entries, "SELECT type, name, tbl_name FROM sqlite_schema ORDER BY rowid",
                 &problem))
      return problem;
    qint64 table_entries = 0;
    qint64 index_entries = 0;
    int rc;
    while ((rc = entries.Step()) == SQLITE_ROW) {
      const QString type = entries.Text(0);
      const QString name = entries.Text(1);
      const QString owner = entries.Text(2);
      bool real = false;
      if (type == "table") {
        ++table_entries;
        real = tables.contains(name);
      } else if (type == "index") {
        ++index_entries;
        Statement index;
        if (!Prepare(&index, "SELECT count(*) FROM pragma_index_list(?) WHERE name = ?", &problem,
                     {owner, name}))
          return problem;
        const int found = index.Step();
        if (found != SQLITE_ROW) return Failure(found);
        real = tables.contains(owner) && index.Int64(0) == 1;
      } else {
        const QString kind = type.toLower().simplified();
        if (kind == "trigger")
          return i18n::Tr(N_("it is not a site file: it contains the trigger \"%1\", and site "
                             "files have no triggers"))
              .arg(name);
        if (kind == "view") return i18n::Tr(kHasView).arg(name);
        return i18n::Tr(N_("it is not a site file: its schema holds the entry \"%1\" of the "
                           "unknown type %2"))
            .arg(name, Quoted(type));
      }
      if (!real)
        return type == "table" ? i18n::Tr(N_("it is not a site file: its schema entry \"%1\" "
                                             "is not the table it claims to be"))
                                     .arg(name)
                               : i18n::Tr(N_("it is not a site file: its schema entry \"%1\" "
                                             "is not the index it claims to be"))
                                     .arg(name);
    }
    if (rc != SQLITE_DONE) return Failure(rc);
    // Two entries of one name, one of them something else under the same name.
    if (table_entries != tables.size() || index_entries != indexes)
      return i18n::Tr(
          N_("it is not a site file: its schema holds entries that are not the "
             "tables and indexes they claim to be"));
    return QString();
  }

  // The real spelling of a table in the file, compared without regard to case.
  QString ResolveTable(const QString& name, bool* without_rowid, QString* problem) {
    Statement list;
    if (!Prepare(&list,
                 "SELECT name, wr FROM pragma_table_list WHERE schema = 'main' AND type = "
                 "'table'",
                 problem))
      return QString();
    QString found;
    int rc;
    while ((rc = list.Step()) == SQLITE_ROW) {
      const QString table = list.Text(0);
      if (table.compare(name, Qt::CaseInsensitive) == 0 && found.isEmpty()) {
        found = table;
        *without_rowid = list.Int64(1) != 0;
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
      return i18n::Tr(N_("it is not a site file: it has no table %1")).arg(site_table.name);
    if (without_rowid)
      return i18n::Tr(N_("it is not a site file: table %1 is stored without row numbers"))
          .arg(table);

    // The columns as stored; the table store finds rows by rowid, so no column may take that
    // name, and none may be computed by the database.
    QStringList columns;
    {
      Statement info;
      if (!Prepare(&info, "SELECT name, hidden FROM pragma_table_xinfo(?) ORDER BY cid", &problem,
                   {table}))
        return problem;
      int rc;
      while ((rc = info.Step()) == SQLITE_ROW) {
        const QString column = info.Text(0);
        for (const char* reserved : {"rowid", "oid", "_rowid_"}) {
          if (column.compare(reserved, Qt::CaseInsensitive) == 0)
            return i18n::Tr(N_("it is not a site file: table %1 has a column named %2"))
                .arg(table, column);
        }
        if (info.Int64(1) != 0)
          return i18n::Tr(N_("it is not a site file: column %1 of table %2 is computed by the "
                             "database"))
              .arg(column, table);
        columns << column;
      }
      if (rc != SQLITE_DONE) return Failure(rc);
    }
    for (const char* required : site_table.required) {
      if (!columns.contains(required, Qt::CaseInsensitive))
        return i18n::Tr(kNoColumn).arg(table, required);
    }
    problem = CheckLayout(site_table, table, columns);
    if (!problem.isEmpty()) return problem;

    {
      QString count;
      if (!QueryText("SELECT count(*) FROM " + QuoteIdentifier(table), &count, &problem))
        return problem;
      const qint64 rows = count.toLongLong();
      if (rows > limits_.max_rows)
        return i18n::Tr(N_("table %1 has %2 rows, far more than a site has (at most %3)"))
            .arg(table, QString::number(rows), QString::number(limits_.max_rows));
    }

    // The quick check of the whole file leaves out whether the indexes match their tables; the
    // program reads these tables through their indexes, so for them that is checked too.
    {
      QString verdict;
      if (!QueryText("PRAGMA integrity_check(" + QuoteIdentifier(table) + ")", &verdict, &problem))
        return problem;
      if (verdict != "ok") return i18n::Tr(N_("the file is damaged (%1)")).arg(verdict.left(200));
    }

    // Every value is read once, so sizes are held to the store's limits, and the values the
    // program computes with are checked for their kind and range.
    QString sql;
    std::vector<Kind> kinds;
    for (const QString& column : columns) {
      sql += (sql.isEmpty() ? "SELECT " : ", ") + QuoteIdentifier(column);
      kinds.push_back(KindOf(site_table, column));
    }
    sql += " FROM " + QuoteIdentifier(table) + " ORDER BY rowid";
    Statement rows;
    if (!Prepare(&rows, sql, &problem)) return problem;
    qint64 row = 0;
    int rc;
    while ((rc = rows.Step()) == SQLITE_ROW) {
      ++row;
      for (int c = 0; c < int(columns.size()); ++c) {
        const QString wrong = WrongValue(rows, c, kinds[c], table, row, columns[c]);
        if (!wrong.isEmpty()) return wrong;
      }
    }
    if (rc != SQLITE_DONE) return Failure(rc);
    return QString();
  }

  // The columns the program infers from a table's shape must be there: the flag families of
  // Panels without gaps, the columns the upgrade of an older Panels adds not there yet, and
  // OKBoolean of Loops where the column count says it is (Panels' status flags are found by name).
  QString CheckLayout(const SiteTable& site_table, const QString& table,
                      const QStringList& columns) {
    auto missing = [&](const QString& column) { return i18n::Tr(kNoColumn).arg(table, column); };
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
          return i18n::Tr(family.gap).arg(table, QString::number(counts[f]), column);
      }
    }
    if (counts[0] < 3) return missing("Prot" + QString::number(counts[0]));
    if (counts[1] < 5) return missing("Opt" + QString::number(counts[1]));
    if (!upgraded) {
      // Opening adds Prot3 and Opt5 ... Opt8 to a table without Prot3.
      for (const char* added : {"Opt5", "Opt6", "Opt7", "Opt8"}) {
        if (columns.contains(added, Qt::CaseInsensitive))
          return i18n::Tr(N_("it is not a site file: table %1 has a column %2 but no column Prot3"))
              .arg(table, added);
      }
      counts[0] += 1;
      counts[1] += 4;
    }
    int reference[3];
    if (!limits_.layout_reference.isEmpty() &&
        ReferenceFamilies(limits_.layout_reference, reference)) {
      for (int f = 0; f < 3; ++f) {
        if (counts[f] > reference[f])
          return i18n::Tr(kFamilies[f].too_many)
              .arg(table, QString::number(counts[f]), QString::number(reference[f]));
      }
    }
    return QString();
  }

  // Empty when the value fits how the program computes with its column, else the refusal that
  // names the place (table %1, row %2, column %3) and what it holds.
  static QString WrongValue(const Statement& row, int c, Kind kind, const QString& table,
                            qint64 row_number, const QString& column) {
    const QString where_row = QString::number(row_number);
    const auto refuse = [&](i18n::Source refusal, const QString& what = {},
                            const QString& bound = {}) {
      QString text = i18n::Tr(refusal);
      // The places a text does not have are left out of the call, so no place is left unfilled.
      if (bound.isNull()) {
        return what.isNull() ? text.arg(table, where_row, column)
                             : text.arg(table, where_row, column, what);
      }
      return text.arg(table, where_row, column, what, bound);
    };
    const int type = row.Type(c);
    if (type == SQLITE_NULL) return QString();
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
      const int most = kind == Kind::kLongText ? kMostCommentLength : kMostTextLength;
      int length = 0;
      if (TooLong(row, c, most, &length)) {
        if (length < 0)
          return refuse(N_("table %1, row %2: column %3 holds a text of more than %4 characters, "
                           "longer than a site file has (at most %5)"),
                        QString::number(4 * qint64(most)), QString::number(most));
        return refuse(N_("table %1, row %2: column %3 holds a text of %4 characters, longer "
                         "than a site file has (at most %5)"),
                      QString::number(length), QString::number(most));
      }
    }
    if (kind == Kind::kAny || kind == Kind::kLongText) return QString();
    if (type == SQLITE_BLOB)
      return refuse(N_("table %1, row %2: column %3 holds binary data instead of a number"));
    const auto not_a_number = [&](const QString& shown) {
      return refuse(N_("table %1, row %2: column %3 holds %4 instead of a number"), shown);
    };
    const auto not_whole = [&](const QString& shown) {
      return refuse(N_("table %1, row %2: column %3 holds %4 instead of a whole number"), shown);
    };
    const auto too_large = [&](const QString& shown) {
      return refuse(N_("table %1, row %2: column %3 holds %4, a number too large for the program"),
                    shown);
    };
    // Whole numbers as the store holds them (it writes what a user types within 64 bits).
    constexpr double kLowest = -9.2e18;
    constexpr double kHighest = 9.2e18;
    const bool whole =
        kind == Kind::kWhole || kind == Kind::kKey || kind == Kind::kCount || kind == Kind::kMetres;
    double number = 0;
    // The value as a refusal quotes it, made only for a refusal: most cells pass.
    QString text_value;
    auto shown = [&] {
      if (type == SQLITE_INTEGER) return QString::number(row.Int64(c));
      if (type == SQLITE_FLOAT) return QString::number(number, 'g', 15);
      return Quoted(text_value);
    };
    if (type == SQLITE_INTEGER) {
      const qint64 n = row.Int64(c);
      if (kind == Kind::kKey) return QString();
      number = double(n);
    } else if (type == SQLITE_FLOAT) {
      number = row.Double(c);
      if (!std::isfinite(number)) return not_a_number(shown());
    } else {
      const QString text = row.Text(c);
      const QString trimmed = text.trimmed();
      if (trimmed.isEmpty()) return QString();
      if (kind == Kind::kYesNo && (trimmed.compare("true", Qt::CaseInsensitive) == 0 ||
                                   trimmed.compare("false", Qt::CaseInsensitive) == 0))
        return QString();
      bool ok = false;
      number = trimmed.toDouble(&ok);
      text_value = text;
      if (!ok || !std::isfinite(number)) {
        if (kind == Kind::kYesNo)
          return refuse(N_("table %1, row %2: column %3 holds %4 instead of a yes/no value"),
                        shown());
        if (whole) return not_whole(shown());
        return not_a_number(shown());
      }
    }
    if (whole && (std::round(number) < kLowest || std::round(number) > kHighest))
      return too_large(shown());
    if (whole && kind != Kind::kKey && number != std::floor(number)) return not_whole(shown());
    const auto within = [&](double most, i18n::Source refusal) {
      if (number >= 0 && number <= most) return QString();
      return refuse(refusal, shown(), QString::number(most, 'f', 0));
    };
    switch (kind) {
      case Kind::kHours:
        if (number < 0 || number > kMostHours)
          return refuse(N_("table %1, row %2: column %3 holds %4, which is not a time in hours a "
                           "site can require"),
                        shown());
        return QString();
      case Kind::kCount:
        return within(double(kMostCount),
                      N_("table %1, row %2: column %3 holds %4, which is not a number "
                         "of devices or indicators a site can have (0 to %5)"));
      case Kind::kMetres:
        return within(kMostMetres, N_("table %1, row %2: column %3 holds %4, which is not a cable "
                                      "length in metres a site can have (0 to %5)"));
      case Kind::kMilliamps:
        return within(kMostMilliamps, N_("table %1, row %2: column %3 holds %4, which is not a "
                                         "current in mA a site can have (0 to %5)"));
      case Kind::kNumber:
        if (std::fabs(number) > kMostComputed) return too_large(shown());
        return QString();
      default:
        return QString();
    }
  }

  Database& db_;
  const SiteFileLimits& limits_;
};

}  // namespace

QString SizeText(qint64 bytes) {
  if (bytes >= (qint64(1) << 30)) return QString::number(bytes >> 30) + " GB";
  if (bytes >= (1 << 20)) return QString::number(bytes >> 20) + " MB";
  if (bytes >= (1 << 10)) return QString::number(bytes >> 10) + " KB";
  return i18n::Tr(N_("%1 bytes")).arg(bytes);
}

QString CheckSiteFile(const QString& file, const SiteFileLimits& limits) {
  const QFileInfo info(file);
  if (!info.exists()) return i18n::Tr(N_("the file does not exist"));
  if (info.isDir()) return i18n::Tr(N_("it is a folder, not a file"));
  if (!info.isFile()) return i18n::Tr(N_("it is not an ordinary file"));
  if (info.size() > limits.max_file_bytes)
    return i18n::Tr(N_("the file is larger than %1, far larger than any site file"))
        .arg(SizeText(limits.max_file_bytes));
  QFile probe(file);
  if (!probe.open(QIODevice::ReadOnly))
    return i18n::Tr(N_("the file cannot be read (%1)")).arg(probe.errorString());
  const QByteArray header = probe.read(100);
  probe.close();
  if (header.isEmpty()) return i18n::Tr(N_("the file is empty"));
  if (!header.startsWith(QByteArray("SQLite format 3\0", 16))) return ForeignFile(header);
  if (header.size() < 100)
    return i18n::Tr(N_("the file is damaged: it ends after %1 bytes")).arg(header.size());

  // The header says what the file is and how long it must be.
  const quint32 page_field = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
  const qint64 page_size = page_field == 1 ? 65536 : page_field;
  if (page_size < 512 || page_size > 65536 || (page_size & (page_size - 1)) != 0)
    return i18n::Tr(N_("the file is damaged (its page size is not valid)"));
  const quint32 application_id = BigEndian32(header, 68);
  const quint32 version = BigEndian32(header, 60);
  if (application_id != 0 && application_id != quint32(kSiteApplicationId))
    return i18n::Tr(N_("it is not a site file: it is a database of another program"));
  if (application_id == quint32(kSiteApplicationId) && version > quint32(kSiteFormatVersion))
    return i18n::Tr(N_("it was saved by a newer version of Velmora (site format %1; this version "
                       "reads format %2 and older)"))
        .arg(QString::number(version), QString::number(kSiteFormatVersion));
  const quint32 pages = BigEndian32(header, 28);
  const bool pages_valid = pages != 0 && BigEndian32(header, 24) == BigEndian32(header, 92);
  if (pages_valid && info.size() < qint64(pages) * page_size)
    return i18n::Tr(N_("the file is cut short: it ends after %1 of its %2 bytes"))
        .arg(QString::number(info.size()), QString::number(qint64(pages) * page_size));
  if (info.size() % page_size != 0)
    return i18n::Tr(
        N_("the file is cut short or damaged: its length is not a whole number of pages"));

  Database db("check", info.absoluteFilePath());
  try {
    db.Open({.read_only = true, .untrusted = true, .time_limit_ms = limits.time_limit_ms});
  } catch (const StoreError& error) {
    // The schema is read as the connection is set up; a statement in it that the database
    // cannot take is damage.
    const QString detail = error.Detail().isEmpty() ? error.Message() : error.Detail();
    if (detail.startsWith("malformed")) return i18n::Tr(N_("the file is damaged (%1)")).arg(detail);
    return i18n::Tr(N_("the file cannot be read as a site file (%1)")).arg(detail);
  }
  return Checker(db, limits).Run();
}

}  // namespace velmora::site
