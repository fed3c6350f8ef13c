#include <gtest/gtest.h>

#include "action/panel_site_fixture.h"
#include "site/images.h"

namespace velmora::action {
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
    prompter_.Clear();
  }

  void SetLoopValue(int loop, const char* column, const QVariant& value) {
    const std::vector<site::Row> rows =
        doc_.Db().Select("Loops", Filter::Equals("PanelNumber", 1).And("LoopNumber", loop));
    ASSERT_FALSE(rows.empty());
    doc_.Db().Update("Loops", rows.front().rowid,
                     {{doc_.Db().ColumnIndex("Loops", column), value}});
  }
};

TEST_F(PanelRulesTest, ClosingTheTypeListOnTheSameEntryReappliesTheType) {
  ASSERT_TRUE(Done("set-housing", {{"panel", 1}, {"housing", "Large"}}));
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", 2}}));
  ASSERT_TRUE(Done("set-power-supply", {{"panel", 1}, {"supply", "Supply B"}}));
  ASSERT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt2", "Opt4"}));

  ASSERT_TRUE(Done("set-panel-type", {{"panel", 1}, {"type", "Alpha"}}));

  EXPECT_EQ(form_.TypeCodeBox().SelectedText(), "G-ALPHA");
  EXPECT_EQ(form_.HousingCodeBox().entries, QStringList({"ALPHA-S", "ALPHA-L"}));
  EXPECT_EQ(form_.HousingCodeBox().SelectedText(), "ALPHA-S");
  EXPECT_EQ(form_.HousingBox().entries, QStringList({"Small", "Large"}));
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Small");
  EXPECT_EQ(PanelCell(1, "Housing Type").toInt(), 10);
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
  ASSERT_TRUE(Done("set-housing-code", {{"panel", 1}, {"code", "ALPHA-L"}}));
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Large");
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "Length"),
              ElementsAre(1500, 1500, 1500, 1500));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Loop 3", "Loop 4", "Outputs"}));
  EXPECT_EQ(tree_.Root()->text, "Panels 1 / Loops 4");

  ASSERT_TRUE(Done("set-housing", {{"panel", 1}, {"housing", "Small"}}));
  EXPECT_EQ(form_.HousingCodeBox().SelectedText(), "ALPHA-S");
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_EQ(tree_.Root()->text, "Panels 1 / Loops 2");
  // A housing the type does not come in is refused.
  EXPECT_EQ(Do("set-housing", {{"panel", 1}, {"housing", "Big Box"}}).status, Status::kRefused);
  EXPECT_EQ(PanelCell(1, "Housing Type").toInt(), 10);
}

TEST_F(PanelRulesTest, ChoosingTheProtocolAlreadySetAsksNothing) {
  state_.SetSiteSaved(true);
  const qint64 devices = Count("Devices");
  EXPECT_EQ(Do("set-protocol", {{"panel", 1}, {"protocol", "Qellon"}}).status, Status::kUnchanged);
  EXPECT_TRUE(prompter_.Records().empty());
  EXPECT_EQ(Count("Devices"), devices);
  EXPECT_EQ(editor_.History().count(), 1);  // the panel added, nothing else
}

TEST_F(PanelRulesTest, CancellingAnotherProtocolKeepsThePanelAsItWas) {
  SetLoopValue(1, "Length", 2500);
  prompter_.AnswerOk(false);
  EXPECT_EQ(Do("set-protocol", {{"panel", 1}, {"protocol", "Sigma"}}).status, Status::kDeclined);
  EXPECT_EQ(prompter_.Texts(), QStringList({"All loop data will de deleted?"}));
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Qellon");
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "Length"), ElementsAre(2500, 1500));
  EXPECT_EQ(Count("Devices"), 2);
  // A protocol the variant does not offer is refused without a question.
  EXPECT_EQ(Do("set-protocol", {{"panel", 1}, {"protocol", "Delta"}}).status, Status::kRefused);
}

TEST_F(PanelRulesTest, AnotherProtocolClampsLengthsAndLeavesBlankDeviceRows) {
  ASSERT_TRUE(Done("set-housing", {{"panel", 1}, {"housing", "Large"}}));
  SetLoopValue(1, "Length", 2500);
  InsertRow(doc_.Db(), "Devices", {{"Panel", 1}, {"Loop", 2}, {"DeviceQuantity", 5}});
  doc_.Db().DeleteWhere("Devices", Filter::Equals("Panel", 1).And("Loop", 4));
  doc_.Db().DeleteWhere("Devices", Filter::Equals("Panel", 1).And("Loop", 3));

  prompter_.AnswerOk(true);
  ASSERT_TRUE(Done("set-protocol", {{"panel", 1}, {"protocol", "Sigma"}}));

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
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", "Board 0"}}));
  EXPECT_TRUE(PanelFlag(1, "Opt0"));
  EXPECT_EQ(form_.OptionButtons()[0].image, kTicked);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2, 3, 4));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Loop 3", "Loop 4", "Outputs"}));
  // The board's two 400 mA outputs follow the panel's own outputs.
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3, 4));

  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", 0}}));
  EXPECT_FALSE(PanelFlag(1, "Opt0"));
  EXPECT_EQ(form_.OptionButtons()[0].image, kUnticked);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
}

TEST_F(PanelRulesTest, BoardOpt50AddsEightOutputsOf500mA) {
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", 5}}));
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3, 4, 5, 6, 7, 8, 9, 10));
  EXPECT_THAT(Ints("Outputs", Filter::Equals("Panel", 1), "MAX"),
              ElementsAre(500, 500, 100, 500, 500, 500, 500, 500, 500, 500, 500));
}

TEST_F(PanelRulesTest, ABoardOfTheSameGroupUnticksTheOtherButLeavesItsLoops) {
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", 0}}));
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", 1}}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt1", "Opt4"}));
  EXPECT_EQ(form_.OptionButtons()[0].image, kUnticked);
  EXPECT_EQ(form_.OptionButtons()[1].image, kTicked);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101, 3, 4));
  EXPECT_EQ(ChildTexts(1).size(), 5);
  // A board that is not available cannot be ticked.
  EXPECT_EQ(Do("toggle-option-board", {{"panel", 1}, {"board", 3}}).status, Status::kRefused);
  EXPECT_FALSE(PanelFlag(1, "Opt3"));
}

TEST_F(PanelRulesTest, PowerSupplyClicks) {
  ASSERT_EQ(SupplyImages(), std::vector<int>({kTicked, kUnticked, kNotAvailable}));
  // Not available: the click changes nothing.
  EXPECT_EQ(Do("set-power-supply", {{"panel", 1}, {"supply", 2}}).status, Status::kRefused);
  EXPECT_EQ(SupplyImages(), std::vector<int>({kTicked, kUnticked, kNotAvailable}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));

  ASSERT_TRUE(Done("set-power-supply", {{"panel", 1}, {"supply", 1}}));
  EXPECT_EQ(SupplyImages(), std::vector<int>({kUnticked, kTicked, kNotAvailable}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu1"}));
}

TEST_F(PanelRulesTest, AVariantOfferingOnlyApolloShowsAnEmptyDisabledProtocolBox) {
  ASSERT_TRUE(Done("set-panel-type", {{"panel", 1}, {"type", "Beta"}}));
  EXPECT_EQ(form_.TypeCodeBox().SelectedText(), "G-BETA");
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Small");
  EXPECT_EQ(form_.ProtocolBox().Count(), 0);
  EXPECT_FALSE(form_.ProtocolBox().enabled);
  EXPECT_TRUE(SetFlags(1, "Prot", 4).isEmpty());

  // By group code to the same type, then to its housing with two standard protocols.
  ASSERT_TRUE(Do("set-panel-type-code", {{"panel", 1}, {"code", "G-BETA"}}).Carried());
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Beta");
  ASSERT_TRUE(Done("set-housing", {{"panel", 1}, {"housing", "Big Box"}}));
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0", "Prot1"}));
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Sigma");
  EXPECT_TRUE(form_.ProtocolBox().enabled);
}

TEST_F(PanelRulesTest, AFailedStoreUndoesTheWholeActionAndSaysSo) {
  // A loop row the store cannot add makes the housing change fail half-way (the store runs no
  // triggers, so a unique index refuses the second new loop).
  doc_.Db().Execute(
      "CREATE UNIQUE INDEX one_loop_per_panel ON Loops (PanelNumber) WHERE LoopNumber > 2");
  const Result result = Do("set-housing", {{"panel", 1}, {"housing", "Large"}});
  EXPECT_EQ(result.status, Status::kRefused);
  ASSERT_EQ(result.messages.size(), 1);
  EXPECT_TRUE(result.messages.front().startsWith("The change could not be stored"));
  EXPECT_EQ(PanelCell(1, "Housing Type").toInt(), 10);
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
  EXPECT_EQ(TabCaptions(), QStringList({"Site", "Panel1"}));
  EXPECT_EQ(editor_.History().count(), 1);
}

}  // namespace
}  // namespace velmora::action
