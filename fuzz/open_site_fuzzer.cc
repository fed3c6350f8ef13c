// Fuzzes the path every site file from outside takes: Open Site with its staging, checks and the
// rebuild of the views from the opened tables. One program folder per process, made at start
// from the build's databases; each input is written as a site file and opened. Whatever the
// input, the open either succeeds or is refused; anything else (a crash, a sanitizer report,
// an error escaping the open, a hang) is a finding.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "site/program_folder.h"
#include "site/prompter.h"
#include "site/store_error.h"
#include "workspace/workspace.h"

namespace {

class QuietPrompter : public velmora::site::Prompter {
 public:
  void Warn(const QString&, Icon) override {}
  bool ConfirmOkCancel(const QString&, Icon) override { return false; }
  bool AskYesNo(const QString&, Icon) override { return false; }
  Answer AskYesNoCancel(const QString&, Icon) override { return Answer::kNo; }
  std::optional<QString> ChooseOpenFile(const FileDialog&) override { return std::nullopt; }
  std::optional<QString> ChooseSaveFile(const FileDialog&) override { return std::nullopt; }
  bool PrinterDialog(QPrinter*) override { return false; }
};

struct Harness {
  std::unique_ptr<QTemporaryDir> dir;
  QuietPrompter prompter;
  std::unique_ptr<velmora::workspace::Workspace> workspace;
  QString input;
};

Harness* harness = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  harness = new Harness;
  // A memory-backed folder keeps the many small files and flushes of each open cheap.
  const QString base = QFileInfo("/dev/shm").isWritable() ? QString("/dev/shm") : QDir::tempPath();
  harness->dir = std::make_unique<QTemporaryDir>(base + "/velmora-fuzz-XXXXXX");
  const QString home = QString::fromLocal8Bit(qgetenv("VELMORA_HOME"));
  const QString build = home.isEmpty() ? QStringLiteral(VELMORA_BUILD_HOME) : home;
  QDir root(harness->dir->path());
  root.mkpath("DBs");
  root.mkpath("Sites");
  for (const QFileInfo& file : QDir(build + "/DBs").entryInfoList(QDir::Files)) {
    if (file.fileName().startsWith("Site.mdb")) continue;
    const QString to = root.filePath("DBs/" + file.fileName());
    if (!QFile::copy(file.absoluteFilePath(), to)) {
      std::fprintf(stderr, "cannot copy %s\n", qUtf8Printable(file.absoluteFilePath()));
      std::abort();
    }
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
  }
  const velmora::site::ProgramFolder folder(root.path());
  harness->workspace = std::make_unique<velmora::workspace::Workspace>(folder, harness->prompter);
  harness->workspace->OpenTables();
  harness->workspace->StartSession();
  harness->input = root.filePath("Sites/input.mdb");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    QFile file(harness->input);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  try {
    harness->workspace->OpenSiteFile(harness->input);
  } catch (const velmora::site::StoreError& e) {
    // Opening must either succeed or refuse with a message; an error thrown out of it would
    // reach the user as a crash of the program.
    std::fprintf(stderr, "error escaped the open: %s\n", qUtf8Printable(e.Message()));
    std::abort();
  }
  return 0;
}
