#include "ui/report_actions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <optional>
#include <utility>

#include "reports/print_store.h"
#include "support/rows.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

using testing::ScriptedPrompter;

class ReportActionsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "ui_tests";
      static char* argv[] = {name, nullptr};
      new QApplication(argc, argv);
    }
  }

  void SetUp() override {
    workspace_ = std::make_unique<workspace::Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    for (const char* name : {"PrintPreviewSite", "PrintPreviewParts", "PrintSite", "PrintParts"}) {
      auto* action = new QAction(name, &window_);
      action->setObjectName(name);
      window_.addAction(action);
    }
    ConnectReportActions(&window_, *workspace_);
    store_.Open();
    testing::InsertRow(store_.Db(), "PartsList", {{"PanelNumber", 1}, {"Tier 3", "earlier"}});
  }

  QAction* Action(const char* name) { return window_.findChild<QAction*>(name); }
  qint64 Rows(const char* table) { return store_.Db().Count(table); }

  testing::TestHome home_;
  ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  QMainWindow window_;
  reports::PrintStore store_{home_.Folder()};
};

TEST_F(ReportActionsTest, PrintAsksForThePrinterFirstAndACancelChangesNothing) {
  prompter_.AnswerPrinter(false);
  Action("PrintParts")->trigger();
  ASSERT_EQ(prompter_.Records().size(), 1u);
  EXPECT_EQ(prompter_.Records()[0].kind, ScriptedPrompter::Kind::kPrinter);
  EXPECT_EQ(Rows("PartsList"), 1);
  EXPECT_EQ(Rows("Sections"), 0);
}

TEST_F(ReportActionsTest, PreviewFillsThePrintStoreAndShowsThePreviewWindowAtRealSize) {
  QString shown;
  std::optional<std::pair<QPrintPreviewWidget::ZoomMode, double>> zoom;
  QStringList fitted;
  QTimer::singleShot(0, [&shown, &zoom, &fitted] {
    if (auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
      shown = preview->objectName() + " / " + preview->windowTitle();
      if (auto* pages = preview->findChild<QPrintPreviewWidget*>())
        zoom = std::make_pair(pages->zoomMode(), pages->zoomFactor());
      for (QAction* action : preview->findChildren<QAction*>()) {
        if (action->isChecked() && action->text().startsWith("Fit")) fitted << action->text();
      }
      preview->reject();
    }
  });
  Action("PrintPreviewSite")->trigger();
  EXPECT_EQ(shown, "ReportPreview / Report Preview");
  ASSERT_TRUE(zoom.has_value());
  EXPECT_EQ(zoom->first, QPrintPreviewWidget::CustomZoom);
  EXPECT_DOUBLE_EQ(zoom->second, 1.0);
  EXPECT_TRUE(fitted.isEmpty()) << fitted.join(", ").toStdString();
  EXPECT_EQ(Rows("Sections"), 1);
  EXPECT_EQ(Rows("Site"), 1);
  EXPECT_EQ(Rows("PartsList"), 1);  // the site report leaves the parts list alone
  EXPECT_TRUE(prompter_.Records().empty());
}

}  // namespace
}  // namespace velmora::ui
