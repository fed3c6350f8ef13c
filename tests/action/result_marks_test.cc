#include <gtest/gtest.h>

#include "action/panel_site_fixture.h"

namespace velmora::action {
namespace {

using site::Filter;

// The fixture's loops are 1500 m of 1.0 mm² (19 ohm/km): 57 ohm, overloaded by their
// resistance [E03]. 1232 m are 46.8 ohm, 90 % of the 52 ohm limit; 1000 m are 38 ohm.
class ResultMarksTest : public testing::PanelSiteTest {
 protected:
  void SetLength(int panel, int loop, int length) {
    ASSERT_TRUE(Done("set-length", {{"panel", panel}, {"loop", loop}, {"length", length}}));
  }
  // The marks of panel p's node and of its loop nodes.
  std::vector<int> Marks(int p) {
    const site::TreeNode* node = tree_.PanelNode(p);
    if (node == nullptr) return {-1};
    std::vector<int> marks{node->mark};
    for (int i = 0; i + 1 < node->ChildCount(); ++i) marks.push_back(node->Child(i)->mark);
    return marks;
  }
  QString LoopStatus(int p, int l) {
    const std::vector<site::Row> rows =
        doc_.Db().Select("Loops", Filter::Equals("PanelNumber", p).And("LoopNumber", l));
    return rows.empty() ? QString()
                        : rows.front().values[doc_.Db().ColumnIndex("Loops", "OK")].toString();
  }
};

TEST_F(ResultMarksTest, TheTreeMarksOverloadedAndNearLoopsAndTheirPanels) {
  AddPanel();
  EXPECT_EQ(Marks(1), (std::vector<int>{2, 2, 2}));

  SetLength(1, 1, 1000);
  EXPECT_EQ(Marks(1), (std::vector<int>{2, 0, 2}));
  SetLength(1, 2, 1232);
  EXPECT_EQ(Marks(1), (std::vector<int>{1, 0, 1}));
  // Near the limit is a mark only: the stored status stays.
  EXPECT_EQ(LoopStatus(1, 2), "Loop OK");
  SetLength(1, 2, 1000);
  EXPECT_EQ(Marks(1), (std::vector<int>{0, 0, 0}));

  // The marks follow the history, and a panel added later has marks of its own.
  ASSERT_EQ(editor_.Undo().status, Status::kDone);
  EXPECT_EQ(Marks(1), (std::vector<int>{1, 0, 1}));
  AddPanel();
  EXPECT_EQ(Marks(2), (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(Marks(1), (std::vector<int>{1, 0, 1}));
}

TEST_F(ResultMarksTest, ReasonsAndMarksStayWhenTheSiteIsSavedAndOpenedAgain) {
  AddPanel();
  SetLength(1, 2, 1232);
  const QString file = home_.Path("Sites/marks.mdb");
  prompter_.AnswerFile(file);
  ASSERT_TRUE(editor_.Save());
  ASSERT_TRUE(Done("new-site"));
  EXPECT_EQ(tree_.PanelCount(), 0);

  ASSERT_TRUE(workspace_.OpenSiteFile(file));
  EXPECT_EQ(LoopStatus(1, 1), "Loop Overload [E03]");
  EXPECT_EQ(LoopStatus(1, 2), "Loop OK");
  EXPECT_EQ(Marks(1), (std::vector<int>{2, 2, 1}));
}

}  // namespace
}  // namespace velmora::action
