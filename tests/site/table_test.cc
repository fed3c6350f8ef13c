#include "site/table.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "site/database.h"
#include "site/store_error.h"

namespace velmora::site {
namespace {

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = std::make_unique<Database>("test", dir_.filePath("t.db"));
    db_->Open();
    db_->Execute(
        "CREATE TABLE \"Site\" (\"AddressLine1\" TEXT, \"State/Province\" TEXT, "
        "\"Psu0\" BIT NOT NULL DEFAULT 0, \"Length\" INTEGER, \"Drop\" REAL)");
    db_->Execute(
        "CREATE TABLE \"2010_2_PanelCompatibility\" (\"SalesChannel\" TEXT, \"ID1\" INTEGER)");
  }

  void AddChannel(Table& t, const QString& channel, int id) {
    t.Append();
    t.SetValue("SalesChannel", channel);
    t.SetValue("ID1", id);
    t.Post();
  }

  QTemporaryDir dir_;
  std::unique_ptr<Database> db_;
};

TEST_F(TableTest, ColumnsAreFoundWhateverTheirCase) {
  Table site(db_.get(), "Site");
  site.Open();
  site.Append();
  site.SetValue("Addressline1", "Main Street 1");
  site.SetValue("PSU0", true);
  site.SetValue("state/province", "North");
  site.Post();
  site.First();
  EXPECT_EQ(site.Text("AddressLine1"), "Main Street 1");
  EXPECT_TRUE(site.Bool("psu0"));
  EXPECT_EQ(site.Text("State/Province"), "North");
  EXPECT_EQ(site.FieldCount(), 5);
  EXPECT_TRUE(site.HasField("DROP"));
  EXPECT_FALSE(site.HasField("Prot3"));
  EXPECT_THROW(site.Value("Prot3"), StoreError);
}

TEST_F(TableTest, FilterTextFormsDoubleQuotes) {
  EXPECT_EQ(Filter::SalesChannel("Mor'nax").Text(),
            "SalesChannel = 'Mor''nax' Or SalesChannel = 'All'");
  EXPECT_EQ(Filter::Equals("Panel", 2).And("Loop", 3).Text(), "Panel = 2 And Loop = 3");
  EXPECT_EQ(Filter::Equals("PanelNumber", 12).Text(), "PanelNumber = 12");
}

TEST_F(TableTest, FilterRestrictsRowsAndCanBeSwitchedOff) {
  Table spec(db_.get(), "2010_2_PanelCompatibility");
  spec.Open();
  AddChannel(spec, "Tarvik", 1);
  AddChannel(spec, "All", 2);
  AddChannel(spec, "Mor'nax", 3);
  AddChannel(spec, "Halvo", 4);
  spec.SetFilter(Filter::SalesChannel("Mor'nax"));
  spec.SetFiltered(true);
  std::vector<qint64> seen;
  for (spec.First(); !spec.Eof(); spec.Next()) seen.push_back(spec.Int("ID1"));
  EXPECT_EQ(seen, (std::vector<qint64>{2, 3}));
  spec.SetFiltered(false);
  EXPECT_EQ(spec.RecordCount(), 4);
}

TEST_F(TableTest, EmptyValuesSortFirstAndCompareSmaller) {
  Table site(db_.get(), "Site");
  site.Open();
  for (QVariant length : {QVariant(300), QVariant(), QVariant(-5), QVariant(20)}) {
    site.Append();
    site.SetValue("Length", length);
    site.Post();
  }
  site.SetSort("Length");
  std::vector<QVariant> order;
  for (site.First(); !site.Eof(); site.Next()) order.push_back(site.Value("Length"));
  ASSERT_EQ(order.size(), 4u);
  EXPECT_TRUE(order[0].isNull());
  EXPECT_EQ(order[1].toLongLong(), -5);
  EXPECT_EQ(order[3].toLongLong(), 300);
  EXPECT_LT(CompareValues(QVariant(), QVariant(-1000000)), 0);
  EXPECT_EQ(CompareValues(QVariant(), QVariant()), 0);
}

TEST_F(TableTest, BookmarkReturnsToTheRowAfterOtherWrites) {
  Table spec(db_.get(), "2010_2_PanelCompatibility");
  spec.Open();
  for (int id = 1; id <= 5; ++id) AddChannel(spec, "Tarvik", id);
  ASSERT_TRUE(spec.Locate("ID1", 3));
  const qint64 mark = spec.Bookmark();

  // A second cursor writes to the same table; the first sees the change and keeps its row.
  Table other(db_.get(), "2010_2_PanelCompatibility");
  other.Open();
  other.First();
  other.Delete();
  other.Last();
  other.SetValue("SalesChannel", "Halvo");
  other.Post();

  EXPECT_EQ(spec.Int("ID1"), 3);
  EXPECT_EQ(spec.RecordCount(), 4);
  spec.Last();
  EXPECT_EQ(spec.Text("SalesChannel"), "Halvo");
  ASSERT_TRUE(spec.GotoBookmark(mark));
  EXPECT_EQ(spec.Int("ID1"), 3);
}

TEST_F(TableTest, LocateCanIgnoreCase) {
  Table spec(db_.get(), "2010_2_PanelCompatibility");
  spec.Open();
  AddChannel(spec, "Tarvik", 1);
  AddChannel(spec, "Qellon", 2);
  EXPECT_FALSE(spec.Locate("SalesChannel", "QELLON"));
  ASSERT_TRUE(spec.Locate("SalesChannel", "QELLON", Table::Match::kCaseInsensitive));
  EXPECT_EQ(spec.Int("ID1"), 2);
}

TEST_F(TableTest, DeletingWhileWalkingVisitsEveryRow) {
  Table spec(db_.get(), "2010_2_PanelCompatibility");
  spec.Open();
  for (int id = 1; id <= 6; ++id) AddChannel(spec, id % 2 ? "Tarvik" : "Halvo", id);
  for (spec.First(); !spec.Eof();) {
    if (spec.Text("SalesChannel") == "Halvo") {
      spec.Delete();
    } else {
      spec.Next();
    }
  }
  std::vector<qint64> left;
  for (spec.First(); !spec.Eof(); spec.Next()) left.push_back(spec.Int("ID1"));
  EXPECT_EQ(left, (std::vector<qint64>{1, 3, 5}));
}

TEST_F(TableTest, RollbackUndoesWritesAndCursorsSeeIt) {
  Table spec(db_.get(), "2010_2_PanelCompatibility");
  spec.Open();
  AddChannel(spec, "Tarvik", 1);
  {
    Transaction transaction(db_.get());
    AddChannel(spec, "Halvo", 2);
    spec.First();
    spec.SetValue("ID1", 99);
    spec.Post();
    // left without Commit: rolled back
  }
  spec.First();
  EXPECT_EQ(spec.RecordCount(), 1);
  EXPECT_EQ(spec.Int("ID1"), 1);

  db_->Begin();
  db_->Begin();  // a nested level is a savepoint
  AddChannel(spec, "Inner", 3);
  db_->Rollback();
  AddChannel(spec, "Outer", 4);
  db_->Commit();
  EXPECT_EQ(db_->Count("2010_2_PanelCompatibility"), 2);
}

TEST_F(TableTest, ValuesConvertToTheColumnTypeOrAreRefused) {
  Table site(db_.get(), "Site");
  site.Open();
  site.Append();
  site.SetValue("Length", "250");
  site.SetValue("Drop", "1.25");
  site.SetValue("Psu0", "True");
  site.Post();
  EXPECT_EQ(site.Int("Length"), 250);
  EXPECT_DOUBLE_EQ(site.Real("Drop"), 1.25);
  EXPECT_TRUE(site.Bool("Psu0"));
  EXPECT_THROW(site.SetValue("Length", "25x"), StoreError);
  EXPECT_THROW(site.SetValue("Drop", "abc"), StoreError);
  site.Cancel();
  site.First();
  EXPECT_EQ(site.Int("Length"), 250);
}

TEST_F(TableTest, AccessStatementsRunInSqliteDialect) {
  db_->Execute("CREATE TABLE \"Panels\" (\"Panel Number\" INTEGER)");
  db_->Execute("INSERT INTO \"Panels\" VALUES (1)");
  db_->ExecuteDdl("ALTER TABLE Panels ADD COLUMN Prot3 BIT NOT NULL");
  db_->ExecuteDdl("ALTER TABLE 2010_2_PanelCompatibility ADD COLUMN Opt5 TEXT(15)");
  db_->ExecuteDdl(
      "CREATE TABLE [Apollo] ([DeviceTypeCode] FLOAT, [Isolator] YESNO, [DeviceCode] TEXT(255))");
  Table panels(db_.get(), "Panels");
  panels.Open();
  EXPECT_FALSE(panels.Bool("Prot3"));
  EXPECT_GE(db_->ColumnIndex("2010_2_PanelCompatibility", "opt5"), 0);
  EXPECT_TRUE(db_->HasTable("APOLLO"));
  const auto& columns = db_->Columns("Apollo");
  EXPECT_EQ(columns[0].type, ColumnType::kReal);
  EXPECT_EQ(columns[1].type, ColumnType::kBool);
  EXPECT_EQ(columns[2].type, ColumnType::kText);
}

// The texts of the rows' second column, in rowid order.
QStringList SecondColumn(Database& db, const QString& table) {
  QStringList texts;
  for (const Row& row : db.Select(table)) texts << row.values.at(1).toString();
  return texts;
}

TEST_F(TableTest, InsertsNameTheColumnsTheTableHasNow) {
  db_->Execute("CREATE TABLE \"Lines\" (\"Panel\" INTEGER, \"Text\" TEXT)");
  db_->Insert("Lines", {{0, 1}, {1, "first"}});

  // The table made again with another second column, under any spelling of its name.
  db_->Begin();
  db_->ExecuteDdl("DROP TABLE Lines");
  db_->ExecuteDdl("CREATE TABLE [Lines] ([Panel] INTEGER, [Note] TEXT)");
  db_->Insert("Lines", {{0, 1}, {1, "a note"}});
  db_->Insert("LINES", {{0, 2}, {1, "another note"}});
  EXPECT_EQ(db_->Columns("lines").at(1).name, "Note");
  EXPECT_EQ(SecondColumn(*db_, "Lines"), QStringList({"a note", "another note"}));

  // The rollback brings the first table back, and a column added later is written at once.
  db_->Rollback();
  db_->Insert("Lines", {{0, 1}, {1, "second"}});
  db_->ExecuteDdl("ALTER TABLE lines ADD COLUMN Extra TEXT");
  const int extra = db_->ColumnIndex("Lines", "EXTRA");
  ASSERT_EQ(extra, 2);
  db_->Insert("Lines", {{0, 1}, {1, "third"}, {extra, "more"}});
  EXPECT_EQ(db_->Columns("Lines").at(1).name, "Text");
  EXPECT_EQ(SecondColumn(*db_, "Lines"), QStringList({"first", "second", "third"}));
  EXPECT_EQ(db_->Select("Lines").back().values.at(extra).toString(), "more");
}

// Every row of a table with its rowid, in rowid order: what a journal must bring back exactly.
std::vector<std::pair<qint64, QVariantList>> Snapshot(Database& db, const QString& table) {
  std::vector<std::pair<qint64, QVariantList>> rows;
  for (const Row& row : db.Select(table)) {
    QVariantList values;
    for (const QVariant& v : row.values) values << v;
    rows.emplace_back(row.rowid, values);
  }
  return rows;
}

TEST_F(TableTest, AJournalTakesWritesBackAndMakesThemAgain) {
  for (int i = 0; i < 3; ++i) db_->Insert("Site", {{0, QString("Street %1").arg(i)}, {3, i}});
  db_->Execute("CREATE TABLE \"Scratch\" (\"Line\" TEXT)");
  const auto start = Snapshot(*db_, "Site");

  db_->StartJournal({"scratch"});
  db_->Begin();
  const std::vector<Row> rows = db_->Select("Site");
  db_->Update("Site", rows[1].rowid, {{0, "Changed"}, {4, 1.5}});
  db_->Delete("Site", rows[0].rowid);
  db_->Insert("Site", {{0, "New"}});
  db_->Insert("Scratch", {{0, "not recorded"}});
  db_->Begin();  // a nested step that is rolled back leaves no records
  db_->DeleteWhere("Site");
  db_->Rollback();
  db_->Commit();
  const Journal journal = db_->TakeJournal();
  EXPECT_FALSE(db_->Journaling());
  ASSERT_EQ(journal.size(), 3u);
  const auto after = Snapshot(*db_, "Site");

  db_->ApplyJournal(journal, false);
  EXPECT_EQ(Snapshot(*db_, "Site"), start);  // the deleted row back in its place and order
  db_->ApplyJournal(journal, true);
  EXPECT_EQ(Snapshot(*db_, "Site"), after);
  EXPECT_EQ(db_->Count("Scratch"), 1);

  // A journal that no longer matches the rows is refused (the caller rolls its transaction back).
  db_->Delete("Site", rows[1].rowid);
  EXPECT_THROW(db_->ApplyJournal(journal, false), StoreError);
}

}  // namespace
}  // namespace velmora::site
