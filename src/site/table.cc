#include "site/table.h"

#include <cmath>

#include "i18n/tr.h"
#include "site/cells.h"
#include "site/store_error.h"

namespace velmora::site {

Table::Table(Database* db, QString name) : db_(db), name_(std::move(name)) {}

void Table::SetName(const QString& name) {
  Close();
  name_ = name;
}

void Table::Open() {
  if (open_) return;
  if (!db_->IsOpen())
    throw StoreError(i18n::Tr(N_("Data source %1 is not open")).arg(db_->DataSource()));
  db_->Columns(name_);  // throws when the table does not exist
  open_ = true;
  Load(0);
  pos_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
}

void Table::Close() {
  if (!open_) return;
  if (db_->IsOpen() && state_ != State::kBrowse) {
    try {
      Post();
    } catch (...) {
      Cancel();
    }
  }
  state_ = State::kBrowse;
  open_ = false;
  rows_.clear();
  pos_ = 0;
  bof_ = eof_ = true;
}

void Table::EnsureOpen() {
  if (!open_) throw StoreError(i18n::Tr(N_("Table %1 is not open")).arg(name_));
}

void Table::EnsureFresh() {
  EnsureOpen();
  if (state_ == State::kBrowse && generation_ != db_->Generation(name_)) {
    Load(rows_.empty() || pos_ >= int(rows_.size()) ? 0 : rows_[pos_].rowid);
  }
}

void Table::Load(qint64 keep_rowid) {
  const int old_pos = pos_;
  generation_ = db_->Generation(name_);
  rows_ = db_->Select(name_, filtered_ ? filter_ : Filter(), sort_);
  generation_ = db_->Generation(name_);
  pos_ = -1;
  if (keep_rowid != 0) {
    for (int i = 0; i < int(rows_.size()); ++i) {
      if (rows_[i].rowid == keep_rowid) {
        pos_ = i;
        break;
      }
    }
  }
  if (pos_ < 0) pos_ = std::clamp(old_pos, 0, std::max(0, int(rows_.size()) - 1));
  if (rows_.empty()) {
    pos_ = 0;
    bof_ = eof_ = true;
  }
}

void Table::MarkOwnWrite(quint64 before) {
  // This cursor's cache already holds its own write; only a write by someone else makes it stale.
  if (generation_ == before) generation_ = db_->Generation(name_);
}

void Table::SetFilter(const Filter& filter) {
  if (open_ && state_ != State::kBrowse) Post();
  filter_ = filter;
  if (open_ && filtered_) Refresh();
}

void Table::SetFiltered(bool on) {
  if (open_ && state_ != State::kBrowse) Post();
  if (filtered_ == on) return;
  filtered_ = on;
  if (open_) {
    Load(0);
    First();
  }
}

void Table::SetSort(const QString& column) {
  if (open_ && state_ != State::kBrowse) Post();
  sort_ = column;
  if (open_) {
    Load(0);
    First();
  }
}

void Table::Refresh() {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  Load(rows_.empty() || pos_ >= int(rows_.size()) ? 0 : rows_[pos_].rowid);
  if (!rows_.empty()) bof_ = eof_ = false;
}

void Table::First() {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  pos_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
}

void Table::Next() {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  bof_ = false;
  if (pos_ + 1 < int(rows_.size())) {
    ++pos_;
  } else {
    eof_ = true;
  }
}

void Table::Prior() {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  eof_ = false;
  if (pos_ > 0) {
    --pos_;
  } else {
    bof_ = true;
  }
  if (rows_.empty()) eof_ = true;
}

void Table::Last() {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  pos_ = std::max(0, int(rows_.size()) - 1);
  bof_ = rows_.empty();
  eof_ = true;
}

bool Table::Eof() {
  EnsureFresh();
  return eof_ || rows_.empty();
}

bool Table::Bof() {
  EnsureFresh();
  return bof_ || rows_.empty();
}

bool Table::IsEmpty() {
  EnsureFresh();
  return rows_.empty() && state_ != State::kInsert;
}

int Table::RecordCount() {
  EnsureFresh();
  return int(rows_.size());
}

int Table::RecNo() {
  EnsureFresh();
  if (state_ == State::kInsert) return int(rows_.size()) + 1;
  return rows_.empty() ? 0 : pos_ + 1;
}

void Table::SetRecNo(int rec_no) {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  if (rows_.empty()) return;
  pos_ = std::clamp(rec_no - 1, 0, int(rows_.size()) - 1);
  bof_ = eof_ = false;
}

bool Table::Locate(const QString& column, const QVariant& value, Match match) {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  const int index = Index(column);
  const Column& col = db_->Columns(name_)[index];
  QVariant wanted = value;
  try {
    wanted = Convert(col, value);
  } catch (const StoreError&) {
    return false;
  }
  for (int i = 0; i < int(rows_.size()); ++i) {
    const QVariant& cell = rows_[i].values[index];
    bool equal;
    if (match == Match::kCaseInsensitive && col.type == ColumnType::kText) {
      equal =
          !cell.isNull() && cell.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0;
    } else {
      equal = !cell.isNull() && !wanted.isNull() && CompareValues(cell, wanted) == 0;
    }
    if (equal) {
      pos_ = i;
      bof_ = eof_ = false;
      return true;
    }
  }
  return false;
}

qint64 Table::Bookmark() {
  EnsureFresh();
  if (rows_.empty() || pos_ >= int(rows_.size())) return 0;
  return rows_[pos_].rowid;
}

bool Table::GotoBookmark(qint64 bookmark) {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  for (int i = 0; i < int(rows_.size()); ++i) {
    if (rows_[i].rowid == bookmark) {
      pos_ = i;
      bof_ = eof_ = false;
      return true;
    }
  }
  return false;
}

const std::vector<Row>& Table::Rows() {
  EnsureFresh();
  return rows_;
}

const std::vector<Column>& Table::Columns() { return db_->Columns(name_); }

int Table::FieldCount() { return int(Columns().size()); }

QStringList Table::FieldNames() {
  QStringList names;
  for (const Column& column : Columns()) names << column.name;
  return names;
}

bool Table::HasField(const QString& column) { return db_->ColumnIndex(name_, column) >= 0; }

int Table::Index(const QString& column) {
  const int index = db_->ColumnIndex(name_, column);
  if (index < 0) throw StoreError(i18n::Tr(N_("Table %1 has no column %2")).arg(name_, column));
  return index;
}

const QVariant& Table::Cell(const QString& column) {
  static const QVariant kEmpty;
  EnsureFresh();
  const int index = Index(column);
  if (state_ != State::kBrowse) return buffer_.values[index];
  if (rows_.empty() || pos_ >= int(rows_.size())) return kEmpty;
  return rows_[pos_].values[index];
}

QVariant Table::Value(const QString& column) { return Cell(column); }

bool Table::IsNull(const QString& column) { return Cell(column).isNull(); }

qint64 Table::Int(const QString& column) { return CellInt(Cell(column)); }

double Table::Real(const QString& column) { return CellReal(Cell(column)); }

QString Table::Text(const QString& column) { return CellText(Cell(column)); }

bool Table::Bool(const QString& column) { return CellBool(Cell(column)); }

QDate Table::Date(const QString& column) {
  const QVariant& v = Cell(column);
  if (v.isNull()) return QDate();
  return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

QVariant Table::Convert(const Column& column, const QVariant& value) {
  if (value.isNull() || !value.isValid()) return QVariant();
  const bool is_text = value.typeId() == QMetaType::QString;
  const QString text = is_text ? value.toString().trimmed() : QString();
  switch (column.type) {
    case ColumnType::kInteger: {
      if (is_text) {
        if (text.isEmpty()) return QVariant();
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok)
          throw StoreError(i18n::Tr(N_("'%1' is not a valid integer value")).arg(value.toString()));
        return n;
      }
      if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
          throw StoreError(i18n::Tr(N_("'%1' is not a valid integer value")).arg(d));
        return qint64(std::llround(d));
      }
      return value.toLongLong();
    }
    case ColumnType::kReal: {
      if (is_text) {
        if (text.isEmpty()) return QVariant();
        bool ok = false;
        const double d = text.toDouble(&ok);  // QString::toDouble always reads '.' decimals
        if (!ok || !std::isfinite(d))
          throw StoreError(
              i18n::Tr(N_("'%1' is not a valid floating point value")).arg(value.toString()));
        return d;
      }
      return value.toDouble();
    }
    case ColumnType::kBool: {
      if (is_text) {
        if (text.compare("true", Qt::CaseInsensitive) == 0) return qint64(1);
        if (text.compare("false", Qt::CaseInsensitive) == 0) return qint64(0);
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (!ok)
          throw StoreError(i18n::Tr(N_("'%1' is not a valid boolean value")).arg(value.toString()));
        return qint64(d != 0.0 ? 1 : 0);
      }
      return qint64(value.toDouble() != 0.0 ? 1 : 0);
    }
    case ColumnType::kDate:
      if (value.typeId() == QMetaType::QDate) return value.toDate().toString(Qt::ISODate);
      if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date().toString(Qt::ISODate);
      return value.toString();
    case ColumnType::kText:
      if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 15);
      if (value.typeId() == QMetaType::Bool) return value.toBool() ? "True" : "False";
      return value.toString();
  }
  return value;
}

void Table::SetValue(const QString& column, const QVariant& value) {
  EnsureOpen();
  const int index = Index(column);
  const Column& col = db_->Columns(name_)[index];
  const QVariant converted = Convert(col, value);
  if (state_ == State::kBrowse) Edit();
  buffer_.values[index] = converted;
  if (std::find(changed_.begin(), changed_.end(), index) == changed_.end())
    changed_.push_back(index);
}

void Table::Append() {
  EnsureOpen();
  if (state_ != State::kBrowse) Post();
  EnsureFresh();
  state_ = State::kInsert;
  buffer_.rowid = 0;
  buffer_.values.assign(Columns().size(), QVariant());
  changed_.clear();
}

void Table::Edit() {
  EnsureOpen();
  if (state_ != State::kBrowse) return;
  EnsureFresh();
  if (rows_.empty() || pos_ >= int(rows_.size()))
    throw StoreError(i18n::Tr(N_("Table %1 has no current row to edit")).arg(name_));
  state_ = State::kEdit;
  buffer_ = rows_[pos_];
  changed_.clear();
}

void Table::Post() {
  EnsureOpen();
  if (state_ == State::kBrowse) return;
  const quint64 before = generation_;
  std::vector<std::pair<int, QVariant>> values;
  for (int index : changed_) values.emplace_back(index, buffer_.values[index]);
  if (state_ == State::kInsert) {
    const qint64 rowid = db_->Insert(name_, values);
    Row row;
    if (!db_->ReadRow(name_, rowid, &row)) row = buffer_;
    rows_.push_back(row);
    pos_ = int(rows_.size()) - 1;
  } else {
    db_->Update(name_, buffer_.rowid, values);
    if (pos_ < int(rows_.size())) rows_[pos_] = buffer_;
  }
  state_ = State::kBrowse;
  changed_.clear();
  bof_ = eof_ = false;
  MarkOwnWrite(before);
}

void Table::Cancel() {
  state_ = State::kBrowse;
  changed_.clear();
}

void Table::Delete() {
  EnsureOpen();
  if (state_ == State::kInsert) {
    Cancel();
    return;
  }
  if (state_ == State::kEdit) Cancel();
  EnsureFresh();
  if (rows_.empty() || pos_ >= int(rows_.size())) return;
  const quint64 before = generation_;
  db_->Delete(name_, rows_[pos_].rowid);
  rows_.erase(rows_.begin() + pos_);
  if (pos_ >= int(rows_.size())) {
    pos_ = std::max(0, int(rows_.size()) - 1);
    eof_ = true;
  }
  if (rows_.empty()) bof_ = eof_ = true;
  MarkOwnWrite(before);
}

}  // namespace velmora::site
