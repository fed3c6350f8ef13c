// Results never depend on the order of edits: after every action of a random design session the
// stored results are those of a whole recalculation of the same rows, and the current lines on
// show are those of what is on show.

#include <gtest/gtest.h>

#include <QJsonDocument>

#include "editor_fixture.h"
#include "electrical/recalculation.h"
#include "random_actions.h"

namespace velmora::action {
namespace {

// Every row of the scratch table of current lines, in stored order.
std::vector<std::vector<QVariant>> CurrentLines(site::Database& db) {
  std::vector<std::vector<QVariant>> lines;
  for (const site::Row& row : db.Select("Currents")) lines.push_back(row.values);
  return lines;
}

class InvariantTest : public testing::EditorTest,
                      public ::testing::WithParamInterface<std::tuple<const char*, unsigned>> {
 protected:
  void SetUp() override {
    const QString sample = QString("Sites/%1.mdb").arg(std::get<0>(GetParam()));
    home_.CopyFromBuild(sample);
    workspace_.OpenTables();
    workspace_.StartSession();
    ASSERT_TRUE(workspace_.OpenSiteFile(home_.Path(sample)));
  }

  // What differs from a whole recalculation and from the lines of the focus; empty when nothing.
  QString Stale() {
    SiteData& data = workspace_.Data();
    const electrical::Recalculation again = electrical::RecalculatePanels(data, {}, false);
    if (again.written_cells != 0)
      return QString("%1 stored results differ from a whole recalculation")
          .arg(again.written_cells);
    site::Database& db = doc_.Db();
    const auto shown = CurrentLines(db);
    const Focus& focus = editor_.Shown();
    electrical::LineSet lines = electrical::LineSet::kNone;
    if (focus.view == site::DetailView::kPanel) lines = electrical::LineSet::kPanel;
    if (focus.view == site::DetailView::kDevices) lines = electrical::LineSet::kLoops;
    if (focus.view == site::DetailView::kOutputs) lines = electrical::LineSet::kOutputs;
    db.Begin();
    electrical::WriteCurrentLines(data, focus.panel, lines, state_.TechnicalDetail());
    const auto expected = CurrentLines(db);
    db.Rollback();
    if (shown != expected) return QString("the current lines are not those of what is on show");
    return QString();
  }
};

TEST_P(InvariantTest, EveryActionLeavesTheResultsOfAWholeRecalculation) {
  testing::RandomActions random(editor_, std::get<1>(GetParam()));
  std::map<Status, int> statuses;
  for (int i = 0; i < 120; ++i) {
    random.MaybeNavigate();
    const Action action = random.Next();
    const QString described =
        action.name + " " +
        QString::fromUtf8(QJsonDocument(action.params).toJson(QJsonDocument::Compact));
    if (random.Pick(10) == 0) state_.SetTechnicalDetail(!state_.TechnicalDetail());
    const Result result = editor_.Execute(action, prompter_);
    ++statuses[result.status];
    const QString stale = Stale();
    ASSERT_TRUE(stale.isEmpty()) << "after action " << i << ": " << described.toStdString() << "\n"
                                 << stale.toStdString();
  }
  // The session did real work, and the rules refused some of it.
  EXPECT_GT(statuses[Status::kDone], 40);
  EXPECT_GT(statuses[Status::kRefused], 3);
}

INSTANTIATE_TEST_SUITE_P(Samples, InvariantTest,
                         ::testing::Combine(::testing::Values("small-office", "large-building"),
                                            ::testing::Values(1u, 2u, 3u)));

}  // namespace
}  // namespace velmora::action
