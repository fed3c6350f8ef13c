#include <gtest/gtest.h>

#include "electrical/calc.h"

namespace velmora::electrical {
namespace {

const QStringList kCapacities = {"7.2", "12", "18", "26", "45", "65"};
const QStringList kModels = {"B7", "B12", "B18", "B26", "B45", "B65"};

TEST(BatteryTest, CapacityRoundingAndChoice) {
  struct Case {
    double q, a, standby, alarm;
    double cut;
    double rounded;
    const char* battery;
  };
  const Case cases[] = {
      // 1.25 x (7.2 + 1.75 x 0.6): the alarm current is above a twentieth of 9.75.
      {300, 1200, 24, 0.5, 10.31, 10.3, "12 => B12"},
      {290, 0, 20, 0, 7.25, 7.2, "7.2 => B7"},  // the half goes to the even tenth
      {242, 0, 24, 0, 7.26, 7.3, "12 => B12"},
      {2600, 0, 20, 0, 65.0, 65.0, "65 => B65"},
      {2604, 0, 20, 0, 65.1, 65.1, "System specification exceeded."},
      // Alarm current exactly a twentieth of the plain capacity: no derating.
      {0, 1000, 0, 16, 20.0, 20.0, "26 => B26"},
      {0, 1000, 0, 15, 32.81, 32.8, "45 => B45"},
  };
  for (const Case& c : cases) {
    const double cut = BatteryCapacity(c.q, c.a, c.standby, c.alarm);
    EXPECT_DOUBLE_EQ(cut, c.cut) << c.q << " " << c.a;
    EXPECT_DOUBLE_EQ(RoundedBatteryCapacity(cut), c.rounded) << c.q << " " << c.a;
    EXPECT_EQ(BatteryChoice(kCapacities, kModels, RoundedBatteryCapacity(cut), 100.0), c.battery);
  }
}

TEST(BatteryTest, BatteryBoxWhenTheHousingIsTooSmall) {
  EXPECT_EQ(BatteryChoice(kCapacities, kModels, 10.3, 7.2), "12 => B12 - Battery box required");
  EXPECT_EQ(BatteryChoice(kCapacities, kModels, 10.3, 12.0), "12 => B12");
  EXPECT_EQ(BatteryChoice(kCapacities, kModels, 10.3, std::nullopt),
            "12 => B12 - Battery box required");
}

// Own currents 100 / 200 mA, supply limits 500 / 1000 mA.
PanelPowerInput Panel() {
  PanelPowerInput in;
  in.own_q = 100.0;
  in.own_a = 200.0;
  in.supply_chosen = true;
  in.supply_q = 500.0;
  in.supply_a = 1000.0;
  return in;
}

TEST(PanelPowerTest, TotalsOfTheParts) {
  PanelPowerInput in = Panel();
  in.options_q = 90.0;
  in.options_a = 25.0;
  in.loops_q = 15.0;
  in.loops_a = 37.0;
  in.outputs_q = 21.0;
  in.outputs_a = 42.0;
  const PanelPower p = PanelPowerOf(in);
  EXPECT_DOUBLE_EQ(p.q_panel, 190.0);
  EXPECT_DOUBLE_EQ(p.a_panel, 225.0);
  EXPECT_DOUBLE_EQ(p.q_total, 226.0);
  EXPECT_DOUBLE_EQ(p.a_total, 304.0);
  EXPECT_TRUE(p.SupplyOk());
}

TEST(PanelPowerTest, TheSupplyHoldsUpToItsLimitsAndOnlyWhenOneIsChosen) {
  struct Case {
    const char* what;
    double loops_q, loops_a;
    bool chosen;
    std::optional<double> limit_q;
    bool quiescent_overload, alarm_overload, supply_ok;
  };
  const Case cases[] = {
      {"exactly at both limits", 400, 800, true, 500.0, false, false, true},
      {"half a milliampere above the alarm limit", 400, 800.5, true, 500.0, false, true, false},
      {"no supply chosen", 0, 0, false, 500.0, false, false, false},
      {"an empty limit is smaller than any current", 0, 0, true, std::nullopt, true, false, false},
  };
  for (const Case& c : cases) {
    PanelPowerInput in = Panel();
    in.loops_q = c.loops_q;
    in.loops_a = c.loops_a;
    in.supply_chosen = c.chosen;
    in.supply_q = c.limit_q;
    const PanelPower p = PanelPowerOf(in);
    EXPECT_EQ(p.quiescent_overload, c.quiescent_overload) << c.what;
    EXPECT_EQ(p.alarm_overload, c.alarm_overload) << c.what;
    EXPECT_EQ(p.SupplyOk(), c.supply_ok) << c.what;
  }
}

TEST(PanelStatusTest, StatusTextOfThePanelsState) {
  struct Case {
    PanelState state;
    const char* text;
  };
  const Case cases[] = {
      {{true, true, true, true, true}, "OK"},
      {{true, true, false, true, true}, "Loop Overload"},
      {{true, true, true, true, false}, "Power Supply Overload"},
      {{true, true, false, true, false}, "Loop Overload , Power Supply Overload"},
      {{true, true, true, false, false}, "No power supply chosen"},
      {{true, true, false, false, false}, "Loop Overload , No power supply chosen"},
      {{true, false, true, true, true}, "No catalogue data"},
      {{false, false, false, false, false}, "-"},
  };
  for (const Case& c : cases) EXPECT_EQ(PanelStatusText(c.state), c.text);
}

}  // namespace
}  // namespace velmora::electrical
