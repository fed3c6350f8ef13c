#include "reports/report_tables.h"

#include <gtest/gtest.h>

#include "electrical/recalculation.h"
#include "i18n/translation.h"
#include "report_fixture.h"
#include "site/filter.h"
#include "site/table.h"

namespace velmora::reports {
namespace {

using testing::InsertRow;

class ReportTablesTest : public ReportFixture {
 protected:
  void SetUp() override {
    ReportFixture::SetUp();
    InsertRow(Doc(), "Site",
              {{"SiteName", "Harbour Hall"},
               {"SiteDate", "2025-01-02"},
               {"City", "Lakeside"},
               {"StandbyTime", 24},
               {"AlarmTime", 0.5},
               {"SalesChannel", "Tarvik"}});
  }

  // Two VX-4 panels: the first on Digital 2000 with the 5 A supply, two boards and an
  // overloaded supply; the second without protocol, supply or boards.
  void AddTwoPanels() {
    InsertRow(Doc(), "Panels",
              {{"Panel Number", 1},
               {"Panel Name", "North"},
               {"Panel Type", 3},
               {"Housing Type", 2},
               {"Prot0", true},
               {"Psu1", true},
               {"Opt1", true},
               {"Opt5", true},
               {"Quiescent Current Panel", "137"},
               {"Alarm Current Panel", "140"},
               {"Quiescent Current Total", "400"},
               {"Alarm Current Total", "900"},
               {"Battery Capacity", "12.3"},
               {"Battery", "18 => VB-1218"},
               {"OKBooleanPSU", false}});
    InsertRow(Doc(), "Panels",
              {{"Panel Number", 2},
               {"Panel Name", "South"},
               {"Panel Type", 3},
               {"Housing Type", 2},
               {"OKBooleanPSU", true}});
    InsertRow(Doc(), "Loops",
              {{"PanelNumber", 1},
               {"LoopNumber", 1},
               {"Loop", "Loop 1"},
               {"QuiescentCurrent", 12.5},
               {"AlarmCurrent", 13.5},
               {"OK", "Loop OK"}});
    InsertRow(Doc(), "Loops",
              {{"PanelNumber", 2},
               {"LoopNumber", 1},
               {"Loop", "Loop 1"},
               {"QuiescentCurrent", 0.0},
               {"AlarmCurrent", 0.0},
               {"OK", "Loop OK"}});
    InsertRow(Doc(), "Loops",
              {{"PanelNumber", 1},
               {"LoopNumber", 2},
               {"Loop", "Loop 2"},
               {"QuiescentCurrent", 13.5},
               {"AlarmCurrent", 12.5},
               {"OK", "Loop Overload [E04]"}});
    InsertRow(Doc(), "Outputs",
              {{"Panel", 1},
               {"OutputNumber", 3},
               {"Output", "Auxiliary 24 V 1"},
               {"QuiesentCurrent", 2.5},
               {"AlarmCurrent", 6000.5}});  // more than the 5 A supply gives
    InsertRow(Doc(), "Outputs",
              {{"Panel", 1},
               {"OutputNumber", 1},
               {"Output", "Sounder Circuit 1"},
               {"QuiesentCurrent", 0.5},
               {"AlarmCurrent", 1.5}});
    // Loop 1 and loop 3 of panel 1 hold only the placeholder row of a new loop.
    const auto device = [this](int panel, int loop, int quantity, const char* text,
                               const char* code) {
      InsertRow(Doc(), "Devices",
                {{"Panel", panel},
                 {"Loop", loop},
                 {"DeviceQuantity", quantity},
                 {"DeviceTypeText", text},
                 {"DeviceSub-Type", code}});
    };
    device(1, 1, 0, "", " ");
    device(1, 2, 4, "Optical Detector", "VD-OD200");
    device(2, 1, 0, "", " ");
    device(1, 2, 2, "Manual Call Point", "VD-CP200");
    device(1, 3, 0, "", " ");
  }

  QString Value(const char* table, const char* column) {
    const std::vector<site::Row> rows = Print().Select(table);
    return rows.empty() ? QString("<no row>")
                        : rows.front().values[Print().ColumnIndex(table, column)].toString();
  }
};

TEST_F(ReportTablesTest, CurrentLinesRoundHalvesToEvenAndNameTheStateOfTheSupply) {
  AddTwoPanels();
  FillReportTables(R(), Print());
  const std::vector<QStringList> north = {
      {"Description", "Quiescent Current (mA)", "Alarm Current (mA)", "Comment"},
      {"Panel", "137", "140", "N/A"},
      {"Loop 1", "12", "14", "Loop OK"},
      {"Loop 2", "14", "12", "Loop Overload [E04]"},
      {"Sounder Circuit 1", "0", "2", "N/A"},
      {"Auxiliary 24 V 1", "2", "6000", "N/A"},
      {"Total", "400", "900", "Power Supply Overload"},
  };
  EXPECT_EQ(RowsOf("Currents", 1), north);
  const std::vector<QStringList> south = {
      {"Description", "Quiescent Current (mA)", "Alarm Current (mA)", "Comment"},
      {"Panel", "", "", "N/A"},
      {"Loop 1", "0", "0", "Loop OK"},
      {"Total", "", "", "No power supply chosen"},
  };
  EXPECT_EQ(RowsOf("Currents", 2), south);
}

TEST_F(ReportTablesTest, PanelDetailsNameTheVariantAndOnlyTheTickedChoices) {
  AddTwoPanels();
  FillReportTables(R(), Print());
  EXPECT_EQ(Rows("Panels"),
            (std::vector<QStringList>{{"1", "North", "", ""}, {"2", "South", "", ""}}));
  // The housing code is that of the VX-4 in the standard housing, not of the first panel type
  // that comes in a standard housing.
  const std::vector<QStringList> north = {
      {"Name", "North", ""},
      {"Type", "VX4", "VX-4"},
      {"Housing", "VXP-4020", "Standard"},
      {"Protocol", "Digital 2000", ""},
      {"Battery Capacity (Ah)", "12.3 => ", "18 => VB-1218"},
      {"Power Supply", "PSU 5 A", ""},
      {"Options", "Network Card", ""},
      {"", "PIB", ""},
  };
  EXPECT_EQ(RowsOf("PanelDetails", 1), north);
  const std::vector<QStringList> south = {
      {"Name", "South", ""},
      {"Type", "VX4", "VX-4"},
      {"Housing", "VXP-4020", "Standard"},
      {"Battery Capacity (Ah)", " => ", ""},
      {"Power Supply", "", ""},
  };
  EXPECT_EQ(RowsOf("PanelDetails", 2), south);
}

TEST_F(ReportTablesTest, DeviceRowsSkipPlaceholdersAndLoopsWithoutDevices) {
  AddTwoPanels();
  FillReportTables(R(), Print());
  const QStringList heading = {"Loop", "Quantity of Devices", "Device Type", "Device Sub-Type"};
  const std::vector<QStringList> north = {
      heading,
      {"Loop 2", "", "", ""},
      {"2", "4", "Optical Detector", "VD-OD200"},
      {"2", "2", "Manual Call Point", "VD-CP200"},
  };
  EXPECT_EQ(RowsOf("Devices", 1), north);
  EXPECT_EQ(RowsOf("Devices", 2), std::vector<QStringList>{heading});
}

// A VX-4 on Digital 2000 (27 V) with two spread loops of 0.5 mm² (36 ohm/km) without devices:
// 800 m are 57.6 ohm, overloaded [E03]; 650 m are 46.8 ohm, 90 % of the limit.
TEST_F(ReportTablesTest, EveryLoopHasItsFiguresAndItsStatusExplained) {
  InsertRow(Doc(), "Panels",
            {{"Panel Number", 1},
             {"Panel Name", "North"},
             {"Panel Type", 3},
             {"Housing Type", 2},
             {"Prot0", true},
             {"Psu1", true}});
  for (const auto& [loop, length] : {std::pair{1, 800}, std::pair{2, 650}}) {
    InsertRow(Doc(), "Loops",
              {{"PanelNumber", 1},
               {"LoopNumber", loop},
               {"Loop", QString("Loop %1").arg(loop)},
               {"CableSpec", 0},
               {"Resistance", 36.0},
               {"Length", length},
               {"AlarmIndicators", 10},
               {"Spread", true},
               {"SpreadLength", 5}});
  }
  electrical::RecalculatePanels(R());
  FillReportTables(R(), Print());
  const ReportData data = ReadReportData(Print());
  ASSERT_EQ(data.loops.size(), 3u);
  EXPECT_EQ(data.loops[0].cells,
            QStringList({"No.", "Cable", "Length (m)", "Distribution", "Quiescent Current (mA)",
                         "Alarm Current (mA)", "Voltage Drop (V)", "Voltage Left (V)",
                         "Use of Current Limit"}));
  const LoopLine& over = data.loops[1];
  EXPECT_EQ(over.cells, QStringList({"1", "0.5\u00a0mm²", "800", "Spread from 5\u00a0m", "0", "0",
                                     "0.000", "27.000", "0\u00a0%"}));
  EXPECT_EQ(over.standing, 2);
  EXPECT_EQ(over.status, "Loop Overload [E03]");
  EXPECT_EQ(over.explanation, QStringList{"E03: loop resistance 57.60 Ω, above the limit of 52 Ω"});
  const LoopLine& near = data.loops[2];
  EXPECT_EQ(near.standing, 1);
  EXPECT_EQ(near.status, "Loop OK, near the limit");
  EXPECT_EQ(near.explanation,
            QStringList{"Loop resistance 46.80 Ω: 90\u00a0% of the limit of 52 Ω"});
}

TEST_F(ReportTablesTest, TheBatteryCalculationEndsInTheBatteryOfThePanelsSummary) {
  AddTwoPanels();
  electrical::RecalculatePanels(R());
  FillReportTables(R(), Print());
  const ReportData data = ReadReportData(Print());
  QStringList north;
  for (const TierRow& line : data.battery) {
    if (line.panel == 1) north << line.tiers[0];
  }
  ASSERT_GE(north.size(), 7) << north.join("\n").toStdString();
  EXPECT_EQ(north.front(), "Standby time Ts = 24 h, alarm time Ta = 0.5 h");
  // The rounded capacity and the battery are those the panel's summary columns hold.
  const site::Row panel = Doc().Select("Panels", site::Filter::Equals("Panel Number", 1)).front();
  const QString capacity = panel.values[Doc().ColumnIndex("Panels", "Battery Capacity")].toString();
  const QString battery = panel.values[Doc().ColumnIndex("Panels", "Battery")].toString();
  EXPECT_TRUE(north[north.size() - 3].endsWith("rounded to one decimal: " + capacity + " Ah"))
      << north[north.size() - 3].toStdString();
  const QString chosen = battery.section(" => ", 0, 0);
  const QString model = battery.section(" => ", 1).section(" - ", 0, 0);
  EXPECT_TRUE(north[north.size() - 2].startsWith("Battery chosen: " + chosen + " Ah, " + model))
      << north[north.size() - 2].toStdString();
  EXPECT_EQ(north.back().startsWith("Battery box required"),
            battery.endsWith("Battery box required"));
}

TEST_F(ReportTablesTest, AStoreOfAnOlderInstallationGainsTheTablesItLacks) {
  store_.reset();
  {
    site::Database old(site::kPrintSource, home_.Folder().PrintStore());
    old.Open();
    old.Execute("DROP TABLE \"Loops\"");
    old.Execute("DROP TABLE \"Battery\"");
  }
  store_ = std::make_unique<PrintStore>(home_.Folder());
  store_->Open();
  AddTwoPanels();
  FillReportTables(R(), Print());
  EXPECT_EQ(Print().Count("Loops", site::Filter::Equals("PanelNumber", 1)), 3);
  EXPECT_GT(Print().Count("Battery", site::Filter::Equals("PanelNumber", 1)), 0);
}

TEST_F(ReportTablesTest, SiteAndSectionsHoldTheAddressTimesAndLabels) {
  FillReportTables(R(), Print());
  EXPECT_EQ(Value("Site", "SiteName"), "Harbour Hall");
  EXPECT_EQ(Value("Site", "City"), "Lakeside");
  EXPECT_EQ(Value("Site", "SiteDate"), "2025-01-02");
  EXPECT_EQ(Value("Site", "StandbyTime"), "24 Hours");
  EXPECT_EQ(Value("Site", "AlarmTime"), "30 Minutes");
  EXPECT_EQ(Value("Sections", "PanelProperties"), "Panel Properties");
  EXPECT_EQ(Value("Sections", "TotalCurrents"), "Total Currents");
  EXPECT_EQ(Value("Sections", "StandbyTime"), "System Standby Time");
  EXPECT_EQ(Value("Sections", "State/Province"), "State/Province");
  EXPECT_EQ(Value("Sections", "Partlist"), "Parts list");
}

TEST_F(ReportTablesTest, ASiteWithoutPanelsLeavesOnlySiteAndSections) {
  for (const char* table : {"Panels", "PanelDetails", "Currents", "Devices"})
    InsertRow(Print(), table, {{"PanelNumber", 1}, {"Tier 1", "left over"}});
  InsertRow(Print(), "Loops", {{"PanelNumber", 1}, {"Loop", "left over"}});
  InsertRow(Print(), "Battery", {{"PanelNumber", 1}, {"Line", "left over"}});
  InsertRow(Print(), "Site", {{"SiteName", "left over"}});
  FillReportTables(R(), Print());
  for (const char* table : {"Panels", "PanelDetails", "Currents", "Devices"})
    EXPECT_TRUE(Rows(table).empty()) << table;
  EXPECT_EQ(Print().Count("Loops"), 0);
  EXPECT_EQ(Print().Count("Battery"), 0);
  EXPECT_EQ(Print().Count("Site"), 1);
  EXPECT_EQ(Print().Count("Sections"), 1);
  EXPECT_EQ(Value("Site", "SiteName"), "Harbour Hall");
}

TEST_F(ReportTablesTest, TheViewsKeepTheirFiltersAndRows) {
  AddTwoPanels();
  site::Table& loops = workspace_->Doc().Loops();
  site::Table& devices = workspace_->Doc().Devices();
  loops.SetFilter(site::Filter::Equals("PanelNumber", 2));
  loops.SetFiltered(true);
  devices.SetFilter(site::Filter::Equals("Panel", 1).And("Loop", 2));
  devices.SetFiltered(true);
  devices.Last();
  const qint64 device_row = devices.Bookmark();
  FillReportTables(R(), Print());
  EXPECT_EQ(RowsOf("Currents", 1).size(), 7u);
  EXPECT_TRUE(loops.Filtered());
  EXPECT_EQ(loops.GetFilter(), site::Filter::Equals("PanelNumber", 2));
  EXPECT_EQ(loops.RecordCount(), 1);
  EXPECT_TRUE(devices.Filtered());
  EXPECT_EQ(devices.RecordCount(), 2);
  EXPECT_EQ(devices.Bookmark(), device_row);
}

TEST_F(ReportTablesTest, LabelsAreInTheLanguageOfTheRun) {
  home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
  ASSERT_EQ(i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "de"), "de");
  AddTwoPanels();
  FillReportTables(R(), Print());
  const QString properties = Value("Sections", "PanelProperties");
  const std::vector<QStringList> currents = RowsOf("Currents", 1);
  const ReportData data = ReadReportData(Print());
  i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
  EXPECT_EQ(properties, "Eigenschaften der Zentrale");
  EXPECT_EQ(currents.front().front(), "Beschreibung");
  EXPECT_EQ(currents.back().front(), "Gesamt");
  // The calculation's words and numbers in German.
  ASSERT_FALSE(data.battery.empty());
  EXPECT_EQ(data.battery.front().tiers[0], "Überbrückungszeit Ts = 24 h, Alarmzeit Ta = 0,5 h");
  ASSERT_FALSE(data.loops.empty());
  EXPECT_EQ(data.loops.front().cells.value(7), "Restspannung (V)");
}

}  // namespace
}  // namespace velmora::reports
