#include "support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora::testing {

QString BuildHome() { return QStringLiteral(VELMORA_BUILD_HOME); }

QString SourcePath(const QString& relative) {
  return QDir(QStringLiteral(VELMORA_SOURCE_DIR)).filePath(relative);
}

TestHome::TestHome() : root_(dir_.path()) {
  QDir root(root_);
  root.mkpath("DBs");
  root.mkpath("Sites");
  root.mkpath("locale");
  for (const char* file :
       {"DBs/CleanSite.mdb", "DBs/Catalogue.db", "DBs/Translation.db", "DBs/Print.db"}) {
    if (QFileInfo::exists(QDir(BuildHome()).filePath(file))) CopyFromBuild(file);
  }
  ResetWorkingCopy();
}

QString TestHome::Path(const QString& relative) const { return QDir(root_).filePath(relative); }

void TestHome::CopyFromBuild(const QString& relative) {
  const QString from = QDir(BuildHome()).filePath(relative);
  const QString to = Path(relative);
  QDir().mkpath(QFileInfo(to).absolutePath());
  QFile::remove(to);
  ASSERT_TRUE(QFile::copy(from, to)) << from.toStdString();
  QFile::setPermissions(to,
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

void TestHome::ResetWorkingCopy() {
  const QString site = Path("DBs/Site.mdb");
  QFile::remove(site);
  if (QFileInfo::exists(Path("DBs/CleanSite.mdb"))) {
    QFile::copy(Path("DBs/CleanSite.mdb"), site);
    QFile::setPermissions(site, QFile::ReadOwner | QFile::WriteOwner);
  }
}

}  // namespace velmora::testing
