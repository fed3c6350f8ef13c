#include <gtest/gtest.h>

#include <optional>

#include "electrical/calc.h"

namespace velmora::electrical {
namespace {

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
  std::vector<DeviceRowValues> rows;
  for (const Row& r : c.rows) {
    const double m = r.quantity.value_or(0);
    DeviceRowValues v;
    v.quantity = r.quantity.value_or(0);
    v.type_code = r.code;
    v.unit_q = r.unit_q;
    v.unit_a = r.unit_a;
    v.row_q = r.row_q.value_or(m * r.unit_q);
    v.row_a = r.row_a.value_or(m * r.unit_a.value_or(0));
    rows.push_back(v);
  }
  const LoopTotals totals = LoopCurrents(c.indicators, rows);
  EXPECT_NEAR(totals.quiescent, c.quiescent, 1e-9);
  EXPECT_NEAR(totals.alarm, c.alarm, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Loops, LoopCurrentsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(LoopCurrentsTest, AlarmIndicatorsChangeOnlyTheAlarmTotal) {
  DeviceRowValues detectors;
  detectors.quantity = 3;
  detectors.type_code = 2;
  detectors.unit_q = 0.3;
  detectors.unit_a = 6.0;
  detectors.row_q = 0.9;
  detectors.row_a = 18.0;
  const LoopTotals one = LoopCurrents(1, {detectors});
  const LoopTotals three = LoopCurrents(3, {detectors});
  EXPECT_NEAR(one.alarm, 6.6, 1e-9);
  EXPECT_NEAR(three.alarm, 18.0, 1e-9);
  EXPECT_NEAR(one.quiescent, 0.9, 1e-9);
  EXPECT_NEAR(three.quiescent, 0.9, 1e-9);
}

}  // namespace
}  // namespace velmora::electrical
