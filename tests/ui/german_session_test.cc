// A German session from start to reports: every window the program shows and every message it
// gives, searched for English that the German catalogue would have translated.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "action/editor.h"
#include "i18n/display_format.h"
#include "i18n/tr.h"
#include "i18n/translation.h"
#include "main_window_run.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "ui/about_form.h"
#include "ui/main_form.h"
#include "ui/qt_prompter.h"
#include "ui/start_screen_form.h"
#include "ui/tree_view_form.h"
#include "widget_test.h"
#include "workspace/workspace.h"

namespace velmora::ui {
namespace {

// The English texts the German catalogue translates into something else, read from the
// catalogue's source.
QStringList TranslatedEnglish() {
  QFile po(testing::SourcePath("data/locale/de.po"));
  if (!po.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(po.readAll());
  static const QRegularExpression kEntry(
      R"re(\nmsgid ((?:"(?:[^"\\]|\\.)*"\n)+)msgstr ((?:"(?:[^"\\]|\\.)*"\n?)+))re");
  static const QRegularExpression kPiece(R"re("((?:[^"\\]|\\.)*)")re");
  const auto join = [](const QString& lines) {
    QString joined;
    for (const QRegularExpressionMatch& m : kPiece.globalMatch(lines)) joined += m.captured(1);
    return joined.replace("\\n", "\n").replace("\\\"", "\"");
  };
  QStringList english;
  for (const QRegularExpressionMatch& m : kEntry.globalMatch(text)) {
    const QString id = join(m.captured(1));
    if (!id.isEmpty() && id != join(m.captured(2))) english << id;
  }
  return english;
}

class GermanSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    english_ = TranslatedEnglish();
    ASSERT_GT(english_.size(), 100);
    home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
    home_.CopyFromBuild("Sites/large-building.mdb");
    ASSERT_EQ(i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "de"), "de");
    testing::OpenMainWindow(home_, prompter_, workspace_, editor_, form_);
    form_->resize(1200, 800);
  }

  void TearDown() override {
    testing::CloseMainWindow(workspace_, editor_, form_);
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
  }

  // An English text of the catalogue where German should be: a widget's text that is one, or
  // a message that holds one of at least two words.
  bool IsEnglish(const QString& shown) const {
    QString text = shown;
    text.remove(QRegularExpression("&(?=\\S)"));
    return english_.contains(text.trimmed());
  }
  bool HoldsEnglish(const QString& message, QString* found) const {
    for (const QString& english : english_) {
      if (!english.contains(' ')) continue;
      // The places (%1, %2) stand for anything.
      QString pattern = QRegularExpression::escape(english);
      pattern.replace(QRegularExpression(R"(\\%\d)"), ".*");
      if (message.contains(QRegularExpression(pattern))) {
        *found = english;
        return true;
      }
    }
    return false;
  }

  // Every text a window and its children show: captions, labels, buttons, frames, tabs, list
  // entries, menus, column titles, grid cells and tree nodes.
  void Walk(QWidget* window, QStringList* faults, int* texts) {
    QList<QObject*> objects = window->findChildren<QObject*>();
    objects.prepend(window);
    const auto check = [&](const QString& text, QObject* where) {
      if (text.trimmed().isEmpty()) return;
      ++*texts;
      if (IsEnglish(text))
        *faults << QString("%1 (%2): \"%3\"")
                       .arg(where->objectName(), where->metaObject()->className(), text);
    };
    for (QObject* object : objects) {
      if (auto* w = qobject_cast<QWidget*>(object); w && w->isWindow()) check(w->windowTitle(), w);
      if (auto* label = qobject_cast<QLabel*>(object)) check(label->text(), label);
      if (auto* button = qobject_cast<QAbstractButton*>(object)) check(button->text(), button);
      if (auto* box = qobject_cast<QGroupBox*>(object)) check(box->title(), box);
      if (auto* action = qobject_cast<QAction*>(object)) check(action->text(), action);
      if (auto* tabs = qobject_cast<QTabBar*>(object)) {
        for (int i = 0; i < tabs->count(); ++i) check(tabs->tabText(i), tabs);
      }
      if (auto* combo = qobject_cast<QComboBox*>(object)) {
        for (int i = 0; i < combo->count(); ++i) check(combo->itemText(i), combo);
      }
      if (auto* view = qobject_cast<QTableView*>(object); view && view->model()) {
        const QAbstractItemModel* model = view->model();
        for (int c = 0; c < model->columnCount(); ++c) {
          // Hidden columns hold keys the user never sees.
          if (view->isColumnHidden(c)) continue;
          check(model->headerData(c, Qt::Horizontal).toString(), view);
          for (int r = 0; r < model->rowCount(); ++r)
            check(model->data(model->index(r, c)).toString(), view);
        }
      }
      if (auto* tree = qobject_cast<QTreeWidget*>(object)) {
        QList<QTreeWidgetItem*> items{tree->invisibleRootItem()};
        while (!items.isEmpty()) {
          QTreeWidgetItem* item = items.takeFirst();
          check(item->text(0), tree);
          for (int i = 0; i < item->childCount(); ++i) items << item->child(i);
        }
      }
    }
  }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  QStringList english_;
  std::unique_ptr<workspace::Workspace> workspace_;
  std::unique_ptr<action::Editor> editor_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(GermanSessionTest, EveryWindowAndMessageSpeaksGerman) {
  form_->show();
  QCoreApplication::processEvents();
  form_->StartScreen()->show();
  // A site with panels of every kind, an overloaded loop and a power supply that needs a box.
  ASSERT_TRUE(workspace_->OpenSiteFile(home_.Path("Sites/large-building.mdb")));
  // A file that is not a site, as a user might pick one.
  QFile notes(home_.Path("Sites/notes.mdb"));
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("not a site\n");
  notes.close();
  EXPECT_FALSE(workspace_->OpenSiteFile(notes.fileName()));
  ASSERT_TRUE(workspace_->OpenSiteFile(home_.Path("Sites/large-building.mdb")));

  QStringList faults;
  int texts = 0;
  const auto walk_all = [&] {
    form_->RefreshGrids();
    QCoreApplication::processEvents();
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible()) Walk(window, &faults, &texts);
    }
  };
  // Every panel's tab, then each of its loops and its outputs through the tree.
  QTreeWidget* tree = form_->TreeView()->Tree();
  for (int tab = 0; tab < form_->TabStrip()->count(); ++tab) {
    form_->TabStrip()->setCurrentIndex(tab);
    walk_all();
    if (tab == 0) continue;
    QTreeWidgetItem* panel = tree->topLevelItem(0)->child(tab - 1);
    for (int child = 0; child < panel->childCount(); ++child) {
      QTreeWidgetItem* item = panel->child(child);
      tree->scrollToItem(item);
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
      walk_all();
    }
  }
  form_->OptionsDialog()->show();
  form_->About()->show();
  walk_all();
  form_->OptionsDialog()->hide();
  form_->About()->hide();
  EXPECT_GT(texts, 500);
  EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();

  // The atrium loop edited: its check speaks.
  const std::vector<site::Row> atrium = workspace_->Doc().Db().Select(
      "Loops", site::Filter::Equals("PanelNumber", 2).And("LoopNumber", 4));
  ASSERT_EQ(atrium.size(), 1u);
  const qint64 indicators =
      atrium.front()
          .values[workspace_->Doc().Db().ColumnIndex("Loops", "AlarmIndicators")]
          .toLongLong();
  editor_->Perform(action::Action::Make("set-alarm-indicators",
                                        {{"panel", 2}, {"loop", 4}, {"count", indicators + 1}}));
  // What the session said: the file it could not open, the overload.
  ASSERT_GE(prompter_.Records().size(), 2u);
  for (const auto& record : prompter_.Records()) {
    QString english;
    EXPECT_FALSE(HoldsEnglish(record.text, &english))
        << record.text.toStdString() << "\nholds \"" << english.toStdString() << "\"";
  }
  EXPECT_TRUE(prompter_.Warnings().join("\n").contains("Ringleitung 4 : Ringleitung überlastet"));
  EXPECT_TRUE(prompter_.Warnings().join("\n").contains("kann nicht geöffnet werden"));
}

TEST_F(GermanSessionTest, NumbersFollowTheLanguageAndQtsOwnTextsToo) {
  EXPECT_EQ(i18n::FormatNumber(29.200000000000003), "29,2");
  EXPECT_EQ(i18n::FormatNumber(1234.5, 2), "1234,50");
  EXPECT_EQ(i18n::FormatDate(QDate(2025, 5, 2)), "02.05.2025");
  EXPECT_EQ(i18n::ParseNumber("2,5"), 2.5);
  EXPECT_EQ(i18n::ParseNumber("2.5"), 2.5);  // the C form is taken too, never as 25
  EXPECT_EQ(i18n::ParseNumber("2x"), std::nullopt);

  if (!QFile::exists(i18n::QtTranslationsFolder() + "/qtbase_de.qm"))
    GTEST_SKIP() << "Qt's German catalogue (qt6-translations-l10n) is not installed";
  // A question as the program asks it: Qt's own buttons in German.
  QStringList buttons;
  QTimer::singleShot(0, [&buttons] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      for (QAbstractButton* button : box->buttons()) buttons << button->text().remove('&');
      box->reject();
    }
  });
  QtPrompter prompter;
  prompter.ConfirmOkCancel("?", site::Prompter::Icon::kQuestion);
  buttons.sort();
  EXPECT_EQ(buttons, QStringList({"Abbrechen", "OK"}));
  // The preview's toolbar.
  QPrinter printer;
  QPrintPreviewDialog preview(&printer);
  QStringList actions;
  for (QAction* action : preview.findChildren<QAction*>()) actions << action->text().remove('&');
  EXPECT_TRUE(actions.contains("Drucken")) << actions.join(", ").toStdString();
  EXPECT_FALSE(actions.contains("Print"));
}

TEST_F(GermanSessionTest, WithoutQtsCatalogueTheProgramStillWorks) {
  // A folder without Qt's catalogues: nothing is loaded, Qt speaks its English, the program's
  // own texts stay German.
  EXPECT_FALSE(i18n::LoadQtTranslations(home_.Path("no-qt-catalogues"), "de"));
  QStringList buttons;
  QTimer::singleShot(0, [&buttons] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      for (QAbstractButton* button : box->buttons()) buttons << button->text().remove('&');
      box->reject();
    }
  });
  QtPrompter prompter;
  prompter.ConfirmOkCancel("?", site::Prompter::Icon::kQuestion);
  buttons.sort();
  EXPECT_EQ(buttons, QStringList({"Cancel", "OK"}));
  EXPECT_EQ(i18n::Tr(N_("Language")), "Sprache");
}

}  // namespace
}  // namespace velmora::ui
