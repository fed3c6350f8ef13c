// A German run: what the program says about a file it cannot open or save is German from the
// first word to the last, the reason the check gives included.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "i18n/translation.h"
#include "site/database.h"
#include "site/site_saver.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::workspace {
namespace {

class GermanRefusalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
    ASSERT_EQ(i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "de"), "de");
    workspace_ = std::make_unique<Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    workspace_->StartSession();
  }

  void TearDown() override {
    workspace_.reset();
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
  }

  // A file of the given bytes, or a site made from the blank template with SQL run on it.
  QString Make(const QString& name, const QByteArray& bytes, const QString& sql) {
    const QString file = home_.Path("Sites/" + name);
    if (sql.isEmpty()) {
      QFile f(file);
      EXPECT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(bytes);
      return file;
    }
    EXPECT_TRUE(QFile::copy(home_.Folder().Template(), file));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    site::Database db("make", file);
    db.Open();
    db.Execute(sql);
    return file;
  }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  std::unique_ptr<Workspace> workspace_;
};

TEST_F(GermanRefusalsTest, AFileThatCannotServeIsRefusedInGerman) {
  const struct {
    const char* name;
    QByteArray bytes;
    QString sql;  // when set, a site with this SQL run on it
    QString reason;
  } cases[] = {
      {"empty.mdb", {}, {}, "die Datei ist leer"},
      {"notes.mdb", "not a site\n", {}, "es ist keine Objektdatei, sondern eine Textdatei"},
      {"picture.mdb",
       QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
       {},
       "es ist keine Objektdatei, sondern ein PNG-Bild"},
      {"newer.mdb",
       {},
       "PRAGMA user_version = 7",
       "sie wurde von einer neueren Version von Velmora gespeichert (Objektformat 7; diese "
       "Version liest Format 1 und ältere)"},
      {"no-currents.mdb",
       {},
       "DROP TABLE \"Currents\"",
       "es ist keine Objektdatei: sie hat keine Tabelle Currents"},
      {"trigger.mdb",
       {},
       "CREATE TRIGGER \"keep\" AFTER UPDATE ON \"Loops\" BEGIN SELECT 1; END",
       "es ist keine Objektdatei: sie enthält den Trigger \"keep\", und Objektdateien haben "
       "keine Trigger"},
      {"letters.mdb",
       {},
       "INSERT INTO \"Loops\" (\"PanelNumber\", \"Length\") VALUES (1, '12a')",
       "Tabelle Loops, Zeile 1: die Spalte Length enthält \"12a\" statt einer ganzen Zahl"},
      {"negative.mdb",
       {},
       "INSERT INTO \"Outputs\" (\"Panel\", \"AlarmCurrent\") VALUES (1, -1400)",
       "Tabelle Outputs, Zeile 1: die Spalte AlarmCurrent enthält -1400, keinen Strom in mA, "
       "den ein Objekt haben kann (0 bis 1000000)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString file = Make(c.name, c.bytes, c.sql);
    prompter_.Clear();
    EXPECT_FALSE(workspace_->OpenSiteFile(file));
    EXPECT_EQ(prompter_.Warnings(),
              QStringList{"Die Objektdatei " + QDir::toNativeSeparators(file) +
                          " kann nicht geöffnet werden: " + c.reason});
  }
}

TEST_F(GermanRefusalsTest, ASaveThatCannotBeMadeSaysWhyInGerman) {
  const QString target = home_.Path("no-such-folder/site.mdb");
  QString error;
  EXPECT_EQ(site::SaveWorkingCopy(workspace_->Doc().WorkingCopy(), target, false, &error),
            site::CopyResult::kFailed);
  EXPECT_EQ(error, "den Ordner " + QDir::toNativeSeparators(home_.Path("no-such-folder")) +
                       " gibt es nicht");
}

}  // namespace
}  // namespace velmora::workspace
