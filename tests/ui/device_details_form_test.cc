#include "ui/device_details_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QSplitter>
#include <QTest>
#include <cmath>

#include "support/rows.h"
#include "ui/editable_grid_model.h"
#include "ui/loop_diagram.h"
#include "ui/loop_profile_view.h"
#include "ui/loop_status_panel.h"
#include "views_fixture.h"

namespace velmora::ui {
namespace {

using site::Filter;

constexpr int kQuantity = 1;
constexpr int kType = 2;
constexpr int kSubType = 3;

// The device view on loop 1 of a new panel, with two device types of the test's own in the
// panel's device table: "Test Sensor A" with 20 devices and "Test Sensor B" with 3.
class DeviceDetailsFormTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    AddTestType(90, "Test Sensor A", 20);
    AddTestType(91, "Test Sensor B", 3);
    view_ = std::make_unique<TFormDeviceDetails>(E());
    view_->resize(900, 420);
    view_->show();
    AddPanel();
    ClickNode(1, 1);
    Settle();
  }
  void TearDown() override {
    view_.reset();
    ViewsTest::TearDown();
  }

  void AddTestType(qint64 code, const QString& text, int devices) {
    testing::InsertRow(W().Catalogue().TranslationDb(), "Translation_Text",
                       {{"ID6", code}, {"Device Type Text", text}});
    // Stored in reverse order, so the sorted list differs from the stored one.
    for (int i = devices; i >= 1; --i) {
      testing::InsertRow(W().Catalogue().DataDb(), "2000",
                         {{"DeviceTypeCode", code},
                          {"DeviceTypeText", "T"},
                          {"DeviceCode", QString("T%1-%2").arg(code).arg(i, 2, 10, QChar('0'))},
                          {"DeviceCount", 1},
                          {"MaxPerLoop", 128},
                          {"Isolator", 0},
                          {"DeviceGroup", "all"},
                          {"BrandingCode", "S00"},
                          {"StandbyCurrent", 0.0003},
                          {"AlarmCurrent", 0.004},
                          {"MinVoltage", 17000}});
    }
  }

  DeviceGrid* Grid() { return view_->Grid(); }
  EditableGridModel* Model() { return view_->GridModel(); }
  int Rows() { return Model()->rowCount(); }
  void SetCell(int row, int column, const QVariant& value) {
    ASSERT_TRUE(Model()->setData(Model()->index(row, column), value)) << row << "," << column;
  }
  void CompleteRow(int row) {
    SetCell(row, kType, "Optical Detector");
    SetCell(row, kSubType, "VD-OD200");
    SetCell(row, kQuantity, "2");
  }
  void SetCurrent(int row, int column) {
    Grid()->setFocus();
    Grid()->setCurrentIndex(Model()->index(row, column));
  }
  std::pair<int, int> Current() {
    return {Grid()->currentIndex().row(), Grid()->currentIndex().column()};
  }
  qint64 StoredRows() {
    return W().Doc().Db().Count("Devices", Filter::Equals("Panel", 1).And("Loop", 1));
  }
  void ClickCell(int row, int column) {
    const QRect cell = Grid()->visualRect(Model()->index(row, column));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  // The drop-down of the sub-type editor after a click into the cell: (rows shown, the codes
  // of its entries).
  std::pair<int, QStringList> SubTypeDropDown(int row) {
    ClickCell(row, kSubType);
    auto* editor = qobject_cast<QComboBox*>(Grid()->indexWidget(Model()->index(row, kSubType)));
    if (editor == nullptr) return {-1, {}};
    QStringList entries;
    for (int i = 0; i < editor->count(); ++i) entries << editor->itemData(i).toString();
    const int shown = editor->maxVisibleItems();
    editor->hidePopup();
    Grid()->setCurrentIndex(Model()->index(row, kQuantity));  // closes the editor
    Settle();
    return {shown, entries};
  }

  std::unique_ptr<TFormDeviceDetails> view_;
};

TEST_F(DeviceDetailsFormTest, ShowsTheLoopAndItsRowsUnderCentredTitles) {
  EXPECT_EQ(view_->findChild<QComboBox*>("ComboBoxCableSpec")->currentText(), "0.8 mm²");
  EXPECT_EQ(view_->findChild<QLineEdit*>("EditLoopLength")->text(), "500");
  EXPECT_EQ(view_->findChild<QSpinBox*>("SpinEditAlarmIndicators")->value(), 10);
  EXPECT_TRUE(view_->findChild<QCheckBox*>("CheckBoxSpread")->isChecked());
  EXPECT_FALSE(view_->findChild<QCheckBox*>("CheckBoxOneLocation")->isChecked());
  EXPECT_EQ(view_->findChild<QSpinBox*>("SpinEditSpreadFirst")->value(), 25);
  EXPECT_EQ(view_->findChild<QLineEdit*>("EditSpreadLast")->text(), "25");
  EXPECT_EQ(view_->findChild<QSpinBox*>("SpinEditOneLocationFirst")->minimum(), 1);
  EXPECT_EQ(view_->findChild<QSpinBox*>("SpinEditOneLocationFirst")->maximum(), 3000);
  EXPECT_EQ(view_->findChild<QSpinBox*>("SpinEditSpreadFirst")->maximum(), 1500);
  EXPECT_EQ(view_->findChild<QSpinBox*>("SpinEditOneLocationFirst")->toolTip(),
            "Distance between panel and first device, in meter");

  ASSERT_EQ(Rows(), 1);
  const QStringList titles = {"Loop Number",     "Quantity of Devices",    "Device Type",
                              "Device Sub-Type", "Quiescent Current (mA)", "Alarm Current (mA)"};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(Model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    EXPECT_EQ(Model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignCenter | Qt::TextWordWrap));
    // Its share of the view, which here is wide enough for the longest word of every caption.
    EXPECT_EQ(Grid()->columnWidth(c), int(std::lround(view_->DevicesArea()->width() *
                                                      TFormDeviceDetails::kColumnShares[c])));
  }
  // "Quantity of Devices" does not fit its share on one line: the header holds two.
  EXPECT_GE(Grid()->horizontalHeader()->height(),
            2 * QFontMetrics(Grid()->horizontalHeader()->font()).lineSpacing());
  EXPECT_TRUE(Grid()->isColumnHidden(6));
  EXPECT_EQ(Model()->data(Model()->index(0, 0)).toInt(), 1);

  // The columns follow their part of the view, when the view is resized and when the splitter
  // beside them moves.
  view_->resize(1300, 420);
  Settle();
  const int wide = view_->DevicesArea()->width();
  EXPECT_GT(wide, 700);
  EXPECT_EQ(Grid()->columnWidth(kType), int(std::lround(wide * 0.17)));
  QSplitter* splitter = view_->ProfileSplitter();
  splitter->setSizes({splitter->width() - 400, 400});
  Settle();
  EXPECT_NE(view_->DevicesArea()->width(), wide);
  EXPECT_EQ(Grid()->columnWidth(kType), int(std::lround(view_->DevicesArea()->width() * 0.17)));
  for (const char* name : {"PanelOneLocation", "PanelSpread"}) {
    auto* space = view_->findChild<QWidget*>(name);
    ASSERT_NE(space, nullptr);
    auto* diagram = space->findChild<LoopDiagram*>();
    EXPECT_EQ(diagram->x(), (space->width() - LoopDiagram::kWidth) / 2) << name;
  }
}

// The loop on 0.5 mm² (36 ohm/km): 800 m are 57.6 ohm [E03]; 650 m 46.8 ohm, 90 % of 52 ohm.
TEST_F(DeviceDetailsFormTest, TheLoopsStatusSaysWhyAndHowMuchRoomIsLeft) {
  auto* status = view_->findChild<LoopStatusPanel*>("PanelLoopStatus");
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->isVisible());
  EXPECT_EQ(status->Status()->text(), "Loop OK");
  EXPECT_EQ(status->Headroom()->text(),
            "Current 0\u00a0% of the limit (0.0 of 500 mA), 27.000 V left at the devices");
  EXPECT_FALSE(status->Explanation()->isVisible());

  auto* cable = view_->findChild<QComboBox*>("ComboBoxCableSpec");
  cable->setCurrentIndex(0);
  emit cable->activated(0);
  auto* length = view_->findChild<QLineEdit*>("EditLoopLength");
  const auto type_length = [length](const char* metres) {
    length->setFocus();
    length->selectAll();
    QTest::keyClicks(length, metres);
    QTest::keyClick(length, Qt::Key_Return);
    Settle();
  };
  type_length("800");
  EXPECT_EQ(status->Status()->text(), "Loop Overload [E03]");
  EXPECT_TRUE(status->Explanation()->isVisible());
  EXPECT_EQ(status->Explanation()->text(), "E03: loop resistance 57.60 Ω, above the limit of 52 Ω");
  const QString overload_style = status->Status()->styleSheet();

  type_length("650");
  EXPECT_EQ(status->Status()->text(), "Loop OK, near the limit");
  EXPECT_EQ(status->Explanation()->text(),
            "Loop resistance 46.80 Ω: 90\u00a0% of the limit of 52 Ω");
  EXPECT_FALSE(status->Status()->styleSheet().isEmpty());
  EXPECT_NE(status->Status()->styleSheet(), overload_style);
  // The stored status of a loop near the limit stays.
  EXPECT_EQ(Cell("Loops", Filter::Equals("PanelNumber", 1).And("LoopNumber", 1), "OK").toString(),
            "Loop OK");

  // Undone, the view tells the overload again.
  ASSERT_EQ(E().Undo().status, action::Status::kDone);
  Settle();
  EXPECT_EQ(status->Status()->text(), "Loop Overload [E03]");
  prompter_.Clear();
}

TEST_F(DeviceDetailsFormTest, EditsReachTheDeviceRulesAndRefreshTheRow) {
  CompleteRow(0);
  EXPECT_EQ(Cell("Devices", Filter::Equals("Panel", 1), "DeviceQuantity").toInt(), 2);
  EXPECT_EQ(Model()->data(Model()->index(0, 4)).toString(), "0.6");
  EXPECT_EQ(Model()->data(Model()->index(0, 5)).toString(), "8");
  // A type that is not in the list is refused; the row keeps its type.
  SetCell(0, kType, "No Such Type");
  EXPECT_EQ(prompter_.Warnings(),
            QStringList({"Not a valid value. Select a value from the list."}));
  EXPECT_EQ(Model()->data(Model()->index(0, kType)).toString(), "Optical Detector");
  EXPECT_EQ(Cell("Devices", Filter::Equals("Panel", 1), "DeviceTypeText").toString(),
            "Optical Detector");
  prompter_.Clear();
  // A quantity that is no number never reaches the row.
  EXPECT_FALSE(Model()->setData(Model()->index(0, kQuantity), "two"));
  EXPECT_EQ(prompter_.Warnings(), QStringList({"'two' is not a valid integer value"}));
  EXPECT_EQ(Cell("Devices", Filter::Equals("Panel", 1), "DeviceQuantity").toInt(), 2);
}

TEST_F(DeviceDetailsFormTest, DownOnTheLastRowAddsARowOnlyWhenTheRowIsComplete) {
  SetCurrent(0, kQuantity);
  QTest::keyClick(Grid(), Qt::Key_Down);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(StoredRows(), 1);

  CompleteRow(0);
  SetCurrent(0, kQuantity);
  QTest::keyClick(Grid(), Qt::Key_Down);
  Settle();
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(StoredRows(), 2);
  EXPECT_EQ(Current(), std::make_pair(1, kQuantity));
  EXPECT_TRUE(Grid()->hasFocus());

  QTest::keyClick(Grid(), Qt::Key_Down);  // the new row is empty
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Current(), std::make_pair(1, kQuantity));

  SetCurrent(0, kType);  // not the last row: Down just moves
  QTest::keyClick(Grid(), Qt::Key_Down);
  EXPECT_EQ(Current(), std::make_pair(1, kType));
  EXPECT_EQ(Rows(), 2);
}

TEST_F(DeviceDetailsFormTest, TabMovesOnExceptInTheSubTypeColumnOfACompleteLastRow) {
  SetCurrent(0, kQuantity);
  QTest::keyClick(Grid(), Qt::Key_Tab);
  EXPECT_EQ(Current(), std::make_pair(0, kType));
  // Out of an open quantity editor as well, the quantity written on the way.
  SetCurrent(0, kQuantity);
  Grid()->edit(Model()->index(0, kQuantity));
  auto* quantity = qobject_cast<QLineEdit*>(Grid()->indexWidget(Model()->index(0, kQuantity)));
  ASSERT_NE(quantity, nullptr);
  quantity->selectAll();
  QTest::keyClicks(quantity, "3");
  QTest::keyClick(quantity, Qt::Key_Tab);
  Settle();
  EXPECT_EQ(Current(), std::make_pair(0, kType));
  EXPECT_EQ(Cell("Devices", Filter::Equals("Panel", 1), "DeviceQuantity").toInt(), 3);
  EXPECT_EQ(Rows(), 1);
  SetCurrent(0, kSubType);
  QTest::keyClick(Grid(), Qt::Key_Tab);  // incomplete: swallowed, nothing added
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Current(), std::make_pair(0, kSubType));

  CompleteRow(0);
  SetCurrent(0, kType);
  QTest::keyClick(Grid(), Qt::Key_Tab);
  EXPECT_EQ(Current(), std::make_pair(0, kSubType));
  EXPECT_EQ(Rows(), 1);
  QTest::keyClick(Grid(), Qt::Key_Tab);
  Settle();
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Current(), std::make_pair(1, kQuantity));

  // Tab out of the open sub-type editor counts the same.
  CompleteRow(1);
  SetCurrent(1, kSubType);
  Grid()->edit(Model()->index(1, kSubType));
  auto* editor = qobject_cast<QComboBox*>(Grid()->indexWidget(Model()->index(1, kSubType)));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor->lineEdit(), Qt::Key_Tab);
  Settle();

  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(Current(), std::make_pair(2, kQuantity));
}

TEST_F(DeviceDetailsFormTest, TheSubTypeListIsRefilledSortedOnAClickAndDropsDownAtLeast15Rows) {
  SetCell(0, kType, "Test Sensor A");
  const auto [long_rows, long_entries] = SubTypeDropDown(0);
  EXPECT_EQ(long_rows, 20);
  ASSERT_EQ(long_entries.size(), 20);
  EXPECT_EQ(long_entries.first(), "T90-01");
  EXPECT_EQ(long_entries.last(), "T90-20");

  SetCell(0, kType, "Test Sensor B");
  const auto [short_rows, short_entries] = SubTypeDropDown(0);
  EXPECT_EQ(short_rows, 15);
  EXPECT_EQ(short_entries, QStringList({"T91-01", "T91-02", "T91-03"}));

  // A row without a type leaves the list as it was.
  SetCell(0, kType, "");
  const auto [rows, entries] = SubTypeDropDown(0);
  EXPECT_EQ(entries, short_entries);
}

TEST_F(DeviceDetailsFormTest, OneClickOpensAListAndTheSubTypesShowTheirCurrents) {
  SetCurrent(0, kQuantity);
  ClickCell(0, kType);  // a cell that was not selected: one click
  Settle();
  auto* types = qobject_cast<QComboBox*>(Grid()->indexWidget(Model()->index(0, kType)));
  ASSERT_NE(types, nullptr);
  EXPECT_TRUE(types->view()->isVisible());
  types->hidePopup();
  Grid()->setCurrentIndex(Model()->index(0, kQuantity));
  Settle();

  SetCell(0, kType, "Test Sensor B");
  ClickCell(0, kSubType);
  Settle();
  auto* sub_types = qobject_cast<QComboBox*>(Grid()->indexWidget(Model()->index(0, kSubType)));
  ASSERT_NE(sub_types, nullptr);
  EXPECT_TRUE(sub_types->view()->isVisible());
  ASSERT_EQ(sub_types->count(), 3);
  EXPECT_EQ(sub_types->itemText(1), "T91-02   (0.30 mA / 4.00 mA)");
  // The entry picked from the list stores its code.
  sub_types->view()->setCurrentIndex(sub_types->model()->index(1, 0));
  QTest::keyClick(sub_types->view(), Qt::Key_Return);
  Settle();
  EXPECT_EQ(Cell("Devices", Filter::Equals("Panel", 1), "DeviceSub-Type").toString(), "T91-02");
  EXPECT_EQ(Model()->data(Model()->index(0, kSubType)).toString(), "T91-02");

  // A click into the cell that is already the chosen one opens its list at once too, as wide as
  // its longest entry.
  ASSERT_EQ(Grid()->currentIndex(), Model()->index(0, kSubType));
  ClickCell(0, kSubType);
  Settle();
  auto* again = qobject_cast<QComboBox*>(Grid()->indexWidget(Model()->index(0, kSubType)));
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(again->view()->isVisible());
  EXPECT_GT(again->view()->width(),
            again->view()->fontMetrics().horizontalAdvance("T91-02   (0.30 mA / 4.00 mA)"));
  again->hidePopup();
}

TEST_F(DeviceDetailsFormTest, AddingFromTheMenuNeedsACompleteRow) {
  QMenu* menu = view_->PopupMenu();
  QAction* add = menu->findChild<QAction*>("AddRowOfDevices");
  ASSERT_NE(add, nullptr);
  emit menu->aboutToShow();
  EXPECT_FALSE(add->isEnabled());
  CompleteRow(0);
  emit menu->aboutToShow();
  EXPECT_TRUE(add->isEnabled());
  add->trigger();
  Settle();
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Current(), std::make_pair(1, kQuantity));

  prompter_.AnswerYes();
  menu->findChild<QAction*>("DeleteRowOfDevices")->trigger();
  EXPECT_EQ(prompter_.Texts(), QStringList({"Are you sure you want to delete this row?"}));
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(StoredRows(), 1);
}

TEST_F(DeviceDetailsFormTest, SpinFieldsReactToEveryDigitTyped) {
  auto* alarms = view_->findChild<QSpinBox*>("SpinEditAlarmIndicators");
  const Filter loop = Filter::Equals("PanelNumber", 1).And("LoopNumber", 1);
  alarms->setFocus();
  alarms->selectAll();
  QTest::keyClick(alarms, Qt::Key_1);
  EXPECT_EQ(Cell("Loops", loop, "AlarmIndicators").toInt(), 1);
  QTest::keyClick(alarms, Qt::Key_2);
  EXPECT_EQ(Cell("Loops", loop, "AlarmIndicators").toInt(), 12);

  // Each digit of a distance is handled on its own: 3, 30, then 300 is too much for 500 m.
  auto* v3 = view_->findChild<QSpinBox*>("SpinEditSpreadFirst");
  v3->setFocus();
  v3->selectAll();
  QTest::keyClicks(v3, "300");
  EXPECT_EQ(prompter_.Warnings(),
            QStringList({"Value to Large. Value must be less than half the total cable length."}));
  EXPECT_EQ(Cell("Loops", loop, "SpreadLength").toInt(), 30);
  EXPECT_EQ(v3->value(), 30);
}

// The profile beside the grid is worked out again by every change of the loop, undo and redo
// included, before the call that made the change returns: it is up to date in the frame the
// change is painted in.
TEST_F(DeviceDetailsFormTest, TheProfileFollowsEveryChangeOfTheLoopAtOnce) {
  LoopProfileView* profile = view_->ProfileView();
  ASSERT_NE(profile, nullptr);
  auto* status = view_->findChild<QLabel*>("LabelLoopStatus");
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(profile->Figure());
  EXPECT_TRUE(profile->Figure()->distance.empty());
  EXPECT_EQ(status->text(), "Loop OK");

  CompleteRow(0);
  ASSERT_EQ(profile->Figure()->distance.size(), 2u);
  EXPECT_EQ(profile->Figure()->length, 500);
  const double broken = profile->Figure()->broken.front();
  EXPECT_LT(broken, profile->Figure()->supply_v);

  auto* length = view_->findChild<QLineEdit*>("EditLoopLength");
  length->setText("1500");
  length->setModified(true);
  emit length->editingFinished();
  EXPECT_EQ(profile->Figure()->length, 1500);
  EXPECT_LT(profile->Figure()->broken.front(), broken);

  ASSERT_EQ(E().Undo().status, action::Status::kDone);
  EXPECT_EQ(profile->Figure()->length, 500);
  EXPECT_EQ(profile->Figure()->broken.front(), broken);
  // The check's own figure stands beside the curves.
  EXPECT_NEAR(
      profile->Figure()->lumped_u,
      profile->Figure()->supply_v -
          Cell("Loops", Filter::Equals("PanelNumber", 1).And("LoopNumber", 1), "Drop").toDouble(),
      1e-9);
}

TEST_F(DeviceDetailsFormTest, AdvisoriesStandBesideTheStatusAndChangeNothingStored) {
  auto* status = view_->findChild<QLabel*>("LabelLoopStatus");
  auto* mark = view_->findChild<QLabel*>("LabelAdvisoryMark");
  auto* advisories = view_->findChild<QLabel*>("LabelAdvisories");
  ASSERT_TRUE(status && mark && advisories);
  EXPECT_FALSE(mark->isVisible());
  EXPECT_FALSE(advisories->isVisible());

  // 40 detectors and no isolator: all of them lost to one short circuit.
  const Filter loop = Filter::Equals("PanelNumber", 1).And("LoopNumber", 1);
  SetCell(0, kType, "Test Sensor A");
  SetCell(0, kSubType, "T90-01");
  SetCell(0, kQuantity, "40");
  EXPECT_TRUE(mark->isVisible());
  EXPECT_TRUE(advisories->isVisible());
  EXPECT_EQ(advisories->text(), "More than 32 devices per isolator section");
  EXPECT_NE(advisories->palette().color(QPalette::WindowText),
            status->palette().color(QPalette::WindowText));
  // The status is the check's, as stored.
  EXPECT_EQ(status->text(), Cell("Loops", loop, "OK").toString());
  EXPECT_EQ(status->text(), "Loop OK");
  EXPECT_EQ(Cell("Loops", loop, "OKBoolean").toInt(), 1);
  // The profile's own line of advisories gives way to this one.
  EXPECT_EQ(view_->ProfileView()->Advisories(), QStringList{advisories->text()});

  SetCell(0, kQuantity, "30");
  EXPECT_FALSE(mark->isVisible());
  EXPECT_FALSE(advisories->isVisible());
}

}  // namespace
}  // namespace velmora::ui
