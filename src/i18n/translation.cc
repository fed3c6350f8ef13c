#include "i18n/translation.h"

#include <libintl.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <clocale>
#include <cstring>

#include "i18n/settings.h"

namespace velmora::i18n {
namespace {

// glibc ignores the LANGUAGE list while LC_MESSAGES is "C", so under LC_ALL=C no catalogue
// would ever be read. Any other locale that exists will do, since the catalogue's texts are
// converted to UTF-8 by the domain's codeset, not by the locale.
void LeaveCLocaleForMessages() {
  const char* current = std::setlocale(LC_MESSAGES, nullptr);
  if (current != nullptr && std::strcmp(current, "C") != 0 && std::strcmp(current, "POSIX") != 0)
    return;
  for (const char* candidate : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"}) {
    if (std::setlocale(LC_MESSAGES, candidate) != nullptr) return;
  }
}

}  // namespace

QStringList LanguageFallbacks(const QString& language) {
  static const QRegularExpression kCode(QStringLiteral(
      "^([A-Za-z]{2,3})(_(?:[A-Za-z]{2}|[0-9]{3}))?(\\.[A-Za-z0-9_-]+)?(@[A-Za-z0-9]+)?$"));
  const QString code = language.trimmed();
  const QRegularExpressionMatch match = kCode.match(code);
  if (!match.hasMatch()) return {QStringLiteral("en")};
  QStringList list{code};
  const QString territory = match.captured(1) + match.captured(2);
  if (!list.contains(territory)) list << territory;
  if (!list.contains(match.captured(1))) list << match.captured(1);
  return list;
}

QString SetUpTranslation(const QString& locale_folder, const QString& language) {
  const QStringList languages = LanguageFallbacks(language);
  // LANGUAGE decides which catalogue is read; setting it here keeps the system's own language
  // choice out of the program.
  qputenv("LANGUAGE", languages.join(':').toUtf8());
  LeaveCLocaleForMessages();
  // Binding the domain also drops the lookups glibc has cached for the previous choice.
  bindtextdomain(kTextDomain, QFile::encodeName(QDir(locale_folder).absolutePath()).constData());
  bind_textdomain_codeset(kTextDomain, "UTF-8");
  textdomain(kTextDomain);
  for (const QString& candidate : languages) {
    const QString file =
        QDir(locale_folder).filePath(candidate + "/LC_MESSAGES/" + kTextDomain + ".mo");
    if (QFileInfo(file).isFile()) return candidate;
  }
  return QString();
}

QString SetUpTranslation(const QString& locale_folder, const Settings& settings) {
  return SetUpTranslation(locale_folder, settings.Language());
}

}  // namespace velmora::i18n
