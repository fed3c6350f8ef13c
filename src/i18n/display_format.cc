#include "i18n/display_format.h"

#include <QRegularExpression>
#include <cmath>

namespace velmora::i18n {
namespace {

QLocale LocaleOf(const QString& language) {
  static const QRegularExpression kCode(QStringLiteral("^[A-Za-z]{2,3}(_[A-Za-z]{2})?"));
  const QRegularExpressionMatch match = kCode.match(language.trimmed());
  QLocale locale = match.hasMatch() ? QLocale(match.captured(0)) : QLocale(QLocale::English);
  // QLocale falls back to "C" for a code it does not know; that is English with a dot too.
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::English);
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// The language's short date form with the full year.
QString ShownDateFormat(const QLocale& locale) {
  QString format = locale.dateFormat(QLocale::ShortFormat);
  if (!format.contains(QStringLiteral("yyyy"))) format.replace(QStringLiteral("yy"), "yyyy");
  return format;
}

}  // namespace

void SetDisplayLanguage(const QString& language) { QLocale::setDefault(LocaleOf(language)); }

QLocale DisplayLocale() {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

double WithoutBinaryNoise(double value) {
  if (!std::isfinite(value)) return value;
  return QString::number(value, 'g', 15).toDouble();
}

QString FormatNumber(double value, int decimals) {
  const QLocale locale = DisplayLocale();
  QString text = decimals == kStoredPrecision ? locale.toString(value, 'g', 15)
                                              : locale.toString(value, 'f', decimals);
  // A value that rounds to zero is shown without a sign.
  if (text.startsWith(locale.negativeSign()) &&
      !text.contains(QRegularExpression(QStringLiteral("[1-9]"))))
    text.remove(0, locale.negativeSign().size());
  return text;
}

QString FormatDate(const QDate& date) {
  if (!date.isValid()) return QString();
  const QLocale locale = DisplayLocale();
  return locale.toString(date, ShownDateFormat(locale));
}

std::optional<QDate> ParseDate(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  static const QRegularExpression kIso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
  if (kIso.match(trimmed).hasMatch()) {
    const QDate date = QDate::fromString(trimmed, Qt::ISODate);
    if (date.isValid()) return date;
    return std::nullopt;
  }
  // A day or month of one digit reads as well as one of two ("d" takes "02" too); the year must
  // have its four digits, which Qt requires for "yyyy".
  static const QRegularExpression kTwoDigits(QStringLiteral("(?<![dM])([dM])\\1(?![dM])"));
  const QLocale locale = DisplayLocale();
  QString format = ShownDateFormat(locale);
  format.replace(kTwoDigits, QStringLiteral("\\1"));
  const QDate date = locale.toDate(trimmed, format);
  if (!date.isValid()) return std::nullopt;
  return date;
}

QString FormatValue(const QVariant& value) {
  if (value.isNull() || !value.isValid()) return QString();
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return FormatNumber(value.toDouble());
    case QMetaType::QDate:
      return FormatDate(value.toDate());
    case QMetaType::QDateTime:
      return FormatDate(value.toDateTime().date());
    default:
      return value.toString();
  }
}

std::optional<double> ParseNumber(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  // Group separators are refused: in German "12.5" is the C form of twelve and a half, not 125.
  QLocale shown = DisplayLocale();
  shown.setNumberOptions(QLocale::RejectGroupSeparator);
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  double value = shown.toDouble(trimmed, &ok);
  if (!ok) value = c.toDouble(trimmed, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace velmora::i18n
