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
  const DeviceTable& Devices(int protocol) {
    catalogue_.Translation().Close();
    catalogue_.Translation().Open();
    return catalogue_.ProtocolDevices(protocol);
  }
  site::Table& Lookup() { return catalogue_.Translation(); }

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
  const DeviceTable& devices = Devices(2);
  EXPECT_EQ(catalogue_.ProtocolFile(2), "Later");
  EXPECT_TRUE(devices.FirstOfCode("L-1"));
  EXPECT_FALSE(devices.FirstOfCode("E-1"));
}

TEST_F(DeviceCatalogueTest, NoTableGivesAnEmptyCatalogue) {
  testing::CreateDeviceTable(catalogue_.DataDb(), "Empty");
  AddProtocol("Prot0", "Missing");
  AddProtocol("Prot1", "Empty");
  AddTypeText(1, "Optical");
  for (int protocol : {0, 1, 3, -1}) {  // a missing table, an empty one, no lookup row, no index
    SCOPED_TRACE(protocol);
    const DeviceTable* devices = nullptr;
    ASSERT_NO_THROW(devices = &Devices(protocol));
    EXPECT_TRUE(devices->IsEmpty());
    EXPECT_TRUE(ListDeviceTypes(*devices, Lookup()).isEmpty());
    EXPECT_TRUE(ListDeviceSubTypes(*devices, Lookup(), "Optical").isEmpty());
    EXPECT_FALSE(devices->FirstOfCode("X"));
    EXPECT_FALSE(devices->FirstOfTypeAndCode(1, "X"));
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
  const DeviceTable& devices = Devices(0);
  EXPECT_EQ(ListDeviceTypes(devices, Lookup()), QStringList({"Optical", "MissingDev7", "Sounder"}));
  EXPECT_EQ(ListDeviceSubTypes(devices, Lookup(), "Optical"), QStringList({"OD-B", "OD-A"}));
  EXPECT_TRUE(ListDeviceSubTypes(devices, Lookup(), "Heat").isEmpty());
  // Rows in ascending type code, one code's rows in the table's order.
  EXPECT_EQ(devices.Devices().front().code, "OD-B");
  EXPECT_EQ(devices.TypeCodes(), std::vector<qint64>({1, 7, 12}));
}

TEST_F(DeviceCatalogueTest, ACodeUnderTwoTypes) {
  testing::CreateDeviceTable(catalogue_.DataDb(), "Devs");
  AddDevice(catalogue_.DataDb(), "Devs", 21, "DUAL", "mod", "S00", 0.0005, 0.006, 18000, 64);
  AddDevice(catalogue_.DataDb(), "Devs", 20, "DUAL", "det", "S00", 0.0004, 0.0051, 17000, 32);
  AddProtocol("Prot0", "Devs");
  const DeviceTable& devices = Devices(0);
  const Device* own = devices.FirstOfTypeAndCode(21, "DUAL");
  ASSERT_TRUE(own);
  EXPECT_DOUBLE_EQ(own->alarm_current, 0.006);
  EXPECT_EQ(own->min_voltage, 18000);
  // A lookup by code alone takes the lowest type code, whatever order the rows were stored in.
  const Device* first = devices.FirstOfCode("DUAL");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->type_code, 20);
  EXPECT_EQ(first->group, "det");
  EXPECT_EQ(first->max_per_loop, 32);
  EXPECT_FALSE(devices.FirstOfTypeAndCode(22, "DUAL"));

  // A write to the table is seen by the next read of it.
  site::Table other(&catalogue_.DataDb(), "Devs");
  other.Open();
  other.SetRecNo(2);
  other.SetValue("MaxPerLoop", 5);
  other.Post();
  EXPECT_EQ(catalogue_.ProtocolDevices(0).FirstOfCode("DUAL")->max_per_loop, 5);
}

}  // namespace
}  // namespace velmora::catalogue
