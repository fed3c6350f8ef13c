#include "ui/window_texts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <type_traits>

#include "i18n/translation.h"
#include "support/test_home.h"

namespace velmora::ui {
namespace {

// Nothing that exists only at run time can become a window text.
static_assert(!std::is_constructible_v<WindowText, QString>);
static_assert(!std::is_constructible_v<WindowText, const char*>);
static_assert(!std::is_constructible_v<i18n::Source, const char*>);

// A window with a text of every kind, and beside them values that are data, not texts.
struct Window {
  Window() {
    SetWindowTitle(&widget, N_("Panel Properties"));
    auto* layout = new QVBoxLayout(&widget);
    layout->addWidget(menus);
    QMenu* file = AddMenu(menus, N_("File"));
    new_site = AddAction(file, N_("New Site"));
    SetHint(new_site, i18n::Msg::kAddPanel);
    print = AddMenu(file, N_("Print"));
    SetText(label, N_("Site Name"));
    SetHint(label, N_("Right click to add or remove panels"));
    layout->addWidget(label);
    SetTitle(frame, N_("Power Supply"));
    layout->addWidget(frame);
    SetText(button, i18n::Msg::kOk);
    layout->addWidget(button);
    AddTab(tabs, new QWidget, i18n::Msg::kSite);
    tabs->addTab(new QWidget, "Panel 1");  // a panel's name, as stored
    layout->addWidget(tabs);
    AddItems(cables, {N_("0.5 mm²"), N_("1.5 mm²")});
    cables->addItem("Loop");  // an entry from a table
    layout->addWidget(cables);
    model->setColumnCount(2);
    SetColumnTitle(model, 0, i18n::Msg::kLoopNumber);
    model->setHeaderData(1, Qt::Horizontal, "DeviceQuantity");
    grid->setModel(model);
    layout->addWidget(grid);
    value->setObjectName("DBEditPanelName");
    value->setText("Panel");
    layout->addWidget(value);
    data_label->setText("Loop");
    layout->addWidget(data_label);
  }

  QStringList Texts() const {
    return {widget.windowTitle(),
            menus->actions().at(0)->text(),
            new_site->text(),
            new_site->toolTip(),
            print->title(),
            label->text(),
            label->toolTip(),
            frame->title(),
            button->text(),
            tabs->tabText(0),
            tabs->tabText(1),
            cables->itemText(0),
            cables->itemText(1),
            cables->itemText(2),
            model->headerData(0, Qt::Horizontal).toString(),
            model->headerData(1, Qt::Horizontal).toString(),
            value->text(),
            value->objectName(),
            data_label->text()};
  }

  QWidget widget;
  QMenuBar* menus = new QMenuBar(&widget);
  QAction* new_site = nullptr;
  QMenu* print = nullptr;
  QLabel* label = new QLabel(&widget);
  QGroupBox* frame = new QGroupBox(&widget);
  QPushButton* button = new QPushButton(&widget);
  QTabWidget* tabs = new QTabWidget(&widget);
  QComboBox* cables = new QComboBox(&widget);
  QStandardItemModel* model = new QStandardItemModel(&widget);
  QTableView* grid = new QTableView(&widget);
  QLineEdit* value = new QLineEdit(&widget);
  QLabel* data_label = new QLabel(&widget);
};

const QStringList kEnglish = {"Panel Properties",
                              "File",
                              "New Site",
                              "Add Panel",
                              "Print",
                              "Site Name",
                              "Right click to add or remove panels",
                              "Power Supply",
                              "OK",
                              "Site",
                              "Panel 1",
                              QString::fromUtf8("0.5 mm²"),
                              QString::fromUtf8("1.5 mm²"),
                              "Loop",
                              "Loop Number",
                              "DeviceQuantity",
                              "Panel",
                              "DBEditPanelName",
                              "Loop"};

const QStringList kGerman = {
    "Eigenschaften der Zentrale",
    "Datei",
    "Neues Objekt",
    QString::fromUtf8("Zentrale hinzufügen"),
    "Drucken",
    "Objektname",
    QString::fromUtf8("Rechtsklick zum Hinzufügen oder Entfernen von Zentralen"),
    "Netzteil",
    "OK",
    "Objekt",
    "Panel 1",
    QString::fromUtf8("0,5 mm²"),
    QString::fromUtf8("1,5 mm²"),
    "Loop",
    "Ringleitung Nr.",
    "DeviceQuantity",
    "Panel",
    "DBEditPanelName",
    "Loop"};

class WindowTextsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The application object resets the process locale, so it exists before any translation.
    if (QApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "ui_tests";
      static char* argv[] = {name, nullptr};
      new QApplication(argc, argv);
    }
  }

  void SetUp() override { home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo"); }
  QString Language(const char* language) {
    return i18n::SetUpTranslation(home_.Folder().LocaleFolder(), language);
  }

  testing::TestHome home_;
};

TEST_F(WindowTextsTest, TextsAreShownInTheLanguageOfTheRunAsTheyAreSet) {
  ASSERT_EQ(Language("de"), "de");
  Window window;
  EXPECT_EQ(window.Texts(), kGerman);
}

TEST_F(WindowTextsTest, TranslatingAWindowShowsItsTextsAgainAndLeavesDataAlone) {
  ASSERT_EQ(Language("en"), "");
  Window window;
  EXPECT_EQ(window.Texts(), kEnglish);

  ASSERT_EQ(Language("de"), "de");
  TranslateWindow(&window.widget);
  EXPECT_EQ(window.Texts(), kGerman);

  // The English source is kept, so the window can go back rather than translate German.
  ASSERT_EQ(Language("en"), "");
  TranslateWindow(&window.widget);
  EXPECT_EQ(window.Texts(), kEnglish);
}

}  // namespace
}  // namespace velmora::ui
