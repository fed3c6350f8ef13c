#include "site/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "i18n/tr.h"

namespace velmora::site {

QString PlainError(int error_number) {
  switch (error_number) {
    case ENOSPC:
      return i18n::Tr(N_("the disk is full"));
    case EDQUOT:
      return i18n::Tr(N_("the disk quota is used up"));
    case EFBIG:
      return i18n::Tr(N_("the file is larger than this disk or account allows"));
    case EROFS:
      return i18n::Tr(N_("the disk is read-only"));
    case EACCES:
    case EPERM:
      return i18n::Tr(N_("there is no permission to write there"));
    case ENOENT:
      return i18n::Tr(N_("the folder or file no longer exists"));
    case ENOTDIR:
      return i18n::Tr(N_("a part of the path is not a folder"));
    case EISDIR:
      return i18n::Tr(N_("there is a folder of that name"));
    case EIO:
      return i18n::Tr(N_("the disk reported an input/output error"));
    case ENAMETOOLONG:
      return i18n::Tr(N_("the name is too long"));
    case EXDEV:
      return i18n::Tr(N_("the file would have to move to another disk"));
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ENOTCONN:
      return i18n::Tr(N_("the disk or network share is no longer there"));
    default:
      return QString::fromLocal8Bit(std::strerror(error_number));
  }
}

QString ErrnoText(i18n::Source what, const QString& subject) {
  const int saved = errno;
  const QString done = subject.isNull() ? i18n::Tr(what) : i18n::Tr(what).arg(subject);
  return QString("%1: %2").arg(done, PlainError(saved));
}

bool WriteAll(int fd, const char* data, qint64 size, const QString& file, QString* error) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = ErrnoText(N_("cannot write %1"), QDir::toNativeSeparators(file));
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;  // a write that takes nothing has found the disk full
      *error = ErrnoText(N_("cannot write %1"), QDir::toNativeSeparators(file));
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

bool CopyDescriptor(int in, int out, const QString& from, const QString& to, QString* error) {
  static constexpr int kBuffer = 1 << 16;
  QByteArray buffer(kBuffer, Qt::Uninitialized);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), kBuffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = ErrnoText(N_("cannot read %1"), QDir::toNativeSeparators(from));
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer.constData(), n, to, error)) return false;
  }
}

bool SyncDescriptor(int fd, const QString& file, QString* error) {
  if (::fsync(fd) == 0) return true;
  *error = ErrnoText(N_("cannot flush %1 to disk"), QDir::toNativeSeparators(file));
  return false;
}

bool SyncFile(const QString& file, QString* error, const QString& shown) {
  const QString name = shown.isEmpty() ? file : shown;
  const QByteArray path = QFile::encodeName(file);
  const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = ErrnoText(N_("cannot open %1"), QDir::toNativeSeparators(name));
    return false;
  }
  const bool ok = SyncDescriptor(fd, name, error);
  ::close(fd);
  return ok;
}

bool SyncFolder(const QString& folder, QString* error) {
  const QByteArray path = QFile::encodeName(folder);
  const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *error = ErrnoText(N_("cannot open the folder %1"), QDir::toNativeSeparators(folder));
    return false;
  }
  // Some file systems cannot flush a folder and say so with EINVAL; there is nothing to wait for.
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  if (!ok) *error = ErrnoText(N_("cannot flush the folder %1"), QDir::toNativeSeparators(folder));
  ::close(fd);
  return ok;
}

QString TemporaryNameBeside(const QString& target, const char* suffix) {
  const QFileInfo info(target);
  return QDir(info.absolutePath())
      .filePath(QString(".%1.%2.%3")
                    .arg(info.fileName())
                    .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'))
                    .arg(suffix));
}

QString ReachableName(const QByteArray& raw, const QString& alias) {
  const QString decoded = QFile::decodeName(raw);
  if (QFile::encodeName(decoded) == raw) return decoded;
  QByteArray absolute = raw;
  if (!absolute.startsWith('/')) {
    char* cwd = ::getcwd(nullptr, 0);
    if (cwd == nullptr) return QString();
    absolute = QByteArray(cwd) + "/" + raw;
    std::free(cwd);
  }
  const QByteArray link = QFile::encodeName(alias);
  for (const char* suffix : {"", "-wal", "-journal"}) {
    if (::symlink((absolute + suffix).constData(), (link + suffix).constData()) != 0)
      return QString();
  }
  return alias;
}

void RemoveWithCompanions(const QString& file) {
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) QFile::remove(file + suffix);
}

}  // namespace velmora::site
