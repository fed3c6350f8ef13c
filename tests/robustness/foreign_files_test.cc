// Files a designer may be sent or may pick by mistake, opened by Open Site and by velmora-cli.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <functional>

#include "robustness_support.h"
#include "site/database.h"
#include "site/table.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::testing {
namespace {

struct ForeignFile {
  const char* name;
  bool opens;
  // Makes the file from a sample site at the given path (or ignores the sample).
  std::function<void(const QString& sample, const QString& file)> make;
  QString expected;  // part of the refusal, or the opened site's name
};

void Sql(const QString& file, const QString& sql) {
  site::Database db("make", file);
  db.Open();
  db.Execute(sql);
}

void FromSample(const QString& sample, const QString& file, const QString& sql) {
  QFile::remove(file);
  ASSERT_TRUE(QFile::copy(sample, file));
  QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
  if (!sql.isEmpty()) Sql(file, sql);
}

const ForeignFile kFiles[] = {
    {"empty.mdb", false, [](const QString&, const QString& f) { WriteBytes(f, {}); },
     "the file is empty"},
    {"letter.mdb", false,
     [](const QString&, const QString& f) {
       WriteBytes(f, "Dear Ann,\nplease find the site plans attached.\nRegards\n");
     },
     "it is a text file"},
    {"plan.mdb", false,
     [](const QString&, const QString& f) {
       WriteBytes(f, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0"
                                "\x1f\x15\xc4\x89\0\0\0\0IEND\xae\x42\x60\x82",
                                45));
     },
     "it is a PNG image"},
    {"plans.mdb", false,
     [](const QString&, const QString& f) {
       WriteBytes(f, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
     },
     "it is a ZIP archive"},
    {"contacts.mdb", false,
     [](const QString&, const QString& f) {
       Sql(f,
           "PRAGMA application_id = 1128353364; CREATE TABLE contacts (name TEXT, phone TEXT);"
           "INSERT INTO contacts VALUES ('Ann', '555 0142')");
     },
     "a database of another program"},
    {"notes.mdb", false,
     [](const QString&, const QString& f) { Sql(f, "CREATE TABLE notes (body TEXT)"); },
     "it has no table Site"},
    {"logged.mdb", true,
     [](const QString& sample, const QString& f) {
       FromSample(sample, f, {});
       site::Database db("log", f);
       db.Open();
       db.QueryValue("PRAGMA journal_mode = WAL");
       db.Execute("PRAGMA wal_autocheckpoint = 0");
       db.Execute("UPDATE \"Site\" SET \"SiteName\" = 'Only in the log'");
       sqlite3_db_config(db.Handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
     },
     "Only in the log"},
    {"stale-journal.mdb", true,
     [](const QString& sample, const QString& f) {
       FromSample(sample, f, "UPDATE \"Site\" SET \"SiteName\" = 'With a stale journal'");
       WriteBytes(f + "-journal", QByteArray(4096, '\x17'));
     },
     "With a stale journal"},
    {"scripted.mdb", false,
     [](const QString& sample, const QString& f) {
       FromSample(
           sample, f,
           "CREATE VIEW \"Heavy\" AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
           "FROM n) SELECT zeroblob(1000000) FROM n;"
           "CREATE TRIGGER \"Wipe\" AFTER UPDATE ON \"Panels\" BEGIN DELETE FROM \"Loops\"; "
           "SELECT randomblob(1000000000); END");
     },
     "contains the view \"Heavy\""},
    {"long-value.mdb", false,
     [](const QString& sample, const QString& f) {
       FromSample(sample, f, "UPDATE \"Site\" SET \"Comment\" = hex(randomblob(50 * 1024 * 1024))");
     },
     "larger than any site file has"},
    {"million-rows.mdb", false,
     [](const QString& sample, const QString& f) {
       FromSample(
           sample, f,
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
           "INSERT INTO \"Devices\" (\"Panel\", \"Loop\", \"DeviceQuantity\") SELECT 1, 1, 1 "
           "FROM n");
     },
     "table Devices has 1000"},
};

class ForeignFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workspace_ = std::make_unique<workspace::Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    workspace_->StartSession();
    sample_ = SampleSites(home_.Path("Sites")).first();
    for (const ForeignFile& foreign : kFiles) {
      foreign.make(sample_, home_.Path(QString("Sites/") + foreign.name));
      ASSERT_FALSE(::testing::Test::HasFatalFailure()) << foreign.name;
    }
  }

  QString SiteName() {
    site::Table& site = workspace_->Doc().Site();
    site.First();
    return site.Text("SiteName");
  }

  TestHome home_;
  ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  QString sample_;
};

TEST_F(ForeignFilesTest, OpenSiteOpensSiteFilesAndRefusesTheRestInPlainWords) {
  ASSERT_TRUE(workspace_->OpenSiteFile(sample_));
  int refused = 0;
  for (const ForeignFile& foreign : kFiles) {
    SCOPED_TRACE(foreign.name);
    const QString file = home_.Path(QString("Sites/") + foreign.name);
    const QByteArray source = Bytes(file);
    const QByteArray working = Bytes(workspace_->Doc().WorkingCopy());
    const QString site_before = SiteName();
    prompter_.Clear();
    QElapsedTimer clock;
    clock.start();
    const bool opened = workspace_->OpenSiteFile(file);
    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_EQ(opened, foreign.opens);
    EXPECT_EQ(Bytes(file), source);  // the user's file is only ever read
    if (opened) {
      EXPECT_EQ(SiteName().toStdString(), foreign.expected.toStdString());
      continue;
    }
    ++refused;
    ASSERT_EQ(prompter_.Warnings().size(), 1);
    const QString warning = prompter_.Warnings()[0];
    EXPECT_TRUE(warning.contains(QDir::toNativeSeparators(file))) << warning.toStdString();
    EXPECT_TRUE(warning.contains(foreign.expected)) << warning.toStdString();
    EXPECT_EQ(Bytes(workspace_->Doc().WorkingCopy()), working);
    EXPECT_EQ(SiteName(), site_before);
  }
  RecordFigure(QString("foreign files through Open Site: %1 files tried, %2 refused, %3 opened, "
                       "0 crashes")
                   .arg(std::size(kFiles))
                   .arg(refused)
                   .arg(int(std::size(kFiles)) - refused));
}

TEST_F(ForeignFilesTest, CommandLineToolRefusesTheSameFilesWithExitStatusTwo) {
  const QString cli = QStringLiteral(VELMORA_CLI);
  if (cli.isEmpty()) GTEST_SKIP() << "this build has no velmora-cli";
  for (const ForeignFile& foreign : kFiles) {
    SCOPED_TRACE(foreign.name);
    const QString file = home_.Path(QString("Sites/") + foreign.name);
    const Outcome outcome =
        RunProgram({cli, "check", file}, 300000, {"VELMORA_HOME=" + BuildHome()});
    ASSERT_FALSE(outcome.timed_out);
    ASSERT_EQ(outcome.signal, 0) << outcome.err.toStdString();
    if (foreign.opens) {
      EXPECT_TRUE(outcome.exit_code == 0 || outcome.exit_code == 1) << outcome.err.toStdString();
    } else {
      EXPECT_EQ(outcome.exit_code, 2);
      EXPECT_TRUE(outcome.err.contains(file)) << outcome.err.toStdString();
      EXPECT_TRUE(outcome.err.contains(foreign.expected)) << outcome.err.toStdString();
    }
  }
}

}  // namespace
}  // namespace velmora::testing
