// What the main window keeps for the user: the view on show across a print preview, its size,
// splitters and columns from one run to the next, the recent sites, the caption with its mark of
// unsaved changes, and the user guide behind F1.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <cmath>

#include "action/editor.h"
#include "i18n/translation.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "ui/main_form.h"
#include "ui/tree_view_form.h"
#include "ui/window_memory.h"
#include "widget_test.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

using site::DetailView;
using testing::ScriptedPrompter;

// Receives the URLs the program hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls << url; }
};

// Qt's warnings while a test runs.
QStringList& Warnings() {
  static QStringList warnings;
  return warnings;
}
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtWarningMsg) Warnings() << text;
}

class WindowContextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
    NewRun();
  }

  void NewRun() {
    workspace_ = std::make_unique<workspace::Workspace>(home_.Folder(), prompter_);
    editor_ = std::make_unique<action::Editor>(*workspace_, Settings());
    workspace_->OpenTables();
  }

  void TearDown() override {
    form_.reset();
    editor_.reset();
    workspace_.reset();
  }

  i18n::Settings Settings() const {
    return i18n::Settings(home_.Path("user"), home_.Path("machine"));
  }

  // A main window of a new run over the same settings, shown.
  TMainForm& Start(QSize size = {}) {
    form_ = std::make_unique<TMainForm>(*editor_, Settings());
    form_->SetStartScreenModal(false);
    if (size.isValid()) form_->resize(size);
    form_->show();
    QCoreApplication::processEvents();
    return *form_;
  }

  // The run ends as the user ends it (no unsaved work: nothing is asked), and the next begins.
  void Close() {
    if (!workspace_->State().SiteSaved()) prompter_.AnswerYes(false);
    ASSERT_TRUE(form_->close());
    form_.reset();
    editor_.reset();
    workspace_.reset();
    NewRun();
  }

  QAction* Command(const char* name) {
    QAction* action = form_->findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
  }

  bool Do(const char* name, std::initializer_list<std::pair<const char*, QJsonValue>> params) {
    return editor_->Perform(action::Action::Make(name, params)).status == action::Status::kDone;
  }

  QString SavedSite(const QString& name) {
    const QString file = QFileInfo(home_.Path("Sites/" + name)).absoluteFilePath();
    prompter_.AnswerFile(file);
    EXPECT_TRUE(editor_->SaveAs());
    return file;
  }

  testing::TestHome home_;
  ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<action::Editor> editor_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(WindowContextTest, ClosingThePrintPreviewReturnsToTheViewOnShow) {
  Start({1000, 700});
  ASSERT_TRUE(Do("add-panel", {}));
  ASSERT_TRUE(Do("add-panel", {}));
  for (const action::Focus focus :
       {action::Focus{DetailView::kDevices, 2, 3}, action::Focus{DetailView::kOutputs, 1, 0}}) {
    SCOPED_TRACE(int(focus.view));
    editor_->Show(focus);
    QCoreApplication::processEvents();
    QWidget* view = form_->findChild<QStackedWidget*>("PanelDetails")->currentWidget();
    bool previewed = false;
    QTimer::singleShot(0, [&] {
      QWidget* preview = QApplication::activeModalWidget();
      previewed = preview != nullptr && preview->objectName() == "ReportPreview";
      if (preview != nullptr) preview->close();
    });
    Command("PrintPreviewSite")->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(previewed);
    EXPECT_EQ(editor_->Shown(), focus);
    EXPECT_EQ(form_->findChild<QStackedWidget*>("PanelDetails")->currentWidget(), view);
    EXPECT_EQ(form_->TabStrip()->currentIndex(), focus.panel);
  }
}

TEST_F(WindowContextTest, SizeSplittersAndColumnWidthsAreKeptFromOneRunToTheNext) {
  TMainForm& first = Start({760, 540});
  auto* left = first.findChild<QSplitter*>("SplitterLeft");
  auto* right = first.findChild<QSplitter*>("SplitterRight");
  left->setSizes({260, 500});
  right->setSizes({300, 200});
  QCoreApplication::processEvents();
  const QList<int> left_sizes = left->sizes();
  const QList<int> right_sizes = right->sizes();
  // The user widens the panel name column of the summary grid.
  first.PanelGrid()->horizontalHeader()->resizeSection(0, 200);
  const QSize size = first.size();
  Close();

  TMainForm& second = Start();
  EXPECT_EQ(second.size(), size);
  EXPECT_EQ(second.findChild<QSplitter*>("SplitterLeft")->sizes(), left_sizes);
  EXPECT_EQ(second.findChild<QSplitter*>("SplitterRight")->sizes(), right_sizes);
  EXPECT_NEAR(second.PanelGrid()->columnWidth(0), 200, 2);

  // A kept width stays the column's share of the page as the window changes.
  const int page = second.TabStrip()->currentWidget()->width();
  second.resize(second.width() + 200, second.height());
  QCoreApplication::processEvents();
  const int wider = second.TabStrip()->currentWidget()->width();
  ASSERT_GT(wider, page);
  EXPECT_NEAR(second.PanelGrid()->columnWidth(0), 200.0 * wider / page, 2);
}

TEST_F(WindowContextTest, AKeptFileThatMakesNoSenseGivesTheFirstLayout) {
  TMainForm& first = Start({760, 540});
  const int width = first.TabStrip()->currentWidget()->width();
  const int name_column = first.PanelGrid()->columnWidth(0);
  ASSERT_EQ(name_column, std::lround(width * 0.20));
  const QList<int> left = first.findChild<QSplitter*>("SplitterLeft")->sizes();
  Close();
  QFile kept(WindowMemory(Settings()).File());
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
  kept.write(
      "[General]\nGeometry=@ByteArray(garbage)\nSplitterLeft=@ByteArray(\\0\\x1)\n"
      "PanelColumns=nan, 5000, -1, 0.1, 0.3\nCurrentColumns=1e308, 0.3, 0.3, 0.3\n"
      "RecentSites=\n");
  kept.close();

  TMainForm& second = Start({760, 540});
  EXPECT_EQ(second.TabStrip()->currentWidget()->width(), width);
  EXPECT_EQ(second.PanelGrid()->columnWidth(0), name_column);
  EXPECT_EQ(second.findChild<QSplitter*>("SplitterLeft")->sizes(), left);
  EXPECT_TRUE(second.RecentSites().isEmpty());
  // The shares a column can have are taken, the others give the first width.
  EXPECT_EQ(second.PanelGrid()->columnWidth(3), std::lround(width * 0.1));
  EXPECT_EQ(second.PanelGrid()->columnWidth(1), std::lround(width * 0.24));
}

TEST_F(WindowContextTest, TheFileMenuOffersTheRecentSitesAndDropsTheOnesNoLongerThere) {
  Start({900, 600});
  const QString first = SavedSite("first.mdb");
  const QString second = SavedSite("second.mdb");
  ASSERT_TRUE(workspace_->OpenSiteFile(first));
  EXPECT_EQ(form_->RecentSites(), QStringList({first, second}));
  Close();

  // The next run offers them, most recent first.
  Start();
  EXPECT_EQ(form_->RecentSites(), QStringList({first, second}));
  QAction* entry = Command("RecentSite2");
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->text().endsWith(QDir::toNativeSeparators(second)));
  if (!workspace_->State().SiteSaved()) prompter_.AnswerYes(false);
  entry->trigger();
  EXPECT_EQ(workspace_->State().SiteFileName(), second);
  EXPECT_EQ(form_->RecentSites(), QStringList({second, first}));

  // A site that is gone leaves the list when the menu opens, with a note.
  ASSERT_TRUE(QFile::remove(first));
  emit form_->findChild<QMenu*>("MenuFile")->aboutToShow();
  EXPECT_EQ(form_->RecentSites(), QStringList({second}));
  EXPECT_TRUE(form_->statusBar()->currentMessage().contains(QDir::toNativeSeparators(first)));
  EXPECT_EQ(form_->findChild<QAction*>("RecentSite2"), nullptr);

  // One that goes while the menu is open is taken off when chosen, and nothing is replaced.
  ASSERT_TRUE(QFile::remove(second));
  prompter_.Clear();
  Command("RecentSite1")->trigger();
  ASSERT_EQ(prompter_.Records().size(), 1u);
  EXPECT_TRUE(prompter_.Records()[0].text.contains("no longer there"));
  EXPECT_TRUE(form_->RecentSites().isEmpty());
  EXPECT_FALSE(form_->RecentSitesMenu()->isEnabled());
  EXPECT_EQ(workspace_->State().SiteFileName(), second);
}

TEST_F(WindowContextTest, TheCaptionKeepsItsFormAndShowsTheMarkOfUnsavedChanges) {
  Warnings().clear();
  const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
  Start({900, 600});
  const QString file = SavedSite("office.mdb");
  QCoreApplication::processEvents();
  const QString caption = "Velmora 2.09 - " + file;
  EXPECT_EQ(form_->windowHandle()->title(), caption);
  ASSERT_TRUE(Do("set-site-field", {{"field", "SiteName"}, {"value", "Harbour Office"}}));
  QCoreApplication::processEvents();
  EXPECT_TRUE(form_->isWindowModified());
  EXPECT_EQ(form_->windowHandle()->title(), caption + "*");
  ASSERT_TRUE(editor_->Save());
  QCoreApplication::processEvents();
  EXPECT_EQ(form_->windowHandle()->title(), caption);
  qInstallMessageHandler(previous);
  EXPECT_TRUE(Warnings().filter("placeholder").isEmpty()) << Warnings().join("\n").toStdString();
}

TEST_F(WindowContextTest, AfterNewSiteTheTreeCaptionReadsTheNewSites) {
  Start({900, 600});
  auto* caption = form_->TreeView()->findChild<QLabel*>("LabelCaption");
  ASSERT_TRUE(Do("set-site-field", {{"field", "SiteName"}, {"value", "Harbour Office"}}));
  EXPECT_EQ(caption->text(), "Site : Harbour Office");
  prompter_.AnswerYes(false);  // the edit is not saved
  Command("NewSite")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(caption->text(), "Site:");
}

TEST_F(WindowContextTest, F1OpensTheShippedUserGuideOrSaysThatItIsMissing) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("file", &catcher, "Open");
  Start({900, 600});
  const QString guide = form_->UserGuideFile();
  EXPECT_EQ(guide, home_.Path("doc/user-guide.html"));
  QFile::remove(guide);
  QTest::keyClick(form_.get(), Qt::Key_F1);
  EXPECT_TRUE(catcher.urls.isEmpty());
  ASSERT_EQ(prompter_.Records().size(), 1u);
  EXPECT_EQ(prompter_.Records()[0].text,
            "The user guide is not installed: " + QDir::toNativeSeparators(guide) + " is missing.");

  ASSERT_TRUE(QDir().mkpath(QFileInfo(guide).absolutePath()));
  QFile page(guide);
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.write("<html><body>guide</body></html>");
  page.close();
  prompter_.Clear();
  QTest::keyClick(form_.get(), Qt::Key_F1);
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_TRUE(prompter_.Records().empty());
  ASSERT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(guide));
}

}  // namespace
}  // namespace velmora::ui

#include "window_context_test.moc"
