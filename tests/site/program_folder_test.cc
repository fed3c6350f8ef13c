#include "site/program_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace velmora::site {
namespace {

void Write(const QString& file, const QByteArray& bytes) {
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

QByteArray Bytes(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ProgramFolderTest, WritablePartsFollowTheDataRoot) {
  const ProgramFolder installed("/opt/velmora");
  const ProgramFolder user = installed.WithDataRoot("/home/ann/.local/share/Velmora");
  EXPECT_TRUE(user.UsesUserCopy());
  EXPECT_FALSE(installed.UsesUserCopy());
  EXPECT_EQ(user.WorkingCopy(), "/home/ann/.local/share/Velmora/DBs/Site.mdb");
  EXPECT_EQ(user.Catalogue(), "/home/ann/.local/share/Velmora/DBs/Catalogue.db");
  EXPECT_EQ(user.Path("DBs/Site.mdb.incoming"),
            "/home/ann/.local/share/Velmora/DBs/Site.mdb.incoming");
  EXPECT_EQ(user.SitesFolder(), "/home/ann/.local/share/Velmora/Sites");
  EXPECT_EQ(user.LoopLog(), "/home/ann/.local/share/Velmora/LoopLog.txt");
  EXPECT_EQ(user.LocaleFolder(), "/opt/velmora/locale");
  EXPECT_EQ(user.Root(), "/opt/velmora");
}

TEST(ProgramFolderTest, WritableFolderIsUsedAsItIs) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("DBs");
  const ProgramFolder folder(dir.path());
  QString error;
  const ProgramFolder used = folder.WritableFor(&error, dir.filePath("user"));
  EXPECT_FALSE(used.UsesUserCopy());
  EXPECT_TRUE(error.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("user")));
}

TEST(ProgramFolderTest, ReadOnlyInstallationWorksFromAUserCopy) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root may write in any folder; the robustness label runs this as another user";
  QTemporaryDir dir;
  const QString install = dir.filePath("install");
  QDir().mkpath(install + "/DBs");
  QDir().mkpath(install + "/Sites");
  Write(install + "/DBs/Catalogue.db", "catalogue");
  Write(install + "/DBs/CleanSite.mdb", "template");
  Write(install + "/DBs/Site.mdb", "someone's working copy");
  Write(install + "/Sites/sample.mdb", "sample");
  for (const QString& folder : {install + "/DBs", install + "/Sites", install})
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);

  const QString user = dir.filePath("user/Velmora");
  QString error;
  const ProgramFolder first = ProgramFolder(install).WritableFor(&error, user);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_TRUE(first.UsesUserCopy());
  EXPECT_EQ(Bytes(first.Catalogue()), "catalogue");
  EXPECT_EQ(Bytes(first.Template()), "template");
  EXPECT_FALSE(QFileInfo::exists(first.WorkingCopy()));
  EXPECT_EQ(Bytes(first.SitesFolder() + "/sample.mdb"), "sample");

  // A later start keeps what the user's copy holds now.
  Write(first.Catalogue(), "catalogue with the user's defaults");
  const ProgramFolder second = ProgramFolder(install).WritableFor(&error, user);
  EXPECT_EQ(Bytes(second.Catalogue()), "catalogue with the user's defaults");

  for (const QString& folder : {install, install + "/DBs", install + "/Sites"})
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace
}  // namespace velmora::site
