#pragma once

#include <QString>
#include <QTemporaryDir>

#include "site/program_folder.h"

namespace velmora::testing {

// A temporary program folder for one test: DBs/, Sites/ and locale/ as the build lays them
// out, with copies of the shipped databases so a test can change them freely.
class TestHome {
 public:
  TestHome();

  const QString& Root() const { return root_; }
  site::ProgramFolder Folder() const { return site::ProgramFolder(root_); }
  QString Path(const QString& relative) const;

  // Copies a file of the build's program folder (e.g. "DBs/Catalogue.db") into this one.
  void CopyFromBuild(const QString& relative);
  // Writes the blank site template as the working copy.
  void ResetWorkingCopy();

 private:
  QTemporaryDir dir_;
  QString root_;
};

// The build's own program folder (DBs, locale, executables).
QString BuildHome();
// A file of the source tree.
QString SourcePath(const QString& relative);

}  // namespace velmora::testing
