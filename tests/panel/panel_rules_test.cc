#include "panel/panel_rules.h"

#include <gtest/gtest.h>

#include "panel/panel_site_fixture.h"
#include "site/images.h"

namespace velmora::panel {
namespace {

using site::Filter;
using ::testing::ElementsAre;
using testing::InsertRow;

constexpr int kUnticked = site::kImageUnticked;
constexpr int kTicked = site::kImageTicked;
constexpr int kNotAvailable = site::kImageNotAvailable;

class PanelRulesTest : public testing::PanelSiteTest {
 protected:
  void SetUp() override {
    PanelSiteTest::SetUp();
    AddPanel();
    state_.SetSiteSaved(true);
  }

  void SetLoopValue(int loop, const char* column, const QVariant& value) {
    site::Table loops(&doc_.Db(), "Loops");
    loops.SetFilter(Filter::Equals("PanelNumber", 1).And("LoopNumber", loop));
    loops.SetFiltered(true);
    loops.Open();
    loops.First();
    loops.SetValue(column, value);
    loops.Post();
  }
};

TEST_F(PanelRulesTest, ClosingTheTypeListOnTheSameEntryReappliesTheType) {
  ASSERT_TRUE(SelectHousing(run_, form_, "Large", "Alpha"));
  ASSERT_TRUE(ToggleOptionBoard(run_, form_, 2));
  ASSERT_TRUE(SelectPowerSupply(run_, form_, 1));
  ASSERT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt2", "Opt4"}));

  ASSERT_TRUE(SelectPanelType(run_, form_, "Alpha"));

  EXPECT_EQ(form_.TypeCodeBox().SelectedText(), "G-ALPHA");
  EXPECT_EQ(form_.HousingCodeBox().entries, QStringList({"ALPHA-S", "ALPHA-L"}));
  EXPECT_EQ(form_.HousingCodeBox().SelectedText(), "ALPHA-S");
  EXPECT_EQ(form_.HousingBox().entries, QStringList({"Small", "Large"}));
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Small");
  doc_.Panels().Locate("Panel Number", 1);
  EXPECT_EQ(doc_.Panels().Int("Housing Type"), 10);
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt4"}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));
  EXPECT_EQ(SupplyImages(), std::vector<int>({kTicked, kUnticked, kNotAvailable}));
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_EQ(form_.ProtocolBox().entries, QStringList({"Qellon", "Sigma"}));
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Qellon");
  EXPECT_TRUE(form_.ProtocolBox().enabled);
  EXPECT_FALSE(state_.SiteSaved());
}

TEST_F(PanelRulesTest, HousingFromFourLoopsToTwoAndBack) {
  // By variant code to the large housing: the housing box follows.
  ASSERT_TRUE(SelectHousingCode(run_, form_, "ALPHA-L", "G-ALPHA"));
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Large");
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "Length"),
              ElementsAre(1500, 1500, 1500, 1500));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Loop 3", "Loop 4", "Outputs"}));
  EXPECT_EQ(tree_.Root()->text, "Panels 1 / Loops 4");

  ASSERT_TRUE(SelectHousing(run_, form_, "Small", "Alpha"));
  EXPECT_EQ(form_.HousingCodeBox().SelectedText(), "ALPHA-S");
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_EQ(tree_.Root()->text, "Panels 1 / Loops 2");
}

TEST_F(PanelRulesTest, ChoosingTheProtocolAlreadySetAsksNothing) {
  const qint64 devices = Count("Devices");
  ASSERT_TRUE(SelectProtocol(run_, form_, "Qellon"));
  EXPECT_TRUE(prompter_.Records().empty());
  EXPECT_EQ(Count("Devices"), devices);
  EXPECT_TRUE(state_.SiteSaved());
}

TEST_F(PanelRulesTest, CancellingAnotherProtocolKeepsThePanelAsItWas) {
  SetLoopValue(1, "Length", 2500);
  prompter_.AnswerOk(false);
  form_.ProtocolBox().Select("Sigma");  // what the closed list shows
  ASSERT_TRUE(SelectProtocol(run_, form_, "Sigma"));
  EXPECT_EQ(prompter_.Texts(), QStringList({"All loop data will de deleted?"}));
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Qellon");
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "Length"), ElementsAre(2500, 1500));
  EXPECT_EQ(Count("Devices"), 2);
}

TEST_F(PanelRulesTest, AnotherProtocolClampsLengthsAndLeavesBlankDeviceRows) {
  ASSERT_TRUE(SelectHousing(run_, form_, "Large", "Alpha"));
  SetLoopValue(1, "Length", 2500);
  SetLoopValue(1, "QuiescentCurrent", 12.5);
  InsertRow(doc_.Db(), "Devices", {{"Panel", 1}, {"Loop", 2}, {"DeviceQuantity", 5}});
  doc_.Db().DeleteWhere("Devices", Filter::Equals("Panel", 1).And("Loop", 4));
  doc_.Db().DeleteWhere("Devices", Filter::Equals("Panel", 1).And("Loop", 3));
  state_.SetSiteSaved(true);

  prompter_.AnswerOk(true);
  ASSERT_TRUE(SelectProtocol(run_, form_, "Sigma"));

  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot1"}));
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "Length"),
              ElementsAre(2000, 1500, 1500, 1500));
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "QuiescentCurrent"),
              ElementsAre(0, 0, 0, 0));
  // One blank row for each loop up to the highest that had device rows.
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2));
  EXPECT_THAT(Ints("Devices", Filter::Equals("Panel", 1), "DeviceQuantity"), ElementsAre(0, 0));
  EXPECT_FALSE(state_.SiteSaved());
}

TEST_F(PanelRulesTest, BoardOpt12AddsTwoLoopsAndTakesThemAwayAgain) {
  ASSERT_TRUE(ToggleOptionBoard(run_, form_, 0));
  EXPECT_TRUE(PanelFlag(1, "Opt0"));
  EXPECT_EQ(form_.OptionButtons()[0].image, kTicked);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2, 3, 4));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Loop 3", "Loop 4", "Outputs"}));
  // The board's two 400 mA outputs follow the panel's own outputs.
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3, 4));

  ASSERT_TRUE(ToggleOptionBoard(run_, form_, 0));
  EXPECT_FALSE(PanelFlag(1, "Opt0"));
  EXPECT_EQ(form_.OptionButtons()[0].image, kUnticked);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
}

TEST_F(PanelRulesTest, BoardOpt50AddsEightOutputsOf500mA) {
  ASSERT_TRUE(ToggleOptionBoard(run_, form_, 5));
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3, 4, 5, 6, 7, 8, 9, 10));
  EXPECT_THAT(Ints("Outputs", Filter::Equals("Panel", 1), "MAX"),
              ElementsAre(500, 500, 100, 500, 500, 500, 500, 500, 500, 500, 500));
}

TEST_F(PanelRulesTest, ABoardOfTheSameGroupUnticksTheOtherButLeavesItsLoops) {
  ASSERT_TRUE(ToggleOptionBoard(run_, form_, 0));
  ASSERT_TRUE(ToggleOptionBoard(run_, form_, 1));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt1", "Opt4"}));
  EXPECT_EQ(form_.OptionButtons()[0].image, kUnticked);
  EXPECT_EQ(form_.OptionButtons()[1].image, kTicked);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3, 4));
  EXPECT_EQ(ChildTexts(1).size(), 5);
}

TEST_F(PanelRulesTest, PowerSupplyClicks) {
  ASSERT_EQ(SupplyImages(), std::vector<int>({kTicked, kUnticked, kNotAvailable}));
  // Not available: the click changes nothing.
  ASSERT_TRUE(SelectPowerSupply(run_, form_, 2));
  EXPECT_EQ(SupplyImages(), std::vector<int>({kTicked, kUnticked, kNotAvailable}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));
  EXPECT_TRUE(state_.SiteSaved());

  ASSERT_TRUE(SelectPowerSupply(run_, form_, 1));
  EXPECT_EQ(SupplyImages(), std::vector<int>({kUnticked, kTicked, kNotAvailable}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu1"}));
  EXPECT_FALSE(state_.SiteSaved());
}

TEST_F(PanelRulesTest, AVariantOfferingOnlyApolloShowsAnEmptyDisabledProtocolBox) {
  ASSERT_TRUE(SelectPanelType(run_, form_, "Beta"));
  EXPECT_EQ(form_.TypeCodeBox().SelectedText(), "G-BETA");
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Small");
  EXPECT_EQ(form_.ProtocolBox().Count(), 0);
  EXPECT_FALSE(form_.ProtocolBox().enabled);
  EXPECT_TRUE(SetFlags(1, "Prot", 4).isEmpty());

  // By group code to the same type, then to its housing with two standard protocols.
  ASSERT_TRUE(SelectPanelTypeCode(run_, form_, "G-BETA"));
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Beta");
  ASSERT_TRUE(SelectHousing(run_, form_, "Big Box", "Beta"));
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0", "Prot1"}));
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Sigma");
  EXPECT_TRUE(form_.ProtocolBox().enabled);
}

TEST_F(PanelRulesTest, AFailedStoreUndoesTheWholeActionAndSaysSo) {
  // A loop row the store cannot add makes the housing change fail half-way (the store runs no
  // triggers, so a unique index refuses the second new loop).
  doc_.Db().Execute("CREATE UNIQUE INDEX no_new_loops ON Loops (PanelNumber) WHERE LoopNumber > 2");
  EXPECT_FALSE(SelectHousing(run_, form_, "Large", "Alpha"));
  EXPECT_EQ(prompter_.Warnings().size(), 1);
  doc_.Panels().Locate("Panel Number", 1);
  EXPECT_EQ(doc_.Panels().Int("Housing Type"), 10);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_EQ(TabCaptions(), QStringList({"Site", "Panel1"}));
}

}  // namespace
}  // namespace velmora::panel
