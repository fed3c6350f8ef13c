#include "catalogue/panel_spec.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "site/database.h"
#include "site/filter.h"
#include "site/program_folder.h"
#include "site/table.h"
#include "support/rows.h"

namespace velmora::catalogue {
namespace {

using testing::InsertRow;

TEST(PanelCellTest, AvailabilityAndTheCharactersAfterIt) {
  struct Case {
    const char* cell;
    Availability availability;
    std::optional<int> loop_current;
    std::optional<QChar> group;
    bool has_loop_digit;
    int loops;
  };
  const Case cases[] = {
      {"STD500", Availability::kStandard, 500, QChar('5'), true, 0},
      {"OPT400", Availability::kOptional, 400, QChar('4'), true, 0},
      {"OPT", Availability::kOptional, std::nullopt, std::nullopt, false, 0},
      {"OPT12", Availability::kOptional, std::nullopt, QChar('1'), true, 2},
      {"OPT50", Availability::kOptional, std::nullopt, QChar('5'), true, 0},
      {"OPT3x", Availability::kOptional, std::nullopt, QChar('3'), true, 0},  // no digit: no loops
      {"OPT2", Availability::kOptional, std::nullopt, QChar('2'), false, 0},
      {"N/A", Availability::kNotAvailable, std::nullopt, std::nullopt, false, 0},
      {"std500", Availability::kUnknown, 500, QChar('5'), true, 0},  // compared case-sensitively
      {"OPT4x0", Availability::kOptional, std::nullopt, QChar('4'), true, 0},
      {"", Availability::kUnknown, std::nullopt, std::nullopt, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    EXPECT_EQ(AvailabilityOf(c.cell), c.availability);
    EXPECT_EQ(ProtocolMaxLoopCurrent(c.cell), c.loop_current);
    EXPECT_EQ(OptionGroup(c.cell), c.group);
    EXPECT_EQ(OptionHasLoopDigit(c.cell), c.has_loop_digit);
    EXPECT_EQ(OptionAddedLoops(c.cell), c.loops);
  }
}

TEST(PanelCellTest, PackedBoardCurrents) {
  struct Case {
    double value;
    qint64 outputs, output_max, standby;
  };
  const Case cases[] = {
      {805000040, 8, 500, 40}, {407500045, 4, 750, 45}, {45, 0, 0, 45},
      {99990045, 0, 9999, 45}, {10045, 0, 1, 45},       {0, 0, 0, 0},
      {100000000, 1, 0, 0},    {45.7, 0, 0, 45},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const PackedStandby packed = DecodeOptionStandby(c.value);
    EXPECT_EQ(packed.outputs, c.outputs);
    EXPECT_EQ(packed.output_max, c.output_max);
    EXPECT_EQ(packed.standby, c.standby);
  }
  EXPECT_DOUBLE_EQ(OptionAlarmCurrent(904), 904);
  EXPECT_DOUBLE_EQ(OptionAlarmCurrent(2 * 10000 + 45.5), 45.5);
  EXPECT_DOUBLE_EQ(OptionAlarmCurrent(805000050), 50);
}

class PanelSpecTableTest : public ::testing::Test {
 protected:
  PanelSpecTableTest() : db_(site::kDataSource, dir_.filePath("Catalogue.db")) {
    db_.Open();
    db_.ExecuteDdl(
        "CREATE TABLE [Spec] ([ID1] INTEGER, [ID2] INTEGER, [Panel Code] TEXT, [SalesChannel] "
        "TEXT, [Prot0] TEXT(15), [Outlook] TEXT, [Out1] INTEGER, [Out2] INTEGER, [Out101] "
        "INTEGER, [Out102] INTEGER, [Out103] INTEGER, [OUT9] INTEGER)");
    AddVariant(1, 1, "A-11", "All");
    AddVariant(2, 1, "T-21", "Tarvik");
    AddVariant(2, 1, "M-21", "Mornax");
    AddVariant(2, 2, "H-22", "Halvo");
    AddVariant(2, 2, "M'22", "Mor'nax");
    AddVariant(3, 1, "T-31", "Tarvik");
    spec_.Open();
  }
  void AddVariant(int type, int housing, const char* code, const char* channel) {
    InsertRow(db_, "Spec",
              {{"ID1", type}, {"ID2", housing}, {"Panel Code", code}, {"SalesChannel", channel}});
  }
  void Filter(const QString& channel) {
    spec_.SetFilter(site::Filter::SalesChannel(channel));
    spec_.SetFiltered(true);
  }

  QTemporaryDir dir_;
  site::Database db_;
  site::Table spec_{&db_, "Spec"};
};

TEST_F(PanelSpecTableTest, ChannelFilterShowsTheChannelAndAll) {
  Filter("Mornax");
  EXPECT_EQ(spec_.GetFilter().Text(), "SalesChannel = 'Mornax' Or SalesChannel = 'All'");
  ASSERT_TRUE(LocateVariantRow(spec_, 2, 1));
  EXPECT_EQ(spec_.Text("Panel Code"), "M-21");  // the Tarvik row before it is invisible
  EXPECT_TRUE(LocateVariantRow(spec_, 1, 1));
  EXPECT_EQ(spec_.Text("Panel Code"), "A-11");
  EXPECT_FALSE(LocateVariantRow(spec_, 3, 1));
  EXPECT_EQ(spec_.Text("Panel Code"), "A-11");  // a failed search does not move the cursor

  Filter("Mor'nax");  // a quote inside the channel is doubled, not a syntax error
  EXPECT_EQ(spec_.GetFilter().Text(), "SalesChannel = 'Mor''nax' Or SalesChannel = 'All'");
  EXPECT_EQ(FindVariantRow(spec_, 2, 2), 2);
  EXPECT_EQ(spec_.RecordCount(), 2);
}

TEST_F(PanelSpecTableTest, SalesChannelsComeFromTheWholeTableInOrder) {
  Filter("Halvo");
  spec_.SetRecNo(2);
  EXPECT_EQ(SalesChannels(*spec_.Db(), spec_.Name()),
            QStringList({"Tarvik", "Mornax", "Halvo", "Mor'nax"}));
  EXPECT_TRUE(spec_.Filtered());
  EXPECT_EQ(spec_.RecNo(), 2);
}

TEST_F(PanelSpecTableTest, ColumnCounts) {
  // Out1, Out2, Out101..103 and "Outlook" begin with "Out"; "OUT9" does not (case as written).
  EXPECT_EQ(CountPanelOutputs(spec_), 3);

  db_.ExecuteDdl(
      "CREATE TABLE [Panels] ([Panel Number] INTEGER, [Prot0] BIT, [Prot1] BIT, [Protection] "
      "TEXT, [Opt0] BIT, [Opt1] BIT, [opt2] BIT, [Psu0] BIT, [PSU1] BIT)");
  site::Table panels(&db_, "Panels");
  panels.Open();
  const FlagCounts counts = CountPanelColumns(panels);
  EXPECT_EQ(counts.protocols, 3);
  EXPECT_EQ(counts.options, 2);
  EXPECT_EQ(counts.power_supplies, 1);
}

}  // namespace
}  // namespace velmora::catalogue
