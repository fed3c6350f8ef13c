#include <gtest/gtest.h>

#include <QFile>

#include "site/database.h"
#include "site/filter.h"
#include "support/rows.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::workspace {
namespace {

using site::Filter;

// Opening a site writes its stored texts again in the language of the run: device type texts
// of chosen types, output names and loop names, and the loop status words from the loop's flag.
// Everything else stays exactly as stored.
class StoredTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workspace_ = std::make_unique<Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    workspace_->StartSession();
    file_ = home_.Path("Sites/stored.mdb");
    ASSERT_TRUE(QFile::copy(home_.Path("DBs/CleanSite.mdb"), file_));
    db_ = std::make_unique<site::Database>("stored", file_);
    db_->Open();
    testing::InsertRow(*db_, "Site", {{"SiteName", "Stored"}, {"SalesChannel", "Tarvik"}});
  }

  void Open() {
    db_.reset();
    ASSERT_TRUE(workspace_->OpenSiteFile(file_));
  }
  QVariant Cell(const char* table, const Filter& filter, const char* column) {
    site::Database& db = workspace_->Doc().Db();
    const std::vector<site::Row> rows = db.Select(table, filter);
    EXPECT_EQ(rows.size(), 1u);
    return rows.empty() ? QVariant() : rows.front().values[db.ColumnIndex(table, column)];
  }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  std::unique_ptr<Workspace> workspace_;
  QString file_;
  std::unique_ptr<site::Database> db_;
};

TEST_F(StoredTextsTest, DeviceTypeTextsFollowTheirCode) {
  struct Case {
    int loop;
    QVariant code;
    QVariant text;
    QVariant expected;
  };
  const Case cases[] = {
      {1, 1, "Optischer Melder", "Optical Detector"},
      {2, 10, "Manual Call Point", "Manual Call Point"},
      {3, 0, "Kein Typ", "Kein Typ"},    // no type chosen: left alone
      {4, QVariant(), "Leer", "Leer"},   // an empty code reads 0
      {5, 999, "Alt", "MissingDev999"},  // a code the lookup table does not know
      {6, 999, QVariant(), "MissingDev999"},
      {7, 0, QVariant(), QVariant()},  // an empty text with no type stays empty
  };
  for (const Case& c : cases) {
    testing::InsertRow(*db_, "Devices",
                       {{"Panel", 1},
                        {"Loop", c.loop},
                        {"DeviceTypeCode", c.code},
                        {"DeviceTypeText", c.text},
                        {"DeviceQuantity", 2}});
  }
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.loop);
    const Filter row = Filter::Equals("Panel", 1).And("Loop", c.loop);
    const QVariant text = Cell("Devices", row, "DeviceTypeText");
    EXPECT_EQ(text.isNull(), c.expected.isNull());
    EXPECT_EQ(text.toString(), c.expected.toString());
    EXPECT_EQ(Cell("Devices", row, "DeviceQuantity").toInt(), 2);
  }
}

// The loops' status texts are results: the recalculation of the opened site writes them.
TEST_F(StoredTextsTest, OutputAndLoopTextsAreWrittenAgain) {
  testing::InsertRow(*db_, "Outputs",
                     {{"Panel", 1}, {"OutputNumber", 1}, {"Output", "Ausgang 1"}, {"MAX", 500}});
  testing::InsertRow(*db_, "Outputs",
                     {{"Panel", 1}, {"OutputNumber", 57}, {"Output", "Ausgang 57"}, {"MAX", 50}});
  testing::InsertRow(*db_, "Loops",
                     {{"PanelNumber", 1}, {"LoopNumber", 1}, {"Loop", "Ring 1"}, {"Length", 400}});
  testing::InsertRow(*db_, "Loops",
                     {{"PanelNumber", 1}, {"LoopNumber", 2}, {"Loop", "Loop 2"}, {"Length", 300}});
  Open();
  EXPECT_EQ(Cell("Outputs", Filter::Equals("OutputNumber", 1), "Output").toString(),
            "Sounder Circuit 1");
  EXPECT_EQ(Cell("Outputs", Filter::Equals("OutputNumber", 57), "Output").toString(), "Output 57");
  const Filter loop1 = Filter::Equals("PanelNumber", 1).And("LoopNumber", 1);
  const Filter loop2 = Filter::Equals("PanelNumber", 1).And("LoopNumber", 2);
  EXPECT_EQ(Cell("Loops", loop1, "Loop").toString(), "Loop 1");
  EXPECT_EQ(Cell("Loops", loop2, "Loop").toString(), "Loop 2");
  EXPECT_EQ(Cell("Loops", loop2, "Length").toInt(), 300);
}

}  // namespace
}  // namespace velmora::workspace
