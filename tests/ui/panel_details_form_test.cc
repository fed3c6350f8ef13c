#include "ui/panel_details_form.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "site/images.h"
#include "ui/choice_button_group.h"
#include "views_fixture.h"

namespace velmora::ui {
namespace {

using site::Filter;

class PanelDetailsFormTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    view_ = std::make_unique<TFormPanelDetails>(E());
    view_->show();
    AddPanel();
    Settle();
  }
  void TearDown() override {
    view_.reset();
    ViewsTest::TearDown();
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = view_->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  ChoiceButtonGroup* Options() { return Find<ChoiceButtonGroup>("ButtonGroupPanelOptions"); }
  ChoiceButtonGroup* Supplies() { return Find<ChoiceButtonGroup>("ButtonGroupPowerSupply"); }

  QVariant PanelCell(const QString& column) {
    return Cell("Panels", Filter::Equals("Panel Number", 1), column);
  }

  // Opens the list and closes it with Enter on the entry it shows, as the user does.
  void CloseUpOnCurrentEntry(QComboBox* box) {
    box->showPopup();
    Settle();
    QTest::keyClick(box->view(), Qt::Key_Return);
    Settle();
  }

  std::unique_ptr<TFormPanelDetails> view_;
};

TEST_F(PanelDetailsFormTest, ShowsThePanelAndTheButtonsOfItsVariant) {
  EXPECT_EQ(Find<QComboBox>("ComboBoxPanelType")->currentText(), "VX-4");
  EXPECT_EQ(Find<QComboBox>("ComboBoxPanelTypeCode")->currentText(), "VX4");
  EXPECT_EQ(Find<QComboBox>("ComboBoxHousingType")->currentText(), "Standard");
  EXPECT_EQ(Find<QComboBox>("ComboBoxHousingTypeCode")->currentText(), "VXP-4020");
  EXPECT_EQ(Find<QComboBox>("ComboBoxPanelProtocol")->currentText(), "Digital 2000");
  EXPECT_EQ(Find<QLineEdit>("DBEditPanelName")->text(), PanelCell("Panel Name").toString());
  EXPECT_TRUE(Find<QLineEdit>("EditBattery")->text().contains(" => "));
  ASSERT_EQ(Supplies()->Count(), 3);
  EXPECT_EQ(Supplies()->Button(1)->text(), "PSU 5 A");
  EXPECT_EQ(Supplies()->Button(1)->property("image").toInt(), site::kImageTicked);
  EXPECT_EQ(Supplies()->Button(2)->property("image").toInt(), site::kImageNotAvailable);
  ASSERT_EQ(Options()->Count(), 9);
  EXPECT_EQ(Options()->Button(3)->property("image").toInt(), site::kImageNotAvailable);
  EXPECT_EQ(Options()->Button(7)->property("image").toInt(), site::kImageUnticked);
  // The hidden lists the battery sizing reads.
  EXPECT_EQ(Find<QComboBox>("ComboBoxBatteryHalvoCapacity")->count(), 6);
  EXPECT_EQ(Find<QComboBox>("ComboBoxBatteryHalvoModels")->itemText(0), "VB-1207");
  EXPECT_FALSE(Find<QComboBox>("ComboBoxBatteryMornaxCapacity")->isVisible());
}

TEST_F(PanelDetailsFormTest, ButtonsWidenWithTheViewButNeverBelow180) {
  const struct {
    int view_width;
    int button_width;
  } cases[] = {{1000, 239}, {700, 180}, {686, 180}, {1242, 300}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.view_width);
    view_->resize(c.view_width, TFormPanelDetails::kDesignHeight);
    Settle();
    for (ChoiceButtonGroup* group : {Options(), Supplies()}) {
      for (int i = 0; i < group->Count(); ++i) EXPECT_EQ(group->Button(i)->width(), c.button_width);
    }
    // Anchored left, top and right.
    EXPECT_EQ(Find<QComboBox>("ComboBoxPanelType")->geometry(),
              QRect(338, 50, 342 + c.view_width - 686, 21));
    EXPECT_EQ(Find<QLineEdit>("EditBattery")->width(), 497 + c.view_width - 686);
  }
}

TEST_F(PanelDetailsFormTest, ClosingTheTypeListOnTheSameEntryAppliesTheTypeAgain) {
  auto* housing = Find<QComboBox>("ComboBoxHousingType");
  housing->setCurrentIndex(housing->findText("Big Cabinet"));
  CloseUpOnCurrentEntry(housing);
  ASSERT_EQ(PanelCell("Housing Type").toInt(), 3);
  EXPECT_EQ(Find<QComboBox>("ComboBoxHousingTypeCode")->currentText(), "VXP-4030T");
  QTest::mouseClick(Options()->Button(7), Qt::LeftButton);
  ASSERT_TRUE(PanelCell("Opt7").toBool());

  W().State().SetSiteSaved(true);
  CloseUpOnCurrentEntry(Find<QComboBox>("ComboBoxPanelType"));
  EXPECT_EQ(PanelCell("Housing Type").toInt(), 2);
  EXPECT_FALSE(PanelCell("Opt7").toBool());
  EXPECT_TRUE(PanelCell("Psu1").toBool());
  EXPECT_EQ(housing->currentText(), "Standard");
  EXPECT_EQ(Find<QComboBox>("ComboBoxHousingTypeCode")->currentText(), "VXP-4020");
  EXPECT_EQ(Options()->Button(7)->property("image").toInt(), site::kImageUnticked);
  EXPECT_EQ(W().Doc().Db().Count("Loops", Filter::Equals("PanelNumber", 1)), 4);
}

TEST_F(PanelDetailsFormTest, ButtonClicksGoToThePanelRulesAndNotAvailableOnesAreIgnored) {
  const qint64 loops = W().Doc().Db().Count("Loops");
  W().State().SetSiteSaved(true);
  QTest::mouseClick(Options()->Button(3), Qt::LeftButton);  // not available
  EXPECT_FALSE(PanelCell("Opt3").toBool());
  EXPECT_EQ(Options()->Button(3)->property("image").toInt(), site::kImageNotAvailable);
  EXPECT_EQ(W().Doc().Db().Count("Loops"), loops);
  EXPECT_TRUE(W().State().SiteSaved());  // nothing changed

  QTest::mouseClick(Options()->Button(2), Qt::LeftButton);  // a loop card with two loops
  EXPECT_TRUE(PanelCell("Opt2").toBool());
  EXPECT_EQ(Options()->Button(2)->property("image").toInt(), site::kImageTicked);
  EXPECT_EQ(W().Doc().Db().Count("Loops"), loops + 2);

  QTest::mouseClick(Supplies()->Button(0), Qt::LeftButton);
  EXPECT_TRUE(PanelCell("Psu0").toBool());
  EXPECT_FALSE(PanelCell("Psu1").toBool());
  QTest::mouseClick(Supplies()->Button(2), Qt::LeftButton);
  EXPECT_TRUE(PanelCell("Psu0").toBool());
  EXPECT_EQ(Supplies()->Button(2)->property("image").toInt(), site::kImageNotAvailable);
}

TEST_F(PanelDetailsFormTest, BoardsThatCannotBeChosenAreDisabledAndSayWhy) {
  // The default panel, a VXP-4020, offers neither the fourth board nor the third supply.
  for (ChoiceButtonGroup* group : {Options(), Supplies()}) {
    for (int i = 0; i < group->Count(); ++i) {
      QToolButton* button = group->Button(i);
      SCOPED_TRACE(button->text().toStdString());
      const bool available = button->property("image").toInt() != site::kImageNotAvailable;
      EXPECT_EQ(button->isEnabled(), available);
      if (available) {
        EXPECT_TRUE(button->toolTip().isEmpty());
      } else {
        EXPECT_EQ(button->toolTip(), group == Options()
                                         ? "The VXP-4020 panel does not offer this option board."
                                         : "The VXP-4020 panel does not offer this power supply.");
      }
    }
  }
  EXPECT_FALSE(Options()->Button(3)->isEnabled());
  EXPECT_FALSE(Supplies()->Button(2)->isEnabled());
  EXPECT_TRUE(Options()->Button(2)->isEnabled());
}

TEST_F(PanelDetailsFormTest, RenamingThePanelRenamesItsTabAndNodeAtOnce) {
  auto* name = Find<QLineEdit>("DBEditPanelName");
  name->selectAll();
  QTest::keyClicks(name, "North");
  EXPECT_EQ(PanelCell("Panel Name").toString(), "North");
  EXPECT_EQ(E().Tabs().Caption(1), "North");
  EXPECT_EQ(E().Tree().PanelNode(1)->text, "North");
  EXPECT_FALSE(W().State().SiteSaved());
}

}  // namespace
}  // namespace velmora::ui
