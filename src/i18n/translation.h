#pragma once

#include <QString>
#include <QStringList>

namespace velmora::i18n {

class Settings;

// The text domain of the program's catalogues: <locale folder>/<language>/LC_MESSAGES/default.mo.
inline constexpr const char* kTextDomain = "default";

// The catalogue languages to try for a language code, most specific first: "de_DE" gives
// "de_DE", "de"; "de_DE.UTF-8@euro" gives that, "de_DE", "de". A code that is not a language
// code at all (empty, a path, blanks) gives "en".
QStringList LanguageFallbacks(const QString& language);

// Selects the catalogues of `language` below `locale_folder` for every later lookup, whatever
// the process locale is (also under LC_ALL=C). Run once per run, after the application object
// exists, because that object resets the process locale from the environment. Returns the
// language whose catalogue file was found, or an empty text when the texts stay English.
// The language also becomes the one of numbers and dates (SetDisplayLanguage), and Qt's own
// catalogue of it is loaded when the system has one (LoadQtTranslations).
QString SetUpTranslation(const QString& locale_folder, const QString& language);

// The same with the "Language" value of the user settings.
QString SetUpTranslation(const QString& locale_folder, const Settings& settings);

// Qt's own catalogues (qtbase_<language>.qm) as the system installs them.
QString QtTranslationsFolder();
// Puts the Qt catalogue of `language` from `folder` in place of the one loaded before, so that
// the texts Qt itself shows (standard buttons, the print dialog) speak the program's language.
// False, with Qt's English left in force, for English or when no catalogue is there; the program
// works without them. Needs the application object. SetUpTranslation does this too.
bool LoadQtTranslations(const QString& folder, const QString& language);

}  // namespace velmora::i18n
