#include "site/session_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "site/database.h"
#include "site/table.h"
#include "site/untrusted_open.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::workspace {
namespace {

QString SiteNameIn(const QString& file) {
  site::Database db("probe", file);
  db.Open({.read_only = true});
  site::Table site(&db, "Site");
  site.Open();
  return site.Text("SiteName");
}

void SetSiteName(Workspace& workspace, const QString& name) {
  site::Table& site = workspace.Doc().Site();
  site.First();
  site.SetValue("SiteName", name);
  site.Post();
}

// Two copies of the program started on one program folder: each saves its own site only.
TEST(SessionFolderTest, TwoRunningCopiesNeverSaveEachOthersSite) {
  testing::TestHome home;
  const site::SessionFolder first_session(home.Folder());
  const site::SessionFolder second_session(home.Folder());
  ASSERT_TRUE(first_session.IsValid()) << first_session.Error().toStdString();
  ASSERT_TRUE(second_session.IsValid()) << second_session.Error().toStdString();
  EXPECT_NE(first_session.Folder().WorkingCopy(), second_session.Folder().WorkingCopy());

  testing::ScriptedPrompter first_prompter;
  testing::ScriptedPrompter second_prompter;
  Workspace first(first_session.Folder(), first_prompter);
  Workspace second(second_session.Folder(), second_prompter);
  for (Workspace* w : {&first, &second}) {
    w->OpenTables();
    w->StartSession();
  }
  const QString a = home.Path("Sites/A.mdb");
  const QString b = home.Path("Sites/B.mdb");
  SetSiteName(first, "Site A");
  first_prompter.AnswerFile(a);
  ASSERT_TRUE(first.SaveSite());
  SetSiteName(second, "Site B");
  second_prompter.AnswerFile(b);
  ASSERT_TRUE(second.SaveSite());
  ASSERT_TRUE(second.OpenSiteFile(b));
  SetSiteName(second, "Site B, changed");

  SetSiteName(first, "Site A, changed");
  ASSERT_TRUE(first.SaveSite());
  EXPECT_EQ(SiteNameIn(a), "Site A, changed");
  EXPECT_EQ(SiteNameIn(b), "Site B");
}

TEST(SessionFolderTest, FoldersOfEndedRunsAreRemovedAtTheNextStart) {
  testing::TestHome home;
  const QString dbs = home.Path("DBs");
  QString running;
  {
    const site::SessionFolder ended(home.Folder());
    ASSERT_TRUE(ended.IsValid());
    running = QFileInfo(ended.Folder().WorkingCopy()).absolutePath();
    EXPECT_TRUE(QFileInfo(running).isDir());
  }
  EXPECT_FALSE(QFileInfo::exists(running));

  // What a killed run leaves: its folder with a working copy, and a staging folder.
  ASSERT_TRUE(QDir().mkpath(dbs + "/Session-killed"));
  ASSERT_TRUE(QFile::copy(home.Path("DBs/CleanSite.mdb"), dbs + "/Session-killed/Site.mdb"));
  ASSERT_TRUE(QDir().mkpath(dbs + "/.incoming-killed"));
  const site::SessionFolder alive(home.Folder());
  ASSERT_TRUE(alive.IsValid());
  const site::SessionFolder next(home.Folder());
  ASSERT_TRUE(next.IsValid());
  EXPECT_FALSE(QFileInfo::exists(dbs + "/Session-killed"));
  EXPECT_FALSE(QFileInfo::exists(dbs + "/.incoming-killed"));
  EXPECT_TRUE(QFileInfo::exists(alive.Folder().WorkingCopy()) ||
              QFileInfo(alive.Folder().WorkingCopy()).absoluteDir().exists());
  EXPECT_TRUE(QFileInfo::exists(home.Path("DBs/Site.mdb")));
}

}  // namespace
}  // namespace velmora::workspace
