// Choosing what the views show: tree nodes and tabs are navigation, never a change of the site.

#include <gtest/gtest.h>

#include "panel_site_fixture.h"
#include "site/table.h"

namespace velmora::action {
namespace {

using site::DetailView;
using ::testing::ElementsAre;

// Panels 1, 2 and 3 of the small catalogue; panel 2 has board Opt0 fitted (two more loops, two
// more outputs).
class NavigationTest : public testing::PanelSiteTest {
 protected:
  void SetUp() override {
    PanelSiteTest::SetUp();
    AddPanel();
    AddPanel();
    ASSERT_TRUE(Done("toggle-option-board", {{"panel", 2}, {"board", 0}}));
    AddPanel();
    prompter_.AnswerFile(home_.Path("Sites/navigation.mdb"));
    ASSERT_TRUE(editor_.Save());
    prompter_.Clear();
    steps_ = editor_.History().count();
  }

  site::TreeNode* Node(int panel, int child) {
    site::TreeNode* node = panel == 0 ? tree_.Root() : tree_.PanelNode(panel);
    return child > 0 ? node->Child(child - 1) : node;
  }
  void Click(int panel, int child) {
    site::TreeNode* node = Node(panel, child);
    tree_.Select(node);
    editor_.Show(editor_.FocusOf(node));
  }
  // (CurrentType, Description) of every current line, in stored order.
  std::vector<std::pair<qint64, QString>> Lines() {
    site::Table currents(&doc_.Db(), "Currents");
    currents.Open();
    std::vector<std::pair<qint64, QString>> lines;
    for (currents.First(); !currents.Eof(); currents.Next())
      lines.emplace_back(currents.Int("CurrentType"), currents.Text("Description"));
    return lines;
  }
  // Navigation leaves the site as saved and the history as it was.
  void ExpectNothingChanged() {
    EXPECT_TRUE(state_.SiteSaved());
    EXPECT_EQ(editor_.History().count(), steps_);
  }

  int steps_ = 0;
};

TEST_F(NavigationTest, EveryTreeNodeStandsForAFocus) {
  const struct {
    int panel, child;  // 0: the root; child 0: the panel node itself
    Focus expected;
  } cases[] = {{0, 0, {DetailView::kSite, 0, 0}},    {1, 0, {DetailView::kPanel, 1, 0}},
               {2, 4, {DetailView::kDevices, 2, 4}}, {2, 5, {DetailView::kOutputs, 2, 0}},
               {3, 1, {DetailView::kDevices, 3, 1}}, {3, 3, {DetailView::kOutputs, 3, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "panel " << c.panel << " child " << c.child);
    EXPECT_EQ(editor_.FocusOf(Node(c.panel, c.child)), c.expected);
  }
  EXPECT_EQ(editor_.FocusOf(nullptr), Focus{});
}

TEST_F(NavigationTest, AClickShowsTheViewTheTabAndTheLinesOfWhatItStandsFor) {
  Click(2, 0);
  EXPECT_EQ(views_.Current(), DetailView::kPanel);
  EXPECT_EQ(tabs_.Active(), 2);
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Alpha");
  EXPECT_FALSE(form_.BatteryText().isEmpty());
  // Panel line, the four loops, outputs 1, 2, 3, 4 and 101, the total.
  EXPECT_EQ(Count("Currents", site::Filter::Equals("Panel", 2)), 1 + 4 + 5 + 1);
  EXPECT_EQ(Count("Currents", site::Filter::Equals("Panel", 1)), 0);

  Click(2, 3);
  EXPECT_EQ(views_.Current(), DetailView::kDevices);
  EXPECT_EQ(tabs_.Active(), 2);
  EXPECT_EQ(editor_.Shown(), (Focus{DetailView::kDevices, 2, 3}));
  EXPECT_EQ(editor_.LoopForm().loop, 3);
  EXPECT_EQ(editor_.LoopForm().panel, 2);

  Click(3, 3);  // the outputs node of a two-loop panel
  EXPECT_EQ(views_.Current(), DetailView::kOutputs);
  EXPECT_EQ(tabs_.Active(), 3);

  Click(0, 0);
  EXPECT_EQ(views_.Current(), DetailView::kSite);
  EXPECT_EQ(tabs_.Active(), 0);
  EXPECT_EQ(Count("Currents"), 0);
  EXPECT_EQ(tree_.Root()->text, "Panels 3 / Loops 8");
  ExpectNothingChanged();
}

TEST_F(NavigationTest, APanelTabShowsThatPanelWithItsCurrentLines) {
  editor_.Show({DetailView::kPanel, 1, 0});
  EXPECT_EQ(views_.Current(), DetailView::kPanel);
  EXPECT_EQ(tabs_.Active(), 1);
  EXPECT_EQ(tree_.Selected(), tree_.PanelNode(1));
  const std::vector<std::pair<qint64, QString>> expected = {
      {1, "Panel"},    {2, "Loop 1"},     {2, "Loop 2"}, {3, "Output 1"},
      {3, "Output 2"}, {3, "Output 101"}, {10, "Total"}};
  EXPECT_EQ(Lines(), expected);

  editor_.Show({DetailView::kSite, 0, 0});
  EXPECT_EQ(tree_.Selected(), tree_.Root());
  EXPECT_EQ(Count("Currents"), 0);
  ExpectNothingChanged();
}

TEST_F(NavigationTest, AFocusOnWhatIsGoneFallsBackToWhatHoldsIt) {
  editor_.Show({DetailView::kDevices, 2, 4});
  ASSERT_TRUE(Done("toggle-option-board", {{"panel", 2}, {"board", 0}}));  // loops 3 and 4 go
  EXPECT_EQ(editor_.Shown(), (Focus{DetailView::kPanel, 2, 0}));
  EXPECT_EQ(views_.Current(), DetailView::kPanel);
  editor_.Show({DetailView::kPanel, 9, 0});
  EXPECT_EQ(editor_.Shown(), Focus{});
  EXPECT_EQ(views_.Current(), DetailView::kSite);
}

TEST_F(NavigationTest, DeletingAPanelRenumbersTheRestAndShowsTheSite) {
  Click(2, 3);
  prompter_.AnswerOk(true);
  ASSERT_TRUE(Done("delete-panel", {{"panel", 2}}));

  EXPECT_EQ(prompter_.Texts(), QStringList({"Are you sure you want to delete Panel2 ?"}));
  EXPECT_THAT(Ints("Panels", {}, "Panel Number"), ElementsAre(1, 2));
  EXPECT_THAT(LoopNumbers(2), ElementsAre(1, 2));
  EXPECT_THAT(DeviceLoops(2), ElementsAre(1, 2));
  EXPECT_THAT(OutputNumbers(2), ElementsAre(1, 2, 101));
  EXPECT_EQ(Count("Loops"), 4);
  EXPECT_EQ(TabCaptions(), QStringList({"Site", "Panel1", "Panel3"}));
  EXPECT_EQ(PanelNodeTexts(), QStringList({"Panel1", "Panel3"}));
  EXPECT_EQ(ChildTexts(2), QStringList({"Loop 1", "Loop 2", "Outputs"}));
  EXPECT_EQ(tree_.Root()->text, "Panels 2 / Loops 4");
  EXPECT_EQ(tree_.Selected(), tree_.Root());
  EXPECT_EQ(views_.Current(), DetailView::kSite);
  EXPECT_EQ(tabs_.Active(), 0);
  EXPECT_FALSE(state_.SiteSaved());
}

TEST_F(NavigationTest, ADeclinedDeleteChangesNothing) {
  Click(1, 2);
  prompter_.AnswerOk(false);
  EXPECT_EQ(Do("delete-panel", {{"panel", 1}}).status, Status::kDeclined);
  EXPECT_EQ(prompter_.Texts(), QStringList({"Are you sure you want to delete Panel1 ?"}));
  EXPECT_EQ(Count("Panels"), 3);
  EXPECT_EQ(Count("Loops"), 8);
  EXPECT_EQ(tabs_.Count(), 4);
  EXPECT_EQ(tree_.PanelCount(), 3);
  EXPECT_EQ(tree_.Selected(), Node(1, 2));
  ExpectNothingChanged();
}

TEST_F(NavigationTest, TreeExpansionCommandsAndTheirKeepingAcrossChanges) {
  tree_.ExpandPanelDetails();
  EXPECT_TRUE(tree_.Root()->expanded);
  EXPECT_TRUE(tree_.PanelNode(2)->expanded);
  EXPECT_FALSE(tree_.PanelNode(2)->Child(0)->expanded);
  tree_.CollapsePanelDetails();
  EXPECT_TRUE(tree_.Root()->expanded);
  EXPECT_FALSE(tree_.PanelNode(2)->expanded);
  tree_.ExpandAll();
  EXPECT_TRUE(tree_.PanelNode(3)->Child(0)->expanded);
  tree_.CollapseAll();
  EXPECT_FALSE(tree_.Root()->expanded);
  EXPECT_FALSE(tree_.PanelNode(1)->expanded);

  // A panel node keeps its expansion when the tree is built again.
  tree_.SetExpanded(tree_.PanelNode(3), true);
  ASSERT_TRUE(Done("set-panel-name", {{"panel", 1}, {"name", "Entrance"}}));
  EXPECT_TRUE(tree_.PanelNode(3)->expanded);
  EXPECT_FALSE(tree_.PanelNode(1)->expanded);
  EXPECT_EQ(PanelNodeTexts(), QStringList({"Entrance", "Panel2", "Panel3"}));
}

}  // namespace
}  // namespace velmora::action
