#include "i18n/translation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <clocale>

#include "i18n/messages.h"
#include "i18n/settings.h"
#include "i18n/tr.h"
#include "support/test_home.h"

namespace velmora::i18n {
namespace {

constexpr const char* kGermanCatalogue = "locale/de/LC_MESSAGES/default.mo";

// A program folder with the German catalogue the build compiled. Every test gets a folder of
// its own, so catalogues glibc has already loaded never stand in for the ones under test.
class TranslationTest : public ::testing::Test {
 protected:
  void InstallGerman() { home_.CopyFromBuild(kGermanCatalogue); }
  QString Locale() const { return home_.Folder().LocaleFolder(); }

  testing::TestHome home_;
};

TEST_F(TranslationTest, GermanCatalogueTranslatesAndLeavesUnknownTextsEnglish) {
  InstallGerman();
  EXPECT_EQ(SetUpTranslation(Locale(), "de"), "de");
  EXPECT_EQ(Text(Msg::kLoopOverload), QString::fromUtf8("Ringleitung überlastet"));
  EXPECT_EQ(Tr(N_("New Site")), "Neues Objekt");
  EXPECT_EQ(Tr("A text the catalogue does not hold"), "A text the catalogue does not hold");
  EXPECT_EQ(Tr(""), "");
}

TEST_F(TranslationTest, LanguageCodesFallBackToTheLanguageAndElseToEnglish) {
  InstallGerman();
  struct Case {
    const char* language;
    const char* catalogue;
    const char* panel;
  };
  const Case cases[] = {
      {"de", "de", "Zentrale"},   {"de_DE", "de", "Zentrale"},   {"de_AT.UTF-8", "de", "Zentrale"},
      {" de ", "de", "Zentrale"}, {"en", "", "Panel"},           {"fr", "", "Panel"},
      {"", "", "Panel"},          {"../locale/de", "", "Panel"},
  };
  // Switching back and forth also shows that every use looks the message up again.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    EXPECT_EQ(SetUpTranslation(Locale(), c.language), c.catalogue);
    EXPECT_EQ(Text(Msg::kPanel), c.panel);
  }
}

TEST(LanguageFallbacksTest, MostSpecificFirst) {
  EXPECT_EQ(LanguageFallbacks("de_DE"), QStringList({"de_DE", "de"}));
  EXPECT_EQ(LanguageFallbacks("de_DE.UTF-8@euro"),
            QStringList({"de_DE.UTF-8@euro", "de_DE", "de"}));
  EXPECT_EQ(LanguageFallbacks("de"), QStringList({"de"}));
  EXPECT_EQ(LanguageFallbacks("de;rm -rf"), QStringList({"en"}));
}

TEST_F(TranslationTest, MissingCatalogueLeavesEverythingEnglish) {
  EXPECT_EQ(SetUpTranslation(Locale(), "de"), "");
  for (int i = 0; i < kMessageCount; ++i) {
    const Msg message = static_cast<Msg>(i);
    EXPECT_EQ(Text(message), QString::fromUtf8(English(message)));
  }
  EXPECT_EQ(Tr(N_("Site Properties")), "Site Properties");
}

TEST_F(TranslationTest, WorksUnderTheCLocaleWhateverTheSystemLanguageList) {
  InstallGerman();
  const QByteArray old_lc_all = qgetenv("LC_ALL");
  qputenv("LC_ALL", "C");
  qputenv("LANGUAGE", "fr:en");
  ASSERT_STREQ(std::setlocale(LC_ALL, ""), "C");

  EXPECT_EQ(SetUpTranslation(Locale(), "de"), "de");
  EXPECT_EQ(Text(Msg::kBatteryCapacityAh), QString::fromUtf8("Akkukapazität (Ah)"));

  if (old_lc_all.isNull()) {
    qunsetenv("LC_ALL");
  } else {
    qputenv("LC_ALL", old_lc_all);
  }
  std::setlocale(LC_ALL, "C");
}

TEST_F(TranslationTest, LanguageComesFromTheUserSettingsAfterTheStartUpCopy) {
  InstallGerman();
  QTemporaryDir hives;
  const Settings settings(hives.filePath("user"), hives.filePath("machine"));
  EXPECT_EQ(SetUpTranslation(Locale(), settings), "");
  EXPECT_EQ(Text(Msg::kSite), "Site");

  QDir().mkpath(hives.filePath("machine/Velmora"));
  QFile machine(settings.KeyFile(Settings::Hive::kMachine));
  ASSERT_TRUE(machine.open(QIODevice::WriteOnly));
  machine.write("Language=de_DE\n");
  machine.close();
  settings.CopyMachineSettings();
  EXPECT_EQ(SetUpTranslation(Locale(), settings), "de");
  EXPECT_EQ(Text(Msg::kSite), "Objekt");
}

}  // namespace
}  // namespace velmora::i18n
