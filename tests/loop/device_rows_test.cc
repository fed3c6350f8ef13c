#include "loop/device_row_editor.h"

#include <gtest/gtest.h>

#include "loop/device_limits.h"
#include "loop/loop_form_model.h"
#include "loop/loop_settings.h"
#include "site/table.h"
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
const char kSupplyQuiescent[] = "Power Supply Overload : Quiescent Current";

// Loop 1 of panel 1, shown in the device view with the grid bound to the working copy's Devices
// view, and the store's change listener handing the grid's writes to the editor as the main
// window does. Protocol 0 allows 127 devices and has no module limit; protocol 1 allows 127 of
// each; protocol 3 has no lookup row.
class DeviceRowsTest : public ::testing::Test {
 protected:
  DeviceRowsTest() {
    site_.AddProtocol(0, "Open Loop", 2000, 24.0, 127, 0, 0.0);
    site_.AddProtocol(1, "Counted Loop", 2000, 24.0, 127, 127, 0.0);
    site_.AddSpec({{"Prot0", "STD400"},
                   {"Prot1", "OPT400"},
                   {"Prot3", "OPT400"},
                   {"StandbyCurrent", 10.0},
                   {"AlarmCurrent", 20.0},
                   {"PCur0S", 500.0},
                   {"PCur0A", 1000.0}});
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

  // Panel 1 on the given protocol with loop 1 in the device view.
  void Show(int protocol, Values loop = {}) {
    site_.AddPanel(1, protocol, 0);
    site_.AddLoop(1, 1, loop);
    site_.SelectDevices(protocol);
    site_.ShowTree({1}, 1, 1);
    settings_.LoadLoopIntoView(1, 1);
    editor_.OnDeviceViewShown();
    site_.SiteDb().SetChangeListener([this](const QString& table, const QString& column) {
      editor_.OnStoreChange(table, column);
    });
    QObject::connect(&form_, &LoopFormModel::FocusQuantity, [this] { ++focus_requests_; });
  }

  qint64 Row(Values cells) {
    site_.AddDeviceRow(1, 1, cells);
    return site_.SiteDb().Select("Devices").back().rowid;
  }
  // A complete row as the grid leaves it once chosen: type, sub-type and quantity.
  qint64 Device(const char* type, const char* code, qint64 type_code, int quantity) {
    return Row({{"DeviceQuantity", quantity},
                {"DeviceTypeCode", type_code},
                {"DeviceTypeText", type},
                {"DeviceSub-Type", code}});
  }

  // The grid writes one cell of a row and stores it.
  void Edit(qint64 id, const char* column, const QVariant& value) {
    site::Table& devices = site_.R().doc.Devices();
    ASSERT_TRUE(devices.GotoBookmark(id));
    devices.SetValue(column, value);
    devices.Post();
  }
  QVariant At(qint64 id, const char* column) {
    return site_.Cell("Devices", site::Filter::Equals("ID", id), column);
  }
  QVariant LoopCell(const char* column) {
    return site_.Cell("Loops", site::Filter::Equals("PanelNumber", 1).And("LoopNumber", 1), column);
  }
  QStringList Warnings() { return site_.Prompter().Warnings(); }

  CircuitSite site_;
  LoopFormModel form_;
  LoopSettings settings_{site_.R(), form_};
  DeviceRowEditor editor_{site_.R(), form_};
  int focus_requests_ = 0;
};

TEST_F(DeviceRowsTest, QuantityGivesTheRowAndLoopFigures) {
  Show(0);
  const qint64 id = Device("Heat", "HD-1", 2, 1);
  Edit(id, "DeviceQuantity", 3);
  EXPECT_NEAR(At(id, "UnitQuiesentCurrent").toDouble(), 0.4, 1e-12);
  EXPECT_NEAR(At(id, "UnitAlarmCurrent").toDouble(), 5.1, 1e-12);
  EXPECT_NEAR(At(id, "QuiesentCurrent").toDouble(), 1.2, 1e-12);
  EXPECT_NEAR(At(id, "AlarmCurrent").toDouble(), 15.3, 1e-12);
  EXPECT_EQ(At(id, "LowestV").toDouble(), 17.0);
  EXPECT_EQ(At(id, "CountGroup").toString(), "det");
  EXPECT_NEAR(LoopCell("AlarmCurrent").toDouble(), 15.3, 1e-12);
  EXPECT_EQ(LoopCell("OK").toString(), "Loop OK");
  EXPECT_EQ(site_.R().state.LastValidQuantity(), 3);
  EXPECT_EQ(form_.device_spacing, "125");  // three devices counted: 250 m over two gaps
  EXPECT_TRUE(Warnings().isEmpty());
  EXPECT_FALSE(site_.State().Loading());

  // A negative quantity: no unit currents, negative totals.
  Edit(id, "DeviceQuantity", -2);
  EXPECT_EQ(At(id, "UnitQuiesentCurrent").toDouble(), 0.0);
  EXPECT_NEAR(At(id, "AlarmCurrent").toDouble(), -10.2, 1e-12);
}

TEST_F(DeviceRowsTest, FailedQuantityIsPutBackAfterBothWarnings) {
  Show(1, {{"Length", 100}});
  const qint64 id = Device("Heat", "HD-1", 2, 1);
  Edit(id, "DeviceQuantity", 5);
  // A supply that cannot carry even the panel: its warning follows every edit, once.
  site_.DataDb().Update("2010_2_PanelCompatibility",
                        site_.DataDb().Select("2010_2_PanelCompatibility").front().rowid,
                        {{site_.DataDb().ColumnIndex("2010_2_PanelCompatibility", "PCur0S"), 5.0}});
  site_.Prompter().Clear();

  Edit(id, "DeviceQuantity", 200);

  EXPECT_EQ(Warnings(),
            (QStringList{kTooManyDetectors,
                         "Too many device of type HD-1 Decrease the amount of this specific type.",
                         kSupplyQuiescent}));
  EXPECT_EQ(At(id, "DeviceQuantity").toInt(), 5);
  EXPECT_NEAR(At(id, "QuiesentCurrent").toDouble(), 2.0, 1e-12);
  EXPECT_EQ(site_.R().state.LastValidQuantity(), 5);
  EXPECT_EQ(focus_requests_, 1);
}

TEST_F(DeviceRowsTest, GroupLimits) {
  struct Case {
    const char* what;
    int protocol;
    std::vector<std::tuple<const char*, const char*, int, int>> rows;  // type, code, code, qty
    int edited_quantity;                                               // of the last row
    QStringList warnings;
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
    site_.SiteDb().SetChangeListener({});
    for (const char* table : {"Panels", "Loops", "Devices", "Currents"})
      site_.SiteDb().DeleteWhere(table);
    Show(c.protocol);
    qint64 last = 0;
    for (const auto& [type, code, type_code, quantity] : c.rows)
      last = Device(type, code, type_code, quantity);
    const int before = At(last, "DeviceQuantity").toInt();
    site_.Prompter().Clear();
    Edit(last, "DeviceQuantity", c.edited_quantity);
    EXPECT_EQ(Warnings(), c.warnings) << c.what;
    EXPECT_EQ(At(last, "DeviceQuantity").toInt(), c.warnings.isEmpty() ? c.edited_quantity : before)
        << c.what;
  }
}

TEST_F(DeviceRowsTest, QuantityOfAnIncompleteRowIsOnlyStored) {
  Show(0);
  const qint64 id = Row({{"DeviceQuantity", 0}, {"DeviceTypeCode", 0}, {"DeviceSub-Type", " "}});
  Edit(id, "DeviceQuantity", 500);
  EXPECT_EQ(At(id, "DeviceQuantity").toInt(), 500);
  EXPECT_TRUE(Warnings().isEmpty());
  EXPECT_EQ(site_.SiteDb().Count("Currents"), 0);  // no recalculation ran
}

TEST_F(DeviceRowsTest, TypeChoiceOffersItsDevices) {
  Show(0);
  EXPECT_EQ(form_.device_types, (QStringList{"Heat", "Module", "Indicator"}));
  const qint64 id = Device("Module", "MM-1", 12, 4);
  Edit(id, "DeviceTypeText", "Heat");
  EXPECT_EQ(form_.device_sub_types, (QStringList{"HD-9", "HD-1"}));  // catalogue order
  EXPECT_EQ(At(id, "DeviceTypeCode").toInt(), 2);
  EXPECT_TRUE(At(id, "DeviceSub-Type").toString().isEmpty());
  EXPECT_EQ(At(id, "QuiesentCurrent").toDouble(), 0.0);
  EXPECT_EQ(At(id, "DeviceQuantity").toInt(), 4);

  Edit(id, "DeviceSub-Type", "HD-X");  // not offered
  EXPECT_EQ(Warnings(), QStringList{kNotListed});
  EXPECT_TRUE(At(id, "DeviceSub-Type").toString().isEmpty());

  site_.Prompter().Clear();
  Edit(id, "DeviceSub-Type", "HD-1");
  EXPECT_TRUE(Warnings().isEmpty());
  EXPECT_NEAR(At(id, "AlarmCurrent").toDouble(), 20.4, 1e-12);

  Edit(id, "DeviceTypeText", "Smoke");
  EXPECT_EQ(Warnings(), QStringList{kNotListed});
  EXPECT_TRUE(At(id, "DeviceTypeText").toString().isEmpty());
  EXPECT_TRUE(At(id, "DeviceSub-Type").toString().isEmpty());
  EXPECT_EQ(At(id, "AlarmCurrent").toDouble(), 0.0);
}

TEST_F(DeviceRowsTest, SubTypeBreakingALimitLeavesNoDevice) {
  Show(0);
  const qint64 id = Device("Heat", "", 2, 150);
  form_.device_sub_types = QStringList{"HD-9", "HD-1"};
  Edit(id, "DeviceSub-Type", "HD-1");
  EXPECT_EQ(Warnings(),
            (QStringList{kTooManyDevices,
                         "Too many device of type HD-1 Decrease the amount of this specific type.",
                         kNotListed}));
  EXPECT_EQ(At(id, "DeviceQuantity").toInt(), 0);
  EXPECT_TRUE(At(id, "DeviceSub-Type").toString().isEmpty());
  EXPECT_EQ(LoopCell("AlarmCurrent").toDouble(), 0.0);
}

TEST_F(DeviceRowsTest, AddAndDeleteRows) {
  Show(0);
  const qint64 first = Device("Heat", "HD-1", 2, 2);
  Edit(first, "DeviceQuantity", 2);
  site::Table& devices = site_.R().doc.Devices();

  editor_.DeleteDeviceRow();
  EXPECT_EQ(Warnings(), QStringList{"The last item cannot be deleted"});

  editor_.AddDeviceRow();
  EXPECT_EQ(devices.RecordCount(), 2);
  EXPECT_EQ(devices.Int("DeviceQuantity"), 0);
  EXPECT_EQ(devices.Text("DeviceSub-Type"), " ");
  EXPECT_EQ(form_.device_sub_types, QStringList{"None"});

  site_.Prompter().AnswerYes(false);
  editor_.DeleteDeviceRow();
  EXPECT_EQ(devices.RecordCount(), 2);

  ASSERT_TRUE(devices.GotoBookmark(first));
  site_.Prompter().AnswerYes(true);
  editor_.DeleteDeviceRow();
  EXPECT_EQ(devices.RecordCount(), 1);
  EXPECT_EQ(site_.Prompter().Texts().mid(1),
            (QStringList{"Are you sure you want to delete this row?",
                         "Are you sure you want to delete this row?"}));
  EXPECT_EQ(LoopCell("AlarmCurrent").toDouble(), 0.0);  // the deleted devices no longer count
}

TEST_F(DeviceRowsTest, NothingIsHandledWithDeviceEventsOff) {
  Show(0);
  const qint64 id = Device("Heat", "HD-1", 2, 1);
  site_.State().SetDeviceEventsOn(false);
  Edit(id, "DeviceQuantity", 400);
  EXPECT_TRUE(Warnings().isEmpty());
  EXPECT_EQ(At(id, "DeviceQuantity").toInt(), 400);
}

}  // namespace
}  // namespace velmora::loop
