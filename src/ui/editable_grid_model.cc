#include "ui/editable_grid_model.h"

#include "i18n/display_format.h"
#include "i18n/tr.h"
#include "site/prompter.h"
#include "site/store_error.h"
#include "site/table.h"

namespace velmora::ui {

EditableGridModel::EditableGridModel(site::Table& cursor, std::vector<ColumnSpec> shown,
                                     site::Prompter& prompter, QObject* parent)
    : QAbstractTableModel(parent), cursor_(cursor), shown_(std::move(shown)), prompter_(prompter) {}

QString EditableGridModel::Field(int column) const {
  if (column < 0 || column >= int(order_.size())) return QString();
  const int index = order_[column];
  if (index < 0) return QString::fromUtf8(shown_[column].field);
  return columns_[index].name;
}

void EditableGridModel::ReadColumns() {
  columns_.clear();
  order_.clear();
  if (!cursor_.IsOpen()) return;
  columns_ = cursor_.Columns();
  std::vector<bool> taken(columns_.size(), false);
  for (const ColumnSpec& spec : shown_) {
    const int index = cursor_.FieldIndex(spec.field);
    order_.push_back(index);
    if (index >= 0) taken[index] = true;
  }
  for (int i = 0; i < int(columns_.size()); ++i) {
    if (!taken[i]) order_.push_back(i);
  }
}

void EditableGridModel::Reset() {
  beginResetModel();
  rows_.clear();
  try {
    ReadColumns();
    if (cursor_.IsOpen()) rows_ = cursor_.Rows();
  } catch (const site::StoreError&) {
    rows_.clear();
  }
  endResetModel();
}

void EditableGridModel::Sync() {
  if (in_set_data_) return;
  std::vector<site::Row> fresh;
  try {
    if (!cursor_.IsOpen() || int(cursor_.Columns().size()) != int(columns_.size())) {
      Reset();
      return;
    }
    fresh = cursor_.Rows();
  } catch (const site::StoreError&) {
    Reset();
    return;
  }
  bool same = fresh.size() == rows_.size();
  for (size_t i = 0; same && i < fresh.size(); ++i) same = fresh[i].rowid == rows_[i].rowid;
  if (!same) {
    beginResetModel();
    rows_ = std::move(fresh);
    endResetModel();
    return;
  }
  // The same rows: only their values are shown again, the grid keeps its place.
  rows_ = std::move(fresh);
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void EditableGridModel::SetCurrentRow(int row) {
  if (row < 0 || row >= int(rows_.size())) return;
  try {
    if (cursor_.Bookmark() != rows_[row].rowid) cursor_.GotoBookmark(rows_[row].rowid);
  } catch (const site::StoreError& error) {
    cursor_.Cancel();
    prompter_.Warn(i18n::Tr(N_("The change could not be stored and has been undone.")) + "\n" +
                   error.Message());
  }
}

int EditableGridModel::CursorRow() {
  if (!cursor_.IsOpen()) return -1;
  const qint64 bookmark = cursor_.Bookmark();
  for (int i = 0; i < int(rows_.size()); ++i) {
    if (rows_[i].rowid == bookmark) return i;
  }
  return -1;
}

int EditableGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int EditableGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(order_.size());
}

QVariant EditableGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(rows_.size()) || index.column() >= int(order_.size()))
    return {};
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const int column = order_[index.column()];
  if (column < 0) return {};
  const QVariant& value = rows_[index.row()].values[column];
  if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::QDate)
    return i18n::FormatValue(value);
  return value;
}

bool EditableGridModel::setData(const QModelIndex& index, const QVariant& raw, int role) {
  if (!index.isValid() || role != Qt::EditRole || index.row() >= int(rows_.size()) ||
      index.column() >= ShownColumnCount() || !shown_[index.column()].editable)
    return false;
  const int table_column = order_[index.column()];
  if (table_column < 0) return false;
  const site::Column& column = columns_[table_column];
  QVariant value = raw;
  if (value.typeId() == QMetaType::QString && column.type != site::ColumnType::kText) {
    const QString text = value.toString().trimmed();
    value = text.isEmpty() ? QVariant() : QVariant(text);
    // A number typed as the grid shows it ("2,5" in German) is taken as well as the C form.
    if (column.type == site::ColumnType::kReal && !text.isEmpty()) {
      if (const std::optional<double> number = i18n::ParseNumber(text)) value = *number;
    }
  }
  QVariant converted;
  try {
    converted = site::Table::Convert(column, value);
  } catch (const site::StoreError&) {
    const QString text = raw.toString();
    if (column.type == site::ColumnType::kInteger) {
      prompter_.Warn(i18n::Tr(N_("'%1' is not a valid integer value")).arg(text));
    } else {
      prompter_.Warn(i18n::Tr(N_("'%1' is not a valid floating point value")).arg(text));
    }
    return false;
  }
  // A cell left as it was is no change of its field (an empty choice and a blank one alike).
  const QVariant& stored = rows_[index.row()].values[table_column];
  const bool unchanged =
      column.type == site::ColumnType::kText
          ? converted.toString().trimmed() == stored.toString().trimmed()
          : converted.isNull() == stored.isNull() && site::CompareValues(converted, stored) == 0;
  if (unchanged) return false;
  in_set_data_ = true;
  try {
    SetCurrentRow(index.row());
    // The reactions to the field run from the store's change notification of this write.
    cursor_.SetValue(column.name, converted);
    if (cursor_.GetState() != site::Table::State::kBrowse) cursor_.Post();
  } catch (const site::StoreError& error) {
    cursor_.Cancel();
    prompter_.Warn(i18n::Tr(N_("The change could not be stored and has been undone.")) + "\n" +
                   error.Message());
  }
  in_set_data_ = false;
  Sync();
  return true;
}

Qt::ItemFlags EditableGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() < ShownColumnCount() && shown_[index.column()].editable)
    flags |= Qt::ItemIsEditable;
  return flags;
}

QVariant EditableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= int(order_.size())) return {};
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  if (section < ShownColumnCount()) {
    if (role == Qt::DisplayRole) return shown_[section].title.Translated();
    if (role == kEnglishSourceRole) return QString::fromUtf8(shown_[section].title.English());
    return {};
  }
  if (role == Qt::DisplayRole) return Field(section);
  return {};
}

}  // namespace velmora::ui
