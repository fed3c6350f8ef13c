#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "site/database.h"
#include "site/run_state.h"
#include "site/store_error.h"
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
  EXPECT_TRUE(workspace_->ExitPrompt());
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
  // The drive is unplugged under the program, and plugged in again after the save.
  const QString sites = home_.Path("Sites");
  ASSERT_TRUE(QDir().rename(sites, sites + "-unplugged"));
  prompter_.Clear();
  EXPECT_FALSE(workspace_->SaveSite());
  ASSERT_TRUE(QDir().rename(sites + "-unplugged", sites));
  ASSERT_EQ(prompter_.Warnings().size(), 1);
  EXPECT_TRUE(prompter_.Warnings()[0].startsWith("Copy error"));
  EXPECT_FALSE(workspace_->State().SiteSaved());
  EXPECT_EQ(Bytes(target), before);
  EXPECT_EQ(QDir(sites).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.mdb"});
  // The site goes on as before.
  site::Table& site = workspace_->Doc().Site();
  site.First();
  EXPECT_EQ(site.Text("SiteName"), "Second");
}

TEST_F(LifecycleTest, SaveWritesASiteWithAFileAtOnceAndSaysSo) {
  const QString target = SitePath("office.mdb");
  prompter_.AnswerFile(target);
  ASSERT_TRUE(workspace_->SaveSite());
  SetSiteName("Edited since");
  workspace_->State().MarkModified();
  prompter_.Clear();
  QStringList saved;
  QObject::connect(workspace_.get(), &Workspace::Saved,
                   [&saved](const QString& file) { saved << file; });
  EXPECT_TRUE(workspace_->SaveSite());
  EXPECT_TRUE(prompter_.Records().empty());
  EXPECT_TRUE(workspace_->State().SiteSaved());
  EXPECT_EQ(SiteNameIn(target), "Edited since");
  EXPECT_EQ(saved, QStringList{QFileInfo(target).absoluteFilePath()});
}

TEST_F(LifecycleTest, DecliningToOverwriteKeepsTheNameAndTheOtherFile) {
  const QString mine = SitePath("new1.mdb");
  prompter_.AnswerFile(mine);
  ASSERT_TRUE(workspace_->SaveSite());
  const QString other = SitePath("small-office.mdb");
  ASSERT_TRUE(QFile::copy(home_.Path("DBs/CleanSite.mdb"), other));
  const QByteArray other_before = Bytes(other);
  SetSiteName("Mine");
  workspace_->State().MarkModified();
  prompter_.AnswerFile(other);
  prompter_.AnswerYes(false);
  EXPECT_FALSE(workspace_->SaveSiteAs());
  EXPECT_EQ(workspace_->State().SiteFileName(), QFileInfo(mine).absoluteFilePath());
  EXPECT_FALSE(workspace_->State().SiteSaved());
  // Save then writes the site's own file, without a question, and never the declined one.
  prompter_.Clear();
  EXPECT_TRUE(workspace_->SaveSite());
  EXPECT_TRUE(prompter_.Records().empty());
  EXPECT_EQ(Bytes(other), other_before);
  EXPECT_EQ(SiteNameIn(mine), "Mine");
}

TEST_F(LifecycleTest, UnsavedWorkIsAskedAboutAndCancelLeavesEverything) {
  enum class Step { kNew, kOpen, kExit };
  const QString file = SitePath("other.mdb");
  ASSERT_TRUE(QFile::copy(home_.Path("DBs/CleanSite.mdb"), file));
  const struct {
    const char* what;
    Step step;
    int answer;  // 0 Yes (and a save under a new name), 1 No, 2 Cancel
    bool goes_on;
  } cases[] = {
      {"new, cancel", Step::kNew, 2, false}, {"new, no", Step::kNew, 1, true},
      {"new, yes", Step::kNew, 0, true},     {"open, cancel", Step::kOpen, 2, false},
      {"open, no", Step::kOpen, 1, true},    {"exit, cancel", Step::kExit, 2, false},
      {"exit, yes", Step::kExit, 0, true},
  };
  int saved = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    workspace_->MakeNewSite();
    SetSiteName("Work in progress");
    prompter_.Clear();
    const QString saved_as = SitePath(QString("saved-%1.mdb").arg(++saved));
    if (c.answer == 0) {
      prompter_.AnswerYes(true);
      prompter_.AnswerFile(saved_as);
    } else if (c.answer == 1) {
      prompter_.AnswerYes(false);
    } else {
      prompter_.AnswerCancel();
    }
    if (c.step == Step::kOpen && c.goes_on) prompter_.AnswerFile(std::nullopt);
    bool went_on = false;
    switch (c.step) {
      case Step::kNew:
        went_on = workspace_->NewSite();
        break;
      case Step::kOpen:
        workspace_->OpenSite();
        went_on = prompter_.Records().back().kind == ScriptedPrompter::Kind::kOpenFile;
        break;
      case Step::kExit:
        went_on = workspace_->ExitPrompt();
        break;
    }
    EXPECT_EQ(went_on, c.goes_on);
    ASSERT_FALSE(prompter_.Records().empty());
    EXPECT_EQ(prompter_.Records()[0].kind, ScriptedPrompter::Kind::kYesNoCancel);
    EXPECT_EQ(prompter_.Records()[0].text, kDataNotSaved);
    EXPECT_TRUE(prompter_.AllAnswersUsed());
    if (c.answer == 0) {
      EXPECT_EQ(SiteNameIn(saved_as), "Work in progress");
    }
    site::Table& site = workspace_->Doc().Site();
    site.First();
    const bool kept = !(c.step == Step::kNew && c.goes_on);
    EXPECT_EQ(site.Text("SiteName") == "Work in progress", kept);
  }
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

// Older site files, each opened, saved and opened again through the program's own steps.
TEST_F(LifecycleTest, OlderLayoutsOpenSaveAndOpenAgain) {
  const struct {
    const char* name;
    const char* sql;
    bool status_flags;
  } layouts[] = {
      {"no-prot3.mdb",
       "ALTER TABLE \"Panels\" DROP COLUMN \"Prot3\"; ALTER TABLE \"Panels\" DROP COLUMN "
       "\"Opt5\"; ALTER TABLE \"Panels\" DROP COLUMN \"Opt6\"; ALTER TABLE \"Panels\" DROP "
       "COLUMN \"Opt7\"; ALTER TABLE \"Panels\" DROP COLUMN \"Opt8\"",
       true},
      {"no-status-flags.mdb",
       "ALTER TABLE \"Panels\" DROP COLUMN \"OKBooleanLoops\"; ALTER TABLE \"Panels\" DROP "
       "COLUMN \"OKBooleanPSU\"",
       false},
      {"no-loop-flag.mdb", "ALTER TABLE \"Loops\" DROP COLUMN \"OKBoolean\"", true},
      {"oldest.mdb",
       "PRAGMA application_id = 0; PRAGMA user_version = 0; "
       "ALTER TABLE \"Loops\" DROP COLUMN \"OKBoolean\"; "
       "ALTER TABLE \"Panels\" DROP COLUMN \"OKBooleanLoops\"; ALTER TABLE \"Panels\" DROP "
       "COLUMN \"OKBooleanPSU\"; ALTER TABLE \"Panels\" DROP COLUMN \"Prot3\"; "
       "ALTER TABLE \"Panels\" DROP COLUMN \"Opt5\"; ALTER TABLE \"Panels\" DROP COLUMN "
       "\"Opt6\"; ALTER TABLE \"Panels\" DROP COLUMN \"Opt7\"; ALTER TABLE \"Panels\" DROP "
       "COLUMN \"Opt8\"",
       false},
  };
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.name);
    const QString file = SitePath(layout.name);
    QFile::remove(file);
    ASSERT_TRUE(QFile::copy(home_.Path("DBs/CleanSite.mdb"), file));
    {
      site::Database db("older", file);
      db.Open();
      db.Execute(layout.sql);
      testing::InsertRow(db, "Site", {{"SiteName", "Old depot"}});
      testing::InsertRow(db, "Panels",
                         {{"Panel Number", 1}, {"Panel Name", "Hall"}, {"Panel Type", 1}});
      testing::InsertRow(db, "Loops", {{"PanelNumber", 1}, {"LoopNumber", 1}, {"OK", "Loop OK"}});
    }
    prompter_.Clear();
    ASSERT_TRUE(workspace_->OpenSiteFile(file)) << prompter_.Warnings().join("|").toStdString();
    EXPECT_EQ(workspace_->Doc().PanelsHaveStatusFlags(), layout.status_flags);
    workspace_->State().MarkModified();
    const QString again = SitePath(QString("again-") + layout.name);
    prompter_.AnswerFile(again);
    ASSERT_TRUE(workspace_->SaveSiteAs());
    ASSERT_TRUE(workspace_->OpenSiteFile(again)) << prompter_.Warnings().join("|").toStdString();
    site::Table& panels = workspace_->Doc().Panels();
    ASSERT_EQ(panels.RecordCount(), 1);
    panels.First();
    EXPECT_EQ(panels.Text("Panel Name"), "Hall");
    if (!layout.status_flags) {
      EXPECT_EQ(panels.Text("Loop Loads"), "-");
    }
    site::Table& site = workspace_->Doc().Site();
    site.First();
    EXPECT_EQ(site.Text("SiteName"), "Old depot");
  }
}

TEST(StartTest, WithoutTheBlankSiteNoRunStartsOnOldContent) {
  testing::TestHome home;
  {
    site::Database db("old", home.Folder().WorkingCopy());
    db.Open();
    testing::InsertRow(db, "Panels", {{"Panel Number", 1}, {"Panel Name", "Left over"}});
  }
  ASSERT_TRUE(QFile::remove(home.Path("DBs/CleanSite.mdb")));
  ScriptedPrompter prompter;
  Workspace workspace(home.Folder(), prompter);
  try {
    workspace.OpenTables();
    ADD_FAILURE() << "the run started without its blank site";
  } catch (const site::StoreError& error) {
    EXPECT_TRUE(error.Message().startsWith("Cannot make the working copy from the blank site"))
        << error.Message().toStdString();
  }
  EXPECT_FALSE(workspace.Doc().IsOpen());
}

TEST(StartTest, CatalogueUpgradeFailuresAreToldOnceAtStart) {
  testing::TestHome home;
  // A catalogue of an older version, which another program holds for writing throughout the
  // start.
  site::Database holder("holder", home.Path("DBs/Catalogue.db"));
  holder.Open();
  holder.Execute("ALTER TABLE \"2010_2_PanelCompatibility\" DROP COLUMN \"Prot3\"");
  holder.Execute("BEGIN IMMEDIATE");
  ScriptedPrompter prompter;
  Workspace workspace(home.Folder(), prompter);
  workspace.OpenTables();
  workspace.StartSession();
  holder.Execute("ROLLBACK");
  ASSERT_FALSE(workspace.Catalogue().UpgradeProblems().isEmpty());
  const QStringList warnings = prompter.Warnings();
  ASSERT_EQ(warnings.size(), 1) << warnings.join("|").toStdString();
  EXPECT_TRUE(warnings[0].startsWith("Parts of the catalogue could not be brought up to date"));
  EXPECT_TRUE(warnings[0].contains(workspace.Catalogue().UpgradeProblems().first()));
  prompter.Clear();
  workspace.MakeNewSite();
  EXPECT_TRUE(prompter.Warnings().isEmpty());
}

}  // namespace
}  // namespace velmora::workspace
