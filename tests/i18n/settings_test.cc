#include "i18n/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

namespace velmora::i18n {
namespace {

using Hive = Settings::Hive;

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : settings_(dir_.filePath("user"), dir_.filePath("machine")) {}

  // Writes a key by hand, as the installation or an outside tool would.
  void WriteKey(Hive hive, const QByteArray& ini) {
    const QString path = settings_.KeyFile(hive);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ini);
  }

  QTemporaryDir dir_;
  Settings settings_;
};

TEST_F(SettingsTest, DefaultsFollowWhetherTheKeyAndTheValueExist) {
  struct Case {
    const char* name;
    std::optional<QByteArray> user_key;
    std::optional<QByteArray> machine_key;
    QString language, country_code, install;
  };
  const Case cases[] = {
      {"no keys", std::nullopt, std::nullopt, "en", "", ""},
      {"empty user key", "", std::nullopt, "en", "99", ""},
      {"user key without the value", "[General]\nLanguage=de\n", std::nullopt, "de", "99", ""},
      {"values written by hand", "Country Code=49\nLanguage=de_DE\n", "Install=/opt/velmora\n",
       "de_DE", "49", "/opt/velmora"},
      {"machine values are not user values", std::nullopt, "Language=de\nCountry Code=49\n", "en",
       "", ""},
      {"unquoted comma", std::nullopt, "Install=/opt/Velmora, 2\n", "en", "", "/opt/Velmora, 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(dir_.path()).removeRecursively();
    if (c.user_key) WriteKey(Hive::kUser, *c.user_key);
    if (c.machine_key) WriteKey(Hive::kMachine, *c.machine_key);
    EXPECT_EQ(settings_.Language(), c.language);
    EXPECT_EQ(settings_.CountryCode(), c.country_code);
    EXPECT_EQ(settings_.Install(), c.install);
    // Reads never create a key.
    EXPECT_EQ(QFileInfo::exists(settings_.KeyFile(Hive::kUser)), c.user_key.has_value());
  }
}

TEST_F(SettingsTest, WritingTheCountryCodeCreatesTheUserKeyAndKeepsItsOtherValues) {
  ASSERT_TRUE(settings_.WriteCountryCode("12"));
  EXPECT_EQ(settings_.CountryCode(), "12");
  // QSettings re-reads a file only when its size or time changed: this one differs in size.
  WriteKey(Hive::kUser, "Language=de\nCountry Code=123\n");
  EXPECT_EQ(settings_.CountryCode(), "123");
  ASSERT_TRUE(settings_.WriteCountryCode("7, 8"));
  EXPECT_EQ(settings_.CountryCode(), "7, 8");
  EXPECT_EQ(settings_.Language(), "de");
}

TEST_F(SettingsTest, AFailedWriteIsSilentAndLeavesTheOldValue) {
  // The user hive's folder cannot be made: a plain file stands in its place.
  QDir().mkpath(dir_.path());
  QFile blocker(dir_.filePath("user"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  WriteKey(Hive::kMachine, "Country Code=49\n");

  EXPECT_FALSE(settings_.WriteCountryCode("12"));
  settings_.CopyMachineSettings();
  EXPECT_EQ(settings_.CountryCode(), "");
  EXPECT_FALSE(settings_.KeyExists(Hive::kUser));
}

TEST_F(SettingsTest, StartUpCopiesMachineValuesOnceAndNeverOverwrites) {
  WriteKey(Hive::kMachine, "Language=de\nCountry Code=49\nInstall=/opt/velmora\n");
  settings_.CopyMachineSettings();
  EXPECT_EQ(settings_.Read(Hive::kUser, kLanguageValue), "de");
  EXPECT_EQ(settings_.Read(Hive::kUser, kCountryCodeValue), "49");
  EXPECT_EQ(settings_.Read(Hive::kUser, kInstallValue), std::nullopt);

  // The options dialog changes the user value; later starts leave it alone.
  ASSERT_TRUE(settings_.WriteCountryCode("12"));
  settings_.CopyMachineSettings();
  EXPECT_EQ(settings_.CountryCode(), "12");
  EXPECT_EQ(settings_.Read(Hive::kMachine, kCountryCodeValue), "49");

  // Only what the user key lacks is copied.
  WriteKey(Hive::kUser, "Country Code=31\n");
  settings_.CopyMachineSettings();
  EXPECT_EQ(settings_.CountryCode(), "31");
  EXPECT_EQ(settings_.Language(), "de");
}

TEST_F(SettingsTest, StartUpCopyDoesNotCreateAUserKeyWhenThereIsNothingToCopy) {
  settings_.CopyMachineSettings();
  EXPECT_FALSE(settings_.KeyExists(Hive::kUser));
  WriteKey(Hive::kMachine, "Install=/opt/velmora\n");
  settings_.CopyMachineSettings();
  EXPECT_FALSE(settings_.KeyExists(Hive::kUser));
  EXPECT_EQ(settings_.CountryCode(), "");
}

TEST(SettingsEnvironmentTest, HivesComeFromTheEnvironment) {
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("home")));
  qputenv("VELMORA_MACHINE_CONFIG", QFile::encodeName(dir.filePath("etc")));
  const Settings settings = Settings::FromEnvironment();
  EXPECT_EQ(settings.KeyFile(Hive::kUser), dir.filePath("home/Velmora/Velmora.ini"));
  EXPECT_EQ(settings.KeyFile(Hive::kMachine), dir.filePath("etc/Velmora/Velmora.ini"));
  qunsetenv("VELMORA_MACHINE_CONFIG");
  EXPECT_EQ(Settings::FromEnvironment().KeyFile(Hive::kMachine), "/etc/xdg/Velmora/Velmora.ini");
  qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace velmora::i18n
