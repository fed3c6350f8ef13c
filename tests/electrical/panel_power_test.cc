#include "electrical/panel_power.h"

#include <gtest/gtest.h>

#include "electrical/recalculation.h"
#include "electrical/site_status.h"
#include "support/circuit_site.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;

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

site::Filter PanelRow(int panel) { return site::Filter::Equals("Panel Number", panel); }

class PanelPowerTest : public ::testing::Test {
 protected:
  PanelPowerTest() {
    // Own currents 100 / 200 mA; supply 0 delivers 500 / 1000 mA; board 0 draws 45 / 12.5 mA
    // (the digits above the last four describe its outputs); the housing takes 12 Ah.
    site_.AddSpec({{"Prot0", "STD400"},
                   {"StandbyCurrent", 100.0},
                   {"AlarmCurrent", 200.0},
                   {"PCur0S", 500.0},
                   {"PCur0A", 1000.0},
                   {"Cur0S", 1 * 10000 + 45.0},
                   {"Cur0A", 3 * 10000 + 12.5},
                   {"BattSize", 12.0}});
  }

  PanelPower Power(int panel) { return CalculatePanelPower(site_.R(), panel); }
  QString Text(int panel, const char* column) {
    return site_.Cell("Panels", PanelRow(panel), column).toString();
  }

  CircuitSite site_;
};

TEST_F(PanelPowerTest, PanelAloneDrawsItsOwnCurrents) {
  site_.AddPanel(1, 0, 0);
  const PanelPower p = Power(1);
  EXPECT_DOUBLE_EQ(p.q_total, 100.0);
  EXPECT_DOUBLE_EQ(p.a_total, 200.0);
  EXPECT_FALSE(p.Overloaded());
}

TEST_F(PanelPowerTest, TotalsOfLoopsOptionsAndOutputs) {
  // A second specification row of the same panel adds its board currents once more.
  site_.AddSpec({{"StandbyCurrent", 9999.0}, {"Cur0S", 2 * 10000 + 45.0}, {"Cur0A", 12.5}});
  site_.AddPanel(1, 0, 0, {{"Opt0", true}});
  site_.AddLoop(1, 1, {{"QuiescentCurrent", 10.0}, {"AlarmCurrent", 30.0}});
  site_.AddLoop(1, 2, {{"QuiescentCurrent", 5.0}, {"AlarmCurrent", 7.0}});
  site_.AddLoop(2, 1, {{"QuiescentCurrent", 1000.0}, {"AlarmCurrent", 1000.0}});
  site_.AddOutput(1, 1, 500, 20.0, 40.0);
  site_.AddOutput(1, 100, 500, 1.0, 2.0);
  const PanelPower p = Power(1);
  EXPECT_DOUBLE_EQ(p.q_panel, 190.0);
  EXPECT_DOUBLE_EQ(p.a_panel, 225.0);
  EXPECT_DOUBLE_EQ(p.q_total, 190.0 + 15.0 + 21.0);
  EXPECT_DOUBLE_EQ(p.a_total, 225.0 + 37.0 + 42.0);
}

TEST_F(PanelPowerTest, SupplyLimitIsExceededOnlyAboveIt) {
  site_.AddPanel(1, 0, 0);
  site_.AddLoop(1, 1, {{"QuiescentCurrent", 400.0}, {"AlarmCurrent", 800.0}});
  PanelPower p = Power(1);  // exactly 500 and 1000 mA
  EXPECT_FALSE(p.quiescent_overload);
  EXPECT_FALSE(p.alarm_overload);
  EXPECT_TRUE(site_.Cell("Panels", PanelRow(1), "OKBooleanPSU").toBool());

  site_.AddLoop(1, 2, {{"QuiescentCurrent", 0.0}, {"AlarmCurrent", 0.5}});
  p = Power(1);
  EXPECT_FALSE(p.quiescent_overload);
  EXPECT_TRUE(p.alarm_overload);
  EXPECT_FALSE(site_.Cell("Panels", PanelRow(1), "OKBooleanPSU").toBool());

  // Without a power supply chosen there is no limit.
  site_.AddPanel(2, 0, -1);
  site_.AddLoop(2, 1, {{"QuiescentCurrent", 50000.0}, {"AlarmCurrent", 50000.0}});
  EXPECT_FALSE(Power(2).Overloaded());
}

TEST_F(PanelPowerTest, SummaryTextsOfEveryPanel) {
  site_.SetSiteHours(24, 0.5);
  site_.AddPanel(1, 0, 0);
  site_.AddLoop(1, 1, {{"QuiescentCurrent", 200.0}, {"AlarmCurrent", 1000.0}});
  site_.AddPanel(2, 0, -1);
  site_.AddLoop(2, 1, {{"QuiescentCurrent", 12245.6}, {"AlarmCurrent", 1134.4}});
  site_.AddPanel(3, 0, 0, {{"OKBooleanLoops", false}});
  site_.AddLoop(3, 1, {{"QuiescentCurrent", 900.0}});

  RefreshPanelSummaries(site_.R());

  EXPECT_EQ(Text(1, "Quiescent Current Panel"), "100");
  EXPECT_EQ(Text(1, "Alarm Current Total"), "1200");
  EXPECT_EQ(Text(1, "Battery Capacity"), "10.3");
  EXPECT_EQ(Text(1, "Loop Loads"), "Power Supply Overload");
  EXPECT_EQ(Text(2, "Quiescent Current Total"), "12346");  // written in full
  EXPECT_EQ(Text(2, "Alarm Current Total"), "1334");
  EXPECT_EQ(Text(2, "Battery"), "System specification exceeded.");
  EXPECT_EQ(Text(2, "Loop Loads"), "OK");
  EXPECT_EQ(Text(3, "Loop Loads"), "Loop Overload , Power Supply Overload");
  // The shipped range: the 12 Ah battery fits the housing's 12 Ah.
  const velmora::Run& run = site_.R();
  const int twelve = int(run.catalogue.BatteryCapacities().indexOf("12"));
  ASSERT_GE(twelve, 0);
  EXPECT_EQ(Text(1, "Battery"), "12 => " + run.catalogue.BatteryModels()[twelve]);
  EXPECT_EQ(ShowPanelBattery(site_.R(), 1),
            "10.3 => 12 => " + run.catalogue.BatteryModels()[twelve]);
}

TEST_F(PanelPowerTest, OlderPanelsWithoutFlagsReadDash) {
  site_.SiteDb().ExecuteDdl("ALTER TABLE Panels DROP COLUMN OKBooleanPSU");
  site_.SiteDb().ExecuteDdl("ALTER TABLE Panels DROP COLUMN OKBooleanLoops");
  site_.AddPanel(1, 0, 0);
  site_.AddPanel(2, 0, 0);
  RefreshPanelSummaries(site_.R());
  UpdatePanelLoadStatus(site_.R(), 2);
  EXPECT_EQ(Text(1, "Loop Loads"), "-");
  EXPECT_EQ(Text(2, "Loop Loads"), "-");
  EXPECT_EQ(Text(1, "Quiescent Current Total"), "100");
}

class CurrentLinesTest : public PanelPowerTest {
 protected:
  CurrentLinesTest() {
    site_.AddPanel(1, 0, 0);
    site_.AddLoop(1, 1, {{"QuiescentCurrent", 10.0}, {"AlarmCurrent", 30.0}, {"OK", "Loop OK"}});
    site_.AddLoop(
        1, 2, {{"QuiescentCurrent", 5.0}, {"AlarmCurrent", 7.0}, {"OK", "Loop Overload [E03]"}});
    site_.AddOutput(1, 102, 500, 1.0, 2.0);
    site_.AddOutput(1, 2, 500, 3.0, 4.0);
    site_.AddOutput(1, 100, 500, 50.0, 50.0);
    site_.AddOutput(1, 1, 500, 5.0, 6.0);
    site_.AddOutput(1, 101, 500, 7.0, 8.0);
  }

  // Description, quiescent, alarm and comment of every line, in stored order.
  QStringList Lines() {
    QStringList lines;
    site::Database& db = site_.SiteDb();
    for (const site::Row& row : db.Select("Currents")) {
      auto at = [&](const char* c) { return row.values[db.ColumnIndex("Currents", c)]; };
      lines << QString("%1|%2|%3|%4|%5")
                   .arg(at("CurrentType").toInt())
                   .arg(at("Description").toString())
                   .arg(at("QuiescentCurrent").toDouble())
                   .arg(at("AlarmCurrent").toDouble())
                   .arg(at("Comment").toString());
    }
    return lines;
  }
};

TEST_F(CurrentLinesTest, PanelShownListsEverythingOnce) {
  testing::InsertRow(site_.SiteDb(), "Currents", {{"Panel", 7}, {"Description", "stale"}});
  const PanelShown shown = RecalculateShownPanel(site_.R(), 1);
  EXPECT_EQ(Lines(), (QStringList{"1|Panel|100|200|N/A", "2|Loop 1|10|30|Loop OK",
                                  "2|Loop 2|5|7|Loop Overload [E03]", "3|Output 1|5|6|N/A",
                                  "3|Output 2|3|4|N/A", "3|Output 101|7|8|N/A",
                                  "3|Output 102|1|2|N/A", "10|Total|131|257|N/A"}));
  // Output 100 is not listed but counts in the panel's totals.
  EXPECT_DOUBLE_EQ(shown.power.q_total, 100 + 15 + 66);
}

TEST_F(CurrentLinesTest, TotalSumsOnlyTheLinesShownWithIt) {
  RecalculateShownLoop(site_.R(), 1);
  EXPECT_EQ(Lines(), (QStringList{"2|Loop 1|10|30|Loop OK", "2|Loop 2|5|7|Loop Overload [E03]",
                                  "10|Total|15|37|N/A"}));
  site_.AddOutput(1, 3, 9000, 900.0, 900.0);  // beyond the supply's 500 mA
  RecalculateShownOutputs(site_.R(), 1);
  EXPECT_EQ(Lines(),
            (QStringList{"3|Output 1|5|6|N/A", "3|Output 2|3|4|N/A", "3|Output 3|900|900|N/A",
                         "3|Output 101|7|8|N/A", "3|Output 102|1|2|N/A",
                         "10|Total|916|920|Power Supply Overload"}));
}

}  // namespace
}  // namespace velmora::electrical
