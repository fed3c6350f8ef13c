#pragma once

#include <QString>

#include "site/site_file_check.h"

namespace velmora::site {

// Brings a site file from outside in, without ever opening the file itself: its bytes (with a
// write-ahead log or rollback journal lying beside it) are copied into a private folder next to
// `staged`, the copy is settled into a single file in rollback mode (replaying or rolling back
// what lay beside it), checked with CheckSiteFile, flushed, and only then renamed to `staged`.
// Returns an empty text when `staged` now holds the checked copy; otherwise what is wrong in
// plain words, with `staged` and the source untouched and nothing left behind.
//
// Only what the database reads is copied: up to the length the header states, and never more
// than the size limit, whatever size the file claims. A log or journal that does not belong to
// the file (the file cannot be read with it, but can without) is ignored.
QString StageSiteFile(const QString& source, const QString& staged,
                      const SiteFileLimits& limits = {});

// Removes the staging folders (".incoming-*") in `folder` that a killed run left behind; those of
// a staging still running are locked and kept.
void RemoveAbandonedStaging(const QString& folder);

// Takes the lock that marks a folder as in use for as long as the returned descriptor is open;
// -1 when the folder is gone or locked by another run.
int LockFolder(const QByteArray& path);

}  // namespace velmora::site
