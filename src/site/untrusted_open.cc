#include "site/untrusted_open.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "i18n/tr.h"
#include "site/database.h"
#include "site/file_io.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

// A folder only this process uses, locked while it is in use and removed with everything in it
// when the staging ends. One that a killed run left is unlocked, and the next start removes it.
class PrivateFolder {
 public:
  explicit PrivateFolder(const QString& beside) {
    QByteArray pattern = QFile::encodeName(QDir(beside).filePath(".incoming-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) return;
    lock_ = LockFolder(pattern);
    if (lock_ >= 0) {
      path_ = QFile::decodeName(pattern);
    } else {
      ::rmdir(pattern.constData());
    }
  }
  ~PrivateFolder() {
    if (!path_.isEmpty()) QDir(path_).removeRecursively();
    if (lock_ >= 0) ::close(lock_);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  bool IsValid() const { return !path_.isEmpty(); }
  QString File(const QString& name) const { return QDir(path_).filePath(name); }

 private:
  QString path_;
  int lock_ = -1;
};

// Opens a file to read it without following it into a device or a pipe that would block.
int OpenToRead(const QString& file, qint64 max_bytes, QString* problem) {
  const QByteArray path = QFile::encodeName(file);
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
        *problem = i18n::Tr(N_("the file does not exist"));
        break;
      case EACCES:
      case EPERM:
        *problem = i18n::Tr(N_("there is no permission to read the file"));
        break;
      default:
        *problem = ErrnoText(N_("the file cannot be read"));
    }
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    *problem = ErrnoText(N_("the file cannot be read"));
  } else if (S_ISDIR(st.st_mode)) {
    *problem = i18n::Tr(N_("it is a folder, not a file"));
  } else if (!S_ISREG(st.st_mode)) {
    *problem = i18n::Tr(N_("it is not an ordinary file"));
  } else if (st.st_size > max_bytes) {
    *problem = i18n::Tr(N_("the file is larger than %1, far larger than any site file"))
                   .arg(SizeText(max_bytes));
  } else {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  ::close(fd);
  return -1;
}

// Copies at most `most` bytes of an open source into a new private file; a source that goes on
// past `limit` is refused, whatever size it states (a file of /proc, a device behind a link).
// False with *problem set.
bool CopyInto(int in, const QString& to, qint64 most, qint64 limit, QString* problem) {
  const QByteArray path = QFile::encodeName(to);
  const int out = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    *problem = ErrnoText(N_("the file cannot be copied for checking"));
    return false;
  }
  static constexpr qint64 kBuffer = 1 << 16;
  QByteArray buffer(kBuffer, Qt::Uninitialized);
  QString error;
  bool ok = true;
  qint64 copied = 0;
  while (ok && copied < most) {
    const ssize_t n = ::read(in, buffer.data(), size_t(std::min(kBuffer, most - copied)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = ErrnoText(N_("cannot read the file"));
      ok = false;
    } else if (n == 0) {
      break;
    } else {
      ok = WriteAll(out, buffer.constData(), n, to, &error);
      copied += n;
    }
  }
  if (ok && copied == most && most == limit + 1) {
    ::close(out);
    *problem = i18n::Tr(N_("the file is larger than %1, far larger than any site file"))
                   .arg(SizeText(limit));
    return false;
  }
  if (::close(out) != 0 && ok) {
    error = ErrnoText(N_("cannot write %1"), QDir::toNativeSeparators(to));
    ok = false;
  }
  if (!ok) *problem = i18n::Tr(N_("the file cannot be copied for checking (%1)")).arg(error);
  return ok;
}

// How many bytes of a site file the database reads: the length its header states when the
// header vouches for it, else everything up to the limit (and one byte more, to see a file that
// goes on past it). Bytes past the stated length are never read by the database, so they are
// not copied either.
qint64 BytesToCopy(int in, qint64 limit) {
  // Some files of /proc are read only in multiples of 8 bytes.
  QByteArray header(128, '\0');
  const ssize_t n = ::pread(in, header.data(), 128, 0);
  if (n >= 100 && header.startsWith(QByteArray("SQLite format 3\0", 16))) {
    auto be32 = [&](int at) {
      return (quint32(quint8(header[at])) << 24) | (quint32(quint8(header[at + 1])) << 16) |
             (quint32(quint8(header[at + 2])) << 8) | quint32(quint8(header[at + 3]));
    };
    const quint32 page_field = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    const qint64 page_size = page_field == 1 ? 65536 : page_field;
    const qint64 pages = be32(28);
    if (pages != 0 && be32(24) == be32(92) && page_size >= 512 && page_size * pages <= limit)
      return page_size * pages;
    return limit + 1;
  }
  // Not a database: its first bytes are all the check needs to say what it is.
  return 4096;
}

// Whether a log or journal beside the file starts as the database's own do; the database ignores
// any other, so it is not copied (a link to an endless file of /proc among them).
bool LooksLikeCompanion(int fd, const char* suffix) {
  unsigned char head[8] = {};
  if (::pread(fd, head, sizeof head, 0) != ssize_t(sizeof head)) return false;
  if (QByteArray(suffix) == "-wal")
    return head[0] == 0x37 && head[1] == 0x7f && head[2] == 0x06 && (head[3] & 0xfe) == 0x82;
  static const unsigned char kJournal[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
  return std::memcmp(head, kJournal, sizeof head) == 0;
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

// Settles a copy into a single file in rollback mode and checks it.
QString SettleAndCheck(const QString& copy, bool companions, const SiteFileLimits& limits,
                       const QElapsedTimer& clock) {
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
        return i18n::Tr(N_("the file's journal cannot be applied to it"));
    } catch (const StoreError& error) {
      return db.TimedOut() ? i18n::Tr(N_("the file's journal takes too long to apply"))
                           : i18n::Tr(N_("the file cannot be read together with its journal (%1)"))
                                 .arg(error.Message());
    }
    QFile::remove(copy + "-journal");
    QFile::remove(copy + "-shm");
    if (QFileInfo::exists(copy + "-wal"))
      return i18n::Tr(N_("the file's journal cannot be applied to it"));
  }
  SiteFileLimits remaining = limits;
  remaining.time_limit_ms = std::max<qint64>(1, limits.time_limit_ms - clock.elapsed());
  return CheckSiteFile(copy, remaining);
}

}  // namespace

void RemoveAbandonedStaging(const QString& folder) {
  const QDir dir(folder);
  for (const QString& name :
       dir.entryList({".incoming-*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
    const QByteArray path = QFile::encodeName(dir.filePath(name));
    // Only a folder whose lock no running staging holds.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) QDir(dir.filePath(name)).removeRecursively();
    ::close(fd);
  }
}

int LockFolder(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat by_fd {};
  struct stat by_name {};
  // Another start may have taken the new folder for an abandoned one and removed it before the
  // lock was taken; then it is not ours any more.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &by_fd) != 0 ||
      ::stat(path.constData(), &by_name) != 0 || by_fd.st_ino != by_name.st_ino ||
      by_fd.st_dev != by_name.st_dev) {
    ::close(fd);
    return -1;
  }
  return fd;
}

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
    return ErrnoText(N_("the file cannot be copied for checking"));
  }
  const QString copy = folder.File("site.mdb");
  const bool copied =
      CopyInto(in, copy, BytesToCopy(in, limits.max_file_bytes), limits.max_file_bytes, &problem);
  ::close(in);
  if (!copied) return problem;

  // A log or journal beside the file holds part of the document (the last transactions, or what
  // a broken one overwrote): it comes along and is settled into the copy. A log belongs to a file
  // in log mode only (the database ignores any other); a journal that the file cannot be read
  // with, but can without, belongs to another file.
  bool companions = false;
  bool journal = false;
  const QString alone = folder.File("alone.mdb");
  if (IsDatabase(copy)) {
    const bool log_mode = HeaderSaysWal(copy);
    for (const char* suffix : {"-wal", "-journal"}) {
      const QString companion = from + suffix;
      const bool is_log = QByteArray(suffix) == "-wal";
      if ((is_log && !log_mode) || !QFileInfo(companion).isFile()) continue;
      const int companion_in = OpenToRead(companion, limits.max_file_bytes, &problem);
      if (companion_in < 0)
        return i18n::Tr(N_("its journal %1 cannot be read: %2"))
            .arg(QDir::toNativeSeparators(companion), problem);
      if (!LooksLikeCompanion(companion_in, suffix)) {
        ::close(companion_in);
        continue;
      }
      if (!is_log && !QFile::copy(copy, alone)) {
        ::close(companion_in);
        return i18n::Tr(N_("the file cannot be copied for checking"));
      }
      const bool ok = CopyInto(companion_in, copy + suffix, limits.max_file_bytes + 1,
                               limits.max_file_bytes, &problem);
      ::close(companion_in);
      if (!ok) return problem;
      companions = true;
      journal = journal || !is_log;
    }
  }
  QString checked = copy;
  problem = SettleAndCheck(copy, companions, limits, clock);
  if (!problem.isEmpty() && journal && SettleAndCheck(alone, false, limits, clock).isEmpty()) {
    checked = alone;
    problem.clear();
  }
  if (!problem.isEmpty()) return problem;

  QString error;
  if (!SyncFile(checked, &error, to))
    return i18n::Tr(N_("the file cannot be copied for checking (%1)")).arg(error);
  const QByteArray copy_path = QFile::encodeName(checked);
  const QByteArray staged_path = QFile::encodeName(to);
  if (::rename(copy_path.constData(), staged_path.constData()) != 0)
    return ErrnoText(N_("the checked copy cannot be put in place"));
  return QString();
}

}  // namespace velmora::site
