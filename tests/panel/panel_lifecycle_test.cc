#include "panel/panel_lifecycle.h"

#include <gtest/gtest.h>

#include "panel/panel_rules.h"
#include "panel/panel_site_fixture.h"
#include "site/images.h"

namespace velmora::panel {
namespace {

using site::Filter;
using testing::ClearTable;
using ::testing::ElementsAre;
using testing::InsertRow;

class PanelLifecycleTest : public testing::PanelSiteTest {};

TEST_F(PanelLifecycleTest, NewPanelFromAFittingDefaultCopiesItsFlagsAndLoopDefaults) {
  // Two boards of the default add outputs: the second board's are numbered after the first's.
  {
    site::Table defaults(&catalogue_.DataDb(), "DefaultPanel");
    defaults.Open();
    defaults.First();
    defaults.SetValue("Opt0", true);
    defaults.SetValue("Opt5", true);
    defaults.Post();
  }
  AddPanel();

  site::Table& panels = doc_.Panels();
  ASSERT_EQ(Count("Panels"), 1);
  ASSERT_TRUE(panels.Locate("Panel Number", 1));
  EXPECT_EQ(panels.Text("Panel Name"), "Panel1");
  EXPECT_EQ(panels.Int("Panel Type"), 1);
  EXPECT_EQ(panels.Int("Housing Type"), 10);
  EXPECT_EQ(panels.Text("SalesChannel"), "Tarvik");
  EXPECT_EQ(panels.Text("Loop Loads"), "OK");
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt0", "Opt4", "Opt5"}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));

  // LoopCount 2 and two loops of board OPT12, each with one blank device row.
  EXPECT_THAT(LoopNumbers(1), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(DeviceLoops(1), ElementsAre(1, 2, 3, 4));
  site::Table loops(&doc_.Db(), "Loops");
  loops.Open();
  loops.Locate("LoopNumber", 3);
  EXPECT_EQ(loops.Text("Loop"), "Loop 3");
  EXPECT_EQ(loops.Int("Length"), 1500);
  EXPECT_EQ(loops.Int("CableSpec"), 2);
  EXPECT_DOUBLE_EQ(loops.Real("Resistance"), 19.0);
  EXPECT_EQ(loops.Int("AlarmIndicators"), 3);
  EXPECT_TRUE(loops.Bool("Spread"));
  EXPECT_EQ(loops.Int("SpreadLength"), 10);
  EXPECT_EQ(loops.Text("OK"), "Loop OK");
  EXPECT_TRUE(loops.Bool("OKBoolean"));
  site::Table devices(&doc_.Db(), "Devices");
  devices.Open();
  devices.First();
  EXPECT_EQ(devices.Int("DeviceQuantity"), 0);
  EXPECT_EQ(devices.Int("DeviceTypeCode"), 0);
  EXPECT_EQ(devices.Text("DeviceSub-Type"), " ");

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
  EXPECT_EQ(doc_.Loops().GetFilter(), Filter::Equals("PanelNumber", 1));
  EXPECT_FALSE(state_.SiteSaved());
  EXPECT_TRUE(state_.ViewEventsOn());
}

TEST_F(PanelLifecycleTest, NewPanelFromADefaultOutsideTheChannelTakesTheFirstVariant) {
  // Gamma is sold only through Mornax; the site is Tarvik.
  site::Table defaults(&catalogue_.DataDb(), "DefaultPanel");
  defaults.Open();
  defaults.First();
  defaults.SetValue("ID1", 3);
  defaults.SetValue("Opt2", true);
  defaults.Post();
  AddPanel();

  site::Table& panels = doc_.Panels();
  ASSERT_TRUE(panels.Locate("Panel Number", 1));
  EXPECT_EQ(panels.Int("Panel Type"), 1);
  EXPECT_EQ(panels.Int("Housing Type"), 10);
  EXPECT_EQ(SetFlags(1, "Prot", 4), QStringList({"Prot0"}));
  EXPECT_EQ(SetFlags(1, "Opt", 9), QStringList({"Opt4"}));
  EXPECT_EQ(SetFlags(1, "Psu", 3), QStringList({"Psu0"}));
  EXPECT_THAT(Ints("Loops", Filter::Equals("PanelNumber", 1), "Length"), ElementsAre(250, 250));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_THAT(OutputNumbers(1), ElementsAre(1, 2, 101));
}

TEST_F(PanelLifecycleTest, AddingWhenTheChannelOffersNoPanelWarnsAndAddsNothing) {
  catalogue_.FilterPanelSpec("Nowhere");
  ClearTable(catalogue_.DataDb(), "2010_2_PanelCompatibility");
  EXPECT_FALSE(AddPanelExecute(run_, form_));
  ASSERT_EQ(prompter_.Warnings().size(), 1);
  EXPECT_TRUE(prompter_.Warnings().front().contains("no panel"));
  EXPECT_EQ(Count("Panels"), 0);
  EXPECT_EQ(Count("Loops"), 0);
  EXPECT_EQ(Count("Outputs"), 0);
  EXPECT_EQ(tabs_.Count(), 1);
  EXPECT_EQ(tree_.PanelCount(), 0);
  EXPECT_TRUE(state_.SiteSaved());
}

TEST_F(PanelLifecycleTest, DeletingAPanelRenumbersTheLaterOnesInAllFourTables) {
  AddPanel();
  AddPanel();
  AddPanel();
  DBEditPanelNameChange(run_, "Third");
  state_.SetSiteSaved(true);

  DeletePanelRows(run_, 2);

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
  EXPECT_EQ(tree_.Root()->text, "Panels 2 / Loops 4");
  EXPECT_FALSE(state_.SiteSaved());

  DeletePanelRows(run_, 1);
  DeletePanelRows(run_, 1);
  EXPECT_EQ(tree_.Root()->text, "Panels 0 / Loops 0");
}

TEST_F(PanelLifecycleTest, OpeningRebuildsTabsAndSubtreesFromTheStoredPanels) {
  AddPanel();
  ASSERT_TRUE(ToggleOptionBoard(run_, form_, 0));  // board OPT12: four loops
  DBEditPanelNameChange(run_, "Hall");
  // A panel of another channel keeps a node for each of its stored loops.
  StorePanel(2, 3, 10, {"Prot0"});
  InsertRow(doc_.Db(), "Loops", {{"PanelNumber", 2}, {"LoopNumber", 1}});
  InsertRow(doc_.Db(), "Loops", {{"PanelNumber", 2}, {"LoopNumber", 2}});
  InsertRow(doc_.Db(), "Loops", {{"PanelNumber", 2}, {"LoopNumber", 3}});
  tabs_.RemovePanelTabs();
  tree_.Clear();
  tree_.Select(tree_.Root());

  RebuildPanelsFromStoredRows(run_);
  UpdateRootCaption(run_);

  EXPECT_EQ(TabCaptions(), QStringList({"Site", "Hall", "Stored2"}));
  EXPECT_EQ(PanelNodeTexts(), QStringList({"Hall", "Stored2"}));
  EXPECT_EQ(ChildTexts(1), QStringList({"Loop 1", "Loop 2", "Loop 3", "Loop 4", "Outputs"}));
  EXPECT_EQ(ChildTexts(2), QStringList({"Loop 1", "Loop 2", "Loop 3", "Outputs"}));
  EXPECT_EQ(tree_.Selected(), tree_.Root());
  EXPECT_EQ(tree_.Root()->text, "Panels 2 / Loops 7");
}

TEST_F(PanelLifecycleTest, RenamingAPanelNamesItsTabAndNodeUnlessEventsAreOff) {
  AddPanel();
  state_.SetSiteSaved(true);
  state_.SetLoading(true);
  EXPECT_FALSE(DBEditPanelNameChange(run_, "Ignored"));
  state_.SetLoading(false);
  EXPECT_EQ(tabs_.Caption(1), "Panel1");
  EXPECT_TRUE(state_.SiteSaved());

  EXPECT_TRUE(DBEditPanelNameChange(run_, "Reception"));
  EXPECT_EQ(tabs_.Caption(1), "Reception");
  EXPECT_EQ(tree_.PanelNode(1)->text, "Reception");
  doc_.Panels().Locate("Panel Number", 1);
  EXPECT_EQ(doc_.Panels().Text("Panel Name"), "Reception");
  EXPECT_FALSE(state_.SiteSaved());
}

}  // namespace
}  // namespace velmora::panel
