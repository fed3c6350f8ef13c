#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "site/filter.h"

struct sqlite3;

namespace velmora::site {

class Statement;

enum class ColumnType { kInteger, kReal, kText, kBool, kDate };

struct Column {
  QString name;
  QString declared_type;
  ColumnType type = ColumnType::kText;
};

// The column type the store treats a declared SQL type as.
ColumnType ColumnTypeOf(const QString& declared_type);

// One stored row: its rowid and the values of every column in column order.
struct Row {
  qint64 rowid = 0;
  std::vector<QVariant> values;
};

struct OpenOptions {
  bool read_only = false;
  // The file came from outside: no trusted schema, defensive mode, no triggers or views run,
  // cell sizes checked, tight limits on sizes and statements, and a time limit.
  bool untrusted = false;
  // For an untrusted file: how long all statements of the connection may take together, in
  // milliseconds; a statement still running then is stopped.
  int time_limit_ms = 30000;
};

// One recorded write of a table: enough to make it again or to take it back exactly, the row's
// identity (rowid) included, so rows come back in their places and order.
struct JournalEntry {
  enum class Op { kInsert, kUpdate, kDelete };
  Op op = Op::kUpdate;
  QString table;
  qint64 rowid = 0;
  // Insert and delete: every column of the row. Update: the columns written, before and after.
  std::vector<std::pair<int, QVariant>> before;
  std::vector<std::pair<int, QVariant>> after;
};
using Journal = std::vector<JournalEntry>;

// One connection of the table store to one data source (one SQLite file). All SQL of the
// program is built here and in Table; values are always bound, identifiers always quoted.
class Database {
 public:
  Database(QString data_source, QString file);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const QString& DataSource() const { return data_source_; }
  const QString& FileName() const { return file_; }
  void SetFileName(const QString& file);

  // Opens the file (creating it unless read-only). Throws StoreError on failure.
  void Open(const OpenOptions& options = {});
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* Handle() const { return db_; }
  // True once a statement of an untrusted connection was stopped for running out of time.
  bool TimedOut() const { return timed_out_; }

  QStringList TableNames();
  bool HasTable(const QString& name);  // without regard to case
  // The real spelling of a table name given in any case; empty when there is none.
  QString ResolveTable(const QString& name);

  const std::vector<Column>& Columns(const QString& table);
  // Index of a column, compared without regard to case; -1 when absent.
  int ColumnIndex(const QString& table, const QString& column);

  // Transactions nest: the outermost level is a real transaction, inner levels are savepoints.
  void Begin();
  void Commit();
  void Rollback();
  int TransactionDepth() const { return depth_; }

  // A data-definition statement as the program words it ("ALTER TABLE 2010_2_PanelCompatibility
  // ADD COLUMN Prot3 TEXT(15)", "CREATE TABLE [Apollo] (...)"), carried out in SQLite's dialect.
  void ExecuteDdl(const QString& statement);

  std::vector<Row> Select(const QString& table, const Filter& filter = {},
                          const QString& sort_column = {});
  qint64 Count(const QString& table, const Filter& filter = {});
  // Reads one row by rowid; false when it is gone.
  bool ReadRow(const QString& table, qint64 rowid, Row* row);
  // Inserts a row with the given column values (other columns take their defaults).
  qint64 Insert(const QString& table, const std::vector<std::pair<int, QVariant>>& values);
  void Update(const QString& table, qint64 rowid,
              const std::vector<std::pair<int, QVariant>>& values);
  void Delete(const QString& table, qint64 rowid);
  // Deletes every row matching the filter (all rows for an empty filter).
  void DeleteWhere(const QString& table, const Filter& filter = {});

  // Runs a statement of the store itself (schema work, pragmas). Not for use outside site/.
  void Execute(const QString& sql, const std::vector<QVariant>& binds = {});
  QVariant QueryValue(const QString& sql, const std::vector<QVariant>& binds = {});

  // While a journal is kept, every row written through Insert, Update, Delete and DeleteWhere is
  // recorded (tables named in `excluded` are not: scratch tables rebuilt from the others). A
  // rollback takes the records of what it undid out again.
  void StartJournal(const QStringList& excluded = {});
  bool Journaling() const { return journaling_; }
  // Stops recording and hands the records over.
  Journal TakeJournal();
  // Takes recorded writes back (newest first) or makes them again (oldest first). Writes only,
  // in the caller's transaction; throws StoreError when a row is not as recorded.
  void ApplyJournal(const Journal& journal, bool forward);

  // Bumped by every write to a table; cursors compare it to know when to re-read.
  quint64 Generation(const QString& table) const;

 private:
  Statement& Prepare(const QString& sql);
  [[noreturn]] void Fail(const QString& what);
  [[noreturn]] void NotOpen() const;
  static int Progress(void* self);
  void Touch(const QString& table);
  bool Records(const QString& table) const;
  qint64 InsertRow(const QString& table, qint64 rowid,
                   const std::vector<std::pair<int, QVariant>>& values);
  void TouchAll();
  QString TableKey(const QString& table) const;

  // The columns of one table as read from its schema, with their indices by lower-cased name
  // and, for a name that lower-casing does not merge with another, by the name as stored.
  struct Schema {
    std::vector<Column> columns;
    QHash<QString, int> index;
    QHash<QString, int> stored;
  };
  // The statement text of an insert: whether it names the rowid, and the columns it names.
  struct InsertText {
    bool rowid = false;
    std::vector<int> columns;
    QString sql;
  };
  // A table under one spelling of its name, as the callers write it: its key, its schema and
  // the texts of the inserts made into it so far (they name the table as spelled).
  struct Spelling {
    QString key;
    std::shared_ptr<const Schema> schema;
    std::vector<InsertText> inserts;
  };
  Spelling& SpellingOf(const QString& table);
  QString InsertSql(Spelling& spelling, const QString& table, bool rowid,
                    const std::vector<std::pair<int, QVariant>>& values);
  // Forgets the schema of one table (by key), or of all tables.
  void ForgetSchema(const QString& key);
  void ForgetSchemas();

  QString data_source_;
  QString file_;
  sqlite3* db_ = nullptr;
  int depth_ = 0;
  std::chrono::steady_clock::time_point deadline_;
  bool timed_out_ = false;
  QHash<QString, std::shared_ptr<Statement>> statements_;
  QHash<QString, std::shared_ptr<const Schema>> schemas_;  // by table key
  QHash<QString, Spelling> spellings_;                     // by the name as spelled
  QHash<QString, quint64> generations_;
  quint64 counter_ = 1;
  quint64 epoch_ = 1;
  bool journaling_ = false;
  QStringList journal_excluded_;
  Journal journal_;
  std::vector<size_t> journal_marks_;  // journal size at each open transaction level
};

// Value comparison of the store: an empty value is smaller than any number and equal to another
// empty value; numbers compare as numbers, everything else as text.
int CompareValues(const QVariant& a, const QVariant& b);

// Whether a stored value is a number (integer, real or yes/no) rather than a text or empty.
bool IsNumberValue(const QVariant& value);

}  // namespace velmora::site
