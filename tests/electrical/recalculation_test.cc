#include "electrical/recalculation.h"

#include <gtest/gtest.h>

#include "support/circuit_site.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;

site::Filter PanelRow(int panel) { return site::Filter::Equals("Panel Number", panel); }
site::Filter LoopRow(int panel, int loop) {
  return site::Filter::Equals("PanelNumber", panel).And("LoopNumber", loop);
}

// A protocol delivering 20 V and 400 mA on loops of type-1 panels with own currents 100 / 200
// mA, supply 0 of 500 / 1000 mA, board 0 of 45 / 12.5 mA and a 12 Ah housing. The device table
// holds a sounder (type 12, counted without a budget) of 1 mA quiescent and 10 mA in alarm.
class RecalculationTest : public ::testing::Test {
 protected:
  RecalculationTest() {
    site_.AddProtocol(0, "Open Loop", 2000, 20.0, 127, 0, 0.0);
    site_.AddDeviceType(12, "Sounder");
    site_.AddDevice(12, "SND", 1, 127, "mod", 0.001, 0.010, 17000);
    site_.AddSpec({{"Prot0", "STD400"},
                   {"Psu0", "STD"},
                   {"StandbyCurrent", 100.0},
                   {"AlarmCurrent", 200.0},
                   {"PCur0S", 500.0},
                   {"PCur0A", 1000.0},
                   {"Cur0S", 1 * 10000 + 45.0},
                   {"Cur0A", 3 * 10000 + 12.5},
                   {"BattSize", 12.0}});
  }

  void Sounders(int panel, int loop, int quantity) {
    site_.AddDeviceRow(panel, loop,
                       {{"DeviceQuantity", quantity},
                        {"DeviceTypeCode", 12},
                        {"DeviceTypeText", "Sounder"},
                        {"DeviceSub-Type", "SND"}});
  }
  QString PanelText(int panel, const char* column) {
    return site_.Cell("Panels", PanelRow(panel), column).toString();
  }
  QVariant LoopCell(int panel, int loop, const char* column) {
    return site_.Cell("Loops", LoopRow(panel, loop), column);
  }

  CircuitSite site_;
};

TEST_F(RecalculationTest, RowsLoopsAndPanelsFromTheRows) {
  site_.SetSiteHours(24, 0.5);
  site_.AddPanel(1, 0, 0, {{"Opt0", true}});
  site_.AddLoop(1, 1);
  Sounders(1, 1, 10);
  site_.AddOutput(1, 1, 500, 20.0, 40.5);
  site_.AddOutput(1, 100, 500, 1.0, 2.0);  // no line of its own, but it counts
  const Recalculation r = site_.Recalculate();

  const auto row = site::Filter::Equals("Panel", 1);
  EXPECT_DOUBLE_EQ(site_.Cell("Devices", row, "UnitQuiesentCurrent").toDouble(), 1.0);
  EXPECT_DOUBLE_EQ(site_.Cell("Devices", row, "AlarmCurrent").toDouble(), 100.0);
  EXPECT_DOUBLE_EQ(site_.Cell("Devices", row, "LowestV").toDouble(), 17.0);
  EXPECT_EQ(site_.Cell("Devices", row, "CountGroup").toString(), "mod");
  EXPECT_DOUBLE_EQ(LoopCell(1, 1, "QuiescentCurrent").toDouble(), 10.0);
  EXPECT_DOUBLE_EQ(LoopCell(1, 1, "AlarmCurrent").toDouble(), 100.0);
  EXPECT_EQ(LoopCell(1, 1, "OK").toString(), "Loop OK");
  EXPECT_EQ(PanelText(1, "Quiescent Current Panel"), "145");
  EXPECT_EQ(PanelText(1, "Alarm Current Total"), "355");  // 200 + 12.5 + 100 + 40.5 + 2
  EXPECT_EQ(PanelText(1, "Loop Loads"), "OK");
  // 1.25 x (24 x 0.176 + 1.75 x 0.5 x 0.355) = 5.668: the alarm current is above a twentieth.
  EXPECT_EQ(PanelText(1, "Battery Capacity"), "5.7");
  const int smallest = 0;
  EXPECT_EQ(PanelText(1, "Battery"), site_.Data().catalogue.BatteryCapacities()[smallest] + " => " +
                                         site_.Data().catalogue.BatteryModels()[smallest]);
  ASSERT_NE(r.Panel(1), nullptr);
  EXPECT_TRUE(r.Panel(1)->SupplyOk());
}

TEST_F(RecalculationTest, AWholeRecalculationOfCurrentResultsWritesNothing) {
  site_.AddPanel(1, 0, 0);
  site_.AddLoop(1, 1);
  Sounders(1, 1, 3);
  EXPECT_GT(site_.Recalculate().written_cells, 0);
  EXPECT_EQ(site_.Recalculate().written_cells, 0);
  // A result that no longer matches its rows is found and written.
  site_.SiteDb().Update("Loops", site_.SiteDb().Select("Loops").front().rowid,
                        {{site_.SiteDb().ColumnIndex("Loops", "OK"), "Loop Overload [E04]"}});
  EXPECT_EQ(site_.Recalculate().written_cells, 1);
}

TEST_F(RecalculationTest, SummedDeviceCurrentsReachTheLimitExactly) {
  // Rows of sounders whose alarm currents add up to exactly 500 mA in decimals, and to a hair
  // less in binary, against a protocol cell of 500 mA.
  testing::ClearTable(site_.DataDb(), catalogue::kPanelSpecTable);
  site_.AddSpec({{"Prot0", "STD500"}, {"Psu0", "STD"}, {"PCur0S", 5000.0}, {"PCur0A", 5000.0}});
  const std::pair<int, double> rows[] = {
      {10, 0.0005}, {15, 0.0005}, {15, 0.018}, {10, 0.001}, {2, 0.10375}};
  int n = 0;
  for (const auto& [quantity, amps] : rows) {
    const QString code = QString("S%1").arg(++n);
    site_.AddDevice(12, code, 0, 127, "noc", 0.0, amps, 0);
    site_.AddDeviceRow(1, 1,
                       {{"DeviceQuantity", quantity},
                        {"DeviceTypeCode", 12},
                        {"DeviceTypeText", "Sounder"},
                        {"DeviceSub-Type", code}});
  }
  site_.AddPanel(1, 0, 0);
  site_.AddLoop(1, 1, {{"Length", 100}});
  const Recalculation r = site_.Recalculate();
  const double alarm = LoopCell(1, 1, "AlarmCurrent").toDouble();
  ASSERT_NE(alarm, 500.0) << "the sum must carry binary noise for this test to mean anything";
  ASSERT_NEAR(alarm, 500.0, 1e-9);
  EXPECT_EQ(LoopCell(1, 1, "OK").toString(), "Loop Overload [E04]");
  EXPECT_FALSE(r.Loop(1, 1)->passes);
}

TEST_F(RecalculationTest, APanelTheCatalogueDoesNotKnowNeverPasses) {
  site_.AddPanel(1, 0, 0, {{"Panel Type", 4}, {"Housing Type", 4}});
  site_.AddLoop(1, 1, {{"Length", 40}});
  Sounders(1, 1, 90);  // 900 mA in alarm: far above the current limit of any panel
  const Recalculation r = site_.Recalculate();
  EXPECT_EQ(PanelText(1, "Loop Loads"), "No catalogue data");
  EXPECT_EQ(PanelText(1, "Battery"), "No catalogue data");
  EXPECT_EQ(PanelText(1, "Quiescent Current Panel"), "-");
  EXPECT_EQ(PanelText(1, "Battery Capacity"), "-");
  EXPECT_FALSE(site_.Cell("Panels", PanelRow(1), "OKBooleanPSU").toBool());
  EXPECT_FALSE(site_.Cell("Panels", PanelRow(1), "OKBooleanLoops").toBool());
  EXPECT_EQ(LoopCell(1, 1, "OK").toString(), "No catalogue data");
  EXPECT_FALSE(LoopCell(1, 1, "OKBoolean").toBool());
  EXPECT_FALSE(r.Panel(1)->SupplyOk());
}

TEST_F(RecalculationTest, APanelWithoutAPowerSupplyIsNotOk) {
  site_.AddPanel(1, 0, -1);
  site_.AddLoop(1, 1);
  site_.Recalculate();
  EXPECT_EQ(PanelText(1, "Loop Loads"), "No power supply chosen");
  EXPECT_FALSE(site_.Cell("Panels", PanelRow(1), "OKBooleanPSU").toBool());
}

TEST_F(RecalculationTest, OlderPanelsWithoutFlagsReadDash) {
  site_.SiteDb().ExecuteDdl("ALTER TABLE Panels DROP COLUMN OKBooleanPSU");
  site_.SiteDb().ExecuteDdl("ALTER TABLE Panels DROP COLUMN OKBooleanLoops");
  site_.SiteDb().ExecuteDdl("ALTER TABLE Loops DROP COLUMN OKBoolean");
  site_.Data().doc.ResolveColumns();
  site_.AddPanel(1, 0, 0);
  site_.AddLoop(1, 1, {{"Length", 800}});
  site_.Recalculate();
  EXPECT_EQ(PanelText(1, "Loop Loads"), "-");
  EXPECT_EQ(PanelText(1, "Quiescent Current Total"), "100");
  EXPECT_EQ(LoopCell(1, 1, "OK").toString(), "Loop Overload [E03]");
}

class CurrentLinesTest : public RecalculationTest {
 protected:
  CurrentLinesTest() {
    site_.AddPanel(1, 0, 0);
    site_.AddLoop(1, 1);
    Sounders(1, 1, 1);
    site_.AddLoop(1, 2, {{"Length", 800}});
    site_.AddOutput(1, 102, 500, 1.0, 2.0);
    site_.AddOutput(1, 2, 500, 3.0, 4.0);
    site_.AddOutput(1, 100, 500, 50.0, 50.0);
    site_.AddOutput(1, 1, 500, 5.0, 6.0);
    site_.AddOutput(1, 101, 500, 7.0, 8.0);
    site_.Recalculate();
  }

  // Type, description, quiescent, alarm and comment of every line, in stored order.
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
  WriteCurrentLines(site_.Data(), 1, LineSet::kPanel, false);
  EXPECT_EQ(Lines(), (QStringList{"1|Panel|100|200|N/A", "2|Loop 1|1|10|Loop OK",
                                  "2|Loop 2|0|0|Loop Overload [E03]", "3|Output 1|5|6|N/A",
                                  "3|Output 2|3|4|N/A", "3|Output 101|7|8|N/A",
                                  "3|Output 102|1|2|N/A", "10|Total|117|230|N/A"}));
}

TEST_F(CurrentLinesTest, TotalSumsOnlyTheLinesShownWithIt) {
  WriteCurrentLines(site_.Data(), 1, LineSet::kLoops, true);
  // Loop 1's devices stand 230 m away on 0.5 mm²: 16.56 ohm, 0.166 V at 10 mA.
  EXPECT_EQ(Lines(),
            (QStringList{"2|Loop 1|1|10|Loop OK (0.166V)",
                         "2|Loop 2|0|0|Loop Overload [E03] (0.000V)", "10|Total|1|10|N/A"}));
  site_.AddOutput(1, 3, 9000, 900.0, 900.0);  // beyond the supply's 500 mA
  site_.Recalculate();
  WriteCurrentLines(site_.Data(), 1, LineSet::kOutputs, false);
  EXPECT_EQ(Lines(),
            (QStringList{"3|Output 1|5|6|N/A", "3|Output 2|3|4|N/A", "3|Output 3|900|900|N/A",
                         "3|Output 101|7|8|N/A", "3|Output 102|1|2|N/A",
                         "10|Total|916|920|Power Supply Overload"}));
  WriteCurrentLines(site_.Data(), 1, LineSet::kNone, false);
  EXPECT_TRUE(Lines().isEmpty());
}

}  // namespace
}  // namespace velmora::electrical
