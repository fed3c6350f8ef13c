#include "reports/parts_list.h"

#include <gtest/gtest.h>

#include <QDir>

#include "report_fixture.h"

namespace velmora::reports {
namespace {

using testing::InsertRow;

// Panels of the Tarvik channel, each reading the device table of its own protocol.
class PartsListTest : public ReportFixture {
 protected:
  void SetUp() override {
    ReportFixture::SetUp();
    InsertRow(Doc(), "Site", {{"SiteName", "Depot"}, {"SalesChannel", "Tarvik"}});
  }
  void AddPanel(int number, int type, int housing, const char* battery,
                testing::Values flags = {}) {
    InsertRow(Doc(), "Panels",
              {{"Panel Number", number},
               {"Panel Name", QString("Panel %1").arg(number)},
               {"Panel Type", type},
               {"Housing Type", housing},
               {"SalesChannel", "Tarvik"},
               {"Battery", battery}});
    site::Table panels(&Doc(), "Panels");
    panels.Open();
    ASSERT_TRUE(panels.Locate("Panel Number", number));
    for (const auto& [column, value] : flags) panels.SetValue(column, value);
    panels.Post();
  }
  void AddLoop(int panel, int loop, int cable, int length) {
    InsertRow(
        Doc(), "Loops",
        {{"PanelNumber", panel}, {"LoopNumber", loop}, {"CableSpec", cable}, {"Length", length}});
  }
  void AddDevices(int panel, int loop, int quantity, const char* code) {
    InsertRow(
        Doc(), "Devices",
        {{"Panel", panel}, {"Loop", loop}, {"DeviceQuantity", quantity}, {"DeviceSub-Type", code}});
  }
  std::vector<QStringList> Parts() { return RowsOf("PartsList", 1); }
};

TEST_F(PartsListTest, ListsPanelsBoardsDevicesBatteriesAndCablesInThatOrder) {
  Settings().WriteCountryCode("31");
  // Fibre network card (Opt4): standard on the VX-8 rack ("STD2"), optional on the VX-4.
  // Panel 4 speaks Qellon, the others Digital 2000.
  AddPanel(1, 3, 2, "12 => VB-1212", {{"Opt4", true}, {"Prot0", true}});
  AddPanel(2, 3, 2, "12 => VB-1212", {{"Prot0", true}});
  AddPanel(3, 4, 4, "26 => VB-1226 - Battery box required", {{"Opt4", true}, {"Prot0", true}});
  AddPanel(4, 4, 4, "System specification exceeded.",
           {{"Opt4", true}, {"Opt1", true}, {"Prot1", true}});
  AddLoop(1, 1, 3, 250);
  AddLoop(2, 1, 3, 300);
  AddLoop(3, 1, 0, 100);
  AddLoop(4, 1, 5, 0);
  AddDevices(1, 1, 5, "VD-OD200");
  AddDevices(3, 2, 3, "VD-OD200");
  AddDevices(2, 1, 2, "VD-CP200");
  AddDevices(4, 1, 4, "QL-OD100");  // of the Qellon table
  AddDevices(2, 2, 7, "QL-OD100");  // not in the Digital 2000 table: no part
  AddDevices(4, 2, 0, " ");

  BuildPartsList(R(), Print(), Settings());

  const std::vector<QStringList> expected = {
      {"2", "X", "VXP-4020-31"},      {"2", "X", "VXP-8040T-31"},
      {"1", "X", "VXB-NET"},          {"1", "X", "VXB-FNC"},
      {"8", "X", "VD-OD200"},         {"2", "X", "VD-CP200"},
      {"4", "X", "QL-OD100"},         {"4", "X", "VB-1212"},
      {"2", "X", "VB-1226"},          {"1", "X", "Battery box (no part number in the catalogue)"},
      {"550m", "X", "1.5 mm² Cable"},  // loop 1 of panel 3 has no devices: no cable for it
  };
  EXPECT_EQ(Parts(), expected);
  EXPECT_EQ(Rows("PartsList").size(), expected.size());  // every row belongs to panel 1
}

TEST_F(PartsListTest, PanelCodesCarryTheCountryCodeOfTheUserSettings) {
  struct Case {
    const char* what;
    bool key;
    const char* code;
    const char* part;
  };
  const Case cases[] = {
      {"no settings key at all", false, nullptr, "VXP-4020-"},
      {"a key without the value", true, nullptr, "VXP-4020-99"},
      {"a stored code", true, "44", "VXP-4020-44"},
  };
  AddPanel(1, 3, 2, "");
  for (const Case& c : cases) {
    QDir(Settings().KeyFile(i18n::Settings::Hive::kUser)).removeRecursively();
    QFile::remove(Settings().KeyFile(i18n::Settings::Hive::kUser));
    if (c.key) Settings().WriteUser("Language", "en");
    if (c.code) Settings().WriteCountryCode(c.code);
    BuildPartsList(R(), Print(), Settings());
    ASSERT_FALSE(Parts().empty()) << c.what;
    EXPECT_EQ(Parts().front(), (QStringList{"1", "X", c.part})) << c.what;
    // Without a code the list says so under itself, and where to set it.
    const std::vector<QStringList> notes = RowsOf("PartsList", 0);
    EXPECT_EQ(notes.size(), c.code || c.key ? 0u : 1u) << c.what;
    if (!notes.empty()) {
      EXPECT_TRUE(notes[0][2].contains("Settings > Options")) << c.what;
    }
  }
}

TEST_F(PartsListTest, AnEmptySiteLeavesTheListEmpty) {
  InsertRow(Print(), "PartsList", {{"PanelNumber", 1}, {"Tier 1", "3"}, {"Tier 3", "old"}});
  BuildPartsList(R(), Print(), Settings());
  EXPECT_TRUE(Rows("PartsList").empty());
}

}  // namespace
}  // namespace velmora::reports
