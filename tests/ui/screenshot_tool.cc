// Pictures of the main window for the documentation: a site opened in a copy of the build's
// program folder, shown with the site tab, a panel tab and a loop selected, then a question in
// a message box and the site report's preview, each written as a PNG. Run under a display (e.g.
// xvfb-run):
//   velmora_screenshots OUT_FOLDER LANGUAGE SITE.mdb PANEL LOOP
// writes OUT_FOLDER/main-window-{site,panel,loop}-LANGUAGE.png, message-box-LANGUAGE.png and
// print-preview-LANGUAGE.png.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "action/editor.h"
#include "i18n/messages.h"
#include "i18n/translation.h"
#include "site/prompter.h"
#include "ui/main_form.h"
#include "ui/qt_prompter.h"
#include "ui/start_screen_form.h"
#include "ui/tree_view_form.h"
#include "workspace/workspace.h"

namespace {

// Nothing is asked while the pictures are taken; anything said is reported.
class QuietPrompter : public velmora::site::Prompter {
 public:
  void Warn(const QString& text, Icon) override { Report(text); }
  bool ConfirmOkCancel(const QString& text, Icon) override { return Report(text); }
  bool AskYesNo(const QString& text, Icon) override { return Report(text); }
  Answer AskYesNoCancel(const QString& text, Icon) override {
    Report(text);
    return Answer::kNo;
  }
  std::optional<QString> ChooseOpenFile(const FileDialog&) override { return std::nullopt; }
  std::optional<QString> ChooseSaveFile(const FileDialog&) override { return std::nullopt; }
  bool PrinterDialog(QPrinter*) override { return false; }

 private:
  static bool Report(const QString& text) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return false;
  }
};

bool CopyFolder(const QString& from, const QString& to) {
  QDir source(from);
  if (!QDir().mkpath(to)) return false;
  for (const QFileInfo& entry :
       source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString target = to + "/" + entry.fileName();
    if (entry.isDir() ? !CopyFolder(entry.filePath(), target)
                      : !QFile::copy(entry.filePath(), target))
      return false;
  }
  return true;
}

bool Save(QWidget* window, const QString& file) {
  QTest::qWait(300);
  if (!window->grab().save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s OUT_FOLDER LANGUAGE SITE.mdb PANEL LOOP\n", argv[0]);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString language = QString::fromLocal8Bit(argv[2]);
  const QString site_file = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();
  const int panel = QString(argv[4]).toInt();
  const int loop = QString(argv[5]).toInt();

  QTemporaryDir home;
  const QString build_home = QStringLiteral(VELMORA_BUILD_HOME);
  for (const char* part : {"DBs", "locale"}) {
    if (!CopyFolder(build_home + "/" + part, home.path() + "/" + part)) {
      std::fprintf(stderr, "cannot copy %s of %s\n", part, qPrintable(build_home));
      return 1;
    }
  }
  QDir().mkpath(home.path() + "/Sites");
  const velmora::site::ProgramFolder folder(home.path());
  velmora::i18n::SetUpTranslation(folder.LocaleFolder(), language);

  QuietPrompter prompter;
  velmora::workspace::Workspace workspace(folder, prompter);
  workspace.OpenTables();
  const velmora::i18n::Settings settings(home.path() + "/user", home.path() + "/machine");
  velmora::action::Editor editor(workspace, settings);
  velmora::ui::TMainForm form(editor, settings);
  form.SetStartScreenModal(false);
  form.resize(1280, 820);
  form.show();
  QTest::qWait(800);
  form.StartScreen()->accept();
  if (!workspace.OpenSiteFile(site_file)) return 1;

  bool ok = Save(&form, out + "/main-window-site-" + language + ".png");
  form.TabStrip()->setCurrentIndex(panel);  // as the user picks the tab
  ok = Save(&form, out + "/main-window-panel-" + language + ".png") && ok;
  QTreeWidget* tree = form.TreeView()->Tree();
  QTreeWidgetItem* item = tree->topLevelItem(0)->child(panel - 1)->child(loop - 1);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
  ok = Save(&form, out + "/main-window-loop-" + language + ".png") && ok;

  // A modal window is pictured from inside its own loop, then closed.
  const auto modal = [&ok](const QString& file, QSize size) {
    QTimer::singleShot(600, [&ok, file, size] {
      QWidget* window = QApplication::activeModalWidget();
      if (window == nullptr) {
        ok = false;
        return;
      }
      if (size.isValid()) window->resize(size);
      ok = Save(window, file) && ok;
      window->close();
    });
  };
  velmora::ui::QtPrompter questions;
  questions.SetParent(&form);
  modal(out + "/message-box-" + language + ".png", QSize());
  questions.AskYesNo(velmora::i18n::Text(velmora::i18n::Msg::kDataNotSaved),
                     velmora::site::Prompter::Icon::kQuestion);
  modal(out + "/print-preview-" + language + ".png", QSize(1100, 860));
  if (QAction* preview = form.findChild<QAction*>("PrintPreviewSite")) preview->trigger();
  return ok ? 0 : 1;
}
