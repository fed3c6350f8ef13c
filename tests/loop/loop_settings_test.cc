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
    site_.ShowTree({2, 1}, 1, 1);
  }

  void Load(int panel, Values cells = {}) {
    site_.AddLoop(panel, 1, cells);
    settings_.LoadLoopIntoView(panel, 1);
    site_.Prompter().Clear();
    site_.State().SetSiteSaved(true);
  }
  QVariant Stored(const char* column, int panel = 1) {
    return site_.Cell("Loops", site::Filter::Equals("PanelNumber", panel).And("LoopNumber", 1),
                      column);
  }
  QStringList Warnings() { return site_.Prompter().Warnings(); }

  CircuitSite site_;
  LoopFormModel form_;
  LoopSettings settings_{site_.R(), form_};
};

TEST_F(LoopSettingsTest, LoadFillsTheControls) {
  Load(1, {{"CableSpec", 3},
           {"Length", 300},
           {"AlarmIndicators", 12},
           {"OneLocationLength", 40},
           {"SpreadLength", 25}});
  EXPECT_EQ(form_.cable_index, 3);
  EXPECT_EQ(form_.length_text, "300");
  EXPECT_EQ(form_.alarm_indicators, 12);
  EXPECT_TRUE(form_.one_location);
  EXPECT_FALSE(form_.spread);
  EXPECT_EQ(form_.last_device_one_location, "260");
  EXPECT_EQ(form_.last_device_spread, "25");
  EXPECT_EQ(form_.device_spacing, "125");  // (300 - 50) / 2 with no devices
  EXPECT_FALSE(site_.State().Loading());
}

TEST_F(LoopSettingsTest, LengthAcceptance) {
  struct Case {
    const char* what;
    int panel;
    Values loop;
    const char* entered;
    const char* shown;
    qint64 stored;
    QStringList warnings;
    bool modified;
  };
  const Case cases[] = {
      {"the maximum itself", 1, {}, "2000", "2000", 2000, {}, true},
      {"above the maximum", 1, {}, "2500", "2000", 2000, {kTooLong}, true},
      {"shorter than twice the first distance",
       1,
       {{"OneLocationLength", 100}},
       "150",
       "200",
       200,
       {},
       true},
      {"spread, shorter than twice the first distance",
       1,
       {{"OneLocation", false}, {"Spread", true}, {"SpreadLength", 100}},
       "150",
       "200",
       200,
       {},
       true},
      {"not a whole number",
       1,
       {},
       "12a",
       "12a",
       250,
       {"'12a' is not a valid integer value"},
       false},
      {"empty", 1, {}, "", "", 250, {}, true},
      {"zero", 1, {}, "0", "0", 250, {}, true},
      {"no lookup row, no limit",
       2,
       {},
       "99999",
       "99999",
       99999,
       {"Loop 1 : Loop Overload [E03]"},
       true},
  };
  for (const Case& c : cases) {
    site_.SiteDb().DeleteWhere("Loops");
    Load(c.panel, c.loop);
    form_.cable_index = 5;  // 8 ohm/km: 2000 m stay within the loop resistance
    form_.length_text = c.entered;
    settings_.OnLengthAccepted();
    EXPECT_EQ(form_.length_text, c.shown) << c.what;
    EXPECT_EQ(Stored("Length", c.panel).toLongLong(), c.stored) << c.what;
    EXPECT_EQ(Warnings(), c.warnings) << c.what;
    EXPECT_EQ(!site_.State().SiteSaved(), c.modified) << c.what;
  }
  EXPECT_EQ(form_.last_device_one_location, "99979");
}

TEST_F(LoopSettingsTest, FirstDistanceWithOneLocation) {
  Load(1);
  settings_.OnV1Changed(250);  // the whole length: halved
  EXPECT_EQ(Warnings(), QStringList{kHalf});
  EXPECT_EQ(form_.v1, 125);
  EXPECT_EQ(form_.last_device_one_location, "125");
  EXPECT_EQ(Stored("OneLocationLength").toInt(), 125);
  EXPECT_EQ(Stored("SpreadLength").toInt(), 125);  // copied into V3

  site_.Prompter().Clear();
  settings_.OnV1Changed(249);  // one metre left: accepted
  EXPECT_EQ(form_.v1, 249);
  EXPECT_EQ(form_.last_device_one_location, "1");
  EXPECT_EQ(Stored("OneLocationLength").toInt(), 249);
  // The copy into V3 is too large for the spread diagram and is cut there, without copying back.
  EXPECT_EQ(Warnings(), QStringList{kHalf});
  EXPECT_EQ(form_.v3, 24);
  EXPECT_EQ(form_.v1, 249);
}

TEST_F(LoopSettingsTest, SpreadDistanceIsCutStepByStep) {
  Load(1, {{"OneLocation", false}, {"Spread", true}});
  settings_.OnV3Changed(2000);
  EXPECT_EQ(Warnings(), (QStringList{kHalf, kHalf}));
  EXPECT_EQ(form_.v3, 20);
  EXPECT_EQ(form_.last_device_spread, "20");
  EXPECT_EQ(form_.v1, 20);
  EXPECT_EQ(Stored("SpreadLength").toInt(), 20);
  EXPECT_EQ(form_.device_spacing, "105");  // (250 - 40) / 2
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
    Load(1, {{"OneLocation", false}, {"Spread", true}, {"SpreadLength", c.v3}});
    settings_.ShowDeviceSpacing(1, 1, c.length);
    EXPECT_EQ(form_.device_spacing, c.text) << c.length << " " << c.v3 << " " << c.counted;
  }
}

TEST_F(LoopSettingsTest, CableBoxesAndLoading) {
  Load(1);
  settings_.OnCableChosen(3);
  EXPECT_EQ(Stored("CableSpec").toInt(), 3);
  EXPECT_EQ(Stored("Resistance").toDouble(), 13.0);
  settings_.OnSpreadClicked(true);
  EXPECT_FALSE(form_.one_location);
  EXPECT_FALSE(Stored("OneLocation").toBool());
  EXPECT_TRUE(Stored("Spread").toBool());
  EXPECT_FALSE(site_.State().SiteSaved());

  site_.State().SetLoading(true);
  settings_.OnCableChosen(5);
  site_.State().SetLoading(false);
  EXPECT_EQ(Stored("CableSpec").toInt(), 3);

  // The check ran after each stored change and left its lines.
  EXPECT_EQ(Stored("OK").toString(), "Loop OK");
  EXPECT_EQ(site_.SiteDb().Count("Currents"), 2);  // the loop line of panel 1 and the total
}

TEST_F(LoopSettingsTest, AlarmIndicatorsRecalculateTheLoopTotals) {
  site_.AddDeviceRow(1, 1,
                     {{"DeviceQuantity", 3},
                      {"DeviceTypeCode", 1},
                      {"UnitQuiesentCurrent", 0.3},
                      {"UnitAlarmCurrent", 6.0}});
  Load(1, {{"AlarmIndicators", 1}});
  settings_.OnAlarmIndicatorsChanged(" ");
  EXPECT_EQ(Stored("AlarmCurrent").toDouble(), 0.0);
  settings_.OnAlarmIndicatorsChanged("2");
  EXPECT_EQ(Stored("AlarmIndicators").toInt(), 2);
  EXPECT_NEAR(Stored("AlarmCurrent").toDouble(), 12.3, 1e-9);
  EXPECT_NEAR(Stored("QuiescentCurrent").toDouble(), 0.9, 1e-9);
}

TEST_F(LoopSettingsTest, UnreadableLengthStoresNothing) {
  Load(1);
  form_.length_text = "long";
  form_.cable_index = 4;
  EXPECT_FALSE(settings_.StoreLoopFromView().has_value());
  EXPECT_EQ(Warnings(), QStringList{"'long' is not a valid integer value"});
  EXPECT_EQ(Stored("CableSpec").toInt(), 0);
}

TEST_F(LoopSettingsTest, ProtocolKeyOfTheSelectedPanel) {
  EXPECT_EQ(settings_.CurrentProtocolKey(), "Prot0");
  site_.ShowTree({2, 1}, 2, 1);
  EXPECT_EQ(settings_.CurrentProtocolKey(), "Prot3");
}

}  // namespace
}  // namespace velmora::loop
