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
// then byte for byte what it was and no temporary file is left.
CopyResult SaveWorkingCopy(const QString& working_copy, const QString& target, bool replace,
                           QString* error = nullptr);

}  // namespace velmora::site
