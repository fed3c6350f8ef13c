#include "app/cli_session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "i18n/tr.h"
#include "site/store_error.h"

namespace velmora::app {
namespace {

// The databases a run needs; the working copy is made from the template.
const char* const kRequired[] = {"DBs/CleanSite.mdb", "DBs/Catalogue.db", "DBs/Translation.db",
                                 "DBs/Print.db"};

}  // namespace

CliSession::CliSession(site::ProgramFolder home) : home_(std::move(home)) {}

CliSession::~CliSession() = default;

bool CliSession::Start(QString* error) {
  if (!dir_.isValid()) {
    *error = i18n::Tr(N_("cannot make a temporary folder: %1")).arg(dir_.errorString());
    return false;
  }
  for (const char* file : kRequired) {
    if (!QFileInfo(home_.Path(file)).isFile()) {
      *error =
          i18n::Tr(N_("the program folder %1 has no %2 (set VELMORA_HOME to the program folder)"))
              .arg(QDir::toNativeSeparators(home_.Root()), file);
      return false;
    }
  }
  const site::ProgramFolder folder(dir_.path());
  QDir().mkpath(folder.Path("DBs"));
  QDir().mkpath(folder.SitesFolder());
  // Every file of DBs except a working copy left by the desktop program.
  const QDir dbs(home_.Path("DBs"));
  for (const QFileInfo& info : dbs.entryInfoList(QDir::Files)) {
    if (info.fileName() == "Site.mdb" || info.fileName().startsWith("Site.mdb")) continue;
    const QString to = folder.Path("DBs/" + info.fileName());
    if (!QFile::copy(info.absoluteFilePath(), to)) {
      *error =
          i18n::Tr(N_("cannot copy %1")).arg(QDir::toNativeSeparators(info.absoluteFilePath()));
      return false;
    }
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
  }
  workspace_ = std::make_unique<workspace::Workspace>(folder, prompter_);
  print_ = std::make_unique<reports::PrintStore>(folder);
  try {
    workspace_->OpenTables();
    print_->Open();
  } catch (const site::StoreError& e) {
    *error = e.Message();
    return false;
  }
  editor_ = std::make_unique<action::Editor>(*workspace_);
  prompter_.Hold();
  workspace_->StartSession();
  for (const QString& warning : prompter_.Release()) prompter_.Warn(warning, {});
  return true;
}

bool CliSession::OpenSite(const QString& file, QString* error) {
  const QFileInfo info(file);
  if (!info.exists()) {
    *error = i18n::Tr(N_("%1: no such file")).arg(file);
    return false;
  }
  if (!info.isFile() || !info.isReadable()) {
    *error = i18n::Tr(N_("%1: not a readable file")).arg(file);
    return false;
  }
  prompter_.Hold();
  bool opened = false;
  try {
    opened = workspace_->OpenSiteFile(info.absoluteFilePath());
  } catch (const site::StoreError& e) {
    prompter_.Release();
    *error = QString("%1: %2").arg(file, e.Message());
    return false;
  }
  const QStringList warnings = prompter_.Release();
  if (!opened) {
    *error =
        warnings.isEmpty() ? i18n::Tr(N_("%1 cannot be opened")).arg(file) : warnings.join("\n");
    return false;
  }
  for (const QString& warning : warnings) prompter_.Warn(warning, {});
  return true;
}

}  // namespace velmora::app
