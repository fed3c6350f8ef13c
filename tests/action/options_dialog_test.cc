#include "workspace/options_dialog.h"

#include <gtest/gtest.h>

#include <QFile>

#include "panel_site_fixture.h"
#include "site/images.h"

namespace velmora::workspace {
namespace {

using site::kImageNotAvailable;
using site::kImageTicked;
using site::kImageUnticked;
using ::testing::ElementsAre;

// The options dialog over the small panel catalogue of the panel tests (see the fixture), with
// two standby and two alarm times in the lookup table.
class OptionsDialogTest : public testing::PanelSiteTest {
 protected:
  void SetUp() override {
    PanelSiteTest::SetUp();
    site::Database& lookup = catalogue_.TranslationDb();
    testing::InsertRow(lookup, "Translation_Text",
                       {{"ID7", 0}, {"StandbyTimeText", "4 Hours"}, {"StandbyTimeNumber", 4.0}});
    testing::InsertRow(lookup, "Translation_Text",
                       {{"ID7", 1}, {"StandbyTimeText", "24 Hours"}, {"StandbyTimeNumber", 24.0}});
    testing::InsertRow(lookup, "Translation_Text",
                       {{"ID8", 0}, {"AlarmTimeText", "30 Minutes"}, {"AlarmTimeNumber", 0.5}});
    testing::InsertRow(lookup, "Translation_Text",
                       {{"ID8", 1}, {"AlarmTimeText", "1 Hour"}, {"AlarmTimeNumber", 1.0}});
    settings_.WriteCountryCode("41");
  }

  OptionsFormModel& F() { return dialog_.Form(); }

  std::vector<int> Images(const std::vector<panel::ChoiceButton>& buttons) {
    std::vector<int> images;
    for (const panel::ChoiceButton& b : buttons) images.push_back(b.image);
    return images;
  }

  QVariant Stored(const QString& column) {
    site::Table row(&catalogue_.DataDb(), "DefaultPanel");
    row.Open();
    row.First();
    return row.Value(column);
  }

  void SetStored(const QString& column, const QVariant& value) {
    site::Table row(&catalogue_.DataDb(), "DefaultPanel");
    row.Open();
    row.First();
    row.SetValue(column, value);
    row.Post();
  }

  // OK as the dialog's window does it: the defaults action with the dialog's parameters, and
  // the dialog closed once it is carried out.
  bool Ok() {
    const std::optional<QJsonObject> params = dialog_.OkParameters();
    if (!params) return false;
    action::Action defaults;
    defaults.name = "set-defaults";
    defaults.params = *params;
    if (!editor_.Execute(defaults, prompter_).Carried()) return false;
    dialog_.Accepted();
    return true;
  }

  i18n::Settings settings_{home_.Path("user"), home_.Path("machine")};
  OptionsDialog& dialog_ = editor_.Options();
};

TEST_F(OptionsDialogTest, ShowLoadsTheDefaultsIntoEveryPage) {
  dialog_.Show();
  EXPECT_EQ(F().page, OptionsFormModel::kSitePage);
  EXPECT_EQ(F().sales_channels.entries, QStringList({"Tarvik", "Mornax"}));
  EXPECT_EQ(F().sales_channels.SelectedText(), "Tarvik");
  EXPECT_EQ(F().standby_times.SelectedText(), "24 Hours");
  EXPECT_EQ(F().alarm_times.SelectedText(), "30 Minutes");
  EXPECT_EQ(F().country_code, "41");

  // Gamma is sold only through Mornax.
  EXPECT_EQ(F().types.entries, QStringList({"Alpha", "Beta"}));
  EXPECT_EQ(F().type_codes.entries, QStringList({"G-ALPHA", "G-BETA"}));
  EXPECT_EQ(F().types.SelectedText(), "Alpha");
  EXPECT_EQ(F().type_codes.SelectedText(), "G-ALPHA");
  EXPECT_EQ(F().housings.entries, QStringList({"Small", "Large"}));
  EXPECT_EQ(F().housing_codes.entries, QStringList({"ALPHA-S", "ALPHA-L"}));
  EXPECT_EQ(F().housings.SelectedText(), "Small");
  EXPECT_EQ(F().housing_codes.SelectedText(), "ALPHA-S");
  EXPECT_EQ(F().protocols.entries, QStringList({"Qellon", "Sigma"}));
  EXPECT_EQ(F().protocols.SelectedText(), "Qellon");
  // Only the boards and supplies set in the row are ticked; standard ones are merely available.
  EXPECT_EQ(Images(F().options),
            (std::vector<int>{kImageUnticked, kImageUnticked, kImageUnticked, kImageNotAvailable,
                              kImageTicked, kImageUnticked, kImageNotAvailable, kImageNotAvailable,
                              kImageNotAvailable}));
  EXPECT_EQ(F().options[1].caption, "Board 1");
  EXPECT_EQ(Images(F().power_supplies),
            (std::vector<int>{kImageTicked, kImageUnticked, kImageNotAvailable}));

  EXPECT_EQ(F().cable_index, 2);
  EXPECT_EQ(F().length_text, "1500");
  EXPECT_EQ(F().alarm_indicators, 3);
  EXPECT_TRUE(F().spread);
  EXPECT_FALSE(F().one_location);
  EXPECT_EQ(F().spread_length, 10);
  EXPECT_TRUE(prompter_.Texts().isEmpty());
}

TEST_F(OptionsDialogTest, AChannelWithoutPanelsOfItsOwnStillListsThePanelsForAll) {
  SetStored("SalesChannel", "Halvo");
  dialog_.Show();
  EXPECT_EQ(F().types.entries, QStringList({"Beta"}));
}

TEST_F(OptionsDialogTest, CascadesWorkOnTheDialogAlone) {
  AddPanel();
  prompter_.AnswerFile(home_.Path("Sites/cascades.mdb"));
  ASSERT_TRUE(editor_.Save());
  const qint64 loops = Count("Loops");
  dialog_.Show();

  // A type brings its first housing with the standard items selected.
  dialog_.OnTypeChosen(F().types.entries.indexOf("Beta"));
  EXPECT_EQ(F().housings.entries, QStringList({"Small", "Big Box"}));
  EXPECT_EQ(F().housings.SelectedText(), "Small");
  EXPECT_EQ(F().type_codes.SelectedText(), "G-BETA");
  EXPECT_EQ(F().protocols.entries, QStringList({"Apollo"}));
  EXPECT_EQ(F().protocols.selected, -1);
  EXPECT_EQ(F().options[4].image, kImageTicked);
  EXPECT_EQ(F().power_supplies[0].image, kImageTicked);

  // With two standard protocols the last one is selected.
  dialog_.OnHousingCodeChosen(F().housing_codes.entries.indexOf("BETA-B"));
  EXPECT_EQ(F().housings.SelectedText(), "Big Box");
  EXPECT_EQ(F().protocols.entries, QStringList({"Qellon", "Sigma"}));
  EXPECT_EQ(F().protocols.SelectedText(), "Sigma");

  dialog_.OnTypeCodeChosen("G-ALPHA");
  EXPECT_EQ(F().types.SelectedText(), "Alpha");
  dialog_.OnHousingChosen(F().housings.entries.indexOf("Large"));
  EXPECT_EQ(F().housing_codes.SelectedText(), "ALPHA-L");

  dialog_.OnSalesChannelChosen(F().sales_channels.entries.indexOf("Mornax"));
  EXPECT_EQ(F().types.entries, QStringList({"Beta", "Gamma"}));
  EXPECT_EQ(F().types.SelectedText(), "Gamma");
  EXPECT_EQ(F().protocols.SelectedText(), "Qellon");
  EXPECT_TRUE(state_.SiteSaved());  // nothing of the site changes while the dialog is open

  // The panel of the site kept everything.
  EXPECT_EQ(Count("Loops"), loops);
  EXPECT_EQ(Ints("Panels", {}, "Housing Type"), std::vector<qint64>{10});
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Alpha");

  dialog_.Cancel();
  EXPECT_FALSE(dialog_.IsOpen());
  EXPECT_EQ(editor_.History().count(), 1);
}

TEST_F(OptionsDialogTest, TheLengthIsClampedToTheProtocolsMaximum) {
  dialog_.Show();
  dialog_.OnLengthTextChanged("2500");  // Qellon allows 3000 m
  EXPECT_EQ(F().length_text, "2500");
  dialog_.OnProtocolChanged(F().protocols.entries.indexOf("Sigma"));
  EXPECT_EQ(F().length_text, "2000");
  dialog_.OnLengthTextChanged("800");
  EXPECT_EQ(F().length_text, "800");
  dialog_.OnLengthTextChanged("");
  dialog_.OnLengthTextChanged("12a");
  EXPECT_EQ(F().length_text, "12a");
  EXPECT_THAT(prompter_.Warnings(), ElementsAre("'12a' is not a valid integer value"));
}

TEST_F(OptionsDialogTest, ButtonsKeepTheirGroupsAndIgnoreClicksWhenNotAvailable) {
  dialog_.Show();
  dialog_.OnOptionClicked(0);  // OPT12 and OPT10 share group 1
  EXPECT_EQ(F().options[0].image, kImageTicked);
  dialog_.OnOptionClicked(1);
  EXPECT_EQ(F().options[1].image, kImageTicked);
  EXPECT_EQ(F().options[0].image, kImageUnticked);
  EXPECT_EQ(F().options[4].image, kImageTicked);  // "STD" has no group
  dialog_.OnOptionClicked(1);
  EXPECT_EQ(F().options[1].image, kImageUnticked);

  const std::vector<int> options = Images(F().options);
  state_.SetSiteSaved(true);
  dialog_.OnOptionClicked(3);
  EXPECT_EQ(Images(F().options), options);

  dialog_.OnPowerSupplyClicked(1);
  EXPECT_EQ(Images(F().power_supplies),
            (std::vector<int>{kImageUnticked, kImageTicked, kImageNotAvailable}));
  dialog_.OnPowerSupplyClicked(2);
  EXPECT_EQ(Images(F().power_supplies),
            (std::vector<int>{kImageUnticked, kImageTicked, kImageNotAvailable}));

  dialog_.OnOneLocationClicked(true);
  EXPECT_TRUE(F().one_location);
  EXPECT_FALSE(F().spread);
  dialog_.OnOneLocationClicked(false);  // clicked while ticked
  EXPECT_FALSE(F().one_location);
  EXPECT_TRUE(F().spread);
}

TEST_F(OptionsDialogTest, OkWritesTheRowAndTheCountryCodeAndUndoTakesThemBack) {
  dialog_.Show();
  dialog_.OnSalesChannelChosen(F().sales_channels.entries.indexOf("Tarvik"));
  dialog_.OnStandbyTimeChosen(0);
  dialog_.OnAlarmTimeChosen(1);
  dialog_.OnCountryCodeEdited("49");
  dialog_.OnTypeChosen(F().types.entries.indexOf("Beta"));
  dialog_.OnHousingChosen(F().housings.entries.indexOf("Big Box"));
  dialog_.OnProtocolChanged(F().protocols.entries.indexOf("Qellon"));
  dialog_.OnOptionClicked(5);
  dialog_.OnPowerSupplyClicked(1);
  dialog_.OnCableChosen(4);
  dialog_.OnLengthTextChanged("900");
  dialog_.OnOneLocationClicked(true);
  dialog_.OnOneLocationLengthChanged(35);
  dialog_.OnSpreadLengthChanged(5);
  ASSERT_TRUE(Ok());

  EXPECT_FALSE(dialog_.IsOpen());
  EXPECT_EQ(settings_.CountryCode(), "49");
  EXPECT_EQ(Stored("SalesChannel").toString(), "Tarvik");
  EXPECT_EQ(Stored("StandbyTime").toDouble(), 4.0);
  EXPECT_EQ(Stored("AlarmTime").toDouble(), 1.0);
  EXPECT_EQ(Stored("ID1").toInt(), 2);
  EXPECT_EQ(Stored("ID2").toInt(), 12);
  EXPECT_TRUE(Stored("Prot0").toBool());
  EXPECT_FALSE(Stored("Prot1").toBool());
  EXPECT_TRUE(Stored("Opt4").toBool());
  EXPECT_TRUE(Stored("Opt5").toBool());
  EXPECT_FALSE(Stored("Opt0").toBool());
  EXPECT_FALSE(Stored("Psu0").toBool());
  EXPECT_TRUE(Stored("Psu1").toBool());
  EXPECT_EQ(Stored("CableSpec").toInt(), 4);
  EXPECT_EQ(Stored("CableLength").toInt(), 900);
  EXPECT_EQ(Stored("AlarmIndicators").toInt(), 3);
  EXPECT_TRUE(Stored("OneLocation").toBool());
  EXPECT_FALSE(Stored("Spread").toBool());
  EXPECT_EQ(Stored("OneLocationLength").toInt(), 35);
  EXPECT_EQ(Stored("SpreadLength").toInt(), 5);

  ASSERT_EQ(editor_.Undo().status, action::Status::kDone);
  EXPECT_EQ(settings_.CountryCode(), "41");
  EXPECT_EQ(Stored("ID1").toInt(), 1);
  EXPECT_EQ(Stored("CableLength").toInt(), 1500);
  EXPECT_TRUE(Stored("Psu0").toBool());
  ASSERT_EQ(editor_.Redo().status, action::Status::kDone);
  EXPECT_EQ(settings_.CountryCode(), "49");
  EXPECT_EQ(Stored("CableLength").toInt(), 900);
}

TEST_F(OptionsDialogTest, OkKeepsWhatNothingIsChosenFor) {
  dialog_.Show();
  dialog_.OnTypeCodeChosen("NO-SUCH-CODE");  // leaves the page as it was
  EXPECT_EQ(F().types.SelectedText(), "Alpha");
  F().standby_times.selected = -1;
  F().alarm_times.selected = -1;
  F().types.selected = -1;
  F().housings.selected = -1;
  F().protocols.selected = -1;
  ASSERT_TRUE(Ok());
  EXPECT_EQ(Stored("StandbyTime").toDouble(), 24.0);
  EXPECT_EQ(Stored("AlarmTime").toDouble(), 0.5);
  EXPECT_EQ(Stored("ID1").toInt(), 1);
  EXPECT_EQ(Stored("ID2").toInt(), 10);
  EXPECT_TRUE(Stored("Prot0").toBool());
}

TEST_F(OptionsDialogTest, ALengthThatIsNotAWholeNumberIsRefusedBeforeAnythingIsWritten) {
  for (const char* length : {"12.5", "", "-3", "0"}) {
    SCOPED_TRACE(length);
    prompter_.Clear();
    dialog_.Show();
    dialog_.OnCountryCodeEdited("49");
    dialog_.OnCableChosen(5);
    F().length_text = length;
    EXPECT_FALSE(Ok());
    ASSERT_EQ(prompter_.Warnings().size(), 1);
    EXPECT_TRUE(prompter_.Warnings()[0].startsWith(
        "The total loop length must be a whole number of metres above 0"));
    EXPECT_TRUE(dialog_.IsOpen());
    EXPECT_EQ(Stored("CableSpec").toInt(), 2);
    EXPECT_EQ(Stored("CableLength").toInt(), 1500);
    EXPECT_EQ(settings_.CountryCode(), "41");
  }
  dialog_.Cancel();
}

TEST_F(OptionsDialogTest, CancelWritesNothing) {
  dialog_.Show();
  dialog_.OnCountryCodeEdited("49");
  dialog_.OnTypeChosen(F().types.entries.indexOf("Beta"));
  dialog_.OnLengthTextChanged("700");
  dialog_.Cancel();
  EXPECT_EQ(settings_.CountryCode(), "41");
  EXPECT_EQ(Stored("ID1").toInt(), 1);
  EXPECT_EQ(Stored("CableLength").toInt(), 1500);
}

TEST_F(OptionsDialogTest, TheLanguageIsOfferedAndWrittenOnlyWhenChanged) {
  struct Case {
    const char* stored;  // nullptr: no value
    int shown;           // 0 English, 1 German
    int chosen;
    QString written;
  };
  const Case cases[] = {
      {nullptr, 0, 1, "de"}, {"de_DE", 1, 1, "de_DE"}, {"de", 1, 0, "en"},
      {"fr", 0, 0, "fr"},    {"en", 0, 1, "de"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "none");
    QFile::remove(settings_.KeyFile(i18n::Settings::Hive::kUser));
    settings_.WriteCountryCode("41");
    if (c.stored) {
      ASSERT_TRUE(settings_.WriteUser(i18n::kLanguageValue, c.stored));
    }
    dialog_.Show();
    EXPECT_EQ(F().languages.entries, QStringList({"English", "German"}));
    EXPECT_EQ(F().languages.selected, c.shown);
    dialog_.OnLanguageChosen(c.chosen);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(settings_.Read(i18n::Settings::Hive::kUser, i18n::kLanguageValue).value_or(""),
              c.written);
  }
  // Cancel leaves the setting as it was.
  dialog_.Show();
  dialog_.OnLanguageChosen(0);
  dialog_.Cancel();
  EXPECT_EQ(settings_.Language(), "de");
}

}  // namespace
}  // namespace velmora::workspace
