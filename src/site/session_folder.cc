#include "site/session_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

#include "i18n/tr.h"
#include "site/file_io.h"
#include "site/untrusted_open.h"

namespace velmora::site {

SessionFolder::SessionFolder(const ProgramFolder& folder) : folder_(folder) {
  const QString dbs = QFileInfo(folder.WorkingCopy()).absolutePath();
  RemoveAbandoned(dbs);
  RemoveAbandonedStaging(dbs);
  // A new folder may be taken for an abandoned one by a start at the same moment; a few tries
  // get past that.
  for (int attempt = 0; attempt < 5 && lock_ < 0; ++attempt) {
    QByteArray pattern = QFile::encodeName(QDir(dbs).filePath("Session-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) {
      error_ = ErrnoText(N_("cannot make a working folder in %1"), QDir::toNativeSeparators(dbs));
      return;
    }
    lock_ = LockFolder(pattern);
    if (lock_ >= 0) path_ = QFile::decodeName(pattern);
  }
  if (lock_ < 0) {
    error_ = i18n::Tr(N_("cannot make a working folder in %1")).arg(QDir::toNativeSeparators(dbs));
    return;
  }
  folder_ = folder.WithWorkingCopy(QDir(path_).filePath("Site.mdb"));
}

SessionFolder::~SessionFolder() {
  if (!path_.isEmpty()) QDir(path_).removeRecursively();
  if (lock_ >= 0) ::close(lock_);
}

void SessionFolder::RemoveAbandoned(const QString& dbs) {
  const QDir dir(dbs);
  for (const QString& name : dir.entryList({"Session-*"}, QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QByteArray path = QFile::encodeName(dir.filePath(name));
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) QDir(dir.filePath(name)).removeRecursively();
    ::close(fd);
  }
}

}  // namespace velmora::site
