#include "electrical/number_format.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace velmora::electrical {
namespace {

// Writes a C-form number with the user's separator; a negative zero reads as plain zero.
QString WithSeparator(QString text) {
  if (text.startsWith('-') &&
      std::none_of(text.begin(), text.end(), [](QChar c) { return c >= '1' && c <= '9'; }))
    text.remove(0, 1);
  const QString separator = DecimalSeparator();
  if (separator != ".") text.replace('.', separator);
  return text;
}

}  // namespace

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1.0;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

QString DecimalSeparator() {
  // QLocale() is the user's locale unless the program has set another default.
  const QString separator = QLocale().decimalPoint();
  return separator.isEmpty() ? QStringLiteral(".") : separator;
}

QString GeneralNumber(double value) { return WithSeparator(QString::number(value, 'g', 15)); }

QString FixedNumber(double value, int decimals) {
  return WithSeparator(QString::number(value, 'f', decimals));
}

QString CurrentText(double milliamperes) { return FixedNumber(milliamperes, 0); }

}  // namespace velmora::electrical
