#include "site/cells.h"

#include <cmath>

namespace velmora::site {
namespace {

// The largest magnitude a real may have to stand for a whole number exactly.
constexpr double kLargestExactWhole = 9.0e15;

bool IsText(const QVariant& cell) { return cell.typeId() == QMetaType::QString; }

std::optional<qint64> RoundedToWhole(double d) {
  if (!std::isfinite(d) || std::fabs(d) > 9.2e18) return std::nullopt;
  return qint64(std::llround(d));
}

}  // namespace

bool IsEmptyCell(const QVariant& cell) { return cell.isNull() || !cell.isValid(); }

QString CellText(const QVariant& cell) {
  if (IsEmptyCell(cell)) return QString();
  if (IsText(cell)) return *static_cast<const QString*>(cell.constData());
  if (cell.typeId() == QMetaType::Double) return QString::number(cell.toDouble(), 'g', 15);
  return cell.toString();
}

bool CellTextEquals(const QVariant& cell, const QString& text) {
  if (IsEmptyCell(cell)) return false;
  if (IsText(cell)) return *static_cast<const QString*>(cell.constData()) == text;
  return CellText(cell) == text;
}

std::optional<double> CellNumber(const QVariant& cell) {
  if (IsEmptyCell(cell)) return std::nullopt;
  bool ok = false;
  const double d = IsText(cell) ? cell.toString().trimmed().toDouble(&ok) : cell.toDouble(&ok);
  if (!ok) return std::nullopt;
  return d;
}

double CellReal(const QVariant& cell) { return CellNumber(cell).value_or(0.0); }

qint64 CellInt(const QVariant& cell) {
  if (IsEmptyCell(cell)) return 0;
  if (cell.typeId() == QMetaType::Double) return RoundedToWhole(cell.toDouble()).value_or(0);
  if (IsText(cell)) {
    bool ok = false;
    const QString text = cell.toString().trimmed();
    const qint64 n = text.toLongLong(&ok);
    if (ok) return n;
    const double d = text.toDouble(&ok);
    return ok ? RoundedToWhole(d).value_or(0) : 0;
  }
  return cell.toLongLong();
}

bool CellBool(const QVariant& cell) {
  if (IsEmptyCell(cell)) return false;
  if (IsText(cell)) {
    const QString text = cell.toString().trimmed();
    if (text.compare("true", Qt::CaseInsensitive) == 0) return true;
    if (text.compare("false", Qt::CaseInsensitive) == 0) return false;
    return text.toDouble() != 0.0;
  }
  return cell.toDouble() != 0.0;
}

std::optional<qint64> CellWhole(const QVariant& cell) {
  if (IsEmptyCell(cell)) return std::nullopt;
  switch (cell.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
      return cell.toLongLong();
    case QMetaType::Double: {
      const double d = cell.toDouble();
      if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > kLargestExactWhole)
        return std::nullopt;
      return qint64(d);
    }
    case QMetaType::QString: {
      bool ok = false;
      const QString text = cell.toString().trimmed();
      const qint64 n = text.toLongLong(&ok);
      if (ok) return n;
      const double d = text.toDouble(&ok);
      if (ok && std::isfinite(d) && d == std::trunc(d) && std::fabs(d) <= kLargestExactWhole)
        return qint64(d);
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace velmora::site
