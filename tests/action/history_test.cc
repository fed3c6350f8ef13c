// Undo and redo: every step taken back puts every row of the site back exactly, results
// included; made again, exactly as it was after.

#include <gtest/gtest.h>

#include <QJsonDocument>

#include "editor_fixture.h"
#include "electrical/recalculation.h"
#include "random_actions.h"

namespace velmora::action {
namespace {

// Every row of every site table with its rowid, in stored order.
using Tables = std::map<QString, std::vector<std::pair<qint64, std::vector<QVariant>>>>;
Tables Snapshot(site::Database& db) {
  Tables tables;
  for (const char* table : {"Site", "Panels", "Loops", "Devices", "Outputs"}) {
    for (const site::Row& row : db.Select(table)) tables[table].emplace_back(row.rowid, row.values);
  }
  return tables;
}

class HistoryTest : public testing::EditorTest {
 protected:
  void Open(const char* sample) {
    const QString file = QString("Sites/%1.mdb").arg(sample);
    home_.CopyFromBuild(file);
    workspace_.OpenTables();
    workspace_.StartSession();
    ASSERT_TRUE(workspace_.OpenSiteFile(home_.Path(file)));
  }
  // Carries out random actions until `steps` steps are in the history.
  void Work(testing::RandomActions& random, int steps) {
    for (int tries = 0; editor_.History().index() < steps && tries < 20 * steps; ++tries) {
      random.MaybeNavigate();
      editor_.Execute(random.Next(), prompter_);
    }
    ASSERT_EQ(editor_.History().index(), steps);
  }
  bool ResultsAreWhole() {
    return electrical::RecalculatePanels(workspace_.Data(), {}, false).written_cells == 0;
  }
};

class RandomHistoryTest : public HistoryTest,
                          public ::testing::WithParamInterface<std::tuple<const char*, unsigned>> {
};

TEST_P(RandomHistoryTest, UndoAllRedoAllAndABranchThatDropsTheRedoSteps) {
  Open(std::get<0>(GetParam()));
  testing::RandomActions random(editor_, std::get<1>(GetParam()));
  const Tables start = Snapshot(doc_.Db());
  Work(random, 40);
  const Tables after = Snapshot(doc_.Db());

  while (editor_.History().canUndo()) ASSERT_EQ(editor_.Undo().status, Status::kDone);
  EXPECT_TRUE(Snapshot(doc_.Db()) == start);
  EXPECT_TRUE(ResultsAreWhole());
  EXPECT_TRUE(state_.SiteSaved());  // back at the file as it was opened
  while (editor_.History().canRedo()) ASSERT_EQ(editor_.Redo().status, Status::kDone);
  EXPECT_TRUE(Snapshot(doc_.Db()) == after);
  EXPECT_TRUE(ResultsAreWhole());

  // Half taken back, then something else done: the steps after it are gone.
  for (int i = 0; i < 20; ++i) ASSERT_EQ(editor_.Undo().status, Status::kDone);
  const int before = editor_.History().index();
  for (int tries = 0; editor_.History().index() == before && tries < 200; ++tries)
    editor_.Execute(random.Next(), prompter_);
  ASSERT_EQ(editor_.History().index(), before + 1);
  EXPECT_FALSE(editor_.History().canRedo());
  EXPECT_EQ(editor_.Redo().status, Status::kUnchanged);
  EXPECT_EQ(editor_.Execute(Action::Make("redo")).status, Status::kUnchanged);
}

INSTANTIATE_TEST_SUITE_P(Samples, RandomHistoryTest,
                         ::testing::Combine(::testing::Values("small-office", "large-building"),
                                            ::testing::Values(7u, 8u)));

TEST_F(HistoryTest, TheSavedStateFollowsTheHistory) {
  workspace_.OpenTables();
  workspace_.StartSession();
  ASSERT_TRUE(Done("add-panel"));
  EXPECT_FALSE(state_.SiteSaved());  // never saved to a file
  prompter_.AnswerFile(home_.Path("Sites/history.mdb"));
  ASSERT_TRUE(editor_.Save());
  EXPECT_TRUE(state_.SiteSaved());

  ASSERT_TRUE(Done("set-panel-name", {{"panel", 1}, {"name", "North"}}));
  EXPECT_FALSE(state_.SiteSaved());
  ASSERT_EQ(editor_.Undo().status, Status::kDone);
  EXPECT_TRUE(state_.SiteSaved());  // back at the saved step: nothing to ask on exit
  ASSERT_EQ(editor_.Undo().status, Status::kDone);
  EXPECT_FALSE(state_.SiteSaved());  // before the saved step
  ASSERT_EQ(editor_.Redo().status, Status::kDone);
  EXPECT_TRUE(state_.SiteSaved());

  // A refused action adds no step; a new site and an opened one start without history.
  const int steps = editor_.History().count();
  EXPECT_EQ(Do("set-length", {{"panel", 1}, {"loop", 1}, {"length", -3}}).status, Status::kRefused);
  EXPECT_EQ(editor_.History().count(), steps);
  ASSERT_TRUE(Done("set-panel-name", {{"panel", 1}, {"name", "South"}}));
  prompter_.AnswerYes(false);  // the unsaved rename is not kept
  ASSERT_TRUE(Done("new-site"));
  EXPECT_EQ(editor_.History().count(), 0);
  ASSERT_TRUE(workspace_.OpenSiteFile(home_.Path("Sites/history.mdb")));
  EXPECT_EQ(editor_.History().count(), 0);
  EXPECT_TRUE(state_.SiteSaved());
}

TEST_F(HistoryTest, StepsAreNamedAndTypingIntoOneFieldIsOneStep) {
  workspace_.OpenTables();
  workspace_.StartSession();
  ASSERT_TRUE(Done("add-panel"));
  for (const char* name : {"N", "No", "Nor", "North"})
    ASSERT_TRUE(Done("set-panel-name", {{"panel", 1}, {"name", name}}));
  EXPECT_EQ(editor_.History().count(), 2);
  EXPECT_EQ(editor_.History().undoText(), "Rename panel");
  ASSERT_EQ(editor_.Undo().status, Status::kDone);
  EXPECT_EQ(doc_.Db().Select("Panels").size(), 1u);
  EXPECT_EQ(editor_.History().undoText(), "Add panel");
  EXPECT_EQ(editor_.History().redoText(), "Rename panel");
}

TEST_F(HistoryTest, TheViewOnShowStaysOnItsLoopWhenItStillExists) {
  workspace_.OpenTables();
  workspace_.StartSession();
  ASSERT_TRUE(Done("add-panel"));
  editor_.Show({site::DetailView::kDevices, 1, 2});
  ASSERT_TRUE(Done("set-cable", {{"panel", 1}, {"loop", 2}, {"cable", 3}}));
  ASSERT_EQ(editor_.Undo().status, Status::kDone);
  EXPECT_EQ(editor_.Shown(), (Focus{site::DetailView::kDevices, 1, 2}));
  ASSERT_EQ(editor_.Undo().status, Status::kDone);  // the panel goes
  EXPECT_EQ(editor_.Shown(), Focus{});
  EXPECT_EQ(editor_.Views().Current(), site::DetailView::kSite);
}

}  // namespace
}  // namespace velmora::action
