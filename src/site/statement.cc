#include "site/statement.h"

#include <sqlite3.h>

#include <cerrno>
#include <utility>

#include "site/file_io.h"

namespace velmora::site {

QString EngineFailure(sqlite3* db, int rc) {
  const int error_number = db ? sqlite3_system_errno(db) : 0;
  switch (rc & 0xff) {
    case SQLITE_FULL:
      return PlainError(error_number == 0 ? ENOSPC : error_number);
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
      if (error_number != 0) return PlainError(error_number);
      break;
    default:
      break;
  }
  return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), texts_(std::move(other.texts_)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    stmt_ = std::exchange(other.stmt_, nullptr);
    texts_ = std::move(other.texts_);
  }
  return *this;
}

int Statement::Prepare(sqlite3* db, const QString& sql, bool persistent) {
  sqlite3_finalize(stmt_);
  stmt_ = nullptr;
  const QByteArray utf8 = sql.toUtf8();
  return sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()),
                            persistent ? SQLITE_PREPARE_PERSISTENT : 0, &stmt_, nullptr);
}

void Statement::Bind(const std::vector<QVariant>& values) {
  sqlite3_reset(stmt_);
  // Parameters given no value are NULL; when every one is given a value there is none to clear.
  if (int(values.size()) < sqlite3_bind_parameter_count(stmt_)) sqlite3_clear_bindings(stmt_);
  // The engine reads bound texts where they are, so they are kept until the next binding.
  std::vector<QByteArray> texts;
  texts.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const QVariant& v = values[i];
    const int index = int(i) + 1;
    if (v.isNull() || !v.isValid()) {
      sqlite3_bind_null(stmt_, index);
      continue;
    }
    switch (v.typeId()) {
      case QMetaType::Bool:
        sqlite3_bind_int64(stmt_, index, v.toBool() ? 1 : 0);
        break;
      case QMetaType::Int:
      case QMetaType::LongLong:
      case QMetaType::UInt:
      case QMetaType::ULongLong:
        sqlite3_bind_int64(stmt_, index, v.toLongLong());
        break;
      case QMetaType::Double:
        sqlite3_bind_double(stmt_, index, v.toDouble());
        break;
      default: {
        const QByteArray& text = texts.emplace_back(
            v.typeId() == QMetaType::QString ? static_cast<const QString*>(v.constData())->toUtf8()
                                             : v.toString().toUtf8());
        sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_STATIC);
      }
    }
  }
  texts_.swap(texts);
}

int Statement::Step() { return sqlite3_step(stmt_); }

void Statement::Reset() { sqlite3_reset(stmt_); }

int Statement::ColumnCount() const { return sqlite3_column_count(stmt_); }

QVariant Statement::Value(int column) const {
  switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
      return QVariant(qint64(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
      return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_NULL:
      return QVariant();
    case SQLITE_BLOB:
      return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, column)),
                                 sqlite3_column_bytes(stmt_, column)));
    default:
      return QVariant(Text(column));
  }
}

QString Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  if (text == nullptr) return QString();
  return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column));
}

qint64 Statement::Int64(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::Double(int column) const { return sqlite3_column_double(stmt_, column); }

int Statement::Type(int column) const { return sqlite3_column_type(stmt_, column); }

int Statement::Bytes(int column) const { return sqlite3_column_bytes(stmt_, column); }

}  // namespace velmora::site
