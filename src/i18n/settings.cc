#include "i18n/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <utility>

namespace velmora::i18n {
namespace {

constexpr const char* kKeyFile = "Velmora/Velmora.ini";

// The key opened read-only: QSettings writes nothing back as long as no value is set.
std::optional<QMap<QString, QString>> ReadKey(const QString& path) {
  if (!QFileInfo(path).isFile()) return std::nullopt;
  QFile probe(path);
  if (!probe.open(QIODevice::ReadOnly)) return std::nullopt;
  probe.close();
  const QSettings key(path, QSettings::IniFormat);
  if (key.status() != QSettings::NoError) return std::nullopt;
  QMap<QString, QString> values;
  for (const QString& name : key.childKeys()) {
    const QVariant value = key.value(name);
    // A hand-written value with an unquoted comma comes back as a list.
    if (value.typeId() == QMetaType::QStringList) {
      values.insert(name, value.toStringList().join(QStringLiteral(", ")));
    } else if (value.canConvert<QString>()) {
      values.insert(name, value.toString());
    }
  }
  return values;
}

bool WriteKey(const QString& path, const QList<QPair<QString, QString>>& values) {
  const QFileInfo info(path);
  if (info.exists()) {
    QFile probe(path);
    if (!info.isFile() || !probe.open(QIODevice::ReadOnly)) return false;
  }
  if (!QDir().mkpath(info.absolutePath())) return false;
  QSettings key(path, QSettings::IniFormat);
  if (key.status() != QSettings::NoError) return false;
  for (const auto& [name, value] : values) key.setValue(name, value);
  key.sync();
  return key.status() == QSettings::NoError;
}

}  // namespace

Settings::Settings(QString user_folder, QString machine_folder)
    : user_folder_(std::move(user_folder)), machine_folder_(std::move(machine_folder)) {}

Settings Settings::FromEnvironment() {
  QString machine = qEnvironmentVariable("VELMORA_MACHINE_CONFIG");
  if (machine.isEmpty()) machine = QStringLiteral("/etc/xdg");
  return Settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), machine);
}

QString Settings::KeyFile(Hive hive) const {
  return QDir(hive == Hive::kUser ? user_folder_ : machine_folder_).filePath(kKeyFile);
}

bool Settings::KeyExists(Hive hive) const { return ReadKey(KeyFile(hive)).has_value(); }

std::optional<QString> Settings::Read(Hive hive, const QString& name) const {
  const auto key = ReadKey(KeyFile(hive));
  if (!key || !key->contains(name)) return std::nullopt;
  return key->value(name);
}

bool Settings::WriteUser(const QString& name, const QString& value) const {
  return WriteKey(KeyFile(Hive::kUser), {{name, value}});
}

QString Settings::Language() const {
  return Read(Hive::kUser, kLanguageValue).value_or(QStringLiteral("en"));
}

QString Settings::CountryCode() const {
  const auto key = ReadKey(KeyFile(Hive::kUser));
  if (!key) return QString();
  return key->value(kCountryCodeValue, QStringLiteral("99"));
}

bool Settings::WriteCountryCode(const QString& value) const {
  return WriteUser(kCountryCodeValue, value);
}

QString Settings::Install() const {
  return Read(Hive::kMachine, kInstallValue).value_or(QString());
}

void Settings::CopyMachineSettings() const {
  const auto machine = ReadKey(KeyFile(Hive::kMachine));
  if (!machine) return;
  QList<QPair<QString, QString>> missing;
  const auto user = ReadKey(KeyFile(Hive::kUser));
  for (const char* name : {kLanguageValue, kCountryCodeValue}) {
    if (machine->contains(name) && !(user && user->contains(name))) {
      missing.append({name, machine->value(name)});
    }
  }
  if (!missing.isEmpty()) WriteKey(KeyFile(Hive::kUser), missing);
}

}  // namespace velmora::i18n
