#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "site/database.h"

namespace velmora::ui {

// A read-only grid over the rows of one table, showing chosen columns under their titles. It
// re-reads the table on Reload(); the rows are fetched directly from the store so the shared
// cursors of the views keep their positions.
class ReadOnlyGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct ColumnSpec {
    QString field;
    QString title;  // already translated
    bool centred = true;
  };

  ReadOnlyGridModel(site::Database* db, QString table, std::vector<ColumnSpec> columns,
                    QObject* parent = nullptr);

  void SetColumns(std::vector<ColumnSpec> columns);
  void Reload();

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
};

}  // namespace velmora::ui
