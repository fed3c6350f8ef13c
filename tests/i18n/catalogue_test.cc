// The German catalogue against the texts of the program: every text the sources mark for
// translation, and every message of the message table, has a German entry.
#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "i18n/messages.h"
#include "i18n/tr.h"
#include "i18n/translation.h"
#include "support/test_home.h"

namespace velmora::i18n {
namespace {

struct Entry {
  QString translation;
  bool fuzzy = false;
};

QString Unquote(const QString& line) {
  const int first = line.indexOf('"');
  const int last = line.lastIndexOf('"');
  QString text;
  for (int i = first + 1; i < last; ++i) {
    if (line[i] == '\\' && i + 1 < last) {
      const QChar next = line[++i];
      text += next == 'n' ? QChar('\n') : next == 't' ? QChar('\t') : next;
    } else {
      text += line[i];
    }
  }
  return text;
}

// The entries of a .po or .pot file by msgid, without the header and obsolete entries.
QMap<QString, Entry> ReadCatalogue(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << path.toStdString();
  QTextStream in(&file);
  in.setEncoding(QStringConverter::Utf8);
  QMap<QString, Entry> entries;
  QString msgid, msgstr, *target = nullptr;
  bool fuzzy = false, has_entry = false;
  auto finish = [&] {
    if (has_entry && !msgid.isEmpty()) entries.insert(msgid, {msgstr, fuzzy});
    msgid.clear();
    msgstr.clear();
    target = nullptr;
    fuzzy = has_entry = false;
  };
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.startsWith("#,")) {
      if (has_entry) finish();
      fuzzy = fuzzy || line.contains("fuzzy");
    } else if (line.startsWith("msgid ")) {
      if (has_entry) finish();
      has_entry = true;
      msgid = Unquote(line);
      target = &msgid;
    } else if (line.startsWith("msgstr")) {
      msgstr = Unquote(line);
      target = &msgstr;
    } else if (line.startsWith('"') && target != nullptr) {
      *target += Unquote(line);
    } else if (line.startsWith("msgctxt") || line.startsWith("msgid_plural")) {
      ADD_FAILURE() << "unexpected " << line.toStdString();
    }
  }
  finish();
  return entries;
}

TEST(GermanCatalogueTest, EveryMessageOfTheTableIsTranslated) {
  const QMap<QString, Entry> german = ReadCatalogue(QStringLiteral(VELMORA_GERMAN_PO));
  testing::TestHome home;
  home.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
  ASSERT_EQ(SetUpTranslation(home.Folder().LocaleFolder(), "de"), "de");
  for (int i = 0; i < kMessageCount; ++i) {
    const QString english = QString::fromUtf8(English(static_cast<Msg>(i)));
    SCOPED_TRACE(english.toStdString());
    ASSERT_TRUE(german.contains(english));
    EXPECT_FALSE(german[english].translation.isEmpty());
    EXPECT_FALSE(german[english].fuzzy);
    // What the compiled catalogue answers is what the source catalogue says.
    EXPECT_EQ(Text(static_cast<Msg>(i)), german[english].translation);
  }
}

// A translation that leaves out a place loses what fills it, and one with a place of its own
// shows "%3" to the user.
TEST(GermanCatalogueTest, EveryTranslationHasThePlacesOfItsEnglishText) {
  const QMap<QString, Entry> german = ReadCatalogue(QStringLiteral(VELMORA_GERMAN_PO));
  static const QRegularExpression kPlace(QStringLiteral("%\\d+"));
  const auto places = [](const QString& text) {
    QStringList found;
    for (const QRegularExpressionMatch& m : kPlace.globalMatch(text)) found << m.captured(0);
    found.removeDuplicates();
    found.sort();
    return found;
  };
  QStringList wrong;
  for (auto it = german.cbegin(); it != german.cend(); ++it) {
    if (it->translation.isEmpty()) continue;
    if (places(it.key()) != places(it->translation)) wrong << it.key() + "  ->  " + it->translation;
  }
  EXPECT_TRUE(wrong.isEmpty()) << wrong.join("\n").toStdString();
}

TEST(GermanCatalogueTest, EveryTextMarkedInTheSourcesIsTranslated) {
#ifndef VELMORA_POT_FILE
  GTEST_SKIP() << "xgettext was not found, so there is no message template to check against";
#else
  const QMap<QString, Entry> marked = ReadCatalogue(QStringLiteral(VELMORA_POT_FILE));
  const QMap<QString, Entry> german = ReadCatalogue(QStringLiteral(VELMORA_GERMAN_PO));
  // The template holds at least the message table; a template that lost it was not extracted.
  for (int i = 0; i < kMessageCount; ++i) {
    EXPECT_TRUE(marked.contains(QString::fromUtf8(English(static_cast<Msg>(i)))))
        << English(static_cast<Msg>(i));
  }
  QStringList missing;
  for (auto it = marked.cbegin(); it != marked.cend(); ++it) {
    const auto found = german.constFind(it.key());
    if (found == german.cend() || found->translation.isEmpty() || found->fuzzy) {
      missing << it.key();
    }
  }
  EXPECT_TRUE(missing.isEmpty()) << "no German entry in data/locale/de.po for:\n  "
                                 << missing.join("\n  ").toStdString();
#endif
}

}  // namespace
}  // namespace velmora::i18n
