#include "site/untrusted_open.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "site/database.h"
#include "site/store_error.h"
#include "site/table.h"
#include "support/test_home.h"

namespace velmora::site {
namespace {

// A trigger that would pass an overloaded loop, ready for its schema entry to be changed.
const QString kEvilTrigger =
    "CREATE TRIGGER evil AFTER UPDATE ON \"Loops\" BEGIN UPDATE \"Loops\" SET "
    "\"OKBoolean\" = 1, \"OK\" = 'Loop OK' WHERE rowid = new.rowid; END; "
    "PRAGMA writable_schema = ON; ";

QByteArray Bytes(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& file, const QByteArray& bytes) {
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

class UntrustedOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("DBs")));
    staged_ = dir_.filePath("DBs/Site.mdb.incoming");
    Write(staged_, "the site being worked on");
  }

  // A site file made from the blank template, with SQL of the test run on it.
  QString Site(const QString& name, const QString& sql = {}) {
    const QString file = dir_.filePath(name);
    QFile::remove(file);
    EXPECT_TRUE(QFile::copy(testing::BuildHome() + "/DBs/CleanSite.mdb", file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    Database db("make", file);
    db.Open();
    db.Execute("INSERT INTO \"Site\" (\"SiteName\") VALUES ('Harbour Depot')");
    if (!sql.isEmpty()) db.Execute(sql);
    return file;
  }

  QString SiteNameIn(const QString& file) {
    Database db("probe", file);
    db.Open({.read_only = true});
    Table site(&db, "Site");
    site.Open();
    return site.Text("SiteName");
  }

  // The staged file holds the checked copy as one file in rollback mode, nothing beside it.
  void ExpectStagedSite(const QString& site_name) {
    const QByteArray header = Bytes(staged_).left(20);
    ASSERT_EQ(header.size(), 20);
    EXPECT_EQ(header[18], 1);
    EXPECT_EQ(header[19], 1);
    for (const char* suffix : {"-wal", "-journal", "-shm"})
      EXPECT_FALSE(QFileInfo::exists(staged_ + suffix)) << suffix;
    EXPECT_EQ(SiteNameIn(staged_), site_name);
    ExpectNothingLeftBehind();
  }

  void ExpectNothingLeftBehind() {
    EXPECT_TRUE(QDir(dir_.filePath("DBs"))
                    .entryList({".incoming-*"}, QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
  }

  QTemporaryDir dir_;
  QString staged_;
};

TEST_F(UntrustedOpenTest, ForeignAndUnfitFilesAreRefusedInPlainWords) {
  QByteArray half = Bytes(Site("whole.mdb"));
  half.truncate(half.size() / 2);
  const struct {
    const char* name;
    QByteArray bytes;  // or, when empty and sql is set, a site file with this SQL run on it
    QString sql;
    QString expected;
  } cases[] = {
      {"empty.mdb", {}, {}, "the file is empty"},
      {"one-byte.mdb", QByteArray(1, '\0'), {}, "it is not a database"},
      {"note.mdb", "Meeting at ten.\nBring the plans.\n", {}, "it is a text file"},
      {"picture.mdb", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), {}, "a PNG image"},
      {"archive.mdb", QByteArray("PK\x03\x04\x14\0\0\0", 8), {}, "a ZIP archive"},
      {"half.mdb", half, {}, "cut short"},
      // An index that no longer matches its table, which the quick check does not see.
      {"index.mdb",
       {},
       "INSERT INTO \"Panels\" (\"Panel Number\", \"Panel Name\") VALUES (1, 'Main'), (2, "
       "'Annex'); "
       "PRAGMA writable_schema = ON; "
       "UPDATE sqlite_schema SET sql = 'CREATE INDEX \"Panels by number\" ON \"Panels\" (\"Panel "
       "Name\")' "
       "WHERE name = 'Panels by number'",
       "the file is damaged (row 1 missing from index"},
      {"other-program.mdb",
       {},
       "PRAGMA application_id = 305419896",
       "a database of another program"},
      {"newer.mdb", {}, "PRAGMA user_version = 7", "newer version of Velmora (site format 7"},
      {"no-site.mdb", {}, "DROP TABLE \"Currents\"", "it has no table Currents"},
      {"no-column.mdb",
       {},
       "ALTER TABLE \"Outputs\" DROP COLUMN \"MAX\"",
       "table Outputs has no column MAX"},
      {"view.mdb",
       {},
       "CREATE VIEW \"Summary\" AS SELECT upper(\"SiteName\"), randomblob(100) FROM \"Site\"",
       "contains the view \"Summary\""},
      {"trigger.mdb",
       {},
       "CREATE TRIGGER \"stamp\" AFTER UPDATE ON \"Site\" BEGIN "
       "UPDATE \"Site\" SET \"Comment\" = hex(randomblob(8)); END",
       "contains the trigger \"stamp\""},
      {"virtual.mdb",
       {},
       "CREATE VIRTUAL TABLE \"Notes\" USING fts5(body)",
       "virtual table \"Notes\""},
      {"rowid.mdb", {}, "ALTER TABLE \"Loops\" ADD COLUMN \"rowid\" INTEGER", "column named rowid"},
      {"computed.mdb",
       {},
       "ALTER TABLE \"Loops\" ADD COLUMN \"Twice\" INTEGER GENERATED ALWAYS AS (\"Length\" * 2)",
       "computed by the database"},
      {"without-rowid.mdb",
       {},
       "DROP TABLE \"Site\"; CREATE TABLE \"Site\" (\"SiteName\" TEXT PRIMARY KEY, "
       "\"SalesChannel\" "
       "TEXT, \"StandbyTime\" REAL, \"AlarmTime\" REAL) WITHOUT ROWID",
       "stored without row numbers"},
      {"letters.mdb",
       {},
       "INSERT INTO \"Loops\" (\"PanelNumber\", \"Length\") VALUES (1, '12a')",
       "table Loops, row 1: column Length holds \"12a\" instead of a whole number"},
      {"blob.mdb",
       {},
       "INSERT INTO \"Devices\" (\"Panel\", \"DeviceQuantity\") VALUES (1, x'00ff')",
       "column DeviceQuantity holds binary data"},
      {"infinite.mdb",
       {},
       "INSERT INTO \"Loops\" (\"Resistance\") VALUES (1e999)",
       "column Resistance holds inf instead of a number"},
      {"huge.mdb",
       {},
       "INSERT INTO \"Panels\" (\"Panel Number\") VALUES (1e300)",
       "column Panel Number holds 1e+300, a number too large"},
      // Shapes the program reads in a way the file does not fit.
      {"gap.mdb",
       {},
       "ALTER TABLE \"Panels\" RENAME COLUMN \"Prot1\" TO \"Wrot1\"",
       "table Panels has 3 protocol columns but no column Prot1"},
      {"half-upgraded.mdb",
       {},
       "ALTER TABLE \"Panels\" DROP COLUMN \"Prot3\"",
       "table Panels has a column Opt5 but no column Prot3"},
      {"status-flag.mdb",
       {},
       "ALTER TABLE \"Loops\" RENAME COLUMN \"OKBoolean\" TO \"OKBoolxan\"",
       "table Loops has no column OKBoolean"},
      {"hours.mdb",
       {},
       "UPDATE \"Site\" SET \"AlarmTime\" = -7e307",
       "table Site, row 1: column AlarmTime holds -7e+307, which is not a time in hours"},
      {"flag.mdb",
       {},
       "INSERT INTO \"Panels\" (\"Panel Number\", \"Opt3\") VALUES (1, 'maybe')",
       "column Opt3 holds \"maybe\" instead of a yes/no value"},
      // A schema entry's type column is only a claim: the database reads its statement whatever
      // the claim, so a trigger entered under another type would run with full trust.
      {"trigger-upper-case.mdb",
       {},
       kEvilTrigger + "UPDATE sqlite_schema SET type = 'TRIGGER' WHERE name = 'evil'",
       "contains the trigger \"evil\""},
      {"trigger-as-table.mdb",
       {},
       kEvilTrigger + "UPDATE sqlite_schema SET type = 'table' WHERE name = 'evil'",
       "the file is damaged (malformed database schema (evil))"},
      {"trigger-as-index.mdb",
       {},
       kEvilTrigger +
           "UPDATE sqlite_schema SET type = 'index', name = 'Loops by panel' WHERE name = 'evil'",
       "the file is damaged (malformed database schema (Loops by panel))"},
      {"view-as-table.mdb",
       {},
       "CREATE VIEW \"Summary\" AS SELECT 1; PRAGMA writable_schema = ON; "
       "UPDATE sqlite_schema SET type = 'table' WHERE name = 'Summary'",
       "the file is damaged (malformed database schema (Summary))"},
      {"virtual-by-comment.mdb",
       {},
       "CREATE /* a note */ VIRTUAL TABLE \"Notes\" USING fts5(body)",
       "virtual table \"Notes\""},
      // Values no design can have, and values whose sums over a site could overflow.
      {"negative-quantity.mdb",
       {},
       "INSERT INTO \"Devices\" (\"Panel\", \"Loop\", \"DeviceQuantity\") VALUES (1, 1, -20)",
       "table Devices, row 1: column DeviceQuantity holds -20, which is not a number of devices "
       "or indicators a site can have (0 to 10000)"},
      {"half-a-device.mdb",
       {},
       "INSERT INTO \"Devices\" (\"Panel\", \"Loop\", \"DeviceQuantity\") VALUES (1, 1, 2.5)",
       "column DeviceQuantity holds 2.5 instead of a whole number"},
      {"countless.mdb",
       {},
       "INSERT INTO \"Devices\" (\"DeviceQuantity\") VALUES (4611686018427387904)",
       "column DeviceQuantity holds 4611686018427387904, which is not a number of devices"},
      {"negative-output.mdb",
       {},
       "INSERT INTO \"Outputs\" (\"Panel\", \"OutputNumber\", \"AlarmCurrent\") "
       "VALUES (1, 1, -1400)",
       "table Outputs, row 1: column AlarmCurrent holds -1400, which is not a current in mA"},
      {"negative-unit.mdb",
       {},
       "INSERT INTO \"Devices\" (\"UnitAlarmCurrent\") VALUES (-3.5)",
       "column UnitAlarmCurrent holds -3.5, which is not a current in mA"},
      {"negative-indicators.mdb",
       {},
       "INSERT INTO \"Loops\" (\"PanelNumber\", \"AlarmIndicators\") VALUES (1, '-1')",
       "table Loops, row 1: column AlarmIndicators holds -1, which is not a number of"},
      {"negative-length.mdb",
       {},
       "INSERT INTO \"Loops\" (\"PanelNumber\", \"Length\") VALUES (1, -500)",
       "column Length holds -500, which is not a cable length in metres"},
      // Texts that would cost minutes and gigabytes wherever they are shown or printed.
      {"long-name.mdb",
       {},
       "INSERT INTO \"Panels\" (\"Panel Number\", \"Panel Name\") "
       "VALUES (1, printf('%.*c', 1001, 'x'))",
       "table Panels, row 1: column Panel Name holds a text of 1001 characters, longer than a "
       "site file has (at most 1000)"},
      {"huge-sub-type.mdb",
       {},
       "INSERT INTO \"Devices\" (\"DeviceSub-Type\") VALUES (printf('%.*c', 5000000, 'x'))",
       "column DeviceSub-Type holds a text of more than 4000 characters"},
      {"long-comment.mdb",
       {},
       "UPDATE \"Site\" SET \"Comment\" = printf('%.*c', 65537, 'x')",
       "column Comment holds a text of 65537 characters, longer than a site file has (at most "
       "65536)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QString file = dir_.filePath(c.name);
    if (c.sql.isEmpty()) {
      Write(file, c.bytes);
    } else {
      file = Site(c.name, c.sql);
    }
    const QByteArray source = Bytes(file);
    const QString problem = StageSiteFile(file, staged_);
    EXPECT_TRUE(problem.contains(c.expected)) << problem.toStdString();
    EXPECT_EQ(Bytes(staged_), "the site being worked on");
    EXPECT_EQ(Bytes(file), source);
    ExpectNothingLeftBehind();
  }
}

TEST_F(UntrustedOpenTest, SiteFilesOfEveryLayoutAreStaged) {
  const struct {
    const char* name;
    QString sql;
  } cases[] = {
      {"current.mdb", {}},
      // An older document: not marked, without the later flag and status columns.
      {"older.mdb",
       "PRAGMA application_id = 0; PRAGMA user_version = 0; "
       "ALTER TABLE \"Loops\" DROP COLUMN \"OKBoolean\"; "
       "ALTER TABLE \"Panels\" DROP COLUMN \"Prot3\"; ALTER TABLE \"Panels\" DROP COLUMN \"Opt5\"; "
       "ALTER TABLE \"Panels\" DROP COLUMN \"Opt6\"; ALTER TABLE \"Panels\" DROP COLUMN \"Opt7\"; "
       "ALTER TABLE \"Panels\" DROP COLUMN \"Opt8\""},
      // Later option boards without the protocol column are kept as they are.
      {"partial.mdb", "ALTER TABLE \"Panels\" DROP COLUMN \"Opt8\""},
      // Numbers kept as text where the program reads them as numbers, and empty values.
      {"numbers-as-text.mdb",
       "INSERT INTO \"Loops\" (\"PanelNumber\", \"LoopNumber\", \"Length\", \"Resistance\", "
       "\"OneLocation\") VALUES ('1', ' 2 ', NULL, '13.5', 'True'); "
       "UPDATE \"Loops\" SET \"CableSpec\" = CAST('' AS TEXT)"},
      // Older still: Panels without the status flags, whatever its number of columns.
      {"no-status-flags.mdb",
       "ALTER TABLE \"Panels\" DROP COLUMN \"OKBooleanLoops\"; "
       "ALTER TABLE \"Panels\" DROP COLUMN \"OKBooleanPSU\""},
      // Long texts within the limits.
      {"long-texts.mdb",
       "UPDATE \"Site\" SET \"Comment\" = printf('%.*c', 65536, 'x'); "
       "INSERT INTO \"Panels\" (\"Panel Name\") VALUES (printf('%.*c', 1000, 'x'))"},
      // Tables of its own beside the site's are kept.
      {"extra-table.mdb",
       "CREATE TABLE \"Notes\" (\"Body\" BLOB); INSERT INTO \"Notes\" VALUES (x'00ff')"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString file = Site(c.name, c.sql);
    EXPECT_EQ(StageSiteFile(file, staged_).toStdString(), "");
    ExpectStagedSite("Harbour Depot");
  }
}

TEST_F(UntrustedOpenTest, NamesThatLookLikeAddressesAreFiles) {
  // SQLite reads "file:..." as a URI; the program names files by absolute path only.
  const QString file = Site("file:site.mdb?mode=memory");
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  const QString problem = StageSiteFile("file:site.mdb?mode=memory", "DBs/Site.mdb.incoming");
  QDir::setCurrent(previous);
  EXPECT_EQ(problem.toStdString(), "");
  ExpectStagedSite("Harbour Depot");
  EXPECT_TRUE(QFileInfo::exists(file));
}

TEST_F(UntrustedOpenTest, WriteAheadLogBesideTheFileIsPartOfTheDocument) {
  const QString file = Site("logged.mdb");
  {
    Database db("log", file);
    db.Open();
    EXPECT_EQ(db.QueryValue("PRAGMA journal_mode = WAL").toString(), "wal");
    db.Execute("PRAGMA wal_autocheckpoint = 0");
    db.Execute("UPDATE \"Site\" SET \"SiteName\" = 'From the log'");
    // Closing must leave the log as a crashed or still-running program would.
    sqlite3_db_config(db.Handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  }
  ASSERT_TRUE(QFileInfo(file + "-wal").size() > 0);
  const QByteArray main_before = Bytes(file);
  const QByteArray log_before = Bytes(file + "-wal");

  EXPECT_EQ(StageSiteFile(file, staged_).toStdString(), "");
  ExpectStagedSite("From the log");
  EXPECT_EQ(Bytes(file), main_before);
  EXPECT_EQ(Bytes(file + "-wal"), log_before);

  // Without its log, a file in log mode is still turned into a single file in rollback mode.
  QFile::remove(file + "-wal");
  QFile::remove(file + "-shm");
  EXPECT_EQ(StageSiteFile(file, staged_).toStdString(), "");
  ExpectStagedSite("Harbour Depot");
}

TEST_F(UntrustedOpenTest, ATriggerInTheLogIsRefusedAsInTheFile) {
  const QString file = Site("logged-trigger.mdb");
  {
    Database db("log", file);
    db.Open();
    ASSERT_EQ(db.QueryValue("PRAGMA journal_mode = WAL").toString(), "wal");
    db.Execute("PRAGMA wal_autocheckpoint = 0");
    db.Execute(kEvilTrigger + "UPDATE sqlite_schema SET type = 'TRIGGER' WHERE name = 'evil'");
    sqlite3_db_config(db.Handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  }
  ASSERT_GT(QFileInfo(file + "-wal").size(), 0);
  EXPECT_TRUE(StageSiteFile(file, staged_).contains("contains the trigger \"evil\""));
  EXPECT_EQ(Bytes(staged_), "the site being worked on");
  ExpectNothingLeftBehind();
}

TEST_F(UntrustedOpenTest, NothingStoredInAFileRunsOnAnyConnection) {
  // Even where a trigger or a view got past every check, the store never runs it.
  const QString file = dir_.filePath("armed.db");
  Database db("armed", file);
  db.Open();
  db.Execute(
      "CREATE TABLE t (a); CREATE TABLE fired (x); CREATE TRIGGER arm AFTER INSERT ON t "
      "BEGIN INSERT INTO fired VALUES (1); END; CREATE VIEW v AS SELECT randomblob(8)");
  db.Execute("INSERT INTO t VALUES (1)");
  EXPECT_EQ(db.Count("fired"), 0);
  EXPECT_THROW(db.QueryValue("SELECT * FROM v"), StoreError);
}

TEST_F(UntrustedOpenTest, OnlyWhatTheDatabaseReadsIsCopied) {
  // A site padded far past its stated length opens as the site, without the padding.
  const QString padded = Site("padded.mdb");
  const qint64 length = QFileInfo(padded).size();
  {
    QFile f(padded);
    ASSERT_TRUE(f.open(QIODevice::Append));
    ASSERT_TRUE(f.write(QByteArray(8 << 20, 'p')));
  }
  EXPECT_EQ(StageSiteFile(padded, staged_).toStdString(), "");
  EXPECT_EQ(QFileInfo(staged_).size(), length);
  ExpectStagedSite("Harbour Depot");

  // A file that reads on past its stated size (zero here) is not copied past what tells it
  // apart, nor is a log beside a site that links to it.
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(StageSiteFile("/proc/self/pagemap", staged_),
            "it is not a site file: it is not a database");
  const QString site = Site("linked-log.mdb");
  ASSERT_TRUE(QFile::link("/proc/self/pagemap", site + "-wal"));
  EXPECT_EQ(StageSiteFile(site, staged_).toStdString(), "");
  EXPECT_LT(clock.elapsed(), 10000);
  ExpectStagedSite("Harbour Depot");

  // A legacy header that does not vouch for its length: read up to the limit, and no further.
  const QString unvouched = Site("unvouched.mdb");
  {
    QFile f(unvouched);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(92);
    f.write(QByteArray("\xff\xff\xff\xff", 4));
  }
  EXPECT_EQ(StageSiteFile(unvouched, staged_, {.max_file_bytes = QFileInfo(unvouched).size() - 1})
                .toStdString(),
            "the file is larger than " + SizeText(QFileInfo(unvouched).size() - 1).toStdString() +
                ", far larger than any site file");
  ExpectNothingLeftBehind();
}

TEST_F(UntrustedOpenTest, ALogOrJournalOfAnotherFileIsIgnored) {
  // The log and the hot journal of another program's database, each left beside an intact site.
  const QString notes = dir_.filePath("notes.db");
  const QString copy = dir_.filePath("notes-copy.db");
  {
    Database db("notes", notes);
    db.Open();
    db.Execute("CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('first')");
    ASSERT_EQ(db.QueryValue("PRAGMA journal_mode = WAL").toString(), "wal");
    db.Execute("PRAGMA wal_autocheckpoint = 0");
    db.Execute("INSERT INTO notes VALUES ('second')");
    sqlite3_db_config(db.Handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  }
  {
    Database db("notes", copy);
    db.Open();
    db.Execute("CREATE TABLE notes (body TEXT); PRAGMA cache_size = 5");
    db.Begin();
    db.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO notes SELECT hex(randomblob(200)) FROM n");
    ASSERT_TRUE(QFile::copy(copy + "-journal", dir_.filePath("hot-journal")));
    db.Rollback();
  }
  for (const QString& foreign : {QString(notes + "-wal"), dir_.filePath("hot-journal")}) {
    SCOPED_TRACE(foreign.toStdString());
    const QString site = Site("intact.mdb");
    const QString suffix = foreign.endsWith("-wal") ? "-wal" : "-journal";
    ASSERT_TRUE(QFile::copy(foreign, site + suffix));
    EXPECT_EQ(StageSiteFile(site, staged_).toStdString(), "");
    ExpectStagedSite("Harbour Depot");
    QFile::remove(site + suffix);
  }
}

TEST_F(UntrustedOpenTest, StagingFoldersOfKilledRunsAreRemovedAndRunningOnesKept) {
  const QString dbs = dir_.filePath("DBs");
  ASSERT_TRUE(QDir().mkpath(dbs + "/.incoming-killed/deep"));
  Write(dbs + "/.incoming-killed/site.mdb", QByteArray(4096, 'k'));
  ASSERT_TRUE(QDir().mkpath(dbs + "/.incoming-running"));
  const int lock = LockFolder(QFile::encodeName(dbs + "/.incoming-running"));
  ASSERT_GE(lock, 0);
  RemoveAbandonedStaging(dbs);
  EXPECT_FALSE(QFileInfo::exists(dbs + "/.incoming-killed"));
  EXPECT_TRUE(QFileInfo::exists(dbs + "/.incoming-running"));
  EXPECT_TRUE(QFileInfo::exists(staged_));
  ::close(lock);
}

TEST_F(UntrustedOpenTest, JournalOfABrokenTransactionIsRolledBack) {
  const QString file = Site("committed.mdb");
  const QString copy = dir_.filePath("interrupted.mdb");
  {
    // A transaction large enough to spill into the file, copied with its journal while open:
    // what a program that died in the middle of writing leaves behind.
    Database db("writer", file);
    db.Open();
    db.Execute("PRAGMA cache_size = 5");
    db.Begin();
    db.Execute("UPDATE \"Site\" SET \"SiteName\" = 'Half written'");
    db.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO \"Devices\" (\"Panel\", \"DeviceTypeText\") SELECT 1, hex(randomblob(200)) "
        "FROM n");
    ASSERT_TRUE(QFile::copy(file, copy));
    ASSERT_TRUE(QFile::copy(file + "-journal", copy + "-journal"));
    db.Rollback();
  }
  ASSERT_NE(Bytes(copy), Bytes(file));  // the copy alone is not the committed document
  EXPECT_EQ(StageSiteFile(copy, staged_).toStdString(), "");
  ExpectStagedSite("Harbour Depot");
  Database staged("staged", staged_);
  staged.Open({.read_only = true});
  EXPECT_EQ(staged.Count("Devices"), 0);
}

TEST_F(UntrustedOpenTest, StaleJournalsBesideTheFileDoNoHarm) {
  const QString persisted = Site("persisted.mdb", "PRAGMA journal_mode = PERSIST");
  {
    Database db("persist", persisted);
    db.Open();
    db.Execute("PRAGMA journal_mode = PERSIST");
    db.Execute("UPDATE \"Site\" SET \"City\" = 'Lakeside'");
  }
  ASSERT_TRUE(QFileInfo::exists(persisted + "-journal"));  // left with its header cleared
  const QString garbage = Site("garbage.mdb");
  Write(garbage + "-journal", QByteArray(3000, 'x'));
  for (const QString& file : {persisted, garbage}) {
    SCOPED_TRACE(file.toStdString());
    EXPECT_EQ(StageSiteFile(file, staged_).toStdString(), "");
    ExpectStagedSite("Harbour Depot");
  }
}

TEST_F(UntrustedOpenTest, WhatIsNoOrdinaryFileIsRefusedAtOnce) {
  const QString fifo = dir_.filePath("pipe.mdb");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(StageSiteFile(fifo, staged_), "it is not an ordinary file");
  EXPECT_EQ(StageSiteFile(dir_.path(), staged_), "it is a folder, not a file");
  EXPECT_EQ(StageSiteFile(dir_.filePath("missing.mdb"), staged_), "the file does not exist");
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_EQ(Bytes(staged_), "the site being worked on");
}

TEST_F(UntrustedOpenTest, LimitsOfSizeRowsAndTimeAreKept) {
  const QString file =
      Site("many.mdb",
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
           "INSERT INTO \"Devices\" (\"Panel\", \"Loop\", \"DeviceQuantity\") SELECT 1, 1, i % 100 "
           "FROM n");
  EXPECT_TRUE(StageSiteFile(file, staged_, {.max_file_bytes = 4096})
                  .contains("larger than 4 KB, far larger than any site file"));
  EXPECT_EQ(StageSiteFile(file, staged_, {.max_rows = 19999}),
            "table Devices has 20000 rows, far more than a site has (at most 19999)");
  EXPECT_TRUE(
      CheckSiteFile(file, {.time_limit_ms = 0}).startsWith("checking the file took longer"));
  EXPECT_EQ(Bytes(staged_), "the site being worked on");
  EXPECT_EQ(StageSiteFile(file, staged_).toStdString(), "");
}

}  // namespace
}  // namespace velmora::site
