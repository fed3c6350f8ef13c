// The desktop program.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include "action/editor.h"
#include "i18n/settings.h"
#include "i18n/tr.h"
#include "i18n/translation.h"
#include "site/file_io.h"
#include "site/program_folder.h"
#include "site/run_state.h"
#include "site/session_folder.h"
#include "site/store_error.h"
#include "ui/image_list.h"
#include "ui/main_form.h"
#include "ui/qt_prompter.h"
#include "velmora/version.h"
#include "workspace/workspace.h"

int main(int argc, char** argv) {
  // Older installations keep the language and country code machine-wide.
  const velmora::i18n::Settings settings = velmora::i18n::Settings::FromEnvironment();
  settings.CopyMachineSettings();

  QApplication app(argc, argv);
  // The title ("Velmora 2.09") is the main window's caption; it is not set as the display name,
  // which the platform would append to every window's caption.
  QApplication::setApplicationName(velmora::kProgramName);
  QApplication::setApplicationVersion(velmora::kVersion);
  QApplication::setDesktopFileName("velmora");
  QApplication::setWindowIcon(velmora::ui::ProgramIcon());

  // After the application object, which resets the process locale, and before any text is made
  // (the catalogues are in the installed folder, which the per-user copy below leaves as it is).
  const velmora::site::ProgramFolder installed = velmora::site::ProgramFolder::FromEnvironment();
  velmora::i18n::SetUpTranslation(installed.LocaleFolder(), settings);
  // An installed program folder that is not writable is worked from a per-user copy.
  QString folder_problem;
  const velmora::site::ProgramFolder folder = installed.WritableFor(&folder_problem);
  velmora::ui::QtPrompter prompter;
  if (!folder_problem.isEmpty())
    prompter.Warn(folder_problem, velmora::site::Prompter::Icon::kWarning);
  // Every running copy works on a working copy of its own, so none can save another's site.
  const velmora::site::SessionFolder session(folder);
  if (!session.IsValid()) {
    QMessageBox::critical(nullptr, velmora::site::kApplicationTitle,
                          velmora::i18n::Tr(N_("Velmora cannot start: %1")).arg(session.Error()));
    return 1;
  }
  velmora::workspace::Workspace workspace(session.Folder(), prompter);
  try {
    workspace.OpenTables();
  } catch (const velmora::site::StoreError& error) {
    QMessageBox::critical(nullptr, velmora::site::kApplicationTitle,
                          velmora::i18n::Tr(N_("Velmora cannot start: %1")).arg(error.Message()));
    return 1;
  }
  velmora::action::Editor editor(workspace, settings);
  velmora::ui::TMainForm main_form(editor, settings);
  prompter.SetParent(&main_form);
  // "velmora SITE.mdb", as the desktop entry starts it for a file: opened once the session has
  // started. A name that is not valid in the system's encoding is reached through a link.
  if (argc > 1) {
    const QString alias = QFileInfo(session.Folder().WorkingCopy()).absolutePath() + "/" +
                          QFileInfo(QFile::decodeName(argv[1])).fileName();
    const QString file = velmora::site::ReachableName(QByteArray(argv[1]), alias);
    main_form.SetStartFile(file.isEmpty() ? QFile::decodeName(argv[1]) : file);
  }
  // Always maximised: no window geometry is remembered between runs.
  main_form.showMaximized();
  return app.exec();
}
