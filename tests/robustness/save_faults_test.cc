// Saving when the system fails under it: every write and every flush failing in turn, a disk
// that fills up, a folder the user may not write in, and the program killed at any moment. The
// target is always the complete old document or the complete new one, and a failure is told.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <random>
#include <thread>

#include "robustness_support.h"
#include "site/database.h"
#include "site/site_file_check.h"
#include "site/site_saver.h"
#include "site/table.h"
#include "support/test_home.h"

namespace velmora::testing {
namespace {

using site::CopyResult;
using site::SaveWorkingCopy;

// A small disk of its own (a tmpfs of `size`, "400k"), taken away again at the end of the test.
// Mounting needs root rights; Mounted() says whether it could be made.
class SmallDisk {
 public:
  explicit SmallDisk(const char* size) : point_(QFile::encodeName(dir_.path())) {
    const QByteArray options = QByteArray("size=") + size;
    mounted_ = ::mount("velmora-test", point_.constData(), "tmpfs", 0, options.constData()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(point_.constData(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  QString Path() const { return dir_.path(); }
  QString FilePath(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
  QByteArray point_;
  bool mounted_ = false;
};

class SaveFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Other users (the read-only case runs as nobody) must reach the files.
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
    QDir(dir_.path()).mkpath("Sites");
    working_ = dir_.filePath("Site.mdb");
    MakeWorkingCopy("Old design", 200);
    target_ = dir_.filePath("Sites/design.mdb");
    ASSERT_EQ(SaveWorkingCopy(working_, target_, false), CopyResult::kOk);
    old_ = Bytes(target_);
    MakeWorkingCopy("New design", 400);
  }

  void MakeWorkingCopy(const QString& name, int rows) {
    QFile::remove(working_);
    ASSERT_TRUE(QFile::copy(BuildHome() + "/DBs/CleanSite.mdb", working_));
    QFile::setPermissions(
        working_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    site::Database db("work", working_);
    db.Open();
    db.Execute("INSERT INTO \"Site\" (\"SiteName\") VALUES (?)", {name});
    db.Execute(QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "%1) INSERT INTO \"Devices\" (\"Panel\", \"DeviceTypeText\") "
                       "SELECT 1, hex(randomblob(100)) FROM n")
                   .arg(rows));
  }

  static QString SiteNameIn(const QString& file) {
    site::Database db("probe", file);
    db.Open({.read_only = true});
    site::Table site(&db, "Site");
    site.Open();
    return site.Text("SiteName");
  }

  // The target is the complete old file or a complete new document; which one it is.
  enum class State { kOld, kNew, kBroken };
  State TargetState(const QString& file) {
    const QByteArray bytes = Bytes(file);
    if (bytes == old_) return State::kOld;
    if (site::CheckSiteFile(file).isEmpty() && SiteNameIn(file) == "New design") return State::kNew;
    return State::kBroken;
  }

  // Files in the target's folder other than the target.
  QStringList Strays(const QString& folder) {
    QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.removeAll(QFileInfo(target_).fileName());
    return entries;
  }

  QTemporaryDir dir_;
  QString working_;
  QString target_;
  QByteArray old_;
};

// Fails the N-th call of the given system calls for N = 1, 2, ... until the save gets through.
TEST_F(SaveFaultsTest, EveryFailingWriteAndFlushIsReportedAndKeepsTheOldFile) {
  const QString strace = FindProgram("strace");
  if (strace.isEmpty()) GTEST_SKIP() << "strace is not installed";
  const Outcome trial = RunProgram({strace, "-f", "-o", "/dev/null", "true"});
  if (trial.exit_code != 0) GTEST_SKIP() << "strace cannot trace here: " << trial.err.toStdString();

  // The database writes with pwrite64 and flushes with fdatasync; the program flushes the file
  // and the folder with fsync and puts the file in place with rename.
  const struct {
    const char* calls;
    const char* error;
  } faults[] = {
      {"pwrite64", "ENOSPC"},  // a full disk, and what a short write turns into
      {"pwrite64", "EIO"},    {"fdatasync", "EIO"}, {"fsync", "EIO"}, {"rename", "EIO"},
  };
  int runs = 0;
  int failures = 0;
  for (const auto& fault : faults) {
    SCOPED_TRACE(QString("%1 fails with %2").arg(fault.calls, fault.error).toStdString());
    bool saved = false;
    int failed_steps = 0;
    for (int step = 1; step <= 400 && !saved; ++step) {
      ASSERT_EQ(TargetState(target_), State::kOld);
      const QString inject =
          QString("inject=%1:error=%2:when=%3").arg(fault.calls, fault.error).arg(step);
      const Outcome outcome =
          RunProgram({strace, "-f", "-o", "/dev/null", "-e", QString("trace=") + fault.calls, "-e",
                      inject, Probe(), "save", working_, target_, "replace"});
      ++runs;
      ASSERT_FALSE(outcome.timed_out);
      ASSERT_EQ(outcome.signal, 0) << outcome.err.toStdString();
      if (outcome.exit_code == 0) {
        saved = true;
        EXPECT_EQ(TargetState(target_), State::kNew) << "step " << step;
      } else {
        ++failures;
        ++failed_steps;
        EXPECT_EQ(outcome.exit_code, 1) << "step " << step << ": " << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.startsWith("Copy error\n")) << outcome.err.toStdString();
        EXPECT_GT(outcome.err.size(), 20) << "step " << step;
        EXPECT_EQ(TargetState(target_), State::kOld) << "step " << step;
      }
      EXPECT_EQ(Strays(dir_.filePath("Sites")), QStringList()) << "step " << step;
    }
    EXPECT_TRUE(saved) << "the save never got through";
    EXPECT_GT(failed_steps, 0) << "no injected fault reached the save";
    WriteBytes(target_, old_);
  }
  RecordFigure(QString("injected faults while saving: %1 saves tried, %2 failed and reported with "
                       "the old file kept, 0 damaged targets")
                   .arg(runs)
                   .arg(failures));
}

TEST_F(SaveFaultsTest, SavingOntoAFullDiskKeepsEveryFileThatWasThere) {
  const SmallDisk small_disk("400k");
  if (!small_disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root rights)";

  const QString disk = small_disk.Path();
  QStringList saved;
  QString error;
  CopyResult result = CopyResult::kOk;
  for (int i = 0; i < 100 && result == CopyResult::kOk; ++i) {
    const QString file = disk + QString("/site-%1.mdb").arg(i);
    result = SaveWorkingCopy(working_, file, false, &error);
    if (result == CopyResult::kOk) {
      saved << file;
    } else {
      EXPECT_FALSE(QFileInfo::exists(file));
    }
  }
  ASSERT_EQ(result, CopyResult::kFailed);
  EXPECT_TRUE(error.contains("the disk is full")) << error.toStdString();
  ASSERT_FALSE(saved.isEmpty());

  // Replacing a saved file with a larger document on the full disk leaves it as it was.
  const QByteArray before = Bytes(saved.first());
  MakeWorkingCopy("Larger design", 2000);
  EXPECT_EQ(SaveWorkingCopy(working_, saved.first(), true, &error), CopyResult::kFailed);
  EXPECT_TRUE(error.contains("the disk is full")) << error.toStdString();
  EXPECT_EQ(Bytes(saved.first()), before);
  for (const QString& file : saved) {
    EXPECT_EQ(site::CheckSiteFile(file), QString()) << file.toStdString();
    EXPECT_EQ(SiteNameIn(file), "New design");
  }
  EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), saved.size());
  RecordFigure(QString("full disk: %1 sites saved onto a 400 KB disk, the next save and a "
                       "replacing save refused with the old files kept")
                   .arg(saved.size()));
}

// A report written onto a disk that fills up is refused with the reason in plain words, and
// nothing of it is left on the disk.
TEST(ReportFaultsTest, AReportOntoAFullDiskIsRefusedAndLeavesNothing) {
  const QString cli = QStringLiteral(VELMORA_CLI);
  if (cli.isEmpty()) GTEST_SKIP() << "velmora-cli is not built";
  const SmallDisk disk("60k");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root rights)";

  const QString report = disk.FilePath("report.pdf");
  const Outcome outcome = RunProgram(
      {cli, "report", BuildHome() + "/Sites/large-building.mdb", "--site", "--pdf", report}, 300000,
      {"VELMORA_HOME=" + BuildHome()});
  ASSERT_FALSE(outcome.timed_out);
  EXPECT_EQ(outcome.exit_code, 2) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("report.pdf: the disk is full")) << outcome.err.toStdString();
  EXPECT_EQ(QDir(disk.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
}

TEST_F(SaveFaultsTest, ReadOnlyFolderIsReportedAndKeepsTheOldFile) {
  const QString folder = dir_.filePath("Sites");
  ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
  QStringList prefix;
  if (::geteuid() == 0) {
    prefix = AsNobody();
    if (prefix.isEmpty()) GTEST_SKIP() << "root needs setpriv to try this as another user";
  }
  const Outcome outcome =
      RunProgram(prefix + QStringList{Probe(), "save", working_, target_, "replace"});
  ::chmod(QFile::encodeName(folder).constData(), 0755);
  ASSERT_FALSE(outcome.timed_out);
  EXPECT_EQ(outcome.exit_code, 1) << outcome.out.toStdString() << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("Copy error\ncannot write in the folder"))
      << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("there is no permission to write there"))
      << outcome.err.toStdString();
  EXPECT_EQ(TargetState(target_), State::kOld);
  EXPECT_EQ(Strays(folder), QStringList());
}

TEST_F(SaveFaultsTest, KillingTheProgramAtAnyMomentLeavesAWholeDocument) {
  MakeWorkingCopy("New design", 60000);  // a few megabytes, so a save takes a while
  QElapsedTimer clock;
  clock.start();
  const Outcome full =
      RunProgram({Probe(), "save", working_, dir_.filePath("reference.mdb"), "new"});
  const qint64 duration_ms = std::max<qint64>(clock.elapsed(), 20);
  ASSERT_EQ(full.exit_code, 0) << full.err.toStdString();

  std::mt19937 random(7);
  int old_kept = 0;
  int new_written = 0;
  constexpr int kKills = 40;
  for (int i = 0; i < kKills; ++i) {
    const auto delay = std::chrono::microseconds(random() % quint32(duration_ms * 1200));
    const pid_t pid = StartProgram({Probe(), "save", working_, target_, "replace"});
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const State state = TargetState(target_);
    ASSERT_NE(state, State::kBroken) << "killed after " << delay.count() << " us";
    if (state == State::kOld) {
      ++old_kept;
    } else {
      ++new_written;
      WriteBytes(target_, old_);
    }
    // A killed save cannot tidy up; what it leaves are its own temporary names only.
    for (const QString& stray : Strays(dir_.filePath("Sites"))) {
      EXPECT_TRUE(stray.startsWith(".design.mdb.")) << stray.toStdString();
      QFile::remove(dir_.filePath("Sites/" + stray));
    }
  }
  RecordFigure(QString("kill -9 during a save: %1 kills, the old document %2 times, the new one "
                       "%3 times, 0 damaged targets")
                   .arg(kKills)
                   .arg(old_kept)
                   .arg(new_written));
}

}  // namespace
}  // namespace velmora::testing
