#include "ui/window_memory.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace velmora::ui {
namespace {

constexpr const char* kRecentSitesValue = "RecentSites";

}  // namespace

WindowMemory::WindowMemory(const i18n::Settings& settings)
    : file_(QFileInfo(settings.KeyFile(i18n::Settings::Hive::kUser)).dir().filePath("Window.ini")) {
}

QVariant WindowMemory::Value(const QString& name) const {
  if (!QFileInfo(file_).isFile()) return {};
  const QSettings store(file_, QSettings::IniFormat);
  if (store.status() != QSettings::NoError) return {};
  return store.value(name);
}

void WindowMemory::SetValue(const QString& name, const QVariant& value) const {
  const QFileInfo info(file_);
  if (info.exists() && !info.isFile()) return;
  if (!QDir().mkpath(info.absolutePath())) return;
  QSettings store(file_, QSettings::IniFormat);
  if (store.status() != QSettings::NoError) return;
  store.setValue(name, value);
  store.sync();
}

QByteArray WindowMemory::Bytes(const QString& name) const {
  const QVariant value = Value(name);
  return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

void WindowMemory::SetBytes(const QString& name, const QByteArray& value) const {
  SetValue(name, value);
}

QList<double> WindowMemory::Numbers(const QString& name) const {
  QList<double> numbers;
  for (const QString& text : Value(name).toStringList()) {
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok) return {};
    numbers << number;
  }
  return numbers;
}

void WindowMemory::SetNumbers(const QString& name, const QList<double>& values) const {
  QStringList texts;
  for (double v : values) texts << QString::number(v, 'g', 6);
  SetValue(name, texts);
}

QStringList WindowMemory::RecentSites() const {
  QStringList files;
  for (const QString& file : Value(kRecentSitesValue).toStringList()) {
    if (!file.isEmpty() && !files.contains(file) && files.size() < kRecentSites) files << file;
  }
  return files;
}

void WindowMemory::SetRecentSites(const QStringList& files) const {
  // A list of one would come back as a plain text; a list it stays.
  SetValue(kRecentSitesValue, QVariant(files));
}

QStringList WindowMemory::WithRecent(QStringList files, const QString& file) {
  files.removeAll(file);
  files.prepend(file);
  while (files.size() > kRecentSites) files.removeLast();
  return files;
}

}  // namespace velmora::ui
