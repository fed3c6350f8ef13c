#include "workspace/tree_reactions.h"

#include <gtest/gtest.h>

#include "panel/panel_rules.h"
#include "panel/panel_site_fixture.h"
#include "site/images.h"

namespace velmora::workspace {
namespace {

using site::DetailView;
using site::Filter;
using site::TreeSelection;
using ::testing::ElementsAre;

// ResolveTreeSelection over panels of 2, 4 and 2 loops and one without loops.
class ResolveTreeSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int loops : {2, 4, 2, 0}) {
      site::TreeNode* panel = tree_.AddChild(tree_.Root(), "Panel", site::kImagePanel);
      for (int n = 1; n <= loops; ++n) tree_.AddChild(panel, "Loop", site::kImageLoop);
      tree_.AddChild(panel, "Outputs", site::kImageOutputs);
    }
  }
  site::SiteTreeModel tree_;
};

TEST_F(ResolveTreeSelectionTest, GivesPanelLoopAndOutputs) {
  struct Case {
    int panel;  // 0: the root
    int child;  // 0: the panel node itself
    TreeSelection expected;
  };
  const Case cases[] = {
      {0, 0, {true, 0, 0, false}}, {1, 0, {false, 1, 0, false}}, {2, 4, {false, 2, 4, false}},
      {2, 5, {false, 2, 5, true}}, {3, 1, {false, 3, 1, false}}, {3, 3, {false, 3, 3, true}},
      {4, 1, {false, 4, 1, true}}, {4, 0, {false, 4, 0, false}},
  };
  for (const Case& c : cases) {
    site::TreeNode* node = c.panel == 0 ? tree_.Root() : tree_.PanelNode(c.panel);
    if (c.child > 0) node = node->Child(c.child - 1);
    tree_.Select(node);
    const TreeSelection s = tree_.ResolveTreeSelection();
    SCOPED_TRACE(::testing::Message() << "panel " << c.panel << " child " << c.child);
    EXPECT_EQ(s.root_selected, c.expected.root_selected);
    EXPECT_EQ(s.panel, c.expected.panel);
    if (!c.expected.outputs_selected) {
      EXPECT_EQ(s.loop, c.expected.loop);
    }
    EXPECT_EQ(s.outputs_selected, c.expected.outputs_selected);
  }
}

TEST_F(ResolveTreeSelectionTest, ExpandAndCollapseCommands) {
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
}

class TreeReactionsTest : public testing::PanelSiteTest {
 protected:
  void SetUp() override {
    PanelSiteTest::SetUp();
    reactions_.SetLoopLoader([this](velmora::Run&, int panel, int loop) {
      loaded_.push_back({panel, loop});
    });
    AddPanel();
    AddPanel();
    ASSERT_TRUE(panel::ToggleOptionBoard(run_, form_, 0));
    AddPanel();
    state_.SetSiteSaved(true);
  }

  void Click(int panel, int child) {
    site::TreeNode* node = panel == 0 ? tree_.Root() : tree_.PanelNode(panel);
    if (child > 0) node = node->Child(child - 1);
    tree_.Select(node);
    ASSERT_TRUE(reactions_.NodeClicked());
  }

  TreeReactions reactions_{run_, form_};
  std::vector<std::pair<int, int>> loaded_;
};

TEST_F(TreeReactionsTest, AClickPicksViewTabAndFilters) {
  Click(2, 0);
  EXPECT_EQ(views_.Current(), DetailView::kPanel);
  EXPECT_EQ(tabs_.Active(), 2);
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Alpha");
  EXPECT_EQ(doc_.Loops().GetFilter(), Filter::Equals("PanelNumber", 2));
  EXPECT_FALSE(doc_.Devices().Filtered());
  EXPECT_TRUE(state_.ViewEventsOn());

  Click(2, 3);
  EXPECT_EQ(views_.Current(), DetailView::kDevices);
  EXPECT_EQ(tabs_.Active(), 2);
  EXPECT_TRUE(doc_.Devices().Filtered());
  EXPECT_EQ(doc_.Devices().GetFilter(), Filter::Equals("Panel", 2).And("Loop", 3));
  EXPECT_EQ(doc_.Devices().RecordCount(), 1);
  EXPECT_EQ(loaded_, (std::vector<std::pair<int, int>>{{2, 3}}));

  Click(3, 3);  // the outputs node of a two-loop panel
  EXPECT_EQ(views_.Current(), DetailView::kOutputs);
  EXPECT_EQ(tabs_.Active(), 3);
  EXPECT_EQ(doc_.Outputs().GetFilter(), Filter::Equals("Panel", 3));
  EXPECT_EQ(doc_.Outputs().RecordCount(), 3);
  EXPECT_EQ(doc_.Loops().GetFilter(), Filter::Equals("PanelNumber", 3));

  Click(0, 0);
  EXPECT_EQ(views_.Current(), DetailView::kSite);
  EXPECT_EQ(tabs_.Active(), 0);
  EXPECT_EQ(tree_.Root()->text, "Panels 3 / Loops 8");
  EXPECT_TRUE(state_.SiteSaved());
}

TEST_F(TreeReactionsTest, DeletePanelFromALoopNodeDeletesThatPanel) {
  tree_.Select(tree_.PanelNode(2)->Child(3));
  prompter_.AnswerOk(true);
  ASSERT_TRUE(reactions_.DeletePanel());

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

TEST_F(TreeReactionsTest, DeletePanelWithTheRootSelectedOrCancelledChangesNothing) {
  tree_.Select(tree_.Root());
  EXPECT_FALSE(reactions_.DeletePanel());
  EXPECT_TRUE(prompter_.Records().empty());

  site::TreeNode* loop = tree_.PanelNode(1)->Child(1);
  tree_.Select(loop);
  prompter_.AnswerOk(false);
  EXPECT_FALSE(reactions_.DeletePanel());
  EXPECT_EQ(prompter_.Texts(), QStringList({"Are you sure you want to delete Panel1 ?"}));
  EXPECT_EQ(Count("Panels"), 3);
  EXPECT_EQ(Count("Loops"), 8);
  EXPECT_EQ(tabs_.Count(), 4);
  EXPECT_EQ(tree_.PanelCount(), 3);
  EXPECT_EQ(tree_.Selected(), loop);
  EXPECT_TRUE(state_.SiteSaved());
}

}  // namespace
}  // namespace velmora::workspace
