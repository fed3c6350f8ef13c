#include "catalogue/lookup.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "site/database.h"
#include "site/program_folder.h"
#include "site/table.h"
#include "support/catalogue_fixture.h"
#include "support/rows.h"

namespace velmora::catalogue {
namespace {

using testing::InsertRow;

class LookupTest : public ::testing::Test {
 protected:
  LookupTest() : db_(site::kTranslationSource, dir_.filePath("Translation.db")) {
    db_.Open();
    testing::CreateLookupTable(db_);
    // One row carries a panel type and a protocol at once.
    InsertRow(db_, "Translation_Text",
              {{"ID1", 1},
               {"Panel Type", "VX-1"},
               {"ID3", "Prot0"},
               {"Protocol", "Digital"},
               {"ProtocolFile", "2000"},
               {"MaxLoopLength", 3000},
               {"LowestV", 27.5},
               {"MaxDetectorCount", 128},
               {"MaxModuleCount", 0},
               {"ResistanceToDevice", 50},
               {"ID4", "Opt0"},
               {"Options", "Sounder Card"},
               {"ID6", 1},
               {"Device Type Text", "Optical"},
               {"ID7", 0},
               {"StandbyTimeText", "4 Hours"},
               {"StandbyTimeNumber", 4},
               {"ID8", 0},
               {"AlarmTimeText", "30 Minutes"},
               {"AlarmTimeNumber", 0.5},
               {"ID9", 1},
               {"Outputs", "Sounder 1"}});
    InsertRow(db_, "Translation_Text",
              {{"ID1", 2},
               {"Panel Type", "VX-2"},
               {"ID2", 7},
               {"Housing Type", "Big Cabinet"},
               {"ID3", "Prot1"},
               {"Protocol", "Qellon"},
               {"ProtocolFile", "Qellon"},
               {"ID5", "Psu0"},
               {"PowerSupply", "PSU 5 A"},
               {"ID6", 5},
               {"ID7", 1},
               {"StandbyTimeText", "24 Hours"},
               {"StandbyTimeNumber", 24},
               {"ID8", 1},
               {"AlarmTimeText", "1 Hour"},
               {"AlarmTimeNumber", 1}});
    // A second row with the name "VX-2" and the same standby hours: first and last differ.
    InsertRow(db_, "Translation_Text",
              {{"ID1", 9},
               {"Panel Type", "VX-2"},
               {"ID2", 8},
               {"Housing Type", "Small"},
               {"ID4", "Opt1"},
               {"ID7", 2},
               {"StandbyTimeText", "One day"},
               {"StandbyTimeNumber", 24}});
    lookup_.Open();
  }

  QTemporaryDir dir_;
  site::Database db_;
  site::Table lookup_{&db_, "Translation_Text"};
};

TEST_F(LookupTest, NamesAndIdsOfEveryFamily) {
  EXPECT_EQ(PanelTypeId(lookup_, "VX-2"), 2);
  EXPECT_EQ(PanelTypeId(lookup_, "VX-2", Pick::kLast), 9);
  EXPECT_EQ(PanelTypeId(lookup_, "vx-2"), std::nullopt);  // values compare exactly
  EXPECT_EQ(PanelTypeName(lookup_, 1), "VX-1");
  EXPECT_EQ(PanelTypeName(lookup_, 4), "");
  EXPECT_EQ(HousingId(lookup_, "Small"), 8);
  EXPECT_EQ(HousingId(lookup_, "Medium"), std::nullopt);
  EXPECT_EQ(HousingName(lookup_, 7), "Big Cabinet");

  EXPECT_EQ(OptionCaption(lookup_, 0), "Sounder Card");
  EXPECT_EQ(OptionCaption(lookup_, 1), "");  // a row without caption text
  EXPECT_EQ(OptionCaption(lookup_, 2), std::nullopt);
  EXPECT_EQ(PowerSupplyCaption(lookup_, 0), "PSU 5 A");
  EXPECT_EQ(PowerSupplyCaption(lookup_, 1), std::nullopt);
}

TEST_F(LookupTest, ProtocolRowsByKeyAndByName) {
  // The row that also holds panel type 1 is a protocol row as well.
  const std::optional<Protocol> digital = ProtocolOfKey(lookup_, ProtocolKey(0));
  ASSERT_TRUE(digital);
  EXPECT_EQ(digital->name, "Digital");
  EXPECT_EQ(digital->file, "2000");
  EXPECT_EQ(digital->max_loop_length, 3000);
  EXPECT_DOUBLE_EQ(digital->lowest_v, 27.5);
  EXPECT_EQ(digital->max_detector_count, 128);
  EXPECT_EQ(digital->max_module_count, 0);
  EXPECT_DOUBLE_EQ(digital->resistance_to_device, 50);
  EXPECT_EQ(ProtocolOfName(lookup_, "Qellon")->key, "Prot1");
  EXPECT_EQ(ProtocolOfKey(lookup_, "prot1"), std::nullopt);  // text keys are case-sensitive
  EXPECT_EQ(ProtocolOfKey(lookup_, ProtocolKey(3)), std::nullopt);
  EXPECT_EQ(ProtocolOfName(lookup_, "Apollo"), std::nullopt);
}

TEST_F(LookupTest, DeviceTypeTextsFallBackToMissingDev) {
  EXPECT_EQ(LookupDeviceTypeText(lookup_, 1), "Optical");
  EXPECT_EQ(LookupDeviceTypeText(lookup_, 5), "MissingDev5");  // row without text
  EXPECT_EQ(LookupDeviceTypeText(lookup_, 127), "MissingDev127");
  EXPECT_EQ(DeviceTypeCodeOfText(lookup_, "Optical"), 1);
  EXPECT_EQ(DeviceTypeCodeOfText(lookup_, "Heat"), std::nullopt);
}

TEST_F(LookupTest, OutputNamesFallBackToOutputAndNumber) {
  EXPECT_EQ(OutputName(lookup_, 1), "Sounder 1");
  EXPECT_EQ(OutputName(lookup_, 12), "Output 12");
}

TEST_F(LookupTest, StandbyAndAlarmTimeLists) {
  EXPECT_EQ(StandbyTimeTexts(lookup_), QStringList({"4 Hours", "24 Hours", "One day"}));
  EXPECT_EQ(AlarmTimeTexts(lookup_), QStringList({"30 Minutes", "1 Hour"}));
  EXPECT_DOUBLE_EQ(StandbyTimeNumber(lookup_, 1), 24);
  EXPECT_DOUBLE_EQ(AlarmTimeNumber(lookup_, 0), 0.5);
  EXPECT_DOUBLE_EQ(AlarmTimeNumber(lookup_, 5), 0);
  EXPECT_EQ(StandbyTimeIndex(lookup_, 24), 2);  // the last row with those hours
  EXPECT_EQ(AlarmTimeIndex(lookup_, 0.5), 0);
  EXPECT_EQ(AlarmTimeIndex(lookup_, 2), std::nullopt);
  EXPECT_EQ(StandbyTimeTextOfNumber(lookup_, 24), "24 Hours");  // the first
  EXPECT_EQ(AlarmTimeTextOfNumber(lookup_, 3), "");
}

TEST_F(LookupTest, LookupsLeaveTheCursorWhereTheCallerHasIt) {
  lookup_.SetRecNo(2);
  PanelTypeId(lookup_, "VX-2", Pick::kLast);
  ProtocolOfName(lookup_, "Qellon");
  OutputName(lookup_, 12);
  StandbyTimeTexts(lookup_);
  EXPECT_EQ(lookup_.RecNo(), 2);
  EXPECT_EQ(lookup_.Text("Protocol"), "Qellon");
}

TEST_F(LookupTest, ClosedTableFindsNothing) {
  lookup_.Close();
  EXPECT_EQ(PanelTypeId(lookup_, "VX-1"), std::nullopt);
  EXPECT_EQ(LookupDeviceTypeText(lookup_, 1), "MissingDev1");
  EXPECT_TRUE(StandbyTimeTexts(lookup_).isEmpty());
}

}  // namespace
}  // namespace velmora::catalogue
