#include <gtest/gtest.h>

#include <QFile>

#include "electrical/calc.h"
#include "support/test_home.h"

namespace velmora::electrical {
namespace {

// A protocol delivering 20 V and 400 mA: without a limit to the first device, or with 10 ohm.
ProtocolLimits Limits(double max_first = 0.0) {
  ProtocolLimits limits;
  limits.name = max_first == 0.0 ? "Open Loop" : "Halo Loop";
  limits.lowest_v = 20.0;
  limits.max_first = max_first;
  limits.max_current = 400.0;
  return limits;
}

// One location at 20 m on 250 m of 0.5 mm² (36 ohm/km) unless a case says otherwise.
LoopCheckInput Loop(ProtocolLimits limits = Limits()) {
  LoopCheckInput in;
  in.geometry = {true, 20, 0, 250, 36.0};
  in.alarm = 0.0;
  in.limits = limits;
  return in;
}

DeviceRowValues Device(double lowest_v, qint64 quantity = 1) {
  DeviceRowValues d;
  d.quantity = quantity;
  d.lowest_v = lowest_v;
  return d;
}

TEST(LoopCheckTest, LongestPieceOfTheCable) {
  struct Case {
    bool one_location;
    qint64 length;
    qint64 first;
    double piece;
  };
  const Case cases[] = {{true, 250, 100, 150}, {true, 250, 125, 125}, {true, 250, 200, 200},
                        {false, 250, 0, 125},  {false, 251, 0, 126},  {false, 253, 0, 126}};
  for (const Case& c : cases) {
    LoopCheckInput in = Loop();
    in.geometry = {c.one_location, c.first, 0, c.length, 36.0};
    EXPECT_EQ(CheckLoop(in).piece, c.piece) << c.length << " / " << c.first;
  }
}

TEST(LoopCheckTest, ReasonsAndTheirBoundaries) {
  struct Case {
    const char* what;
    LoopGeometry geometry;
    double alarm;
    double max_first;
    const char* codes;
  };
  const Case cases[] = {
      {"722 m stay below 52 ohm", {true, 20, 0, 722, 36.0}, 0.0, 0.0, ""},
      {"723 m exceed 52 ohm", {true, 20, 0, 723, 36.0}, 0.0, 0.0, " [E03]"},
      {"alarm current equal to the maximum", {true, 20, 0, 250, 36.0}, 400.0, 0.0, " [E04]"},
      {"alarm current below the maximum", {true, 20, 0, 250, 36.0}, 399.9, 0.0, ""},
      {"first device 7.2 ohm away on a spread loop", {false, 20, 100, 200, 36.0}, 0, 10.0, ""},
      {"first device 10.8 ohm away", {false, 20, 150, 300, 36.0}, 0.0, 10.0, " [E02]"},
      {"no limit to the first device", {false, 20, 700, 700, 36.0}, 0.0, 0.0, ""},
  };
  for (const Case& c : cases) {
    LoopCheckInput in = Loop(Limits(c.max_first));
    in.geometry = c.geometry;
    in.alarm = c.alarm;
    EXPECT_EQ(CheckLoop(in).Codes(), c.codes) << c.what;
  }
}

TEST(LoopCheckTest, SummedCurrentsThatReachTheLimitInDecimalsReachIt) {
  // Device currents added one by one (10 x 0.2, 15 x 0.1, 15 x 17.7, 12 x 19.25 mA) come to
  // 500 mA in decimals but a hair below it in binary.
  double sum = 0.0;
  for (const auto& [count, milliamperes] :
       {std::pair{10, 0.2}, std::pair{15, 0.1}, std::pair{15, 17.7}, std::pair{12, 19.25}}) {
    for (int i = 0; i < count; ++i) sum += milliamperes;
  }
  ASSERT_NE(sum, 500.0);
  ASSERT_NEAR(sum, 500.0, 1e-9);
  LoopCheckInput in = Loop();
  in.limits.max_current = 500.0;
  in.alarm = sum;
  EXPECT_TRUE(CheckLoop(in).e04);
  EXPECT_TRUE(Reaches(sum, 500.0));
  EXPECT_FALSE(Exceeds(sum, 500.0));
  EXPECT_FALSE(Reaches(499.99, 500.0));
}

TEST(LoopCheckTest, TwoDevicesBelowTheirVoltageGiveOneReasonAndTheWeakestIsNamed) {
  LoopCheckInput in = Loop();
  in.geometry.length = 100;
  in.devices = {Device(20.5), Device(21.0), Device(3.0)};
  const LoopCheck check = CheckLoop(in);
  EXPECT_EQ(check.Codes(), " [E01]");
  EXPECT_EQ(check.device_fails, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(check.weakest_device, 1);
  EXPECT_EQ(LoopStatusText(check), "Loop Overload [E01]");
}

TEST(LoopCheckTest, DropAndItsTechnicalDetail) {
  // 1.0 mm2 (19 ohm/km), devices halfway along 1400 m: 26.6 ohm to them, 53.2 ohm in all.
  LoopCheckInput in = Loop();
  in.geometry = {true, 700, 0, 1400, 19.0};
  in.quiescent = 10.0;
  in.alarm = 70.0;
  in.devices = {Device(19.0, 2)};
  const LoopCheck check = CheckLoop(in);
  EXPECT_NEAR(check.drop, 1.862, 1e-12);
  EXPECT_EQ(WithDrop(LoopStatusText(check), check.drop), "Loop Overload [E01] [E03] (1.862V)");
  EXPECT_EQ(WithDrop("Loop OK", 0.0), "Loop OK (0.000V)");
}

TEST(LoopCheckTest, NoLimitsWithoutTheProtocolData) {
  // No protocol: no voltage or current limit; the cable's own limit stays.
  LoopCheckInput in = Loop(ProtocolLimits{});
  in.quiescent = 5000.0;
  in.alarm = 5000.0;
  in.devices = {Device(30.0)};
  LoopCheck check = CheckLoop(in);
  EXPECT_FALSE(check.Overloaded());
  EXPECT_FALSE(check.left.has_value());
  in.geometry.length = 800;
  EXPECT_EQ(CheckLoop(in).Codes(), " [E03]");
  // A loop without an alarm current never reaches the current limit.
  LoopCheckInput empty = Loop();
  empty.alarm.reset();
  EXPECT_FALSE(CheckLoop(empty).e04);
}

TEST(LoopCheckTest, LoopLogOfOneLoopWithTwoDevices) {
  LoopCheckInput in = Loop(Limits(10.0));
  in.geometry.one_location_length = 100;
  in.quiescent = 5.5;
  in.alarm = 40.0;
  DeviceRowValues optical = Device(17.0, 3);
  optical.type_text = "Optical";
  optical.sub_type = "OD-1";
  optical.quantity_text = "3";
  DeviceRowValues blank = Device(0.0, 0);
  blank.sub_type = " ";
  blank.quantity_text = "0";
  DeviceRowValues sounder = Device(19.5, 2);
  sounder.type_text = "Sounder";
  sounder.sub_type = "SD-9";
  sounder.quantity_text = "2";
  in.devices = {optical, blank, sounder};
  const LoopCheck check = CheckLoop(in);
  EXPECT_EQ(check.Codes(), " [E02]");

  QFile golden(testing::SourcePath("tests/electrical/data/loop_log_two_devices.txt"));
  ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
  EXPECT_EQ(LoopCheckLog(in, check).Text().toStdString(), golden.readAll().toStdString());
}

}  // namespace
}  // namespace velmora::electrical
