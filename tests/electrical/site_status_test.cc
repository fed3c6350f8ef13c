#include "electrical/site_status.h"

#include <gtest/gtest.h>

#include "support/circuit_site.h"

namespace velmora::electrical {
namespace {

using testing::CircuitSite;

site::Filter PanelRow(int panel) { return site::Filter::Equals("Panel Number", panel); }

TEST(SiteStatusTest, StatusTextOfTheTwoFlags) {
  EXPECT_EQ(PanelStatusText(true, true, true), "OK");
  EXPECT_EQ(PanelStatusText(true, false, true), "Loop Overload");
  EXPECT_EQ(PanelStatusText(true, true, false), "Power Supply Overload");
  EXPECT_EQ(PanelStatusText(true, false, false), "Loop Overload , Power Supply Overload");
  EXPECT_EQ(PanelStatusText(false, false, false), "-");
}

TEST(SiteStatusTest, LoopStatusIsCollectedIntoThePanel) {
  CircuitSite site;
  site.AddPanel(1, 0, 0);
  site.AddLoop(1, 1);
  site.AddLoop(1, 2, {{"OKBoolean", false}, {"OK", "Loop Overload [E03]"}});
  site.AddLoop(2, 1, {{"OKBoolean", false}});
  site.AddPanel(2, 0, 0, {{"OKBooleanLoops", false}});
  site.AddPanel(3, 0, 0, {{"OKBooleanLoops", false}});  // no loops at all
  EXPECT_FALSE(CollectLoopStatus(site.R(), 1));
  EXPECT_FALSE(site.Cell("Panels", PanelRow(1), "OKBooleanLoops").toBool());
  EXPECT_TRUE(CollectLoopStatus(site.R(), 3));
  EXPECT_TRUE(site.Cell("Panels", PanelRow(3), "OKBooleanLoops").toBool());
}

TEST(SiteStatusTest, OlderLoopsAreJudgedByTheirText) {
  CircuitSite site;
  site.SiteDb().ExecuteDdl("ALTER TABLE Loops DROP COLUMN OKBoolean");
  site.AddPanel(1, 0, 0);
  site.AddLoop(1, 1, {{"OK", "Loop OK"}});
  site.AddLoop(1, 2, {{"OK", "Loop OK (0.452V)"}});
  EXPECT_TRUE(CollectLoopStatus(site.R(), 1));
  site.AddLoop(1, 3, {{"OK", "Loop Overload"}});
  EXPECT_FALSE(CollectLoopStatus(site.R(), 1));
}

TEST(SiteStatusTest, LoadStatusAndTheOldSalesChannel) {
  CircuitSite site;
  site.AddPanel(1, 0, 0, {{"SalesChannel", "Halvo"}, {"OKBooleanPSU", false}});
  site.AddPanel(2, 0, 0, {{"SalesChannel", "Mornax"}});
  UpdatePanelLoadStatus(site.R(), 1);
  UpdatePanelLoadStatus(site.R(), 2);
  EXPECT_EQ(site.Cell("Panels", PanelRow(1), "SalesChannel").toString(), "Tarvik");
  EXPECT_EQ(site.Cell("Panels", PanelRow(1), "Loop Loads").toString(), "Power Supply Overload");
  EXPECT_EQ(site.Cell("Panels", PanelRow(2), "SalesChannel").toString(), "Mornax");
  EXPECT_EQ(site.Cell("Panels", PanelRow(2), "Loop Loads").toString(), "OK");
}

}  // namespace
}  // namespace velmora::electrical
