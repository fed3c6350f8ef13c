// The main window on big generated sites: it stays within the screen however many panels there
// are, the tree keeps a width that shows its whole tool bar, and a panel deep in the list is
// reached through the tree and through the scrolling tab strip.
#include <gtest/gtest.h>

#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <map>

#include "action/editor.h"
#include "app/cli_generate.h"
#include "app/cli_session.h"
#include "i18n/translation.h"
#include "main_window_run.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "ui/main_form.h"
#include "ui/panel_details_form.h"
#include "ui/tree_view_form.h"
#include "widget_test.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

class BigSiteTest : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  // A site of `panels` panels made by the generator once per test program. Two loops with one
  // device row each: the window's size depends on the panels, and the sites are quick to make.
  QString SiteFile(int panels) {
    static QTemporaryDir folder;
    static std::map<int, QString> files;
    if (files.count(panels) != 0) return files[panels];
    app::CliSession session(home_.Folder());
    QString error;
    const QString file = folder.filePath(QString("site-%1.mdb").arg(panels));
    EXPECT_TRUE(session.Start(&error)) << error.toStdString();
    EXPECT_TRUE(app::GenerateSite(session, {panels, 2, 1}, file, &error)) << error.toStdString();
    return files[panels] = file;
  }

  void SetUp() override {
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
    file_ = SiteFile(GetParam());
    testing::OpenMainWindow(home_, prompter_, workspace_, editor_, form_);
  }

  void TearDown() override { testing::CloseMainWindow(workspace_, editor_, form_); }

  QRect Screen() const { return form_->screen()->availableGeometry(); }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<action::Editor> editor_;
  std::unique_ptr<TMainForm> form_;
  QString file_;
};

TEST_P(BigSiteTest, TheWindowStaysWithinTheScreenAndTheTreeKeepsItsWidth) {
  const QSize size = Screen().size() - QSize(40, 40);
  form_->resize(size);
  form_->show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(workspace_->OpenSiteFile(file_));
  QCoreApplication::processEvents();
  ASSERT_EQ(form_->TabStrip()->count(), GetParam() + 1);

  EXPECT_EQ(form_->size(), size);
  EXPECT_LE(form_->minimumSizeHint().width(), Screen().width());
  EXPECT_LE(form_->minimumSizeHint().height(), Screen().height());
  EXPECT_LE(form_->frameGeometry().width(), Screen().width());

  // The tree is as wide as it was made, and its tool bar shows every button.
  EXPECT_GE(form_->TreeView()->width(), TMainForm::kLeftAreaMinWidth);
  auto* toolbar = form_->TreeView()->findChild<QToolBar*>("ToolBarTree");
  for (QAction* action : toolbar->actions()) {
    if (QWidget* button = toolbar->widgetForAction(action)) {
      EXPECT_TRUE(button->isVisible()) << action->objectName().toStdString();
    }
  }
  EXPECT_TRUE(toolbar->findChild<QToolButton*>("qt_toolbar_ext_button") == nullptr ||
              !toolbar->findChild<QToolButton*>("qt_toolbar_ext_button")->isVisible());

  // Even a narrow window does not grow when the site opens.
  form_->resize(640, 480);
  QCoreApplication::processEvents();
  EXPECT_EQ(form_->size(), QSize(640, 480));
}

TEST_P(BigSiteTest, APanelDeepInTheListIsReachedThroughTheTreeAndTheTabStrip) {
  form_->resize(Screen().size() - QSize(40, 40));
  form_->show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(workspace_->OpenSiteFile(file_));
  QCoreApplication::processEvents();
  const int panels = GetParam();

  // The tree: the node of a panel near the end, scrolled to and clicked.
  const int deep = panels - 3;
  QTreeWidget* tree = form_->TreeView()->Tree();
  QTreeWidgetItem* item = tree->topLevelItem(0)->child(deep - 1);
  ASSERT_NE(item, nullptr);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
  QCoreApplication::processEvents();
  EXPECT_EQ(editor_->Shown().panel, deep);
  EXPECT_EQ(form_->TabStrip()->currentIndex(), deep);
  QTabBar* bar = form_->TabStrip()->tabBar();
  EXPECT_TRUE(bar->rect().contains(bar->tabRect(deep))) << "the panel's tab is scrolled to";
  EXPECT_TRUE(qobject_cast<TFormPanelDetails*>(
      form_->findChild<QStackedWidget*>("PanelDetails")->currentWidget()));

  // The tab strip: its scroll buttons bring the last tab into sight, and a click shows it.
  bar->setCurrentIndex(0);
  QCoreApplication::processEvents();
  QToolButton* right = nullptr;
  for (QToolButton* button : bar->findChildren<QToolButton*>()) {
    if (button->arrowType() == Qt::RightArrow) right = button;
  }
  ASSERT_NE(right, nullptr);
  EXPECT_TRUE(right->isVisible());
  for (int i = 0; i < panels + 1 && !bar->rect().contains(bar->tabRect(panels)); ++i) {
    QTest::mouseClick(right, Qt::LeftButton);
  }
  ASSERT_TRUE(bar->rect().contains(bar->tabRect(panels)));
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(panels).center());
  QCoreApplication::processEvents();
  EXPECT_EQ(editor_->Shown().panel, panels);
  EXPECT_EQ(form_->TabStrip()->currentIndex(), panels);
}

INSTANTIATE_TEST_SUITE_P(GeneratedSites, BigSiteTest, ::testing::Values(50, 200),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Panels" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace velmora::ui
