#include "ui/read_only_grid_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "electrical/number_format.h"
#include "i18n/display_format.h"
#include "i18n/tr.h"
#include "site/store_error.h"

namespace velmora::ui {
namespace {

// The report's colours of an overload and of a row near a limit.
const QColor kOverloadText{0xb0, 0x00, 0x20};
const QColor kOverloadFill{0xfb, 0xe3, 0xe4};
const QColor kNearLimitText{0x8a, 0x4b, 0x00};
const QColor kNearLimitFill{0xfd, 0xf1, 0xd6};

}  // namespace

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
  standing_ = standings_ ? standings_(rows_) : std::vector<int>();
  endResetModel();
}

void ReadOnlyGridModel::SetStandings(Standings standings, int marked, Hint hint) {
  standings_ = std::move(standings);
  hint_ = std::move(hint);
  marked_ = marked;
  RefreshStandings();
}

void ReadOnlyGridModel::RefreshStandings() {
  std::vector<int> standing = standings_ ? standings_(rows_) : std::vector<int>();
  if (standing == standing_) return;
  standing_ = std::move(standing);
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int ReadOnlyGridModel::StandingOf(int row) const {
  return row >= 0 && row < int(standing_.size()) ? standing_[row] : 0;
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
  const int standing = StandingOf(index.row());
  switch (role) {
    case Qt::DisplayRole:
      break;
    case Qt::ForegroundRole:
      if (standing == 2) return QBrush(kOverloadText);
      if (standing == 1) return QBrush(kNearLimitText);
      return {};
    case Qt::BackgroundRole:
      if (standing == 2) return QBrush(kOverloadFill);
      if (standing == 1) return QBrush(kNearLimitFill);
      return {};
    case Qt::FontRole:
      if (standing == 2) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::ToolTipRole:
      return hint_ ? hint_(rows_, index.row()) : QVariant();
    default:
      return {};
  }
  const int column = indexes_[index.column()];
  if (column < 0) return {};
  const QVariant& value = rows_[index.row()].values[column];
  QString text;
  if (columns_[index.column()].current && value.typeId() == QMetaType::Double) {
    // Rounded as the reports round a current: to whole mA, a half to the even neighbour.
    text = i18n::FormatNumber(electrical::RoundHalfEven(value.toDouble()), 0);
  } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::QDate) {
    text = i18n::FormatValue(value);
  } else if (standing == 0 || index.column() != marked_) {
    return value;
  } else {
    text = value.toString();
  }
  if (index.column() == marked_) {
    // Marks in words and signs too, for whoever cannot tell the colours apart.
    if (standing == 2) text = QStringLiteral("\u26a0 ") + text;
    if (standing == 1) text += ", " + i18n::Tr(N_("near the limit"));
  }
  return text;
}

QVariant ReadOnlyGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size())) return {};
  if (role == Qt::DisplayRole) return columns_[section].title;
  if (role == Qt::TextAlignmentRole && columns_[section].centred) return int(Qt::AlignCenter);
  return {};
}

}  // namespace velmora::ui
