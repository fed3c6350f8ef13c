#include "catalogue/device_seeding.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <clocale>

#include "catalogue/catalogue.h"
#include "catalogue/device_catalogue.h"
#include "support/catalogue_fixture.h"
#include "support/rows.h"
#include "support/test_home.h"

namespace velmora::catalogue {
namespace {

using testing::AddDevice;

class DeviceSeedingTest : public ::testing::Test {
 protected:
  DeviceSeedingTest() {
    QFile::remove(home_.Path("DBs/Catalogue.db"));
    db_.Open();
  }
  int Rows(const QString& table) { return int(db_.Count(table)); }
  site::Table Cursor(const QString& table) { return site::Table(&db_, table); }

  testing::TestHome home_;
  site::Database db_{site::kDataSource, home_.Path("DBs/Catalogue.db")};
};

TEST_F(DeviceSeedingTest, CreatesApolloOnceAndFillsTheMakerTables) {
  testing::CreateDeviceTable(db_, "2000");
  testing::CreateDeviceTable(db_, "QELLON");
  PrepareDeviceCatalogue(db_);
  EXPECT_EQ(Rows("Apollo"), 209);
  EXPECT_EQ(Rows("2000"), 11);
  EXPECT_EQ(Rows("QELLON"), 12);
  EXPECT_EQ(db_.TransactionDepth(), 0);

  // Afterwards the Apollo table is only tested for: rows removed from it stay removed.
  db_.DeleteWhere("Apollo");
  PrepareDeviceCatalogue(db_);
  EXPECT_EQ(Rows("Apollo"), 0);
  EXPECT_EQ(Rows("2000"), 11);
}

TEST_F(DeviceSeedingTest, AnApolloTableInOtherCaseIsLeftAlone) {
  for (const char* name : {"APOLLO", "apollo"}) {
    SCOPED_TRACE(name);
    testing::CreateDeviceTable(db_, name);
    AddDevice(db_, name, 101, "OWN");
    EXPECT_FALSE(EnsureApolloTable(db_));
    EXPECT_EQ(Rows(name), 1);
    EXPECT_EQ(db_.TableNames().filter("apollo", Qt::CaseInsensitive), QStringList({name}));
    db_.ExecuteDdl(QString("DROP TABLE [%1]").arg(name));
  }
}

TEST_F(DeviceSeedingTest, AMissingQellonTableRollsBackWithoutStoppingTheOpen) {
  testing::CreateDeviceTable(db_, "2000");
  db_.Close();
  Catalogue catalogue(home_.Folder());
  ASSERT_NO_THROW(catalogue.OpenDeviceCatalogue());
  EXPECT_FALSE(catalogue.DataDb().HasTable("QELLON"));
  EXPECT_EQ(catalogue.DeviceTableNamed("2000").Devices().size(), 11u);
  EXPECT_TRUE(catalogue.DataDb().HasTable("Apollo"));
  EXPECT_EQ(catalogue.DataDb().TransactionDepth(), 0);
}

TEST_F(DeviceSeedingTest, ASeededRowOverwritesTheRowWithItsCodeOnEveryOpen) {
  testing::CreateDeviceTable(db_, "2000");
  const QStringList& seeded = FirstMakerSeed().rows.front();
  AddDevice(db_, "2000", 99, seeded[2], "noc", "X01", 1.0, 2.0, 1, 5, 7);
  AddDevice(db_, "2000", 1, "KEEP-ME", "all", "S00", 0.0003, 0.004, 17000, 128, 1);
  db_.Close();
  Catalogue catalogue(home_.Folder());
  catalogue.OpenDeviceCatalogue();
  // one overwritten, ten added, one kept
  ASSERT_EQ(catalogue.DeviceTableNamed("2000").Devices().size(), 12u);
  site::Table devices(&catalogue.DataDb(), "2000");
  devices.Open();
  ASSERT_TRUE(devices.Locate("DeviceCode", seeded[2]));
  for (int c = 0; c < 14; ++c) {
    SCOPED_TRACE(seeded[c].toStdString());
    const QString column = FirstMakerSeed().columns[c];
    if (column == "Isolator")
      EXPECT_EQ(devices.Bool(column), seeded[c] == "True");
    else if (column == "StandbyCurrent" || column == "AlarmCurrent" || column == "DeviceTypeCode")
      EXPECT_DOUBLE_EQ(devices.Real(column), seeded[c].toDouble());
    else
      EXPECT_EQ(devices.Text(column), seeded[c]);
  }
  ASSERT_TRUE(catalogue.DeviceTableNamed("2000").FirstOfCode("KEEP-ME"));

  // A change made to a seeded row does not survive the next opening.
  devices.Locate("DeviceCode", seeded[2]);
  devices.SetValue("MaxPerLoop", 3);
  devices.Post();
  EXPECT_EQ(catalogue.DeviceTableNamed("2000").FirstOfCode(seeded[2])->max_per_loop, 3);
  catalogue.OpenDeviceCatalogue();
  EXPECT_EQ(catalogue.DeviceTableNamed("2000").FirstOfCode(seeded[2])->max_per_loop, 128);
}

// The Apollo seed's currents are written divided by 1000, read with "." whatever the locale.
class SeedNumbersTest : public DeviceSeedingTest,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(SeedNumbersTest, DividedCurrentsUnderAnyLocale) {
  const QLocale before;
  QLocale::setDefault(QLocale(GetParam()));
  const std::string c_before = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, GetParam());  // may be missing on the machine; Qt's default is set
  const DeviceSeed seed = ParseDeviceSeed(
      "DeviceTypeCode,DeviceTypeText,DeviceCode,DeviceCount,MaxPerLoop,Isolator,DeviceGroup,"
      "BrandingCode,BrandingText,StandbyCurrent,AlarmCurrent,LastUpdated,Document,MinVoltage\n"
      "101, ODx ,AX-1,1,127,False,all,S00,Apollo,1.25,5.5,,,17000\n"
      "115,ISO,AX-2,0,127,TRUE,noc,S00,Apollo,0.1,5,,,14000\n");
  testing::CreateDeviceTable(db_, "Apollo");
  site::Table table = Cursor("Apollo");
  table.Open();
  WriteCatalogueRows(table, seed, 2, true);
  QLocale::setDefault(before);
  std::setlocale(LC_NUMERIC, c_before.c_str());

  ASSERT_TRUE(table.Locate("DeviceCode", "AX-1"));
  EXPECT_DOUBLE_EQ(table.Real("StandbyCurrent"), 0.00125);
  EXPECT_DOUBLE_EQ(table.Real("AlarmCurrent"), 0.0055);
  EXPECT_EQ(table.Int("MinVoltage"), 17000);
  EXPECT_EQ(table.Text("DeviceTypeText"), "ODx");  // blanks around a text are removed
  EXPECT_FALSE(table.Bool("Isolator"));
  EXPECT_EQ(table.Text("LastUpdated"), "");
  ASSERT_TRUE(table.Locate("DeviceCode", "AX-2"));
  EXPECT_TRUE(table.Bool("Isolator"));
  EXPECT_DOUBLE_EQ(table.Real("AlarmCurrent"), 0.005);
}

INSTANTIATE_TEST_SUITE_P(Locales, SeedNumbersTest,
                         ::testing::Values("C", "de_DE.UTF-8", "fr_FR.UTF-8"));

TEST_F(DeviceSeedingTest, ATextThatIsNoNumberRollsBackTheWholeStep) {
  testing::CreateDeviceTable(db_, "QELLON");
  AddDevice(db_, "QELLON", 1, "QL-OLD", "det", "S00", 0.0003, 0.004, 17000, 127);
  DeviceSeed seed = SecondMakerSeed();
  seed.rows[5][4] = "many";  // MaxPerLoop
  EXPECT_FALSE(AddMakerDevices(db_, "QELLON", seed, kSecondMakerSeedRows));
  EXPECT_EQ(Rows("QELLON"), 1);
  EXPECT_EQ(db_.TransactionDepth(), 0);

  seed = SecondMakerSeed();
  seed.columns[13] = "MinVolts";  // a column the table does not have
  EXPECT_FALSE(AddMakerDevices(db_, "QELLON", seed, kSecondMakerSeedRows));
  EXPECT_EQ(Rows("QELLON"), 1);
  EXPECT_TRUE(AddMakerDevices(db_, "QELLON", SecondMakerSeed(), kSecondMakerSeedRows));
  EXPECT_EQ(Rows("QELLON"), 13);
}

TEST_F(DeviceSeedingTest, KeepsTheTablesRowPosition) {
  testing::CreateDeviceTable(db_, "2000");
  AddDevice(db_, "2000", 1, "A");
  AddDevice(db_, "2000", 1, "B");
  site::Table table = Cursor("2000");
  table.Open();
  table.SetRecNo(2);
  WriteCatalogueRows(table, FirstMakerSeed(), kFirstMakerSeedRows, false);
  EXPECT_EQ(table.Text("DeviceCode"), "B");
  table.Close();
  WriteCatalogueRows(table, FirstMakerSeed(), kFirstMakerSeedRows, false);  // not open: nothing
  EXPECT_EQ(Rows("2000"), 13);
}

}  // namespace
}  // namespace velmora::catalogue
