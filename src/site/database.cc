#include "site/database.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <utility>

#include "i18n/tr.h"
#include "site/statement.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

// Limits for a file from outside. They are generous for a site document (a few dozen columns,
// short statements, values of at most a few kilobytes) and stop a crafted file from making a
// statement, a value or a schema entry grow without bound.
struct Limit {
  int id;
  int value;
};
constexpr Limit kUntrustedLimits[] = {
    {SQLITE_LIMIT_LENGTH, 16 * 1024 * 1024},
    {SQLITE_LIMIT_SQL_LENGTH, 1000000},
    {SQLITE_LIMIT_COLUMN, 500},
    {SQLITE_LIMIT_EXPR_DEPTH, 100},
    {SQLITE_LIMIT_COMPOUND_SELECT, 3},
    {SQLITE_LIMIT_VDBE_OP, 200000},
    {SQLITE_LIMIT_FUNCTION_ARG, 8},
    {SQLITE_LIMIT_ATTACHED, 0},
    {SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 50},
    {SQLITE_LIMIT_VARIABLE_NUMBER, 100},
    {SQLITE_LIMIT_TRIGGER_DEPTH, 1},
    {SQLITE_LIMIT_WORKER_THREADS, 0},
};

// Virtual machine steps between two looks at the clock.
constexpr int kProgressSteps = 1000;

}  // namespace

ColumnType ColumnTypeOf(const QString& declared_type) {
  const QString t = declared_type.toUpper();
  if (t.startsWith("BIT") || t.startsWith("YESNO") || t.startsWith("BOOL") ||
      t.startsWith("LOGICAL"))
    return ColumnType::kBool;
  if (t.contains("INT") || t == "SHORT" || t == "LONG" || t == "BYTE" || t == "WORD" ||
      t == "COUNTER" || t == "AUTOINCREMENT")
    return ColumnType::kInteger;
  if (t.startsWith("FLOAT") || t.startsWith("REAL") || t.startsWith("DOUBLE") ||
      t.startsWith("CURRENCY") || t.startsWith("NUMERIC") || t.startsWith("DECIMAL") ||
      t.startsWith("BCD") || t.startsWith("EXTENDED") || t.startsWith("SINGLE"))
    return ColumnType::kReal;
  if (t.startsWith("DATE")) return ColumnType::kDate;
  return ColumnType::kText;
}

bool IsNumberValue(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
      return true;
    default:
      return false;
  }
}

int CompareValues(const QVariant& a, const QVariant& b) {
  const bool a_null = a.isNull() || !a.isValid();
  const bool b_null = b.isNull() || !b.isValid();
  if (a_null || b_null) return a_null == b_null ? 0 : (a_null ? -1 : 1);
  if (IsNumberValue(a) && IsNumberValue(b)) {
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  const QString x = a.toString();
  const QString y = b.toString();
  return x < y ? -1 : (x > y ? 1 : 0);
}

Database::Database(QString data_source, QString file)
    : data_source_(std::move(data_source)), file_(std::move(file)) {}

Database::~Database() { Close(); }

void Database::SetFileName(const QString& file) {
  Close();
  file_ = file;
}

void Database::Open(const OpenOptions& options) {
  if (db_ != nullptr) return;
  // An absolute path keeps SQLite from reading a name such as "file:..." as a URI.
  const QByteArray path = QFile::encodeName(QFileInfo(file_).absoluteFilePath());
  const int flags =
      (options.read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
      SQLITE_OPEN_NOMUTEX;
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close(db);
    throw StoreError(i18n::Tr(N_("Cannot open %1: %2")).arg(file_, message), message);
  }
  db_ = db;
  sqlite3_extended_result_codes(db_, 1);
  // Nothing stored in any file may run: no trigger fires and no view is read on any connection,
  // the program's own files included (they have none; a working copy is a file from outside).
  // Functions in a schema run only where they cannot harm, and no extension is ever loaded.
  struct Switch {
    int op;
    int value;
  };
  std::vector<Switch> switches = {{SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
                                  {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
                                  {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
                                  {SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0},
                                  {SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0}};
  if (options.untrusted) switches.push_back({SQLITE_DBCONFIG_DEFENSIVE, 1});
  for (const Switch& s : switches) {
    int now = -1;
    if (sqlite3_db_config(db_, s.op, s.value, &now) != SQLITE_OK || now != s.value) {
      Close();
      throw StoreError(
          i18n::Tr(N_("Cannot open %1: the database engine refused a safety setting")).arg(file_));
    }
  }
  if (options.untrusted) {
    for (const Limit& limit : kUntrustedLimits) sqlite3_limit(db_, limit.id, limit.value);
    timed_out_ = false;
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.time_limit_ms);
    sqlite3_progress_handler(db_, kProgressSteps, &Database::Progress, this);
    // Checks every cell's size against its page as it is read, so a damaged page is refused
    // instead of being read past its end; a small page cache bounds the memory a file can take.
    if (sqlite3_exec(db_, "PRAGMA cell_size_check = ON; PRAGMA cache_size = -8192", nullptr,
                     nullptr, nullptr) != SQLITE_OK ||
        QueryValue("PRAGMA cell_size_check").toLongLong() != 1) {
      const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
      Close();
      throw StoreError(i18n::Tr(N_("Cannot open %1: %2")).arg(file_, message), message);
    }
  }
  sqlite3_busy_timeout(db_, 2000);
  ForgetSchemas();
  TouchAll();
}

void Database::Close() {
  if (db_ == nullptr) return;
  statements_.clear();
  if (depth_ > 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  depth_ = 0;
  journal_marks_.clear();
  sqlite3_close_v2(db_);
  db_ = nullptr;
  ForgetSchemas();
  TouchAll();
}

int Database::Progress(void* self) {
  auto* db = static_cast<Database*>(self);
  if (std::chrono::steady_clock::now() < db->deadline_) return 0;
  db->timed_out_ = true;
  return 1;
}

void Database::Fail(const QString& what) {
  const QString detail =
      db_ ? EngineFailure(db_, sqlite3_extended_errcode(db_)) : i18n::Tr(N_("not open"));
  throw StoreError(QString("%1: %2").arg(what, detail), detail);
}

void Database::NotOpen() const {
  throw StoreError(i18n::Tr(N_("Data source %1 is not open")).arg(data_source_));
}

Statement& Database::Prepare(const QString& sql) {
  if (db_ == nullptr) NotOpen();
  auto it = statements_.find(sql);
  if (it != statements_.end()) {
    it.value()->Reset();
    return *it.value();
  }
  auto stmt = std::make_shared<Statement>();
  if (stmt->Prepare(db_, sql, true) != SQLITE_OK) Fail(i18n::Tr(N_("Statement refused")));
  statements_.insert(sql, stmt);
  return *stmt;
}

void Database::Execute(const QString& sql, const std::vector<QVariant>& binds) {
  if (db_ == nullptr) NotOpen();
  if (binds.empty()) {
    const QByteArray utf8 = sql.toUtf8();
    char* error = nullptr;
    if (sqlite3_exec(db_, utf8.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
      const QString message =
          error ? QString::fromUtf8(error) : EngineFailure(db_, sqlite3_extended_errcode(db_));
      sqlite3_free(error);
      throw StoreError(i18n::Tr(N_("Statement refused: %1")).arg(message), message);
    }
    return;
  }
  Statement& stmt = Prepare(sql);
  stmt.Bind(binds);
  int rc;
  while ((rc = stmt.Step()) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    stmt.Reset();
    Fail(i18n::Tr(N_("Statement failed")));
  }
  stmt.Reset();
}

QVariant Database::QueryValue(const QString& sql, const std::vector<QVariant>& binds) {
  Statement& stmt = Prepare(sql);
  stmt.Bind(binds);
  QVariant value;
  const int rc = stmt.Step();
  if (rc == SQLITE_ROW) {
    value = stmt.Value(0);
  } else if (rc != SQLITE_DONE) {
    stmt.Reset();
    Fail(i18n::Tr(N_("Query failed")));
  }
  stmt.Reset();
  return value;
}

QStringList Database::TableNames() {
  QStringList names;
  Statement& stmt = Prepare(
      "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
      "ORDER BY rowid");
  int rc;
  while ((rc = stmt.Step()) == SQLITE_ROW) names << stmt.Value(0).toString();
  stmt.Reset();
  if (rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot list the tables")));
  return names;
}

bool Database::HasTable(const QString& name) { return !ResolveTable(name).isEmpty(); }

QString Database::ResolveTable(const QString& name) {
  for (const QString& table : TableNames()) {
    if (table.compare(name, Qt::CaseInsensitive) == 0) return table;
  }
  return QString();
}

Database::Spelling& Database::SpellingOf(const QString& table) {
  const auto known = spellings_.find(table);
  if (known != spellings_.end()) return known.value();
  const QString key = table.toLower();
  std::shared_ptr<const Schema> schema = schemas_.value(key);
  if (!schema) {
    auto read = std::make_shared<Schema>();
    std::vector<Column>& columns = read->columns;
    Statement& stmt = Prepare("SELECT name, type FROM pragma_table_info(?) ORDER BY cid");
    stmt.Bind({table});
    int rc;
    while ((rc = stmt.Step()) == SQLITE_ROW) {
      Column column;
      column.name = stmt.Value(0).toString();
      column.declared_type = stmt.Value(1).toString();
      column.type = ColumnTypeOf(column.declared_type);
      columns.push_back(column);
    }
    stmt.Reset();
    if (rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot read the columns of %1")).arg(table));
    if (columns.empty()) throw StoreError(i18n::Tr(N_("There is no table %1")).arg(table));
    for (int i = 0; i < int(columns.size()); ++i) read->index.insert(columns[i].name.toLower(), i);
    // A name as stored finds its column directly, unless another name lower-cases the same.
    for (int i = 0; i < int(columns.size()); ++i) {
      if (read->index.value(columns[i].name.toLower()) == i)
        read->stored.insert(columns[i].name, i);
    }
    schema = read;
    schemas_.insert(key, schema);
  }
  return spellings_.insert(table, Spelling{key, schema, {}}).value();
}

void Database::ForgetSchema(const QString& key) {
  schemas_.remove(key);
  spellings_.removeIf([&key](const auto& it) { return it.value().key == key; });
}

void Database::ForgetSchemas() {
  schemas_.clear();
  spellings_.clear();
}

QString Database::TableKey(const QString& table) const {
  const auto known = spellings_.constFind(table);
  return known != spellings_.cend() ? known.value().key : table.toLower();
}

const std::vector<Column>& Database::Columns(const QString& table) {
  return SpellingOf(table).schema->columns;
}

int Database::ColumnIndex(const QString& table, const QString& column) {
  const Schema& schema = *SpellingOf(table).schema;
  const auto stored = schema.stored.constFind(column);
  if (stored != schema.stored.cend()) return stored.value();
  return schema.index.value(column.toLower(), -1);
}

void Database::Begin() {
  journal_marks_.push_back(journal_.size());
  if (depth_ == 0) {
    Execute("BEGIN");
  } else {
    Execute(QString("SAVEPOINT level%1").arg(depth_));
  }
  ++depth_;
}

void Database::Commit() {
  if (depth_ == 0) return;
  --depth_;
  if (!journal_marks_.empty()) journal_marks_.pop_back();
  if (depth_ == 0) {
    Execute("COMMIT");
  } else {
    Execute(QString("RELEASE level%1").arg(depth_));
  }
}

void Database::Rollback() {
  if (depth_ == 0) return;
  --depth_;
  if (!journal_marks_.empty()) {
    // What the rollback undid was never written.
    if (journal_marks_.back() < journal_.size()) journal_.resize(journal_marks_.back());
    journal_marks_.pop_back();
  }
  if (depth_ == 0) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  } else {
    const QByteArray sql = QString("ROLLBACK TO level%1; RELEASE level%1").arg(depth_).toUtf8();
    sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr);
  }
  // The schema and any cached rows may have changed back.
  ForgetSchemas();
  TouchAll();
}

void Database::ExecuteDdl(const QString& statement) {
  static const QRegularExpression alter(
      R"(^\s*ALTER\s+TABLE\s+(\[[^\]]+\]|"[^"]+"|\S+)\s+ADD\s+COLUMN\s+(\[[^\]]+\]|"[^"]+"|\S+)\s+(.*?)\s*;?\s*$)",
      QRegularExpression::CaseInsensitiveOption);
  auto bare = [](QString name) {
    if ((name.startsWith('[') && name.endsWith(']')) ||
        (name.startsWith('"') && name.endsWith('"')))
      name = name.mid(1, name.size() - 2);
    return name;
  };
  QString sql = statement;
  const QRegularExpressionMatch m = alter.match(statement);
  if (m.hasMatch()) {
    const QString table = bare(m.captured(1));
    const QString column = bare(m.captured(2));
    QString type = m.captured(3);
    // SQLite only adds a NOT NULL column that has a default; a new yes/no column reads false.
    if (type.contains(
            QRegularExpression("NOT\\s+NULL", QRegularExpression::CaseInsensitiveOption)) &&
        !type.contains("DEFAULT", Qt::CaseInsensitive)) {
      type += ColumnTypeOf(type) == ColumnType::kText ? " DEFAULT ''" : " DEFAULT 0";
    }
    sql = QString("ALTER TABLE %1 ADD COLUMN %2 %3")
              .arg(QuoteIdentifier(table), QuoteIdentifier(column), type);
    Execute(sql);
    ForgetSchema(TableKey(table));
    Touch(table);
    return;
  }
  // CREATE TABLE [Name] ([Col] TYPE, ...): SQLite reads bracketed names as identifiers.
  Execute(sql);
  ForgetSchemas();
  TouchAll();
}

std::vector<Row> Database::Select(const QString& table, const Filter& filter,
                                  const QString& sort_column) {
  const std::vector<Column>& columns = Columns(table);
  QString sql = "SELECT rowid";
  for (const Column& column : columns) sql += ", " + QuoteIdentifier(column.name);
  sql += " FROM " + QuoteIdentifier(table);
  std::vector<QVariant> binds;
  if (!filter.IsEmpty()) sql += " WHERE " + filter.Sql(&binds);
  sql += " ORDER BY ";
  if (!sort_column.isEmpty()) sql += QuoteIdentifier(sort_column) + ", ";
  sql += "rowid";
  Statement& stmt = Prepare(sql);
  stmt.Bind(binds);
  std::vector<Row> rows;
  const int n = int(columns.size());
  int rc;
  while ((rc = stmt.Step()) == SQLITE_ROW) {
    Row row;
    row.rowid = stmt.Int64(0);
    row.values.reserve(n);
    for (int i = 0; i < n; ++i) row.values.push_back(stmt.Value(i + 1));
    rows.push_back(std::move(row));
  }
  stmt.Reset();
  if (rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot read table %1")).arg(table));
  return rows;
}

qint64 Database::Count(const QString& table, const Filter& filter) {
  Columns(table);
  QString sql = "SELECT count(*) FROM " + QuoteIdentifier(table);
  std::vector<QVariant> binds;
  if (!filter.IsEmpty()) sql += " WHERE " + filter.Sql(&binds);
  return QueryValue(sql, binds).toLongLong();
}

bool Database::ReadRow(const QString& table, qint64 rowid, Row* row) {
  const std::vector<Column>& columns = Columns(table);
  QString sql = "SELECT rowid";
  for (const Column& column : columns) sql += ", " + QuoteIdentifier(column.name);
  sql += " FROM " + QuoteIdentifier(table) + " WHERE rowid = ?";
  Statement& stmt = Prepare(sql);
  stmt.Bind({rowid});
  const int rc = stmt.Step();
  bool found = false;
  if (rc == SQLITE_ROW) {
    row->rowid = stmt.Int64(0);
    row->values.clear();
    for (int i = 0; i < int(columns.size()); ++i) row->values.push_back(stmt.Value(i + 1));
    found = true;
  }
  stmt.Reset();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot read table %1")).arg(table));
  return found;
}

qint64 Database::Insert(const QString& table, const std::vector<std::pair<int, QVariant>>& values) {
  const qint64 rowid = InsertRow(table, 0, values);
  if (Records(table)) {
    Row row;
    JournalEntry entry{JournalEntry::Op::kInsert, table, rowid, {}, {}};
    if (ReadRow(table, rowid, &row)) {
      for (int i = 0; i < int(row.values.size()); ++i) entry.after.emplace_back(i, row.values[i]);
    }
    journal_.push_back(std::move(entry));
  }
  return rowid;
}

qint64 Database::InsertRow(const QString& table, qint64 rowid,
                           const std::vector<std::pair<int, QVariant>>& values) {
  const QString sql = InsertSql(SpellingOf(table), table, rowid != 0, values);
  std::vector<QVariant> binds;
  binds.reserve(values.size() + 1);
  if (rowid != 0) binds.push_back(rowid);
  for (const auto& [index, value] : values) binds.push_back(value);
  Statement& stmt = Prepare(sql);
  stmt.Bind(binds);
  const int rc = stmt.Step();
  stmt.Reset();
  if (rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot add a row to %1")).arg(table));
  Touch(table);
  return sqlite3_last_insert_rowid(db_);
}

// The text is made once for each set of columns and kept with the table's schema: rows are
// mostly written many at a time with the same columns.
QString Database::InsertSql(Spelling& spelling, const QString& table, bool rowid,
                            const std::vector<std::pair<int, QVariant>>& values) {
  for (const InsertText& known : spelling.inserts) {
    if (known.rowid == rowid && known.columns.size() == values.size() &&
        std::equal(values.begin(), values.end(), known.columns.begin(),
                   [](const auto& value, int index) { return value.first == index; }))
      return known.sql;
  }
  const std::vector<Column>& columns = spelling.schema->columns;
  InsertText text;
  text.rowid = rowid;
  text.sql = "INSERT INTO " + QuoteIdentifier(table);
  if (values.empty() && !rowid) {
    text.sql += " DEFAULT VALUES";
  } else {
    QString names;
    QString marks;
    if (rowid) {
      names = "rowid";
      marks = "?";
    }
    for (const auto& [index, value] : values) {
      if (!names.isEmpty()) {
        names += ", ";
        marks += ", ";
      }
      names += QuoteIdentifier(columns.at(index).name);
      marks += "?";
      text.columns.push_back(index);
    }
    text.sql += " (" + names + ") VALUES (" + marks + ")";
  }
  spelling.inserts.push_back(text);
  return text.sql;
}

void Database::Update(const QString& table, qint64 rowid,
                      const std::vector<std::pair<int, QVariant>>& values) {
  if (values.empty()) return;
  const std::vector<Column>& columns = Columns(table);
  JournalEntry entry{JournalEntry::Op::kUpdate, table, rowid, {}, values};
  const bool record = Records(table);
  if (record) {
    Row old;
    if (ReadRow(table, rowid, &old)) {
      for (const auto& [index, value] : values)
        entry.before.emplace_back(index, old.values.at(index));
    }
  }
  QString sql = "UPDATE " + QuoteIdentifier(table) + " SET ";
  std::vector<QVariant> binds;
  bool first = true;
  for (const auto& [index, value] : values) {
    if (!first) sql += ", ";
    first = false;
    sql += QuoteIdentifier(columns.at(index).name) + " = ?";
    binds.push_back(value);
  }
  sql += " WHERE rowid = ?";
  binds.push_back(rowid);
  Statement& stmt = Prepare(sql);
  stmt.Bind(binds);
  const int rc = stmt.Step();
  stmt.Reset();
  if (rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot store a row of %1")).arg(table));
  Touch(table);
  if (record && !entry.before.empty()) journal_.push_back(std::move(entry));
}

void Database::Delete(const QString& table, qint64 rowid) {
  Columns(table);
  const bool record = Records(table);
  JournalEntry entry{JournalEntry::Op::kDelete, table, rowid, {}, {}};
  if (record) {
    Row old;
    if (ReadRow(table, rowid, &old)) {
      for (int i = 0; i < int(old.values.size()); ++i) entry.before.emplace_back(i, old.values[i]);
    }
  }
  Statement& stmt = Prepare("DELETE FROM " + QuoteIdentifier(table) + " WHERE rowid = ?");
  stmt.Bind({rowid});
  const int rc = stmt.Step();
  stmt.Reset();
  if (rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot delete a row of %1")).arg(table));
  Touch(table);
  if (record && !entry.before.empty()) journal_.push_back(std::move(entry));
}

void Database::DeleteWhere(const QString& table, const Filter& filter) {
  Columns(table);
  std::vector<Row> gone;
  if (Records(table)) gone = Select(table, filter);
  QString sql = "DELETE FROM " + QuoteIdentifier(table);
  std::vector<QVariant> binds;
  if (!filter.IsEmpty()) sql += " WHERE " + filter.Sql(&binds);
  Statement& stmt = Prepare(sql);
  stmt.Bind(binds);
  const int rc = stmt.Step();
  stmt.Reset();
  if (rc != SQLITE_DONE) Fail(i18n::Tr(N_("Cannot delete rows of %1")).arg(table));
  Touch(table);
  for (Row& row : gone) {
    JournalEntry entry{JournalEntry::Op::kDelete, table, row.rowid, {}, {}};
    for (int i = 0; i < int(row.values.size()); ++i)
      entry.before.emplace_back(i, std::move(row.values[i]));
    journal_.push_back(std::move(entry));
  }
}

bool Database::Records(const QString& table) const {
  if (!journaling_) return false;
  for (const QString& excluded : journal_excluded_) {
    if (excluded.compare(table, Qt::CaseInsensitive) == 0) return false;
  }
  return true;
}

void Database::StartJournal(const QStringList& excluded) {
  journaling_ = true;
  journal_excluded_ = excluded;
  journal_.clear();
  journal_marks_.assign(size_t(depth_), 0);
}

Journal Database::TakeJournal() {
  journaling_ = false;
  journal_marks_.clear();
  return std::exchange(journal_, {});
}

void Database::ApplyJournal(const Journal& journal, bool forward) {
  auto apply = [&](const JournalEntry& e) {
    using Op = JournalEntry::Op;
    const bool insert = forward ? e.op == Op::kInsert : e.op == Op::kDelete;
    const bool remove = forward ? e.op == Op::kDelete : e.op == Op::kInsert;
    if (insert) {
      InsertRow(e.table, e.rowid, forward ? e.after : e.before);
    } else if (remove) {
      Statement& stmt = Prepare("DELETE FROM " + QuoteIdentifier(e.table) + " WHERE rowid = ?");
      stmt.Bind({e.rowid});
      const int rc = stmt.Step();
      stmt.Reset();
      if (rc != SQLITE_DONE || sqlite3_changes(db_) != 1)
        Fail(i18n::Tr(N_("Cannot take back a row of %1")).arg(e.table));
      Touch(e.table);
    } else {
      const std::vector<std::pair<int, QVariant>>& values = forward ? e.after : e.before;
      const std::vector<Column>& columns = Columns(e.table);
      QString sql = "UPDATE " + QuoteIdentifier(e.table) + " SET ";
      std::vector<QVariant> binds;
      for (const auto& [index, value] : values) {
        if (!binds.empty()) sql += ", ";
        sql += QuoteIdentifier(columns.at(index).name) + " = ?";
        binds.push_back(value);
      }
      sql += " WHERE rowid = ?";
      binds.push_back(e.rowid);
      Statement& stmt = Prepare(sql);
      stmt.Bind(binds);
      const int rc = stmt.Step();
      stmt.Reset();
      if (rc != SQLITE_DONE || sqlite3_changes(db_) != 1)
        Fail(i18n::Tr(N_("Cannot take back a row of %1")).arg(e.table));
      Touch(e.table);
    }
  };
  if (forward) {
    for (const JournalEntry& e : journal) apply(e);
  } else {
    for (auto it = journal.rbegin(); it != journal.rend(); ++it) apply(*it);
  }
}

quint64 Database::Generation(const QString& table) const {
  return std::max(generations_.value(TableKey(table), 0), epoch_);
}

void Database::Touch(const QString& table) { generations_.insert(TableKey(table), ++counter_); }

void Database::TouchAll() { epoch_ = ++counter_; }

}  // namespace velmora::site
