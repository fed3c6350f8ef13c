#include "catalogue/catalogue_upgrade.h"

#include <gtest/gtest.h>

#include <QFile>

#include "catalogue/catalogue.h"
#include "support/catalogue_fixture.h"
#include "support/rows.h"
#include "support/test_home.h"

namespace velmora::catalogue {
namespace {

using testing::InsertRow;

// Catalogue stores of an older release, opened through the program's start-up openings.
class CatalogueUpgradeTest : public ::testing::Test {
 protected:
  CatalogueUpgradeTest() {
    QFile::remove(home_.Path("DBs/Catalogue.db"));
    QFile::remove(home_.Path("DBs/Translation.db"));
    QFile conf(home_.Path(kFixedPanelCodesFile));
    conf.open(QIODevice::WriteOnly);
    conf.write("# codes\nFirstPanelCode = P-FIRST\nSecondPanelCode=P-SECOND  # note\n");
    conf.close();
    catalogue_.DataDb().Open();
    catalogue_.TranslationDb().Open();
  }
  site::Database& Data() { return catalogue_.DataDb(); }
  // Reads a cell of the compatibility row with the given panel code, without the cursor.
  QVariant SpecCell(const QString& code, const QString& column) {
    site::Table t(&Data(), kPanelSpecTable);
    t.Open();
    return t.Locate("Panel Code", code) ? t.Value(column) : QVariant();
  }

  testing::TestHome home_;
  Catalogue catalogue_{home_.Folder()};
};

TEST_F(CatalogueUpgradeTest, OldCompatibilityTableGainsApolloAndBoardsFiveToEight) {
  testing::CreateOldPanelSpec(Data());
  InsertRow(Data(), kPanelSpecTable,
            {{"Panel Code", "P-FIRST"},
             {"Housing Type", "Big Cabinet"},
             {"SalesChannel", "Tarvik"},
             {"Cur0S", 45},
             {"Cur0A", 60},
             {"Cur1S", 3},
             {"Cur1A", 0},
             {"Cur3S", 70},
             {"StandbyCurrent", 90},
             {"AlarmCurrent", 95}});
  InsertRow(Data(), kPanelSpecTable,
            {{"Panel Code", "P-SECOND"},
             {"Housing Type", "Small"},
             {"SalesChannel", "Mornax"},
             {"Cur4S", 9},
             {"StandbyCurrent", 80}});
  InsertRow(Data(), kPanelSpecTable,
            {{"Panel Code", "P-OTHER"},
             {"Housing Type", "Bi"},
             {"SalesChannel", "All"},
             {"StandbyCurrent", 70},
             {"AlarmCurrent", 75}});
  catalogue_.OpenPanelSpec();
  EXPECT_TRUE(catalogue_.UpgradeProblems().isEmpty());
  ASSERT_TRUE(catalogue_.PanelSpec().IsOpen());

  struct Case {
    const char* code;
    const char* column;
    QVariant value;
  };
  const Case cases[] = {
      {"P-FIRST", "Prot3", "OPT400"},
      {"P-SECOND", "Prot3", "N/A"},
      {"P-OTHER", "Prot3", "OPT400"},
      {"P-FIRST", "Opt5", "OPT50"},
      {"P-FIRST", "Cur5S", 805000040.0},
      {"P-FIRST", "Cur5A", 50.0},
      {"P-FIRST", "Opt6", "OPT"},
      {"P-FIRST", "Cur6S", 55.0},
      {"P-FIRST", "Cur6A", 904.0},
      {"P-SECOND", "Opt5", "N/A"},
      {"P-SECOND", "Cur5S", 0.0},
      {"P-SECOND", "Opt6", "N/A"},
      {"P-OTHER", "Opt5", "N/A"},
      {"P-SECOND", "Opt7", "OPT"},
      {"P-SECOND", "Cur7S", 12.0},
      {"P-SECOND", "Cur7A", 32.0},
      {"P-OTHER", "Opt8", "OPT"},
      {"P-OTHER", "Cur8S", 55.0},
      {"P-OTHER", "Cur8A", 55.0},
      {"P-OTHER", "Part5", "PIB"},
      {"P-OTHER", "Part6", "Printer"},
      {"P-OTHER", "Part7", "DACT"},
      {"P-OTHER", "Part8", "GPRS"},
      {"P-FIRST", "Cur0S", 407500045.0},
      {"P-FIRST", "Cur0A", 45.0},
      {"P-FIRST", "Cur1S", 2.0},
      {"P-FIRST", "Cur1A", 0.0},
      {"P-FIRST", "Cur3S", 70.0},
      {"P-SECOND", "Cur4S", 2.0},
      {"P-SECOND", "Cur0S", QVariant()},
      {"P-FIRST", "StandbyCurrent", 135.0},
      {"P-FIRST", "AlarmCurrent", 135.0},
      {"P-SECOND", "StandbyCurrent", 155.0},
      {"P-SECOND", "AlarmCurrent", 155.0},
      {"P-OTHER", "StandbyCurrent", 70.0},
      {"P-OTHER", "AlarmCurrent", 75.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.code) + " " + c.column);
    EXPECT_EQ(SpecCell(c.code, c.column), c.value);
  }
}

TEST_F(CatalogueUpgradeTest, RunsOnceAndLeavesATableWithProt3Alone) {
  testing::CreateOldPanelSpec(Data());
  InsertRow(Data(), kPanelSpecTable, {{"Panel Code", "P-OTHER"}, {"Housing Type", "Big"}});
  EXPECT_TRUE(UpgradePanelSpec(Data(), kPanelSpecTable, {}));
  // A value changed after the upgrade survives the next start.
  site::Table t(&Data(), kPanelSpecTable);
  t.Open();
  t.SetValue("Opt5", "N/A");
  t.Post();
  EXPECT_FALSE(UpgradePanelSpec(Data(), kPanelSpecTable, {}));
  EXPECT_EQ(SpecCell("P-OTHER", "Opt5"), "N/A");

  // Prot3 alone is enough to leave a table untouched, even without the boards 5 to 8.
  Data().ExecuteDdl(
      "CREATE TABLE [Partial] ([Panel Code] TEXT, [Housing Type] TEXT, [Prot3] TEXT(15))");
  InsertRow(Data(), "Partial", {{"Panel Code", "P"}, {"Housing Type", "Big"}});
  EXPECT_FALSE(UpgradePanelSpec(Data(), "Partial", {}));
  EXPECT_EQ(Data().ColumnIndex("Partial", "Opt5"), -1);
}

TEST_F(CatalogueUpgradeTest, AFailedUpgradeRollsBackAndTheTableStillOpens) {
  // Without a SalesChannel column the row rewrite fails after the columns were added.
  Data().ExecuteDdl(
      "CREATE TABLE [2010_2_PanelCompatibility] ([Panel Code] TEXT, [Housing Type] TEXT)");
  InsertRow(Data(), kPanelSpecTable, {{"Panel Code", "P"}, {"Housing Type", "Big"}});
  ASSERT_NO_THROW(catalogue_.OpenPanelSpec());
  EXPECT_EQ(catalogue_.UpgradeProblems().size(), 1);
  EXPECT_EQ(Data().ColumnIndex(kPanelSpecTable, "Prot3"), -1);
  EXPECT_EQ(Data().TransactionDepth(), 0);
  EXPECT_EQ(catalogue_.PanelSpec().RecordCount(), 1);
}

TEST(FixedPanelCodesTest, MissingFileMatchesNothing) {
  const FixedPanelCodes codes = ReadFixedPanelCodes("/nonexistent/panel-upgrade.conf");
  EXPECT_TRUE(codes.first.isEmpty());
  EXPECT_TRUE(codes.second.isEmpty());
}

class LookupUpgradeTest : public CatalogueUpgradeTest {
 protected:
  LookupUpgradeTest() { testing::CreateLookupTable(catalogue_.TranslationDb()); }
  void AddRows(int count, int last_id6) {
    for (int i = 1; i <= count; ++i) {
      InsertRow(catalogue_.TranslationDb(), "Translation_Text",
                {{"ID1", i},
                 {"Panel Type", QString("Type %1").arg(i)},
                 {"ID4", QString("Opt%1").arg(i - 1)},
                 {"Options", QString("Board %1").arg(i)},
                 {"ID6", i == count ? QVariant(last_id6) : QVariant()}});
    }
  }
  site::Table& Lookup() { return catalogue_.Translation(); }
};

TEST_F(LookupUpgradeTest, RewritesTheFixedRowsAndAppendsTheApolloTypesOnce) {
  InsertRow(
      catalogue_.TranslationDb(), "Translation_Text",
      {{"ID3", "Prot1"}, {"Protocol", "Q"}, {"ProtocolFile", "QELLON"}, {"MaxLoopLength", 1200}});
  AddRows(9, 40);
  catalogue_.OpenTranslation();
  EXPECT_TRUE(catalogue_.UpgradeProblems().isEmpty());
  site::Table& t = Lookup();
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_EQ(t.Int("MaxLoopLength"), 2000);
  ASSERT_EQ(t.RecordCount(), 10 + 27);

  t.SetRecNo(4);
  EXPECT_EQ(t.Text("ID3"), "Prot3");
  EXPECT_EQ(t.Text("Protocol"), "Apollo");
  EXPECT_EQ(t.Text("ProtocolFile"), "Apollo");
  EXPECT_DOUBLE_EQ(t.Real("LowestV"), 24);
  EXPECT_EQ(t.Int("MaxDetectorCount"), 127);
  EXPECT_EQ(t.Int("MaxModuleCount"), 127);
  EXPECT_EQ(t.Int("MaxLoopLength"), 2000);
  EXPECT_FALSE(t.IsNull("ResistanceToDevice"));
  EXPECT_EQ(t.Int("ResistanceToDevice"), 0);
  EXPECT_EQ(t.Text("Panel Type"), "Type 3");  // other families of the row stay
  const char* captions[] = {"PIB", "Printer", "DACT", "GPRS"};
  for (int i = 0; i < 4; ++i) {
    t.SetRecNo(6 + i);
    EXPECT_EQ(t.Text("ID4"), QString("Opt%1").arg(5 + i));
    EXPECT_EQ(t.Text("Options"), captions[i]);
  }
  t.SetRecNo(5);
  EXPECT_EQ(t.Text("Options"), "Board 4");
  t.SetRecNo(11);
  EXPECT_EQ(t.Int("ID1"), 1000);
  EXPECT_EQ(t.Int("ID6"), 101);
  EXPECT_EQ(t.Text("Device Type Text"), "1I1Ox");
  t.Last();
  EXPECT_EQ(t.Int("ID6"), 127);
  EXPECT_EQ(t.Text("Device Type Text"), "SPECIAL");

  // The next start finds ID6 127 in the last row and appends nothing.
  UpgradeTranslation(t);
  EXPECT_EQ(t.RecordCount(), 37);
}

TEST_F(LookupUpgradeTest, ALastRowAbove100AndAShortTable) {
  AddRows(9, 101);
  catalogue_.OpenTranslation();
  EXPECT_EQ(Lookup().RecordCount(), 9);

  // Three rows: no 4th or 6th row to rewrite, nothing else overwritten.
  testing::ClearTable(catalogue_.TranslationDb(), "Translation_Text");
  AddRows(3, 0);
  ASSERT_NO_THROW(UpgradeTranslation(Lookup()));
  EXPECT_EQ(Lookup().RecordCount(), 3 + 27);
  Lookup().SetRecNo(3);
  EXPECT_EQ(Lookup().Text("ID4"), "Opt2");
  EXPECT_TRUE(Lookup().IsNull("ID3"));
}

TEST_F(CatalogueUpgradeTest, DefaultPanelGainsFlagsAndItsLoopLength) {
  struct Case {
    QVariant stored;
    qint64 expected;
  };
  const Case cases[] = {{-1, 250}, {QVariant(), 250}, {300, 300}, {0, 0}};
  testing::CreateOldDefaultPanel(Data());
  InsertRow(Data(), kDefaultPanelTable, {{"ID1", 3}, {"Prot1", true}});
  catalogue_.OpenDefaultPanel();
  site::Table& row = catalogue_.DefaultPanel();
  for (const char* flag : {"Prot3", "Opt5", "Opt6", "Opt7", "Opt8"}) {
    ASSERT_TRUE(row.HasField(flag)) << flag;
    EXPECT_FALSE(row.IsNull(flag));
    EXPECT_FALSE(row.Bool(flag));
  }
  EXPECT_TRUE(row.Bool("Prot1"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.toString().toStdString());
    row.SetValue("CableLength", c.stored);
    row.Post();
    RepairDefaultCableLength(row);
    EXPECT_EQ(row.Int("CableLength"), c.expected);
    EXPECT_FALSE(row.IsNull("CableLength"));
  }
}

TEST_F(CatalogueUpgradeTest, EmptyDefaultPanelStaysEmpty) {
  testing::CreateOldDefaultPanel(Data());
  catalogue_.OpenDefaultPanel();
  EXPECT_TRUE(catalogue_.DefaultPanel().IsEmpty());
  EXPECT_TRUE(catalogue_.UpgradeProblems().isEmpty());
}

}  // namespace
}  // namespace velmora::catalogue
