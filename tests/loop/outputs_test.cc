#include "loop/output_editor.h"

#include <gtest/gtest.h>

#include "site/table.h"
#include "support/circuit_site.h"

namespace velmora::loop {
namespace {

using testing::CircuitSite;

// The outputs view's grid writes through the working copy's Outputs view; the listener hands the
// change to the output handling as the main window does.
class OutputsTest : public ::testing::Test {
 protected:
  OutputsTest() {
    site_.AddSpec({{"StandbyCurrent", 100.0},
                   {"AlarmCurrent", 200.0},
                   {"PCur0S", 500.0},
                   {"PCur0A", 1000.0}});
    site_.AddPanel(1, 0, 0);
    site_.AddLoop(1, 1);
    site_.AddOutput(1, 1, 300, 0.0, 0.0);
    site_.AddOutput(1, 2, 300, 0.0, 0.0);
    site_.SiteDb().SetChangeListener([this](const QString& table, const QString& column) {
      OnOutputStoreChange(site_.R(), table, column);
    });
  }

  // The grid writes one current of output 1.
  void Enter(const char* column, double value) {
    site::Table& outputs = site_.R().doc.Outputs();
    outputs.Refresh();
    ASSERT_TRUE(outputs.Locate("OutputNumber", 1));
    outputs.SetValue(column, value);
    outputs.Post();
  }
  double Current(const char* column) {
    return site_.Cell("Outputs", site::Filter::Equals("Panel", 1).And("OutputNumber", 1), column)
        .toDouble();
  }

  CircuitSite site_;
};

TEST_F(OutputsTest, EditsOnTheOutputsNodeAreChecked) {
  site_.ShowTree({1}, 1, 0);
  Enter("QuiesentCurrent", 300.0);  // equal to the maximum
  EXPECT_TRUE(site_.Prompter().Warnings().isEmpty());
  EXPECT_EQ(Current("QuiesentCurrent"), 300.0);
  EXPECT_EQ(site_.SiteDb().Count("Currents"), 3);  // two output lines and the total

  Enter("AlarmCurrent", 301.0);
  EXPECT_EQ(site_.Prompter().Warnings(), QStringList{"System specification exceeded."});
  EXPECT_EQ(Current("AlarmCurrent"), 0.0);
  EXPECT_EQ(Current("QuiesentCurrent"), 300.0);

  site_.Prompter().Clear();
  Enter("AlarmCurrent", 250.0);
  EXPECT_TRUE(site_.Prompter().Warnings().isEmpty());
  Enter("QuiesentCurrent", 299.0);  // 100 + 299 + 0 is within the supply
  site_.AddOutput(1, 3, 900, 450.0, 0.0);
  Enter("QuiesentCurrent", 1.0);
  EXPECT_EQ(site_.Prompter().Warnings(), QStringList{"Power Supply Overload : Quiescent Current"});
  EXPECT_EQ(site_.Cell("Panels", site::Filter::Equals("Panel Number", 1), "Loop Loads").toString(),
            "Power Supply Overload");
}

TEST_F(OutputsTest, EditsElsewhereAreNotChecked) {
  site_.ShowTree({1}, 1, 1);  // a loop node is selected
  Enter("QuiesentCurrent", 900.0);
  EXPECT_EQ(Current("QuiesentCurrent"), 900.0);
  EXPECT_TRUE(site_.Prompter().Warnings().isEmpty());
  EXPECT_EQ(site_.SiteDb().Count("Currents"), 0);
}

}  // namespace
}  // namespace velmora::loop
