// Each layer includes only the layers below it, and only ui/ and app/ see Qt Widgets.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTextStream>

#include "support/test_home.h"

namespace velmora {
namespace {

// Rank of every layer: a file may include a layer of lower or equal rank; layers of one rank
// are siblings and may not include each other (panel and loop; the actions and the reports).
const QMap<QString, int> kRank = {
    {"i18n", 0}, {"site", 1},    {"catalogue", 2}, {"electrical", 3}, {"panel", 4},
    {"loop", 4}, {"workspace", 5}, {"action", 6},  {"reports", 6},    {"ui", 7},
    {"app", 8}};

// Every header Qt Widgets installs, by the names a source includes it with.
QStringList WidgetHeaders() {
  QStringList names;
  for (const QString& name : QDir(QStringLiteral(VELMORA_QT_WIDGETS_HEADERS)).entryList(QDir::Files))
    names << name << "QtWidgets/" + name;
  names << "QtWidgets";
  return names;
}

TEST(LayeringTest, TheWidgetHeadersAreKnown) {
  const QStringList headers = WidgetHeaders();
  for (const char* known : {"QWidget", "qwidget.h", "QTreeWidget", "QUndoView", "QtWidgets/QMenu"})
    EXPECT_TRUE(headers.contains(known)) << known;
  EXPECT_FALSE(headers.contains("QUndoStack"));  // a part of Qt Gui
}

TEST(LayeringTest, NoLayerIncludesOneAboveIt) {
  const QString src = testing::SourcePath("src");
  const QRegularExpression include(R"re(^\s*#\s*include\s*"([a-z0-9_]+)/)re");
  const QRegularExpression system_include(R"re(^\s*#\s*include\s*<([^>]+)>)re");
  const QStringList widget_headers = WidgetHeaders();
  QStringList faults;
  int files = 0;
  QDirIterator it(src, {"*.h", "*.cc"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString layer = QDir(src).relativeFilePath(path).section('/', 0, 0);
    if (!kRank.contains(layer)) continue;
    ++files;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QTextStream in(&file);
    int line_number = 0;
    while (!in.atEnd()) {
      const QString line = in.readLine();
      ++line_number;
      const auto m = include.match(line);
      if (m.hasMatch() && kRank.contains(m.captured(1))) {
        const QString target = m.captured(1);
        const bool sibling = kRank[target] == kRank[layer] && target != layer;
        if (kRank[target] > kRank[layer] || sibling)
          faults << QString("%1:%2 includes %3/").arg(path).arg(line_number).arg(target);
      }
      const auto system = system_include.match(line);
      if (kRank[layer] < kRank["ui"] && system.hasMatch() &&
          widget_headers.contains(system.captured(1)))
        faults << QString("%1:%2 includes <%3> of Qt Widgets")
                      .arg(path)
                      .arg(line_number)
                      .arg(system.captured(1));
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
}

}  // namespace
}  // namespace velmora
