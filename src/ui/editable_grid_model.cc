#include "ui/editable_grid_model.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <algorithm>

#include "i18n/display_format.h"
#include "i18n/tr.h"
#include "site/prompter.h"
#include "site/store_error.h"
#include "site/table.h"

namespace velmora::ui {

EditableGridModel::EditableGridModel(site::Database& db, QString table,
                                     std::vector<ColumnSpec> shown, RowSource source, Writer writer,
                                     site::Prompter& prompter, QObject* parent)
    : QAbstractTableModel(parent),
      db_(db),
      table_(std::move(table)),
      shown_(std::move(shown)),
      source_(std::move(source)),
      writer_(std::move(writer)),
      prompter_(prompter) {}

QString EditableGridModel::Field(int column) const {
  if (column < 0 || column >= int(order_.size())) return QString();
  const int index = order_[column];
  if (index < 0) return QString::fromUtf8(shown_[column].field);
  return columns_[index].name;
}

const site::Row* EditableGridModel::RowAt(int row) const {
  return row >= 0 && row < int(rows_.size()) ? &rows_[row] : nullptr;
}

int EditableGridModel::Column(const QString& field) const {
  for (int i = 0; i < int(columns_.size()); ++i) {
    if (columns_[i].name.compare(field, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

void EditableGridModel::ReadColumns() {
  columns_.clear();
  order_.clear();
  if (!db_.IsOpen()) return;
  columns_ = db_.Columns(table_);
  std::vector<bool> taken(columns_.size(), false);
  for (const ColumnSpec& spec : shown_) {
    const int index = Column(spec.field);
    order_.push_back(index);
    if (index >= 0) taken[index] = true;
  }
  for (int i = 0; i < int(columns_.size()); ++i) {
    if (!taken[i]) order_.push_back(i);
  }
}

std::vector<site::Row> EditableGridModel::Read() {
  if (!db_.IsOpen() || !source_) return {};
  try {
    return source_();
  } catch (const site::StoreError&) {
    return {};
  }
}

void EditableGridModel::Reset() {
  beginResetModel();
  rows_.clear();
  try {
    ReadColumns();
  } catch (const site::StoreError&) {
    columns_.clear();
    order_.clear();
  }
  rows_ = Read();
  endResetModel();
}

void EditableGridModel::Sync() {
  if (writing_) return;
  if (!db_.IsOpen() || columns_.empty()) {
    Reset();
    return;
  }
  std::vector<site::Row> fresh = Read();
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
  if (column < 0 || column >= int(rows_[index.row()].values.size())) return {};
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
  if (unchanged || !writer_) return false;
  writing_ = true;
  writer_(index.row(), column.name, converted);
  writing_ = false;
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
  // A caption wider than its column goes on over a second line rather than being cut.
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter | Qt::TextWordWrap);
  if (section < ShownColumnCount()) {
    if (role == Qt::DisplayRole) return shown_[section].title.Translated();
    if (role == kEnglishSourceRole) return QString::fromUtf8(shown_[section].title.English());
    return {};
  }
  if (role == Qt::DisplayRole) return Field(section);
  return {};
}

void SetColumnWidths(QTableView* view, const std::vector<int>& widths) {
  QHeaderView* header = view->horizontalHeader();
  QAbstractItemModel* model = view->model();
  const QFontMetrics metrics(header->font());
  const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 4;
  bool wraps = false;
  for (int c = 0; c < int(widths.size()) && c < model->columnCount(); ++c) {
    const QString caption = model->headerData(c, Qt::Horizontal).toString();
    int word = 0;
    for (const QString& w : caption.split(' ', Qt::SkipEmptyParts))
      word = std::max(word, metrics.horizontalAdvance(w));
    const int width = std::max(widths[c], word + margin);
    view->setColumnWidth(c, width);
    wraps = wraps || metrics.horizontalAdvance(caption) + margin > width;
  }
  header->setMinimumHeight(wraps ? 2 * metrics.lineSpacing() + margin : 0);
}

}  // namespace velmora::ui
