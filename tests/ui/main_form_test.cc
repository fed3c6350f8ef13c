#include "ui/main_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QJsonValue>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWindow>
#include <cmath>
#include <tuple>

#include "action/editor.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/translation.h"
#include "main_window_run.h"
#include "site/database.h"
#include "site/table.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "ui/about_form.h"
#include "ui/device_details_form.h"
#include "ui/site_details_form.h"
#include "ui/start_screen_form.h"
#include "ui/tree_view_form.h"
#include "widget_test.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

using site::DetailView;
using site::Filter;

// The main window over a run of the shipped catalogue, in a program folder of its own, with
// the installation folder set in the machine settings.
class MainFormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
    QDir().mkpath(home_.Path("machine/Velmora"));
    QFile ini(home_.Path("machine/Velmora/Velmora.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nInstall=/opt/velmora\n");
    ini.close();
    testing::OpenMainWindow(home_, prompter_, workspace_, editor_, form_);
    form_->resize(1200, 800);
  }

  void TearDown() override { testing::CloseMainWindow(workspace_, editor_, form_); }

  void Show() {
    form_->show();
    QCoreApplication::processEvents();
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = form_->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  QTreeWidget* Tree() { return form_->TreeView()->Tree(); }
  QTreeWidgetItem* RootItem() { return Tree()->topLevelItem(0); }
  QWidget* ViewOnShow() { return Find<QStackedWidget>("PanelDetails")->currentWidget(); }

  void AddPanelFromToolBar() {
    QWidget* button =
        Find<QToolBar>("ToolBarTree")->widgetForAction(form_->TreeView()->AddPanelAction());
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
  }

  void ClickItem(QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton) {
    Tree()->scrollToItem(item);
    const QPoint centre = Tree()->visualItemRect(item).center();
    QTest::mouseClick(Tree()->viewport(), button, {}, centre);
    QCoreApplication::processEvents();
  }

  qint64 Rows(const QString& table) { return workspace_->Doc().Db().Count(table); }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<action::Editor> editor_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormTest, AfterStartTheSiteIsOnShowAndTheStartScreenFollowsHalfASecondLater) {
  QSignalSpy start_screen(form_.get(), &TMainForm::StartScreenShown);
  QElapsedTimer clock;
  clock.start();
  Show();

  // A new site has never been saved (the exit asks about it), and the caption's mark says so.
  EXPECT_EQ(form_->windowHandle()->title(), "Velmora 2.09*");
  EXPECT_EQ(editor_->Views().Current(), DetailView::kSite);
  EXPECT_EQ(ViewOnShow(), form_->SiteDetails());
  ASSERT_EQ(Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(RootItem()->text(0), "Panels 0 / Loops 0");
  EXPECT_EQ(RootItem()->childCount(), 0);
  EXPECT_EQ(Find<QLabel>("LabelCaption")->text(), "Site:");
  ASSERT_EQ(form_->TabStrip()->count(), 1);
  EXPECT_EQ(form_->TabStrip()->tabText(0), "Site");
  EXPECT_EQ(form_->ReportProjectFile(), "/opt/velmora/print.rav");
  EXPECT_FALSE(form_->StartScreen()->isVisible());

  ASSERT_TRUE(start_screen.wait(3000));
  const qint64 elapsed = clock.elapsed();
  EXPECT_GE(elapsed, 450);
  EXPECT_LT(elapsed, 2000);
  TFormStartScreen* screen = form_->StartScreen();
  EXPECT_TRUE(screen->isVisible());
  EXPECT_TRUE(screen->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(screen->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(screen->windowTitle(), "Velmora");
  EXPECT_EQ(screen->findChild<QTextEdit*>("MemoDisclaimer")->toPlainText(),
            "\n" + i18n::Text(i18n::Msg::kDisclaimer1) + i18n::Text(i18n::Msg::kDisclaimer2));
  QTest::mouseClick(screen->findChild<QPushButton*>("ButtonAccept"), Qt::LeftButton);
  EXPECT_FALSE(screen->isVisible());
  // Once per run.
  QTest::qWait(700);
  EXPECT_EQ(start_screen.count(), 1);
}

TEST_F(MainFormTest, TheTreeToolBarAddsAPanelWithItsTabNodesAndRows) {
  Show();
  AddPanelFromToolBar();

  ASSERT_EQ(form_->TabStrip()->count(), 2);
  EXPECT_EQ(form_->TabStrip()->currentIndex(), 1);
  EXPECT_EQ(form_->TabStrip()->tabText(1), "Panel1");
  EXPECT_FALSE(form_->TabStrip()->tabIcon(1).isNull());
  const qint64 loops = Rows("Loops");
  ASSERT_GT(loops, 0);
  ASSERT_EQ(RootItem()->childCount(), 1);
  QTreeWidgetItem* panel = RootItem()->child(0);
  EXPECT_EQ(panel->text(0), "Panel1");
  ASSERT_EQ(panel->childCount(), loops + 1);
  EXPECT_EQ(panel->child(0)->text(0), "Loop 1");
  EXPECT_EQ(panel->child(int(loops))->text(0), "Outputs");
  EXPECT_TRUE(RootItem()->isExpanded());
  EXPECT_EQ(Tree()->currentItem(), panel);
  EXPECT_EQ(RootItem()->text(0), QString("Panels 1 / Loops %1").arg(loops));
  EXPECT_EQ(Rows("Panels"), 1);
  EXPECT_EQ(editor_->Views().Current(), DetailView::kPanel);
  EXPECT_EQ(ViewOnShow(), form_->ViewWidget(DetailView::kPanel));
  EXPECT_EQ(form_->PanelGrid()->model()->rowCount(), 1);
  ASSERT_NE(form_->CurrentsGrid(1), nullptr);
  EXPECT_EQ(form_->CurrentsGrid(1)->model()->rowCount(), Rows("Currents"));
  EXPECT_GT(Rows("Currents"), 0);
  EXPECT_FALSE(workspace_->State().SiteSaved());
}

TEST_F(MainFormTest, TheTreeToolBarHasAddPanelLeftAndTheFourExpandButtonsRight) {
  Show();
  QToolBar* bar = Find<QToolBar>("ToolBarTree");
  EXPECT_EQ(bar->height(), 23);
  QStringList hints;
  std::vector<int> lefts;
  for (const char* name :
       {"AddPanel", "ExpandAll", "CollapseAll", "ExpandPanelDetails", "CollapsePanelDetails"}) {
    QAction* action = form_->TreeView()->findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    QWidget* button = bar->widgetForAction(action);
    ASSERT_NE(button, nullptr) << name;
    hints << button->toolTip();
    lefts.push_back(button->geometry().left());
  }
  EXPECT_EQ(hints, QStringList({"Add Panel", "Expand All", "Collapse All", "Expand Panel Details",
                                "Collapse Panel Details"}));
  EXPECT_TRUE(std::is_sorted(lefts.begin(), lefts.end()));
  EXPECT_LT(lefts[0], bar->width() / 3);
  EXPECT_GT(lefts[1], bar->width() / 2);
  EXPECT_EQ(Tree()->toolTip(), "Right click to add or remove panels");
  EXPECT_EQ(Tree()->indentation(), 19);
}

TEST_F(MainFormTest, ChoosingALoopNodeShowsTheDeviceViewForThatLoop) {
  Show();
  auto* devices_view = new QWidget;
  devices_view->setObjectName("DevicesViewUnderTest");
  form_->SetDetailView(DetailView::kDevices, devices_view);
  AddPanelFromToolBar();
  QTreeWidgetItem* panel = RootItem()->child(0);
  ASSERT_GE(panel->childCount(), 3);

  ClickItem(panel->child(0));
  EXPECT_EQ(editor_->Views().Current(), DetailView::kDevices);
  EXPECT_EQ(ViewOnShow(), devices_view);
  EXPECT_EQ(editor_->Shown(), (action::Focus{DetailView::kDevices, 1, 1}));
  EXPECT_EQ(editor_->LoopForm().loop, 1);

  // The keyboard moves to the next loop, and the view follows it.
  QTest::keyClick(Tree(), Qt::Key_Down);
  EXPECT_EQ(Tree()->currentItem(), panel->child(1));
  EXPECT_EQ(editor_->LoopForm().loop, 2);

  // A right press chooses the node under the mouse first.
  QTreeWidgetItem* outputs = panel->child(panel->childCount() - 1);
  Tree()->scrollToItem(outputs);
  QTest::mousePress(Tree()->viewport(), Qt::RightButton, {},
                    Tree()->visualItemRect(outputs).center());
  QTest::mouseRelease(Tree()->viewport(), Qt::RightButton, {},
                      Tree()->visualItemRect(outputs).center());
  EXPECT_EQ(editor_->Shown(), (action::Focus{DetailView::kOutputs, 1, 0}));
  EXPECT_EQ(editor_->Views().Current(), DetailView::kOutputs);

  ClickItem(RootItem());
  EXPECT_EQ(editor_->Views().Current(), DetailView::kSite);
  EXPECT_EQ(form_->TabStrip()->currentIndex(), 0);
}

TEST_F(MainFormTest, EditingTheSiteNameRenamesTheTreeWindow) {
  Show();
  auto* name = Find<QLineEdit>("DBEditSiteName");
  name->selectAll();
  QTest::keyClicks(name, "Harbour");
  EXPECT_EQ(Find<QLabel>("LabelCaption")->text(), "Site : Harbour");
  EXPECT_EQ(form_->TreeView()->windowTitle(), "Site : Harbour");
  site::Table& site = workspace_->Doc().Site();
  site.First();
  EXPECT_EQ(site.Text("SiteName"), "Harbour");
}

TEST_F(MainFormTest, TheSiteFieldsHoldWhatWasTyped) {
  Show();
  auto* city = Find<QLineEdit>("DBEditCity");
  EXPECT_EQ(city->text(), "");  // the new site's blank shows as an empty field
  city->setFocus();
  QTest::keyClicks(city, "Bremen");
  EXPECT_EQ(city->text(), "Bremen");
  site::Table& site = workspace_->Doc().Site();
  site.First();
  EXPECT_EQ(site.Text("City"), "Bremen");  // stored without the blank

  // A stored file with the blank in a field opens with the field empty.
  const QString file = home_.Path("Sites/blanks.mdb");
  home_.CopyFromBuild("Sites/small-office.mdb");
  QFile::copy(home_.Path("Sites/small-office.mdb"), file);
  ASSERT_TRUE(QFile::exists(file));
  {
    site::Database db("blanks", file);
    db.Open();
    db.Execute("UPDATE \"Site\" SET \"City\" = ' '");
  }
  ASSERT_TRUE(workspace_->OpenSiteFile(file));
  QCoreApplication::processEvents();
  EXPECT_EQ(city->text(), "");
}

TEST_F(MainFormTest, TheSiteViewHasItsSixteenFieldsInKeyboardOrder) {
  Show();
  QStringList labels;
  for (const QLabel* label : form_->SiteDetails()->findChildren<QLabel*>()) {
    EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
    labels << label->text();
  }
  EXPECT_EQ(labels, QStringList({"Site Name", "Site Date", "Contact Name", "Address Line 1",
                                 "Address Line 2", "City", "State/Province", "Postal Code",
                                 "Country", "Phone", "Fax", "Email", "Comment", "Sales Channel",
                                 "System Standby Time", "Alarm Time"}));
  QStringList order;
  QWidget* field = Find<QLineEdit>("DBEditSiteName");
  for (int step = 0; step < 60 && order.size() < 16; ++step) {
    const QString name = field->objectName();
    if ((field->focusPolicy() & Qt::TabFocus) &&
        (name.startsWith("DBEdit") || name.startsWith("DBMemo") || name.startsWith("ComboBox")))
      order << name;
    field = field->nextInFocusChain();
  }
  EXPECT_EQ(
      order,
      QStringList({"DBEditSiteName", "DBEditSiteDate", "DBEditContactName", "DBEditAddressLine1",
                   "DBEditAddressLine2", "DBEditCity", "DBEditStateProvince", "DBEditPostalCode",
                   "DBEditCountry", "DBEditPhone", "DBEditFax", "DBEditEmail", "DBMemoComment",
                   "ComboBoxStandbyTime", "ComboBoxAlarmTime", "ComboBoxSalesChannel"}));
  for (const char* list : {"ComboBoxStandbyTime", "ComboBoxAlarmTime", "ComboBoxSalesChannel"})
    EXPECT_FALSE(Find<QComboBox>(list)->isEditable()) << list;
}

TEST_F(MainFormTest, ASalesChannelChangeIsAskedAndOnOkEmptiesTheSite) {
  Show();
  AddPanelFromToolBar();
  ClickItem(RootItem());
  auto* name = Find<QLineEdit>("DBEditSiteName");
  name->selectAll();
  QTest::keyClicks(name, "Harbour");
  auto* channel = Find<QComboBox>("ComboBoxSalesChannel");
  ASSERT_EQ(channel->currentText(), "Tarvik");

  prompter_.AnswerOk(false);
  QTest::keyClick(channel, Qt::Key_Down);
  EXPECT_EQ(prompter_.Texts(), QStringList{"All site data will de deleted?"});
  EXPECT_EQ(channel->currentText(), "Tarvik");
  EXPECT_EQ(form_->TabStrip()->count(), 2);
  EXPECT_EQ(RootItem()->childCount(), 1);
  EXPECT_EQ(name->text(), "Harbour");

  prompter_.AnswerOk(true);
  QTest::keyClick(channel, Qt::Key_Down);
  QCoreApplication::processEvents();
  EXPECT_EQ(channel->currentText(), "Halvo");
  EXPECT_EQ(form_->TabStrip()->count(), 1);
  EXPECT_EQ(RootItem()->childCount(), 0);
  EXPECT_EQ(RootItem()->text(0), "Panels 0 / Loops 0");
  EXPECT_EQ(name->text(), "");
  EXPECT_EQ(Find<QComboBox>("ComboBoxStandbyTime")->currentText(), "24 Hours");
  EXPECT_EQ(Rows("Panels"), 0);
  EXPECT_EQ(form_->PanelGrid()->model()->rowCount(), 0);
}

TEST_F(MainFormTest, PickingATabShowsThePanelOrTheSite) {
  Show();
  AddPanelFromToolBar();
  QTabBar* bar = form_->TabStrip()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
  QCoreApplication::processEvents();
  EXPECT_EQ(editor_->Views().Current(), DetailView::kSite);
  EXPECT_EQ(Rows("Currents"), 0);
  EXPECT_EQ(Tree()->currentItem(), RootItem());

  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  QCoreApplication::processEvents();
  EXPECT_EQ(editor_->Views().Current(), DetailView::kPanel);
  EXPECT_EQ(Tree()->currentItem(), RootItem()->child(0));
  EXPECT_GT(Rows("Currents"), 0);
  EXPECT_EQ(form_->CurrentsGrid(1)->model()->rowCount(), Rows("Currents"));
  EXPECT_FALSE(editor_->PanelForm().BatteryText().isEmpty());
}

TEST_F(MainFormTest, GridColumnsKeepTheirSharesOfTheHeaderStripOnResize) {
  Show();
  AddPanelFromToolBar();
  for (const QSize size : {QSize(1000, 700), QSize(1500, 900)}) {
    form_->resize(size);
    QCoreApplication::processEvents();
    // Every page of the strip is as wide as the site page's header strip; the panel page is on
    // show.
    const int width = form_->TabStrip()->currentWidget()->width();
    ASSERT_GT(width, 0);
    const double panel_shares[] = {0.20, 0.24, 0.14, 0.14, 0.24};
    for (int c = 0; c < 5; ++c)
      EXPECT_EQ(form_->PanelGrid()->columnWidth(c), std::lround(width * panel_shares[c])) << c;
    const double current_shares[] = {0.26, 0.20, 0.20, 0.30};
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(form_->CurrentsGrid(1)->columnWidth(c), std::lround(width * current_shares[c]))
          << c;
  }
  const QStringList titles = {"Panel Name", "OK", "Quiescent Current (mA)", "Alarm Current (mA)",
                              "Battery Capacity (Ah)"};
  QAbstractItemModel* model = form_->PanelGrid()->model();
  ASSERT_EQ(model->columnCount(), 5);
  for (int c = 0; c < 5; ++c) EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), titles[c]);
}

TEST_F(MainFormTest, TheEditMenuNamesTheStepsAndFollowsTheHistory) {
  Show();
  QAction* undo = form_->findChild<QAction*>("Undo");
  QAction* redo = form_->findChild<QAction*>("Redo");
  ASSERT_NE(undo, nullptr);
  ASSERT_NE(redo, nullptr);
  EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
  EXPECT_EQ(redo->shortcut(), QKeySequence(QKeySequence::Redo));
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
  EXPECT_EQ(undo->text(), "Undo");

  AddPanelFromToolBar();
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_EQ(undo->text(), "Undo Add panel");
  EXPECT_TRUE(form_->isWindowModified());

  // The keys, as the user presses them in the tree.
  Tree()->setFocus();
  QTest::keySequence(Tree(), QKeySequence::Undo);
  QCoreApplication::processEvents();
  EXPECT_EQ(Rows("Panels"), 0);
  EXPECT_EQ(form_->TabStrip()->count(), 1);
  EXPECT_EQ(RootItem()->childCount(), 0);
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_TRUE(redo->isEnabled());
  EXPECT_EQ(redo->text(), "Redo Add panel");
  EXPECT_EQ(ViewOnShow(), form_->SiteDetails());

  QTest::keySequence(Tree(), QKeySequence::Redo);
  QCoreApplication::processEvents();
  EXPECT_EQ(Rows("Panels"), 1);
  EXPECT_EQ(form_->TabStrip()->count(), 2);
  EXPECT_EQ(RootItem()->childCount(), 1);
  EXPECT_EQ(form_->PanelGrid()->model()->rowCount(), 1);
  EXPECT_EQ(undo->text(), "Undo Add panel");
  EXPECT_FALSE(redo->isEnabled());
}

// A loop's devices are copied to another loop from the tree's menu, as one step of the history.
TEST_F(MainFormTest, TheTreeMenuCopiesALoopsDevicesToAnotherLoop) {
  Show();
  AddPanelFromToolBar();
  for (auto [name, key, value] :
       {std::tuple{"set-device-type", "type", QJsonValue("Optical Detector")},
        std::tuple{"set-device-sub-type", "sub_type", QJsonValue("VD-OD200")},
        std::tuple{"set-device-quantity", "quantity", QJsonValue(4)}}) {
    ASSERT_TRUE(editor_
                    ->Execute(action::Action::Make(
                        name, {{"panel", 1}, {"loop", 1}, {"row", 1}, {key, value}}))
                    .Carried())
        << name;
  }
  const Filter loop2 = electrical::DevicesOfLoop(1, 2);
  const qint64 before = workspace_->Doc().Db().Count("Devices", loop2);
  QAction* copy = form_->TreeView()->CopyDevicesAction();
  QAction* paste = form_->TreeView()->PasteDevicesAction();
  QTreeWidgetItem* panel = RootItem()->child(0);

  ClickItem(panel->child(0));
  emit form_->findChild<QMenu*>("PopupMenuTree")->aboutToShow();
  EXPECT_TRUE(copy->isEnabled());
  EXPECT_FALSE(paste->isEnabled());  // nothing copied yet
  copy->trigger();
  emit form_->findChild<QMenu*>("PopupMenuTree")->aboutToShow();
  EXPECT_FALSE(paste->isEnabled());  // not onto the loop itself

  ClickItem(panel->child(1));
  emit form_->findChild<QMenu*>("PopupMenuTree")->aboutToShow();
  ASSERT_TRUE(paste->isEnabled());
  paste->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(prompter_.Warnings(), QStringList{});
  const std::vector<site::Row> copied = workspace_->Doc().Db().Select("Devices", loop2);
  const int quantity = workspace_->Doc().Db().ColumnIndex("Devices", "DeviceQuantity");
  ASSERT_FALSE(copied.empty());
  EXPECT_EQ(copied.back().values[quantity].toInt(), 4);
  EXPECT_EQ(form_->findChild<QAction*>("Undo")->text(), "Undo Copy devices");
  EXPECT_EQ(editor_->Shown(), (action::Focus{DetailView::kDevices, 1, 2}));

  editor_->Undo();
  EXPECT_EQ(workspace_->Doc().Db().Count("Devices", loop2), before);

  // The outputs node has no devices to copy or to take.
  ClickItem(panel->child(panel->childCount() - 1));
  emit form_->findChild<QMenu*>("PopupMenuTree")->aboutToShow();
  EXPECT_FALSE(copy->isEnabled());
  EXPECT_FALSE(paste->isEnabled());
}

// A loop of the new panel on 0.5 mm²: 800 m are 57.6 ohm [E03], 650 m 46.8 ohm (90 % of the
// 52 ohm limit); two optical detectors draw 0.6 mA and 8 mA in alarm.
TEST_F(MainFormTest, TheGridsMarkOverloadsAndLoopsNearALimitAndSayWhy) {
  Show();
  AddPanelFromToolBar();
  const auto perform = [this](const char* name,
                              std::initializer_list<std::pair<const char*, QJsonValue>> params) {
    ASSERT_TRUE(editor_->Perform(action::Action::Make(name, params)).Carried()) << name;
    QCoreApplication::processEvents();
  };
  perform("set-device-type", {{"panel", 1}, {"loop", 2}, {"row", 1}, {"type", "Optical Detector"}});
  perform("set-device-sub-type", {{"panel", 1}, {"loop", 2}, {"row", 1}, {"sub_type", "VD-OD200"}});
  perform("set-device-quantity", {{"panel", 1}, {"loop", 2}, {"row", 1}, {"quantity", 2}});
  for (int loop : {1, 3}) perform("set-cable", {{"panel", 1}, {"loop", loop}, {"cable", 0}});
  perform("set-length", {{"panel", 1}, {"loop", 1}, {"length", 800}});
  perform("set-length", {{"panel", 1}, {"loop", 3}, {"length", 650}});
  prompter_.Clear();

  QAbstractItemModel* lines = form_->CurrentsGrid(1)->model();
  const auto line = [lines](const char* description) {
    for (int r = 0; r < lines->rowCount(); ++r) {
      if (lines->index(r, 0).data().toString() == description) return r;
    }
    return -1;
  };
  const int overloaded = line("Loop 1");
  const int detectors = line("Loop 2");
  const int near = line("Loop 3");
  ASSERT_GE(overloaded, 0);
  ASSERT_GE(near, 0);
  ASSERT_GE(detectors, 0);
  const QModelIndex over_status = lines->index(overloaded, 3);
  EXPECT_EQ(over_status.data().toString(), "\u26a0 Loop Overload [E03]");
  EXPECT_TRUE(over_status.data(Qt::FontRole).value<QFont>().bold());
  EXPECT_EQ(over_status.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0xb0, 0x00, 0x20));
  EXPECT_TRUE(over_status.data(Qt::ToolTipRole)
                  .toString()
                  .contains("E03: loop resistance 57.60 Ω, above the limit of 52 Ω"));
  const QModelIndex near_status = lines->index(near, 3);
  EXPECT_EQ(near_status.data().toString(), "Loop OK, near the limit");
  EXPECT_FALSE(near_status.data(Qt::FontRole).value<QFont>().bold());
  EXPECT_EQ(near_status.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0x8a, 0x4b, 0x00));
  EXPECT_TRUE(near_status.data(Qt::ToolTipRole)
                  .toString()
                  .contains("Loop resistance 46.80 Ω: 90\u00a0% of the limit of 52 Ω"));
  const QModelIndex plain = lines->index(detectors, 3);
  EXPECT_EQ(plain.data().toString(), "Loop OK");
  EXPECT_FALSE(plain.data(Qt::ForegroundRole).isValid());
  // Currents as the report prints them: whole mA (0.6 mA shows as 1).
  EXPECT_EQ(lines->index(detectors, 1).data().toString(), "1");
  EXPECT_EQ(lines->index(detectors, 2).data().toString(), "8");

  // The site's summary grid and the tree say the same of the panel and its loops.
  QTabBar* bar = form_->TabStrip()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
  QCoreApplication::processEvents();
  const QModelIndex panel_status = form_->PanelGrid()->model()->index(0, 1);
  EXPECT_EQ(panel_status.data().toString(), "\u26a0 Loop Overload");
  EXPECT_TRUE(panel_status.data(Qt::FontRole).value<QFont>().bold());
  const QString panel_hint = panel_status.data(Qt::ToolTipRole).toString();
  EXPECT_TRUE(panel_hint.contains("Loop 1: Loop Overload [E03]")) << panel_hint.toStdString();
  EXPECT_TRUE(panel_hint.contains("Loop 3: Loop OK, near the limit")) << panel_hint.toStdString();
  EXPECT_FALSE(panel_hint.contains("Loop 2:")) << panel_hint.toStdString();
  QTreeWidgetItem* panel_item = RootItem()->child(0);
  EXPECT_EQ(panel_item->text(0), "Panel1 (overload)");
  EXPECT_EQ(panel_item->child(0)->text(0), "Loop 1 (overload)");
  EXPECT_EQ(panel_item->child(1)->text(0), "Loop 2");
  EXPECT_EQ(panel_item->child(2)->text(0), "Loop 3 (near limit)");
  EXPECT_EQ(panel_item->child(0)->foreground(0).color(), QColor(0xb0, 0x00, 0x20));
  EXPECT_TRUE(panel_item->child(0)->font(0).bold());

  // Once the overload is gone the panel is only near a limit: no row of the panel changed for
  // that but the marks follow.
  perform("set-length", {{"panel", 1}, {"loop", 1}, {"length", 300}});
  EXPECT_EQ(panel_item->text(0), "Panel1 (near limit)");
  EXPECT_EQ(panel_item->child(0)->text(0), "Loop 1");
  EXPECT_EQ(form_->PanelGrid()->model()->index(0, 1).data().toString(), "OK, near the limit");
}

// The device grid shows at least ten rows in a window of 1600 x 1000 and grows with the window.
TEST_F(MainFormTest, TheDeviceGridShowsTenRowsAndGrowsWithTheWindow) {
  form_->resize(1600, 1000);
  Show();
  AddPanelFromToolBar();
  ClickItem(RootItem()->child(0)->child(0));
  auto* devices = qobject_cast<TFormDeviceDetails*>(form_->ViewWidget(DetailView::kDevices));
  ASSERT_NE(devices, nullptr);
  ASSERT_EQ(ViewOnShow(), devices);
  QCoreApplication::processEvents();
  const auto rows_shown = [devices] {
    QTableView* grid = devices->Grid();
    return grid->viewport()->height() / grid->verticalHeader()->defaultSectionSize();
  };
  EXPECT_GE(rows_shown(), 10);
  const int before = devices->Grid()->viewport()->height();
  form_->resize(1600, 1200);
  QCoreApplication::processEvents();
  EXPECT_GT(devices->Grid()->viewport()->height(), before);
}

TEST_F(MainFormTest, DockedWindowsRefuseToClose) {
  Show();
  EXPECT_FALSE(form_->TreeView()->close());
  EXPECT_FALSE(form_->SiteDetails()->close());
  EXPECT_FALSE(form_->ViewWidget(DetailView::kPanel)->close());
  EXPECT_TRUE(form_->TreeView()->isVisible());
  EXPECT_TRUE(form_->SiteDetails()->isVisible());
}

TEST_F(MainFormTest, SettingsOptionsShowsTheOptionsDialogWithoutBlocking) {
  Show();
  ASSERT_NE(form_->OptionsDialog(), nullptr);
  EXPECT_FALSE(form_->OptionsDialog()->isVisible());
  form_->findChild<QAction*>("Options")->trigger();
  EXPECT_TRUE(form_->OptionsDialog()->isVisible());
  EXPECT_FALSE(form_->OptionsDialog()->isModal());
  form_->OptionsDialog()->hide();
}

// The stored status stays as it is; the current lines on show carry the drop.
TEST_F(MainFormTest, TheTechnicalDetailSwitchAddsTheDropToTheLoopLinesOnShow) {
  Show();
  AddPanelFromToolBar();
  auto loop_status = [&] {
    site::Table currents(&workspace_->Doc().Db(), "Currents");
    currents.Open();
    EXPECT_TRUE(currents.Locate("Description", "Loop 1"));
    return currents.Text("Comment");
  };
  auto stored_status = [&] {
    site::Table loops(&workspace_->Doc().Db(), "Loops");
    loops.Open();
    return loops.Text("OK");
  };
  EXPECT_EQ(loop_status(), "Loop OK");

  // Ticked in the about box, which is then closed.
  QTimer::singleShot(0, form_->About(), [this] {
    form_->About()->findChild<QCheckBox*>("CheckBoxTechnicalDetail")->click();
    form_->About()->findChild<QPushButton*>("ButtonOK")->click();
  });
  form_->findChild<QAction*>("About")->trigger();
  EXPECT_FALSE(form_->About()->isVisible());
  EXPECT_TRUE(workspace_->State().TechnicalDetail());
  const QString detailed = loop_status();
  EXPECT_TRUE(detailed.startsWith("Loop OK (")) << detailed.toStdString();
  EXPECT_TRUE(detailed.endsWith("V)")) << detailed.toStdString();
  EXPECT_EQ(stored_status(), "Loop OK");
  EXPECT_EQ(form_->CurrentsGrid(1)->model()->rowCount(), Rows("Currents"));

  form_->About()->findChild<QCheckBox*>("CheckBoxTechnicalDetail")->click();
  EXPECT_EQ(loop_status(), "Loop OK");
}

}  // namespace
}  // namespace velmora::ui
