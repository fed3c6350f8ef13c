#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "site/database.h"
#include "site/filter.h"

namespace velmora::site {

// A cursor over one table of a data source, the way the program's views and operations walk
// tables: first/next/last, locate, append/edit/store/delete, a filter switched on and off, a sort
// column, and a remembered row. Rows are read once per change of the table and kept in stored
// (rowid) order or in sort order. Moving to another row stores a pending edit first.
class Table {
 public:
  enum class State { kBrowse, kEdit, kInsert };
  enum class Match { kExact, kCaseInsensitive };

  Table(Database* db, QString name);
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  Database* Db() const { return db_; }
  const QString& Name() const { return name_; }
  // Closes the cursor and points it at another table (the device catalogue switches tables).
  void SetName(const QString& name);

  void Open();
  void Close();
  bool IsOpen() const { return open_; }

  void SetFilter(const Filter& filter);
  const Filter& GetFilter() const { return filter_; }
  void SetFiltered(bool on);
  bool Filtered() const { return filtered_; }
  void SetSort(const QString& column);
  const QString& Sort() const { return sort_; }
  // Reads the rows again, staying on the current row where it still exists.
  void Refresh();

  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof();
  bool Bof();
  bool IsEmpty();
  int RecordCount();  // rows visible through the filter
  int RecNo();        // 1-based position of the current row; 0 when there is none
  void SetRecNo(int rec_no);
  bool Locate(const QString& column, const QVariant& value, Match match = Match::kExact);

  // The current row's identity, to come back to it after a scan.
  qint64 Bookmark();
  bool GotoBookmark(qint64 bookmark);

  // The rows as this cursor sees them (filter and sort applied, re-read when the table has
  // changed), without moving the cursor: for readers that scan a table behind a caller's back.
  const std::vector<Row>& Rows();
  // Index of a column in Row::values, without regard to case; -1 when absent.
  int FieldIndex(const QString& column) { return db_->ColumnIndex(name_, column); }

  int FieldCount();
  QStringList FieldNames();
  bool HasField(const QString& column);
  const std::vector<Column>& Columns();

  QVariant Value(const QString& column);
  bool IsNull(const QString& column);
  qint64 Int(const QString& column);    // empty reads 0
  double Real(const QString& column);   // empty reads 0
  QString Text(const QString& column);  // empty reads ""
  bool Bool(const QString& column);     // empty reads false
  QDate Date(const QString& column);

  // Writes a value into the current row (entering edit state), converted to the column's type.
  // Throws StoreError when the value does not convert.
  void SetValue(const QString& column, const QVariant& value);

  void Append();  // a new row at the end, stored by Post
  void Edit();
  void Post();
  void Cancel();
  void Delete();  // deletes the current row
  State GetState() const { return state_; }

  // Convert a value to the type of a column as SetValue does; throws StoreError.
  static QVariant Convert(const Column& column, const QVariant& value);

 private:
  void EnsureOpen();
  void EnsureFresh();
  void Load(qint64 keep_rowid);
  int Index(const QString& column);
  const QVariant& Cell(const QString& column);
  void MarkOwnWrite(quint64 before);

  Database* db_;
  QString name_;
  bool open_ = false;
  Filter filter_;
  bool filtered_ = false;
  QString sort_;
  std::vector<Row> rows_;
  int pos_ = 0;  // index into rows_; rows_.size() when past the end
  bool bof_ = true;
  bool eof_ = true;
  quint64 generation_ = 0;
  State state_ = State::kBrowse;
  Row buffer_;
  std::vector<int> changed_;
};

// Runs a piece of work in a transaction of one data source: committed when the scope is left
// normally, rolled back when it is left by an exception.
class Transaction {
 public:
  explicit Transaction(Database* db) : db_(db) { db_->Begin(); }
  ~Transaction() {
    if (!done_) {
      try {
        db_->Rollback();
      } catch (...) {
      }
    }
  }
  void Commit() {
    db_->Commit();
    done_ = true;
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

 private:
  Database* db_;
  bool done_ = false;
};

}  // namespace velmora::site
