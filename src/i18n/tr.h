#pragma once

#include <QString>

namespace velmora::i18n {

// Marks a text for extraction into the message catalogue without translating it.
#define N_(text) text

// The translation of an English window or message text in the language chosen for this run;
// the English text itself when no catalogue or no entry exists.
QString Tr(const char* english);
QString Tr(const QString& english);

}  // namespace velmora::i18n
