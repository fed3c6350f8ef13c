#include "loop/device_rows.h"

#include <gtest/gtest.h>

#include "support/circuit_site.h"

namespace velmora::loop {
namespace {

using testing::CircuitSite;
using testing::Values;

const char kTooManyDevices[] = "Too many device per loop entered. Decrease the amount of devices.";
const char kTooManyDetectors[] =
    "Too many detectors per loop entered. Decrease the amount of detectors.";
const char kTooManyModules[] = "Too many modules per loop entered. Decrease the amount of modules.";
const char kNotListed[] = "Not a valid value. Select a value from the list.";
const char kPerRow[] = "Too many device of type HD-1 Decrease the amount of this specific type.";

// Loop 1 of panel 1. Protocol 0 allows 127 devices and has no module limit; protocol 1 allows
// 127 of each; protocol 3 has no lookup row.
class DeviceRowsTest : public ::testing::Test {
 protected:
  DeviceRowsTest() {
    site_.AddProtocol(0, "Open Loop", 2000, 24.0, 127, 0, 0.0);
    site_.AddProtocol(1, "Counted Loop", 2000, 24.0, 127, 127, 0.0);
    site_.AddSpec({{"Prot0", "STD400"}, {"Prot1", "OPT400"}, {"Prot3", "OPT400"}});
    site_.AddDeviceType(2, "Heat");
    site_.AddDeviceType(12, "Module");
    site_.AddDeviceType(16, "Indicator");
    site_.AddDevice(2, "HD-9", 1, 300, "det", 0.0001, 0.001, 16000);
    site_.AddDevice(2, "HD-1", 1, 100, "det", 0.0004, 0.0051, 17000);
    site_.AddDevice(2, "HD-X", 1, 100, "det", 0.0004, 0.0051, 17000, "Z99");  // never offered
    site_.AddDevice(12, "MM-1", 1, 300, "mod", 0.0002, 0.002, 12000);
    site_.AddDevice(12, "MM-2", 1, 300, "all", 0.0002, 0.002, 12000);
    site_.AddDevice(16, "LED-1", 0, 1000, "noc", 0.0, 0.0, 0);
  }

  void Loop(int protocol) {
    site_.AddPanel(1, protocol, 0);
    site_.AddLoop(1, 1);
  }
  // A complete row as the grid leaves it once chosen: type, sub-type and quantity.
  void Device(const char* type, const char* code, qint64 type_code, int quantity) {
    site_.AddDeviceRow(1, 1,
                       {{"DeviceQuantity", quantity},
                        {"DeviceTypeCode", type_code},
                        {"DeviceTypeText", type},
                        {"DeviceSub-Type", code}});
  }
  QVariant At(int position, const char* column) {
    const std::optional<site::Row> row = DeviceRowAt(site_.Data(), 1, 1, position);
    if (!row) return QVariant();
    return row->values[site_.SiteDb().ColumnIndex("Devices", column)];
  }

  CircuitSite site_;
};

TEST_F(DeviceRowsTest, QuantityGivesTheRowAndLoopFigures) {
  Loop(0);
  Device("Heat", "HD-1", 2, 1);
  EXPECT_FALSE(SetDeviceQuantity(site_.Data(), 1, 1, 1, 3).refused);
  site_.Recalculate();
  EXPECT_NEAR(At(1, "UnitQuiesentCurrent").toDouble(), 0.4, 1e-12);
  EXPECT_NEAR(At(1, "UnitAlarmCurrent").toDouble(), 5.1, 1e-12);
  EXPECT_NEAR(At(1, "QuiesentCurrent").toDouble(), 1.2, 1e-12);
  EXPECT_NEAR(At(1, "AlarmCurrent").toDouble(), 15.3, 1e-12);
  EXPECT_EQ(At(1, "LowestV").toDouble(), 17.0);
  EXPECT_EQ(At(1, "CountGroup").toString(), "det");
}

TEST_F(DeviceRowsTest, QuantitiesThatNoDesignHasAreRefused) {
  Loop(0);
  Device("Heat", "HD-1", 2, 20);
  site_.AddDeviceRow(1, 1, {{"DeviceQuantity", 0}, {"DeviceSub-Type", " "}});
  for (int position : {1, 2}) {
    for (qint64 quantity : {qint64(-20), qint64(-1), kMaxQuantity + 1}) {
      const Outcome outcome = SetDeviceQuantity(site_.Data(), 1, 1, position, quantity);
      EXPECT_TRUE(outcome.refused) << position << " " << quantity;
      EXPECT_EQ(outcome.messages.size(), 1);
    }
  }
  EXPECT_EQ(At(1, "DeviceQuantity").toInt(), 20);
  EXPECT_EQ(At(2, "DeviceQuantity").toInt(), 0);
  EXPECT_TRUE(SetDeviceQuantity(site_.Data(), 1, 1, 3, 1).refused);  // no such row
}

TEST_F(DeviceRowsTest, AFailedQuantityChangesNothingAndStatesItsLimits) {
  Loop(1);
  Device("Heat", "HD-1", 2, 5);
  const Outcome outcome = SetDeviceQuantity(site_.Data(), 1, 1, 1, 200);
  EXPECT_TRUE(outcome.refused);
  ASSERT_EQ(outcome.messages.size(), 1);  // one message for the entry
  const QString message = outcome.messages.front();
  EXPECT_TRUE(message.startsWith(kTooManyDetectors)) << message.toStdString();
  EXPECT_TRUE(message.contains("The limit is 127; this would make 200.")) << message.toStdString();
  EXPECT_TRUE(message.contains(kPerRow)) << message.toStdString();
  EXPECT_TRUE(message.contains("The limit is 100; this would make 200.")) << message.toStdString();
  EXPECT_EQ(At(1, "DeviceQuantity").toInt(), 5);
}

TEST_F(DeviceRowsTest, GroupLimits) {
  struct Case {
    const char* what;
    int protocol;
    std::vector<std::tuple<const char*, const char*, int, int>> rows;  // type, code, code, qty
    int edited_quantity;                                               // of the last row
    QStringList problems;
  };
  const Case cases[] = {
      {"no module limit: modules are not counted",
       0,
       {{"Heat", "HD-9", 2, 100}, {"Module", "MM-1", 12, 1}},
       40,
       {}},
      {"no module limit: 128 devices",
       0,
       {{"Heat", "HD-9", 2, 100}, {"Module", "MM-2", 12, 1}},
       28,
       {kTooManyDevices}},
      {"both limits broken, detectors first",
       1,
       {{"Heat", "HD-9", 2, 128}, {"Module", "MM-1", 12, 1}},
       128,
       {kTooManyDetectors, kTooManyModules}},
      {"two rows of one device are not added up for its own limit",
       0,
       {{"Heat", "HD-1", 2, 60}, {"Heat", "HD-1", 2, 1}},
       60,
       {}},
      {"uncounted devices never count",
       0,
       {{"Heat", "HD-9", 2, 127}, {"Indicator", "LED-1", 16, 1}},
       900,
       {}},
      {"no lookup row: no group limits", 3, {{"Heat", "HD-9", 2, 1}}, 290, {}},
  };
  for (const Case& c : cases) {
    for (const char* table : {"Panels", "Loops", "Devices"}) site_.SiteDb().DeleteWhere(table);
    Loop(c.protocol);
    for (const auto& [type, code, type_code, quantity] : c.rows)
      Device(type, code, type_code, quantity);
    const int last = int(c.rows.size());
    const int before = At(last, "DeviceQuantity").toInt();
    const Outcome outcome = SetDeviceQuantity(site_.Data(), 1, 1, last, c.edited_quantity);
    EXPECT_EQ(outcome.refused, !c.problems.isEmpty()) << c.what;
    int from = 0;
    for (const QString& problem : c.problems) {
      ASSERT_EQ(outcome.messages.size(), 1) << c.what;
      const int at = int(outcome.messages.front().indexOf(problem, from));
      EXPECT_GE(at, from) << c.what << ": " << problem.toStdString();
      from = at;
    }
    EXPECT_EQ(At(last, "DeviceQuantity").toInt(), c.problems.isEmpty() ? c.edited_quantity : before)
        << c.what;
  }
}

TEST_F(DeviceRowsTest, QuantityOfAnIncompleteRowIsOnlyStored) {
  Loop(0);
  site_.AddDeviceRow(1, 1, {{"DeviceQuantity", 0}, {"DeviceTypeCode", 0}, {"DeviceSub-Type", " "}});
  const Outcome outcome = SetDeviceQuantity(site_.Data(), 1, 1, 1, 500);
  EXPECT_FALSE(outcome.refused);
  EXPECT_TRUE(outcome.messages.isEmpty());
  EXPECT_EQ(At(1, "DeviceQuantity").toInt(), 500);
}

TEST_F(DeviceRowsTest, TypeChoiceOffersItsDevices) {
  Loop(0);
  Device("Module", "MM-1", 12, 4);
  EXPECT_FALSE(SetDeviceType(site_.Data(), 1, 1, 1, "Heat").refused);
  EXPECT_EQ(At(1, "DeviceTypeCode").toInt(), 2);
  EXPECT_TRUE(At(1, "DeviceSub-Type").toString().isEmpty());
  EXPECT_EQ(At(1, "QuiesentCurrent").toDouble(), 0.0);
  EXPECT_EQ(At(1, "DeviceQuantity").toInt(), 4);
  EXPECT_EQ(SubTypesForGrid(site_.Data(), 1, "Heat"), (QStringList{"HD-1", "HD-9"}));  // sorted

  Outcome outcome = SetDeviceSubType(site_.Data(), 1, 1, 1, "HD-X");  // not offered
  EXPECT_EQ(outcome.messages, QStringList{kNotListed});
  EXPECT_TRUE(At(1, "DeviceSub-Type").toString().isEmpty());

  EXPECT_FALSE(SetDeviceSubType(site_.Data(), 1, 1, 1, "HD-1").refused);
  site_.Recalculate();
  EXPECT_NEAR(At(1, "AlarmCurrent").toDouble(), 20.4, 1e-12);

  outcome = SetDeviceType(site_.Data(), 1, 1, 1, "Smoke");
  EXPECT_EQ(outcome.messages, QStringList{kNotListed});
  EXPECT_EQ(At(1, "DeviceTypeText").toString(), "Heat");  // the refused text changes nothing
  EXPECT_EQ(At(1, "DeviceSub-Type").toString(), "HD-1");
}

TEST_F(DeviceRowsTest, SubTypeBreakingALimitIsRefusedAndTheRowKept) {
  Loop(0);
  Device("Heat", "", 2, 150);
  const Outcome outcome = SetDeviceSubType(site_.Data(), 1, 1, 1, "HD-1");
  EXPECT_TRUE(outcome.refused);
  ASSERT_EQ(outcome.messages.size(), 1);
  EXPECT_TRUE(outcome.messages.front().startsWith(kTooManyDevices));
  EXPECT_TRUE(outcome.messages.front().contains(kPerRow));
  EXPECT_EQ(At(1, "DeviceQuantity").toInt(), 150);
  EXPECT_TRUE(At(1, "DeviceSub-Type").toString().isEmpty());
}

TEST_F(DeviceRowsTest, AddAndDeleteRows) {
  Loop(0);
  Device("Heat", "HD-1", 2, 2);
  EXPECT_FALSE(CanDeleteDeviceRow(site_.Data(), 1, 1));
  EXPECT_EQ(DeleteDeviceRow(site_.Data(), 1, 1, 1).messages,
            QStringList{"The last item cannot be deleted"});
  EXPECT_FALSE(AddDeviceRow(site_.Data(), 1, 1).refused);
  EXPECT_EQ(LoopDeviceRows(site_.Data(), 1, 1).size(), 2u);
  EXPECT_EQ(At(2, "DeviceQuantity").toInt(), 0);
  EXPECT_EQ(At(2, "DeviceSub-Type").toString(), " ");
  EXPECT_FALSE(IsCompleteRow(site_.Data(), *DeviceRowAt(site_.Data(), 1, 1, 2)));
  EXPECT_TRUE(IsCompleteRow(site_.Data(), *DeviceRowAt(site_.Data(), 1, 1, 1)));
  EXPECT_FALSE(DeleteDeviceRow(site_.Data(), 1, 1, 1).refused);
  EXPECT_EQ(LoopDeviceRows(site_.Data(), 1, 1).size(), 1u);
  EXPECT_EQ(At(1, "DeviceQuantity").toInt(), 0);
  EXPECT_TRUE(AddDeviceRow(site_.Data(), 1, 7).refused);  // no such loop
}

TEST_F(DeviceRowsTest, CopyingALoopsDevicesHoldsTheTargetsLimits) {
  Loop(0);
  Device("Heat", "HD-9", 2, 100);
  site_.AddDeviceRow(1, 1, {{"DeviceQuantity", 0}, {"DeviceSub-Type", " "}});
  site_.AddLoop(1, 2);
  site_.AddDeviceRow(1, 2, {{"DeviceQuantity", 0}, {"DeviceSub-Type", " "}});
  EXPECT_FALSE(CopyLoopDevices(site_.Data(), 1, 1, 1, 2).refused);
  const std::vector<site::Row> copied = LoopDeviceRows(site_.Data(), 1, 2);
  ASSERT_EQ(copied.size(), 1u);  // the complete row; the blank one of the target went
  // A second copy would put 200 detectors on the loop.
  const Outcome again = CopyLoopDevices(site_.Data(), 1, 1, 1, 2);
  EXPECT_TRUE(again.refused);
  EXPECT_TRUE(again.messages.front().startsWith(kTooManyDevices));
  EXPECT_EQ(LoopDeviceRows(site_.Data(), 1, 2).size(), 1u);
  EXPECT_TRUE(CopyLoopDevices(site_.Data(), 1, 1, 1, 1).refused);
}

}  // namespace
}  // namespace velmora::loop
