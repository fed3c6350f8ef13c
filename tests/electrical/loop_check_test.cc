#include "electrical/loop_check.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "support/circuit_site.h"
#include "support/test_home.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;
using testing::Values;

site::Filter LoopOf(int panel, int loop) {
  return site::Filter::Equals("PanelNumber", panel).And("LoopNumber", loop);
}

// Both protocols deliver at least 20 V and 400 mA; panel 1 runs the one without a limit to the
// first device, panel 2 the one with 10 ohm.
class LoopCheckTest : public ::testing::Test {
 protected:
  LoopCheckTest() {
    site_.AddProtocol(0, "Open Loop", 2000, 20.0, 127, 0, 0.0);
    site_.AddProtocol(1, "Halo Loop", 2000, 20.0, 127, 0, 10.0);
    site_.AddSpec({{"Prot0", "STD400"}, {"Prot1", "OPT400"}});
    site_.AddPanel(1, 0, 0);
    site_.AddPanel(2, 1, 0);
  }

  QString Status(int loop = 1, int panel = 1) {
    return site_.Cell("Loops", LoopOf(panel, loop), "OK").toString();
  }

  QString LogLine(const QString& label) {
    QFile file(site_.Home().Path("LoopLog.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (line.startsWith(label.toUtf8() + " = "))
        return QString(line.mid(label.size() + 3)).trimmed();
    }
    return QString();
  }

  CircuitSite site_;
};

TEST_F(LoopCheckTest, LongestPieceOfTheCable) {
  struct Case {
    bool one_location;
    int length;
    int first;
    const char* piece;
  };
  const Case cases[] = {{true, 250, 100, "150"}, {true, 250, 125, "125"}, {true, 250, 200, "200"},
                        {false, 250, 0, "125"},  {false, 251, 0, "126"},  {false, 253, 0, "126"}};
  int loop = 0;
  for (const Case& c : cases) {
    ++loop;
    site_.AddLoop(1, loop,
                  {{"OneLocation", c.one_location},
                   {"Spread", !c.one_location},
                   {"Length", c.length},
                   {"OneLocationLength", c.first}});
    CheckLoopOverload(site_.R(), 1, loop);
    EXPECT_EQ(LogLine("Loop Longest Piece"), c.piece) << c.length << " / " << c.first;
  }
}

TEST_F(LoopCheckTest, ReasonsAndTheirBoundaries) {
  struct Case {
    const char* what;
    Values cells;
    const char* status;
    int panel = 1;
  };
  // 0.5 mm2: 36 ohm/km, both wires counted.
  const Case cases[] = {
      {"722 m stay below 52 ohm", {{"Length", 722}}, "Loop OK"},
      {"723 m exceed 52 ohm", {{"Length", 723}}, "Loop Overload [E03]"},
      {"alarm current equal to the maximum", {{"AlarmCurrent", 400.0}}, "Loop Overload [E04]"},
      {"alarm current below the maximum", {{"AlarmCurrent", 399.9}}, "Loop OK"},
      {"first device 7.2 ohm away on a spread loop",
       {{"OneLocation", false}, {"Spread", true}, {"SpreadLength", 100}, {"Length", 200}},
       "Loop OK",
       2},
      {"first device 10.8 ohm away",
       {{"OneLocation", false}, {"Spread", true}, {"SpreadLength", 150}, {"Length", 300}},
       "Loop Overload [E02]",
       2},
      {"no limit to the first device",
       {{"OneLocation", false}, {"Spread", true}, {"SpreadLength", 700}, {"Length", 700}},
       "Loop OK"},
  };
  int loop = 0;
  for (const Case& c : cases) {
    site_.AddLoop(c.panel, ++loop, c.cells);
    CheckLoopOverload(site_.R(), c.panel, loop);
    EXPECT_EQ(Status(loop, c.panel), c.status) << c.what;
  }
}

TEST_F(LoopCheckTest, TwoDevicesBelowTheirVoltageGiveOneReason) {
  site_.AddLoop(1, 1, {{"Length", 100}});
  for (double lowest : {20.5, 21.0, 3.0})
    site_.AddDeviceRow(1, 1, {{"DeviceQuantity", 1}, {"LowestV", lowest}});
  EXPECT_FALSE(CheckLoopOverload(site_.R(), 1, 1));
  EXPECT_EQ(Status(), "Loop Overload [E01]");
  EXPECT_FALSE(site_.Cell("Loops", LoopOf(1, 1), "OKBoolean").toBool());
}

TEST_F(LoopCheckTest, TechnicalDetailCarriesTheDrop) {
  // 1.0 mm2 (19 ohm/km), devices halfway along 1400 m: 26.6 ohm to them, 53.2 ohm in all.
  site_.R().state.SetTechnicalDetail(true);
  site_.AddLoop(1, 1,
                {{"CableSpec", 2},
                 {"Resistance", 19.0},
                 {"Length", 1400},
                 {"OneLocationLength", 700},
                 {"QuiescentCurrent", 10.0},
                 {"AlarmCurrent", 70.0}});
  site_.AddDeviceRow(1, 1, {{"DeviceQuantity", 2}, {"LowestV", 19.0}});
  site_.AddLoop(1, 2, {{"AlarmCurrent", 0.0}});
  EXPECT_FALSE(CheckLoopOverload(site_.R(), 1, 1));
  EXPECT_EQ(Status(1), "Loop Overload [E01] [E03] (1.862V)");
  EXPECT_NEAR(site_.Cell("Loops", LoopOf(1, 1), "Drop").toDouble(), 1.862, 1e-12);
  EXPECT_TRUE(CheckLoopOverload(site_.R(), 1, 2));
  EXPECT_EQ(Status(2), "Loop OK (0.000V)");
  EXPECT_TRUE(site_.Cell("Loops", LoopOf(1, 2), "OKBoolean").toBool());
}

TEST_F(LoopCheckTest, OneWarningPerNewState) {
  site_.AddLoop(1, 1, {{"Length", 800}});
  site_.AddLoop(1, 2, {{"Length", 100}});
  site_.AddLoop(1, 3, {{"Length", 800}});
  auto& prompter = site_.Prompter();
  CheckLoopOverload(site_.R(), 1, 1);
  CheckLoopOverload(site_.R(), 1, 1);
  EXPECT_EQ(prompter.Warnings(), QStringList{"Loop 1 : Loop Overload [E03]"});
  CheckLoopOverload(site_.R(), 1, 3);  // another loop with the same reasons
  CheckLoopOverload(site_.R(), 1, 2);  // a passing check ...
  CheckLoopOverload(site_.R(), 1, 1);  // ... so the same overload is reported again
  EXPECT_EQ(prompter.Warnings(),
            (QStringList{"Loop 1 : Loop Overload [E03]", "Loop 3 : Loop Overload [E03]",
                         "Loop 1 : Loop Overload [E03]"}));
  EXPECT_EQ(site_.R().state.LastLoopStatus(), "Loop 1 : Loop Overload [E03]");
}

TEST_F(LoopCheckTest, NoLimitsWithoutTheProtocolData) {
  // No protocol set: no voltage or current limit; the cable's own limit stays.
  site_.AddPanel(3, -1, 0);
  site_.AddLoop(3, 1, {{"AlarmCurrent", 5000.0}, {"QuiescentCurrent", 5000.0}});
  site_.AddDeviceRow(3, 1, {{"DeviceQuantity", 1}, {"LowestV", 30.0}});
  site_.AddLoop(3, 2, {{"Length", 800}});
  EXPECT_TRUE(CheckLoopOverload(site_.R(), 3, 1));
  EXPECT_EQ(LogLine("Loop Actual Drop (Protocol Lowest V - Loop Drop V)"), "none");
  EXPECT_FALSE(CheckLoopOverload(site_.R(), 3, 2));
  EXPECT_EQ(Status(2, 3), "Loop Overload [E03]");

  // A protocol without a lookup row, on a cell without a current.
  site_.AddPanel(4, 2, 0);
  site_.AddSpec({{"Prot2", "STD"}});
  site_.AddLoop(4, 1, {{"AlarmCurrent", 5000.0}});
  site_.AddDeviceRow(4, 1, {{"DeviceQuantity", 1}, {"LowestV", 30.0}});
  EXPECT_TRUE(CheckLoopOverload(site_.R(), 4, 1));
  EXPECT_EQ(LogLine("Protocol Lowest V"), "");
}

TEST_F(LoopCheckTest, OlderLoopsWithoutTheFlagKeepTheirText) {
  site_.SiteDb().ExecuteDdl("ALTER TABLE Loops DROP COLUMN OKBoolean");
  site_.AddLoop(1, 1, {{"Length", 800}});
  EXPECT_FALSE(CheckLoopOverload(site_.R(), 1, 1));
  EXPECT_EQ(Status(), "Loop Overload [E03]");
  EXPECT_EQ(site_.SiteDb().ColumnIndex("Loops", "OKBoolean"), -1);
}

TEST_F(LoopCheckTest, LoopLogOfOneLoopWithTwoDevices) {
  site_.AddLoop(2, 1,
                {{"OneLocationLength", 100}, {"QuiescentCurrent", 5.5}, {"AlarmCurrent", 40.0}});
  site_.AddDeviceRow(2, 1,
                     {{"DeviceQuantity", 3},
                      {"DeviceTypeText", "Optical"},
                      {"DeviceSub-Type", "OD-1"},
                      {"LowestV", 17.0}});
  site_.AddDeviceRow(2, 1, {{"DeviceQuantity", 0}, {"DeviceSub-Type", " "}, {"LowestV", 0.0}});
  site_.AddDeviceRow(2, 1,
                     {{"DeviceQuantity", 2},
                      {"DeviceTypeText", "Sounder"},
                      {"DeviceSub-Type", "SD-9"},
                      {"LowestV", 19.5}});
  EXPECT_FALSE(CheckLoopOverload(site_.R(), 2, 1));

  QFile golden(testing::SourcePath("tests/electrical/data/loop_log_two_devices.txt"));
  ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
  QFile written(site_.Home().Path("LoopLog.txt"));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll().toStdString(), golden.readAll().toStdString());
  EXPECT_EQ(Status(1, 2), "Loop Overload [E02]");
}

TEST_F(LoopCheckTest, AnUnwritableLogIsReportedOnceAndChangesNothing) {
  ASSERT_TRUE(QDir(site_.Home().Root()).mkdir("LoopLog.txt"));  // a folder where the file goes
  site_.AddLoop(1, 1, {{"Length", 800}});
  site_.AddLoop(1, 2);
  EXPECT_FALSE(CheckLoopOverload(site_.R(), 1, 1));
  EXPECT_TRUE(CheckLoopOverload(site_.R(), 1, 2));
  const QStringList warnings = site_.Prompter().Warnings();
  ASSERT_EQ(warnings.size(), 2);
  EXPECT_EQ(warnings[0], "Loop 1 : Loop Overload [E03]");
  EXPECT_TRUE(warnings[1].contains("LoopLog.txt")) << warnings[1].toStdString();
  EXPECT_EQ(Status(1), "Loop Overload [E03]");
  EXPECT_EQ(Status(2), "Loop OK");
}

}  // namespace
}  // namespace velmora::electrical
