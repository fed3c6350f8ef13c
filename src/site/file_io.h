#pragma once

#include <QByteArray>
#include <QString>

#include "i18n/tr.h"

namespace velmora::site {

// Small POSIX file helpers shared by the whole-file copy, the staging of opened files and the
// saving of the working copy. Every failure is returned as text in plain words.

// What an errno value means to a user ("the disk is full", "the folder no longer exists").
QString PlainError(int error_number);
// "<what>: <plain words>" for the current errno, `what` translated with `subject` (a file or
// folder name) in its place %1. errno is read before anything else can change it.
QString ErrnoText(i18n::Source what, const QString& subject = {});

// Writes all bytes, retrying short writes; false with *error set when a write fails or makes no
// progress.
bool WriteAll(int fd, const char* data, qint64 size, const QString& file, QString* error);
// Copies everything readable from `in` to `out`; false with *error set on a failed read or write.
bool CopyDescriptor(int in, int out, const QString& from, const QString& to, QString* error);
// fsync of an open file; false with *error set.
bool SyncDescriptor(int fd, const QString& file, QString* error);
// Opens a file by name only to flush it to disk; a failure names `shown` (default: the file).
bool SyncFile(const QString& file, QString* error, const QString& shown = {});
// Flushes a folder, so a rename or a new name in it is on disk.
bool SyncFolder(const QString& folder, QString* error);

// A name for a temporary file beside `target` in its folder: ".<name>.<random>.tmp".
QString TemporaryNameBeside(const QString& target, const char* suffix = "tmp");

// A name under which the program reaches the file named by `raw` (the bytes of a command-line
// argument): the decoded name when it decodes and encodes back to the same bytes, else (a name
// that is not valid in the system's encoding) the link `alias` made to it, with links for the
// log and journal SQLite keeps beside it. Empty when the link cannot be made.
QString ReachableName(const QByteArray& raw, const QString& alias);

// Removes a file and the journal files SQLite keeps beside it.
void RemoveWithCompanions(const QString& file);

}  // namespace velmora::site
