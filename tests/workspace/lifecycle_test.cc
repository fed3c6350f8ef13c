#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "site/database.h"
#include "site/run_state.h"
#include "site/table.h"
#include "support/rows.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::workspace {
namespace {

using testing::ScriptedPrompter;

const QString kDataNotSaved = "Data is not saved. Do you want to save?";
const QString kFilenameExists = "Filename already exists. Do you want to overwrite it?";

class LifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workspace_ = std::make_unique<Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    workspace_->StartSession();
  }

  QString SitePath(const QString& name) { return home_.Path("Sites/" + name); }

  void SetSiteName(const QString& name) {
    site::Table& site = workspace_->Doc().Site();
    site.First();
    site.SetValue("SiteName", name);
    site.Post();
  }

  QString SiteNameIn(const QString& file) {
    site::Database db("probe", file);
    db.Open({.read_only = true});
    site::Table site(&db, "Site");
    site.Open();
    return site.Text("SiteName");
  }

  QByteArray Bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  testing::TestHome home_;
  ScriptedPrompter prompter_;
  std::unique_ptr<Workspace> workspace_;
};

TEST_F(LifecycleTest, StartsAsAnUnsavedNewSite) {
  EXPECT_FALSE(workspace_->State().SiteSaved());
  EXPECT_TRUE(workspace_->State().SiteFileName().isEmpty());
  EXPECT_EQ(workspace_->State().Caption(), "Velmora 2.09");
  site::Table& site = workspace_->Doc().Site();
  site.First();
  EXPECT_EQ(site.RecordCount(), 1);
  EXPECT_EQ(site.Text("City"), " ");
  EXPECT_EQ(workspace_->Doc().Db().Count("Panels"), 0);
}

TEST_F(LifecycleTest, SavingANewSiteAsksForANameAndWritesTheFile) {
  SetSiteName("Riverside Office");
  const QString target = SitePath("office.mdb");
  prompter_.AnswerFile(target);
  EXPECT_TRUE(workspace_->SaveSite());
  ASSERT_EQ(prompter_.Records().size(), 1u);
  EXPECT_EQ(prompter_.Records()[0].kind, ScriptedPrompter::Kind::kSaveFile);
  EXPECT_TRUE(prompter_.Records()[0].dialog.file_name.isEmpty());
  EXPECT_EQ(QFileInfo(prompter_.Records()[0].dialog.folder), QFileInfo(home_.Path("Sites")));
  EXPECT_TRUE(workspace_->State().SiteSaved());
  EXPECT_EQ(workspace_->State().Caption(),
            "Velmora 2.09 - " + QFileInfo(target).absoluteFilePath());
  EXPECT_EQ(SiteNameIn(target), "Riverside Office");
  // A second save of a saved site copies again without a dialog.
  EXPECT_TRUE(workspace_->SaveSite());
  EXPECT_EQ(prompter_.Records().size(), 1u);
}

TEST_F(LifecycleTest, ExistingFileAskedAboutAndNoKeepsTheSiteUnsaved) {
  const QString target = SitePath("taken.mdb");
  QFile::copy(home_.Path("DBs/CleanSite.mdb"), target);
  const QByteArray before = Bytes(target);
  SetSiteName("New design");
  prompter_.AnswerFile(target);
  prompter_.AnswerYes(false);
  EXPECT_FALSE(workspace_->SaveSite());
  EXPECT_EQ(prompter_.Texts(), QStringList{kFilenameExists});
  EXPECT_FALSE(workspace_->State().SiteSaved());
  EXPECT_EQ(Bytes(target), before);

  // Closing then asks again; Yes, the dialog cancelled, asked once more, No closes.
  prompter_.Clear();
  prompter_.AnswerYes(true);
  prompter_.AnswerFile(std::nullopt);
  prompter_.AnswerYes(false);
  workspace_->ExitPrompt();
  EXPECT_EQ(prompter_.Texts(), (QStringList{kDataNotSaved, kDataNotSaved}));
  EXPECT_TRUE(prompter_.AllAnswersUsed());
}

TEST_F(LifecycleTest, OverwriteOnYesReplacesTheFile) {
  const QString target = SitePath("taken.mdb");
  QFile::copy(home_.Path("DBs/CleanSite.mdb"), target);
  SetSiteName("Replaced");
  prompter_.AnswerFile(target);
  prompter_.AnswerYes(true);
  EXPECT_TRUE(workspace_->SaveSite());
  EXPECT_TRUE(workspace_->State().SiteSaved());
  EXPECT_EQ(SiteNameIn(target), "Replaced");
}

TEST_F(LifecycleTest, SaveAsCancelledKeepsASavedSiteSaved) {
  prompter_.AnswerFile(SitePath("a.mdb"));
  ASSERT_TRUE(workspace_->SaveSite());
  prompter_.AnswerFile(std::nullopt);
  EXPECT_FALSE(workspace_->SaveSiteAs());
  EXPECT_TRUE(workspace_->State().SiteSaved());
  // Closing a saved site asks nothing.
  prompter_.Clear();
  workspace_->ExitPrompt();
  EXPECT_TRUE(prompter_.Records().empty());
}

TEST_F(LifecycleTest, FailedSaveOfASavedSiteLeavesTheOldFileAndReportsIt) {
  const QString target = SitePath("kept.mdb");
  SetSiteName("First");
  prompter_.AnswerFile(target);
  ASSERT_TRUE(workspace_->SaveSite());
  const QByteArray before = Bytes(target);
  SetSiteName("Second");
  workspace_->State().SetSiteSaved(true);  // as after a save with nothing changed since
  // The folder vanishes under the program (an unplugged drive, a removed share).
  QDir(home_.Path("Sites")).removeRecursively();
  prompter_.Clear();
  EXPECT_FALSE(workspace_->SaveSite());
  ASSERT_EQ(prompter_.Warnings().size(), 1);
  EXPECT_TRUE(prompter_.Warnings()[0].startsWith("Copy error"));
  EXPECT_FALSE(workspace_->State().SiteSaved());
  // The site goes on as before.
  site::Table& site = workspace_->Doc().Site();
  site.First();
  EXPECT_EQ(site.Text("SiteName"), "Second");
  Q_UNUSED(before);
}

TEST_F(LifecycleTest, FailedSaveKeepsTheOldFileByteForByte) {
  const QString target = SitePath("kept.mdb");
  prompter_.AnswerFile(target);
  ASSERT_TRUE(workspace_->SaveSite());
  const QByteArray before = Bytes(target);
  // A target that is a folder cannot be replaced by a file.
  const QString folder_target = SitePath("folder.mdb");
  QDir().mkpath(folder_target);
  SetSiteName("Changed");
  prompter_.Clear();
  prompter_.AnswerFile(folder_target);
  prompter_.AnswerYes(true);
  EXPECT_FALSE(workspace_->SaveSiteAs());
  EXPECT_TRUE(prompter_.Warnings().last().startsWith("Copy error"));
  EXPECT_EQ(Bytes(target), before);
  EXPECT_TRUE(QFileInfo(folder_target).isDir());
  EXPECT_TRUE(
      QDir(home_.Path("Sites")).entryList({".*.tmp"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(LifecycleTest, CancelledOpenKeepsEverything) {
  prompter_.AnswerFile(SitePath("a.mdb"));
  ASSERT_TRUE(workspace_->SaveSite());
  const QString caption = workspace_->State().Caption();
  SetSiteName("Unsaved change");
  prompter_.AnswerFile(std::nullopt);
  EXPECT_FALSE(workspace_->OpenSite());
  EXPECT_EQ(workspace_->State().Caption(), caption);
  site::Table& site = workspace_->Doc().Site();
  site.First();
  EXPECT_EQ(site.Text("SiteName"), "Unsaved change");
}

TEST_F(LifecycleTest, ForeignOrDamagedFilesAreRefusedAndNothingChanges) {
  SetSiteName("Current work");
  struct Case {
    const char* name;
    QByteArray bytes;
  };
  QByteArray damaged = Bytes(home_.Path("DBs/CleanSite.mdb"));
  damaged.truncate(damaged.size() / 2);
  const Case cases[] = {{"empty.mdb", QByteArray()},
                        {"text.mdb", "Just a note, not a site.\n"},
                        {"half.mdb", damaged}};
  for (const Case& c : cases) {
    const QString file = SitePath(c.name);
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(c.bytes);
    out.close();
    prompter_.Clear();
    EXPECT_FALSE(workspace_->OpenSiteFile(file)) << c.name;
    ASSERT_EQ(prompter_.Warnings().size(), 1) << c.name;
    EXPECT_TRUE(prompter_.Warnings()[0].contains(c.name)) << prompter_.Warnings()[0].toStdString();
    EXPECT_TRUE(workspace_->State().SiteFileName().isEmpty());
    site::Table& site = workspace_->Doc().Site();
    site.First();
    EXPECT_EQ(site.Text("SiteName"), "Current work") << c.name;
  }
  // A database of another kind: no site tables.
  const QString other = SitePath("other.mdb");
  {
    site::Database db("other", other);
    db.Open();
    db.Execute("CREATE TABLE notes (body TEXT)");
  }
  prompter_.Clear();
  EXPECT_FALSE(workspace_->OpenSiteFile(other));
  EXPECT_TRUE(prompter_.Warnings()[0].contains("no table"));
}

TEST_F(LifecycleTest, OpeningAnOlderDocumentUpgradesOnlyTheWorkingCopy) {
  // An older layout: Panels without Prot3 and Opt5..Opt8.
  const QString older = SitePath("older.mdb");
  QFile::copy(home_.Path("DBs/CleanSite.mdb"), older);
  {
    site::Database db("older", older);
    db.Open();
    for (const char* column : {"Prot3", "Opt5", "Opt6", "Opt7", "Opt8"})
      db.Execute(QString("ALTER TABLE \"Panels\" DROP COLUMN \"%1\"").arg(column));
    testing::InsertRow(db, "Panels", {{"Panel Number", 1}, {"Panel Name", "Old"}, {"Prot0", true}});
  }
  const QByteArray user_file = Bytes(older);
  ASSERT_TRUE(workspace_->OpenSiteFile(older));
  site::Table& panels = workspace_->Doc().Panels();
  panels.First();
  for (const char* column : {"Prot3", "Opt5", "Opt6", "Opt7", "Opt8"}) {
    ASSERT_TRUE(panels.HasField(column)) << column;
    EXPECT_FALSE(panels.Bool(column)) << column;
  }
  EXPECT_TRUE(panels.Bool("Prot0"));
  EXPECT_EQ(Bytes(older), user_file);
}

TEST_F(LifecycleTest, FlagColumnsAreNotRepairedWhenProt3IsThere) {
  const QString partial = SitePath("partial.mdb");
  QFile::copy(home_.Path("DBs/CleanSite.mdb"), partial);
  {
    site::Database db("partial", partial);
    db.Open();
    db.Execute("ALTER TABLE \"Panels\" DROP COLUMN \"Opt8\"");
  }
  ASSERT_TRUE(workspace_->OpenSiteFile(partial));
  EXPECT_TRUE(workspace_->Doc().Panels().HasField("Prot3"));
  EXPECT_FALSE(workspace_->Doc().Panels().HasField("Opt8"));
}

TEST_F(LifecycleTest, OpeningRewritesTheOldSalesChannel) {
  const QString file = SitePath("halvo.mdb");
  QFile::copy(home_.Path("DBs/CleanSite.mdb"), file);
  {
    site::Database db("halvo", file);
    db.Open();
    testing::InsertRow(db, "Site", {{"SiteName", "Depot"}, {"SalesChannel", "Halvo"}});
  }
  ASSERT_TRUE(workspace_->OpenSiteFile(file));
  site::Table& site = workspace_->Doc().Site();
  site.First();
  EXPECT_EQ(site.Text("SalesChannel"), "Tarvik");
  EXPECT_EQ(site.Text("SiteName"), "Depot");
  // Opening leaves the saved flag as it was.
  EXPECT_FALSE(workspace_->State().SiteSaved());
}

}  // namespace
}  // namespace velmora::workspace
