#include "i18n/tr.h"

#include <libintl.h>

#include "i18n/translation.h"

namespace velmora::i18n {

QString Tr(Source english) { return Tr(english.English()); }

QString Tr(const char* english) {
  // An empty key would fetch the catalogue's header.
  if (english == nullptr || *english == '\0') return QString();
  return QString::fromUtf8(dgettext(kTextDomain, english));
}

QString Tr(const QString& english) {
  const QByteArray utf8 = english.toUtf8();
  return Tr(utf8.constData());
}

}  // namespace velmora::i18n
