#include "electrical/loop_profile.h"

#include <gtest/gtest.h>

#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "support/circuit_site.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;

struct Row {
  int quantity;
  int code;
  const char* sub_type;  // the device of the catalogue
  const char* type = "OD";
};

// Panel 1 runs a protocol that delivers 20 V; panel 2 one without a lookup row. The device table
// holds detectors and call points of the indicator class, isolators, a type-34 device, sounders
// without a budget and a module (currents in A, minimums in mV as the catalogue holds them).
class LoopProfileTest : public ::testing::Test {
 protected:
  LoopProfileTest() {
    site_.AddProtocol(0, "Open Loop", 3000, 20.0, 127, 127, 0.0);
    site_.AddSpec({{"Prot0", "STD999"}});
    site_.AddPanel(1, 0, 0);
    site_.AddPanel(2, 1, 0);
    site_.AddDevice(1, "OD", 1, 127, "det", 0.0003, 0.006, 17000);
    site_.AddDevice(2, "HD", 1, 127, "det", 0.0004, 0.009, 17000);
    site_.AddDevice(10, "MCP", 1, 127, "det", 0.00025, 0.0025, 16000);
    site_.AddDevice(33, "ISO", 0, 127, "iso", 0.0001, 0.005, 17000);
    site_.AddDevice(115, "ISO-B", 0, 127, "iso", 0.0001, 0.005, 17000);
    site_.AddDevice(34, "D34", 1, 127, "det", 0.0005, 0.004, 17000);
    site_.AddDevice(12, "SND", 1, 127, "mod", 0.001, 0.0045, 16000);
    site_.AddDevice(12, "S-1", 1, 127, "mod", 0.0, 0.020, 19200);
    site_.AddDevice(12, "LED", 1, 127, "mod", 0.0, 0.020, 19500);
    site_.AddDevice(113, "M113", 1, 127, "mod", 0.0002, 0.0075, 17000);
  }

  void AddRows(int panel, int loop, const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      site_.AddDeviceRow(panel, loop,
                         {{"DeviceQuantity", r.quantity},
                          {"DeviceTypeCode", r.code},
                          {"DeviceTypeText", r.type},
                          {"DeviceSub-Type", r.sub_type}});
    }
  }

  // The profile after the site's results were brought up to date, as after any change.
  std::optional<LoopProfile> Checked(int panel, int loop) {
    site_.Recalculate();
    return LoopProfileOf(site_.Data(), panel, loop);
  }

  QVariant LoopCell(int panel, int loop, const char* column) {
    return site_.Cell("Loops", LoopKey(panel, loop), column);
  }

  CircuitSite site_;
};

TEST_F(LoopProfileTest, DevicesDrawTheLoopsAlarmTotal) {
  const std::vector<std::vector<Row>> loops = {
      {{5, 1, "OD"}, {4, 10, "MCP"}, {3, 33, "ISO"}},
      {{2, 1, "OD"}, {1, 34, "D34"}, {1, 115, "ISO-B"}, {3, 12, "SND"}},
      // A row of no devices still spends its class's budget.
      {{0, 2, "HD"}, {2, 1, "OD"}, {2, 10, "MCP"}},
      {{1, 2, "HD"}, {3, 1, "OD"}, {2, 113, "M113"}, {1, 0, " ", ""}},
  };
  for (std::size_t i = 0; i < loops.size(); ++i) {
    const int loop = int(i) + 1;
    site_.AddLoop(1, loop, {{"AlarmIndicators", 2}});
    AddRows(1, loop, loops[i]);
    const std::optional<LoopProfile> profile = Checked(1, loop);
    ASSERT_TRUE(profile) << "loop " << loop;
    double total = 0;
    for (const ProfileDevice& d : profile->input.devices) total += d.alarm_current;
    EXPECT_NEAR(total, LoopCell(1, loop, "AlarmCurrent").toDouble(), 1e-9) << "loop " << loop;
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
    AddRows(1, loop, {{6, 1, "OD"}, {2, 12, "SND"}});
    const std::optional<LoopProfile> profile = Checked(1, loop);
    ASSERT_TRUE(profile);
    EXPECT_NEAR(profile->lumped_u, 20.0 - LoopCell(1, loop, "Drop").toDouble(), 1e-12);
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
  // Sounders draw their alarm current whatever the budget.
  AddRows(1, 1, {{2, 12, "S-1", "SD"}, {1, 12, "LED", "LED"}, {2, 12, "S-1", "SD"}});
  site_.Recalculate();
  const std::vector<site::Row> checked = site_.SiteDb().Select("Loops", LoopKey(1, 1));
  const std::optional<LoopProfile> profile = LoopProfileOf(site_.Data(), 1, 1);
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
  EXPECT_EQ(profile->DeviceName(2), "Device 3 (LED - LED)");
  EXPECT_EQ(profile->DeviceName(4), "Device 5 (SD - S-1)");
  EXPECT_TRUE(profile->VoltageAdvisory());
  EXPECT_EQ(AdvisoryTexts(*profile),
            QStringList{"Below the lowest operating voltage of a device with the cable broken"});
  // The check fails the loop with its one voltage of 19 V; the profile stores nothing.
  EXPECT_EQ(LoopCell(1, 1, "OK").toString(), "Loop Overload [E01]");
  EXPECT_EQ(site_.SiteDb().Select("Loops", LoopKey(1, 1)).front().values, checked.front().values);
}

// The profile is worked out from the rows as they stand, through the same recalculation as the
// check, never from results stored by an earlier one.
TEST_F(LoopProfileTest, FollowsTheRowsNotTheStoredResults) {
  site_.AddLoop(1, 1, {{"Length", 1000}, {"Resistance", 10.0}, {"OneLocationLength", 300}});
  AddRows(1, 1, {{5, 12, "S-1", "SD"}});
  site_.Recalculate();
  // Five more sounders and stale stored currents, not yet recalculated.
  site_.SiteDb().Execute(R"(UPDATE "Devices" SET "DeviceQuantity" = 10, "AlarmCurrent" = 1,
                            "UnitAlarmCurrent" = 0.1, "LowestV" = 5 WHERE "Panel" = 1)");
  site_.SiteDb().Execute(R"(UPDATE "Loops" SET "Drop" = 0 WHERE "PanelNumber" = 1)");
  const std::optional<LoopProfile> profile = LoopProfileOf(site_.Data(), 1, 1);
  ASSERT_TRUE(profile);
  ASSERT_EQ(profile->input.devices.size(), 10u);
  EXPECT_DOUBLE_EQ(profile->input.devices.back().alarm_current, 20.0);
  EXPECT_DOUBLE_EQ(*profile->input.devices.back().lowest_v, 19.2);
  // 200 mA at 300 m: the check's drop over the longer 700 m is 2 x 700 x 10 / 1000 x 0.2 A.
  EXPECT_NEAR(profile->lumped_u, 20.0 - 2.8, 1e-9);
  EXPECT_NEAR(*profile->profile.LowestBroken(), 17.2, 1e-9);
  // Nothing was written.
  EXPECT_EQ(LoopCell(1, 1, "Drop").toDouble(), 0.0);

  // From the recalculation's own result the same.
  const Recalculation r = RecalculatePanels(site_.Data(), {1}, false);
  ASSERT_NE(r.Loop(1, 1), nullptr);
  const std::optional<LoopProfile> again = ProfileOf(*r.Loop(1, 1));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->profile.broken, profile->profile.broken);
  EXPECT_EQ(again->lumped_u, *r.Loop(1, 1)->check.left);
}

TEST_F(LoopProfileTest, SectionAdvisoryCountsTheLoopsIsolators) {
  site_.AddLoop(1, 1, {{"AlarmIndicators", 0}});
  AddRows(1, 1, {{40, 1, "OD"}, {30, 12, "SND"}, {1, 33, "ISO"}});
  std::optional<LoopProfile> profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->sections.devices, 70);
  EXPECT_EQ(profile->sections.isolators, 1);
  EXPECT_TRUE(profile->sections.exceeded);
  EXPECT_EQ(AdvisoryTexts(*profile), QStringList{"More than 32 devices per isolator section"});

  AddRows(1, 1, {{1, 115, "ISO-B"}});
  profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->sections.per_section, 70.0 / 3);
  EXPECT_FALSE(profile->sections.exceeded);
}

TEST_F(LoopProfileTest, NoProfileWithoutTheProtocolsLowestVoltageOrTheLoop) {
  site_.AddLoop(2, 1);
  AddRows(2, 1, {{2, 1, "OD"}});
  EXPECT_FALSE(LoopProfileOf(site_.Data(), 2, 1));
  EXPECT_FALSE(LoopProfileOf(site_.Data(), 1, 7));
}

// The recalculation gives a device the catalogue does not hold a LowestV of 0, which no voltage
// fails: such a device has no minimum, and a loop of them none to come close to.
TEST_F(LoopProfileTest, ADeviceTheCatalogueDoesNotHoldHasNoMinimum) {
  site_.AddLoop(1, 1);
  AddRows(1, 1, {{3, 1, "NO-SUCH"}});
  std::optional<LoopProfile> profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  ASSERT_EQ(profile->input.devices.size(), 3u);
  EXPECT_EQ(LoopCell(1, 1, "AlarmCurrent").toDouble(), 0.0);
  EXPECT_FALSE(profile->input.devices.front().lowest_v);
  EXPECT_FALSE(profile->profile.weakest_margin);

  AddRows(1, 1, {{1, 1, "OD"}});
  profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->profile.weakest, 3);
  ASSERT_TRUE(profile->profile.weakest_margin);
  EXPECT_NEAR(*profile->profile.weakest_margin,
              std::min(profile->profile.healthy[3], profile->profile.broken[3]) - 17.0, 1e-12);
}

TEST_F(LoopProfileTest, AnEmptyLoopHasAProfileWithoutDevices) {
  site_.AddLoop(1, 1);
  AddRows(1, 1, {{0, 0, " ", ""}});
  const std::optional<LoopProfile> profile = Checked(1, 1);
  ASSERT_TRUE(profile);
  EXPECT_TRUE(profile->profile.Empty());
  EXPECT_FALSE(profile->AnyAdvisory());
  EXPECT_EQ(profile->DeviceName(0), QString());
}

}  // namespace
}  // namespace velmora::electrical
