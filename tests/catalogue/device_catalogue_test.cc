#include "catalogue/device_catalogue.h"

#include <gtest/gtest.h>

#include <QFile>

#include "catalogue/catalogue.h"
#include "support/catalogue_fixture.h"
#include "support/rows.h"
#include "support/test_home.h"

namespace velmora::catalogue {
namespace {

using testing::AddDevice;
using testing::InsertRow;

// A catalogue made from scratch: an empty lookup table and empty stores, filled per test.
class DeviceCatalogueTest : public ::testing::Test {
 protected:
  DeviceCatalogueTest() {
    QFile::remove(home_.Path("DBs/Catalogue.db"));
    QFile::remove(home_.Path("DBs/Translation.db"));
    catalogue_.DataDb().Open();
    catalogue_.TranslationDb().Open();
    testing::CreateLookupTable(catalogue_.TranslationDb());
  }
  void AddProtocol(const char* key, const char* file) {
    InsertRow(catalogue_.TranslationDb(), "Translation_Text",
              {{"ID3", key}, {"Protocol", file}, {"ProtocolFile", file}});
  }
  void AddTypeText(int code, const char* text) {
    InsertRow(catalogue_.TranslationDb(), "Translation_Text",
              {{"ID6", code}, {"Device Type Text", text}});
  }
  void Select(int protocol) {
    catalogue_.Translation().Close();
    catalogue_.Translation().Open();
    SelectProtocolDeviceTable(catalogue_, protocol);
  }

  testing::TestHome home_;
  Catalogue catalogue_{home_.Folder()};
};

TEST_F(DeviceCatalogueTest, TheLaterLookupRowNamesTheTable) {
  testing::CreateDeviceTable(catalogue_.DataDb(), "Early");
  testing::CreateDeviceTable(catalogue_.DataDb(), "Later");
  AddDevice(catalogue_.DataDb(), "Early", 1, "E-1");
  AddDevice(catalogue_.DataDb(), "Later", 1, "L-1");
  AddProtocol("Prot2", "Early");
  AddProtocol("Prot2", "Later");
  Select(2);
  EXPECT_EQ(catalogue_.DeviceCompat().Name(), "Later");
  EXPECT_TRUE(FindDeviceByCode(catalogue_, "L-1"));
  EXPECT_FALSE(FindDeviceByCode(catalogue_, "E-1"));
}

TEST_F(DeviceCatalogueTest, NoTableGivesAnEmptyCatalogue) {
  testing::CreateDeviceTable(catalogue_.DataDb(), "Empty");
  AddProtocol("Prot0", "Missing");
  AddProtocol("Prot1", "Empty");
  AddTypeText(1, "Optical");
  for (int protocol : {0, 1, 3}) {  // a table that does not exist, an empty one, no lookup row
    SCOPED_TRACE(protocol);
    ASSERT_NO_THROW(Select(protocol));
    EXPECT_TRUE(ListDeviceTypes(catalogue_).isEmpty());
    EXPECT_TRUE(ListDeviceSubTypes(catalogue_, "Optical").isEmpty());
    EXPECT_FALSE(FindDeviceByCode(catalogue_, "X"));
    EXPECT_FALSE(FindDeviceByTypeAndCode(catalogue_, 1, "X"));
    EXPECT_TRUE(AllDevices(catalogue_).empty());
  }
}

TEST_F(DeviceCatalogueTest, TypeAndSubTypeLists) {
  testing::CreateDeviceTable(catalogue_.DataDb(), "Devs");
  AddDevice(catalogue_.DataDb(), "Devs", 12, "SN-2");
  AddDevice(catalogue_.DataDb(), "Devs", 1, "OD-B");
  AddDevice(catalogue_.DataDb(), "Devs", 1, "OD-old", "all", "X99");  // not offered
  AddDevice(catalogue_.DataDb(), "Devs", 7, "Q-7");
  AddDevice(catalogue_.DataDb(), "Devs", 1, "OD-A");
  AddProtocol("Prot0", "Devs");
  AddTypeText(1, "Optical");
  AddTypeText(12, "Sounder");
  AddTypeText(7, "");
  Select(0);
  EXPECT_EQ(ListDeviceTypes(catalogue_), QStringList({"Optical", "MissingDev7", "Sounder"}));
  EXPECT_EQ(catalogue_.DeviceCompat().Sort(), "DeviceTypeCode");
  EXPECT_EQ(ListDeviceSubTypes(catalogue_, "Optical"), QStringList({"OD-B", "OD-A"}));
  EXPECT_TRUE(ListDeviceSubTypes(catalogue_, "Heat").isEmpty());
  // The sort outlives a switch of table.
  Select(0);
  EXPECT_EQ(AllDevices(catalogue_).front().code, "OD-B");
}

TEST_F(DeviceCatalogueTest, ACodeUnderTwoTypes) {
  testing::CreateDeviceTable(catalogue_.DataDb(), "Devs");
  AddDevice(catalogue_.DataDb(), "Devs", 21, "DUAL", "mod", "S00", 0.0005, 0.006, 18000, 64);
  AddDevice(catalogue_.DataDb(), "Devs", 20, "DUAL", "det", "S00", 0.0004, 0.0051, 17000, 32);
  AddProtocol("Prot0", "Devs");
  Select(0);
  const std::optional<Device> own = FindDeviceByTypeAndCode(catalogue_, 21, "DUAL");
  ASSERT_TRUE(own);
  EXPECT_DOUBLE_EQ(own->alarm_current, 0.006);
  EXPECT_EQ(own->min_voltage, 18000);
  EXPECT_EQ(FindDeviceByCode(catalogue_, "DUAL")->max_per_loop, 64);  // stored order
  ListDeviceTypes(catalogue_);  // the device view sorts the dataset by type code
  const std::optional<Device> first = FindDeviceByCode(catalogue_, "DUAL");
  EXPECT_EQ(first->type_code, 20);
  EXPECT_EQ(first->group, "det");
  EXPECT_EQ(first->max_per_loop, 32);
  EXPECT_FALSE(FindDeviceByTypeAndCode(catalogue_, 22, "DUAL"));

  // A write through another cursor is seen by the next lookup.
  site::Table other(&catalogue_.DataDb(), "Devs");
  other.Open();
  other.SetRecNo(2);
  other.SetValue("MaxPerLoop", 5);
  other.Post();
  EXPECT_EQ(FindDeviceByCode(catalogue_, "DUAL")->max_per_loop, 5);
}

}  // namespace
}  // namespace velmora::catalogue
