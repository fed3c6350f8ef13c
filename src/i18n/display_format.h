#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <optional>

namespace velmora::i18n {

// Numbers and dates are shown in the form of the language chosen for the run, not of the
// system's locale, so a German session writes "12,5" and "01.05.2024" whatever LANG says. Texts
// stored in a site keep the form they were written in; only values the program formats itself
// follow these rules.

// Makes `language` ("de", "de_DE", "en"; anything else counts as "en") the language of numbers
// and dates, also for Qt's own widgets and for every later QLocale(). Done by SetUpTranslation.
void SetDisplayLanguage(const QString& language);

// The locale of the chosen language, without group separators ("1234,5", not "1.234,5").
QLocale DisplayLocale();

// Shown as many decimals as the value needs, up to 15 significant digits: the precision of the
// stored value without the noise of its binary form (29.200000000000003 shows as 29.2).
inline constexpr int kStoredPrecision = -1;

// A number in the chosen language: fixed-point with `decimals` decimals, or as stored.
QString FormatNumber(double value, int decimals = kStoredPrecision);
// A date in the chosen language's short form with the full year ("01.05.2024", "5/1/2024").
QString FormatDate(const QDate& date);
// A stored value as the views show it: numbers and dates as above, anything else as it is.
QString FormatValue(const QVariant& value);

// A number typed in the chosen language's form or in the C form ("12,5" or "12.5" in German);
// nothing for anything else.
std::optional<double> ParseNumber(const QString& text);

// A date typed in the chosen language's form with the full year, leading zeros optional
// ("02.05.2025" or "2.5.2025" in German, "5/2/2025" in English), or in the stored ISO form
// ("2025-05-02"); nothing for anything else, a two-digit year among it.
std::optional<QDate> ParseDate(const QString& text);

// The value as the stored double would print without its binary noise (15 significant digits).
double WithoutBinaryNoise(double value);

}  // namespace velmora::i18n
