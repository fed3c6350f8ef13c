#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <functional>

#include "site/database.h"
#include "site/site_file_check.h"
#include "site/site_saver.h"
#include "site/table.h"
#include "support/test_home.h"

namespace velmora::site {
namespace {

QByteArray Bytes(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SiteSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("DBs")));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("Sites")));
    working_ = dir_.filePath("DBs/Site.mdb");
    ASSERT_TRUE(QFile::copy(testing::BuildHome() + "/DBs/CleanSite.mdb", working_));
    QFile::setPermissions(working_, QFile::ReadOwner | QFile::WriteOwner);
    SetSiteName("First design");
  }

  void SetSiteName(const QString& name) {
    Database db("work", working_);
    db.Open();
    db.Execute("DELETE FROM \"Site\"");
    db.Execute("INSERT INTO \"Site\" (\"SiteName\") VALUES (?)", {name});
    // Enough rows that the copy takes several writes.
    db.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
        "INSERT INTO \"Devices\" (\"Panel\", \"DeviceTypeText\") SELECT 1, hex(randomblob(40)) "
        "FROM n");
  }

  QString SiteNameIn(const QString& file) {
    Database db("probe", file);
    db.Open({.read_only = true});
    Table site(&db, "Site");
    site.Open();
    return site.Text("SiteName");
  }

  QStringList FolderEntries() {
    return QDir(dir_.filePath("Sites"))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QString Target(const QString& name) { return dir_.filePath("Sites/" + name); }

  QTemporaryDir dir_;
  QString working_;
};

TEST_F(SiteSaveTest, SavedFileIsACheckedSiteDocumentOfThisProgram) {
  {
    // A working copy opened from an older document carries no mark.
    Database db("work", working_);
    db.Open();
    db.Execute("PRAGMA application_id = 0");
    db.Execute("PRAGMA user_version = 0");
  }
  const QString target = Target("office.mdb");
  QString error;
  ASSERT_EQ(SaveWorkingCopy(working_, target, false, &error), CopyResult::kOk)
      << error.toStdString();
  EXPECT_EQ(SiteNameIn(target), "First design");
  EXPECT_EQ(CheckSiteFile(target), QString());
  const QByteArray header = Bytes(target).left(100);
  auto number_at = [&](int offset) {
    return (quint32(quint8(header[offset])) << 24) | (quint32(quint8(header[offset + 1])) << 16) |
           (quint32(quint8(header[offset + 2])) << 8) | quint32(quint8(header[offset + 3]));
  };
  EXPECT_EQ(number_at(68), quint32(kSiteApplicationId));
  EXPECT_EQ(number_at(60), quint32(kSiteFormatVersion));
  EXPECT_EQ(header[18], 1);  // rollback mode
  EXPECT_EQ(FolderEntries(), QStringList{"office.mdb"});
}

TEST_F(SiteSaveTest, ExistingFileIsReplacedOnlyWhenAskedAndKeepsItsPermissions) {
  const QString target = Target("taken.mdb");
  ASSERT_EQ(SaveWorkingCopy(working_, target, false), CopyResult::kOk);
  ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
  const QByteArray before = Bytes(target);
  SetSiteName("Second design");

  QString error;
  EXPECT_EQ(SaveWorkingCopy(working_, target, false, &error), CopyResult::kTargetExists);
  EXPECT_EQ(Bytes(target), before);
  EXPECT_EQ(FolderEntries(), QStringList{"taken.mdb"});

  ASSERT_EQ(SaveWorkingCopy(working_, target, true, &error), CopyResult::kOk)
      << error.toStdString();
  EXPECT_EQ(SiteNameIn(target), "Second design");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FolderEntries(), QStringList{"taken.mdb"});
}

TEST_F(SiteSaveTest, FailedSaveIsReportedAndLeavesTheOldFileByteForByte) {
  const QString target = Target("kept.mdb");
  ASSERT_EQ(SaveWorkingCopy(working_, target, false), CopyResult::kOk);
  const QByteArray before = Bytes(target);
  SetSiteName("Lost if the save went wrong");

  const struct {
    const char* what;
    std::function<void()> arrange;
    QString to;
    QString expected;
    std::function<void()> restore;
  } cases[] = {
      {"a folder in the way", [&] { QDir().mkpath(Target("folder.mdb")); }, Target("folder.mdb"),
       "is a folder", [] {}},
      {"the working copy is damaged",
       [&] {
         QFile f(working_);
         ASSERT_TRUE(f.open(QIODevice::ReadWrite));
         f.seek(100);
         f.write(QByteArray(8000, '\x5a'));
       },
       target, "damaged",
       [&] {
         QFile::remove(working_);
         ASSERT_TRUE(QFile::copy(target, working_));
         QFile::setPermissions(working_, QFile::ReadOwner | QFile::WriteOwner);
       }},
      // A file size limit makes a write come up short, then fail, as a full disk does.
      {"a write comes up short",
       [&] {
         std::signal(SIGXFSZ, SIG_IGN);
         const rlimit limit{16384, RLIM_INFINITY};
         ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
       },
       target, "cannot write",
       [] {
         const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
         ::setrlimit(RLIMIT_FSIZE, &unlimited);
       }},
      {"the folder vanished", [&] { QDir(dir_.filePath("Sites")).removeRecursively(); }, target,
       "does not exist", [] {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    QString error;
    const CopyResult result = SaveWorkingCopy(working_, c.to, true, &error);
    c.restore();
    EXPECT_EQ(result, CopyResult::kFailed);
    EXPECT_TRUE(error.contains(c.expected)) << error.toStdString();
    if (QFileInfo::exists(dir_.filePath("Sites"))) {
      EXPECT_EQ(Bytes(target), before);
      QStringList entries = FolderEntries();
      entries.removeAll("folder.mdb");
      EXPECT_EQ(entries, QStringList{"kept.mdb"});
    }
  }
}

TEST_F(SiteSaveTest, LinksStayAndSpecialFilesAreLeftAlone) {
  const QString real = dir_.filePath("Sites/real.mdb");
  const QString link = dir_.filePath("Sites/link.mdb");
  ASSERT_EQ(SaveWorkingCopy(working_, real, false), CopyResult::kOk);
  ASSERT_TRUE(QFile::link(real, link));
  SetSiteName("Through the link");
  EXPECT_EQ(SaveWorkingCopy(working_, link, false), CopyResult::kTargetExists);
  EXPECT_EQ(SaveWorkingCopy(working_, link, true), CopyResult::kOk);
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(SiteNameIn(real), "Through the link");

  const QString pipe = dir_.filePath("Sites/pipe.mdb");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  QString error;
  EXPECT_EQ(SaveWorkingCopy(working_, pipe, true, &error), CopyResult::kFailed);
  EXPECT_TRUE(error.contains("is not an ordinary file")) << error.toStdString();
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(FolderEntries(), (QStringList{"link.mdb", "real.mdb"}));  // and nothing else beside
}

TEST_F(SiteSaveTest, StraysOfKilledSavesAreRemovedAtTheNextSave) {
  const QString target = dir_.filePath("Sites/site.mdb");
  ASSERT_EQ(SaveWorkingCopy(working_, target, false), CopyResult::kOk);
  // What a save killed before its rename leaves, and one killed after it; a file of the user's
  // that only looks alike stays.
  for (const char* stray : {".site.mdb.0123abcd.tmp", ".site.mdb.89abcdef.old", ".notes.txt"}) {
    QFile f(dir_.filePath(QString("Sites/") + stray));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("left behind");
  }
  EXPECT_EQ(SaveWorkingCopy(working_, target, true), CopyResult::kOk);
  EXPECT_EQ(FolderEntries(), (QStringList{".notes.txt", "site.mdb"}));
}

}  // namespace
}  // namespace velmora::site
