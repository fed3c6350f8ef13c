#pragma once

#include <QString>
#include <QVariant>
#include <vector>

namespace velmora::site {

// A view restriction built from typed parts, in the forms the program uses:
// "PanelNumber = 3", "Panel = 1 And Loop = 2", "SalesChannel = 'Mornax' Or SalesChannel = 'All'".
// The store evaluates it with bound values; Text() gives the textual form.
class Filter {
 public:
  Filter() = default;  // no restriction

  static Filter Equals(const QString& column, const QVariant& value);

  Filter And(const QString& column, const QVariant& value) const;
  Filter Or(const QString& column, const QVariant& value) const;

  // "SalesChannel = '<channel>' Or SalesChannel = 'All'".
  static Filter SalesChannel(const QString& channel);

  bool IsEmpty() const { return terms_.empty(); }
  QString Text() const;

  // The condition with '?' placeholders for the values, appended to *binds in order.
  // `quote` turns a column name into a quoted identifier.
  QString Sql(std::vector<QVariant>* binds) const;

  struct Term {
    QString column;
    QVariant value;
    bool or_before = false;  // joined to the previous term by Or (else And)
  };
  const std::vector<Term>& Terms() const { return terms_; }

  bool operator==(const Filter& other) const;

 private:
  std::vector<Term> terms_;
};

// A textual value in filter form: numbers in decimal, texts in single quotes with inner
// quotes doubled.
QString FilterLiteral(const QVariant& value);

// SQLite identifier quoting: double quotes, inner double quotes doubled.
QString QuoteIdentifier(const QString& name);

}  // namespace velmora::site
