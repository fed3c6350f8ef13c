#include "electrical/loop_profile.h"

#include <gtest/gtest.h>

#include <numeric>

#include "electrical/loop_check.h"
#include "electrical/loop_currents.h"
#include "electrical/site_rows.h"
#include "support/circuit_site.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;

struct Row {
  int quantity;
  int code;
  double unit_q;
  std::optional<double> unit_a;
  std::optional<double> lowest_v = std::nullopt;
  const char* type = "OD";
  const char* sub_type = "";
};

// Panel 1 runs a protocol that delivers 20 V; panel 2 one without a lookup row.
class LoopProfileTest : public ::testing::Test {
 protected:
  LoopProfileTest() {
    site_.AddProtocol(0, "Open Loop", 3000, 20.0, 127, 127, 0.0);
    site_.AddSpec({{"Prot0", "STD999"}});
    site_.AddPanel(1, 0, 0);
    site_.AddPanel(2, 1, 0);
  }

  void AddRows(int panel, int loop, const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      site_.AddDeviceRow(panel, loop,
                         {{"DeviceQuantity", r.quantity},
                          {"DeviceTypeCode", r.code},
                          {"DeviceTypeText", r.type},
                          {"DeviceSub-Type", r.sub_type},
                          {"UnitQuiesentCurrent", r.unit_q},
                          {"UnitAlarmCurrent", r.unit_a ? QVariant(*r.unit_a) : QVariant()},
                          {"QuiesentCurrent", r.quantity * r.unit_q},
                          {"AlarmCurrent", r.quantity * r.unit_a.value_or(0)},
                          {"LowestV", r.lowest_v ? QVariant(*r.lowest_v) : QVariant()}});
    }
  }

  // The chain's steps the profile builds on: the loop's totals, then its check.
  std::optional<LoopProfile> Checked(int panel, int loop) {
    RecalculateLoopCurrents(site_.R(), panel, loop);
    CheckLoopOverload(site_.R(), panel, loop);
    return LoopProfileOf(site_.R(), panel, loop);
  }

  double StoredAlarm(int panel, int loop) {
    return site_.Cell("Loops", LoopKey(panel, loop), "AlarmCurrent").toDouble();
  }

  CircuitSite site_;
};

TEST_F(LoopProfileTest, DevicesDrawTheLoopsAlarmTotal) {
  const std::vector<std::vector<Row>> loops = {
      {{5, 1, 0.3, 6.0}, {4, 10, 0.25, 2.5}, {3, 33, 0.1, 5.0}},
      {{2, 1, 0.3, 6.0}, {1, 34, 0.5, 4.0}, {1, 115, 0.1, 5.0}, {3, 12, 0.2, 1.0}},
      {{0, 1, 0.0, 9.0}, {2, 2, 0.3, 6.0}, {2, 2, 0.3, std::nullopt}},
      {{1, 2, 0.4, 9.0}, {3, 1, 0.3, 6.0}, {2, 113, 0.2, 7.5}, {1, 0, 0.0, 0.0}},
  };
  for (std::size_t i = 0; i < loops.size(); ++i) {
    const int loop = int(i) + 1;
    site_.AddLoop(1, loop, {{"AlarmIndicators", 2}});
    AddRows(1, loop, loops[i]);
    const std::optional<LoopProfile> profile = Checked(1, loop);
    ASSERT_TRUE(profile) << "loop " << loop;
    double total = 0;
    for (const ProfileDevice& d : profile->input.devices) total += d.alarm_current;
    EXPECT_NEAR(total, StoredAlarm(1, loop), 1e-9) << "loop " << loop;
  }
}

TEST_F(LoopProfileTest, OneLocationBrokenIsTheChecksVoltage) {
  struct Loop {
    int length, v1;
    double resistance;
  };
  int loop = 0;
  for (const Loop& l :
       {Loop{250, 20, 36}, Loop{250, 125, 36}, Loop{1200, 900, 13}, Loop{722, 361, 19}}) {
    ++loop;
    site_.AddLoop(1, loop,
                  {{"Length", l.length},
                   {"OneLocationLength", l.v1},
                   {"Resistance", l.resistance},
                   {"AlarmIndicators", 3}});
    AddRows(1, loop, {{6, 1, 0.3, 6.0, 17.0}, {2, 12, 1.0, 4.5, 16.0}});
    const std::optional<LoopProfile> profile = Checked(1, loop);
    ASSERT_TRUE(profile);
    const double stored_drop = site_.Cell("Loops", LoopKey(1, loop), "Drop").toDouble();
    EXPECT_NEAR(profile->lumped_u, 20.0 - stored_drop, 1e-12);
    ASSERT_TRUE(profile->profile.LowestBroken());
    EXPECT_NEAR(*profile->profile.LowestBroken(), profile->lumped_u, 1e-9) << "loop " << loop;
    // Fed from both ends the group is better off.
    EXPECT_GT(*profile->profile.LowestHealthy(), profile->lumped_u);
  }
}

TEST_F(LoopProfileTest, ReadsTheSpreadLoopsCableAndDevicesInStoredOrder) {
  site_.AddLoop(1, 1,
                {{"Length", 1000},
                 {"Resistance", 10.0},
                 {"OneLocation", false},
                 {"Spread", true},
                 {"OneLocationLength", 300},
                 {"SpreadLength", 100},
                 {"AlarmIndicators", 0}});
  // Unlimited devices draw their alarm current whatever the budget.
  AddRows(1, 1,
          {{2, 12, 0.0, 20.0, 19.2, "SD", "S-1"},
           {1, 12, 0.0, 20.0, 19.5, "LED"},
           {2, 12, 0.0, 20.0, 19.2, "SD", "S-1"}});
  RecalculateLoopCurrents(site_.R(), 1, 1);
  CheckLoopOverload(site_.R(), 1, 1);
  const std::vector<site::Row> checked = site_.SiteDb().Select("Loops", LoopKey(1, 1));
  const std::optional<LoopProfile> profile = LoopProfileOf(site_.R(), 1, 1);
  ASSERT_TRUE(profile);
  EXPECT_FALSE(profile->input.one_location);
  EXPECT_EQ(profile->input.first_distance, 100);
  EXPECT_EQ(profile->input.supply_v, 20.0);
  // The five devices of the hand-worked spread loop: broken, the first two fall below 19.2 V and
  // the middle one, the LED, is closest to its own 19.5 V.
  EXPECT_EQ(profile->profile.distance, (std::vector<double>{100, 300, 500, 700, 900}));
  EXPECT_TRUE(profile->profile.healthy_ok);
  EXPECT_FALSE(profile->profile.broken_ok);
  EXPECT_EQ(profile->profile.weakest, 2);
  EXPECT_EQ(profile->DeviceName(2), "Device 3 (LED)");
  EXPECT_EQ(profile->DeviceName(4), "Device 5 (SD - S-1)");
  EXPECT_TRUE(profile->VoltageAdvisory());
  EXPECT_EQ(AdvisoryTexts(*profile),
            QStringList{"Below the lowest operating voltage of a device with the cable broken"});
  // The check fails the loop with its one voltage of 19 V; the profile stores nothing.
  EXPECT_EQ(site_.Cell("Loops", LoopKey(1, 1), "OK").toString(), "Loop Overload [E01]");
  EXPECT_EQ(site_.SiteDb().Select("Loops", LoopKey(1, 1)).front().values, checked.front().values);
}

TEST_F(LoopProfileTest, SectionAdvisoryCountsTheLoopsIsolators) {
  site_.AddLoop(1, 1, {{"AlarmIndicators", 0}});
  AddRows(1, 1, {{40, 1, 0.1, 0.1, 5.0}, {30, 12, 0.1, 0.1, 5.0}, {1, 33, 0.1, 0.1}});
  std::optional<LoopProfile> profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->sections.devices, 70);
  EXPECT_EQ(profile->sections.isolators, 1);
  EXPECT_TRUE(profile->sections.exceeded);
  EXPECT_EQ(AdvisoryTexts(*profile), QStringList{"More than 32 devices per isolator section"});

  AddRows(1, 1, {{1, 115, 0.1, 0.1}});
  profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  EXPECT_FALSE(profile->AnyAdvisory());
  EXPECT_TRUE(AdvisoryTexts(*profile).isEmpty());
}

TEST_F(LoopProfileTest, NoProfileWithoutTheProtocolsLowestVoltageOrTheLoop) {
  site_.AddLoop(2, 1);
  AddRows(2, 1, {{2, 1, 0.3, 6.0}});
  EXPECT_FALSE(LoopProfileOf(site_.R(), 2, 1));
  EXPECT_FALSE(LoopProfileOf(site_.R(), 1, 7));
}

TEST_F(LoopProfileTest, AnEmptyLoopHasAProfileWithoutDevices) {
  site_.AddLoop(1, 1);
  AddRows(1, 1, {{0, 0, 0.0, 0.0, std::nullopt, "", ""}});
  const std::optional<LoopProfile> profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  EXPECT_TRUE(profile->profile.Empty());
  EXPECT_FALSE(profile->AnyAdvisory());
  EXPECT_EQ(profile->DeviceName(0), QString());
}

}  // namespace
}  // namespace velmora::electrical
