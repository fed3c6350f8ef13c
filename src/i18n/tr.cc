#include "i18n/tr.h"

#include <libintl.h>

namespace velmora::i18n {

QString Tr(const char* english) {
  if (english == nullptr || *english == '\0') return QString();
  return QString::fromUtf8(dgettext("default", english));
}

QString Tr(const QString& english) {
  const QByteArray utf8 = english.toUtf8();
  return Tr(utf8.constData());
}

}  // namespace velmora::i18n
