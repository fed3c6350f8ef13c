#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_upgrade.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/device_seeding.h"
#include "catalogue/lookup.h"
#include "catalogue/panel_spec.h"
#include "site/table.h"
#include "support/test_home.h"

namespace velmora::catalogue {
namespace {

// The shipped catalogue as the build makes it, before the program has touched it.
class ShippedDataTest : public ::testing::Test {
 protected:
  ShippedDataTest() {
    data_.Open();
    lookup_db_.Open();
    site_.Open();
    spec_.Open();
    lookup_.Open();
  }
  // The values of a column over every row, in stored order.
  static std::vector<QVariant> Column(site::Table& t, const QString& column) {
    std::vector<QVariant> values;
    for (t.First(); !t.Eof(); t.Next()) values.push_back(t.Value(column));
    return values;
  }
  QStringList ColumnsStartingWith(site::Table& t, const QString& prefix) {
    return t.FieldNames().filter(QRegularExpression("^" + prefix + "\\d+$"));
  }

  testing::TestHome home_;
  site::Database data_{site::kDataSource, home_.Path("DBs/Catalogue.db")};
  site::Database lookup_db_{site::kTranslationSource, home_.Path("DBs/Translation.db")};
  site::Database site_{site::kSiteSource, home_.Path("DBs/CleanSite.mdb")};
  site::Table spec_{&data_, kPanelSpecTable};
  site::Table lookup_{&lookup_db_, kTranslationTable};
};

TEST_F(ShippedDataTest, LookupFamiliesHaveUniqueKeysAndNames) {
  const char* const families[][2] = {
      {"ID1", "Panel Type"},      {"ID2", "Housing Type"},  {"ID3", "Protocol"},
      {"ID4", "Options"},         {"ID5", "PowerSupply"},   {"ID6", "Device Type Text"},
      {"ID7", "StandbyTimeText"}, {"ID8", "AlarmTimeText"}, {"ID9", "Outputs"}};
  for (const auto& [key, name] : families) {
    SCOPED_TRACE(key);
    QSet<QString> keys, names;
    int entries = 0;
    for (lookup_.First(); !lookup_.Eof(); lookup_.Next()) {
      if (lookup_.IsNull(key)) continue;
      ++entries;
      keys.insert(lookup_.Text(key));
      EXPECT_FALSE(lookup_.Text(name).isEmpty()) << lookup_.Text(key).toStdString();
      names.insert(lookup_.Text(name));
    }
    EXPECT_GT(entries, 0);
    EXPECT_EQ(keys.size(), entries);
    EXPECT_EQ(names.size(), entries);
  }
}

TEST_F(ShippedDataTest, FlagFamiliesMatchTheColumnsOneRowEach) {
  site::Table panels(&site_, "Panels");
  panels.Open();
  for (const char* prefix : {"Prot", "Opt", "Psu"}) {
    SCOPED_TRACE(prefix);
    const QStringList flags = ColumnsStartingWith(panels, prefix);
    EXPECT_EQ(ColumnsStartingWith(spec_, prefix), flags);  // a cell for every flag of Panels
    site::Table default_panel(&data_, kDefaultPanelTable);
    default_panel.Open();
    EXPECT_EQ(ColumnsStartingWith(default_panel, prefix), flags);
    const char* key = QString(prefix) == "Prot" ? "ID3" : QString(prefix) == "Opt" ? "ID4" : "ID5";
    QStringList keys;
    for (const QVariant& v : Column(lookup_, key))
      if (!v.isNull()) keys << v.toString();
    keys.sort();
    QStringList sorted = flags;
    sorted.sort();
    EXPECT_EQ(keys, sorted);
  }
  // Rows 1 to 4 are the protocols, rows 1 to 9 the option captions, so that the start-up
  // rewrite of row 4 and rows 6 to 9 replaces like with like.
  for (int row = 1; row <= 9; ++row) {
    lookup_.SetRecNo(row);
    if (row <= 4) {
      EXPECT_EQ(lookup_.Text("ID3"), ProtocolKey(row - 1));
    }
    EXPECT_EQ(lookup_.Text("ID4"), QString("Opt%1").arg(row - 1));
  }
  lookup_.Last();
  EXPECT_GT(lookup_.Int("ID6"), 100);
}

TEST_F(ShippedDataTest, TimeListsAreInOrderFromZero) {
  for (const char* key : {"ID7", "ID8"}) {
    SCOPED_TRACE(key);
    qint64 next = 0;
    for (const QVariant& v : Column(lookup_, key)) {
      if (v.isNull()) continue;
      EXPECT_EQ(v.toLongLong(), next);
      ++next;
    }
    EXPECT_GE(next, 2);
  }
  EXPECT_EQ(StandbyTimeIndex(lookup_, 24), 1);
  EXPECT_EQ(AlarmTimeIndex(lookup_, 0.5), 0);
}

TEST_F(ShippedDataTest, PanelRowsAndCells) {
  QHash<qint64, QString> group_of_type;
  QSet<QString> codes;
  const QStringList cells = ColumnsStartingWith(spec_, "Prot") + ColumnsStartingWith(spec_, "Opt") +
                            ColumnsStartingWith(spec_, "Psu");
  for (spec_.First(); !spec_.Eof(); spec_.Next()) {
    const QString code = spec_.Text("Panel Code");
    SCOPED_TRACE(code.toStdString());
    EXPECT_FALSE(codes.contains(code));
    codes.insert(code);
    const qint64 type = spec_.Int("ID1");
    if (group_of_type.contains(type)) {
      EXPECT_EQ(group_of_type[type], spec_.Text("Panel Group Code"));
    }
    group_of_type[type] = spec_.Text("Panel Group Code");
    EXPECT_FALSE(PanelTypeName(lookup_, type).isEmpty());
    EXPECT_EQ(HousingName(lookup_, spec_.Int("ID2")), spec_.Text("Housing Type"));
    for (const QString& cell : cells) {
      const QString value = spec_.Text(cell);
      EXPECT_NE(AvailabilityOf(value), Availability::kUnknown) << cell.toStdString();
      if (cell.startsWith("Prot") && AvailabilityOf(value) != Availability::kNotAvailable) {
        EXPECT_TRUE(ProtocolMaxLoopCurrent(value))
            << cell.toStdString() << " " << value.toStdString();
      }
    }
  }
  EXPECT_EQ(QSet<QString>(group_of_type.begin(), group_of_type.end()).size(), group_of_type.size());
  EXPECT_EQ(CountPanelOutputs(spec_), 4);

  // Within the view of each channel a type and housing name one row.
  for (const QString& channel : SalesChannels(*spec_.Db(), spec_.Name())) {
    SCOPED_TRACE(channel.toStdString());
    spec_.SetFilter(site::Filter::SalesChannel(channel));
    spec_.SetFiltered(true);
    QSet<QPair<qint64, qint64>> variants;
    for (spec_.First(); !spec_.Eof(); spec_.Next())
      variants.insert({spec_.Int("ID1"), spec_.Int("ID2")});
    EXPECT_EQ(variants.size(), spec_.RecordCount());
    EXPECT_GE(variants.size(), 8);
  }
}

TEST_F(ShippedDataTest, OlderCatalogueUpgradesToTheShippedRows) {
  // The shipped table minus the columns the compatibility upgrade adds, upgraded, equals the
  // shipped table: old and new catalogues agree.
  const QStringList added = {"Prot3", "Opt5",  "Cur5S", "Cur5A", "Part5", "Opt6",
                             "Cur6S", "Cur6A", "Part6", "Opt7",  "Cur7S", "Cur7A",
                             "Part7", "Opt8",  "Cur8S", "Cur8A", "Part8"};
  site::Database old_db(site::kDataSource, home_.Path("DBs/Old.db"));
  old_db.Open();
  QStringList kept;
  QString ddl;
  for (const site::Column& c : spec_.Columns()) {
    if (added.contains(c.name)) continue;
    kept << c.name;
    ddl += (ddl.isEmpty() ? "" : ", ") + QString("[%1] %2").arg(c.name, c.declared_type);
  }
  old_db.ExecuteDdl(QString("CREATE TABLE [%1] (%2)").arg(kPanelSpecTable, ddl));
  site::Table old_spec(&old_db, kPanelSpecTable);
  old_spec.Open();
  for (spec_.First(); !spec_.Eof(); spec_.Next()) {
    old_spec.Append();
    for (const QString& c : kept) old_spec.SetValue(c, spec_.Value(c));
    old_spec.Post();
  }
  old_spec.Close();
  ASSERT_TRUE(
      UpgradePanelSpec(old_db, kPanelSpecTable,
                       ReadFixedPanelCodes(testing::BuildHome() + "/" + kFixedPanelCodesFile)));
  old_spec.Open();
  ASSERT_EQ(old_spec.RecordCount(), spec_.RecordCount());
  spec_.First();
  for (old_spec.First(); !old_spec.Eof(); old_spec.Next(), spec_.Next()) {
    for (const site::Column& c : spec_.Columns()) {
      EXPECT_EQ(old_spec.Text(c.name), spec_.Text(c.name))
          << spec_.Text("Panel Code").toStdString() << " " << c.name.toStdString();
    }
  }

  // The lookup rewrite at start-up changes nothing in the shipped rows.
  std::vector<site::Row> before = lookup_.Rows();
  UpgradeTranslation(lookup_);
  const std::vector<site::Row>& after = lookup_.Rows();
  ASSERT_EQ(after.size(), before.size());
  for (size_t r = 0; r < before.size(); ++r) {
    for (size_t c = 0; c < before[r].values.size(); ++c)
      EXPECT_EQ(site::CompareValues(before[r].values[c], after[r].values[c]), 0)
          << "row " << r + 1 << " column " << lookup_.Columns()[c].name.toStdString();
  }
}

TEST_F(ShippedDataTest, DeviceTablesAndSeeds) {
  struct Seed {
    const DeviceSeed& seed;
    int rows;
    qint64 max_per_loop;
    const char* brand;
  };
  const Seed seeds[] = {{ApolloSeed(), 209, 127, "Apollo"},
                        {FirstMakerSeed(), 11, 128, "Halvo"},
                        {SecondMakerSeed(), 12, 127, "Halvo"}};
  QSet<QString> seeded_codes;
  for (const Seed& s : seeds) {
    ASSERT_EQ(int(s.seed.rows.size()), s.rows);
    EXPECT_EQ(s.seed.columns.size(), 14);
    for (const QStringList& row : s.seed.rows) {
      SCOPED_TRACE(row.join(',').toStdString());
      ASSERT_EQ(row.size(), 14);
      EXPECT_EQ(row[4].toLongLong(), s.max_per_loop);
      EXPECT_EQ(row[7], "S00");
      EXPECT_EQ(row[8], s.brand);
      EXPECT_FALSE(seeded_codes.contains(row[2]));
      seeded_codes.insert(row[2]);
    }
  }
  QSet<qint64> apollo_types;
  int all = 0, noc = 0;
  for (const QStringList& row : ApolloSeed().rows) {
    const qint64 type = row[0].toLongLong();
    apollo_types.insert(type);
    EXPECT_EQ(row[1], LookupDeviceTypeText(lookup_, type));
    EXPECT_TRUE(row[11].isEmpty() && row[12].isEmpty());
    EXPECT_GE(row[13].toLongLong(), 12000);
    EXPECT_LE(row[13].toLongLong(), 24000);
    if (row[6] == "all") ++all;
    if (row[6] == "noc") {
      ++noc;
      EXPECT_EQ(row[3], "0");
    }
  }
  EXPECT_EQ(apollo_types.size(), 27);
  EXPECT_EQ(*std::min_element(apollo_types.begin(), apollo_types.end()), 101);
  EXPECT_EQ(*std::max_element(apollo_types.begin(), apollo_types.end()), 127);
  EXPECT_EQ(all, 190);
  EXPECT_EQ(noc, 19);

  // Every protocol names a device table that the store holds or the seeding creates; every
  // device's type has a text, and the maker tables cover every class of the loop current rules.
  QSet<qint64> maker_types;
  for (int protocol = 0; protocol < 4; ++protocol) {
    const QString file = ProtocolOfKey(lookup_, ProtocolKey(protocol))->file;
    SCOPED_TRACE(file.toStdString());
    if (file == kApolloTable) continue;
    ASSERT_TRUE(data_.HasTable(file));
    site::Table devices(&data_, file);
    devices.Open();
    QSet<QString> codes;
    for (devices.First(); !devices.Eof(); devices.Next()) {
      const QString code = devices.Text("DeviceCode");
      EXPECT_FALSE(codes.contains(code)) << code.toStdString();
      EXPECT_FALSE(seeded_codes.contains(code)) << code.toStdString();
      codes.insert(code);
      maker_types.insert(devices.Int("DeviceTypeCode"));
      EXPECT_FALSE(
          LookupDeviceTypeText(lookup_, devices.Int("DeviceTypeCode")).startsWith("MissingDev"));
      EXPECT_TRUE(QStringList({"all", "det", "mod", "noc"}).contains(devices.Text("DeviceGroup")));
      if (devices.Text("DeviceGroup") == "noc") {
        EXPECT_EQ(devices.Int("DeviceCount"), 0);
      }
      EXPECT_GT(devices.Int("MaxPerLoop"), 0);
    }
    EXPECT_GE(codes.size(), 8);
  }
  for (qint64 code : {0, 1, 2, 10, 17, 12, 33, 34}) EXPECT_TRUE(maker_types.contains(code)) << code;
}

// The shipped catalogue opened the way the program opens it at start-up.
TEST(ShippedCatalogueTest, OpensWithoutProblemsAndOffersARealisticSite) {
  testing::TestHome home;
  home.CopyFromBuild(kFixedPanelCodesFile);
  Catalogue catalogue(home.Folder());
  catalogue.OpenPanelSpec();
  catalogue.OpenTranslation();
  catalogue.OpenDefaultPanel();
  catalogue.OpenDeviceCatalogue();
  EXPECT_TRUE(catalogue.UpgradeProblems().isEmpty())
      << catalogue.UpgradeProblems().join("\n").toStdString();
  EXPECT_EQ(catalogue.SalesChannels(), QStringList({"Tarvik", "Halvo", "Mornax"}));
  EXPECT_EQ(catalogue.BatteryCapacities(), QStringList({"7.2", "12", "18", "26", "45", "65"}));
  EXPECT_EQ(catalogue.BatteryModels().size(), 6);
  EXPECT_EQ(catalogue.ProtocolFile(0), "2000");
  catalogue.FilterPanelSpec("Tarvik");
  site::Table& defaults = catalogue.DefaultPanel();
  EXPECT_TRUE(LocateVariantRow(catalogue.PanelSpec(), defaults.Int("ID1"), defaults.Int("ID2")));
  for (int protocol = 0; protocol < 4; ++protocol) {
    SCOPED_TRACE(protocol);
    const DeviceTable& devices = catalogue.ProtocolDevices(protocol);
    EXPECT_GE(devices.Devices().size(), 8u);
    for (const QString& type : ListDeviceTypes(devices, catalogue.Translation())) {
      EXPECT_FALSE(type.startsWith("MissingDev")) << type.toStdString();
      EXPECT_FALSE(ListDeviceSubTypes(devices, catalogue.Translation(), type).isEmpty())
          << type.toStdString();
    }
  }
}

}  // namespace
}  // namespace velmora::catalogue
