#include "site/file_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

namespace velmora::site {
namespace {

QString Errno(const QString& what) {
  return QString("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

bool WriteAll(int fd, const char* data, qint64 size, QString* error) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = Errno("write failed");
      return false;
    }
    if (n == 0) {
      *error = "write failed: no space left";
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

bool SyncFolder(const QString& folder, QString* error) {
  const QByteArray path = QFile::encodeName(folder);
  const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *error = Errno("cannot open folder " + folder);
    return false;
  }
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  if (!ok) *error = Errno("cannot flush folder " + folder);
  ::close(fd);
  return ok;
}

}  // namespace

CopyResult CopyWholeFile(const QString& from, const QString& to, bool replace, QString* error) {
  QString local_error;
  if (error == nullptr) error = &local_error;
  const QFileInfo target(to);
  if (!replace && target.exists()) {
    *error = "the file already exists";
    return CopyResult::kTargetExists;
  }
  const QString folder = target.absolutePath();
  if (!QFileInfo(folder).isDir()) {
    *error = "the folder " + folder + " does not exist";
    return CopyResult::kFailed;
  }

  const QByteArray source_path = QFile::encodeName(QFileInfo(from).absoluteFilePath());
  const int in = ::open(source_path.constData(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    *error = Errno("cannot read " + from);
    return CopyResult::kFailed;
  }

  const QString temp = QDir(folder).filePath(
      QString(".%1.%2.tmp").arg(target.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0')));
  const QByteArray temp_path = QFile::encodeName(temp);
  const int out = ::open(temp_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    *error = Errno("cannot write in " + folder);
    ::close(in);
    return CopyResult::kFailed;
  }

  bool ok = true;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = Errno("cannot read " + from);
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!WriteAll(out, buffer, n, error)) {
      ok = false;
      break;
    }
  }
  ::close(in);
  if (ok && ::fsync(out) != 0) {
    *error = Errno("cannot flush " + to);
    ok = false;
  }
  if (::close(out) != 0 && ok) {
    *error = Errno("cannot close " + to);
    ok = false;
  }
  if (ok) {
    const QByteArray target_path = QFile::encodeName(target.absoluteFilePath());
    if (!replace) {
      // link() refuses an existing name, so a file that appeared meanwhile is not replaced.
      if (::link(temp_path.constData(), target_path.constData()) != 0) {
        if (errno == EEXIST) {
          ::unlink(temp_path.constData());
          *error = "the file already exists";
          return CopyResult::kTargetExists;
        }
        if (::rename(temp_path.constData(), target_path.constData()) != 0) {
          *error = Errno("cannot create " + to);
          ok = false;
        }
      } else {
        ::unlink(temp_path.constData());
      }
    } else if (::rename(temp_path.constData(), target_path.constData()) != 0) {
      *error = Errno("cannot replace " + to);
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
