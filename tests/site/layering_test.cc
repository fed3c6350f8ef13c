// Each layer includes only the layers below it, and only ui/ and app/ see QtWidgets.
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

// Rank of every layer: a file may include a layer of lower or equal rank; panel and loop are
// siblings and may not include each other.
const QMap<QString, int> kRank = {{"i18n", 0},  {"site", 1}, {"catalogue", 2}, {"electrical", 3},
                                  {"panel", 4}, {"loop", 4}, {"workspace", 5}, {"reports", 6},
                                  {"ui", 7},    {"app", 8}};

TEST(LayeringTest, NoLayerIncludesOneAboveIt) {
  const QString src = testing::SourcePath("src");
  const QRegularExpression include(R"re(^\s*#\s*include\s*"([a-z0-9_]+)/)re");
  const QRegularExpression widgets(
      R"re(^\s*#\s*include\s*<(QtWidgets/|Q(Widget|MainWindow|Dialog|MessageBox|Application|PushButton|Label|TreeView|TableView|ComboBox|LineEdit)\b))re");
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
      if (kRank[layer] < kRank["ui"] && widgets.match(line).hasMatch())
        faults << QString("%1:%2 includes QtWidgets").arg(path).arg(line_number);
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
}

}  // namespace
}  // namespace velmora
