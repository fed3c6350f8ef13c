#include "workspace/tab_reactions.h"

#include <gtest/gtest.h>

#include "panel/panel_rules.h"
#include "panel/panel_site_fixture.h"

namespace velmora::workspace {
namespace {

using site::DetailView;
using site::Filter;

// Panels 1 and 2 of the small catalogue; panel 2 has board Opt0 fitted (two more loops, two
// more outputs).
class TabReactionsTest : public testing::PanelSiteTest {
 protected:
  void SetUp() override {
    PanelSiteTest::SetUp();
    AddPanel();
    AddPanel();
    ASSERT_TRUE(panel::ToggleOptionBoard(run_, form_, 0));
    tree_.Select(tree_.Root());
    views_.Show(DetailView::kSite);
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
};

TEST_F(TabReactionsTest, APanelTabShowsThatPanelWithItsCurrentLines) {
  doc_.Devices().SetFilter(Filter::Equals("Panel", 2).And("Loop", 1));
  doc_.Devices().SetFiltered(true);
  ASSERT_TRUE(PageControlPanelsChange(run_, form_, 1));

  EXPECT_EQ(views_.Current(), DetailView::kPanel);
  EXPECT_EQ(tabs_.Active(), 1);
  EXPECT_EQ(tree_.Selected(), tree_.PanelNode(1));
  EXPECT_EQ(form_.TypeBox().SelectedText(), "Alpha");
  EXPECT_TRUE(doc_.Loops().Filtered());
  EXPECT_EQ(doc_.Loops().GetFilter(), Filter::Equals("PanelNumber", 1));
  EXPECT_FALSE(doc_.Devices().Filtered());
  EXPECT_TRUE(state_.ViewEventsOn());
  EXPECT_FALSE(form_.BatteryText().isEmpty());

  // Panel line, the two loops, outputs 1, 2 and 101, the total.
  const std::vector<std::pair<qint64, QString>> expected = {
      {1, "Panel"},    {2, "Loop 1"},     {2, "Loop 2"}, {3, "Output 1"},
      {3, "Output 2"}, {3, "Output 101"}, {10, "Total"}};
  EXPECT_EQ(Lines(), expected);
  EXPECT_EQ(Count("Currents", Filter::Equals("Panel", 1)), qint64(expected.size()));

  // The other panel's tab replaces the lines with its own.
  ASSERT_TRUE(PageControlPanelsChange(run_, form_, 2));
  EXPECT_EQ(Count("Currents", Filter::Equals("Panel", 1)), 0);
  EXPECT_EQ(Count("Currents", Filter::Equals("Panel", 2)), 1 + 4 + 5 + 1);
  EXPECT_EQ(doc_.Loops().GetFilter(), Filter::Equals("PanelNumber", 2));
}

TEST_F(TabReactionsTest, TheSiteTabShowsTheSiteView) {
  ASSERT_TRUE(PageControlPanelsChange(run_, form_, 2));
  ASSERT_GT(Count("Currents"), 0);
  ASSERT_TRUE(PageControlPanelsChange(run_, form_, 0));
  EXPECT_EQ(views_.Current(), DetailView::kSite);
  EXPECT_EQ(tabs_.Active(), 0);
  EXPECT_EQ(tree_.Selected(), tree_.Root());
  EXPECT_EQ(Count("Currents"), 0);
  EXPECT_EQ(tree_.Root()->text, "Panels 2 / Loops 6");
}

}  // namespace
}  // namespace velmora::workspace
