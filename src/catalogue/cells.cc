#include "catalogue/cells.h"

#include <cmath>

namespace velmora::catalogue {

std::optional<qint64> CellInt(const QVariant& cell) {
  if (cell.isNull() || !cell.isValid()) return std::nullopt;
  switch (cell.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
      return cell.toLongLong();
    case QMetaType::Double: {
      const double d = cell.toDouble();
      if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.0e15) return std::nullopt;
      return qint64(d);
    }
    case QMetaType::QString: {
      bool ok = false;
      const QString text = cell.toString().trimmed();
      const qint64 n = text.toLongLong(&ok);
      if (ok) return n;
      const double d = text.toDouble(&ok);
      if (ok && std::isfinite(d) && d == std::trunc(d) && std::fabs(d) <= 9.0e15) return qint64(d);
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

std::optional<double> CellReal(const QVariant& cell) {
  if (cell.isNull() || !cell.isValid()) return std::nullopt;
  if (cell.typeId() == QMetaType::QString) {
    bool ok = false;
    const double d = cell.toString().trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return d;
  }
  bool ok = false;
  const double d = cell.toDouble(&ok);
  if (!ok) return std::nullopt;
  return d;
}

QString CellText(const QVariant& cell) {
  if (cell.isNull() || !cell.isValid()) return QString();
  if (cell.typeId() == QMetaType::QString) return *static_cast<const QString*>(cell.constData());
  if (cell.typeId() == QMetaType::Double) return QString::number(cell.toDouble(), 'g', 15);
  return cell.toString();
}

bool CellTextEquals(const QVariant& cell, const QString& text) {
  if (cell.isNull() || !cell.isValid()) return false;
  if (cell.typeId() == QMetaType::QString)
    return *static_cast<const QString*>(cell.constData()) == text;
  return CellText(cell) == text;
}

bool CellBool(const QVariant& cell) {
  if (cell.isNull() || !cell.isValid()) return false;
  if (cell.typeId() == QMetaType::QString) {
    const QString text = cell.toString().trimmed();
    if (text.compare("true", Qt::CaseInsensitive) == 0) return true;
    if (text.compare("false", Qt::CaseInsensitive) == 0) return false;
    return text.toDouble() != 0.0;
  }
  return cell.toDouble() != 0.0;
}

}  // namespace velmora::catalogue
