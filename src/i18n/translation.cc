#include "i18n/translation.h"

#include <libintl.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QTranslator>
#include <clocale>
#include <cstring>
#include <memory>

#include "i18n/display_format.h"
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

// Qt's own translator of the run (buttons of message boxes, the print dialog, the preview's
// toolbar), a child of the application object so that it goes with it; replaced by every new
// choice of language.
QPointer<QTranslator>& QtTranslator() {
  static QPointer<QTranslator> translator;
  return translator;
}

}  // namespace

QString QtTranslationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool LoadQtTranslations(const QString& folder, const QString& language) {
  QPointer<QTranslator>& installed = QtTranslator();
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  for (const QString& candidate : LanguageFallbacks(language)) {
    // English is Qt's own language: there is nothing to load.
    if (candidate == "en" || candidate.startsWith("en_")) return false;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load("qtbase_" + candidate, folder) && !translator->isEmpty()) {
      installed = translator.release();
      installed->setParent(app);
      QCoreApplication::installTranslator(installed);
      return true;
    }
  }
  return false;
}

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
  SetDisplayLanguage(languages.first());
  LoadQtTranslations(QtTranslationsFolder(), languages.first());
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
