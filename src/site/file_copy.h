#pragma once

#include <QString>

namespace velmora::site {

enum class CopyResult {
  kOk,
  kTargetExists,
  kFailed,
  // The target holds the new file, but the disk did not confirm that it is written (a folder
  // that could not be flushed, with no way left to put the old file back).
  kNotConfirmed,
};

// Copies a whole file. The target is written under a temporary name in its own folder, every
// write is checked, the data is flushed to disk, and only then is it renamed over the target
// and the folder flushed, so the target is always either the complete old file or the complete
// new one. Without `replace`, an existing target is left alone and kTargetExists returned.
// On failure *error says what went wrong and the temporary file is gone.
CopyResult CopyWholeFile(const QString& from, const QString& to, bool replace,
                         QString* error = nullptr);

}  // namespace velmora::site
