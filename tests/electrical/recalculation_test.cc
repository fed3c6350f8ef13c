#include "electrical/recalculation.h"

#include <gtest/gtest.h>

#include "support/circuit_site.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;

class RecalculationTest : public ::testing::Test {
 protected:
  RecalculationTest() {
    site_.AddProtocol(0, "Open Loop", 2000, 20.0, 127, 0, 0.0);
    site_.AddSpec({{"Prot0", "STD400"},
                   {"StandbyCurrent", 100.0},
                   {"AlarmCurrent", 200.0},
                   {"PCur0S", 500.0},
                   {"PCur0A", 1000.0}});
    site_.AddPanel(1, 0, 0);
    site_.AddLoop(1, 1);
  }

  double Output(int number, const char* column) {
    return site_
        .Cell("Outputs", site::Filter::Equals("Panel", 1).And("OutputNumber", number), column)
        .toDouble();
  }
  qint64 Lines() { return site_.SiteDb().Count("Currents"); }

  CircuitSite site_;
};

TEST_F(RecalculationTest, OutputAboveItsMaximumIsResetAndNothingElseRuns) {
  site_.AddOutput(1, 1, 500, 500.0, 501.0);  // equal stands, above goes
  site_.AddOutput(1, 2, 0, 0.0, 0.0);
  testing::InsertRow(site_.SiteDb(), "Currents", {{"Panel", 1}, {"Description", "earlier"}});
  const OutputEdit edit = RecalculateOutputEdit(site_.R(), 1);
  EXPECT_TRUE(edit.exceeded);
  EXPECT_EQ(site_.Prompter().Warnings(), QStringList{"System specification exceeded."});
  EXPECT_EQ(Output(1, "QuiesentCurrent"), 500.0);
  EXPECT_EQ(Output(1, "AlarmCurrent"), 0.0);
  EXPECT_EQ(Lines(), 1);  // the current lines were not rebuilt
}

TEST_F(RecalculationTest, OutputEditRebuildsTheOutputLinesAndWarnsAboutTheSupply) {
  site_.AddOutput(1, 1, 900, 450.0, 850.0);
  site_.AddPanel(2, 0, 0);
  const OutputEdit edit = RecalculateOutputEdit(site_.R(), 1);
  EXPECT_FALSE(edit.exceeded);
  EXPECT_TRUE(edit.power.quiescent_overload);
  EXPECT_TRUE(edit.power.alarm_overload);
  EXPECT_EQ(site_.Prompter().Warnings(), (QStringList{"Power Supply Overload : Quiescent Current",
                                                      "Power Supply Overload : Alarm Current"}));
  EXPECT_EQ(Lines(), 2);  // the output line and the total
  EXPECT_EQ(site_.Cell("Panels", site::Filter::Equals("Panel Number", 1), "Loop Loads").toString(),
            "Power Supply Overload");
}

TEST_F(RecalculationTest, LoopSettingChainShowsNoSupplyMessage) {
  site_.AddLoop(1, 2, {{"QuiescentCurrent", 900.0}, {"AlarmCurrent", 100.0}, {"Length", 800}});
  const PanelPower power = RecalculateLoopPanel(site_.R(), 1, 2);
  EXPECT_TRUE(power.quiescent_overload);
  EXPECT_EQ(site_.Prompter().Warnings(), QStringList{"Loop 2 : Loop Overload [E03]"});
  EXPECT_FALSE(
      site_.Cell("Panels", site::Filter::Equals("Panel Number", 1), "OKBooleanLoops").toBool());
  EXPECT_FALSE(
      site_.Cell("Panels", site::Filter::Equals("Panel Number", 1), "OKBooleanPSU").toBool());
  EXPECT_EQ(Lines(), 3);  // two loop lines and the total
}

TEST_F(RecalculationTest, OpenedSiteGetsEveryPanelsStatus) {
  site_.AddPanel(2, 0, 0, {{"SalesChannel", "Halvo"}, {"OKBooleanLoops", false}});
  RecalculateOpenedSite(site_.R());
  EXPECT_EQ(site_.Cell("Panels", site::Filter::Equals("Panel Number", 1), "Loop Loads").toString(),
            "OK");
  EXPECT_EQ(site_.Cell("Panels", site::Filter::Equals("Panel Number", 2), "Loop Loads").toString(),
            "Loop Overload");
  EXPECT_EQ(
      site_.Cell("Panels", site::Filter::Equals("Panel Number", 2), "SalesChannel").toString(),
      "Tarvik");
}

}  // namespace
}  // namespace velmora::electrical
