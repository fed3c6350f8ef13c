#include "ui/read_only_grid_model.h"

#include "i18n/display_format.h"
#include "site/store_error.h"

namespace velmora::ui {

ReadOnlyGridModel::ReadOnlyGridModel(site::Database* db, QString table,
                                     std::vector<ColumnSpec> columns, QObject* parent)
    : QAbstractTableModel(parent),
      db_(db),
      table_(std::move(table)),
      columns_(std::move(columns)) {}

void ReadOnlyGridModel::SetColumns(std::vector<ColumnSpec> columns) {
  beginResetModel();
  columns_ = std::move(columns);
  endResetModel();
  Reload();
}

void ReadOnlyGridModel::Reload() {
  beginResetModel();
  rows_.clear();
  indexes_.clear();
  if (db_->IsOpen()) {
    try {
      for (const ColumnSpec& column : columns_)
        indexes_.push_back(db_->ColumnIndex(table_, column.field));
      rows_ = db_->Select(table_);
    } catch (const site::StoreError&) {
      rows_.clear();
    }
  }
  endResetModel();
}

int ReadOnlyGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int ReadOnlyGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columns_.size());
}

QVariant ReadOnlyGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(rows_.size()) ||
      index.column() >= int(indexes_.size()))
    return {};
  if (role == Qt::TextAlignmentRole && columns_[index.column()].centred)
    return int(Qt::AlignCenter);
  if (role != Qt::DisplayRole) return {};
  const int column = indexes_[index.column()];
  if (column < 0) return {};
  const QVariant& value = rows_[index.row()].values[column];
  if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::QDate)
    return i18n::FormatValue(value);
  return value;
}

QVariant ReadOnlyGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size())) return {};
  if (role == Qt::DisplayRole) return columns_[section].title;
  if (role == Qt::TextAlignmentRole && columns_[section].centred) return int(Qt::AlignCenter);
  return {};
}

}  // namespace velmora::ui
