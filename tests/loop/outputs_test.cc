#include "loop/outputs.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/circuit_site.h"

namespace velmora::loop {
namespace {

using testing::CircuitSite;

class OutputsTest : public ::testing::Test {
 protected:
  OutputsTest() {
    site_.AddPanel(1, 0, 0);
    site_.AddOutput(1, 1, 300, 10.0, 20.0);
    site_.AddOutput(1, 2, 0, 0.0, 0.0);
  }

  double Current(int output, const char* column) {
    return site_
        .Cell("Outputs", site::Filter::Equals("Panel", 1).And("OutputNumber", output), column)
        .toDouble();
  }

  CircuitSite site_;
};

TEST_F(OutputsTest, CurrentsUpToTheMaximumStand) {
  EXPECT_FALSE(SetOutputCurrents(site_.Data(), 1, 1, 300.0, std::nullopt).refused);
  EXPECT_EQ(Current(1, "QuiesentCurrent"), 300.0);
  EXPECT_EQ(Current(1, "AlarmCurrent"), 20.0);                            // the other current stays
  EXPECT_FALSE(SetOutputCurrents(site_.Data(), 1, 2, 0.0, 0.0).refused);  // MAX 0 takes only 0
}

TEST_F(OutputsTest, RefusedCurrentsKeepTheOutputsValues) {
  struct Case {
    const char* what;
    int output;
    double quiescent;
    const char* message_start;
  };
  const Case cases[] = {
      {"above the maximum", 1, 301.0,
       "System specification exceeded.\nOutput 1 carries at most 300"},
      {"on an output without current", 2, 0.5, "System specification exceeded."},
      {"negative", 1, -1400.0, "An output current is a number from 0"},
      {"not a number", 1, std::nan(""), "An output current is a number from 0"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = SetOutputCurrents(site_.Data(), 1, c.output, c.quiescent, 5.0);
    EXPECT_TRUE(outcome.refused) << c.what;
    ASSERT_EQ(outcome.messages.size(), 1) << c.what;
    EXPECT_TRUE(outcome.messages.front().startsWith(c.message_start))
        << c.what << ": " << outcome.messages.front().toStdString();
  }
  EXPECT_EQ(Current(1, "QuiesentCurrent"), 10.0);
  EXPECT_EQ(Current(1, "AlarmCurrent"), 20.0);
  EXPECT_TRUE(SetOutputCurrents(site_.Data(), 1, 9, 1.0, std::nullopt).refused);  // no output 9
}

}  // namespace
}  // namespace velmora::loop
