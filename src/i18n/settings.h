#pragma once

#include <QString>
#include <optional>

namespace velmora::i18n {

// The program's settings: string values under the key "\Software\Velmora" in two hives, the
// user's and the machine's. A hive is a folder; the key is the INI file Velmora/Velmora.ini in
// it, with its values in the [General] section. The key exists when that file exists and can be
// read. Every failure to open the key or to read or write a value is silent: a read gives the
// value's default, a failed write leaves the old value in force.
class Settings {
 public:
  enum class Hive { kUser, kMachine };

  Settings(QString user_folder, QString machine_folder);

  // The user hive is the user's configuration folder (XDG_CONFIG_HOME, else ~/.config); the
  // machine hive is the folder named by VELMORA_MACHINE_CONFIG, else /etc/xdg.
  static Settings FromEnvironment();

  QString KeyFile(Hive hive) const;
  bool KeyExists(Hive hive) const;

  // A value of the key, opened read-only; nothing when the key or the value is missing.
  std::optional<QString> Read(Hive hive, const QString& name) const;
  // Writes a value of the user key, creating the key when it is missing. False when the key
  // cannot be written; a user key that exists but cannot be read is never replaced.
  bool WriteUser(const QString& name, const QString& value) const;

  // "Language" of the user key, "en" when the key or the value is missing.
  QString Language() const;
  // "Country Code" of the user key: "99" when the key exists without the value, empty when
  // the key itself is missing.
  QString CountryCode() const;
  bool WriteCountryCode(const QString& value) const;
  // "Install" of the machine key: the installation folder, empty when missing.
  QString Install() const;

  // Copies "Language" and "Country Code" of the machine key into the user key where the user
  // key lacks them; values the user key holds are never overwritten. Run once at start-up.
  void CopyMachineSettings() const;

 private:
  QString user_folder_;
  QString machine_folder_;
};

inline constexpr const char* kLanguageValue = "Language";
inline constexpr const char* kCountryCodeValue = "Country Code";
inline constexpr const char* kInstallValue = "Install";

}  // namespace velmora::i18n
