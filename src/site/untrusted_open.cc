#include "site/untrusted_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>

#include "site/database.h"
#include "site/file_io.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

// A folder only this process uses, removed with everything in it when the staging ends.
class PrivateFolder {
 public:
  explicit PrivateFolder(const QString& beside) {
    QByteArray pattern = QFile::encodeName(QDir(beside).filePath(".incoming-XXXXXX"));
    if (::mkdtemp(pattern.data()) != nullptr) path_ = QFile::decodeName(pattern);
  }
  ~PrivateFolder() {
    if (!path_.isEmpty()) QDir(path_).removeRecursively();
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  bool IsValid() const { return !path_.isEmpty(); }
  QString File(const QString& name) const { return QDir(path_).filePath(name); }

 private:
  QString path_;
};

// Opens a file to read it without following it into a device or a pipe that would block.
int OpenToRead(const QString& file, qint64 max_bytes, QString* problem) {
  const QByteArray path = QFile::encodeName(file);
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
        *problem = "the file does not exist";
        break;
      case EACCES:
      case EPERM:
        *problem = "there is no permission to read the file";
        break;
      default:
        *problem = ErrnoText("the file cannot be read");
    }
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    *problem = ErrnoText("the file cannot be read");
  } else if (S_ISDIR(st.st_mode)) {
    *problem = "it is a folder, not a file";
  } else if (!S_ISREG(st.st_mode)) {
    *problem = "it is not an ordinary file";
  } else if (st.st_size > max_bytes) {
    *problem = QString("the file is larger than %1, far larger than any site file")
                   .arg(SizeText(max_bytes));
  } else {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  ::close(fd);
  return -1;
}

// Copies an open source into a new private file; false with *problem set.
bool CopyInto(int in, const QString& from, const QString& to, QString* problem) {
  const QByteArray path = QFile::encodeName(to);
  const int out = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    *problem = ErrnoText("the file cannot be copied for checking");
    return false;
  }
  QString error;
  bool ok = CopyDescriptor(in, out, from, to, &error);
  if (::close(out) != 0 && ok) {
    error = ErrnoText("cannot write " + QDir::toNativeSeparators(to));
    ok = false;
  }
  if (!ok) *problem = "the file cannot be copied for checking (" + error + ")";
  return ok;
}

// Bytes 18 and 19 of a database header are 2 in write-ahead-log mode.
bool HeaderSaysWal(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray header = f.read(20);
  return header.size() == 20 && header.startsWith(QByteArray("SQLite format 3\0", 16)) &&
         (header[18] == 2 || header[19] == 2);
}

bool IsDatabase(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
}

}  // namespace

QString StageSiteFile(const QString& source, const QString& staged, const SiteFileLimits& limits) {
  QElapsedTimer clock;
  clock.start();
  // Absolute names only: SQLite reads a name beginning with "file:" as a URI.
  const QString from = QFileInfo(source).absoluteFilePath();
  const QString to = QFileInfo(staged).absoluteFilePath();

  QString problem;
  const int in = OpenToRead(from, limits.max_file_bytes, &problem);
  if (in < 0) return problem;
  PrivateFolder folder(QFileInfo(to).absolutePath());
  if (!folder.IsValid()) {
    ::close(in);
    return ErrnoText("the file cannot be copied for checking");
  }
  const QString copy = folder.File("site.mdb");
  const bool copied = CopyInto(in, from, copy, &problem);
  ::close(in);
  if (!copied) return problem;

  // A log or journal beside the file holds part of the document (the last transactions, or what
  // a broken one overwrote): it comes along and is settled into the copy.
  bool companions = false;
  if (IsDatabase(copy)) {
    for (const char* suffix : {"-wal", "-journal"}) {
      const QString companion = from + suffix;
      if (!QFileInfo(companion).isFile()) continue;
      const int companion_in = OpenToRead(companion, limits.max_file_bytes, &problem);
      if (companion_in < 0)
        return QString("its journal %1 cannot be read: %2")
            .arg(QDir::toNativeSeparators(companion), problem);
      const bool ok = CopyInto(companion_in, companion, copy + suffix, &problem);
      ::close(companion_in);
      if (!ok) return problem;
      companions = true;
    }
  }
  if (companions || HeaderSaysWal(copy)) {
    // The one step that writes to the copy: the journal is replayed or rolled back by the
    // database itself and the copy turned into a single file in rollback mode.
    Database db("settle", copy);
    try {
      db.Open({.read_only = false, .untrusted = true, .time_limit_ms = limits.time_limit_ms});
      // The first read replays a log or rolls back a journal that belongs to an unfinished
      // transaction; a journal that does not is left alone and thrown away below.
      db.QueryValue("SELECT count(*) FROM sqlite_schema");
      const QString mode = db.QueryValue("PRAGMA journal_mode = DELETE").toString();
      db.Close();
      if (mode.compare("delete", Qt::CaseInsensitive) != 0)
        return "the file's journal cannot be applied to it";
    } catch (const StoreError& error) {
      return db.TimedOut()
                 ? QString("the file's journal takes too long to apply")
                 : "the file cannot be read together with its journal (" + error.Message() + ")";
    }
    QFile::remove(copy + "-journal");
    QFile::remove(copy + "-shm");
    if (QFileInfo::exists(copy + "-wal")) return "the file's journal cannot be applied to it";
  }

  SiteFileLimits remaining = limits;
  remaining.time_limit_ms = std::max<qint64>(1, limits.time_limit_ms - clock.elapsed());
  problem = CheckSiteFile(copy, remaining);
  if (!problem.isEmpty()) return problem;

  QString error;
  if (!SyncFile(copy, &error, to)) return "the file cannot be copied for checking (" + error + ")";
  const QByteArray copy_path = QFile::encodeName(copy);
  const QByteArray staged_path = QFile::encodeName(to);
  if (::rename(copy_path.constData(), staged_path.constData()) != 0)
    return ErrnoText("the checked copy cannot be put in place");
  return QString();
}

}  // namespace velmora::site
