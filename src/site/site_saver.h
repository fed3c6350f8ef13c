#pragma once

#include <QString>

#include "site/file_copy.h"

namespace velmora::site {

// Saves the working copy (a closed SQLite file) to a user's file. The database is copied with
// the database's own backup into a temporary file in the target's folder, marked as a site
// document of this program, read back and checked, flushed to disk, renamed over the target
// (without `replace`, put in place only if no file of that name exists) and the folder flushed.
// Any failure (a short or failed write, a full disk, a failed flush, a read-only or vanished
// folder) is returned as kFailed with *error saying what happened in plain words; the target is
// then byte for byte what it was and no temporary file is left. Only when the folder cannot be
// flushed after the rename and the old file cannot be put back is kNotConfirmed returned: the
// target then holds the new document, and *error says so.
// A target that is a link stays a link and the file it points to is saved; a target that is not
// an ordinary file (a device, a pipe) is refused and left alone. Temporary files that an earlier
// save into the same folder left behind when it was killed are removed.
CopyResult SaveWorkingCopy(const QString& working_copy, const QString& target, bool replace,
                           QString* error = nullptr);

}  // namespace velmora::site
