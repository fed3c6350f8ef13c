#include <gtest/gtest.h>

#include "action/panel_site_fixture.h"
#include "site/images.h"

namespace velmora::action {
namespace {

using site::Filter;
using testing::ClearTable;
using ::testing::ElementsAre;
using testing::InsertRow;

class PanelLifecycleTest : public testing::PanelSiteTest {
 protected:
  void SetDefault(const char* column, const QVariant& value) {
    site::Database& db = catalogue_.DataDb();
    db.Update("DefaultPanel", db.Select("DefaultPanel").front().rowid,
              {{db.ColumnIndex("DefaultPanel", column), value}});
  }
  QVariant LoopCell(int p, int l, const char* column) {
    const std::vector<site::Row> rows =
        doc_.Db().Select("Loops", Filter::Equals("PanelNumber", p).And("LoopNumber", l));
    return rows.empty() ? QVariant() : rows.front().values[doc_.Db().ColumnIndex("Loops", column)];
  }
};

TEST_F(PanelLifecycleTest, NewPanelFromAFittingDefaultCopiesItsFlagsAndLoopDefaults) {
  // Two boards of the default add outputs: the second board's are numbered after the first's.
  SetDefault("Opt0", true);
  SetDefault("Opt5", true);
  AddPanel();

  ASSERT_EQ(Count("Panels"), 1);
  EXPECT_EQ(PanelCell(1, "Panel Name").toString(), "Panel1");
  EXPECT_EQ(PanelCell(1, "Panel Type").toInt(), 1);
  EXPECT_EQ(PanelCell(1, "Housing Type").toInt(), 10);
  EXPECT_EQ(PanelCell(1, "SalesChannel").toString(), "Tarvik");
  // 1500 m of 1.0 mm² are 57 ohm: a new panel's loops are checked as soon as they exist.
  EXPECT_EQ(PanelCell(1, "Loop Loads").toString(), "Loop Overload");
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt0", "Opt4", "Opt5"}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));

  // LoopCount 2 and two loops of board OPT12, each with one blank device row.
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2, 3, 4));
  EXPECT_EQ(LoopCell(1, 3, "Loop").toString(), "Loop 3");
  EXPECT_EQ(LoopCell(1, 3, "Length").toInt(), 1500);
  EXPECT_EQ(LoopCell(1, 3, "CableSpec").toInt(), 2);
  EXPECT_DOUBLE_EQ(LoopCell(1, 3, "Resistance").toDouble(), 19.0);
  EXPECT_EQ(LoopCell(1, 3, "AlarmIndicators").toInt(), 3);
  EXPECT_TRUE(LoopCell(1, 3, "Spread").toBool());
  EXPECT_EQ(LoopCell(1, 3, "SpreadLength").toInt(), 10);
  EXPECT_EQ(LoopCell(1, 3, "OK").toString(), "Loop Overload [E03]");
  EXPECT_FALSE(LoopCell(1, 3, "OKBoolean").toBool());
  EXPECT_THAT(Ints("Devices", Filter::Equals("Panel", 1), "DeviceQuantity"),
              ElementsAre(0, 0, 0, 0));

  // Outputs 1, 2 of the panel, 5, 6 of board 0 (400 mA), 7 ... 14 of board 5, then 101.
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 101));
  EXPECT_THAT(Ints("Outputs", Filter::Equals("Panel", 1), "MAX"),
              ElementsAre(500, 500, 400, 400, 500, 500, 500, 500, 500, 500, 500, 500, 100));

  EXPECT_EQ(TabCaptions(), QStringList({"Site", "Panel1"}));
  EXPECT_EQ(tabs_.Active(), 1);
  EXPECT_EQ(tabs_.At(1).image, site::kImagePanel);
  EXPECT_EQ(tree_.Root()->text, "Panels 1 / Loops 4");
  EXPECT_EQ(PanelNodeTexts(), QStringList({"Panel1"}));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Loop 3", "Loop 4", "Outputs"}));
  EXPECT_EQ(tree_.Selected(), tree_.PanelNode(1));
  EXPECT_TRUE(tree_.Root()->expanded);

  EXPECT_EQ(views_.Current(), site::DetailView::kPanel);
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Alpha");
  EXPECT_EQ(form_.HousingBox().SelectedText(), "Small");
  EXPECT_EQ(form_.ProtocolBox().SelectedText(), "Qellon");
  EXPECT_FALSE(state_.SiteSaved());
  EXPECT_EQ(editor_.History().undoText(), "Add panel");
}

TEST_F(PanelLifecycleTest, NewPanelFromADefaultOutsideTheChannelTakesTheFirstVariant) {
  // Gamma is sold only through Mornax; the site is Tarvik.
  SetDefault("ID1", 3);
  SetDefault("Opt2", true);
  AddPanel();

  EXPECT_EQ(PanelCell(1, "Panel Type").toInt(), 1);
  EXPECT_EQ(PanelCell(1, "Housing Type").toInt(), 10);
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt4"}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "Length"), ElementsAre(250, 250));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
}

TEST_F(PanelLifecycleTest, AddingWhenTheChannelOffersNoPanelWarnsAndAddsNothing) {
  ClearTable(catalogue_.DataDb(), "2010_2_PanelCompatibility");
  const Result result = Do("add-panel");
  EXPECT_EQ(result.status, Status::kRefused);
  ASSERT_EQ(result.messages.size(), 1);
  EXPECT_TRUE(result.messages.front().contains("no panel"));
  EXPECT_EQ(Count("Panels"), 0);
  EXPECT_EQ(Count("Loops"), 0);
  EXPECT_EQ(Count("Outputs"), 0);
  EXPECT_EQ(tabs_.Count(), 1);
  EXPECT_EQ(tree_.PanelCount(), 0);
  EXPECT_EQ(editor_.History().count(), 0);
}

TEST_F(PanelLifecycleTest, DeletingAPanelRenumbersTheLaterOnesInAllFourTables) {
  AddPanel();
  AddPanel();
  AddPanel();
  ASSERT_TRUE(Done("set-panel-name", {{"panel", 3}, {"name", "Third"}}));

  prompter_.AnswerOk(true);
  ASSERT_TRUE(Done("delete-panel", {{"panel", 2}}));
  EXPECT_EQ(prompter_.Texts(), QStringList{"Are you sure you want to delete Panel2 ?"});

  EXPECT_THAT(Ints("Panels", {}, "Panel Number"), ElementsAre(1, 2));
  EXPECT_EQ(Count("Loops", Filter::Equals("PanelNumber", 3)), 0);
  EXPECT_THAT(LoopNumbers(2), ElementsAre(1, 2));
  EXPECT_THAT(DeviceLoops(2), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(2), ElementsAre(1, 2, 101));
  EXPECT_EQ(Count("Devices", Filter::Equals("Panel", 3)), 0);
  EXPECT_EQ(Count("Outputs", Filter::Equals("Panel", 3)), 0);
  EXPECT_EQ(TabCaptions(), QStringList({"Site", "Panel1", "Third"}));
  EXPECT_EQ(PanelNodeTexts(), QStringList({"Panel1", "Third"}));
  EXPECT_EQ(tree_.Selected(), tree_.Root());
  EXPECT_EQ(views_.Current(), site::DetailView::kSite);
  EXPECT_EQ(tree_.Root()->text, "Panels 2 / Loops 4");

  // Cancel in the question leaves everything as it was.
  prompter_.AnswerOk(false);
  EXPECT_EQ(Do("delete-panel", {{"panel", 1}}).status, Status::kDeclined);
  EXPECT_EQ(Count("Panels"), 2);
  ASSERT_TRUE(Done("delete-panel", {{"panel", 1}, {"answer", "ok"}}));
  ASSERT_TRUE(Done("delete-panel", {{"panel", 1}, {"answer", "ok"}}));
  EXPECT_EQ(tree_.Root()->text, "Panels 0 / Loops 0");
  EXPECT_EQ(Do("delete-panel", {{"panel", 1}, {"answer", "ok"}}).status, Status::kRefused);
}

TEST_F(PanelLifecycleTest, DuplicatingAPanelCopiesItsRowsUnderTheNextNumber) {
  AddPanel();
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", 0}}));  // four loops
  ASSERT_TRUE(
      Done("set-device-quantity", {{"panel", 1}, {"loop", 2}, {"row", 1}, {"quantity", 3}}));
  ASSERT_TRUE(Done("duplicate-panel", {{"panel", 1}}));
  EXPECT_EQ(PanelCell(2, "Panel Name").toString(), "Panel2");
  EXPECT_EQ(SetFlags(2, "Opt", 9), SetFlags(1, "Opt", 9));
  EXPECT_EQ(LoopNumbers(2), LoopNumbers(1));
  EXPECT_EQ(DeviceLoops(2), DeviceLoops(1));
  EXPECT_EQ(OutputNumbers(2), OutputNumbers(1));
  EXPECT_EQ(Ints("Devices", Filter::Equals("Panel", 2), "DeviceQuantity"),
            Ints("Devices", Filter::Equals("Panel", 1), "DeviceQuantity"));
  EXPECT_EQ(tabs_.Active(), 2);
  EXPECT_EQ(ChildTexts(2).size(), 5);
}

TEST_F(PanelLifecycleTest, OpeningRebuildsTabsAndSubtreesFromTheStoredPanels) {
  AddPanel();
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 1}, {"board", 0}}));  // board OPT12
  ASSERT_TRUE(Done("set-panel-name", {{"panel", 1}, {"name", "Hall"}}));
  // A panel of another channel has a node for each of its stored loops.
  StorePanel(2, 3, 10, {"Prot0"});
  InsertRow(doc_.Db(), "Loops", {{"PanelNumber", 2}, {"LoopNumber", 1}});
  InsertRow(doc_.Db(), "Loops", {{"PanelNumber", 2}, {"LoopNumber", 2}});
  InsertRow(doc_.Db(), "Loops", {{"PanelNumber", 2}, {"LoopNumber", 3}});

  editor_.Refresh();

  EXPECT_EQ(TabCaptions(), QStringList({"Site", "Hall", "Stored2"}));
  EXPECT_EQ(PanelNodeTexts(), QStringList({"Hall", "Stored2"}));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Loop 3", "Loop 4", "Outputs"}));
  EXPECT_EQ(ChildTexts(2), QStringList({"Loop 1", "Loop 2", "Loop 3", "Outputs"}));
  EXPECT_EQ(tree_.Root()->text, "Panels 2 / Loops 7");
}

TEST_F(PanelLifecycleTest, RenamingAPanelNamesItsTabAndNode) {
  AddPanel();
  ASSERT_TRUE(Done("set-panel-name", {{"panel", 1}, {"name", "Recep"}}));
  ASSERT_TRUE(Done("set-panel-name", {{"panel", 1}, {"name", "Reception"}}));
  EXPECT_EQ(tabs_.Caption(1), "Reception");
  EXPECT_EQ(tree_.PanelNode(1)->text, "Reception");
  EXPECT_EQ(PanelCell(1, "Panel Name").toString(), "Reception");
  EXPECT_EQ(form_.PanelName(), "Reception");
  EXPECT_FALSE(state_.SiteSaved());
  // The keystrokes of one name are one step.
  EXPECT_EQ(editor_.History().count(), 2);
  EXPECT_EQ(Do("set-panel-name", {{"panel", 1}, {"name", QString(101, 'x')}}).status,
            Status::kRefused);
}

}  // namespace
}  // namespace velmora::action
