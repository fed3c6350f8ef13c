// Damaged copies of the sample sites through the program's real open path: every cut at a page
// boundary and a few hundred seeded byte flips. Each must open cleanly or be refused in plain
// words, with the site on screen left exactly as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <random>

#include "robustness_support.h"
#include "site/site_file_check.h"
#include "site/store_error.h"
#include "site/table.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::testing {
namespace {

struct Tally {
  int tried = 0;
  int opened = 0;
  int refused = 0;
};

class OpenSweepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workspace_ = std::make_unique<workspace::Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    workspace_->StartSession();
    samples_ = SampleSites(home_.Path("Sites"));
    ASSERT_FALSE(samples_.isEmpty());
  }

  QString SiteName() {
    site::Table& site = workspace_->Doc().Site();
    site.First();
    return site.Text("SiteName");
  }

  // Opens one file as Open Site does and checks what the program promises either way.
  // Returns whether it opened.
  bool Open(const QString& file, Tally* tally) {
    ++tally->tried;
    const QByteArray working_before = Bytes(workspace_->Doc().WorkingCopy());
    const QString name_before = workspace_->State().SiteFileName();
    const QString site_before = SiteName();
    prompter_.Clear();
    QElapsedTimer clock;
    clock.start();
    bool opened = false;
    try {
      opened = workspace_->OpenSiteFile(file);
    } catch (const site::StoreError& e) {
      ADD_FAILURE() << file.toStdString() << ": opening ended in an error the user never sees: "
                    << e.Message().toStdString();
      return false;
    }
    EXPECT_LT(clock.elapsed(), 60000) << file.toStdString();
    if (opened) {
      ++tally->opened;
      EXPECT_EQ(workspace_->State().SiteFileName(), QFileInfo(file).absoluteFilePath());
      return true;
    }
    ++tally->refused;
    const QStringList warnings = prompter_.Warnings();
    EXPECT_EQ(warnings.size(), 1) << file.toStdString();
    if (!warnings.isEmpty()) {
      EXPECT_TRUE(warnings[0].contains(QDir::toNativeSeparators(file)))
          << warnings[0].toStdString();
      // A reason follows the file name.
      EXPECT_GT(warnings[0].size(), QDir::toNativeSeparators(file).size() + 30)
          << warnings[0].toStdString();
    }
    EXPECT_EQ(Bytes(workspace_->Doc().WorkingCopy()), working_before) << file.toStdString();
    EXPECT_EQ(workspace_->State().SiteFileName(), name_before);
    EXPECT_EQ(SiteName(), site_before);
    return false;
  }

  TestHome home_;
  ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  QStringList samples_;
};

TEST_F(OpenSweepTest, EveryCutOfASampleSiteIsRefused) {
  Tally tally;
  for (const QString& sample : samples_) {
    SCOPED_TRACE(sample.toStdString());
    ASSERT_TRUE(Open(sample, &tally));
    const QByteArray whole = Bytes(sample);
    std::vector<qsizetype> cuts = {0, 1};
    for (qsizetype cut = 4096; cut < whole.size(); cut += 4096) cuts.push_back(cut);
    for (const qsizetype cut : cuts) {
      const QString file = home_.Path(QString("Sites/cut-%1.mdb").arg(cut));
      WriteBytes(file, whole.left(cut));
      EXPECT_FALSE(Open(file, &tally)) << "a cut after " << cut << " bytes was taken as a site";
      QFile::remove(file);
    }
  }
  RecordFigure(QString("truncation sweep: %1 files tried, %2 refused, %3 opened (the whole "
                       "samples), 0 crashes")
                   .arg(tally.tried)
                   .arg(tally.refused)
                   .arg(tally.opened));
}

TEST_F(OpenSweepTest, SeededByteFlipsOpenCleanlyOrAreRefused) {
  // VELMORA_FLIPS and VELMORA_FLIP_SEED make a longer or another run.
  const int flips = qEnvironmentVariableIntValue("VELMORA_FLIPS") > 0
                        ? qEnvironmentVariableIntValue("VELMORA_FLIPS")
                        : 400;
  const quint32 seed = qEnvironmentVariableIsSet("VELMORA_FLIP_SEED")
                           ? quint32(qEnvironmentVariableIntValue("VELMORA_FLIP_SEED"))
                           : 20240611u;
  std::mt19937 random(seed);
  Tally tally;
  for (int i = 0; i < flips; ++i) {
    const QString sample = samples_[i % samples_.size()];
    QByteArray bytes = Bytes(sample);
    const auto at = qsizetype(random() % quint32(bytes.size()));
    const auto mask = char(1 + random() % 255);
    // Half of the flips fall on the first page, where the header and the schema are.
    const qsizetype where = i % 2 == 0 ? at % std::min<qsizetype>(4096, bytes.size()) : at;
    bytes[where] = char(bytes[where] ^ mask);
    const QString file = home_.Path(QString("Sites/flip-%1.mdb").arg(i));
    WriteBytes(file, bytes);
    SCOPED_TRACE(QString("%1 with byte %2 xor %3")
                     .arg(sample)
                     .arg(where)
                     .arg(int(quint8(mask)))
                     .toStdString());
    Open(file, &tally);
    QFile::remove(file);
  }
  RecordFigure(QString("byte flips (seed %4): %1 files tried, %2 refused, %3 opened, 0 crashes")
                   .arg(tally.tried)
                   .arg(tally.refused)
                   .arg(tally.opened)
                   .arg(seed));
  EXPECT_GT(tally.refused, 0);
}

}  // namespace
}  // namespace velmora::testing
