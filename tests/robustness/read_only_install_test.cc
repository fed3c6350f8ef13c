// An installed copy in a folder the user cannot write: the program starts and works from the
// user's own copy of its writable files, and a loop log it cannot write is told about once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "robustness_support.h"
#include "support/test_home.h"

namespace velmora::testing {
namespace {

QStringList Listing(const QString& folder) {
  QStringList all;
  QDir dir(folder);
  for (const QFileInfo& entry :
       dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
    all << entry.fileName() + ":" + QString::number(entry.size());
    if (entry.isDir()) {
      for (const QString& inner : Listing(entry.absoluteFilePath()))
        all << entry.fileName() + "/" + inner;
    }
  }
  return all;
}

TEST(ReadOnlyInstallTest, ProgramWorksFromTheUsersCopyAndTellsALoopLogProblemOnce) {
  QStringList prefix;
  if (::geteuid() == 0) {
    prefix = AsNobody();
    if (prefix.isEmpty()) GTEST_SKIP() << "root needs setpriv to try this as another user";
  }
  QTemporaryDir dir;
  ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
  const QString install = dir.filePath("install");
  QDir().mkpath(install + "/DBs");
  QDir().mkpath(install + "/Sites");
  for (const QFileInfo& file : QDir(BuildHome() + "/DBs").entryInfoList(QDir::Files)) {
    if (file.fileName().startsWith("Site.mdb")) continue;
    ASSERT_TRUE(QFile::copy(file.absoluteFilePath(), install + "/DBs/" + file.fileName()));
  }
  const QString sample = SampleSites(install + "/Sites").first();
  for (const QString& file : QDir(install + "/DBs").entryList(QDir::Files))
    ::chmod(QFile::encodeName(install + "/DBs/" + file).constData(), 0444);
  ::chmod(QFile::encodeName(sample).constData(), 0444);
  for (const QString& folder : {install + "/DBs", install + "/Sites", install})
    ::chmod(QFile::encodeName(folder).constData(), 0555);
  const QStringList installed = Listing(install);

  const QString user = dir.filePath("user");
  QDir().mkpath(user);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(QFile::encodeName(user).constData(), 65534, 65534), 0);
  }
  const QStringList environment = {"XDG_DATA_HOME=" + user, "HOME=" + user};
  const QStringList start = prefix + QStringList{Probe(), "start", install, sample};

  const Outcome first = RunProgram(start, 300000, environment);
  ASSERT_EQ(first.exit_code, 0) << first.out.toStdString() << first.err.toStdString();
  EXPECT_TRUE(first.out.contains("data root: " + user + "/Velmora")) << first.out.toStdString();
  EXPECT_TRUE(first.out.contains("started"));
  EXPECT_TRUE(QFileInfo(user + "/Velmora/DBs/Site.mdb").isFile());
  EXPECT_TRUE(QFileInfo(user + "/Velmora/LoopLog.txt").isFile());
  EXPECT_FALSE(first.err.contains("loop log")) << first.err.toStdString();
  EXPECT_EQ(Listing(install), installed);

  // The log's place is taken by a folder: every result stays the same, and the problem is told
  // once, however many loop checks run.
  QFile::remove(user + "/Velmora/LoopLog.txt");
  ASSERT_TRUE(QDir().mkpath(user + "/Velmora/LoopLog.txt"));
  const Outcome second = RunProgram(start, 300000, environment);
  ASSERT_EQ(second.exit_code, 0) << second.out.toStdString() << second.err.toStdString();
  static const QRegularExpression loop_lines("^loop .*$", QRegularExpression::MultilineOption);
  QStringList first_loops;
  QStringList second_loops;
  for (auto it = loop_lines.globalMatch(first.out); it.hasNext();)
    first_loops << it.next().captured();
  for (auto it = loop_lines.globalMatch(second.out); it.hasNext();)
    second_loops << it.next().captured();
  EXPECT_FALSE(first_loops.isEmpty());
  EXPECT_EQ(second_loops, first_loops);
  EXPECT_EQ(second.err.count("The loop log"), 1) << second.err.toStdString();
  EXPECT_EQ(Listing(install), installed);
  RecordFigure(QString("read-only installation: started as %1 from the user's copy, %2 loop "
                       "checks, loop log failure told once")
                   .arg(prefix.isEmpty() ? "this user" : "nobody")
                   .arg(second_loops.size()));
}

}  // namespace
}  // namespace velmora::testing
