#include "site/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "i18n/tr.h"
#include "site/file_copy.h"

namespace velmora::site {

ProgramFolder::ProgramFolder(QString root) : root_(QDir(root).absolutePath()), data_root_(root_) {}

ProgramFolder ProgramFolder::FromEnvironment() {
  const QString home = qEnvironmentVariable("VELMORA_HOME");
  if (!home.isEmpty()) return ProgramFolder(home);
  return ProgramFolder(QCoreApplication::applicationDirPath());
}

ProgramFolder ProgramFolder::WithDataRoot(const QString& data_root) const {
  ProgramFolder folder(*this);
  folder.data_root_ = QDir(data_root).absolutePath();
  return folder;
}

ProgramFolder ProgramFolder::WithWorkingCopy(const QString& file) const {
  ProgramFolder folder(*this);
  folder.working_copy_ = QDir(file).absolutePath();
  return folder;
}

QString ProgramFolder::UserDataFolder() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::home().filePath(".local/share");
  return QDir(base).filePath("Velmora");
}

bool ProgramFolder::CanWriteIn(const QString& folder) {
  // Trying is the only sure test: permissions say nothing about a read-only mount, and nothing
  // at all for root.
  QTemporaryFile probe(QDir(folder).filePath(".write-test-XXXXXX"));
  return probe.open();
}

ProgramFolder ProgramFolder::WritableFor(QString* error, const QString& user_folder) const {
  if (CanWriteIn(root_) && CanWriteIn(QDir(root_).filePath("DBs"))) return *this;
  const QString data = QDir(user_folder.isEmpty() ? UserDataFolder() : user_folder).absolutePath();
  auto refuse = [&](const QString& why) {
    if (error) *error = why;
    return *this;
  };
  QDir data_dir(data);
  const bool first_start = !data_dir.exists("Sites");
  if (!data_dir.mkpath("DBs") || !data_dir.mkpath("Sites") || !CanWriteIn(data_dir.filePath("DBs")))
    return refuse(i18n::Tr(N_("the folder %1 for this user's copy of the program's files cannot "
                              "be made or written"))
                      .arg(QDir::toNativeSeparators(data)));
  // The first start copies what the program writes; later starts keep the user's copy, which
  // holds the user's defaults and the upgraded catalogue.
  const QDir installed(QDir(root_).filePath("DBs"));
  for (const QFileInfo& file : installed.entryInfoList(QDir::Files)) {
    if (file.fileName().startsWith("Site.mdb")) continue;
    const QString to = data_dir.filePath("DBs/" + file.fileName());
    if (QFileInfo::exists(to)) continue;
    QString why;
    if (CopyWholeFile(file.absoluteFilePath(), to, false, &why) == CopyResult::kFailed)
      return refuse(i18n::Tr(N_("%1 cannot be copied to %2: %3"))
                        .arg(QDir::toNativeSeparators(file.absoluteFilePath()),
                             QDir::toNativeSeparators(to), why));
    QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner | QFile::ReadOwner);
  }
  // The sample sites of the installation start the user's own Sites folder.
  if (first_start) {
    const QDir samples(QDir(root_).filePath("Sites"));
    for (const QFileInfo& file : samples.entryInfoList(QDir::Files)) {
      const QString to = data_dir.filePath("Sites/" + file.fileName());
      if (CopyWholeFile(file.absoluteFilePath(), to, false) == CopyResult::kOk)
        QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner | QFile::ReadOwner);
    }
  }
  return WithDataRoot(data);
}

QString ProgramFolder::Path(const QString& relative) const {
  const QString first = relative.section('/', 0, 0);
  if (first == "DBs" || first == "Sites" || relative == "LoopLog.txt")
    return QDir(data_root_).filePath(relative);
  return QDir(root_).filePath(relative);
}

QString ProgramFolder::DataSourceFile(const QString& data_source) const {
  if (data_source == kSiteSource) return WorkingCopy();
  if (data_source == kDataSource) return Catalogue();
  if (data_source == kTranslationSource) return Translation();
  if (data_source == kPrintSource) return PrintStore();
  return QString();
}

}  // namespace velmora::site
