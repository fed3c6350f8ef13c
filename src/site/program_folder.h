#pragma once

#include <QString>

namespace velmora::site {

// Every relative path of the program starts at one program folder: the folder named by
// VELMORA_HOME when it is set, otherwise the folder of the running executable. The parts the
// program writes (DBs/, Sites/, LoopLog.txt) may live in a per-user copy instead (WritableFor).
class ProgramFolder {
 public:
  explicit ProgramFolder(QString root);

  // VELMORA_HOME, else the executable's folder (needs a QCoreApplication for the latter).
  static ProgramFolder FromEnvironment();

  // This folder when the program can write in it. Otherwise (an installed copy in a read-only
  // folder) the same installation with its writable parts in `user_folder` (UserDataFolder() when
  // empty): on first start the files of DBs/ are copied there and Sites/ is made; later starts
  // use what is there. When even that fails, this folder, with *error saying why.
  ProgramFolder WritableFor(QString* error = nullptr, const QString& user_folder = {}) const;
  // The same installation with its writable parts in `data_root`.
  ProgramFolder WithDataRoot(const QString& data_root) const;
  // XDG_DATA_HOME (else ~/.local/share) followed by "Velmora".
  static QString UserDataFolder();
  // Whether the program can create and remove files in the folder and in its DBs/.
  static bool CanWriteIn(const QString& folder);

  const QString& Root() const { return root_; }
  // Where DBs/, Sites/ and LoopLog.txt are: Root(), or the per-user copy.
  const QString& DataRoot() const { return data_root_; }
  bool UsesUserCopy() const { return data_root_ != root_; }
  // A path below the program folder; DBs/..., Sites/... and LoopLog.txt are below DataRoot().
  QString Path(const QString& relative) const;

  // DBs/Site.mdb, or the working copy of this run (WithWorkingCopy).
  QString WorkingCopy() const {
    return working_copy_.isEmpty() ? Path("DBs/Site.mdb") : working_copy_;
  }
  // The same folder with the working copy elsewhere (each run of the desktop program has its
  // own, see SessionFolder).
  ProgramFolder WithWorkingCopy(const QString& file) const;
  QString Template() const { return Path("DBs/CleanSite.mdb"); }
  QString Catalogue() const { return Path("DBs/Catalogue.db"); }
  QString Translation() const { return Path("DBs/Translation.db"); }
  QString PrintStore() const { return Path("DBs/Print.db"); }
  QString SitesFolder() const { return Path("Sites"); }
  QString LocaleFolder() const { return Path("locale"); }
  QString LoopLog() const { return Path("LoopLog.txt"); }

  // The file behind a data source name ("Velmora Site", "Velmora Data", "Velmora Translation",
  // "Velmora Print"); empty for an unknown name.
  QString DataSourceFile(const QString& data_source) const;

 private:
  QString root_;
  QString data_root_;
  QString working_copy_;
};

inline constexpr const char* kSiteSource = "Velmora Site";
inline constexpr const char* kDataSource = "Velmora Data";
inline constexpr const char* kTranslationSource = "Velmora Translation";
inline constexpr const char* kPrintSource = "Velmora Print";

}  // namespace velmora::site
