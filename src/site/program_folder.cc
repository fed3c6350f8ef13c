#include "site/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace velmora::site {

ProgramFolder::ProgramFolder(QString root) : root_(QDir(root).absolutePath()) {}

ProgramFolder ProgramFolder::FromEnvironment() {
  const QString home = qEnvironmentVariable("VELMORA_HOME");
  if (!home.isEmpty()) return ProgramFolder(home);
  return ProgramFolder(QCoreApplication::applicationDirPath());
}

QString ProgramFolder::Path(const QString& relative) const {
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
