#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

#include "site/database.h"

namespace velmora::ui {

// A read-only grid over the rows of one table, showing chosen columns under their titles. It
// re-reads the table on Reload(); the rows are fetched directly from the store so the shared
// cursors of the views keep their positions. Rows can stand out as the reports show them: an
// overload in red and bold on a tinted band with a warning sign before the text of the marked
// column, a row near a limit in amber with "near the limit" after that text.
class ReadOnlyGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct ColumnSpec {
    QString field;
    QString title;  // already translated
    bool centred = true;
    bool current = false;  // a current in mA, shown in whole mA as the reports print it
  };
  // How each row stands (as electrical::Standing: 0 plain, 1 near a limit, 2 overloaded), worked
  // out from the rows just read.
  using Standings = std::function<std::vector<int>(const std::vector<site::Row>& rows)>;
  // The hint of a row, asked for only when it is to be shown.
  using Hint = std::function<QString(const std::vector<site::Row>& rows, int row)>;

  ReadOnlyGridModel(site::Database* db, QString table, std::vector<ColumnSpec> columns,
                    QObject* parent = nullptr);

  void SetColumns(std::vector<ColumnSpec> columns);
  void Reload();
  // Rows stand out by `standings`; the marks go with the text of column `marked`.
  void SetStandings(Standings standings, int marked, Hint hint = {});
  // Works the standings out again from the rows read last: results can change without the table.
  void RefreshStandings();
  int StandingOf(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  site::Database* db_;
  QString table_;
  std::vector<ColumnSpec> columns_;
  std::vector<int> indexes_;
  std::vector<site::Row> rows_;
  Standings standings_;
  Hint hint_;
  int marked_ = -1;
  std::vector<int> standing_;
};

}  // namespace velmora::ui
