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
QString StageSiteFile(const QString& source, const QString& staged,
                      const SiteFileLimits& limits = {});

}  // namespace velmora::site
