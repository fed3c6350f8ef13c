// The file commands of the main window as a user gives them: menu actions, their keys, the
// questions asked and the status bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

#include "action/editor.h"
#include "i18n/translation.h"
#include "main_window_run.h"
#include "site/database.h"
#include "site/table.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "ui/main_form.h"
#include "widget_test.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

using testing::ScriptedPrompter;

const QString kDataNotSaved = "Data is not saved. Do you want to save?";

class FileMenuTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
    testing::OpenMainWindow(home_, prompter_, workspace_, editor_, form_);
    form_->resize(1200, 800);
  }

  void TearDown() override { testing::CloseMainWindow(workspace_, editor_, form_); }

  void Show() {
    form_->show();
    QCoreApplication::processEvents();
    form_->activateWindow();
    QCoreApplication::processEvents();
  }

  void Keys(QKeySequence keys) {
    QTest::keySequence(form_.get(), keys);
    QCoreApplication::processEvents();
  }

  // The site name typed into the site view.
  void SetSiteName(const QString& name) {
    ASSERT_EQ(editor_
                  ->Execute(action::Action::Make("set-site-field",
                                                 {{"field", "SiteName"}, {"value", name}}))
                  .status,
              action::Status::kDone);
  }

  QString SiteName() {
    site::Table& site = workspace_->Doc().Site();
    site.First();
    return site.Text("SiteName");
  }

  QByteArray Bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  testing::TestHome home_;
  ScriptedPrompter prompter_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<action::Editor> editor_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(FileMenuTest, CtrlSSavesASiteWithAFileAtOnceAndTheStatusBarSaysSo) {
  Show();
  const QString file = QFileInfo(home_.Path("Sites/office.mdb")).absoluteFilePath();
  prompter_.AnswerFile(file);
  Keys(QKeySequence(Qt::CTRL | Qt::Key_S));  // a new site: asks for the name
  ASSERT_EQ(prompter_.Records().size(), 1u);
  EXPECT_EQ(prompter_.Records()[0].kind, ScriptedPrompter::Kind::kSaveFile);
  ASSERT_TRUE(QFileInfo::exists(file));
  const QByteArray first = Bytes(file);

  SetSiteName("Edited");
  prompter_.Clear();
  Keys(QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_TRUE(prompter_.Records().empty());
  EXPECT_NE(Bytes(file), first);
  EXPECT_TRUE(workspace_->State().SiteSaved());
  EXPECT_EQ(form_->statusBar()->currentMessage(), "Saved " + QDir::toNativeSeparators(file));

  // Save As asks for a name, and before replacing another file.
  const QString other = home_.Path("Sites/other.mdb");
  ASSERT_TRUE(QFile::copy(home_.Path("DBs/CleanSite.mdb"), other));
  prompter_.AnswerFile(other);
  prompter_.AnswerYes(false);
  Keys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  ASSERT_EQ(prompter_.Records().size(), 2u);
  EXPECT_EQ(prompter_.Records()[0].kind, ScriptedPrompter::Kind::kSaveFile);
  EXPECT_EQ(prompter_.Records()[1].kind, ScriptedPrompter::Kind::kYesNo);
  EXPECT_EQ(workspace_->State().SiteFileName(), file);
}

TEST_F(FileMenuTest, NewOpenAndCloseAskAboutUnsavedWorkAndCancelKeepsIt) {
  Show();
  SetSiteName("Unsaved design");
  for (const char* action : {"NewSite", "OpenSite"}) {
    SCOPED_TRACE(action);
    prompter_.Clear();
    prompter_.AnswerCancel();
    QAction* command = form_->findChild<QAction*>(action);
    ASSERT_NE(command, nullptr);
    command->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(prompter_.Records().size(), 1u);
    EXPECT_EQ(prompter_.Records()[0].kind, ScriptedPrompter::Kind::kYesNoCancel);
    EXPECT_EQ(prompter_.Records()[0].text, kDataNotSaved);
    EXPECT_EQ(SiteName(), "Unsaved design");
  }
  prompter_.Clear();
  prompter_.AnswerCancel();
  EXPECT_FALSE(form_->close());
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(SiteName(), "Unsaved design");

  // No goes on without saving.
  prompter_.AnswerYes(false);
  form_->findChild<QAction*>("NewSite")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(SiteName(), " ");
  EXPECT_TRUE(prompter_.AllAnswersUsed());
}

TEST_F(FileMenuTest, TheFileNamedAtStartIsOpened) {
  const QString file = home_.Path("Sites/start.mdb");
  ASSERT_TRUE(QFile::copy(home_.Path("DBs/CleanSite.mdb"), file));
  {
    site::Database db("start", file);
    db.Open();
    db.Execute("INSERT INTO \"Site\" (\"SiteName\") VALUES ('Harbour Depot')");
  }
  form_->SetStartFile(file);
  Show();
  EXPECT_EQ(workspace_->State().SiteFileName(), QFileInfo(file).absoluteFilePath());
  EXPECT_EQ(SiteName(), "Harbour Depot");
  EXPECT_EQ(form_->windowHandle()->title(), "Velmora 2.09 - " + QFileInfo(file).absoluteFilePath());
}

}  // namespace
}  // namespace velmora::ui
