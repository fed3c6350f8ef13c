#include "site/site_saver.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

#include "i18n/tr.h"
#include "site/file_io.h"
#include "site/site_file_check.h"
#include "site/statement.h"

namespace velmora::site {
namespace {

// One SQLite connection, closed on every path out.
class Connection {
 public:
  Connection() = default;
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int Open(const QString& file, int flags) {
    const QByteArray path = QFile::encodeName(file);
    const int rc = sqlite3_open_v2(path.constData(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) sqlite3_extended_result_codes(db_, 1);
    return rc;
  }
  int Close() {
    const int rc = sqlite3_close(db_);
    if (rc == SQLITE_OK) db_ = nullptr;
    return rc;
  }
  sqlite3* Get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// What a failed SQLite call on `db` means, in plain words.
QString SqliteFailure(sqlite3* db, int rc, const QString& what) {
  const QString reason = (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB
                             ? i18n::Tr(N_("the working copy is damaged (%1)"))
                                   .arg(QString::fromUtf8(sqlite3_errstr(rc)))
                             : EngineFailure(db, rc);
  return what + ": " + reason;
}

bool Execute(sqlite3* db, const char* sql, const QString& what, QString* error) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) return true;
  *error = SqliteFailure(db, rc, what);
  return false;
}

// Writes the working copy into `temp` (an existing empty file) and checks what was written.
bool WriteCheckedCopy(const QString& working_copy, const QString& temp, const QString& shown,
                      QString* error) {
  const QString writing = i18n::Tr(N_("cannot write %1")).arg(shown);
  {
    Connection source;
    int rc = source.Open(working_copy, SQLITE_OPEN_READONLY);
    if (rc != SQLITE_OK) {
      *error = SqliteFailure(source.Get(), rc,
                             i18n::Tr(N_("cannot read the working copy %1"))
                                 .arg(QDir::toNativeSeparators(working_copy)));
      return false;
    }
    Connection copy;
    rc = copy.Open(temp, SQLITE_OPEN_READWRITE);
    if (rc != SQLITE_OK) {
      *error = SqliteFailure(copy.Get(), rc, writing);
      return false;
    }
    // The temporary file is thrown away on any failure, so it needs no journal of its own.
    if (!Execute(copy.Get(), "PRAGMA journal_mode = OFF", writing, error)) return false;
    sqlite3_backup* backup = sqlite3_backup_init(copy.Get(), "main", source.Get(), "main");
    if (backup == nullptr) {
      *error = SqliteFailure(copy.Get(), sqlite3_errcode(copy.Get()), writing);
      return false;
    }
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
      *error = rc == SQLITE_BUSY || rc == SQLITE_LOCKED
                   ? i18n::Tr(N_("the working copy is in use and cannot be read"))
                   : SqliteFailure(copy.Get(), rc, writing);
      return false;
    }
    const QByteArray mark = QString("PRAGMA application_id = %1; PRAGMA user_version = %2")
                                .arg(kSiteApplicationId)
                                .arg(kSiteFormatVersion)
                                .toUtf8();
    if (!Execute(copy.Get(), mark.constData(), writing, error)) return false;
    rc = copy.Close();
    if (rc != SQLITE_OK) {
      *error = SqliteFailure(copy.Get(), rc, writing);
      return false;
    }
  }
  // Read back from the file, not from what the writing connection still held.
  Connection check;
  int rc = check.Open(temp, SQLITE_OPEN_READONLY);
  Statement quick_check;
  if (rc == SQLITE_OK) rc = quick_check.Prepare(check.Get(), "PRAGMA quick_check(1)");
  QString verdict;
  if (rc == SQLITE_OK) {
    rc = quick_check.Step();
    if (rc == SQLITE_ROW) {
      verdict = quick_check.Text(0);
      rc = SQLITE_OK;
    }
  }
  if (rc != SQLITE_OK) {
    *error = SqliteFailure(check.Get(), rc, i18n::Tr(N_("cannot read back %1")).arg(shown));
    return false;
  }
  if (verdict != "ok") {
    *error = i18n::Tr(N_("the copy written to %1 is damaged (%2)")).arg(shown, verdict.left(200));
    return false;
  }
  return true;
}

// The temporary files of saves into `folder` that a killed or failed run left behind: a ".tmp"
// that no save holds any more, and an ".old" second name of a file that is there again.
void RemoveStraySaves(const QString& folder) {
  static const QRegularExpression stray(R"(^\.(.+)\.[0-9a-f]{8}\.(tmp|old)$)");
  const QDir dir(folder);
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    const QRegularExpressionMatch m = stray.match(name);
    if (!m.hasMatch()) continue;
    const QByteArray path = QFile::encodeName(dir.filePath(name));
    if (m.captured(2) == "old") {
      struct stat st {};
      const QByteArray kept_for = QFile::encodeName(dir.filePath(m.captured(1)));
      if (::lstat(kept_for.constData(), &st) == 0) ::unlink(path.constData());
      continue;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlink(path.constData());
    ::close(fd);
  }
}

// Holds an open file for as long as a save runs; its lock tells other saves it is in use.
class HeldFile {
 public:
  explicit HeldFile(int fd) : fd_(fd) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX | LOCK_NB);
  }
  ~HeldFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

CopyResult SaveWorkingCopy(const QString& working_copy, const QString& target, bool replace,
                           QString* error) {
  QString local_error;
  if (error == nullptr) error = &local_error;
  const QString named = QFileInfo(target).absoluteFilePath();
  QString target_file = named;
  struct stat named_stat {};
  const bool named_exists = ::lstat(QFile::encodeName(named).constData(), &named_stat) == 0;
  if (named_exists && S_ISLNK(named_stat.st_mode)) {
    if (!replace) {
      *error = i18n::Tr(N_("the file already exists"));
      return CopyResult::kTargetExists;
    }
    // A link stays a link: the file it points to is what gets saved.
    target_file = QFileInfo(named).canonicalFilePath();
    if (target_file.isEmpty()) {
      *error = i18n::Tr(N_("%1 is a link to a file that is not there; the link is left as it is"))
                   .arg(QDir::toNativeSeparators(named));
      return CopyResult::kFailed;
    }
  }
  const QFileInfo info(target_file);
  const QString shown = QDir::toNativeSeparators(target_file);
  const QString folder = info.absolutePath();
  if (!replace && named_exists) {
    *error = i18n::Tr(N_("the file already exists"));
    return CopyResult::kTargetExists;
  }
  if (!QFileInfo(folder).isDir()) {
    *error = i18n::Tr(N_("the folder %1 does not exist")).arg(QDir::toNativeSeparators(folder));
    return CopyResult::kFailed;
  }
  if (info.isDir()) {
    *error = i18n::Tr(N_("%1 is a folder")).arg(shown);
    return CopyResult::kFailed;
  }
  const QByteArray target_path = QFile::encodeName(target_file);
  struct stat old {};
  const bool had_target = ::stat(target_path.constData(), &old) == 0;
  if (had_target && !S_ISREG(old.st_mode)) {
    *error = i18n::Tr(N_("%1 is not an ordinary file (a device, a pipe or the like); it is left as "
                         "it is"))
                 .arg(shown);
    return CopyResult::kFailed;
  }
  RemoveStraySaves(folder);

  // The temporary file is made here, so it exists only under a name of our own; a replaced file
  // keeps its permissions.
  const QString temp = TemporaryNameBeside(target_file);
  const QByteArray temp_path = QFile::encodeName(temp);
  const HeldFile held(::open(temp_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (held.Get() < 0) {
    *error = ErrnoText(N_("cannot write in the folder %1"), QDir::toNativeSeparators(folder));
    return CopyResult::kFailed;
  }
  auto fail = [&](const QString& why) {
    *error = why;
    RemoveWithCompanions(temp);
    return CopyResult::kFailed;
  };
  if (had_target && ::fchmod(held.Get(), old.st_mode & 07777) != 0)
    return fail(ErrnoText(N_("cannot give the new file the permissions of %1"), shown));

  QString problem;
  if (!WriteCheckedCopy(QFileInfo(working_copy).absoluteFilePath(), temp, shown, &problem))
    return fail(problem);
  if (!SyncFile(temp, &problem, target_file)) return fail(problem);

  // A second name for the old file, so it can be put back if the folder cannot be flushed after
  // the rename. Without hard links there is no such net, and the rename alone decides.
  const QString keep = TemporaryNameBeside(target_file, "old");
  const QByteArray keep_path = QFile::encodeName(keep);
  const bool kept =
      replace && had_target && ::link(target_path.constData(), keep_path.constData()) == 0;

  if (replace) {
    if (::rename(temp_path.constData(), target_path.constData()) != 0) {
      problem = ErrnoText(N_("cannot replace %1"), shown);
      if (kept) ::unlink(keep_path.constData());
      return fail(problem);
    }
  } else if (::link(temp_path.constData(), target_path.constData()) == 0) {
    ::unlink(temp_path.constData());
  } else if (errno == EEXIST) {
    RemoveWithCompanions(temp);
    *error = i18n::Tr(N_("the file already exists"));
    return CopyResult::kTargetExists;
  } else if (::rename(temp_path.constData(), target_path.constData()) != 0) {
    // A file system without hard links: the name was free a moment ago.
    return fail(ErrnoText(N_("cannot create %1"), shown));
  }

  if (!SyncFolder(folder, &problem)) {
    // Undone where it can be, so that a reported failure leaves the old file (or no file) in
    // place; where it cannot, the report says what the file now holds.
    bool undone = false;
    if (kept) {
      undone = ::rename(keep_path.constData(), target_path.constData()) == 0;
    } else if (!had_target || !replace) {
      undone = ::unlink(target_path.constData()) == 0;
    }
    if (undone) {
      *error = problem;
      return CopyResult::kFailed;
    }
    if (kept) ::unlink(keep_path.constData());
    *error = i18n::Tr(N_("%1 now holds the new site, but the disk has not confirmed that it is "
                         "written (%2)"))
                 .arg(shown, problem);
    return CopyResult::kNotConfirmed;
  }
  if (kept) ::unlink(keep_path.constData());
  return CopyResult::kOk;
}

}  // namespace velmora::site
