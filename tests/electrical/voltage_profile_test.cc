#include "electrical/voltage_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora::electrical {
namespace {

struct Device {
  double current;  // mA in alarm
  std::optional<double> lowest_v = std::nullopt;
};

struct Case {
  const char* name;
  double length;
  double resistance;  // ohm/km
  bool one_location;
  double first;  // V1 or V3
  std::vector<Device> devices;
  // Worked out by hand in docs/voltage-profile.md, 20 V at both terminals.
  std::vector<double> distance;
  std::vector<double> healthy;
  std::vector<double> broken;
  int break_gap;
  double break_at;
  int lowest_healthy;
  int lowest_broken;
  bool healthy_ok;
  bool broken_ok;
  int weakest;
};

// 10 ohm/km: 0.02 ohm per metre of the two wires, so 1 mA over 1 m drops 0.02 mV.
const Case kCases[] = {
    {"one device alone in the middle of a spread loop: half the drop fed from both ends",
     1000,
     10,
     false,
     100,
     {{100}},
     {500},
     {19.5},
     {19.0},
     0,
     0,
     0,
     0,
     true,
     true,
     0},
    {"five devices spread evenly, equal currents: lowest in the middle, broken at the start",
     1000,
     10,
     false,
     100,
     {{20}, {20}, {20}, {20}, {20}},
     {100, 300, 500, 700, 900},
     {19.9, 19.78, 19.74, 19.78, 19.9},
     {19.0, 19.08, 19.24, 19.48, 19.8},
     0,
     0,
     2,
     0,
     true,
     true,
     0},
    {"heavy device near the second terminal: the worst break is beside it",
     600,
     10,
     false,
     100,
     {{10}, {20}, {40}},
     {100, 300, 500},
     {19.95, 19.89, 19.91},
     {19.86, 19.62, 19.46},
     3,
     600,
     1,
     2,
     true,
     true,
     2},
    {"one location, 300 m from the first terminal of 1000 m: the long side fed alone",
     1000,
     10,
     true,
     300,
     {{60, 17.0}, {40, 17.0}},
     {300, 300},
     {19.58, 19.58},
     {18.6, 18.6},
     0,
     0,
     0,
     0,
     true,
     true,
     0},
    {"broken, two devices fall below their minimum that fed from both ends keep it",
     1000,
     10,
     false,
     100,
     {{20, 19.2}, {20, 19.2}, {20, 19.5}, {20, 19.2}, {20, 19.2}},
     {100, 300, 500, 700, 900},
     {19.9, 19.78, 19.74, 19.78, 19.9},
     {19.0, 19.08, 19.24, 19.48, 19.8},
     0,
     0,
     2,
     0,
     true,
     false,
     2},
    {"a device exactly at its minimum keeps it",
     1000,
     10,
     false,
     100,
     {{100, 19.0}},
     {500},
     {19.5},
     {19.0},
     0,
     0,
     0,
     0,
     true,
     true,
     0},
    {"fed from both ends already too low",
     1000,
     10,
     false,
     100,
     {{100, 19.6}},
     {500},
     {19.5},
     {19.0},
     0,
     0,
     0,
     0,
     false,
     false,
     0},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

ProfileDevice Load(double current, std::optional<double> lowest_v = std::nullopt) {
  ProfileDevice device;
  device.alarm_current = current;
  device.lowest_v = lowest_v;
  return device;
}

class VoltageProfileTest : public ::testing::TestWithParam<Case> {};

TEST_P(VoltageProfileTest, AgreesWithTheHandWorkedLoop) {
  const Case& c = GetParam();
  ProfileInput input{c.length, c.resistance, c.one_location, c.first, 20.0, {}};
  for (const Device& d : c.devices) input.devices.push_back(Load(d.current, d.lowest_v));
  const VoltageProfile p = CalculateVoltageProfile(input);
  ASSERT_EQ(p.distance.size(), c.distance.size());
  for (std::size_t i = 0; i < c.distance.size(); ++i) {
    EXPECT_NEAR(p.distance[i], c.distance[i], 1e-9) << "device " << i;
    EXPECT_NEAR(p.healthy[i], c.healthy[i], 1e-9) << "device " << i;
    EXPECT_NEAR(p.broken[i], c.broken[i], 1e-9) << "device " << i;
    // A break never helps a device at the worst place.
    EXPECT_LE(p.broken[i], p.healthy[i] + 1e-12);
  }
  EXPECT_EQ(p.break_gap, c.break_gap);
  EXPECT_NEAR(p.break_at, c.break_at, 1e-9);
  EXPECT_EQ(p.lowest_healthy, c.lowest_healthy);
  EXPECT_EQ(p.lowest_broken, c.lowest_broken);
  EXPECT_EQ(p.healthy_ok, c.healthy_ok);
  EXPECT_EQ(p.broken_ok, c.broken_ok);
  EXPECT_EQ(p.weakest, c.weakest);
}

INSTANTIATE_TEST_SUITE_P(Loops, VoltageProfileTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(VoltageProfileTest, WeakestIsTheSmallestMarginNotTheLowestVoltage) {
  const Case& c = kCases[4];
  ProfileInput input{c.length, c.resistance, c.one_location, c.first, 20.0, {}};
  for (const Device& d : c.devices) input.devices.push_back(Load(d.current, d.lowest_v));
  const VoltageProfile p = CalculateVoltageProfile(input);
  EXPECT_EQ(p.lowest_broken, 0);
  EXPECT_EQ(p.weakest, 2);
  ASSERT_TRUE(p.weakest_margin);
  EXPECT_NEAR(*p.weakest_margin, 19.24 - 19.5, 1e-9);
}

TEST(VoltageProfileTest, OneLocationBrokenAtTheWorstPlaceIsTheLumpedDrop) {
  // The loop check's drop: 2 x P x R / 1000 x I, P the longer of V1 and L - V1.
  struct Lumped {
    double length, v1, resistance, current;
  };
  for (const Lumped& l : {Lumped{250, 100, 36, 24}, Lumped{250, 200, 13, 150.5},
                          Lumped{1000, 500, 8, 300}, Lumped{722, 1, 36, 12.6}}) {
    ProfileInput input{l.length, l.resistance, true, l.v1, 24.0, {}};
    for (int i = 0; i < 4; ++i) input.devices.push_back(Load(l.current / 4));
    const double piece = std::max(l.v1, l.length - l.v1);
    const double drop = 2 * piece * l.resistance / 1000 * l.current / 1000;
    const VoltageProfile p = CalculateVoltageProfile(input);
    ASSERT_TRUE(p.LowestBroken());
    EXPECT_NEAR(*p.LowestBroken(), 24.0 - drop, 1e-9) << l.length << " m, V1 " << l.v1;
    EXPECT_NEAR(p.break_at, l.v1 > l.length - l.v1 ? l.length : 0.0, 1e-9);
  }
}

TEST(VoltageProfileTest, NothingToDrawWithoutDevices) {
  const VoltageProfile p = CalculateVoltageProfile({250, 36, false, 0, 20, {}});
  EXPECT_TRUE(p.Empty());
  EXPECT_FALSE(p.LowestHealthy());
  EXPECT_FALSE(p.LowestBroken());
  EXPECT_EQ(p.weakest, -1);
  EXPECT_TRUE(p.MinimumsKept());
}

TEST(VoltageProfileTest, DamagedValuesGiveAProfileWithinTheCable) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Bad {
    double length, resistance, first, current;
  };
  for (const Bad& b : {Bad{nan, 36, 10, 5}, Bad{-250, 36, 10, 5}, Bad{250, nan, 10, 5},
                       Bad{250, -36, 10, 5}, Bad{250, 36, inf, 5}, Bad{250, 36, 10, nan},
                       Bad{250, 36, 10, -5}, Bad{0, 36, 0, 5}, Bad{250, 36, 900, 5}}) {
    for (bool one_location : {false, true}) {
      ProfileInput input{b.length, b.resistance, one_location, b.first, 20, {}};
      input.devices.assign(3, Load(b.current));
      const VoltageProfile p = CalculateVoltageProfile(input);
      ASSERT_EQ(p.distance.size(), 3u);
      const double length = std::isfinite(b.length) && b.length > 0 ? b.length : 0;
      for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::isfinite(p.healthy[i]) && std::isfinite(p.broken[i]));
        EXPECT_GE(p.distance[i], 0);
        EXPECT_LE(p.distance[i], length);
        EXPECT_LE(p.healthy[i], 20);
      }
    }
  }
}

TEST(ExpandAlarmCurrentsTest, BudgetsGoToTheLargestUnitAlarmCurrentFirst) {
  // Detectors 0.3 / 6 mA, call points 0.25 / 2.5 mA, isolators 0.1 / 5 mA, two alarm
  // indicators: the detectors take both, the first two isolators draw their alarm current.
  const std::vector<ProfileDeviceRow> rows = {
      {5, 1, 0.3, 6.0, 1.5, 17.0},
      {4, 10, 0.25, 2.5, 1.0, 16.0},
      {3, 33, 0.1, 5.0, 0.3, std::nullopt},
      {3, 12, 0.2, 1.0, 2.9, 15.0},  // no budget: the row's own alarm total, shared
  };
  const auto devices = ExpandAlarmCurrents(rows, 2);
  ASSERT_TRUE(devices);
  std::vector<double> currents;
  for (const ProfileDevice& d : *devices) currents.push_back(d.alarm_current);
  const double s = 2.9 / 3;
  EXPECT_EQ(currents,
            (std::vector<double>{6, 6, 0.3, 0.3, 0.3, 0.25, 0.25, 0.25, 0.25, 5, 5, 0.1, s, s, s}));
  EXPECT_EQ((*devices)[3].row, 0);
  EXPECT_EQ((*devices)[3].unit, 3);
  EXPECT_EQ((*devices)[5].lowest_v, 16.0);
  EXPECT_FALSE((*devices)[9].lowest_v);
  EXPECT_TRUE((*devices)[9].isolator);
  EXPECT_FALSE((*devices)[0].isolator);
}

TEST(ExpandAlarmCurrentsTest, ALaterRowWithMoreAlarmCurrentTakesTheBudget) {
  const auto devices = ExpandAlarmCurrents({{2, 1, 0.3, 6.0, 0, {}}, {2, 2, 0.4, 9.0, 0, {}}}, 3);
  ASSERT_TRUE(devices);
  std::vector<double> currents;
  for (const ProfileDevice& d : *devices) currents.push_back(d.alarm_current);
  EXPECT_EQ(currents, (std::vector<double>{6, 0.3, 9, 9}));
}

TEST(ExpandAlarmCurrentsTest, AnAbsurdQuantityIsRefusedNotExpanded) {
  EXPECT_FALSE(ExpandAlarmCurrents({{kMaxProfileDevices + 1, 12, 0, 1, 1, {}}}, 0));
  EXPECT_FALSE(
      ExpandAlarmCurrents({{kMaxProfileDevices, 12, 0, 1, 1, {}}, {1, 1, 0, 1, 1, {}}}, 0));
  EXPECT_FALSE(ExpandAlarmCurrents(
      {{std::numeric_limits<qint64>::max(), 1, 0, 1, 1, {}}, {5, 1, 0, 1, 1, {}}}, 0));
  const auto most = ExpandAlarmCurrents({{kMaxProfileDevices, 12, 0, 1, 1, {}}}, 0);
  ASSERT_TRUE(most);
  EXPECT_EQ(most->size(), std::size_t(kMaxProfileDevices));
}

TEST(DevicesPerSectionTest, IsolatorsShareTheOtherDevicesAmongSections) {
  struct Case {
    int devices, isolators;
    double per_section;
    bool exceeded;
  };
  for (const Case& c :
       {Case{32, 0, 32, false}, Case{33, 0, 33, true}, Case{64, 1, 32, false},
        Case{65, 1, 32.5, true}, Case{0, 3, 0, false}, Case{250, 7, 31.25, false}}) {
    std::vector<ProfileDevice> devices(std::size_t(c.devices + c.isolators));
    for (int i = 0; i < c.isolators; ++i) devices[std::size_t(i)].isolator = true;
    const SectionAdvisory a = DevicesPerSection(devices);
    EXPECT_EQ(a.devices, c.devices);
    EXPECT_EQ(a.isolators, c.isolators);
    EXPECT_DOUBLE_EQ(a.per_section, c.per_section);
    EXPECT_EQ(a.exceeded, c.exceeded) << c.devices << " devices, " << c.isolators << " isolators";
  }
}

}  // namespace
}  // namespace velmora::electrical
