#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "i18n/settings.h"

namespace velmora::ui {

// What the main window keeps from one run to the next: its size and place, the splitter
// positions, the grids' column widths and the sites last opened or saved. They live in a file of
// their own, Velmora/Window.ini beside the settings key in the user's configuration folder: the
// key's mere existence changes what a missing "Country Code" reads, so the window never writes
// into it. Every failure is silent: a value that cannot be read is its default, one that cannot
// be written is simply not kept.
class WindowMemory {
 public:
  // The most recent sites the File menu offers.
  static constexpr int kRecentSites = 5;

  explicit WindowMemory(const i18n::Settings& settings);

  const QString& File() const { return file_; }

  QByteArray Bytes(const QString& name) const;
  void SetBytes(const QString& name, const QByteArray& value) const;
  // Numbers kept as a list (column shares): empty when missing or not all numbers.
  QList<double> Numbers(const QString& name) const;
  void SetNumbers(const QString& name, const QList<double>& values) const;

  // The recent sites, most recent first.
  QStringList RecentSites() const;
  void SetRecentSites(const QStringList& files) const;

  // `files` with `file` in front, its earlier place dropped, at most kRecentSites long.
  static QStringList WithRecent(QStringList files, const QString& file);

 private:
  QVariant Value(const QString& name) const;
  void SetValue(const QString& name, const QVariant& value) const;

  QString file_;
};

}  // namespace velmora::ui
