// The large-site generator: what it writes is a site the program itself would have made, from
// the shipped catalogue, and it never writes over a file.
#include "app/cli_generate.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/cli_check.h"
#include "app/cli_session.h"
#include "catalogue/device_catalogue.h"
#include "electrical/site_data.h"
#include "electrical/site_rows.h"
#include "loop/device_rows.h"
#include "panel/panel_rows.h"
#include "support/test_home.h"

namespace velmora::app {
namespace {

using electrical::IntAt;
using electrical::TextAt;

// Every stored result of a site, one line each, to compare two states of it.
QStringList Results(const SiteCheck& check) {
  QStringList lines;
  for (const PanelCheck& p : check.panels) {
    lines << QString("panel %1 %2 %3 %4 %5 %6 %7 %8")
                 .arg(p.number)
                 .arg(p.quiescent_panel, p.alarm_panel, p.quiescent_total, p.alarm_total,
                      p.battery_capacity, p.battery, p.loop_loads);
    for (const LoopCheck& l : p.loops) {
      lines << QString("loop %1/%2 %3 %4 %5 %6")
                   .arg(p.number)
                   .arg(l.number)
                   .arg(l.quiescent)
                   .arg(l.alarm)
                   .arg(l.drop)
                   .arg(l.status);
    }
  }
  return lines;
}

class GenerateTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(writer_.Start(&error_)) << error_.toStdString(); }

  QString File(const char* name) { return home_.Path(QString("Sites/") + name); }

  testing::TestHome home_;
  CliSession writer_{home_.Folder()};
  QString error_;
};

TEST_F(GenerateTest, TheSiteIsBuiltFromTheCatalogueWithinEveryLimit) {
  const QString file = File("generated.mdb");
  ASSERT_TRUE(GenerateSite(writer_, {3, 8, 4}, file, &error_)) << error_.toStdString();

  CliSession reader(home_.Folder());
  ASSERT_TRUE(reader.Start(&error_));
  ASSERT_TRUE(reader.OpenSite(file, &error_)) << error_.toStdString();
  SiteData& run = reader.Data();
  site::Database& db = run.doc.Db();
  EXPECT_EQ(reader.Editor().Tabs().PanelTabCount(), 3);

  const site::SiteColumns& cols = run.Cols();
  electrical::RowSet panels(db, "Panels");
  ASSERT_EQ(panels.Rows().size(), 3u);
  reader.Prompter().Hold();
  for (const site::Row& row : panels.Rows()) {
    const int p = int(IntAt(row, cols.panels.number));
    SCOPED_TRACE(p);
    EXPECT_NE(panel::VariantOf(run, row), nullptr);
    EXPECT_GT(db.Count("Outputs", electrical::RowsOfPanel(p)), 0);
    const catalogue::DeviceTable& table = loop::PanelDevices(run, p);
    ASSERT_EQ(db.Count("Loops", electrical::LoopsOfPanel(p)), 8);
    for (int l = 1; l <= 8; ++l) {
      electrical::RowSet devices(db, "Devices", electrical::DevicesOfLoop(p, l));
      ASSERT_EQ(devices.Rows().size(), 4u);
      for (const site::Row& device : devices.Rows()) {
        EXPECT_GT(IntAt(device, cols.devices.quantity), 0);
        EXPECT_TRUE(table.FirstOfTypeAndCode(IntAt(device, cols.devices.type_code),
                                             TextAt(device, cols.devices.sub_type)));
      }
      EXPECT_EQ(loop::LoopLimitProblems(run, p, l), "");
    }
  }
  EXPECT_TRUE(reader.Prompter().Release().isEmpty());

  // The stored results are the program's own: working them out again changes none of them.
  const SiteCheck stored = ReadSiteCheck(run);
  EXPECT_TRUE(stored.Passed());
  RecalculateSite(run);
  EXPECT_EQ(Results(ReadSiteCheck(run)), Results(stored));
}

TEST_F(GenerateTest, ShapesThatCannotBeBuiltAreRefusedAndNothingIsWritten) {
  struct Case {
    SiteShape shape;
    const char* message;
  };
  const Case cases[] = {
      {{0, 8, 10}, "the number of panels must be 1 to 1000"},
      {{2, 8, 0}, "the number of device rows per loop must be 1 to 100"},
      {{2, 7, 10}, "no panel of the catalogue has 7 loops (possible: "},
      // More than the open check takes: what the generator makes must open again.
      {{130, 8, 100},
       "130 panels of 8 loops with 100 device rows each make 104000 device rows, more than a "
       "site file may hold (at most 100000)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const QString file = File("refused.mdb");
    QString error;
    EXPECT_FALSE(GenerateSite(writer_, c.shape, file, &error));
    EXPECT_TRUE(error.startsWith(c.message)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(file));
  }
}

TEST_F(GenerateTest, AnExistingFileIsNeverReplaced) {
  const QString file = File("taken.mdb");
  {
    QFile taken(file);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("someone's site");
  }
  EXPECT_FALSE(GenerateSite(writer_, {1, 8, 1}, file, &error_));
  EXPECT_TRUE(error_.endsWith("already exists")) << error_.toStdString();
  QFile taken(file);
  ASSERT_TRUE(taken.open(QIODevice::ReadOnly));
  EXPECT_EQ(taken.readAll(), "someone's site");
}

TEST_F(GenerateTest, TheToolGeneratesWithItsOptions) {
  struct Case {
    QStringList args;
    int exit_code;
    const char* output;  // on stdout when it works, else on stderr
  };
  const QString file = File("tool.mdb");
  const Case cases[] = {
      {{"generate", "--panels", "2", "--rows", "3", file},
       0,
       ": 2 panels, 16 loops, 48 device rows"},
      {{"generate", "--panels", "two", file}, 2, "--panels needs a whole number, not 'two'"},
      {{"generate", "--loops"}, 2, "--loops needs a number"},
      {{"generate"}, 2, "no file to write given"},
      {{"generate", file}, 2, "already exists"},
  };
  QTemporaryDir config;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMORA_HOME", home_.Root());
    env.insert("XDG_CONFIG_HOME", config.filePath("user"));
    env.insert("VELMORA_MACHINE_CONFIG", config.filePath("machine"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELMORA_CLI), c.args);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), c.exit_code);
    const QString out = QString::fromUtf8(c.exit_code == 0 ? process.readAllStandardOutput()
                                                           : process.readAllStandardError());
    EXPECT_TRUE(out.contains(c.output)) << out.toStdString();
  }
  EXPECT_TRUE(QFile::exists(file));
}

TEST_F(GenerateTest, TheToolRefusesInTheLanguageOfTheUser) {
  home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
  QTemporaryDir config;
  ASSERT_TRUE(QDir().mkpath(config.filePath("user/Velmora")));
  {
    QFile ini(config.filePath("user/Velmora/Velmora.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nLanguage=de\n");
  }
  const QString taken = File("taken.mdb");
  {
    QFile file(taken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  const struct {
    QStringList args;
    QString refusal;
  } cases[] = {
      {{"generate", "--panels", "0", File("new.mdb")},
       "die Anzahl der Zentralen muss zwischen 1 und 1000 liegen"},
      {{"generate", "--loops", "7", File("new.mdb")},
       "keine Zentrale des Katalogs hat 7 Ringleitungen (möglich: "},
      {{"generate", taken}, taken + " besteht bereits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMORA_HOME", home_.Root());
    env.insert("XDG_CONFIG_HOME", config.filePath("user"));
    env.insert("VELMORA_MACHINE_CONFIG", config.filePath("machine"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELMORA_CLI), c.args);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.contains(c.refusal)) << err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(File("new.mdb")));
}

}  // namespace
}  // namespace velmora::app
