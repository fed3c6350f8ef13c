#include "loop/loop_settings.h"

#include <gtest/gtest.h>

#include "loop/loop_form_model.h"
#include "support/circuit_site.h"

namespace velmora::loop {
namespace {

using testing::CircuitSite;
using testing::Values;

const char kTooLong[] =
    "Entered value is too large. Value must be less than the maximum loop length of 2000m";
const char kHalf[] = "Value to Large. Value must be less than half the total cable length.";

// Panel 1 on a protocol with a 2000 m limit; panel 2 on a protocol without a lookup row.
class LoopSettingsTest : public ::testing::Test {
 protected:
  LoopSettingsTest() {
    site_.AddProtocol(0, "Open Loop", 2000, 20.0, 127, 0, 0.0);
    site_.AddSpec({{"Prot0", "STD400"}, {"Prot3", "STD400"}});
    site_.AddDevice(1, "OD-1", 1, 100, "det", 0.0003, 0.006, 17000);
    site_.AddDevice(16, "LED-1", 0, 100, "noc", 0.001, 0.002, 0);
    site_.AddPanel(1, 0, 0);
    site_.AddPanel(2, 3, 0);
  }

  void Loop(int panel, Values cells = {}) { site_.AddLoop(panel, 1, cells); }
  QVariant Stored(const char* column, int panel = 1) {
    return site_.Cell("Loops", site::Filter::Equals("PanelNumber", panel).And("LoopNumber", 1),
                      column);
  }

  CircuitSite site_;
};

TEST_F(LoopSettingsTest, RenderFillsTheControls) {
  Loop(1, {{"CableSpec", 3},
           {"Length", 300},
           {"AlarmIndicators", 12},
           {"OneLocationLength", 40},
           {"SpreadLength", 25}});
  LoopFormModel form;
  RenderLoopForm(site_.Data(), 1, 1, form);
  EXPECT_EQ(form.cable_index, 3);
  EXPECT_EQ(form.length_text, "300");
  EXPECT_EQ(form.alarm_indicators, 12);
  EXPECT_TRUE(form.one_location);
  EXPECT_FALSE(form.spread);
  EXPECT_EQ(form.last_device_one_location, "260");
  EXPECT_EQ(form.last_device_spread, "25");
  EXPECT_EQ(form.device_spacing, "125");  // (300 - 50) / 2 with no devices
  // A loop that is not there leaves the controls without a loop.
  RenderLoopForm(site_.Data(), 1, 9, form);
  EXPECT_EQ(form.loop, 0);
}

TEST_F(LoopSettingsTest, LengthAcceptance) {
  struct Case {
    const char* what;
    int panel;
    Values loop;
    qint64 entered;
    qint64 stored;
    QStringList messages;
    bool refused = false;
  };
  const Case cases[] = {
      {"the maximum itself", 1, {}, 2000, 2000, {}},
      {"above the maximum", 1, {}, 2500, 2000, {kTooLong}},
      {"shorter than twice the first distance", 1, {{"OneLocationLength", 100}}, 150, 200, {}},
      {"spread, shorter than twice the first distance",
       1,
       {{"OneLocation", false}, {"Spread", true}, {"SpreadLength", 100}},
       150,
       200,
       {}},
      {"zero stores nothing", 1, {}, 0, 250, {}},
      {"negative", 1, {}, -5, 250, {"A loop length cannot be negative."}, true},
      {"no lookup row, no limit", 2, {}, 99999, 99999, {}},
  };
  for (const Case& c : cases) {
    site_.SiteDb().DeleteWhere("Loops");
    Loop(c.panel, c.loop);
    const Outcome outcome = SetLength(site_.Data(), c.panel, 1, c.entered);
    EXPECT_EQ(Stored("Length", c.panel).toLongLong(), c.stored) << c.what;
    EXPECT_EQ(outcome.messages, c.messages) << c.what;
    EXPECT_EQ(outcome.refused, c.refused) << c.what;
  }
}

TEST_F(LoopSettingsTest, FirstDistanceWithOneLocation) {
  Loop(1);
  Outcome outcome = SetOneLocationDistance(site_.Data(), 1, 1, 250);  // the whole length: halved
  EXPECT_EQ(outcome.messages, QStringList{kHalf});
  EXPECT_EQ(Stored("OneLocationLength").toInt(), 125);
  EXPECT_EQ(Stored("SpreadLength").toInt(), 125);  // copied into V3

  outcome = SetOneLocationDistance(site_.Data(), 1, 1, 249);  // one metre left: accepted
  EXPECT_EQ(Stored("OneLocationLength").toInt(), 249);
  // The copy into V3 is too large for the spread diagram and is cut there, without copying back.
  EXPECT_EQ(outcome.messages, QStringList{kHalf});
  EXPECT_EQ(Stored("SpreadLength").toInt(), 24);
  EXPECT_TRUE(SetOneLocationDistance(site_.Data(), 1, 1, 0).refused);  // below the field's range
}

TEST_F(LoopSettingsTest, SpreadDistanceIsCutStepByStep) {
  Loop(1, {{"OneLocation", false}, {"Spread", true}});
  const Outcome outcome = SetSpreadDistance(site_.Data(), 1, 1, 1500);
  EXPECT_EQ(outcome.messages, (QStringList{kHalf, kHalf}));
  EXPECT_EQ(Stored("SpreadLength").toInt(), 15);
  EXPECT_EQ(Stored("OneLocationLength").toInt(), 15);
  LoopFormModel form;
  RenderLoopForm(site_.Data(), 1, 1, form);
  EXPECT_EQ(form.last_device_spread, "15");
  EXPECT_EQ(form.device_spacing, "110");  // (250 - 30) / 2
}

TEST_F(LoopSettingsTest, DeviceSpacing) {
  struct Case {
    int length;
    int v3;
    int counted;    // devices that count
    int uncounted;  // devices with a count of 0
    const char* text;
  };
  const Case cases[] = {{250, 0, 4, 0, "83.333"},
                        {6, 0, 3, 0, "  3"},
                        {250, 25, 0, 0, "100"},
                        {250, 25, 2, 50, "100"},
                        {250, 0, 6, 0, " 50"}};
  for (const Case& c : cases) {
    site_.SiteDb().DeleteWhere("Loops");
    site_.SiteDb().DeleteWhere("Devices");
    site_.AddDeviceRow(1, 1, {{"DeviceQuantity", c.counted}, {"DeviceSub-Type", "OD-1"}});
    site_.AddDeviceRow(1, 1, {{"DeviceQuantity", c.uncounted}, {"DeviceSub-Type", "LED-1"}});
    Loop(1,
         {{"OneLocation", false}, {"Spread", true}, {"SpreadLength", c.v3}, {"Length", c.length}});
    LoopFormModel form;
    RenderLoopForm(site_.Data(), 1, 1, form);
    EXPECT_EQ(form.device_spacing, c.text) << c.length << " " << c.v3 << " " << c.counted;
  }
}

TEST_F(LoopSettingsTest, CableDistributionAndAlarmIndicators) {
  Loop(1);
  EXPECT_FALSE(SetCable(site_.Data(), 1, 1, 3).refused);
  EXPECT_EQ(Stored("CableSpec").toInt(), 3);
  EXPECT_EQ(Stored("Resistance").toDouble(), 13.0);
  EXPECT_TRUE(SetCable(site_.Data(), 1, 1, 6).refused);
  EXPECT_EQ(Stored("CableSpec").toInt(), 3);
  EXPECT_FALSE(SetDistribution(site_.Data(), 1, 1, false).refused);
  EXPECT_FALSE(Stored("OneLocation").toBool());
  EXPECT_TRUE(Stored("Spread").toBool());
  EXPECT_FALSE(SetAlarmIndicators(site_.Data(), 1, 1, 128).refused);
  EXPECT_EQ(Stored("AlarmIndicators").toInt(), 128);
  EXPECT_TRUE(SetAlarmIndicators(site_.Data(), 1, 1, -1).refused);
  EXPECT_TRUE(SetAlarmIndicators(site_.Data(), 1, 1, 129).refused);
  EXPECT_EQ(Stored("AlarmIndicators").toInt(), 128);
  EXPECT_TRUE(SetCable(site_.Data(), 1, 2, 1).refused);  // no such loop
}

TEST_F(LoopSettingsTest, MaximumLengthOfThePanelsProtocol) {
  EXPECT_EQ(MaxLoopLength(site_.Data(), 1), 2000);
  EXPECT_FALSE(MaxLoopLength(site_.Data(), 2).has_value());
}

}  // namespace
}  // namespace velmora::loop
