#include "site/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "i18n/tr.h"
#include "site/file_io.h"

namespace velmora::site {

CopyResult CopyWholeFile(const QString& from, const QString& to, bool replace, QString* error) {
  QString local_error;
  if (error == nullptr) error = &local_error;
  const QFileInfo target(to);
  if (!replace && target.exists()) {
    *error = i18n::Tr(N_("the file already exists"));
    return CopyResult::kTargetExists;
  }
  const QString folder = target.absolutePath();
  if (!QFileInfo(folder).isDir()) {
    *error = i18n::Tr(N_("the folder %1 does not exist")).arg(QDir::toNativeSeparators(folder));
    return CopyResult::kFailed;
  }
  if (target.isDir()) {
    *error =
        i18n::Tr(N_("%1 is a folder")).arg(QDir::toNativeSeparators(target.absoluteFilePath()));
    return CopyResult::kFailed;
  }

  const QByteArray source_path = QFile::encodeName(QFileInfo(from).absoluteFilePath());
  const int in = ::open(source_path.constData(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    *error = ErrnoText(N_("cannot read %1"), QDir::toNativeSeparators(from));
    return CopyResult::kFailed;
  }

  const QString temp = TemporaryNameBeside(target.absoluteFilePath());
  const QByteArray temp_path = QFile::encodeName(temp);
  const int out = ::open(temp_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    *error = ErrnoText(N_("cannot write in %1"), QDir::toNativeSeparators(folder));
    ::close(in);
    return CopyResult::kFailed;
  }

  bool ok = CopyDescriptor(in, out, from, to, error);
  ::close(in);
  if (ok) ok = SyncDescriptor(out, to, error);
  if (::close(out) != 0 && ok) {
    *error = ErrnoText(N_("cannot write %1"), QDir::toNativeSeparators(to));
    ok = false;
  }
  if (ok) {
    const QByteArray target_path = QFile::encodeName(target.absoluteFilePath());
    if (!replace) {
      // link() refuses an existing name, so a file that appeared meanwhile is not replaced.
      if (::link(temp_path.constData(), target_path.constData()) != 0) {
        if (errno == EEXIST) {
          ::unlink(temp_path.constData());
          *error = i18n::Tr(N_("the file already exists"));
          return CopyResult::kTargetExists;
        }
        // A file system without hard links: the name was free a moment ago.
        if (::rename(temp_path.constData(), target_path.constData()) != 0) {
          *error = ErrnoText(N_("cannot create %1"), QDir::toNativeSeparators(to));
          ok = false;
        }
      } else {
        ::unlink(temp_path.constData());
      }
    } else if (::rename(temp_path.constData(), target_path.constData()) != 0) {
      *error = ErrnoText(N_("cannot replace %1"), QDir::toNativeSeparators(to));
      ok = false;
    }
  }
  if (!ok) {
    ::unlink(temp_path.constData());
    return CopyResult::kFailed;
  }
  if (!SyncFolder(folder, error)) return CopyResult::kFailed;
  return CopyResult::kOk;
}

}  // namespace velmora::site
