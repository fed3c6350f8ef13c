#include "electrical/loop_explain.h"

#include <gtest/gtest.h>

#include "electrical/battery_explain.h"

namespace velmora::electrical {
namespace {

// A protocol delivering 20 V and 400 mA with at most 20 ohm to the first device.
ProtocolLimits Limits() {
  ProtocolLimits limits;
  limits.name = "Halo Loop";
  limits.lowest_v = 20.0;
  limits.max_first = 20.0;
  limits.max_current = 400.0;
  return limits;
}

DeviceRowValues Sounders(qint64 quantity, double lowest_v) {
  DeviceRowValues d;
  d.quantity = quantity;
  d.type_text = "Sounder";
  d.sub_type = "SND";
  d.lowest_v = lowest_v;
  return d;
}

// Hand-worked loops on 0.5 mm² (36 ohm/km), each failing one reason or close to one limit.
struct Case {
  const char* what;
  LoopGeometry geometry;
  double quiescent;
  double alarm;
  double device_v;
  Standing standing;
  const char* codes;
  const char* explanation;  // the one line that says why
  const char* headroom;
};

const Case kCases[] = {
    // P = 230 m, 16.56 ohm to the devices (and to the first: 83 % of 20 ohm); 100 mA in alarm
    // drop 1.656 V of 20 V.
    {"E01",
     {true, 20, 0, 250, 36.0},
     10.0,
     100.0,
     18.5,
     Standing::kOverloaded,
     " [E01]",
     "E01: 2 x Sounder SND needs 18.5 V; 18.344 V are left at the devices (20 V less a drop of "
     "1.656 V)",
     "Current 25\u00a0% of the limit (100.0 of 400 mA), 18.344 V left at the devices"},
    // Spread with the first device 300 m away: 2 x 300 x 36 / 1000 = 21.6 ohm.
    {"E02",
     {false, 20, 300, 700, 36.0},
     0.0,
     0.0,
     17.0,
     Standing::kOverloaded,
     " [E02]",
     "E02: resistance to the first device 21.60 Ω, above the limit of 20 Ω",
     "Current 0\u00a0% of the limit (0.0 of 400 mA), 20.000 V left at the devices"},
    // 723 m: 2 x 723 x 36 / 1000 = 52.056 ohm.
    {"E03",
     {false, 20, 0, 723, 36.0},
     0.0,
     0.0,
     17.0,
     Standing::kOverloaded,
     " [E03]",
     "E03: loop resistance 52.06 Ω, above the limit of 52 Ω",
     "Current 0\u00a0% of the limit (0.0 of 400 mA), 20.000 V left at the devices"},
    // A 20 m loop: 2 x 10 x 36 / 1000 = 0.72 ohm; 412.5 mA drop 0.297 V.
    {"E04",
     {false, 0, 0, 20, 36.0},
     5.0,
     412.5,
     17.0,
     Standing::kOverloaded,
     " [E04]",
     "E04: alarm current 412.5 mA, at or above the limit of 400 mA",
     "Current 103\u00a0% of the limit (412.5 of 400 mA), 19.703 V left at the devices"},
    // 360 mA of 400 mA is 90 %: near the limit, and still passing.
    {"alarm current at 90 %",
     {false, 0, 0, 20, 36.0},
     5.0,
     360.0,
     17.0,
     Standing::kNearLimit,
     "",
     "Alarm current 360.0 mA: 90\u00a0% of the limit of 400 mA",
     "Current 90\u00a0% of the limit (360.0 of 400 mA), 19.741 V left at the devices"},
    // 359.9 mA is 89.975 %: it reads 89 % and is not marked.
    {"alarm current just below 90 %",
     {false, 0, 0, 20, 36.0},
     5.0,
     359.9,
     17.0,
     Standing::kOk,
     "",
     "",
     "Current 89\u00a0% of the limit (359.9 of 400 mA), 19.741 V left at the devices"},
    // 650 m: 46.8 ohm, 90 % of 52 ohm.
    {"loop resistance at 90 %",
     {false, 20, 0, 650, 36.0},
     0.0,
     0.0,
     17.0,
     Standing::kNearLimit,
     "",
     "Loop resistance 46.80 Ω: 90\u00a0% of the limit of 52 Ω",
     "Current 0\u00a0% of the limit (0.0 of 400 mA), 20.000 V left at the devices"},
    // P = 230 m: 100 mA drop 1.656 V of the 1.8 V the 18.2 V devices can spare, 92 %.
    {"voltage drop at 92 % of what the devices can spare",
     {true, 20, 0, 250, 36.0},
     10.0,
     100.0,
     18.2,
     Standing::kNearLimit,
     "",
     "Voltage drop 1.656 V: 92\u00a0% of the 1.800 V the devices can spare",
     "Current 25\u00a0% of the limit (100.0 of 400 mA), 18.344 V left at the devices"},
};

TEST(LoopExplainTest, HandWorkedLoops) {
  for (const Case& c : kCases) {
    LoopResult loop;
    loop.input.geometry = c.geometry;
    loop.input.quiescent = c.quiescent;
    loop.input.alarm = c.alarm;
    loop.input.limits = Limits();
    loop.input.devices = {Sounders(1, 17.0), Sounders(2, c.device_v)};
    loop.check = CheckLoop(loop.input);
    ASSERT_EQ(loop.check.Codes(), c.codes) << c.what;

    const LoopHeadroom headroom = HeadroomOf(loop.input, loop.check);
    EXPECT_EQ(StandingOf(loop), c.standing) << c.what;
    const QStringList explanation = LoopExplanation(loop);
    EXPECT_EQ(explanation.join("\n"), c.explanation) << c.what;
    EXPECT_EQ(HeadroomText(loop.input, headroom), c.headroom) << c.what;
  }
}

TEST(LoopExplainTest, EveryReasonOfALoopIsExplainedInTheOrderOfItsCodes) {
  // 800 m spread with 450 mA in alarm: 12.96 V drop, 57.6 ohm; E01, E03 and E04 at once.
  LoopCheckInput in;
  in.geometry = {false, 20, 0, 800, 36.0};
  in.alarm = 450.0;
  in.limits = Limits();
  in.devices = {Sounders(1, 17.0), Sounders(3, 19.0)};
  const LoopCheck check = CheckLoop(in);
  ASSERT_EQ(check.Codes(), " [E01] [E03] [E04]");
  QStringList codes;
  for (const LoopReason& reason : ExplainReasons(in, check)) {
    codes << reason.code;
    EXPECT_TRUE(reason.text.startsWith(reason.code + ":")) << reason.text.toStdString();
  }
  EXPECT_EQ(codes, QStringList({"E01", "E03", "E04"}));
  // The device named is the one that misses the voltage left by most.
  EXPECT_TRUE(ExplainReasons(in, check).front().text.contains("3 x Sounder SND needs 19 V"));
}

TEST(LoopExplainTest, LimitsThatAreNotKnownHaveNoShare) {
  LoopCheckInput in;
  in.geometry = {true, 20, 0, 250, 36.0};
  in.alarm = 100.0;
  in.devices = {Sounders(1, 17.0)};
  const LoopCheck check = CheckLoop(in);
  const LoopHeadroom h = HeadroomOf(in, check);
  EXPECT_FALSE(h.current);
  EXPECT_FALSE(h.voltage);
  EXPECT_FALSE(h.first_resistance);
  EXPECT_FALSE(h.left);
  EXPECT_EQ(HeadroomText(in, h), "No current limit known");
  // ResistanceToDevice 0 is no limit at all.
  in.limits = Limits();
  in.limits.max_first = 0.0;
  EXPECT_FALSE(HeadroomOf(in, CheckLoop(in)).first_resistance);
  // A new loop's placeholder row needs no voltage: the loop has nothing to spare it for.
  DeviceRowValues placeholder;
  placeholder.lowest_v = 0.0;
  in.devices = {placeholder};
  const LoopHeadroom empty = HeadroomOf(in, CheckLoop(in));
  EXPECT_FALSE(empty.voltage);
  EXPECT_FALSE(empty.needed);
  EXPECT_EQ(StandingOf(CheckLoop(in), empty), Standing::kOk);
}

PanelResult Panel(double q_total, double a_total, std::optional<double> supply_q,
                  std::optional<double> supply_a) {
  PanelResult p;
  p.panel = 1;
  p.power_input.own_q = q_total;
  p.power_input.own_a = a_total;
  p.power_input.supply_chosen = true;
  p.power_input.supply_q = supply_q;
  p.power_input.supply_a = supply_a;
  p.power_input.standby_hours = 24;
  p.power_input.alarm_hours = 0.5;
  p.power = PanelPowerOf(p.power_input);
  p.rounded_capacity = RoundedBatteryCapacity(p.power.battery_capacity);
  return p;
}

TEST(LoopExplainTest, SupplyAgainstItsLimits) {
  struct SupplyCase {
    double q, a;
    Standing standing;
    const char* lines;
  };
  const SupplyCase cases[] = {
      {300, 800, Standing::kOk,
       "Quiescent total 300.0 mA: 60\u00a0% of the supply's 500 mA\n"
       "Alarm total 800.0 mA: 80\u00a0% of the supply's 1000 mA"},
      {450, 800, Standing::kNearLimit,
       "Quiescent total 450.0 mA: 90\u00a0% of the supply's 500 mA\n"
       "Alarm total 800.0 mA: 80\u00a0% of the supply's 1000 mA"},
      {300, 1000.5, Standing::kOverloaded,
       "Quiescent total 300.0 mA: 60\u00a0% of the supply's 500 mA\n"
       "Alarm total 1000.5 mA, above the supply's limit of 1000 mA"},
  };
  for (const SupplyCase& c : cases) {
    const PanelResult p = Panel(c.q, c.a, 500.0, 1000.0);
    EXPECT_EQ(SupplyStanding(p), c.standing) << c.q << " / " << c.a;
    EXPECT_EQ(SupplyExplanation(p).join("\n"), c.lines);
  }
  // A supply cell with nothing gives no current at all.
  const PanelResult none = Panel(300, 800, std::nullopt, 1000.0);
  EXPECT_EQ(SupplyStanding(none), Standing::kOverloaded);
  EXPECT_EQ(SupplyExplanation(none).front(), "Quiescent total 300.0 mA: the supply gives none");
}

TEST(LoopExplainTest, APanelStandsAsItsWorstLoopOrItsSupply) {
  Recalculation found;
  found.panels.push_back(Panel(300, 800, 500.0, 1000.0));
  LoopResult near;
  near.panel = 1;
  near.input.geometry = {false, 0, 0, 20, 36.0};
  near.input.alarm = 380.0;
  near.input.limits = Limits();
  near.check = CheckLoop(near.input);
  found.loops.push_back(near);
  EXPECT_EQ(PanelStanding(found, 1), Standing::kNearLimit);
  found.loops.front().input.alarm = 400.0;
  found.loops.front().check = CheckLoop(found.loops.front().input);
  EXPECT_EQ(PanelStanding(found, 1), Standing::kOverloaded);
  EXPECT_EQ(PanelStanding(found, 2), Standing::kOk);
}

const QStringList kCapacities = {"7.2", "12", "18", "26", "45", "65"};
const QStringList kModels = {"B7", "B12", "B18", "B26", "B45", "B65"};

TEST(BatteryExplainTest, TheCalculationWrittenOut) {
  // The worked example: Ts 24 h, Ta 0.5 h, Q 300 mA, A 1200 mA in a housing for 7.2 Ah.
  PanelResult derated = Panel(300, 1200, 500.0, 2000.0);
  derated.housing_battery = 7.2;
  EXPECT_EQ(
      BatteryCalculation(derated, kCapacities, kModels),
      QStringList({
          "Standby time Ts = 24 h, alarm time Ta = 0.5 h",
          "Quiescent total Q = 300 mA, alarm total A = 1200 mA",
          "C0 = 1.25 × (Ts × Q + Ta × A) = 1.25 × (24 h × 0.3 A + 0.5 h × 1.2 A) = 9.75 Ah "
          "(1.25: ageing factor)",
          "A = 1.2 A is above C0 / 20 = 0.4875 A: the alarm term is derated by 1.75",
          "C = 1.25 × (Ts × Q + 1.75 × Ta × A) = 1.25 × (24 h × 0.3 A + 1.75 × 0.5 h × 1.2 A) "
          "= 10.3125 Ah",
          "C cut to two decimals: 10.31 Ah; rounded to one decimal: 10.3 Ah",
          "Battery chosen: 12 Ah, B12 (the first of the range not below 10.3 Ah)",
          "Battery box required: the housing holds batteries up to 7.2 Ah",
      }));

  // 1.25 x (24 x 0.3 + 0.5 x 0.2) = 9.125; 0.2 A is not above 0.45625 A.
  PanelResult plain = Panel(300, 200, 500.0, 2000.0);
  plain.housing_battery = 18.0;
  const QStringList lines = BatteryCalculation(plain, kCapacities, kModels);
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines[3], "A = 0.2 A is not above C0 / 20 = 0.45625 A: no derating, C = C0 = 9.125 Ah");
  EXPECT_EQ(lines[4], "C cut to two decimals: 9.12 Ah; rounded to one decimal: 9.1 Ah");
  EXPECT_EQ(lines[6], "No battery box required: the housing holds batteries up to 18 Ah");

  // 3 A for a day: 1.25 x (24 x 3 + 0.5 x 3) = 91.875 Ah, more than the range holds.
  const QStringList exceeded = BatteryCalculation(Panel(3000, 3000, {}, {}), kCapacities, kModels);
  EXPECT_EQ(exceeded.back(),
            "No battery of the range holds 91.9 Ah: System specification exceeded.");

  PanelResult unknown;
  unknown.known = false;
  EXPECT_EQ(BatteryCalculation(unknown, kCapacities, kModels), QStringList{"No catalogue data"});
}

}  // namespace
}  // namespace velmora::electrical
