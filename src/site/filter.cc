#include "site/filter.h"

namespace velmora::site {

QString QuoteIdentifier(const QString& name) {
  QString quoted = name;
  quoted.replace('"', "\"\"");
  return '"' + quoted + '"';
}

QString FilterLiteral(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      return QString::number(value.toLongLong());
    case QMetaType::Double:
      return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
      return value.toBool() ? "True" : "False";
    default: {
      QString text = value.toString();
      text.replace('\'', "''");
      return '\'' + text + '\'';
    }
  }
}

Filter Filter::Equals(const QString& column, const QVariant& value) {
  Filter filter;
  filter.terms_.push_back({column, value, false});
  return filter;
}

Filter Filter::And(const QString& column, const QVariant& value) const {
  Filter filter = *this;
  filter.terms_.push_back({column, value, false});
  return filter;
}

Filter Filter::Or(const QString& column, const QVariant& value) const {
  Filter filter = *this;
  filter.terms_.push_back({column, value, true});
  return filter;
}

Filter Filter::SalesChannel(const QString& channel) {
  return Equals("SalesChannel", channel).Or("SalesChannel", QStringLiteral("All"));
}

QString Filter::Text() const {
  QString text;
  for (size_t i = 0; i < terms_.size(); ++i) {
    if (i > 0) text += terms_[i].or_before ? " Or " : " And ";
    text += terms_[i].column + " = " + FilterLiteral(terms_[i].value);
  }
  return text;
}

QString Filter::Sql(std::vector<QVariant>* binds) const {
  QString sql;
  for (size_t i = 0; i < terms_.size(); ++i) {
    if (i > 0) sql += terms_[i].or_before ? " OR " : " AND ";
    sql += QuoteIdentifier(terms_[i].column) + " = ?";
    binds->push_back(terms_[i].value.typeId() == QMetaType::Bool
                         ? QVariant(terms_[i].value.toBool() ? 1 : 0)
                         : terms_[i].value);
  }
  return sql;
}

bool Filter::operator==(const Filter& other) const {
  if (terms_.size() != other.terms_.size()) return false;
  for (size_t i = 0; i < terms_.size(); ++i) {
    if (terms_[i].column != other.terms_[i].column || terms_[i].value != other.terms_[i].value ||
        terms_[i].or_before != other.terms_[i].or_before)
      return false;
  }
  return true;
}

}  // namespace velmora::site
