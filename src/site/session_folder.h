#pragma once

#include <QString>

#include "site/program_folder.h"

namespace velmora::site {

// The working copy of one running copy of the desktop program. Each run works in a folder of its
// own, DBs/Session-XXXXXX with the working copy Site.mdb in it, locked for as long as the run
// lasts, so that two copies of the program started on the same program folder never work on, and
// never save, each other's site. Folders of runs that ended without removing theirs (a crash, a
// kill) hold no lock; the next start removes them, and the staging folders such runs left in
// DBs/ too.
class SessionFolder {
 public:
  explicit SessionFolder(const ProgramFolder& folder);
  ~SessionFolder();
  SessionFolder(const SessionFolder&) = delete;
  SessionFolder& operator=(const SessionFolder&) = delete;

  bool IsValid() const { return lock_ >= 0; }
  // Why no folder could be made, in plain words.
  const QString& Error() const { return error_; }
  // The program folder with its working copy in this run's folder.
  const ProgramFolder& Folder() const { return folder_; }

  // Removes the session folders below `dbs` that no running copy holds.
  static void RemoveAbandoned(const QString& dbs);

 private:
  ProgramFolder folder_;
  QString path_;
  QString error_;
  int lock_ = -1;
};

}  // namespace velmora::site
