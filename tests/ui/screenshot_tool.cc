// Pictures of the main window for the documentation: a site opened in a copy of the build's
// program folder, shown with the site tab, a panel tab and a loop selected, each written as a
// PNG. Run under a display (e.g. xvfb-run):
//   velmora_screenshots OUT_FOLDER LANGUAGE SITE.mdb PANEL LOOP
// writes OUT_FOLDER/main-window-{site,panel,loop}-LANGUAGE.png.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

#include "i18n/translation.h"
#include "site/prompter.h"
#include "ui/main_form.h"
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
  velmora::ui::TMainForm form(
      workspace, velmora::i18n::Settings(home.path() + "/user", home.path() + "/machine"));
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
  return ok ? 0 : 1;
}
