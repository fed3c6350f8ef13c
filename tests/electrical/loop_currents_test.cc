#include "electrical/loop_currents.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/circuit_site.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;

struct Row {
  std::optional<int> quantity;
  int code;
  double unit_q;
  std::optional<double> unit_a;
  std::optional<double> row_q = std::nullopt;  // quantity x unit unless given
  std::optional<double> row_a = std::nullopt;
};

struct Case {
  const char* name;
  int indicators;
  std::vector<Row> rows;
  double quiescent;
  double alarm;
};

// Hand-worked loops: rows are stored in the order given and visited by falling unit alarm
// current.
const Case kCases[] = {
    {"worked example: detectors, call points, isolators",
     2,
     {{5, 1, 0.3, 6.0}, {4, 10, 0.25, 2.5}, {3, 33, 0.1, 5.0}},
     12.6,
     24.0},
    {"no alarm indicators: limited classes draw quiescent current, two isolators alarm",
     0,
     {{2, 1, 0.3, 6.0}, {1, 34, 0.5, 4.0}, {1, 115, 0.1, 5.0}},
     6.1,
     6.1},
    {"indicator class and type 34 keep separate budgets",
     1,
     {{1, 1, 0.3, 6.0}, {1, 34, 0.5, 4.0}},
     0.8,
     10.0},
    {"an isolator raises the quiescent total", 10, {{1, 33, 0.1, 5.0}}, 5.0, 5.0},
    {"a row of quantity 0 spends the budget of the rows after it",
     5,
     {{0, 1, 0.0, 9.0, 0.0, 0.0}, {2, 2, 0.3, 6.0}},
     0.6,
     0.6},
    {"the blank row of a new loop", 10, {{0, 0, 0.0, 0.0}}, 0.0, 0.0},
    {"unlimited devices count with their row totals", 0, {{3, 12, 0.2, 1.0, 0.7, 2.9}}, 0.7, 2.9},
    {"a row with empty cells counts 0 and comes last",
     1,
     {{std::nullopt, 1, 0.0, std::nullopt}, {1, 1, 0.3, 6.0}},
     0.3,
     6.0},
};

class LoopCurrentsTest : public ::testing::TestWithParam<Case> {};

TEST_P(LoopCurrentsTest, TotalsOfTheLoop) {
  const Case& c = GetParam();
  CircuitSite site;
  site.AddPanel(1, 0, 0);
  site.AddLoop(1, 1, {{"AlarmIndicators", c.indicators}});
  site.AddLoop(1, 2, {{"QuiescentCurrent", 7.0}, {"AlarmCurrent", 8.0}});
  for (const Row& r : c.rows) {
    const double m = r.quantity.value_or(0);
    site.AddDeviceRow(1, 1,
                      {{"DeviceQuantity", r.quantity ? QVariant(*r.quantity) : QVariant()},
                       {"DeviceTypeCode", r.code},
                       {"UnitQuiesentCurrent", r.unit_q},
                       {"UnitAlarmCurrent", r.unit_a ? QVariant(*r.unit_a) : QVariant()},
                       {"QuiesentCurrent", r.row_q.value_or(m * r.unit_q)},
                       {"AlarmCurrent", r.row_a.value_or(m * r.unit_a.value_or(0))}});
  }
  // A device of another loop never counts.
  site.AddDeviceRow(1, 2,
                    {{"DeviceQuantity", 4},
                     {"DeviceTypeCode", 12},
                     {"QuiesentCurrent", 100.0},
                     {"AlarmCurrent", 100.0}});

  RecalculateLoopCurrents(site.R(), 1, 1);

  const auto loop1 = site::Filter::Equals("PanelNumber", 1).And("LoopNumber", 1);
  EXPECT_NEAR(site.Cell("Loops", loop1, "QuiescentCurrent").toDouble(), c.quiescent, 1e-9);
  EXPECT_NEAR(site.Cell("Loops", loop1, "AlarmCurrent").toDouble(), c.alarm, 1e-9);
  const auto loop2 = site::Filter::Equals("PanelNumber", 1).And("LoopNumber", 2);
  EXPECT_EQ(site.Cell("Loops", loop2, "QuiescentCurrent").toDouble(), 7.0);
}

INSTANTIATE_TEST_SUITE_P(Loops, LoopCurrentsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(LoopCurrentsTest, AlarmIndicatorsChangeOnlyTheAlarmTotal) {
  CircuitSite site;
  site.AddPanel(1, 0, 0);
  site.AddLoop(1, 1, {{"AlarmIndicators", 1}});
  site.AddDeviceRow(1, 1,
                    {{"DeviceQuantity", 3},
                     {"DeviceTypeCode", 2},
                     {"UnitQuiesentCurrent", 0.3},
                     {"UnitAlarmCurrent", 6.0}});
  const auto loop = site::Filter::Equals("PanelNumber", 1).And("LoopNumber", 1);
  RecalculateLoopCurrents(site.R(), 1, 1);
  EXPECT_NEAR(site.Cell("Loops", loop, "AlarmCurrent").toDouble(), 6.6, 1e-9);
  site.SiteDb().Update("Loops", site.SiteDb().Select("Loops", loop).front().rowid,
                       {{site.SiteDb().ColumnIndex("Loops", "AlarmIndicators"), 3}});
  RecalculateLoopCurrents(site.R(), 1, 1);
  EXPECT_NEAR(site.Cell("Loops", loop, "AlarmCurrent").toDouble(), 18.0, 1e-9);
  EXPECT_NEAR(site.Cell("Loops", loop, "QuiescentCurrent").toDouble(), 0.9, 1e-9);
}

}  // namespace
}  // namespace velmora::electrical
