#include "ui/options_form.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "site/images.h"
#include "ui/choice_button_group.h"
#include "views_fixture.h"

namespace velmora::ui {
namespace {

class OptionsFormTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    settings_.WriteCountryCode("41");
    dialog_ = std::make_unique<TFormOptions>(E());
    dialog_->show();
    Settle();
  }
  void TearDown() override {
    dialog_.reset();
    ViewsTest::TearDown();
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = dialog_->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QVariant Stored(const QString& column) {
    site::Table row(&W().Catalogue().DataDb(), "DefaultPanel");
    row.Open();
    row.First();
    return row.Value(column);
  }
  void PickInList(const char* name, const QString& entry) {
    auto* box = Find<QComboBox>(name);
    box->showPopup();
    Settle();
    box->view()->setCurrentIndex(box->model()->index(box->findText(entry), 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    Settle();
  }
  void Type(const char* name, const QString& text) {
    auto* edit = Find<QLineEdit>(name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }

  i18n::Settings settings_{home_.Path("user"), home_.Path("machine")};
  std::unique_ptr<TFormOptions> dialog_;
};

TEST_F(OptionsFormTest, ShowingLoadsTheDefaults) {
  EXPECT_EQ(Find<QTabWidget>("PageControlOptions")->currentIndex(), 0);
  EXPECT_EQ(Find<QComboBox>("ComboBoxSalesChannel")->currentText(), "Tarvik");
  EXPECT_EQ(Find<QComboBox>("ComboBoxStandbyTime")->currentText(), "24 Hours");
  EXPECT_EQ(Find<QComboBox>("ComboBoxAlarmTime")->currentText(), "30 Minutes");
  EXPECT_EQ(Find<QLineEdit>("EditCountryCode")->text(), "41");
  EXPECT_EQ(Find<QComboBox>("ComboBoxPanelType")->currentText(), "VX-4");
  EXPECT_EQ(Find<QComboBox>("ComboBoxHousingTypeCode")->currentText(), "VXP-4020");
  EXPECT_EQ(Find<QComboBox>("ComboBoxPanelProtocol")->currentText(), "Digital 2000");
  auto* supplies = Find<ChoiceButtonGroup>("ButtonGroupPowerSupply");
  ASSERT_EQ(supplies->Count(), 3);
  EXPECT_EQ(supplies->ButtonWidth(), 180);
  EXPECT_EQ(supplies->Button(1)->property("image").toInt(), site::kImageTicked);
  EXPECT_EQ(Find<QLineEdit>("EditLoopLength")->text(), "500");
  EXPECT_EQ(Find<QComboBox>("ComboBoxCableSpec")->currentText(), "0.8 mm²");
}

TEST_F(OptionsFormTest, CancelChangesNothing) {
  dialog_->hide();
  dialog_->show();  // shown again
  PickInList("ComboBoxPanelType", "VX-8");
  Type("EditLoopLength", "900");
  Type("EditCountryCode", "49");
  QTest::mouseClick(Find<QPushButton>("ButtonCancel"), Qt::LeftButton);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(Stored("ID1").toInt(), 3);
  EXPECT_EQ(Stored("CableLength").toInt(), 500);
  EXPECT_EQ(settings_.CountryCode(), "41");
  EXPECT_FALSE(E().History().canUndo());
}

TEST_F(OptionsFormTest, OkWritesTheRow) {
  PickInList("ComboBoxPanelType", "VX-8");
  EXPECT_EQ(Find<QComboBox>("ComboBoxHousingTypeCode")->currentText(), "VXP-8030");
  PickInList("ComboBoxHousingType", "Big Rack");
  EXPECT_EQ(Find<QComboBox>("ComboBoxHousingTypeCode")->currentText(), "VXP-8040T");
  QTest::mouseClick(Find<ChoiceButtonGroup>("ButtonGroupPanelOptions")->Button(7), Qt::LeftButton);
  Find<QComboBox>("ComboBoxCableSpec")->setCurrentIndex(3);
  Type("EditLoopLength", "2500");  // the protocol allows 3000 m
  Type("EditCountryCode", "49");
  QTest::mouseClick(Find<QPushButton>("ButtonOK"), Qt::LeftButton);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_TRUE(prompter_.Warnings().isEmpty());
  EXPECT_EQ(Stored("ID1").toInt(), 4);
  EXPECT_EQ(Stored("ID2").toInt(), 4);
  EXPECT_TRUE(Stored("Opt7").toBool());
  EXPECT_TRUE(Stored("Opt4").toBool());  // standard on this housing
  EXPECT_TRUE(Stored("Prot0").toBool());
  EXPECT_EQ(Stored("CableSpec").toInt(), 3);
  EXPECT_EQ(Stored("CableLength").toInt(), 2500);
  EXPECT_EQ(settings_.CountryCode(), "49");
  EXPECT_EQ(E().History().undoText(), "Change defaults");
}

TEST_F(OptionsFormTest, OkRefusesALengthThatIsNoWholeNumber) {
  Type("EditLoopLength", "12.5");  // each keystroke is clamped: "12." and "12.5" are refused
  EXPECT_EQ(prompter_.Warnings(), QStringList({"'12.' is not a valid integer value",
                                               "'12.5' is not a valid integer value"}));
  prompter_.Clear();
  QTest::mouseClick(Find<QPushButton>("ButtonOK"), Qt::LeftButton);
  ASSERT_EQ(prompter_.Warnings().size(), 1);
  EXPECT_TRUE(prompter_.Warnings()[0].startsWith("The total loop length must be a whole number"));
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(Stored("CableLength").toInt(), 500);
}

}  // namespace
}  // namespace velmora::ui
