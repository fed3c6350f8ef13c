// Pictures of the main window for the documentation, each written as a PNG, taken in a copy of
// the build's program folder. Run under a display (e.g. xvfb-run).
//
//   velmora_screenshots OUT_FOLDER LANGUAGE SITE.mdb PANEL LOOP [WIDTHxHEIGHT]
// opens a site and shows it with the site tab, a panel tab and a loop selected, the device view
// of that loop with its voltage profile, then a question in a message box and the site report's
// preview: OUT_FOLDER/main-window-{site,panel,loop}-LANGUAGE.png, loop-profile-LANGUAGE.png,
// message-box-LANGUAGE.png and print-preview-LANGUAGE.png; the window is 1280 x 820 unless a
// size is given.
//
//   velmora_screenshots --guide OUT_FOLDER [LANGUAGE]
// plays the first design session of docs/user-guide.md through the editor's actions, as the
// window's controls carry them out, and takes each picture where the guide shows it:
// OUT_FOLDER/guide-site.png (the site's data typed), guide-panel-properties.png (the first
// panel's view), guide-sub-types.png (the open sub-type list of a sounder row),
// guide-loop-overload.png (the overload message of its loop), guide-outputs-exceeded.png (an
// output current above the maximum refused), guide-outputs.png, guide-options-{site,panel,
// loop}.png (the pages of Settings > Options), guide-preview-site.png and
// guide-preview-parts.png (the two reports' previews of the saved and reopened site). The main
// window is 1600 x 1000, pictured with its open list or message box over it.
// The language is English unless given; any other language adds "-LANGUAGE" to the names. A step
// that does not come out as the guide tells it is reported, and the tool then ends with 1.
#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

#include "action/editor.h"
#include "i18n/messages.h"
#include "i18n/translation.h"
#include "site/prompter.h"
#include "ui/device_details_form.h"
#include "ui/main_form.h"
#include "ui/qt_prompter.h"
#include "ui/start_screen_form.h"
#include "ui/tree_view_form.h"
#include "workspace/workspace.h"

namespace {

using velmora::action::Action;
using velmora::action::Result;
using velmora::action::Status;

// Nothing is asked while the pictures are taken; anything said is reported. A message that is
// to be pictured is shown in a real message box over the window; the file dialogs choose the
// file they are given.
class QuietPrompter : public velmora::site::Prompter {
 public:
  void Warn(const QString& text, Icon icon) override {
    Report(text);
    if (shown_over_ != nullptr) {
      velmora::ui::QtPrompter box(std::exchange(shown_over_, nullptr));
      box.Warn(text, icon);
    }
  }
  bool ConfirmOkCancel(const QString& text, Icon) override { return Report(text); }
  bool AskYesNo(const QString& text, Icon) override { return Report(text); }
  Answer AskYesNoCancel(const QString& text, Icon) override {
    Report(text);
    return Answer::kNo;
  }
  std::optional<QString> ChooseOpenFile(const FileDialog&) override { return Chosen(); }
  std::optional<QString> ChooseSaveFile(const FileDialog&) override { return Chosen(); }
  bool PrinterDialog(QPrinter*) override { return false; }

  // The next message is shown over `window`.
  void ShowNextMessage(QWidget* window) { shown_over_ = window; }
  // The file the next file dialog chooses; none cancels it.
  void ChooseFile(const QString& file) { file_ = file; }

 private:
  static bool Report(const QString& text) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return false;
  }
  std::optional<QString> Chosen() {
    if (file_.isEmpty()) return std::nullopt;
    return std::exchange(file_, QString());
  }

  QWidget* shown_over_ = nullptr;
  QString file_;
};

const char* StatusText(Status status) {
  switch (status) {
    case Status::kDone:
      return "done";
    case Status::kUnchanged:
      return "unchanged";
    case Status::kDeclined:
      return "declined";
    case Status::kRefused:
      return "refused";
  }
  return "";
}

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

bool Write(const QPixmap& picture, const QString& file) {
  if (picture.isNull() || !picture.save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  return true;
}

bool Save(QWidget* window, const QString& file) {
  QTest::qWait(300);
  return Write(window->grab(), file);
}

// `window` as the screen shows it: with the lists open over it and the message boxes in front
// of it drawn where they stand.
bool SaveAsShown(QWidget* window, const QString& file) {
  QTest::qWait(300);
  QPixmap picture = window->grab();
  QPainter painter(&picture);
  for (Qt::WindowType over : {Qt::Dialog, Qt::Popup}) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top == window || !top->isVisible() || top->windowType() != over) continue;
      painter.drawPixmap(top->geometry().topLeft() - window->geometry().topLeft(), top->grab());
    }
  }
  painter.end();
  return Write(picture, file);
}

// Runs `take` on the modal window that comes up next, from inside its own loop, then closes it;
// `ok` turns false when none comes.
void WhenModal(bool& ok, std::function<bool(QWidget*)> take) {
  QTimer::singleShot(600, [&ok, take = std::move(take)] {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr) {
      std::fprintf(stderr, "no window came up to be pictured\n");
      ok = false;
      return;
    }
    ok = take(window) && ok;
    window->close();
  });
}

// The program as it starts from a copy of the build's program folder: the main window of
// `size` shown over the action layer's editor, its disclaimer accepted.
class Program {
 public:
  bool Start(const QString& language, QSize size) {
    const QString build_home = QStringLiteral(VELMORA_BUILD_HOME);
    for (const char* part : {"DBs", "locale"}) {
      if (!CopyFolder(build_home + "/" + part, home_.path() + "/" + part)) {
        std::fprintf(stderr, "cannot copy %s of %s\n", part, qPrintable(build_home));
        return false;
      }
    }
    QDir().mkpath(home_.path() + "/Sites");
    folder_ = std::make_unique<velmora::site::ProgramFolder>(home_.path());
    velmora::i18n::SetUpTranslation(folder_->LocaleFolder(), language);
    workspace_ = std::make_unique<velmora::workspace::Workspace>(*folder_, prompter_);
    const velmora::i18n::Settings settings(home_.path() + "/user", home_.path() + "/machine");
    editor_ = std::make_unique<velmora::action::Editor>(*workspace_, settings);
    workspace_->OpenTables();
    form_ = std::make_unique<velmora::ui::TMainForm>(*editor_, settings);
    form_->SetStartScreenModal(false);
    form_->resize(size);
    form_->show();
    QTest::qWait(800);
    form_->StartScreen()->accept();
    return true;
  }

  QString SitesFolder() const { return home_.path() + "/Sites"; }
  QuietPrompter& Prompter() { return prompter_; }
  velmora::workspace::Workspace& Work() { return *workspace_; }
  velmora::action::Editor& Editor() { return *editor_; }
  velmora::ui::TMainForm& Form() { return *form_; }

 private:
  QTemporaryDir home_;
  QuietPrompter prompter_;
  std::unique_ptr<velmora::site::ProgramFolder> folder_;
  std::unique_ptr<velmora::workspace::Workspace> workspace_;
  std::unique_ptr<velmora::action::Editor> editor_;
  std::unique_ptr<velmora::ui::TMainForm> form_;
};

void ClickTreeItem(QTreeWidget* tree, QTreeWidgetItem* item) {
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

int PictureSite(int argc, char** argv) {
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr,
                 "usage: %s OUT_FOLDER LANGUAGE SITE.mdb PANEL LOOP [WIDTHxHEIGHT]\n"
                 "       %s --guide OUT_FOLDER [LANGUAGE]\n",
                 argv[0], argv[0]);
    return 2;
  }
  QSize window_size(1280, 820);
  if (argc == 7) {
    const QStringList size = QString(argv[6]).split('x');
    if (size.size() == 2) window_size = QSize(size[0].toInt(), size[1].toInt());
    if (!window_size.isValid()) {
      std::fprintf(stderr, "not a size: %s\n", argv[6]);
      return 2;
    }
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString language = QString::fromLocal8Bit(argv[2]);
  const QString site_file = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();
  const int panel = QString(argv[4]).toInt();
  const int loop = QString(argv[5]).toInt();

  Program program;
  if (!program.Start(language, window_size)) return 1;
  velmora::ui::TMainForm& form = program.Form();
  if (!program.Work().OpenSiteFile(site_file)) return 1;

  bool ok = Save(&form, out + "/main-window-site-" + language + ".png");
  form.TabStrip()->setCurrentIndex(panel);  // as the user picks the tab
  ok = Save(&form, out + "/main-window-panel-" + language + ".png") && ok;
  QTreeWidget* tree = form.TreeView()->Tree();
  ClickTreeItem(tree, tree->topLevelItem(0)->child(panel - 1)->child(loop - 1));
  ok = Save(&form, out + "/main-window-loop-" + language + ".png") && ok;
  if (auto* devices = form.findChild<velmora::ui::TFormDeviceDetails*>()) {
    ok = Save(devices, out + "/loop-profile-" + language + ".png") && ok;
  } else {
    ok = false;
  }

  // A modal window is pictured from inside its own loop, then closed.
  const auto modal = [&ok](const QString& file, QSize size) {
    WhenModal(ok, [file, size](QWidget* window) {
      if (size.isValid()) window->resize(size);
      return Save(window, file);
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

// The session of the user guide, step by step as the guide tells it.
class GuideSession {
 public:
  GuideSession(Program& program, QString out, QString language)
      : program_(program),
        editor_(program.Editor()),
        form_(program.Form()),
        out_(std::move(out)),
        suffix_(language == u"en" ? QString() : "-" + language) {}

  bool Play() {
    SetSite();
    SetPanels();
    FillLoop();
    EnterOutputs();
    SaveAndReopen();
    ShowOptions();
    ShowReports();
    return ok_;
  }

 private:
  QString File(const char* name) const { return out_ + "/guide-" + name + suffix_ + ".png"; }

  // Carries an action out as the window's control does; `refused`: the guide tells that it is
  // refused, else that it is carried out.
  Result Do(const char* name, const QJsonObject& params, bool refused = false) {
    const Result result = editor_.Perform(Action{name, params});
    std::fprintf(stderr, "%s: %s\n", name, StatusText(result.status));
    if (refused ? result.status != Status::kRefused : !result.Carried()) {
      std::fprintf(stderr, "%s did not come out as the guide tells it: %s\n", name,
                   qPrintable(result.messages.join(" / ")));
      ok_ = false;
    }
    return result;
  }

  // The same, with the message it gives pictured in its box over the window.
  Result DoPictured(const char* file, const char* name, const QJsonObject& params,
                    bool refused = false) {
    program_.Prompter().ShowNextMessage(&form_);
    WhenModal(ok_, [this, file](QWidget*) { return SaveAsShown(&form_, File(file)); });
    const Result result = Do(name, params, refused);
    program_.Prompter().ShowNextMessage(nullptr);
    if (result.messages.isEmpty()) {
      std::fprintf(stderr, "%s said nothing to be pictured\n", name);
      ok_ = false;
    }
    return result;
  }

  void Picture(const char* file) { ok_ = SaveAsShown(&form_, File(file)) && ok_; }

  QTreeWidget* Tree() const { return form_.TreeView()->Tree(); }
  QTreeWidgetItem* PanelItem(int panel) const { return Tree()->topLevelItem(0)->child(panel - 1); }

  // 1. The site's name, date, contact and address typed into the site view.
  void SetSite() {
    Do("set-site-field", {{"field", "SiteName"}, {"value", "Riverside Office"}});
    // A date of its own, so that every run gives the same pictures.
    Do("set-site-field", {{"field", "SiteDate"}, {"value", "2026-12-14"}});
    Do("set-site-field", {{"field", "ContactName"}, {"value", "J. Meyer"}});
    Do("set-site-field", {{"field", "AddressLine1"}, {"value", "3 Mill Lane"}});
    Do("set-site-field", {{"field", "City"}, {"value", "Riverside"}});
    Picture("site");
  }

  // 2. and 3. Two panels: "North Wing" in the big cabinet with a second loop card and the 10 A
  // supply, "South Wing" a VX-2 on the Qellon protocol.
  void SetPanels() {
    form_.TreeView()->AddPanelAction()->trigger();
    form_.TreeView()->AddPanelAction()->trigger();
    Do("set-panel-name", {{"panel", 1}, {"name", "North Wing"}});
    Do("set-housing", {{"panel", 1}, {"housing", "Big Cabinet"}});
    Do("toggle-option-board", {{"panel", 1}, {"board", "Loop Card 2"}});
    Do("set-power-supply", {{"panel", 1}, {"supply", "PSU 10 A"}});
    Do("set-panel-name", {{"panel", 2}, {"name", "South Wing"}});
    Do("set-panel-type", {{"panel", 2}, {"type", "VX-2"}});
    Do("set-protocol", {{"panel", 2}, {"protocol", "Qellon"}, {"answer", "ok"}});
    form_.TabStrip()->setCurrentIndex(1);  // as the user picks the tab
    Picture("panel-properties");
  }

  // A cell of device row `row` of loop 1 of "North Wing".
  static QJsonObject Cell(int row, const char* key, const QJsonValue& value) {
    return QJsonObject{{"panel", 1}, {"loop", 1}, {"row", row}, {key, value}};
  }

  // 4. Loop 1 of "North Wing": 40 optical detectors, then a row of sounders whose sub-type list
  // is opened; 30 of them overload the loop.
  void FillLoop() {
    ClickTreeItem(Tree(), PanelItem(1)->child(0));
    Do("set-device-type", Cell(1, "type", "Optical Detector"));
    Do("set-device-sub-type", Cell(1, "sub_type", "VD-OD200"));
    Do("set-device-quantity", Cell(1, "quantity", 40));
    Do("add-device-row", {{"panel", 1}, {"loop", 1}});
    Do("set-device-type", Cell(2, "type", "Sounder"));

    // One click into the sub-type cell opens its list, as wide as its entries (each device with
    // its currents).
    velmora::ui::DeviceGrid* grid = form_.findChild<velmora::ui::TFormDeviceDetails*>()->Grid();
    const QModelIndex sub_type = grid->model()->index(1, velmora::ui::kSubTypeColumn);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(sub_type).center());
    QTest::qWait(300);
    auto* list = qobject_cast<QComboBox*>(grid->indexWidget(sub_type));
    if (list != nullptr) {
      // The list rolls open and is shown once it has.
      QWidget* popup = list->view()->window();
      ok_ = QTest::qWaitFor([popup] { return popup->isVisible(); }) && ok_;
    } else {
      std::fprintf(stderr, "the sub-type list did not open\n");
      ok_ = false;
    }
    Picture("sub-types");
    if (list != nullptr) {
      // The list closes after the entry it shows as chosen has flashed.
      QWidget* popup = list->view()->window();
      list->hidePopup();
      ok_ = QTest::qWaitFor([popup] { return !popup->isVisible(); }) && ok_;
      emit grid->itemDelegate()->closeEditor(list, QAbstractItemDelegate::NoHint);
    }
    Do("set-device-sub-type", Cell(2, "sub_type", "VD-SN200"));
    grid->setCurrentIndex(grid->model()->index(1, velmora::ui::kQuantityColumn));
    const Result overload =
        DoPictured("loop-overload", "set-device-quantity", Cell(2, "quantity", 30));
    if (!overload.messages.join(' ').contains("[E04]")) {
      std::fprintf(stderr, "30 sounders did not overload loop 1 with E04\n");
      ok_ = false;
    }
  }

  // 5. The loads of the outputs of "North Wing": an alarm current above the maximum of the first
  // auxiliary output is refused, then one within it.
  void EnterOutputs() {
    ClickTreeItem(Tree(), PanelItem(1)->child(PanelItem(1)->childCount() - 1));
    Do("set-output-currents", {{"panel", 1}, {"output", 1}, {"alarm", 450}});
    Do("set-output-currents", {{"panel", 1}, {"output", 3}, {"quiescent", 120}});
    DoPictured("outputs-exceeded", "set-output-currents",
               {{"panel", 1}, {"output", 3}, {"alarm", 600}}, true);
    Do("set-output-currents", {{"panel", 1}, {"output", 3}, {"alarm", 380}});
    Picture("outputs");
  }

  // 6. File > Save Site, into the folder Sites, and File > Open Site.
  void SaveAndReopen() {
    const QString file = program_.SitesFolder() + "/Riverside Office.mdb";
    program_.Prompter().ChooseFile(file);
    form_.findChild<QAction*>("SaveSite")->trigger();
    const bool saved = program_.Work().State().SiteSaved();
    int opened = 0;
    const QMetaObject::Connection counting = QObject::connect(
        &program_.Work(), &velmora::workspace::Workspace::SiteReplaced, [&opened] { ++opened; });
    program_.Prompter().ChooseFile(file);
    form_.findChild<QAction*>("OpenSite")->trigger();
    QObject::disconnect(counting);
    if (!saved || opened != 1) {
      std::fprintf(stderr, "the site was not saved and opened again\n");
      ok_ = false;
    }
  }

  // 7. Settings > Options, page by page, left with Cancel.
  void ShowOptions() {
    form_.findChild<QAction*>("Options")->trigger();
    QWidget* dialog = form_.OptionsDialog();
    auto* pages = dialog->findChild<QTabWidget*>("PageControlOptions");
    const char* files[] = {"options-site", "options-panel", "options-loop"};
    for (int page = 0; page < 3; ++page) {
      pages->setCurrentIndex(page);  // as the user picks the page
      ok_ = Save(dialog, File(files[page])) && ok_;
    }
    dialog->findChild<QPushButton*>("ButtonCancel")->click();
  }

  // 8. File > Print Preview > Site and > Parts list.
  void ShowReports() {
    const std::pair<const char*, const char*> reports[] = {{"PrintPreviewSite", "preview-site"},
                                                           {"PrintPreviewParts", "preview-parts"}};
    for (const auto& [entry, file] : reports) {
      WhenModal(ok_, [this, file](QWidget* preview) {
        preview->resize(1100, 860);
        return Save(preview, File(file));
      });
      form_.findChild<QAction*>(entry)->trigger();
    }
  }

  Program& program_;
  velmora::action::Editor& editor_;
  velmora::ui::TMainForm& form_;
  QString out_;
  QString suffix_;
  bool ok_ = true;
};

int PlayGuide(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s --guide OUT_FOLDER [LANGUAGE]\n", argv[0]);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[2]);
  const QString language = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("en");
  // A text cursor that does not blink: every run gives the same pictures.
  QApplication::setCursorFlashTime(0);
  Program program;
  if (!program.Start(language, QSize(1600, 1000))) return 1;
  return GuideSession(program, out, language).Play() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc > 1 && QString(argv[1]) == u"--guide") return PlayGuide(argc, argv);
  return PictureSite(argc, argv);
}
