// Changes that once left results stale: a smaller panel type under a loaded loop, and a smaller
// power supply under a loaded panel. Every place the designer reads the result agrees at once:
// the stored status, the summary, the lines on show, the print store and the check.

#include <gtest/gtest.h>

#include "app/cli_check.h"
#include "app/cli_session.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "reports/report_tables.h"
#include "support/test_home.h"

namespace velmora::app {
namespace {

using action::Action;
using action::Status;

class StaleChainsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Start(&error_)) << error_.toStdString();
    ASSERT_TRUE(Done("new-site"));
    ASSERT_TRUE(Done("add-panel"));
  }
  bool Done(const char* name, std::initializer_list<std::pair<const char*, QJsonValue>> p = {}) {
    const action::Result r = session_.Editor().Execute(Action::Make(name, p));
    return r.status == Status::kDone;
  }
  QVariant Cell(const char* table, const site::Filter& filter, const char* column) {
    site::Database& db = session_.Data().doc.Db();
    const std::vector<site::Row> rows = db.Select(table, filter);
    return rows.empty() ? QVariant() : rows.front().values[db.ColumnIndex(table, column)];
  }
  QString LoopStatus() { return Cell("Loops", electrical::LoopKey(1, 1), "OK").toString(); }
  // The texts of the print store's current lines of panel 1.
  QStringList PrintedLines() {
    reports::FillReportTables(session_.Data(), session_.Print().Db());
    site::Database& print = session_.Print().Db();
    QStringList lines;
    for (const site::Row& row : print.Select("Currents")) {
      QStringList cells;
      for (const QVariant& v : row.values) cells << v.toString();
      lines << cells.join("|");
    }
    return lines;
  }
  bool ResultsAreWhole() {
    return electrical::RecalculatePanels(session_.Data(), {}, false).written_cells == 0;
  }

  testing::TestHome home_;
  CliSession session_{home_.Folder()};
  QString error_;
};

TEST_F(StaleChainsTest, ASmallerPanelTypeUnderALoadedLoopOverloadsItEverywhere) {
  ASSERT_TRUE(Done("set-panel-type", {{"panel", 1}, {"type", "VX-2"}}));
  ASSERT_TRUE(
      Done("set-device-type", {{"panel", 1}, {"loop", 1}, {"row", 1}, {"type", "Sounder"}}));
  ASSERT_TRUE(Done("set-device-sub-type",
                   {{"panel", 1}, {"loop", 1}, {"row", 1}, {"sub_type", "VD-SN210"}}));
  // Sounders of 32 mA until the loop draws between the two limits (350 and 500 mA).
  for (int quantity = 1; quantity <= 32; ++quantity) {
    ASSERT_TRUE(Done("set-device-quantity",
                     {{"panel", 1}, {"loop", 1}, {"row", 1}, {"quantity", quantity}}));
    if (Cell("Loops", electrical::LoopKey(1, 1), "AlarmCurrent").toDouble() > 360) break;
  }
  const double alarm = Cell("Loops", electrical::LoopKey(1, 1), "AlarmCurrent").toDouble();
  ASSERT_GT(alarm, 360);
  ASSERT_LT(alarm, 500);
  ASSERT_EQ(LoopStatus(), "Loop OK");

  session_.Editor().Show({site::DetailView::kPanel, 1, 0});
  ASSERT_TRUE(Done("set-panel-type", {{"panel", 1}, {"type", "VX-1 Compact"}}));
  EXPECT_EQ(LoopStatus(), "Loop Overload [E04]");
  EXPECT_EQ(Cell("Loops", electrical::LoopKey(1, 1), "OKBoolean").toBool(), false);
  EXPECT_EQ(Cell("Panels", electrical::PanelKey(1), "Loop Loads").toString(), "Loop Overload");
  EXPECT_EQ(Cell("Currents", site::Filter::Equals("Description", "Loop 1"), "Comment").toString(),
            "Loop Overload [E04]");
  EXPECT_TRUE(PrintedLines().filter("Loop 1|").join("\n").contains("Loop Overload [E04]"))
      << PrintedLines().join("\n").toStdString();
  const SiteCheck check = ReadSiteCheck(session_.Data());
  ASSERT_EQ(check.panels.size(), 1u);
  ASSERT_FALSE(check.panels[0].loops.empty());
  EXPECT_EQ(check.panels[0].loops[0].codes, QStringList{"E04"});
  EXPECT_FALSE(check.Passed());
  EXPECT_TRUE(ResultsAreWhole());
}

TEST_F(StaleChainsTest, ASmallerSupplyUnderALoadedPanelFailsAtOnce) {
  // The VX-4 in its standard housing with the 5 A supply; outputs drawing 2 900 mA in alarm.
  session_.Editor().Show({site::DetailView::kPanel, 1, 0});
  ASSERT_TRUE(Done("set-output-currents", {{"panel", 1}, {"output", 1}, {"alarm", 1000}}));
  ASSERT_TRUE(Done("set-output-currents", {{"panel", 1}, {"output", 2}, {"alarm", 1000}}));
  ASSERT_TRUE(Done("set-output-currents", {{"panel", 1}, {"output", 3}, {"alarm", 500}}));
  ASSERT_TRUE(Done("set-output-currents", {{"panel", 1}, {"output", 4}, {"alarm", 400}}));
  ASSERT_TRUE(Cell("Panels", electrical::PanelKey(1), "OKBooleanPSU").toBool());

  const action::Result smaller = session_.Editor().Execute(
      Action::Make("set-power-supply", {{"panel", 1}, {"supply", "PSU 2.5 A"}}));
  ASSERT_EQ(smaller.status, Status::kDone);
  EXPECT_TRUE(smaller.messages.join("\n").contains("Power Supply Overload : Alarm Current"))
      << smaller.messages.join("\n").toStdString();
  EXPECT_FALSE(Cell("Panels", electrical::PanelKey(1), "OKBooleanPSU").toBool());
  EXPECT_EQ(Cell("Currents", site::Filter::Equals("Description", "Total"), "Comment").toString(),
            "Power Supply Overload");
  EXPECT_FALSE(ReadSiteCheck(session_.Data()).panels[0].psu_ok);
  EXPECT_TRUE(ResultsAreWhole());
}

}  // namespace
}  // namespace velmora::app
