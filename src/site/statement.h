#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::site {

// One prepared SQLite statement, finalized with its owner. Every statement of the program runs
// through this: prepared once, values always bound (never spliced into the text), result codes
// handed back as SQLite gives them so that each caller can say in its own words what failed.
class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // SQLITE_OK, or the code of the refusal. `persistent` for statements kept for the whole
  // connection.
  int Prepare(sqlite3* db, const QString& sql, bool persistent = false);
  bool IsPrepared() const { return stmt_ != nullptr; }

  // Resets the statement and binds the values to ?1 ... ?n: empty as NULL, numbers and yes/no as
  // numbers, everything else as text. Parameters past the values are NULL.
  void Bind(const std::vector<QVariant>& values);
  // SQLITE_ROW while there are rows, then SQLITE_DONE; anything else is a failure.
  int Step();
  // Back to the start; the bindings stay.
  void Reset();

  int ColumnCount() const;
  // A column of the current row as the store reads values: whole numbers, reals, texts, blobs;
  // NULL as an empty QVariant.
  QVariant Value(int column) const;
  QString Text(int column) const;
  qint64 Int64(int column) const;
  double Double(int column) const;
  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
  int Type(int column) const;
  // The size of a text or blob value in bytes, without reading it into a QString.
  int Bytes(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  std::vector<QByteArray> texts_;  // the bound texts, read by the engine where they are
};

// What the last failed call of the engine on `db` (code `rc`) means: the plain words of the
// system's error where the engine failed on the disk (full, read-only, gone), else the engine's
// own words.
QString EngineFailure(sqlite3* db, int rc);

}  // namespace velmora::site
