#pragma once

#include <QString>

namespace velmora::site {

// Every relative path of the program starts at one program folder: the folder named by
// VELMORA_HOME when it is set, otherwise the folder of the running executable.
class ProgramFolder {
 public:
  explicit ProgramFolder(QString root);

  // VELMORA_HOME, else the executable's folder (needs a QCoreApplication for the latter).
  static ProgramFolder FromEnvironment();

  const QString& Root() const { return root_; }
  QString Path(const QString& relative) const;

  QString WorkingCopy() const { return Path("DBs/Site.mdb"); }
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
};

inline constexpr const char* kSiteSource = "Velmora Site";
inline constexpr const char* kDataSource = "Velmora Data";
inline constexpr const char* kTranslationSource = "Velmora Translation";
inline constexpr const char* kPrintSource = "Velmora Print";

}  // namespace velmora::site
